// fuzz_query: arbitrary search terms and scopes, run through the real main
// window over the in-memory user-interface services and the rows compiled
// into the program. What the window shows is compared with a plain reference
// written here: trim, upper-case, choose the rule, filter by list letter,
// search every upper-cased row for the terms.
//
// Input (a missing byte reads as 0; a term cut short by the end of the input
// keeps the code units that are there):
//   byte 0   bits 0-1  option selected before the action: 1 CPU, 2 GPU, else ALL
//            bits 2-3  option that a click chooses (same coding)
//            bit  4    the action: 0 a click on that option, 1 the Query button
//            bit  5    the results box holds an old table before the action
//            bits 6-7  the scan's filter: 1 SSE2, 2 portable, 3 AVX2, else
//                      the one the program picks (where the processor lacks
//                      one, the program's pick as well)
//   byte 1   ResultCount left by the query before, modulo 31
//   then the terms of Text1, Text2, Text5, Text6 and Text7, each starting
//   with a byte h:
//     h < 0xFE   h UTF-16LE code units follow
//     h = 0xFE   a 16-bit length n follows, then n UTF-16LE code units
//     h = 0xFF   a piece of a ranking row: 16-bit slot (modulo 4737), start,
//                length, flags; flag 1 lower-cases its ASCII letters, flag 2
//                puts a space in front, flag 4 an ideographic space behind,
//                flag 8 a NUL behind
//
// The window is built and loaded once; every run puts it into the state the
// input describes first, so a run does not depend on the runs before it.
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "query/row_search.h"
#include "query/text.h"
#include "ui/memory_services.h"

namespace {

using tianti::Form1;
using tianti::RankRowArray;
using tianti::query::ScanPath;
using tianti::ui::Ctl;
using tianti::ui::MemoryServices;
using tianti::ui::Pointer;
using tianti::ui::ShownMessage;
using tianti::ui::Win;

constexpr std::u16string_view kBorder = u"+-----+----------------------------------------+-----+";
constexpr std::u16string_view kHeader = u"|编号 |硬件描述                                |得分 |";
constexpr std::u16string_view kMissingTerm = u"Sorry,请输入查询条件!";
constexpr std::u16string_view kNoteStart = u"注:仅显示前30条记录(请缩少范围)";
constexpr std::u16string_view kTitle = u"系统提示";
constexpr std::u16string_view kHidden3 = u"hidden 3";
constexpr std::u16string_view kHidden4 = u"hidden 4";
constexpr std::u16string_view kOldTable = u"old table\r\n";
constexpr unsigned kWarningStyle = 0x30;
constexpr int kSlots = RankRowArray::kSize;
constexpr std::size_t kMaxRows = 30;
constexpr std::size_t kMaxUnits = 256;  // distinct code units of the upper-cased rows

constexpr Ctl kOptions[3] = {Ctl::Option1, Ctl::Option2, Ctl::Option3};
constexpr Ctl kTermBoxes[5] = {Ctl::Text1, Ctl::Text2, Ctl::Text5, Ctl::Text6, Ctl::Text7};

// ---- reporting ---------------------------------------------------------------

std::string Show(std::u16string_view text) {
  std::string out = "\"";
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F && c != u'"' && c != u'\\') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out + "\"";
}

// What the current run did, for failure reports.
struct Run {
  ScanPath path = ScanPath::kPortable;
  int before = 0;
  int clicked = 0;
  bool by_query = false;
  int old_count = 0;
  std::u16string old_box;
  std::u16string raw[5];
  char rule = '?';
  std::size_t matches = 0;
};
Run g_run;

[[noreturn]] void Fail(const std::string& what) {
  static const char* const kBoxNames[5] = {"Text1", "Text2", "Text5", "Text6", "Text7"};
  static const char* const kPathNames[3] = {"portable", "SSE2", "AVX2"};
  std::fprintf(stderr, "fuzz_query: %s\n", what.c_str());
  std::fprintf(stderr, "  scan filter: %s\n", kPathNames[static_cast<int>(g_run.path)]);
  std::fprintf(stderr, "  before: option %d selected, ResultCount %d, results box %s\n", g_run.before + 1,
               g_run.old_count, Show(g_run.old_box).c_str());
  if (g_run.by_query) {
    std::fprintf(stderr, "  action: Query\n");
  } else {
    std::fprintf(stderr, "  action: click on option %d\n", g_run.clicked + 1);
  }
  for (int i = 0; i < 5; ++i) std::fprintf(stderr, "  %s %s\n", kBoxNames[i], Show(g_run.raw[i]).c_str());
  std::fprintf(stderr, "  reference: rule %c, %zu matches (31 means more than 30)\n", g_run.rule, g_run.matches);
  std::abort();
}

