// The main window's query handlers: the scope options, Query and Reset, and
// the procedures that read the term boxes, run the query engine and write
// the framed table into the results box Text8.
#include <string>
#include <string_view>

#include "app/form1.h"
#include "common/message_title.h"
#include "query/engine.h"
#include "query/table.h"

namespace tianti {

using ui::Ctl;
using ui::Win;

namespace {

constexpr std::u16string_view kMissingTerm = u"Sorry,请输入查询条件!";
constexpr std::u16string_view kLimitNote = u"注:仅显示前30条记录(请缩少范围)";

// Appends one line to the results box the way the box is always written:
// read its whole text and set it back with the line and CR LF added. The box
// holds the only copy of the table.
void AppendLine(ui::Services& ui, std::u16string_view line) {
  std::u16string text = ui.Text(Ctl::Text8);
  text.append(line);
  text.append(query::kCrLf);
  ui.SetText(Ctl::Text8, text);
}

query::Scope ScopeOf(const std::u16string& query_scope) {
  if (query_scope == Form1::kScopeCpu) return query::Scope::kCpu;
  if (query_scope == Form1::kScopeGpu) return query::Scope::kGpu;
  return query::Scope::kAll;
}

}  // namespace

void Form1::Option1_Click() { RunScopeQuery(kScopeAll); }
void Form1::Option2_Click() { RunScopeQuery(kScopeCpu); }
void Form1::Option3_Click() { RunScopeQuery(kScopeGpu); }

void Form1::RunScopeQuery(std::u16string_view scope) {
  QueryScope = std::u16string(scope);  // (assign() from a view trips a false -Wrestrict in GCC 12)
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
  for (Ctl box : {Ctl::Text1, Ctl::Text2, Ctl::Text3, Ctl::Text4, Ctl::Text5, Ctl::Text6, Ctl::Text7, Ctl::Text8}) {
    ui_.SetText(box, u"");
  }
}

query::Terms Form1::TermsInBoxes() const {
  query::Terms terms;
  terms.main = query::NormalizeTerm(ui_.Text(Ctl::Text1));
  terms.also = query::NormalizeTerm(ui_.Text(Ctl::Text2));
  terms.or1 = query::NormalizeTerm(ui_.Text(Ctl::Text5));
  terms.or2 = query::NormalizeTerm(ui_.Text(Ctl::Text6));
  terms.or3 = query::NormalizeTerm(ui_.Text(Ctl::Text7));
  return terms;
}

void Form1::RunQuery() {
  if (QueryEnabled == kQueryDisabled) return;

  const query::Terms terms = TermsInBoxes();

  if (terms.main.empty()) {
    ui_.MsgBox(kMissingTerm, ui::kMsgWarning, kMessageTitle);
    Command3_Click();
    // The box is empty now; with the count cleared, FinishResultTable adds
    // no border line to it.
    ResultCount = 0;
    return;
  }

  ui_.SetPointer(Win::Form1, ui::Pointer::Hourglass);
  // FinishResultTable restores the pointer after a query; a query that
  // fails on its way (a message box that cannot be shown) never gets there.
  try {
    ui_.SetText(Ctl::Text8, query::TableHead());
    ResultCount = 0;
    const query::Answer answer = query::Search(RankRows, ScopeOf(QueryScope), terms);
    for (int slot : answer.slots) {
      ScanIndex = static_cast<std::int16_t>(slot);
      AddResultRow();
    }
    ScanIndex = static_cast<std::int16_t>(answer.scan_end);
    if (answer.truncated) {
      // The 30 rows are on screen while the note is open.
      std::u16string note(kLimitNote);
      note += query::Letter(answer.rule);
      note += u'。';
      ui_.MsgBox(note, ui::kMsgWarning, kMessageTitle);
    }
  } catch (...) {
    RestorePointer();
    throw;
  }
}

void Form1::AddResultRow() {
  ++ResultCount;
  AppendLine(ui_, RankRows[ScanIndex]);
  if (query::SeparatorAfter(ResultCount)) AppendLine(ui_, query::kBorder);
}

void Form1::FinishResultTable() {
  if (query::ClosingBorderAfter(ResultCount)) AppendLine(ui_, query::kBorder);
  ui_.SetPointer(Win::Form1, ui::Pointer::Default);
}

// The default pointer on a way out that skips FinishResultTable; a failure
// here gives way to the one that is on its way out already.
void Form1::RestorePointer() noexcept {
  try {
    ui_.SetPointer(Win::Form1, ui::Pointer::Default);
  } catch (...) {
  }
}

}  // namespace tianti
