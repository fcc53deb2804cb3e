#include "query/resolver.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

#include "common/utf8.h"
#include "data/ranking_rows.h"
#include "query/maker.h"
#include "query/name_reading.h"
#include "query/row_fit.h"
#include "query/row_search.h"

namespace tianti::query {

namespace {

using fit::Fit;
using reading::Kind;
using reading::Reading;
using reading::Word;

bool IsWordChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || c == '.' || c == '+' || c == '_' || c == '#' ||
         static_cast<unsigned char>(c) >= 0x80;
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

// The rows of `list` that may have been cut, found once.
const std::vector<int>& CutRows(const data::RowList& list) {
  static const auto kFind = [](const data::RowList& l) {
    std::vector<int> rows;
    for (int i = 0; i < l.count; ++i) {
      if (MayBeCut(l.Row(i))) rows.push_back(i);
    }
    return rows;
  };
  static const std::vector<int> kCpu = kFind(data::kCpuRows);
  static const std::vector<int> kGpu = kFind(data::kGpuRows);
  return list.letter == u'C' ? kCpu : kGpu;
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

// A row's readings: of the row as a whole, and of each model a combined
// row names.
struct RowReadings {
  Reading whole, part;
  std::u16string texts[reading::kMaxAlternatives];
};

// The best fit of a row to the name: of the row as a whole and, for a
// combined row, of each model it names.
Fit FitOfRow(const data::RowList& list, bool may_be_cut, const ListRow& row, const Reading& name,
             std::u16string_view text, RowReadings& readings) {
  const std::uint16_t makers = ListRowMakers(list.letter, row.description);
  reading::Read(row.description, makers, readings.whole);
  Fit best = fit::FitRow(readings.whole, may_be_cut, name);
  const std::size_t n = reading::SplitCombined(row.description, readings.texts);
  for (std::size_t k = 0; k < n; ++k) {
    reading::Read(readings.texts[k], makers, readings.part);
    Fit f = fit::FitRow(readings.part, false, name);
    f.combined = 1;
    if (f.Key() < best.Key()) best = f;
  }
  // A GPU row named after a processor is that processor's graphics: only a
  // name of a processor names it ("Radeon HD 7600" is not "Radeon Ryzen 5
  // 7600"), and a processor's name names no other graphics.
  if (list.letter == u'G' && best.processor_row != best.processor_name) best.other_line = true;
  best.not_verbatim = text == row.description ? 0 : 1;
  return best;
}

}  // namespace

std::vector<std::string> ResolverWords(std::u16string_view name) {
  Reading reading;
  std::uint16_t makers = 0;
  const std::u16string device = reading::Unwrap(name, makers);
  reading::Read(device, makers | MakersOf(device), reading);
  std::vector<std::string> words;
  for (std::size_t i = 0; i < reading.count; ++i) words.emplace_back(reading.words[i].text);
  return words;
}

std::uint16_t ResolverMakers(std::u16string_view name) {
  Reading reading;
  std::uint16_t makers = 0;
  const std::u16string device = reading::Unwrap(name, makers);
  reading::Read(device, makers | MakersOf(device), reading);
  return reading.makers;
}

Resolution Resolve(std::u16string_view text, Scope scope) {
  Reading name;
  std::uint16_t wrapper_makers = 0;
  const std::u16string device = reading::Unwrap(text, wrapper_makers);
  reading::Read(device, wrapper_makers | MakersOf(device), name);
  Resolution result;
  if (name.count == 0) return result;
  std::u16string_view verbatim = text;  // as a row would hold it
  while (!verbatim.empty() && verbatim.front() == u' ') verbatim.remove_prefix(1);
  while (!verbatim.empty() && verbatim.back() == u' ') verbatim.remove_suffix(1);

  // Only rows that contain one of the name's longer model numbers (or, for a
  // name without one, its first word) can fit; the row search finds them,
  // and only those and the rows that may have been cut are read.
  std::vector<std::u16string> model_terms, long_terms, word_terms, graphics;
  for (std::size_t i = 0; i < name.count; ++i) {
    const Word& w = name.words[i];
    const bool digit = std::any_of(w.text.begin(), w.text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if ((w.kind == Kind::kModel || w.kind == Kind::kTier) && digit) {
      (w.text.size() >= 3 ? long_terms : model_terms).push_back(UpperWord(w.text));
    } else if (word_terms.empty() && w.kind == Kind::kWord && w.text != "mobility" && w.text != "dual" &&
               w.text != "+" && static_cast<unsigned char>(w.text[0]) < 0x80) {
      // Not 双卡, which the row does not hold as such, nor a word the
      // reading made of Chinese; "graphics", which a row need not have, only
      // when there is no other word.
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
  const bool gpu = scope != Scope::kCpu && !(scope == Scope::kAll && name.processor_marks);
  Best best_cpu, best_gpu;
  std::vector<Scored> candidates;
  RowReadings readings;
  for (const data::RowList* list : {&data::kCpuRows, &data::kGpuRows}) {
    if (list->letter == u'C' ? !cpu : !gpu) continue;
    // 1: a row the search found; 2: a cut row whose last word may fit.
    std::vector<char> wanted(static_cast<std::size_t>(list->count), terms.empty() ? 1 : 0);
    if (!terms.empty()) MarkRowsWith(*list, terms, wanted);
    for (int i : CutRows(*list)) {
      char& w = wanted[static_cast<std::size_t>(i)];
      if (w != 0 || TailMayFit(list->Row(i), name)) w = 2;
    }
    for (int i = 0; i < list->count; ++i) {
      if (wanted[static_cast<std::size_t>(i)] == 0) continue;
      const bool may_be_cut = wanted[static_cast<std::size_t>(i)] == 2;
      const ListRow row = TakeApart(*list, i);
      const Fit fit = FitOfRow(*list, may_be_cut, row, name, verbatim, readings);
      if (fit::Answers(fit, name)) (list->letter == u'C' ? best_cpu : best_gpu).Offer(fit, row);
      if (fit::Near(fit, name)) candidates.push_back({fit, row});
    }
  }

  // The CPU list answers when it fits at least as well as the GPU list, and
  // always over a processor's own graphics ("Radeon Ryzen 7 9800X3D").
  const Best* best = nullptr;
  if (best_cpu.fit &&
      (!best_gpu.fit || best_gpu.fit->processor_row || best_cpu.fit->AnswerKey() <= best_gpu.fit->AnswerKey())) {
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
