#include "query/engine.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "data/ranking_rows.h"
#include "query/row_search.h"
#include "query/text.h"

namespace tianti::query {

namespace {

// A row is in scope when its list letter, the second character, is not the
// excluded one. A row too short to have a letter has none to exclude.
bool InScope(std::u16string_view row, char16_t excluded) { return row.size() < 2 || row[1] != excluded; }

// A run of slots that hold consecutive rows of one compiled list, the way
// LoadCpuList and LoadGpuList store them. Such rows lie back to back in the
// list's text, each followed by u'\n', so the scan can search the run as one
// block of text. Slots that were set any other way are not part of a run.
struct CompiledRun {
  const data::RowList* list = nullptr;
  int first_row = 0;  // index in the list of the row in the first slot
  int rows = 0;       // number of slots in the run
};

// How many of the n slots from `slots` hold exactly the views in `rows`
// (the same text, not merely equal text), counted from the first.
int SameViews(const std::u16string_view* slots, const std::u16string_view* rows, int n) {
  int i = 0;
  if constexpr (std::has_unique_object_representations_v<std::u16string_view>) {
    // Equal views have equal bytes: compare 64 slots at a time.
    constexpr int kBatch = 64;
    // NOLINTNEXTLINE(bugprone-sizeof-container): the size of a view itself, since the views' own bytes are compared
    while (n - i >= kBatch && std::memcmp(slots + i, rows + i, kBatch * sizeof *slots) == 0) {
      i += kBatch;
    }
  }
  while (i < n && slots[i].data() == rows[i].data() && slots[i].size() == rows[i].size()) ++i;
  return i;
}

CompiledRun CompiledRunAt(const std::u16string_view* slots, int slot) {
  CompiledRun run;
  const int cpu_rows = data::kCpuRows.count;
  if (slot - 1 < cpu_rows) {
    run.list = &data::kCpuRows;
    run.first_row = slot - 1;
  } else if (slot - 1 - cpu_rows < data::kGpuRows.count) {
    run.list = &data::kGpuRows;
    run.first_row = slot - 1 - cpu_rows;
  } else {
    return run;
  }
  const int room = std::min(run.list->count - run.first_row, RankRowArray::kLast + 1 - slot);
  run.rows = SameViews(slots + slot, run.list->rows + run.first_row, room);
  return run;
}

}  // namespace

std::u16string NormalizeTerm(std::u16string_view box_text) { return UpperCase(Trim(box_text)); }

Rule ChooseRule(const Terms& t) {
  if (t.also.empty() && t.or1.empty()) return Rule::kMain;
  if (!t.also.empty()) return Rule::kMainAndAlso;
  if (t.or2.empty()) return Rule::kMainOrOne;
  if (t.or3.empty()) return Rule::kMainOrTwo;
  return Rule::kMainOrThree;
}

char16_t ExcludedLetter(Scope scope) {
  switch (scope) {
    case Scope::kCpu:
      return u'G';
    case Scope::kGpu:
      return u'C';
    case Scope::kAll:
      break;
  }
  return u'A';
}

namespace {

// The scan behind Search and SearchAll: at most `limit` slots are taken; the
// next match found after them ends the scan as the one cut off.
Answer Scan(const RankRowArray& rows, Scope scope, const Terms& terms, std::size_t limit) {
  Answer answer;
  answer.rule = ChooseRule(terms);
  const bool both = answer.rule == Rule::kMainAndAlso;
  const char16_t excluded = ExcludedLetter(scope);

  const Term main(terms.main);
  const Term also(terms.also);
  const Term alt1(terms.or1);
  const Term alt2(terms.or2);
  const Term alt3(terms.or3);
  // Rule b: the main term and the AND term; rules a, c, d, e: any of the
  // terms in force, which are the main term and, from rule c on, OR 1 to
  // OR 3 in turn. Under every rule a matching row holds one of the terms
  // that the finder looks for (under rule b the main term).
  const Term* const in_force[] = {&main, &alt1, &alt2, &alt3};
  const int letter = Letter(answer.rule);
  const int terms_in_force = letter <= u'b' ? 1 : letter - u'a';  // c: 2, d: 3, e: 4
  AnyTerm any;
  RowFinder finder;
  for (int i = 0; i < terms_in_force; ++i) {
    any.Add(*in_force[i]);
    finder.Add(*in_force[i]);
  }

  // A matching slot: taken, or, as the match after the last row a table
  // shows, the end of the scan. False when the scan must stop.
  auto take = [&answer, limit](int slot) {
    if (answer.slots.size() == limit) {
      answer.truncated = true;
      answer.scan_end = slot;
      return false;
    }
    answer.slots.push_back(slot);
    return true;
  };

  // Slots 1 to 4736 in order. Runs of slots that hold the compiled rows are
  // searched as one block of text, all terms in one pass, and only the rows
  // where a term is found are looked at; a run of the excluded list is
  // passed over whole, since every row of a compiled list carries the list's
  // letter. Any other slot is searched on its own.
  const std::u16string_view* const slots = rows.data();
  int slot = 1;
  while (slot <= RankRowArray::kLast) {
    const CompiledRun run = CompiledRunAt(slots, slot);
    if (run.rows == 0) {
      const std::u16string_view row = slots[slot];
      if (InScope(row, excluded) && (both ? main.FoundIn(row) && also.FoundIn(row) : any.FoundIn(row)) && !take(slot)) {
        return answer;
      }
      ++slot;
      continue;
    }
    if (run.list->letter != excluded) {
      const RowBlock block{run.list->text, run.list->folded, run.list->start + run.first_row, run.rows,
                           run.list->longest};
      // Under rule b the finder looks for the main term; a row it finds
      // needs the AND term as well.
      for (int k = 0; (k = finder.FirstMatch(block, k)) < run.rows; ++k) {
        if ((!both || also.FoundIn(slots[slot + k])) && !take(slot + k)) return answer;
      }
    }
    slot += run.rows;
  }
  return answer;
}

}  // namespace

Answer Search(const RankRowArray& rows, Scope scope, const Terms& terms) { return Scan(rows, scope, terms, kMaxRows); }

std::vector<int> SearchAll(const RankRowArray& rows, Scope scope, const Terms& terms) {
  return Scan(rows, scope, terms, RankRowArray::kSize).slots;
}

}  // namespace tianti::query
