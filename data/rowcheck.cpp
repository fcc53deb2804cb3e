#include "data/rowcheck.h"

#include <array>
#include <cstdint>
#include <cstdio>

#include "common/utf8.h"

namespace tianti::rowcheck {
namespace {

constexpr std::array<int, 4> kBarColumns = {1, 7, 48, 54};

// One code point of a row and where it stands.
struct Cell {
  char32_t cp;
  int column;  // first display column, 1-based
  int width;   // 1 or 2
};

std::string Hex(char32_t cp) {
  char buf[16];
  (void)std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return buf;
}

bool IsPrintableAscii(char32_t cp) { return cp >= 0x20 && cp <= 0x7E; }

// Whitespace other than the plain space, by its name.
const char* WhitespaceName(char32_t cp) {
  switch (cp) {
    case 0x09:
      return "a tab";
    case 0x0B:
      return "a vertical tab";
    case 0x0C:
      return "a form feed";
    case 0x85:
      return "a next-line character";
    case 0xA0:
      return "a no-break space";
    case 0x1680:
      return "an ogham space mark";
    case 0x2028:
      return "a line separator";
    case 0x2029:
      return "a paragraph separator";
    case 0x202F:
      return "a narrow no-break space";
    case 0x205F:
      return "a medium mathematical space";
    case 0x3000:
      return "an ideographic space";
    default:
      break;
  }
  if (cp >= 0x2000 && cp <= 0x200A) return "a typographic space";
  return nullptr;
}

// A character as it is named in a message: 'x', a space, or U+XXXX.
std::string Name(char32_t cp) {
  if (cp == u' ') return "a space";
  if (IsPrintableAscii(cp) || IsCjkIdeograph(cp)) {
    std::string s = "'";
    AppendUtf8(s, cp);
    return s + "'";
  }
  if (const char* ws = WhitespaceName(cp)) return std::string(ws) + " (" + Hex(cp) + ")";
  if (cp == 0x0D) return "a carriage return (U+000D)";
  if (cp == 0xFEFF) return "a byte order mark (U+FEFF)";
  return Hex(cp);
}

std::string ListName(char16_t letter) { return letter == kGpuLetter ? "the GPU list" : "the CPU list"; }

std::string Letter(char16_t letter) { return std::string(1, static_cast<char>(letter)); }

bool IsDigit(char32_t cp) { return cp >= u'0' && cp <= u'9'; }

std::vector<Cell> ToCells(std::u16string_view row) {
  std::vector<Cell> cells;
  cells.reserve(row.size());
  int column = 1;
  for (std::size_t i = 0; i < row.size(); ++i) {
    char32_t cp = row[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < row.size() && row[i + 1] >= 0xDC00 && row[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (row[i + 1] - 0xDC00);
      ++i;
    }
    const int width = IsCjkIdeograph(cp) ? 2 : 1;
    cells.push_back({cp, column, width});
    column += width;
  }
  return cells;
}

// Collects the messages of one row.
class RowChecker {
 public:
  RowChecker(char16_t letter, const std::string& file, int line, std::vector<Problem>& problems)
      : letter_(letter), file_(file), line_(line), problems_(problems) {}

  void Report(std::string what) { problems_.push_back({file_, line_, std::move(what)}); }

  void CheckCharacters(const std::vector<Cell>& cells) {
    for (const Cell& c : cells) {
      if (IsPrintableAscii(c.cp) || IsCjkIdeograph(c.cp)) continue;
      const std::string where = "display column " + std::to_string(c.column) + " holds ";
      if (c.cp == 0x0D) {
        Report(where + "a carriage return (CR); lines end with LF alone and hold no CR.");
      } else if (WhitespaceName(c.cp) != nullptr) {
        Report(where + Name(c.cp) + "; the space is the only whitespace a row may hold.");
      } else {
        Report(where + Name(c.cp) + ", which is neither printable ASCII nor a CJK ideograph.");
      }
    }
  }

  void CheckNumberField(const std::vector<Cell>& f) {
    if (f.empty()) {
      Report("the number field is empty; it must hold the list letter " + Letter(letter_) + " and the rank number.");
      return;
    }
    std::size_t i = 0;
    const bool has_letter = f[0].cp == letter_;
    if (has_letter) {
      i = 1;
    } else {
      Report("the number field starts with " + Name(f[0].cp) + ", not with the list letter " + Letter(letter_) +
             " of " + ListName(letter_) + ".");
      // Without its letter the field may still carry a readable rank.
      if (!IsDigit(f[0].cp) && f[0].cp != u' ') i = 1;
    }
    if (i < f.size() && f[i].cp == u' ') {
      while (i < f.size() && f[i].cp == u' ') ++i;
      if (i < f.size() && has_letter) {
        Report("the rank number is not left-aligned: a space stands between the list letter "
               "and the number.");
      }
    }
    std::string digits;
    for (; i < f.size() && IsDigit(f[i].cp); ++i) digits += static_cast<char>(f[i].cp);
    for (; i < f.size() && f[i].cp == u' '; ++i) {
    }
    if (i < f.size()) {
      if (f[i].cp == u'|') return;  // reported with the bars
      Report("display column " + std::to_string(f[i].column) + " of the number field holds " + Name(f[i].cp) +
             "; after the list letter come only the rank number and fill spaces.");
      return;
    }
    if (digits.empty()) {
      Report("the number field holds no rank number.");
      return;
    }
    if (digits[0] == '0') {
      Report("the rank number " + digits + " has a leading zero.");
      return;
    }
    const std::string expected = std::to_string(line_);
    if (digits != expected) {
      Report("the rank number is " + digits + ", but line " + expected + " must hold rank " + expected +
             ": ranks run 1, 2, 3, ... down the list without gaps or repeats.");
    }
  }

  void CheckDescription(const std::vector<Cell>& f) {
    bool blank = true;
    for (const Cell& c : f) blank = blank && c.cp == u' ';
    if (blank) {
      Report("the description is empty.");
    } else if (f[0].cp == u' ') {
      Report("the description starts with a space; it must start in display column 8.");
    }
  }

  // Returns the score, or -1 if there is no readable one.
  long CheckScore(const std::vector<Cell>& f) {
    std::size_t begin = 0;
    std::size_t end = f.size();
    while (begin < end && f[begin].cp == u' ') ++begin;
    if (begin == end) {
      Report("the score field holds no score.");
      return -1;
    }
    if (f[end - 1].cp == u' ') {
      Report("the score is not right-aligned: the score field ends with a space.");
      while (f[end - 1].cp == u' ') --end;
    }
    std::string digits;
    for (std::size_t i = begin; i < end; ++i) {
      if (!IsDigit(f[i].cp)) {
        if (f[i].cp == u'|') return -1;  // reported with the bars
        Report("display column " + std::to_string(f[i].column) + " of the score field holds " + Name(f[i].cp) +
               "; a score is digits only.");
        return -1;
      }
      digits += static_cast<char>(f[i].cp);
    }
    if (digits.find_first_not_of('0') == std::string::npos) {
      Report("the score is " + digits + "; a score is a positive number.");
      return -1;
    }
    if (digits[0] == '0') {
      Report("the score " + digits + " has a leading zero.");
      return -1;
    }
    if (digits.size() > 9) return -1;  // already reported as a field too wide
    return std::stol(digits);
  }

 private:
  char16_t letter_;
  const std::string& file_;
  int line_;
  std::vector<Problem>& problems_;
};

std::vector<Cell> Slice(const std::vector<Cell>& cells, std::size_t from, std::size_t to) {
  return std::vector<Cell>(cells.begin() + static_cast<std::ptrdiff_t>(from),
                           cells.begin() + static_cast<std::ptrdiff_t>(to));
}

int Width(const std::vector<Cell>& cells) {
  int w = 0;
  for (const Cell& c : cells) w += c.width;
  return w;
}

}  // namespace

std::string Problem::ToString() const { return file + ":" + std::to_string(line) + ": " + what; }

bool IsCjkIdeograph(char32_t c) { return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF); }

std::size_t DisplayWidth(std::u16string_view text) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;  // a supplementary code point: never a CJK ideograph of the two blocks
      ++width;
    } else {
      width += IsCjkIdeograph(u) ? 2u : 1u;
    }
  }
  return width;
}

