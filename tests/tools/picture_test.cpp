// Fitting and scaling pictures down.
#include <gtest/gtest.h>

#include <stb/stb_image_write.h>

#include <cmath>

#include "picture.h"
#include "tool_error.h"

namespace {

RgbaImage Filled(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  RgbaImage image;
  image.width = width;
  image.height = height;
  image.rgba.resize((size_t)width * height * 4);
  for (size_t i = 0; i < image.rgba.size(); i += 4) {
    image.rgba[i] = r;
    image.rgba[i + 1] = g;
    image.rgba[i + 2] = b;
    image.rgba[i + 3] = a;
  }
  return image;
}

const uint8_t* Pixel(const RgbaImage& image, int x, int y) { return &image.rgba[(y * image.width + x) * 4]; }

std::vector<uint8_t> Jpeg(int width, int height, int channels, uint8_t value) {
  std::vector<uint8_t> pixels((size_t)width * height * channels, value), file;
  stbi_write_jpg_to_func(
      [](void* to, void* data, int size) {
        auto* bytes = static_cast<std::vector<uint8_t>*>(to);
        bytes->insert(bytes->end(), (uint8_t*)data, (uint8_t*)data + size);
      },
      &file, width, height, channels, pixels.data(), 95);
  return file;
}

TEST(DecodePicture, JpegInColourAndGreyAndAHostileHuffmanTableRefused) {
  for (int channels : {3, 1}) {
    RgbaImage image = DecodePicture(Jpeg(40, 30, channels, 200), "photo.jpg");
    ASSERT_EQ(40, image.width);
    ASSERT_EQ(30, image.height);
    for (int c = 0; c < 3; c++) EXPECT_NEAR(200, Pixel(image, 17, 11)[c], 2) << channels << " channels";
    EXPECT_EQ(255, Pixel(image, 39, 29)[3]);
  }
  EXPECT_THROW(DecodePicture(Jpeg(400, 300, 3, 9), "photo.jpg", 100000), ToolError) << "too many pixels";
  // A table that claims more than 256 codes, which overran the decoder's own.
  std::vector<uint8_t> file = Jpeg(40, 30, 3, 200);
  size_t table = 0;
  for (size_t i = 0; i + 1 < file.size() && table == 0; i++)
    if (file[i] == 0xFF && file[i + 1] == 0xC4) table = i + 5;
  ASSERT_NE(0u, table);
  for (int i = 0; i < 16; i++) file[table + i] = 99;
  try {
    DecodePicture(file, "photo.jpg");
    ADD_FAILURE() << "decoded";
  } catch (const ToolError& error) {
    EXPECT_EQ(0u, std::string(error.what()).find("cannot read picture photo.jpg: ")) << error.what();
  }
}

TEST(FitWithin, KeepsTheShapeAndNeverGrows) {
  struct Case {
    int width, height, maxWidth, maxHeight, fitWidth, fitHeight;
  } cases[] = {
      {1600, 1200, 320, 240, 320, 240}, {3000, 4000, 320, 240, 180, 240}, {100, 50, 320, 240, 100, 50},
      {320, 240, 320, 240, 320, 240},   {10000, 1, 320, 240, 320, 1},     {1, 10000, 320, 240, 1, 240},
      {2000, 1000, 960, 720, 960, 480}, {641, 481, 640, 480, 640, 480},
  };
  for (const Case& c : cases) {
    int width = 0, height = 0;
    FitWithin(c.width, c.height, c.maxWidth, c.maxHeight, &width, &height);
    EXPECT_EQ(width, c.fitWidth) << c.width << "x" << c.height << " in " << c.maxWidth << "x" << c.maxHeight;
    EXPECT_EQ(height, c.fitHeight) << c.width << "x" << c.height << " in " << c.maxWidth << "x" << c.maxHeight;
  }
}

TEST(ScaleDown, UniformColourStaysExact) {
  for (int value : {0, 1, 17, 128, 254, 255}) {
    RgbaImage scaled = ScaleDown(Filled(97, 61, (uint8_t)value, 255 - value, 77, 255), 13, 9);
    for (int y = 0; y < 9; y++)
      for (int x = 0; x < 13; x++) {
        const uint8_t* p = Pixel(scaled, x, y);
        ASSERT_EQ(p[0], value) << x << "," << y;
        ASSERT_EQ(p[1], 255 - value) << x << "," << y;
        ASSERT_EQ(p[2], 77) << x << "," << y;
        ASSERT_EQ(p[3], 255) << x << "," << y;
      }
  }
}

TEST(ScaleDown, AveragesInLinearLight) {
  // Black and white stripes halve to the grey of half the light, sRGB 188,
  // not the 128 of averaging the coded values.
  RgbaImage stripes = Filled(4, 2, 0, 0, 0, 255);
  for (int y = 0; y < 2; y++)
    for (int x = 1; x < 4; x += 2) std::fill_n(&stripes.rgba[(y * 4 + x) * 4], 3, 255);
  RgbaImage scaled = ScaleDown(stripes, 2, 1);
  EXPECT_EQ(Pixel(scaled, 0, 0)[0], 188);
  EXPECT_EQ(Pixel(scaled, 1, 0)[1], 188);
}

TEST(ScaleDown, WeighsPartlyCoveredPixels) {
  // Three pixels into two: the middle one is split between both.
  RgbaImage row = Filled(3, 1, 0, 0, 0, 255);
  std::fill_n(&row.rgba[0], 3, 255);  // white, black, black
  RgbaImage scaled = ScaleDown(row, 2, 1);
  // Left: 2/3 white, 1/3 black in linear light = 0.6667 -> sRGB 213.
  EXPECT_EQ(Pixel(scaled, 0, 0)[0], 213);
  EXPECT_EQ(Pixel(scaled, 1, 0)[0], 0);
}

TEST(ScaleDown, TransparentPixelsLendNoColour) {
  RgbaImage pair = Filled(2, 1, 255, 0, 0, 0);  // transparent red
  uint8_t blue[4] = {0, 0, 255, 255};
  std::copy(blue, blue + 4, &pair.rgba[4]);
  RgbaImage scaled = ScaleDown(pair, 1, 1);
  const uint8_t* p = Pixel(scaled, 0, 0);
  EXPECT_EQ(p[0], 0);
  EXPECT_EQ(p[2], 255);
  EXPECT_EQ(p[3], 128);
}

}  // namespace
