#include "query/ladder.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "data/ranking_rows.h"
#include "query/maker.h"
#include "query/rank_row_array.h"

namespace tianti::query {

namespace {

constexpr std::u16string_view kTierNames[kTiers] = {u"旗舰", u"高端", u"中端", u"入门", u"办公"};

// The rows of one score, across all columns: their labels start at `top`;
// every label of this score or a higher one ends by `bottom`.
struct Level {
  int score = 0;
  int top = 0;
  int bottom = 0;
};

// A height on the axis that no label crosses, if there is one: -1 for none.
constexpr int kNoHeight = -1;

// The axis: score to height, from the levels of the rows shown (highest
// score first). A score of a level is that level's top; a score between two
// levels falls in the gap between them, in proportion; beyond the ends the
// axis goes on at its linear slope. Where the labels above a score reach
// lower than the labels below it start (in another column), no line across
// all columns can stand for that score.
class Axis {
 public:
  Axis(std::vector<Level> levels, double slope) : levels_(std::move(levels)), slope_(slope) {}

  int At(int score) const {
    if (levels_.empty()) return 0;
    const Level& first = levels_.front();
    if (score >= first.score) return first.top - Linear(score - first.score);
    // The first level at or below the score.
    const auto lo = std::lower_bound(levels_.begin(), levels_.end(), score,
                                     [](const Level& level, int s) { return level.score > s; });
    if (lo == levels_.end()) return levels_.back().bottom + Linear(levels_.back().score - score);
    const Level& hi = *(lo - 1);
    if (hi.bottom > lo->top) return kNoHeight;
    if (lo->score == score) return lo->top;
    const long long gap = lo->top - hi.bottom;
    return hi.bottom + static_cast<int>(gap * (hi.score - score) / (hi.score - lo->score));
  }

  const std::vector<Level>& levels() const { return levels_; }

 private:
  int Linear(long long points) const { return static_cast<int>(std::lround(slope_ * static_cast<double>(points))); }

