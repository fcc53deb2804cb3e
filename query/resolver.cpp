#include "query/resolver.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

#include "common/utf8.h"
#include "data/ranking_rows.h"
#include "query/row_search.h"

namespace tianti::query {

namespace {

// ---- reading a name ------------------------------------------------------------

enum class Kind : std::uint8_t { kWord, kClock, kModel };

// The maker names, as bits; a name and a row of different makers never fit.
enum Maker : std::uint8_t { kAmd = 1, kIntel = 2, kNvidia = 4 };

// More words than any real name has; the rest of a longer text is not read.
constexpr std::size_t kMaxWords = 48;

struct Word {
  std::string_view text;  // into Reading::text
  Kind kind = Kind::kWord;
  bool last = false;  // holds the text's last word before anything was dropped
};

struct Reading {
  std::string text;     // the words' characters
  std::string lowered;  // the text read, in lower case
  Word words[kMaxWords];
  std::size_t count = 0;
  std::uint8_t makers = 0;
  bool processor_marks = false;
  // Words dropped other than makers: "Radeon RX Vega 11 Processor" is read as
  // "Radeon RX Vega 11" and ties with it, but is the less plain of the two.
  int dropped = 0;

  Reading() = default;
  Reading(const Reading&) = delete;
  Reading& operator=(const Reading&) = delete;
};

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

// The count before "-Core": "16", "quad", "eight".
bool IsCoreCount(std::string_view w) {
  static constexpr std::string_view kCounts[] = {"single", "dual", "triple", "quad",   "six",    "hexa",
                                                 "eight",  "octa", "ten",    "twelve", "sixteen"};
  return AllDigits(w) || std::find(std::begin(kCounts), std::end(kCounts), w) != std::end(kCounts);
}

// "4c+8g", the core groups after "Compute Cores".
bool IsCoreGroup(std::string_view w) {
  const std::size_t c = w.find("c+");
  return c != std::string_view::npos && c + 3 < w.size() + 1 && AllDigits(w.substr(0, c)) && w.back() == 'g' &&
         AllDigits(w.substr(c + 2, w.size() - c - 3));
}

std::uint8_t MakerOf(std::string_view w) {
  if (w == "amd" || w == "ati") return kAmd;
  if (w == "intel") return kIntel;
  if (w == "nvidia") return kNvidia;
  return 0;
}

// "r7", the graphics of an APU's name.
bool IsRadeonClass(std::string_view w) { return w.size() > 1 && w[0] == 'r' && AllDigits(w.substr(1)); }

// Whether a word may be one that Read drops or joins: any word of letters,
// a number, or an ordinal; not a model number such as "7950x".
bool MaybeSpecial(std::string_view w) {
  switch (w[0]) {
    case 'a':
    case 'c':
    case 'i':
    case 'n':
    case 'p':
    case 's':
    case 'w':  // the words
    case 'd':
    case 'e':
    case 'h':
    case 'o':
    case 'q':
    case 't':  // the counts
      return true;
    default:
      return IsDigit(w[0]);  // numbers, counts, ordinals
  }
}

bool IsWordChar(char c) {
  return IsAlnum(c) || c == '.' || c == '+' || c == '_' || c == '#' || static_cast<unsigned char>(c) >= 0x80;
}

// The text in lower case into `out`, with the row conventions undone and the
// marks (R) (TM) ® ™ gone; a mark right before a digit joins the two
// ("Core(TM)2" is "Core2").
void Lower(std::u16string_view text, bool row_description, std::string& out) {
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
    } else if (c == u'\u00ae' || c == u'\u2122') {
      mark(i + 1);
    } else if (row_description && text.substr(i, 2) == u"双卡") {
      out += " dual";
      ++i;
    } else if (row_description && text.substr(i, 3) == u"移动版") {
      out += "mobility";
      i += 2;
    } else {
      AppendUtf8(out, c >= 0xD800 && c < 0xE000 ? U'\uFFFD' : c);
    }
  }
}

