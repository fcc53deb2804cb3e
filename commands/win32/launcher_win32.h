// Starting programs through the Windows shell's process creation.
#pragma once

#include "commands/launcher.h"

namespace tianti::commands::win32 {

// Starts `command_line` (the program found by the usual search) with the
// show state SW_SHOWMINIMIZED and returns without waiting. When `process` is
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
