// Keyboard and mouse on the main window: tab order, access keys, Enter and
// Space on buttons, option selection, link labels, and the events each
// raises, observed on a recording sink or through the real Form1.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/win32/harness.h"

namespace tianti::win32::wintest {
namespace {

using ui::Ctl;
using ui::Win;

// The services with a sink that records events, the main window shown and
// active, "ALL" selected as start-up selects it.
class InputTest : public ::testing::Test {
 protected:
  InputTest() : ui(TestOptions()) {
    ui.SetSink(&sink);
    ui.Select(Ctl::Option1);
    ui.Show(Win::Form1);
    Activate(ui, ui.WindowHandle(Win::Form1), ui.ControlHandle(Ctl::Command1));
    sink.clicks.clear();
  }
  ~InputTest() override { ui.SetSink(nullptr); }
  BoxWatcher watcher_;  // no box expected; none may hang a test
  HWND hwnd(Ctl c) const { return ui.ControlHandle(c); }
  void Press(WORD vk, std::initializer_list<WORD> modifiers = {}) { PressKey(ui, vk, modifiers); }

  Win32Services ui;
  RecordingSink sink;
};

TEST_F(InputTest, TabWalksTheTabOrderThroughHiddenBoxesAndTheSelectedOption) {
  ASSERT_EQ(GetFocus(), hwnd(Ctl::Command1));
  const Ctl expected[] = {
      Ctl::Picture1, Ctl::Text3,    Ctl::Text4,    Ctl::Text8,    Ctl::Command4, Ctl::Command5,
      Ctl::Text9,    Ctl::Command6, Ctl::Command3, Ctl::Option1,  Ctl::Text7,    Ctl::Text6,
      Ctl::Text5,    Ctl::Text2,    Ctl::Text1,    Ctl::Command2, Ctl::Command7, Ctl::Command1,
  };
  for (Ctl c : expected) {
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), hwnd(c)) << "expected " << static_cast<int>(c);
  }
  // Backwards from Quit.
  for (Ctl c : {Ctl::Command7, Ctl::Command2, Ctl::Text1}) {
    Press(VK_TAB, {VK_SHIFT});
    EXPECT_EQ(GetFocus(), hwnd(c)) << "expected " << static_cast<int>(c);
  }
  // Walking the order raised no event and changed no selection.
  EXPECT_TRUE(sink.clicks.empty());
  EXPECT_TRUE(ui.Value(Ctl::Option1));
}

TEST_F(InputTest, TabReachesTheOptionGroupAtItsSelectedOption) {
  ui.Select(Ctl::Option3);
  SetFocus(hwnd(Ctl::Command3));
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), hwnd(Ctl::Option3));
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), hwnd(Ctl::Text7));
  for (Ctl c : {Ctl::Option1, Ctl::Option2}) {
    EXPECT_FALSE(GetWindowLongW(hwnd(c), GWL_STYLE) & WS_TABSTOP) << static_cast<int>(c);
  }
  EXPECT_TRUE(GetWindowLongW(hwnd(Ctl::Option3), GWL_STYLE) & WS_TABSTOP);
}

TEST_F(InputTest, AltAccessKeysPressTheirButtons) {
  const std::pair<WORD, Ctl> keys[] = {
      {'S', Ctl::Command2}, {'R', Ctl::Command3}, {'C', Ctl::Command6}, {'N', Ctl::Command7},
      {'G', Ctl::Command5}, {'A', Ctl::Command4}, {'Q', Ctl::Command1},
  };
  for (const auto& [key, ctl] : keys) {
    sink.clicks.clear();
    Press(key, {VK_MENU});
    EXPECT_EQ(sink.clicks, std::vector<Ctl>{ctl}) << "Alt+" << static_cast<char>(key);
  }
  // Alt+O belongs to the picture windows' OK button only.
  sink.clicks.clear();
  Press('O', {VK_MENU});
  EXPECT_TRUE(sink.clicks.empty());
}

