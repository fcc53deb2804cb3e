#include "tests/stress/random_text.h"

#include <algorithm>
#include <iterator>

namespace tianti::stress {

namespace {

constexpr std::u16string_view kWords[] = {
    u"ryzen",      u"Core i7",
    u"GeForce",    u"rtx",
    u"Radeon",     u"xeon",
    u"intel",      u"AMD",
    u"2080",       u"@",
    u"#",          u"[44-Way]",
    u"|",          u"C1",
    u"G1",         u"c3012",
    u"g1722",      u"双卡",
    u"移动版",     u"华硕",
    u"ti",         u"Threadripper 3970X",
    u"VIA",        u"5###U",
    u"(",          u"-",
    u"+",          u"_",
    u"/",          u".",
    u"GHz",        u"3",
    u"Ｒｙｚｅｎ", u"ｒｔｘ",
    u"ı",          u"ß",
    u"ſ",          u"σς",
    u"дж",         u"ǆ",
    u"ﬀ",          u"编号",
    u"得分",
};

// Characters whose handling is special somewhere: controls, separators,
// marks, surrogates, non-characters.
constexpr char16_t kOdd[] = {
    0x0001, 0x0003, 0x0008, 0x0009, 0x000A, 0x000D, 0x0016, 0x0018, 0x001A, 0x001B,
    0x001F, 0x007F, 0x0085, 0x00A0, 0x00AD, 0x0301, 0x200B, 0x200E, 0x2028, 0x2029,
    0x3000, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFEFF, 0xFFFD, 0xFFFE, 0xFFFF,
};

}  // namespace

std::u16string RandomText::Fragment() {
  std::u16string_view row;
  while (row.empty()) row = ref_.row(static_cast<int>(Below(static_cast<std::size_t>(ref_.slots()))));
  const std::size_t length = 1 + Below(12);
  const std::size_t start = Below(row.size());
  std::u16string piece(row.substr(start, length));
  for (char16_t& c : piece) {
    if (c < 0x80 && Chance(50)) c = static_cast<char16_t>(c >= u'A' && c <= u'Z' ? c + 0x20 : c);
  }
  return piece;
}

char16_t RandomText::AnyChar() {
  switch (Below(8)) {
    case 0:
    case 1:
    case 2:
      return static_cast<char16_t>(0x20 + Below(0x5F));  // printable ASCII
    case 3:
      return static_cast<char16_t>(0x4E00 + Below(0x51A6));  // CJK ideographs
    case 4:
      return static_cast<char16_t>(0xFF01 + Below(0x5E));  // full-width forms
    case 5:
      return static_cast<char16_t>(0x00C0 + Below(0x0400));  // Latin, Greek, Cyrillic ...
    default:
      return kOdd[Below(std::size(kOdd))];
  }
}

std::u16string RandomText::Noise(std::size_t max) {
  std::u16string text;
  const std::size_t n = Below(max + 1);
  for (std::size_t i = 0; i < n; ++i) {
    if (Chance(3)) {
      text += u"\U0001F600";  // a surrogate pair
    } else {
      text += AnyChar();
    }
  }
  return text;
}

std::u16string RandomText::Seam() {
  const int slot = static_cast<int>(Below(static_cast<std::size_t>(ref_.slots() - 1)));
  const std::u16string_view a = ref_.row(slot), b = ref_.row(slot + 1);
  std::u16string seam(a.substr(a.size() - std::min<std::size_t>(a.size(), 1 + Below(8))));
  seam += Chance(70) ? u"\n" : u"\r\n";
  seam += b.substr(0, 1 + Below(8));
  return seam;
}

std::u16string RandomText::Term() {
  std::u16string term;
  if (Chance(60)) {
    term = Fragment();
  } else {
    term = kWords[Below(std::size(kWords))];
  }
  if (Chance(15)) term = std::u16string(Below(3), u' ') + term + std::u16string(Below(3), u' ');
  if (Chance(8)) term = u"\u3000" + term + u"\u3000";
  if (Chance(5)) term = std::u16string(1 + Below(3), Chance(50) ? u' ' : u'\u3000');  // blank only
  return term;
}

std::u16string RandomText::Typed() {
  if (Chance(70)) return Term();
  if (Chance(50)) return Term() + Noise(6);
  return Noise(24);
}

std::u16string RandomText::Pasted() {
  switch (Below(10)) {
    case 0:
    case 1: {
      // A long string: 30,000 characters exactly, or a little below or above.
      static constexpr std::size_t kLengths[] = {30000, 30000, 30000, 29999, 30001, 32768, 40000};
      const std::size_t length = kLengths[Below(std::size(kLengths))];
      std::u16string unit = Chance(50) ? Term() : Noise(16);
      if (unit.empty()) unit = u"x";
      std::u16string text;
      text.reserve(length + unit.size());
      while (text.size() < length) text += unit;
      text.resize(length);
      if (text.back() >= 0xD800 && text.back() <= 0xDBFF) text.back() = u'y';  // no pair cut in half
      return text;
    }
    case 2:
      return Term() + (Chance(50) ? u"\r\n" : u"\n") + Term() + (Chance(50) ? u"\r\n" : u"");
    case 3:
      return Seam();
    case 4:
      return Noise(40);
    default:
      return Term();
  }
}

}  // namespace tianti::stress
