// The missing-term path, Reset, the mouse pointer, hostile input and the
// bounds of RankRows.
#include <algorithm>
#include <stdexcept>

#include "tests/query/query_fixture.h"

namespace tianti::testing {
namespace {

using ui::Ctl;
using ui::Pointer;
using ui::Win;
using List = std::vector<std::u16string>;

constexpr std::u16string_view kMissing = u"Sorry,请输入查询条件!";

TEST_F(QueryTest, MissingMainTermWarnsAndResets) {
  // A table of six rows first, so ResultCount is 6 when the warning comes.
  ClearRows();
  for (int r = 1; r <= 6; ++r) PutRow(r, MakeRow(u'G', r, u"Six", 10));
  Query({u"six"}, Ctl::Option3);
  ASSERT_EQ(form.ResultCount, 6);
  ui.SetText(Ctl::Text3, u"hidden");
  ui.SetText(Ctl::Text4, u"hidden too");
  const std::u16string devices = ui.Text(Ctl::Text9);

  Pointer pointer_during = Pointer::Hourglass;
  std::u16string box_during;
  ui.on_message = [&](const ui::ShownMessage&) {
    pointer_during = ui.pointer(Win::Form1);
    box_during = ui.Text(Ctl::Text8);
  };
  for (const std::u16string blank : {u"", u"   ", u"\u3000 \u3000"}) {
    ui.ClearMessages();
    Type({blank, u"and", u"or1", u"or2", u"or3"});
    form.Command2_Click();  // GPU stays selected
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, kMissing);
    EXPECT_EQ(ui.messages()[0].title, u"系统提示");
    EXPECT_EQ(ui.messages()[0].style, 0x30u);
    // The warning comes before the hourglass and before any table text.
    EXPECT_EQ(pointer_during, Pointer::Default);
    EXPECT_NE(box_during, u"");
    for (Ctl box : {Ctl::Text1, Ctl::Text2, Ctl::Text3, Ctl::Text4, Ctl::Text5, Ctl::Text6, Ctl::Text7, Ctl::Text8}) {
      EXPECT_EQ(ui.Text(box), u"") << static_cast<int>(box);
    }
    // The emptied box stays empty: no stray border from the old count.
    EXPECT_EQ(form.ResultCount, 0);
    EXPECT_EQ(ui.Text(Ctl::Text9), devices);
    EXPECT_TRUE(ui.Value(Ctl::Option3));
    EXPECT_EQ(form.QueryScope, u"3");
    EXPECT_EQ(ui.pointer(Win::Form1), Pointer::Default);
    box_during = u"restore";
    ui.SetText(Ctl::Text8, u"old table\r\n");
  }
}

TEST_F(QueryTest, ScopeClickWithoutMainTermWarnsToo) {
  ui.Select(Ctl::Option2);  // a click on CPU with empty boxes
  EXPECT_EQ(MessageTexts(), (List{std::u16string(kMissing)}));
  EXPECT_TRUE(ui.Value(Ctl::Option2));
  EXPECT_EQ(form.QueryScope, u"2");
  EXPECT_EQ(ui.Text(Ctl::Text8), u"");
}

TEST_F(QueryTest, ResetEmptiesExactlyTheEightBoxes) {
  Query({u"ryzen"}, Ctl::Option2);
  ui.ClearMessages();
  // Mark every control's text and tool tip.
  for (int i = 0; i < ui::kCtlCount; ++i) {
    const auto c = static_cast<Ctl>(i);
    if (c != Ctl::Text8) ui.SetText(c, u"text " + Ascii(std::to_string(i)));
  }
  std::vector<std::u16string> texts, tips;
  for (int i = 0; i < ui::kCtlCount; ++i) {
    texts.push_back(ui.Text(static_cast<Ctl>(i)));
    tips.push_back(ui.ToolTip(static_cast<Ctl>(i)));
  }
  const std::u16string caption = ui.Caption(Win::Form1);
  const auto count = form.ResultCount;

  form.Command3_Click();

  const Ctl emptied[] = {Ctl::Text1, Ctl::Text2, Ctl::Text3, Ctl::Text4,
                         Ctl::Text5, Ctl::Text6, Ctl::Text7, Ctl::Text8};
  for (int i = 0; i < ui::kCtlCount; ++i) {
    const auto c = static_cast<Ctl>(i);
    const bool is_emptied = std::find(std::begin(emptied), std::end(emptied), c) != std::end(emptied);
    EXPECT_EQ(ui.Text(c), is_emptied ? u"" : texts[i]) << "control " << i;
    EXPECT_EQ(ui.ToolTip(c), tips[i]) << "control " << i;
  }
  EXPECT_EQ(ui.Caption(Win::Form1), caption);
  EXPECT_TRUE(ui.Value(Ctl::Option2));
  EXPECT_FALSE(ui.Value(Ctl::Option1));
  EXPECT_EQ(form.QueryScope, u"2");
  EXPECT_EQ(form.ResultCount, count);
  EXPECT_TRUE(ui.messages().empty());  // no query ran
}

TEST_F(QueryTest, DisabledQueryDoesNothing) {
  // Form_Load selected ALL while the query was disabled.
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(ui.Text(Ctl::Text8), u"");
  EXPECT_EQ(ui.pointer(Win::Form1), Pointer::Default);
  EXPECT_EQ(form.QueryEnabled, u"1");
  EXPECT_EQ(form.ResultCount, 0);

  // The same guard at any time: an empty main term gets no warning.
  form.QueryEnabled = u"0";
  ui.SetText(Ctl::Text8, u"kept");
  form.Command2_Click();
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(ui.Text(Ctl::Text8), u"kept");
  EXPECT_EQ(ui.pointer(Win::Form1), Pointer::Default);
}

TEST_F(QueryTest, PointerIsHourglassWhileTheNoteIsOpen) {
  std::vector<Pointer> during;
  ui.on_message = [&](const ui::ShownMessage&) { during.push_back(ui.pointer(Win::Form1)); };
  Query({u"|"});
  ASSERT_EQ(during.size(), 1u);
  EXPECT_EQ(during[0], Pointer::Hourglass);
  EXPECT_EQ(ui.pointer(Win::Form1), Pointer::Default);
  // Also after a query with no note.
  Query({u"nothing like this"});
  EXPECT_EQ(during.size(), 1u);
  EXPECT_EQ(ui.pointer(Win::Form1), Pointer::Default);
}

// A limit note that cannot be shown ends the query with its failure; the
// pointer is the default one all the same, and the 30 rows stay in the box.
TEST_F(QueryTest, PointerIsRestoredWhenTheNoteFails) {
  ui.on_message = [](const ui::ShownMessage&) { throw std::runtime_error("no message box"); };
  Type({u"|"});
  EXPECT_THROW(form.Command2_Click(), std::runtime_error);
  EXPECT_EQ(ui.pointer(Win::Form1), Pointer::Default);
  EXPECT_EQ(Rows().size(), 30u);
}

TEST_F(QueryTest, HostileInputGivesTheDefinedResult) {
  const std::u16string huge(100000, u'A');
  const std::u16string bar_run(100000, u'|');
  const std::u16string controls = u"\t\r\n\x01\x1F";
  const std::u16string with_nul(u"RYZEN\0X", 7);
  const std::u16string lone_high = u"\xD800";
  const std::u16string lone_low = u"ry\xDC00zen";
  const std::u16string pair = u"\U0001F600";
  for (const std::u16string& term :
       {huge, bar_run, controls, with_nul, lone_high, lone_low, pair, std::u16string(u"\x7F")}) {
    ui.ClearMessages();
    Query({term});
    EXPECT_TRUE(Rows().empty()) << term.size();
    EXPECT_TRUE(ui.messages().empty());
    // The same term as an OR term next to a main term that matches one row.
    Query({u"99327", u"", term, term, term});
    EXPECT_EQ(Rows(), Expected({u"99327"}, u'A'));
  }
  // A term may straddle two rows in the compiled text, but no row holds a
  // line break, so it matches nothing.
  Query({u"|\n|C2"});
  EXPECT_TRUE(Rows().empty());
  Query({u"|\n|"});
  EXPECT_TRUE(Rows().empty());
}

TEST_F(QueryTest, IdeographicSpacesAreTrimmed) {
  Query({u"\u3000 ryzen \u3000"});
  const auto trimmed = Rows();
  Query({u"ryzen"});
  EXPECT_EQ(trimmed, Rows());
  // Inside a term it is an ordinary character.
  Query({u"ryzen\u3000threadripper"});
  EXPECT_TRUE(Rows().empty());
  // Only spaces count: a tab at the end stays part of the term.
  Query({u"ryzen\t"});
  EXPECT_TRUE(Rows().empty());
}

TEST_F(QueryTest, RankRowsBounds) {
  EXPECT_EQ(form.RankRows[0], u"");
  EXPECT_EQ(form.RankRows[4735], u"");
  EXPECT_EQ(form.RankRows[4736], u"");
  EXPECT_THROW((void)form.RankRows[-1], std::out_of_range);
  EXPECT_THROW((void)form.RankRows[4737], std::out_of_range);
  EXPECT_THROW(form.RankRows.Set(4737, u"x"), std::out_of_range);
  EXPECT_THROW(form.RankRows.Set(-1, u"x"), std::out_of_range);
}

TEST_F(QueryTest, RowsAreLoadedIntoTheirSlots) {
  EXPECT_EQ(form.RankRows[1], u"|C1   |AMD Ryzen Threadripper 7970X            |99327|");
  EXPECT_EQ(form.RankRows[3012].substr(0, 7), u"|C3012|");
  EXPECT_EQ(form.RankRows[3013].substr(0, 7), u"|G1   |");
  EXPECT_EQ(form.RankRows[4734].substr(0, 7), u"|G1722|");
  for (int slot = 1; slot <= 4734; ++slot) {
    const auto row = form.RankRows[slot];
    ASSERT_GE(row.size(), 51u) << slot;
    ASSERT_EQ(row[1], slot <= 3012 ? u'C' : u'G') << slot;
  }
}

}  // namespace
}  // namespace tianti::testing
