// The real platform services, under Wine (or Windows).
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <cwctype>
#include <sstream>
#include <string>
#include <thread>

#include "app/form1.h"
#include "commands/platform.h"
#include "commands/processor.h"
#include "commands/win32/launcher_win32.h"
#include "commands/win32/processor_wmi.h"
#include "ui/memory_services.h"

namespace tianti::commands::win32 {
namespace {

// Declared first: it must run before any thread of this process initialises
// COM in the multithreaded apartment, which every thread would then join.
TEST(WmiProcessorSource, ThreadWithoutComFailsAtTheBinding) {
  ProcessorReport report;
  std::thread([&] { report = WmiProcessorSource().Query(); }).join();
  ASSERT_FALSE(report.ok());
  EXPECT_TRUE(report.names.empty());
  EXPECT_EQ(report.failure->step, kStepBind);
  EXPECT_EQ(report.failure->hresult, static_cast<std::uint32_t>(CO_E_NOTINITIALIZED));
}

class ComThread : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(ComThread, WmiNamesTheLocalProcessors) {
  WmiProcessorSource source;
  ProcessorReport report = source.Query();
  ASSERT_TRUE(report.ok()) << std::hex << report.failure->hresult;
  ASSERT_GE(report.names.size(), 1u);
  ASSERT_TRUE(report.names[0].has_value());
  EXPECT_FALSE(report.names[0]->empty());
  // Asked again, the same answer from a fresh query.
  EXPECT_EQ(source.Query().names, report.names);
}

TEST_F(ComThread, ProcessorCommandShowsTheWmiNames) {
  WmiProcessorSource source;
  Win32Launcher launcher;
  Platform platform{&source, &launcher};
  ui::MemoryServices ui;
  Form1 form(ui, &platform);
  form.Command6_Click();
  ASSERT_EQ(ui.messages().size(), 1u);
  const ui::ShownMessage& box = ui.messages()[0];
  EXPECT_EQ(box.style, 0x40u);
  EXPECT_EQ(box.title, u"系统提示");
  EXPECT_EQ(box.text, BuildProcessorMessage(source.Query().names));
  EXPECT_EQ(box.text.rfind(u"本机CPU名称：\r\n", 0), 0u);
}

TEST(ConsoleProcessors, PrintsOneLinePerProcessor) {
  std::ostringstream out, err;
  ASSERT_EQ(PrintLocalProcessors(out, err), 0) << err.str();
  EXPECT_FALSE(out.str().empty());
  EXPECT_EQ(out.str().back(), '\n');
}

// A real child process: cmd.exe's exit code proves that it ran the command
// line it was given. (explorer.exe with an address would hand the address to
// a browser, which a test run must not open.)
TEST(Win32Launcher, StartsARealProcess) {
  void* process = nullptr;
  LaunchResult result = StartMinimized(u"cmd.exe /c exit 7", &process);
  ASSERT_TRUE(result.started) << result.error;
  ASSERT_NE(process, nullptr);
  ASSERT_EQ(WaitForSingleObject(process, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(process, &code));
  CloseHandle(process);
  EXPECT_EQ(code, 7u);
}

TEST(Win32Launcher, StartDoesNotWaitAndReportsWhatCannotStart) {
  Win32Launcher launcher;
  EXPECT_TRUE(launcher.Start(u"cmd.exe /c exit 0", u"").started);
  LaunchResult missing = launcher.Start(u"tianti-no-such-program.exe https://example.invalid", u"");
  EXPECT_FALSE(missing.started);
  EXPECT_EQ(missing.error, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
}

// A program named explorer.exe planted in the current folder, which the
// usual search would find before the Windows folder's, is never what a link
// starts: the process started runs the Windows folder's explorer.exe.
TEST(Win32Launcher, ExplorerComesFromTheWindowsFolderNotTheCurrentOne) {
  wchar_t temp[MAX_PATH], system[MAX_PATH], windows[MAX_PATH], before[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, before), 0u);
  const std::wstring folder = std::wstring(temp) + L"tianti-planted-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring planted = folder + L"\\explorer.exe";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\cmd.exe").c_str(), planted.c_str(), FALSE));
  ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));

  void* process = nullptr;
  const LaunchResult result = StartMinimized(u"explorer.exe /c exit 9", &process);
  SetCurrentDirectoryW(before);
  ASSERT_TRUE(result.started) << result.error;
  wchar_t image[MAX_PATH];
  DWORD size = MAX_PATH;
  const bool named = QueryFullProcessImageNameW(process, 0, image, &size);
  TerminateProcess(process, 0);
  WaitForSingleObject(process, 10000);
  CloseHandle(process);
  DeleteFileW(planted.c_str());
  RemoveDirectoryW(folder.c_str());

  ASSERT_TRUE(named);
  auto lower = [](std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
  };
  // Wine reports its built-in explorer as the system folder's.
  EXPECT_NE(lower(image), lower(planted));
  EXPECT_TRUE(lower(image) == lower(std::wstring(windows) + L"\\explorer.exe") ||
              lower(image) == lower(std::wstring(system) + L"\\explorer.exe"))
      << std::string(image, image + size);
  EXPECT_EQ(lower(ProgramPath(u"explorer.exe https://www.microsoft.com")),
            lower(std::wstring(windows) + L"\\explorer.exe"));
}

}  // namespace
}  // namespace tianti::commands::win32
