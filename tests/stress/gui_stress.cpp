// The stress run of the real main window: N random user actions with a
// seed, each followed by a check of everything the user can see against
// the reference model (tests/stress/gui_model.h).
//
//   win32_gui_stress [--actions=N] [--seed=S|random] [--watchdog=SECONDS] [--verbose] [gtest flags]
//   (or TIANTI_STRESS_ACTIONS, TIANTI_STRESS_SEED, TIANTI_STRESS_VERBOSE)
//
// The actions: typing (Unicode keyboard input and WM_CHAR) and pasting
// (clipboard with WM_PASTE, Ctrl+V, Shift+Insert) of terms, CJK, control
// characters and 30,000-character strings into every term box, the hidden
// boxes and the read-only ones; Query, Reset, About, the local processor and
// the scope options by BM_CLICK, the mouse, access keys and Space/Enter;
// opening and closing the picture windows (their buttons, Alt+O, OK, the
// close box, Alt+F4); Tab, Shift+Tab, arrows, Esc; minimising and
// restoring. Quit is never pressed.
//
// A fault stops the run with the seed, the action's number and the last
// actions; a watchdog ends the process (exit code 3) with the seed and the
// action's number when one action takes longer than 20 s (--watchdog).
// Object counts are sampled after a warm-up, every 1000 actions and at the
// end, each time with the picture windows closed and the boxes and clipboard
// emptied: GDI and USER objects and handles (where the system reports them)
// and windows must stay flat; the program's heap memory (from new and
// LocalAlloc, counted as tests/stress/memory.h says) and committed memory
// are printed (leak_test.cpp holds them to account for repeated actions).
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>

#include "tests/stress/gui_model.h"
#include "tests/stress/memory.h"
#include "tests/stress/random_text.h"
#include "tests/stress/reference.h"
#include "tests/win32/harness.h"

