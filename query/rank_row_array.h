// RankRows, the array of slots that the query scans: the main window owns one
// and fills it at start-up with the rows compiled into the program
// (data/ranking_rows.h holds those lists).
#pragma once

#include <array>
#include <string_view>

namespace tianti {

// A fixed array of strings with indices 0 to 4736. Slots 1 to 3012 hold the
// CPU list, 3013 to 4734 the GPU list; every other slot stays empty. A slot
// refers to the row text compiled into the program (data/ranking_rows.h) and
// reads as that exact text.
class RankRowArray {
 public:
  static constexpr int kFirst = 0;
  static constexpr int kLast = 4736;
  static constexpr int kSize = kLast + 1;

  // Both throw std::out_of_range for an index outside 0..4736.
  std::u16string_view operator[](int index) const { return slots_[Check(index)]; }
  void Set(int index, std::u16string_view row) { slots_[Check(index)] = row; }
  // All kSize slots in index order, for reading many slots at once.
  const std::u16string_view* data() const { return slots_.data(); }

 private:
  static std::size_t Check(int index);
  std::array<std::u16string_view, kSize> slots_{};
};

// Start-up's filling from the rows compiled into the program; each slot
// refers to the compiled text, so a store is a pointer and a length.
// CPU rank s goes into slot s; GPU rank r into the slot after the last CPU
// row plus r - 1.
void LoadCpuList(RankRowArray& rows);
void LoadGpuList(RankRowArray& rows);

}  // namespace tianti
