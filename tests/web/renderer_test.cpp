// The page's graphics adapter: renderer strings as browsers report them,
// named for the lookup, and the notes where a string names no card.
#include <gtest/gtest.h>

#include <string>

#include "common/utf8.h"
#include "query/resolver.h"
#include "web/renderer.h"

namespace tianti::web {
namespace {

TEST(Renderer, DeviceOfEachBrowsersForm) {
  const struct {
    const char* renderer;
    const char* device;
  } cases[] = {
      // Chrome and Edge on Windows (Direct3D 11 and 9).
      {"ANGLE (NVIDIA, NVIDIA GeForce RTX 4090 Direct3D11 vs_5_0 ps_5_0, D3D11)", "NVIDIA GeForce RTX 4090"},
      {"ANGLE (AMD, AMD Radeon RX 6800 XT (0x000073BF) Direct3D11 vs_5_0 ps_5_0, D3D11)", "AMD Radeon RX 6800 XT"},
      {"ANGLE (Intel, Intel(R) UHD Graphics 620 Direct3D9Ex vs_3_0 ps_3_0, igdumdim64.dll)",
       "Intel(R) UHD Graphics 620"},
      // Chrome on Linux: OpenGL's bus tail, Mesa's driver details.
      {"ANGLE (NVIDIA Corporation, NVIDIA GeForce RTX 3080/PCIe/SSE2, OpenGL 4.5.0 NVIDIA 525.147.05)",
       "NVIDIA GeForce RTX 3080"},
      {"ANGLE (AMD, AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64), OpenGL 4.6)",
       "AMD Radeon RX 580 Series"},
      {"ANGLE (Intel, Mesa Intel(R) UHD Graphics 620 (KBL GT2), OpenGL 4.6)", "Intel(R) UHD Graphics 620"},
      // Chrome on a Mac; Firefox's generalised form; a plain string; spaces.
      {"ANGLE (Apple, ANGLE Metal Renderer: Apple M1 Pro, Unspecified Version)", "Apple M1 Pro"},
      {"ANGLE (NVIDIA, NVIDIA GeForce GTX 980 Direct3D11 vs_5_0 ps_5_0), or similar", "NVIDIA GeForce GTX 980"},
      {"  Adreno (TM) 640  ", "Adreno (TM) 640"},
      {"ANGLE ()", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToUtf8(RendererDevice(FromUtf8(c.renderer))), c.device) << c.renderer;
  }
}

TEST(Renderer, ReportNamesACardOrSaysWhyNot) {
  const struct {
    const char* renderer;
    bool adapter;      // an adapter is reported at all
    const char* name;  // its name to look up; null for none
    const char* note;  // a word of the note; null for no note
  } cases[] = {
      {"ANGLE (NVIDIA, NVIDIA GeForce RTX 4090 Direct3D11 vs_5_0 ps_5_0, D3D11)", true, "NVIDIA GeForce RTX 4090",
       nullptr},
      {"", false, nullptr, "没有提供"},
      {"   ", false, nullptr, "没有提供"},
      {"ANGLE (Google, Vulkan 1.3.0 (SwiftShader Device (Subzero) (0x0000C0DE)), SwiftShader driver)", true, nullptr,
       "软件渲染器"},
      {"llvmpipe (LLVM 15.0.6, 256 bits)", true, nullptr, "软件渲染器"},
      {"Apple GPU", true, nullptr, "隐藏"},
      {"WebKit WebGL", true, nullptr, "隐藏"},
      {"ANGLE (NVIDIA, NVIDIA GeForce GTX 980 Direct3D11 vs_5_0 ps_5_0), or similar", true, "NVIDIA GeForce GTX 980",
       "相近"},
      {"ANGLE ()", true, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.renderer);
    const commands::AdapterReport report = RendererReport(FromUtf8(c.renderer));
    EXPECT_TRUE(report.ok());
    ASSERT_EQ(report.adapters.size(), c.adapter ? 1U : 0U);
    if (c.adapter) {
      const commands::AdapterName& adapter = report.adapters[0];
      EXPECT_EQ(ToUtf8(adapter.reported), c.renderer);
      EXPECT_EQ(adapter.name.has_value(), c.name != nullptr);
      if (c.name && adapter.name) EXPECT_EQ(ToUtf8(*adapter.name), c.name);
    }
    if (c.note) {
      EXPECT_NE(ToUtf8(report.note).find(c.note), std::string::npos) << ToUtf8(report.note);
    } else {
      EXPECT_TRUE(report.note.empty()) << ToUtf8(report.note);
    }
  }
}

// The names found in common renderer strings reach their rows.
TEST(Renderer, NamesResolveToTheirRows) {
  for (const char* renderer : {"ANGLE (NVIDIA, NVIDIA GeForce RTX 4090 Direct3D11 vs_5_0 ps_5_0, D3D11)",
                               "ANGLE (AMD, AMD Radeon RX 7900 XTX Direct3D11 vs_5_0 ps_5_0, D3D11)"}) {
    const query::Resolution r = query::Resolve(RendererDevice(FromUtf8(renderer)), query::Scope::kGpu);
    ASSERT_TRUE(r.row.has_value()) << renderer;
    EXPECT_EQ(r.row->list, u'G');
  }
}

}  // namespace
}  // namespace tianti::web
