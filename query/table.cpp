#include "query/table.h"

namespace tianti::query {

std::u16string TableHead() {
  std::u16string head;
  for (std::u16string_view line : {kBorder, kHeader, kBorder}) {
    head.append(line);
    head.append(kCrLf);
  }
  return head;
}

}  // namespace tianti::query
