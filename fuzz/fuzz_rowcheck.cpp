// fuzz_rowcheck: arbitrary bytes as the content of the ranking-row list
// files, fed to the row validator. Its verdict is compared with a plain
// layout check written here, and every problem it reports must read
// "name:line: text" with a line of the file.
//
// Input: byte 0, then the content.
//   bits 0-1 of byte 0   0 the CPU file alone, 1 the GPU file alone, 2 or 3
//                        both files: the content splits at its first FF FF
//                        (never part of valid UTF-8) into the CPU file and
//                        the GPU file
//
// Lists past the limit of 4736 rows are left to the unit tests: a file of
// that many lines takes milliseconds to check where the inputs here take
// microseconds, and once the fuzzer finds such files it spends nearly all of
// its time on them.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "data/rowcheck.h"

namespace {

namespace rc = tianti::rowcheck;

constexpr std::size_t kMaxTotalRows = 4736;

std::string Printable(std::string_view bytes) {
  std::string out;
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x20 && b < 0x7F && b != '\\') {
      out += ch;
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", b);
      out += buf;
    }
  }
  return out;
}

[[noreturn]] void Fail(const std::string& what, std::string_view file) {
  std::fprintf(stderr, "fuzz_rowcheck: %s\n  file: %s\n", what.c_str(), Printable(file.substr(0, 2000)).c_str());
  std::abort();
}

// ---- the plain layout check ----------------------------------------------------

struct Char {
  char32_t cp;
  int width;
};

bool IsCjk(char32_t cp) { return (cp >= 0x3400 && cp <= 0x4DBF) || (cp >= 0x4E00 && cp <= 0x9FFF); }

