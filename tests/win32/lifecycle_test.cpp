// Queries through the real window, message boxes, unloading and ending the
// program, and failures that escape an event handler.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "tests/win32/harness.h"

namespace tianti::win32::wintest {
namespace {

using ui::Ctl;
using ui::Win;

const std::wstring kBorder = L"+-----+----------------------------------------+-----+";

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find(L"\r\n", at);
    if (end == std::wstring::npos) {
      lines.push_back(text.substr(at));
      break;
    }
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

class QueryTest : public AppTest {
 protected:
  void Type(Ctl box, const wchar_t* text) { SendMessageW(hwnd(box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
  std::wstring Results() const { return WindowText(hwnd(Ctl::Text8)); }
};

TEST_F(QueryTest, QueryButtonWritesATableThatLinesUpInTheResultsFont) {
  watcher().clear();
  Type(Ctl::Text1, L"ryzen 9 7");
  SendMessageW(hwnd(Ctl::Command2), BM_CLICK, 0, 0);
  EXPECT_TRUE(watcher().boxes().empty());

  const std::wstring text = Results();
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), L"\r\n");
  const auto lines = Lines(text);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], kBorder);
  EXPECT_EQ(lines[1], L"|编号 |硬件描述                                |得分 |");
  EXPECT_EQ(lines[2], kBorder);
  EXPECT_EQ(lines.back(), kBorder);
  int rows = 0;
  for (size_t i = 3; i + 1 < lines.size(); ++i) {
    if (lines[i] == kBorder) continue;
    ++rows;
    std::wstring upper = lines[i];
    CharUpperW(upper.data());
    EXPECT_NE(upper.find(L"RYZEN 9 7"), std::wstring::npos) << std::string(upper.begin(), upper.end());
  }
  EXPECT_GT(rows, 5);
  EXPECT_LE(rows, 30);

  // Every line, head and rows with their CJK text, is equally wide in the
  // box's own font, and the widest fits the box without wrapping.
  HDC dc = GetDC(hwnd(Ctl::Text8));
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd(Ctl::Text8), WM_GETFONT, 0, 0)));
  SIZE first{};
  GetTextExtentPoint32W(dc, lines[0].c_str(), static_cast<int>(lines[0].size()), &first);
  for (const auto& line : lines) {
    SIZE size{};
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
    EXPECT_EQ(size.cx, first.cx) << std::string(line.begin(), line.end());
  }
  SelectObject(dc, old);
  ReleaseDC(hwnd(Ctl::Text8), dc);
  RECT format{};
  SendMessageW(hwnd(Ctl::Text8), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  EXPECT_LE(first.cx, format.right - format.left);
  EXPECT_EQ(SendMessageW(hwnd(Ctl::Text8), EM_GETLINECOUNT, 0, 0), static_cast<LRESULT>(lines.size()) + 1);

  EXPECT_EQ(app.ui->PointerOf(Win::Form1), ui::Pointer::Default);
}

TEST_F(QueryTest, EachNewTableStartsAtItsTopWithNothingToUndo) {
  HWND box = hwnd(Ctl::Text8);
  Type(Ctl::Text1, L"ryzen 9 7");
  SendMessageW(hwnd(Ctl::Command2), BM_CLICK, 0, 0);
  const std::wstring first = Results();
  ASSERT_GT(SendMessageW(box, EM_GETLINECOUNT, 0, 0), 20);
  // The user scrolls to the end of the table and selects a row.
  SendMessageW(box, EM_LINESCROLL, 0, 100);
  SendMessageW(box, EM_SETSEL, 300, 360);
  ASSERT_GT(SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0), 0);

  for (const wchar_t* term : {L"geforce rtx 40", L"geforce rtx 40", L"ryzen 9 7"}) {
    Type(Ctl::Text1, term);
    SendMessageW(hwnd(Ctl::Command2), BM_CLICK, 0, 0);
    const std::wstring text = Results();
    EXPECT_EQ(Lines(text).front(), kBorder) << std::wstring(term).size();
    EXPECT_EQ(static_cast<size_t>(GetWindowTextLengthW(box)), text.size());
    EXPECT_EQ(SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    DWORD start = 1, end = 1;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 0u);
    EXPECT_FALSE(SendMessageW(box, EM_CANUNDO, 0, 0));
    EXPECT_FALSE(SendMessageW(box, EM_GETMODIFY, 0, 0));
  }
  EXPECT_EQ(Results(), first);
  // The box still takes text the ordinary way afterwards.
  Type(Ctl::Text8, L"x");
  EXPECT_EQ(Results(), L"x");
}

