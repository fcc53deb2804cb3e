// Searching upper-cased terms in ranking rows.
//
// Ranking rows hold printable ASCII and CJK ideographs only (the lists are
// checked when they are compiled into the program), so the upper case of a
// row differs from the row only in the letters a..z. The search therefore
// never builds an upper-cased copy of a row: a term character T matches a
// row character c when c is T, or when T is one of A..Z and c its lower case.
//
// Rows stored back to back (the compiled lists) are searched as one block
// through their folded copy (data::FoldUnit, one byte per code unit): a
// filter finds the few places where a term may start, and only there are the
// rows themselves compared. The filter has a portable implementation and, on
// x86-64, SSE2 and AVX2 ones; all of them find exactly the same places.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tianti::query {

// One search term, already trimmed and upper-cased. It refers to the caller's
// text, which must outlive it.
class Term {
 public:
  Term() = default;
  explicit Term(std::u16string_view upper) : text_(upper) {}

  bool empty() const { return text_.empty(); }
  std::size_t size() const { return text_.size(); }
  std::u16string_view text() const { return text_; }

  // Whether the upper case of `row` contains the term.
  bool FoundIn(std::u16string_view row) const;

  // Whether the term occurs at `at`, which has at least size() characters.
  bool MatchesAt(const char16_t* at) const;

 private:
  std::u16string_view text_;
};

// Up to four terms, of which a row must contain one.
class AnyTerm {
 public:
  static constexpr std::size_t kMaxTerms = 4;

  // Adds a term; empty terms are ignored. At most kMaxTerms.
  void Add(const Term& term);

  bool FoundIn(std::u16string_view row) const;

 private:
  std::array<const Term*, kMaxTerms> terms_{};
  std::size_t count_ = 0;
};

// The implementations of the folded-text filter.
enum class ScanPath { kPortable, kSse2, kAvx2 };

// kPortable always; kSse2 on x86-64; kAvx2 on x86-64 processors that have it.
bool ScanPathAvailable(ScanPath path);
// The implementation in use: the fastest available one unless UseScanPath
// chose another.
ScanPath ActiveScanPath();
// Makes `path` the implementation in use, if it is available; for tests and
// benchmarks. Returns whether it is in use now.
bool UseScanPath(ScanPath path);

// The filter may read this many bytes past the end of the folded text it
// scans; data::kFoldedPadding covers it.
inline constexpr std::size_t kScanOverread = 32;

// Rows stored back to back, each followed by one u'\n' (which no row
// contains), with their folded copy at the same offsets.
struct RowBlock {
  const char16_t* text;
  // FoldUnit of every code unit of `text`, readable up to kScanOverread
  // bytes past the end of the last row's u'\n'.
  const unsigned char* folded;
  // Row i (0 <= i < rows) is text[start[i]] up to its u'\n' at
  // text[start[i + 1] - 1]. Offsets count from `text`, so a block may begin
  // in the middle of a list.
  const std::uint32_t* start;
  int rows;
  // No row of the block is longer than this (code units).
  int longest;
};

// Finds the rows of a block that contain one of up to four terms.
class RowFinder {
 public:
  static constexpr std::size_t kMaxTerms = 4;

  // Adds a term; empty terms are ignored, and so is a term that contains
  // u'\n', which no row does. At most kMaxTerms.
  void Add(const Term& term);

  // The first row i, first <= i < block.rows, whose upper case contains one
  // of the terms; block.rows if there is none.
  int FirstMatch(const RowBlock& block, int first) const;

  // The filter's layout of the terms, exposed for tests: for each position p
  // of folded text it reports the terms k for which the folded text at
  // p + offset[j] equals byte[k][j] for every probe j < probes; such a term
  // may start at p - anchor[k]. All implementations report the same.
  struct Plan {
    static constexpr std::size_t kMaxProbes = 4;
    // The largest probe offset used; probes spread over at most this.
    static constexpr std::size_t kMaxReach = 31;

    std::size_t terms = 0;   // terms searched for, at most kMaxTerms
    std::size_t probes = 0;  // 1..kMaxProbes when terms > 0
    std::size_t reach = 0;   // offset[probes - 1]
    std::array<std::size_t, kMaxProbes> offset{};
    std::array<std::size_t, kMaxTerms> anchor{};
    std::array<std::array<unsigned char, kMaxProbes>, kMaxTerms> byte{};
    // For probe j, the terms whose probe byte has the low (high) four bits n
    // are the bits of low[j][n] (high[j][n]).
    std::array<std::array<unsigned char, 16>, kMaxProbes> low{};
    std::array<std::array<unsigned char, 16>, kMaxProbes> high{};
    // The two probes of each term that the SSE2 and portable filters test
    // first, before all of them: the two least likely to be in place by
    // themselves, going by their bytes (a space is the most common byte of
    // the rows, then the bar, then the digits).
    std::array<std::array<std::size_t, 2>, kMaxTerms> screen{};
  };
  const Plan& plan() const { return plan_; }

  // The first position p, from <= p < to, at which the plan reports a term,
  // and those terms as bits 0..3 in `terms`; `to` if there is none. Reads
  // folded[from] up to folded[to - 1 + plan().reach + kScanOverread - 1].
  std::size_t NextCandidate(const unsigned char* folded, std::size_t from, std::size_t to, unsigned& terms) const;

 private:
  void Replan();
  // A start s >= lower at which one of `terms`, reported at p, occurs in the
  // block's text; `none` if there is none.
  std::size_t Verified(const RowBlock& block, std::size_t p, unsigned terms, std::size_t lower, std::size_t none) const;

  // The terms searched for, in the order given.
  std::array<Term, kMaxTerms> terms_{};
  std::size_t count_ = 0;
  std::size_t shortest_ = 0;  // length of the shortest term
  Plan plan_;
};

}  // namespace tianti::query
