// The link labels' painting: the text and its underline inside the label
// whatever the font's line height.
#include <algorithm>
#include <string>

#include "ui/win32/internal.h"

namespace tianti::win32 {

// Paints a link label as the static control would, except that where the
// font's line is taller than the label, the line is moved up (by no more than
// the empty rows above its glyphs) so that the underline stays inside: with
// 宋体 the line is one em high and fits; a replacement font's may not.
void PaintLinkLabel(HWND label, HDC dc) {
  RECT rc;
  GetClientRect(label, &rc);
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(GetParent(label), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
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

}  // namespace tianti::win32
