// The font cache: one face and GB2312 at each size, weight and DPI, with a fallback face on the double-width grid.
#include "ui/win32/fonts.h"

namespace tianti::win32 {

namespace {

bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Names under which the system may report the face asked for.
bool IsNameOf(const std::wstring& requested, const std::wstring& real) {
  if (SameName(requested, real)) return true;
  static const wchar_t* const kSimSun[] = {L"宋体", L"SimSun"};
  bool requested_simsun = false, real_simsun = false;
  for (const wchar_t* n : kSimSun) {
    requested_simsun = requested_simsun || SameName(requested, n);
    real_simsun = real_simsun || SameName(real, n);
  }
  return requested_simsun && real_simsun;
}

// Faces tried first, best first, before every other installed face.
const wchar_t* const kPreferredFallbacks[] = {
    L"新宋体",
    L"NSimSun",
    L"宋体",
    L"SimSun",
    L"仿宋",
    L"FangSong",
    L"黑体",
    L"SimHei",
    L"WenQuanYi Zen Hei Mono",
    L"文泉驿等宽正黑",
    L"WenQuanYi Micro Hei Mono",
    L"Noto Sans Mono CJK SC",
    L"Sarasa Mono SC",
    L"等距更纱黑体 SC",
};

int CALLBACK CollectFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM param) {
  auto* faces = reinterpret_cast<std::vector<std::wstring>*>(param);
  if ((type & TRUETYPE_FONTTYPE) && lf->lfFaceName[0] != L'@') faces->emplace_back(lf->lfFaceName);
  return 1;
}

}  // namespace

FontCache::FontCache(std::wstring face) : requested_(std::move(face)) {}

FontCache::~FontCache() {
  for (auto& entry : fonts_) DeleteObject(entry.second);
}

HFONT FontCache::Create(const std::wstring& face, UINT dpi, const FontStyle& style) {
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(style.tenths_of_point, static_cast<int>(dpi), 720);
  lf.lfWeight = style.bold ? FW_BOLD : FW_NORMAL;
  lf.lfUnderline = style.underline ? TRUE : FALSE;
  lf.lfCharSet = GB2312_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

std::wstring FontCache::RealFace(HDC dc, HFONT font) {
  HGDIOBJ old = SelectObject(dc, font);
  wchar_t name[LF_FACESIZE + 1] = {};
  const int n = GetTextFaceW(dc, LF_FACESIZE, name);
  SelectObject(dc, old);
  return std::wstring(name, n > 0 ? static_cast<size_t>(lstrlenW(name)) : 0u);
}

bool FontCache::HasDoubleWidthGrid(HDC dc, HFONT font) {
  HGDIOBJ old = SelectObject(dc, font);
  auto width = [dc](const wchar_t* s) {
    SIZE size{};
    return GetTextExtentPoint32W(dc, s, lstrlenW(s), &size) ? size.cx : -1;
  };
  const LONG latin = width(L"M");
  bool ok = latin > 0;
  for (const wchar_t* s : {L"i", L"W", L"0", L"|", L" ", L"-"}) ok = ok && width(s) == latin;
  for (const wchar_t* s : {L"中", L"硬", L"编", L"得"}) ok = ok && width(s) == 2 * latin;
  // A whole table line: no kerning or rounding drift over 54 columns.
  ok = ok && width(L"|编号 |硬件描述                                |得分 |") == 54 * latin;
  SelectObject(dc, old);
  return ok;
}

void FontCache::Resolve() {
  if (resolved_) return;
  resolved_ = true;
  face_ = requested_;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return;
  const FontStyle probe{120, false, false};
  HFONT font = Create(requested_, 96, probe);
  const bool given = font && IsNameOf(requested_, RealFace(dc, font));
  if (font) DeleteObject(font);
  if (!given) {
    std::vector<std::wstring> candidates(std::begin(kPreferredFallbacks), std::end(kPreferredFallbacks));
    LOGFONTW query{};
    query.lfCharSet = GB2312_CHARSET;
    EnumFontFamiliesExW(dc, &query, CollectFace, reinterpret_cast<LPARAM>(&candidates), 0);
    for (const std::wstring& candidate : candidates) {
      HFONT f = Create(candidate, 96, probe);
      if (!f) continue;
      const bool fits = IsNameOf(candidate, RealFace(dc, f)) && HasDoubleWidthGrid(dc, f);
      DeleteObject(f);
      if (fits) {
        face_ = candidate;
        fallback_ = true;
        break;
      }
    }
  }
  DeleteDC(dc);
}

const std::wstring& FontCache::face() {
  Resolve();
  return face_;
}

bool FontCache::uses_fallback() {
  Resolve();
  return fallback_;
}

HFONT FontCache::Get(UINT dpi, const FontStyle& style) {
  Resolve();
  const auto key = std::make_tuple(dpi, style.tenths_of_point, style.bold, style.underline);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  HFONT font = Create(face_, dpi, style);
  if (!font)
    font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  else
    fonts_.emplace(key, font);
  return font;
}

void FontCache::ReleaseExcept(const std::vector<UINT>& dpis_in_use) {
  for (auto it = fonts_.begin(); it != fonts_.end();) {
    bool used = false;
    for (UINT dpi : dpis_in_use) used = used || std::get<0>(it->first) == dpi;
    if (used) {
      ++it;
    } else {
      DeleteObject(it->second);
      it = fonts_.erase(it);
    }
  }
}

}  // namespace tianti::win32
