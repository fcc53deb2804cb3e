// Layout as a function of the DPI value: the designs give twips, these give
// the pixels at a DPI. Nothing here reads a window's state.
#pragma once

#include <windows.h>

#include "ui/services.h"
#include "ui/win32/designs.h"

namespace tianti::win32 {

// The outer size of a window whose client area is its design's at `dpi`.
SIZE WindowSizeFor(ui::Win window, UINT dpi);

// A control's rectangle in its window's client area at `dpi`. Controls in
// the frame are placed at the frame's offset; a picture box takes the size
// of its picture (`picture`, pixels) plus its border.
RECT ControlRect(ui::Win window, const ControlDesign& design, SIZE picture, UINT dpi);

}  // namespace tianti::win32
