#include "query/name_reading.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/utf8.h"
#include "query/maker.h"
#include "query/resolver_words.h"

namespace tianti::query::reading {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlnum(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z'); }
bool HasDigit(std::string_view w) { return std::any_of(w.begin(), w.end(), IsDigit); }
bool AllDigits(std::string_view w) { return !w.empty() && std::all_of(w.begin(), w.end(), IsDigit); }

// "3", "3.60"
bool IsNumber(std::string_view w) {
  const std::size_t dot = w.find('.');
  if (dot == std::string_view::npos) return AllDigits(w);
  return AllDigits(w.substr(0, dot)) && AllDigits(w.substr(dot + 1));
}

bool EndsWith(std::string_view w, std::string_view end) {
  return w.size() > end.size() && w.substr(w.size() - end.size()) == end;
}

// "3.60ghz", "800mhz"
bool IsClock(std::string_view w) {
  for (std::string_view unit : {"ghz", "mhz"}) {
    if (EndsWith(w, unit) && IsNumber(w.substr(0, w.size() - unit.size()))) return true;
  }
  return false;
}

// "12th", "3rd"
bool IsOrdinal(std::string_view w) {
  for (std::string_view end : {"st", "nd", "rd", "th"}) {
    if (EndsWith(w, end) && AllDigits(w.substr(0, w.size() - end.size()))) return true;
  }
  return false;
}

// "8gb", "512mb", "12g" (read "12gb"; "7640g" is a model)
bool IsMemory(std::string_view w) {
  for (std::string_view unit : {"gb", "mb", "g"}) {
    const std::string_view number = w.substr(0, w.size() - unit.size());
    if (EndsWith(w, unit) && AllDigits(number) && (unit != "g" || number.size() <= 2)) return true;
  }
  return false;
}

// "4c+8g", the core groups after "Compute Cores".
bool IsCoreGroup(std::string_view w) {
  const std::size_t c = w.find("c+");
  return c != std::string_view::npos && c + 3 < w.size() + 1 && AllDigits(w.substr(0, c)) && w.back() == 'g' &&
         AllDigits(w.substr(c + 2, w.size() - c - 3));
}

// "r7", the graphics of an APU's name.
bool IsRadeonClass(std::string_view w) { return w.size() > 1 && w[0] == 'r' && AllDigits(w.substr(1)); }

// "r5 5600x": a buyer's Ryzen 5, before a four-digit model.
bool IsRyzenShorthand(std::string_view w, std::string_view next) {
  return w.size() == 2 && w[0] == 'r' && (w[1] == '3' || w[1] == '5' || w[1] == '7' || w[1] == '9') &&
         next.size() >= 4 && AllDigits(next.substr(0, 4));
}

bool IsWordChar(char c) {
  return IsAlnum(c) || c == '.' || c == '+' || c == '_' || c == '#' || static_cast<unsigned char>(c) >= 0x80;
}

// The text in lower case into `out`, with the row conventions and the Chinese
// family names read and the marks (R) (TM) ® ™ gone; a mark right before a
// digit joins the two ("Core(TM)2" is "Core2"). "13代" (a generation) goes.
void Lower(std::u16string_view text, std::string& out) {
  out.clear();
  auto mark = [&](std::size_t next) {
    if (next >= text.size() || text[next] < u'0' || text[next] > u'9') out.push_back(' ');
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'(') {
      std::size_t close = 0;
      if (i + 2 < text.size() && (text[i + 1] | 0x20) == u'r' && text[i + 2] == u')') {
        close = i + 2;
      } else if (i + 3 < text.size() && (text[i + 1] | 0x20) == u't' && (text[i + 2] | 0x20) == u'm' &&
                 text[i + 3] == u')') {
        close = i + 3;
      }
      if (close != 0) {
        mark(close + 1);
        i = close;
        continue;
      }
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c));
      continue;
    }
    if (c == u'\u00ae' || c == u'\u2122') {
      mark(i + 1);
      continue;
    }
    if (c == u'代' && !out.empty() && IsDigit(out.back())) {
      while (!out.empty() && IsDigit(out.back())) out.pop_back();
      out.push_back(' ');
      continue;
    }
    std::size_t length = 0;
    if (const char* english = words::ChineseWordAt(text, i, length)) {
      out += english;
      i += length - 1;
      continue;
    }
    AppendUtf8(out, c >= 0xD800 && c < 0xE000 ? U'\uFFFD' : c);
  }
}

