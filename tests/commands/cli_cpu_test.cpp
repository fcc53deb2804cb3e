// tianti-cli's --cpu option: the local processor names, one a line.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace tianti::cli {
namespace {

TEST(CliCpuOption, PrintsTheLocalProcessorsAndExitsZero) {
  std::ostringstream out, err;
  ASSERT_EQ(cli::Run({u"--cpu"}, out, err), 0) << err.str();
  EXPECT_TRUE(err.str().empty());
  const std::string text = out.str();
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.find("本机CPU名称"), std::string::npos);  // names only, no label
}

TEST(CliCpuOption, TakesNoQueryAndIsInTheHelp) {
  for (const std::vector<std::u16string>& args :
       {std::vector<std::u16string>{u"--cpu", u"ryzen"}, {u"--cpu", u"--scope", u"gpu"}, {u"--cpu=yes"}}) {
    std::ostringstream out, err;
    EXPECT_EQ(cli::Run(args, out, err), 2);
    EXPECT_TRUE(out.str().empty());
    EXPECT_NE(err.str().find("tianti-cli --cpu"), std::string::npos);  // the usage
  }
  std::ostringstream out, err;
  ASSERT_EQ(cli::Run({u"--help"}, out, err), 0);
  EXPECT_NE(out.str().find("--cpu"), std::string::npos);
}

}  // namespace
}  // namespace tianti::cli
