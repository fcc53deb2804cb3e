// Test harness for the Win32 user interface: the real windows of the
// program, driven in-process with real messages and keyboard input, and a
// watcher thread that reads and dismisses the message boxes they open.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/form1.h"
#include "commands/launcher.h"
#include "commands/platform.h"
#include "commands/processor.h"
#include "ui/services.h"
#include "ui/win32/win32_services.h"

namespace tianti::win32::wintest {

std::wstring W(std::u16string_view s);
std::u16string U(std::wstring_view s);
std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);
// A control's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child);
RECT ClientRect(HWND hwnd);

// Takes every queued message through the services' keyboard handling, as the
// program's message loop does. Returns whether WM_QUIT was among them.
bool Pump(Win32Services& ui);

// Keyboard input through SendInput, followed by a Pump.
void PressKey(Win32Services& ui, WORD vk, std::initializer_list<WORD> modifiers = {});
// Moves the mouse pointer to a point of the screen through SendInput.
void MoveMouse(POINT screen_point);
// A left click at a point of `hwnd`'s client area through SendInput.
void ClickAt(Win32Services& ui, HWND hwnd, POINT client_point, bool double_click = false);
// Makes `hwnd` the foreground window with the keyboard focus on `focus`.
void Activate(Win32Services& ui, HWND hwnd, HWND focus = nullptr);

// A message box as the watcher found it, before dismissing it.
struct SeenBox {
  std::wstring text;
  std::wstring title;
  std::wstring icon;  // "warning", "information", "error" or "other"
  HWND owner = nullptr;
  std::vector<std::pair<HWND, bool>> enabled;  // watched windows and whether each was enabled
};

// Watches the calling thread for message boxes (dialog class "#32770"),
// records each and presses its OK button. Every fixture has one, so that no
// box can hang a test.
class BoxWatcher {
 public:
  BoxWatcher();
  ~BoxWatcher();
  std::vector<SeenBox> boxes();
  void clear();
  // Windows whose enabled state is recorded with each box.
  void Watch(std::vector<HWND> windows);

 private:
  void Run();
  DWORD thread_id_;
  std::vector<HWND> watched_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<SeenBox> boxes_;
  std::thread thread_;
};

// Records every event of the user interface; optional reactions.
class RecordingSink : public ui::EventSink {
 public:
  void Click(ui::Ctl control) override;
  void Unload(ui::Win window, std::int16_t& cancel) override;
  std::vector<ui::Ctl> clicks;
  std::vector<ui::Win> unloads;
  std::function<void(ui::Ctl)> on_click;
  std::function<void(ui::Win, std::int16_t&)> on_unload;
};

class FakeProcessors : public commands::ProcessorSource {
 public:
  commands::ProcessorReport Query() override;
};

class FakeLauncher : public commands::Launcher {
 public:
  commands::LaunchResult Start(std::u16string_view command_line, std::u16string_view fallback) override;
  std::vector<std::u16string> started;
};

// Options for in-process tests: End throws ui::ProgramEnded instead of
// ending the test program.
Win32Options TestOptions();

// The program as wWinMain builds it: services, Form1 with fake platform
// services, the load event, the main window shown and active.
struct App {
  App();
  ~App();
  HWND hwnd(ui::Ctl c) const { return ui->ControlHandle(c); }
  HWND window(ui::Win w) const { return ui->WindowHandle(w); }
  bool Pump() { return wintest::Pump(*ui); }

  BoxWatcher boxes;
  FakeProcessors processors;
  FakeLauncher launcher;
  commands::Platform platform{&processors, &launcher};
  std::unique_ptr<Win32Services> ui;
  std::unique_ptr<Form1> form;
};

// A test with the real main window and its Form1.
class AppTest : public ::testing::Test {
 protected:
  App app;
  BoxWatcher& watcher() { return app.boxes; }
  HWND hwnd(ui::Ctl c) const { return app.hwnd(c); }
  HWND main() const { return app.window(ui::Win::Form1); }
};

}  // namespace tianti::win32::wintest
