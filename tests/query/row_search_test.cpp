// The row search pieces on their own, against plain reference searches, on
// texts made from a small alphabet so that near misses are common.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "query/row_search.h"
#include "query/text.h"

namespace tianti::query {
namespace {

class Random {
 public:
  std::uint32_t Next(std::uint32_t bound) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state_ >> 33) % bound;
  }
  std::u16string Text(std::size_t size, std::u16string_view alphabet) {
    std::u16string s;
    for (std::size_t i = 0; i < size; ++i) s += alphabet[Next(static_cast<std::uint32_t>(alphabet.size()))];
    return s;
  }

 private:
  std::uint64_t state_ = 4736;
};

constexpr std::u16string_view kRowAlphabet = u"aAbB |1双";
constexpr std::u16string_view kTermAlphabet = u"AB |1双";

TEST(TermSearch, FoundInAgreesWithUpperCasedFind) {
  Random rng;
  for (int round = 0; round < 3000; ++round) {
    const std::u16string row = rng.Text(rng.Next(12), kRowAlphabet);
    const std::u16string term = rng.Text(1 + rng.Next(3), kTermAlphabet);
    const bool want = UpperCase(row).find(term) != std::u16string::npos;
    ASSERT_EQ(Term(term).FoundIn(row), want) << round;
    AnyTerm any;
    const Term t(term);
    any.Add(t);
    ASSERT_EQ(any.FoundIn(row), want) << round;
  }
  // A lower-case letter in a term matches no row (rows are compared in
  // upper case).
  EXPECT_FALSE(Term(u"a").FoundIn(u"a"));
  EXPECT_FALSE(Term(u"Ab").FoundIn(u"ab"));
  EXPECT_TRUE(Term(u"").FoundIn(u""));
}

TEST(StartFilterTest, NextFindsTheFirstPossibleStart) {
  Random rng;
  for (int round = 0; round < 400; ++round) {
    const std::size_t size = rng.Next(300);
    // Exactly `size` characters on the heap, so reading past the end is
    // caught by the sanitizer build.
    const std::u16string source = rng.Text(size, kRowAlphabet);
    const std::vector<char16_t> text(source.begin(), source.end());
    std::vector<std::u16string> words;
    std::vector<Term> terms;
    const std::size_t count = 1 + rng.Next(4);
    for (std::size_t k = 0; k < count; ++k) words.push_back(rng.Text(1 + rng.Next(70), kTermAlphabet));
    StartFilter filter;
    for (const auto& w : words) terms.emplace_back(w);
    for (const auto& t : terms) filter.Add(t);

    auto possible_at = [&](std::size_t i) {
      for (const auto& w : words) {
        if (i + w.size() <= size && (text[i] | 0x20) == (w.front() | 0x20) &&
            (text[i + w.size() - 1] | 0x20) == (w.back() | 0x20)) {
          return true;
        }
      }
      return false;
    };
    for (std::size_t from = 0; from <= size; from += 1 + rng.Next(40)) {
      std::size_t want = from;
      while (want < size && !possible_at(want)) ++want;
      ASSERT_EQ(filter.Next(text.data(), from, size), want) << "round " << round << " from " << from;
    }
  }
}

TEST(StartFilterTest, EveryOccurrenceIsAStart) {
  // Long texts of plain letters with the terms planted at chunk edges.
  const std::u16string term = u"QZX";
  const Term t(term);
  StartFilter filter;
  filter.Add(t);
  for (std::size_t at : {0u, 61u, 62u, 63u, 64u, 127u, 190u}) {
    std::u16string text(200, u'k');
    text.replace(at, 3, u"qzx");
    EXPECT_EQ(filter.Next(text.data(), 0, text.size()), at);
    EXPECT_EQ(filter.Next(text.data(), at + 1, text.size()), text.size());
  }
  StartFilter none;
  EXPECT_EQ(none.Next(u"abc", 0, 3), 3u);
}

}  // namespace
}  // namespace tianti::query
