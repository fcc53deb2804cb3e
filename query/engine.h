// The query engine: which rows of RankRows answer the search terms in a
// scope, under which matching rule, and whether the 30-row limit was
// reached. It knows no window; Form1 reads the boxes, drives it and writes
// the table (query/table.h) into the results box.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "query/rank_row_array.h"

namespace tianti::query {

// The five search terms as the scan compares them: each box's text trimmed
// of spaces and upper-cased (NormalizeTerm). An empty term is not given.
struct Terms {
  std::u16string main;  // Text1, required
  std::u16string also;  // Text2, the AND term
  std::u16string or1;   // Text5
  std::u16string or2;   // Text6
  std::u16string or3;   // Text7
};

std::u16string NormalizeTerm(std::u16string_view box_text);

// The matching rules, by the letter the limit note names. The first rule
// whose terms are given applies: a given AND term outweighs every OR term,
// and OR terms count from OR 1 on without a gap.
enum class Rule : char16_t {
  kMain = u'a',         // AND and OR 1 empty: rows with the main term
  kMainAndAlso = u'b',  // AND given: rows with the main term and the AND term
  kMainOrOne = u'c',    // OR 1 given, OR 2 empty: the main term or OR 1
  kMainOrTwo = u'd',    // OR 1 and 2 given, OR 3 empty: the main term, OR 1 or OR 2
  kMainOrThree = u'e',  // OR 1 to 3 given: the main term or any OR term
};
Rule ChooseRule(const Terms& terms);
inline char16_t Letter(Rule rule) { return static_cast<char16_t>(rule); }

// The lists a query searches. Each leaves out the rows of one list letter
// (the second character of a row): ALL leaves out "A", which no row has.
enum class Scope { kAll, kCpu, kGpu };
char16_t ExcludedLetter(Scope scope);

// Rows a table shows; the next match found is not shown but reported.
inline constexpr int kMaxRows = 30;

struct Answer {
  Rule rule = Rule::kMain;
  // The matching slots in index order (so in RankRows order), at most kMaxRows.
  std::vector<int> slots;
  // A match was found after kMaxRows rows: the table is cut short and the
  // user is told so (the limit note).
  bool truncated = false;
  // Where the scan stopped: the slot of that further match, or
  // RankRowArray::kLast + 1 when it ran through every slot.
  int scan_end = RankRowArray::kLast + 1;
};

// Walks slots 1 to RankRowArray::kLast in order. The main term must be given.
Answer Search(const RankRowArray& rows, Scope scope, const Terms& terms);

// The same scan without the limit: every matching slot, in index order (the
// ladder draws them all).
std::vector<int> SearchAll(const RankRowArray& rows, Scope scope, const Terms& terms);

}  // namespace tianti::query
