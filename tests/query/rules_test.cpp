// Which rows a query lists: the matching rules, their precedence, the scope
// filter and the 30-row limit, on synthetic rows and on the real lists.
#include <algorithm>

#include "tests/query/query_fixture.h"

namespace tianti::testing {
namespace {

using ui::Ctl;

// Synthetic rows, each carrying tokens that tell which terms it contains:
// slot 1 only the main term, 2 the AND term, 3..5 OR 1..3, 6 main + AND.
class RuleTest : public QueryTest {
 protected:
  void SetUp() override {
    ClearRows();
    PutRow(1, MakeRow(u'C', 1, u"Chip MAINX", 500));
    PutRow(2, MakeRow(u'C', 2, u"Chip ANDX", 400));
    PutRow(3, MakeRow(u'C', 3, u"Chip ORONE", 300));
    PutRow(4, MakeRow(u'G', 1, u"Card ORTWO", 200));
    PutRow(5, MakeRow(u'G', 2, u"Card ORTHREE", 100));
    PutRow(6, MakeRow(u'G', 3, u"Card MAINX ANDX", 50));
  }

  // Ranks ("C1", "G3", ...) of the listed rows, in order.
  std::vector<std::u16string> Listed() const {
    std::vector<std::u16string> numbers;
    for (const auto& row : Rows()) {
      const auto bar = row.find(u'|', 1);
      std::u16string number = row.substr(1, bar - 1);
      number.erase(number.find_last_not_of(u' ') + 1);
      numbers.push_back(number);
    }
    return numbers;
  }
};

using List = std::vector<std::u16string>;

TEST_F(RuleTest, EachRuleListsTheRowsOfItsTerms) {
  // a: the main term only
  Query({u"mainx"});
  EXPECT_EQ(Listed(), (List{u"C1", u"G3"}));
  // c: main or OR 1
  Query({u"mainx", u"", u"orone"});
  EXPECT_EQ(Listed(), (List{u"C1", u"C3", u"G3"}));
  // d: main, OR 1 or OR 2
  Query({u"mainx", u"", u"orone", u"ortwo"});
  EXPECT_EQ(Listed(), (List{u"C1", u"C3", u"G1", u"G3"}));
  // e: main or any OR term
  Query({u"mainx", u"", u"orone", u"ortwo", u"orthree"});
  EXPECT_EQ(Listed(), (List{u"C1", u"C3", u"G1", u"G2", u"G3"}));
  // b: main and AND
  Query({u"mainx", u"andx"});
  EXPECT_EQ(Listed(), (List{u"G3"}));
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(RuleTest, PrecedenceOfTheTerms) {
  // A given AND term makes every OR term count for nothing (rule b).
  Query({u"mainx", u"andx", u"orone", u"ortwo", u"orthree"});
  EXPECT_EQ(Listed(), (List{u"G3"}));
  // OR 2 (and OR 3) without OR 1: rule a, the main term alone.
  Query({u"mainx", u"", u"", u"ortwo", u"orthree"});
  EXPECT_EQ(Listed(), (List{u"C1", u"G3"}));
  // OR 1 and OR 3 without OR 2: rule c, OR 3 ignored.
  Query({u"mainx", u"", u"orone", u"", u"orthree"});
  EXPECT_EQ(Listed(), (List{u"C1", u"C3", u"G3"}));
  // An AND term that matches nothing: no rows, although OR terms would.
  Query({u"mainx", u"nothing", u"orone"});
  EXPECT_TRUE(Listed().empty());
  // Terms of spaces only count as empty.
  Query({u"mainx", u"   ", u"orone", u" \u3000 ", u"orthree"});
  EXPECT_EQ(Listed(), (List{u"C1", u"C3", u"G3"}));
}

TEST_F(RuleTest, ScopeFiltersByTheListLetter) {
  const Terms all_terms{u"mainx", u"", u"orone", u"ortwo", u"orthree"};
  Query(all_terms, Ctl::Option2);
  EXPECT_EQ(form.QueryScope, u"2");
  EXPECT_EQ(Listed(), (List{u"C1", u"C3"}));
  Query(all_terms, Ctl::Option3);
  EXPECT_EQ(form.QueryScope, u"3");
  EXPECT_EQ(Listed(), (List{u"G1", u"G2", u"G3"}));
  Query(all_terms, Ctl::Option1);
  EXPECT_EQ(form.QueryScope, u"1");
  EXPECT_EQ(Listed(), (List{u"C1", u"C3", u"G1", u"G2", u"G3"}));
  // The letter is read as stored: a lower-case letter is not excluded.
  PutRow(7, u"|g9   |Card MAINX                               |    1|");
  Query(all_terms, Ctl::Option2);
  EXPECT_EQ(Listed(), (List{u"C1", u"C3", u"g9"}));
}

TEST_F(RuleTest, NoteNamesTheRuleInForce) {
  // 40 rows that hold every token, so each rule finds more than 30.
  ClearRows();
  for (int r = 1; r <= 40; ++r) {
    PutRow(r, MakeRow(u'C', r, u"MAINX ANDX ORONE ORTWO ORTHREE", 1000 - r));
  }
  const std::pair<Terms, char16_t> cases[] = {
      {{u"mainx"}, u'a'},
      {{u"mainx", u"andx", u"orone"}, u'b'},
      {{u"mainx", u"", u"orone"}, u'c'},
      {{u"mainx", u"", u"orone", u"ortwo"}, u'd'},
      {{u"mainx", u"", u"orone", u"ortwo", u"orthree"}, u'e'},
  };
  for (const auto& [terms, letter] : cases) {
    ui.ClearMessages();
    Query(terms);
    ASSERT_EQ(ui.messages().size(), 1u) << static_cast<char>(letter);
    const auto& note = ui.messages()[0];
    EXPECT_EQ(note.text, std::u16string(kNoteStart) + letter + u"。");
    EXPECT_EQ(note.title, u"系统提示");
    EXPECT_EQ(note.style, 0x30u);
    EXPECT_EQ(Rows().size(), 30u);
    EXPECT_EQ(form.ResultCount, 30);
  }
}

TEST_F(RuleTest, ThirtyMatchesGiveNoNoteThirtyOneDo) {
  ClearRows();
  for (int r = 1; r <= 30; ++r) PutRow(r, MakeRow(u'C', r, u"Same", 100));
  Query({u"same"});
  EXPECT_EQ(Rows().size(), 30u);
  EXPECT_TRUE(ui.messages().empty());

  // The 31st match is in the very last slot: the scan still finds it.
  PutRow(RankRowArray::kLast, MakeRow(u'G', 1, u"Same", 1));
  Query({u"same"});
  EXPECT_EQ(Rows().size(), 30u);
  EXPECT_EQ(MessageTexts(), (List{std::u16string(kNoteStart) + u"a。"}));
  // The scan stopped at the 31st match.
  EXPECT_EQ(form.ScanIndex, RankRowArray::kLast);
}

// ---- the real lists ----------------------------------------------------------

TEST_F(QueryTest, LowerCaseTermFindsTheRows) {
  Query({u"ryzen"});
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 30u);
  EXPECT_EQ(rows[0], u"|C1   |AMD Ryzen Threadripper 7970X            |99327|");
  for (const auto& row : rows) {
    EXPECT_NE(query::UpperCase(row).find(u"RYZEN"), std::u16string::npos) << ToString(row);
  }
  EXPECT_EQ(rows, Expected({u"ryzen"}, u'A'));
  EXPECT_EQ(MessageTexts(), (List{std::u16string(kNoteStart) + u"a。"}));
}

TEST_F(QueryTest, InnerSpacesCountLikeAnyCharacter) {
  Query({u"Ryzen Threadripper"});
  EXPECT_FALSE(Rows().empty());
  Query({u"ryzen  threadripper"});
  EXPECT_TRUE(Rows().empty());
  Query({u"ryzenthreadripper"});
  EXPECT_TRUE(Rows().empty());
}

TEST_F(QueryTest, NumberFieldAndScoreTakePart) {
  Query({u"c1"});
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 30u);
  EXPECT_EQ(rows, Expected({u"c1"}, u'A'));
  EXPECT_EQ(rows[0].substr(0, 7), u"|C1   |");
  EXPECT_EQ(rows[1].substr(0, 7), u"|C10  |");
  // A score alone finds its row.
  Query({u"99327"});
  EXPECT_EQ(Rows(), (List{u"|C1   |AMD Ryzen Threadripper 7970X            |99327|"}));
}

TEST_F(QueryTest, BarGivesTheFirstThirtyRowsOfTheScope) {
  for (Ctl option : {Ctl::Option1, Ctl::Option2, Ctl::Option3}) {
    ui.ClearMessages();
    Query({u"|"}, option);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 30u);
    const int first_slot = option == Ctl::Option3 ? 3013 : 1;
    for (int i = 0; i < 30; ++i) EXPECT_EQ(rows[i], form.RankRows[first_slot + i]);
    EXPECT_EQ(MessageTexts(), (List{std::u16string(kNoteStart) + u"a。"}));
  }
}

