// Figures of the Windows program for tools/bench-gui.sh, printed as
// "key value" lines:
//
// * A press of Query to the finished table, in the real main window created
//   in this process: QueryPerformanceCounter around BM_CLICK on Command2,
//   and to the table painted on the screen, for a 30-row result, a query
//   without a match and the slowest of several rule-e queries. Each table is
//   compared with the reference model first. Then the results box's own
//   text update: the program's way, and WM_SETTEXT with and without the
//   box's scroll bar.
// * The peak working set of a program started as a child (tianti.exe, or
//   the minimal window for comparison) after its start-up and, for
//   tianti.exe, a few queries pressed in its window.
//
//   tianti-bench-gui                        the query figures
//   tianti-bench-gui --program=PATH.exe [--no-queries]   a child's peak working set
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/form1.h"
#include "tests/stress/reference.h"
#include "ui/win32/dpi.h"
#include "ui/win32/win32_services.h"

namespace {

using tianti::ui::Ctl;
using tianti::ui::Win;
using tianti::stress::BoxTerms;
using tianti::stress::Reference;

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Presses OK on any message box of the given thread, so that an unexpected
// one cannot stop the benchmark; counts them.
class BoxGuard {
 public:
  explicit BoxGuard(DWORD thread) : thread_id_(thread), thread_([this] { Run(); }) {}
  ~BoxGuard() {
    stop_ = true;
    thread_.join();
  }
  int seen() const { return seen_; }

