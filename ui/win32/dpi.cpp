// DPI of a window or monitor and twips to pixels, with the newer Windows functions looked up at run time.
#include "ui/win32/dpi.h"

namespace tianti::win32 {

namespace {

template <typename F>
F Lookup(const wchar_t* module, const char* name) {
  HMODULE m = GetModuleHandleW(module);
  if (!m) m = LoadLibraryExW(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!m) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
using SetProcessDpiAwarenessFn = HRESULT(WINAPI*)(int);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

struct Api {
  GetDpiForWindowFn get_dpi_for_window = Lookup<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  AdjustWindowRectExForDpiFn adjust_window_rect_ex_for_dpi = Lookup<AdjustWindowRectExForDpiFn>(
      L"user32.dll", "AdjustWindowRectExForDpi");
  GetSystemMetricsForDpiFn get_system_metrics_for_dpi = Lookup<GetSystemMetricsForDpiFn>(L"user32.dll",
                                                                                         "GetSystemMetricsForDpi");
  SetProcessDpiAwarenessContextFn set_process_dpi_awareness_context = Lookup<SetProcessDpiAwarenessContextFn>(
      L"user32.dll", "SetProcessDpiAwarenessContext");
  SetProcessDpiAwarenessFn set_process_dpi_awareness = Lookup<SetProcessDpiAwarenessFn>(L"shcore.dll",
                                                                                        "SetProcessDpiAwareness");
  GetDpiForMonitorFn get_dpi_for_monitor = Lookup<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
};

const Api& api() {
  static const Api instance;
  return instance;
}

}  // namespace

void EnsureDpiAwareness() {
  const Api& a = api();
  if (a.set_process_dpi_awareness_context) {
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, then _PER_MONITOR_AWARE.
    if (a.set_process_dpi_awareness_context(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)))) return;
    if (GetLastError() == ERROR_ACCESS_DENIED) return;  // already set, e.g. by the manifest
    if (a.set_process_dpi_awareness_context(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-3)))) return;
  }
  if (a.set_process_dpi_awareness) {
    a.set_process_dpi_awareness(2);  // PROCESS_PER_MONITOR_DPI_AWARE
    return;
  }
  SetProcessDPIAware();
}

UINT SystemDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96u;
}

UINT WindowDpi(HWND hwnd) {
  if (hwnd && api().get_dpi_for_window) {
    const UINT dpi = api().get_dpi_for_window(hwnd);
    if (dpi != 0) return dpi;
  }
  return SystemDpi();
}

UINT MonitorDpi(HMONITOR monitor) {
  if (monitor && api().get_dpi_for_monitor) {
    UINT x = 0, y = 0;
    if (SUCCEEDED(api().get_dpi_for_monitor(monitor, 0 /*MDT_EFFECTIVE_DPI*/, &x, &y)) && y != 0) return y;
  }
  return SystemDpi();
}

void AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD ex_style, UINT dpi) {
  if (api().adjust_window_rect_ex_for_dpi && api().adjust_window_rect_ex_for_dpi(rect, style, FALSE, ex_style, dpi)) {
    return;
  }
  AdjustWindowRectEx(rect, style, FALSE, ex_style);
}

int SystemMetricForDpi(int index, UINT dpi) {
  if (api().get_system_metrics_for_dpi) return api().get_system_metrics_for_dpi(index, dpi);
  return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

}  // namespace tianti::win32
