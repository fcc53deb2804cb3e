// Win32Services: the window classes, the windows' own operations (caption,
// pointer, show, unload, end), message boxes, raising clicks and reporting
// the failures that escape an event handler.
#include "ui/win32/win32_services.h"

#include <algorithm>
#include <exception>
#include <system_error>

#include "common/message_title.h"
#include "common/win32/wide.h"
#include "ui/win32/designs.h"
#include "ui/win32/internal.h"
#include "ui/win32/resource_ids.h"

namespace tianti::win32 {

using ui::Ctl;
using ui::Win;

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

std::u16string Win32Services::Caption(Win window) const {
  const Form& form = forms_[Index(window)];
  if (!form.hwnd) return FromWide(DesignOf(window).caption);
  return FromWide(WindowText(form.hwnd));
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
    const std::wstring text = FailureReport(what);
    if (options_.report_failure) {
      options_.report_failure(text);
    } else {
      ShowMessageBox(text, MB_OK | MB_ICONERROR, ToWide(kMessageTitle));
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

}  // namespace tianti::win32
