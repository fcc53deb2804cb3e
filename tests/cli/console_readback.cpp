// Runs a console program in this console and writes what the console's
// screen buffer then holds, row by row, to a file in UTF-8; its first line
// is the console's output code page. For tests/cli/console_test.py.
// Usage: console_readback.exe OUT-FILE PROGRAM [ARGS...]
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string bytes(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
  return bytes;
}

int Fail(const char* what) {
  (void)std::fprintf(stderr, "console_readback: %s failed (%lu)\n", what, GetLastError());
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return Fail("usage");
  HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (console == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(console, &info)) return Fail("CONOUT$");
  const SHORT first_row = info.dwCursorPosition.Y;

  std::wstring command = L"\"" + std::wstring(argv[2]) + L"\"";
  for (int i = 3; i < argc; ++i) command += L" \"" + std::wstring(argv[i]) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return Fail("CreateProcess");
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  if (!GetConsoleScreenBufferInfo(console, &info)) return Fail("GetConsoleScreenBufferInfo");
  std::string text = std::to_string(GetConsoleOutputCP()) + "\n";
  for (SHORT y = first_row; y < info.dwCursorPosition.Y; ++y) {
    std::wstring row(static_cast<std::size_t>(info.dwSize.X), L' ');
    DWORD got = 0;
    if (!ReadConsoleOutputCharacterW(console, row.data(), info.dwSize.X, COORD{0, y}, &got)) {
      return Fail("ReadConsoleOutputCharacter");
    }
    row.resize(got);
    text += Utf8(row) + "\n";
  }
  FILE* out = _wfopen(argv[1], L"wb");
  if (!out) return Fail("opening the output file");
  const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  return std::fclose(out) == 0 && written ? 0 : Fail("writing the output file");
}
