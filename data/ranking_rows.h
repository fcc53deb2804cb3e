// The two ranking lists, compiled into the program at build time from
// data/cpu.txt and data/gpu.txt by the host tool data/gen_rows.cpp, which
// validates every row first.
#pragma once

#include <cstdint>
#include <string_view>

namespace tianti::data {

struct RowList {
  // All rows of the list in rank order, each followed by one u'\n'.
  const char16_t* text;
  // start[i] is the offset of row i (0-based) in `text`; start[count] is the
  // length of `text`.
  const std::uint32_t* start;
  int count;

  // Row i, 0 <= i < count, without its u'\n'.
  std::u16string_view Row(int i) const {
    return {text + start[i], static_cast<std::size_t>(start[i + 1] - start[i] - 1)};
  }
};

extern const RowList kCpuRows;
extern const RowList kGpuRows;

}  // namespace tianti::data
