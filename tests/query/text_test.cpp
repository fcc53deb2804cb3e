// Trimming and upper-casing of the search terms.
#include <gtest/gtest.h>

#include "query/text.h"

namespace tianti::query {
namespace {

TEST(Trim, RemovesSpacesAndIdeographicSpacesAtBothEnds) {
  EXPECT_EQ(Trim(u"  ryzen  "), u"ryzen");
  EXPECT_EQ(Trim(u"\u3000ryzen \u3000"), u"ryzen");
  EXPECT_EQ(Trim(u"a b\u3000c"), u"a b\u3000c");
  EXPECT_EQ(Trim(u" \u3000  \u3000"), u"");
  EXPECT_EQ(Trim(u""), u"");
  // Other white space is part of the term.
  EXPECT_EQ(Trim(u"\tx\n"), u"\tx\n");
  EXPECT_EQ(Trim(u"\u00A0x"), u"\u00A0x");
}

TEST(UpperCase, LettersOfCommonScripts) {
  EXPECT_EQ(UpperCase(u"ryzen 7 5800x3d"), u"RYZEN 7 5800X3D");
  EXPECT_EQ(UpperCase(u"àéîõüýþÿ"), u"ÀÉÎÕÜÝÞŸ");
  EXPECT_EQ(UpperCase(u"÷×ß"), u"÷×ß");  // no single-letter capital
  EXPECT_EQ(UpperCase(u"āčęğłńőřšűž"), u"ĀČĘĞŁŃŐŘŠŰŽ");
  EXPECT_EQ(UpperCase(u"αβγδεζηθικλμνξοπρστυφχψωάέήίόύώ"), u"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩΆΈΉΊΌΎΏ");
  // No letter is mapped into ASCII, and the final sigma and the micro sign
  // keep their form.
  EXPECT_EQ(UpperCase(u"ıſςµ"), u"ıſςµ");
  EXPECT_EQ(UpperCase(u"абвгдеёжзийклмнопрстуфхцчшщъыьэюяђћ"), u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯЂЋ");
  EXPECT_EQ(UpperCase(u"ａｂｚ０"), u"ＡＢＺ０");
}

TEST(UpperCase, CaselessTextIsUnchanged) {
  EXPECT_EQ(UpperCase(u"天玑900 双卡 移动版 华硕"), u"天玑900 双卡 移动版 华硕");
  EXPECT_EQ(UpperCase(u"|#()+-./@[]_"), u"|#()+-./@[]_");
  const std::u16string controls(u"\0\t\r\n\x1F\x7F", 6);
  EXPECT_EQ(UpperCase(controls), controls);
  EXPECT_EQ(UpperCase(u""), u"");
}

TEST(UpperCase, LoneSurrogatesPassUnchanged) {
  const std::u16string lone = u"a\xD800"
                              u"b\xDC00"
                              u"c\xDBFF";
  EXPECT_EQ(UpperCase(lone), u"A\xD800"
                             u"B\xDC00"
                             u"C\xDBFF");
  const std::u16string pair = u"x\U0001F600y";
  EXPECT_EQ(UpperCase(pair), u"X\U0001F600Y");
}

TEST(UpperCase, LongTextKeepsItsLength) {
  std::u16string text(100000, u'a');
  text[50000] = u'\xD800';
  const std::u16string upper = UpperCase(text);
  ASSERT_EQ(upper.size(), text.size());
  EXPECT_EQ(upper[0], u'A');
  EXPECT_EQ(upper[50000], u'\xD800');
  EXPECT_EQ(upper[99999], u'A');
}

// The built-in mapping and the platform's agree on every character of the
// common scripts; natively they are the same function, on Windows this
// compares with the system's mapping.
TEST(UpperCase, PlatformAgreesWithBuiltinOnCommonLetters) {
  const std::pair<char16_t, char16_t> ranges[] = {{0x0020, 0x007E}, {0x00A0, 0x017F}, {0x0391, 0x03CE},
                                                  {0x0400, 0x052F}, {0xFF21, 0xFF5A}, {0x4E00, 0x4E80}};
  for (const auto& [first, last] : ranges) {
    for (unsigned c = first; c <= last; ++c) {
      const std::u16string one(1, static_cast<char16_t>(c));
      EXPECT_EQ(UpperCase(one), UpperCaseBuiltin(one)) << std::hex << "U+" << c;
    }
  }
  EXPECT_EQ(UpperCaseBuiltin(u"ÿıa"), u"ŸıA");
  EXPECT_EQ(UpperCharBuiltin(u'ÿ'), u'Ÿ');
}

}  // namespace
}  // namespace tianti::query