  std::vector<Level> levels_;
  double slope_;
};

// The decade of a step of 1, 2, 5, 10, 20, 50 ...: 1, 10, 100 ...
int Decade(int step) {
  int decade = 1;
  while (decade <= step / 10) decade *= 10;
  return decade;
}

// The next finer step; 0 after 1.
int Finer(int step) {
  const int decade = Decade(step);
  if (step == decade) return decade / 2;  // 10 -> 5, 1 -> 0
  if (step == 5 * decade) return 2 * decade;
  return decade;
}

// The coarsest step that gives at most ten ticks over `range`.
int CoarseStep(int range) {
  int step = 1;
  while (range / step > 10) {
    const int decade = Decade(step);
    step = step == decade ? 2 * decade : step == 2 * decade ? 5 * decade : 10 * decade;
  }
  return step;
}

// An interval of the axis still to fill with ticks: from score `hi` at
// height `top_y` down to `lo` at `bottom_y` (placed ticks or the ends),
// with the multiples of `step`.
struct Gap {
  int hi, top_y, lo, bottom_y, step;
};

// Ticks at the multiples of a step that keep `gap` from each other and from
// the ends of their interval, coarsest step first; the intervals they leave
// take the next finer step, down to `finest`. Highest score first.
std::vector<LadderTick> Ticks(const Axis& axis, int gap) {
  std::vector<LadderTick> ticks;
  const std::vector<Level>& levels = axis.levels();
  if (levels.empty()) return ticks;
  const int hi = levels.front().score, lo = levels.back().score;
  // Steps down to a hundredth of the coarsest: round numbers on the scale,
  // and the rows carry their own scores.
  const int coarse = CoarseStep(hi - lo);
  const int finest = std::max(1, coarse / 100);
  // The ends are open: a tick may sit at the highest row or the lowest.
  std::vector<Gap> todo = {{hi + 1, axis.At(hi) - gap, lo - 1, axis.At(lo) + gap, coarse}};
  while (!todo.empty()) {
    const Gap g = todo.back();
    todo.pop_back();
    if (g.step < finest || g.bottom_y - g.top_y < 2 * gap) continue;
    int upper = g.hi, upper_y = g.top_y;
    for (int score = (g.hi - 1) / g.step * g.step; score > g.lo; score -= g.step) {
      const int y = axis.At(score);
      if (y == kNoHeight || y - upper_y < gap || g.bottom_y - y < gap) continue;
      todo.push_back({upper, upper_y, score, y, Finer(g.step)});
      ticks.push_back({score, y});
      upper = score;
      upper_y = y;
    }
    todo.push_back({upper, upper_y, g.lo, g.bottom_y, Finer(g.step)});
  }
  std::sort(ticks.begin(), ticks.end(), [](const LadderTick& a, const LadderTick& b) { return a.score > b.score; });
  return ticks;
}

}  // namespace

std::u16string_view TierName(int tier) { return kTierNames[std::clamp(tier, 0, kTiers - 1)]; }

int TierFloor(int tier, int best) {
  const long long divisor = 1LL << (tier + 1);
  return static_cast<int>((best + divisor - 1) / divisor);
}

int TierOf(int score, int best) {
  int tier = 0;
  while (tier < kTiers - 1 && score < TierFloor(tier, best)) ++tier;
  return tier;
}

std::vector<LadderColumn> LadderColumns(char16_t list) {
  if (list == u'C') return {{u"Intel", kMakerIntel}, {u"AMD", kMakerAmd}, {u"其他", 0}};
  return {{u"NVIDIA", kMakerNvidia}, {u"AMD", kMakerAmd}, {u"Intel", kMakerIntel}, {u"其他", 0}};
}

namespace {

// The lead maker of every row of a compiled list, read once: the whole GPU
// list's words take longer to read than the rest of its ladder.
const std::vector<std::uint16_t>& LeadMakers(const data::RowList& list) {
  static const auto read = [](const data::RowList& rows) {
    std::vector<std::uint16_t> makers(static_cast<std::size_t>(rows.count));
    for (int i = 0; i < rows.count; ++i)
      makers[i] = LeadMaker(ListRowMakers(rows.letter, RowAt(rows.letter, i + 1)->description));
    return makers;
  };
  if (&list == &data::kCpuRows) {
    static const std::vector<std::uint16_t> cpu = read(data::kCpuRows);
    return cpu;
  }
  static const std::vector<std::uint16_t> gpu = read(data::kGpuRows);
  return gpu;
}

// The lead maker of a row: the compiled row's from the table above, any
// other row's (a made-up one) read from its description.
std::uint16_t LeadMakerOf(const ListRow& row) {
  for (const data::RowList* list : {&data::kCpuRows, &data::kGpuRows}) {
    if (list->letter != row.list || row.rank < 1 || row.rank > list->count) continue;
    const std::u16string_view compiled = list->Row(row.rank - 1);
    const char16_t* text = row.description.data();
    if (text >= compiled.data() && text + row.description.size() <= compiled.data() + compiled.size()) {
      return LeadMakers(*list)[static_cast<std::size_t>(row.rank - 1)];
    }
  }
  return LeadMaker(ListRowMakers(row.list, row.description));
}

int ColumnOfMaker(const std::vector<LadderColumn>& columns, std::uint16_t maker) {
  for (std::size_t c = 0; c + 1 < columns.size(); ++c) {
    if (columns[c].maker == maker) return static_cast<int>(c);
  }
  return static_cast<int>(columns.size()) - 1;
}

}  // namespace

Ladder LayOutLadder(char16_t list, int best, std::vector<LadderEntry> entries, const LadderGeometry& geometry) {
  Ladder ladder;
  ladder.list = list;
  ladder.best = best;
  ladder.row_height = geometry.row_height;
  ladder.columns = LadderColumns(list);

  // Best first; equal scores by rank; a rank given twice once.
  const auto before = [](const LadderEntry& a, const LadderEntry& b) {
    return a.row.score != b.row.score ? a.row.score > b.row.score : a.row.rank < b.row.rank;
  };
  if (!std::is_sorted(entries.begin(), entries.end(), before)) std::stable_sort(entries.begin(), entries.end(), before);
  for (const LadderEntry& e : entries) {
    if (!ladder.rows.empty() && ladder.rows.back().row.rank == e.row.rank) {
      ladder.rows.back().marked = ladder.rows.back().marked || e.marked;
      continue;
    }
    LadderRow row;
    row.row = e.row;
    row.marked = e.marked;
    row.column = ColumnOfMaker(ladder.columns, LeadMakerOf(e.row));
    row.tier = TierOf(e.row.score, best);
    ladder.rows.push_back(row);
  }

  // Only the columns that have rows, in their order (a query may find one
  // maker's devices only); an empty ladder keeps them all.
  std::vector<int> renumber(ladder.columns.size(), -1);
  for (const LadderRow& row : ladder.rows) renumber[row.column] = 0;
  if (!ladder.rows.empty()) {
    std::vector<LadderColumn> used;
    for (std::size_t c = 0; c < ladder.columns.size(); ++c) {
      if (renumber[c] == 0) {
        renumber[c] = static_cast<int>(used.size());
        used.push_back(ladder.columns[c]);
      }
    }
    ladder.columns = std::move(used);
    for (LadderRow& row : ladder.rows) row.column = renumber[row.column];
  }

  const int h = geometry.row_height;
  const int pad = h / 2;
  if (ladder.rows.empty()) {
    ladder.height = 2 * h;  // room for a line that says so
    return ladder;
  }

  // Each level as high as the linear axis puts it, or, where a column's
  // labels of the levels above reach lower, just below them; what one level
  // gives way carries on to every level below it. The first level of a tier
  // starts below every label of the tier above, so that a band's edge cuts
  // no label.
  const int hi = ladder.rows.front().row.score, lo = ladder.rows.back().row.score;
  const double slope = hi > lo ? static_cast<double>(geometry.linear_height) / (hi - lo) : 0.0;
  std::vector<int> next_free(ladder.columns.size(), 0);
  std::vector<int> in_level(ladder.columns.size(), 0);
  std::vector<Level> levels;
  int stretch = pad;
  for (std::size_t i = 0; i < ladder.rows.size();) {
    const int score = ladder.rows[i].row.score;
    std::size_t end = i;
    while (end < ladder.rows.size() && ladder.rows[end].row.score == score) ++end;
    const int linear = static_cast<int>(std::lround(slope * (hi - score)));
    int top = linear + stretch;
    for (std::size_t k = i; k < end; ++k) top = std::max(top, next_free[ladder.rows[k].column]);
    if (!levels.empty() && ladder.rows[i].tier != ladder.rows[i - 1].tier) top = std::max(top, levels.back().bottom);
    stretch = top - linear;
    std::fill(in_level.begin(), in_level.end(), 0);
    int bottom = levels.empty() ? top : levels.back().bottom;
    for (std::size_t k = i; k < end; ++k) {
      LadderRow& row = ladder.rows[k];
      row.top = top + in_level[row.column]++ * h;
      next_free[row.column] = row.top + h;
      bottom = std::max(bottom, row.top + h);
    }
    levels.push_back({score, top, bottom});
    i = end;
  }
  ladder.height = levels.back().bottom + pad;

  const Axis axis(std::move(levels), slope);
  for (int tier = 0; tier < kTiers; ++tier) {
    const int top = tier == 0 ? 0 : std::clamp(axis.At(TierFloor(tier - 1, best)), 0, ladder.height);
    const int bottom = tier == kTiers - 1 ? ladder.height
                                          : std::clamp(axis.At(TierFloor(tier, best)), 0, ladder.height);
    if (bottom > top) ladder.bands.push_back({tier, top, bottom});
  }
  for (const LadderTick& t : Ticks(axis, geometry.tick_gap)) {
    if (t.y > 0 && t.y < ladder.height) ladder.ticks.push_back(t);
  }
  return ladder;
}

char16_t LadderList(Scope scope) {
  if (scope == Scope::kCpu) return u'C';
  if (scope == Scope::kGpu) return u'G';
  throw std::invalid_argument("a ladder draws the CPU list or the GPU list");
}

std::vector<LadderEntry> LadderEntries(Scope scope, const Terms& terms, const std::vector<ListRow>& marks) {
  const char16_t list = LadderList(scope);
  const data::RowList& rows = list == u'C' ? data::kCpuRows : data::kGpuRows;
  std::vector<LadderEntry> entries;
  if (terms.main.empty()) {
    entries.reserve(static_cast<std::size_t>(rows.count) + marks.size());
    for (int rank = 1; rank <= rows.count; ++rank) entries.push_back({*RowAt(list, rank), false});
  } else {
    // Both lists in their slots, as the main window loads them.
    static const RankRowArray kLoaded = [] {
      RankRowArray loaded;
      LoadCpuList(loaded);
      LoadGpuList(loaded);
      return loaded;
    }();
    const int gpu_first = data::kCpuRows.count + 1;
    for (int slot : SearchAll(kLoaded, scope, terms)) {
      const int rank = list == u'C' ? slot : slot - gpu_first + 1;
      if (auto row = RowAt(list, rank)) entries.push_back({*row, false});
    }
  }
  for (const ListRow& mark : marks) {
    if (mark.list != list) continue;
    // The row as compiled, whatever text the caller's copy refers to.
    if (auto row = RowAt(list, mark.rank)) entries.push_back({*row, true});
  }
  return entries;
}

}  // namespace tianti::query
