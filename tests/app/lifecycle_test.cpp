// Shut-down: Quit and every close of the main window end the program after
// unloading all windows.
#include <gtest/gtest.h>

#include <vector>

#include "app/form1.h"
#include "ui/memory_services.h"

namespace tianti {
namespace {

using ui::Ctl;
using ui::Win;

// Records the unload requests and counts the ends.
class CountingServices : public ui::MemoryServices {
 public:
  void Unload(Win window) override {
    unloads.push_back(window);
    ui::MemoryServices::Unload(window);
  }
  [[noreturn]] void End() override {
    ++ends;
    ui::MemoryServices::End();
  }
  std::vector<Win> unloads;
  int ends = 0;
};

class LifecycleTest : public ::testing::Test {
 protected:
  LifecycleTest() {
    ui.SetSink(&form);
    form.Form_Load();
  }
  CountingServices ui;
  Form1 form{ui};
};

TEST_F(LifecycleTest, QuitUnloadsEveryWindowAndEnds) {
  form.Click(Ctl::Command5);
  form.Click(Ctl::Command7);
  ASSERT_TRUE(ui.IsLoaded(Win::Form2));
  ASSERT_TRUE(ui.IsLoaded(Win::Form3));
  EXPECT_THROW(form.Click(Ctl::Command1), ui::ProgramEnded);
  EXPECT_TRUE(ui.ended());
  EXPECT_EQ(ui.ends, 1);  // the nested run ended it; the outer one never went on
  EXPECT_FALSE(ui.IsLoaded(Win::Form2));
  EXPECT_FALSE(ui.IsLoaded(Win::Form3));
  // Quit unloads the main window first, and that unload runs the sequence
  // again inside it, which unloads the picture windows.
  ASSERT_FALSE(ui.unloads.empty());
  EXPECT_EQ(ui.unloads.front(), Win::Form1);
}

TEST_F(LifecycleTest, ClosingTheWindowEndsTheProgram) {
  form.Click(Ctl::Command5);
  EXPECT_THROW(ui.Unload(Win::Form1), ui::ProgramEnded);
  EXPECT_TRUE(ui.ended());
  EXPECT_EQ(ui.ends, 1);
  EXPECT_FALSE(ui.IsLoaded(Win::Form2));
}

TEST_F(LifecycleTest, UnloadHandlerCalledDirectlyEnds) {
  std::int16_t cancel = 0;
  EXPECT_THROW(form.Form_Unload(cancel), ui::ProgramEnded);
  EXPECT_EQ(cancel, 0);
  EXPECT_EQ(ui.ends, 1);
}

TEST_F(LifecycleTest, PictureWindowsOpenOnceAndCloseAlone) {
  form.Click(Ctl::Command5);
  form.Click(Ctl::Command5);
  EXPECT_EQ(ui.LoadedWindows(), (std::vector<Win>{Win::Form1, Win::Form2}));
  form.Click(Ctl::Form2_Command1);
  EXPECT_FALSE(ui.IsLoaded(Win::Form2));
  EXPECT_FALSE(ui.ended());  // closing a picture window leaves the program running
}

}  // namespace
}  // namespace tianti
