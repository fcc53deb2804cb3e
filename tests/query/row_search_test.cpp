// The row search pieces on their own, against plain reference searches, on
// texts made from small alphabets so that near misses are common. Every
// implementation of the folded-text filter available on this processor is
// tested, the portable one always.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "data/ranking_rows.h"
#include "query/row_search.h"
#include "query/text.h"

namespace tianti::query {
namespace {

class Random {
 public:
  explicit Random(std::uint64_t seed = 4736) : state_(seed) {}
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
  std::uint64_t state_;
};

// Rows and terms from these alphabets meet often. ' ', '0', '@' and 'P'
// share their low four bits, as do '|' and 'L', and the ideographs fold to
// control codes, one of them shared with 0x1C in a term.
constexpr std::u16string_view kRowAlphabet = u"aAbB |0P@lL1双卡";
constexpr std::u16string_view kTermAlphabet = u"AB |0P@L1双卡\u001C";

// The paths to test: each one that this processor has.
std::vector<ScanPath> Paths() {
  std::vector<ScanPath> paths;
  for (ScanPath p : {ScanPath::kPortable, ScanPath::kSse2, ScanPath::kAvx2}) {
    if (ScanPathAvailable(p)) paths.push_back(p);
  }
  return paths;
}

const char* Name(ScanPath p) {
  switch (p) {
    case ScanPath::kPortable:
      return "portable";
    case ScanPath::kSse2:
      return "SSE2";
    case ScanPath::kAvx2:
      return "AVX2";
  }
  return "?";
}

// Restores the implementation that was in use.
class PathGuard {
 public:
  PathGuard() : saved_(ActiveScanPath()) {}
  ~PathGuard() { UseScanPath(saved_); }

 private:
  ScanPath saved_;
};

// A block of rows built in memory the way the compiled lists are laid out,
// preceded by `lead` code units of other text, its folded copy followed by
// exactly kScanOverread bytes (on the heap, so the sanitizer build catches a
// read past them).
struct Block {
  std::u16string text;
  std::vector<unsigned char> folded;
  std::vector<std::uint32_t> start;
  std::vector<std::u16string> rows;
  int longest = 0;