TEST_F(QueryTest, ScopeOptionRunsTheQueryAtOnce) {
  Type(Ctl::Text1, L"9 7");
  ClickAt(*app.ui, hwnd(Ctl::Option3), POINT{6, 12});  // GPU
  auto lines = Lines(Results());
  ASSERT_GT(lines.size(), 4u);
  for (size_t i = 3; i < lines.size(); ++i) {
    if (lines[i] != kBorder) {
      EXPECT_EQ(lines[i].substr(0, 2), L"|G");
    }
  }
  ClickAt(*app.ui, hwnd(Ctl::Option2), POINT{6, 12});  // CPU
  lines = Lines(Results());
  ASSERT_GT(lines.size(), 4u);
  for (size_t i = 3; i < lines.size(); ++i) {
    if (lines[i] != kBorder) {
      EXPECT_EQ(lines[i].substr(0, 2), L"|C");
    }
  }
}

TEST_F(QueryTest, MissingTermWarnsThenEmptiesTheBoxesAndKeepsTheScope) {
  watcher().clear();
  watcher().Watch({main()});
  Type(Ctl::Text1, L"no such device");
  SendMessageW(hwnd(Ctl::Option2), BM_CLICK, 0, 0);
  ASSERT_TRUE(watcher().boxes().empty());
  Type(Ctl::Text1, L"   ");
  Type(Ctl::Text2, L"and");
  Type(Ctl::Text3, L"hidden");
  Type(Ctl::Text8, L"old table");
  PressKey(*app.ui, 'S', {VK_MENU});
  const auto boxes = watcher().boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"Sorry,请输入查询条件!");
  EXPECT_EQ(boxes[0].title, L"系统提示");
  EXPECT_EQ(boxes[0].icon, L"warning");
  EXPECT_EQ(boxes[0].owner, main());
  for (Ctl c : {Ctl::Text1, Ctl::Text2, Ctl::Text3, Ctl::Text4, Ctl::Text5, Ctl::Text6, Ctl::Text7, Ctl::Text8}) {
    EXPECT_EQ(WindowText(hwnd(c)), L"") << static_cast<int>(c);
  }
  EXPECT_TRUE(app.ui->Value(Ctl::Option2));
  EXPECT_FALSE(WindowText(hwnd(Ctl::Text9)).empty());
}

TEST_F(QueryTest, MoreThanThirtyMatchesShowTheLimitNoteWithTheRuleLetter) {
  Type(Ctl::Text1, L"|");
  watcher().clear();
  SendMessageW(hwnd(Ctl::Command2), BM_CLICK, 0, 0);
  Type(Ctl::Text1, L"ryzen");
  Type(Ctl::Text2, L"9");
  SendMessageW(hwnd(Ctl::Command2), BM_CLICK, 0, 0);
  const auto boxes = watcher().boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, L"注:仅显示前30条记录(请缩少范围)a。");
  EXPECT_EQ(boxes[0].icon, L"warning");
  EXPECT_EQ(boxes[1].text, L"注:仅显示前30条记录(请缩少范围)b。");
  EXPECT_EQ(Lines(Results()).size(), 40u);
}

TEST_F(QueryTest, ResetEmptiesTheBoxesButNotTheDevicesOrTheScope) {
  for (Ctl c : {Ctl::Text1, Ctl::Text2, Ctl::Text3, Ctl::Text4, Ctl::Text5, Ctl::Text6, Ctl::Text7}) {
    Type(c, L"x");
  }
  ClickAt(*app.ui, hwnd(Ctl::Command3), POINT{8, 8});
  for (Ctl c : {Ctl::Text1, Ctl::Text2, Ctl::Text3, Ctl::Text4, Ctl::Text5, Ctl::Text6, Ctl::Text7, Ctl::Text8}) {
    EXPECT_EQ(WindowText(hwnd(c)), L"") << static_cast<int>(c);
  }
  EXPECT_EQ(SendMessageW(hwnd(Ctl::Text9), EM_GETLINECOUNT, 0, 0), 11);
  EXPECT_TRUE(app.ui->Value(Ctl::Option1));
}