bool DecodeUtf8(std::string_view bytes, std::u16string& out, std::size_t& error_offset) {
  out.clear();
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const Utf8Sequence seq = ReadUtf8(bytes, i);
    if (!seq.ok) {
      error_offset = i;
      return false;
    }
    AppendUtf16(out, seq.code_point);
    i += seq.length;
  }
  return true;
}

void CheckRow(std::u16string_view row, char16_t list_letter, const std::string& file, int line, long& previous_score,
              std::vector<Problem>& problems) {
  RowChecker check(list_letter, file, line, problems);
  const long before = previous_score;
  previous_score = -1;
  if (row.empty()) {
    check.Report("the line is empty; every line of a list file holds one ranking row.");
    return;
  }
  const std::vector<Cell> cells = ToCells(row);
  check.CheckCharacters(cells);

  // Find the four bars that frame the fields.
  std::vector<std::size_t> bars;  // indices into cells
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (cells[i].cp == u'|') bars.push_back(i);
  }
  std::array<std::size_t, 4> frame{};
  std::size_t found = 0;
  for (std::size_t k = 0; k < kBarColumns.size(); ++k) {
    for (std::size_t b : bars) {
      if (cells[b].column == kBarColumns[k]) {
        frame[k] = b;
        ++found;
      }
    }
  }
  const char* const kWhereBars = "bars belong in display columns 1, 7, 48 and 54 only";
  auto report_stray_bars = [&] {
    for (std::size_t b : bars) {
      const int col = cells[b].column;
      if (col != 1 && col != 7 && col != 48 && col != 54) {
        check.Report("display column " + std::to_string(col) + " holds a bar; " + kWhereBars + ".");
      }
    }
  };
  const int width = Width(cells);
  if (found == kBarColumns.size() && frame[3] + 1 < cells.size()) {
    check.Report("the row is " + std::to_string(width) +
                 " display columns wide, not 54: text follows the closing bar in display "
                 "column 54.");
  } else if (width != kRowColumns) {
    check.Report("the row is " + std::to_string(width) +
                 " display columns wide; a ranking row is exactly 54 (a CJK ideograph counts "
                 "two).");
  }

  if (found == kBarColumns.size()) {
    // The frame stands where it should; any other bar is one too many.
    report_stray_bars();
  } else if (bars.size() == 4 && bars.front() == 0 && bars.back() == cells.size() - 1) {
    // Four bars framing three fields, but shifted: say which field has the wrong width.
    for (std::size_t k = 0; k < 4; ++k) frame[k] = bars[k];
    static const char* const kField[3] = {"number field", "description field", "score field"};
    static const int kColumns[3] = {kNumberColumns, kDescriptionColumns, kScoreColumns};
    for (std::size_t k = 0; k < 3; ++k) {
      const int w = Width(Slice(cells, frame[k] + 1, frame[k + 1]));
      if (w != kColumns[k]) {
        check.Report("the " + std::string(kField[k]) + " is " + std::to_string(w) + " display columns wide, not " +
                     std::to_string(kColumns[k]) + ", so its closing bar is out of place; " + kWhereBars + ".");
      }
    }
  } else {
    // No usable frame: report each bar position that is wrong, and leave the fields alone.
    for (int col : kBarColumns) {
      bool has = false;
      for (std::size_t b : bars) has = has || cells[b].column == col;
      if (!has) {
        check.Report("display column " + std::to_string(col) + " does not hold a bar; " + kWhereBars + ".");
      }
    }
    report_stray_bars();
    return;
  }

  check.CheckNumberField(Slice(cells, frame[0] + 1, frame[1]));
  check.CheckDescription(Slice(cells, frame[1] + 1, frame[2]));
  const long score = check.CheckScore(Slice(cells, frame[2] + 1, frame[3]));
  if (score > 0 && before > 0 && score > before) {
    check.Report("the score " + std::to_string(score) + " is higher than the score " + std::to_string(before) +
                 " of the row before; scores never increase down a list.");
  }
  previous_score = score;
}

