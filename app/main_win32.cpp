// The Windows program: the main window under the Win32 user interface.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <exception>
#include <string>

#include "app/form1.h"
#include "commands/platform.h"
#include "commands/win32/launcher_win32.h"
#include "commands/win32/processor_wmi.h"
#include "common/message_title.h"
#include "common/win32/wide.h"
#include "ui/win32/dpi.h"
#include "ui/win32/win32_services.h"

namespace {

void ShowStartFailure(const char* what) {
  using namespace tianti::win32;
  MessageBoxW(nullptr, FailureReport(WidenMessage(what)).c_str(), ToWide(tianti::kMessageTitle).c_str(),
              MB_OK | MB_ICONERROR);
}

// TIANTI_EXIT_AFTER_FIRST_PAINT=1 is for the start-up benchmark
// (tools/bench-gui.sh): the program ends as soon as its main window and the
// controls have been painted for the first time. It changes nothing else.
bool ExitAfterFirstPaint() {
  wchar_t value[4] = {};
  return GetEnvironmentVariableW(L"TIANTI_EXIT_AFTER_FIRST_PAINT", value, 4) == 1 && value[0] == L'1';
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // The manifest declares per-monitor DPI awareness (v2); this covers a
  // manifest that the system ignored.
  tianti::win32::EnsureDpiAwareness();
  // COM for the picture decoder and WMI, once, on the user-interface thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  int exit_code = 1;
  try {
    tianti::win32::Win32Options options;
    options.instance = instance;
    tianti::win32::Win32Services ui(std::move(options));
    tianti::commands::win32::WmiProcessorSource processors;
    tianti::commands::win32::Win32Launcher launcher;
    tianti::commands::Platform platform{&processors, &launcher};
    tianti::Form1 form(ui, &platform);
    ui.SetSink(&form);
    form.Form_Load();
    ui.Show(tianti::ui::Win::Form1);
    if (ExitAfterFirstPaint()) {
      RedrawWindow(ui.WindowHandle(tianti::ui::Win::Form1), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      ExitProcess(0);
    }
    exit_code = ui.RunMessageLoop();
  } catch (const std::exception& e) {
    ShowStartFailure(e.what());
  } catch (...) {
    ShowStartFailure(nullptr);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return exit_code;
}
