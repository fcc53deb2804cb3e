// The main window's object: the system's state and its event handlers.
//
// Form1 is written against ui::Services only; the same class runs under the
// Win32 user interface, the console front end and the tests' in-memory double.
// Handlers are defined next to the subsystem they belong to:
//   data/form1_rows.cpp       LoadCpuRows, LoadGpuRows
//   query/form1_query.cpp     RunQuery, AddResultRow, FinishResultTable,
//                             Option1_Click .. Option3_Click, Command2_Click,
//                             Command3_Click
//   app/form1.cpp             Form_Load, Form_Unload, Command1_Click, event routing
//   commands/form1_commands.cpp  Command4_Click .. Command7_Click, Label6_Click ..
#pragma once

#include <cstdint>
#include <string>

#include "data/rank_rows.h"
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

  // ---- window-level state ---------------------------------------------------
  RankRowArray RankRows;
  std::u16string QueryScope;    // "1" ALL, "2" CPU, "3" GPU
  std::u16string QueryEnabled;  // "0" while start-up selects ALL, then "1"
  std::int16_t ScanIndex = 0;
  std::int16_t ResultCount = 0;

 private:
  void LoadCpuRows();
  void LoadGpuRows();
  void RunQuery();
  void AddResultRow();
  void FinishResultTable();

  ui::Services& ui_;
  commands::Platform* platform_;
};

}  // namespace tianti
