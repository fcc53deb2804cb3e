#include "tests/stress/gui_model.h"

#include <algorithm>

namespace tianti::stress {

using ui::Ctl;
using ui::Win;
using win32::wintest::U;

namespace {

constexpr std::u16string_view kAboutNote = u"(数据摘自网上测评，仅供参考)";
constexpr std::u16string_view kProcessorText = u"本机CPU名称：\r\nTest CPU @ 3.00GHz";  // the harness's fake
constexpr Ctl kOptions[] = {Ctl::Option1, Ctl::Option2, Ctl::Option3};
constexpr Ctl kClearedByReset[] = {Ctl::Text1, Ctl::Text2, Ctl::Text3, Ctl::Text4,
                                   Ctl::Text5, Ctl::Text6, Ctl::Text7, Ctl::Text8};

std::string Name(Ctl c) { return "control " + std::to_string(static_cast<int>(c)); }

int VisibleWindowsCaptioned(const std::wstring& caption) {
  std::pair<const std::wstring*, int> count{&caption, 0};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM p) {
        auto* c = reinterpret_cast<std::pair<const std::wstring*, int>*>(p);
        // Windows of the program's own class: a tool tip may show the same text.
        if (IsWindowVisible(hwnd) && win32::wintest::ClassName(hwnd) == L"TiantiForm" &&
            win32::wintest::WindowText(hwnd) == *c->first) {
          ++c->second;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count.second;
}

}  // namespace

GuiModel::GuiModel(win32::wintest::App& app, const Reference& reference) : app_(app), ref_(reference) {
  caption_ = app_.ui->Caption(Win::Form1);
  devices_ = Read(Ctl::Text9);
  results_ = Read(Ctl::Text8);
  app_.ui->SetSink(this);
}

GuiModel::~GuiModel() { app_.ui->SetSink(app_.form.get()); }

std::u16string GuiModel::Read(Ctl c) const { return U(win32::wintest::WindowText(app_.hwnd(c))); }

// Inside an event the program's own view: what it has written may reach the
// control only when the event has run.
BoxTerms GuiModel::ReadTerms() const {
  auto& ui = *app_.ui;
  return BoxTerms{ui.Text(Ctl::Text1), ui.Text(Ctl::Text2), ui.Text(Ctl::Text5), ui.Text(Ctl::Text6),
                  ui.Text(Ctl::Text7)};
}

void GuiModel::StartAction() {
  faults_.clear();
  expected_.clear();
  app_.boxes.clear();
}

// The queries that one click runs, one per scope, in order, with the boxes
// as they stand: a missing main term warns and empties them for the next.
void GuiModel::ExpectQueries(const std::vector<char16_t>& scopes) {
  BoxTerms boxes = ReadTerms();
  for (char16_t scope : scopes) {
    ++stats_.queries;
    const Outcome o = ref_.Query(boxes, scope);
    if (o.missing_term) {
      ++stats_.warnings;
      expected_.push_back({std::u16string(kMissingTerm), std::u16string(kPromptTitle), L"warning"});
      boxes = BoxTerms{};
      results_.clear();
      continue;
    }
    stats_.rows += static_cast<long>(o.rows.size());
    if (o.rows.empty()) ++stats_.empty;
    ++stats_.rules[o.rule - u'a'];
    if (o.limit_note) {
      ++stats_.notes;
      expected_.push_back({o.note, std::u16string(kPromptTitle), L"warning"});
    }
    results_ = o.table;
  }
}

void GuiModel::Click(Ctl control) {
  if (depth_ > 0) Fault("a click on " + Name(control) + " was raised inside another handler");
  ++depth_;
  const BoxTerms before = ReadTerms();
  bool query = false, cleared = false;
  switch (control) {
    case Ctl::Option1:
    case Ctl::Option2:
    case Ctl::Option3: {
      const char16_t scope = static_cast<char16_t>(u'1' + (static_cast<int>(control) - static_cast<int>(Ctl::Option1)));
      scope_ = scope;
      ExpectQueries({scope});
      query = true;
      break;
    }
    case Ctl::Command2: {
      std::vector<char16_t> scopes;
      for (int k = 0; k < 3; ++k) {
        if (app_.ui->Value(kOptions[k])) scopes.push_back(static_cast<char16_t>(u'1' + k));
      }
      if (scopes != std::vector<char16_t>{scope_}) Fault("Query with the options not as selected");
      ExpectQueries(scopes);
      query = true;
      break;
    }
    case Ctl::Command3:
      ++stats_.resets;
      results_.clear();
      cleared = true;
      break;
    case Ctl::Command4:
      ++stats_.abouts;
      expected_.push_back(
          {app_.ui->Caption(Win::Form1) + u"\r\n" + std::u16string(kAboutNote), u"关于", L"information"});
      break;
    case Ctl::Command6:
      ++stats_.processors;
      expected_.push_back({std::u16string(kProcessorText), std::u16string(kPromptTitle), L"information"});
      break;
    case Ctl::Command5:
    case Ctl::Command7:
      ++stats_.opened;
      loaded_[static_cast<int>(control == Ctl::Command5 ? Win::Form2 : Win::Form3)] = true;
      break;
    case Ctl::Label6:
    case Ctl::Label7:
    case Ctl::Label8:
    case Ctl::Label9:
      ++stats_.launches;
      ++launches_;
      break;
    case Ctl::Form2_Command1:
    case Ctl::Form3_Command1:
      break;  // the unload event follows
    default:
      Fault("an event the stress run never asks for: click on " + Name(control));
      break;
  }

  try {
    app_.form->Click(control);
  } catch (...) {
    --depth_;
    throw;
  }
  --depth_;

  // What the handler must have done, checked before anything else happens.
  if (query || cleared) {
    const std::u16string results = app_.ui->Text(Ctl::Text8);
    if (results != results_) {
      Fault("results box after a click on " + Name(control) + ":\n  got  " + Printable(results, 2400) + "\n  want " +
            Printable(results_, 2400));
    }
  }
  if (cleared || (query && results_.empty())) {
    for (Ctl box : kClearedByReset) {
      if (!app_.ui->Text(box).empty()) Fault(Name(box) + " not emptied: " + Printable(app_.ui->Text(box)));
    }
  } else if (query) {
    const BoxTerms after = ReadTerms();
    if (after.main != before.main || after.also != before.also || after.or1 != before.or1 || after.or2 != before.or2 ||
        after.or3 != before.or3) {
      Fault("a query changed a term box");
    }
  }
  if (control == Ctl::Command5 || control == Ctl::Command7) {
    const Win w = control == Ctl::Command5 ? Win::Form2 : Win::Form3;
    if (!app_.ui->IsLoaded(w) || !IsWindowVisible(app_.window(w))) Fault("picture window not shown");
    if (GetForegroundWindow() != app_.window(w)) Fault("picture window not in front");
  }
}

void GuiModel::Unload(Win window, std::int16_t& cancel) {
  if (window == Win::Form1) {
    Fault("the main window was unloaded");
  } else {
    ++stats_.closed;
    loaded_[static_cast<int>(window)] = false;
  }
  app_.form->Unload(window, cancel);
}

std::vector<std::string> GuiModel::Check() {
  std::vector<std::string> faults = faults_;
  auto fault = [&faults](std::string what) { faults.push_back(std::move(what)); };

  // Message boxes: exactly the expected ones, in order, owned by the main
  // window.
  const auto seen = app_.boxes.boxes();
  for (std::size_t i = 0; i < std::max(seen.size(), expected_.size()); ++i) {
    if (i >= seen.size()) {
      fault("message box missing: " + Printable(expected_[i].text));
      continue;
    }
    const auto& s = seen[i];
    if (i >= expected_.size()) {
      fault("unexpected message box \"" + Printable(U(s.title)) + "\": " + Printable(U(s.text)));
      continue;
    }
    const auto& e = expected_[i];
    if (U(s.text) != e.text || U(s.title) != e.title || s.icon != e.icon) {
      fault("message box \"" + Printable(U(s.title)) + "\" " + Printable(U(s.text)) + " (" +
            std::string(s.icon.begin(), s.icon.end()) + "), want \"" + Printable(e.title) + "\" " + Printable(e.text));
    }
    if (s.owner != app_.window(Win::Form1)) fault("message box not owned by the main window");
  }

  if (app_.ui->ended()) fault("the program ended");
  HWND main = app_.window(Win::Form1);
  if (!main || !IsWindowVisible(main) || !IsWindowEnabled(main)) {
    fault("the main window is gone, hidden or disabled");
    return faults;
  }
  const std::u16string results = Read(Ctl::Text8);
  if (results != results_) {
    fault("results box:\n  got  " + Printable(results, 2400) + "\n  want " + Printable(results_, 2400));
  }
  if (Read(Ctl::Text9) != devices_) fault("common-devices box changed: " + Printable(Read(Ctl::Text9)));
  if (app_.ui->Caption(Win::Form1) != caption_ || Read(Ctl::Label1) != caption_) fault("caption changed");

  int selected = 0;
  for (int k = 0; k < 3; ++k) {
    if (app_.ui->Value(kOptions[k])) {
      ++selected;
      if (u'1' + k != scope_) fault("option " + std::to_string(k + 1) + " selected without its event");
    }
  }
  if (selected != 1) fault(std::to_string(selected) + " options selected");
  if (app_.ui->PointerOf(Win::Form1) != ui::Pointer::Default) fault("the hourglass pointer stayed");

  const std::pair<Win, const wchar_t*> pictures[] = {{Win::Form2, L"PUBG配置"}, {Win::Form3, L"作者的ThinkPADP53"}};
  for (const auto& [w, caption] : pictures) {
    const bool want = loaded_[static_cast<int>(w)];
    if (app_.ui->IsLoaded(w) != want) fault(std::string("picture window ") + (want ? "not loaded" : "still loaded"));
    const int shown = VisibleWindowsCaptioned(caption);
    if (shown != (want ? 1 : 0)) {
      fault(std::string(w == Win::Form2 ? "Form2" : "Form3") + (want ? " loaded" : " not loaded") + ", but " +
            std::to_string(shown) + " such windows on the screen");
    }
    if (want && !IsWindowEnabled(app_.window(w))) fault("picture window left disabled");
  }
  if (app_.launcher.started.size() != launches_) fault("links opened: wrong number");
  return faults;
}

}  // namespace tianti::stress
