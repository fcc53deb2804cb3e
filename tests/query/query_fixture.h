// A started main window over the in-memory services, with helpers to type
// terms, run a query and read the result table back.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "query/text.h"
#include "ui/memory_services.h"

namespace tianti::testing {

inline constexpr std::u16string_view kBorder = u"+-----+----------------------------------------+-----+";
inline constexpr std::u16string_view kHeader = u"|编号 |硬件描述                                |得分 |";
inline constexpr std::u16string_view kNoteStart = u"注:仅显示前30条记录(请缩少范围)";

// Printable form of UTF-16 text for failure messages.
inline std::string ToString(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      static const char kHex[] = "0123456789ABCDEF";
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
    }
  }
  return out;
}

// The five term boxes: main, AND, OR 1..3.
struct Terms {
  Terms(std::u16string m = {}, std::u16string a = {}, std::u16string o1 = {}, std::u16string o2 = {},
        std::u16string o3 = {})
      : main(std::move(m)), also(std::move(a)), or1(std::move(o1)), or2(std::move(o2)), or3(std::move(o3)) {}
  std::u16string main, also, or1, or2, or3;
};

class QueryTest : public ::testing::Test {
 protected:
  QueryTest() {
    ui.SetSink(&form);
    form.Form_Load();
  }

  void Type(const Terms& t) {
    ui.SetText(ui::Ctl::Text1, t.main);
    ui.SetText(ui::Ctl::Text2, t.also);
    ui.SetText(ui::Ctl::Text5, t.or1);
    ui.SetText(ui::Ctl::Text6, t.or2);
    ui.SetText(ui::Ctl::Text7, t.or3);
  }

  // The user's way to run a query in a scope: a click on the option, or
  // Query when that option is already selected.
  void Run(ui::Ctl option = ui::Ctl::Option1) {
    if (ui.Value(option)) {
      form.Command2_Click();
    } else {
      ui.Select(option);
    }
  }

  void Query(const Terms& t, ui::Ctl option = ui::Ctl::Option1) {
    Type(t);
    Run(option);
  }

  // The results box split into lines; every line must end with CR LF.
  std::vector<std::u16string> Lines() const {
    const std::u16string text = ui.Text(ui::Ctl::Text8);
    std::vector<std::u16string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
      const std::size_t end = text.find(u"\r\n", pos);
      if (end == std::u16string::npos) {
        ADD_FAILURE() << "the last line has no CR LF";
        lines.push_back(text.substr(pos));
        break;
      }
      lines.push_back(text.substr(pos, end - pos));
      pos = end + 2;
    }
    return lines;
  }

  // The row lines of the table: everything after the head that is not a
  // border line. Checks the head on the way.
  std::vector<std::u16string> Rows() const {
    const auto lines = Lines();
    std::vector<std::u16string> rows;
    if (lines.size() < 3) {
      ADD_FAILURE() << "no table head";
      return rows;
    }
    EXPECT_EQ(lines[0], kBorder);
    EXPECT_EQ(lines[1], kHeader);
    EXPECT_EQ(lines[2], kBorder);
    for (std::size_t i = 3; i < lines.size(); ++i) {
      if (lines[i] != kBorder) rows.push_back(lines[i]);
    }
    return rows;
  }

  // Texts of the message boxes shown so far.
  std::vector<std::u16string> MessageTexts() const {
    std::vector<std::u16string> texts;
    for (const auto& m : ui.messages()) texts.push_back(m.text);
    return texts;
  }

  // ---- synthetic rows ------------------------------------------------------
  void ClearRows() {
    for (int i = RankRowArray::kFirst; i <= RankRowArray::kLast; ++i) form.RankRows.Set(i, u"");
  }
  void PutRow(int slot, std::u16string row) {
    owned_.push_back(std::move(row));
    form.RankRows.Set(slot, owned_.back());
  }
  // A row in the ranking-row format: number field, description, score.
  static std::u16string MakeRow(char16_t letter, int rank, std::u16string_view desc, int score) {
    std::u16string number = letter + Ascii(std::to_string(rank));
    std::u16string score_text = Ascii(std::to_string(score));
    std::u16string row = u"|" + number + std::u16string(5 - number.size(), u' ') + u"|";
    row += desc;
    row += std::u16string(40 - desc.size(), u' ');
    row += u"|" + std::u16string(5 - score_text.size(), u' ') + score_text + u"|";
    return row;
  }
  static std::u16string Ascii(std::string_view s) { return std::u16string(s.begin(), s.end()); }

  // The rows a query must list, found the plain way: upper-case every row
  // in full and search it.
  std::vector<std::u16string> Expected(const Terms& typed, char16_t excluded, std::size_t limit = 30) const {
    auto term = [](const std::u16string& s) { return query::UpperCase(query::Trim(s)); };
    const std::u16string m = term(typed.main), a = term(typed.also), o1 = term(typed.or1), o2 = term(typed.or2),
                         o3 = term(typed.or3);
    std::vector<std::u16string> wanted;
    for (int slot = 1; slot <= RankRowArray::kLast && wanted.size() < limit; ++slot) {
      const std::u16string row(form.RankRows[slot]);
      if (row.size() >= 2 && row[1] == excluded) continue;
      const std::u16string upper = query::UpperCase(row);
      auto has = [&](const std::u16string& t) { return upper.find(t) != std::u16string::npos; };
      bool match;
      if (!a.empty()) {
        match = has(m) && has(a);
      } else if (o1.empty()) {
        match = has(m);
      } else if (o2.empty()) {
        match = has(m) || has(o1);
      } else if (o3.empty()) {
        match = has(m) || has(o1) || has(o2);
      } else {
        match = has(m) || has(o1) || has(o2) || has(o3);
      }
      if (match && !row.empty()) wanted.push_back(row);
    }
    return wanted;
  }

  ui::MemoryServices ui;
  Form1 form{ui};

 private:
  std::deque<std::u16string> owned_;
};

}  // namespace tianti::testing
