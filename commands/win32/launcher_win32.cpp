#include "commands/win32/launcher_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace tianti::commands::win32 {

std::wstring ProgramPath(std::u16string_view command_line) {
  std::u16string_view program = command_line.substr(0, command_line.find(u' '));
  if (program.size() >= 2 && program.front() == u'"') {
    program = command_line.substr(1, command_line.find(u'"', 1) - 1);
  }
  std::wstring name(program.begin(), program.end());
  if (name.empty()) return L"";
  if (name.find_first_of(L"\\/:") != std::wstring::npos) return name;
  wchar_t windows[MAX_PATH];
  wchar_t system[MAX_PATH];
  const UINT w = GetWindowsDirectoryW(windows, MAX_PATH);
  const UINT y = GetSystemDirectoryW(system, MAX_PATH);
  if (w == 0 || w >= MAX_PATH || y == 0 || y >= MAX_PATH) return L"";
  const std::wstring folders = std::wstring(windows) + L";" + system;
  wchar_t found[MAX_PATH];
  const DWORD n = SearchPathW(folders.c_str(), name.c_str(), L".exe", MAX_PATH, found, nullptr);
  if (n == 0 || n >= MAX_PATH) return L"";
  return found;
}

LaunchResult StartMinimized(std::u16string_view command_line, void** process) {
  const std::wstring program = ProgramPath(command_line);
  if (program.empty()) return {false, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND)};
  // CreateProcessW may write into its command line: give it a copy. The
  // command line stays as it is; the program is named by its full path.
  std::wstring line(command_line.begin(), command_line.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINIMIZED;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return {false, static_cast<std::uint32_t>(GetLastError())};
  }
  CloseHandle(info.hThread);
  if (process) {
    *process = info.hProcess;
  } else {
    CloseHandle(info.hProcess);
  }
  return {true, 0};
}

LaunchResult Win32Launcher::StartProcess(std::u16string_view command_line) { return StartMinimized(command_line); }

LaunchResult Win32Launcher::OpenAddress(std::u16string_view address) {
  std::wstring target(address.begin(), address.end());
  SetLastError(ERROR_SUCCESS);
  HINSTANCE instance = ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  INT_PTR code = reinterpret_cast<INT_PTR>(instance);
  if (code > 32) return {true, 0};
  DWORD error = GetLastError();
  return {false, error != ERROR_SUCCESS ? static_cast<std::uint32_t>(error) : static_cast<std::uint32_t>(code)};
}

}  // namespace tianti::commands::win32
