// What the user should see after each action of the stress run, kept
// beside the real program: an event sink that sits between the window and
// Form1, notes every event the window raises, works out from the reference
// model what the handler must do (the table, the message boxes, emptied
// boxes, opened and closed windows), and afterwards compares the screen
// with it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/stress/reference.h"
#include "tests/win32/harness.h"

namespace tianti::stress {

struct GuiStats {
  long queries = 0;    // queries run (missing-term ones included)
  long warnings = 0;   // missing-term warnings
  long notes = 0;      // limit notes
  long empty = 0;      // queries without a match
  long rules[5] = {};  // queries by rule a..e
  long rows = 0;       // rows written in all
  long resets = 0;
  long abouts = 0;
  long processors = 0;
  long opened = 0;    // picture windows shown
  long closed = 0;    // picture windows unloaded
  long launches = 0;  // link clicks
};

class GuiModel : public ui::EventSink {
 public:
  GuiModel(win32::wintest::App& app, const Reference& reference);
  ~GuiModel() override;
  GuiModel(const GuiModel&) = delete;
  GuiModel& operator=(const GuiModel&) = delete;

  void Click(ui::Ctl control) override;
  void Unload(ui::Win window, std::int16_t& cancel) override;

  // Before each action: forgets the boxes seen and the faults found.
  void StartAction();
  // After each action: the faults found, during the action and now.
  std::vector<std::string> Check();

  const GuiStats& stats() const { return stats_; }
  bool loaded(ui::Win w) const { return loaded_[static_cast<int>(w)]; }

 private:
  struct ExpectedBox {
    std::u16string text, title;
    const wchar_t* icon;
  };
  BoxTerms ReadTerms() const;
  std::u16string Read(ui::Ctl c) const;
  void ExpectQueries(const std::vector<char16_t>& scopes);
  void Fault(std::string what) { faults_.push_back(std::move(what)); }

  win32::wintest::App& app_;
  const Reference& ref_;
  std::u16string caption_;  // the main window's caption after start-up
  std::u16string devices_;  // the common-devices box after start-up
  std::u16string results_;  // what the results box must hold
  char16_t scope_ = u'1';
  bool loaded_[3] = {true, false, false};
  std::size_t launches_ = 0;
  int depth_ = 0;
  std::vector<ExpectedBox> expected_;
  std::vector<std::string> faults_;
  GuiStats stats_;
};

}  // namespace tianti::stress