// ---- ending the program -------------------------------------------------------

class EndTest : public AppTest {
 protected:
  void OpenPictureWindows() {
    SendMessageW(app.hwnd(Ctl::Command5), BM_CLICK, 0, 0);
    SendMessageW(app.hwnd(Ctl::Command7), BM_CLICK, 0, 0);
    ASSERT_TRUE(app.ui->IsLoaded(Win::Form2));
    ASSERT_TRUE(app.ui->IsLoaded(Win::Form3));
    Activate(*app.ui, app.window(Win::Form1), app.hwnd(Ctl::Command1));
  }
  void ExpectEndedWithPicturesClosed() {
    EXPECT_TRUE(app.ui->ended());
    EXPECT_TRUE(app.Pump()) << "the message loop ends";
    EXPECT_FALSE(app.ui->IsLoaded(Win::Form2));
    EXPECT_FALSE(app.ui->IsLoaded(Win::Form3));
  }
};

TEST_F(EndTest, QuitButtonClosesThePictureWindowsAndEndsWithoutAPrompt) {
  OpenPictureWindows();
  watcher().clear();
  SendMessageW(app.hwnd(Ctl::Command1), BM_CLICK, 0, 0);
  ExpectEndedWithPicturesClosed();
  EXPECT_TRUE(watcher().boxes().empty());
}

TEST_F(EndTest, ClosingTheMainWindowEndsTheProgram) {
  OpenPictureWindows();
  watcher().clear();
  SendMessageW(app.window(Win::Form1), WM_SYSCOMMAND, SC_CLOSE, 0);
  ExpectEndedWithPicturesClosed();
  EXPECT_TRUE(watcher().boxes().empty());
}

TEST_F(EndTest, EnterRightAfterStartUpPressesQuit) {
  PressKey(*app.ui, VK_RETURN);
  EXPECT_TRUE(app.ui->ended());
}

TEST_F(EndTest, NoEventReachesTheProgramAfterItEnded) {
  SendMessageW(app.hwnd(Ctl::Command1), BM_CLICK, 0, 0);
  ASSERT_TRUE(app.ui->ended());
  watcher().clear();
  SendMessageW(app.hwnd(Ctl::Command4), BM_CLICK, 0, 0);  // About would show a box
  EXPECT_TRUE(watcher().boxes().empty());
}

// ---- unloading and failures, on a recording sink --------------------------------

class UnloadTest : public ::testing::Test {
 protected:
  UnloadTest() : ui(TestOptions()) {
    ui.SetSink(&sink);
    ui.Show(Win::Form1);
  }
  ~UnloadTest() override { ui.SetSink(nullptr); }
  BoxWatcher& watcher() { return watcher_; }
  BoxWatcher watcher_;
  Win32Services ui;
  RecordingSink sink;
};

TEST_F(UnloadTest, CloseGoesThroughTheUnloadEventWhichMayCancelIt) {
  ui.Show(Win::Form2);
  HWND form2 = ui.WindowHandle(Win::Form2);
  sink.on_unload = [](Win, std::int16_t& cancel) { cancel = 1; };
  SendMessageW(form2, WM_CLOSE, 0, 0);
  EXPECT_EQ(sink.unloads, std::vector<Win>{Win::Form2});
  EXPECT_TRUE(ui.IsLoaded(Win::Form2));
  EXPECT_TRUE(IsWindow(form2));

  sink.on_unload = nullptr;
  SendMessageW(form2, WM_CLOSE, 0, 0);
  EXPECT_FALSE(ui.IsLoaded(Win::Form2));
  EXPECT_FALSE(IsWindow(form2));
  EXPECT_EQ(ui.LoadedWindows(), std::vector<Win>{Win::Form1});
  // Unloading what is not loaded does nothing.
  ui.Unload(Win::Form2);
  EXPECT_EQ(sink.unloads.size(), 2u);
}

