// Layout at a DPI: window and control rectangles computed from the designs'
// twips and the DPI value alone, and what a change of DPI redoes (sizes,
// icons, picture, fonts, places).
#include "ui/win32/win32_services.h"

#include <algorithm>

#include "ui/win32/designs.h"
#include "ui/win32/dpi.h"
#include "ui/win32/internal.h"
#include "ui/win32/layout.h"

namespace tianti::win32 {

using ui::Win;

SIZE WindowSizeFor(Win window, UINT dpi) {
  const FormDesign& design = DesignOf(window);
  RECT r{0, 0, TwipsToPixels(design.client_width, dpi), TwipsToPixels(design.client_height, dpi)};
  AdjustWindowRectForDpi(&r, FormStyle(design), 0, dpi);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT ControlRect(Win window, const ControlDesign& d, SIZE picture, UINT dpi) {
  int left = d.left, top = d.top;
  if (d.in_frame) {
    const ControlDesign& frame = FrameOf(window);
    left += frame.left;
    top += frame.top;
  }
  // Edges are converted rather than sizes, so that controls that meet in
  // twips still meet in pixels at every DPI.
  RECT r{TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), TwipsToPixels(left + d.width, dpi),
         TwipsToPixels(top + d.height, dpi)};
  if (d.kind == ControlKind::kPictureBox) {
    // The box sizes itself to its picture plus its border.
    RECT box{0, 0, picture.cx, picture.cy};
    AdjustWindowRectForDpi(&box, WS_CHILD, WS_EX_CLIENTEDGE, dpi);
    r.right = r.left + (box.right - box.left);
    r.bottom = r.top + (box.bottom - box.top);
  }
  return r;
}

void Win32Services::FitClientArea(Form& form) {
  // Where the frame that the system draws differs from the computed one
  // (e.g. while the window still has its old DPI), the size is corrected so
  // that the client area is the design's.
  if (IsIconic(form.hwnd)) return;
  const FormDesign& design = DesignOf(form.id);
  RECT client{}, outer{};
  GetClientRect(form.hwnd, &client);
  GetWindowRect(form.hwnd, &outer);
  const int dx = TwipsToPixels(design.client_width, form.dpi) - client.right;
  const int dy = TwipsToPixels(design.client_height, form.dpi) - client.bottom;
  if (dx == 0 && dy == 0) return;
  SetWindowPos(form.hwnd, nullptr, 0, 0, outer.right - outer.left + dx, outer.bottom - outer.top + dy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Services::ApplyFont(const Form& form, const ControlDesign& d, HWND hwnd) {
  if (d.kind == ControlKind::kPictureBox) return;
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(form.dpi, d.font)), FALSE);
}

void Win32Services::ApplyFonts(Form& form) {
  const FormDesign& design = DesignOf(form.id);
  for (std::size_t i = 0; i < design.control_count; ++i) {
    const ControlDesign& d = design.controls[i];
    if (HWND hwnd = controls_[Index(d.id)]) ApplyFont(form, d, hwnd);
  }
  SetToolTipWidth(form);
}

void Win32Services::Layout(Form& form) {
  const FormDesign& design = DesignOf(form.id);
  for (std::size_t i = 0; i < design.control_count; ++i) {
    const ControlDesign& d = design.controls[i];
    HWND hwnd = controls_[Index(d.id)];
    if (!hwnd) continue;
    const RECT r = ControlRect(form.id, d, form.picture_size, form.dpi);
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Win32Services::ApplyDpi(Form& form, UINT dpi, const RECT* suggested) {
  form.dpi = dpi;
  const SIZE size = WindowSizeFor(form.id, dpi);
  RECT now{};
  GetWindowRect(form.hwnd, &now);
  const RECT& place = suggested ? *suggested : now;
  // The suggested place, with the size that gives the design's client area
  // exactly (the same as the suggestion where WM_GETDPISCALEDSIZE was asked).
  SetWindowPos(form.hwnd, nullptr, place.left, place.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  FitClientArea(form);
  LoadIcons(form);
  LoadPicture(form);
  ApplyFonts(form);
  Layout(form);
  std::vector<UINT> in_use;
  for (const Form& f : forms_) {
    if (f.hwnd) in_use.push_back(f.dpi);
  }
  fonts_.ReleaseExcept(in_use);
  RedrawWindow(form.hwnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME);
}

}  // namespace tianti::win32
