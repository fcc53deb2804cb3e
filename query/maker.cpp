#include "query/maker.h"

#include <algorithm>
#include <iterator>
#include <string>

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

bool IsCount(std::string_view w) {
  return !w.empty() && std::all_of(w.begin(), w.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::uint16_t MakerOfWord(std::string_view word, std::string_view previous) {
  // Intel's Core, but not the count of "8 Core" or "Compute Cores".
  if (word == "core") return IsCount(previous) ? 0 : kMakerIntel;
  for (const FamilyWord& f : kFamilies) {
    if (f.word == word) return f.maker;
  }
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
