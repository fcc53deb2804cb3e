// The committed pictures and program icon, checked byte by byte: the format
// the picture windows and the resource script rely on.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> ReadFile(const std::string& name) {
  std::ifstream in(std::string(TIANTI_RESOURCES_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

unsigned Be16(const std::vector<std::uint8_t>& b, std::size_t at) { return b.at(at) << 8 | b.at(at + 1); }
unsigned Le16(const std::vector<std::uint8_t>& b, std::size_t at) { return b.at(at) | b.at(at + 1) << 8; }
std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return Le16(b, at) | static_cast<std::uint32_t>(Le16(b, at + 2)) << 16;
}

struct JpegFrame {
  bool jfif_first = false;  // APP0 "JFIF" directly after SOI
  std::set<unsigned> markers;
  unsigned sof = 0, precision = 0, height = 0, width = 0, components = 0;
  bool ends_with_eoi = false;
};

// Walks the marker segments up to the start of the scan.
JpegFrame ParseJpeg(const std::vector<std::uint8_t>& b) {
  JpegFrame f;
  if (b.size() < 4 || Be16(b, 0) != 0xFFD8) return f;
  f.ends_with_eoi = Be16(b, b.size() - 2) == 0xFFD9;
  std::size_t at = 2;
  while (at + 4 <= b.size() && b[at] == 0xFF) {
    unsigned marker = Be16(b, at);
    unsigned length = Be16(b, at + 2);
    f.markers.insert(marker);
    if (at == 2 && marker == 0xFFE0) {
      f.jfif_first = std::string(b.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                 b.begin() + static_cast<std::ptrdiff_t>(at + 9)) == std::string("JFIF\0", 5);
    }
    if (marker >= 0xFFC0 && marker <= 0xFFCF && marker != 0xFFC4 && marker != 0xFFC8 && marker != 0xFFCC) {
      f.sof = marker;
      f.precision = b.at(at + 4);
      f.height = Be16(b, at + 5);
      f.width = Be16(b, at + 7);
      f.components = b.at(at + 9);
    }
    if (marker == 0xFFDA) break;
    at += 2 + length;
  }
  return f;
}

void ExpectBaselineJfif(const char* name, unsigned width, unsigned height) {
  SCOPED_TRACE(name);
  std::vector<std::uint8_t> bytes = ReadFile(name);
  ASSERT_GT(bytes.size(), 2000u);
  JpegFrame f = ParseJpeg(bytes);
  EXPECT_TRUE(f.jfif_first);
  EXPECT_EQ(f.sof, 0xFFC0u);  // baseline DCT, not progressive (0xFFC2)
  EXPECT_EQ(f.markers.count(0xFFC2), 0u);
  EXPECT_EQ(f.precision, 8u);
  EXPECT_EQ(f.width, width);
  EXPECT_EQ(f.height, height);
  EXPECT_EQ(f.components, 3u);
  EXPECT_EQ(f.markers.count(0xFFDA), 1u);
  EXPECT_EQ(f.markers.count(0xFFE1), 0u);  // stripped: no Exif
  EXPECT_EQ(f.markers.count(0xFFE2), 0u);  // no ICC profile
  EXPECT_EQ(f.markers.count(0xFFEE), 0u);  // no Adobe segment
  EXPECT_TRUE(f.ends_with_eoi);
}

TEST(Pictures, BaselineJfifOfTheWindowSizes) {
  ExpectBaselineJfif("form2.jpg", 700, 347);
  ExpectBaselineJfif("form3.jpg", 587, 760);
}

TEST(ProgramIcon, OneImage48x48With256ColourPalette) {
  std::vector<std::uint8_t> b = ReadFile("tianti.ico");
  ASSERT_GE(b.size(), 22u);
  EXPECT_EQ(Le16(b, 0), 0u);  // reserved
  EXPECT_EQ(Le16(b, 2), 1u);  // icon
  ASSERT_EQ(Le16(b, 4), 1u);  // one image
  // Directory entry.
  EXPECT_EQ(b[6], 48u);
  EXPECT_EQ(b[7], 48u);
  EXPECT_EQ(b[8], 0u);  // 0 means 256 colours
  EXPECT_EQ(b[9], 0u);
  EXPECT_EQ(Le16(b, 10), 1u);  // planes
  EXPECT_EQ(Le16(b, 12), 8u);  // bits per pixel
  const std::uint32_t size = Le32(b, 14), offset = Le32(b, 18);
  const std::uint32_t palette = 256 * 4, pixels = 48 * 48, mask = 48 * 8;  // mask rows padded to 32 bits
  ASSERT_EQ(offset, 22u);
  ASSERT_EQ(size, 40 + palette + pixels + mask);
  ASSERT_EQ(b.size(), offset + size);
  // The image: a BITMAPINFOHEADER of twice the height (colour and mask).
  EXPECT_EQ(Le32(b, offset), 40u);
  EXPECT_EQ(Le32(b, offset + 4), 48u);
  EXPECT_EQ(Le32(b, offset + 8), 96u);
  EXPECT_EQ(Le16(b, offset + 12), 1u);
  EXPECT_EQ(Le16(b, offset + 14), 8u);
  EXPECT_EQ(Le32(b, offset + 16), 0u);                                    // BI_RGB
  EXPECT_TRUE(Le32(b, offset + 32) == 0 || Le32(b, offset + 32) == 256);  // colours used
  // A picture, not a blank: several palette entries in use, most pixels opaque.
  const std::size_t xor_at = offset + 40 + palette, and_at = xor_at + pixels;
  std::set<std::uint8_t> used(b.begin() + static_cast<std::ptrdiff_t>(xor_at),
                              b.begin() + static_cast<std::ptrdiff_t>(and_at));
  EXPECT_GE(used.size(), 8u);
  std::size_t transparent = 0;
  for (std::size_t y = 0; y < 48; ++y)
    for (std::size_t x = 0; x < 48; ++x) transparent += (b[and_at + y * 8 + x / 8] >> (7 - x % 8)) & 1;
  EXPECT_LT(transparent, 48u * 48u / 4);
}

}  // namespace
