#include "data/rowcheck.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace rc = tianti::rowcheck;

namespace {

// Three sound CPU rows; the middle one holds two CJK ideographs (52 UTF-16
// units, 54 display columns).
const std::string kRow1 = "|C1   |AMD Ryzen Threadripper 3970X            |47956|";
const std::string kRow2 = "|C2   |Radeon R7 + R7 350双卡                  | 1982|";
const std::string kRow3 = "|C3   |VIA Samuel 2                            |   79|";

std::vector<std::string> Messages(const std::string& content, char16_t letter = rc::kCpuLetter) {
  std::vector<std::string> out;
  for (const rc::Problem& p : rc::CheckList(content, letter, "t.txt").problems) {
    out.push_back(p.ToString());
  }
  return out;
}

// The problems of a file whose 2nd line is replaced by `line2`.
std::vector<std::string> WithLine2(const std::string& line2) {
  return Messages(kRow1 + "\n" + line2 + "\n" + kRow3 + "\n");
}

std::string Joined(const std::vector<std::string>& v) {
  std::string s;
  for (const std::string& m : v) s += m + "\n";
  return s;
}

// A sound row for rank `rank` with an ASCII description.
std::string MakeRow(char letter, int rank, int score) {
  std::string number = letter + std::to_string(rank);
  std::string desc = "Model " + std::to_string(rank);
  std::string sc = std::to_string(score);
  return "|" + number + std::string(5 - number.size(), ' ') + "|" + desc + std::string(40 - desc.size(), ' ') + "|" +
         std::string(5 - sc.size(), ' ') + sc + "|";
}

std::string MakeList(char letter, int count) {
  std::string s;
  for (int r = 1; r <= count; ++r) s += MakeRow(letter, r, 100) + "\n";
  return s;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(RowCheckWidth, DisplayWidthCountsCjkIdeographsTwice) {
  EXPECT_EQ(rc::DisplayWidth(u""), 0u);
  EXPECT_EQ(rc::DisplayWidth(u"GeForce"), 7u);
  EXPECT_EQ(rc::DisplayWidth(u"移动版 X"), 8u);
  // Block edges: U+3400 and U+4E00..U+9FFF are ideographs, their neighbours not.
  EXPECT_EQ(rc::DisplayWidth(u"\u3400\u4DBF\u4E00\u9FFF"), 8u);
  EXPECT_EQ(rc::DisplayWidth(u"\u33FF\u4DC0\uA000\uFF21"), 4u);
  // A supplementary character is one code point of one column.
  EXPECT_EQ(rc::DisplayWidth(u"\U0001F600a"), 2u);
}

TEST(RowCheckUtf8, DecodesStrictly) {
  std::u16string out;
  std::size_t bad = 99;
  ASSERT_TRUE(rc::DecodeUtf8("a\xE5\x8F\x8C\xF0\x9F\x98\x80", out, bad));
  EXPECT_EQ(out, u"a双\U0001F600");
  // Stray continuation, truncated sequence, overlong slash, surrogate, > U+10FFFF.
  const std::vector<std::pair<std::string, std::size_t>> broken = {
      {"ab\x80", 2}, {"a\xE5\x8F", 1}, {"\xC0\xAF", 0}, {"xx\xED\xA0\x80", 2}, {"\xF4\x90\x80\x80", 0}, {"a\xFF", 1}};
  for (const auto& [bytes, offset] : broken) {
    EXPECT_FALSE(rc::DecodeUtf8(bytes, out, bad)) << bytes;
    EXPECT_EQ(bad, offset) << bytes;
  }
}

TEST(RowCheckList, SoundListsPass) {
  EXPECT_TRUE(Messages(kRow1 + "\n" + kRow2 + "\n" + kRow3 + "\n").empty());
  // The final LF is optional.
  EXPECT_TRUE(Messages(kRow1 + "\n" + kRow2).empty());
  const rc::ListResult r = rc::CheckList(kRow1 + "\n" + kRow2 + "\n", rc::kCpuLetter, "t.txt");
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.rows[1].size(), 52u);
  EXPECT_EQ(rc::DisplayWidth(r.rows[1]), 54u);
  // Equal scores and a CJK Extension A ideograph are fine.
  EXPECT_TRUE(WithLine2("|C2   |\xE3\x90\x80 Model                                |   79|").empty());
}

// Each broken second line yields exactly the listed messages, all on line 2.
TEST(RowCheckList, EveryBrokenRuleIsReportedAtItsLine) {
  struct Case {
    const char* line2;
    std::vector<const char*> expected;  // substrings, one per message, in order
  };
  const std::vector<Case> cases = {
      // width and bars
      {"|C2   |Radeon R7 + R7 350双卡                   | 1982|",
       {"row is 55 display columns wide", "description field is 41 display columns wide"}},
      {"|C2   |Radeon R7 + R7 350双卡                  | 1982|x",
       {"row is 55 display columns wide, not 54: text follows the closing bar"}},
      {"|C2    Radeon R7 + R7 350双卡                  | 1982|", {"display column 7 does not hold a bar"}},
      {"|C2   |Radeon R7 | R7 350双卡                  | 1982|", {"display column 18 holds a bar"}},
      {"|C2   |Radeon R7 + R7 350 abcdefghijklmnopqrst双 1982|", {"display column 48 does not hold a bar"}},
      // list letter and rank number
      {"|G2   |Radeon R7 + R7 350双卡                  | 1982|",
       {"starts with 'G', not with the list letter C of the CPU list"}},
      {"|C3   |Radeon R7 + R7 350双卡                  | 1982|", {"rank number is 3, but line 2 must hold rank 2"}},
      {"|C02  |Radeon R7 + R7 350双卡                  | 1982|", {"rank number 02 has a leading zero"}},
      {"|C 2  |Radeon R7 + R7 350双卡                  | 1982|", {"not left-aligned"}},
      {"|C    |Radeon R7 + R7 350双卡                  | 1982|", {"holds no rank number"}},
      {"|C2x  |Radeon R7 + R7 350双卡                  | 1982|", {"display column 4 of the number field holds 'x'"}},
      // description
      {"|C2   | Radeon R7 + R7 350双卡                 | 1982|", {"description starts with a space"}},
      {"|C2   |                                        | 1982|", {"description is empty"}},
      // score
      {"|C2   |Radeon R7 + R7 350双卡                  |1982 |", {"score is not right-aligned"}},
      {"|C2   |Radeon R7 + R7 350双卡                  |    0|", {"score is 0; a score is a positive"}},
      {"|C2   |Radeon R7 + R7 350双卡                  |01982|", {"score 01982 has a leading zero"}},
      {"|C2   |Radeon R7 + R7 350双卡                  |  -12|",
       {"column 51 of the score field holds '-'; a score is digits only"}},
      {"|C2   |Radeon R7 + R7 350双卡                  |     |", {"score field holds no score"}},
      {"|C2   |Radeon R7 + R7 350双卡                  |48000|",
       {"score 48000 is higher than the score 47956 of the row before"}},
      // characters
      {"|C2   |Radeon\tR7 + R7 350双卡                  | 1982|",
       {"display column 14 holds a tab (U+0009); the space is the only whitespace"}},
      {"|C2   |Radeon R7 + R7 350\r双卡                 | 1982|", {"column 26 holds a carriage return"}},
      {"|C2   |Rad\xC3\xA9on R7 + R7 350双卡                  | 1982|",
       {"display column 11 holds U+00E9, which is neither printable ASCII nor a CJK ideograph"}},
      {"|C2   |Radeon R7 + R7 350\xEF\xBC\x8C\xE5\x8F\x8C                   | 1982|",
       {"display column 26 holds U+FF0C"}},
      // line structure
      {"", {"line is empty"}},
      {"|C2   |Radeon R7 + R7 350\xE5\x8F                  | 1982|", {"not valid UTF-8: byte 26 (0xE5)"}},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> got = WithLine2(c.line2);
    ASSERT_EQ(got.size(), c.expected.size()) << c.line2 << "\n" << Joined(got);
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].rfind("t.txt:2: ", 0), 0u) << got[i];
      EXPECT_NE(got[i].find(c.expected[i]), std::string::npos) << got[i];
    }
  }
}

