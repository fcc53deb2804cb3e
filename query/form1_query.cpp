// The query: its triggers (scope options, Query, Reset), the matching scan
// over RankRows and the framed result table in the results box Text8.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

#include "app/form1.h"
#include "data/ranking_rows.h"
#include "query/row_search.h"
#include "query/text.h"

namespace tianti {

using ui::Ctl;
using ui::Win;

namespace {

constexpr std::u16string_view kBorder = u"+-----+----------------------------------------+-----+";
constexpr std::u16string_view kHeader = u"|编号 |硬件描述                                |得分 |";
constexpr std::u16string_view kCrLf = u"\r\n";
constexpr std::u16string_view kTitle = u"系统提示";
constexpr std::u16string_view kMissingTerm = u"Sorry,请输入查询条件!";
constexpr std::u16string_view kLimitNote = u"注:仅显示前30条记录(请缩少范围)";

constexpr int kLastSlot = RankRowArray::kLast;  // the scan runs over slots 1..4736
constexpr std::int16_t kMaxRows = 30;

// Appends one line to the results box the way the box is always written:
// read its whole text and set it back with the line and CR LF added. The box
// holds the only copy of the table.
void AppendLine(ui::Services& ui, std::u16string_view line) {
  std::u16string text = ui.Text(Ctl::Text8);
  text.append(line);
  text.append(kCrLf);
  ui.SetText(Ctl::Text8, text);
}

// The list letter that the scope leaves out: no row has the letter "A".
char16_t ExcludedLetter(const std::u16string& scope) {
  if (scope == u"2") return u'G';
  if (scope == u"3") return u'C';
  return u'A';
}

// A row is in scope when its list letter, the second character, is not the
// excluded one. A row too short to have a letter has none to exclude.
bool InScope(std::u16string_view row, char16_t excluded) {
  return row.size() < 2 || row[1] != excluded;
}

// A run of slots that hold consecutive rows of one compiled list, the way
// LoadCpuRows and LoadGpuRows store them. Such rows lie back to back in the
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

void Form1::Option1_Click() {
  QueryScope.assign(1, u'1');
  RunQuery();
  FinishResultTable();
}

void Form1::Option2_Click() {
  QueryScope.assign(1, u'2');
  RunQuery();
  FinishResultTable();
}

void Form1::Option3_Click() {
  QueryScope.assign(1, u'3');
  RunQuery();
  FinishResultTable();
}

// Query runs the handler of the selected option; three independent tests,
// each reading the option's state at that moment.
void Form1::Command2_Click() {
  if (ui_.Value(Ctl::Option1)) Option1_Click();
  if (ui_.Value(Ctl::Option2)) Option2_Click();
  if (ui_.Value(Ctl::Option3)) Option3_Click();
}

// Reset: the five term boxes, the two hidden boxes and the results box.
void Form1::Command3_Click() {
  for (Ctl box : {Ctl::Text1, Ctl::Text2, Ctl::Text3, Ctl::Text4, Ctl::Text5, Ctl::Text6,
                  Ctl::Text7, Ctl::Text8}) {
    ui_.SetText(box, u"");
  }
}

void Form1::RunQuery() {
  if (QueryEnabled == u"0") return;

  auto read_term = [this](Ctl box) {
    const std::u16string text = ui_.Text(box);
    return query::UpperCase(query::Trim(text));
  };
  const std::u16string main_term = read_term(Ctl::Text1);
  const std::u16string and_term = read_term(Ctl::Text2);
  const std::u16string or1 = read_term(Ctl::Text5);
  const std::u16string or2 = read_term(Ctl::Text6);
  const std::u16string or3 = read_term(Ctl::Text7);

  if (main_term.empty()) {
    ui_.MsgBox(kMissingTerm, ui::kMsgWarning, kTitle);
    Command3_Click();
    // The box is empty now; with the count cleared, FinishResultTable adds
    // no border line to it.
    ResultCount = 0;
    return;
  }

  ui_.SetPointer(Win::Form1, ui::Pointer::Hourglass);
  std::u16string head;
  for (std::u16string_view line : {kBorder, kHeader, kBorder}) {
    head.append(line);
    head.append(kCrLf);
  }
  ui_.SetText(Ctl::Text8, head);
  const char16_t excluded = ExcludedLetter(QueryScope);
  ResultCount = 0;

  // The matching rule: the first of a..e whose condition holds. A given AND
  // term outweighs every OR term; OR terms count from OR 1 on without a gap.
  char16_t rule;
  if (and_term.empty() && or1.empty()) {
    rule = u'a';
  } else if (!and_term.empty()) {
    rule = u'b';
  } else if (or2.empty()) {
    rule = u'c';
  } else if (or3.empty()) {
    rule = u'd';
  } else {
    rule = u'e';
  }

  const query::Term main(main_term);
  const query::Term also(and_term);
  const query::Term alt1(or1);
  const query::Term alt2(or2);
  const query::Term alt3(or3);
  // Rule b: the main term and the AND term; rules a, c, d, e: any of the
  // terms in force, which are the main term and, from rule c on, OR 1 to
  // OR 3 in turn. Under every rule a matching row holds one of the terms
  // that `starts` looks for (under rule b the main term).
  const query::Term* const in_force[] = {&main, &alt1, &alt2, &alt3};
  const int terms_in_force = rule <= u'b' ? 1 : rule - u'a';  // c: 2, d: 3, e: 4
  query::AnyTerm any;
  query::RowFinder finder;
  for (int i = 0; i < terms_in_force; ++i) {
    any.Add(*in_force[i]);
    finder.Add(*in_force[i]);
  }

  // A matching row at ScanIndex: written, or, as the 31st match, the note.
  // False when the scan must stop.
  auto take = [&]() {
    if (ResultCount == kMaxRows) {
      std::u16string note(kLimitNote);
      note += rule;
      note += u'。';
      ui_.MsgBox(note, ui::kMsgWarning, kTitle);
      return false;
    }
    AddResultRow();
    return true;
  };

  // Slots 1 to 4736 in order. Runs of slots that hold the compiled rows are
  // searched as one block of text, all terms in one pass, and only the rows
  // where a term is found are looked at; a run of the excluded list is
  // passed over whole, since every row of a compiled list carries the list's
  // letter. Any other slot is searched on its own.
  const std::u16string_view* const slots = RankRows.data();
  ScanIndex = 1;
  while (ScanIndex <= kLastSlot) {
    const CompiledRun run = CompiledRunAt(slots, ScanIndex);
    if (run.rows == 0) {
      const std::u16string_view row = RankRows[ScanIndex];
      if (InScope(row, excluded) &&
          (rule == u'b' ? main.FoundIn(row) && also.FoundIn(row) : any.FoundIn(row)) && !take()) {
        return;
      }
      ++ScanIndex;
      continue;
    }
    const int first_slot = ScanIndex;
    if (run.list->letter != excluded) {
      const query::RowBlock block{run.list->text, run.list->folded, run.list->start + run.first_row,
                                  run.rows, run.list->longest};
      // Under rule b the finder looks for the main term; a row it finds
      // needs the AND term as well.
      for (int k = 0; (k = finder.FirstMatch(block, k)) < run.rows; ++k) {
        ScanIndex = static_cast<std::int16_t>(first_slot + k);
        if ((rule != u'b' || also.FoundIn(slots[ScanIndex])) && !take()) return;
      }
    }
    ScanIndex = static_cast<std::int16_t>(first_slot + run.rows);
  }
}

void Form1::AddResultRow() {
  ++ResultCount;
  AppendLine(ui_, RankRows[ScanIndex]);
  if (ResultCount % 5 == 4) AppendLine(ui_, kBorder);  // separator after rows 4, 9, 14, ...
}

void Form1::FinishResultTable() {
  if (ResultCount % 5 != 4 && ResultCount > 4) AppendLine(ui_, kBorder);
  ui_.SetPointer(Win::Form1, ui::Pointer::Default);
}

}  // namespace tianti
