// Random text for the stress run: search terms cut from the ranking rows in
// random letter case, known words, CJK, full-width and other letters whose
// case mapping is special, control characters, lone surrogates, and strings
// of about 30,000 characters.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "tests/stress/reference.h"

namespace tianti::stress {

class RandomText {
 public:
  RandomText(std::mt19937_64& rng, const Reference& reference) : rng_(rng), ref_(reference) {}

  // A term that often matches: a piece of a row in random case, a known
  // word, sometimes padded with spaces or ideographic spaces.
  std::u16string Term();
  // Up to `max` characters of every kind above, control characters included
  // (never NUL).
  std::u16string Noise(std::size_t max);
  // What a user types: mostly a term, sometimes noise.
  std::u16string Typed();
  // What a user pastes: a term, noise, several lines, or a long string of
  // 29,999 to 40,000 characters (30,000 exactly more often than not).
  std::u16string Pasted();
  // The end of one row, a line break and the start of the next: text that
  // the rows hold only where they are stored one after the other.
  std::u16string Seam();

  std::size_t Below(std::size_t n) { return n ? static_cast<std::size_t>(rng_() % n) : 0; }
  bool Chance(int percent) { return static_cast<int>(rng_() % 100) < percent; }

 private:
  char16_t AnyChar();
  std::u16string Fragment();

  std::mt19937_64& rng_;
  const Reference& ref_;
};

}  // namespace tianti::stress
