#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "commands/processor.h"

namespace tianti::commands {
namespace {

// ---- the processor message ---------------------------------------------------

TEST(ProcessorMessage, OneLinePerProcessorInOrderAfterTheLabel) {
  EXPECT_EQ(BuildProcessorMessage({u"Intel(R) Core(TM) i7-9850H CPU @ 2.60GHz"}),
            u"本机CPU名称：\r\nIntel(R) Core(TM) i7-9850H CPU @ 2.60GHz");
  EXPECT_EQ(BuildProcessorMessage({u"Xeon B", u"Xeon A"}), u"本机CPU名称：\r\nXeon B\r\nXeon A");
}

TEST(ProcessorMessage, NullNameLeavesItsLineEmpty) {
  EXPECT_EQ(BuildProcessorMessage({u"A", std::nullopt, u"B"}), u"本机CPU名称：\r\nA\r\n\r\nB");
  EXPECT_EQ(BuildProcessorMessage({u"A", std::nullopt}), u"本机CPU名称：\r\nA\r\n");
  EXPECT_EQ(BuildProcessorMessage({std::nullopt}), u"本机CPU名称：\r\n");
}

TEST(ProcessorMessage, NamesAreShownExactlyAsReported) {
  EXPECT_EQ(BuildProcessorMessage({u"  amd ryzen 7  ", u"\tX "}), u"本机CPU名称：\r\n  amd ryzen 7  \r\n\tX ");
}

TEST(ProcessorMessage, EmptySetIsTheLabelAlone) {
  std::u16string text = BuildProcessorMessage({});
  EXPECT_EQ(text, u"本机CPU名称：");
  ASSERT_EQ(text.size(), 8u);
  EXPECT_EQ(text.back(), u'\uFF1A');  // full-width colon
}

TEST(ProcessorFailureMessage, ErrnoInPlaceOfTheHresult) {
  EXPECT_EQ(BuildProcessorFailureMessage({u"读取 /proc/cpuinfo", 0, 2}),
            u"无法读取本机CPU型号：读取 /proc/cpuinfo 失败 (errno 2)");
}

// ---- /proc/cpuinfo -------------------------------------------------------------

std::string Block(int processor, int package, const std::string& model) {
  std::ostringstream s;
  s << "processor\t: " << processor << "\nvendor_id\t: GenuineIntel\nmodel name\t: " << model
    << "\nphysical id\t: " << package << "\ncore id\t\t: 0\nflags\t\t: fpu vme de\n\n";
  return s.str();
}

TEST(Cpuinfo, OneNamePerPhysicalPackageInIdOrder) {
  // Two sockets, logical processors interleaved, package 1 listed first.
  std::string text = Block(0, 1, "Xeon One") + Block(1, 0, "Xeon Zero") + Block(2, 1, "Xeon One") +
                     Block(3, 0, "Xeon Zero");
  ProcessorNames names = ParseCpuinfo(text);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], u"Xeon Zero");
  EXPECT_EQ(names[1], u"Xeon One");

  std::string one_socket;
  for (int i = 0; i < 16; ++i) one_socket += Block(i, 0, "Intel(R) Core(TM) i7-9850H CPU @ 2.60GHz");
  EXPECT_EQ(ParseCpuinfo(one_socket), ProcessorNames{u"Intel(R) Core(TM) i7-9850H CPU @ 2.60GHz"});
}

TEST(Cpuinfo, ValueKeptAsItStands) {
  // Trailing spaces, a colon inside the value, CR LF line ends, no final
  // newline, and UTF-8 text.
  ProcessorNames names = ParseCpuinfo("processor\t: 0\r\nmodel name\t: Vendor: Chip \xC2\xAE  \r\nphysical id\t: 0");
  EXPECT_EQ(names, ProcessorNames{u"Vendor: Chip \u00AE  "});
}

TEST(Cpuinfo, MissingFieldsAndForeignBlocks) {
  // No "physical id": one package. No "model name": a null name. Blocks
  // that describe no processor (as on some ARM kernels) are ignored.
  EXPECT_EQ(ParseCpuinfo("processor : 0\nmodel name : A\n\nprocessor : 1\nmodel name : A\n"), ProcessorNames{u"A"});
  EXPECT_EQ(ParseCpuinfo("processor\t: 0\nBogoMIPS\t: 48.00\n\nHardware\t: Board X\n"), ProcessorNames{std::nullopt});
  EXPECT_EQ(ParseCpuinfo("model name\t:\n"), ProcessorNames{});
  EXPECT_EQ(ParseCpuinfo(""), ProcessorNames{});
  // An empty value is an empty name, not a null one.
  EXPECT_EQ(ParseCpuinfo("processor\t: 0\nmodel name\t:\n"), ProcessorNames{u""});
}

TEST(Cpuinfo, SourceReadsTheFileOnEveryQuery) {
  std::string path = ::testing::TempDir() + "tianti_cpuinfo_test.txt";
  { std::ofstream(path) << Block(0, 0, "First"); }
  CpuinfoProcessorSource source(path);
  ProcessorReport report = source.Query();
  ASSERT_TRUE(report.ok());
  EXPECT_EQ(report.names, ProcessorNames{u"First"});
  { std::ofstream(path) << Block(0, 0, "Second") << Block(1, 1, "Third"); }
  EXPECT_EQ(source.Query().names, (ProcessorNames{u"Second", u"Third"}));
  (void)std::remove(path.c_str());

  ProcessorReport missing = source.Query();
  ASSERT_FALSE(missing.ok());
  EXPECT_TRUE(missing.names.empty());
  EXPECT_EQ(missing.failure->os_error, ENOENT);
  EXPECT_NE(missing.failure->step.find(u"tianti_cpuinfo_test.txt"), std::u16string::npos);
}

}  // namespace
}  // namespace tianti::commands