// Splits `text` into words at every mark but . + _ #: "w/" at a word's start
// is "with", a lone "+" is a word, a number and its GHz are one word.
std::size_t RawWords(std::string_view text, std::string_view (&raw)[kMaxWords]) {
  std::size_t count = 0;
  std::size_t i = 0;
  while (i < text.size() && count < kMaxWords) {
    if (!IsWordChar(text[i])) {
      ++i;
      continue;
    }
    if (text[i] == 'w' && text.compare(i, 2, "w/") == 0) {
      raw[count++] = "with";
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
    if (has_content) raw[count++] = word;
  }
  return count;
}

void Read(std::u16string_view input, bool row_description, Reading& reading) {
  std::string& lowered = reading.lowered;
  Lower(input, row_description, lowered);
  std::string_view raw[kMaxWords];
  const std::size_t n = RawWords(lowered, raw);
  reading.text.clear();
  // The words never take more room than this ("w/" becomes "with"), so the
  // views into the text stay valid while it grows.
  reading.text.reserve(2 * lowered.size() + 8);
  reading.count = 0;
  reading.makers = 0;
  reading.processor_marks = false;
  std::size_t joined = 0, makers = 0;
  auto at = [&](std::size_t i) { return i < n ? raw[i] : std::string_view(); };
  auto keep = [&](std::string_view a, std::string_view b, std::size_t last_raw) {
    const std::size_t start = reading.text.size();
    reading.text.append(a).append(b);
    Word& word = reading.words[reading.count++];
    word.text = std::string_view(reading.text).substr(start);
    word.kind = IsClock(word.text) ? Kind::kClock : HasDigit(word.text) ? Kind::kModel : Kind::kWord;
    if (word.kind == Kind::kClock) reading.processor_marks = true;
    word.last = last_raw + 1 == n;
  };
  for (std::size_t i = 0; i < n; ++i) {
    const std::string_view w = raw[i];
    if (!MaybeSpecial(w)) {
      keep(w, {}, i);
      continue;
    }
    const std::string_view next = at(i + 1);
    if (w == "cpu" || w == "processor") {
      reading.processor_marks = true;
      continue;
    }
    if (const std::uint8_t maker = MakerOf(w)) {
      reading.makers |= maker;
      ++makers;
      continue;
    }
    if (w == "apu" || w == "series") continue;
    if (next == "gen" && IsOrdinal(w)) {  // "13th Gen"
      ++i;
      continue;
    }
    if (next == "compute" && AllDigits(w) && (at(i + 2) == "cores" || at(i + 2) == "core")) {
      // "Radeon R7, 12 Compute Cores 4C+8G": the graphics of an APU's name.
      i += 2;
      if (IsCoreGroup(at(i + 1))) ++i;
      if (reading.count > 0 && IsRadeonClass(reading.words[reading.count - 1].text)) --reading.count;
      if (reading.count > 0 && reading.words[reading.count - 1].text == "radeon") --reading.count;
      continue;
    }
    if ((next == "core" || next == "cores") && IsCoreCount(w)) {  // "16-Core"
      reading.processor_marks = true;
      ++i;
      continue;
    }
    if (w == "with") {
      // "with Radeon Graphics", "w/ Radeon 780M Graphics", "with AMD Radeon
      // R5 Graphics": up to "Graphics", or to the end (a cut description).
      std::size_t j = i + 1;
      if (MakerOf(at(j))) ++j;
      if (at(j) == "radeon") {
        while (j < n && raw[j] != "graphics") ++j;
        i = j;
        continue;
      }
    }
    if ((next == "ghz" || next == "mhz") && IsNumber(w)) {  // "3.60 GHz"
      keep(w, next, i + 1);
      ++i;
      ++joined;
      continue;
    }
    keep(w, {}, i);
  }
  reading.dropped = static_cast<int>(n - joined - makers - reading.count);
}

// ---- the lists ---------------------------------------------------------------------

const data::RowList& ListOf(char16_t list) { return list == u'C' ? data::kCpuRows : data::kGpuRows; }

// Row i of a compiled list: "|C1   |<description, 40 columns>|99327|".
ListRow TakeApart(const data::RowList& list, int i) {
  const std::u16string_view row = list.Row(i);
  ListRow r;
  r.list = list.letter;
  r.rank = i + 1;
  std::u16string_view description = row.substr(7, row.size() - 14);
  while (!description.empty() && description.back() == u' ') description.remove_suffix(1);
  r.description = description;
  for (char16_t c : row.substr(row.size() - 6, 5)) {
    if (c >= u'0' && c <= u'9') r.score = r.score * 10 + (c - u'0');
  }
  return r;
}

// Whether a description may have been cut at 40 columns: it fills the field,
// or all but the column of a Chinese character that did not fit.
bool MayBeCut(std::u16string_view row) {
  const std::size_t bar = row.size() - 7;  // the third bar
  if (row[bar - 1] != u' ') return true;
  if (row[bar - 2] < 0x80) return false;  // a space, or a Latin character that ends there
  int columns = 0;
  for (char16_t c : row.substr(7, bar - 7)) columns += c < 0x80 ? 1 : 2;
  return columns >= 40;
}

// Whether the last word of a row that may have been cut could be the start
// of one of the name's words; a row whose words are all whole and which
// holds none of the name's model numbers cannot fit.
bool TailMayFit(std::u16string_view row, const Reading& name) {
  const std::u16string_view description = row.substr(7, row.size() - 14);
  std::string tail;
  for (std::size_t i = description.size(); i-- > 0;) {
    const char16_t c = description[i];
    if (c >= 0x80) return true;  // Chinese: read the row
    const char lower = static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
    if (!IsWordChar(lower)) break;
    tail.insert(tail.begin(), lower);
  }
  while (!tail.empty() && tail.front() == '.') tail.erase(tail.begin());  // as RawWords trims
  if (tail.empty()) return true;
  for (std::size_t j = 0; j < name.count; ++j) {
    if (name.words[j].text.compare(0, tail.size(), tail) == 0) return true;
  }
  return false;
}

// ---- fitting a row to a name ---------------------------------------------------

struct Fit {
  int missing = 0;       // the name's model words the row lacks
  int added_models = 0;  // the row's model words the name lacks
  int added_clocks = 0;  // the row's clocks the name lacks
  int added_words = 0;   // the row's other words the name lacks, clocks included
  int unused = 0;        // the name's other words the row lacks
  int unused_plain = 0;  // of those, the ones other than "graphics"
  int matched = 0;       // whole words in both; a cut word does not count
  int matched_models = 0;
  int dropped = 0;  // the row's dropped words
  bool other_maker = false;

  // Smaller is better.
  auto Key() const { return std::make_tuple(missing, added_models, added_words, unused, dropped); }
  // How well a row answers; rows of the two lists are weighed without the
  // dropped words, so that the CPU row wins "equally well".
  auto AnswerKey() const { return std::make_tuple(added_words, unused); }
  auto ListKey() const { return std::make_tuple(added_words, unused, dropped); }
};

struct Name {
  const Reading& reading;
  bool has_models = false;
};

bool Answers(const Fit& fit, const Name& name) {
  if (fit.other_maker || fit.missing > 0 || fit.added_models > 0 || fit.matched == 0) return false;
  // Without a model number only a row of exactly the name's words answers:
  // "Intel Xeon Processor" is not the one row "Intel Xeon@2.00GHz".
  return name.has_models || (fit.unused_plain == 0 && fit.added_clocks == 0);
}

bool Near(const Fit& fit, const Name& name) {
  if (fit.other_maker) return false;
  return name.has_models ? fit.matched_models > 0 : fit.matched > 0 && fit.unused_plain == 0;
}

Fit FitRow(const Reading& row, bool may_be_cut, const Name& name) {
  const Reading& words = name.reading;
  bool used[kMaxWords] = {};
  Fit fit;
  fit.other_maker = row.makers != 0 && words.makers != 0 && (row.makers & words.makers) == 0;
  fit.dropped = row.dropped;
  std::size_t counted_to = words.count;  // name words after a cut are not counted
  for (std::size_t k = 0; k < row.count; ++k) {
    const Word& rw = row.words[k];
    const bool tail = may_be_cut && rw.last;
    std::size_t j = 0;
    while (j < words.count && (used[j] || words.words[j].text != rw.text)) ++j;
    if (j == words.count && tail) {
      j = 0;
      while (j < words.count && (used[j] || words.words[j].text.compare(0, rw.text.size(), rw.text) != 0)) {
        ++j;
      }
    }
    if (j < words.count) {
      used[j] = true;
      if (words.words[j].text == rw.text) {
        ++fit.matched;
        if (rw.kind == Kind::kModel) ++fit.matched_models;
      }
      if (tail) counted_to = j + 1;
    } else if (rw.kind == Kind::kModel) {
      ++fit.added_models;
    } else {
      ++fit.added_words;
      if (rw.kind == Kind::kClock) ++fit.added_clocks;
    }
  }
  for (std::size_t j = 0; j < counted_to; ++j) {
    if (used[j]) continue;
    if (words.words[j].kind == Kind::kModel) {
      ++fit.missing;
    } else {
      ++fit.unused;
      if (words.words[j].text != "graphics") ++fit.unused_plain;
    }
  }
  return fit;
}

struct Scored {
  Fit fit;
  ListRow row;
};

bool BetterCandidate(const Scored& a, const Scored& b) {
  if (a.fit.Key() != b.fit.Key()) return a.fit.Key() < b.fit.Key();
  if (a.row.rank != b.row.rank) return a.row.rank < b.row.rank;
  return a.row.list == u'C' && b.row.list != u'C';
}

// The best answering fit of one list and how many rows share it.
struct Best {
  std::optional<Fit> fit;
  ListRow row;
  int ties = 0;

  void Offer(const Fit& f, const ListRow& r) {
    if (!fit || f.ListKey() < fit->ListKey()) {
      fit = f;
      row = r;
      ties = 1;
    } else if (f.ListKey() == fit->ListKey()) {
      ++ties;
    }
  }
};

// The upper case of a word of a name, as the row search takes it.
std::u16string UpperWord(std::string_view word) {
  std::u16string upper = FromUtf8(word);
  for (char16_t& c : upper) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return upper;
}

// Marks in `wanted` the rows of `list` whose text contains one of `terms`,
// four terms a pass.
void MarkRowsWith(const data::RowList& list, const std::vector<std::u16string>& terms, std::vector<char>& wanted) {
  const RowBlock block{list.text, list.folded, list.start, list.count, list.longest};
  for (std::size_t first = 0; first < terms.size(); first += RowFinder::kMaxTerms) {
    std::vector<Term> pass;
    RowFinder finder;
    for (std::size_t k = first; k < terms.size() && k < first + RowFinder::kMaxTerms; ++k) {
      pass.emplace_back(terms[k]);
    }
    for (const Term& term : pass) finder.Add(term);
    for (int i = finder.FirstMatch(block, 0); i < block.rows; i = finder.FirstMatch(block, i + 1)) {
      wanted[static_cast<std::size_t>(i)] = 1;
    }
  }
}

}  // namespace

