#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/form1.h"
#include "commands/launcher.h"
#include "commands/links.h"
#include "commands/platform.h"
#include "commands/processor.h"
#include "ui/memory_services.h"

namespace tianti {
namespace {

using commands::ProcessorNames;
using commands::ProcessorReport;
using ui::Ctl;
using ui::Win;

class FakeProcessors : public commands::ProcessorSource {
 public:
  ProcessorReport report;
  int queries = 0;
  ProcessorReport Query() override {
    ++queries;
    return report;
  }
};

class FakeLauncher : public commands::Launcher {
 public:
  struct Call {
    std::u16string command, fallback;
  };
  std::vector<Call> calls;
  commands::LaunchResult result{true, 0};
  commands::LaunchResult Start(std::u16string_view command, std::u16string_view fallback) override {
    calls.push_back({std::u16string(command), std::u16string(fallback)});
    return result;
  }
};

class Form1Commands : public ::testing::Test {
 protected:
  ui::MemoryServices ui;
  FakeProcessors processors;
  FakeLauncher launcher;
  commands::Platform platform{&processors, &launcher};
  Form1 form{ui, &platform};
};

// ---- Command6: the local processor --------------------------------------------

TEST_F(Form1Commands, ProcessorsInOneInformationBox) {
  processors.report.names = {u"Intel(R) Xeon(R) Gold 6248 CPU @ 2.50GHz", std::nullopt,
                             u" AMD EPYC 7742 64-Core Processor "};
  form.Command6_Click();
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].text, u"本机CPU名称：\r\nIntel(R) Xeon(R) Gold 6248 CPU @ 2.50GHz\r\n\r\n"
                                   u" AMD EPYC 7742 64-Core Processor ");
  EXPECT_EQ(ui.messages()[0].title, u"系统提示");
  EXPECT_EQ(ui.messages()[0].style, 0x40u);
}

TEST_F(Form1Commands, EveryClickQueriesAfresh) {
  processors.report.names = {u"First"};
  form.Click(Ctl::Command6);  // through the window's event routing
  processors.report.names = {};
  form.Command6_Click();
  EXPECT_EQ(processors.queries, 2);
  ASSERT_EQ(ui.messages().size(), 2u);
  EXPECT_EQ(ui.messages()[0].text, u"本机CPU名称：\r\nFirst");
  EXPECT_EQ(ui.messages()[1].text, u"本机CPU名称：");
}

TEST_F(Form1Commands, FailureShowsOneWarningAndNoPartialList) {
  const std::u16string_view steps[] = {commands::kStepBind, commands::kStepExecQuery, commands::kStepEnumerate,
                                       commands::kStepReadName};
  for (std::u16string_view step : steps) {
    ui.ClearMessages();
    processors.report = ProcessorReport::Failed(std::u16string(step), 0x80041003u);
    processors.report.names = {u"read before the failure"};  // must not be shown
    form.Command6_Click();
    ASSERT_EQ(ui.messages().size(), 1u) << std::string(step.begin(), step.end());
    const ui::ShownMessage& box = ui.messages()[0];
    EXPECT_EQ(box.style, 0x30u);
    EXPECT_EQ(box.title, u"系统提示");
    EXPECT_EQ(box.text, u"无法读取本机CPU型号：" + std::u16string(step) + u" 失败 (HRESULT 0x80041003)");
    EXPECT_EQ(box.text.find(u"本机CPU名称"), std::u16string::npos);
  }
  processors.report = ProcessorReport::Failed(std::u16string(commands::kStepExecQuery), 0x80041003u);
  ui.ClearMessages();
  form.Command6_Click();
  EXPECT_EQ(ui.messages().at(0).text, u"无法读取本机CPU型号：ExecQuery 失败 (HRESULT 0x80041003)");
}

TEST(Form1CommandsWithoutPlatform, ProcessorCommandWarnsLinksDoNothing) {
  ui::MemoryServices ui;
  Form1 form(ui);
  form.Command6_Click();
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].style, 0x30u);
  EXPECT_EQ(ui.messages()[0].text, commands::kNoProcessorSourceMessage);
  form.Label6_Click();
  EXPECT_EQ(ui.messages().size(), 1u);
}

// ---- Label6 .. Label9: the links ----------------------------------------------

TEST_F(Form1Commands, EachLinkStartsItsConstantCommand) {
  form.Label6_Click();
  form.Label7_Click();
  form.Label8_Click();
  form.Click(Ctl::Label9);
  ASSERT_EQ(launcher.calls.size(), 4u);
  const char16_t* expected[][2] = {
      {u"explorer.exe https://browser.geekbench.com", u"https://browser.geekbench.com"},
      {u"explorer.exe https://www.ludashi.com", u"https://www.ludashi.com"},
      {u"explorer.exe https://www.pconline.com.cn", u"https://www.pconline.com.cn"},
      {u"explorer.exe https://www.microsoft.com", u"https://www.microsoft.com"},
  };
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(launcher.calls[i].command, expected[i][0]) << i;
    EXPECT_EQ(launcher.calls[i].fallback, expected[i][1]) << i;
  }
  EXPECT_TRUE(ui.messages().empty());

  form.Label7_Click();  // no guard: a second click starts a second process
  ASSERT_EQ(launcher.calls.size(), 5u);
  EXPECT_EQ(launcher.calls[4].command, launcher.calls[1].command);
}

TEST(Links, OnlyThePconlineToolTipDiffersFromWhatItOpens) {
  EXPECT_EQ(commands::kPconlineLink.tooltip, u"https://pconline.com.cn");
  EXPECT_EQ(commands::LaunchAddress(commands::kPconlineLink.command), u"https://www.pconline.com.cn");
  for (const commands::Link* link : {&commands::kGeekbenchLink, &commands::kLudashiLink, &commands::kMicrosoftLink}) {
    EXPECT_EQ(link->tooltip, commands::LaunchAddress(link->command));
  }
}

TEST_F(Form1Commands, LinkThatCannotOpenWarns) {
  launcher.result = {false, 2};
  form.Label8_Click();
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].text, u"无法打开网页 https://www.pconline.com.cn (错误 0x00000002)");
  EXPECT_EQ(ui.messages()[0].style, 0x30u);
  EXPECT_EQ(ui.messages()[0].title, u"系统提示");
}

// ---- Command4: About -----------------------------------------------------------

TEST_F(Form1Commands, AboutRepeatsTheCaptionAndTheDataNote) {
  ui.SetCaption(Win::Form1, u"CPU/GPU性能天梯查询 Ver0.99a2 开源免费软件");
  form.Command4_Click();
  form.Click(Ctl::Command4);
  ASSERT_EQ(ui.messages().size(), 2u);
  for (const ui::ShownMessage& box : ui.messages()) {
    EXPECT_EQ(box.text, u"CPU/GPU性能天梯查询 Ver0.99a2 开源免费软件\r\n(数据摘自网上测评，仅供参考)");
    EXPECT_EQ(box.title, u"关于");
    EXPECT_EQ(box.style, 0x40u);
  }
  EXPECT_EQ(processors.queries, 0);
  EXPECT_TRUE(launcher.calls.empty());
}

}  // namespace
}  // namespace tianti
