#include "ui/win32/win32_services.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <exception>
#include <stdexcept>
#include <system_error>

#include "ui/win32/designs.h"
#include "ui/win32/dpi.h"
#include "ui/win32/jpeg.h"
#include "ui/win32/resource_ids.h"

namespace tianti::win32 {

using ui::Ctl;
using ui::Win;

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 at the Win32 boundary");

namespace {

constexpr wchar_t kFormClass[] = L"TiantiForm";
constexpr wchar_t kPictureClass[] = L"TiantiPictureBox";
// Control identifiers: kControlIdBase + the control's index. They stay clear
// of IDOK and IDCANCEL, which the dialog manager sends for Enter and Esc.
constexpr int kControlIdBase = 1000;
// Subclass identifiers.
constexpr UINT_PTR kButtonSubclass = 1;
constexpr UINT_PTR kMultiLineEditSubclass = 2;
constexpr UINT_PTR kLinkLabelSubclass = 3;
// Widest tool tip line before it wraps, in pixels at 96 DPI.
constexpr int kToolTipWidth = 360;

std::wstring ToWide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }
std::u16string ToU16(std::wstring_view s) { return std::u16string(s.begin(), s.end()); }

// Text of an exception: UTF-8 where it is valid UTF-8, else the ANSI code page.
std::wstring Widen(const char* text) {
  if (!text || !*text) return L"";
  for (UINT cp : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
    const DWORD flags = cp == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int n = MultiByteToWideChar(cp, flags, text, -1, nullptr, 0);
    if (n > 0) {
      std::wstring out(static_cast<size_t>(n), L'\0');
      MultiByteToWideChar(cp, flags, text, -1, out.data(), n);
      out.resize(static_cast<size_t>(n) - 1);
      return out;
    }
  }
  return L"";
}

// A multi-line box gets its text as a new buffer (EM_SETHANDLE): one layout
// and one scroll-bar update, where WM_SETTEXT deletes, inserts and scrolls in
// steps that each update the scroll bar. Under Wine, whose themed scroll bar
// is slow to redraw, that makes a 30-row table appear about four times
// sooner. The box owns the buffer it holds and frees the last one itself;
// the one it gives up is freed here. Where the box does not take the buffer,
// WM_SETTEXT sets the text.
bool HandOverText(HWND edit, const std::wstring& text) {
  const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
  HLOCAL buffer = LocalAlloc(LMEM_MOVEABLE, bytes);
  if (!buffer) return false;
  if (void* p = LocalLock(buffer)) {
    std::memcpy(p, text.c_str(), bytes);
    LocalUnlock(buffer);
    const auto old = reinterpret_cast<HLOCAL>(SendMessageW(edit, EM_GETHANDLE, 0, 0));
    SendMessageW(edit, EM_SETHANDLE, reinterpret_cast<WPARAM>(buffer), 0);
    // A box that ignored the buffer still shows its old text; who owns the
    // buffer is then unknown, so it is left alone.
    if (static_cast<size_t>(GetWindowTextLengthW(edit)) != std::wcslen(text.c_str())) return false;
    if (old && old != buffer) LocalFree(old);
    // WM_SETTEXT would have told accessibility tools of the new value.
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, edit, OBJID_CLIENT, CHILDID_SELF);
    return true;
  }
  LocalFree(buffer);
  return false;
}