// Splits `text` into words at every mark but . + _ #: "w/" at a word's start
// is "with", a lone "+" is a word; glued words come apart ("rtx4090").
std::size_t Tokens(std::string_view text, std::string_view (&out)[kMaxWords]) {
  std::size_t count = 0;
  std::size_t i = 0;
  while (i < text.size() && count < kMaxWords) {
    if (!IsWordChar(text[i])) {
      ++i;
      continue;
    }
    if (text[i] == 'w' && text.compare(i, 2, "w/") == 0) {
      out[count++] = "with";
      i += 2;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && IsWordChar(text[end])) ++end;
    std::string_view word = text.substr(i, end - i);
    i = end;
    while (!word.empty() && word.back() == '.') word.remove_suffix(1);
    while (!word.empty() && word.front() == '.') word.remove_prefix(1);
    const bool has_content = word == "+" || std::any_of(word.begin(), word.end(), [](char c) {
                               return IsAlnum(c) || static_cast<unsigned char>(c) >= 0x80;
                             });
    if (!has_content) continue;
    std::string_view parts[3];
    const std::size_t n = words::SplitGlued(word, parts);
    for (std::size_t k = 0; k < n && count < kMaxWords; ++k) out[count++] = parts[k];
  }
  return count;
}

}  // namespace

