// An independent model of the query for the stress run and the GUI
// benchmark: the terms as read back from the boxes, the rule, the scope and
// the result table, computed by a plain scan over the compiled lists.
//
// It shares nothing with the program's query code but the case mapping
// (query::UpperCase, the platform's), so that a fault of the scan, the rule
// choice or the table layout shows up as a difference.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tianti::stress {

inline constexpr std::u16string_view kBorder = u"+-----+----------------------------------------+-----+";
inline constexpr std::u16string_view kHeader = u"|编号 |硬件描述                                |得分 |";
inline constexpr std::u16string_view kMissingTerm = u"Sorry,请输入查询条件!";
inline constexpr std::u16string_view kPromptTitle = u"系统提示";

// The texts of the five term boxes: main, AND, OR 1 to OR 3.
struct BoxTerms {
  BoxTerms() = default;
  explicit BoxTerms(std::u16string m, std::u16string a = {}, std::u16string o1 = {}, std::u16string o2 = {},
                    std::u16string o3 = {})
      : main(std::move(m)), also(std::move(a)), or1(std::move(o1)), or2(std::move(o2)), or3(std::move(o3)) {}
  std::u16string main, also, or1, or2, or3;
};

// What one query does with given box texts and scope ('1' ALL, '2' CPU,
// '3' GPU).
struct Outcome {
  bool missing_term = false;              // the warning, then the boxes are emptied
  char16_t rule = 0;                      // 'a'..'e' when the main term is given
  std::vector<std::u16string_view> rows;  // the rows written, at most 30
  bool limit_note = false;                // a 31st match was found
  std::u16string table;                   // the results box afterwards
  std::u16string note;                    // the limit note's text, when shown
};

class Reference {
 public:
  Reference();  // upper-cases every compiled row once

  Outcome Query(const BoxTerms& boxes, char16_t scope) const;

  // Trimmed of U+0020 and U+3000 at both ends, then upper-cased.
  static std::u16string Term(std::u16string_view box);
  // The table for these rows: head, rows with a separator after the 4th,
  // 9th, ... row, and the closing border where one is due.
  static std::u16string Table(const std::vector<std::u16string_view>& rows);

  int slots() const { return static_cast<int>(rows_.size()); }
  std::u16string_view row(int i) const { return rows_[static_cast<size_t>(i)]; }

 private:
  // Slots 1 to 4736 in scan order: the CPU list, the GPU list, then empty.
  std::vector<std::u16string_view> rows_;
  std::vector<std::u16string> upper_;
};

// Printable form of UTF-16 text for failure messages, cut to `max` units.
std::string Printable(std::u16string_view text, std::size_t max = 200);

}  // namespace tianti::stress
