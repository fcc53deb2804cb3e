// Loading a window from its design: the window centred on the screen, its
// icons and picture, its controls created in tab order with their fonts;
// and releasing all of it when the window is gone.
#include "ui/win32/win32_services.h"

#include <commctrl.h>
#include <algorithm>

#include "ui/win32/designs.h"
#include "ui/win32/dpi.h"
#include "ui/win32/internal.h"
#include "ui/win32/jpeg.h"
#include "ui/win32/layout.h"
#include "ui/win32/resource_ids.h"

namespace tianti::win32 {

using ui::Win;

namespace {

// The window class and styles of a control of the given design. Every
// control starts a group of its own, except the option buttons after the
// first, which make one group together.
struct ControlWindow {
  const wchar_t* cls = L"Static";
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  DWORD ex_style = 0;
};

ControlWindow ControlWindowOf(const ControlDesign& d, bool starts_group) {
  ControlWindow w;
  if (starts_group) w.style |= WS_GROUP;
  switch (d.kind) {
    case ControlKind::kPictureBox:
      w.cls = kPictureClass;
      w.style |= WS_TABSTOP;
      w.ex_style |= WS_EX_CLIENTEDGE;
      break;
    case ControlKind::kLabel:
      // SS_NOTIFY: clicks and the tool tips' mouse messages reach the label.
      w.style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
      break;
    case ControlKind::kFrame:
      w.cls = L"Button";
      w.style |= BS_GROUPBOX;
      break;
    case ControlKind::kTextBox:
      w.cls = L"Edit";
      w.style |= WS_TABSTOP | ES_LEFT;
      w.ex_style |= WS_EX_CLIENTEDGE;
      if (d.flags & kMultiLine) {
        w.style |= ES_MULTILINE | ES_AUTOVSCROLL;
        if (d.flags & kVerticalScrollBar) w.style |= WS_VSCROLL;
        if (d.flags & kHorizontalScrollBar) w.style |= WS_HSCROLL | ES_AUTOHSCROLL;
      } else {
        w.style |= ES_AUTOHSCROLL;
      }
      if (d.flags & kReadOnly) w.style |= ES_READONLY;
      break;
    case ControlKind::kButton:
      w.cls = L"Button";
      w.style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
    case ControlKind::kColourButton:
      w.cls = L"Button";
      w.style |= WS_TABSTOP | BS_OWNERDRAW;
      break;
    case ControlKind::kOption:
      // The selection is also kept here, so that a click raises the event
      // only when it changes the selection. Before the first selection
      // every option is a tab stop; afterwards only the selected one.
      w.cls = L"Button";
      w.style |= WS_TABSTOP | BS_AUTORADIOBUTTON;
      break;
  }
  return w;
}

}  // namespace

void Win32Services::Load(Form& form) {
  const FormDesign& design = DesignOf(form.id);
  const Win id = form.id;
  form = Form{};
  form.services = this;
  form.id = id;

  // Centred on the primary monitor's work area, with the title bar kept on
  // the screen where the window is larger than the screen.
  HMONITOR monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(monitor, &info);
  const RECT work = info.rcWork;
  auto centre = [&work](SIZE size) {
    POINT p{work.left + (work.right - work.left - size.cx) / 2, work.top + (work.bottom - work.top - size.cy) / 2};
    p.x = std::max(p.x, work.left);
    p.y = std::max(p.y, work.top);
    return p;
  };

  form.dpi = MonitorDpi(monitor);
  SIZE size = WindowSizeFor(form.id, form.dpi);
  POINT at = centre(size);
  HWND hwnd = CreateWindowExW(0, kFormClass, design.caption, FormStyle(design), at.x, at.y, size.cx, size.cy, nullptr,
                              nullptr, instance_, &form);
  if (!hwnd) ThrowLastError("CreateWindowEx");
  try {
    const UINT dpi = WindowDpi(hwnd);
    if (dpi != form.dpi) {
      form.dpi = dpi;
      size = WindowSizeFor(form.id, dpi);
      at = centre(size);
      SetWindowPos(hwnd, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    FitClientArea(form);
    LoadIcons(form);
    LoadPicture(form);
    CreateControls(form);
    form.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr, instance_,
                                   nullptr);
    SetToolTipWidth(form);
    // The accelerator underlines and focus rectangles follow the user's
    // setting and the last input, as in dialog boxes.
    SendMessageW(hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
  } catch (...) {
    DestroyWindow(hwnd);
    throw;
  }
  form.loaded = true;
  loaded_.push_back(form.id);
}

void Win32Services::LoadIcons(Form& form) {
  HICON big = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TIANTI), IMAGE_ICON,
                                            SystemMetricForDpi(SM_CXICON, form.dpi),
                                            SystemMetricForDpi(SM_CYICON, form.dpi), 0));
  HICON small = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TIANTI), IMAGE_ICON,
                                              SystemMetricForDpi(SM_CXSMICON, form.dpi),
                                              SystemMetricForDpi(SM_CYSMICON, form.dpi), 0));
  SendMessageW(form.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageW(form.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  if (form.icon_big) DestroyIcon(form.icon_big);
  if (form.icon_small) DestroyIcon(form.icon_small);
  form.icon_big = big;
  form.icon_small = small;
}

void Win32Services::LoadPicture(Form& form) {
  const FormDesign& design = DesignOf(form.id);
  ReleasePictures(form);
  if (design.picture_resource == 0) {
    // The program icon at its natural size of 48 x 48 pixels (at 96 DPI).
    const int side = ScalePixels(48, form.dpi);
    form.picture_icon = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TIANTI), IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
    form.picture_size = SIZE{side, side};
    return;
  }
  const SIZE natural = PictureResourceSize(instance_, design.picture_resource);
  Picture picture = LoadPictureResource(instance_, design.picture_resource, ScalePixels(natural.cx, form.dpi),
                                        ScalePixels(natural.cy, form.dpi));
  form.picture_bitmap = picture.bitmap;
  form.picture_size = SIZE{picture.width, picture.height};
}

