// The four reference links of the right-hand column: the address each label's
// tool tip shows and the command line its click starts.
#pragma once

#include <string_view>

namespace tianti::commands {

struct Link {
  std::u16string_view tooltip;  // the address shown on hover
  std::u16string_view command;  // "explorer.exe " followed by the address opened
};

inline constexpr Link kGeekbenchLink{u"https://browser.geekbench.com", u"explorer.exe https://browser.geekbench.com"};
inline constexpr Link kLudashiLink{u"https://www.ludashi.com", u"explorer.exe https://www.ludashi.com"};
// The tool tip names the bare domain; the click opens the www host.
inline constexpr Link kPconlineLink{u"https://pconline.com.cn", u"explorer.exe https://www.pconline.com.cn"};
inline constexpr Link kMicrosoftLink{u"https://www.microsoft.com", u"explorer.exe https://www.microsoft.com"};

}  // namespace tianti::commands
