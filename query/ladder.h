// The 天梯图 as geometry: the rows of one ranking list placed in maker
// columns at heights read off one score axis, with tier bands across all
// columns. No output format here; query/ladder_svg.h draws it.
//
// Heights are in units of the caller's choosing (row_height per label). The
// axis runs down from the highest score shown; it is linear except where a
// column's labels would overlap: there the axis stretches, for every column
// at once, just enough for the lower label to sit below the upper one. So
// within a column order by score always holds and rows of equal score stay
// together, and across columns rows of equal score sit at the same height.
//
// Tier rule: a row's tier is how many times the list's best score must be
// halved to come down to its score: at least 1/2 of the best is 旗舰, 1/4 高端,
// 1/8 中端, 1/16 入门, anything lower 办公 (the same for CPU and GPU).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "query/engine.h"
#include "query/resolver.h"

namespace tianti::query {

inline constexpr int kTiers = 5;

// 旗舰, 高端, 中端, 入门, 办公 for tiers 0 to 4.
std::u16string_view TierName(int tier);

// The tier of `score` in a list whose best score is `best` (see above).
int TierOf(int score, int best);

// The lowest score of `tier` (0 to kTiers - 2) in a list whose best score
// is `best`: best / 2^(tier + 1), rounded up.
int TierFloor(int tier, int best);

struct LadderColumn {
  std::u16string_view name;  // "Intel", "AMD", "NVIDIA" or "其他"
  std::uint16_t maker;       // query/maker.h's bit; 0 for 其他
};

// The columns of a list (u'C' or u'G'): CPU Intel, AMD, 其他; GPU NVIDIA,
// AMD, Intel, 其他.
std::vector<LadderColumn> LadderColumns(char16_t list);

struct LadderEntry {
  ListRow row;
  bool marked = false;
};

struct LadderRow {
  ListRow row;
  // Its lead maker's column (query/maker.h), or the last one, 其他, for any
  // other maker or none.
  int column = 0;
  int top = 0;  // the label takes [top, top + row_height)
  int tier = 0;
  bool marked = false;
};

// A tier's stretch of the chart, across all columns: [top, bottom).
struct LadderBand {
  int tier = 0;
  int top = 0;
  int bottom = 0;
};

// A score on the axis and its height. Never inside a label.
struct LadderTick {
  int score = 0;
  int y = 0;
};

struct Ladder {
  char16_t list = 0;
  int best = 0;  // the list's best score, the tiers' yardstick
  int row_height = 0;
  int height = 0;                     // every label, band and tick lies in [0, height)
  std::vector<LadderColumn> columns;  // those with rows; all of them when there are none
  std::vector<LadderRow> rows;        // best score first, equal scores by rank
  std::vector<LadderBand> bands;      // none when there are no rows
  std::vector<LadderTick> ticks;      // highest score first
};

struct LadderGeometry {
  int row_height = 16;
  // The height the linear part of the axis gives the scores shown, top to
  // bottom, before any stretch.
  int linear_height = 800;
  // The least distance between two ticks.
  int tick_gap = 96;
};

// Lays out `entries`, rows of list `list` (u'C' or u'G') whose best score
// is `best`. Any order; an entry whose rank comes twice is drawn once
// (marked if either is).
Ladder LayOutLadder(char16_t list, int best, std::vector<LadderEntry> entries, const LadderGeometry& geometry = {});

// The entries a ladder of the compiled list of `scope` (kCpu or kGpu) draws:
// with no main term the whole list, else every row the query of `terms`
// finds (SearchAll); and the rows of `marks` in that list, marked. Marks of
// the other list are left out. Throws std::invalid_argument for kAll.
std::vector<LadderEntry> LadderEntries(Scope scope, const Terms& terms, const std::vector<ListRow>& marks);

// u'C' or u'G' for kCpu or kGpu; throws std::invalid_argument for kAll.
char16_t LadderList(Scope scope);

}  // namespace tianti::query
