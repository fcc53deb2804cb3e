// The main window's object: the system's state and its event handlers.
//
// Form1 is written against ui::Services only; the same class runs under the
// Win32 user interface, the console front end and the tests' in-memory double.
// Its handlers and procedures live in app/ by group:
//   app/form1.cpp           Form_Load, LoadCpuRows, LoadGpuRows, Form_Unload,
//                           Command1_Click, event routing
//   app/form1_query.cpp     RunQuery, AddResultRow, FinishResultTable,
//                           Option1_Click .. Option3_Click, Command2_Click,
//                           Command3_Click (the query engine is query/engine.h)
//   app/form1_commands.cpp  Command4_Click .. Command7_Click, Label6_Click ..
//                           Label9_Click (platform services from commands/)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "query/engine.h"
#include "query/rank_row_array.h"
#include "ui/services.h"

namespace tianti {

namespace commands {
struct Platform;
}

class Form1 : public ui::EventSink {
 public:
  // `platform` gives the commands of the right-hand column their system
  // services (processor names, program launch); it may be null where those
  // commands are not used.
  explicit Form1(ui::Services& ui, commands::Platform* platform = nullptr);

  // ---- event handlers -----------------------------------------------------
  void Form_Load();
  void Form_Unload(std::int16_t& cancel);
  void Command1_Click();  // Quit
  void Command2_Click();  // Query
  void Command3_Click();  // Reset
  void Command4_Click();  // About
  void Command5_Click();  // picture window Form2
  void Command6_Click();  // local processor
  void Command7_Click();  // picture window Form3
  void Option1_Click();   // scope ALL
  void Option2_Click();   // scope CPU
  void Option3_Click();   // scope GPU
  void Label6_Click();
  void Label7_Click();
  void Label8_Click();
  void Label9_Click();

  // ui::EventSink: routes the user interface's events to the handlers above.
  void Click(ui::Ctl control) override;
  void Unload(ui::Win window, std::int16_t& cancel) override;

  // The five search terms as a query reads them from Text1, Text2 and Text5
  // to Text7 now: trimmed and upper-cased.
  query::Terms TermsInBoxes() const;

  // ---- window-level state ---------------------------------------------------
  // The members keep the designer's names and their string codes.

  // Slots 1..3012 the CPU list, 3013..4734 the GPU list, filled by Form_Load.
  RankRowArray RankRows;

  // The selected scope, written by the scope options before each query.
  std::u16string QueryScope;
  static constexpr std::u16string_view kScopeAll = u"1";  // Option1 "ALL"
  static constexpr std::u16string_view kScopeCpu = u"2";  // Option2 "CPU"
  static constexpr std::u16string_view kScopeGpu = u"3";  // Option3 "GPU"

  // Guard of RunQuery: "0" while start-up selects ALL (that click runs no
  // query), "1" from then on; empty before Form_Load.
  std::u16string QueryEnabled;
  static constexpr std::u16string_view kQueryDisabled = u"0";
  static constexpr std::u16string_view kQueryEnabled = u"1";

  // The slot the query is writing (AddResultRow reads it). After a query: the
  // slot of the match that the 30-row limit cut off, or 4737 when the scan
  // ran through every slot.
  std::int16_t ScanIndex = 0;
  // Rows in the results box's table, 0..30; where separators and the
  // closing border go follows from it.
  std::int16_t ResultCount = 0;

 private:
  void LoadCpuRows();
  void LoadGpuRows();
  void RunQuery();
  void AddResultRow();
  void FinishResultTable();
  void RunScopeQuery(std::u16string_view scope);  // an option's click: set, run, finish
  void RestorePointer() noexcept;

  ui::Services& ui_;
  commands::Platform* platform_;
};

}  // namespace tianti
