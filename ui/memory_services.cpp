#include "ui/memory_services.h"

#include <algorithm>

namespace tianti::ui {

namespace {

bool IsOption(Ctl c) { return c == Ctl::Option1 || c == Ctl::Option2 || c == Ctl::Option3; }

// Design-time captions of the controls that have one; everything else starts
// empty.
std::u16string_view DesignCaption(Ctl c) {
  switch (c) {
    case Ctl::Frame1:
      return u"查询";
    case Ctl::Label5:
      return u"主：";
    case Ctl::Label3:
      return u"与：";
    case Ctl::Label4:
      return u"或：";
    case Ctl::Command2:
      return u"查询&S";
    case Ctl::Command3:
      return u"重置&R";
    case Ctl::Option1:
      return u"ALL";
    case Ctl::Option2:
      return u"CPU";
    case Ctl::Option3:
      return u"GPU";
    case Ctl::Command6:
      return u"本机&CPU型号";
    case Ctl::Label6:
      return u"GeekBench";
    case Ctl::Label7:
      return u"鲁大师";
    case Ctl::Label8:
      return u"太平洋网";
    case Ctl::Label9:
      return u"微软";
    case Ctl::Command7:
      return u"作者的&NB";
    case Ctl::Command5:
      return u"PUB&G配置";
    case Ctl::Command4:
      return u"关于&A";
    case Ctl::Command1:
      return u"退出&Q";
    case Ctl::Form2_Command1:
    case Ctl::Form3_Command1:
      return u"确定&O";
    default:
      return u"";
  }
}

std::u16string_view DesignCaption(Win w) {
  switch (w) {
    case Win::Form1:
      return u"Form1";
    case Win::Form2:
      return u"PUBG配置";
    case Win::Form3:
      return u"作者的ThinkPADP53";
  }
  return u"";
}

}  // namespace

MemoryServices::MemoryServices() {
  for (int w = 0; w < kWinCount; ++w) ResetWindow(static_cast<Win>(w));
  loaded_.push_back(Win::Form1);
}

void MemoryServices::ResetWindow(Win window) {
  for (int i = 0; i < kCtlCount; ++i) {
    const auto c = static_cast<Ctl>(i);
    if (OwnerOf(c) != window) continue;
    text_[Index(c)] = std::u16string(DesignCaption(c));
    tooltip_[Index(c)].clear();
    value_[Index(c)] = false;
  }
  caption_[Index(window)] = std::u16string(DesignCaption(window));
  pointer_[Index(window)] = Pointer::Default;
  shown_[Index(window)] = false;
}

std::u16string MemoryServices::Text(Ctl control) const { return text_[Index(control)]; }

void MemoryServices::SetText(Ctl control, std::u16string_view text) { text_[Index(control)] = std::u16string(text); }

std::u16string MemoryServices::ToolTip(Ctl control) const { return tooltip_[Index(control)]; }

void MemoryServices::SetToolTip(Ctl control, std::u16string_view text) {
  tooltip_[Index(control)] = std::u16string(text);
}

bool MemoryServices::Value(Ctl option) const { return value_[Index(option)]; }

void MemoryServices::Select(Ctl option) {
  if (!IsOption(option) || value_[Index(option)]) return;
  for (Ctl c : {Ctl::Option1, Ctl::Option2, Ctl::Option3}) value_[Index(c)] = (c == option);
  if (sink_) sink_->Click(option);
}

std::u16string MemoryServices::Caption(Win window) const { return caption_[Index(window)]; }

void MemoryServices::SetCaption(Win window, std::u16string_view text) {
  caption_[Index(window)] = std::u16string(text);
}

void MemoryServices::SetPointer(Win window, Pointer pointer) { pointer_[Index(window)] = pointer; }

void MemoryServices::Show(Win window) {
  if (!IsLoaded(window)) {
    ResetWindow(window);
    loaded_.push_back(window);
  }
  shown_[Index(window)] = true;
}

bool MemoryServices::IsLoaded(Win window) const {
  return std::find(loaded_.begin(), loaded_.end(), window) != loaded_.end();
}

std::vector<Win> MemoryServices::LoadedWindows() const { return loaded_; }

void MemoryServices::Unload(Win window) {
  if (!IsLoaded(window) || unloading_[Index(window)]) return;
  unloading_[Index(window)] = true;
  std::int16_t cancel = 0;
  try {
    if (sink_) sink_->Unload(window, cancel);
  } catch (...) {
    unloading_[Index(window)] = false;
    throw;
  }
  unloading_[Index(window)] = false;
  if (cancel != 0) return;
  loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), window), loaded_.end());
  ResetWindow(window);
}

void MemoryServices::End() {
  ended_ = true;
  throw ProgramEnded{};
}

void MemoryServices::MsgBox(std::u16string_view text, unsigned style, std::u16string_view title) {
  messages_.push_back({std::u16string(text), style, std::u16string(title)});
  if (on_message) on_message(messages_.back());
}

}  // namespace tianti::ui
