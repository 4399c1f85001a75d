// The committed pictures have exactly the formats the program file carries:
// a 32 x 32 icon of 8 bits per pixel with a palette and a mask, and a
// 340 x 180 bitmap of 8 bits per pixel, 256 colours, uncompressed, bottom-up.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> Load(const std::string& name) {
  std::ifstream in(std::string(HALVANE_SOURCE_DIR) + "/resources/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U16(const std::vector<std::uint8_t>& d, std::size_t at) {
  return d.at(at) | (d.at(at + 1) << 8);
}
std::int32_t I32(const std::vector<std::uint8_t>& d, std::size_t at) {
  return static_cast<std::int32_t>(U16(d, at) | (U16(d, at + 2) << 16));
}

TEST(Resources, SplashIsAn8BitBottomUpBitmapWithAFullPalette) {
  const std::vector<std::uint8_t> bmp = Load("splash.bmp");
  ASSERT_GT(bmp.size(), 54u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(static_cast<std::size_t>(I32(bmp, 2)), bmp.size());
  EXPECT_EQ(I32(bmp, 14), 40);   // BITMAPINFOHEADER
  EXPECT_EQ(I32(bmp, 18), 340);  // width
  EXPECT_EQ(I32(bmp, 22), 180);  // positive height: rows bottom to top
  EXPECT_EQ(U16(bmp, 26), 1u);   // planes
  EXPECT_EQ(U16(bmp, 28), 8u);   // bits per pixel
  EXPECT_EQ(I32(bmp, 30), 0);    // BI_RGB, uncompressed
  const std::int32_t used = I32(bmp, 46);
  EXPECT_TRUE(used == 0 || used == 256);
  EXPECT_EQ(I32(bmp, 10), 14 + 40 + 256 * 4);  // the pixels follow the full palette
  EXPECT_EQ(bmp.size(), 14u + 40 + 256 * 4 + 340u * 180);
  // White paper with blue lines.
  std::size_t white = 0, blue = 0;
  const std::size_t palette = 54;
  for (std::size_t i = I32(bmp, 10); i < bmp.size(); ++i) {
    const std::uint8_t* c = &bmp[palette + bmp[i] * 4];  // B, G, R
    if (c[0] > 240 && c[1] > 240 && c[2] > 240)
      ++white;
    if (c[0] > 120 && c[2] < 100)
      ++blue;
  }
  EXPECT_GT(white, 340u * 180 / 2);
  EXPECT_GT(blue, 1000u);
}

TEST(Resources, IconIsOne32By32ImageWithPaletteAndMask) {
  const std::vector<std::uint8_t> ico = Load("MAINICON.ico");
  ASSERT_GT(ico.size(), 22u);
  EXPECT_EQ(U16(ico, 0), 0u);
  EXPECT_EQ(U16(ico, 2), 1u);  // an icon
  ASSERT_EQ(U16(ico, 4), 1u);  // one image
  EXPECT_EQ(ico[6], 32);
  EXPECT_EQ(ico[7], 32);
  EXPECT_EQ(U16(ico, 12), 8u);  // bits per pixel
  const std::size_t size = static_cast<std::size_t>(I32(ico, 14));
  const std::size_t at = static_cast<std::size_t>(I32(ico, 18));
  ASSERT_EQ(at + size, ico.size());
  EXPECT_EQ(I32(ico, at), 40);
  EXPECT_EQ(I32(ico, at + 4), 32);
  EXPECT_EQ(I32(ico, at + 8), 64);  // colour image and mask
  EXPECT_EQ(U16(ico, at + 14), 8u);
  EXPECT_EQ(I32(ico, at + 16), 0);
  // Header, 256-colour palette, 32 x 32 indices, 32 rows of 4 mask bytes.
  EXPECT_EQ(size, 40u + 256 * 4 + 32 * 32 + 32 * 4);
  const std::size_t mask = at + 40 + 256 * 4 + 32 * 32;
  std::size_t transparent = 0;
  for (std::size_t i = mask; i < ico.size(); ++i) {
    for (int bit = 0; bit < 8; ++bit)
      transparent += (ico[i] >> bit) & 1;
  }
  EXPECT_GT(transparent, 0u) << "the corners are transparent";
  EXPECT_LT(transparent, 32u * 32 / 2);
}

}  // namespace
