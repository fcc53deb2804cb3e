// The picture box control: the program icon on the main window, a built-in
// picture on a picture window.
#include "ui/win32/win32_services.h"

#include <exception>

#include "common/win32/wide.h"
#include "ui/win32/internal.h"

namespace tianti::win32 {

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
          DrawIconEx(dc, 0, 0, form->picture_icon, form->picture_size.cx, form->picture_size.cy, 0, nullptr, DI_NORMAL);
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
    form->services->ReportFailure(WidenMessage(e.what()));
    return 0;
  } catch (...) {
    form->services->ReportFailure(L"未知错误");
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace tianti::win32