TEST_F(UnloadTest, UnloadInsideItsOwnEventDoesNothingMore) {
  ui.Show(Win::Form3);
  ui.Show(Win::Form2);
  EXPECT_EQ(ui.LoadedWindows(), (std::vector<Win>{Win::Form1, Win::Form3, Win::Form2}));
  sink.on_unload = [this](Win w, std::int16_t&) {
    ui.Unload(w);  // nested: no second event, no early close
    EXPECT_TRUE(ui.IsLoaded(w));
  };
  ui.Unload(Win::Form3);
  EXPECT_EQ(sink.unloads, std::vector<Win>{Win::Form3});
  EXPECT_FALSE(ui.IsLoaded(Win::Form3));
  EXPECT_EQ(ui.LoadedWindows(), (std::vector<Win>{Win::Form1, Win::Form2}));
}

TEST_F(UnloadTest, UnloadingTheLastWindowEndsTheMessageLoop) {
  ui.Unload(Win::Form1);
  EXPECT_FALSE(ui.IsLoaded(Win::Form1));
  EXPECT_TRUE(Pump(ui));
  // Services of an unloaded window read its design.
  EXPECT_EQ(ui.Caption(Win::Form1), u"Form1");
  EXPECT_EQ(ui.Text(Ctl::Command1), u"退出&Q");
  EXPECT_EQ(ui.ToolTip(Ctl::Command1), u"");
}

TEST_F(UnloadTest, AFailureInAHandlerIsShownAndTheProgramGoesOn) {
  sink.on_click = [](Ctl c) {
    if (c == Ctl::Command4) throw std::runtime_error("读取失败");
  };
  watcher().clear();
  watcher().Watch({ui.WindowHandle(Win::Form1)});
  SendMessageW(ui.ControlHandle(Ctl::Command4), BM_CLICK, 0, 0);
  const auto boxes = watcher().boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"程序错误：读取失败");
  EXPECT_EQ(boxes[0].title, L"系统提示");
  EXPECT_EQ(boxes[0].icon, L"error");
  EXPECT_EQ(boxes[0].owner, ui.WindowHandle(Win::Form1));
  // The program goes on taking events.
  SendMessageW(ui.ControlHandle(Ctl::Command5), BM_CLICK, 0, 0);
  EXPECT_EQ(sink.clicks, (std::vector<Ctl>{Ctl::Command4, Ctl::Command5}));
  EXPECT_FALSE(ui.ended());
}

TEST_F(UnloadTest, AFailedUnloadLeavesTheWindowClosable) {
  ui.Show(Win::Form2);
  sink.on_unload = [](Win, std::int16_t&) { throw std::runtime_error("unload failed"); };
  {
    watcher().clear();
    SendMessageW(ui.WindowHandle(Win::Form2), WM_CLOSE, 0, 0);
    ASSERT_EQ(watcher().boxes().size(), 1u);
    EXPECT_EQ(watcher().boxes()[0].text, L"程序错误：unload failed");
  }
  EXPECT_TRUE(ui.IsLoaded(Win::Form2));
  sink.on_unload = nullptr;
  SendMessageW(ui.WindowHandle(Win::Form2), WM_CLOSE, 0, 0);
  EXPECT_FALSE(ui.IsLoaded(Win::Form2));
}

TEST_F(UnloadTest, EndCalledFromAHandlerStopsTheLoopAndEverything) {
  sink.on_click = [this](Ctl) { ui.End(); };
  SendMessageW(ui.ControlHandle(Ctl::Command1), BM_CLICK, 0, 0);
  EXPECT_TRUE(ui.ended());
  EXPECT_TRUE(Pump(ui));
  sink.on_click = nullptr;
  SendMessageW(ui.ControlHandle(Ctl::Command4), BM_CLICK, 0, 0);
  EXPECT_EQ(sink.clicks, std::vector<Ctl>{Ctl::Command1});
  // Outside a window procedure, End's exception reaches the caller.
  EXPECT_THROW(ui.End(), ui::ProgramEnded);
}

// ---- texts that a control does not take -----------------------------------

