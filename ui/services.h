// User-interface services that the form logic calls on.
//
// Everything above ui/ talks to the screen only through this interface, so the
// same Form1 code runs under Win32 (ui/win32), in the console front end and
// under the in-memory test double (ui/memory_services.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tianti::ui {

// The windows of the program.
enum class Win : int { Form1, Form2, Form3 };
inline constexpr int kWinCount = 3;

// Every control of every window, with the designer names. Form1's controls
// come first, in the order of its layout table; the picture windows' own two
// controls follow.
enum class Ctl : int {
  Picture1,
  Label1,
  Frame1,
  Label5,
  Text1,
  Label3,
  Text2,
  Command2,
  Option1,
  Option2,
  Option3,
  Label4,
  Text5,
  Text6,
  Text7,
  Command3,
  Text8,
  Command6,
  Label2,
  Text9,
  Label6,
  Label7,
  Label8,
  Label9,
  Command7,
  Command5,
  Command4,
  Command1,
  Text3,
  Text4,
  Form2_Picture1,
  Form2_Command1,
  Form3_Picture1,
  Form3_Command1,
};
inline constexpr int kForm1ControlCount = 30;
inline constexpr int kCtlCount = 34;

constexpr Win OwnerOf(Ctl c) {
  return static_cast<int>(c) < kForm1ControlCount                       ? Win::Form1
         : static_cast<int>(c) <= static_cast<int>(Ctl::Form2_Command1) ? Win::Form2
                                                                        : Win::Form3;
}

// Mouse pointer of a window, by the designer's MousePointer values: 0 the
// default arrow, 11 the hourglass (busy) pointer shown while a query runs.
enum class Pointer : int { Default = 0, Hourglass = 11 };

// Message box styles used by the program: one OK button with an icon.
inline constexpr unsigned kMsgWarning = 0x30;      // MB_OK | MB_ICONEXCLAMATION
inline constexpr unsigned kMsgInformation = 0x40;  // MB_OK | MB_ICONINFORMATION

// Thrown by Services::End in implementations that cannot end the process on
// the spot (the console front end, the test double). It unwinds every handler
// that is still running, so nothing after End runs. It deliberately does not
// derive from std::exception: code that ignores failures catches
// std::exception and must let this pass.
struct ProgramEnded {};

// What the user interface raises on the program's objects.
class EventSink {
 public:
  virtual ~EventSink() = default;
  // A click on a control: mouse, access key, Space/Enter on a focused button,
  // or the selection of an option (raised inside Services::Select).
  virtual void Click(Ctl control) = 0;
  // A window is being unloaded; raised inside Services::Unload and on every
  // close of the window. Leaving `cancel` at 0 lets the close go on.
  virtual void Unload(Win window, std::int16_t& cancel) = 0;
};

class Services {
 public:
  virtual ~Services() = default;

  // Text boxes: the whole text. Labels and buttons: the caption.
  virtual std::u16string Text(Ctl control) const = 0;
  virtual void SetText(Ctl control, std::u16string_view text) = 0;

  virtual std::u16string ToolTip(Ctl control) const = 0;
  virtual void SetToolTip(Ctl control, std::u16string_view text) = 0;

  // Option buttons. Select clears the other options of the group and, when
  // the option was not selected before, raises its click at once, inside the
  // call.
  virtual bool Value(Ctl option) const = 0;
  virtual void Select(Ctl option) = 0;

  // Windows.
  virtual std::u16string Caption(Win window) const = 0;
  virtual void SetCaption(Win window, std::u16string_view text) = 0;
  virtual void SetPointer(Win window, Pointer pointer) = 0;
  // Loads the window from its design if it is not loaded, then shows it
  // modeless and without owner; a shown window comes to the front.
  virtual void Show(Win window) = 0;
  virtual bool IsLoaded(Win window) const = 0;
  // The loaded windows, first loaded first.
  virtual std::vector<Win> LoadedWindows() const = 0;
  // Raises the window's unload event inside the call; closes and releases the
  // window unless the handler cancels. Unloading a window that is not loaded,
  // or one that is already being unloaded, does nothing.
  virtual void Unload(Win window) = 0;
  // Ends the program at once; no further event is delivered and the call
  // does not return.
  [[noreturn]] virtual void End() = 0;

  // A modal message box with one OK button, owned by the main window.
  virtual void MsgBox(std::u16string_view text, unsigned style, std::u16string_view title) = 0;
};

}  // namespace tianti::ui
