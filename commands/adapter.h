// The graphics adapters of the local computer, beside its processors
// (commands/processor.h): what each is called, for the CLI's --mine.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/processor.h"

namespace tianti::commands {

struct AdapterName {
  // The name to look up: WMI's Name on Windows; on Linux the model in
  // brackets of the PCI ID list's entry after the vendor's maker ("AMD Radeon
  // RX 470/480/570/570X/580/580X/590" of 1002 "Ellesmere [Radeon RX
  // 470/...]"), the whole entry where it has no brackets, and empty when the
  // list does not know the device.
  std::optional<std::u16string> name;
  // Where the name came from, when that is more than the name: the PCI
  // device's "vendor:device" IDs and, if the list knows it, its entry.
  std::u16string reported;
};

struct AdapterReport {
  std::vector<AdapterName> adapters;
  std::optional<ProcessorFailure> failure;  // never together with adapters
  // A note about how the names were found (no PCI ID list installed).
  std::u16string note;

  bool ok() const { return !failure.has_value(); }
};

class AdapterSource {
 public:
  virtual ~AdapterSource() = default;
  virtual AdapterReport Query() = 0;
};

// "无法读取本机显卡型号：<step> 失败 (HRESULT 0x...)".
std::u16string BuildAdapterFailureMessage(const ProcessorFailure& failure);

// ---- Linux: PCI display devices and the PCI ID list ----------------------------

// The entry of the PCI ID list (pci.ids text) for a vendor and device ID
// (lower-case hex, "10de", "2684"): "AD102 [GeForce RTX 4090]"; empty when
// the list does not hold it.
std::string PciIdsDevice(std::string_view pci_ids, std::string_view vendor, std::string_view device);

// The name to look up in an entry: the part in its last brackets, if any.
std::string PciModel(std::string_view entry);

// One display device (PCI class 03) named through the list; `pci_ids` is
// null where no list is installed. IDs as in sysfs ("0x10de") or bare.
AdapterName NamePciAdapter(std::string_view vendor, std::string_view device, const std::string* pci_ids);

// The display devices under a sysfs PCI device folder (by default
// /sys/bus/pci/devices), in address order, named through the first PCI ID
// list found of `id_lists`.
class SysfsAdapterSource : public AdapterSource {
 public:
  SysfsAdapterSource();
  SysfsAdapterSource(std::string devices, std::vector<std::string> id_lists)
      : devices_(std::move(devices)), id_lists_(std::move(id_lists)) {}
  AdapterReport Query() override;

 private:
  std::string devices_;
  std::vector<std::string> id_lists_;
};

// ---- the platform's own source ------------------------------------------------

// WMI's Win32_VideoController on Windows (COM initialised for the call), the
// PCI display devices elsewhere. Defined in commands/win32/
// local_adapters_win32.cpp and commands/local_adapters_posix.cpp.
AdapterReport QueryLocalAdapters();

// The platform's processor and adapter sources for the CLI.
ProcessorSource& LocalProcessorSource();
AdapterSource& LocalAdapterSource();

}  // namespace tianti::commands
