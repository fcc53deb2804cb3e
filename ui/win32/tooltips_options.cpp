// Tool tips (one tool tip window per form, one tool per control) and the
// option group (one selected option, the tab stop on it).
#include "ui/win32/win32_services.h"

#include <commctrl.h>
#include <stdexcept>

#include "common/win32/wide.h"
#include "ui/win32/designs.h"
#include "ui/win32/dpi.h"
#include "ui/win32/internal.h"

namespace tianti::win32 {

using ui::Ctl;

std::u16string Win32Services::ToolTip(Ctl control) const { return tooltips_[Index(control)]; }

void Win32Services::SetToolTip(Ctl control, std::u16string_view text) {
  if (!controls_[Index(control)]) return;
  tooltips_[Index(control)] = std::u16string(text);
  UpdateToolTip(control);
}

void Win32Services::UpdateToolTip(Ctl control) {
  HWND hwnd = controls_[Index(control)];
  const Form& form = forms_[Index(ui::OwnerOf(control))];
  if (!hwnd || !form.tooltip) return;
  TOOLINFOW probe{};
  probe.cbSize = sizeof probe;
  probe.hwnd = form.hwnd;
  probe.uId = reinterpret_cast<UINT_PTR>(hwnd);
  const bool exists = SendMessageW(form.tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&probe)) != 0;

  std::wstring text = ToWide(tooltips_[Index(control)]);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = form.hwnd;
  tool.uId = reinterpret_cast<UINT_PTR>(hwnd);
  tool.hinst = instance_;
  if (text.empty()) {
    if (exists) SendMessageW(form.tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    return;
  }
  tool.lpszText = text.data();
  if (exists) {
    SendMessageW(form.tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  } else if (!SendMessageW(form.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
    throw std::runtime_error("TTM_ADDTOOL failed");
  }
}

void Win32Services::SetToolTipWidth(const Form& form) {
  if (form.tooltip) SendMessageW(form.tooltip, TTM_SETMAXTIPWIDTH, 0, ScalePixels(kToolTipWidth, form.dpi));
}

bool Win32Services::Value(Ctl option) const {
  HWND hwnd = controls_[Index(option)];
  return hwnd && DesignOf(option).kind == ControlKind::kOption && SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Services::Select(Ctl option) {
  HWND hwnd = controls_[Index(option)];
  if (!hwnd || DesignOf(option).kind != ControlKind::kOption) return;
  if (selected_option_ == static_cast<int>(option) && Value(option)) return;
  SetOptionChecks(option);
  RaiseClick(option);
}

void Win32Services::SetOptionChecks(Ctl selected) {
  selected_option_ = static_cast<int>(selected);
  const FormDesign& design = DesignOf(ui::OwnerOf(selected));
  for (std::size_t i = 0; i < design.control_count; ++i) {
    const ControlDesign& d = design.controls[i];
    HWND hwnd = controls_[Index(d.id)];
    if (d.kind != ControlKind::kOption || !hwnd) continue;
    const bool on = d.id == selected;
    SendMessageW(hwnd, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    // Tab reaches the group at its selected option.
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    SetWindowLongPtrW(hwnd, GWL_STYLE, on ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
  }
}

}  // namespace tianti::win32
