// The yardstick of the start-up benchmark: a Win32 program that only shows
// an empty window. With TIANTI_EXIT_AFTER_FIRST_PAINT=1 it ends as soon as
// the window has been painted for the first time, exactly as tianti.exe does
// with that variable (app/main_win32.cpp), so that both are timed the same
// way.
#include <windows.h>
#ifdef TIANTI_MINIMAL_THEMED
#include <commctrl.h>
#endif
#ifdef TIANTI_MINIMAL_CONTROLS
#include "ui/win32/designs.h"
#include "ui/win32/dpi.h"
#include "ui/win32/layout.h"
#endif

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool ExitAfterFirstPaint() {
  wchar_t value[4] = {};
  return GetEnvironmentVariableW(L"TIANTI_EXIT_AFTER_FIRST_PAINT", value, 4) == 1 && value[0] == L'1';
}

#ifdef TIANTI_MINIMAL_CONTROLS
// The third yardstick: the main window's controls, of the same classes and
// in the same rectangles, created bare: no fonts, tool tips, owner drawing,
// colours, picture or subclassing. What it costs beyond the themed empty
// window is what Wine itself takes for these controls.
void CreateBareControls(HWND form, HINSTANCE instance) {
  using tianti::win32::ControlKind;
  const tianti::win32::FormDesign& design = tianti::win32::DesignOf(tianti::ui::Win::Form1);
  const UINT dpi = tianti::win32::WindowDpi(form);
  for (std::size_t i = 0; i < design.control_count; ++i) {
    const tianti::win32::ControlDesign& d = design.controls[i];
    const wchar_t* cls = L"Button";
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, ex_style = 0;
    switch (d.kind) {
      case ControlKind::kPictureBox:
        cls = L"Static";
        ex_style = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::kLabel:
        cls = L"Static";
        style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
        break;
      case ControlKind::kFrame:
        style |= BS_GROUPBOX;
        break;
      case ControlKind::kTextBox:
        cls = L"Edit";
        style |= WS_TABSTOP | ES_LEFT;
        ex_style = WS_EX_CLIENTEDGE;
        if (d.flags & tianti::win32::kMultiLine) {
          style |= ES_MULTILINE | ES_AUTOVSCROLL;
          if (d.flags & tianti::win32::kVerticalScrollBar) style |= WS_VSCROLL;
          if (d.flags & tianti::win32::kHorizontalScrollBar) style |= WS_HSCROLL | ES_AUTOHSCROLL;
        } else {
          style |= ES_AUTOHSCROLL;
        }
        if (d.flags & tianti::win32::kReadOnly) style |= ES_READONLY;
        break;
      case ControlKind::kButton:
      case ControlKind::kColourButton:
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
      case ControlKind::kOption:
        style |= WS_TABSTOP | BS_AUTORADIOBUTTON;
        break;
    }
    const int px = tianti::win32::TwipsToPixels(d.width, dpi), py = tianti::win32::TwipsToPixels(d.height, dpi);
    const RECT r = tianti::win32::ControlRect(tianti::ui::Win::Form1, d, SIZE{px, py}, dpi);
    CreateWindowExW(ex_style, cls, d.caption, style, r.left, r.top, r.right - r.left, r.bottom - r.top, form, nullptr,
                    instance, nullptr);
  }
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
#ifdef TIANTI_MINIMAL_THEMED
  // The second yardstick: the same empty window with what any program with
  // themed standard controls brings along (the program's manifest and
  // version 6 of the common controls), still without a control.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
#endif
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = L"TiantiMinimal";
  if (!RegisterClassExW(&wc)) return 1;
  // The main window's outer size at 96 DPI, centred like it.
  const int w = 653, h = 686;
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"minimal", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                              (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h,
                              nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
#ifdef TIANTI_MINIMAL_CONTROLS
  CreateBareControls(hwnd, instance);
#endif
  ShowWindow(hwnd, show == SW_SHOWDEFAULT ? SW_SHOWNORMAL : show);
  if (ExitAfterFirstPaint()) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ExitProcess(0);
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
