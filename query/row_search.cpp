#include "query/row_search.h"

#include <algorithm>

#include "data/ranking_rows.h"

#if (defined(__x86_64__) || defined(_M_X64)) && !defined(_M_ARM64EC)
#define TIANTI_X86_64 1
#include <emmintrin.h>
#include <immintrin.h>
#else
#define TIANTI_X86_64 0
#endif
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

// The functions of the AVX2 filter are compiled for AVX2, everything else
// for the baseline, and they run only where the processor has AVX2 (no
// inline function of a header is compiled for AVX2, so none can leak out).
// MSVC compiles AVX2 intrinsics without a target.
#if TIANTI_X86_64 && (defined(__GNUC__) || defined(__clang__))
#define TIANTI_TARGET_AVX2 __attribute__((target("avx2")))
#else
#define TIANTI_TARGET_AVX2
#endif

#if defined(_MSC_VER) && !defined(__clang__)
#define TIANTI_NOINLINE __declspec(noinline)
#else
#define TIANTI_NOINLINE __attribute__((noinline))
#endif

namespace tianti::query {

static_assert(data::kFoldedPadding >= kScanOverread, "the compiled rows are padded for the scan");

namespace {

using Plan = RowFinder::Plan;

// The upper case of a row character (see the header).
constexpr char16_t RowUpper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c; }

// The index of the lowest set bit of a non-zero mask.
[[maybe_unused]] unsigned LowestBit(std::uint32_t mask) {
#if defined(_MSC_VER) && !defined(__clang__)
  unsigned long index = 0;
  _BitScanForward(&index, mask);
  return static_cast<unsigned>(index);
#else
  return static_cast<unsigned>(__builtin_ctz(mask));
#endif
}

// The terms the plan reports at `at`, tested one probe after the other.
unsigned TermsAt(const Plan& plan, const unsigned char* at) {
  unsigned terms = 0;
  for (std::size_t k = 0; k < plan.terms; ++k) {
    bool all = true;
    for (std::size_t j = 0; j < plan.probes; ++j) all = all && at[plan.offset[j]] == plan.byte[k][j];
    if (all) terms |= 1u << k;
  }
  return terms;
}

// ---- portable filter ---------------------------------------------------------

// GCC unrolls fixed-count vector loops completely at -O3 and then runs out
// of registers; one loop body per vector is faster.
#if defined(__GNUC__) && !defined(__clang__)
#define TIANTI_VECTOR_LOOP _Pragma("GCC unroll 1")
#else
#define TIANTI_VECTOR_LOOP
#endif

// The two screen probes of every term, for the portable filter; a plan with
// fewer than four terms repeats its first term.
struct Screen {
  std::size_t offset[RowFinder::kMaxTerms][2];
  unsigned char byte[RowFinder::kMaxTerms][2];

  explicit Screen(const Plan& plan) {
    for (std::size_t k = 0; k < RowFinder::kMaxTerms; ++k) {
      const std::size_t from = k < plan.terms ? k : 0;
      for (std::size_t s = 0; s < 2; ++s) {
        offset[k][s] = plan.offset[plan.screen[from][s]];
        byte[k][s] = plan.byte[from][plan.screen[from][s]];
      }
    }
  }

