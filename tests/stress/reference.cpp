#include "tests/stress/reference.h"

#include "data/ranking_rows.h"
#include "query/text.h"

namespace tianti::stress {

namespace {

constexpr int kLastSlot = 4736;
constexpr std::size_t kMaxRows = 30;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\u3000'; }

void AddLine(std::u16string& text, std::u16string_view line) {
  text.append(line);
  text.append(u"\r\n");
}

}  // namespace

Reference::Reference() {
  for (const data::RowList* list : {&data::kCpuRows, &data::kGpuRows}) {
    for (int i = 0; i < list->count; ++i) rows_.push_back(list->Row(i));
  }
  while (rows_.size() < static_cast<std::size_t>(kLastSlot)) rows_.emplace_back();
  for (std::u16string_view row : rows_) upper_.push_back(query::UpperCase(row));
}

std::u16string Reference::Term(std::u16string_view box) {
  std::size_t begin = 0, end = box.size();
  while (begin < end && IsBlank(box[begin])) ++begin;
  while (end > begin && IsBlank(box[end - 1])) --end;
  return query::UpperCase(box.substr(begin, end - begin));
}

std::u16string Reference::Table(const std::vector<std::u16string_view>& rows) {
  std::u16string text;
  AddLine(text, kBorder);
  AddLine(text, kHeader);
  AddLine(text, kBorder);
  for (std::size_t n = 1; n <= rows.size(); ++n) {
    AddLine(text, rows[n - 1]);
    if (n % 5 == 4) AddLine(text, kBorder);
  }
  if (rows.size() > 4 && rows.size() % 5 != 4) AddLine(text, kBorder);
  return text;
}

Outcome Reference::Query(const BoxTerms& boxes, char16_t scope) const {
  Outcome out;
  const std::u16string main = Term(boxes.main), also = Term(boxes.also), or1 = Term(boxes.or1), or2 = Term(boxes.or2),
                       or3 = Term(boxes.or3);
  if (main.empty()) {
    out.missing_term = true;
    return out;
  }
  std::vector<const std::u16string*> any;  // a row must hold one of these
  if (!also.empty()) {
    out.rule = u'b';
  } else if (or1.empty()) {
    out.rule = u'a';
    any = {&main};
  } else if (or2.empty()) {
    out.rule = u'c';
    any = {&main, &or1};
  } else if (or3.empty()) {
    out.rule = u'd';
    any = {&main, &or1, &or2};
  } else {
    out.rule = u'e';
    any = {&main, &or1, &or2, &or3};
  }
  const char16_t excluded = scope == u'2' ? u'G' : scope == u'3' ? u'C' : u'A';
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const std::u16string_view row = rows_[i];
    if (row.size() >= 2 && row[1] == excluded) continue;
    const std::u16string& upper = upper_[i];
    bool match = false;
    if (out.rule == u'b') {
      match = upper.find(main) != std::u16string::npos && upper.find(also) != std::u16string::npos;
    } else {
      for (const std::u16string* term : any) match = match || upper.find(*term) != std::u16string::npos;
    }
    if (!match) continue;
    if (out.rows.size() == kMaxRows) {
      out.limit_note = true;
      out.note = std::u16string(u"注:仅显示前30条记录(请缩少范围)") + out.rule + u"。";
      break;
    }
    out.rows.push_back(row);
  }
  out.table = Table(out.rows);
  return out;
}

std::string Printable(std::u16string_view text, std::size_t max) {
  std::string out;
  static const char kHex[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < text.size() && i < max; ++i) {
    const char16_t c = text[i];
    if (c >= 0x20 && c < 0x7F && c != u'\\') {
      out += static_cast<char>(c);
    } else if (c == u'\r') {
      out += "\\r";
    } else if (c == u'\n') {
      out += "\\n";
    } else {
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
    }
  }
  if (text.size() > max) out += "...(" + std::to_string(text.size()) + " units)";
  return out;
}

}  // namespace tianti::stress
