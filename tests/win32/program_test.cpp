// The built program, tianti.exe, started as a child process: the ways of
// ending it, and what the file carries (icon, manifest, version, pictures).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The program's path as built, a Unix path under Wine's drive Z:.
std::wstring ProgramPath() {
  std::string path = TIANTI_EXE;
  std::wstring wide(path.begin(), path.end());
  if (!wide.empty() && wide[0] == L'/') {
    for (auto& c : wide) c = c == L'/' ? L'\\' : c;
    wide = L"Z:" + wide;
  }
  return wide;
}

std::wstring Text(HWND hwnd) {
  wchar_t buffer[256] = {};
  GetWindowTextW(hwnd, buffer, 256);
  return buffer;
}

std::wstring Class(HWND hwnd) {
  wchar_t buffer[64] = {};
  GetClassNameW(hwnd, buffer, 64);
  return buffer;
}

// The child's visible top-level windows.
std::vector<HWND> WindowsOf(DWORD pid) {
  std::pair<DWORD, std::vector<HWND>> found{pid, {}};
  EnumWindows(
      [](HWND hwnd, LPARAM p) {
        auto* f = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == f->first && IsWindowVisible(hwnd)) f->second.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.second;
}

HWND ChildCaptioned(HWND parent, const wchar_t* caption) {
  std::pair<const wchar_t*, HWND> found{caption, nullptr};
  EnumChildWindows(
      parent,
      [](HWND hwnd, LPARAM p) {
        auto* f = reinterpret_cast<std::pair<const wchar_t*, HWND>*>(p);
        if (Text(hwnd) == f->first) f->second = hwnd;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.second;
}

void SendKeys(std::initializer_list<WORD> keys) {
  for (WORD k : keys) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = k;
    SendInput(1, &in, sizeof in);
  }
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = *it;
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &in, sizeof in);
  }
}

class Program {
 public:
  Program() {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    std::wstring command = L"\"" + ProgramPath() + L"\"";
    started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_) != 0;
    if (!started_) return;
    WaitForInputIdle(pi_.hProcess, 30000);
    // Bounded wait for the shown main window (not a speed check).
    for (int i = 0; i < 600 && !main_; ++i) {
      for (HWND w : WindowsOf(pi_.dwProcessId)) {
        if (Class(w) == L"TiantiForm" && Text(w).find(L"CPU/GPU") == 0) main_ = w;
      }
      if (!main_) Sleep(50);
    }
  }
  ~Program() {
    if (started_) {
      if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
      CloseHandle(pi_.hThread);
      CloseHandle(pi_.hProcess);
    }
  }
  bool started() const { return started_; }
  HWND main() const { return main_; }
  DWORD pid() const { return pi_.dwProcessId; }

  // Waits (bounded) for a visible window of the program captioned `caption`.
  HWND WaitForWindow(const wchar_t* caption) {
    for (int i = 0; i < 600; ++i) {
      for (HWND w : WindowsOf(pi_.dwProcessId)) {
        if (Text(w) == caption) return w;
      }
      Sleep(50);
    }
    return nullptr;
  }

  // Waits (bounded) for the process to end; records whether a message box
  // appeared meanwhile. Returns the exit code, or -1 if it did not end.
  long WaitForExit() {
    for (int i = 0; i < 1200; ++i) {
      for (HWND w : WindowsOf(pi_.dwProcessId)) {
        if (Class(w) == L"#32770") prompted_ = true;
      }
      if (WaitForSingleObject(pi_.hProcess, 50) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        return static_cast<long>(code);
      }
    }
    return -1;
  }
  bool prompted() const { return prompted_; }

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
  HWND main_ = nullptr;
  bool prompted_ = false;
};

TEST(ProgramTest, QuitButtonEndsWithExitCodeZeroAndNoPrompt) {
  Program program;
  ASSERT_TRUE(program.started());
  ASSERT_NE(program.main(), nullptr);
  // The window is per-monitor DPI aware (v2 where the system has it).
  EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(program.main())),
            DPI_AWARENESS_PER_MONITOR_AWARE);
  HWND quit = ChildCaptioned(program.main(), L"退出&Q");
  ASSERT_NE(quit, nullptr);
  PostMessageW(quit, BM_CLICK, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
  EXPECT_FALSE(program.prompted());
}

