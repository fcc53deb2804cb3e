#include "commands/win32/launcher_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace tianti::commands::win32 {

LaunchResult StartMinimized(std::u16string_view command_line, void** process) {
  // CreateProcessW may write into its command line: give it a copy.
  std::wstring line(command_line.begin(), command_line.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINIMIZED;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
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

LaunchResult Win32Launcher::StartProcess(std::u16string_view command_line) {
  return StartMinimized(command_line);
}

LaunchResult Win32Launcher::OpenAddress(std::u16string_view address) {
  std::wstring target(address.begin(), address.end());
  SetLastError(ERROR_SUCCESS);
  HINSTANCE instance = ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  INT_PTR code = reinterpret_cast<INT_PTR>(instance);
  if (code > 32) return {true, 0};
  DWORD error = GetLastError();
  return {false, error != ERROR_SUCCESS ? static_cast<std::uint32_t>(error)
                                        : static_cast<std::uint32_t>(code)};
}

}  // namespace tianti::commands::win32
