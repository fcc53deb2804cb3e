// Text helpers of the query: trimming and upper-casing the search terms.
#pragma once

#include <string>
#include <string_view>

namespace tianti::query {

// Removes spaces from both ends: the space U+0020 and the ideographic space
// U+3000, which an input method types for a space.
std::u16string_view Trim(std::u16string_view text);

// The platform's upper case of `text`, character for character: the result
// has the same length, characters without an upper case (CJK, digits,
// marks) and lone surrogates come back unchanged. On Windows this is the
// system's invariant-locale mapping; elsewhere it is UpperCaseBuiltin.
std::u16string UpperCase(std::u16string_view text);

// A built-in simple case mapping that agrees with the Windows mapping on
// ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and the full-width Latin
// letters; every other character is returned unchanged.
char16_t UpperCharBuiltin(char16_t c);
std::u16string UpperCaseBuiltin(std::u16string_view text);

}  // namespace tianti::query
