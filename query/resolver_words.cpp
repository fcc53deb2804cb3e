#include "query/resolver_words.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <unordered_map>

namespace tianti::query::words {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool AllDigits(std::string_view w) { return !w.empty() && std::all_of(w.begin(), w.end(), IsDigit); }
bool StartsWith(std::string_view w, std::string_view start) { return w.substr(0, start.size()) == start; }

struct Chinese {
  std::u16string_view text;
  const char* english;
};

// Family names as Chinese buyers write them, the words they add, and the
// row conventions (names read them alike, so a row's text names its row).
constexpr Chinese kChinese[] = {
    {u"锐龙", " ryzen "},
    {u"酷睿", " core "},
    {u"至强", " xeon "},
    {u"奔腾", " pentium "},
    {u"赛扬", " celeron "},
    {u"速龙", " athlon "},
    {u"线程撕裂者", " threadripper "},
    {u"骁龙", " snapdragon "},
    {u"天玑", " dimensity "},
    {u"移动版", " mobility "},
    {u"移动端", " mobile "},
    {u"笔记本", " laptop "},
    {u"显卡", " "},
    {u"处理器", " "},
    {u"核显", " "},
    {u"双卡", " dual"},  // a row of two cards
};

constexpr std::string_view kDropped[] = {
    "cpu",    "processor",  "apu",       "series",      "gpu",       "pcie",        "pci",      "agp",
    "sse2",   "sse",        "mesa",      "dri",         "angle",     "metal",       "renderer", "corporation",
    "inc",    "corp",       "ltd",       "co",          "design",    "d3d11",       "d3d9",     "opengl",
    "vulkan", "direct3d11", "direct3d9", "direct3d9ex", "microsoft", "unspecified", "version",
};

constexpr std::string_view kMakerNames[] = {"amd", "intel", "nvidia", "ati"};

// "RTX 3050 A", "Tesla M2070-Q": a letter after the number is a model too.
constexpr std::string_view kSuffixes[] = {"ti",  "super", "xt",  "xtx", "gre", "x3d", "d",  "a",   "q",     "s", "gt",
                                          "gtx", "gts",   "gto", "gs",  "gso", "se",  "le", "max", "ultra", "xl"};

// Families, then the lines within them; a name and a row must share a word
// of each of the two where both say one ("Radeon HD" is not "Radeon RX",
// "GeForce FX" is not "Quadro FX").
constexpr std::string_view kFamilies[] = {"geforce", "radeon",  "quadro", "tesla",    "titan",
                                          "nvs",     "firepro", "firegl", "instinct", "arc"};
constexpr std::string_view kGraphicsLines[] = {"rx",  "hd",  "uhd", "iris", "xe", "vega",
                                               "gtx", "rtx", "gt",  "gts",  "mx"};
constexpr std::string_view kProcessorLines[] = {"core",   "xeon",    "pentium", "celeron",      "atom",
                                                "ryzen",  "athlon",  "epyc",    "threadripper", "opteron",
                                                "phenom", "sempron", "turion"};

struct Count {
  std::string_view word;
  int count;
};

constexpr Count kCounts[] = {{"single", 1}, {"dual", 2}, {"triple", 3}, {"quad", 4},    {"six", 6},     {"hexa", 6},
                             {"eight", 8},  {"octa", 8}, {"ten", 10},   {"twelve", 12}, {"sixteen", 16}};

// The line words a model number is glued to ("rtx4090", "rx6750xt").
constexpr std::string_view kGluedLines[] = {"rtx", "gtx", "gts", "gt", "rx", "hd"};
// The suffixes glued to a model number ("4060ti", "7900xtx"), longest first.
constexpr std::string_view kGluedSuffixes[] = {"super", "xtx", "gre", "ti", "xt"};

// The driver's words in a renderer string's parentheses.
constexpr std::string_view kDriverWords[] = {"llvm", "drm", "radv", "wddm", "gt1",      "gt2",
                                             "gt3",  "gt4", "rev",  "0x",   "secondary"};

// What the tables say of a word, as bits: one look-up a word.
enum : std::uint8_t {
  kDroppedWord = 1,
  kMakerNameWord = 2,
  kSuffixWord = 4,
  kFamilyWord = 8,
  kGraphicsLineWord = 16,
  kProcessorLineWord = 32,
};

std::uint8_t Flags(std::string_view word) {
  static const std::unordered_map<std::string_view, std::uint8_t> kFlags = [] {
    std::unordered_map<std::string_view, std::uint8_t> flags;
    auto add = [&flags](const auto& table, std::uint8_t bit) {
      for (std::string_view w : table) flags[w] |= bit;
    };
    add(kDropped, kDroppedWord);
    add(kMakerNames, kMakerNameWord);
    add(kSuffixes, kSuffixWord);
    add(kFamilies, kFamilyWord);
    add(kGraphicsLines, kGraphicsLineWord);
    add(kProcessorLines, kProcessorLineWord);
    return flags;
  }();
  const auto it = kFlags.find(word);
  return it == kFlags.end() ? 0 : it->second;
}

}  // namespace