namespace tianti::stress {

using ui::Ctl;
using ui::Win;
namespace wt = win32::wintest;

struct Config {
  long actions = 1500;
  std::uint64_t seed = 20240611;
  DWORD watchdog_s = 20;
  bool verbose = false;
};
Config g_config;

namespace {

// ---------------------------------------------------------------------------
// Watchdog: ends the process when an action takes too long.

class Watchdog {
 public:
  Watchdog(std::uint64_t seed, DWORD limit_ms) : seed_(seed), limit_ms_(limit_ms), thread_([this] { Run(); }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  void Begin(long index, std::string what) {
    std::lock_guard<std::mutex> lock(mutex_);
    index_ = index;
    what_ = std::move(what);
    started_ = GetTickCount64();
    running_ = true;
  }
  void End() {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
      wake_.wait_for(lock, std::chrono::milliseconds(250));
      if (running_ && GetTickCount64() - started_ > limit_ms_) {
        (void)std::fprintf(stderr, "\nwatchdog: action %ld did not finish within %lu s (seed %llu): %s\n", index_,
                           static_cast<unsigned long>(limit_ms_ / 1000), static_cast<unsigned long long>(seed_),
                           what_.c_str());
        (void)std::fflush(stderr);
        (void)std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
      }
    }
  }
  std::uint64_t seed_;
  DWORD limit_ms_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  bool running_ = false;
  long index_ = -1;
  std::string what_;
  ULONGLONG started_ = 0;
  std::thread thread_;
};

// ---------------------------------------------------------------------------
// Object counts of the process.

struct Counts {
  DWORD gdi = 0, user = 0;  // GetGuiResources; 0 where the system does not report them
  DWORD handles = 0;
  std::size_t windows = 0;  // windows of the thread, children included
  SIZE_T heap_bytes = 0;    // the program's memory from new and LocalAlloc (tests/stress/memory.h)
  SIZE_T committed = 0;     // committed private memory
  SIZE_T working_set = 0;
};

Counts Sample() {
  Counts c;
  c.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  c.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  GetProcessHandleCount(GetCurrentProcess(), &c.handles);
  const ProgramMemory held = MeasureProgramMemory();
  c.windows = held.windows;
  c.heap_bytes = static_cast<SIZE_T>(std::max(0LL, held.heap_bytes()));
  c.committed = held.committed;
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) c.working_set = memory.WorkingSetSize;
  return c;
}

std::string Describe(const Counts& c) {
  auto count = [](DWORD n) { return n ? std::to_string(n) : std::string("-"); };
  char line[240];
  (void)std::snprintf(
      line, sizeof line,
      "GDI %s, USER %s, handles %s, windows %zu, heap in use %.0f KB, committed %.1f MB, working set %.1f MB",
      count(c.gdi).c_str(), count(c.user).c_str(), count(c.handles).c_str(), c.windows,
      static_cast<double>(c.heap_bytes) / 1024.0, static_cast<double>(c.committed) / 1048576.0,
      static_cast<double>(c.working_set) / 1048576.0);
  return line;
}

// ---------------------------------------------------------------------------
// Input helpers beyond the harness.

void SendUnicode(std::u16string_view text) {
  std::vector<INPUT> in;
  for (char16_t c : text) {
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wScan = c;
    down.ki.dwFlags = KEYEVENTF_UNICODE;
    INPUT up = down;
    up.ki.dwFlags |= KEYEVENTF_KEYUP;
    in.push_back(down);
    in.push_back(up);
  }
  if (!in.empty()) SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

bool SetClipboardText(HWND owner, std::u16string_view text) {
  bool open = false;
  for (int attempt = 0; attempt < 100 && !open; ++attempt) {
    open = OpenClipboard(owner) != FALSE;
    if (!open) Sleep(10);
  }
  if (!open) return false;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  bool done = false;
  if (memory) {
    auto* p = static_cast<wchar_t*>(GlobalLock(memory));
    std::memcpy(p, text.data(), text.size() * sizeof(wchar_t));
    p[text.size()] = L'\0';
    GlobalUnlock(memory);
    done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!done) GlobalFree(memory);
  }
  CloseClipboard();
  return done;
}

POINT Centre(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return POINT{r.right / 2, r.bottom / 2};
}

// Whether a click at this point of `hwnd`'s client area would reach it.
bool Reachable(HWND hwnd, POINT client) {
  POINT screen = client;
  ClientToScreen(hwnd, &screen);
  return WindowFromPoint(screen) == hwnd;
}

// A point of the title bar's close box, found by hit-testing.
bool CloseBoxPoint(HWND w, POINT* at) {
  RECT r{};
  GetWindowRect(w, &r);
  for (int y = r.top + 2; y < r.top + 40; y += 2) {
    for (int x = r.right - 2; x > r.right - 90; x -= 2) {
      if (SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
        *at = POINT{x, y};
        return WindowFromPoint(*at) == w;
      }
    }
  }
  return false;
}

void ScreenClick(wt::App& app, POINT screen) {
  wt::MoveMouse(screen);
  app.Pump();
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
  app.Pump();
}

// ---------------------------------------------------------------------------
// The actions.

constexpr Ctl kTermBoxes[] = {Ctl::Text1, Ctl::Text2, Ctl::Text5, Ctl::Text6, Ctl::Text7, Ctl::Text3, Ctl::Text4};
constexpr Ctl kOptions[] = {Ctl::Option1, Ctl::Option2, Ctl::Option3};

struct AccessKey {
  Ctl button;
  WORD key;
};
constexpr AccessKey kAccessKeys[] = {{Ctl::Command2, 'S'}, {Ctl::Command3, 'R'}, {Ctl::Command4, 'A'},
                                     {Ctl::Command5, 'G'}, {Ctl::Command6, 'C'}, {Ctl::Command7, 'N'}};

class Driver {
 public:
  Driver(wt::App& app, RandomText& text, Watchdog& dog) : app_(app), text_(text), dog_(dog) {}