TEST(ProgramTest, ClosingTheWindowEndsTheProgramAlsoWithPictureWindowsOpen) {
  {
    Program program;
    ASSERT_NE(program.main(), nullptr);
    PostMessageW(program.main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0);
    EXPECT_FALSE(program.prompted());
  }
  {
    Program program;
    ASSERT_NE(program.main(), nullptr);
    PostMessageW(ChildCaptioned(program.main(), L"PUB&G配置"), BM_CLICK, 0, 0);
    PostMessageW(ChildCaptioned(program.main(), L"作者的&NB"), BM_CLICK, 0, 0);
    ASSERT_NE(program.WaitForWindow(L"PUBG配置"), nullptr);
    ASSERT_NE(program.WaitForWindow(L"作者的ThinkPADP53"), nullptr);
    // The system menu's Close.
    PostMessageW(program.main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(program.WaitForExit(), 0);
    EXPECT_FALSE(program.prompted());
  }
}

TEST(ProgramTest, KeyboardEndsTheProgram) {
  // Alt+F4.
  {
    Program program;
    ASSERT_NE(program.main(), nullptr);
    SetForegroundWindow(program.main());
    SendKeys({VK_MENU, VK_F4});
    EXPECT_EQ(program.WaitForExit(), 0);
    EXPECT_FALSE(program.prompted());
  }
  // Right after start-up the focus is on Quit: Enter ends the program.
  {
    Program program;
    ASSERT_NE(program.main(), nullptr);
    SetForegroundWindow(program.main());
    SendKeys({VK_RETURN});
    EXPECT_EQ(program.WaitForExit(), 0);
  }
  // Alt+Q.
  {
    Program program;
    ASSERT_NE(program.main(), nullptr);
    SetForegroundWindow(program.main());
    SendKeys({VK_MENU, 'Q'});
    EXPECT_EQ(program.WaitForExit(), 0);
  }
}

TEST(ProgramTest, ClosingAPictureWindowLeavesTheProgramRunning) {
  Program program;
  ASSERT_NE(program.main(), nullptr);
  PostMessageW(ChildCaptioned(program.main(), L"PUB&G配置"), BM_CLICK, 0, 0);
  HWND picture = program.WaitForWindow(L"PUBG配置");
  ASSERT_NE(picture, nullptr);
  PostMessageW(picture, WM_CLOSE, 0, 0);
  for (int i = 0; i < 600 && IsWindow(picture); ++i) Sleep(50);
  EXPECT_FALSE(IsWindow(picture));
  EXPECT_TRUE(IsWindow(program.main()));
  PostMessageW(program.main(), WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
}

// ---- the file ---------------------------------------------------------------------

class ProgramFile : public ::testing::Test {
 protected:
  ProgramFile()
      : module_(LoadLibraryExW(ProgramPath().c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ~ProgramFile() override {
    if (module_) FreeLibrary(module_);
  }
  std::string Resource(int id, LPCWSTR type) {
    HRSRC info = FindResourceW(module_, MAKEINTRESOURCEW(id), type);
    if (!info) return {};
    const char* data = static_cast<const char*>(LockResource(LoadResource(module_, info)));
    return std::string(data, SizeofResource(module_, info));
  }
  HMODULE module_;
};

TEST_F(ProgramFile, CarriesTheManifestIconAndPictures) {
  ASSERT_NE(module_, nullptr);
  const std::string manifest = Resource(1, MAKEINTRESOURCEW(24));
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
  EXPECT_NE(manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos);  // Windows 7
  EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);  // Windows 10, 11

  HICON icon = static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(1), IMAGE_ICON, 48, 48, 0));
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP bm{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 48);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);

  for (int id : {101, 102}) {
    const std::string jpeg = Resource(id, MAKEINTRESOURCEW(10));
    ASSERT_GT(jpeg.size(), 4u) << id;
    EXPECT_EQ(static_cast<unsigned char>(jpeg[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(jpeg[1]), 0xD8);
  }
}

TEST(ProgramVersion, NamesTheProductAndVersion) {
  const std::wstring path = ProgramPath();
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(99, 0));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(2, 0));
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(99, 0));
  auto value = [&](const wchar_t* name) {
    wchar_t* text = nullptr;
    UINT n = 0;
    std::wstring key = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
    if (!VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&text), &n) || !text) return std::wstring();
    return std::wstring(text);
  };
  EXPECT_EQ(value(L"ProductName"), L"tianti");
  EXPECT_EQ(value(L"ProductVersion"), L"0.99a2");
  EXPECT_EQ(value(L"FileVersion"), L"0.99a2");
  EXPECT_EQ(value(L"FileDescription"), L"CPU/GPU性能天梯查询");
  EXPECT_EQ(value(L"OriginalFilename"), L"tianti.exe");
}

}  // namespace
