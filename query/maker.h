#pragma once

#include <cstdint>
#include <string_view>

namespace tianti::query {

// The makers a device name or a row description can be told apart by, as
// bits: a text may name more than one ("AMD Ryzen 7 7735HS + NVIDIA RTX
// 3050"), and a name and a row whose makers share no bit are different
// devices.
enum MakerBits : std::uint16_t {
  kMakerAmd = 1 << 0,
  kMakerIntel = 1 << 1,
  kMakerNvidia = 1 << 2,
  kMakerApple = 1 << 3,
  kMakerQualcomm = 1 << 4,
  kMakerMediaTek = 1 << 5,
  kMakerSamsung = 1 << 6,
  kMakerHuawei = 1 << 7,
  kMakerZhaoxin = 1 << 8,
  kMakerHygon = 1 << 9,
  kMakerLoongson = 1 << 10,
  kMakerArm = 1 << 11,  // Mali graphics, Cortex and Neoverse cores
  kMakerMatrox = 1 << 12,
  kMakerVia = 1 << 13,
};

// The maker one word names, by its own name or by a family only it sells:
// "nvidia", "geforce", "radeon", "xeon", "snapdragon". `word` is lower case
// ASCII; `previous` is the word before it (empty at the start), for the few
// words whose meaning depends on it ("Core" is Intel's family, but "8 Core"
// is a core count). 0 when the word names no maker.
std::uint16_t MakerOfWord(std::string_view word, std::string_view previous);

// The makers of all the words of `text`, split at every character that is
// not a letter or a digit; letter case does not count.
std::uint16_t MakersOf(std::u16string_view text);

// The makers of a row of `list` (u'C' or u'G'): MakersOf, and the rule of
// each list for rows without a maker word: in the GPU list the data-centre
// names "A100", "H100", "L40S" are NVIDIA's (in the CPU list "A10-7850K" is
// an AMD APU, named by its other words).
std::uint16_t ListRowMakers(char16_t list, std::u16string_view description);

// The one maker of `makers` to file a row under: its only bit, or the first
// of AMD, Intel, NVIDIA among several; 0 for none.
std::uint16_t LeadMaker(std::uint16_t makers);

// The maker's name as the lists and the charts write it ("AMD", "Intel",
// "NVIDIA", ...); empty for 0 or for more than one bit.
std::string_view MakerName(std::uint16_t maker);

}  // namespace tianti::query