TEST_F(QueryTest, ScopeNeverListsTheOtherList) {
  // "1" is in nearly every row of both lists.
  Query({u"1"}, Ctl::Option2);
  for (const auto& row : Rows()) EXPECT_EQ(row[1], u'C') << ToString(row);
  EXPECT_EQ(Rows(), Expected({u"1"}, u'G'));
  Query({u"1"}, Ctl::Option3);
  for (const auto& row : Rows()) EXPECT_EQ(row[1], u'G') << ToString(row);
  EXPECT_EQ(Rows(), Expected({u"1"}, u'C'));
}

TEST_F(QueryTest, AllListsCpuRowsBeforeGpuRows) {
  // A term in the last CPU rows and in GPU rows: the CPU rows come first.
  const Terms t{u"|C3012|", u"", u"|G1   |", u"|G2   |"};
  Query(t);
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], form.RankRows[3012]);
  EXPECT_EQ(rows[1], form.RankRows[3013]);
  EXPECT_EQ(rows[2], form.RankRows[3014]);
}

TEST_F(QueryTest, AndTermNarrowsAndOrTermsAreIgnored) {
  const Terms with_or{u"ryzen", u"pro", u"geforce", u"radeon", u"xeon"};
  Query(with_or);
  const auto rows = Rows();
  EXPECT_EQ(rows, Expected({u"ryzen", u"pro"}, u'A'));
  for (const auto& row : rows) {
    const auto upper = query::UpperCase(row);
    EXPECT_NE(upper.find(u"RYZEN"), std::u16string::npos);
    EXPECT_NE(upper.find(u"PRO"), std::u16string::npos);
  }
}

TEST_F(QueryTest, ChineseWordsInRows) {
  for (const std::u16string term : {u"双卡", u"移动版"}) {
    ui.ClearMessages();
    Query({term}, Ctl::Option3);
    const auto rows = Rows();
    ASSERT_FALSE(rows.empty()) << ToString(term);
    EXPECT_EQ(rows, Expected({term}, u'C'));
    for (const auto& row : rows) EXPECT_NE(row.find(term), std::u16string::npos);
  }
  // A CPU row with Chinese characters, found from the CPU scope only.
  Query({u"天玑"}, Ctl::Option2);
  const auto rows = Rows();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows, Expected({u"天玑"}, u'G'));
  Query({u"天玑"}, Ctl::Option3);
  EXPECT_EQ(Rows(), Expected({u"天玑"}, u'C'));
  // Mixed: Chinese word with a Latin neighbour typed in lower case.
  Query({u"R7 350双卡"}, Ctl::Option1);
  EXPECT_EQ(Rows(), Expected({u"r7 350双卡"}, u'A'));
}

}  // namespace
}  // namespace tianti::testing