void Check(bool ok, const char* what) {
  if (!ok) Fail(what);
}

void CheckEq(std::u16string_view got, std::u16string_view want, const char* what) {
  if (got != want) Fail(std::string(what) + "\n  got:  " + Show(got) + "\n  want: " + Show(want));
}

// ---- the rows, read from the list files --------------------------------------

// Plain UTF-8 decoding of a list file that the build has already validated.
std::u16string DecodeUtf8(const std::string& bytes) {
  std::u16string out;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    char32_t cp;
    std::size_t len;
    if (b < 0x80) {
      cp = b, len = 1;
    } else if (b >= 0xC0 && b < 0xE0) {
      cp = b & 0x1Fu, len = 2;
    } else if (b >= 0xE0 && b < 0xF0) {
      cp = b & 0x0Fu, len = 3;
    } else {
      cp = b & 0x07u, len = 4;
    }
    Check(i + len <= bytes.size(), "list file: truncated UTF-8");
    for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (bytes[i + k] & 0x3Fu);
    if (cp < 0x10000) {
      out.push_back(static_cast<char16_t>(cp));
    } else {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
    i += len;
  }
  return out;
}

std::vector<std::u16string> ReadList(const char* name) {
  const std::string path = std::string(TIANTI_DATA_DIR) + "/" + name;
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot read " + path);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::u16string text = DecodeUtf8(bytes);
  std::vector<std::u16string> rows;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find(u'\n', pos);
    if (end == std::u16string::npos) end = text.size();
    rows.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return rows;
}

// ---- the window and the reference data ----------------------------------------

struct World {
  MemoryServices ui;
  Form1 form{ui};
  std::vector<std::u16string> rows;   // slot -> row text; "" for the empty slots
  std::vector<std::u16string> upper;  // slot -> upper-cased row
  // The distinct code units of the upper-cased rows, numbered; -1 for a
  // code unit that no row holds. units[s] has the numbers of those in slot s.
  std::vector<int> unit_number;
  std::vector<std::bitset<kMaxUnits>> units;
  std::u16string devices;  // Text9 after start-up
  ScanPath best_path = tianti::query::ActiveScanPath();

  // What the message box saw while it was open.
  Pointer pointer_in_box = Pointer::Default;
  std::u16string text8_in_box;

  World() : rows(kSlots), upper(kSlots), unit_number(0x10000, -1), units(kSlots) {
    const std::vector<std::u16string> cpu = ReadList("cpu.txt");
    const std::vector<std::u16string> gpu = ReadList("gpu.txt");
    Check(cpu.size() + gpu.size() <= 4736, "the lists hold more than 4736 rows");
    // CPU rank s in slot s, the GPU list right after the CPU list.
    for (std::size_t i = 0; i < cpu.size(); ++i) rows[1 + i] = cpu[i];
    for (std::size_t i = 0; i < gpu.size(); ++i) rows[1 + cpu.size() + i] = gpu[i];
    std::size_t distinct = 0;
    for (int s = 0; s < kSlots; ++s) {
      upper[s] = tianti::query::UpperCase(rows[s]);
      for (char16_t c : upper[s]) {
        if (unit_number[c] < 0) {
          Check(distinct < kMaxUnits, "the rows hold too many distinct code units");
          unit_number[c] = static_cast<int>(distinct++);
        }
        units[s].set(static_cast<std::size_t>(unit_number[c]));
      }
    }

    ui.SetSink(&form);
    ui.on_message = [this](const ShownMessage&) {
      pointer_in_box = ui.pointer(Win::Form1);
      text8_in_box = ui.Text(Ctl::Text8);
    };
    form.Form_Load();
    Check(ui.messages().empty(), "start-up shows a message");
    CheckEq(ui.Text(Ctl::Text8), u"", "start-up writes into the results box");
    Check(ui.Value(Ctl::Option1), "start-up leaves ALL unselected");
    CheckEq(form.QueryEnabled, u"1", "QueryEnabled after start-up");
    for (int s = 0; s < kSlots; ++s) {
      if (form.RankRows[s] != rows[s]) {
        Fail("RankRows slot " + std::to_string(s) + " differs from the list files:\n  " + Show(form.RankRows[s]) +
             "\n  " + Show(rows[s]));
      }
    }
    devices = ui.Text(Ctl::Text9);
  }
};

