// Text written while a click event runs: the handler reads back what it
// wrote at once, the screen shows it when the event has run, and a message
// box that the handler opens comes up over what was written before it. The
// Win32 layer gives such texts to their controls once per event, because
// under Wine every WM_SETTEXT of a multi-line edit lays out all its lines
// again, and the results box is written line by line (a 30-row table took a
// third of a second).
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/stress/reference.h"
#include "tests/win32/harness.h"

namespace tianti::stress {
namespace {

using ui::Ctl;
using ui::Win;
namespace wt = win32::wintest;

// The text of one control at the moment each message box is created.
class TextAtBox {
 public:
  explicit TextAtBox(HWND control) : control_(control) {
    current_ = this;
    hook_ = SetWindowsHookExW(WH_CBT, Proc, nullptr, GetCurrentThreadId());
  }
  ~TextAtBox() {
    UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  std::vector<std::wstring> seen;

 private:
  static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND && current_ && wt::ClassName(reinterpret_cast<HWND>(wp)) == L"#32770") {
      current_->seen.push_back(wt::WindowText(current_->control_));
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  static inline TextAtBox* current_ = nullptr;
  HWND control_;
  HHOOK hook_;
};

class ClickTextTest : public ::testing::Test {
 protected:
  ClickTextTest() : ui(Options()) {
    ui.SetSink(&sink);
    ui.Show(Win::Form1);
    wt::Activate(ui, ui.WindowHandle(Win::Form1));
  }
  ~ClickTextTest() override { ui.SetSink(nullptr); }
  win32::Win32Options Options() {
    win32::Win32Options options = wt::TestOptions();
    options.report_failure = [this](const std::wstring& text) { failures.push_back(text); };
    return options;
  }
  HWND hwnd(Ctl c) const { return ui.ControlHandle(c); }
  void Click() { SendMessageW(hwnd(Ctl::Command2), BM_CLICK, 0, 0); }

  wt::BoxWatcher watcher;
  std::vector<std::wstring> failures;
  win32::Win32Services ui;
  wt::RecordingSink sink;
};

TEST_F(ClickTextTest, HandlerReadsItsWritesAtOnceAndTheScreenShowsThemWhenTheClickHasRun) {
  std::u16string read_back;
  sink.on_click = [&](Ctl) {
    ui.SetText(Ctl::Text8, u"one\r\n");
    ui.SetText(Ctl::Text8, ui.Text(Ctl::Text8) + u"two\r\n");
    ui.SetText(Ctl::Text1, u"term");
    ui.SetText(Ctl::Text2, u"first");
    ui.SetText(Ctl::Text2, u"");
    read_back = ui.Text(Ctl::Text8) + u"|" + ui.Text(Ctl::Text1);
  };
  SetWindowTextW(hwnd(Ctl::Text2), L"before");
  Click();
  EXPECT_EQ(read_back, u"one\r\ntwo\r\n|term");
  EXPECT_EQ(wt::WindowText(hwnd(Ctl::Text8)), L"one\r\ntwo\r\n");
  EXPECT_EQ(wt::WindowText(hwnd(Ctl::Text1)), L"term");
  EXPECT_EQ(wt::WindowText(hwnd(Ctl::Text2)), L"") << "the last write wins";
  EXPECT_EQ(ui.Text(Ctl::Text8), u"one\r\ntwo\r\n");

  // Outside an event a write reaches the control at once.
  ui.SetText(Ctl::Text8, u"outside");
  EXPECT_EQ(wt::WindowText(hwnd(Ctl::Text8)), L"outside");
}

TEST_F(ClickTextTest, MessageBoxComesUpOverWhatTheHandlerWroteBeforeIt) {
  TextAtBox at_box(hwnd(Ctl::Text8));
  sink.on_click = [&](Ctl) {
    ui.SetText(Ctl::Text8, u"table");
    ui.MsgBox(u"note", ui::kMsgWarning, u"系统提示");
    ui.SetText(Ctl::Text8, u"table and border");
  };
  Click();
  EXPECT_EQ(at_box.seen, std::vector<std::wstring>{L"table"});
  EXPECT_EQ(wt::WindowText(hwnd(Ctl::Text8)), L"table and border");
  EXPECT_EQ(watcher.boxes().size(), 1u);
}

TEST_F(ClickTextTest, WritesBeforeAFailureReachTheScreenAndTheFailureIsReported) {
  sink.on_click = [&](Ctl) {
    ui.SetText(Ctl::Text8, u"partial");
    throw std::runtime_error("boom");
  };
  Click();
  EXPECT_EQ(wt::WindowText(hwnd(Ctl::Text8)), L"partial");
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find(L"boom"), std::wstring::npos);
  // The next event is handled as usual.
  sink.on_click = [&](Ctl) { ui.SetText(Ctl::Text8, u"next"); };
  Click();
  EXPECT_EQ(wt::WindowText(hwnd(Ctl::Text8)), L"next");
}

// The program's own query: the limit note comes up over the 30 rows and
// their separators; the closing border follows when it is dismissed.
TEST(ResultsBoxTest, LimitNoteComesUpOverTheThirtyRows) {
  wt::App app;
  TextAtBox at_box(app.hwnd(Ctl::Text8));
  SendMessageW(app.hwnd(Ctl::Text1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"|"));
  SendMessageW(app.hwnd(Ctl::Command2), BM_CLICK, 0, 0);
  const Outcome want = Reference().Query(BoxTerms{u"|"}, u'1');
  ASSERT_TRUE(want.limit_note);
  ASSERT_EQ(at_box.seen.size(), 1u);
  const std::u16string closing = std::u16string(kBorder) + u"\r\n";
  EXPECT_EQ(wt::U(at_box.seen[0]) + closing, want.table);
  EXPECT_EQ(wt::U(wt::WindowText(app.hwnd(Ctl::Text8))), want.table);
}

}  // namespace
}  // namespace tianti::stress
