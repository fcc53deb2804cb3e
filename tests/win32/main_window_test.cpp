// The main window as the program shows it at 96 DPI: styles, place, the 30
// controls' kinds, rectangles, fonts, colours on the screen, tool tips and
// the start-up state.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <tuple>

#include <algorithm>
#include <map>
#include <vector>

#include "tests/win32/harness.h"
#include "ui/win32/dpi.h"
#include "ui/win32/fonts.h"

namespace tianti::win32::wintest {
namespace {

using ui::Ctl;
using ui::Win;

constexpr wchar_t kCaption[] = L"CPU/GPU性能天梯查询 Ver0.99a2 开源免费软件";

class MainWindowTest : public ::testing::Test {
 protected:
  App app;
  HWND main() const { return app.window(Win::Form1); }
};

TEST_F(MainWindowTest, WindowIsFixedSingleWithMinimiseBoxCentredWithCaptionAndIcon) {
  const LONG style = GetWindowLongW(main(), GWL_STYLE);
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_EQ(GetWindow(main(), GW_OWNER), nullptr);

  const RECT client = ClientRect(main());
  EXPECT_EQ(client.right, 647);   // 9705 twips
  EXPECT_EQ(client.bottom, 657);  // 9855 twips

  RECT outer{};
  GetWindowRect(main(), &outer);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromWindow(main(), MONITOR_DEFAULTTOPRIMARY), &info);
  EXPECT_LE(std::abs((outer.left + outer.right) - (info.rcWork.left + info.rcWork.right)), 1);
  EXPECT_LE(std::abs((outer.top + outer.bottom) - (info.rcWork.top + info.rcWork.bottom)), 1);

  EXPECT_EQ(WindowText(main()), kCaption);
  EXPECT_EQ(WindowText(app.hwnd(Ctl::Label1)), kCaption);
  EXPECT_NE(SendMessageW(main(), WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageW(main(), WM_GETICON, ICON_SMALL, 0), 0);
}

// Kinds and pixel rectangles at 96 DPI: the layout table's twips / 15, the
// frame's 13 controls at the frame's offset (8, 64), children of the window.
TEST_F(MainWindowTest, ControlsHaveTheirKindsAndPlaces) {
  struct Expected {
    Ctl ctl;
    const wchar_t* cls;
    LONG type;  // BS_/SS_ type bits, or -1
    int x, y, w, h;
  };
  const Expected table[] = {
      {Ctl::Picture1, L"TiantiPictureBox", -1, 8, 8, 52, 52},
      {Ctl::Label1, L"Static", SS_LEFT, 64, 16, 369, 33},
      {Ctl::Frame1, L"Button", BS_GROUPBOX, 8, 64, 529, 81},
      {Ctl::Label5, L"Static", SS_LEFT, 16, 88, 33, 17},
      {Ctl::Text1, L"Edit", -1, 40, 80, 137, 27},
      {Ctl::Label3, L"Static", SS_LEFT, 184, 88, 33, 17},
      {Ctl::Text2, L"Edit", -1, 208, 80, 233, 25},
      {Ctl::Command2, L"Button", BS_OWNERDRAW, 448, 80, 81, 33},
      {Ctl::Option1, L"Button", BS_AUTORADIOBUTTON, 16, 112, 41, 25},
      {Ctl::Option2, L"Button", BS_AUTORADIOBUTTON, 72, 112, 41, 25},
      {Ctl::Option3, L"Button", BS_AUTORADIOBUTTON, 128, 112, 41, 25},
      {Ctl::Label4, L"Static", SS_LEFT, 184, 120, 33, 17},
      {Ctl::Text5, L"Edit", -1, 208, 112, 97, 25},
      {Ctl::Text6, L"Edit", -1, 312, 112, 65, 25},
      {Ctl::Text7, L"Edit", -1, 384, 112, 57, 25},
      {Ctl::Command3, L"Button", BS_OWNERDRAW, 448, 120, 81, 17},
      {Ctl::Text8, L"Edit", -1, 8, 152, 529, 497},
      {Ctl::Command6, L"Button", BS_PUSHBUTTON, 544, 72, 97, 57},
      {Ctl::Label2, L"Static", SS_LEFT, 544, 144, 89, 17},
      {Ctl::Text9, L"Edit", -1, 544, 168, 97, 153},
      {Ctl::Label6, L"Static", SS_LEFT, 544, 328, 89, 17},
      {Ctl::Label7, L"Static", SS_LEFT, 544, 352, 89, 17},
      {Ctl::Label8, L"Static", SS_LEFT, 544, 376, 89, 17},
      {Ctl::Label9, L"Static", SS_LEFT, 544, 400, 89, 17},
      {Ctl::Command7, L"Button", BS_PUSHBUTTON, 544, 424, 97, 41},
      {Ctl::Command5, L"Button", BS_PUSHBUTTON, 544, 472, 97, 41},
      {Ctl::Command4, L"Button", BS_PUSHBUTTON, 544, 520, 97, 41},
      {Ctl::Command1, L"Button", BS_OWNERDRAW, 544, 568, 97, 81},
      {Ctl::Text3, L"Edit", -1, 704, 96, 81, 25},
      {Ctl::Text4, L"Edit", -1, 800, 96, 73, 25},
  };
  ASSERT_EQ(std::size(table), static_cast<size_t>(ui::kForm1ControlCount));
  for (const Expected& e : table) {
    SCOPED_TRACE(static_cast<int>(e.ctl));
    HWND hwnd = app.hwnd(e.ctl);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(GetParent(hwnd), main());
    EXPECT_EQ(ClassName(hwnd), e.cls);
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_VISIBLE);
    if (e.type >= 0) {
      EXPECT_EQ(style & 0x1F, e.type);
    }
    const RECT r = ChildRect(hwnd);
    EXPECT_EQ(r.left, e.x);
    EXPECT_EQ(r.top, e.y);
    EXPECT_EQ(r.right - r.left, e.w);
    EXPECT_EQ(r.bottom - r.top, e.h);
  }

