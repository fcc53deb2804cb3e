// tianti-cli --compare, --near and --mine, in-process, with the local
// processors and adapters injected.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "commands/adapter.h"
#include "commands/processor.h"
#include "common/utf8.h"
#include "query/resolver.h"
#include "tests/cli/fake_platform.h"

namespace tianti::cli {
namespace {

struct DeviceModes : FakePlatformTest {
  DeviceModes() {
    // A processor whose name is also an integrated GPU's row, word for word.
    processors.report.names = {u"AMD Ryzen 5 5600G with Radeon Graphics", std::nullopt};
    adapters.report.adapters = {
        {u"AMD Ryzen 5 5600G with Radeon Graphics", u""},
        {u"Radeon RX 470/480/570/570X/580/580X/590", u"1002:67df Ellesmere [Radeon RX 470/480/570/570X/580/580X/590]"},
        {std::nullopt, u"1234:1111"}};
  }
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int Score(char16_t list, int rank) { return query::RowAt(list, rank)->score; }

std::string Ratio(double value) {
  char text[32];
  (void)std::snprintf(text, sizeof text, "%#.4g", value);
  return text;
}

TEST_F(DeviceModes, Table) {
  const Result compare = Run({u"--compare", u"NVIDIA GeForce RTX 4090", u"AMD Radeon RX 580 Series",
                              u"AMD Ryzen 9 7950X 16-Core Processor", u"AMD EPYC"});
  EXPECT_EQ(compare.code, 3);  // AMD EPYC names no single row
  const auto lines = Lines(compare.out);
  ASSERT_EQ(lines.size(), 8u) << compare.out;
  EXPECT_EQ(lines[0], lines[2]);
  EXPECT_EQ(lines[0], lines[7]);
  EXPECT_EQ(lines[1].rfind("|名称", 0), 0u);
  EXPECT_NE(lines[1].find("|编号|硬件描述"), std::string::npos);
  EXPECT_NE(lines[3].find("|G5  |GeForce RTX 4090 "), std::string::npos) << lines[3];
  EXPECT_NE(lines[3].find("|100%|"), std::string::npos);
  char percent[16];
  (void)std::snprintf(percent, sizeof percent, "%3.0f%%|", 100.0 * Score(u'G', 326) / Score(u'G', 5));
  EXPECT_EQ(lines[4].substr(lines[4].size() - 5), percent) << lines[4];
  // The processor's score is not compared with a graphics card's.
  EXPECT_NE(lines[5].find("|C114|AMD Ryzen 9 7950X "), std::string::npos);
  EXPECT_EQ(lines[5].substr(lines[5].size() - 6), "|    |");
  EXPECT_NE(compare.err.find("cannot be compared"), std::string::npos);
  EXPECT_NE(lines[6].find("（无唯一对应行）候选：AMD EPYC "), std::string::npos);

  const Result near = Run({u"--near", u"GeForce RTX 4090", u"--count", u"2"});
  EXPECT_EQ(near.code, 0);
  const auto rows = Lines(near.out);
  ASSERT_EQ(rows.size(), 3u + 5u + 1u);
  EXPECT_EQ(rows[3].rfind("|                |G3  |", 0), 0u) << rows[3];
  EXPECT_EQ(rows[5].rfind("|GeForce RTX 4090|G5  |", 0), 0u) << rows[5];

  const Result mine = Run({u"--mine"});
  EXPECT_EQ(mine.code, 3);
  const auto devices = Lines(mine.out);
  ASSERT_EQ(devices.size(), 3u + 5u + 1u) << mine.out;
  EXPECT_EQ(devices[1].rfind("|类型|名称", 0), 0u);
  EXPECT_NE(devices[3].find("|C933|AMD Ryzen 5 5600G "), std::string::npos) << devices[3];
  EXPECT_NE(devices[4].find("|CPU |"), std::string::npos);  // a null name: no row
  EXPECT_NE(devices[5].find("|G742|Ryzen 5 5600G with Radeon Graphics"), std::string::npos);
  EXPECT_NE(devices[6].find("（无唯一对应行）候选：Radeon RX "), std::string::npos);
  EXPECT_NE(devices[7].find("|GPU |1234:1111 "), std::string::npos);
  EXPECT_NE(devices[7].find("（无对应行）"), std::string::npos);
}

TEST_F(DeviceModes, Tsv) {
  const Result compare = Run({u"--format", u"tsv", u"--compare", u"RTX 4090", u"RTX 3060", u"nothing"});
  EXPECT_EQ(compare.code, 3);
  EXPECT_EQ(compare.out, "RTX 4090\tG\t5\tGeForce RTX 4090\t" + std::to_string(Score(u'G', 5)) + "\t1.000\t\n" +
                             "RTX 3060\tG\t127\tGeForce RTX 3060\t" + std::to_string(Score(u'G', 127)) + "\t" +
                             Ratio(1.0 * Score(u'G', 127) / Score(u'G', 5)) + "\t\n" + "nothing\t\t\t\t\t\t\n");

  const Result near = Run({u"--near", u"--format=tsv", u"--count=1", u"--", u"TITAN V CEO Edition"});
  EXPECT_EQ(near.code, 0);
  const auto rows = Lines(near.out);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].rfind("\tG\t", 0), 0u);
  EXPECT_EQ(rows[1].rfind("TITAN V CEO Edition\tG\t", 0), 0u);

