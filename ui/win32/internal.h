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

inline DWORD FormStyle(const FormDesign& design) {
  return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | (design.minimize_box ? WS_MINIMIZEBOX : 0);
}

inline bool IsButton(const ControlDesign& d) {
  return d.kind == ControlKind::kButton || d.kind == ControlKind::kColourButton;
}

}  // namespace tianti::win32