const char* ChineseWordAt(std::u16string_view text, std::size_t i, std::size_t& length) {
  for (const Chinese& c : kChinese) {
    if (text.compare(i, c.text.size(), c.text) == 0) {
      length = c.text.size();
      return c.english;
    }
  }
  return nullptr;
}

WordInfo InfoOf(std::string_view word) {
  const std::uint8_t flags = Flags(word);
  WordInfo info;
  info.dropped = (flags & kDroppedWord) != 0 || StartsWith(word, "vs_") || StartsWith(word, "ps_");
  info.maker_name = (flags & kMakerNameWord) != 0;
  info.suffix = (flags & kSuffixWord) != 0;
  info.line = (flags & kFamilyWord) ? 1 : (flags & kGraphicsLineWord) ? 2 : (flags & kProcessorLineWord) ? 3 : 0;
  return info;
}

bool IsDropped(std::string_view word) {
  return (Flags(word) & kDroppedWord) != 0 || StartsWith(word, "vs_") || StartsWith(word, "ps_");
}

bool IsMakerName(std::string_view word) { return (Flags(word) & kMakerNameWord) != 0; }

std::uint8_t FormOf(std::string_view word) {
  return word == "laptop" || word == "mobile" || word == "mobility" || word == "notebook" ? kLaptop : 0;
}

bool IsSuffix(std::string_view word) { return (Flags(word) & kSuffixWord) != 0; }

bool IsModelWord(std::string_view word) { return word == "pro" || word == "fx"; }

int LineLevel(std::string_view word) {
  const std::uint8_t flags = Flags(word);
  if (flags & kFamilyWord) return 1;
  if (flags & kGraphicsLineWord) return 2;
  return (flags & kProcessorLineWord) ? 3 : 0;
}

bool LeadsTier(std::string_view word) { return word == "ryzen" || word == "ai" || word == "ultra"; }

int CoreCount(std::string_view word) {
  if (AllDigits(word) && word.size() <= 3) {
    int n = 0;
    for (char c : word) n = n * 10 + (c - '0');
    return n;
  }
  for (const Count& c : kCounts) {
    if (c.word == word) return c.count;
  }
  return 0;
}

bool IsDriverGroup(std::string_view inside) {
  if (inside.find(',') != std::string_view::npos) return true;
  std::size_t i = 0;
  while (i < inside.size()) {
    while (i < inside.size() && inside[i] == ' ') ++i;
    std::size_t end = i;
    while (end < inside.size() && inside[end] != ' ') ++end;
    const std::string_view word = inside.substr(i, end - i);
    for (std::string_view d : kDriverWords) {
      if (word == d || (d == "0x" && StartsWith(word, d))) return true;
    }
    i = end;
  }
  return false;
}

std::size_t SplitGlued(std::string_view word, std::string_view (&parts)[3]) {
  std::string_view rest = word;
  std::string_view line;
  for (std::string_view l : kGluedLines) {
    if (StartsWith(rest, l) && rest.size() > l.size() && IsDigit(rest[l.size()])) {
      line = rest.substr(0, l.size());
      rest.remove_prefix(l.size());
      break;
    }
  }
  std::size_t digits = 0;
  while (digits < rest.size() && IsDigit(rest[digits])) ++digits;
  if (digits < 3 || digits > 5) return (parts[0] = word, 1);
  const std::string_view number = rest.substr(0, digits);
  const std::string_view tail = rest.substr(digits);
  std::string_view suffix;
  if (!tail.empty()) {
    const bool glued = std::find(std::begin(kGluedSuffixes), std::end(kGluedSuffixes), tail) !=
                       std::end(kGluedSuffixes);
    const bool version = line.empty() && tail.size() == 2 && tail[0] == 'v' && IsDigit(tail[1]);  // "2680v4"
    if (glued || version) {
      suffix = tail;
    } else if (!line.empty() && (tail == "s" || tail == "d")) {
      suffix = tail == "s" ? "super" : "d";  // "rtx2060s", "rtx4090d"
    } else if (line.empty() || !AllDigits(tail)) {
      // "7950x", "rtx4090m": one model word, with its line apart.
      if (line.empty()) return (parts[0] = word, 1);
      parts[0] = line;
      parts[1] = rest;
      return 2;
    }
  }
  std::size_t n = 0;
  if (!line.empty()) parts[n++] = line;
  parts[n++] = number;
  if (!suffix.empty()) parts[n++] = suffix;
  if (n == 1) return (parts[0] = word, 1);
  return n;
}

}  // namespace tianti::query::words
