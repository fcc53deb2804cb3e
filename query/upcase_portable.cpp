// The built-in case mapping, and UpperCase where the platform offers none.
#include "query/text.h"

namespace tianti::query {

char16_t UpperCharBuiltin(char16_t c) {
  const unsigned u = c;
  if (u < 0x80) return (u >= u'a' && u <= u'z') ? static_cast<char16_t>(u - 0x20) : c;

  // Latin-1: à..þ except ÷; ÿ goes to Ÿ in Latin Extended-A.
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char16_t>(u - 0x20);
  if (u == 0xFF) return u'\u0178';

  // Latin Extended-A: case pairs, capital first, with a shift of parity at
  // U+0138 (ĸ, caseless) and U+0149 (ŉ, no single-letter capital). Like the
  // Windows mapping, no letter goes to ASCII: the dotless i (U+0131) and the
  // long s (U+017F) stay as they are, and so do the micro sign (U+00B5) and
  // the final sigma (U+03C2).
  if (u >= 0x0100 && u <= 0x0137) {
    if (u == 0x0131) return c;
    return (u & 1) ? static_cast<char16_t>(u - 1) : c;
  }
  if (u >= 0x0139 && u <= 0x0148) return (u & 1) ? c : static_cast<char16_t>(u - 1);
  if (u >= 0x014A && u <= 0x0177) return (u & 1) ? static_cast<char16_t>(u - 1) : c;
  if (u >= 0x0179 && u <= 0x017E) return (u & 1) ? c : static_cast<char16_t>(u - 1);

  // Greek.
  if (u >= 0x03B1 && u <= 0x03CB && u != 0x03C2) return static_cast<char16_t>(u - 0x20);
  switch (u) {
    case 0x03AC:
      return u'\u0386';
    case 0x03AD:
      return u'\u0388';
    case 0x03AE:
      return u'\u0389';
    case 0x03AF:
      return u'\u038A';
    case 0x03CC:
      return u'\u038C';
    case 0x03CD:
      return u'\u038E';
    case 0x03CE:
      return u'\u038F';
    default:
      break;
  }

  // Cyrillic.
  if (u >= 0x0430 && u <= 0x044F) return static_cast<char16_t>(u - 0x20);
  if (u >= 0x0450 && u <= 0x045F) return static_cast<char16_t>(u - 0x50);
  if ((u >= 0x0460 && u <= 0x0481) || (u >= 0x048A && u <= 0x04BF) || (u >= 0x04D0 && u <= 0x052F)) {
    return (u & 1) ? static_cast<char16_t>(u - 1) : c;
  }
  if (u >= 0x04C1 && u <= 0x04CE) return (u & 1) ? c : static_cast<char16_t>(u - 1);
  if (u == 0x04CF) return u'\u04C0';

  // Full-width Latin letters ａ..ｚ.
  if (u >= 0xFF41 && u <= 0xFF5A) return static_cast<char16_t>(u - 0x20);
  return c;
}

std::u16string UpperCaseBuiltin(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = UpperCharBuiltin(c);
  return out;
}

#if !defined(_WIN32)
std::u16string UpperCase(std::u16string_view text) { return UpperCaseBuiltin(text); }
#endif

}  // namespace tianti::query