  // Whether some term has both screen probes in place at one of the N
  // positions from `at`: one plain loop on bytes without early exit, which
  // compilers turn into vector code where they can.
  template <std::size_t N>
  bool AnyIn(const unsigned char* at) const {
    const unsigned char* const a0 = at + offset[0][0];
    const unsigned char* const a1 = at + offset[0][1];
    const unsigned char* const b0 = at + offset[1][0];
    const unsigned char* const b1 = at + offset[1][1];
    const unsigned char* const c0 = at + offset[2][0];
    const unsigned char* const c1 = at + offset[2][1];
    const unsigned char* const d0 = at + offset[3][0];
    const unsigned char* const d1 = at + offset[3][1];
    unsigned char hit = 0;
    TIANTI_VECTOR_LOOP
    for (std::size_t i = 0; i < N; ++i) {
      hit = static_cast<unsigned char>(
          hit | ((a0[i] == byte[0][0]) & (a1[i] == byte[0][1])) | ((b0[i] == byte[1][0]) & (b1[i] == byte[1][1])) |
          ((c0[i] == byte[2][0]) & (c1[i] == byte[2][1])) | ((d0[i] == byte[3][0]) & (d1[i] == byte[3][1])));
    }
    return hit != 0;
  }
};

// A chunk with a hit is narrowed down kPart positions at a time, and only
// such a part is tested one position after the other, with every probe.
constexpr std::size_t kChunk = 64;
constexpr std::size_t kPart = 8;

std::size_t NextPortable(const Plan& plan, const unsigned char* folded, std::size_t from, std::size_t to,
                         unsigned& terms) {
  const Screen screen(plan);
  std::size_t p = from;
  while (p < to) {
    if (to - p >= kChunk) {
      if (screen.AnyIn<kChunk>(folded + p)) {
        for (std::size_t part = p; part < p + kChunk; part += kPart) {
          if (!screen.AnyIn<kPart>(folded + part)) continue;
          for (std::size_t i = part; i < part + kPart; ++i) {
            if (const unsigned found = TermsAt(plan, folded + i)) {
              terms = found;
              return i;
            }
          }
        }
      }
      p += kChunk;
      continue;
    }
    if (const unsigned found = TermsAt(plan, folded + p)) {
      terms = found;
      return p;
    }
    ++p;
  }
  return to;
}

#if TIANTI_X86_64

// ---- SSE2 filter -------------------------------------------------------------

// 16 positions at a time: the two screen probes of every term compared, and
// only where one term has both in place, every probe of every term.
std::size_t NextSse2(const Plan& plan, const unsigned char* folded, std::size_t from, std::size_t to, unsigned& terms) {
  __m128i want[RowFinder::kMaxTerms][Plan::kMaxProbes];
  __m128i bit[RowFinder::kMaxTerms];
  std::size_t screen_offset[RowFinder::kMaxTerms][2];
  __m128i screen_want[RowFinder::kMaxTerms][2];
  for (std::size_t k = 0; k < plan.terms; ++k) {
    for (std::size_t j = 0; j < plan.probes; ++j) {
      want[k][j] = _mm_set1_epi8(static_cast<char>(plan.byte[k][j]));
    }
    bit[k] = _mm_set1_epi8(static_cast<char>(1u << k));
    for (std::size_t s = 0; s < 2; ++s) {
      screen_offset[k][s] = plan.offset[plan.screen[k][s]];
      screen_want[k][s] = _mm_set1_epi8(static_cast<char>(plan.byte[k][plan.screen[k][s]]));
    }
  }
  const __m128i zero = _mm_setzero_si128();
  for (std::size_t p = from; p < to; p += 16) {
    const unsigned char* const at = folded + p;
    __m128i screened = zero;
    for (std::size_t k = 0; k < plan.terms; ++k) {
      const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + screen_offset[k][0]));
      const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + screen_offset[k][1]));
      screened = _mm_or_si128(
          screened, _mm_and_si128(_mm_cmpeq_epi8(b1, screen_want[k][0]), _mm_cmpeq_epi8(b2, screen_want[k][1])));
    }
    if (_mm_movemask_epi8(screened) == 0) continue;
    __m128i probe[Plan::kMaxProbes] = {};
    for (std::size_t j = 0; j < plan.probes; ++j) {
      probe[j] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + plan.offset[j]));
    }
    __m128i found = zero;
    for (std::size_t k = 0; k < plan.terms; ++k) {
      __m128i all = _mm_cmpeq_epi8(probe[0], want[k][0]);
      for (std::size_t j = 1; j < plan.probes; ++j) {
        all = _mm_and_si128(all, _mm_cmpeq_epi8(probe[j], want[k][j]));
      }
      found = _mm_or_si128(found, _mm_and_si128(all, bit[k]));
    }
    auto mask = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(found, zero)) ^ 0xFFFF);
    if (to - p < 16) mask &= (1u << (to - p)) - 1;
    if (mask != 0) {
      alignas(16) unsigned char lanes[16];
      _mm_store_si128(reinterpret_cast<__m128i*>(lanes), found);
      const unsigned lane = LowestBit(mask);
      terms = lanes[lane];
      return p + lane;
    }
  }
  return to;
}

// ---- AVX2 filter -------------------------------------------------------------

// 32 positions at a time, all terms at once: each probe's byte is looked up
// by its low four bits in a table of 16 term masks (one vpshufb; folded
// bytes are below 0x80, so the lookup never yields zero for its top bit),
// and the masks of the probes are ANDed. Only a vector that keeps a bit is
// looked up by the high four bits as well, which makes the test exact.

template <std::size_t M>
TIANTI_TARGET_AVX2 inline __m256i LowTest(const __m256i* low, const unsigned char* const* probe, std::size_t p) {
  __m256i r = _mm256_shuffle_epi8(low[0], _mm256_loadu_si256(reinterpret_cast<const __m256i*>(probe[0] + p)));
  for (std::size_t j = 1; j < M; ++j) {
    r = _mm256_and_si256(
        r, _mm256_shuffle_epi8(low[j], _mm256_loadu_si256(reinterpret_cast<const __m256i*>(probe[j] + p))));
  }
  return r;
}

