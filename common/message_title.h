// The title of every message box the program shows: warnings, notes,
// information and the report of an unexpected failure.
#pragma once

#include <string_view>

namespace tianti {

inline constexpr std::u16string_view kMessageTitle = u"系统提示";

}  // namespace tianti
