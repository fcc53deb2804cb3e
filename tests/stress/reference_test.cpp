// The stress run's reference model of the query, held to the documented
// examples and, over random terms, to the program's Form1 on the in-memory
// user interface, so that a difference in a stress run points at the
// program rather than at the model.
#include <gtest/gtest.h>

#include <random>

#include "app/form1.h"
#include "query/text.h"
#include "tests/stress/random_text.h"
#include "tests/stress/reference.h"
#include "ui/memory_services.h"

namespace tianti::stress {
namespace {

class ReferenceTest : public ::testing::Test {
 protected:
  static const Reference& ref() {
    static const Reference reference;
    return reference;
  }
  // The rank number of a row: the digits after its list letter.
  static int Rank(std::u16string_view row) {
    int rank = 0;
    for (std::size_t i = 2; i < row.size() && row[i] >= u'0' && row[i] <= u'9'; ++i) rank = rank * 10 + (row[i] - u'0');
    return rank;
  }
  static std::size_t Lines(const std::u16string& table) {
    std::size_t n = 0;
    for (std::size_t pos = 0; (pos = table.find(u"\r\n", pos)) != std::u16string::npos; pos += 2) ++n;
    return n;
  }
};

TEST_F(ReferenceTest, FollowsTheDocumentedExamples) {
  // Lower case matches; scope CPU admits CPU rows only, best rank first.
  Outcome o = ref().Query(BoxTerms{u"ryzen"}, u'2');
  EXPECT_EQ(o.rule, u'a');
  ASSERT_FALSE(o.rows.empty());
  int last_rank = 0;
  for (auto row : o.rows) {
    EXPECT_EQ(row.substr(0, 2), u"|C");
    EXPECT_NE(query::UpperCase(row).find(u"RYZEN"), std::u16string::npos);
    const int rank = Rank(row);
    EXPECT_GT(rank, last_rank);
    last_rank = rank;
  }

  // "|" is in every row: the first 30 of the scope and the note "a".
  o = ref().Query(BoxTerms{u" | "}, u'3');
  ASSERT_EQ(o.rows.size(), 30u);
  for (int i = 0; i < 30; ++i) {
    EXPECT_EQ(o.rows[static_cast<size_t>(i)].substr(0, 2), u"|G");
    EXPECT_EQ(Rank(o.rows[static_cast<size_t>(i)]), i + 1);
  }
  EXPECT_TRUE(o.limit_note);
  EXPECT_EQ(o.note, u"注:仅显示前30条记录(请缩少范围)a。");
  EXPECT_EQ(Lines(o.table), 40u);
  EXPECT_LE(o.table.size(), 2232u);

  // Rule choice: OR 2 without OR 1 is rule a; OR 1 and OR 3 without OR 2 is
  // rule c; an AND term outweighs the OR terms.
  EXPECT_EQ(ref().Query(BoxTerms{u"x", u"", u"", u"y", u""}, u'1').rule, u'a');
  EXPECT_EQ(ref().Query(BoxTerms{u"x", u"", u"y", u"", u"z"}, u'1').rule, u'c');
  EXPECT_EQ(ref().Query(BoxTerms{u"x", u"y", u"", u"z", u"w"}, u'1').rule, u'b');
  EXPECT_EQ(ref().Query(BoxTerms{u"x", u"", u"y", u"z", u""}, u'1').rule, u'd');
  EXPECT_EQ(ref().Query(BoxTerms{u"x", u"", u"y", u"z", u"w"}, u'1').rule, u'e');

  // Blank terms: spaces and ideographic spaces only.
  EXPECT_TRUE(ref().Query(BoxTerms{u" \u3000 "}, u'1').missing_term);
  EXPECT_EQ(ref().Query(BoxTerms{u"\u3000双卡"}, u'1').rows.size(), 30u);

  // Table shapes by row count: 0, 4, 6 and 9 rows.
  const std::u16string_view row = u"|C1   |AMD Ryzen Threadripper 3970X            |47956|";
  EXPECT_EQ(Lines(Reference::Table({})), 3u);
  EXPECT_EQ(Lines(Reference::Table(std::vector<std::u16string_view>(4, row))), 8u);
  EXPECT_EQ(Lines(Reference::Table(std::vector<std::u16string_view>(6, row))), 11u);
  const std::u16string nine = Reference::Table(std::vector<std::u16string_view>(9, row));
  EXPECT_EQ(Lines(nine), 14u);
  EXPECT_EQ(nine.substr(nine.size() - kBorder.size() - 2), std::u16string(kBorder) + u"\r\n");
}

// Random terms in every scope: the model and the program agree on the table,
// the messages and the emptied boxes.
TEST_F(ReferenceTest, AgreesWithTheProgramOnRandomTerms) {
  std::mt19937_64 rng(7);
  RandomText text(rng, ref());
  ui::MemoryServices ui;
  Form1 form(ui);
  ui.SetSink(&form);
  form.Form_Load();
  const ui::Ctl options[] = {ui::Ctl::Option1, ui::Ctl::Option2, ui::Ctl::Option3};
  for (int round = 0; round < 1000; ++round) {
    // Now and then a term across the seam of two rows, which only the
    // rows' storage one after the other could match.
    auto term = [&] { return text.Chance(15) ? text.Seam() : text.Typed(); };
    BoxTerms boxes;
    boxes.main = text.Chance(90) ? term() : u"";
    for (std::u16string* t : {&boxes.also, &boxes.or1, &boxes.or2, &boxes.or3}) {
      if (text.Chance(round % 2 ? 50 : 15)) *t = term();
    }
    const int scope = static_cast<int>(text.Below(3));
    ui.SetText(ui::Ctl::Text1, boxes.main);
    ui.SetText(ui::Ctl::Text2, boxes.also);
    ui.SetText(ui::Ctl::Text5, boxes.or1);
    ui.SetText(ui::Ctl::Text6, boxes.or2);
    ui.SetText(ui::Ctl::Text7, boxes.or3);
    ui.ClearMessages();
    if (ui.Value(options[scope])) {
      form.Command2_Click();
    } else {
      ui.Select(options[scope]);
    }
    const Outcome want = ref().Query(boxes, static_cast<char16_t>(u'1' + scope));
    SCOPED_TRACE("round " + std::to_string(round) + ", main term \"" + Printable(boxes.main) + "\"");
    if (want.missing_term) {
      ASSERT_EQ(ui.messages().size(), 1u);
      EXPECT_EQ(ui.messages()[0].text, kMissingTerm);
      EXPECT_EQ(ui.Text(ui::Ctl::Text8), u"");
      EXPECT_EQ(ui.Text(ui::Ctl::Text1), u"");
      continue;
    }
    ASSERT_EQ(ui.Text(ui::Ctl::Text8), want.table) << Printable(ui.Text(ui::Ctl::Text8), 400);
    ASSERT_EQ(ui.messages().size(), want.limit_note ? 1u : 0u);
    if (want.limit_note) {
      EXPECT_EQ(ui.messages()[0].text, want.note);
    }
  }
}

}  // namespace
}  // namespace tianti::stress
