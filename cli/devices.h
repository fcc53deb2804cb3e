// tianti-cli's device modes: --compare, --near and --mine resolve device
// names to ranking rows (query/resolver.h) and print them per device.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "commands/platform.h"
#include "query/resolver.h"

namespace tianti::cli {

// A name did not resolve to a single row (0, 1 and 2 are in cli/cli.h).
inline constexpr int kExitUnresolved = 3;

// Runs --compare, --near or --mine when `args` ask for one of them (before
// a "--"); nothing when they ask for none. --mine reads the processors and
// adapters of `platform` (both must be set).
std::optional<int> RunDeviceMode(const std::vector<std::u16string>& args, std::ostream& out, std::ostream& err,
                                 const commands::Platform& platform);

// One of this computer's devices as --mine reads it.
struct LocalDevice {
  const char* kind = "cpu";            // "cpu" or "gpu"
  std::optional<std::u16string> name;  // none: a null name, or an adapter the PCI ID list does not know
  std::u16string reported;             // an adapter's IDs and entry, when that is more than the name
  query::Resolution resolution;        // the name resolved in the kind's list
};

// The processors (unless `scope` is GPU) and then the adapters (unless it is
// CPU) of `platform`, appended to `devices`; the sources' failures and notes
// go to `messages`. Returns whether every source answered.
bool ReadLocalDevices(query::Scope scope, const commands::Platform& platform, std::vector<LocalDevice>& devices,
                      std::vector<std::u16string>& messages);

// The device modes' lines of the usage text and of --help.
extern const std::string_view kDeviceUsage;
extern const std::string_view kDeviceHelp;

}  // namespace tianti::cli
