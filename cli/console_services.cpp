#include "cli/console_services.h"

#include "common/utf8.h"

namespace tianti::cli {

void ConsoleServices::MsgBox(std::u16string_view text, unsigned style, std::u16string_view title) {
  if (messages_) {
    std::u16string line(title);
    line += u'：';
    line += text;
    *messages_ << ToUtf8(line) << '\n';
    messages_->flush();
  }
  ui::MemoryServices::MsgBox(text, style, title);
}

}  // namespace tianti::cli
