// The local graphics adapters where there is no WMI: the PCI display devices
// under /sys, named through the system's PCI ID list.
#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "commands/adapter.h"
#include "common/utf8.h"

namespace tianti::commands {

namespace {

// A whole small file; nothing when it cannot be read.
std::optional<std::string> ReadFile(const std::string& path) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return std::nullopt;
  std::string text;
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, n);
  const bool failed = std::ferror(in) != 0;
  (void)std::fclose(in);  // read only: nothing to lose
  if (failed) return std::nullopt;
  return text;
}

}  // namespace

// Where Debian's pci.ids package, other distributions and older systems put it.
SysfsAdapterSource::SysfsAdapterSource()
    : devices_("/sys/bus/pci/devices"),
      id_lists_{"/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids", "/usr/share/pci.ids"} {}

AdapterReport SysfsAdapterSource::Query() {
  AdapterReport report;
  DIR* dir = opendir(devices_.c_str());
  if (!dir) {
    // No PCI bus to read (a container, another kernel): no adapters known.
    if (errno == ENOENT) return report;
    report.failure = ProcessorFailure{u"读取 " + FromUtf8(devices_), 0, errno};
    return report;
  }
  std::vector<std::string> entries;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.') entries.emplace_back(entry->d_name);
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end());  // PCI address order

  std::optional<std::string> pci_ids;
  bool looked = false;
  for (const std::string& entry : entries) {
    const std::string base = devices_ + "/" + entry + "/";
    const auto pci_class = ReadFile(base + "class");  // "0x030000"
    if (!pci_class || pci_class->compare(0, 4, "0x03") != 0) continue;
    const auto vendor = ReadFile(base + "vendor");
    const auto device = ReadFile(base + "device");
    if (!vendor || !device) continue;
    if (!looked) {
      looked = true;
      for (const std::string& path : id_lists_) {
        if ((pci_ids = ReadFile(path))) break;
      }
      if (!pci_ids) {
        report.note = u"未找到PCI ID列表(pci.ids)，显卡以“厂商:设备”编号列出 / no PCI ID list "
                      u"(pci.ids) found: adapters are listed by their vendor:device IDs";
      }
    }
    report.adapters.push_back(NamePciAdapter(*vendor, *device, pci_ids ? &*pci_ids : nullptr));
  }
  return report;
}

AdapterReport QueryLocalAdapters() { return SysfsAdapterSource().Query(); }

}  // namespace tianti::commands
