// The ladder's layout on the real lists: what it must hold whatever rows the
// lists and the resolver come to hold, and the query's rows without the limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "data/ranking_rows.h"
#include "query/engine.h"
#include "query/ladder.h"
#include "query/resolver.h"

namespace tianti::query {
namespace {

struct Case {
  const char* what;
  Scope scope;
  Terms terms;
  std::vector<std::u16string> marks;  // names, resolved in the scope
};

// Terms as a query reads them: main, AND, OR 1.
Terms Query(std::u16string main = {}, std::u16string also = {}, std::u16string or1 = {}) {
  return Terms{std::move(main), std::move(also), std::move(or1), {}, {}};
}

const Case kCases[] = {
    {"whole GPU list", Scope::kGpu, Query(), {u"GeForce RTX 4090", u"Radeon RX 580"}},
    {"whole CPU list", Scope::kCpu, Query(), {u"Intel Core i5-12400"}},
    {"query with a mark it does not find", Scope::kGpu, Query(u"RTX 40"), {u"GeForce RTX 3060"}},
    {"OR query over two makers", Scope::kCpu, Query(u"RYZEN 7", {}, u"CORE I7"), {}},
    {"AND query", Scope::kGpu, Query(u"RADEON", u"RX 7"), {}},
    {"query that finds nothing", Scope::kGpu, Query(u"NO SUCH DEVICE"), {u"Radeon RX 580"}},
};

TEST(Ladder, HoldsItsInvariantsOnTheRealLists) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    const char16_t list = LadderList(c.scope);
    std::vector<ListRow> marks;
    for (const std::u16string& name : c.marks) {
      if (auto row = Resolve(name, c.scope).row) marks.push_back(*row);
    }
    const Ladder ladder = LayOutLadder(list, RowAt(list, 1)->score, LadderEntries(c.scope, c.terms, marks),
                                       LadderGeometry{});
    const int h = ladder.row_height;

    // Each row the query finds and each mark, once; only those.
    std::set<int> expected;
    if (c.terms.main.empty()) {
      for (int rank = 1; RowAt(list, rank); ++rank) expected.insert(rank);
    } else {
      RankRowArray rows;
      LoadCpuList(rows);
      LoadGpuList(rows);
      const int first = list == u'C' ? 1 : data::kCpuRows.count + 1;
      for (int slot : SearchAll(rows, c.scope, c.terms)) expected.insert(slot - first + 1);
    }
    for (const ListRow& m : marks) expected.insert(m.rank);
    std::multiset<int> shown;
    std::set<int> marked;
    for (const LadderRow& r : ladder.rows) {
      shown.insert(r.row.rank);
      if (r.marked) marked.insert(r.row.rank);
      EXPECT_EQ(r.row.list, list);
    }
    EXPECT_EQ(shown, std::multiset<int>(expected.begin(), expected.end()));
    std::set<int> mark_ranks;
    for (const ListRow& m : marks) mark_ranks.insert(m.rank);
    EXPECT_EQ(marked, mark_ranks) << "every mark drawn, nothing else marked";

    // Within a column: higher score higher up, no two labels overlapping,
    // equal scores one under the other. Across columns: equal scores level.
    std::map<int, std::vector<const LadderRow*>> columns;
    std::map<int, int> level_of_score;
    for (const LadderRow& r : ladder.rows) {
      ASSERT_GE(r.column, 0);
      ASSERT_LT(r.column, static_cast<int>(ladder.columns.size()));
      columns[r.column].push_back(&r);
      EXPECT_GE(r.top, 0);
      EXPECT_LE(r.top + h, ladder.height);
      EXPECT_EQ(r.tier, TierOf(r.row.score, ladder.best));
    }
    for (auto& [column, rows] : columns) {
      std::sort(rows.begin(), rows.end(), [](auto* a, auto* b) { return a->top < b->top; });
      for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_GE(rows[i]->top, rows[i - 1]->top + h) << "labels overlap in column " << column;
        EXPECT_LE(rows[i]->row.score, rows[i - 1]->row.score) << "order by score in column " << column;
        if (rows[i]->row.score == rows[i - 1]->row.score) {
          EXPECT_EQ(rows[i]->top, rows[i - 1]->top + h);
        }
      }
      std::map<int, int> first_top;
      for (const LadderRow* r : rows) first_top.emplace(r->row.score, r->top);
      for (auto [score, top] : first_top) {
        auto [it, fresh] = level_of_score.emplace(score, top);
        if (!fresh) {
          EXPECT_EQ(it->second, top) << "score " << score << " at two heights";
        }
      }
    }
    if (!ladder.rows.empty()) {
      EXPECT_EQ(static_cast<std::size_t>(columns.size()), ladder.columns.size()) << "no empty column";
    }