// A row may hold only printable ASCII and CJK ideographs, so anything else
// makes the line invalid; CJK ideographs are three bytes in UTF-8.
bool DecodeRow(std::string_view line, std::vector<Char>& chars, std::u16string& text) {
  for (std::size_t i = 0; i < line.size();) {
    const auto b = static_cast<unsigned char>(line[i]);
    if (b >= 0x20 && b <= 0x7E) {
      chars.push_back({b, 1});
      text.push_back(b);
      ++i;
      continue;
    }
    if ((b & 0xF0) != 0xE0 || i + 3 > line.size()) return false;
    const auto b1 = static_cast<unsigned char>(line[i + 1]);
    const auto b2 = static_cast<unsigned char>(line[i + 2]);
    if ((b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80) return false;
    const char32_t cp = ((b & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
    if (!IsCjk(cp)) return false;
    chars.push_back({cp, 2});
    text.push_back(static_cast<char16_t>(cp));
    i += 3;
  }
  return true;
}

// The lines of a file: split at LF; a final LF ends the last line.
std::vector<std::string_view> Lines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    lines.push_back(bytes.substr(pos, end - pos));
    pos = end + 1;
  }
  return lines;
}

// Whether one line is a valid ranking row with rank `rank`; `score` gets its score.
bool ValidRow(std::string_view line, char letter, std::size_t rank, long& score, std::u16string& text) {
  std::vector<Char> chars;
  if (!DecodeRow(line, chars, text)) return false;
  // The text of display columns first..last, which must start and end on
  // character boundaries.
  std::string fields[3];
  int column = 1;
  int bars = 0;
  for (const Char& c : chars) {
    const bool bar_column = column == 1 || column == 7 || column == 48 || column == 54;
    if ((c.cp == '|') != bar_column) return false;
    if (c.cp == '|') {
      ++bars;
    } else if (bars >= 1 && bars <= 3) {
      if (c.width == 2) {
        fields[bars - 1] += "##";  // a CJK ideograph; only the description may hold one
      } else {
        fields[bars - 1] += static_cast<char>(c.cp);
      }
    }
    column += c.width;
  }
  if (column != 55 || bars != 4) return false;

  std::string number = std::string(1, letter) + std::to_string(rank);
  if (number.size() > 5) return false;
  number.resize(5, ' ');
  if (fields[0] != number) return false;

  if (fields[1].size() != 40 || fields[1][0] == ' ') return false;

  const std::string& s = fields[2];
  const std::size_t digits = s.find_first_not_of(' ');
  if (s.size() != 5 || digits == std::string::npos || s[digits] == '0') return false;
  score = 0;
  for (std::size_t i = digits; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    score = score * 10 + (s[i] - '0');
  }
  return true;
}

// Whether a whole file is a valid list; `rows` gets its rows.
bool ValidList(std::string_view bytes, char letter, std::vector<std::u16string>& rows) {
  if (bytes.empty()) return false;
  long previous = -1;
  std::size_t rank = 0;
  for (std::string_view line : Lines(bytes)) {
    ++rank;
    long score = 0;
    std::u16string text;
    if (!ValidRow(line, letter, rank, score, text)) return false;
    if (previous >= 0 && score > previous) return false;
    previous = score;
    rows.push_back(std::move(text));
  }
  return true;
}

// ---- checking the validator ------------------------------------------------------

bool ValidUtf8Text(const std::string& s) {
  std::u16string decoded;
  std::size_t bad = 0;
  if (!rc::DecodeUtf8(s, decoded, bad)) return false;
  for (char16_t c : decoded) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

void CheckProblems(const std::vector<rc::Problem>& problems, const std::string& name, std::size_t lines,
                   std::string_view bytes) {
  for (const rc::Problem& p : problems) {
    const std::string text = p.ToString();
    if (p.file != name) Fail("a problem names the file " + p.file + ": " + text, bytes);
    // An empty file has no line; its problem stands at line 1.
    const std::size_t last = lines == 0 ? 1 : lines;
    if (p.line < 1 || static_cast<std::size_t>(p.line) > last) {
      Fail("line " + std::to_string(p.line) + " outside 1.." + std::to_string(last) + ": " + text, bytes);
    }
    if (text != name + ":" + std::to_string(p.line) + ": " + p.what) {
      Fail("not \"name:line: text\": " + text, bytes);
    }
    if (p.what.empty() || p.what.back() != '.' || !ValidUtf8Text(p.what)) {
      Fail("the message is not one line of text ending with a full stop: " + text, bytes);
    }
  }
}

// The validator's result for one file against the plain check.
void CheckList(const rc::ListResult& result, std::string_view bytes, char letter, const std::string& name,
               bool within_limit) {
  const std::size_t lines = Lines(bytes).size();
  CheckProblems(result.problems, name, lines, bytes);
  if (result.rows.size() != lines) {
    Fail(name + ": " + std::to_string(result.rows.size()) + " rows for " + std::to_string(lines) + " lines", bytes);
  }
  std::vector<std::u16string> rows;
  const bool valid = ValidList(bytes, letter, rows) && within_limit;
  if (result.problems.empty() && !valid) Fail(name + ": accepted, but breaks the layout", bytes);
  if (!result.problems.empty() && valid) {
    Fail(name + ": a valid list rejected: " + result.problems[0].ToString(), bytes);
  }
  if (!valid) return;
  if (result.rows != rows) Fail(name + ": the rows differ from the file's lines", bytes);
  for (const std::u16string& row : result.rows) {
    if (rc::DisplayWidth(row) != 54) Fail(name + ": DisplayWidth of a valid row is not 54", bytes);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned mode = data[0] & 3;
  const std::string_view content(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string cpu_name = "cpu.txt";
  const std::string gpu_name = "gpu.txt";

  if (mode < 2) {
    const char letter = mode == 0 ? 'C' : 'G';
    const std::string& name = mode == 0 ? cpu_name : gpu_name;
    const rc::ListResult result = rc::CheckList(content, static_cast<char16_t>(letter), name);
    CheckList(result, content, letter, name, true);
    return 0;
  }

  const std::size_t split = content.find("\xFF\xFF");
  const std::string_view cpu = content.substr(0, split);
  const std::string_view gpu = split == std::string_view::npos ? std::string_view() : content.substr(split + 2);
  const rc::TableResult table = rc::CheckTable(cpu, cpu_name, gpu, gpu_name);
  const std::size_t cpu_lines = Lines(cpu).size();
  const std::size_t gpu_lines = Lines(gpu).size();
  CheckList(table.cpu, cpu, 'C', cpu_name, cpu_lines <= kMaxTotalRows);
  CheckList(table.gpu, gpu, 'G', gpu_name, cpu_lines > kMaxTotalRows || cpu_lines + gpu_lines <= kMaxTotalRows);
  if (table.ok() != (table.cpu.problems.empty() && table.gpu.problems.empty())) {
    Fail("ok() disagrees with the problems", content);
  }
  std::vector<rc::Problem> all = table.cpu.problems;
  all.insert(all.end(), table.gpu.problems.begin(), table.gpu.problems.end());
  const std::vector<rc::Problem> reported = table.AllProblems();
  if (reported.size() != all.size()) Fail("AllProblems loses problems", content);
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (reported[i].ToString() != all[i].ToString()) Fail("AllProblems: not CPU file first", content);
  }
  return 0;
}
