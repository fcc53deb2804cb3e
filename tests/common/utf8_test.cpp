// UTF-8 decoding of the arguments and encoding of the output.
#include <gtest/gtest.h>

#include "common/utf8.h"

namespace tianti {
namespace {

TEST(Utf8, DecodesWellFormedText) {
  EXPECT_EQ(FromUtf8("ryzen"), u"ryzen");
  EXPECT_EQ(FromUtf8("\xE5\x8F\x8C\xE5\x8D\xA1"), u"双卡");
  EXPECT_EQ(FromUtf8("\xC3\xA9\xE3\x80\x80"), u"é\u3000");
  EXPECT_EQ(FromUtf8("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(FromUtf8(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Utf8, EachIllFormedPartBecomesOneReplacement) {
  EXPECT_EQ(FromUtf8("\x80"), u"\uFFFD");  // stray continuation
  EXPECT_EQ(FromUtf8("a\xFF"
                     "b"),
            u"a\uFFFDb");                                                // never a UTF-8 byte
  EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");                      // overlong
  EXPECT_EQ(FromUtf8("\xE0\x80\x80"), u"\uFFFD\uFFFD\uFFFD");            // overlong
  EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");            // encoded surrogate
  EXPECT_EQ(FromUtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // above U+10FFFF
  EXPECT_EQ(FromUtf8("\xE5\x8F"), u"\uFFFD");                            // truncated at the end
  EXPECT_EQ(FromUtf8("\xE5\x8F"
                     "x"),
            u"\uFFFDx");  // truncated before ASCII
  EXPECT_EQ(FromUtf8("\xF0\x9F\x98"), u"\uFFFD");
}

TEST(Utf8, EncodesAndReplacesLoneSurrogates) {
  EXPECT_EQ(ToUtf8(u"|编号 |"), "|\xE7\xBC\x96\xE5\x8F\xB7 |");
  EXPECT_EQ(ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(ToUtf8(u"a\xD800"
                   u"b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(ToUtf8(u"\xDC00"), "\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(u"\xD83D"), "\xEF\xBF\xBD");  // high surrogate at the end
  // Round trip of everything in the BMP outside the surrogates.
  std::u16string all;
  for (unsigned c = 1; c < 0x10000; ++c) {
    if (c < 0xD800 || c > 0xDFFF) all.push_back(static_cast<char16_t>(c));
  }
  EXPECT_EQ(FromUtf8(ToUtf8(all)), all);
}

TEST(Utf8, RoundTripAndMalformedInput) {
  std::u16string text = u"本机CPU名称：\u00AE \U0001F680 x";
  EXPECT_EQ(ToUtf8(text), "本机CPU名称：\xC2\xAE \xF0\x9F\x9A\x80 x");
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(FromUtf8("a\xFF"
                     "b\xC3"),
            u"a\uFFFDb\uFFFD");                                                    // stray and truncated bytes
  EXPECT_EQ(FromUtf8("\xC0\xAF\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");  // overlong, surrogate
  EXPECT_EQ(ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace tianti
