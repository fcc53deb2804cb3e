// The design tables of the three windows: every control's kind, place, font, colours and tab order.
#include "ui/win32/designs.h"

#include <iterator>
#include <stdexcept>

#include "ui/win32/resource_ids.h"

namespace tianti::win32 {

namespace {

using ui::Ctl;
using ui::Win;
using K = ControlKind;

constexpr FontStyle kWindowFont{105, false, false};
constexpr FontStyle k9{90, false, false};
constexpr FontStyle k9Bold{90, true, false};
constexpr FontStyle k12{120, false, false};
constexpr FontStyle k12Bold{120, true, false};
constexpr FontStyle kLinkFont{105, false, true};
constexpr FontStyle kNone{105, false, false};  // controls that draw no text

constexpr Colour kOrange = Rgb(255, 128, 0);
constexpr Colour kYellow = Rgb(255, 255, 0);
constexpr Colour kCyan = Rgb(0, 255, 255);

// The main window, in the order of its layout table.
constexpr ControlDesign kForm1Controls[] = {
    // id            kind              frame  caption           left   top    width  height font      back  flags tab
    {Ctl::Picture1, K::kPictureBox, false, L"", 120, 120, 780, 780, kNone, kDefaultColour, 0, 1},
    {Ctl::Label1, K::kLabel, false, L"", 960, 240, 5535, 495, k12Bold, kDefaultColour, 0, 2},
    {Ctl::Frame1, K::kFrame, false, L"查询", 120, 960, 7935, 1215, kWindowFont, kDefaultColour, 0, 11},
    {Ctl::Label5, K::kLabel, true, L"主：", 120, 360, 495, 255, kWindowFont, kDefaultColour, 0, 22},
    {Ctl::Text1, K::kTextBox, true, L"", 480, 240, 2055, 405, k12, kOrange, 0, 20},
    {Ctl::Label3, K::kLabel, true, L"与：", 2640, 360, 495, 255, kWindowFont, kDefaultColour, 0, 24},
    {Ctl::Text2, K::kTextBox, true, L"", 3000, 240, 3495, 375, k9, kYellow, 0, 19},
    {Ctl::Command2, K::kColourButton, true, L"查询&S", 6600, 240, 1215, 495, k9Bold, kOrange, 0, 21},
    {Ctl::Option1, K::kOption, true, L"ALL", 120, 720, 615, 375, k9, kDefaultColour, 0, 15},
    {Ctl::Option2, K::kOption, true, L"CPU", 960, 720, 615, 375, k9, kDefaultColour, 0, 14},
    {Ctl::Option3, K::kOption, true, L"GPU", 1800, 720, 615, 375, k9, kDefaultColour, 0, 13},
    {Ctl::Label4, K::kLabel, true, L"或：", 2640, 840, 495, 255, kWindowFont, kDefaultColour, 0, 23},
    {Ctl::Text5, K::kTextBox, true, L"", 3000, 720, 1455, 375, k9, kCyan, 0, 18},
    {Ctl::Text6, K::kTextBox, true, L"", 4560, 720, 975, 375, k9, kCyan, 0, 17},
    {Ctl::Text7, K::kTextBox, true, L"", 5640, 720, 855, 375, k9, kCyan, 0, 16},
    {Ctl::Command3, K::kColourButton, true, L"重置&R", 6600, 840, 1215, 255, k9, SystemColour(COLOR_ACTIVEBORDER), 0,
     12},
    {Ctl::Text8, K::kTextBox, false, L"", 120, 2280, 7935, 7455, k12, kDefaultColour,
     kMultiLine | kVerticalScrollBar | kReadOnly, 5},
    {Ctl::Command6, K::kButton, false, L"本机&CPU型号", 8160, 1080, 1455, 855, kWindowFont, kDefaultColour, 0, 10},
    {Ctl::Label2, K::kLabel, false, L"", 8160, 2160, 1335, 255, kWindowFont, kDefaultColour, 0, 9},
    {Ctl::Text9, K::kTextBox, false, L"", 8160, 2520, 1455, 2295, k9, kDefaultColour,
     kMultiLine | kHorizontalScrollBar | kReadOnly, 8},
    {Ctl::Label6, K::kLabel, false, L"GeekBench", 8160, 4920, 1335, 255, kLinkFont, kDefaultColour, kLink, 26},
    {Ctl::Label7, K::kLabel, false, L"鲁大师", 8160, 5280, 1335, 255, kLinkFont, kDefaultColour, kLink, 27},
    {Ctl::Label8, K::kLabel, false, L"太平洋网", 8160, 5640, 1335, 255, kLinkFont, kDefaultColour, kLink, 28},
    {Ctl::Label9, K::kLabel, false, L"微软", 8160, 6000, 1335, 255, kLinkFont, kDefaultColour, kLink, 29},
    {Ctl::Command7, K::kButton, false, L"作者的&NB", 8160, 6360, 1455, 615, kWindowFont, kDefaultColour, 0, 25},
    {Ctl::Command5, K::kButton, false, L"PUB&G配置", 8160, 7080, 1455, 615, k9, kDefaultColour, 0, 7},
    {Ctl::Command4, K::kButton, false, L"关于&A", 8160, 7800, 1455, 615, k9, kDefaultColour, 0, 6},
    {Ctl::Command1, K::kColourButton, false, L"退出&Q", 8160, 8520, 1455, 1215, k9, SystemColour(COLOR_HIGHLIGHT), 0,
     0},
    {Ctl::Text3, K::kTextBox, false, L"", 10560, 1440, 1215, 375, k9, kYellow, 0, 3},
    {Ctl::Text4, K::kTextBox, false, L"", 12000, 1440, 1095, 375, k9, kYellow, 0, 4},
};

// The picture windows: the picture box sizes itself to its picture.
constexpr ControlDesign kForm2Controls[] = {
    {Ctl::Form2_Picture1, K::kPictureBox, false, L"", 120, 120, 10560, 5265, kNone, kDefaultColour, 0, 0},
    {Ctl::Form2_Command1, K::kButton, false, L"确定&O", 4800, 5400, 975, 495, k9, kDefaultColour, 0, 1},
};
constexpr ControlDesign kForm3Controls[] = {
    {Ctl::Form3_Picture1, K::kPictureBox, false, L"", 120, 120, 8865, 11460, kNone, kDefaultColour, 0, 0},
    {Ctl::Form3_Command1, K::kButton, false, L"确定&O", 4080, 11640, 975, 495, k9, kDefaultColour, 0, 1},
};

constexpr FormDesign kForms[] = {
    {Win::Form1, L"Form1", 9705, 9855, true, 0, kForm1Controls, std::size(kForm1Controls)},
    {Win::Form2, L"PUBG配置", 10740, 5985, false, IDR_FORM2_PICTURE, kForm2Controls, std::size(kForm2Controls)},
    {Win::Form3, L"作者的ThinkPADP53", 9030, 12225, false, IDR_FORM3_PICTURE, kForm3Controls,
     std::size(kForm3Controls)},
};

static_assert(std::size(kForm1Controls) == ui::kForm1ControlCount, "every control of the main window");

}  // namespace

const FormDesign& DesignOf(ui::Win window) { return kForms[static_cast<int>(window)]; }

const ControlDesign& DesignOf(ui::Ctl control) {
  for (const FormDesign& form : kForms) {
    for (std::size_t i = 0; i < form.control_count; ++i) {
      if (form.controls[i].id == control) return form.controls[i];
    }
  }
  throw std::out_of_range("no design for this control");
}

const ControlDesign& FrameOf(ui::Win window) {
  const FormDesign& form = DesignOf(window);
  for (std::size_t i = 0; i < form.control_count; ++i) {
    if (form.controls[i].kind == ControlKind::kFrame) return form.controls[i];
  }
  throw std::out_of_range("the window has no frame");
}

}  // namespace tianti::win32
