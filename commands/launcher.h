// Starting a program from a command line without waiting for it: the link
// labels' "explorer.exe <address>" commands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tianti::commands {

struct LaunchResult {
  bool started = false;
  std::uint32_t error = 0;  // the platform's error code when nothing started
};

class Launcher {
 public:
  virtual ~Launcher() = default;
  // Starts `command_line` shown minimised and returns at once: the new
  // process is not waited for, its identifier is discarded and every handle
  // to it closed. Where the command's program cannot be started at all, a
  // non-empty `fallback_address` is handed to the default browser instead.
  virtual LaunchResult Start(std::u16string_view command_line, std::u16string_view fallback_address) = 0;
};

// The start policy of the platform launchers, kept apart from the platform
// calls: the command line first, the fallback address only where the command
// line could not be started.
class FallbackLauncher : public Launcher {
 public:
  LaunchResult Start(std::u16string_view command_line, std::u16string_view fallback_address) final;

 protected:
  virtual LaunchResult StartProcess(std::u16string_view command_line) = 0;
  virtual LaunchResult OpenAddress(std::u16string_view address) = 0;
};

// The address that an "explorer.exe <address>" command opens; empty for any
// other command line.
std::u16string_view LaunchAddress(std::u16string_view command_line);

// The warning shown when neither the command nor its address could be
// started: "无法打开网页 <address> (错误 0x00000002)".
std::u16string BuildLaunchFailureMessage(std::u16string_view address, std::uint32_t error);

}  // namespace tianti::commands
