// The result table's text: a framed table whose body lines are the ranking
// rows as stored, with a separator line after the 4th, 9th, 14th ... row.
// Form1 writes it into the results box line by line; these are its lines and
// where they go.
#pragma once

#include <string>
#include <string_view>

namespace tianti::query {

inline constexpr std::u16string_view kBorder = u"+-----+----------------------------------------+-----+";
inline constexpr std::u16string_view kHeader = u"|编号 |硬件描述                                |得分 |";
inline constexpr std::u16string_view kCrLf = u"\r\n";

// Border, header and border, each ending with CR LF.
std::u16string TableHead();

// A separator line follows the row that makes `rows` rows.
constexpr bool SeparatorAfter(int rows) { return rows % 5 == 4; }

// A closing border follows the last of `rows` rows: not after a separator,
// and not under a table of four rows or fewer.
constexpr bool ClosingBorderAfter(int rows) { return rows % 5 != 4 && rows > 4; }

}  // namespace tianti::query
