#include "query/row_search.h"

namespace tianti::query {

namespace {

// GCC unrolls the fixed-count loops of HitIn completely at -O3, and the
// unrolled vector code runs out of registers; one loop body per vector is
// about half again as fast.
#if defined(__GNUC__) && !defined(__clang__)
#define TIANTI_VECTOR_LOOP _Pragma("GCC unroll 1")
#else
#define TIANTI_VECTOR_LOOP
#endif

// The upper case of a row character (see the header).
constexpr char16_t RowUpper(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
}

}  // namespace

bool Term::MatchesAt(const char16_t* at) const {
  for (std::size_t j = 0; j < text_.size(); ++j) {
    if (RowUpper(at[j]) != text_[j]) return false;
  }
  return true;
}

bool Term::FoundIn(std::u16string_view row) const {
  const std::size_t n = text_.size();
  if (n == 0) return true;
  if (n > row.size()) return false;
  const char16_t first = text_[0];
  const char16_t* const p = row.data();
  const std::size_t last = row.size() - n;
  for (std::size_t i = 0; i <= last; ++i) {
    if (RowUpper(p[i]) == first && MatchesAt(p + i)) return true;
  }
  return false;
}

void AnyTerm::Add(const Term& term) {
  if (term.empty() || count_ == kMaxTerms) return;
  terms_[count_++] = &term;
}

bool AnyTerm::FoundIn(std::u16string_view row) const {
  for (std::size_t k = 0; k < count_; ++k) {
    if (terms_[k]->FoundIn(row)) return true;
  }
  return false;
}

bool AnyTerm::MatchesAt(const char16_t* at, std::size_t room) const {
  for (std::size_t k = 0; k < count_; ++k) {
    const Term& t = *terms_[k];
    if (t.size() <= room && t.MatchesAt(at)) return true;
  }
  return false;
}

void StartFilter::Add(const Term& term) {
  if (term.empty() || count_ == kMaxTerms) return;
  const std::size_t k = count_++;
  first_[k] = static_cast<std::uint16_t>(term.text().front() | 0x20);
  last_[k] = static_cast<std::uint16_t>(term.text().back() | 0x20);
  span_[k] = term.size() - 1;
  if (term.size() > longest_) longest_ = term.size();
}

bool StartFilter::HitAt(const char16_t* at, std::size_t room) const {
  const auto c = static_cast<std::uint16_t>(at[0] | 0x20);
  for (std::size_t k = 0; k < count_; ++k) {
    if (span_[k] < room && c == first_[k] && (at[span_[k]] | 0x20) == last_[k]) return true;
  }
  return false;
}

// N positions from `at`, every term fitting at each of them. Terms are taken
// two at a time (an unused second entry never matches), in a plain loop on
// 16-bit values that compilers vectorize without running out of registers.
template <std::size_t N>
bool StartFilter::HitIn(const char16_t* at) const {
  std::uint16_t hit = 0;
  for (std::size_t k = 0; k < count_; k += 2) {
    const std::uint16_t first_a = first_[k], last_a = last_[k];
    const std::uint16_t first_b = first_[k + 1], last_b = last_[k + 1];
    const char16_t* const at_a = at + span_[k];
    const char16_t* const at_b = at + span_[k + 1];
    TIANTI_VECTOR_LOOP
    for (std::size_t i = 0; i < N; ++i) {
      const auto c = static_cast<std::uint16_t>(at[i] | 0x20);
      const bool a = (c == first_a) & ((at_a[i] | 0x20) == last_a);
      const bool b = (c == first_b) & ((at_b[i] | 0x20) == last_b);
      hit = static_cast<std::uint16_t>(hit | a | b);
    }
  }
  return hit != 0;
}

std::size_t StartFilter::Next(const char16_t* text, std::size_t from, std::size_t end) const {
  if (count_ == 0) return end;
  // Positions before `roomy` have room for every term before `end`.
  const std::size_t roomy = end >= longest_ ? end - longest_ + 1 : 0;
  std::size_t pos = from;
  while (pos < end) {
    if (pos + kChunk <= roomy) {
      if (HitIn<kChunk>(text + pos)) {
        for (std::size_t part = pos; part < pos + kChunk; part += kPart) {
          if (!HitIn<kPart>(text + part)) continue;
          for (std::size_t i = part; i < part + kPart; ++i) {
            if (HitAt(text + i, end - i)) return i;
          }
        }
      }
      pos += kChunk;
      continue;
    }
    if (HitAt(text + pos, end - pos)) return pos;
    ++pos;
  }
  return end;
}

}  // namespace tianti::query
