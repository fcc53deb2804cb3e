// The command-line words both of tianti-cli's parsers read alike: an option
// as "--name=value" or "--name value", and the values of --scope and --format.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli/formats.h"
#include "query/engine.h"

namespace tianti::cli {

// An option word taken apart: "--name=value" gives both, any other word
// only its name.
struct OptionWord {
  std::u16string name;
  std::optional<std::u16string> value;
};
OptionWord SplitOption(const std::u16string& arg);

// Makes sure `word` has its value: its own "=value", or else the word after
// args[i] (then i moves on to it). On failure, the usage message.
std::optional<std::string> TakeValue(const std::vector<std::u16string>& args, std::size_t& i, OptionWord& word);

// --scope and --format, each allowed once; `given` records that it was.
std::optional<std::string> ReadScope(const std::u16string& value, bool& given, query::Scope& scope);
std::optional<std::string> ReadFormat(const std::u16string& value, bool& given, Format& format);

}  // namespace tianti::cli
