// The resolver against the compiled lists: one table of names as systems and
// people write them, and the row each must resolve to, or none.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "common/utf8.h"
#include "query/resolver.h"

namespace tianti::query {
namespace {

struct Case {
  const char* name;  // UTF-8
  Scope scope;
  // The row's list and its exact description ("G:GeForce RTX 4090"), looked
  // up when the test runs; "" when no single row may answer.
  const char* row;
};

constexpr Scope kAll = Scope::kAll;
constexpr Scope kCpu = Scope::kCpu;
constexpr Scope kGpu = Scope::kGpu;

// Each expected row was chosen by reading data/cpu.txt and data/gpu.txt.
const Case kCases[] = {
    // ---- The PCI ID list (Debian's pci.ids): "Chip [Product]", as --mine
    // reads it on Linux, with and without the vendor's line.
    {"GA102 [GeForce RTX 3080]", kGpu, "G:GeForce RTX 3080"},  // not the 12GB, Ti or Laptop rows
    {"GA106 [GeForce RTX 3060 Lite Hash Rate]", kGpu, "G:GeForce RTX 3060"},
    {"NVIDIA Corporation GA106 [GeForce RTX 3060 Lite Hash Rate]", kAll, "G:GeForce RTX 3060"},
    {"GA106M [GeForce RTX 3060 Mobile / Max-Q]", kGpu, "G:GeForce RTX 3060 Laptop GPU"},
    {"GA106M [GeForce RTX 3050 Ti Mobile / Max-Q]", kGpu, "G:GeForce RTX 3050 Ti Laptop GPU"},
    {"GA107M [GeForce RTX 3050 Mobile]", kGpu, "G:GeForce RTX 3050 Laptop GPU"},  // not 4GB, 6GB, A
    {"GeForce RTX 3070 Mobile / Max-Q", kAll, "G:GeForce RTX 3070 Laptop GPU"},
    {"AD107M [GeForce RTX 4060 Max-Q / Mobile]", kGpu, "G:GeForce RTX 4060 Laptop GPU"},
    {"GN21-X11 [GeForce RTX 4090 Laptop GPU]", kGpu, "G:GeForce RTX 4090 Laptop GPU"},
    {"AD106 [GeForce RTX 4060 Ti]", kGpu, "G:GeForce RTX 4060 Ti"},  // not the 16GB
    {"TU106 [GeForce RTX 2060 Rev. A]", kGpu, "G:GeForce RTX 2060"},
    {"TU106 [GeForce RTX 2060 12GB]", kGpu, "G:GeForce RTX 2060 12GB"},
    {"TU106M [GeForce RTX 2060 Max-Q]", kGpu, "G:GeForce RTX 2060 with Max-Q Design"},
    {"TU106M [GeForce RTX 2060 Mobile]", kGpu, "G:GeForce RTX 2060 (Mobile)"},
    {"TU104M [GeForce RTX 2080 SUPER Mobile / Max-Q]", kGpu, "G:GeForce RTX 2080 Super with Max-Q Design"},
    {"GP102 [GeForce GTX 1080 Ti 10GB]", kGpu, "G:GeForce GTX 1080 Ti"},  // a size no row tells apart
    {"GP106M [GeForce GTX 1060 Mobile Rev. 2]", kGpu, "G:GeForce GTX 1060 (Mobile)"},
    {"GP107M [GeForce GTX 1050 Ti Max-Q]", kGpu, "G:GeForce GTX 1050 Ti with Max-Q Design"},
    {"GP107M [GeForce MX150]", kGpu, "G:GeForce MX150"},
    {"GM107 [GeForce 940MX]", kGpu, "G:GeForce 940MX"},
    {"GK110B [GeForce GTX TITAN Black]", kGpu, "G:GeForce GTX TITAN Black"},
    {"GM206 [GeForce GTX 960]", kGpu, "G:GeForce GTX 960"},  // not 960A, 960M
    {"Vesuvius [Radeon R9 295X2]", kGpu, "G:Radeon R9 295X2"},
    {"Juniper XT [Radeon HD 6770]", kGpu, "G:Radeon HD 6770"},  // not 6770M
    {"R200 [Radeon 9100]", kGpu, ""},                           // not Radeon Pro WX 9100
    {"RS740 [Radeon 2100]", kGpu, ""},                          // not Radeon Pro WX 2100
    {"NV30GL [Quadro FX 2000]", kGpu, ""},                      // not Quadro 2000
    {"GF100GL [Tesla M2070]", kGpu, ""},                        // not Tesla M2070-Q
    {"Thames [Radeon HD 7500M/7600M Series]", kGpu, ""},        // not a pair of cards
    {"Turks [Radeon HD 7600 Series]", kGpu, ""},                // not RX 7600, not "Radeon Ryzen 5 7600", not Barco
    {"Lexington [Radeon HD 6550M]", kGpu, ""},                  // not RX 6550M
    {"GF116M [GeForce GT 560M]", kGpu, ""},                     // not GTX 560M
    {"NV30 [GeForce FX 5800]", kGpu, ""},                       // not Quadro FX 5800
    {"G92 [GeForce 9800 GTX+]", kGpu, "G:GeForce 9800 GTX/9800 GTX+"},  // a combined row, not 9800 GTX
    {"RS780C [Radeon 3100]", kGpu, ""},                                 // not Barco MXRV-3100
    {"Polaris 20 XL [Radeon RX 580 2048SP]", kGpu, "G:Radeon RX 580 2048SP"},
    {"TigerLake-LP GT2 [Iris Xe Graphics]", kGpu, "G:Intel Iris Xe"},  // not Iris Xe MAX
    {"Intel Corporation Alder Lake-UP3 GT2 [Iris Xe Graphics]", kAll, "G:Intel Iris Xe"},
    {"Comet Lake-U GT2 [UHD Graphics 620]", kGpu, "G:Intel UHD Graphics 620"},
    {"HD Graphics 620", kGpu, "G:Intel HD Graphics 620"},
    {"IvyBridge GT2 [HD Graphics 4000]", kAll, ""},           // no HD 4000 row; not Quadro 4000
    {"GM204M [GeForce GTX 960 OEM / 970M]", kGpu, ""},        // two devices
    {"TU117M [GeForce GTX 1650 Mobile / Max-Q]", kGpu, ""},   // a Mobile row and a Max-Q row
    {"TU117M [GeForce GTX 1650 Ti Mobile]", kGpu, ""},        // only the desktop and Max-Q 1650 Ti
    {"TU104GLM [Quadro RTX 4000 Mobile / Max-Q]", kGpu, ""},  // a Mobile row and a Max-Q row
    {"Ellesmere [Radeon RX 470/480/570/570X/580/580X/590]", kGpu, ""},
    {"Advanced Micro Devices, Inc. [AMD/ATI] Navi 31 [Radeon RX 7900 XT/7900 XTX]", kAll, ""},
    {"Vega 10 XL/XT [Radeon RX Vega 56/64]", kGpu, ""},
    {"Comet Lake-U GT2 [UHD Graphics]", kGpu, "G:Intel UHD Graphics"},

    // ---- Names quoted in bug reports and surveys: Windows WMI
    // (Win32_Processor.Name, Win32_VideoController.Name), /proc/cpuinfo and
    // lscpu, OpenGL GL_RENDERER, Vulkan deviceName, browsers' WebGL renderer.
    {"Intel(R) Core(TM) i7-7700 CPU @ 3.60GHz", kAll, "C:Intel Core i7-7700@3.60GHz"},
    {"13th Gen Intel(R) Core(TM) i9-13900K", kAll, "C:Intel Core i9-13900K"},
    {"11th Gen Intel(R) Core(TM) i7-1165G7 @ 2.80GHz", kAll, "C:Intel Core i7-1165G7@2.80GHz"},
    {"Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz", kAll, "C:Intel Core i5-8250U@1.60GHz"},
    {"Intel(R) Core(TM) i5-6260U CPU @ 1.80GHz", kAll, "C:Intel Core i5-6260U@1.80GHz"},
    {"Intel(R) Core(TM) i7-10750H CPU @ 2.60GHz", kAll, "C:Intel Core i7-10750H@2.60GHz"},
    {"Intel(R) Core(TM) i5-10400F CPU @ 2.90GHz", kAll, "C:Intel Core i5-10400F@2.90GHz"},
    {"12th Gen Intel(R) Core(TM) i5-12400F", kAll, "C:Intel Core i5-12400F"},
    {"Intel(R) Core(TM) i7-4790K CPU @ 4.00GHz", kAll, "C:Intel Core i7-4790K@4.00GHz"},
    {"Intel(R) Xeon(R) CPU E5-2680 v4 @ 2.40GHz", kAll, "C:Intel Xeon E5-2680 v4@2.40GHz"},
    {"Intel(R) Xeon(R) CPU E5-2670 0 @ 2.60GHz", kAll, "C:Intel Xeon E5-2670@2.60GHz"},  // "0": v1
    {"Intel(R) Core(TM) i7 CPU X 980 @ 3.33GHz", kAll, "C:Intel Core i7-980X@3.33GHz"},
    {"Intel(R) Pentium(R) CPU G4560 @ 3.50GHz", kAll, "C:Intel Pentium G4560@3.50GHz"},
    {"Intel(R) Xeon(R) Gold 6238 CPU @ 2.10GHz", kAll, "C:Intel Xeon Gold 6238@2.10GHz"},
    {"Intel(R) Core(TM) Ultra 7 155H", kAll, "C:Intel Core Ultra 7 155H"},
    {"AMD Ryzen 9 7950X 16-Core Processor", kAll, "C:AMD Ryzen 9 7950X"},  // not the 7950X3D
    {"AMD Ryzen 5 5600X 6-Core Processor", kAll, "C:AMD Ryzen 5 5600X"},   // not XT, X3D
    {"AMD Ryzen 7 5800X3D 8-Core Processor", kAll, "C:AMD Ryzen 7 5800X3D"},
    {"AMD Ryzen 5 3600 6-Core Processor", kAll, "C:AMD Ryzen 5 3600"},
    {"AMD Ryzen 7 5800H with Radeon Graphics", kAll, "C:AMD Ryzen 7 5800H"},       // not its graphics' row
    {"AMD Ryzen 7 7840HS w/ Radeon 780M Graphics", kAll, "C:AMD Ryzen 7 7840HS"},  // not the PRO
    {"AMD Ryzen Threadripper 3970X 32-Core Processor", kAll, "C:AMD Ryzen Threadripper 3970X"},
    {"AMD Ryzen Threadripper PRO 5995WX 64-Cores", kAll, "C:AMD Ryzen Threadripper PRO 5995WX"},
    {"AMD FX(tm)-8350 Eight-Core Processor", kAll, "C:AMD FX-8350 Eight-Core"},
    {"AMD A10-7850K Radeon R7, 12 Compute Cores 4C+8G", kAll, "C:AMD A10-7850K APU"},
    {"AMD Ryzen 7 7445H with Radeon 740M Graphics", kAll, "C:AMD Ryzen 7 7445H with Radeon 740M Graph"},
    {"AMD Ryzen 7 4980U Microsoft Surface Edition", kAll, "C:AMD Ryzen 7 4980U Microsoft Surface Edit"},
    {"AMD EPYC 7763 64-Core Processor", kAll, "C:AMD EPYC 7763"},
    {"AMD Ryzen AI 9 HX 370 w/ Radeon 890M", kAll, "C:AMD Ryzen AI 9 HX 370"},
    {"Apple M2", kAll, "C:Apple M2 8 Core 3500 MHz"},          // the one M2 row
    {"Apple M1 Pro", kAll, ""},                                // 8-core and 10-core rows
    {"Intel(R) Core(TM)2 Duo CPU E8400 @ 3.00GHz", kAll, ""},  // not in the lists
    {"Intel(R) Xeon(R) Processor", kAll, ""},                  // not the one "Intel Xeon@2.00GHz"
    {"NVIDIA GeForce RTX 4090", kAll, "G:GeForce RTX 4090"},   // not "4090 D" nor "4090 Laptop GPU"
    {"NVIDIA GeForce RTX 4090 Laptop GPU", kAll, "G:GeForce RTX 4090 Laptop GPU"},
    {"NVIDIA GeForce RTX 3070 Laptop GPU", kAll, "G:GeForce RTX 3070 Laptop GPU"},
    {"NVIDIA GeForce RTX 3050 Ti Laptop GPU", kAll, "G:GeForce RTX 3050 Ti Laptop GPU"},
    {"NVIDIA GeForce GTX 1050 Ti", kAll, "G:GeForce GTX 1050 Ti"},
    {"NVIDIA GeForce RTX 3060", kAll, "G:GeForce RTX 3060"},  // not "3060 12GB" nor "3060 8GB"
    {"NVIDIA GeForce RTX 2080 Super with Max-Q Design", kAll, "G:GeForce RTX 2080 Super with Max-Q Design"},
    {"NVIDIA Quadro P4000", kGpu, "G:Quadro P4000"},
    {"NVIDIA RTX PRO 6000 Blackwell Workstation Edition", kAll, "G:RTX PRO 6000 Blackwell Workstation Editi"},
    {"AMD Radeon RX 580 Series", kAll, "G:Radeon RX 580"},  // not "580 2048SP" nor "580X"
    {"AMD Radeon RX 580X", kAll, "G:Radeon RX 580X"},
    {"AMD Radeon RX 6600 XT", kAll, "G:Radeon RX 6600 XT"},
    {"AMD Radeon RX 6500", kAll, "G:Radeon RX 6500"},  // not XT, not 6500M
    {"AMD Radeon 780M Graphics", kAll, "G:Radeon 780M"},
    {"AMD Radeon(TM) Vega 8 Graphics", kAll, "G:Radeon Vega 8"},
    {"AMD Radeon(TM) RX Vega 11 Graphics", kAll, "G:Radeon RX Vega 11"},  // not "...Vega 11 Processor"
    {"AMD Radeon Pro W6800", kAll, "G:Radeon PRO W6800"},
    {"Intel(R) UHD Graphics 620", kAll, "G:Intel UHD Graphics 620"},
    {"Intel(R) HD Graphics 620", kAll, "G:Intel HD Graphics 620"},
    {"Intel(R) Iris(R) Xe Graphics", kAll, "G:Intel Iris Xe"},
    {"Intel(R) Arc(TM) A770 Graphics", kAll, "G:Intel Arc A770"},
    {"ATI Mobility Radeon HD 5870", kAll, "G:移动版 Radeon HD 5870"},
    {"AMD Radeon(TM) Graphics", kAll, ""},                    // any Ryzen's graphics
    {"Intel(R) UHD Graphics", kAll, "G:Intel UHD Graphics"},  // not UHD Graphics 620, 630, ...
    {"Microsoft Basic Display Adapter", kAll, ""},
    {"NVIDIA GeForce RTX 5060 Ti", kAll, ""},  // an 8GB and a 16GB row
    {"AMD Radeon (TM) RX 480 Graphics (POLARIS10, DRM 3.35.0, 5.4.0-70-generic, LLVM 10.0.0)", kAll, "G:Radeon RX 480"},
    {"AMD Radeon RX 6700 XT (navi22, LLVM 15.0.7, DRM 3.54, 6.5.0-1-rt-amd64)", kAll, "G:Radeon RX 6700 XT"},
    {"Mesa Intel(R) Xe Graphics (TGL GT2)", kAll, "G:Intel Iris Xe"},
    {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", kAll, "G:Intel UHD Graphics 620"},
    {"Mesa Intel(R) HD Graphics 630 (KBL GT2)", kAll, "G:Intel HD 630"},  // not UHD 630
    {"Mesa DRI Intel(R) Iris 6100 (Broadwell GT3)", kAll, "G:Intel Iris 6100"},
    {"AMD RAVEN (DRM 3.38.0, 5.8.0-7630-generic, LLVM 11.0.0)", kAll, ""},
    {"llvmpipe (LLVM 20.1.8, 256 bits)", kAll, ""},
    {"NVIDIA GeForce RTX 3060/PCIe/SSE2", kAll, "G:GeForce RTX 3060"},
    {"Quadro 4000/PCIe/SSE2", kAll, "G:Quadro 4000"},  // not 4000M
    {"ANGLE (NVIDIA, NVIDIA GeForce GTX 1060 6GB Direct3D11 vs_5_0 ps_5_0, D3D11)", kAll, "G:GeForce GTX 1060"},
    {"ANGLE (NVIDIA GeForce GTX 750 Direct3D11 vs_5_0 ps_5_0)", kAll, "G:GeForce GTX 750"},  // not Ti
    {"ANGLE (NVIDIA Quadro K600 Direct3D9Ex vs_3_0 ps_3_0)", kAll, "G:Quadro K600"},
    {"ANGLE (NVIDIA GeForce GT 650M Direct3D9Ex vs_3_0 ps_3_0)", kAll, "G:GeForce GT 650M"},
    {"ANGLE (Intel, Intel(R) UHD Graphics 620 (0x00003EA0) Direct3D11 vs_5_0 ps_5_0, D3D11)", kAll,
     "G:Intel UHD Graphics 620"},
    {"ANGLE (Intel(R) Q33 Express Chipset Family (Microsoft Corporation - WDDM 1.0) Direct3D9Ex vs_0_0 ps_2_0)", kAll,
     ""},

    // ---- As buyers type them, on shop pages and Chinese forums.
    {"ryzen 9 7950x", kCpu, "C:AMD Ryzen 9 7950X"},
    {"i9-13900KF", kAll, "C:Intel Core i9-13900KF"},
    {"Core i7 7700", kAll, "C:Intel Core i7-7700@3.60GHz"},
    {"13900K", kAll, "C:Intel Core i9-13900K"},  // not the 13900KS
    {"14900k", kAll, "C:Intel Core i9-14900K"},
    {"9800X3D", kAll, "C:AMD Ryzen 7 9800X3D"},
    {"7800x3d", kAll, "C:AMD Ryzen 7 7800X3D"},
    {"r7 7800x3d", kAll, "C:AMD Ryzen 7 7800X3D"},
    {"R5 5600X", kAll, "C:AMD Ryzen 5 5600X"},
    {"i5 12400f", kAll, "C:Intel Core i5-12400F"},
    {"锐龙7 7800X3D", kAll, "C:AMD Ryzen 7 7800X3D"},
    {"锐龙9 7950X3D处理器", kAll, "C:AMD Ryzen 9 7950X3D"},
    {"酷睿i7 12700K", kAll, "C:Intel Core i7-12700K"},
    {"13代酷睿i5 13400F", kAll, "C:Intel Core i5-13400F"},
    {"至强E5-2680v4", kAll, "C:Intel Xeon E5-2680 v4@2.40GHz"},
    {"至强E5-2666v3", kAll, "C:Intel Xeon E5-2666 v3@2.90GHz"},
    {"奔腾G4560", kAll, "C:Intel Pentium G4560@3.50GHz"},
    {"速龙3000G", kAll, "C:AMD Athlon 3000G"},
    {"线程撕裂者 PRO 5995WX", kAll, "C:AMD Ryzen Threadripper PRO 5995WX"},
    {"4060ti", kAll, "G:GeForce RTX 4060 Ti"},
    {"3060ti", kAll, "G:GeForce RTX 3060 Ti"},
    {"RX6750XT", kAll, "G:Radeon RX 6750 XT"},
    {"rtx4070super", kAll, "G:GeForce RTX 4070 SUPER"},
    {"4070ti super", kAll, "G:GeForce RTX 4070 Ti SUPER"},
    {"7900xtx", kAll, "G:Radeon RX 7900 XTX"},
    {"RTX3060 12G", kAll, "G:GeForce RTX 3060 12GB"},
    {"4060ti 16g", kAll, "G:GeForce RTX 4060 Ti 16GB"},
    {"GTX1660S", kAll, "G:GeForce GTX 1660 SUPER"},
    {"1050ti", kAll, "G:GeForce GTX 1050 Ti"},
    {"A770", kAll, "G:Intel Arc A770"},
    {"RX580 8G", kAll, "G:Radeon RX 580"},
    {"RTX 4060 笔记本", kAll, "G:GeForce RTX 4060 Laptop GPU"},
    {"3060笔记本显卡", kAll, "G:GeForce RTX 3060 Laptop GPU"},
    {"移动端 RTX 4090", kAll, "G:GeForce RTX 4090 Laptop GPU"},
    {"Radeon 780M 核显", kAll, "G:Radeon 780M"},
    {"GeForce RTX 3050 Ti", kAll, "G:GeForce RTX 3050 Ti Laptop GPU"},  // the only 3050 Ti
    {"GeForce RTX 4090 D", kAll, "G:GeForce RTX 4090 D"},
    {"AMD Radeon RX 470", kAll, "G:Radeon RX 470/570"},  // a combined row
    {"Radeon HD 7970", kGpu, "G:Radeon HD 7970 / R9 280X"},
    {"4060", kGpu, "G:GeForce RTX 4060"},
    {"RTX 3050", kGpu, ""},                         // 8GB, 6GB and OEM rows, no plain one
    {"4060ti 12g", kGpu, "G:GeForce RTX 4060 Ti"},  // a size no row has: the plain row
    {"RTX 4080 laptop", kAll, "G:GeForce RTX 4080 Laptop GPU"},
    {"Apple M5 Max 14 Core", kAll, ""},  // only the 18-core M5 Max
    {"Intel HD Graphics 4000", kAll, ""},
    {"Qualcomm Snapdragon 999999", kAll, ""},  // not a cut row's "... Inc. S"
    {"i7", kAll, ""},
    {"3050 显卡", kGpu, ""},

    // ---- Scope and odd input.
    {"AMD Ryzen 5 5600G with Radeon Graphics", kAll, "C:AMD Ryzen 5 5600G"},
    {"AMD Ryzen 5 5600G with Radeon Graphics", kCpu, "C:AMD Ryzen 5 5600G"},
    {"AMD Ryzen 5 5600G with Radeon Graphics", kGpu, "G:Ryzen 5 5600G with Radeon Graphics"},
    {"AMD Ryzen 9 7950X 16-Core Processor", kGpu, "G:Radeon Ryzen 9 7950X 16-Core"},
    {"AMD EPYC", kAll, ""},  // dozens of rows
    {"Radeon RX 6800/6800 XT / 6900 XT", kGpu, ""},
    {"NVIDIA GeForce RTX 4090", kCpu, ""},  // the scope holds no such row
    {"1002:67df", kAll, ""},
    {"", kAll, ""},
    {"(R)(TM) CPU Processor", kAll, ""},
};

// The row a case names, by its list and exact description.
std::optional<ListRow> RowNamed(const char* row) {
  const std::string text(row);
  if (text.size() < 3) return std::nullopt;
  const char16_t list = static_cast<char16_t>(text[0]);
  const std::u16string description = FromUtf8(text.substr(2));
  for (const ListRow& r : RowsAround(*RowAt(list, 1), 100000)) {
    if (r.description == description) return r;
  }
  return std::nullopt;
}

std::string Named(const ListRow& row) {
  return std::string(1, static_cast<char>(row.list)) + ":" + ToUtf8(row.description);
}

TEST(Resolver, CaseTable) {
  for (const Case& c : kCases) {
    if (*c.row) ASSERT_TRUE(RowNamed(c.row)) << "no such row: " << c.row;
    const Resolution r = Resolve(FromUtf8(c.name), c.scope);
    EXPECT_EQ(r.row ? Named(*r.row) : "", c.row) << "name \"" << c.name << "\", scope " << static_cast<int>(c.scope);
    if (r.row) {
      EXPECT_TRUE(r.candidates.empty()) << c.name;
      EXPECT_EQ(RowAt(r.row->list, r.row->rank), r.row) << c.name;
    }
  }
}

TEST(Resolver, NoSingleRowOffersTheClosestRowsBestFitThenRank) {
  const Resolution epyc = Resolve(u"AMD EPYC", Scope::kAll);
  ASSERT_FALSE(epyc.row);
  ASSERT_EQ(epyc.candidates.size(), static_cast<std::size_t>(kMaxCandidates));
  for (std::size_t i = 0; i < epyc.candidates.size(); ++i) {
    EXPECT_EQ(ToUtf8(epyc.candidates[i].description).rfind("AMD EPYC ", 0), 0u);
    if (i > 0) {
      EXPECT_LT(epyc.candidates[i - 1].rank, epyc.candidates[i].rank);
    }
  }
  // Each listed model fits as well as the others; the rows of just the
  // listed models come before rows that add a word.
  const Resolution list = Resolve(u"Radeon RX 470/480/570/570X/580/580X/590", Scope::kGpu);
  ASSERT_FALSE(list.candidates.empty());
  for (const ListRow& row : list.candidates) {
    EXPECT_EQ(ToUtf8(row.description).rfind("Radeon RX ", 0), 0u) << ToUtf8(row.description);
  }
  // A name no row shares a word with has none.
  EXPECT_TRUE(Resolve(u"Microsoft Basic Display Adapter", Scope::kAll).candidates.empty());
}

TEST(Resolver, ReadsNamesAndRowsAlike) {
  EXPECT_EQ(ResolverWords(u"AMD Ryzen 9 7950X 16-Core Processor"),
            (std::vector<std::string>{"ryzen", "9", "7950x", "16core"}));
  EXPECT_EQ(ResolverWords(u"Intel(R) Core(TM)2 Quad CPU Q9550 @ 2.83 GHz"),
            (std::vector<std::string>{"core2", "quad", "q9550", "2.83ghz"}));
  EXPECT_EQ(ResolverWords(u"Intel® Core™ i7-7700"), (std::vector<std::string>{"core", "i7", "7700"}));
  EXPECT_EQ(ResolverWords(u"AMD Ryzen 5 5600G with Radeon Graphics"),
            ResolverWords(u"Ryzen 5 5600G w/ Radeon Graphics"));
}

TEST(Resolver, OddTextResolvesToNothing) {
  std::u16string long_name;
  for (int i = 0; i < 2000; ++i) long_name += u"RTX 4090 " + std::u16string(1, u'0' + i % 10) + u"a ";
  const std::u16string odd[] = {
      long_name,  // more words than are read
      [] {        // each "r7" reads as two words
        std::u16string r7;
        for (int i = 0; i < 60; ++i) r7 += u"r7 1234 ";
        return r7;
      }(),
      std::u16string(5000, u'9'),    // one word longer than any row
      u"\xDC00\xD800 \xD800",        // lone surrogates
      u"w/ w/ w/ with with radeon",  // phrases with nothing after them
      u"+ + . _ # (r) (tm) \u00ae \u2122",
      u"双卡 移动版 华硕",
  };
  for (const std::u16string& name : odd) {
    for (Scope scope : {Scope::kAll, Scope::kCpu, Scope::kGpu}) {
      const Resolution r = Resolve(name, scope);
      EXPECT_FALSE(r.row) << ToUtf8(name.substr(0, 40));
      EXPECT_LE(r.candidates.size(), static_cast<std::size_t>(kMaxCandidates));
    }
  }
}

TEST(Resolver, RowsAroundStopAtTheEndsOfTheList) {
  const ListRow first = *RowAt(u'C', 1);
  const std::vector<ListRow> top = RowsAround(first, 2);
  ASSERT_EQ(top.size(), 3u);
  EXPECT_EQ(top[0], first);
  EXPECT_EQ(top[2].rank, 3);
  const ListRow g5 = *RowAt(u'G', 5);
  EXPECT_EQ(RowsAround(g5, 5).size(), 10u);  // four above, five below
  const int last = static_cast<int>(RowsAround(*RowAt(u'G', 1), 100000).size());
  const ListRow end = *RowAt(u'G', last);
  EXPECT_EQ(RowsAround(end, 1).size(), 2u);
  EXPECT_FALSE(RowAt(u'G', last + 1));
  EXPECT_FALSE(RowAt(u'C', 0));
  EXPECT_EQ(RowsAround(g5, 0), std::vector<ListRow>{g5});
}

}  // namespace
}  // namespace tianti::query

namespace tianti::query {
namespace {

// Every row's own text, in its own list, names that row, unless another row
// of the list has the same text.
TEST(Resolver, EveryRowResolvesToItself) {
  for (char16_t list : {u'C', u'G'}) {
    const std::vector<ListRow> rows = RowsAround(*RowAt(list, 1), 100000);
    std::map<std::u16string_view, int> texts;
    for (const ListRow& row : rows) ++texts[row.description];
    int wrong = 0, checked = 0;
    for (const ListRow& row : rows) {
      if (texts[row.description] > 1) continue;
      ++checked;
      const Resolution r = Resolve(row.description, list == u'C' ? Scope::kCpu : Scope::kGpu);
      if (!r.row || !(*r.row == row)) {
        ++wrong;
        ADD_FAILURE() << ToUtf8(row.description) << " -> "
                      << (r.row ? ToUtf8(r.row->description) : std::string("none"));
      }
    }
    std::printf("self-resolution %c: %d of %d unique rows\n", static_cast<char>(list), checked - wrong, checked);
  }
}

}  // namespace
}  // namespace tianti::query
