// The design of the three windows as data: one line a control, in the order
// of the main window's layout table. Places and sizes are twips.
#pragma once

#include <windows.h>

#include <cstddef>

#include "ui/services.h"
#include "ui/win32/fonts.h"

namespace tianti::win32 {

enum class ControlKind {
  kPictureBox,  // takes the focus; shows the program icon or the window's picture
  kLabel,
  kFrame,  // group box; the controls "in" it are children of the window
  kTextBox,
  kButton,        // system face
  kColourButton,  // owner-drawn face in `back`
  kOption,        // one group per window
};

// A colour: the system default, a fixed RGB value or a system colour index.
struct Colour {
  enum Kind { kDefault, kRgb, kSystem } kind = kDefault;
  COLORREF rgb = 0;
  int system_index = 0;
  COLORREF Resolve() const { return kind == kSystem ? GetSysColor(system_index) : rgb; }
  bool IsDefault() const { return kind == kDefault; }
};

inline constexpr Colour kDefaultColour{};
constexpr Colour Rgb(int r, int g, int b) { return Colour{Colour::kRgb, static_cast<COLORREF>(RGB(r, g, b)), 0}; }
constexpr Colour SystemColour(int index) { return Colour{Colour::kSystem, 0, index}; }

enum ControlFlag : unsigned {
  kMultiLine = 1u << 0,
  kVerticalScrollBar = 1u << 1,
  kHorizontalScrollBar = 1u << 2,
  kReadOnly = 1u << 3,
  kLink = 1u << 4,  // text in COLOR_HIGHLIGHT
};

// NOLINTNEXTLINE(clang-analyzer-optin.performance.Padding): fields in the order of the layout table's columns
struct ControlDesign {
  ui::Ctl id;
  ControlKind kind;
  bool in_frame;  // Left/Top from the frame's corner
  const wchar_t* caption;
  int left, top, width, height;
  FontStyle font;
  Colour back;  // text box background or button face
  unsigned flags;
  int tab;  // place in the tab order
};

struct FormDesign {
  ui::Win id;
  const wchar_t* caption;
  int client_width, client_height;
  bool minimize_box;
  int picture_resource;  // RCDATA of Picture1's picture; 0: the program icon
  const ControlDesign* controls;
  std::size_t control_count;
};

const FormDesign& DesignOf(ui::Win window);
const ControlDesign& DesignOf(ui::Ctl control);
// The frame that a control with `in_frame` sits in (Form1's Frame1).
const ControlDesign& FrameOf(ui::Win window);

}  // namespace tianti::win32
