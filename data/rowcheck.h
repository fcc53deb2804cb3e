// Validation of the ranking-row list files (data/cpu.txt, data/gpu.txt).
//
// A list file is UTF-8 without byte order mark, one ranking row per line, LF
// line ends. The final line may end with LF or not; either way it is the last
// row, and an empty line anywhere (including a second LF at the end) is an
// error. A carriage return anywhere is an error.
//
// A ranking row is exactly 54 display columns wide (a CJK ideograph counts
// two columns, every other character one):
//
//   |C1   |AMD Ryzen Threadripper 3970X            |47956|
//   1     7                                        48    54
//
// bars in display columns 1, 7, 48 and 54 and nowhere else; the number field
// (columns 2-6) holds the list letter and the rank number, left-aligned; the
// description (columns 8-47) is left-aligned and does not start with a space;
// the score (columns 49-53) is a positive integer, right-aligned. Ranks run
// 1, 2, 3, ... down the file, scores never increase, the space is the only
// whitespace, and every character is printable ASCII or a CJK ideograph.
// Both lists together hold at most 4736 rows.
//
// Portable C++17, no platform headers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tianti::rowcheck {

inline constexpr int kRowColumns = 54;
inline constexpr int kNumberColumns = 5;
inline constexpr int kDescriptionColumns = 40;
inline constexpr int kScoreColumns = 5;
inline constexpr int kMaxTotalRows = 4736;
inline constexpr char16_t kCpuLetter = u'C';
inline constexpr char16_t kGpuLetter = u'G';

// One violation: where it is and one English sentence saying what is wrong.
struct Problem {
  std::string file;
  int line = 0;  // 1-based
  std::string what;

  // "file:line: what"
  std::string ToString() const;
};

// The rows of one list file (without their line ends) and every violation
// found in it. `rows` holds one entry per line of the file, in file order (a
// line that is not valid UTF-8 is left empty); it is meaningful only when
// `problems` is empty.
struct ListResult {
  std::vector<std::u16string> rows;
  std::vector<Problem> problems;
};

// True for a CJK ideograph of U+4E00..U+9FFF or U+3400..U+4DBF.
bool IsCjkIdeograph(char32_t c);

// Display columns of `text`: 2 for each CJK ideograph, 1 for every other code
// point (a surrogate pair is one code point; a lone surrogate counts 1).
std::size_t DisplayWidth(std::u16string_view text);

// Strict UTF-8 to UTF-16: rejects overlong forms, surrogates, code points
// above U+10FFFF and truncated sequences. On failure returns false and sets
// `error_offset` to the 0-based offset in `bytes` where the bad sequence
// starts.
bool DecodeUtf8(std::string_view bytes, std::u16string& out, std::size_t& error_offset);

// Checks one ranking row, the `line`th line of its list (so its rank must be
// `line`), against every layout rule. `previous_score` is the score of the
// row before, or -1 when there is none or it could not be read; on return it
// holds this row's score, or -1 if it could not be read. Appends any
// violations to `problems`.
void CheckRow(std::u16string_view row, char16_t list_letter, const std::string& file, int line, long& previous_score,
              std::vector<Problem>& problems);

// Decodes and checks the whole content of one list file, `file` naming it
// in the messages. `list_letter` is kCpuLetter or kGpuLetter.
ListResult CheckList(std::string_view bytes, char16_t list_letter, const std::string& file);

// Checks both lists: each on its own, then that together they hold at most
// kMaxTotalRows rows (reported at the first row that does not fit).
struct TableResult {
  ListResult cpu;
  ListResult gpu;
  bool ok() const { return cpu.problems.empty() && gpu.problems.empty(); }
  // All problems, CPU file first.
  std::vector<Problem> AllProblems() const;
};
TableResult CheckTable(std::string_view cpu_bytes, const std::string& cpu_file, std::string_view gpu_bytes,
                       const std::string& gpu_file);

}  // namespace tianti::rowcheck
