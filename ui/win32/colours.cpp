// Control colours: the term boxes' backgrounds, the link labels' text in
// the highlight colour, and the brushes they are painted with.
#include "ui/win32/win32_services.h"

#include "ui/win32/designs.h"
#include "ui/win32/internal.h"

namespace tianti::win32 {

using ui::Ctl;

LRESULT Win32Services::HandleColour(Form& form, HDC dc, HWND control, UINT msg) {
  const int index = ControlIndexOf(control);
  if (index < 0) return DefWindowProcW(form.hwnd, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  const ControlDesign& d = DesignOf(static_cast<Ctl>(index));
  switch (d.kind) {
    case ControlKind::kTextBox: {
      // Read-only boxes ask with WM_CTLCOLORSTATIC; they keep the colours of
      // a text box.
      const COLORREF back = d.back.IsDefault() ? GetSysColor(COLOR_WINDOW) : d.back.Resolve();
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, back);
      return reinterpret_cast<LRESULT>(d.back.IsDefault() ? GetSysColorBrush(COLOR_WINDOW) : Brush(back));
    }
    case ControlKind::kLabel:
    case ControlKind::kOption:
    case ControlKind::kFrame:
      SetTextColor(dc, GetSysColor((d.flags & kLink) ? COLOR_HIGHLIGHT : COLOR_BTNTEXT));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    default:
      return DefWindowProcW(form.hwnd, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  }
}

HBRUSH Win32Services::Brush(COLORREF colour) {
  auto it = brushes_.find(colour);
  if (it != brushes_.end()) return it->second;
  HBRUSH brush = CreateSolidBrush(colour);
  brushes_.emplace(colour, brush);
  return brush;
}

}  // namespace tianti::win32