  const Result mine = Run({u"--mine", u"--format", u"tsv", u"--scope", u"gpu"});
  const auto devices = Lines(mine.out);
  ASSERT_EQ(devices.size(), 3u);  // the adapters only
  EXPECT_EQ(devices[0], "gpu\tAMD Ryzen 5 5600G with Radeon Graphics\tG\t742\tRyzen 5 5600G with "
                        "Radeon Graphics\t" +
                            std::to_string(Score(u'G', 742)) + "\t\t");
  EXPECT_NE(devices[1].find("\t\t\t\t\t\tRadeon RX "), std::string::npos) << devices[1];
  EXPECT_NE(devices[1].find("|Radeon RX "), std::string::npos);  // candidates by |
}

TEST_F(DeviceModes, Json) {
  const Result compare = Run({u"--compare", u"AMD EPYC", u"NVIDIA GeForce RTX 4090", u"--format", u"json"});
  EXPECT_EQ(compare.code, 3);
  EXPECT_EQ(compare.err, "");
  EXPECT_EQ(compare.out.rfind("{\"devices\":[{\"query\":\"AMD EPYC\",\"kind\":null,\"list\":null,"
                              "\"rank\":null,\"description\":null,\"score\":null,\"relative\":null,"
                              "\"candidates\":[\"AMD EPYC ",
                              0),
            0u)
      << compare.out;
  // The first device has no row: no relative score for the others.
  EXPECT_NE(compare.out.find("{\"query\":\"NVIDIA GeForce RTX 4090\",\"kind\":null,\"list\":\"G\","
                             "\"rank\":5,\"description\":\"GeForce RTX 4090\",\"score\":" +
                             std::to_string(Score(u'G', 5)) +
                             ",\"relative\":null,\"candidates\":[],\"note\":null}],\"messages\":[]}\n"),
            std::string::npos)
      << compare.out;

  const Result other = Run({u"--format=json", u"--compare", u"RTX 4090", u"Ryzen 9 7950X"});
  EXPECT_EQ(other.code, 0);
  EXPECT_NE(other.out.find("\"relative\":1.000,"), std::string::npos);
  EXPECT_NE(other.out.find("\"list\":\"C\",\"rank\":114,"), std::string::npos);
  EXPECT_NE(other.out.find("\"relative\":null,\"candidates\":[],\"note\":\"“Ryzen 9 7950X”在CPU榜"), std::string::npos)
      << other.out;

  const Result near = Run({u"--near", u"GeForce RTX 4090", u"--count", u"0", u"--format", u"json"});
  EXPECT_EQ(near.code, 0);
  EXPECT_EQ(near.out, "{\"devices\":[{\"query\":\"GeForce RTX 4090\",\"kind\":null,\"list\":\"G\","
                      "\"rank\":5,\"description\":\"GeForce RTX 4090\",\"score\":" +
                          std::to_string(Score(u'G', 5)) +
                          ",\"relative\":1.000,\"candidates\":[],\"note\":null}],\"messages\":[]}\n");

  adapters.report.note = u"no PCI ID list";
  const Result mine = Run({u"--format", u"json", u"--mine"});
  EXPECT_EQ(mine.code, 3);
  EXPECT_NE(mine.out.find("{\"query\":\"AMD Ryzen 5 5600G with Radeon Graphics\",\"kind\":\"cpu\","
                          "\"reported\":null,\"list\":\"C\",\"rank\":933,"),
            std::string::npos)
      << mine.out;
  EXPECT_NE(mine.out.find("{\"query\":\"AMD Ryzen 5 5600G with Radeon Graphics\",\"kind\":\"gpu\","
                          "\"reported\":null,\"list\":\"G\",\"rank\":742,"),
            std::string::npos);
  EXPECT_NE(mine.out.find("\"kind\":\"gpu\",\"reported\":\"1002:67df Ellesmere [Radeon RX "), std::string::npos);
  EXPECT_NE(mine.out.find("{\"query\":null,\"kind\":\"cpu\",\"reported\":null,\"list\":null,"),
            std::string::npos);  // the null name
  EXPECT_NE(mine.out.find("{\"query\":\"1234:1111\",\"kind\":\"gpu\",\"reported\":\"1234:1111\","
                          "\"list\":null,"),
            std::string::npos);
  EXPECT_NE(mine.out.find("\"messages\":[\"no PCI ID list\"]}"), std::string::npos);
}

TEST_F(DeviceModes, MineReportsAFailedSourceWithStatusOne) {
  processors.report = commands::ProcessorReport::Failed(u"ExecQuery", 0x8004100E);
  adapters.report.adapters = {{u"NVIDIA GeForce RTX 4090", u""}};
  const Result r = Run({u"--mine", u"--format", u"tsv"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out,
            "gpu\tNVIDIA GeForce RTX 4090\tG\t5\tGeForce RTX 4090\t" + std::to_string(Score(u'G', 5)) + "\t\t\n");
  EXPECT_EQ(r.err, "无法读取本机CPU型号：ExecQuery 失败 (HRESULT 0x8004100E)\n");
  adapters.report = {};
  adapters.report.failure = commands::ProcessorFailure{u"ExecQuery", 0x80041010, 0};
  const Result gpu = Run({u"--mine", u"--scope", u"gpu"});
  EXPECT_EQ(gpu.code, 1);
  EXPECT_EQ(gpu.err, "无法读取本机显卡型号：ExecQuery 失败 (HRESULT 0x80041010)\n");
}

TEST_F(DeviceModes, UsageErrorsAndHelp) {
  for (const std::vector<std::u16string>& args :
       std::vector<std::vector<std::u16string>>{{u"--compare"},
                                                {u"--near", u"a", u"b"},
                                                {u"--near", u"a", u"--count", u"x"},
                                                {u"--near", u"a", u"--count", u"-1"},
                                                {u"--compare", u"a", u"--count", u"3"},
                                                {u"--mine", u"a"},
                                                {u"--mine", u"--near", u"a"},
                                                {u"--compare", u"a", u"--and", u"b"},
                                                {u"--compare", u"a", u"--crlf"},
                                                {u"--compare", u"a", u"--format", u"xml"},
                                                {u"--mine=yes"}}) {
    const Result r = Run(args);
    EXPECT_EQ(r.code, 2) << ToUtf8(args.back());
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("tianti-cli --near NAME"), std::string::npos);
  }
  // After "--" a name may be "--mine".
  EXPECT_EQ(Run({u"--compare", u"--", u"--mine"}).code, 3);
  for (const std::vector<std::u16string>& help :
       std::vector<std::vector<std::u16string>>{{u"--help"}, {u"-h"}, {u"--mine", u"--help"}}) {
    const Result r = Run(help);
    EXPECT_EQ(r.code, 0);
    for (const char* option : {"--compare", "--near", "--count", "--mine", "未对应到唯一一行"}) {
      EXPECT_NE(r.out.find(option), std::string::npos) << option;
    }
  }
}

}  // namespace
}  // namespace tianti::cli
