// The built tianti-cli as a process: arguments, standard output, standard
// error and the exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Result {
  int code = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  return q + "'";
}

Result RunCli(const std::vector<std::string>& args) {
  // One file per process: ctest runs the test cases side by side.
  const std::string err_file = ::testing::TempDir() + "tianti_cli_err_" + std::to_string(getpid()) + ".txt";
  std::string command = Quote(TIANTI_CLI_PATH);
  for (const auto& a : args) command += " " + Quote(a);
  command += " 2>" + Quote(err_file);
  Result r;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) r.out.append(buffer, n);
  const int status = pclose(pipe);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(err_file, std::ios::binary);
  std::ostringstream text;
  text << err.rdbuf();
  r.err = text.str();
  (void)std::remove(err_file.c_str());
  return r;
}

int LineCount(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

TEST(CliProcess, RyzenGivesThirtyRowsAndTheNote) {
  const Result r = RunCli({"ryzen"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(LineCount(r.out), 40);
  EXPECT_EQ(r.out.find('\r'), std::string::npos);
  EXPECT_NE(r.out.find("|C1   |AMD Ryzen Threadripper 7970X            |99327|\n"), std::string::npos);
  EXPECT_EQ(r.err, "系统提示：注:仅显示前30条记录(请缩少范围)a。\n");
}

TEST(CliProcess, GpuScope) {
  const Result r = RunCli({"--scope", "gpu", "双卡"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.find("|C"), std::string::npos);
  EXPECT_NE(r.out.find("双卡"), std::string::npos);
}

TEST(CliProcess, MissingTermAndUsageErrorsExitTwo) {
  const Result blank = RunCli({"   "});
  EXPECT_EQ(blank.code, 2);
  EXPECT_EQ(blank.out, "");
  EXPECT_EQ(blank.err, "系统提示：Sorry,请输入查询条件!\n");

  const Result none = RunCli({});
  EXPECT_EQ(none.code, 2);
  EXPECT_NE(none.err.find("Usage"), std::string::npos);
  const Result bad = RunCli({"--scope", "all-of-them", "x"});
  EXPECT_EQ(bad.code, 2);
  EXPECT_EQ(bad.out, "");
}

TEST(CliProcess, DoubleDashAndCrlf) {
  const Result dash = RunCli({"--", "-4790K"});
  EXPECT_EQ(dash.code, 0);
  EXPECT_GT(LineCount(dash.out), 3);
  const Result crlf = RunCli({"--crlf", "99327"});
  EXPECT_EQ(crlf.code, 0);
  EXPECT_EQ(LineCount(crlf.out), 4);
  EXPECT_NE(crlf.out.find("|99327|\r\n"), std::string::npos);
}

TEST(CliProcess, InvalidUtf8ArgumentIsReplaced) {
  // "\xFF" becomes U+FFFD, which no row holds: a table head without rows.
  const Result r = RunCli({"ryzen\xFF"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(LineCount(r.out), 3);
  EXPECT_EQ(r.err, "");
}

TEST(CliProcess, OutputThatCannotBeWrittenExitsOne) {
  // /dev/full refuses every write: each mode, help included, reports it.
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  const std::vector<std::string> modes[] = {
      {"--help"}, {"--compare", "--help"}, {"--mine", "--help"}, {"--cpu"}, {"ryzen"}, {"--compare", "RTX 4090"},
  };
  for (const auto& args : modes) {
    std::string command = Quote(TIANTI_CLI_PATH);
    for (const auto& a : args) command += " " + Quote(a);
    const int status = std::system((command + " >/dev/full 2>/dev/null").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << command << ": " << status;
  }
}

}  // namespace
