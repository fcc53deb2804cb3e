// fuzz_resolve: any bytes as a device name, in each scope, through the
// resolver (query/resolver.h). Whatever the name, an answer must be a real row
// of a list the scope reads, offered without candidates, of a maker the name
// allows, holding the name's model numbers; without an answer there are at
// most kMaxCandidates candidates, each a real row.
//
// Input: byte 0 bits 0-1 the scope (1 CPU, 2 GPU, else ALL), bit 2 how the
// rest is read: 0 as UTF-8 (invalid sequences become U+FFFD), 1 as UTF-16LE
// code units (a last odd byte is dropped).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/utf8.h"
#include "query/maker.h"
#include "query/resolver.h"

namespace {

using tianti::query::ListRow;
using tianti::query::Resolution;
using tianti::query::Scope;

[[noreturn]] void Fail(const char* what, const std::u16string& name) {
  (void)std::fprintf(stderr, "fuzz_resolve: %s\n  name: %s\n", what, tianti::ToUtf8(name).c_str());
  std::abort();
}

bool EndsWith(const std::string& w, std::string_view end) {
  return w.size() > end.size() && w.compare(w.size() - end.size(), end.size(), end) == 0;
}

// A word of the name's reading that names the model: it has a digit and is
// not a clock or a variant that rows may not tell apart (a memory size, a
// core count).
bool IsModelNumber(const std::string& w) {
  if (w.find_first_of("0123456789") == std::string::npos) return false;
  for (std::string_view unit : {"ghz", "mhz", "gb", "mb", "core"}) {
    if (EndsWith(w, unit)) return false;
  }
  return true;
}

// Columns a description takes: a Chinese character two.
std::size_t Columns(std::u16string_view text) {
  std::size_t n = 0;
  for (char16_t c : text) n += c < 0x80 ? 1 : 2;
  return n;
}

void CheckRow(const ListRow& row, const std::u16string& name) {
  const auto real = tianti::query::RowAt(row.list, row.rank);
  if (!real || real->description != row.description || real->score != row.score) Fail("not a real row", name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Scope scope = (data[0] & 3) == 1 ? Scope::kCpu : (data[0] & 3) == 2 ? Scope::kGpu : Scope::kAll;
  std::u16string name;
  if (data[0] & 4) {
    for (std::size_t i = 1; i + 1 < size; i += 2) name.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  } else {
    name = tianti::FromUtf8(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  }

  const Resolution r = tianti::query::Resolve(name, scope);
  if (r.candidates.size() > static_cast<std::size_t>(tianti::query::kMaxCandidates)) Fail("too many candidates", name);
  for (const ListRow& c : r.candidates) CheckRow(c, name);
  if (!r.row) return 0;
  const ListRow& row = *r.row;
  CheckRow(row, name);
  if (!r.candidates.empty()) Fail("an answer with candidates", name);
  if ((scope == Scope::kCpu && row.list != u'C') || (scope == Scope::kGpu && row.list != u'G')) {
    Fail("a row outside the scope", name);
  }

  const std::uint16_t name_makers = tianti::query::ResolverMakers(name);
  const std::uint16_t row_makers = tianti::query::ListRowMakers(row.list, row.description);
  if (name_makers != 0 && row_makers != 0 && (name_makers & row_makers) == 0) Fail("a row of another maker", name);

  // Every model number of the name is one of the row's words; a row cut at
  // 40 columns may end in the start of one, and answers for a longer name
  // if it holds at least one of them.
  const std::vector<std::string> row_words = tianti::query::ResolverWords(row.description);
  const bool may_be_cut = Columns(row.description) >= 39;
  int models = 0, held = 0;
  for (const std::string& w : tianti::query::ResolverWords(name)) {
    if (!IsModelNumber(w)) continue;
    ++models;
    for (const std::string& rw : row_words) {
      if (rw == w || (may_be_cut && &rw == &row_words.back() && w.compare(0, rw.size(), rw) == 0)) {
        ++held;
        break;
      }
    }
  }
  if (may_be_cut ? models > 0 && held == 0 : held != models) Fail("a row without the name's model numbers", name);
  return 0;
}
