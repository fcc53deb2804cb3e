// UTF-8 <-> UTF-16, the one home of both conversions: the console and
// command-line arguments, /proc files, the list files read at build time and
// exception texts shown in the Windows program.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tianti {

// One UTF-8 sequence read at an offset. A well-formed sequence gives its code
// point and length; an ill-formed one (a stray continuation byte, a
// truncated or overlong sequence, an encoded surrogate, a value above
// U+10FFFF) gives ok == false and the length of its maximal ill-formed
// subpart, at least 1.
struct Utf8Sequence {
  char32_t code_point = 0;
  std::size_t length = 1;
  bool ok = false;
};
Utf8Sequence ReadUtf8(std::string_view bytes, std::size_t offset);

void AppendUtf8(std::string& out, char32_t code_point);
void AppendUtf16(std::u16string& out, char32_t code_point);

// Decodes UTF-8. Every ill-formed sequence becomes U+FFFD, one per maximal
// ill-formed subpart.
std::u16string FromUtf8(std::string_view bytes);

// Encodes UTF-16 as UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

}  // namespace tianti
