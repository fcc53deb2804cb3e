// Text at the Win32 boundary: the W functions take wchar_t, which on Windows
// is the same UTF-16 code unit as char16_t, and exception texts are bytes.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "common/utf8.h"

namespace tianti::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 at the Win32 boundary");

inline std::wstring ToWide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }
inline std::u16string FromWide(std::wstring_view s) { return std::u16string(s.begin(), s.end()); }

// The text of an exception: UTF-8 where it is valid UTF-8 (the program's own
// texts), else the ANSI code page (the C++ runtime's system error texts).
inline std::wstring WidenMessage(const char* text) {
  if (!text || !*text) return L"";
  const std::string_view bytes(text);
  bool utf8 = true;
  for (std::size_t i = 0; utf8 && i < bytes.size();) {
    const Utf8Sequence seq = ReadUtf8(bytes, i);
    utf8 = seq.ok;
    i += seq.length;
  }
  if (utf8) {
    const std::u16string wide = FromUtf8(bytes);
    return std::wstring(wide.begin(), wide.end());
  }
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 0) return L"";
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
  out.resize(static_cast<std::size_t>(n) - 1);
  return out;
}

// The report of a failure that no handler expected: "程序错误：<what>".
inline std::wstring FailureReport(const std::wstring& what) { return L"程序错误：" + what; }

}  // namespace tianti::win32
