// The main window right after start-up, and the About box.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "common/utf8.h"
#include "ui/memory_services.h"

namespace tianti {
namespace {

using ui::Ctl;
using ui::Win;

class StartupTest : public ::testing::Test {
 protected:
  StartupTest() {
    ui.SetSink(&form);
    form.Form_Load();
  }
  ui::MemoryServices ui;
  Form1 form{ui};
};

TEST_F(StartupTest, CaptionAndLabels) {
  const std::u16string caption = ui.Caption(Win::Form1);
  const auto version = caption.find(u"Ver0.99a2 ");
  ASSERT_NE(version, std::u16string::npos);
  // A maker's notice follows the version after one space.
  EXPECT_GT(caption.size(), version + 10);
  EXPECT_NE(caption[version + 10], u' ');
  EXPECT_EQ(ui.Text(Ctl::Label1), caption);
  EXPECT_EQ(ui.Text(Ctl::Label2), u"常见设备：");
}

TEST_F(StartupTest, ToolTips) {
  const std::pair<Ctl, std::u16string> fixed[] = {
      {Ctl::Label3, u"与查询条件(可选，优先于或)"},
      {Ctl::Label4, u"或查询条件(可选)"},
      {Ctl::Label5, u"主查询条件(必选)"},
      {Ctl::Option1, u"同时查询CPU/GPU"},
      {Ctl::Option2, u"仅查询CPU(微处理器)"},
      {Ctl::Option3, u"仅查询GPU(图形处理器)"},
      {Ctl::Command1, u"退出"},
      {Ctl::Command4, u"关于"},
      {Ctl::Command5, u"PUBG配置"},
      {Ctl::Command2, u"查询"},
      {Ctl::Command3, u"重置查询条件"},
      {Ctl::Command6, u"显示此计算机CPU型号"},
      {Ctl::Command7, u"作者的ThinkPAD P53电脑"},
      {Ctl::Text1, u"主查询条件(必选)"},
      {Ctl::Text2, u"与查询条件(可选，优先于或)"},
      {Ctl::Text5, u"查询条件：或1"},
      {Ctl::Text6, u"查询条件：或2"},
      {Ctl::Text7, u"查询条件：或3"},
      {Ctl::Text8, u"查询结果(仅显示前30条)(编号首位C代表为CPU，G代表为GPU,两者分数不同。"
                   u"数据摘自网上测评，仅供参考)"},
      {Ctl::Text9, u"常见设备："},
  };
  for (const auto& [control, tip] : fixed) {
    EXPECT_EQ(ui.ToolTip(control), tip) << "control " << static_cast<int>(control);
  }
  // The four link labels show a secure address that names a host only.
  for (Ctl label : {Ctl::Label6, Ctl::Label7, Ctl::Label8, Ctl::Label9}) {
    const std::u16string tip = ui.ToolTip(label);
    ASSERT_EQ(tip.rfind(u"https://", 0), 0u) << static_cast<int>(label);
    EXPECT_EQ(tip.find(u'/', 8), std::u16string::npos);
    EXPECT_GT(tip.size(), 8u);
  }
  // Label8 shows the bare domain, so its address has no "www." in front.
  EXPECT_EQ(ui.ToolTip(Ctl::Label8).find(u"https://www."), std::u16string::npos);
  // Exactly 24 controls have a tool tip.
  int with_tip = 0;
  for (int i = 0; i < ui::kForm1ControlCount; ++i) {
    if (!ui.ToolTip(static_cast<Ctl>(i)).empty()) ++with_tip;
  }
  EXPECT_EQ(with_tip, 24);
  for (Ctl none : {Ctl::Picture1, Ctl::Label1, Ctl::Label2, Ctl::Frame1, Ctl::Text3, Ctl::Text4}) {
    EXPECT_EQ(ui.ToolTip(none), u"") << static_cast<int>(none);
  }
}

// The lines of a text joined by CR LF.
std::vector<std::u16string> Lines(const std::u16string& text) {
  std::vector<std::u16string> lines;
  std::size_t pos = 0;
  for (;;) {
    const auto end = text.find(u"\r\n", pos);
    lines.push_back(text.substr(pos, end == std::u16string::npos ? std::u16string::npos : end - pos));
    if (end == std::u16string::npos) return lines;
    pos = end + 2;
  }
}

// A row's description without its fill spaces.
std::u16string_view Description(std::u16string_view row) {
  std::u16string_view description = row.substr(7, row.find(u'|', 7) - 7);
  return description.substr(0, description.find_last_not_of(u' ') + 1);
}

TEST_F(StartupTest, CommonDevicesText) {
  const std::u16string text = ui.Text(Ctl::Text9);
  const std::vector<std::u16string> lines = Lines(text);
  const std::vector<std::u16string> want = {u"AMD Ryzen Threadripper 3970X",
                                            u"Intel Core i9-10980XE@3.00GHz",
                                            u"Intel Xeon Platinum 8168@2.70GHz",
                                            u"Intel Pentium Gold G5620@4.00GHz",
                                            u"Intel Atom C3958@2.00GHz",
                                            u"GeForce RTX 2080 Ti",
                                            u"Quadro RTX 6000",
                                            u"Radeon RX 5700",
                                            u"Intel Iris Pro P580",
                                            u"Radeon Vega 3",
                                            u"NVS 810"};
  EXPECT_EQ(lines, want);  // eleven lines, the last one without CR LF after it
  EXPECT_EQ(text.find(u'\n'), text.find(u"\r\n") + 1);
}

// The box is there to copy names from: each line, as the main term, lists
// the one row whose description it is.
TEST_F(StartupTest, EachCommonDeviceLineFindsItsDevice) {
  const std::vector<std::u16string> lines = Lines(ui.Text(Ctl::Text9));
  ASSERT_EQ(lines.size(), 11u);
  for (const std::u16string& line : lines) {
    SCOPED_TRACE(ToUtf8(line));
    std::u16string named;
    for (int i = RankRowArray::kFirst; i <= RankRowArray::kLast; ++i) {
      const std::u16string_view row = form.RankRows[i];
      if (row.empty() || Description(row) != line) continue;
      EXPECT_TRUE(named.empty()) << "a second row: " << ToUtf8(row);
      named = row;
    }
    ASSERT_FALSE(named.empty()) << "no row has this description";
    ui.SetText(Ctl::Text1, line);
    form.Command2_Click();
    EXPECT_NE(ui.Text(Ctl::Text8).find(named + u"\r\n"), std::u16string::npos) << ToUtf8(named);
  }
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(StartupTest, ReadyState) {
  EXPECT_TRUE(ui.Value(Ctl::Option1));
  EXPECT_FALSE(ui.Value(Ctl::Option2));
  EXPECT_FALSE(ui.Value(Ctl::Option3));
  EXPECT_EQ(form.QueryScope, u"1");
  EXPECT_EQ(form.QueryEnabled, u"1");
  EXPECT_EQ(form.ResultCount, 0);
  for (Ctl box : {Ctl::Text1, Ctl::Text2, Ctl::Text3, Ctl::Text4, Ctl::Text5, Ctl::Text6, Ctl::Text7, Ctl::Text8}) {
    EXPECT_EQ(ui.Text(box), u"") << static_cast<int>(box);
  }
  EXPECT_EQ(ui.pointer(Win::Form1), ui::Pointer::Default);
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(ui.LoadedWindows(), std::vector<Win>{Win::Form1});
}

TEST_F(StartupTest, AboutBoxRepeatsTheCaption) {
  for (int press = 0; press < 2; ++press) form.Click(Ctl::Command4);
  ASSERT_EQ(ui.messages().size(), 2u);
  for (const auto& box : ui.messages()) {
    EXPECT_EQ(box.text, ui.Caption(Win::Form1) + u"\r\n(数据摘自网上测评，仅供参考)");
    EXPECT_EQ(box.title, u"关于");
    EXPECT_EQ(box.style, 0x40u);
  }
}

TEST_F(StartupTest, ButtonsReachTheQuery) {
  ui.SetText(Ctl::Text1, u"|c1");  // C1, C10.., C100..: more than 30 CPU rows
  form.Click(Ctl::Command2);
  EXPECT_FALSE(ui.Text(Ctl::Text8).empty());
  EXPECT_EQ(ui.messages().size(), 1u);  // the limit note
  ui.Select(Ctl::Option3);              // a scope click runs the query at once
  EXPECT_EQ(form.QueryScope, u"3");
  EXPECT_EQ(form.ResultCount, 0);  // no GPU row holds "|C1"
  form.Click(Ctl::Command3);
  EXPECT_EQ(ui.Text(Ctl::Text1), u"");
  EXPECT_EQ(ui.Text(Ctl::Text8), u"");
}

}  // namespace
}  // namespace tianti