// A control subclass that swallows one message, answering it with `answer`.
struct Swallow {
  UINT message;
  LRESULT answer;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    const auto* self = reinterpret_cast<const Swallow*>(data);
    if (msg == self->message) return self->answer;
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  void Install(HWND hwnd) const { SetWindowSubclass(hwnd, Proc, 77, reinterpret_cast<DWORD_PTR>(this)); }
  void Remove(HWND hwnd) const { RemoveWindowSubclass(hwnd, Proc, 77); }
};

// A multi-line box that ignores a handed-over buffer still gets the new
// text, even one as long as the old: its own buffer is not freed under it.
TEST_F(UnloadTest, ABoxThatKeepsItsBufferStillGetsTheText) {
  HWND box = ui.ControlHandle(Ctl::Text8);
  const Swallow swallow{EM_SETHANDLE, 0};
  swallow.Install(box);
  ui.SetText(Ctl::Text8, u"first table\r\n");
  ui.SetText(Ctl::Text8, u"other table\r\n");
  EXPECT_EQ(WindowText(box), L"other table\r\n");
  EXPECT_EQ(ui.Text(Ctl::Text8), u"other table\r\n");
  swallow.Remove(box);
  ui.SetText(Ctl::Text8, u"third table\r\n");
  EXPECT_EQ(WindowText(box), L"third table\r\n");
}

// A box that takes a handed-over buffer but reports no buffer handle, before
// or after: the buffer it may hold is not freed under it.
TEST_F(UnloadTest, ABoxThatReportsNoBufferKeepsTheOneItTook) {
  struct Hide {
    HLOCAL taken = nullptr;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
      auto* self = reinterpret_cast<Hide*>(data);
      if (msg == EM_GETHANDLE) return 0;
      if (msg == EM_SETHANDLE) self->taken = reinterpret_cast<HLOCAL>(wp);
      return DefSubclassProc(hwnd, msg, wp, lp);
    }
  } hide;
  HWND box = ui.ControlHandle(Ctl::Text8);
  SetWindowSubclass(box, Hide::Proc, 78, reinterpret_cast<DWORD_PTR>(&hide));
  ui.SetText(Ctl::Text8, u"a table\r\n");
  RemoveWindowSubclass(box, Hide::Proc, 78);
  ASSERT_NE(hide.taken, nullptr);
  EXPECT_EQ(reinterpret_cast<HLOCAL>(SendMessageW(box, EM_GETHANDLE, 0, 0)), hide.taken);
  EXPECT_NE(LocalFlags(hide.taken), LMEM_INVALID_HANDLE);
  EXPECT_EQ(WindowText(box), L"a table\r\n");
  ui.SetText(Ctl::Text8, u"next table\r\n");
  EXPECT_EQ(WindowText(box), L"next table\r\n");
}

// Held texts that their controls refuse: the other held texts still reach
// their boxes, every box reads back what it shows, and the failure is
// reported (the report's own hand-over of held texts must not fail again).
TEST_F(UnloadTest, RefusedTextsLeaveTheBoxesAndTheirTextsAlike) {
  const Swallow refuse{WM_SETTEXT, FALSE};
  for (Ctl box : {Ctl::Text1, Ctl::Text2}) refuse.Install(ui.ControlHandle(box));
  sink.on_click = [this](Ctl) {
    ui.SetText(Ctl::Text1, u"main");
    ui.SetText(Ctl::Text2, u"and");
    ui.SetText(Ctl::Text5, u"or");
  };
  watcher().clear();
  SendMessageW(ui.ControlHandle(Ctl::Command4), BM_CLICK, 0, 0);
  for (Ctl box : {Ctl::Text1, Ctl::Text2}) refuse.Remove(ui.ControlHandle(box));
  EXPECT_EQ(watcher().boxes().size(), 1u);
  for (Ctl box : {Ctl::Text1, Ctl::Text2, Ctl::Text5}) {
    EXPECT_EQ(W(ui.Text(box)), WindowText(ui.ControlHandle(box)));
  }
  EXPECT_EQ(WindowText(ui.ControlHandle(Ctl::Text5)), L"or");
}

}  // namespace
}  // namespace tianti::win32::wintest