World& TheWorld() {
  static World* world = new World();  // lives until the process ends
  return *world;
}

// ---- input ---------------------------------------------------------------------

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::uint16_t Word() {
    const unsigned lo = Byte();
    return static_cast<std::uint16_t>(lo | (Byte() << 8));
  }
  // Up to n code units, fewer if the input ends first.
  std::u16string Units(std::size_t n) {
    std::u16string out;
    while (n-- > 0 && pos_ + 2 <= size_) out.push_back(static_cast<char16_t>(Word()));
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

std::u16string ReadTerm(Reader& in, const World& w) {
  if (in.empty()) return {};
  const std::uint8_t h = in.Byte();
  if (h < 0xFE) return in.Units(h);
  if (h == 0xFE) return in.Units(in.Word());
  const std::u16string& row = w.rows[in.Word() % kSlots];
  const std::size_t start = in.Byte() % (row.size() + 1);
  const std::size_t length = in.Byte();
  const std::uint8_t flags = in.Byte();
  std::u16string term = row.substr(start, length);
  if (flags & 1) {
    for (char16_t& c : term) {
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 0x20);
    }
  }
  if (flags & 2) term.insert(term.begin(), u' ');
  if (flags & 4) term.push_back(u'\u3000');
  if (flags & 8) term.push_back(u'\0');
  return term;
}

// ---- the reference -------------------------------------------------------------

std::u16string TrimSpaces(std::u16string_view s) {
  auto space = [](char16_t c) { return c == u' ' || c == u'\u3000'; };
  while (!s.empty() && space(s.front())) s.remove_prefix(1);
  while (!s.empty() && space(s.back())) s.remove_suffix(1);
  return std::u16string(s);
}

// A term, with the code units a row must hold to contain it. A term with a
// code unit that no row holds is in no row.
struct Wanted {
  Wanted(const World& w, const std::u16string& t) : text(t) {
    for (char16_t c : text) {
      if (w.unit_number[c] < 0) {
        possible = false;
        break;
      }
      units.set(static_cast<std::size_t>(w.unit_number[c]));
    }
  }
  const std::u16string& text;
  bool possible = true;
  std::bitset<kMaxUnits> units;
};

// Whether the upper-cased row at `slot` contains the term. A row without
// every code unit of the term is passed over without a search.
bool Contains(const World& w, int slot, const Wanted& t) {
  return t.possible && (t.units & ~w.units[slot]).none() && w.upper[slot].find(t.text) != std::u16string::npos;
}

struct Expected {
  char rule = 0;
  std::vector<int> slots;  // the matches in slot order, at most 31
};

Expected Reference(const World& w, const std::u16string (&t)[5], char16_t excluded) {
  const std::u16string &m = t[0], &a = t[1], &o1 = t[2], &o2 = t[3], &o3 = t[4];
  Expected e;
  // The rules in full; exactly one holds.
  const bool rules[5] = {
      a.empty() && o1.empty(),
      !a.empty(),
      a.empty() && !o1.empty() && o2.empty(),
      a.empty() && !o1.empty() && !o2.empty() && o3.empty(),
      a.empty() && !o1.empty() && !o2.empty() && !o3.empty(),
  };
  int holding = 0;
  for (int r = 0; r < 5; ++r) {
    if (rules[r]) {
      ++holding;
      e.rule = static_cast<char>('a' + r);
    }
  }
  Check(holding == 1, "reference: not exactly one rule holds");

  const Wanted wm(w, m), wa(w, a), w1(w, o1), w2(w, o2), w3(w, o3);
  for (int slot = 1; slot <= RankRowArray::kLast && e.slots.size() <= kMaxRows; ++slot) {
    const std::u16string& row = w.rows[slot];
    if (row.size() >= 2 && row[1] == excluded) continue;
    const bool has_m = Contains(w, slot, wm);
    bool match = false;
    switch (e.rule) {
      case 'a':
        match = has_m;
        break;
      case 'b':
        match = has_m && Contains(w, slot, wa);
        break;
      case 'c':
        match = has_m || Contains(w, slot, w1);
        break;
      case 'd':
        match = has_m || Contains(w, slot, w1) || Contains(w, slot, w2);
        break;
      default:
        match = has_m || Contains(w, slot, w1) || Contains(w, slot, w2) || Contains(w, slot, w3);
        break;
    }
    if (match) e.slots.push_back(slot);
  }
  return e;
}

