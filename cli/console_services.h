// The user-interface services of the console front end: the in-memory
// windows and controls, with every message box written to an error stream as
// "title：text" in UTF-8 instead of waiting for a click (or only recorded, for
// output that carries the messages itself).
#pragma once

#include <ostream>

#include "ui/memory_services.h"

namespace tianti::cli {

class ConsoleServices : public ui::MemoryServices {
 public:
  // `messages` may be null: the boxes are then only recorded (messages()).
  explicit ConsoleServices(std::ostream* messages) : messages_(messages) {}

  void MsgBox(std::u16string_view text, unsigned style, std::u16string_view title) override;

 private:
  std::ostream* messages_;
};

}  // namespace tianti::cli
