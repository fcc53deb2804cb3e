// tianti-cli --ladder in-process: its usage errors, and that what it prints
// is the core's LadderSvg for the resolved marks, byte for byte (the page
// draws through the same call).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/devices.h"
#include "commands/adapter.h"
#include "commands/processor.h"
#include "common/utf8.h"
#include "query/ladder_svg.h"
#include "query/resolver.h"
#include "tests/cli/fake_platform.h"

namespace tianti::cli {
namespace {

struct LadderMode : FakePlatformTest {};

TEST_F(LadderMode, UsageErrors) {
  const struct {
    std::vector<std::u16string> args;
    const char* says;
  } cases[] = {
      {{u"--ladder"}, "--scope cpu or --scope gpu"},
      {{u"--ladder", u"--scope", u"all", u"4090"}, "--scope cpu or --scope gpu"},
      {{u"--scope=gpu", u"--ladder", u"--scope", u"cpu"}, "--scope given more than once"},
      {{u"--ladder", u"--scope", u"gpu", u"--and", u"ti"}, "need the MAIN term"},
      {{u"--ladder", u"--scope", u"gpu", u"--format", u"json"}, "does not go with --ladder"},
      {{u"--ladder", u"--scope", u"gpu", u"--compare", u"x"}, "does not go with --ladder"},
      {{u"--ladder", u"--scope", u"gpu", u"rtx", u"40"}, "more than one MAIN term"},
      {{u"--ladder", u"--scope", u"gpu", u"--mark"}, "--mark needs a value"},
      {{u"--ladder", u"--scope", u"gpu", u"\u3000 "}, "the MAIN term is empty"},
      {{u"--ladder=yes", u"--scope", u"gpu"}, "takes no value"},
      {{u"--ladder", u"--scope", u"gpu", u"--or", u"1", u"--or", u"2", u"--or", u"3", u"--or", u"4", u"x"},
       "at most three --or terms"},
  };
  for (const auto& c : cases) {
    const Result r = Run(c.args);
    SCOPED_TRACE(ToUtf8(c.args.back()));
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("tianti-cli --ladder --scope cpu|gpu"), std::string::npos) << r.err;
  }
  // After "--" the word is the MAIN term, not the mode.
  EXPECT_EQ(Run({u"--scope", u"gpu", u"--", u"--ladder"}).code, kExitOk);
}

TEST_F(LadderMode, PrintsTheCoreSvgForTheResolvedMarks) {
  adapters.report.adapters = {{u"NVIDIA GeForce RTX 4090", u""}, {std::nullopt, u"1234:1111"}};
  processors.report.names = {u"AMD Ryzen 9 7950X 16-Core Processor"};

  // An adapter the PCI ID list does not know, and a name of no single row:
  // both told on standard error, the ladder written without them, status 3.
  const Result mine = Run({u"--ladder", u"--scope", u"gpu", u"--mine", u"--mark", u"Radeon RX 580", u"--mark",
                           u"no such card", u"--or", u"RX 5", u"RTX 40"});
  EXPECT_EQ(mine.code, kExitUnresolved);
  EXPECT_NE(mine.err.find("1234:1111"), std::string::npos) << mine.err;
  EXPECT_NE(mine.err.find("no such card"), std::string::npos) << mine.err;
  std::vector<query::ListRow> marks = {*query::Resolve(u"Radeon RX 580", query::Scope::kGpu).row,
                                       *query::Resolve(u"NVIDIA GeForce RTX 4090", query::Scope::kGpu).row};
  query::Terms terms{u"RTX 40", {}, u"RX 5", {}, {}};
  EXPECT_EQ(mine.out, query::LadderSvg(query::Scope::kGpu, terms, marks));
  EXPECT_NE(mine.out.find("id=\"mark-" + ToUtf8(std::u16string(1, marks[1].list)) + std::to_string(marks[1].rank)),
            std::string::npos);

  // Without terms the whole list; the processors are this scope's devices.
  const Result cpu = Run({u"--ladder", u"--scope", u"cpu", u"--mine"});
  EXPECT_EQ(cpu.code, kExitOk) << cpu.err;
  marks = {*query::Resolve(u"AMD Ryzen 9 7950X 16-Core Processor", query::Scope::kCpu).row};
  EXPECT_EQ(cpu.out, query::LadderSvg(query::Scope::kCpu, query::Terms{}, marks));

  // A source that fails: status 1, the ladder still written.
  processors.report = commands::ProcessorReport::Failed(u"ConnectServer", 0x80004005);
  const Result failed = Run({u"--ladder", u"--scope", u"cpu", u"--mine"});
  EXPECT_EQ(failed.code, kExitError);
  EXPECT_EQ(failed.out, query::LadderSvg(query::Scope::kCpu, query::Terms{}, {}));
}

}  // namespace
}  // namespace tianti::cli