std::u16string Line(std::u16string_view text) { return std::u16string(text) + u"\r\n"; }

// Compares the results box with the table it must hold; a difference is
// reported at its first line.
void CheckTable(std::u16string_view got, std::u16string_view want, const char* what) {
  if (got == want) return;
  std::size_t line = 1;
  std::size_t start = 0;
  for (std::size_t i = 0; i < got.size() && i < want.size() && got[i] == want[i]; ++i) {
    if (got[i] == u'\n') {
      ++line;
      start = i + 1;
    }
  }
  auto line_at = [start](std::u16string_view text) {
    if (start >= text.size()) return std::u16string_view(u"(nothing)");
    const std::size_t end = text.find(u'\n', start);
    return text.substr(start, end == std::u16string_view::npos ? end : end + 1 - start);
  };
  Fail(std::string(what) + ", line " + std::to_string(line) + " differs\n  got:  " + Show(line_at(got)) +
       "\n  want: " + Show(line_at(want)));
}

// The table of the first n matches, without and with its closing border.
std::u16string Table(const World& w, const std::vector<int>& slots, std::size_t n, bool closed) {
  std::u16string text = Line(kBorder) + Line(kHeader) + Line(kBorder);
  for (std::size_t i = 1; i <= n; ++i) {
    text += Line(w.rows[slots[i - 1]]);
    if (i % 5 == 4) text += Line(kBorder);
  }
  if (closed && n % 5 != 4 && n > 4) text += Line(kBorder);
  return text;
}

