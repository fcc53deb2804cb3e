// The main window as a screen reader reads it: every control through
// AccessibleObjectFromWindow, as a client of the system's accessibility does.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "commands/links.h"
#include "common/win32/com_ptr.h"
#include "tests/win32/harness.h"

namespace tianti::win32::wintest {
namespace {

using ui::Ctl;

// MinGW-w64's oleacc import library gives IID_IAccessible as an import thunk.
constexpr IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

struct Read {
  std::wstring name, description, value, action;
  long role = -1;
  long state = 0;
};

// A text property read through `get`, empty where the object has none.
template <typename Get>
std::wstring Text(Get get) {
  BSTR text = nullptr;
  const HRESULT hr = get(&text);
  std::wstring s = SUCCEEDED(hr) && text ? std::wstring(text, SysStringLen(text)) : L"";
  SysFreeString(text);
  return s;
}

// Everything a client reads of the control itself, or nothing when no
// object could be had.
bool ReadBack(HWND hwnd, Read& out) {
  ComPtr<IAccessible> acc;
  if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible, acc.put_void())) ||
      !acc) {
    return false;
  }
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  out.name = Text([&](BSTR* t) { return acc->get_accName(self, t); });
  out.description = Text([&](BSTR* t) { return acc->get_accDescription(self, t); });
  out.value = Text([&](BSTR* t) { return acc->get_accValue(self, t); });
  out.action = Text([&](BSTR* t) { return acc->get_accDefaultAction(self, t); });
  Variant role, state;
  if (SUCCEEDED(acc->get_accRole(self, role.get())) && (*role).vt == VT_I4) out.role = (*role).lVal;
  if (SUCCEEDED(acc->get_accState(self, state.get())) && (*state).vt == VT_I4) out.state = (*state).lVal;
  return true;
}

class AccessibilityTest : public AppTest {
 protected:
  Read ReadControl(Ctl c) {
    Read r;
    EXPECT_TRUE(ReadBack(hwnd(c), r)) << static_cast<int>(c);
    return r;
  }
};

// Names, roles, descriptions, link addresses and default actions, as the
// table of the window's accessibility gives them; where it leaves them to
// the system's proxy (captions, texts), as that reads them.
TEST_F(AccessibilityTest, EveryControlHasItsNameRoleDescriptionAndAction) {
  struct Expected {
    Ctl ctl;
    const wchar_t* name;
    long role;
    const wchar_t* description;
    const wchar_t* value;  // checked where not null
    const wchar_t* action;
  };
  constexpr wchar_t kCaption[] = L"CPU/GPU性能天梯查询 Ver0.99a2 开源免费软件";
  const Expected table[] = {
      {Ctl::Picture1, L"程序图标", ROLE_SYSTEM_GRAPHIC, L"", nullptr, L""},
      {Ctl::Label1, kCaption, ROLE_SYSTEM_STATICTEXT, L"", nullptr, L""},
      {Ctl::Frame1, L"查询", ROLE_SYSTEM_GROUPING, L"", nullptr, L""},
      {Ctl::Label5, L"主：", ROLE_SYSTEM_STATICTEXT, L"主查询条件(必选)", nullptr, L""},
      {Ctl::Text1, L"主查询条件(必选)", ROLE_SYSTEM_TEXT, L"", L"", L""},
      {Ctl::Label3, L"与：", ROLE_SYSTEM_STATICTEXT, L"与查询条件(可选，优先于或)", nullptr, L""},
      {Ctl::Text2, L"与查询条件(可选，优先于或)", ROLE_SYSTEM_TEXT, L"", L"", L""},
      {Ctl::Command2, L"查询S", ROLE_SYSTEM_PUSHBUTTON, L"查询", nullptr, nullptr},
      {Ctl::Option1, L"ALL", ROLE_SYSTEM_RADIOBUTTON, L"同时查询CPU/GPU", nullptr, nullptr},
      {Ctl::Option2, L"CPU", ROLE_SYSTEM_RADIOBUTTON, L"仅查询CPU(微处理器)", nullptr, nullptr},
      {Ctl::Option3, L"GPU", ROLE_SYSTEM_RADIOBUTTON, L"仅查询GPU(图形处理器)", nullptr, nullptr},
      {Ctl::Label4, L"或：", ROLE_SYSTEM_STATICTEXT, L"或查询条件(可选)", nullptr, L""},
      {Ctl::Text5, L"查询条件：或1", ROLE_SYSTEM_TEXT, L"", L"", L""},
      {Ctl::Text6, L"查询条件：或2", ROLE_SYSTEM_TEXT, L"", L"", L""},
      {Ctl::Text7, L"查询条件：或3", ROLE_SYSTEM_TEXT, L"", L"", L""},
      {Ctl::Command3, L"重置R", ROLE_SYSTEM_PUSHBUTTON, L"重置查询条件", nullptr, nullptr},
      {Ctl::Text8, L"查询结果(仅显示前30条)", ROLE_SYSTEM_TEXT,
       L"(编号首位C代表为CPU，G代表为GPU,两者分数不同。数据摘自网上测评，仅供参考)", L"", L""},
      {Ctl::Command6, L"本机CPU型号", ROLE_SYSTEM_PUSHBUTTON, L"显示此计算机CPU型号", nullptr, nullptr},
      {Ctl::Label2, L"常见设备：", ROLE_SYSTEM_STATICTEXT, L"", nullptr, L""},
      {Ctl::Text9, L"常见设备：", ROLE_SYSTEM_TEXT, L"", nullptr, L""},
      {Ctl::Label6, L"GeekBench", ROLE_SYSTEM_LINK, L"https://browser.geekbench.com", L"https://browser.geekbench.com",
       L"打开"},
      {Ctl::Label7, L"鲁大师", ROLE_SYSTEM_LINK, L"https://www.ludashi.com", L"https://www.ludashi.com", L"打开"},
      // The tool tip names the bare domain, the click opens the www host.
      {Ctl::Label8, L"太平洋网", ROLE_SYSTEM_LINK, L"https://pconline.com.cn", L"https://www.pconline.com.cn", L"打开"},
      {Ctl::Label9, L"微软", ROLE_SYSTEM_LINK, L"https://www.microsoft.com", L"https://www.microsoft.com", L"打开"},
      {Ctl::Command7, L"作者的NB", ROLE_SYSTEM_PUSHBUTTON, L"作者的ThinkPAD P53电脑", nullptr, nullptr},
      {Ctl::Command5, L"PUBG配置", ROLE_SYSTEM_PUSHBUTTON, L"PUBG配置", nullptr, nullptr},
      {Ctl::Command4, L"关于A", ROLE_SYSTEM_PUSHBUTTON, L"关于", nullptr, nullptr},
      {Ctl::Command1, L"退出Q", ROLE_SYSTEM_PUSHBUTTON, L"退出", nullptr, nullptr},
      {Ctl::Text3, L"隐藏输入框1", ROLE_SYSTEM_TEXT, L"在窗口之外，不参与查询", L"", L""},
      {Ctl::Text4, L"隐藏输入框2", ROLE_SYSTEM_TEXT, L"在窗口之外，不参与查询", L"", L""},
  };
  static_assert(std::size(table) == ui::kForm1ControlCount, "every control");
  for (const Expected& e : table) {
    SCOPED_TRACE(static_cast<int>(e.ctl));
    const Read r = ReadControl(e.ctl);
    EXPECT_EQ(r.name, e.name);
    EXPECT_EQ(r.role, e.role);
    EXPECT_EQ(r.description, e.description);
    if (e.value) {
      EXPECT_EQ(r.value, e.value);
    }
    // The buttons' and options' actions are the system proxy's ("Press",
    // "Check" on Windows; none under Wine 8).
    if (e.action) {
      EXPECT_EQ(r.action, e.action);
    }
  }
}

