// The program's actions repeated many times leave what it holds as it was,
// after a warm-up: its memory from `new`, its LocalAlloc blocks (the
// multi-line boxes' buffers), its windows, and committed private memory
// (picture bitmaps, edit buffers). GetGuiResources counts nothing under
// Wine, and a heap walk cannot tell a block the program holds from the
// platform's own caches under a low-fragmentation heap, so the program's
// allocations are counted where they are made (tests/stress/memory.h).
//
// What the platform keeps for itself (reading the clipboard, glyph caches
// for characters not drawn before, some memory for every message box) is
// not the program's and not counted; only committed memory sees it.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/stress/memory.h"
#include "tests/stress/reference.h"
#include "tests/win32/harness.h"

namespace tianti::stress {
namespace {

using ui::Ctl;
using ui::Win;
namespace wt = win32::wintest;

class LeakTest : public ::testing::Test {
 protected:
  void Click(Ctl c) {
    SendMessageW(app.hwnd(c), BM_CLICK, 0, 0);
    app.Pump();
    app.boxes.clear();  // the watcher's own record of the boxes
  }
  void Type(Ctl box, const wchar_t* text) {
    SendMessageW(app.hwnd(box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  }

  // Runs `action` `n` times after a warm-up; expects the memory from `new`
  // to grow by at most 512 bytes in all (a buffer that reached its largest
  // size only now), no more LocalAlloc blocks or windows than before, and
  // committed memory by at most 4 KB per run plus 256 KB: it also holds the
  // heaps, which the platform grows for itself (under Wine 10 by about
  // 2.5 KB for every message box), while a leaked picture or DIB section
  // takes tens of KB a time. Where an action hands Wine's own edit control
  // tens of KB of text, the platform's heaps keep a varying part of it
  // committed (up to about 40 KB a run under Wine 10): there the program's
  // own buffers are still counted exactly, but committed memory is not
  // checked (`check_committed` false).
  void ExpectFlat(const char* name, int n, const std::function<void(int)>& action, bool check_committed = true) {
    for (int i = 0; i < 20; ++i) action(i);
    const ProgramMemory before = MeasureProgramMemory();
    for (int i = 0; i < n; ++i) action(i);
    const ProgramMemory after = MeasureProgramMemory();
    const long long new_bytes = after.new_bytes - before.new_bytes;
    const long long local_blocks = after.local_blocks - before.local_blocks;
    const long long windows = static_cast<long long>(after.windows) - static_cast<long long>(before.windows);
    const double committed_kb = (static_cast<double>(after.committed) - static_cast<double>(before.committed)) / 1024;
    std::printf(
        "%-36s x%-4d new %+7.1f B and %+4lld blocks, LocalAlloc %+3lld blocks, windows %+lld, committed %+8.1f KB\n",
        name, n, static_cast<double>(new_bytes) / n, after.new_blocks - before.new_blocks, local_blocks, windows,
        committed_kb);
    EXPECT_LE(new_bytes, 512) << name << ": memory from new";
    EXPECT_LE(local_blocks, 0) << name << ": LocalAlloc blocks";
    EXPECT_EQ(windows, 0) << name << ": windows";
    if (check_committed) {
      EXPECT_LE(committed_kb, 4.0 * n + 256) << name << ": committed memory";
    }
  }

  wt::App app;
};

TEST_F(LeakTest, RepeatedActionsKeepMemoryFlat) {
  ASSERT_TRUE(LocalAllocCounted()) << "the program's LocalAlloc and LocalFree calls are not counted";
  ExpectFlat("picture windows opened and closed", 60, [&](int i) {
    Click(i % 2 ? Ctl::Command5 : Ctl::Command7);
    Click(i % 2 ? Ctl::Form2_Command1 : Ctl::Form3_Command1);
  });
  Type(Ctl::Text1, L"ryzen 9");
  Type(Ctl::Text2, L"59");
  ASSERT_FALSE(Reference().Query(BoxTerms{u"ryzen 9", u"59"}, u'1').limit_note) << "a query without a box";
  ExpectFlat("query (rule b)", 100, [&](int) { Click(Ctl::Command2); });
  Type(Ctl::Text2, L"");
  Type(Ctl::Text5, L"xeon");
  Type(Ctl::Text6, L"radeon");
  Type(Ctl::Text7, L"geforce");
  ExpectFlat("scope changes (rule e, limit note)", 100, [&](int i) {
    Click(i % 3 == 0 ? Ctl::Option1 : i % 3 == 1 ? Ctl::Option2 : Ctl::Option3);
  });
  ExpectFlat("About and the local processor", 80, [&](int i) { Click(i % 2 ? Ctl::Command4 : Ctl::Command6); });
  ExpectFlat("missing term, then Reset", 80, [&](int) {
    Type(Ctl::Text1, L"   ");
    Click(Ctl::Command2);
    Type(Ctl::Text3, L"hidden");
    Click(Ctl::Command3);
  });
  // The results box changes between a full table, a table without rows and
  // an empty box.
  Type(Ctl::Text5, L"");
  Type(Ctl::Text6, L"");
  Type(Ctl::Text7, L"");
  ExpectFlat("tables of every size, and Reset", 90, [&](int i) {
    Type(Ctl::Text1, i % 3 == 0 ? L"ryzen 9 59" : i % 3 == 1 ? L"zzqx" : L"ryzen 9 5950x");
    Click(i % 4 == 1 ? Ctl::Option2 : i % 4 == 3 ? Ctl::Option1 : Ctl::Command2);
    if (i % 5 == 4) Click(Ctl::Command3);
  });
  ExpectFlat(
      "30,000 characters typed in and reset", 20,
      [&](int) {
        static const std::wstring kLong(30000, L'x');
        Type(Ctl::Text1, kLong.c_str());
        Click(Ctl::Command2);
        Click(Ctl::Command3);
      },
      /*check_committed=*/false);
  EXPECT_TRUE(app.ui->IsLoaded(Win::Form1));
}

}  // namespace
}  // namespace tianti::stress