std::vector<std::string> ResolverWords(std::u16string_view name) {
  Reading reading;
  Read(name, false, reading);
  std::vector<std::string> words;
  for (std::size_t i = 0; i < reading.count; ++i) words.emplace_back(reading.words[i].text);
  return words;
}

Resolution Resolve(std::u16string_view text, Scope scope) {
  Reading reading;
  Read(text, false, reading);
  Name name{reading};
  Resolution result;
  if (reading.count == 0) return result;

  // Only rows that contain one of the name's longer model numbers (or, for a
  // name without one, its first word) can fit; the row search finds them,
  // and only those and the rows that may have been cut are read.
  std::vector<std::u16string> model_terms, long_terms, word_terms, graphics;
  for (std::size_t i = 0; i < reading.count; ++i) {
    const Word& w = reading.words[i];
    if (w.kind == Kind::kModel) {
      name.has_models = true;
      (w.text.size() >= 3 ? long_terms : model_terms).push_back(UpperWord(w.text));
    } else if (word_terms.empty() && w.kind == Kind::kWord && w.text != "mobility" && w.text != "dual" &&
               w.text != "+") {
      // Not 移动版 or 双卡, which the row does not hold as such; "graphics",
      // which a row need not have, only when there is no other word.
      if (w.text == "graphics") {
        if (graphics.empty()) graphics.push_back(UpperWord(w.text));
      } else {
        word_terms.push_back(UpperWord(w.text));
      }
    }
  }
  if (word_terms.empty()) word_terms = std::move(graphics);
  const std::vector<std::u16string>& terms = !long_terms.empty()    ? long_terms
                                             : !model_terms.empty() ? model_terms
                                                                    : word_terms;

  const bool cpu = scope != Scope::kGpu;
  const bool gpu = scope != Scope::kCpu && !(scope == Scope::kAll && reading.processor_marks);
  Best best_cpu, best_gpu;
  std::vector<Scored> candidates;
  Reading row_reading;
  for (const data::RowList* list : {&data::kCpuRows, &data::kGpuRows}) {
    if (list->letter == u'C' ? !cpu : !gpu) continue;
    std::vector<char> wanted(static_cast<std::size_t>(list->count), terms.empty() ? 1 : 0);
    if (!terms.empty()) MarkRowsWith(*list, terms, wanted);
    for (int i = 0; i < list->count; ++i) {
      const bool may_be_cut = MayBeCut(list->Row(i));
      if (!wanted[static_cast<std::size_t>(i)] && !(may_be_cut && TailMayFit(list->Row(i), reading))) {
        continue;
      }
      const ListRow row = TakeApart(*list, i);
      Read(row.description, true, row_reading);
      const Fit fit = FitRow(row_reading, may_be_cut, name);
      if (Answers(fit, name)) (list->letter == u'C' ? best_cpu : best_gpu).Offer(fit, row);
      if (Near(fit, name)) candidates.push_back({fit, row});
    }
  }

  // The CPU list answers when it fits at least as well as the GPU list.
  const Best* best = nullptr;
  if (best_cpu.fit && (!best_gpu.fit || best_cpu.fit->AnswerKey() <= best_gpu.fit->AnswerKey())) {
    best = &best_cpu;
  } else if (best_gpu.fit) {
    best = &best_gpu;
  }
  if (best && best->ties == 1) {
    result.row = best->row;
    return result;
  }

  const std::size_t shown = std::min<std::size_t>(candidates.size(), kMaxCandidates);
  std::partial_sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(shown), candidates.end(),
                    BetterCandidate);
  for (std::size_t i = 0; i < shown; ++i) result.candidates.push_back(candidates[i].row);
  return result;
}

std::optional<ListRow> RowAt(char16_t list, int rank) {
  if (list != u'C' && list != u'G') return std::nullopt;
  const data::RowList& rows = ListOf(list);
  if (rank < 1 || rank > rows.count) return std::nullopt;
  return TakeApart(rows, rank - 1);
}

std::vector<ListRow> RowsAround(const ListRow& center, int count) {
  std::vector<ListRow> rows;
  if (center.list != u'C' && center.list != u'G') return rows;
  const data::RowList& list = ListOf(center.list);
  count = std::max(count, 0);
  const long first = std::max(1L, static_cast<long>(center.rank) - count);
  const long last = std::min(static_cast<long>(list.count), static_cast<long>(center.rank) + count);
  for (long rank = first; rank <= last; ++rank) rows.push_back(TakeApart(list, static_cast<int>(rank) - 1));
  return rows;
}

}  // namespace tianti::query
