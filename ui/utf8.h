// UTF-8 <-> UTF-16 where text crosses a byte-oriented boundary: the console,
// command-line arguments, /proc files.
#pragma once

#include <string>
#include <string_view>

namespace tianti::ui {

// Decodes UTF-8. Every ill-formed sequence (stray continuation bytes,
// truncated or overlong sequences, encoded surrogates, values above U+10FFFF)
// becomes U+FFFD, one per maximal ill-formed subpart.
std::u16string FromUtf8(std::string_view bytes);

// Encodes UTF-16 as UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

}  // namespace tianti::ui