// The states a screen reader announces: the selected option, the boxes
// outside the window, the links.
TEST_F(AccessibilityTest, OptionsLinksAndHiddenBoxesReportTheirStates) {
  EXPECT_TRUE(ReadControl(Ctl::Option1).state & STATE_SYSTEM_CHECKED);
  EXPECT_FALSE(ReadControl(Ctl::Option3).state & STATE_SYSTEM_CHECKED);
  app.ui->Select(Ctl::Option3);
  EXPECT_FALSE(ReadControl(Ctl::Option1).state & STATE_SYSTEM_CHECKED);
  EXPECT_TRUE(ReadControl(Ctl::Option3).state & STATE_SYSTEM_CHECKED);

  for (Ctl c : {Ctl::Text3, Ctl::Text4}) EXPECT_TRUE(ReadControl(c).state & STATE_SYSTEM_OFFSCREEN);
  for (Ctl c : {Ctl::Text1, Ctl::Text8, Ctl::Command1, Ctl::Label6}) {
    EXPECT_FALSE(ReadControl(c).state & STATE_SYSTEM_OFFSCREEN);
  }
  EXPECT_TRUE(ReadControl(Ctl::Label9).state & STATE_SYSTEM_LINKED);
}

// A link's default action is a click: the site opens as the mouse opens it.
TEST_F(AccessibilityTest, ALinksDefaultActionOpensItsSite) {
  ComPtr<IAccessible> acc;
  ASSERT_HRESULT_SUCCEEDED(
      AccessibleObjectFromWindow(hwnd(Ctl::Label8), static_cast<DWORD>(OBJID_CLIENT), kIidAccessible, acc.put_void()));
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  ASSERT_HRESULT_SUCCEEDED(acc->accDoDefaultAction(self));
  EXPECT_TRUE(app.launcher.started.empty());  // posted: the client's call returns first
  app.Pump();
  EXPECT_EQ(app.launcher.started, std::vector<std::u16string>{std::u16string(commands::kPconlineLink.command)});
}

}  // namespace
}  // namespace tianti::win32::wintest
