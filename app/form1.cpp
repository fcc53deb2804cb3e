// The main window's life: start-up (Form_Load), Quit and the shut-down
// sequence, and the routing of the user interface's events to the handlers.
#include "app/form1.h"

#include <exception>

#include "commands/links.h"

namespace tianti {

using ui::Ctl;
using ui::Win;

namespace {

constexpr std::u16string_view kCaption = u"CPU/GPU性能天梯查询 Ver0.99a2 开源免费软件";

// Eleven device names, five processors then six graphics processors, joined
// by CR LF with none after the last. Each is spelled as its row spells it, so
// that a line copied into a term box finds its device.
constexpr std::u16string_view kCommonDevices = u"AMD Ryzen Threadripper 3970X\r\n"
                                               u"Intel Core i9-10980XE@3.00GHz\r\n"
                                               u"Intel Xeon Platinum 8168@2.70GHz\r\n"
                                               u"Intel Pentium Gold G5620@4.00GHz\r\n"
                                               u"Intel Atom C3958@2.00GHz\r\n"
                                               u"GeForce RTX 2080 Ti\r\n"
                                               u"Quadro RTX 6000\r\n"
                                               u"Radeon RX 5700\r\n"
                                               u"Intel Iris Pro P580\r\n"
                                               u"Radeon Vega 3\r\n"
                                               u"NVS 810";

}  // namespace

Form1::Form1(ui::Services& ui, commands::Platform* platform) : ui_(ui), platform_(platform) {}

void Form1::LoadCpuRows() { LoadCpuList(RankRows); }
void Form1::LoadGpuRows() { LoadGpuList(RankRows); }

void Form1::Form_Load() {
  LoadCpuRows();
  LoadGpuRows();
  QueryEnabled = kQueryDisabled;
  ui_.Select(Ctl::Option1);  // raises Option1_Click, which runs no query yet
  QueryEnabled = kQueryEnabled;
  ui_.SetCaption(Win::Form1, kCaption);
  ui_.SetText(Ctl::Label1, ui_.Caption(Win::Form1));
  ui_.SetText(Ctl::Label2, u"常见设备：");

  ui_.SetToolTip(Ctl::Label3, u"与查询条件(可选，优先于或)");
  ui_.SetToolTip(Ctl::Label4, u"或查询条件(可选)");
  ui_.SetToolTip(Ctl::Label5, u"主查询条件(必选)");
  ui_.SetToolTip(Ctl::Label6, commands::kGeekbenchLink.tooltip);
  ui_.SetToolTip(Ctl::Label7, commands::kLudashiLink.tooltip);
  ui_.SetToolTip(Ctl::Label8, commands::kPconlineLink.tooltip);
  ui_.SetToolTip(Ctl::Label9, commands::kMicrosoftLink.tooltip);
  ui_.SetToolTip(Ctl::Option1, u"同时查询CPU/GPU");
  ui_.SetToolTip(Ctl::Option2, u"仅查询CPU(微处理器)");
  ui_.SetToolTip(Ctl::Option3, u"仅查询GPU(图形处理器)");
  ui_.SetToolTip(Ctl::Command1, u"退出");
  ui_.SetToolTip(Ctl::Command4, u"关于");
  ui_.SetToolTip(Ctl::Command5, u"PUBG配置");
  ui_.SetToolTip(Ctl::Command2, u"查询");
  ui_.SetToolTip(Ctl::Command3, u"重置查询条件");
  ui_.SetToolTip(Ctl::Command6, u"显示此计算机CPU型号");
  ui_.SetToolTip(Ctl::Command7, u"作者的ThinkPAD P53电脑");
  ui_.SetToolTip(Ctl::Text1, ui_.ToolTip(Ctl::Label5));
  ui_.SetToolTip(Ctl::Text2, ui_.ToolTip(Ctl::Label3));
  ui_.SetToolTip(Ctl::Text5, u"查询条件：或1");
  ui_.SetToolTip(Ctl::Text6, u"查询条件：或2");
  ui_.SetToolTip(Ctl::Text7, u"查询条件：或3");
  ui_.SetToolTip(Ctl::Text8, u"查询结果(仅显示前30条)(编号首位C代表为CPU，G代表为GPU,两者分数不同。"
                             u"数据摘自网上测评，仅供参考)");
  ui_.SetToolTip(Ctl::Text9, ui_.Text(Ctl::Label2));

  ui_.SetText(Ctl::Text9, kCommonDevices);
}

// The shut-down sequence. Every step's failure is ignored so that nothing can
// keep the program from ending. When it was entered from Quit, unloading the
// main window raises this handler again, nested; the inner run ends the
// program and nothing after that point runs.
void Form1::Form_Unload(std::int16_t& /*cancel: never set, a close is never refused*/) {
  std::vector<Win> loaded;
  try {
    loaded = ui_.LoadedWindows();
  } catch (const std::exception&) {
  }
  for (Win w : loaded) {
    try {
      ui_.Unload(w);
    } catch (const std::exception&) {
    }
  }
  try {
    ui_.Unload(Win::Form1);
  } catch (const std::exception&) {
  }
  ui_.End();
}

void Form1::Command1_Click() {
  std::int16_t cancel = 0;
  Form_Unload(cancel);
}

void Form1::Click(Ctl control) {
  switch (control) {
    case Ctl::Command1:
      Command1_Click();
      break;
    case Ctl::Command2:
      Command2_Click();
      break;
    case Ctl::Command3:
      Command3_Click();
      break;
    case Ctl::Command4:
      Command4_Click();
      break;
    case Ctl::Command5:
      Command5_Click();
      break;
    case Ctl::Command6:
      Command6_Click();
      break;
    case Ctl::Command7:
      Command7_Click();
      break;
    case Ctl::Option1:
      Option1_Click();
      break;
    case Ctl::Option2:
      Option2_Click();
      break;
    case Ctl::Option3:
      Option3_Click();
      break;
    case Ctl::Label6:
      Label6_Click();
      break;
    case Ctl::Label7:
      Label7_Click();
      break;
    case Ctl::Label8:
      Label8_Click();
      break;
    case Ctl::Label9:
      Label9_Click();
      break;
    // The picture windows' OK buttons unload the window that holds them.
    case Ctl::Form2_Command1:
      ui_.Unload(Win::Form2);
      break;
    case Ctl::Form3_Command1:
      ui_.Unload(Win::Form3);
      break;
    default:
      break;  // no handler
  }
}

void Form1::Unload(Win window, std::int16_t& cancel) {
  if (window == Win::Form1) Form_Unload(cancel);
}

}  // namespace tianti
