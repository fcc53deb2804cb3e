// From a device name as a system reports it or a person writes it ("Intel(R)
// Core(TM) i7-7700 CPU @ 3.60GHz", "NVIDIA GeForce RTX 4090") to the one
// ranking row it names, or to no row and the rows that come closest. It knows
// no window and no output format; the CLI's --compare, --near and --mine use it.
//
// Names and row descriptions go through the same reading:
//  - the row conventions are undone: "@" separates like a space, "双卡" reads
//    " Dual", "移动版" reads "Mobility"; a description that fills all 40
//    columns may have been cut, so its last word may be the start of a word
//    of the name, and the name's words after that one are not counted;
//  - letter case, the marks (R), (TM), ®, ™ and the words systems add are
//    dropped: CPU, Processor, APU, Series, "N-Core", "12th Gen",
//    "w/ Radeon ... Graphics", "with Radeon Graphics", "Radeon R7, 12 Compute
//    Cores 4C+8G", and the maker names AMD, Intel, NVIDIA and ATI;
//  - the rest splits into words at spaces and marks (- / , ( ) [ ] and the
//    like), keeping . + _ # inside words ("3.60ghz", "4c+8g"). A clock
//    ("3.60 GHz") is one word.
// A word with a digit is a model word. A row can be the answer only when
// every model word of the name is one of the row's, and the row has no model
// word the name lacks: model numbers match as whole words, so "7950X" is not
// "7950X3D" and "580" is not "580X". Of those rows the one that adds the
// fewest words the name lacks wins, then the one that leaves the fewest of
// the name's words unused; a tie is no answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "query/engine.h"

namespace tianti::query {

// One row of a ranking list, taken apart. The description refers to the row
// text compiled into the program.
struct ListRow {
  char16_t list = 0;                // u'C' or u'G'
  int rank = 0;                     // 1 for the list's highest score
  std::u16string_view description;  // without its fill spaces
  int score = 0;

  bool operator==(const ListRow& other) const { return list == other.list && rank == other.rank; }
};

inline constexpr int kMaxCandidates = 5;

struct Resolution {
  // The one row the name names; empty when no row or more than one fits.
  std::optional<ListRow> row;
  // Without a row: up to kMaxCandidates rows that come closest, best fit
  // first, equal fits by rank (the CPU list first at equal ranks). Rows fit
  // when they share a model word with the name (all of its words, for a name
  // without model words).
  std::vector<ListRow> candidates;
};

// Resolves `name` within `scope`. In scope ALL a name with a processor's
// marks (Processor, CPU, N-Core, a clock in GHz) resolves in the CPU list
// only; otherwise both lists are read, and when the best CPU row fits as well
// as the best GPU row, the CPU list answers.
Resolution Resolve(std::u16string_view name, Scope scope);

// The words a name is read as, lower case, in order, for tests and
// diagnostics: ResolverWords(u"AMD Ryzen 9 7950X 16-Core Processor") is
// {"ryzen", "9", "7950x"}.
std::vector<std::string> ResolverWords(std::u16string_view name);

// The makers (query/maker.h bits) a name is read as: its maker and family
// words, those of a wrapper's vendor ("ANGLE (NVIDIA, ...)") and of Chinese
// family names ("锐龙" AMD). An answer's row never names only other makers.
std::uint16_t ResolverMakers(std::u16string_view name);

// The row of `list` (u'C' or u'G') with the given rank, if there is one.
std::optional<ListRow> RowAt(char16_t list, int rank);

// The rows of `center`'s list from `count` ranks above it to `count` below,
// itself included; fewer at either end of the list.
std::vector<ListRow> RowsAround(const ListRow& center, int count);

}  // namespace tianti::query
