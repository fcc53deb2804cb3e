// The adapter source's portable parts: naming PCI display devices through
// the PCI ID list, and (on POSIX hosts) reading them from a sysfs tree.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands/adapter.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tianti::commands {
namespace {

// The shape of the list's entries, with real entries of both vendors.
constexpr char kPciIds[] = "#\tList of PCI ID's\n"
                           "#\n"
                           "1002  Advanced Micro Devices, Inc. [AMD/ATI]\n"
                           "\t67df  Ellesmere [Radeon RX 470/480/570/570X/580/580X/590]\n"
                           "\t\t1002 0b37  Radeon RX 480\n"
                           "\t744c  Navi 31 [Radeon RX 7900 XT/7900 XTX/7900 GRE/7900M]\n"
                           "\t67ff  Baffin [Radeon RX 550 640SP / RX 560/560X]\n"
                           "10de  NVIDIA Corporation\n"
                           "\t2684  AD102 [GeForce RTX 4090]\n"
                           "\t1c82  GP107 [GeForce GTX 1050 Ti]\n"
                           "8086  Intel Corporation\n"
                           "\t5917  UHD Graphics 620\n"
                           "\t2684  Not a display device\n"
                           "C 03  Display controller\n"
                           "\t00  VGA compatible controller\n";

TEST(PciIds, FindsTheDeviceUnderItsVendor) {
  EXPECT_EQ(PciIdsDevice(kPciIds, "0x10de", "0x2684"), "AD102 [GeForce RTX 4090]");
  EXPECT_EQ(PciIdsDevice(kPciIds, "8086", "2684"), "Not a display device");
  EXPECT_EQ(PciIdsDevice(kPciIds, "0x1002", "0x67DF\n"), "Ellesmere [Radeon RX 470/480/570/570X/580/580X/590]");
  EXPECT_EQ(PciIdsDevice(kPciIds, "1002", "0b37"), "");  // a subsystem, not a device
  EXPECT_EQ(PciIdsDevice(kPciIds, "1234", "1111"), "");
  EXPECT_EQ(PciIdsDevice(kPciIds, "10de", "00"), "");
}

TEST(PciIds, TheModelInBracketsIsWhatIsLookedUp) {
  EXPECT_EQ(PciModel("AD102 [GeForce RTX 4090]"), "GeForce RTX 4090");
  EXPECT_EQ(PciModel("UHD Graphics 620"), "UHD Graphics 620");
  const std::string list = kPciIds;
  const AdapterName amd = NamePciAdapter("0x1002", "0x67df", &list);
  EXPECT_EQ(amd.name, u"AMD Radeon RX 470/480/570/570X/580/580X/590");  // with the vendor's maker
  EXPECT_EQ(amd.reported, u"1002:67df Ellesmere [Radeon RX 470/480/570/570X/580/580X/590]");
  // Unknown to the list, or no list: the IDs alone.
  EXPECT_EQ(NamePciAdapter("0x1234", "0x1111", &list).name, std::nullopt);
  const AdapterName bare = NamePciAdapter("0x10DE", "0x2684\n", nullptr);
  EXPECT_EQ(bare.name, std::nullopt);
  EXPECT_EQ(bare.reported, u"10de:2684");
}

TEST(AdapterFailureMessage, NamesTheAdapters) {
  EXPECT_EQ(BuildAdapterFailureMessage({u"ExecQuery", 0x80041010, 0}),
            u"无法读取本机显卡型号：ExecQuery 失败 (HRESULT 0x80041010)");
}

#if !defined(_WIN32)
void Write(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  EXPECT_GE(std::fputs(text.c_str(), f), 0) << path;
  EXPECT_EQ(std::fclose(f), 0) << path;
}

TEST(SysfsAdapterSource, DisplayDevicesInAddressOrderNamedByTheFirstListFound) {
  char pattern[] = "/tmp/tianti-sysfs-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string root = pattern;
  const std::string devices = root + "/devices";
  mkdir(devices.c_str(), 0700);
  struct Device {
    const char* address;
    const char* pci_class;
    const char* vendor;
    const char* device;
  };
  for (const Device& d : {Device{"0000:01:00.0", "0x030000\n", "0x10de\n", "0x2684\n"},
                          Device{"0000:00:02.0", "0x030000\n", "0x8086\n", "0x5917\n"},
                          Device{"0000:00:1f.3", "0x040300\n", "0x8086\n", "0x9dc8\n"},  // audio
                          Device{"0000:02:00.0", "0x038000\n", "0x1234\n", "0x1111\n"}}) {
    const std::string dir = devices + "/" + d.address;
    mkdir(dir.c_str(), 0700);
    Write(dir + "/class", d.pci_class);
    Write(dir + "/vendor", d.vendor);
    Write(dir + "/device", d.device);
  }
  Write(root + "/pci.ids", kPciIds);

  const AdapterReport named = SysfsAdapterSource(devices, {root + "/none", root + "/pci.ids"}).Query();
  ASSERT_TRUE(named.ok());
  ASSERT_EQ(named.adapters.size(), 3u);
  EXPECT_EQ(named.adapters[0].name, u"Intel UHD Graphics 620");
  EXPECT_EQ(named.adapters[1].name, u"NVIDIA GeForce RTX 4090");
  EXPECT_EQ(named.adapters[2].name, std::nullopt);
  EXPECT_EQ(named.adapters[2].reported, u"1234:1111");
  EXPECT_TRUE(named.note.empty());

  const AdapterReport bare = SysfsAdapterSource(devices, {root + "/none"}).Query();
  ASSERT_EQ(bare.adapters.size(), 3u);
  EXPECT_EQ(bare.adapters[1].reported, u"10de:2684");
  EXPECT_NE(bare.note.find(u"pci.ids"), std::u16string::npos);

  // No PCI bus at all: no adapters, and no failure.
  const AdapterReport none = SysfsAdapterSource(root + "/no-bus", {}).Query();
  EXPECT_TRUE(none.ok());
  EXPECT_TRUE(none.adapters.empty());
  std::system(("rm -rf '" + root + "'").c_str());
}
#endif

}  // namespace
}  // namespace tianti::commands
