#include "commands/launcher.h"

#include <cstdio>

namespace tianti::commands {

LaunchResult FallbackLauncher::Start(std::u16string_view command_line, std::u16string_view fallback_address) {
  LaunchResult result = StartProcess(command_line);
  if (result.started || fallback_address.empty()) return result;
  return OpenAddress(fallback_address);
}

std::u16string_view LaunchAddress(std::u16string_view command_line) {
  constexpr std::u16string_view kExplorer = u"explorer.exe ";
  if (command_line.substr(0, kExplorer.size()) != kExplorer) return {};
  return command_line.substr(kExplorer.size());
}

std::u16string BuildLaunchFailureMessage(std::u16string_view address, std::uint32_t error) {
  char code[16];
  (void)std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(error));
  std::u16string text = u"无法打开网页 ";
  text += address;
  text += u" (错误 ";
  for (const char* c = code; *c; ++c) text += static_cast<char16_t>(*c);
  text += u")";
  return text;
}

}  // namespace tianti::commands
