// The texts of the controls: read back, set at once or held while a click
// event runs and handed over when it has run; multi-line boxes take theirs
// as a new buffer.
#include "ui/win32/win32_services.h"

#include <cstring>
#include <exception>

#include "common/win32/wide.h"
#include "ui/win32/designs.h"
#include "ui/win32/internal.h"

namespace tianti::win32 {

using ui::Ctl;

namespace {

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
    // What the box holds now decides. A box that still holds the old buffer
    // it had ignored the new one, which is then ours to free. Otherwise the
    // owners are unknown (a box that reports no buffer, before or after, may
    // well be holding the new one), and both buffers are left alone.
    const auto held = reinterpret_cast<HLOCAL>(SendMessageW(edit, EM_GETHANDLE, 0, 0));
    if (held != buffer) {
      if (old && held == old) LocalFree(buffer);
      return false;
    }
    if (old && old != buffer) LocalFree(old);
    // WM_SETTEXT would have told accessibility tools of the new value.
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, edit, OBJID_CLIENT, CHILDID_SELF);
    return true;
  }
  LocalFree(buffer);
  return false;
}

}  // namespace

std::u16string Win32Services::Text(Ctl control) const {
  HWND hwnd = controls_[Index(control)];
  if (!hwnd) return FromWide(DesignOf(control).caption);
  if (const auto& pending = pending_text_[Index(control)]) return FromWide(*pending);
  return FromWide(WindowText(hwnd));
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

// Every held text goes to its control even when one of them fails, so that
// no text stays held for a box that does not show it: afterwards each box
// reads back what it shows. The first failure is passed on.
void Win32Services::FlushTexts() {
  std::exception_ptr failure;
  for (std::size_t i = 0; i < pending_text_.size(); ++i) {
    if (!pending_text_[i]) continue;
    const std::wstring text = std::move(*pending_text_[i]);
    pending_text_[i].reset();
    try {
      if (controls_[i]) PutText(static_cast<Ctl>(i), controls_[i], text);
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace tianti::win32