  void Step(long index);
  const std::string& what() const { return what_; }
  long fallbacks() const { return fallbacks_; }
  // Closes the picture windows with their OK buttons (before sampling counts).
  void ClosePictures() {
    for (Ctl ok : {Ctl::Form2_Command1, Ctl::Form3_Command1}) {
      if (HWND h = app_.hwnd(ok)) SendMessageW(h, BM_CLICK, 0, 0);
    }
    app_.Pump();
  }

 private:
  HWND main() const { return app_.window(Win::Form1); }
  HWND hwnd(Ctl c) const { return app_.hwnd(c); }
  void Note(const std::string& what) {
    what_ = what;
    dog_.Begin(index_, what);
  }
  void Activate(HWND window) {
    if (GetForegroundWindow() != window || !IsChild(window, GetFocus())) wt::Activate(*app_.ui, window);
  }
  bool FocusOn(Ctl box);
  void Press(WORD vk, std::initializer_list<WORD> modifiers = {}) { wt::PressKey(*app_.ui, vk, modifiers); }
  void Click(Ctl c, POINT at);
  void PressButton(Ctl button);

  void Type();
  void TypeText(HWND box, std::u16string_view text);
  void Paste();
  void Search();
  void Query();
  void Option();
  void Button(Ctl button);
  void Link();
  void OpenPicture();
  void ClosePicture();
  void Keys();
  void Raise();
  void MinimiseAndRestore();