// The first of the `count` (at most 32) positions from `at` at which the plan
// reports a term, by low and high four bits, and its terms; -1 if there is
// none. Kept out of line: NextAvx2 calls it only for the few vectors that
// pass the low test, and its registers stay free for that test.
template <std::size_t M>
TIANTI_TARGET_AVX2 TIANTI_NOINLINE int ExactLane(const Plan& plan, const unsigned char* at, std::size_t count,
                                                 unsigned& terms) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  __m256i r = _mm256_set1_epi8(static_cast<char>(0xFF));
  for (std::size_t j = 0; j < M; ++j) {
    const __m256i low = _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(plan.low[j].data())));
    const __m256i high = _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(plan.high[j].data())));
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + plan.offset[j]));
    const __m256i top = _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble);
    r = _mm256_and_si256(r, _mm256_and_si256(_mm256_shuffle_epi8(low, bytes), _mm256_shuffle_epi8(high, top)));
  }
  std::uint32_t mask = ~static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(r, _mm256_setzero_si256())));
  if (count < 32) mask &= (1u << count) - 1;
  if (mask == 0) return -1;
  const unsigned lane = LowestBit(mask);
  alignas(32) unsigned char lanes[32];
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), r);
  terms = lanes[lane];
  return static_cast<int>(lane);
}

template <std::size_t M>
TIANTI_TARGET_AVX2 std::size_t NextAvx2(const Plan& plan, const unsigned char* folded, std::size_t from, std::size_t to,
                                        unsigned& terms) {
  __m256i low[M];
  const unsigned char* probe[M];  // probe[j][p] is the byte of probe j for position p
  for (std::size_t j = 0; j < M; ++j) {
    low[j] = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(plan.low[j].data())));
    probe[j] = folded + plan.offset[j];
  }
  std::size_t p = from;
  // Two vectors per step while 64 positions remain.
  for (; to - p >= 64; p += 64) {
    __m256i r0 = LowTest<M>(low, probe, p);
    __m256i r1 = LowTest<M>(low, probe, p + 32);
    const __m256i any = _mm256_or_si256(r0, r1);
    if (_mm256_testz_si256(any, any)) continue;
    for (std::size_t half = p; half < p + 64; half += 32) {
      const int lane = ExactLane<M>(plan, folded + half, 32, terms);
      if (lane >= 0) return half + static_cast<std::size_t>(lane);
    }
  }
  // The rest, one vector at a time, lanes at `to` and beyond left out.
  for (; p < to; p += 32) {
    const int lane = ExactLane<M>(plan, folded + p, to - p, terms);
    if (lane >= 0) return p + static_cast<std::size_t>(lane);
  }
  return to;
}

bool ProcessorHasAvx2() {
#if defined(_MSC_VER) && !defined(__clang__)
  int info[4];
  __cpuid(info, 0);
  if (info[0] < 7) return false;
  __cpuid(info, 1);
  const bool osxsave = (info[2] & (1 << 27)) != 0;
  const bool avx = (info[2] & (1 << 28)) != 0;
  // The system must save the YMM registers (XCR0 bits 1 and 2).
  if (!osxsave || !avx || (_xgetbv(0) & 6) != 6) return false;
  __cpuidex(info, 7, 0);
  return (info[1] & (1 << 5)) != 0;
#else
  // Checks the system's support for the YMM registers as well.
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
#endif
}

#endif  // TIANTI_X86_64

ScanPath BestScanPath() {
#if TIANTI_X86_64
  return ProcessorHasAvx2() ? ScanPath::kAvx2 : ScanPath::kSse2;
#else
  return ScanPath::kPortable;
#endif
}

ScanPath& ActivePath() {
  static ScanPath path = BestScanPath();
  return path;
}

}  // namespace

// ---- Term, AnyTerm -----------------------------------------------------------

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

// ---- scan paths --------------------------------------------------------------

bool ScanPathAvailable(ScanPath path) {
  switch (path) {
    case ScanPath::kPortable:
      return true;
    case ScanPath::kSse2:
      return TIANTI_X86_64 != 0;
    case ScanPath::kAvx2:
#if TIANTI_X86_64
      return ProcessorHasAvx2();
#else
      return false;
#endif
  }
  return false;
}

ScanPath ActiveScanPath() { return ActivePath(); }

bool UseScanPath(ScanPath path) {
  if (!ScanPathAvailable(path)) return false;
  ActivePath() = path;
  return true;
}

// ---- RowFinder ---------------------------------------------------------------

void RowFinder::Add(const Term& term) {
  if (term.empty() || count_ == kMaxTerms) return;
  if (term.text().find(u'\n') != std::u16string_view::npos) return;
  terms_[count_++] = term;
  Replan();
}

