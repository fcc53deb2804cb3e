// Checks, inside a Wine prefix, the fonts that tianti's windows need, with the
// program's own font test (FontCache::HasDoubleWidthGrid):
//   - "宋体" resolves to a fixed-pitch face whose CJK glyphs are exactly twice
//     as wide as its Latin ones, at 9, 10.5 and 12 point at 96 DPI and at
//     12 point (the result table's size) at 120 and 144 DPI; at 15 and 21
//     pixels per em (9 pt at 120, 10.5 pt at 144 DPI) no face can hold an
//     exact 2:1 in whole pixels, and only captions use those sizes;
//   - "宋体" is drawn smoothed (grey levels) at 9 point and 96 DPI;
//   - Marlett exists (the title-bar and scroll-bar glyphs);
//   - the UI font, Tahoma, has Chinese glyphs (window captions, message
//     boxes, tool tips).
// Prints one line per fault, naming the Debian package that brings what is
// missing, and exits with 1 if there is any. With -v it also prints the
// metrics it measured. Built and run by tools/wine-prefix.sh.
#include <windows.h>

#include <cstdio>
#include <string>

#include "ui/win32/fonts.h"

using tianti::win32::FontCache;

namespace {

std::string Utf8(const std::wstring& s) {
  if (s.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

HFONT MakeFont(const wchar_t* face, int pixels, BYTE charset) {
  LOGFONTW lf{};
  lf.lfHeight = -pixels;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = charset;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

// Whether `text` drawn in `font`, black on white, has grey pixels.
bool DrawsSmoothed(HDC dc, HFONT font, const wchar_t* text) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = 64;
  info.bmiHeader.biHeight = -32;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return false;
  HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
  HGDIOBJ old_font = SelectObject(dc, font);
  RECT rc{0, 0, 64, 32};
  FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, 2, 2, text, lstrlenW(text));
  GdiFlush();
  int grey = 0;
  for (int i = 0; i < 64 * 32; ++i) {
    const DWORD px = static_cast<const DWORD*>(bits)[i] & 0xffffff;
    if (px != 0 && px != 0xffffff) ++grey;
  }
  SelectObject(dc, old_font);
  SelectObject(dc, old_bitmap);
  DeleteObject(bitmap);
  return grey > 0;
}

// Whether every character of `text` has a glyph of its own in `font`.
bool HasGlyphs(HDC dc, HFONT font, const wchar_t* text) {
  HGDIOBJ old = SelectObject(dc, font);
  WORD glyphs[32] = {};
  const int n = lstrlenW(text);
  bool ok = GetGlyphIndicesW(dc, text, n, glyphs, GGI_MARK_NONEXISTING_GLYPHS) == static_cast<DWORD>(n);
  for (int i = 0; ok && i < n; ++i) ok = glyphs[i] != 0xffff && glyphs[i] != 0;
  SelectObject(dc, old);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool verbose = argc > 1 && lstrcmpW(argv[1], L"-v") == 0;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) {
    std::puts("font probe: no device context");
    return 1;
  }
  int faults = 0;

  bool grid = true;
  std::wstring simsun_face;
  for (int dpi : {96, 120, 144}) {
    for (int tenths : {90, 105, 120}) {
      const int pixels = MulDiv(tenths, dpi, 720);
      HFONT font = MakeFont(L"宋体", pixels, GB2312_CHARSET);
      if (!font) continue;
      const std::wstring face = FontCache::RealFace(dc, font);
      const bool ok = FontCache::HasDoubleWidthGrid(dc, font);
      const bool checked = dpi == 96 || tenths == 120;
      if (simsun_face.empty()) simsun_face = face;
      if (verbose) {
        HGDIOBJ old = SelectObject(dc, font);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SIZE m{}, cjk{};
        GetTextExtentPoint32W(dc, L"M", 1, &m);
        GetTextExtentPoint32W(dc, L"中", 1, &cjk);
        SelectObject(dc, old);
        std::printf("宋体 %3.1f pt at %d DPI (%d px): face %s, height %ld (ascent %ld, descent %ld, internal %ld),"
                    " M %ld, 中 %ld, grid %s\n",
                    tenths / 10.0, dpi, pixels, Utf8(face).c_str(), tm.tmHeight, tm.tmAscent, tm.tmDescent,
                    tm.tmInternalLeading, m.cx, cjk.cx,
                    ok        ? "yes"
                    : checked ? "no"
                              : "no (not checked)");
      }
      if (checked) grid = grid && ok;
      if (dpi == 96 && tenths == 90 && !DrawsSmoothed(dc, font, L"查询配置")) {
        std::puts("宋体 is drawn without smoothing at 9 pt: the prefix lacks wqy-zenhei-smooth.ttc, which"
                  " tools/install-deps.sh writes from fonts-wqy-zenhei");
        ++faults;
      }
      DeleteObject(font);
    }
  }
  if (!grid) {
    std::printf("宋体 resolves to \"%s\", which is not fixed-pitch with CJK glyphs exactly twice as wide as Latin"
                " ones: install fonts-wqy-zenhei (tools/install-deps.sh)\n",
                Utf8(simsun_face).c_str());
    ++faults;
  }

  HFONT marlett = MakeFont(L"Marlett", 16, SYMBOL_CHARSET);
  const std::wstring marlett_face = marlett ? FontCache::RealFace(dc, marlett) : std::wstring();
  if (marlett) DeleteObject(marlett);
  if (verbose) std::printf("Marlett: face %s\n", Utf8(marlett_face).c_str());
  if (lstrcmpiW(marlett_face.c_str(), L"Marlett") != 0) {
    std::puts("Marlett is missing from the prefix (title-bar buttons would show letters): it is marlett.ttf of"
              " fonts-wine, which tools/install-deps.sh unpacks");
    ++faults;
  }

  HFONT ui = MakeFont(L"Tahoma", 13, DEFAULT_CHARSET);
  const std::wstring ui_face = ui ? FontCache::RealFace(dc, ui) : std::wstring();
  const bool ui_cjk = ui && HasGlyphs(dc, ui, L"系统提示查询确定关于");
  if (ui) DeleteObject(ui);
  if (verbose) std::printf("Tahoma: face %s, Chinese glyphs %s\n", Utf8(ui_face).c_str(), ui_cjk ? "yes" : "no");
  if (!ui_cjk) {
    std::printf("the UI font Tahoma resolves to \"%s\", which has no Chinese glyphs: install fonts-wqy-microhei"
                " (tools/install-deps.sh), and not fonts-wine, whose Tahoma has none\n",
                Utf8(ui_face).c_str());
    ++faults;
  }

  DeleteDC(dc);
  return faults ? 1 : 0;
}