void Read(std::u16string_view input, std::uint16_t makers, Reading& reading) {
  std::string& lowered = reading.lowered;
  Lower(input, lowered);
  std::string_view raw[kMaxWords];
  const std::size_t n = Tokens(lowered, raw);
  reading.text.clear();
  // Room for every word the reading writes ("w/" is "with", "12g" "12gb",
  // "eight core" "8core"); a word that would not fit is left out, so the
  // views into the text stay valid.
  reading.text.reserve(2 * lowered.size() + 16 * kMaxWords);
  reading.count = 0;
  reading.makers = makers;
  reading.forms = 0;
  reading.processor_marks = false;
  reading.has_models = false;
  reading.dropped = 0;
  bool radeon = false;
  words::WordInfo info[kMaxWords];
  for (std::size_t i = 0; i < n; ++i) {
    // Maker and family words have no digit.
    if (!HasDigit(raw[i])) reading.makers |= MakerOfWord(raw[i], i > 0 ? raw[i - 1] : std::string_view());
    radeon = radeon || raw[i] == "radeon";
    info[i] = words::InfoOf(raw[i]);
  }

  auto at = [&](std::size_t i) { return i < n ? raw[i] : std::string_view(); };
  auto keep = [&](std::string_view a, std::string_view b, Kind kind, std::size_t last_raw, int line = 0) {
    // "r7" is two words: a text of more words than are read keeps the first.
    if (reading.count == kMaxWords || reading.text.size() + a.size() + b.size() > reading.text.capacity()) return;
    const std::size_t start = reading.text.size();
    reading.text.append(a).append(b);
    Word& word = reading.words[reading.count++];
    word.text = std::string_view(reading.text).substr(start);
    word.kind = kind;
    word.line = kind == Kind::kWord ? static_cast<std::uint8_t>(line) : 0;
    word.last = last_raw + 1 == n;
    if (kind == Kind::kModel || kind == Kind::kTier) reading.has_models = true;
    if (kind == Kind::kClock) reading.processor_marks = true;
  };
  auto previous = [&]() -> const Word* { return reading.count > 0 ? &reading.words[reading.count - 1] : nullptr; };
  auto after_model = [&] {
    const Word* p = previous();
    return p && (p->kind == Kind::kModel || p->kind == Kind::kTier);
  };

  for (std::size_t i = 0; i < n; ++i) {
    const std::string_view w = raw[i];
    const std::string_view next = at(i + 1);
    if (info[i].maker_name) continue;
    if (w == "cpu" || w == "processor") {
      reading.processor_marks = true;
      ++reading.dropped;
      continue;
    }
    if (info[i].dropped) {
      ++reading.dropped;
      continue;
    }
    if (next == "gen" && IsOrdinal(w)) {  // "13th Gen"
      ++i;
      reading.dropped += 2;
      continue;
    }
    if (next == "compute" && AllDigits(w) && (at(i + 2) == "cores" || at(i + 2) == "core")) {
      // "Radeon R7, 12 Compute Cores 4C+8G": the graphics of an APU's name.
      i += 2;
      if (IsCoreGroup(at(i + 1))) ++i;
      if (reading.count > 0 && IsRadeonClass(reading.words[reading.count - 1].text)) --reading.count;
      if (reading.count > 0 && reading.words[reading.count - 1].text == "radeon") --reading.count;
      reading.dropped += 3;
      continue;
    }
    if ((next == "core" || next == "cores") && words::CoreCount(w) > 0) {  // "16-Core", "Eight-Core"
      reading.processor_marks = true;
      keep(std::to_string(words::CoreCount(w)), "core", Kind::kVariant, i + 1);
      ++i;
      continue;
    }
    if (w == "with") {
      // "with Radeon Graphics", "w/ Radeon 780M Graphics", "with AMD Radeon
      // R5 Graphics": up to "Graphics", or to the end (a cut description).
      std::size_t j = i + 1;
      if (j < n && info[j].maker_name) ++j;
      if (at(j) == "radeon") {
        while (j < n && raw[j] != "graphics") ++j;
        reading.dropped += static_cast<int>(j - i);
        i = j;
        continue;
      }
    }
    if ((w == "with" && next == "max" && at(i + 2) == "q") || (w == "max" && next == "q")) {
      // "Max-Q", "with Max-Q Design": the one form, however it is written.
      reading.forms |= words::kMaxQ;
      i += w == "with" ? 2 : 1;
      if (at(i + 1) == "design") ++i;
      continue;
    }
    if (const std::uint8_t form = words::FormOf(w)) {
      reading.forms |= form;
      continue;
    }
    if ((next == "ghz" || next == "mhz") && IsNumber(w)) {  // "3.60 GHz"
      keep(w, next, Kind::kClock, i + 1);
      ++i;
      continue;
    }
    if (w == "rev" && i + 1 < n) {  // "Rev. A", "Rev. 2": a revision no list tells apart
      ++i;
      reading.dropped += 2;
      continue;
    }
    if (w == "0" && after_model()) {  // "Xeon(R) CPU E5-2670 0 @": the first version
      ++reading.dropped;
      continue;
    }
    if (w == "x" && AllDigits(next)) {  // "Core(TM) i7 CPU X 980": the i7-980X
      keep(next, "x", Kind::kModel, i + 1);
      ++i;
      continue;
    }
    if (!radeon && IsRyzenShorthand(w, next)) {  // "r7 7800x3d"
      keep("ryzen", {}, Kind::kWord, i, words::LineLevel("ryzen"));
      keep(w.substr(1), {}, Kind::kTier, i);
      continue;
    }
    const Word* p = previous();
    if (p && (p->text == "gtx" || p->text == "rtx") && w.size() == 5 && AllDigits(w.substr(0, 4)) && w[4] == 's') {
      keep(w.substr(0, 4), {}, Kind::kModel, i);  // "GTX 1660S": the 1660 SUPER
      keep("super", {}, Kind::kModel, i);
      continue;
    }
    Kind kind = Kind::kWord;
    if (IsClock(w)) {
      kind = Kind::kClock;
    } else if (IsMemory(w)) {
      keep(w, w.back() == 'g' ? "b" : "", Kind::kVariant, i);
      continue;
    } else if (w == "oem") {
      kind = Kind::kVariant;
    } else if ((w.size() == 2 && w[0] == 'i' && IsDigit(w[1])) ||
               (w.size() == 1 && IsDigit(w[0]) && p && words::LeadsTier(p->text))) {
      kind = Kind::kTier;
    } else if (HasDigit(w) || words::IsModelWord(w) ||
               ((info[i].suffix || w.back() == '+') && after_model())) {  // "9800 GTX+"
      kind = Kind::kModel;
    }
    keep(w, {}, kind, i, info[i].line);
  }
}

std::u16string Unwrap(std::u16string_view name, std::uint16_t& makers) {
  // No real name is longer; the rest of a longer text is not read.
  constexpr std::size_t kLongest = 1024;
  std::u16string s(name.substr(0, kLongest));
  auto lower = [](std::u16string_view t) {
    std::string out;
    for (char16_t c : t) out.push_back(c < 0x80 ? static_cast<char>(c >= u'A' && c <= u'Z' ? c + 32 : c) : '?');
    return out;
  };
  // ANGLE (Vendor, Device ..., D3D11)
  const std::size_t start = s.find_first_not_of(u' ');
  if (start != std::u16string::npos && lower(s.substr(start, 7)) == "angle (") {
    std::u16string inner = s.substr(start + 7);
    const std::size_t close = inner.rfind(u')');
    if (close != std::u16string::npos) inner.resize(close);
    const std::size_t comma = inner.find(u',');
    if (comma != std::u16string::npos) {
      makers |= MakersOf(std::u16string_view(inner).substr(0, comma));
      inner.erase(0, comma + 1);
      const std::size_t next = inner.find(u',');
      if (next != std::u16string::npos) inner.resize(next);
    }
    s = inner;
  }
  // Chip [Product]
  const std::size_t open = s.rfind(u'[');
  const std::size_t shut = open == std::u16string::npos ? open : s.find(u']', open);
  if (shut != std::u16string::npos && shut > open + 1) {
    makers |= MakersOf(std::u16string_view(s).substr(0, open));
    s = s.substr(open + 1, shut - open - 1);
  }
  // A driver's part in parentheses, or after an unclosed one.
  for (std::size_t i = s.find(u'('); i != std::u16string::npos; i = s.find(u'(', i + 1)) {
    const std::size_t close = s.find(u')', i);
    const std::size_t end = close == std::u16string::npos ? s.size() : close + 1;
    const std::string inside = lower(std::u16string_view(s).substr(i + 1, end - i - 1 - (close != s.npos)));
    if (words::IsDriverGroup(inside)) s = s.substr(0, i) + u' ' + s.substr(end);
  }
  return s;
}

