// Searching upper-cased terms in ranking rows.
//
// Ranking rows hold printable ASCII and CJK ideographs only (the lists are
// checked when they are compiled into the program), so the upper case of a
// row differs from the row only in the letters a..z. The search therefore
// never builds an upper-cased copy of a row: a term character T matches a
// row character c when c is T, or when T is one of A..Z and c its lower case.
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

  // Whether one of the terms occurs at `at` within the `room` characters
  // from there on.
  bool MatchesAt(const char16_t* at, std::size_t room) const;

 private:
  std::array<const Term*, kMaxTerms> terms_{};
  std::size_t count_ = 0;
};

// Finds, in a block of row text, the positions where one of up to four
// non-empty terms may start: its first and its last character match there,
// with the bit 0x20 ignored (which covers both cases of a letter). Every
// position where a term occurs is such a position; the caller checks the
// row there in full. Positions are tested in fixed chunks by plain loops
// without early exit, which compilers turn into vector code.
class StartFilter {
 public:
  static constexpr std::size_t kMaxTerms = 4;

  // Adds a term; empty terms are ignored. At most kMaxTerms.
  void Add(const Term& term);

  // The first position in [from, end) of `text` at which some term fits
  // before `end` and has its first and last characters in place; `end` if
  // there is none. Reads text[from] .. text[end - 1] only.
  std::size_t Next(const char16_t* text, std::size_t from, std::size_t end) const;

 private:
  // A chunk with a hit is narrowed down kPart positions at a time, and only
  // such a part is tested one position after the other.
  static constexpr std::size_t kChunk = 64;
  static constexpr std::size_t kPart = 8;

  bool HitAt(const char16_t* at, std::size_t room) const;
  template <std::size_t N>
  bool HitIn(const char16_t* at) const;

  // Per term: the first and the last character with the bit 0x20 set, and
  // the distance from the first to the last. Unused entries never match: no
  // character with the bit 0x20 set is 0.
  std::array<std::uint16_t, kMaxTerms> first_{};
  std::array<std::uint16_t, kMaxTerms> last_{};
  std::array<std::size_t, kMaxTerms> span_{};
  std::size_t count_ = 0;
  std::size_t longest_ = 0;
};

}  // namespace tianti::query