 private:
  void Run() {
    while (!stop_) {
      EnumThreadWindows(
          thread_id_,
          [](HWND hwnd, LPARAM p) {
            wchar_t name[16] = {};
            GetClassNameW(hwnd, name, 16);
            if (std::wcscmp(name, L"#32770") == 0 && IsWindowVisible(hwnd)) {
              ++reinterpret_cast<BoxGuard*>(p)->seen_;
              SendMessageTimeoutW(hwnd, WM_COMMAND, IDOK, 0, SMTO_ABORTIFHUNG, 1000, nullptr);
            }
            return TRUE;
          },
          reinterpret_cast<LPARAM>(this));
      Sleep(10);
    }
  }
  DWORD thread_id_;
  std::atomic<bool> stop_{false};
  std::atomic<int> seen_{0};
  std::thread thread_;
};

double Ms(LARGE_INTEGER a, LARGE_INTEGER b) {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  return static_cast<double>(b.QuadPart - a.QuadPart) * 1000.0 / frequency;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

struct Case {
  std::string name;
  BoxTerms terms;
};

// A term with exactly 30 matches in both lists: a full scan that writes
// the largest table without the limit note.
BoxTerms ThirtyRows(const Reference& ref) {
  for (int slot = ref.slots() - 1; slot >= 0; slot -= 7) {
    const std::u16string_view row = ref.row(slot);
    if (row.size() < 20) continue;
    for (std::size_t length = 4; length <= 10; ++length) {
      BoxTerms t{std::u16string(row.substr(7, length))};
      const auto o = ref.Query(t, u'1');
      if (o.rows.size() == 30 && !o.limit_note) return t;
    }
  }
  return BoxTerms{u"ryzen"};
}

struct Timing {
  double table = 0, painted = 0, longest = 0;
  std::size_t rows = 0;
  bool ok = false;
};

Timing TimeQuery(tianti::win32::Win32Services& ui, const Reference& ref, const BoxTerms& t) {
  const Ctl boxes[] = {Ctl::Text1, Ctl::Text2, Ctl::Text5, Ctl::Text6, Ctl::Text7};
  const std::u16string* texts[] = {&t.main, &t.also, &t.or1, &t.or2, &t.or3};
  for (int i = 0; i < 5; ++i) ui.SetText(boxes[i], *texts[i]);
  HWND query = ui.ControlHandle(Ctl::Command2);
  HWND main = ui.WindowHandle(Win::Form1);
  std::vector<double> table, painted;
  for (int round = 0; round < 33; ++round) {
    Pump();
    LARGE_INTEGER t0, t1, t2;
    QueryPerformanceCounter(&t0);
    SendMessageW(query, BM_CLICK, 0, 0);
    QueryPerformanceCounter(&t1);
    RedrawWindow(main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    QueryPerformanceCounter(&t2);
    if (round >= 3) {  // warm-up
      table.push_back(Ms(t0, t1));
      painted.push_back(Ms(t0, t2));
    }
  }
  Timing r;
  r.table = Median(table);
  r.painted = Median(painted);
  r.longest = *std::max_element(painted.begin(), painted.end());
  const auto want = ref.Query(t, u'1');
  r.rows = want.rows.size();
  r.ok = !want.limit_note && ui.Text(Ctl::Text8) == want.table;
  return r;
}

// Where a press of Query spends its time: the text of a 30-row table put
// into the results box as the program does it (over the same table, as when
// a query is pressed again), then with WM_SETTEXT into the same box, and with
// WM_SETTEXT into a box of the same class, style, size and font except for
// the vertical scroll bar.
void TimeTextUpdate(tianti::win32::Win32Services& ui, const Reference& ref) {
  const auto want = ref.Query(ThirtyRows(ref), u'1');
  const std::wstring table(want.table.begin(), want.table.end());
  HWND box = ui.ControlHandle(Ctl::Text8);
  HWND main = ui.WindowHandle(Win::Form1);
  RECT r{};
  GetWindowRect(box, &r);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
  const LONG_PTR style = GetWindowLongPtrW(box, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VSCROLL);
  const LONG_PTR ex_style = GetWindowLongPtrW(box, GWL_EXSTYLE);
  HWND plain = CreateWindowExW(static_cast<DWORD>(ex_style), L"Edit", L"", static_cast<DWORD>(style), r.left, r.top,
                               r.right - r.left, r.bottom - r.top, main, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(plain, WM_SETFONT, SendMessageW(box, WM_GETFONT, 0, 0), FALSE);
  auto time = [&](auto&& update) {
    std::vector<double> v;
    for (int round = 0; round < 23; ++round) {
      Pump();
      LARGE_INTEGER t0, t1;
      QueryPerformanceCounter(&t0);
      update();
      QueryPerformanceCounter(&t1);
      if (round >= 3) v.push_back(Ms(t0, t1));
    }
    return Median(v);
  };
  const double program = time([&] { ui.SetText(Ctl::Text8, want.table); });
  const double settext = time([&] { SetWindowTextW(box, table.c_str()); });
  const double no_bar = plain ? time([&] { SetWindowTextW(plain, table.c_str()); }) : 0;
  if (plain) DestroyWindow(plain);
  std::printf("text_update %.2f %.2f %.2f\n", program, settext, no_bar);
}

int RunQueries() {
  tianti::win32::Win32Options options;
  tianti::win32::Win32Services ui(std::move(options));
  tianti::Form1 form(ui);
  ui.SetSink(&form);
  form.Form_Load();
  ui.Show(Win::Form1);
  Pump();
  BoxGuard guard(GetCurrentThreadId());
  const Reference ref;

  // Rule e without a 31st match: the whole scan with four terms. The
  // candidates put frequent characters first and last, so that many
  // places look like a start and are then rejected.
  const BoxTerms rule_e[] = {
      BoxTerms{u"geforce rtx 9090", u"", u"radeon rx 9990", u"core i11", u"ryzen 13"},
      BoxTerms{u"0q0", u"", u"1q1", u"eqe", u"nqn"},
      BoxTerms{u"| |", u"", u"|  |", u"e e", u"0 0"},
      BoxTerms{u"intel core i9-99", u"", u"amd ryzen 9 99", u"geforce gtx 99", u"radeon r9 99"},
      BoxTerms{u"e", u"", u"x9999", u"q0q", u"zz"},
  };
  const Case fixed[] = {{"query_30_rows", ThirtyRows(ref)}, {"query_no_match", BoxTerms{u"zzqx"}}};
  bool ok = true;
  for (const Case& c : fixed) {
    const Timing r = TimeQuery(ui, ref, c.terms);
    ok = ok && r.ok;
    std::printf("%s %.2f %.2f %.2f %zu %s\n", c.name.c_str(), r.table, r.painted, r.longest, r.rows,
                tianti::stress::Printable(c.terms.main).c_str());
  }
  Timing worst;
  std::string worst_terms;
  for (const BoxTerms& t : rule_e) {
    if (ref.Query(t, u'1').limit_note) continue;
    const Timing r = TimeQuery(ui, ref, t);
    ok = ok && r.ok;
    if (r.painted > worst.painted) {
      worst = r;
      worst_terms = tianti::stress::Printable(t.main + u"/" + t.or1 + u"/" + t.or2 + u"/" + t.or3);
    }
  }
  std::printf("query_rule_e %.2f %.2f %.2f %zu %s\n", worst.table, worst.painted, worst.longest, worst.rows,
              worst_terms.c_str());
  TimeTextUpdate(ui, ref);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  std::printf("bench_peak_working_set %zu\n", static_cast<std::size_t>(memory.PeakWorkingSetSize));
  if (guard.seen() != 0) std::printf("error %d message boxes during the queries\n", guard.seen());
  if (!ok) std::printf("error a table differed from the reference model\n");
  (void)std::fflush(stdout);
  return ok && guard.seen() == 0 ? 0 : 1;
}

// ---------------------------------------------------------------------------
// A program as a child process.

struct Found {
  DWORD pid;
  HWND hwnd;
};

HWND WaitForWindow(DWORD pid) {
  for (int i = 0; i < 400; ++i) {
    Found f{pid, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM p) {
          auto* f = reinterpret_cast<Found*>(p);
          DWORD owner = 0;
          GetWindowThreadProcessId(hwnd, &owner);
          if (owner == f->pid && IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == nullptr) {
            f->hwnd = hwnd;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&f));
    if (f.hwnd) return f.hwnd;
    Sleep(25);
  }
  return nullptr;
}

// The control of the program's main window with this designer name: the
// Win32 layer gives each control the identifier 1000 + its ui::Ctl number.
HWND ControlOf(HWND main, Ctl c) { return GetDlgItem(main, 1000 + static_cast<int>(c)); }

int MeasureProgram(const std::wstring& path, bool queries) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring command = L"\"" + path + L"\"";
  if (!CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("error cannot start the program (%lu)\n", GetLastError());
    return 1;
  }
  HWND main = WaitForWindow(pi.dwProcessId);
  int status = 0;
  if (!main) {
    std::printf("error the program's window did not appear\n");
    status = 1;
  } else if (queries) {
    HWND query = ControlOf(main, Ctl::Command2);
    wchar_t caption[16] = {};
    GetWindowTextW(query, caption, 16);
    if (std::wcscmp(caption, L"查询&S") != 0) {
      std::printf("error the Query button was not found\n");
      status = 1;
    } else {
      // Queries without the limit note, so that no message box opens.
      const Reference ref;
      std::vector<BoxTerms> searches{ThirtyRows(ref), BoxTerms{u"zzqx"}};
      for (const BoxTerms& t : {BoxTerms{u"ryzen 9 59"}, BoxTerms{u"geforce rtx", u"ti"}, BoxTerms{u"xeon e5", u"v4"},
                                BoxTerms{u"radeon", u"vega"}, BoxTerms{u"i7-4", u"", u"i5-4", u"i3-4"}}) {
        if (!ref.Query(t, u'1').limit_note) searches.push_back(t);
      }
      auto send = [&](HWND to, UINT msg, WPARAM wp, LPARAM lp) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(to, msg, wp, lp, SMTO_NORMAL, 10000, &result)) status = 1;
      };
      int pressed = 0;
      for (int round = 0; round < 3 && status == 0; ++round) {
        for (const BoxTerms& t : searches) {
          send(ControlOf(main, Ctl::Text1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.main.c_str()));
          send(ControlOf(main, Ctl::Text2), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.also.c_str()));
          send(ControlOf(main, Ctl::Text5), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.or1.c_str()));
          send(ControlOf(main, Ctl::Text6), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.or2.c_str()));
          // The button's click notification (BM_CLICK needs the mouse
          // capture, which another process's message cannot take).
          send(main, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(query), BN_CLICKED), reinterpret_cast<LPARAM>(query));
          ++pressed;
        }
      }
      std::printf("queries %d\n", pressed);
      if (status != 0) std::printf("error the program did not answer\n");
      // Another process's edit text: asked for with the message itself.
      const LRESULT n = SendMessageW(ControlOf(main, Ctl::Text8), WM_GETTEXTLENGTH, 0, 0);
      if (n <= 0) {
        std::printf("error no table after the queries\n");
        status = 1;
      }
    }
  }
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(pi.hProcess, &memory, sizeof memory)) {
    std::printf("peak_working_set %zu\n", static_cast<std::size_t>(memory.PeakWorkingSetSize));
  } else {
    std::printf("error no memory counters of the child (%lu)\n", GetLastError());
    status = 1;
  }
  if (main) PostMessageW(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  (void)std::fflush(stdout);
  return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring program;
  bool queries = true;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg.rfind(L"--program=", 0) == 0) program = arg.substr(10);
    if (arg == L"--no-queries") queries = false;
  }
  tianti::win32::EnsureDpiAwareness();
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  if (!program.empty()) return MeasureProgram(program, queries);
  return RunQueries();
}
