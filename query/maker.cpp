#include "query/maker.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <unordered_map>

namespace tianti::query {

namespace {

struct FamilyWord {
  std::string_view word;
  std::uint16_t maker;
};

// Makers' names and the families only one maker sells. Words that two makers
// share are not here: "HD" (Radeon HD, Intel HD Graphics), "Pro", "FX"
// (AMD FX, Quadro FX), "Vega", "Arc" alone is Intel's.
constexpr FamilyWord kFamilies[] = {
    {"amd", kMakerAmd},           {"ati", kMakerAmd},           {"radeon", kMakerAmd},
    {"firepro", kMakerAmd},       {"firegl", kMakerAmd},        {"instinct", kMakerAmd},
    {"ryzen", kMakerAmd},         {"athlon", kMakerAmd},        {"epyc", kMakerAmd},
    {"threadripper", kMakerAmd},  {"opteron", kMakerAmd},       {"phenom", kMakerAmd},
    {"sempron", kMakerAmd},       {"turion", kMakerAmd},        {"duron", kMakerAmd},
    {"intel", kMakerIntel},       {"xeon", kMakerIntel},        {"pentium", kMakerIntel},
    {"celeron", kMakerIntel},     {"atom", kMakerIntel},        {"iris", kMakerIntel},
    {"uhd", kMakerIntel},         {"arc", kMakerIntel},         {"itanium", kMakerIntel},
    {"nvidia", kMakerNvidia},     {"geforce", kMakerNvidia},    {"quadro", kMakerNvidia},
    {"titan", kMakerNvidia},      {"tesla", kMakerNvidia},      {"grid", kMakerNvidia},
    {"nvs", kMakerNvidia},        {"gtx", kMakerNvidia},        {"rtx", kMakerNvidia},
    {"apple", kMakerApple},       {"qualcomm", kMakerQualcomm}, {"snapdragon", kMakerQualcomm},
    {"adreno", kMakerQualcomm},   {"mediatek", kMakerMediaTek}, {"dimensity", kMakerMediaTek},
    {"helio", kMakerMediaTek},    {"samsung", kMakerSamsung},   {"exynos", kMakerSamsung},
    {"huawei", kMakerHuawei},     {"hisilicon", kMakerHuawei},  {"kirin", kMakerHuawei},
    {"kunpeng", kMakerHuawei},    {"zhaoxin", kMakerZhaoxin},   {"hygon", kMakerHygon},
    {"loongson", kMakerLoongson}, {"mali", kMakerArm},          {"cortex", kMakerArm},
    {"neoverse", kMakerArm},      {"matrox", kMakerMatrox},     {"via", kMakerVia},
};

// The count before "Core": "8", "eight", "octa".
bool IsCount(std::string_view w) {
  static constexpr std::string_view kWords[] = {"single", "dual", "triple", "quad",   "six",    "hexa",
                                                "eight",  "octa", "ten",    "twelve", "sixteen"};
  if (std::find(std::begin(kWords), std::end(kWords), w) != std::end(kWords)) return true;
  return !w.empty() && std::all_of(w.begin(), w.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The first word of a data-centre GPU's row: "A100", "H100", "L40S", "A2".
bool IsDataCentreName(std::string_view w) {
  if (w.size() < 2 || w.size() > 5 || (w[0] != 'a' && w[0] != 'h' && w[0] != 'l')) return false;
  std::size_t digits = 1;
  while (digits < w.size() && w[digits] >= '0' && w[digits] <= '9') ++digits;
  return digits > 1 && digits <= 4 && w.size() - digits <= 1;
}

}  // namespace

std::uint16_t MakerOfWord(std::string_view word, std::string_view previous) {
  // Intel's Core, but not the count of "8 Core", "Eight-Core" or "Compute
  // Cores"; Intel's "HD Graphics", where "Radeon HD" names no maker by "HD".
  if (word == "core") return IsCount(previous) ? 0 : kMakerIntel;
  if (word == "graphics" && previous == "hd") return kMakerIntel;
  static const std::unordered_map<std::string_view, std::uint16_t> kByWord = [] {
    std::unordered_map<std::string_view, std::uint16_t> by_word;
    for (const FamilyWord& f : kFamilies) by_word.emplace(f.word, f.maker);
    return by_word;
  }();
  const auto it = kByWord.find(word);
  if (it != kByWord.end()) return it->second;
  return 0;
}

std::uint16_t MakersOf(std::u16string_view text) {
  std::uint16_t makers = 0;
  std::string word, previous;
  auto flush = [&] {
    if (word.empty()) return;
    makers |= MakerOfWord(word, previous);
    previous.swap(word);
    word.clear();
  };
  for (char16_t c : text) {
    if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) {
      word.push_back(static_cast<char>(c));
    } else if (c >= u'A' && c <= u'Z') {
      word.push_back(static_cast<char>(c - u'A' + u'a'));
    } else {
      flush();
    }
  }
  flush();
  return makers;
}

std::uint16_t ListRowMakers(char16_t list, std::u16string_view description) {
  const std::uint16_t makers = MakersOf(description);
  if (makers != 0 || list != u'G') return makers;
  std::string first;
  for (char16_t c : description) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))) break;
    first.push_back(static_cast<char>(c));
  }
  return IsDataCentreName(first) ? kMakerNvidia : 0;
}

std::uint16_t LeadMaker(std::uint16_t makers) {
  if ((makers & (makers - 1)) == 0) return makers;
  for (std::uint16_t m : {kMakerAmd, kMakerIntel, kMakerNvidia}) {
    if (makers & m) return m;
  }
  return static_cast<std::uint16_t>(makers & -makers);
}

std::string_view MakerName(std::uint16_t maker) {
  switch (maker) {
    case kMakerAmd:
      return "AMD";
    case kMakerIntel:
      return "Intel";
    case kMakerNvidia:
      return "NVIDIA";
    case kMakerApple:
      return "Apple";
    case kMakerQualcomm:
      return "Qualcomm";
    case kMakerMediaTek:
      return "MediaTek";
    case kMakerSamsung:
      return "Samsung";
    case kMakerHuawei:
      return "Huawei";
    case kMakerZhaoxin:
      return "Zhaoxin";
    case kMakerHygon:
      return "Hygon";
    case kMakerLoongson:
      return "Loongson";
    case kMakerArm:
      return "Arm";
    case kMakerMatrox:
      return "Matrox";
    case kMakerVia:
      return "VIA";
    default:
      return {};
  }
}

}  // namespace tianti::query
