// tianti-cli --ladder: the 天梯图 of one list as SVG on standard output
// (query/ladder_svg.h draws it), for the whole list or a query's rows, with
// resolved device names marked.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "commands/platform.h"

namespace tianti::cli {

// Runs --ladder when `args` ask for it (before a "--"); nothing when they do
// not. --mine reads the processors or the adapters of `platform`.
std::optional<int> RunLadderMode(const std::vector<std::u16string>& args, std::ostream& out, std::ostream& err,
                                 const commands::Platform& platform);

// The ladder mode's lines of the usage text and of --help.
extern const std::string_view kLadderUsage;
extern const std::string_view kLadderHelp;

}  // namespace tianti::cli
