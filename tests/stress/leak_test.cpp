// The program's actions repeated many times leave its memory as it was:
// heap bytes in use and committed private memory (picture bitmaps, edit
// buffers) after a warm-up. GetGuiResources counts nothing under Wine, so
// memory is what shows a leaked object there.
//
// Left out on purpose, because the platform itself keeps memory for them
// (measured with the bare API calls under Wine 8): reading the clipboard
// (about 1 KB a read) and drawing characters not drawn before (glyph
// caches). Every message box costs Wine about 24 bytes.
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
  void Type(Ctl box, const wchar_t* text) { SendMessageW(app.hwnd(box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }

  // Runs `action` `n` times after a warm-up; expects the heap to grow by at
  // most `heap_slack` bytes per run plus 4 KB (the platform's heaps take or
  // give back a block of 1 KB now and then), and committed memory by at most
  // 256 KB.
  void ExpectFlat(const char* name, int n, SIZE_T heap_slack, const std::function<void(int)>& action) {
    for (int i = 0; i < 20; ++i) action(i);
    const SIZE_T heap = HeapBytesInUse(), committed = CommittedPrivateBytes();
    for (int i = 0; i < n; ++i) action(i);
    const SIZE_T heap_after = HeapBytesInUse(), committed_after = CommittedPrivateBytes();
    const double heap_each = (static_cast<double>(heap_after) - static_cast<double>(heap)) / n;
    const double committed_kb = (static_cast<double>(committed_after) - static_cast<double>(committed)) / 1024;
    std::printf("%-36s x%-4d heap %+7.1f B each, committed %+8.1f KB\n", name, n, heap_each, committed_kb);
    EXPECT_LE(heap_each * n, static_cast<double>(heap_slack) * n + 4096) << name;
    EXPECT_LE(committed_kb, 256.0) << name;
  }

  wt::App app;
};

TEST_F(LeakTest, RepeatedActionsKeepMemoryFlat) {
  constexpr SIZE_T kSlack = 16;     // bytes per run
  constexpr SIZE_T kBoxSlack = 40;  // the same, for runs that show a message box
  ExpectFlat("picture windows opened and closed", 60, kSlack, [&](int i) {
    Click(i % 2 ? Ctl::Command5 : Ctl::Command7);
    Click(i % 2 ? Ctl::Form2_Command1 : Ctl::Form3_Command1);
  });
  Type(Ctl::Text1, L"ryzen 9");
  Type(Ctl::Text2, L"59");
  ASSERT_FALSE(Reference().Query(BoxTerms{u"ryzen 9", u"59"}, u'1').limit_note) << "a query without a box";
  ExpectFlat("query (rule b)", 100, kSlack, [&](int) { Click(Ctl::Command2); });
  Type(Ctl::Text2, L"");
  Type(Ctl::Text5, L"xeon");
  Type(Ctl::Text6, L"radeon");
  Type(Ctl::Text7, L"geforce");
  ExpectFlat("scope changes (rule e, limit note)", 100, kBoxSlack,
             [&](int i) { Click(i % 3 == 0 ? Ctl::Option1 : i % 3 == 1 ? Ctl::Option2 : Ctl::Option3); });
  ExpectFlat("About and the local processor", 80, kBoxSlack,
             [&](int i) { Click(i % 2 ? Ctl::Command4 : Ctl::Command6); });
  ExpectFlat("missing term, then Reset", 80, kBoxSlack, [&](int) {
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
  ExpectFlat("tables of every size, and Reset", 90, kSlack, [&](int i) {
    Type(Ctl::Text1, i % 3 == 0 ? L"ryzen 9 59" : i % 3 == 1 ? L"zzqx" : L"ryzen 9 5950x");
    Click(i % 4 == 1 ? Ctl::Option2 : i % 4 == 3 ? Ctl::Option1 : Ctl::Command2);
    if (i % 5 == 4) Click(Ctl::Command3);
  });
  ExpectFlat("30,000 characters typed in and reset", 20, kSlack, [&](int) {
    static const std::wstring kLong(30000, L'x');
    Type(Ctl::Text1, kLong.c_str());
    Click(Ctl::Command2);
    Click(Ctl::Command3);
  });
  EXPECT_TRUE(app.ui->IsLoaded(Win::Form1));
}

}  // namespace
}  // namespace tianti::stress
