// Fonts of the windows: one face and character set (GB2312) everywhere, in a
// few sizes, weights and underlines, created per DPI and cached.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace tianti::win32 {

struct FontStyle {
  int tenths_of_point = 105;  // 90, 105 or 120
  bool bold = false;
  bool underline = false;
};

class FontCache {
 public:
  // `face` is the face asked for. When GetTextFaceW shows that the system
  // gave another face, the cache falls back to an installed fixed-pitch face
  // whose CJK glyphs are exactly twice as wide as its Latin ones, so that
  // text tables line up; if there is none, it keeps what the system gave.
  explicit FontCache(std::wstring face = L"宋体");
  ~FontCache();
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;

  // The font of `style` at `dpi`, created on first use; the cache owns it.
  HFONT Get(UINT dpi, const FontStyle& style);
  // Deletes the fonts of every DPI not in `dpis_in_use`.
  void ReleaseExcept(const std::vector<UINT>& dpis_in_use);
  // The face name put into the fonts' LOGFONT: the one asked for or the
  // fallback.
  const std::wstring& face();
  bool uses_fallback();

  // Whether `font` is laid out on a grid: all Latin letters and digits
  // equally wide and CJK ideographs exactly twice that width.
  static bool HasDoubleWidthGrid(HDC dc, HFONT font);
  // The face name that `font` really gets on this system.
  static std::wstring RealFace(HDC dc, HFONT font);

 private:
  void Resolve();
  static HFONT Create(const std::wstring& face, UINT dpi, const FontStyle& style);

  std::wstring requested_;
  std::wstring face_;
  bool resolved_ = false;
  bool fallback_ = false;
  std::map<std::tuple<UINT, int, bool, bool>, HFONT> fonts_;
};

}  // namespace tianti::win32
