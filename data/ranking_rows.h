// The two ranking lists, compiled into the program at build time from
// data/cpu.txt and data/gpu.txt by the host tool data/gen_rows.cpp, which
// validates every row first.
//
// Besides the rows themselves, each list carries two more arrays generated
// from them at build time, for the query's scan: a copy of the text folded to
// one byte per code unit, and the string view of every row. Both are
// constant data of the program; nothing about the rows is computed or stored
// at run time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tianti::data {

// One code unit folded to one byte below 0x80: ASCII letters a..z become
// A..Z, every other ASCII code unit stays as it is, and any other code unit c
// becomes the control code 0x10 | (c & 0x0F), so it never meets a printable
// ASCII character. Whenever a row character, its letters a..z upper-cased,
// equals a character of an upper-cased term, the two fold to the same byte;
// the converse does not hold (other code units share their control codes), so
// a match of folded text is always confirmed on the text itself.
constexpr unsigned char FoldUnit(char16_t c) {
  if (c >= 0x80) return static_cast<unsigned char>(0x10 | (c & 0x0F));
  return static_cast<unsigned char>(c >= u'a' && c <= u'z' ? c - 0x20 : c);
}

// Zero bytes after the folded text of each list, so that the scan may read a
// little past its end.
inline constexpr std::size_t kFoldedPadding = 64;

struct RowList {
  // All rows of the list in rank order, each followed by one u'\n'.
  const char16_t* text;
  // start[i] is the offset of row i (0-based) in `text`; start[count] is the
  // length of `text`.
  const std::uint32_t* start;
  int count;
  // folded[i] is FoldUnit(text[i]) for every offset of `text`, the u'\n'
  // after each row included (it folds to 10, and nothing else does); then
  // kFoldedPadding zero bytes.
  const unsigned char* folded;
  // rows[i] == Row(i) for 0 <= i < count: the value a slot of RankRows holds
  // when it refers to row i, so runs of slots can be compared in bulk.
  const std::u16string_view* rows;
  // The length of the longest row in code units.
  int longest;
  // The list letter, the second character of every row: u'C' or u'G'.
  char16_t letter;

  // Row i, 0 <= i < count, without its u'\n'.
  std::u16string_view Row(int i) const {
    return {text + start[i], static_cast<std::size_t>(start[i + 1] - start[i] - 1)};
  }
};

extern const RowList kCpuRows;
extern const RowList kGpuRows;

}  // namespace tianti::data
