#include "tests/win32/harness.h"

#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <set>

#include "ui/win32/dpi.h"

namespace tianti::win32::wintest {

std::wstring W(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }
std::u16string U(std::wstring_view s) { return std::u16string(s.begin(), s.end()); }

std::wstring WindowText(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), n + 1)));
  return text;
}

std::wstring ClassName(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

RECT ChildRect(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT ClientRect(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return r;
}

bool Pump(Win32Services& ui) {
  bool quit = false;
  MSG msg;
  // Two rounds: input that SendInput queued may produce further messages.
  for (int round = 0; round < 2; ++round) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        continue;
      }
      if (!ui.PreTranslate(&msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
  return quit;
}

namespace {

void SendKey(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
}

void SendMouse(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}

}  // namespace

void PressKey(Win32Services& ui, WORD vk, std::initializer_list<WORD> modifiers) {
  for (WORD m : modifiers) SendKey(m, false);
  SendKey(vk, false);
  Pump(ui);
  SendKey(vk, true);
  for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) SendKey(*it, true);
  Pump(ui);
}

void MoveMouse(POINT p) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv(p.x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
  in.mi.dy = MulDiv(p.y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

void ClickAt(Win32Services& ui, HWND hwnd, POINT client_point, bool double_click) {
  POINT p = client_point;
  ClientToScreen(hwnd, &p);
  MoveMouse(p);
  Pump(ui);
  for (int i = 0; i < (double_click ? 2 : 1); ++i) {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
  }
  Pump(ui);
}

void Activate(Win32Services& ui, HWND hwnd, HWND focus) {
  SetForegroundWindow(hwnd);
  SetActiveWindow(hwnd);
  Pump(ui);
  if (focus) SetFocus(focus);
  Pump(ui);
}

// ---------------------------------------------------------------------------

BoxWatcher::BoxWatcher() : thread_id_(GetCurrentThreadId()), thread_([this] { Run(); }) {}

void BoxWatcher::Watch(std::vector<HWND> windows) {
  std::lock_guard<std::mutex> lock(mutex_);
  watched_ = std::move(windows);
}

BoxWatcher::~BoxWatcher() {
  stop_ = true;
  thread_.join();
}

std::vector<SeenBox> BoxWatcher::boxes() {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_;
}

void BoxWatcher::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  boxes_.clear();
}

namespace {

struct Found {
  std::vector<HWND> boxes;
};

BOOL CALLBACK CollectBox(HWND hwnd, LPARAM param) {
  if (ClassName(hwnd) == L"#32770" && IsWindowVisible(hwnd)) reinterpret_cast<Found*>(param)->boxes.push_back(hwnd);
  return TRUE;
}

struct BoxParts {
  std::wstring text;
  HICON icon = nullptr;
};

BOOL CALLBACK CollectParts(HWND child, LPARAM param) {
  auto* parts = reinterpret_cast<BoxParts*>(param);
  if (ClassName(child) != L"Static") return TRUE;
  if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    parts->icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
  } else if (GetDlgCtrlID(child) == 0xFFFF) {
    parts->text = WindowText(child);
  }
  return TRUE;
}

}  // namespace

void BoxWatcher::Run() {
  std::set<HWND> handled;
  while (!stop_) {
    Found found;
    EnumThreadWindows(thread_id_, CollectBox, reinterpret_cast<LPARAM>(&found));
    for (HWND box : found.boxes) {
      if (handled.count(box)) continue;
      BoxParts parts;
      EnumChildWindows(box, CollectParts, reinterpret_cast<LPARAM>(&parts));
      SeenBox seen;
      seen.text = parts.text;
      seen.title = WindowText(box);
      seen.owner = GetWindow(box, GW_OWNER);
      seen.icon = parts.icon == LoadIconW(nullptr, IDI_WARNING)       ? L"warning"
                  : parts.icon == LoadIconW(nullptr, IDI_INFORMATION) ? L"information"
                  : parts.icon == LoadIconW(nullptr, IDI_ERROR)       ? L"error"
                                                                      : L"other";
      {
        std::lock_guard<std::mutex> lock(mutex_);
        for (HWND w : watched_) seen.enabled.emplace_back(w, IsWindowEnabled(w) != FALSE);
        boxes_.push_back(seen);
      }
      handled.insert(box);
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    }
    for (auto it = handled.begin(); it != handled.end();) it = IsWindow(*it) ? std::next(it) : handled.erase(it);
    Sleep(20);
  }
}

// ---------------------------------------------------------------------------

void RecordingSink::Click(ui::Ctl control) {
  clicks.push_back(control);
  if (on_click) on_click(control);
}

void RecordingSink::Unload(ui::Win window, std::int16_t& cancel) {
  unloads.push_back(window);
  if (on_unload) on_unload(window, cancel);
}

commands::ProcessorReport FakeProcessors::Query() {
  commands::ProcessorReport report;
  report.names.push_back(std::u16string(u"Test CPU @ 3.00GHz"));
  return report;
}

commands::LaunchResult FakeLauncher::Start(std::u16string_view command_line, std::u16string_view) {
  started.emplace_back(command_line);
  return commands::LaunchResult{true, 0};
}

Win32Options TestOptions() {
  Win32Options options;
  options.end = [] { throw ui::ProgramEnded{}; };
  return options;
}

App::App() : ui(std::make_unique<Win32Services>(TestOptions())) {
  form = std::make_unique<Form1>(*ui, &platform);
  ui->SetSink(form.get());
  form->Form_Load();
  ui->Show(ui::Win::Form1);
  Activate(*ui, window(ui::Win::Form1));
}

App::~App() {
  ui->SetSink(nullptr);
  ui.reset();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

namespace {

// COM, common controls and DPI awareness for the whole test program, on the
// thread that runs the tests, as the program's wWinMain sets them up.
class Win32Environment : public ::testing::Environment {
 public:
  void SetUp() override {
    EnsureDpiAwareness();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
  }
  void TearDown() override { CoUninitialize(); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Win32Environment);

}  // namespace

}  // namespace tianti::win32::wintest
