// The framed result table: head, rows, separators and the closing border.
#include "tests/query/query_fixture.h"

namespace tianti::testing {
namespace {

using ui::Ctl;

class TableTest : public QueryTest {
 protected:
  // n matching rows in slots 1..n; every other slot empty.
  void QueryRows(int n) {
    ClearRows();
    for (int r = 1; r <= n; ++r) PutRow(r, MakeRow(u'C', r, u"Table row", 1000 - r));
    ui.ClearMessages();
    Query({u"table row"});
  }

  // The lines after the head as a pattern: 'R' for a row line, '-' for a
  // border line.
  std::string Shape() const {
    const auto lines = Lines();
    std::string shape;
    for (std::size_t i = 3; i < lines.size(); ++i) shape += lines[i] == kBorder ? '-' : 'R';
    return shape;
  }
};

TEST_F(TableTest, LayoutForEveryCountFrom0To31) {
  for (int n = 0; n <= 31; ++n) {
    QueryRows(n);
    const int written = n < 30 ? n : 30;
    // Separators follow rows 4, 9, 14, 19, 24 and 29; a table of five rows or
    // more whose last line is not already a separator gets a closing border.
    std::string want;
    for (int r = 1; r <= written; ++r) {
      want += 'R';
      if (r == 4 || r == 9 || r == 14 || r == 19 || r == 24 || r == 29) want += '-';
    }
    if (written >= 5 && want.back() != '-') want += '-';
    EXPECT_EQ(Shape(), want) << "n = " << n;
    EXPECT_EQ(form.ResultCount, written) << "n = " << n;
    EXPECT_EQ(ui.messages().size(), n > 30 ? 1u : 0u) << "n = " << n;
    // Rows appear as stored, in slot order.
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(written));
    for (int r = 0; r < written; ++r) EXPECT_EQ(rows[r], form.RankRows[r + 1]);
  }
}

TEST_F(TableTest, TextOfSmallTables) {
  const std::u16string head = std::u16string(kBorder) + u"\r\n" + std::u16string(kHeader) + u"\r\n" +
                              std::u16string(kBorder) + u"\r\n";
  QueryRows(0);
  EXPECT_EQ(ui.Text(Ctl::Text8), head);

  QueryRows(1);
  EXPECT_EQ(ui.Text(Ctl::Text8), head + std::u16string(form.RankRows[1]) + u"\r\n");

  // Six rows: the example of eleven lines.
  QueryRows(6);
  std::u16string want = head;
  for (int r = 1; r <= 4; ++r) want += std::u16string(form.RankRows[r]) + u"\r\n";
  want += std::u16string(kBorder) + u"\r\n";
  for (int r = 5; r <= 6; ++r) want += std::u16string(form.RankRows[r]) + u"\r\n";
  want += std::u16string(kBorder) + u"\r\n";
  EXPECT_EQ(ui.Text(Ctl::Text8), want);
  EXPECT_EQ(Lines().size(), 11u);

  // Thirty rows: 40 lines, at most 2,232 characters.
  QueryRows(30);
  EXPECT_EQ(Lines().size(), 40u);
  EXPECT_LE(ui.Text(Ctl::Text8).size(), 2232u);
}

TEST_F(TableTest, NextQueryReplacesTheTable) {
  QueryRows(12);
  ClearRows();
  PutRow(7, MakeRow(u'G', 7, u"Other", 7));
  Query({u"other"});
  EXPECT_EQ(Shape(), "R");
  EXPECT_EQ(Rows(), (std::vector<std::u16string>{std::u16string(form.RankRows[7])}));
}

TEST_F(TableTest, RowsKeepTheirStoredLetterCase) {
  ClearRows();
  PutRow(1, u"|C1   |mixed Case name                         |  100|");
  Query({u"MIXED CASE"});
  EXPECT_EQ(Rows(), (std::vector<std::u16string>{u"|C1   |mixed Case name                         |  100|"}));
}

// Writing the table goes through the box's text each time: a box that
// another party changed between two queries is simply replaced by the head.
TEST_F(TableTest, HeadDiscardsWhateverTheBoxHeld) {
  ui.SetText(Ctl::Text8, u"left over\r\n");
  QueryRows(2);
  EXPECT_EQ(Lines().front(), kBorder);
  EXPECT_EQ(Shape(), "RR");
}

}  // namespace
}  // namespace tianti::testing
