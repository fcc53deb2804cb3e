// The command-line words all of tianti-cli's parsers read alike: an option
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

// Walks the command line: `operand` gets each word that is not an option
// (and every word after "--"), `option` each option word taken apart with
// the index of its word, which TakeValue moves on when it reads the next
// word as the value. The first usage message either returns ends the walk.
template <typename Operand, typename Option>
std::optional<std::string> WalkArguments(const std::vector<std::u16string>& args, Operand operand, Option option) {
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::u16string& arg = args[i];
    if (options_done || arg.size() < 2 || arg[0] != u'-') {
      if (auto problem = operand(arg)) return problem;
    } else if (arg == u"--") {
      options_done = true;
    } else if (auto problem = option(SplitOption(arg), i)) {
      return problem;
    }
  }
  return std::nullopt;
}

// A word that is not an option as the query's one MAIN term.
std::optional<std::string> ReadMainTerm(const std::u16string& arg, std::optional<std::u16string>& main_term);

// The value of --and (once) or of --or (up to three times), as the window
// has boxes for them; `name` is one of the two.
std::optional<std::string> ReadQueryTerm(const std::u16string& name, const std::u16string& value,
                                         std::optional<std::u16string>& and_term,
                                         std::vector<std::u16string>& or_terms);

// --scope and --format, each allowed once; `given` records that it was.
std::optional<std::string> ReadScope(const std::u16string& value, bool& given, query::Scope& scope);
std::optional<std::string> ReadFormat(const std::u16string& value, bool& given, Format& format);

}  // namespace tianti::cli