// The probes spread evenly over the last reach + 1 characters of each term,
// where reach is one less than the shortest term's length (at most
// kMaxReach): the ends of search terms, model numbers mostly, tell rows apart
// better than their beginnings, and probes far apart are more telling than
// neighbours.
void RowFinder::Replan() {
  plan_ = Plan{};
  shortest_ = 0;
  if (count_ == 0) return;
  shortest_ = terms_[0].size();
  for (std::size_t k = 1; k < count_; ++k) shortest_ = std::min(shortest_, terms_[k].size());
  plan_.terms = count_;
  plan_.reach = std::min(shortest_ - 1, Plan::kMaxReach);
  plan_.probes = std::min(Plan::kMaxProbes, plan_.reach + 1);
  for (std::size_t j = 0; j < plan_.probes; ++j) {
    plan_.offset[j] = plan_.probes == 1 ? 0 : j * plan_.reach / (plan_.probes - 1);
  }
  for (std::size_t k = 0; k < count_; ++k) {
    const std::u16string_view text = terms_[k].text();
    plan_.anchor[k] = text.size() - 1 - plan_.reach;
    for (std::size_t j = 0; j < plan_.probes; ++j) {
      const unsigned char b = data::FoldUnit(text[plan_.anchor[k] + plan_.offset[j]]);
      plan_.byte[k][j] = b;
      plan_.low[j][b & 0x0F] = static_cast<unsigned char>(plan_.low[j][b & 0x0F] | (1u << k));
      plan_.high[j][b >> 4] = static_cast<unsigned char>(plan_.high[j][b >> 4] | (1u << k));
    }
    // The screen: the pair of probes with the least common bytes, the pair
    // farther apart when that is a tie.
    auto commonness = [](unsigned char b) { return b == ' ' ? 3 : b == '|' ? 2 : b >= '0' && b <= '9' ? 1 : 0; };
    std::array<std::size_t, 2> best{0, plan_.probes - 1};
    int best_score = 1 << 30;
    for (std::size_t i = 0; i < plan_.probes; ++i) {
      for (std::size_t j = i + 1; j < plan_.probes; ++j) {
        const int score = 2 * (commonness(plan_.byte[k][i]) + commonness(plan_.byte[k][j])) -
                          static_cast<int>(plan_.offset[j] - plan_.offset[i]);
        if (score < best_score) {
          best_score = score;
          best = {i, j};
        }
      }
    }
    plan_.screen[k] = best;
  }
}

std::size_t RowFinder::NextCandidate(const unsigned char* folded, std::size_t from, std::size_t to,
                                     unsigned& terms) const {
  if (plan_.terms == 0 || from >= to) return to;
#if TIANTI_X86_64
  switch (ActivePath()) {
    case ScanPath::kAvx2:
      switch (plan_.probes) {
        case 1:
          return NextAvx2<1>(plan_, folded, from, to, terms);
        case 2:
          return NextAvx2<2>(plan_, folded, from, to, terms);
        case 3:
          return NextAvx2<3>(plan_, folded, from, to, terms);
        default:
          return NextAvx2<4>(plan_, folded, from, to, terms);
      }
    case ScanPath::kSse2:
      return NextSse2(plan_, folded, from, to, terms);
    case ScanPath::kPortable:
      break;
  }
#endif
  return NextPortable(plan_, folded, from, to, terms);
}

std::size_t RowFinder::Verified(const RowBlock& block, std::size_t p, unsigned terms, std::size_t lower,
                                std::size_t none) const {
  for (std::size_t k = 0; k < count_; ++k) {
    // A term that would start before `lower` is not looked at.
    if ((terms & (1u << k)) == 0 || p < lower + plan_.anchor[k]) continue;
    const std::size_t s = p - plan_.anchor[k];
    if (terms_[k].MatchesAt(block.text + s)) return s;
  }
  return none;
}

// Reports come in the order of the rows: a term that occurs in a row lies
// within it (it holds no u'\n'), and is reported at its start plus its
// anchor, which is less than its length, so before the row's u'\n' and so
// before any term that starts in a later row. The first report that holds
// up therefore lies in the first row that contains a term.
int RowFinder::FirstMatch(const RowBlock& block, int first) const {
  if (first >= block.rows || plan_.terms == 0) return block.rows;
  if (shortest_ > static_cast<std::size_t>(block.longest)) return block.rows;
  const std::size_t lower = block.start[first];
  const std::size_t end = block.start[block.rows];
  // A term of n characters that starts at s is reported at
  // s + n - 1 - reach, and s + n <= end; so every report comes before `to`.
  if (end <= lower + plan_.reach) return block.rows;
  const std::size_t to = end - plan_.reach;
  unsigned terms = 0;
  for (std::size_t p = lower; (p = NextCandidate(block.folded, p, to, terms)) < to; ++p) {
    const std::size_t s = Verified(block, p, terms, lower, end);
    if (s == end) continue;
    return static_cast<int>(std::upper_bound(block.start + first, block.start + block.rows + 1, s) - block.start) - 1;
  }
  return block.rows;
}

}  // namespace tianti::query
