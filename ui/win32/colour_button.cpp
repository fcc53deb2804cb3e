// The owner-drawn buttons with a coloured face (Query, Reset, Quit): face,
// edge, caption with its access key, focus outline and rectangle; and the
// rows a caption's glyphs cover, which the link labels use as well.
#include "ui/win32/win32_services.h"

#include <algorithm>
#include <string>

#include "ui/win32/designs.h"
#include "ui/win32/internal.h"

namespace tianti::win32 {

using ui::Ctl;

namespace {

// A caption as shown with hidden access keys: "&x" shows "x", "&&" shows "&".
std::wstring WithoutAccessMarks(const std::wstring& caption) {
  std::wstring shown;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
}

}  // namespace

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
  const COLORREF text_colour = disabled ? GetSysColor(COLOR_GRAYTEXT)
                                        : GetSysColor(highlight_face ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);

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

}  // namespace tianti::win32
