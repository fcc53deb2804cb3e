// The word tables of the device-name resolver: which words a name or a row
// description drops, which are a device's line, a model's suffix, its form
// (laptop, Max-Q) or a variant, and how Chinese family names and buyers'
// shorthand read. Adding a spelling is a line in a table in resolver_words.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tianti::query::words {

// The forms a device name can say; a desktop part says none.
enum Form : std::uint8_t { kLaptop = 1, kMaxQ = 2 };

// The Chinese word at text[i] that reads as an English one ("锐龙" ryzen,
// "笔记本" laptop, "显卡" nothing): its English word (possibly empty) and in
// `length` the code units it takes; nullptr when none starts there. The
// rows' "双卡" (a pair of cards) reads " dual".
const char* ChineseWordAt(std::u16string_view text, std::size_t i, std::size_t& length);

// What the tables say of one word, in one look-up: IsDropped, IsMakerName,
// IsSuffix and LineLevel together.
struct WordInfo {
  bool dropped = false;
  bool maker_name = false;
  bool suffix = false;
  int line = 0;
};
WordInfo InfoOf(std::string_view word);

// Words that say nothing about which device it is: "cpu", "series", "pcie",
// "mesa", the shader models of a browser's renderer string.
bool IsDropped(std::string_view word);

// The maker names that a name and a row leave out as they please ("AMD",
// "NVIDIA"); the maker itself is read from the whole text.
bool IsMakerName(std::string_view word);

// The form a word says: "laptop", "mobile", "mobility", "notebook"; 0 for none.
std::uint8_t FormOf(std::string_view word);

// A word that after a model number is part of the model: "Ti", "SUPER",
// "XT", "XTX", "GRE", "D", "Max", "Ultra" ("RTX 4060 Ti" is not "RTX 4060").
bool IsSuffix(std::string_view word);

// A word that makes a model of its own wherever it stands: "pro" (Radeon Pro
// WX 9100 is not the Radeon 9100), "fx" (Quadro FX 2000 is not Quadro 2000).
bool IsModelWord(std::string_view word);

// A graphics family (1: "geforce", "quadro", "radeon"), a line within one
// (2: "rtx", "gtx", "rx", "hd", "uhd"), a processor family (3: "core",
// "xeon", "ryzen"); 0 for other words.
// Where a name and a row both say a word of a level, they must share one:
// "GTX" and "RTX", "HD" and "UHD", "Core" and "Xeon" are different devices.
int LineLevel(std::string_view word);

// The word before a processor's tier digit: "ryzen" (Ryzen 7), "ai" (Ryzen AI
// 9), "ultra" (Core Ultra 7).
bool LeadsTier(std::string_view word);

// The count of "Eight-Core", "16-Core": 8, 16; 0 for a word that is none.
int CoreCount(std::string_view word);

// A group in parentheses that a system adds to a name about its driver
// ("navi22, LLVM 15.0.7", "TGL GT2", "0x00002504"): `inside` lower case.
bool IsDriverGroup(std::string_view inside);

// How a glued word splits ("rtx4070super" → "rtx" "4070" "super", "4060ti",
// "2680v4", "12g" → "12gb"): up to three parts into `parts`, the count
// returned; 1 when it stays whole. The parts view `word` or static text.
std::size_t SplitGlued(std::string_view word, std::string_view (&parts)[3]);

}  // namespace tianti::query::words
