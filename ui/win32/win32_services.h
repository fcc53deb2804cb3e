// The Win32 implementation of the user-interface services: the three windows
// of the program built from their designs (ui/win32/designs.cpp), their
// events raised on the EventSink, and the message loop. Its members are
// defined by job:
//   win32_services.cpp    classes, windows' operations, message boxes, failures
//   window_load.cpp       loading a window and its controls, releasing them
//   layout.cpp            sizes and places at a DPI, the DPI change
//   text_handover.cpp     controls' texts, held texts, multi-line hand-over
//   tooltips_options.cpp  tool tips, the option group
//   window_procs.cpp      message loop, window procedures, event routing
//   colours.cpp           control colours, the link labels' text colour
//   colour_button.cpp     the owner-drawn coloured buttons, where captions' glyphs sit
//   link_label.cpp        the link labels' text and underline (a free function)
//   picture_box.cpp       the picture box control
//   accessibility.cpp     what screen readers read of the main window's controls
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/services.h"
#include "ui/win32/fonts.h"

namespace tianti::win32 {

struct ControlDesign;

struct Win32Options {
  HINSTANCE instance = nullptr;  // module with the icon and pictures; null: the program
  std::wstring font_face = L"宋体";
  // Ends the program for End(); it must not return. Default: ExitProcess(0).
  // Tests put in a function that throws ui::ProgramEnded; a window procedure
  // that catches it stops delivering events and posts WM_QUIT.
  std::function<void()> end;
  // Reports a failure that escaped an event handler (default: a message box
  // "程序错误：..." titled "系统提示", owned by the main window).
  std::function<void(const std::wstring& text)> report_failure;
};

class Win32Services final : public ui::Services {
 public:
  // Registers the window classes and loads the main window, hidden: the
  // program's main window exists before its load event runs.
  explicit Win32Services(Win32Options options = {});
  ~Win32Services() override;
  Win32Services(const Win32Services&) = delete;
  Win32Services& operator=(const Win32Services&) = delete;

  void SetSink(ui::EventSink* sink) { sink_ = sink; }

  // ---- ui::Services ---------------------------------------------------------
  std::u16string Text(ui::Ctl control) const override;
  void SetText(ui::Ctl control, std::u16string_view text) override;
  std::u16string ToolTip(ui::Ctl control) const override;
  void SetToolTip(ui::Ctl control, std::u16string_view text) override;
  bool Value(ui::Ctl option) const override;
  void Select(ui::Ctl option) override;
  std::u16string Caption(ui::Win window) const override;
  void SetCaption(ui::Win window, std::u16string_view text) override;
  void SetPointer(ui::Win window, ui::Pointer pointer) override;
  void Show(ui::Win window) override;
  bool IsLoaded(ui::Win window) const override;
  std::vector<ui::Win> LoadedWindows() const override;
  void Unload(ui::Win window) override;
  [[noreturn]] void End() override;
  void MsgBox(std::u16string_view text, unsigned style, std::u16string_view title) override;

  // ---- Win32 ---------------------------------------------------------------
  // Keyboard handling of the program's windows for one queued message: the
  // dialog keys (Tab, arrows, Alt access keys) and Enter on a focused button.
  // Returns true when the message was handled and must not be dispatched.
  bool PreTranslate(MSG* msg);
  // Runs the message loop until WM_QUIT; returns its exit code.
  int RunMessageLoop();

  HWND WindowHandle(ui::Win window) const { return forms_[Index(window)].hwnd; }
  HWND ControlHandle(ui::Ctl control) const { return controls_[Index(control)]; }
  UINT Dpi(ui::Win window) const { return forms_[Index(window)].dpi; }
  ui::Pointer PointerOf(ui::Win window) const { return forms_[Index(window)].pointer; }
  bool ended() const { return ended_; }
  FontCache& fonts() { return fonts_; }

 private:
  struct Form {
    Win32Services* services = nullptr;
    ui::Win id = ui::Win::Form1;
    HWND hwnd = nullptr;
    HWND tooltip = nullptr;
    UINT dpi = 96;
    HWND focus = nullptr;  // the control to give the focus back to on activation
    bool loaded = false;   // fully built; cleared when the window is gone
    bool unloading = false;
    ui::Pointer pointer = ui::Pointer::Default;
    HICON icon_big = nullptr;
    HICON icon_small = nullptr;
    HICON picture_icon = nullptr;      // the main window's Picture1
    HBITMAP picture_bitmap = nullptr;  // a picture window's Picture1
    SIZE picture_size{};
  };

  static std::size_t Index(ui::Win w) { return static_cast<std::size_t>(w); }
  static std::size_t Index(ui::Ctl c) { return static_cast<std::size_t>(c); }
  static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK PictureProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK ControlSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
  static LRESULT CALLBACK AccessibleSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                                 DWORD_PTR data);

  LRESULT HandleFormMessage(Form& form, UINT msg, WPARAM wp, LPARAM lp);
  void HandleCommand(Form& form, int id, int code, HWND control);
  LRESULT HandleColour(Form& form, HDC dc, HWND control, UINT msg);
  void DrawColourButton(const DRAWITEMSTRUCT& item);

  void Load(Form& form);
  void CreateControls(Form& form);
  void LoadPicture(Form& form);
  void LoadIcons(Form& form);
  void ApplyFont(const Form& form, const ControlDesign& design, HWND hwnd);
  void ApplyFonts(Form& form);
  void SetToolTipWidth(const Form& form);
  void Layout(Form& form);
  void ApplyDpi(Form& form, UINT dpi, const RECT* suggested);
  void FitClientArea(Form& form);
  void Release(Form& form);
  void ReleasePictures(Form& form);
  void UpdateToolTip(ui::Ctl control);
  void SetOptionChecks(ui::Ctl selected);
  void RaiseClick(ui::Ctl control);
  void FlushTexts();
  void PutText(ui::Ctl control, HWND hwnd, const std::wstring& text);
  void ShowMessageBox(const std::wstring& text, UINT style, const std::wstring& title);
  void ReportFailure(const std::wstring& what) noexcept;
  void EnableAccessibility(HWND control);
  LRESULT AnswerClientObject(HWND control, WPARAM wp);
  void Annotate();
  void ClearAnnotations();
  void OnEndedInHandler() noexcept;
  HBRUSH Brush(COLORREF colour);
  Form* FormOfWindow(HWND hwnd);
  int ControlIndexOf(HWND control) const;

  Win32Options options_;
  HINSTANCE instance_;
  ui::EventSink* sink_ = nullptr;
  bool ended_ = false;
  bool destroying_ = false;  // in the destructor
  bool reporting_ = false;   // a failure report is on the screen
  std::array<Form, ui::kWinCount> forms_{};
  std::array<HWND, ui::kCtlCount> controls_{};
  std::array<std::u16string, ui::kCtlCount> tooltips_{};
  // Texts set while a click event runs, given to their controls once when
  // it has run (or before a message box opens): under Wine a multi-line
  // edit lays out all its lines again on every WM_SETTEXT, and the results
  // box is written line by line. Text() reads them back meanwhile.
  int click_depth_ = 0;
  std::array<std::optional<std::wstring>, ui::kCtlCount> pending_text_{};
  std::vector<ui::Win> loaded_;
  int selected_option_ = -1;  // index of the selected option, -1: none yet
  // Dynamic Annotation of the main window's controls: tried at the first
  // WM_GETOBJECT, in place while `annotated_`.
  bool annotation_tried_ = false;
  bool annotated_ = false;
  FontCache fonts_;
  std::map<COLORREF, HBRUSH> brushes_;
};

}  // namespace tianti::win32