void Win32Services::ReleasePictures(Form& form) {
  if (form.picture_bitmap) DeleteObject(form.picture_bitmap);
  if (form.picture_icon) DestroyIcon(form.picture_icon);
  form.picture_bitmap = nullptr;
  form.picture_icon = nullptr;
}

void Win32Services::CreateControls(Form& form) {
  const FormDesign& design = DesignOf(form.id);
  // Created in tab order: the dialog manager walks the children in creation
  // order.
  std::vector<const ControlDesign*> order;
  for (std::size_t i = 0; i < design.control_count; ++i) order.push_back(&design.controls[i]);
  std::stable_sort(order.begin(), order.end(),
                   [](const ControlDesign* a, const ControlDesign* b) { return a->tab < b->tab; });

  const ControlDesign* previous = nullptr;
  HWND frame = nullptr;
  for (const ControlDesign* d : order) {
    const bool starts_group = !(d->kind == ControlKind::kOption && previous && previous->kind == ControlKind::kOption);
    const auto [cls, style, ex_style] = ControlWindowOf(*d, starts_group);
    // Created in place and with its font: every move or font change of a
    // child costs the window system work, and start-up would pay it twice.
    const int index = static_cast<int>(d->id);
    const RECT r = ControlRect(form.id, *d, form.picture_size, form.dpi);
    HWND hwnd = CreateWindowExW(ex_style, cls, d->caption, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                form.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlIdBase + index)),
                                instance_, &form);
    if (!hwnd) ThrowLastError("CreateWindowEx");
    ApplyFont(form, *d, hwnd);
    controls_[Index(d->id)] = hwnd;
    if (d->kind == ControlKind::kTextBox) SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
    if (d->kind == ControlKind::kColourButton)
      SetWindowSubclass(hwnd, ControlSubclassProc, kButtonSubclass, reinterpret_cast<DWORD_PTR>(this));
    if (d->kind == ControlKind::kTextBox && (d->flags & kMultiLine)) {
      SetWindowSubclass(hwnd, ControlSubclassProc, kMultiLineEditSubclass, reinterpret_cast<DWORD_PTR>(this));
    }
    if (d->kind == ControlKind::kLabel && (d->flags & kLink)) {
      SetWindowSubclass(hwnd, ControlSubclassProc, kLinkLabelSubclass, reinterpret_cast<DWORD_PTR>(this));
    }
    if (form.id == Win::Form1) EnableAccessibility(hwnd);
    if (d->kind == ControlKind::kFrame) frame = hwnd;
    if (!form.focus && (style & WS_TABSTOP)) form.focus = hwnd;
    previous = d;
  }
  // The frame lies under the controls it seems to hold, so that it never
  // paints over them; it takes no focus, so the tab order stays as created.
  if (frame) SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Services::Release(Form& form) {
  const FormDesign& design = DesignOf(form.id);
  for (std::size_t i = 0; i < design.control_count; ++i) {
    controls_[Index(design.controls[i].id)] = nullptr;
    tooltips_[Index(design.controls[i].id)].clear();
    pending_text_[Index(design.controls[i].id)].reset();
  }
  ReleasePictures(form);
  if (form.icon_big) DestroyIcon(form.icon_big);
  if (form.icon_small) DestroyIcon(form.icon_small);
  if (form.id == Win::Form1) selected_option_ = -1;
  const bool was_loaded = form.loaded;
  const Win id = form.id;
  form = Form{};
  form.services = this;
  form.id = id;
  loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), id), loaded_.end());
  // The program's message loop ends with its last window.
  if (was_loaded && loaded_.empty() && !destroying_) PostQuitMessage(0);
}

}  // namespace tianti::win32
