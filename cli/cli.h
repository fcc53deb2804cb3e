// tianti-cli: one query against the built-in ranking lists from the command
// line, run through the real main-window logic.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "commands/platform.h"

namespace tianti::cli {

// Exit codes.
inline constexpr int kExitOk = 0;     // a query ran (with or without the limit note); --help
inline constexpr int kExitError = 1;  // an unexpected failure
inline constexpr int kExitUsage = 2;  // bad command line, or the main term was missing
// 3: a device name did not resolve (cli/devices.h)

// Runs the program for `args` (without the program name). The result table
// goes to `out` as UTF-8, the message boxes and the usage text to `err`.
// --mine asks the platform's own processor and adapter sources.
int Run(const std::vector<std::u16string>& args, std::ostream& out, std::ostream& err);

// The same with the sources of `platform` (processors and adapters set).
int Run(const std::vector<std::u16string>& args, std::ostream& out, std::ostream& err,
        const commands::Platform& platform);

}  // namespace tianti::cli
