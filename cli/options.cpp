#include "cli/options.h"

#include "common/utf8.h"

namespace tianti::cli {

OptionWord SplitOption(const std::u16string& arg) {
  OptionWord word{arg, std::nullopt};
  if (const auto eq = arg.find(u'='); arg.rfind(u"--", 0) == 0 && eq != std::u16string::npos) {
    word.name = arg.substr(0, eq);
    word.value = arg.substr(eq + 1);
  }
  return word;
}

std::optional<std::string> TakeValue(const std::vector<std::u16string>& args, std::size_t& i, OptionWord& word) {
  if (word.value) return std::nullopt;
  if (i + 1 >= args.size()) return "option " + ToUtf8(word.name) + " needs a value";
  word.value = args[++i];
  return std::nullopt;
}

std::optional<std::string> ReadMainTerm(const std::u16string& arg, std::optional<std::u16string>& main_term) {
  if (main_term) return "more than one MAIN term: " + ToUtf8(arg);
  main_term = arg;
  return std::nullopt;
}

std::optional<std::string> ReadQueryTerm(const std::u16string& name, const std::u16string& value,
                                         std::optional<std::u16string>& and_term,
                                         std::vector<std::u16string>& or_terms) {
  if (name == u"--and") {
    if (and_term) return "--and given more than once";
    and_term = value;
  } else {
    if (or_terms.size() == 3) return "at most three --or terms";
    or_terms.push_back(value);
  }
  return std::nullopt;
}

std::optional<std::string> ReadScope(const std::u16string& value, bool& given, query::Scope& scope) {
  if (given) return "--scope given more than once";
  given = true;
  const auto named = ScopeNamed(value);
  if (!named) return "--scope must be all, cpu or gpu, not " + ToUtf8(value);
  scope = *named;
  return std::nullopt;
}

std::optional<std::string> ReadFormat(const std::u16string& value, bool& given, Format& format) {
  if (given) return "--format given more than once";
  given = true;
  const auto named = FormatNamed(value);
  if (!named) return "--format must be table, tsv or json, not " + ToUtf8(value);
  format = *named;
  return std::nullopt;
}

}  // namespace tianti::cli
