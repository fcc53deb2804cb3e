#include "web/renderer.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace tianti::web {

namespace {

constexpr std::u16string_view kSpaces = u" \t\r\n";

std::u16string_view Trim(std::u16string_view s) {
  const std::size_t first = s.find_first_not_of(kSpaces);
  if (first == std::u16string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kSpaces) - first + 1);
}

bool StartsWith(std::u16string_view s, std::u16string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool EndsWith(std::u16string_view s, std::u16string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

std::u16string AsciiLower(std::u16string_view s) {
  std::u16string lower(s);
  for (char16_t& c : lower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return lower;
}

// Firefox's generalised strings end so: "ANGLE (…), or similar".
constexpr std::u16string_view kOrSimilar = u", or similar";

// The fields of "a, b (c, d), e" split at the commas outside brackets.
std::vector<std::u16string_view> TopLevelFields(std::u16string_view s) {
  std::vector<std::u16string_view> fields;
  int depth = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'(') ++depth;
    if (s[i] == u')' && depth > 0) --depth;
    if (s[i] == u',' && depth == 0) {
      fields.push_back(Trim(s.substr(start, i - start)));
      start = i + 1;
    }
  }
  fields.push_back(Trim(s.substr(start)));
  return fields;
}

// Removes a bracketed group at the end that follows a space ("… (0x00002684)",
// "… (KBL GT2)"), but not one that is part of a word ("Intel(R)").
bool DropTrailingGroup(std::u16string_view& s) {
  if (s.empty() || s.back() != u')') return false;
  int depth = 0;
  for (std::size_t i = s.size(); i-- > 0;) {
    if (s[i] == u')') ++depth;
    if (s[i] == u'(' && --depth == 0) {
      if (i == 0 || s[i - 1] != u' ') return false;
      s = Trim(s.substr(0, i));
      return true;
    }
  }
  return false;
}

std::u16string Quoted(std::u16string_view s) { return u"“" + std::u16string(s) + u"”"; }

}  // namespace

std::u16string RendererDevice(std::u16string_view renderer) {
  std::u16string_view s = Trim(renderer);
  if (EndsWith(s, kOrSimilar)) s = Trim(s.substr(0, s.size() - kOrSimilar.size()));
  constexpr std::u16string_view kAngle = u"ANGLE (";
  if (StartsWith(s, kAngle) && EndsWith(s, u")")) {
    const std::vector<std::u16string_view> fields = TopLevelFields(
        s.substr(kAngle.size(), s.size() - kAngle.size() - 1));
    s = fields.size() >= 2 ? fields[1] : fields[0];
  }
  for (std::u16string_view prefix : {u"ANGLE Metal Renderer:", u"Mesa "}) {
    if (StartsWith(s, prefix)) s = Trim(s.substr(prefix.size()));
  }
  // Direct3D's shader models, OpenGL's bus and instruction set tails.
  for (std::u16string_view tail : {u" Direct3D", u"/PCIe", u"/PCI", u"/AGP", u"/SSE2"}) {
    const std::size_t at = s.find(tail);
    if (at != std::u16string_view::npos) s = Trim(s.substr(0, at));
  }
  while (DropTrailingGroup(s)) {
  }
  return std::u16string(s);
}

commands::AdapterReport RendererReport(std::u16string_view renderer) {
  commands::AdapterReport report;
  const std::u16string_view reported = Trim(renderer);
  if (reported.empty()) {
    report.note = u"浏览器没有提供显卡型号(WebGL 不可用，或不给出 UNMASKED_RENDERER_WEBGL)。";
    return report;
  }
  commands::AdapterName adapter;
  adapter.reported = std::u16string(reported);
  const std::u16string lower = AsciiLower(reported);
  constexpr std::array<std::u16string_view, 5> kSoftware = {u"swiftshader", u"llvmpipe", u"softpipe",
                                                            u"microsoft basic render", u"software"};
  constexpr std::array<std::u16string_view, 4> kStandIns = {u"apple gpu", u"webkit webgl", u"mozilla",
                                                            u"generic renderer"};
  const bool software = std::any_of(kSoftware.begin(), kSoftware.end(),
                                    [&](std::u16string_view word) { return lower.find(word) != std::u16string::npos; });
  const bool stand_in = std::find(kStandIns.begin(), kStandIns.end(), lower) != kStandIns.end();
  if (software) {
    report.note = u"浏览器报告的是软件渲染器" + Quoted(reported) +
                  u"，不是显卡：页面看不到本机显卡的型号(多为硬件加速已关闭)。";
  } else if (stand_in) {
    report.note = u"浏览器隐藏了显卡型号，只报告" + Quoted(reported) + u"。";
  } else {
    adapter.name = RendererDevice(reported);
    if (adapter.name->empty()) adapter.name.reset();
    if (EndsWith(reported, kOrSimilar)) {
      report.note = u"浏览器只报告了相近的型号" + Quoted(reported) + u"，本机显卡可能是另一型号。";
    }
  }
  report.adapters.push_back(std::move(adapter));
  return report;
}

}  // namespace tianti::web