std::wstring WindowText(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  if (n <= 0) return L"";
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

// A caption as shown with hidden access keys: "&x" shows "x", "&&" shows "&".
std::wstring WithoutAccessMarks(const std::wstring& caption) {
  std::wstring shown;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
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
InkRows CaptionInk(HDC dc, const std::wstring& text, bool accel_underline) {
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  InkRows ink{tm.tmHeight, 0};
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  for (wchar_t c : text) {
    if (c == L' ' || c == L'&') continue;
    GLYPHMETRICS gm{};
    if (GetGlyphOutlineW(dc, c, GGO_METRICS, &gm, 0, nullptr, &identity) == GDI_ERROR) continue;
    const int top = tm.tmAscent - gm.gmptGlyphOrigin.y;
    ink.top = std::min(ink.top, top);
    ink.bottom = std::max(ink.bottom, top + static_cast<int>(gm.gmBlackBoxY));
  }
  if (accel_underline) ink.bottom = std::max(ink.bottom, static_cast<int>(tm.tmAscent) + 2);
  if (ink.top >= ink.bottom) ink = {0, tm.tmHeight};  // no glyph measured: the whole line
  return ink;
}

// Paints a link label as the static control would, except that where the
// font's line is taller than the label, the line is moved up (by no more than
// the empty rows above its glyphs) so that the underline stays inside: with
// 宋体 the line is one em high and fits; a replacement font's may not.
// Paints into `dc` (WM_PAINT's or WM_PRINTCLIENT's).
void PaintLinkLabel(HWND label, HDC dc) {
  RECT rc;
  GetClientRect(label, &rc);
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(label), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
  FillRect(dc, &rc, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
  const std::wstring text = WindowText(label);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  int underline_bottom = tm.tmAscent + 2;  // where a font tells nothing
  OUTLINETEXTMETRICW otm{};
  otm.otmSize = sizeof(otm);
  if (GetOutlineTextMetricsW(dc, sizeof(otm), &otm)) {
    underline_bottom = tm.tmAscent - otm.otmsUnderscorePosition + std::max(1, static_cast<int>(otm.otmsUnderscoreSize));
  }
  const int excess = underline_bottom - (rc.bottom - rc.top);
  RECT text_rc = rc;
  if (excess > 0) {
    const int room_above = std::max(0, CaptionInk(dc, text, false).top);
    text_rc.top -= std::min(excess, room_above);
  }
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.c_str(), -1, &text_rc, DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(dc, old_font);
}

[[noreturn]] void ThrowLastError(const char* what) {
  throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

DWORD FormStyle(const FormDesign& design) {
  return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | (design.minimize_box ? WS_MINIMIZEBOX : 0);
}

bool IsButton(const ControlDesign& d) {
  return d.kind == ControlKind::kButton || d.kind == ControlKind::kColourButton;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

Win32Services::Win32Services(Win32Options options)
    : options_(std::move(options)),
      instance_(options_.instance ? options_.instance : GetModuleHandleW(nullptr)),
      fonts_(options_.font_face) {
  WNDCLASSEXW wc{};
  if (!GetClassInfoExW(instance_, kFormClass, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FormProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kFormClass;
    wc.hIcon = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TIANTI), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TIANTI), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_SHARED));
    if (!RegisterClassExW(&wc)) ThrowLastError("RegisterClassEx");
  }
  if (!GetClassInfoExW(instance_, kPictureClass, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = PictureProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kPictureClass;
    if (!RegisterClassExW(&wc)) ThrowLastError("RegisterClassEx");
  }
  for (std::size_t i = 0; i < forms_.size(); ++i) {
    forms_[i].services = this;
    forms_[i].id = static_cast<Win>(i);
  }
  Load(forms_[Index(Win::Form1)]);
}

Win32Services::~Win32Services() {
  destroying_ = true;
  const std::vector<Win> loaded = loaded_;
  for (auto it = loaded.rbegin(); it != loaded.rend(); ++it) {
    if (HWND hwnd = forms_[Index(*it)].hwnd) DestroyWindow(hwnd);
  }
  for (auto& entry : brushes_) DeleteObject(entry.second);
}

// ---------------------------------------------------------------------------
// Loading and releasing windows

SIZE Win32Services::WindowSizeFor(const Form& form, UINT dpi) const {
  const FormDesign& design = DesignOf(form.id);
  RECT r{0, 0, TwipsToPixels(design.client_width, dpi), TwipsToPixels(design.client_height, dpi)};
  AdjustWindowRectForDpi(&r, FormStyle(design), 0, dpi);
  return SIZE{r.right - r.left, r.bottom - r.top};
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
  SIZE size = WindowSizeFor(form, form.dpi);
  POINT at = centre(size);
  HWND hwnd = CreateWindowExW(0, kFormClass, design.caption, FormStyle(design), at.x, at.y, size.cx, size.cy,
                              nullptr, nullptr, instance_, &form);
  if (!hwnd) ThrowLastError("CreateWindowEx");
  try {
    const UINT dpi = WindowDpi(hwnd);
    if (dpi != form.dpi) {
      form.dpi = dpi;
      size = WindowSizeFor(form, dpi);
      at = centre(size);
      SetWindowPos(hwnd, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    FitClientArea(form);
    LoadIcons(form);
    LoadPicture(form);
    CreateControls(form);
    form.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr,
                                   instance_, nullptr);
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
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    DWORD ex_style = 0;
    const wchar_t* cls = L"Static";
    // Every control starts a group of its own, except the option buttons,
    // which make one group together.
    if (!(d->kind == ControlKind::kOption && previous && previous->kind == ControlKind::kOption)) style |= WS_GROUP;
    switch (d->kind) {
      case ControlKind::kPictureBox:
        cls = kPictureClass;
        style |= WS_TABSTOP;
        ex_style |= WS_EX_CLIENTEDGE;
        break;
      case ControlKind::kLabel:
        // SS_NOTIFY: clicks and the tool tips' mouse messages reach the label.
        style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
        break;
      case ControlKind::kFrame:
        cls = L"Button";
        style |= BS_GROUPBOX;
        break;
      case ControlKind::kTextBox:
        cls = L"Edit";
        style |= WS_TABSTOP | ES_LEFT;
        ex_style |= WS_EX_CLIENTEDGE;
        if (d->flags & kMultiLine) {
          style |= ES_MULTILINE | ES_AUTOVSCROLL;
          if (d->flags & kVerticalScrollBar) style |= WS_VSCROLL;
          if (d->flags & kHorizontalScrollBar) style |= WS_HSCROLL | ES_AUTOHSCROLL;
        } else {
          style |= ES_AUTOHSCROLL;
        }
        if (d->flags & kReadOnly) style |= ES_READONLY;
        break;
      case ControlKind::kButton:
        cls = L"Button";
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
      case ControlKind::kColourButton:
        cls = L"Button";
        style |= WS_TABSTOP | BS_OWNERDRAW;
        break;
      case ControlKind::kOption:
        // The selection is also kept here, so that a click raises the event
        // only when it changes the selection. Before the first selection
        // every option is a tab stop; afterwards only the selected one.
        cls = L"Button";
        style |= WS_TABSTOP | BS_AUTORADIOBUTTON;
        break;
    }
    // Created in place and with its font: every move or font change of a
    // child costs the window system work, and start-up would pay it twice.
    const int index = static_cast<int>(d->id);
    const RECT r = ControlRect(form, *d);
    HWND hwnd = CreateWindowExW(ex_style, cls, d->caption, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                form.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlIdBase + index)),
                                instance_, &form);
    if (!hwnd) ThrowLastError("CreateWindowEx");
    ApplyFont(form, *d, hwnd);
    controls_[Index(d->id)] = hwnd;
    if (d->kind == ControlKind::kTextBox) SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
    if (d->kind == ControlKind::kColourButton) SetWindowSubclass(hwnd, ControlSubclassProc, kButtonSubclass, reinterpret_cast<DWORD_PTR>(this));
    if (d->kind == ControlKind::kTextBox && (d->flags & kMultiLine)) {
      SetWindowSubclass(hwnd, ControlSubclassProc, kMultiLineEditSubclass, reinterpret_cast<DWORD_PTR>(this));
    }
    if (d->kind == ControlKind::kLabel && (d->flags & kLink)) {
      SetWindowSubclass(hwnd, ControlSubclassProc, kLinkLabelSubclass, reinterpret_cast<DWORD_PTR>(this));
    }
    if (d->kind == ControlKind::kFrame) frame = hwnd;
    if (!form.focus && (style & WS_TABSTOP)) form.focus = hwnd;
    previous = d;
  }
  // The frame lies under the controls it seems to hold, so that it never
  // paints over them; it takes no focus, so the tab order stays as created.
  if (frame) SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
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

void Win32Services::SetToolTipWidth(const Form& form) {
  if (form.tooltip) SendMessageW(form.tooltip, TTM_SETMAXTIPWIDTH, 0, ScalePixels(kToolTipWidth, form.dpi));
}

RECT Win32Services::ControlRect(const Form& form, const ControlDesign& d) const {
  const UINT dpi = form.dpi;
  int left = d.left, top = d.top;
  if (d.in_frame) {
    const ControlDesign& frame = FrameOf(form.id);
    left += frame.left;
    top += frame.top;
  }
  // Edges are converted rather than sizes, so that controls that meet in
  // twips still meet in pixels at every DPI.
  RECT r{TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), TwipsToPixels(left + d.width, dpi),
         TwipsToPixels(top + d.height, dpi)};
  if (d.kind == ControlKind::kPictureBox) {
    // The box sizes itself to its picture plus its border.
    RECT box{0, 0, form.picture_size.cx, form.picture_size.cy};
    AdjustWindowRectForDpi(&box, WS_CHILD, WS_EX_CLIENTEDGE, dpi);
    r.right = r.left + (box.right - box.left);
    r.bottom = r.top + (box.bottom - box.top);
  }
  return r;
}

void Win32Services::Layout(Form& form) {
  const FormDesign& design = DesignOf(form.id);
  for (std::size_t i = 0; i < design.control_count; ++i) {
    const ControlDesign& d = design.controls[i];
    HWND hwnd = controls_[Index(d.id)];
    if (!hwnd) continue;
    const RECT r = ControlRect(form, d);
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Win32Services::ApplyDpi(Form& form, UINT dpi, const RECT* suggested) {
  form.dpi = dpi;
  const SIZE size = WindowSizeFor(form, dpi);
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

// ---------------------------------------------------------------------------
// ui::Services

std::u16string Win32Services::Text(Ctl control) const {
  HWND hwnd = controls_[Index(control)];
  if (!hwnd) return ToU16(DesignOf(control).caption);
  if (const auto& pending = pending_text_[Index(control)]) return ToU16(*pending);
  return ToU16(WindowText(hwnd));
}

void Win32Services::SetText(Ctl control, std::u16string_view text) {
  HWND hwnd = controls_[Index(control)];
  if (!hwnd) return;
  if (click_depth_ > 0) {
    pending_text_[Index(control)] = ToWide(text);
    return;
  }
  PutText(control, hwnd, ToWide(text));
}

void Win32Services::PutText(Ctl control, HWND hwnd, const std::wstring& text) {
  const ControlDesign& d = DesignOf(control);
  // Emptying goes through WM_SETTEXT: it is cheap, and under Wine an empty
  // buffer handed over left heap memory behind (about 4 KB a time in the
  // leak test).
  if (!text.empty() && d.kind == ControlKind::kTextBox && (d.flags & kMultiLine) && HandOverText(hwnd, text)) return;
  if (!SetWindowTextW(hwnd, text.c_str())) ThrowLastError("SetWindowText");
}

void Win32Services::FlushTexts() {
  for (std::size_t i = 0; i < pending_text_.size(); ++i) {
    if (!pending_text_[i]) continue;
    const std::wstring text = std::move(*pending_text_[i]);
    pending_text_[i].reset();
    if (controls_[i]) PutText(static_cast<Ctl>(i), controls_[i], text);
  }
}

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

bool Win32Services::Value(Ctl option) const {
  HWND hwnd = controls_[Index(option)];
  return hwnd && DesignOf(option).kind == ControlKind::kOption &&
         SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
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

std::u16string Win32Services::Caption(Win window) const {
  const Form& form = forms_[Index(window)];
  if (!form.hwnd) return ToU16(DesignOf(window).caption);
  return ToU16(WindowText(form.hwnd));
}

void Win32Services::SetCaption(Win window, std::u16string_view text) {
  const Form& form = forms_[Index(window)];
  if (!form.hwnd) return;
  if (!SetWindowTextW(form.hwnd, ToWide(text).c_str())) ThrowLastError("SetWindowText");
}

void Win32Services::SetPointer(Win window, ui::Pointer pointer) {
  Form& form = forms_[Index(window)];
  if (!form.hwnd) return;
  form.pointer = pointer;
  // A query runs without taking messages, so the pointer is changed here at
  // once when it is over the window, not only at the next mouse move.
  POINT at{};
  if (!GetCursorPos(&at)) return;
  HWND under = WindowFromPoint(at);
  if (!under || GetAncestor(under, GA_ROOT) != form.hwnd) return;
  const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
  SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

void Win32Services::Show(Win window) {
  Form& form = forms_[Index(window)];
  if (!form.hwnd) Load(form);
  ShowWindow(form.hwnd, IsIconic(form.hwnd) ? SW_RESTORE : SW_SHOW);
  SetWindowPos(form.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(form.hwnd);
}

bool Win32Services::IsLoaded(Win window) const { return forms_[Index(window)].hwnd != nullptr; }

std::vector<Win> Win32Services::LoadedWindows() const { return loaded_; }

void Win32Services::Unload(Win window) {
  Form& form = forms_[Index(window)];
  if (!form.hwnd || form.unloading) return;
  form.unloading = true;
  std::int16_t cancel = 0;
  try {
    if (sink_ && !ended_) sink_->Unload(window, cancel);
  } catch (...) {
    form.unloading = false;
    throw;
  }
  if (cancel != 0 || !form.hwnd) {
    form.unloading = false;
    return;
  }
  // Still "unloading" while the window goes: a close that arrives meanwhile
  // does nothing. Release() clears the state.
  DestroyWindow(form.hwnd);
}

void Win32Services::End() {
  ended_ = true;
  if (options_.end) options_.end();
  ExitProcess(0);
}

void Win32Services::MsgBox(std::u16string_view text, unsigned style, std::u16string_view title) {
  ShowMessageBox(ToWide(text), style, ToWide(title));
}

void Win32Services::ShowMessageBox(const std::wstring& text, UINT style, const std::wstring& title) {
  // Owned by the main window; the other windows, which have no owner, are
  // disabled meanwhile, so the box is modal to the whole program. The
  // windows show what the handler has written so far.
  FlushTexts();
  HWND owner = forms_[Index(Win::Form1)].hwnd;
  std::vector<HWND> disabled;
  for (Win w : loaded_) {
    HWND hwnd = forms_[Index(w)].hwnd;
    if (hwnd && hwnd != owner && IsWindowEnabled(hwnd)) {
      EnableWindow(hwnd, FALSE);
      disabled.push_back(hwnd);
    }
  }
  const int result = MessageBoxW(owner, text.c_str(), title.c_str(), style);
  const DWORD error = GetLastError();
  for (HWND hwnd : disabled) {
    if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
  }
  if (result == 0) throw std::system_error(static_cast<int>(error), std::system_category(), "MessageBox");
}

// ---------------------------------------------------------------------------
// Events

void Win32Services::RaiseClick(Ctl control) {
  if (!sink_ || ended_) return;
  ++click_depth_;
  try {
    sink_->Click(control);
  } catch (...) {
    if (--click_depth_ == 0) FlushTexts();
    throw;
  }
  if (--click_depth_ == 0) FlushTexts();
}

void Win32Services::ReportFailure(const std::wstring& what) noexcept {
  if (reporting_) return;  // a failure while one is shown: the first one stands
  reporting_ = true;
  try {
    const std::wstring text = L"程序错误：" + what;
    if (options_.report_failure) {
      options_.report_failure(text);
    } else {
      ShowMessageBox(text, MB_OK | MB_ICONERROR, L"系统提示");
    }
  } catch (...) {
  }
  reporting_ = false;
}

void Win32Services::OnEndedInHandler() noexcept {
  ended_ = true;
  PostQuitMessage(0);
}

Win32Services::Form* Win32Services::FormOfWindow(HWND hwnd) {
  if (!hwnd) return nullptr;
  for (Form& form : forms_) {
    if (form.hwnd == hwnd) return &form;
  }
  return nullptr;
}

int Win32Services::ControlIndexOf(HWND control) const {
  if (!control) return -1;
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i] == control) return static_cast<int>(i);
  }
  return -1;
}

HBRUSH Win32Services::Brush(COLORREF colour) {
  auto it = brushes_.find(colour);
  if (it != brushes_.end()) return it->second;
  HBRUSH brush = CreateSolidBrush(colour);
  brushes_.emplace(colour, brush);
  return brush;
}

bool Win32Services::PreTranslate(MSG* msg) {
  if (!msg->hwnd) return false;
  HWND root = GetAncestor(msg->hwnd, GA_ROOT);
  if (!FormOfWindow(root)) return false;
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
    // Enter presses the focused button; no button is a default button.
    HWND focus = GetFocus();
    const int index = ControlIndexOf(focus);
    if (index >= 0 && IsButton(DesignOf(static_cast<Ctl>(index))) && IsWindowEnabled(focus)) {
      SendMessageW(focus, BM_CLICK, 0, 0);
      return true;
    }
  }
  return IsDialogMessageW(root, msg) != FALSE;
}

int Win32Services::RunMessageLoop() {
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return 1;
    if (!PreTranslate(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

// ---------------------------------------------------------------------------
// Window procedures

LRESULT CALLBACK Win32Services::FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Form* form = nullptr;
  if (msg == WM_NCCREATE) {
    form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    form->hwnd = hwnd;
  } else {
    form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!form || form->hwnd != hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
  Win32Services* services = form->services;
  try {
    return services->HandleFormMessage(*form, msg, wp, lp);
  } catch (const ui::ProgramEnded&) {
    services->OnEndedInHandler();
  } catch (const std::exception& e) {
    services->ReportFailure(Widen(e.what()));
  } catch (...) {
    services->ReportFailure(L"未知错误");
  }
  return 0;
}

LRESULT Win32Services::HandleFormMessage(Form& form, UINT msg, WPARAM wp, LPARAM lp) {
  HWND hwnd = form.hwnd;
  switch (msg) {
    case WM_COMMAND:
      if (lp) HandleCommand(form, LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return HandleColour(form, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), msg);
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item && item->CtlType == ODT_BUTTON && ControlIndexOf(item->hwndItem) >= 0) {
        DrawColourButton(*item);
        return TRUE;
      }
      break;
    }
    case WM_SETCURSOR:
      if (form.pointer == ui::Pointer::Hourglass) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) form.focus = focus;
      }
      break;
    case WM_SETFOCUS: {
      // The focus goes back to the control that had it, at first to the
      // first control of the tab order.
      HWND target = form.focus;
      if (!target || !IsWindow(target) || !IsChild(hwnd, target)) target = GetNextDlgTabItem(hwnd, nullptr, FALSE);
      if (target) SetFocus(target);
      return 0;
    }
    case WM_NEXTDLGCTL: {
      // Sent by controls that move the focus as in a dialog box.
      HWND next = lp ? reinterpret_cast<HWND>(wp) : GetNextDlgTabItem(hwnd, GetFocus(), wp != 0);
      if (next && IsChild(hwnd, next)) SetFocus(next);
      return 0;
    }
    case WM_CLOSE:
      Unload(form.id);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wp && form.id == Win::Form1) Unload(Win::Form1);
      return 0;
    case WM_GETMINMAXINFO: {
      // The client area keeps its design size also where the screen is
      // smaller than the window.
      DefWindowProcW(hwnd, msg, wp, lp);
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      const SIZE size = WindowSizeFor(form, form.dpi);
      info->ptMaxTrackSize.x = std::max(info->ptMaxTrackSize.x, size.cx + 64);
      info->ptMaxTrackSize.y = std::max(info->ptMaxTrackSize.y, size.cy + 64);
      return 0;
    }
    case WM_GETDPISCALEDSIZE: {
      auto* size = reinterpret_cast<SIZE*>(lp);
      *size = WindowSizeFor(form, static_cast<UINT>(wp));
      return TRUE;
    }
    case WM_DPICHANGED:
      ApplyDpi(form, HIWORD(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_SYSCOLORCHANGE:
      RedrawWindow(hwnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
      break;
    case WM_NCDESTROY: {
      const LRESULT result = DefWindowProcW(hwnd, msg, wp, lp);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      Release(form);
      return result;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void Win32Services::HandleCommand(Form& /*form*/, int id, int code, HWND control) {
  const int index = id - kControlIdBase;
  if (index < 0 || index >= ui::kCtlCount || controls_[static_cast<std::size_t>(index)] != control) return;
  const Ctl ctl = static_cast<Ctl>(index);
  switch (DesignOf(ctl).kind) {
    case ControlKind::kButton:
    case ControlKind::kColourButton:
      if (code == BN_CLICKED) RaiseClick(ctl);
      break;
    case ControlKind::kOption:
      // Also sent for a click on the option that was selected already: only
      // a change of the selection raises the event. The button has checked
      // itself already.
      if (code == BN_CLICKED && selected_option_ != index) {
        SetOptionChecks(ctl);
        RaiseClick(ctl);
      }
      break;
    case ControlKind::kLabel:
      // The second click of a double click comes as STN_DBLCLK.
      if (code == STN_CLICKED || code == STN_DBLCLK) RaiseClick(ctl);
      break;
    default:
      break;
  }
}

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

void Win32Services::DrawColourButton(const DRAWITEMSTRUCT& item) {
  const int index = ControlIndexOf(item.hwndItem);
  if (index < 0) return;
  const ControlDesign& d = DesignOf(static_cast<Ctl>(index));
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const COLORREF face = d.back.Resolve();
  // Access-key underlines and the focus rectangle follow the keyboard cues
  // (also asked of the button: not every system puts them into itemState).
  const LRESULT ui_state = SendMessageW(item.hwndItem, WM_QUERYUISTATE, 0, 0);
  const bool hide_accel = (item.itemState & ODS_NOACCEL) || (ui_state & UISF_HIDEACCEL);
  const bool hide_focus = (item.itemState & ODS_NOFOCUSRECT) || (ui_state & UISF_HIDEFOCUS);
  // Text in the colour that the system pairs with the face.
  const bool highlight_face = d.back.kind == Colour::kSystem && d.back.system_index == COLOR_HIGHLIGHT;
  const COLORREF text_colour =
      disabled ? GetSysColor(COLOR_GRAYTEXT) : GetSysColor(highlight_face ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);

  // The focused button wears the dark outline of a default button.
  if (focused || pressed) {
    FrameRect(dc, &rc, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&rc, -1, -1);
  }
  FillRect(dc, &rc, Brush(face));
  if (pressed) {
    FrameRect(dc, &rc, GetSysColorBrush(COLOR_BTNSHADOW));
  } else {
    DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
  }

  // With the access keys hidden the caption is drawn without its "&" marks
  // (DT_HIDEPREFIX alone is not honoured everywhere).
  const std::wstring caption = hide_accel ? WithoutAccessMarks(WindowText(item.hwndItem)) : WindowText(item.hwndItem);
  HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text_colour);
  const UINT format = DT_CENTER | DT_WORDBREAK | (hide_accel ? DT_NOPREFIX : 0);
  // The face inside the raised edge.
  RECT face_rc = rc;
  InflateRect(&face_rc, -2, -2);
  RECT text = rc;
  InflateRect(&text, -2, 0);
  RECT measure = text;
  DrawTextW(dc, caption.c_str(), -1, &measure, format | DT_CALCRECT);
  const int height = measure.bottom - measure.top;
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  // A caption of one line is centred by its glyphs, so that a font whose
  // line is taller than the face still shows them whole; a longer one by its
  // lines.
  InkRows ink{0, height};
  if (height <= tm.tmHeight) ink = CaptionInk(dc, caption, !hide_accel);
  const int face_height = face_rc.bottom - face_rc.top;
  const int ink_height = ink.bottom - ink.top;
  // Floor division: an odd pixel left over goes below the glyphs.
  const int spare = face_height - ink_height;
  text.top = face_rc.top + (spare >= 0 ? spare / 2 : -((1 - spare) / 2)) - ink.top;
  text.bottom = text.top + height;
  if (pressed) OffsetRect(&text, 1, 1);
  DrawTextW(dc, caption.c_str(), -1, &text, format | DT_NOCLIP);
  SelectObject(dc, old_font);

  if (focused && !hide_focus) {
    // Where the standard push button draws it under the same system: two
    // pixels inside the outline. Where the glyphs reach further, the
    // rectangle goes round them, out to the outline at most, rather than
    // through them.
    RECT focus_rect = rc;
    InflateRect(&focus_rect, -2, -2);
    focus_rect.top = std::max(rc.top, std::min(focus_rect.top, text.top + ink.top - 1));
    focus_rect.bottom = std::min(rc.bottom, std::max(focus_rect.bottom, text.top + ink.bottom + 1));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawFocusRect(dc, &focus_rect);
  }
}

LRESULT CALLBACK Win32Services::PictureProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Form* form = nullptr;
  if (msg == WM_NCCREATE) {
    form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  } else {
    form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!form) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    switch (msg) {
      case WM_ERASEBKGND:
        return 1;  // WM_PAINT fills everything
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        if (form->picture_bitmap) {
          HDC memory = CreateCompatibleDC(dc);
          HGDIOBJ old = SelectObject(memory, form->picture_bitmap);
          BitBlt(dc, 0, 0, form->picture_size.cx, form->picture_size.cy, memory, 0, 0, SRCCOPY);
          SelectObject(memory, old);
          DeleteDC(memory);
        } else if (form->picture_icon) {
          DrawIconEx(dc, 0, 0, form->picture_icon, form->picture_size.cx, form->picture_size.cy, 0, nullptr,
                     DI_NORMAL);
        }
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        return 0;
      case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
      default:
        break;
    }
  } catch (const std::exception& e) {
    form->services->ReportFailure(Widen(e.what()));
    return 0;
  } catch (...) {
    form->services->ReportFailure(L"未知错误");
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Win32Services::ControlSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                                    DWORD_PTR data) {
  try {
    switch (msg) {
      case WM_LBUTTONDBLCLK:
        // An owner-drawn button would report the second click of a double
        // click as BN_DOUBLECLICKED; like the other buttons it is a click.
        if (id == kButtonSubclass) return DefSubclassProc(hwnd, WM_LBUTTONDOWN, wp, lp);
        break;
      case WM_GETDLGCODE:
        // A multi-line box would take Tab, Enter and Esc (Esc would even close
        // the window); here they navigate as in every other control.
        if (id == kMultiLineEditSubclass) {
          return DefSubclassProc(hwnd, msg, wp, lp) & ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
        }
        break;
      case WM_PAINT:
        if (id == kLinkLabelSubclass) {
          PAINTSTRUCT ps;
          HDC dc = BeginPaint(hwnd, &ps);
          PaintLinkLabel(hwnd, dc);
          EndPaint(hwnd, &ps);
          return 0;
        }
        break;
      case WM_PRINTCLIENT:
        if (id == kLinkLabelSubclass) {
          PaintLinkLabel(hwnd, reinterpret_cast<HDC>(wp));
          return 0;
        }
        break;
      case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, ControlSubclassProc, id);
        break;
      default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
  } catch (const std::exception& e) {
    reinterpret_cast<Win32Services*>(data)->ReportFailure(Widen(e.what()));
  } catch (...) {
    reinterpret_cast<Win32Services*>(data)->ReportFailure(L"未知错误");
  }
  return 0;
}

}  // namespace tianti::win32
