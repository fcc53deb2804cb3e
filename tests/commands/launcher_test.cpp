#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/launcher.h"

namespace tianti::commands {
namespace {

// Records the platform calls of the start policy and answers as scripted.
class ScriptedLauncher : public FallbackLauncher {
 public:
  LaunchResult process_result;
  LaunchResult address_result;
  std::vector<std::u16string> calls;

 protected:
  LaunchResult StartProcess(std::u16string_view command_line) override {
    calls.push_back(u"process " + std::u16string(command_line));
    return process_result;
  }
  LaunchResult OpenAddress(std::u16string_view address) override {
    calls.push_back(u"address " + std::u16string(address));
    return address_result;
  }
};

TEST(FallbackLauncher, AddressOnlyWhenTheCommandCannotStart) {
  struct Case {
    LaunchResult process, address;
    std::u16string_view fallback;
    bool started;
    std::uint32_t error;
    std::size_t calls;
  } cases[] = {
      {{true, 0}, {true, 0}, u"https://a.example", true, 0, 1},   // no fallback needed
      {{false, 2}, {true, 0}, u"https://a.example", true, 0, 2},  // the browser opens it
      {{false, 2}, {false, 31}, u"https://a.example", false, 31, 2},
      {{false, 2}, {true, 0}, u"", false, 2, 1},  // nothing to fall back to
  };
  for (const Case& c : cases) {
    ScriptedLauncher launcher;
    launcher.process_result = c.process;
    launcher.address_result = c.address;
    LaunchResult result = launcher.Start(u"explorer.exe https://a.example", c.fallback);
    EXPECT_EQ(result.started, c.started);
    EXPECT_EQ(result.error, c.error);
    ASSERT_EQ(launcher.calls.size(), c.calls);
    EXPECT_EQ(launcher.calls[0], u"process explorer.exe https://a.example");
    if (c.calls == 2) {
      EXPECT_EQ(launcher.calls[1], u"address https://a.example");
    }
  }
}

TEST(LaunchAddress, TheAddressAfterTheExplorerCommand) {
  EXPECT_EQ(LaunchAddress(u"explorer.exe https://www.microsoft.com"), u"https://www.microsoft.com");
  EXPECT_EQ(LaunchAddress(u"explorer.exe"), u"");
  EXPECT_EQ(LaunchAddress(u"cmd.exe /c exit"), u"");
  EXPECT_EQ(LaunchAddress(u"explorer.exeX https://x"), u"");
}

}  // namespace
}  // namespace tianti::commands
