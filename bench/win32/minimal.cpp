// The yardstick of the start-up benchmark: a Win32 program that only shows
// an empty window. With TIANTI_EXIT_AFTER_FIRST_PAINT=1 it ends as soon as
// the window has been painted for the first time, exactly as tianti.exe does
// with that variable (app/main_win32.cpp), so that both are timed the same
// way.
#include <windows.h>
#ifdef TIANTI_MINIMAL_THEMED
#include <commctrl.h>
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
