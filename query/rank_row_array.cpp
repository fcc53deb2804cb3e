#include "query/rank_row_array.h"

#include <stdexcept>
#include <string>

#include "data/ranking_rows.h"

namespace tianti {

std::size_t RankRowArray::Check(int index) {
  if (index < kFirst || index > kLast) {
    throw std::out_of_range("RankRows: subscript out of range (index " + std::to_string(index) + ", bounds 0 to 4736)");
  }
  return static_cast<std::size_t>(index);
}

void LoadCpuList(RankRowArray& rows) {
  for (int s = 1; s <= data::kCpuRows.count; ++s) rows.Set(s, data::kCpuRows.Row(s - 1));
}

void LoadGpuList(RankRowArray& rows) {
  const int base = data::kCpuRows.count;
  for (int r = 1; r <= data::kGpuRows.count; ++r) rows.Set(base + r, data::kGpuRows.Row(r - 1));
}

}  // namespace tianti