std::size_t SplitCombined(std::u16string_view description, std::u16string (&out)[kMaxAlternatives]) {
  if (description.find(u'/') == std::u16string_view::npos) return 0;
  // Not a joined row ("Radeon HD 7660G + HD 7500M/7600M双卡"); "GTX+" is a model.
  if (description.find(u" + ") != std::u16string_view::npos || description.find(u'(') != std::u16string_view::npos) {
    return 0;
  }
  if (description.find(u"双卡") != std::u16string_view::npos) return 0;
  auto split = [](std::u16string_view text, char16_t at) {
    std::vector<std::u16string_view> parts;
    std::size_t i = 0;
    while (true) {
      const std::size_t end = text.find(at, i);
      std::u16string_view part = text.substr(i, end == text.npos ? text.npos : end - i);
      while (!part.empty() && part.front() == u' ') part.remove_prefix(1);
      while (!part.empty() && part.back() == u' ') part.remove_suffix(1);
      if (!part.empty()) parts.push_back(part);
      if (end == text.npos) break;
      i = end + 1;
    }
    return parts;
  };
  auto has_digit = [](std::u16string_view w) {
    return std::any_of(w.begin(), w.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
  };
  auto letter = [](char16_t c) { return static_cast<char16_t>(c >= u'A' && c <= u'Z' ? c + 32 : c); };
  const std::vector<std::u16string_view> segments = split(description, u'/');
  if (segments.size() < 2 || segments.size() > kMaxAlternatives) return 0;
  for (std::u16string_view segment : segments) {
    if (!has_digit(segment)) return 0;
  }
  std::vector<std::u16string_view> previous = split(segments[0], u' ');
  std::size_t count = 0;
  out[count++] = std::u16string(segments[0]);
  for (std::size_t k = 1; k < segments.size(); ++k) {
    const std::vector<std::u16string_view> own = split(segments[k], u' ');
    const std::u16string_view first = own[0];
    const bool digit_first = first[0] >= u'0' && first[0] <= u'9';
    // The word of the model before that this one replaces: a word of the
    // same shape ("R9" for "R7", "M270X" for "M370X", "6800" for "6900"),
    // else the same line word ("HD"), else all from the first line or model.
    std::size_t from = previous.size();
    for (std::size_t j = previous.size(); j-- > 0;) {
      const std::u16string_view p = previous[j];
      const bool p_digit_first = p[0] >= u'0' && p[0] <= u'9';
      if (digit_first        ? p_digit_first
          : has_digit(first) ? !p_digit_first && has_digit(p) && letter(p[0]) == letter(first[0])
                             : ToUtf8(p) == ToUtf8(first)) {
        from = j;
        break;
      }
    }
    if (from == previous.size()) {
      from = 0;
      while (from < previous.size() && !has_digit(previous[from])) {
        std::string w;
        for (char16_t c : previous[from]) w.push_back(static_cast<char>(letter(c) < 0x80 ? letter(c) : '?'));
        if (words::LineLevel(w) == 2) break;
        ++from;
      }
    }
    std::vector<std::u16string_view> alternative(previous.begin(), previous.begin() + static_cast<long>(from));
    alternative.insert(alternative.end(), own.begin(), own.end());
    std::u16string text;
    for (std::u16string_view w : alternative) {
      if (!text.empty()) text += u' ';
      text += w;
    }
    out[count++] = text;
    // The next one reads this one's words, which view into `out`.
    previous = split(out[count - 1], u' ');
  }
  return count;
}

}  // namespace tianti::query::reading
