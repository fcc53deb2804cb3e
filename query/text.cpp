#include "query/text.h"

namespace tianti::query {

namespace {
constexpr bool IsTrimmed(char16_t c) { return c == u' ' || c == u'\u3000'; }
}  // namespace

std::u16string_view Trim(std::u16string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsTrimmed(text[begin])) ++begin;
  while (end > begin && IsTrimmed(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace tianti::query