  // The picture box: the 48 x 48 icon inside a 2-pixel 3-D border.
  EXPECT_TRUE(GetWindowLongW(app.hwnd(Ctl::Picture1), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(ClientRect(app.hwnd(Ctl::Picture1)).right, 48);
  EXPECT_EQ(ClientRect(app.hwnd(Ctl::Picture1)).bottom, 48);

  // The hidden boxes lie wholly right of the client area.
  EXPECT_GE(ChildRect(app.hwnd(Ctl::Text3)).left, ClientRect(main()).right);

  // Text boxes: the results box wraps (vertical bar only), the devices box
  // never wraps (horizontal bar only); both read-only; term boxes single-line.
  const LONG results = GetWindowLongW(app.hwnd(Ctl::Text8), GWL_STYLE);
  EXPECT_TRUE(results & ES_MULTILINE);
  EXPECT_TRUE(results & WS_VSCROLL);
  EXPECT_FALSE(results & WS_HSCROLL);
  EXPECT_FALSE(results & ES_AUTOHSCROLL);
  EXPECT_TRUE(results & ES_READONLY);
  const LONG devices = GetWindowLongW(app.hwnd(Ctl::Text9), GWL_STYLE);
  EXPECT_TRUE(devices & ES_MULTILINE);
  EXPECT_TRUE(devices & WS_HSCROLL);
  EXPECT_FALSE(devices & WS_VSCROLL);
  EXPECT_TRUE(devices & ES_AUTOHSCROLL);
  EXPECT_TRUE(devices & ES_READONLY);
  for (Ctl c : {Ctl::Text1, Ctl::Text2, Ctl::Text3, Ctl::Text4, Ctl::Text5, Ctl::Text6, Ctl::Text7}) {
    const LONG style = GetWindowLongW(app.hwnd(c), GWL_STYLE);
    EXPECT_FALSE(style & (ES_MULTILINE | ES_READONLY)) << static_cast<int>(c);
  }
  // Captions exactly as designed; labels show "&" as it stands.
  EXPECT_EQ(WindowText(app.hwnd(Ctl::Frame1)), L"查询");
  EXPECT_EQ(WindowText(app.hwnd(Ctl::Command6)), L"本机&CPU型号");
  EXPECT_EQ(WindowText(app.hwnd(Ctl::Command5)), L"PUB&G配置");
  EXPECT_EQ(WindowText(app.hwnd(Ctl::Label5)), L"主：");
  EXPECT_TRUE(GetWindowLongW(app.hwnd(Ctl::Label6), GWL_STYLE) & SS_NOPREFIX);
}

TEST_F(MainWindowTest, ControlsUseSongtiGb2312InTheirSizes) {
  struct Expected {
    Ctl ctl;
    int tenths;
    bool bold;
    bool underline;
  };
  const Expected table[] = {
      {Ctl::Label1, 120, true, false},   {Ctl::Frame1, 105, false, false},   {Ctl::Label5, 105, false, false},
      {Ctl::Text1, 120, false, false},   {Ctl::Label3, 105, false, false},   {Ctl::Text2, 90, false, false},
      {Ctl::Command2, 90, true, false},  {Ctl::Option1, 90, false, false},   {Ctl::Option2, 90, false, false},
      {Ctl::Option3, 90, false, false},  {Ctl::Label4, 105, false, false},   {Ctl::Text5, 90, false, false},
      {Ctl::Text6, 90, false, false},    {Ctl::Text7, 90, false, false},     {Ctl::Command3, 90, false, false},
      {Ctl::Text8, 120, false, false},   {Ctl::Command6, 105, false, false}, {Ctl::Label2, 105, false, false},
      {Ctl::Text9, 90, false, false},    {Ctl::Label6, 105, false, true},    {Ctl::Label7, 105, false, true},
      {Ctl::Label8, 105, false, true},   {Ctl::Label9, 105, false, true},    {Ctl::Command7, 105, false, false},
      {Ctl::Command5, 90, false, false}, {Ctl::Command4, 90, false, false},  {Ctl::Command1, 90, false, false},
      {Ctl::Text3, 90, false, false},    {Ctl::Text4, 90, false, false},
  };
  HDC dc = GetDC(main());
  for (const Expected& e : table) {
    SCOPED_TRACE(static_cast<int>(e.ctl));
    auto font = reinterpret_cast<HFONT>(SendMessageW(app.hwnd(e.ctl), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW lf{};
    ASSERT_NE(GetObjectW(font, sizeof lf, &lf), 0);
    EXPECT_EQ(lf.lfHeight, -MulDiv(e.tenths, 96, 720));
    EXPECT_EQ(lf.lfCharSet, GB2312_CHARSET);
    EXPECT_EQ(lf.lfWeight, e.bold ? FW_BOLD : FW_NORMAL);
    EXPECT_EQ(lf.lfUnderline != 0, e.underline);
    // Songti where the system has it, else a face on the double-width grid.
    const std::wstring real = FontCache::RealFace(dc, font);
    if (real != L"宋体" && real != L"SimSun") {
      EXPECT_TRUE(FontCache::HasDoubleWidthGrid(dc, font)) << std::string(real.begin(), real.end());
    }
  }
  ReleaseDC(main(), dc);
}

// The colours as they reach the screen.
TEST_F(MainWindowTest, BoxesButtonsAndLinksShowTheirColours) {
  RedrawWindow(main(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  app.Pump();
  auto pixel = [](HWND hwnd, int x, int y) {
    HDC dc = GetDC(hwnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
  };
  // Term boxes: a point of the client area, right of any text.
  auto box_colour = [&](Ctl c) {
    const RECT r = ClientRect(app.hwnd(c));
    return pixel(app.hwnd(c), r.right - 3, r.bottom / 2);
  };
  EXPECT_EQ(box_colour(Ctl::Text1), RGB(255, 128, 0));
  EXPECT_EQ(box_colour(Ctl::Text2), RGB(255, 255, 0));
  EXPECT_EQ(box_colour(Ctl::Text5), RGB(0, 255, 255));
  EXPECT_EQ(box_colour(Ctl::Text6), RGB(0, 255, 255));
  EXPECT_EQ(box_colour(Ctl::Text7), RGB(0, 255, 255));
  // Read-only boxes keep the text box colours rather than the dialog grey.
  EXPECT_EQ(pixel(app.hwnd(Ctl::Text8), 200, 100), GetSysColor(COLOR_WINDOW));
  // The hidden boxes' colour, asked the way their edit control asks.
  HDC dc = GetDC(main());
  SendMessageW(main(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(app.hwnd(Ctl::Text3)));
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 0));
  ReleaseDC(main(), dc);

  // Coloured faces, left of the centred caption.
  auto face = [&](Ctl c) { return pixel(app.hwnd(c), 5, ClientRect(app.hwnd(c)).bottom / 2); };
  EXPECT_EQ(face(Ctl::Command2), RGB(255, 128, 0));
  EXPECT_EQ(face(Ctl::Command3), GetSysColor(COLOR_ACTIVEBORDER));
  EXPECT_EQ(face(Ctl::Command1), GetSysColor(COLOR_HIGHLIGHT));

  // Link labels draw their text in the highlight colour; other labels don't.
  auto has_colour = [&](Ctl c, COLORREF colour) {
    const RECT r = ClientRect(app.hwnd(c));
    HDC cdc = GetDC(app.hwnd(c));
    bool found = false;
    for (int y = 0; y < r.bottom && !found; ++y)
      for (int x = 0; x < r.right && !found; ++x) found = GetPixel(cdc, x, y) == colour;
    ReleaseDC(app.hwnd(c), cdc);
    return found;
  };
  for (Ctl c : {Ctl::Label6, Ctl::Label7, Ctl::Label8, Ctl::Label9}) {
    EXPECT_TRUE(has_colour(c, GetSysColor(COLOR_HIGHLIGHT))) << static_cast<int>(c);
  }
  EXPECT_FALSE(has_colour(Ctl::Label2, GetSysColor(COLOR_HIGHLIGHT)));
  EXPECT_TRUE(has_colour(Ctl::Label2, GetSysColor(COLOR_BTNTEXT)));
}

// The coloured button drawn by the window's WM_DRAWITEM in `state`, pixel
// by pixel.
std::vector<COLORREF> DrawnButton(HWND window, HWND button, UINT state) {
  const RECT r = ClientRect(button);
  HDC screen = GetDC(button);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
  HGDIOBJ old = SelectObject(dc, bitmap);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = static_cast<UINT>(GetDlgCtrlID(button));
  item.itemAction = ODA_DRAWENTIRE;
  item.itemState = state;
  item.hwndItem = button;
  item.hDC = dc;
  item.rcItem = r;
  SendMessageW(window, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
  std::vector<COLORREF> pixels;
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < r.right; ++x) pixels.push_back(GetPixel(dc, x, y));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(button, screen);
  return pixels;
}

TEST_F(MainWindowTest, ColouredButtonsShowFocusPressedStateAndAccessKey) {
  HWND query = app.hwnd(Ctl::Command2);
  const auto plain = DrawnButton(main(), query, 0);
  const auto focused = DrawnButton(main(), query, ODS_FOCUS);
  const auto pressed = DrawnButton(main(), query, ODS_FOCUS | ODS_SELECTED);
  const auto no_accel = DrawnButton(main(), query, ODS_NOACCEL);
  EXPECT_NE(focused, plain);
  EXPECT_NE(pressed, focused);
  // Mostly face, in every state.
  for (const auto* pixels : {&plain, &focused, &pressed}) {
    EXPECT_GT(std::count(pixels->begin(), pixels->end(), RGB(255, 128, 0)), static_cast<long>(pixels->size() / 2));
  }

  // Hiding the access keys removes the underline under "S", and nothing else.
  const int width = ClientRect(query).right;
  int changed = 0, lowest = 0;
  for (size_t i = 0; i < plain.size(); ++i) {
    if (plain[i] != no_accel[i]) {
      ++changed;
      lowest = std::max(lowest, static_cast<int>(i) / width);
    }
  }
  EXPECT_GT(changed, 0);
  EXPECT_LT(changed, width) << "only an underline's pixels";
  EXPECT_GT(lowest, ClientRect(query).bottom / 2) << "below the middle of the caption";
}

// At 120 DPI the replacement font's line is taller than a link label; the
// underline still shows: some row holds a run of the link colour as long as
// the text is wide.
TEST_F(MainWindowTest, LinkLabelsShowTheirUnderlineAt120Dpi) {
  RECT outer{};
  GetWindowRect(main(), &outer);
  SendMessageW(main(), WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&outer));
  RedrawWindow(main(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  app.Pump();
  const COLORREF link = GetSysColor(COLOR_HIGHLIGHT);
  for (Ctl c : {Ctl::Label6, Ctl::Label7, Ctl::Label8, Ctl::Label9}) {
    HWND label = app.hwnd(c);
    const RECT r = ClientRect(label);
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    const std::wstring text = WindowText(label);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    int longest = 0;
    for (int y = 0; y < r.bottom; ++y) {
      int run = 0;
      for (int x = 0; x < r.right; ++x) {
        run = GetPixel(dc, x, y) == link ? run + 1 : 0;
        longest = std::max(longest, run);
      }
    }
    ReleaseDC(label, dc);
    EXPECT_GE(longest, extent.cx - 1) << static_cast<int>(c);
  }
  GetWindowRect(main(), &outer);
  SendMessageW(main(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&outer));
  app.Pump();
}

TEST_F(MainWindowTest, StartsReadyWithAllSelectedAndFocusOnQuit) {
  EXPECT_EQ(GetFocus(), app.hwnd(Ctl::Command1));
  EXPECT_EQ(SendMessageW(app.hwnd(Ctl::Option1), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(app.hwnd(Ctl::Option2), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(app.hwnd(Ctl::Option3), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  for (Ctl c : {Ctl::Text1, Ctl::Text2, Ctl::Text3, Ctl::Text4, Ctl::Text5, Ctl::Text6, Ctl::Text7, Ctl::Text8}) {
    EXPECT_EQ(WindowText(app.hwnd(c)), L"") << static_cast<int>(c);
  }
  EXPECT_EQ(WindowText(app.hwnd(Ctl::Label2)), L"常见设备：");
  const std::wstring devices = WindowText(app.hwnd(Ctl::Text9));
  EXPECT_EQ(SendMessageW(app.hwnd(Ctl::Text9), EM_GETLINECOUNT, 0, 0), 11);
  EXPECT_EQ(devices.substr(0, 30), L"AMD Ryzen Threadripper 3970X\r\n");
  EXPECT_EQ(devices.substr(devices.size() - 9), L"\r\nNVS 810");
  EXPECT_EQ(app.ui->PointerOf(Win::Form1), ui::Pointer::Default);
  EXPECT_EQ(app.ui->LoadedWindows(), std::vector<Win>{Win::Form1});
}

TEST_F(MainWindowTest, ToolTipsAreRegisteredWithTheirTexts) {
  // The tool tip control of the main window: a pop-up that it owns.
  HWND pair[2] = {main(), nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM param) {
        auto* p = reinterpret_cast<HWND*>(param);
        if (ClassName(hwnd) == TOOLTIPS_CLASSW && GetWindow(hwnd, GW_OWNER) == p[0]) p[1] = hwnd;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(pair));
  HWND tips = pair[1];
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 24);

  auto tip_of = [&](Ctl c) -> std::wstring {
    wchar_t buffer[256] = {};
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = main();
    ti.uId = reinterpret_cast<UINT_PTR>(app.hwnd(c));
    ti.lpszText = buffer;
    SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
    return buffer;
  };
  const std::map<Ctl, std::wstring> expected = {
      {Ctl::Label3, L"与查询条件(可选，优先于或)"},
      {Ctl::Label4, L"或查询条件(可选)"},
      {Ctl::Label5, L"主查询条件(必选)"},
      {Ctl::Label6, L"https://browser.geekbench.com"},
      {Ctl::Label8, L"https://pconline.com.cn"},
      {Ctl::Option1, L"同时查询CPU/GPU"},
      {Ctl::Option3, L"仅查询GPU(图形处理器)"},
      {Ctl::Command1, L"退出"},
      {Ctl::Command3, L"重置查询条件"},
      {Ctl::Text1, L"主查询条件(必选)"},
      {Ctl::Text2, L"与查询条件(可选，优先于或)"},
      {Ctl::Text7, L"查询条件：或3"},
      {Ctl::Text8, L"查询结果(仅显示前30条)(编号首位C代表为CPU，G代表为GPU,两者分数不同。数据摘自网上测评，仅供参考)"},
      {Ctl::Text9, L"常见设备："},
  };
  for (const auto& [ctl, text] : expected) {
    EXPECT_EQ(tip_of(ctl), text) << static_cast<int>(ctl);
    EXPECT_EQ(W(app.ui->ToolTip(ctl)), text) << static_cast<int>(ctl);
  }
  for (Ctl c : {Ctl::Picture1, Ctl::Label1, Ctl::Label2, Ctl::Frame1, Ctl::Text3, Ctl::Text4}) {
    EXPECT_EQ(tip_of(c), L"") << static_cast<int>(c);
    EXPECT_EQ(app.ui->ToolTip(c), u"") << static_cast<int>(c);
  }

  // Long tips wrap: hovering over the results box shows its tip on
  // several lines, no wider than the tip width.
  const LRESULT max_width = SendMessageW(tips, TTM_GETMAXTIPWIDTH, 0, 0);
  EXPECT_GT(max_width, 0);
  RECT box = ClientRect(app.hwnd(Ctl::Text8));
  POINT at{box.right / 2, box.bottom / 2};
  ClientToScreen(app.hwnd(Ctl::Text8), &at);
  MoveMouse(POINT{at.x - 1, at.y});
  MoveMouse(at);
  for (int i = 0; i < 500 && !IsWindowVisible(tips); ++i) {  // the tip's delay
    app.Pump();
    Sleep(10);
  }
  ASSERT_TRUE(IsWindowVisible(tips));
  RECT shown{};
  GetWindowRect(tips, &shown);
  TEXTMETRICW tm{};
  HDC tdc = GetDC(tips);
  HGDIOBJ old = SelectObject(tdc, reinterpret_cast<HGDIOBJ>(SendMessageW(tips, WM_GETFONT, 0, 0)));
  GetTextMetricsW(tdc, &tm);
  SelectObject(tdc, old);
  ReleaseDC(tips, tdc);
  EXPECT_GE(shown.bottom - shown.top, 2 * tm.tmHeight);
  EXPECT_LE(shown.right - shown.left, max_width + 2 * LRESULT{tm.tmAveCharWidth} + 16);
  SendMessageW(tips, TTM_POP, 0, 0);

  // Changing and clearing a tip at run time.
  app.ui->SetToolTip(Ctl::Label2, u"新提示");
  EXPECT_EQ(tip_of(Ctl::Label2), L"新提示");
  app.ui->SetToolTip(Ctl::Label2, u"");
  EXPECT_EQ(tip_of(Ctl::Label2), L"");
  EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 24);
}

TEST_F(MainWindowTest, HourglassPointerShowsOverTheWindowAtOnce) {
  HWND results = app.hwnd(Ctl::Text8);
  RECT r = ClientRect(results);
  POINT centre{r.right / 2, r.bottom / 2};
  ClientToScreen(results, &centre);
  SetCursorPos(centre.x, centre.y);
  app.Pump();

  app.ui->SetPointer(Win::Form1, ui::Pointer::Hourglass);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  // Every later WM_SETCURSOR over a control keeps it.
  SendMessageW(results, WM_SETCURSOR, reinterpret_cast<WPARAM>(results), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));

  app.ui->SetPointer(Win::Form1, ui::Pointer::Default);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_IBEAM));  // the text box's own pointer again
  EXPECT_EQ(app.ui->PointerOf(Win::Form1), ui::Pointer::Default);
}

TEST_F(MainWindowTest, DpiChangeScalesLayoutAndFontsAndFreesTheOldFonts) {
  HWND results = app.hwnd(Ctl::Text8);
  const auto old_font = reinterpret_cast<HFONT>(SendMessageW(results, WM_GETFONT, 0, 0));
  RECT outer{};
  GetWindowRect(main(), &outer);
  RECT suggested{outer.left + 10, outer.top + 10, outer.left + 1000, outer.top + 1000};
  SendMessageW(main(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  app.Pump();

  EXPECT_EQ(app.ui->Dpi(Win::Form1), 144u);
  EXPECT_EQ(ClientRect(main()).right, MulDiv(9705, 144, 1440));
  EXPECT_EQ(ClientRect(main()).bottom, MulDiv(9855, 144, 1440));
  RECT now{};
  GetWindowRect(main(), &now);
  EXPECT_EQ(now.left, suggested.left);
  EXPECT_EQ(now.top, suggested.top);
  // Edges in twips converted: Text8 spans 120..8055 x 2280..9735 twips.
  const RECT r = ChildRect(results);
  EXPECT_EQ(r.left, 12);
  EXPECT_EQ(r.top, 228);
  EXPECT_EQ(r.right, MulDiv(8055, 144, 1440));
  EXPECT_EQ(r.bottom, MulDiv(9735, 144, 1440));
  // Controls in the frame: frame (120, 960) + Text1 (480, 240).
  EXPECT_EQ(ChildRect(app.hwnd(Ctl::Text1)).left, 60);
  EXPECT_EQ(ChildRect(app.hwnd(Ctl::Text1)).top, 120);
  EXPECT_EQ(ClientRect(app.hwnd(Ctl::Picture1)).right, 72);  // the icon scaled

  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(results, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  EXPECT_EQ(lf.lfHeight, -MulDiv(120, 144, 720));
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(app.hwnd(Ctl::Label6), WM_GETFONT, 0, 0)), sizeof lf, &lf);
  EXPECT_EQ(lf.lfHeight, -MulDiv(105, 144, 720));
  EXPECT_TRUE(lf.lfUnderline);
  EXPECT_EQ(GetObjectType(old_font), 0u) << "the 96-DPI fonts are deleted";

  // And back.
  GetWindowRect(main(), &outer);
  SendMessageW(main(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&outer));
  app.Pump();
  EXPECT_EQ(ClientRect(main()).right, 647);
  EXPECT_EQ(ChildRect(results).right, 537);
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(results, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  EXPECT_EQ(lf.lfHeight, -16);

  // The size the system asks for before it moves the window to a new DPI.
  SIZE size{};
  ASSERT_TRUE(SendMessageW(main(), WM_GETDPISCALEDSIZE, 192, reinterpret_cast<LPARAM>(&size)));
  RECT expected{0, 0, MulDiv(9705, 192, 1440), MulDiv(9855, 192, 1440)};
  AdjustWindowRectForDpi(&expected, GetWindowLongW(main(), GWL_STYLE), 0, 192);
  EXPECT_EQ(size.cx, expected.right - expected.left);
  EXPECT_EQ(size.cy, expected.bottom - expected.top);
}

TEST(FontCacheTest, FallsBackToAFaceOnTheDoubleWidthGrid) {
  FontCache fonts(L"No Such Face 42");
  EXPECT_TRUE(fonts.uses_fallback());
  EXPECT_NE(fonts.face(), L"No Such Face 42");
  HFONT font = fonts.Get(96, FontStyle{120, false, false});
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_TRUE(FontCache::HasDoubleWidthGrid(dc, font));
  LOGFONTW lf{};
  GetObjectW(font, sizeof lf, &lf);
  EXPECT_EQ(lf.lfCharSet, GB2312_CHARSET);
  EXPECT_EQ(lf.lfHeight, -16);
  DeleteDC(dc);
  // Cached per DPI and style.
  EXPECT_EQ(fonts.Get(96, FontStyle{120, false, false}), font);
  EXPECT_NE(fonts.Get(144, FontStyle{120, false, false}), font);
  fonts.ReleaseExcept({144});
  EXPECT_EQ(GetObjectType(font), 0u);
}

TEST(FontCacheTest, ProportionalFacesAreNotOnTheGrid) {
  HDC dc = CreateCompatibleDC(nullptr);
  LOGFONTW lf{};
  lf.lfHeight = -16;
  lstrcpyW(lf.lfFaceName, L"Arial");
  HFONT proportional = CreateFontIndirectW(&lf);
  EXPECT_FALSE(FontCache::HasDoubleWidthGrid(dc, proportional));
  DeleteObject(proportional);
  DeleteDC(dc);
}

}  // namespace
}  // namespace tianti::win32::wintest
