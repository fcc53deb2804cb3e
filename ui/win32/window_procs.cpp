// The message loop and the window procedures of the forms and of the
// subclassed controls: messages routed to the handlers, every procedure
// body inside try/catch so that no exception crosses a Win32 callback.
#include "ui/win32/win32_services.h"

#include <commctrl.h>
#include <algorithm>
#include <exception>

#include "common/win32/wide.h"
#include "ui/win32/designs.h"
#include "ui/win32/internal.h"
#include "ui/win32/layout.h"

namespace tianti::win32 {

using ui::Ctl;
using ui::Win;

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
    services->ReportFailure(WidenMessage(e.what()));
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
      const SIZE size = WindowSizeFor(form.id, form.dpi);
      info->ptMaxTrackSize.x = std::max(info->ptMaxTrackSize.x, size.cx + 64);
      info->ptMaxTrackSize.y = std::max(info->ptMaxTrackSize.y, size.cy + 64);
      return 0;
    }
    case WM_GETDPISCALEDSIZE: {
      auto* size = reinterpret_cast<SIZE*>(lp);
      *size = WindowSizeFor(form.id, static_cast<UINT>(wp));
      return TRUE;
    }
    case WM_DPICHANGED:
      ApplyDpi(form, HIWORD(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_SYSCOLORCHANGE:
      RedrawWindow(hwnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
      break;
    case WM_DESTROY:
      if (form.id == Win::Form1) ClearAnnotations();  // while the controls are there
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
    reinterpret_cast<Win32Services*>(data)->ReportFailure(WidenMessage(e.what()));
  } catch (...) {
    reinterpret_cast<Win32Services*>(data)->ReportFailure(L"未知错误");
  }
  return 0;
}

}  // namespace tianti::win32
