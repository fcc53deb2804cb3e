// Pictures carried in the program as RCDATA resources (JPEG), decoded with
// the Windows Imaging Component into 32-bit BGR DIB sections.
#pragma once

#include <windows.h>

namespace tianti::win32 {

struct Picture {
  HBITMAP bitmap = nullptr;  // top-down 32 bpp DIB section, owned by the caller
  int width = 0;             // size of `bitmap`
  int height = 0;
  int natural_width = 0;  // size of the picture as stored
  int natural_height = 0;
};

// Decodes RCDATA resource `id` of `module`. With a non-zero `width` and
// `height` the picture is scaled to that size (high-quality resampling).
// COM must be initialised on the calling thread. Throws std::runtime_error
// naming what failed.
Picture LoadPictureResource(HMODULE module, int id, int width = 0, int height = 0);

// The natural size of RCDATA picture `id`, read from its header without
// decoding the pixels. Throws like LoadPictureResource.
SIZE PictureResourceSize(HMODULE module, int id);

}  // namespace tianti::win32