TEST(RowCheckList, GpuListWantsLetterG) {
  const std::string gpu = "|G1   |TITAN V CEO Edition                     |16987|\n";
  EXPECT_TRUE(Messages(gpu, rc::kGpuLetter).empty());
  const std::vector<std::string> got = Messages(kRow1 + "\n", rc::kGpuLetter);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], "t.txt:1: the number field starts with 'C', not with the list letter G of the GPU list.");
}

TEST(RowCheckList, CollectsEveryViolationOfTheFile) {
  const std::string content = "|C1   |ok                                      |  500|\n"
                              "|C2   | bad start                              |  600|\n"
                              "\n"
                              "|G4   |ok                                      |  70x|\n";
  const std::vector<std::string> got = Messages(content);
  ASSERT_EQ(got.size(), 5u) << Joined(got);
  EXPECT_NE(got[0].find("t.txt:2: the description starts with a space"), std::string::npos);
  EXPECT_NE(got[1].find("t.txt:2: the score 600 is higher"), std::string::npos);
  EXPECT_NE(got[2].find("t.txt:3: the line is empty"), std::string::npos);
  EXPECT_NE(got[3].find("t.txt:4: the number field starts with 'G'"), std::string::npos);
  EXPECT_NE(got[4].find("t.txt:4: display column 53 of the score field holds 'x'"), std::string::npos);
  // Scores are compared only with a readable score before them; ranks keep counting lines.
  EXPECT_EQ(Messages(kRow1 + "\n|C2   |x                                       |  abc|\n" +
                     "|C3   |y                                       |49000|\n")
                .size(),
            1u);
}

