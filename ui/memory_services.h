// An in-memory implementation of the user-interface services: the state of
// every window and control as plain values, with the same event semantics as
// the real windows (an option's click raised inside Select, a window's unload
// event inside Unload). The console front end and the tests build on it.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "ui/services.h"

namespace tianti::ui {

struct ShownMessage {
  std::u16string text;
  unsigned style = 0;
  std::u16string title;
};

class MemoryServices : public Services {
 public:
  // Form1 is loaded from the start: the program's main window exists before
  // its load event runs.
  MemoryServices();

  void SetSink(EventSink* sink) { sink_ = sink; }

  std::u16string Text(Ctl control) const override;
  void SetText(Ctl control, std::u16string_view text) override;
  std::u16string ToolTip(Ctl control) const override;
  void SetToolTip(Ctl control, std::u16string_view text) override;
  bool Value(Ctl option) const override;
  void Select(Ctl option) override;
  std::u16string Caption(Win window) const override;
  void SetCaption(Win window, std::u16string_view text) override;
  void SetPointer(Win window, Pointer pointer) override;
  void Show(Win window) override;
  bool IsLoaded(Win window) const override;
  std::vector<Win> LoadedWindows() const override;
  void Unload(Win window) override;
  [[noreturn]] void End() override;
  void MsgBox(std::u16string_view text, unsigned style, std::u16string_view title) override;

  // ---- observation -----------------------------------------------------
  Pointer pointer(Win window) const { return pointer_[Index(window)]; }
  bool shown(Win window) const { return shown_[Index(window)]; }
  bool ended() const { return ended_; }
  // Every message box shown so far, in order.
  const std::vector<ShownMessage>& messages() const { return messages_; }
  void ClearMessages() { messages_.clear(); }
  // Called while a message box is "open", before it is dismissed.
  std::function<void(const ShownMessage&)> on_message;

 private:
  static std::size_t Index(Win w) { return static_cast<std::size_t>(w); }
  static std::size_t Index(Ctl c) { return static_cast<std::size_t>(c); }
  void ResetWindow(Win window);

  EventSink* sink_ = nullptr;
  std::array<std::u16string, kCtlCount> text_{};
  std::array<std::u16string, kCtlCount> tooltip_{};
  std::array<bool, kCtlCount> value_{};
  std::array<std::u16string, kWinCount> caption_{};
  std::array<Pointer, kWinCount> pointer_{};
  std::array<bool, kWinCount> shown_{};
  std::array<bool, kWinCount> unloading_{};
  std::vector<Win> loaded_;
  std::vector<ShownMessage> messages_;
  bool ended_ = false;
};

}  // namespace tianti::ui
