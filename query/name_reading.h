// How the resolver reads a device name or a row description: the words it
// holds, each of a kind, the makers it names and the form it says (laptop,
// Max-Q). Names and rows go through the same reading; names are first taken
// out of the wrappers systems put round them (Unwrap).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tianti::query::reading {

enum class Kind : std::uint8_t {
  kWord,     // a word without a digit: "geforce", "graphics"
  kClock,    // "3.60ghz"
  kModel,    // a model number or a model's suffix: "7950x", "ti", "pro"
  kTier,     // a processor's tier, which a name may leave out: "i7", Ryzen's "7"
  kVariant,  // what a row may tell apart and a name may not say: "8gb", "16core", "oem"
};

// More words than any real name has; the rest of a longer text is not read.
inline constexpr std::size_t kMaxWords = 48;

struct Word {
  std::string_view text;  // into Reading::text
  Kind kind = Kind::kWord;
  std::uint8_t line = 0;  // words::LineLevel: 1 "geforce", 2 "rtx", 3 "xeon"
  bool last = false;      // holds the text's last word before anything was dropped
};

struct Reading {
  std::string text;     // the words' characters
  std::string lowered;  // the text read, in lower case
  Word words[kMaxWords];
  std::size_t count = 0;
  std::uint16_t makers = 0;  // query/maker.h bits
  std::uint8_t forms = 0;    // words::Form bits
  bool processor_marks = false;
  bool has_models = false;
  // Words dropped other than makers: "Radeon RX Vega 11 Processor" is read as
  // "Radeon RX Vega 11" and ties with it, but is the less plain of the two.
  int dropped = 0;

  Reading() = default;
  Reading(const Reading&) = delete;
  Reading& operator=(const Reading&) = delete;
};

// Reads `text` into `reading`. `makers` are the text's makers as MakersOf or
// ListRowMakers gives them, and a wrapper's vendor; the reading adds those
// its own words name (the Chinese family names, glued words: "rtx4090").
void Read(std::u16string_view text, std::uint16_t makers, Reading& reading);

// The device inside the wrappers systems put round a name, with the makers
// the wrapper names added to `makers`:
//  - a browser's "ANGLE (Vendor, Device Direct3D11 vs_5_0 ps_5_0, D3D11)";
//  - the PCI ID list's "Chip [Product]" and "Vendor [AMD/ATI] Chip [Product]";
//  - a renderer string's driver part in parentheses ("(navi22, LLVM 15.0.7,
//    DRM 3.54)", "(TGL GT2)"); "/PCIe/SSE2" is dropped by the reading.
// Only the first 1024 code units of a name are read.
std::u16string Unwrap(std::u16string_view name, std::uint16_t& makers);

// The models a combined row names, each as a description of its own:
// "Radeon RX 470/570" is "Radeon RX 470" and "Radeon RX 570", "Radeon HD
// 7970 / R9 280X" is "Radeon HD 7970" and "Radeon R9 280X". Up to
// kMaxAlternatives into `out`; 0 for a row that is not combined (joined "+"
// and 双卡 rows are one pair of devices).
inline constexpr std::size_t kMaxAlternatives = 8;
std::size_t SplitCombined(std::u16string_view description, std::u16string (&out)[kMaxAlternatives]);

}  // namespace tianti::query::reading
