// The main window's handlers of the right-hand column: About, the picture
// windows, the local processor and the four link labels.
#include "app/form1.h"
#include "commands/launcher.h"
#include "commands/links.h"
#include "commands/platform.h"
#include "commands/processor.h"
#include "common/message_title.h"

namespace tianti {

using ui::Win;

namespace {

// Starts a link label's command; the main window stays usable at once. Only
// when neither the command nor its address could be started does the user
// get a warning, instead of a click that silently does nothing.
void OpenLink(ui::Services& ui, commands::Platform* platform, const commands::Link& link) {
  if (!platform || !platform->launcher) return;  // a front end without links
  std::u16string_view address = commands::LaunchAddress(link.command);
  commands::LaunchResult result = platform->launcher->Start(link.command, address);
  if (!result.started) {
    ui.MsgBox(commands::BuildLaunchFailureMessage(address, result.error), ui::kMsgWarning, kMessageTitle);
  }
}

}  // namespace

void Form1::Command4_Click() {
  std::u16string text = ui_.Caption(Win::Form1);
  text += u"\r\n(数据摘自网上测评，仅供参考)";
  ui_.MsgBox(text, ui::kMsgInformation, u"关于");
}

void Form1::Command5_Click() { ui_.Show(Win::Form2); }
void Form1::Command7_Click() { ui_.Show(Win::Form3); }

// One box for all processors, shown only once every name has been read; a
// failed query shows its own warning and never a partial list.
void Form1::Command6_Click() {
  if (!platform_ || !platform_->processors) {
    ui_.MsgBox(commands::kNoProcessorSourceMessage, ui::kMsgWarning, kMessageTitle);
    return;
  }
  commands::ProcessorReport report = platform_->processors->Query();
  if (!report.ok()) {
    ui_.MsgBox(commands::BuildProcessorFailureMessage(*report.failure), ui::kMsgWarning, kMessageTitle);
    return;
  }
  ui_.MsgBox(commands::BuildProcessorMessage(report.names), ui::kMsgInformation, kMessageTitle);
}

void Form1::Label6_Click() { OpenLink(ui_, platform_, commands::kGeekbenchLink); }
void Form1::Label7_Click() { OpenLink(ui_, platform_, commands::kLudashiLink); }
void Form1::Label8_Click() { OpenLink(ui_, platform_, commands::kPconlineLink); }
void Form1::Label9_Click() { OpenLink(ui_, platform_, commands::kMicrosoftLink); }

}  // namespace tianti
