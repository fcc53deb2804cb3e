// DPI helpers. The functions of newer Windows versions are looked up at run
// time, so the program still starts on Windows 7, where every window has the
// system DPI.
#pragma once

#include <windows.h>

namespace tianti::win32 {

// Twips (1/1440 inch) to pixels at `dpi`, rounded to the nearest pixel.
inline int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }
// Pixels at 96 DPI to pixels at `dpi`.
inline int ScalePixels(int pixels96, UINT dpi) { return MulDiv(pixels96, static_cast<int>(dpi), 96); }

// Makes the process per-monitor DPI aware (v2, else v1, else system aware)
// unless its manifest already did. Harmless when awareness is already set.
void EnsureDpiAwareness();

// The system DPI (the DPI of the primary monitor at log-on).
UINT SystemDpi();
// The DPI of a window; the system DPI where windows have no DPI of their own.
UINT WindowDpi(HWND hwnd);
// The DPI of a monitor; the system DPI where monitors have no DPI of their own.
UINT MonitorDpi(HMONITOR monitor);

// AdjustWindowRectEx for a given DPI (falls back to the system metrics).
void AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD ex_style, UINT dpi);
// GetSystemMetrics for a given DPI (falls back to scaling the system value).
int SystemMetricForDpi(int index, UINT dpi);

}  // namespace tianti::win32