  wt::App& app_;
  RandomText& text_;
  Watchdog& dog_;
  long index_ = 0;
  std::string what_;
  long fallbacks_ = 0;  // mouse clicks given as BM_CLICK because the point was covered
};

void Driver::Step(long index) {
  index_ = index;
  const std::size_t roll = text_.Below(100);
  if (roll < 20) {
    Type();
  } else if (roll < 32) {
    Paste();
  } else if (roll < 42) {
    Search();
  } else if (roll < 50) {
    Query();
  } else if (roll < 58) {
    Option();
  } else if (roll < 61) {
    Button(Ctl::Command3);
  } else if (roll < 64) {
    Button(Ctl::Command4);
  } else if (roll < 66) {
    Button(Ctl::Command6);
  } else if (roll < 67) {
    Link();
  } else if (roll < 73) {
    OpenPicture();
  } else if (roll < 79) {
    ClosePicture();
  } else if (roll < 95) {
    Keys();
  } else if (roll < 99) {
    Raise();
  } else {
    MinimiseAndRestore();
  }
}

// The keyboard focus into a box, as a user puts it there: a click into a
// visible box, Tab from the picture box for the hidden ones, or directly.
bool Driver::FocusOn(Ctl box) {
  Activate(main());
  HWND h = hwnd(box);
  const std::size_t how = text_.Below(3);
  if ((box == Ctl::Text3 || box == Ctl::Text4) && how == 0) {
    SetFocus(hwnd(Ctl::Picture1));
    Press(VK_TAB);
    if (box == Ctl::Text4) Press(VK_TAB);
  } else if (how == 1 && box != Ctl::Text3 && box != Ctl::Text4) {
    RECT r{};
    GetClientRect(h, &r);
    const POINT at{static_cast<LONG>(2 + text_.Below(static_cast<std::size_t>(std::max<LONG>(r.right - 4, 1)))),
                   r.bottom / 2};
    if (Reachable(h, at)) {
      wt::ClickAt(*app_.ui, h, at);
    } else {
      SetFocus(h);
    }
  } else {
    SetFocus(h);
  }
  app_.Pump();
  return GetFocus() == h;
}

void Driver::Click(Ctl c, POINT at) {
  HWND h = hwnd(c);
  Activate(GetAncestor(h, GA_ROOT));
  if (Reachable(h, at)) {
    wt::ClickAt(*app_.ui, h, at);
  } else {
    ++fallbacks_;
    SendMessageW(h, BM_CLICK, 0, 0);
    app_.Pump();
  }
}

// A button of the main window pressed in one of the ways a user has.
void Driver::PressButton(Ctl button) {
  HWND h = hwnd(button);
  switch (text_.Below(5)) {
    case 0:
      Note(what_ + " by BM_CLICK");
      SendMessageW(h, BM_CLICK, 0, 0);
      app_.Pump();
      break;
    case 1:
      Note(what_ + " by the mouse");
      Click(button, Centre(h));
      break;
    case 2:
      for (const AccessKey& k : kAccessKeys) {
        if (k.button != button) continue;
        Note(what_ + " by Alt+" + static_cast<char>(k.key));
        Activate(main());
        Press(k.key, {VK_MENU});
      }
      break;
    default: {
      const bool space = text_.Chance(50);
      Note(what_ + (space ? " by Space" : " by Enter"));
      Activate(main());
      SetFocus(h);
      app_.Pump();
      Press(space ? VK_SPACE : VK_RETURN);
      break;
    }
  }
}

void Driver::Type() {
  static constexpr Ctl kBoxes[] = {Ctl::Text1, Ctl::Text1, Ctl::Text1, Ctl::Text1, Ctl::Text1, Ctl::Text2,
                                   Ctl::Text5, Ctl::Text6, Ctl::Text7, Ctl::Text3, Ctl::Text4};
  const Ctl box = kBoxes[text_.Below(std::size(kBoxes))];
  std::u16string typed = text_.Typed();
  // Under Wine every key in a box of tens of thousands of characters lays
  // the whole line out again (about 0.4 s at 30,000): a few keys there.
  if (GetWindowTextLengthW(hwnd(box)) > 5000 && typed.size() > 3) typed.resize(3);
  Note("type into control " + std::to_string(static_cast<int>(box)) + ": \"" + Printable(typed, 80) + "\"");
  if (!FocusOn(box)) return;
  // Clear first, or edit where the caret is.
  switch (text_.Below(5)) {
    case 0:
    case 1:
      Press(VK_END);
      Press(VK_HOME, {VK_SHIFT});
      Press(text_.Chance(50) ? VK_DELETE : VK_BACK);
      break;
    case 2:
      Press(text_.Chance(50) ? VK_LEFT : VK_BACK);
      break;
    default:
      break;
  }
  TypeText(hwnd(box), typed);
}

// Printable characters as keyboard input, control characters (and now and
// then everything) as WM_CHAR.
void Driver::TypeText(HWND box, std::u16string_view text) {
  std::u16string run;
  auto flush = [&] {
    SendUnicode(run);
    run.clear();
    app_.Pump();
  };
  const bool as_messages = text_.Chance(20);
  for (char16_t c : text) {
    if (c < 0x20 || c == 0x7F || as_messages) {
      flush();
      PostMessageW(box, WM_CHAR, c, 1);
      app_.Pump();
    } else {
      run += c;
    }
  }
  flush();
}

// A user's search: the main term and some of the other terms typed into
// emptied boxes, then Query.
void Driver::Search() {
  const Ctl boxes[] = {Ctl::Text1, Ctl::Text2, Ctl::Text5, Ctl::Text6, Ctl::Text7};
  std::u16string terms[5];
  terms[0] = text_.Term();
  if (text_.Chance(20)) terms[1] = text_.Term();
  if (text_.Chance(50)) {
    terms[2] = text_.Term();
    if (text_.Chance(60)) {
      terms[3] = text_.Term();
      if (text_.Chance(60)) terms[4] = text_.Term();
    }
  }
  if (text_.Chance(10)) std::swap(terms[2], terms[3]);  // a gap in the OR terms
  std::string what = "search";
  for (const auto& t : terms) what += " [" + Printable(t, 40) + "]";
  Note(what);
  for (int i = 0; i < 5; ++i) {
    const std::u16string current = wt::U(wt::WindowText(hwnd(boxes[i])));
    if (current == terms[i]) continue;
    if (!FocusOn(boxes[i])) return;
    Press(VK_END);
    Press(VK_HOME, {VK_SHIFT});
    Press(VK_DELETE);
    TypeText(hwnd(boxes[i]), terms[i]);
  }
  what_ = what + ", then Query";
  PressButton(Ctl::Command2);
}

void Driver::Paste() {
  Ctl box = kTermBoxes[text_.Below(std::size(kTermBoxes))];
  if (text_.Chance(10)) box = text_.Chance(50) ? Ctl::Text8 : Ctl::Text9;  // read-only: nothing may change
  const std::u16string pasted = text_.Pasted();
  const std::size_t how = text_.Below(4);
  Note("paste into control " + std::to_string(static_cast<int>(box)) +
       (how == 0   ? " by Ctrl+V"
        : how == 1 ? " by Shift+Insert"
                   : " by WM_PASTE") +
       ": \"" + Printable(pasted, 80) + "\"");
  if (!SetClipboardText(main(), pasted)) {
    ADD_FAILURE() << "the clipboard could not be set";
    return;
  }
  if (!FocusOn(box)) return;
  // Replace what is there, always where the box holds a long string already
  // (the boxes stay within about 40,000 characters).
  if (text_.Chance(50) || GetWindowTextLengthW(hwnd(box)) > 5000) {
    Press(VK_END);
    Press(VK_HOME, {VK_SHIFT});
  }
  if (how == 0) {
    Press('V', {VK_CONTROL});
  } else if (how == 1) {
    Press(VK_INSERT, {VK_SHIFT});
  } else {
    SendMessageW(hwnd(box), WM_PASTE, 0, 0);
    app_.Pump();
  }
}

void Driver::Query() {
  if (text_.Chance(10)) {
    Note("double click on Query");
    Activate(main());
    HWND h = hwnd(Ctl::Command2);
    if (Reachable(h, Centre(h))) {
      wt::ClickAt(*app_.ui, h, Centre(h), /*double_click=*/true);
      return;
    }
  }
  what_ = "Query";
  PressButton(Ctl::Command2);
}

void Driver::Option() {
  const int k = static_cast<int>(text_.Below(3));
  const Ctl option = kOptions[k];
  HWND h = hwnd(option);
  switch (text_.Below(3)) {
    case 0:
      Note("option " + std::to_string(k + 1) + " by BM_CLICK");
      SendMessageW(h, BM_CLICK, 0, 0);
      app_.Pump();
      break;
    case 1: {
      Note("option " + std::to_string(k + 1) + " by the mouse");
      RECT r{};
      GetClientRect(h, &r);
      Click(option, POINT{6, r.bottom / 2});
      break;
    }
    default: {
      // Arrow keys from the selected option, which is where Tab enters the
      // group.
      const WORD arrows[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT};
      const WORD arrow = arrows[text_.Below(4)];
      Note("arrow key " + std::to_string(arrow) + " in the option group");
      Activate(main());
      for (Ctl o : kOptions) {
        if (app_.ui->Value(o)) SetFocus(hwnd(o));
      }
      app_.Pump();
      Press(arrow);
      if (text_.Chance(30)) Press(VK_SPACE);
      break;
    }
  }
}

void Driver::Button(Ctl button) {
  what_ = "button " + std::to_string(static_cast<int>(button));
  PressButton(button);
}

void Driver::Link() {
  const Ctl labels[] = {Ctl::Label6, Ctl::Label7, Ctl::Label8, Ctl::Label9};
  const Ctl label = labels[text_.Below(4)];
  Note("link label " + std::to_string(static_cast<int>(label)));
  Activate(main());
  HWND h = hwnd(label);
  if (Reachable(h, POINT{4, 6})) wt::ClickAt(*app_.ui, h, POINT{4, 6});
}

void Driver::OpenPicture() {
  const bool form2 = text_.Chance(50);
  what_ = form2 ? "open Form2" : "open Form3";
  PressButton(form2 ? Ctl::Command5 : Ctl::Command7);
}

void Driver::ClosePicture() {
  std::vector<Win> open;
  for (Win w : {Win::Form2, Win::Form3}) {
    if (app_.ui->IsLoaded(w)) open.push_back(w);
  }
  if (open.empty()) {
    OpenPicture();
    return;
  }
  const Win w = open[text_.Below(open.size())];
  HWND window = app_.window(w);
  const Ctl ok = w == Win::Form2 ? Ctl::Form2_Command1 : Ctl::Form3_Command1;
  const std::string name = w == Win::Form2 ? "Form2" : "Form3";
  switch (text_.Below(6)) {
    case 0:
      Note("close " + name + " by Alt+O");
      Activate(window);
      if (GetForegroundWindow() == window) Press('O', {VK_MENU});
      break;
    case 1:
      Note("close " + name + " by OK, BM_CLICK");
      SendMessageW(hwnd(ok), BM_CLICK, 0, 0);
      app_.Pump();
      break;
    case 2:
      Note("close " + name + " by OK, the mouse");
      Click(ok, Centre(hwnd(ok)));
      break;
    case 3: {
      Note("close " + name + " by the close box");
      Activate(window);
      POINT at{};
      if (CloseBoxPoint(window, &at)) {
        ScreenClick(app_, at);
      } else {
        ++fallbacks_;
        SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        app_.Pump();
      }
      break;
    }
    case 4:
      Note("close " + name + " by Alt+F4");
      Activate(window);
      // Alt+F4 only where it cannot reach the main window.
      if (GetForegroundWindow() == window && IsChild(window, GetFocus())) Press(VK_F4, {VK_MENU});
      break;
    default:
      Note("close " + name + " by Tab to OK and Enter");
      Activate(window);
      SetFocus(hwnd(w == Win::Form2 ? Ctl::Form2_Picture1 : Ctl::Form3_Picture1));
      Press(VK_TAB);
      if (GetFocus() == hwnd(ok)) Press(VK_RETURN);
      break;
  }
}

// Navigation keys in the main window or a picture window. Space and Enter
// press what has the focus, unless that is Quit.
void Driver::Keys() {
  HWND window = main();
  if (text_.Chance(15)) {
    for (Win w : {Win::Form2, Win::Form3}) {
      if (app_.ui->IsLoaded(w)) window = app_.window(w);
    }
  }
  Activate(window);
  const std::size_t kind = text_.Below(6);
  const int times = 1 + static_cast<int>(text_.Below(6));
  switch (kind) {
    case 0:
    case 1:
      Note("Tab x" + std::to_string(times));
      for (int i = 0; i < times; ++i) Press(VK_TAB);
      break;
    case 2:
      Note("Shift+Tab x" + std::to_string(times));
      for (int i = 0; i < times; ++i) Press(VK_TAB, {VK_SHIFT});
      break;
    case 3: {
      const WORD arrows[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_HOME, VK_END};
      const WORD key = arrows[text_.Below(std::size(arrows))];
      Note("navigation key " + std::to_string(key));
      Press(key);
      break;
    }
    case 4:
      Note("Esc");
      Press(VK_ESCAPE);
      break;
    default: {
      const bool space = text_.Chance(50);
      Note(space ? "Space on the focus" : "Enter on the focus");
      if (GetFocus() != hwnd(Ctl::Command1) && GetForegroundWindow() == window) Press(space ? VK_SPACE : VK_RETURN);
      break;
    }
  }
}

void Driver::Raise() {
  std::vector<HWND> windows{main()};
  for (Win w : {Win::Form2, Win::Form3}) {
    if (app_.ui->IsLoaded(w)) windows.push_back(app_.window(w));
  }
  HWND w = windows[text_.Below(windows.size())];
  Note("bring a window to the front");
  wt::Activate(*app_.ui, w);
}

void Driver::MinimiseAndRestore() {
  Note("minimise and restore the main window");
  SendMessageW(main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  app_.Pump();
  SendMessageW(main(), WM_SYSCOMMAND, SC_RESTORE, 0);
  app_.Pump();
  RECT r{};
  GetClientRect(main(), &r);
  if (r.right != MulDiv(9705, static_cast<int>(app_.ui->Dpi(Win::Form1)), 1440) ||
      r.bottom != MulDiv(9855, static_cast<int>(app_.ui->Dpi(Win::Form1)), 1440)) {
    ADD_FAILURE() << "client area after restoring: " << r.right << " x " << r.bottom;
  }
}

// ---------------------------------------------------------------------------

TEST(GuiStress, RandomActions) {
  const Config c = g_config;
  std::printf("gui stress: %ld actions, seed %llu\n", c.actions, static_cast<unsigned long long>(c.seed));
  (void)std::fflush(stdout);
  const auto started = std::chrono::steady_clock::now();

  wt::App app;
  const Reference reference;
  GuiModel model(app, reference);
  std::mt19937_64 rng(c.seed);
  RandomText text(rng, reference);
  Watchdog dog(c.seed, c.watchdog_s * 1000);
  Driver driver(app, text, dog);

  const long warm_up = std::min<long>(300, std::max<long>(c.actions / 10, 1));
  Counts warm{}, peak{};
  std::vector<Counts> samples;
  // Counts in the same state each time: picture windows closed, boxes and
  // clipboard emptied.
  auto sample = [&] {
    dog.Begin(-1, "sampling object counts");
    model.StartAction();
    driver.ClosePictures();
    SendMessageW(app.hwnd(Ctl::Command3), BM_CLICK, 0, 0);
    app.Pump();
    if (OpenClipboard(app.window(Win::Form1))) {
      EmptyClipboard();
      CloseClipboard();
    }
    for (const auto& f : model.Check()) ADD_FAILURE() << "before sampling: " << f;
    dog.End();
    const Counts now = Sample();
    samples.push_back(now);
    peak.gdi = std::max(peak.gdi, now.gdi);
    peak.user = std::max(peak.user, now.user);
    peak.handles = std::max(peak.handles, now.handles);
    peak.windows = std::max(peak.windows, now.windows);
    peak.heap_bytes = std::max(peak.heap_bytes, now.heap_bytes);
    peak.committed = std::max(peak.committed, now.committed);
    peak.working_set = std::max(peak.working_set, now.working_set);
    return now;
  };

  std::deque<std::string> recent;  // the last actions, for a failure report
  struct Timing {
    long count = 0;
    double total = 0, longest = 0;  // ms
  };
  std::map<std::string, Timing> timings;  // by the action's first word
  for (long i = 0; i < c.actions; ++i) {
    model.StartAction();
    const auto t0 = std::chrono::steady_clock::now();
    driver.Step(i);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    dog.End();
    Timing& t = timings[driver.what().substr(0, driver.what().find(' '))];
    ++t.count;
    t.total += ms;
    t.longest = std::max(t.longest, ms);
    recent.push_back(std::to_string(i) + ": " + driver.what());
    if (recent.size() > 12) recent.pop_front();
    if (c.verbose) {
      std::printf("%s\n   boxes:", recent.back().c_str());
      for (Ctl box : kTermBoxes) std::printf(" [%s]", Printable(wt::U(wt::WindowText(app.hwnd(box))), 40).c_str());
      std::printf(" results %zu\n", wt::WindowText(app.hwnd(Ctl::Text8)).size());
    }
    const std::vector<std::string> faults = model.Check();
    if (!faults.empty() || ::testing::Test::HasFailure()) {
      std::string report;
      for (const auto& f : faults) report += "  " + f + "\n";
      std::string last;
      for (const auto& r : recent) last += "  " + r + "\n";
      ADD_FAILURE() << "action " << i << " (seed " << c.seed << ") failed:\n"
                    << report << "the last actions:\n"
                    << last;
      return;
    }
    if (i + 1 == warm_up) warm = sample();
    if ((i + 1) % 1000 == 0 && i + 1 != warm_up) {
      const Counts now = sample();
      std::printf("  %ld actions: %s\n", i + 1, Describe(now).c_str());
      (void)std::fflush(stdout);
    }
  }
  const Counts end = sample();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  const GuiStats& s = model.stats();
  std::printf("gui stress: %ld actions in %.1f s, seed %llu: %ld queries (%ld warnings, %ld without a match, "
              "%ld limit notes, rules a-e %ld/%ld/%ld/%ld/%ld, %ld rows), %ld resets, %ld About, %ld processor, "
              "%ld pictures opened, %ld closed, %ld links; %ld mouse clicks given as BM_CLICK\n",
              c.actions, seconds, static_cast<unsigned long long>(c.seed), s.queries, s.warnings, s.empty, s.notes,
              s.rules[0], s.rules[1], s.rules[2], s.rules[3], s.rules[4], s.rows, s.resets, s.abouts, s.processors,
              s.opened, s.closed, s.launches, driver.fallbacks());
  std::printf("time by action (count, mean ms, longest ms):");
  for (const auto& [name, t] : timings)
    std::printf(" %s %ld/%.1f/%.0f;", name.c_str(), t.count, t.total / t.count, t.longest);
  std::printf("\n");
  std::printf("objects after warm-up (%ld actions): %s\n", warm_up, Describe(warm).c_str());
  std::printf("objects at the end:                 %s\n", Describe(end).c_str());
  std::printf("highest sampled:                    %s\n", Describe(peak).c_str());
  if (warm.gdi == 0 && warm.user == 0) {
    std::printf("(\"-\": not reported here; GetGuiResources gives 0 GDI and USER objects under Wine)\n");
  }
  (void)std::fflush(stdout);

  // Flat after the warm-up, in the same state (picture windows closed).
  constexpr DWORD kGuiSlack = 16;
  constexpr DWORD kHandleSlack = 32;
  EXPECT_LE(end.gdi, warm.gdi + kGuiSlack);
  EXPECT_LE(end.user, warm.user + kGuiSlack);
  EXPECT_LE(end.handles, warm.handles + kHandleSlack);
  EXPECT_LE(end.windows, warm.windows + 2);
}

}  // namespace

}  // namespace tianti::stress

// The flags of the stress run, then GoogleTest's own.
int main(int argc, char** argv) {
  using tianti::stress::g_config;
  auto from_env = [](const char* name) -> const char* { return std::getenv(name); };
  std::string seed_text;
  if (const char* v = from_env("TIANTI_STRESS_ACTIONS")) g_config.actions = std::atol(v);
  if (const char* v = from_env("TIANTI_STRESS_SEED")) seed_text = v;
  if (const char* v = from_env("TIANTI_STRESS_VERBOSE")) g_config.verbose = *v && *v != '0';
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--actions=", 0) == 0) g_config.actions = std::atol(arg.c_str() + 10);
    if (arg.rfind("--seed=", 0) == 0) seed_text = arg.substr(7);
    if (arg.rfind("--watchdog=", 0) == 0) g_config.watchdog_s = static_cast<DWORD>(std::atol(arg.c_str() + 11));
    if (arg == "--verbose") g_config.verbose = true;
  }
  if (seed_text == "random") {
    g_config.seed = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  } else if (!seed_text.empty()) {
    g_config.seed = std::strtoull(seed_text.c_str(), nullptr, 10);
  }
  return RUN_ALL_TESTS();
}