ListResult CheckList(std::string_view bytes, char16_t list_letter, const std::string& file) {
  ListResult result;
  if (bytes.empty()) {
    result.problems.push_back({file, 1, "the file is empty; a list holds at least one row."});
    return result;
  }
  long previous_score = -1;
  int line = 0;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    ++line;
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();  // last line without LF: accepted
    std::string_view text = bytes.substr(pos, end - pos);
    pos = end + 1;

    if (line == 1 && text.substr(0, 3) == "\xEF\xBB\xBF") {
      result.problems.push_back(
          {file, line, "the file starts with a byte order mark; list files are UTF-8 without one."});
      text.remove_prefix(3);
    }
    if (!text.empty() && text.back() == '\r') {
      result.problems.push_back({file, line, "the line ends with CR LF; list files use LF line ends alone."});
      text.remove_suffix(1);
    }
    std::u16string row;
    std::size_t bad = 0;
    if (!DecodeUtf8(text, row, bad)) {
      char buf[8];
      (void)std::snprintf(buf, sizeof buf, "0x%02X", static_cast<unsigned char>(text[bad]));
      result.problems.push_back({file, line,
                                 "the line is not valid UTF-8: byte " + std::to_string(bad + 1) + " (" + buf +
                                     ") does not start a valid sequence."});
      result.rows.emplace_back();
      previous_score = -1;
      continue;
    }
    CheckRow(row, list_letter, file, line, previous_score, result.problems);
    result.rows.push_back(std::move(row));
  }
  return result;
}

std::vector<Problem> TableResult::AllProblems() const {
  std::vector<Problem> all = cpu.problems;
  all.insert(all.end(), gpu.problems.begin(), gpu.problems.end());
  return all;
}

TableResult CheckTable(std::string_view cpu_bytes, const std::string& cpu_file, std::string_view gpu_bytes,
                       const std::string& gpu_file) {
  TableResult result{CheckList(cpu_bytes, kCpuLetter, cpu_file), CheckList(gpu_bytes, kGpuLetter, gpu_file)};
  const std::size_t cpu_rows = result.cpu.rows.size();
  const std::size_t gpu_rows = result.gpu.rows.size();
  const std::string limit = "; the two lists together hold at most " + std::to_string(kMaxTotalRows) + " rows.";
  const auto max_rows = static_cast<std::size_t>(kMaxTotalRows);
  if (cpu_rows > max_rows) {
    result.cpu.problems.push_back(
        {cpu_file, kMaxTotalRows + 1, "the CPU list alone holds " + std::to_string(cpu_rows) + " rows" + limit});
  } else if (cpu_rows + gpu_rows > max_rows) {
    result.gpu.problems.push_back({gpu_file, static_cast<int>(max_rows - cpu_rows + 1),
                                   "this row makes " + std::to_string(kMaxTotalRows + 1) + " rows with the " +
                                       std::to_string(cpu_rows) + " of the CPU list" + limit});
  }
  return result;
}

}  // namespace tianti::rowcheck
