// The command line front end, run in-process.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace tianti::cli {
namespace {

struct Result {
  int code;
  std::string out;
  std::string err;
};

Result RunWith(const std::vector<std::u16string>& args) {
  std::ostringstream out, err;
  const int code = Run(args, out, err);
  return {code, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

constexpr char kBorder[] = "+-----+----------------------------------------+-----+";
constexpr char kNote[] = "系统提示：注:仅显示前30条记录(请缩少范围)a。\n";

TEST(CliRun, QueryPrintsTheTableWithLfLineEnds) {
  const Result r = RunWith({u"ryzen"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.find('\r'), std::string::npos);
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 40u);  // 30 rows of more than 30 matches
  EXPECT_EQ(lines[0], kBorder);
  EXPECT_EQ(lines[1], "|编号 |硬件描述                                |得分 |");
  EXPECT_EQ(lines[3], "|C1   |AMD Ryzen Threadripper 7970X            |99327|");
  EXPECT_EQ(r.err, kNote);  // the note, exactly once
}

TEST(CliRun, CrlfKeepsTheBoxText) {
  const Result r = RunWith({u"--crlf", u"99327"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, std::string(kBorder) + "\r\n" + "|编号 |硬件描述                                |得分 |\r\n" +
                       kBorder + "\r\n|C1   |AMD Ryzen Threadripper 7970X            |99327|\r\n");
  EXPECT_EQ(r.err, "");
}

TEST(CliRun, ScopeSelectsTheList) {
  for (const char16_t* scope : {u"gpu", u"cpu"}) {
    const Result r = RunWith({u"--scope", scope, u"|"});
    EXPECT_EQ(r.code, 0);
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 40u);
    const char letter = scope[0] == u'g' ? 'G' : 'C';
    for (const auto& line : lines) {
      if (line != kBorder && line.rfind("|编号", 0) != 0) {
        EXPECT_EQ(line[1], letter) << line;
      }
    }
    EXPECT_EQ(r.err, kNote);  // one query, one note
  }
  // --scope=all is the default and the same as no option.
  EXPECT_EQ(RunWith({u"--scope=all", u"c30"}).out, RunWith({u"c30"}).out);
}

TEST(CliRun, TermsFillTheBoxesInOrder) {
  // AND: only rows with both.
  const Result both = RunWith({u"--and", u"7970x", u"threadripper"});
  EXPECT_EQ(Lines(both.out).size(), 4u + 0u) << both.out;  // head + one row
  // OR terms: OR 1 empty leaves the later ones unused (rule a).
  const Result gap = RunWith({u"--or", u"", u"--or", u"99327", u"no such name"});
  EXPECT_EQ(Lines(gap.out).size(), 3u);
  const Result ors = RunWith({u"--or", u"99327", u"no such name"});
  EXPECT_EQ(Lines(ors.out).size(), 4u);
  EXPECT_EQ(RunWith({u"--or=99327", u"no such name"}).out, ors.out);
}

TEST(CliRun, MissingMainTermIsExitTwo) {
  const Result r = RunWith({u"  \u3000"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "系统提示：Sorry,请输入查询条件!\n");
}

TEST(CliRun, DoubleDashEndsTheOptions) {
  const Result r = RunWith({u"--", u"-4790K"});
  EXPECT_EQ(r.code, 0);
  EXPECT_GT(Lines(r.out).size(), 3u);
  // A lone "-" is a term, not an option.
  EXPECT_EQ(RunWith({u"-"}).code, 0);
  // After "--" an option name is a term, and a second term is an error.
  EXPECT_EQ(RunWith({u"--", u"--crlf"}).code, 0);
  EXPECT_EQ(RunWith({u"--", u"a", u"b"}).code, 2);
}

TEST(CliRun, UsageErrors) {
  const std::vector<std::vector<std::u16string>> bad = {
      {},
      {u"--scope"},
      {u"--scope", u"both", u"x"},
      {u"--scope", u"cpu", u"--scope", u"gpu", u"x"},
      {u"--and", u"a", u"--and", u"b", u"x"},
      {u"--or", u"a", u"--or", u"b", u"--or", u"c", u"--or", u"d", u"x"},
      {u"--bogus", u"x"},
      {u"-x", u"x"},
      {u"--crlf=yes", u"x"},
      {u"one", u"two"},
  };
  for (const auto& args : bad) {
    const Result r = RunWith(args);
    EXPECT_EQ(r.code, 2) << args.size();
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Usage: tianti-cli"), std::string::npos) << r.err;
  }
}

TEST(CliRun, HelpInBothLanguages) {
  const Result r = RunWith({u"--help"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("用法"), std::string::npos);
  EXPECT_NE(r.out.find("Usage"), std::string::npos);
  EXPECT_NE(r.out.find("--scope"), std::string::npos);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(RunWith({u"-h"}).out, r.out);
}

}  // namespace
}  // namespace tianti::cli
