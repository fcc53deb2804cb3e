// What the files of Win32Services share: the window classes' names, the
// control and subclass identifiers, and small helpers of the Win32 calls.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <system_error>

#include "ui/win32/designs.h"

namespace tianti::win32 {

inline constexpr wchar_t kFormClass[] = L"TiantiForm";
inline constexpr wchar_t kPictureClass[] = L"TiantiPictureBox";
// Control identifiers: kControlIdBase + the control's index. They stay clear
// of IDOK and IDCANCEL, which the dialog manager sends for Enter and Esc.
inline constexpr int kControlIdBase = 1000;
// Subclass identifiers.
inline constexpr UINT_PTR kButtonSubclass = 1;
inline constexpr UINT_PTR kMultiLineEditSubclass = 2;
inline constexpr UINT_PTR kLinkLabelSubclass = 3;
inline constexpr UINT_PTR kAccessibleSubclass = 4;
// Widest tool tip line before it wraps, in pixels at 96 DPI.
inline constexpr int kToolTipWidth = 360;

inline std::wstring WindowText(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  if (n <= 0) return L"";
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

[[noreturn]] inline void ThrowLastError(const char* what) {
  throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

// The rows that the glyphs of `text` (one line, without "&" marks) cover in
// the font selected into `dc`, counted from the top of the line; `bottom` is
// one past the last. With `accel_underline` the row of DrawText's access-key
// underline (one below the baseline) counts too. Where the font's line has
// more room above and below its glyphs than a label or button has, placing
// these rows instead of the whole line keeps the glyphs inside.
struct InkRows {
  int top;
  int bottom;
};
InkRows CaptionInk(HDC dc, const std::wstring& text, bool accel_underline);

// Paints a link label into `dc` (WM_PAINT's or WM_PRINTCLIENT's).
void PaintLinkLabel(HWND label, HDC dc);

inline DWORD FormStyle(const FormDesign& design) {
  return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | (design.minimize_box ? WS_MINIMIZEBOX : 0);
}

inline bool IsButton(const ControlDesign& d) {
  return d.kind == ControlKind::kButton || d.kind == ControlKind::kColourButton;
}

}  // namespace tianti::win32
