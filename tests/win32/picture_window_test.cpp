// The picture windows Form2 and Form3 opened from the main window, and the
// JPEG pictures they decode from the program's resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <tuple>

#include <stdexcept>

#include "tests/win32/harness.h"
#include "ui/win32/jpeg.h"
#include "ui/win32/resource_ids.h"

namespace tianti::win32::wintest {
namespace {

using ui::Ctl;
using ui::Win;

struct PictureDesign {
  Win window;
  Ctl opener;
  Ctl picture;
  Ctl ok;
  const wchar_t* caption;
  SIZE client;
  SIZE image;
  POINT ok_at;
  int resource;
};

const PictureDesign kForm2{Win::Form2, Ctl::Command5, Ctl::Form2_Picture1, Ctl::Form2_Command1, L"PUBG配置",
                           {716, 399}, {700, 347},    {320, 360},          IDR_FORM2_PICTURE};
const PictureDesign kForm3{Win::Form3, Ctl::Command7, Ctl::Form3_Picture1, Ctl::Form3_Command1, L"作者的ThinkPADP53",
                           {602, 815}, {587, 760},    {272, 776},          IDR_FORM3_PICTURE};

class PictureWindowTest : public ::testing::TestWithParam<PictureDesign> {
 protected:
  App app;
  const PictureDesign& d = GetParam();
  HWND Open() {
    SendMessageW(app.hwnd(d.opener), BM_CLICK, 0, 0);
    app.Pump();
    return app.window(d.window);
  }
  bool IsCentred(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &info);
    const RECT& w = info.rcWork;
    // Centred, or at the top of the screen where the window is taller.
    const bool x = std::abs((r.left + r.right) - (w.left + w.right)) <= 1;
    const bool y = r.bottom - r.top > w.bottom - w.top ? r.top == w.top
                                                       : std::abs((r.top + r.bottom) - (w.top + w.bottom)) <= 1;
    return x && y;
  }
  int CountWindowsCaptioned(const wchar_t* caption) {
    std::pair<const wchar_t*, int> count{caption, 0};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM p) {
          auto* c = reinterpret_cast<std::pair<const wchar_t*, int>*>(p);
          if (IsWindowVisible(hwnd) && WindowText(hwnd) == c->first) ++c->second;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.second;
  }
};

TEST_P(PictureWindowTest, OpensCentredWithItsDesignAndTheFocusOnThePicture) {
  HWND w = Open();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_EQ(WindowText(w), d.caption);
  EXPECT_EQ(W(app.ui->Caption(d.window)), d.caption);
  const LONG style = GetWindowLongW(w, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_EQ(GetWindow(w, GW_OWNER), nullptr) << "modeless and without owner";
  EXPECT_NE(SendMessageW(w, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_EQ(ClientRect(w).right, d.client.cx);
  EXPECT_EQ(ClientRect(w).bottom, d.client.cy);
  EXPECT_TRUE(IsCentred(w));

  HWND picture = app.hwnd(d.picture);
  EXPECT_EQ(GetParent(picture), w);
  EXPECT_TRUE(GetWindowLongW(picture, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(ClientRect(picture).right, d.image.cx);
  EXPECT_EQ(ClientRect(picture).bottom, d.image.cy);
  const RECT pr = ChildRect(picture);
  EXPECT_EQ(pr.left, 8);
  EXPECT_EQ(pr.top, 8);
  EXPECT_EQ(pr.right - pr.left, d.image.cx + 4);
  EXPECT_EQ(pr.bottom - pr.top, d.image.cy + 4);

  HWND ok = app.hwnd(d.ok);
  EXPECT_EQ(WindowText(ok), L"确定&O");
  const RECT okr = ChildRect(ok);
  EXPECT_EQ(okr.left, d.ok_at.x);
  EXPECT_EQ(okr.top, d.ok_at.y);
  EXPECT_EQ(okr.right - okr.left, 65);
  EXPECT_EQ(okr.bottom - okr.top, 33);
  EXPECT_EQ(GetWindowLongW(ok, GWL_STYLE) & 0x0F, BS_PUSHBUTTON) << "not a default button";

  EXPECT_EQ(GetForegroundWindow(), w);
  EXPECT_EQ(GetFocus(), picture);
  // The main window stays usable: it is not disabled.
  EXPECT_TRUE(IsWindowEnabled(app.window(Win::Form1)));
  EXPECT_EQ(app.ui->LoadedWindows(), (std::vector<Win>{Win::Form1, d.window}));
}

TEST_P(PictureWindowTest, ShowsItsPictureFromTheResources) {
  HWND w = Open();
  HWND picture = app.hwnd(d.picture);
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  app.Pump();
  Picture expected = LoadPictureResource(GetModuleHandleW(nullptr), d.resource);
  ASSERT_NE(expected.bitmap, nullptr);
  HDC screen = GetDC(picture);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, expected.bitmap);
  int same = 0, probes = 0;
  for (int y = 5; y < d.image.cy; y += d.image.cy / 7) {
    for (int x = 5; x < d.image.cx; x += d.image.cx / 9) {
      ++probes;
      same += GetPixel(screen, x, y) == GetPixel(memory, x, y);
    }
  }
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(picture, screen);
  DeleteObject(expected.bitmap);
  EXPECT_EQ(same, probes);
}

TEST_P(PictureWindowTest, EnterAndEscDoNotCloseButAltOAndTheOkButtonDo) {
  HWND w = Open();
  PressKey(*app.ui, VK_RETURN);
  PressKey(*app.ui, VK_ESCAPE);
  EXPECT_TRUE(app.ui->IsLoaded(d.window));
  EXPECT_EQ(GetFocus(), app.hwnd(d.picture));

  PressKey(*app.ui, 'O', {VK_MENU});
  EXPECT_FALSE(app.ui->IsLoaded(d.window));
  EXPECT_FALSE(IsWindow(w));
  EXPECT_TRUE(app.ui->IsLoaded(Win::Form1)) << "closing a picture window leaves the program running";
  EXPECT_FALSE(app.ui->ended());

  // Tab from the picture to OK, where Enter presses it.
  Open();
  PressKey(*app.ui, VK_TAB);
  EXPECT_EQ(GetFocus(), app.hwnd(d.ok));
  PressKey(*app.ui, VK_RETURN);
  EXPECT_FALSE(app.ui->IsLoaded(d.window));

  // The mouse on OK, and the close box.
  Open();
  ClickAt(*app.ui, app.hwnd(d.ok), POINT{20, 10});
  EXPECT_FALSE(app.ui->IsLoaded(d.window));
  Open();
  SendMessageW(app.window(d.window), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(app.ui->IsLoaded(d.window));
  EXPECT_TRUE(app.boxes.boxes().empty());
}

TEST_P(PictureWindowTest, SecondPressBringsTheSameWindowToTheFrontWhereItIs) {
  HWND w = Open();
  SetWindowPos(w, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Activate(*app.ui, app.window(Win::Form1), app.hwnd(d.opener));
  ASSERT_EQ(GetForegroundWindow(), app.window(Win::Form1));

  HWND again = Open();
  EXPECT_EQ(again, w);
  EXPECT_EQ(CountWindowsCaptioned(d.caption), 1);
  EXPECT_EQ(GetForegroundWindow(), w);
  RECT r{};
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);

  // After OK the next press loads it afresh, centred again.
  SendMessageW(app.hwnd(d.ok), BM_CLICK, 0, 0);
  ASSERT_FALSE(app.ui->IsLoaded(d.window));
  HWND fresh = Open();
  ASSERT_NE(fresh, nullptr);
  EXPECT_TRUE(IsCentred(fresh));
  EXPECT_EQ(GetFocus(), app.hwnd(d.picture));
}

TEST_P(PictureWindowTest, ScalesWithTheDpiLikeTheMainWindow) {
  HWND w = Open();
  RECT outer{};
  GetWindowRect(w, &outer);
  SendMessageW(w, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&outer));
  app.Pump();
  EXPECT_EQ(ClientRect(w).right, MulDiv(d.client.cx * 15, 144, 1440));
  EXPECT_EQ(ClientRect(w).bottom, MulDiv(d.client.cy * 15, 144, 1440));
  EXPECT_EQ(ClientRect(app.hwnd(d.picture)).right, MulDiv(d.image.cx, 144, 96));
  EXPECT_EQ(ClientRect(app.hwnd(d.picture)).bottom, MulDiv(d.image.cy, 144, 96));
  EXPECT_EQ(ChildRect(app.hwnd(d.ok)).left, MulDiv(d.ok_at.x * 15, 144, 1440));
}

INSTANTIATE_TEST_SUITE_P(PictureWindows, PictureWindowTest, ::testing::Values(kForm2, kForm3),
                         [](const ::testing::TestParamInfo<PictureDesign>& info) {
                           return info.param.window == Win::Form2 ? std::string("Form2") : std::string("Form3");
                         });

TEST(PictureWindowsTogether, EachButtonAffectsOnlyItsOwnWindow) {
  App app;
  SendMessageW(app.hwnd(Ctl::Command5), BM_CLICK, 0, 0);
  SendMessageW(app.hwnd(Ctl::Command7), BM_CLICK, 0, 0);
  ASSERT_TRUE(app.ui->IsLoaded(Win::Form2));
  ASSERT_TRUE(app.ui->IsLoaded(Win::Form3));
  // The main window can be brought in front of both.
  Activate(*app.ui, app.window(Win::Form1));
  EXPECT_EQ(GetForegroundWindow(), app.window(Win::Form1));

  SendMessageW(app.hwnd(Ctl::Form3_Command1), BM_CLICK, 0, 0);
  EXPECT_TRUE(app.ui->IsLoaded(Win::Form2));
  EXPECT_FALSE(app.ui->IsLoaded(Win::Form3));
  EXPECT_EQ(app.ui->LoadedWindows(), (std::vector<Win>{Win::Form1, Win::Form2}));
  SendMessageW(app.hwnd(Ctl::Form2_Command1), BM_CLICK, 0, 0);
  EXPECT_EQ(app.ui->LoadedWindows(), std::vector<Win>{Win::Form1});
}

// ---- decoding ------------------------------------------------------------------

TEST(JpegTest, DecodesTheResourcesIntoTopDown32BitDibSections) {
  for (const auto& [id, w, h] : {std::tuple{IDR_FORM2_PICTURE, 700, 347}, std::tuple{IDR_FORM3_PICTURE, 587, 760}}) {
    Picture p = LoadPictureResource(GetModuleHandleW(nullptr), id);
    ASSERT_NE(p.bitmap, nullptr);
    EXPECT_EQ(p.width, w);
    EXPECT_EQ(p.height, h);
    EXPECT_EQ(p.natural_width, w);
    EXPECT_EQ(p.natural_height, h);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(p.bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 32);
    EXPECT_EQ(dib.dsBm.bmWidth, w);
    EXPECT_EQ(dib.dsBm.bmHeight, h);
    // Not a blank picture: its pixels differ.
    const auto* pixels = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
    bool varied = false;
    for (int i = 1; i < w * h && !varied; i += 97) varied = (pixels[i] & 0xFFFFFF) != (pixels[0] & 0xFFFFFF);
    EXPECT_TRUE(varied);
    const SIZE size = PictureResourceSize(GetModuleHandleW(nullptr), id);
    EXPECT_EQ(size.cx, w);
    EXPECT_EQ(size.cy, h);
    DeleteObject(p.bitmap);
  }
}

TEST(JpegTest, ScalesToTheSizeAskedFor) {
  Picture p = LoadPictureResource(GetModuleHandleW(nullptr), IDR_FORM2_PICTURE, 1050, 521);
  ASSERT_NE(p.bitmap, nullptr);
  EXPECT_EQ(p.width, 1050);
  EXPECT_EQ(p.height, 521);
  EXPECT_EQ(p.natural_width, 700);
  BITMAP bm{};
  GetObjectW(p.bitmap, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 1050);
  EXPECT_EQ(bm.bmHeight, 521);
  DeleteObject(p.bitmap);
}

TEST(JpegTest, MissingOrUndecodableResourcesThrowNamingTheStep) {
  try {
    LoadPictureResource(GetModuleHandleW(nullptr), 4711);
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("FindResource"), std::string::npos) << e.what();
  }
  // RCDATA 900 of the test program holds text, no picture.
  try {
    LoadPictureResource(GetModuleHandleW(nullptr), 900);
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("CreateDecoderFromStream"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace tianti::win32::wintest
