// From a device name as a system reports it or a person writes it ("Intel(R)
// Core(TM) i7-7700 CPU @ 3.60GHz", "NVIDIA GeForce RTX 4090") to the one
// ranking row it names, or to no row and the rows that come closest. It knows
// no window and no output format; the CLI's --compare, --near and --mine use it.
//
// Names and row descriptions go through the same reading (name_reading.h,
// with the word tables of resolver_words.h):
//  - a name is first taken out of its wrapper: the PCI ID list's "Chip
//    [Product]", a browser's "ANGLE (Vendor, Device ..., D3D11)", a
//    renderer's driver part "(navi22, LLVM 15.0.7, DRM 3.54)" or "/PCIe/SSE2";
//  - letter case, the marks (R), (TM), ®, ™, the words systems add (CPU,
//    Processor, Series, "13th Gen", "w/ Radeon 780M Graphics") and the maker
//    names are dropped; Chinese family names read as English ("锐龙" Ryzen,
//    "酷睿" Core), "显卡", "处理器", "核显" go; glued words come apart
//    ("rtx4070super", "4060ti", "E5-2680v4"), "12G" is 12GB, "r7 7800x3d" a
//    Ryzen 7;
//  - each word is of a kind: a model number or suffix ("7950x", "Ti",
//    "SUPER", "XT", "Pro"), a tier a name may leave out ("i9", Ryzen's "7"),
//    a variant ("8GB", "16 Core", "OEM"), a family or line ("GeForce", "RTX",
//    "HD", "Xeon"), a form (Laptop GPU, Mobile, Max-Q, 移动版, 笔记本);
//  - combined rows ("Radeon RX 470/570") are read once for each model.
// A row is another device when its makers (query/maker.h: by maker and family
// words) and the name's share none, when both name families or lines and
// share none, when a model word of either is not the other's, when the name
// says a form the row lacks or both say different variants. Of the rest the
// closest answers: the form and the variant the name says, then the fewest
// words added or unused; a laptop row answers a name without a form only as
// the model's one row ("RTX 3050 Ti"), a variant no row tells apart falls back
// to the plain row ("GTX 1060 6GB"). A tie is no answer: rows for several
// variants ("RTX 5060 Ti": 8GB and 16GB) are candidates. A description that
// fills all 40 columns may have been cut: its last word may be the start of
// the name's word at that place, the name's words after it are not counted,
// but one of the name's model words must be the row's.
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
