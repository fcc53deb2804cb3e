// Filling RankRows at start-up: each slot refers to the row text compiled
// into the program (data/ranking_rows.h), so a store is a pointer and a length.
#include "app/form1.h"
#include "data/ranking_rows.h"

namespace tianti {

// CPU rank s goes into slot s.
void Form1::LoadCpuRows() {
  for (int s = 1; s <= data::kCpuRows.count; ++s) RankRows.Set(s, data::kCpuRows.Row(s - 1));
}

// GPU rank r goes into the slot after the last CPU row plus r - 1.
void Form1::LoadGpuRows() {
  const int base = data::kCpuRows.count;
  for (int r = 1; r <= data::kGpuRows.count; ++r) RankRows.Set(base + r, data::kGpuRows.Row(r - 1));
}

}  // namespace tianti
