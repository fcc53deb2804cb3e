#include "app/form1.h"

namespace tianti {

using ui::Ctl;
using ui::Win;

void Form1::Command4_Click() {
  std::u16string text = ui_.Caption(Win::Form1);
  text += u"\r\n(数据摘自网上测评，仅供参考)";
  ui_.MsgBox(text, ui::kMsgInformation, u"关于");
}

void Form1::Command5_Click() { ui_.Show(Win::Form2); }
void Form1::Command7_Click() { ui_.Show(Win::Form3); }

// Local processor and links: system services arrive with commands::Platform.
void Form1::Command6_Click() {}
void Form1::Label6_Click() {}
void Form1::Label7_Click() {}
void Form1::Label8_Click() {}
void Form1::Label9_Click() {}

}  // namespace tianti
