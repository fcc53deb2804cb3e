#include "commands/adapter.h"

#include "common/utf8.h"

namespace tianti::commands {

std::u16string BuildAdapterFailureMessage(const ProcessorFailure& failure) {
  // The same step and code as the processor's warning, about the adapters.
  std::u16string text = BuildProcessorFailureMessage(failure);
  const std::u16string_view cpu = u"无法读取本机CPU型号：";
  if (text.compare(0, cpu.size(), cpu) == 0) text.replace(0, cpu.size(), u"无法读取本机显卡型号：");
  return text;
}

namespace {

std::string_view Bare(std::string_view id) {
  if (id.size() > 2 && id[0] == '0' && (id[1] == 'x' || id[1] == 'X')) id.remove_prefix(2);
  while (!id.empty() && (id.back() == '\n' || id.back() == '\r' || id.back() == ' ')) id.remove_suffix(1);
  return id;
}

std::string Lower(std::string_view id) {
  std::string out(id);
  for (char& c : out) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The maker a PCI vendor ID stands for, as systems write it before a model
// ("NVIDIA GeForce RTX 4090"); empty for the others.
std::string_view VendorMaker(std::string_view id) {
  if (id == "10de") return "NVIDIA";
  if (id == "1002" || id == "1022") return "AMD";
  if (id == "8086") return "Intel";
  return {};
}

}  // namespace

// The list: "vvvv  Vendor name" lines, each followed by its devices as
// "\tdddd  Device name" (subsystems "\t\t..." under them); comments start
// with "#"; the device classes ("C 03  Display controller") come last.
std::string PciIdsDevice(std::string_view text, std::string_view vendor, std::string_view device) {
  const std::string v = Lower(Bare(vendor));
  const std::string d = Lower(Bare(device));
  if (v.size() != 4 || d.size() != 4) return {};
  bool in_vendor = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == '#') continue;
    if (line[0] != '\t') {
      if (line.size() > 1 && line[0] == 'C' && line[1] == ' ') break;
      if (in_vendor) break;
      in_vendor = line.size() > 6 && line.compare(0, 4, v) == 0 && line[4] == ' ';
    } else if (in_vendor && line.size() > 7 && line[1] != '\t' && line.compare(1, 4, d) == 0 && line[5] == ' ') {
      std::string_view name = line.substr(6);
      while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
      return std::string(name);
    }
  }
  return {};
}

std::string PciModel(std::string_view entry) {
  const std::size_t open = entry.rfind('[');
  const std::size_t close = entry.rfind(']');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open + 2) {
    return std::string(entry);
  }
  return std::string(entry.substr(open + 1, close - open - 1));
}

AdapterName NamePciAdapter(std::string_view vendor, std::string_view device, const std::string* pci_ids) {
  AdapterName adapter;
  const std::string ids = Lower(Bare(vendor)) + ":" + Lower(Bare(device));
  const std::string entry = pci_ids ? PciIdsDevice(*pci_ids, vendor, device) : std::string();
  if (entry.empty()) {
    adapter.reported = FromUtf8(ids);
    return adapter;
  }
  const std::string_view maker = VendorMaker(Lower(Bare(vendor)));
  adapter.name = FromUtf8((maker.empty() ? std::string() : std::string(maker) + " ") + PciModel(entry));
  adapter.reported = FromUtf8(ids + " " + entry);
  return adapter;
}

}  // namespace tianti::commands