TEST(RowCheckList, FileLevelFaults) {
  EXPECT_EQ(Messages(""), std::vector<std::string>{"t.txt:1: the file is empty; a list holds at least one row."});
  // A trailing blank line is an empty line.
  std::vector<std::string> got = Messages(kRow1 + "\n" + kRow2 + "\n\n");
  ASSERT_EQ(got.size(), 1u);
  EXPECT_NE(got[0].find("t.txt:3: the line is empty"), std::string::npos);
  // CR LF line ends: every line is reported, once, and nothing else.
  got = Messages(kRow1 + "\r\n" + kRow2 + "\r\n");
  ASSERT_EQ(got.size(), 2u) << Joined(got);
  EXPECT_NE(got[0].find("t.txt:1: the line ends with CR LF"), std::string::npos);
  EXPECT_NE(got[1].find("t.txt:2: the line ends with CR LF"), std::string::npos);
  // A byte order mark is reported once; the row behind it is still checked.
  got = Messages("\xEF\xBB\xBF" + kRow1 + "\n");
  ASSERT_EQ(got.size(), 1u) << Joined(got);
  EXPECT_NE(got[0].find("t.txt:1: the file starts with a byte order mark"), std::string::npos);
}

TEST(RowCheckTable, BothListsTogetherHoldAtMost4736Rows) {
  const std::string cpu = MakeList('C', 4000);
  EXPECT_TRUE(rc::CheckTable(cpu, "c.txt", MakeList('G', 736), "g.txt").ok());
  const rc::TableResult over = rc::CheckTable(cpu, "c.txt", MakeList('G', 737), "g.txt");
  EXPECT_TRUE(over.cpu.problems.empty());
  ASSERT_EQ(over.gpu.problems.size(), 1u);
  EXPECT_EQ(over.gpu.problems[0].file, "g.txt");
  EXPECT_EQ(over.gpu.problems[0].line, 737);
  EXPECT_NE(over.gpu.problems[0].what.find("at most 4736 rows"), std::string::npos);
  // A CPU list too long on its own is reported in the CPU file.
  const rc::TableResult cpu_over = rc::CheckTable(MakeList('C', 4737), "c.txt", MakeList('G', 1), "g.txt");
  ASSERT_EQ(cpu_over.AllProblems().size(), 1u);
  EXPECT_EQ(cpu_over.AllProblems()[0].ToString().rfind("c.txt:4737: ", 0), 0u);
}

TEST(RowCheckTable, ShippedListsPass) {
  const std::string dir = TIANTI_DATA_DIR;
  const rc::TableResult t = rc::CheckTable(ReadFile(dir + "/cpu.txt"), "cpu.txt", ReadFile(dir + "/gpu.txt"),
                                           "gpu.txt");
  EXPECT_TRUE(t.ok()) << (t.ok() ? "" : t.AllProblems()[0].ToString());
  EXPECT_EQ(t.cpu.rows.size(), 3012u);
  EXPECT_EQ(t.gpu.rows.size(), 1722u);
}