    // The bands follow each other from the top to the bottom, one tier each,
    // and each row lies in its tier's band.
    ASSERT_FALSE(ladder.bands.empty());
    EXPECT_EQ(ladder.bands.front().top, 0);
    EXPECT_EQ(ladder.bands.back().bottom, ladder.height);
    for (std::size_t i = 1; i < ladder.bands.size(); ++i) {
      EXPECT_EQ(ladder.bands[i].top, ladder.bands[i - 1].bottom);
      EXPECT_GT(ladder.bands[i].tier, ladder.bands[i - 1].tier);
    }
    for (const LadderRow& r : ladder.rows) {
      const auto band = std::find_if(ladder.bands.begin(), ladder.bands.end(),
                                     [&](const LadderBand& b) { return b.tier == r.tier; });
      ASSERT_NE(band, ladder.bands.end());
      EXPECT_GE(r.top, band->top);
      EXPECT_LE(r.top + h, band->bottom);
    }

    // Ticks go down as scores do, keep their distance and cut no label.
    for (std::size_t i = 1; i < ladder.ticks.size(); ++i) {
      EXPECT_LT(ladder.ticks[i].score, ladder.ticks[i - 1].score);
      EXPECT_GE(ladder.ticks[i].y - ladder.ticks[i - 1].y, LadderGeometry{}.tick_gap);
    }
    for (const LadderTick& t : ladder.ticks) {
      for (const LadderRow& r : ladder.rows) {
        EXPECT_FALSE(t.y > r.top && t.y < r.top + h) << "tick " << t.score << " cuts G/C" << r.row.rank;
        if (r.row.score > t.score) {
          EXPECT_LE(r.top + h, t.y);
        } else if (r.row.score < t.score) {
          EXPECT_GE(r.top, t.y);
        }
      }
    }
    if (c.terms.main.empty()) {
      EXPECT_GE(ladder.ticks.size(), 5u);
    }
  }
}

// The ladder's query and the table's are one scan: without the limit it
// goes on where the table stops.
TEST(Ladder, SearchAllGoesOnWhereTheTableStops) {
  RankRowArray rows;
  LoadCpuList(rows);
  LoadGpuList(rows);
  const Terms terms{u"RYZEN", {}, u"RADEON", {}, {}};
  const Answer table = Search(rows, Scope::kAll, terms);
  const std::vector<int> all = SearchAll(rows, Scope::kAll, terms);
  ASSERT_TRUE(table.truncated);
  ASSERT_GT(all.size(), table.slots.size());
  EXPECT_TRUE(std::equal(table.slots.begin(), table.slots.end(), all.begin()));
  EXPECT_EQ(all[table.slots.size()], table.scan_end);
}

TEST(Ladder, TiersHalveFromTheBest) {
  struct {
    int score, best, tier;
  } const cases[] = {
      {41290, 41290, 0}, {20645, 41290, 0}, {20644, 41290, 1}, {10323, 41290, 1}, {10322, 41290, 2}, {5162, 41290, 2},
      {5161, 41290, 3},  {2581, 41290, 3},  {2580, 41290, 4},  {0, 41290, 4},     {50, 99, 0},       {49, 99, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(TierOf(c.score, c.best), c.tier) << c.score << " of " << c.best;
  EXPECT_EQ(TierName(0), u"旗舰");
  EXPECT_EQ(TierName(kTiers - 1), u"办公");
  EXPECT_THROW(LadderList(Scope::kAll), std::invalid_argument);
}

}  // namespace
}  // namespace tianti::query
