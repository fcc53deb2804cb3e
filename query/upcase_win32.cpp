// UpperCase through the system's invariant-locale case mapping.
#include <windows.h>

#include <algorithm>
#include <climits>

#include "query/text.h"

namespace tianti::query {

namespace {

constexpr std::size_t kChunk = 1u << 20;  // characters per call; far below INT_MAX

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::u16string UpperCase(std::u16string_view text) {
  std::u16string out(text);
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t n = std::min(text.size() - pos, kChunk);
    // Keep a surrogate pair within one call.
    if (pos + n < text.size() && n > 1 && IsHighSurrogate(text[pos + n - 1])) --n;
    const int count = static_cast<int>(n);
    const int written = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE,
                                      reinterpret_cast<LPCWSTR>(text.data() + pos), count,
                                      reinterpret_cast<LPWSTR>(&out[pos]), count, nullptr, nullptr, 0);
    if (written != count) {
      // The system refused the piece or would change its length: keep the
      // result the same length as the input with the built-in mapping.
      for (std::size_t i = pos; i < pos + n; ++i) out[i] = UpperCharBuiltin(text[i]);
    }
    pos += n;
  }
  return out;
}

}  // namespace tianti::query