int OptionIndex(unsigned bits) { return bits == 1 || bits == 2 ? static_cast<int>(bits) : 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  World& w = TheWorld();
  MemoryServices& ui = w.ui;
  Form1& form = w.form;

  Reader in(data, size);
  const std::uint8_t mode = in.Byte();
  const int before = OptionIndex(mode & 3);
  const int clicked = OptionIndex((mode >> 2) & 3);
  const bool by_query = (mode & 0x10) != 0;
  const std::u16string old_box(mode & 0x20 ? kOldTable : u"");
  static const ScanPath kPaths[4] = {ScanPath::kAvx2, ScanPath::kSse2, ScanPath::kPortable, ScanPath::kAvx2};
  const ScanPath path = (mode >> 6) == 0 || !tianti::query::ScanPathAvailable(kPaths[mode >> 6]) ? w.best_path
                                                                                                 : kPaths[mode >> 6];
  Check(tianti::query::UseScanPath(path), "the scan filter cannot be chosen");
  const auto old_count = static_cast<std::int16_t>(in.Byte() % 31);
  std::u16string raw[5];
  for (std::u16string& term : raw) term = ReadTerm(in, w);

  // The state before the action: the option selected the way start-up
  // selects one (no query runs), the leftovers of an earlier query.
  form.QueryEnabled = u"0";
  ui.Select(kOptions[before]);
  form.QueryEnabled = u"1";
  form.QueryScope = std::u16string(1, static_cast<char16_t>(u'1' + before));
  form.ResultCount = old_count;
  ui.SetPointer(Win::Form1, Pointer::Default);
  ui.SetText(Ctl::Text3, kHidden3);
  ui.SetText(Ctl::Text4, kHidden4);
  ui.SetText(Ctl::Text8, old_box);
  for (int i = 0; i < 5; ++i) ui.SetText(kTermBoxes[i], raw[i]);
  ui.ClearMessages();
  w.pointer_in_box = Pointer::Default;
  w.text8_in_box.clear();

  g_run.path = path;
  g_run.before = before;
  g_run.clicked = clicked;
  g_run.by_query = by_query;
  g_run.old_count = old_count;
  g_run.old_box = old_box;
  for (int i = 0; i < 5; ++i) g_run.raw[i] = raw[i];
  g_run.rule = '?';
  g_run.matches = 0;

  // The action. A click on the option that is already selected changes
  // nothing and runs no query.
  if (by_query) {
    form.Command2_Click();
  } else {
    ui.Select(kOptions[clicked]);
  }
  const bool ran = by_query || clicked != before;
  const int scope = by_query ? before : clicked;  // 0 ALL, 1 CPU, 2 GPU

  // What must have come out.
  for (int i = 0; i < 3; ++i) {
    Check(ui.Value(kOptions[i]) == (i == (ran ? scope : before)), "the selected option changed");
  }
  CheckEq(form.QueryEnabled, u"1", "QueryEnabled after the action");
  CheckEq(form.QueryScope, std::u16string(1, static_cast<char16_t>(u'1' + (ran ? scope : before))),
          "QueryScope after the action");
  Check(ui.pointer(Win::Form1) == Pointer::Default, "the pointer is not the default pointer");
  CheckEq(ui.Text(Ctl::Text9), w.devices, "the common-devices box changed");
  const auto& messages = ui.messages();

  if (!ran) {
    Check(messages.empty(), "a click on the selected option shows a message");
    CheckEq(ui.Text(Ctl::Text8), old_box, "a click on the selected option changes the results box");
    Check(form.ResultCount == old_count, "a click on the selected option changes ResultCount");
    for (int i = 0; i < 5; ++i) CheckEq(ui.Text(kTermBoxes[i]), raw[i], "a term box changed");
    return 0;
  }

  std::u16string terms[5];
  for (int i = 0; i < 5; ++i) terms[i] = tianti::query::UpperCase(TrimSpaces(raw[i]));

  if (terms[0].empty()) {
    // The missing-term warning, then Reset.
    Check(messages.size() == 1, "missing main term: not exactly one message box");
    CheckEq(messages[0].text, kMissingTerm, "missing main term: message text");
    CheckEq(messages[0].title, kTitle, "missing main term: message title");
    Check(messages[0].style == kWarningStyle, "missing main term: message style");
    Check(w.pointer_in_box == Pointer::Default, "missing main term: hourglass during the warning");
    CheckEq(w.text8_in_box, old_box, "missing main term: the box changed before the warning");
    for (Ctl box : {Ctl::Text1, Ctl::Text2, Ctl::Text3, Ctl::Text4, Ctl::Text5, Ctl::Text6, Ctl::Text7, Ctl::Text8}) {
      CheckEq(ui.Text(box), u"", "missing main term: a box is not emptied");
    }
    Check(form.ResultCount == 0, "missing main term: ResultCount is not 0");
    return 0;
  }

  for (int i = 0; i < 5; ++i) CheckEq(ui.Text(kTermBoxes[i]), raw[i], "a term box changed");
  CheckEq(ui.Text(Ctl::Text3), kHidden3, "Text3 changed");
  CheckEq(ui.Text(Ctl::Text4), kHidden4, "Text4 changed");

  static const char16_t kExcluded[3] = {u'A', u'G', u'C'};
  const Expected e = Reference(w, terms, kExcluded[scope]);
  const bool note = e.slots.size() > kMaxRows;
  const std::size_t n = note ? kMaxRows : e.slots.size();
  g_run.rule = e.rule;
  g_run.matches = e.slots.size();

  CheckTable(ui.Text(Ctl::Text8), Table(w, e.slots, n, true), "the result table");
  Check(form.ResultCount == static_cast<std::int16_t>(n), "ResultCount differs from the rows written");
  if (note) {
    Check(messages.size() == 1, "more than 30 matches: not exactly one message box");
    std::u16string text(kNoteStart);
    text += static_cast<char16_t>(e.rule);
    text += u'。';
    CheckEq(messages[0].text, text, "the limit note");
    CheckEq(messages[0].title, kTitle, "the limit note's title");
    Check(messages[0].style == kWarningStyle, "the limit note's style");
    Check(w.pointer_in_box == Pointer::Hourglass, "no hourglass while the limit note is open");
    CheckTable(w.text8_in_box, Table(w, e.slots, n, false), "the box while the limit note is open");
  } else {
    Check(messages.empty(), "a message box without a missing term or more than 30 matches");
  }
  return 0;
}
