// Starting programs through the Windows shell's process creation.
#pragma once

#include <string>

#include "commands/launcher.h"

namespace tianti::commands::win32 {

// The full path of the program that a command line starts (its first word,
// or its first quoted part). A program named without a folder, such as
// "explorer.exe", is looked for in the Windows folder and then in the system
// folder only: the usual search would look in the program's own folder and
// the current folder first, where a planted program of the same name would
// run instead. Empty when it is not there.
std::wstring ProgramPath(std::u16string_view command_line);

// Starts `command_line`, its program at ProgramPath (ERROR_FILE_NOT_FOUND
// when there is none), with the show state SW_SHOWMINIMIZED and returns
// without waiting. When `process` is
// null both handles of the new process are closed; otherwise the process
// handle is handed to the caller, who closes it.
LaunchResult StartMinimized(std::u16string_view command_line, void** process = nullptr);

// Starts a command line minimised; where its program cannot be started,
// hands the fallback address to the default browser through the shell.
class Win32Launcher : public FallbackLauncher {
 protected:
  LaunchResult StartProcess(std::u16string_view command_line) override;
  LaunchResult OpenAddress(std::u16string_view address) override;
};

}  // namespace tianti::commands::win32