  Block(std::u16string_view lead, const std::vector<std::u16string>& row_texts) : rows(row_texts) {
    text = lead;
    for (const auto& r : rows) {
      start.push_back(static_cast<std::uint32_t>(text.size()));
      text += r;
      text += u'\n';
      longest = std::max(longest, static_cast<int>(r.size()));
    }
    start.push_back(static_cast<std::uint32_t>(text.size()));
    for (char16_t c : text) folded.push_back(data::FoldUnit(c));
    folded.resize(folded.size() + kScanOverread, 0xEE);  // no byte folds to 0xEE
  }
  RowBlock View() const { return {text.data(), folded.data(), start.data(), static_cast<int>(rows.size()), longest}; }
};

// The plain answer: the first row from `first` whose upper case holds a term.
int PlainFirstMatch(const std::vector<std::u16string>& rows, const std::vector<std::u16string>& terms, int first) {
  for (int i = first; i < static_cast<int>(rows.size()); ++i) {
    const std::u16string upper = UpperCase(rows[static_cast<std::size_t>(i)]);
    for (const auto& t : terms) {
      if (!t.empty() && upper.find(t) != std::u16string::npos) return i;
    }
  }
  return static_cast<int>(rows.size());
}

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

TEST(FoldUnit, EqualCharactersFoldAlike) {
  for (std::uint32_t u = 0; u <= 0xFFFF; ++u) {
    const auto c = static_cast<char16_t>(u);
    const unsigned char f = data::FoldUnit(c);
    ASSERT_LT(f, 0x80u) << u;
    // A row character and the term character it matches fold alike.
    const char16_t upper = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
    ASSERT_EQ(data::FoldUnit(upper), f) << u;
    // Only u'\n' folds to 10, and nothing else outside ASCII reaches the
    // printable characters.
    if (f == 10) {
      ASSERT_EQ(u, 10u);
    }
    if (u >= 0x80) {
      ASSERT_LT(f, 0x20u) << u;
    }
  }
  EXPECT_EQ(data::FoldUnit(u'q'), 'Q');
  EXPECT_EQ(data::FoldUnit(u'|'), '|');
  EXPECT_NE(data::FoldUnit(u'双'), data::FoldUnit(u' '));
}

TEST(CompiledRows, FoldedCopyViewsLetterAndLongest) {
  for (const data::RowList* list : {&data::kCpuRows, &data::kGpuRows}) {
    const std::uint32_t size = list->start[list->count];
    for (std::uint32_t i = 0; i < size; ++i) {
      ASSERT_EQ(list->folded[i], data::FoldUnit(list->text[i])) << i;
    }
    for (std::size_t i = 0; i < data::kFoldedPadding; ++i) ASSERT_EQ(list->folded[size + i], 0) << i;
    int longest = 0;
    for (int r = 0; r < list->count; ++r) {
      const std::u16string_view row = list->Row(r);
      ASSERT_EQ(list->rows[r].data(), row.data()) << r;
      ASSERT_EQ(list->rows[r].size(), row.size()) << r;
      ASSERT_EQ(row[1], list->letter) << r;
      longest = std::max(longest, static_cast<int>(row.size()));
    }
    EXPECT_EQ(list->longest, longest);
  }
  EXPECT_EQ(data::kCpuRows.letter, u'C');
  EXPECT_EQ(data::kGpuRows.letter, u'G');
}

TEST(ScanPaths, PortableAlwaysAndTheChosenOneIsAvailable) {
  PathGuard guard;
  EXPECT_TRUE(ScanPathAvailable(ScanPath::kPortable));
  EXPECT_TRUE(ScanPathAvailable(ActiveScanPath()));
  for (ScanPath p : Paths()) {
    ASSERT_TRUE(UseScanPath(p));
    EXPECT_EQ(ActiveScanPath(), p);
  }
#if defined(__x86_64__) || defined(_M_X64)
  EXPECT_TRUE(ScanPathAvailable(ScanPath::kSse2));
#else
  EXPECT_FALSE(UseScanPath(ScanPath::kSse2));
  EXPECT_EQ(ActiveScanPath(), ScanPath::kPortable);
#endif
}

TEST(RowFinderPlan, ProbesSpreadOverTheEndsOfTheTerms) {
  const std::u16string a = u"GEFORCE RTX 9090", b = u"CORE I11", c = u"X";
  const Term ta(a), tb(b), tc(c), newline(u"A\nB");
  RowFinder two;
  two.Add(ta);
  two.Add(tb);
  two.Add(newline);  // never searched for
  const RowFinder::Plan& plan = two.plan();
  ASSERT_EQ(plan.terms, 2u);
  EXPECT_EQ(plan.reach, 7u);
  ASSERT_EQ(plan.probes, 4u);
  EXPECT_EQ(plan.offset[0], 0u);
  EXPECT_EQ(plan.offset[3], 7u);
  EXPECT_EQ(plan.anchor[0], 8u);  // the probes cover "RTX 9090"
  EXPECT_EQ(plan.anchor[1], 0u);
  EXPECT_EQ(plan.byte[0][0], 'R');
  EXPECT_EQ(plan.byte[0][3], '0');
  EXPECT_EQ(plan.byte[1][3], '1');
  RowFinder one;
  one.Add(tc);
  EXPECT_EQ(one.plan().probes, 1u);
  EXPECT_EQ(one.plan().reach, 0u);
}

// Every implementation reports exactly the positions and terms that the
// plan describes, and so every place where a term occurs.
TEST(RowFinderFilter, AllPathsReportWhatThePlanDescribes) {
  PathGuard guard;
  Random rng(20260408);
  for (int round = 0; round < 600; ++round) {
    std::vector<std::u16string> words;
    const std::size_t count = 1 + rng.Next(4);
    for (std::size_t k = 0; k < count; ++k)
      words.push_back(rng.Text(1 + rng.Next(rng.Next(3) ? 8 : 45), kTermAlphabet));
    std::vector<Term> terms(words.begin(), words.end());
    RowFinder finder;
    for (const auto& t : terms) finder.Add(t);
    const RowFinder::Plan& plan = finder.plan();
    ASSERT_EQ(plan.terms, count);

    const std::size_t size = rng.Next(400);
    std::u16string text = rng.Text(size, kRowAlphabet);
    // Plant some terms, at random places and at the very end.
    for (int n = 0; n < 3 && size > 0; ++n) {
      const std::u16string& w = words[rng.Next(static_cast<std::uint32_t>(count))];
      if (w.size() > size) continue;
      const std::size_t at = n == 0 ? size - w.size() : rng.Next(static_cast<std::uint32_t>(size - w.size() + 1));
      text.replace(at, w.size(), w);
    }
    std::vector<unsigned char> folded;
    for (char16_t c : text) folded.push_back(data::FoldUnit(c));
    folded.resize(size + kScanOverread, 0xEE);
    if (size <= plan.reach) continue;
    const std::size_t to = size - plan.reach;

    // The plan's own reports, position by position.
    std::vector<std::pair<std::size_t, unsigned>> want;
    for (std::size_t p = 0; p < to; ++p) {
      unsigned bits = 0;
      for (std::size_t k = 0; k < plan.terms; ++k) {
        bool all = true;
        for (std::size_t j = 0; j < plan.probes; ++j) all = all && folded[p + plan.offset[j]] == plan.byte[k][j];
        if (all) bits |= 1u << k;
      }
      if (bits != 0) want.emplace_back(p, bits);
    }
    // Every occurrence is among them.
    const std::u16string upper = UpperCase(text);
    for (std::size_t k = 0; k < count; ++k) {
      for (std::size_t s = upper.find(words[k]); s != std::u16string::npos; s = upper.find(words[k], s + 1)) {
        const std::size_t p = s + plan.anchor[k];
        const bool reported = std::any_of(want.begin(), want.end(),
                                          [&](const auto& w) { return w.first == p && (w.second & (1u << k)) != 0; });
        ASSERT_TRUE(reported) << "round " << round << " term " << k << " at " << s;
      }
    }
    // The whole text, or a part of it: reports outside the part must not
    // show.
    const std::size_t from = round % 2 ? 0 : rng.Next(static_cast<std::uint32_t>(to));
    const std::size_t until = round % 3 ? to : from + rng.Next(static_cast<std::uint32_t>(to - from + 1));
    std::vector<std::pair<std::size_t, unsigned>> want_part;
    for (const auto& w : want) {
      if (w.first >= from && w.first < until) want_part.push_back(w);
    }
    for (ScanPath path : Paths()) {
      ASSERT_TRUE(UseScanPath(path));
      std::vector<std::pair<std::size_t, unsigned>> got;
      unsigned bits = 0;
      std::size_t p = from;
      while ((p = finder.NextCandidate(folded.data(), p, until, bits)) < until) got.emplace_back(p++, bits);
      ASSERT_EQ(got, want_part) << Name(path) << " round " << round << " from " << from << " to " << until;
      ASSERT_EQ(p, until);  // and nothing after it
    }
  }
}

// The filter's vectors are 16 and 32 positions wide and go two at a time:
// a term at each position around their edges, the block's last included.
TEST(RowFinderFilter, TermsAtVectorEdgesAndTheEnd) {
  PathGuard guard;
  const std::u16string word = u"QZX";
  const Term term(word);
  RowFinder finder;
  finder.Add(term);
  for (ScanPath path : Paths()) {
    ASSERT_TRUE(UseScanPath(path));
    for (std::size_t size : {3u, 17u, 33u, 64u, 65u, 95u, 130u}) {
      for (std::size_t at = 0; at + 3 <= size; ++at) {
        std::u16string text(size, u'k');
        text.replace(at, 3, u"qzx");
        std::vector<unsigned char> folded;
        for (char16_t c : text) folded.push_back(data::FoldUnit(c));
        folded.resize(size + kScanOverread, 0xEE);
        unsigned bits = 0;
        const std::size_t to = size - finder.plan().reach;
        ASSERT_EQ(finder.NextCandidate(folded.data(), 0, to, bits), at) << Name(path) << size;
        EXPECT_EQ(bits, 1u);
        ASSERT_EQ(finder.NextCandidate(folded.data(), at + 1, to, bits), to) << Name(path) << size;
      }
    }
  }
}

// Random blocks of rows, random terms of every kind, against the plain
// search, from every row on, on every path.
TEST(RowFinderSearch, FirstMatchAgreesWithThePlainSearch) {
  PathGuard guard;
  Random rng(7);
  for (int round = 0; round < 500; ++round) {
    std::vector<std::u16string> rows;
    const std::size_t n = rng.Next(12);
    for (std::size_t i = 0; i < n; ++i) rows.push_back(rng.Text(rng.Next(60), kRowAlphabet));
    const Block block(rng.Text(rng.Next(5), kRowAlphabet), rows);

    std::vector<std::u16string> words;
    const std::size_t count = 1 + rng.Next(4);
    for (std::size_t k = 0; k < count; ++k) {
      std::u16string w;
      switch (rng.Next(6)) {
        case 0:  // a piece of the text, across rows perhaps, upper-cased
          if (!block.text.empty()) {
            const std::size_t at = rng.Next(static_cast<std::uint32_t>(block.text.size()));
            w = UpperCase(block.text.substr(at, 1 + rng.Next(20)));
          }
          break;
        case 1:  // a whole row
          if (n > 0) w = UpperCase(rows[rng.Next(static_cast<std::uint32_t>(n))]);
          break;
        case 2:
          w = std::u16string(1, kTermAlphabet[rng.Next(static_cast<std::uint32_t>(kTermAlphabet.size()))]);
          break;
        case 3:
          w = rng.Text(1 + rng.Next(3), kTermAlphabet) + u'\0' + rng.Text(rng.Next(2), kTermAlphabet);
          break;
        default:
          w = rng.Text(1 + rng.Next(4), kTermAlphabet);
          break;
      }
      if (w.empty()) w = u"A";
      words.push_back(w);
    }
    std::vector<Term> terms(words.begin(), words.end());
    RowFinder finder;
    for (const auto& t : terms) finder.Add(t);
    for (ScanPath path : Paths()) {
      ASSERT_TRUE(UseScanPath(path));
      for (int first = 0; first <= static_cast<int>(n); ++first) {
        ASSERT_EQ(finder.FirstMatch(block.View(), first), PlainFirstMatch(rows, words, first))
            << Name(path) << " round " << round << " first " << first;
      }
    }
  }
}

TEST(RowFinderSearch, TermsNeverMatchAcrossRows) {
  PathGuard guard;
  const Block block(u"", {u"|C1   |ab|", u"|C2   |cd|", u"|C3   |ef|"});
  // Each of these is in the text, but only across a row's end.
  for (std::u16string_view w : {u"AB|\n|C2", u"|\n|C2", u"B|\n", u"\n", u"F|\n"}) {
    const Term term(w);
    RowFinder finder;
    finder.Add(term);
    EXPECT_EQ(finder.plan().terms, 0u);
    for (ScanPath path : Paths()) {
      ASSERT_TRUE(UseScanPath(path));
      EXPECT_EQ(finder.FirstMatch(block.View(), 0), 3) << Name(path);
    }
  }
  // Rows before `first` do not count, though the filter starts right at it.
  const std::u16string ab = u"AB", bar_c = u"|C";
  const Term t1(ab), t2(bar_c);
  RowFinder finder;
  finder.Add(t1);
  RowFinder both;
  both.Add(t1);
  both.Add(t2);
  for (ScanPath path : Paths()) {
    ASSERT_TRUE(UseScanPath(path));
    EXPECT_EQ(finder.FirstMatch(block.View(), 0), 0) << Name(path);
    EXPECT_EQ(finder.FirstMatch(block.View(), 1), 3) << Name(path);
    EXPECT_EQ(both.FirstMatch(block.View(), 1), 1) << Name(path);
    EXPECT_EQ(both.FirstMatch(block.View(), 2), 2) << Name(path);
  }
}

TEST(RowFinderSearch, LongShortAndCjkTerms) {
  PathGuard guard;
  const std::vector<std::u16string> rows = {u"|G1061|Radeon R7 + R7 350双卡                  | 1982|",
                                            u"|G1421|移动版 Radeon HD 5870                   | 1075|",
                                            u"|G1722|Radeon R5 A10-9600P RADEON R5, 10 COMPUT|  697|"};
  const Block block(u"|G1060|x|\n", rows);
  struct Case {
    std::u16string term;
    int want;
  };
  const std::vector<Case> cases = {{u"双卡", 0},
                                   {u"卡", 0},
                                   {u"移动版 RADEON", 1},
                                   {u"版", 1},
                                   {u"双", 0},
                                   {u"叉", 3},
                                   {u"7", 0},
                                   {u"697|", 2},
                                   {UpperCase(rows[2]), 2},
                                   {UpperCase(rows[2]) + u" ", 3},
                                   {u"RADEON R5, 10 COMPUT|  697|", 2},
                                   {u"|G1722|RADEON R5 A10-9600P RADEON", 2},
                                   {std::u16string(200, u'X'), 3}};
  for (ScanPath path : Paths()) {
    ASSERT_TRUE(UseScanPath(path));
    for (const Case& c : cases) {
      const Term term(c.term);
      RowFinder finder;
      finder.Add(term);
      EXPECT_EQ(finder.FirstMatch(block.View(), 0), c.want) << Name(path) << " " << c.want;
    }
  }
  // Nothing to search for, or nothing left: no row.
  RowFinder none;
  EXPECT_EQ(none.FirstMatch(block.View(), 0), 3);
  const Term t(u"R");
  RowFinder finder;
  finder.Add(t);
  EXPECT_EQ(finder.FirstMatch(block.View(), 3), 3);
  EXPECT_EQ(finder.FirstMatch(block.View(), 2), 2);
}

}  // namespace
}  // namespace tianti::query
