#include "query/rank_row_array.h"

#include <stdexcept>
#include <string>

namespace tianti {

std::size_t RankRowArray::Check(int index) {
  if (index < kFirst || index > kLast) {
    throw std::out_of_range("RankRows: subscript out of range (index " + std::to_string(index) +
                            ", bounds 0 to 4736)");
  }
  return static_cast<std::size_t>(index);
}

}  // namespace tianti