TEST_F(InputTest, EnterAndSpacePressOnlyTheFocusedButton) {
  for (Ctl button : {Ctl::Command4, Ctl::Command2, Ctl::Command1}) {  // system and coloured faces
    SetFocus(hwnd(button));
    sink.clicks.clear();
    Press(VK_RETURN);
    Press(VK_SPACE);
    EXPECT_EQ(sink.clicks, (std::vector<Ctl>{button, button})) << static_cast<int>(button);
  }
  // Enter in a text box presses no button; Esc closes nothing, also in the
  // multi-line results box.
  sink.clicks.clear();
  for (Ctl box : {Ctl::Text1, Ctl::Text8}) {
    SetFocus(hwnd(box));
    Press(VK_RETURN);
    Press(VK_ESCAPE);
  }
  EXPECT_TRUE(sink.clicks.empty());
  EXPECT_TRUE(sink.unloads.empty());
  EXPECT_TRUE(ui.IsLoaded(Win::Form1));
}

TEST_F(InputTest, OptionClickRaisesTheEventOnlyWhenTheSelectionChanges) {
  // A click on the selected option changes nothing.
  SendMessageW(hwnd(Ctl::Option1), BM_CLICK, 0, 0);
  EXPECT_TRUE(sink.clicks.empty());
  // A click on another one selects it, clears the others, raises once.
  SendMessageW(hwnd(Ctl::Option2), BM_CLICK, 0, 0);
  EXPECT_EQ(sink.clicks, std::vector<Ctl>{Ctl::Option2});
  EXPECT_FALSE(ui.Value(Ctl::Option1));
  EXPECT_TRUE(ui.Value(Ctl::Option2));
  EXPECT_FALSE(ui.Value(Ctl::Option3));
  SendMessageW(hwnd(Ctl::Option2), BM_CLICK, 0, 0);
  EXPECT_EQ(sink.clicks.size(), 1u);

  // The mouse: one event per change.
  sink.clicks.clear();
  ClickAt(ui, hwnd(Ctl::Option3), POINT{6, 12});
  EXPECT_EQ(sink.clicks, std::vector<Ctl>{Ctl::Option3});
  ClickAt(ui, hwnd(Ctl::Option3), POINT{6, 12});
  EXPECT_EQ(sink.clicks.size(), 1u);
  EXPECT_EQ(SendMessageW(hwnd(Ctl::Option2), BM_GETCHECK, 0, 0), BST_UNCHECKED);

  // Select from code: raised inside the call, only on a change.
  sink.clicks.clear();
  ui.Select(Ctl::Option3);
  EXPECT_TRUE(sink.clicks.empty());
  ui.Select(Ctl::Option1);
  EXPECT_EQ(sink.clicks, std::vector<Ctl>{Ctl::Option1});
  EXPECT_EQ(SendMessageW(hwnd(Ctl::Option3), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(InputTest, ArrowKeysMoveTheSelectionWithinTheGroup) {
  SetFocus(hwnd(Ctl::Option1));
  sink.clicks.clear();
  Press(VK_UP);
  ASSERT_EQ(sink.clicks.size(), 1u);
  const Ctl now = sink.clicks.front();
  EXPECT_TRUE(now == Ctl::Option2 || now == Ctl::Option3);
  EXPECT_EQ(GetFocus(), hwnd(now));
  EXPECT_TRUE(ui.Value(now));
  EXPECT_FALSE(ui.Value(Ctl::Option1));
}

TEST_F(InputTest, MouseClicksOnButtonsAndLabelsCountEveryClick) {
  // A double click on a button is two clicks, on either kind of face.
  for (Ctl button : {Ctl::Command2, Ctl::Command4}) {
    sink.clicks.clear();
    ClickAt(ui, hwnd(button), POINT{10, 10}, /*double_click=*/true);
    EXPECT_EQ(sink.clicks, (std::vector<Ctl>{button, button})) << static_cast<int>(button);
  }
  // Labels report clicks; the second click of a double click too.
  sink.clicks.clear();
  ClickAt(ui, hwnd(Ctl::Label7), POINT{4, 6});
  EXPECT_EQ(sink.clicks, std::vector<Ctl>{Ctl::Label7});
  sink.clicks.clear();
  ClickAt(ui, hwnd(Ctl::Label9), POINT{4, 6}, /*double_click=*/true);
  EXPECT_EQ(sink.clicks, (std::vector<Ctl>{Ctl::Label9, Ctl::Label9}));
  // The frame and the picture box raise nothing.
  sink.clicks.clear();
  ClickAt(ui, hwnd(Ctl::Frame1), POINT{300, 3});
  ClickAt(ui, hwnd(Ctl::Picture1), POINT{20, 20});
  EXPECT_TRUE(sink.clicks.empty());
  EXPECT_EQ(GetFocus(), hwnd(Ctl::Picture1));  // the picture box takes the focus
}

// ---- through the program's own Form1 ---------------------------------------

class FormInputTest : public AppTest {};

TEST_F(FormInputTest, LinkLabelsOpenTheirSitesOncePerClick) {
  ClickAt(*app.ui, hwnd(Ctl::Label6), POINT{5, 8});
  ClickAt(*app.ui, hwnd(Ctl::Label8), POINT{5, 8}, /*double_click=*/true);
  EXPECT_EQ(app.launcher.started, (std::vector<std::u16string>{u"explorer.exe https://browser.geekbench.com",
                                                               u"explorer.exe https://www.pconline.com.cn",
                                                               u"explorer.exe https://www.pconline.com.cn"}));
}

TEST_F(FormInputTest, AboutAndProcessorBoxesAreOwnedByTheMainWindow) {
  watcher().clear();
  PressKey(*app.ui, 'A', {VK_MENU});
  ClickAt(*app.ui, hwnd(Ctl::Command6), POINT{10, 10});
  const auto boxes = watcher().boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, L"CPU/GPU性能天梯查询 Ver0.99a2 开源免费软件\r\n(数据摘自网上测评，仅供参考)");
  EXPECT_EQ(boxes[0].title, L"关于");
  EXPECT_EQ(boxes[0].icon, L"information");
  EXPECT_EQ(boxes[0].owner, main());
  EXPECT_EQ(boxes[1].text, L"本机CPU名称：\r\nTest CPU @ 3.00GHz");
  EXPECT_EQ(boxes[1].title, L"系统提示");
  EXPECT_EQ(boxes[1].icon, L"information");
  EXPECT_EQ(boxes[1].owner, main());
  EXPECT_TRUE(IsWindowEnabled(main()));
}

TEST_F(FormInputTest, MessageBoxIsModalToEveryWindowOfTheProgram) {
  SendMessageW(hwnd(Ctl::Command5), BM_CLICK, 0, 0);
  SendMessageW(hwnd(Ctl::Command7), BM_CLICK, 0, 0);
  HWND form2 = app.window(Win::Form2);
  HWND form3 = app.window(Win::Form3);
  ASSERT_NE(form2, nullptr);
  ASSERT_NE(form3, nullptr);
  {
    watcher().clear();
    watcher().Watch({main(), form2, form3});
    SendMessageW(hwnd(Ctl::Command4), BM_CLICK, 0, 0);
    const auto boxes = watcher().boxes();
    ASSERT_EQ(boxes.size(), 1u);
    for (const auto& [window, enabled] : boxes[0].enabled) EXPECT_FALSE(enabled);
  }
  EXPECT_TRUE(IsWindowEnabled(main()));
  EXPECT_TRUE(IsWindowEnabled(form2));
  EXPECT_TRUE(IsWindowEnabled(form3));
}

}  // namespace
}  // namespace tianti::win32::wintest
