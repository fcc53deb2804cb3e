#include "cli/formats.h"

#include "common/utf8.h"

namespace tianti::cli {

std::optional<query::Scope> ScopeNamed(std::u16string_view word) {
  if (word == u"all") return query::Scope::kAll;
  if (word == u"cpu") return query::Scope::kCpu;
  if (word == u"gpu") return query::Scope::kGpu;
  return std::nullopt;
}

std::optional<Format> FormatNamed(std::u16string_view word) {
  if (word == u"table") return Format::kTable;
  if (word == u"tsv") return Format::kTsv;
  if (word == u"json") return Format::kJson;
  return std::nullopt;
}

namespace {

// Row layout: bar, number field (letter + rank, 5 columns), bar, description
// (40 display columns), bar, score (5 columns, right-aligned), bar.
constexpr std::size_t kNumberField = 5;
constexpr std::size_t kScoreField = 5;

// A decimal number of the given field: digits with spaces around them.
std::optional<long> FieldNumber(std::u16string_view field) {
  long value = 0;
  bool digits = false;
  bool done = false;
  for (char16_t c : field) {
    if (c == u' ') {
      done = digits;
      continue;
    }
    if (c < u'0' || c > u'9' || done) return std::nullopt;
    value = value * 10 + (c - u'0');
    digits = true;
  }
  if (!digits) return std::nullopt;
  return value;
}

}  // namespace

void AppendJsonString(std::string& out, std::u16string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (char c : ToUtf8(text)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

void AppendJsonStrings(std::string& out, const std::vector<std::u16string>& texts) {
  out += '[';
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (i) out += ',';
    AppendJsonString(out, texts[i]);
  }
  out += ']';
}

std::optional<RowFields> SplitRow(std::u16string_view line) {
  constexpr std::size_t kMin = 1 + kNumberField + 1 + 1 + kScoreField + 1;
  if (line.size() < kMin || line[0] != u'|' || line[kNumberField + 1] != u'|' || line.back() != u'|' ||
      line[line.size() - kScoreField - 2] != u'|') {
    return std::nullopt;
  }
  const char16_t letter = line[1];
  if (letter != u'C' && letter != u'G') return std::nullopt;
  const auto rank = FieldNumber(line.substr(2, kNumberField - 1));
  const auto score = FieldNumber(line.substr(line.size() - kScoreField - 1, kScoreField));
  if (!rank || !score) return std::nullopt;
  std::u16string_view description = line.substr(kNumberField + 2, line.size() - (kNumberField + 2) - (kScoreField + 2));
  while (!description.empty() && description.back() == u' ') description.remove_suffix(1);
  return RowFields{static_cast<char>(letter), *rank, std::u16string(description), *score};
}

std::vector<RowFields> TableRows(std::u16string_view table) {
  std::vector<RowFields> rows;
  while (!table.empty()) {
    const std::size_t end = table.find(u'\n');
    std::u16string_view line = table.substr(0, end);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    if (auto row = SplitRow(line)) rows.push_back(std::move(*row));
    if (end == std::u16string_view::npos) break;
    table.remove_prefix(end + 1);
  }
  return rows;
}

std::string TsvText(const std::vector<RowFields>& rows) {
  std::string out;
  for (const RowFields& row : rows) {
    out += row.list;
    out += '\t';
    out += std::to_string(row.rank);
    out += '\t';
    out += ToUtf8(row.description);
    out += '\t';
    out += std::to_string(row.score);
    out += '\n';
  }
  return out;
}

std::string JsonText(const JsonResult& result) {
  std::string out = "{\"rows\":[";
  for (std::size_t i = 0; i < result.rows.size(); ++i) {
    const RowFields& row = result.rows[i];
    if (i) out += ',';
    out += "{\"list\":\"";
    out += row.list;
    out += "\",\"rank\":" + std::to_string(row.rank) + ",\"description\":";
    AppendJsonString(out, row.description);
    out += ",\"score\":" + std::to_string(row.score) + '}';
  }
  out += "],\"rule\":";
  if (result.rule) {
    out += '"';
    out += result.rule;
    out += '"';
  } else {
    out += "null";
  }
  out += ",\"truncated\":";
  out += result.truncated ? "true" : "false";
  out += ",\"messages\":";
  AppendJsonStrings(out, result.messages);
  out += "}\n";
  return out;
}

}  // namespace tianti::cli
