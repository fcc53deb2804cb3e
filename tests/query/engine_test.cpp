// The query engine on its own, without a window: the rule it chooses, the
// slots it answers with and the 30-row limit.
#include <gtest/gtest.h>

#include "data/ranking_rows.h"
#include "query/engine.h"
#include "query/table.h"

namespace tianti::query {
namespace {

// RankRows as start-up fills them.
RankRowArray LoadedRows() {
  RankRowArray rows;
  LoadCpuList(rows);
  LoadGpuList(rows);
  return rows;
}

TEST(QueryEngine, ChoosesTheFirstRuleWhoseTermsAreGiven) {
  EXPECT_EQ(ChooseRule({u"X", u"", u"", u"O2", u"O3"}), Rule::kMain);
  EXPECT_EQ(ChooseRule({u"X", u"A", u"O1", u"O2", u"O3"}), Rule::kMainAndAlso);
  EXPECT_EQ(ChooseRule({u"X", u"", u"O1", u"", u"O3"}), Rule::kMainOrOne);
  EXPECT_EQ(ChooseRule({u"X", u"", u"O1", u"O2", u""}), Rule::kMainOrTwo);
  EXPECT_EQ(ChooseRule({u"X", u"", u"O1", u"O2", u"O3"}), Rule::kMainOrThree);
  EXPECT_EQ(Letter(Rule::kMainOrThree), u'e');
  EXPECT_EQ(NormalizeTerm(u"\u3000 ryzen "), u"RYZEN");
}

TEST(QueryEngine, AnswersWithSlotsInOrderAndReportsTheLimit) {
  const RankRowArray rows = LoadedRows();
  // Every row holds "|": the first 30 slots of the scope, then the limit.
  Answer all = Search(rows, Scope::kGpu, Terms{u"|", {}, {}, {}, {}});
  EXPECT_EQ(all.rule, Rule::kMain);
  ASSERT_EQ(all.slots.size(), 30u);
  EXPECT_EQ(all.slots.front(), data::kCpuRows.count + 1);
  EXPECT_EQ(all.slots.back(), data::kCpuRows.count + 30);
  EXPECT_TRUE(all.truncated);
  EXPECT_EQ(all.scan_end, data::kCpuRows.count + 31);

  // A term found in few rows: every match, no limit, the scan ran through.
  Answer few = Search(rows, Scope::kCpu, Terms{u"3970X", {}, {}, {}, {}});
  ASSERT_FALSE(few.slots.empty());
  EXPECT_FALSE(few.truncated);
  EXPECT_EQ(few.scan_end, RankRowArray::kLast + 1);
  for (int slot : few.slots) EXPECT_NE(rows[slot].find(u"3970X"), std::u16string_view::npos);

  // Rule b needs both terms in a row.
  Answer none = Search(rows, Scope::kAll, Terms{u"RYZEN", u"GEFORCE", {}, {}, {}});
  EXPECT_EQ(none.rule, Rule::kMainAndAlso);
  EXPECT_TRUE(none.slots.empty());
}

TEST(QueryTable, SeparatorsAndClosingBorderByRowCount) {
  EXPECT_EQ(TableHead(),
            std::u16string(kBorder) + u"\r\n" + std::u16string(kHeader) + u"\r\n" + std::u16string(kBorder) + u"\r\n");
  for (int n : {4, 9, 29}) EXPECT_TRUE(SeparatorAfter(n) && !ClosingBorderAfter(n)) << n;
  for (int n : {0, 1, 3}) EXPECT_FALSE(SeparatorAfter(n) || ClosingBorderAfter(n)) << n;
  for (int n : {5, 8, 10, 30}) EXPECT_TRUE(ClosingBorderAfter(n)) << n;
}

}  // namespace
}  // namespace tianti::query
