// Turning RGBA into a palette picture with an optional transparent key.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "quantise.h"
#include "runtime_reader.h"
#include "tool_error.h"

namespace {

// A picture with `colours` different opaque colours, and, when holes is set,
// a transparent border and a transparent pixel in every 7th place.
RgbaImage Picture(int width, int height, int colours, bool holes) {
  RgbaImage image;
  image.width = width;
  image.height = height;
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      int i = (x + y * width) % colours;
      bool hole = holes && (x == 0 || y == 0 || x == width - 1 || y == height - 1 || (x * 3 + y) % 7 == 0);
      uint8_t alpha = hole ? (uint8_t)((x + y) % kOpaqueFrom) : (uint8_t)(kOpaqueFrom + (x * y) % 128);
      image.rgba.insert(image.rgba.end(), {(uint8_t)(i * 37), (uint8_t)(i * 11 + 3), (uint8_t)(255 - i), alpha});
    }
  }
  return image;
}

bool Transparent(const RgbaImage& image, size_t i) { return image.rgba[i * 4 + 3] < kOpaqueFrom; }

void ExpectKeyCoversExactlyTheTransparentPixels(const RgbaImage& image, const QuantisedPicture& q) {
  ASSERT_GE(q.transparentIndex, 0);
  for (size_t i = 0; i < q.picture.indices.size(); i++)
    ASSERT_EQ(q.picture.indices[i] == q.transparentIndex, Transparent(image, i)) << "pixel " << i;
}

TEST(Quantise, FewColoursAreKeptExactly) {
  RgbaImage image = Picture(40, 30, 200, false);
  QuantisedPicture q = Quantise(image, QuantiseSettings());
  EXPECT_TRUE(q.exact);
  EXPECT_EQ(q.transparentIndex, -1);
  EXPECT_EQ(q.coloursUsed, 200);
  for (size_t i = 0; i < q.picture.indices.size(); i++) {
    const Rgb& c = q.picture.palette[q.picture.indices[i]];
    ASSERT_EQ(c, (Rgb{image.rgba[i * 4], image.rgba[i * 4 + 1], image.rgba[i * 4 + 2]})) << "pixel " << i;
  }
}

TEST(Quantise, TransparentPixelsShareTheKey) {
  for (int colours : {50, 255, 256, 4000}) {
    SCOPED_TRACE(std::to_string(colours) + " colours");
    RgbaImage image = Picture(90, 70, colours, true);
    QuantisedPicture q = Quantise(image, QuantiseSettings());
    EXPECT_EQ(q.exact, colours <= 255);
    ExpectKeyCoversExactlyTheTransparentPixels(image, q);
    EXPECT_LE(q.coloursUsed, 256);
  }
}

TEST(Quantise, KeyIndexMovesTheTransparentColour) {
  RgbaImage image = Picture(30, 20, 600, true);
  QuantisedPicture automatic = Quantise(image, QuantiseSettings());
  for (int index : {0, 7, 255}) {
    QuantiseSettings settings;
    settings.key = KeyMode::kIndex;
    settings.keyIndex = index;
    QuantisedPicture q = Quantise(image, settings);
    EXPECT_EQ(q.transparentIndex, index);
    ExpectKeyCoversExactlyTheTransparentPixels(image, q);
    for (size_t i = 0; i < q.picture.indices.size(); i++)
      ASSERT_EQ(q.picture.palette[q.picture.indices[i]], automatic.picture.palette[automatic.picture.indices[i]])
          << "pixel " << i << " changed colour";
  }
}

TEST(Quantise, WithoutKeyTransparencyShowsTheMatte) {
  RgbaImage image = Picture(20, 20, 10, true);
  for (size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = image.rgba[i] < kOpaqueFrom ? 0 : 255;
  image.rgba[3] = 0;  // pixel 0: fully transparent
  QuantiseSettings settings;
  settings.key = KeyMode::kNone;
  settings.matte = {10, 200, 30};
  QuantisedPicture q = Quantise(image, settings);
  EXPECT_EQ(q.transparentIndex, -1);
  EXPECT_EQ(q.picture.palette[q.picture.indices[0]], (Rgb{10, 200, 30}));
}

TEST(Quantise, ManyColoursStayClose) {
  RgbaImage image;
  image.width = 128;
  image.height = 96;
  for (int y = 0; y < 96; y++)
    for (int x = 0; x < 128; x++)
      image.rgba.insert(image.rgba.end(), {(uint8_t)(x * 2), (uint8_t)(y * 2 + x / 4), (uint8_t)(255 - y - x), 255});
  for (bool dither : {false, true}) {
    QuantiseSettings settings;
    settings.dither = dither;
    QuantisedPicture q = Quantise(image, settings);
    EXPECT_FALSE(q.exact);
    double error = 0;
    for (size_t i = 0; i < q.picture.indices.size(); i++) {
      const Rgb& c = q.picture.palette[q.picture.indices[i]];
      error += std::abs(c.red - image.rgba[i * 4]) + std::abs(c.green - image.rgba[i * 4 + 1]) +
               std::abs(c.blue - image.rgba[i * 4 + 2]);
    }
    EXPECT_LT(error / (3.0 * q.picture.indices.size()), 4.0) << (dither ? "dithered" : "plain");
  }
}

TEST(Quantise, UnusedEntriesAndTheKeyAreBlack) {
  // One colour and transparency: the darkest-entry background must
  // not be the picture's only colour.
  RgbaImage image = Picture(16, 16, 1, true);
  QuantisedPicture q = Quantise(image, QuantiseSettings());
  EXPECT_EQ(q.coloursUsed, 2);
  for (int i = 0; i < 256; i++) {
    bool used = std::find(q.picture.indices.begin(), q.picture.indices.end(), i) != q.picture.indices.end();
    if (!used || i == q.transparentIndex) EXPECT_EQ(q.picture.palette[i], Rgb()) << "entry " << i;
  }
  EXPECT_EQ(q.picture.palette[PickDarkestAsRuntime(q.picture.palette)], Rgb());
}

TEST(Quantise, Refusals) {
  RgbaImage clear = Picture(8, 8, 3, false);
  for (size_t i = 3; i < clear.rgba.size(); i += 4) clear.rgba[i] = 0;
  EXPECT_THROW(Quantise(clear, QuantiseSettings()), ToolError);
  QuantiseSettings index;
  index.key = KeyMode::kIndex;
  index.keyIndex = 4;
  EXPECT_THROW(Quantise(Picture(8, 8, 3, false), index), ToolError);
}

TEST(NearestUsedEntry, SkipsTheKeyAndUnusedEntries) {
  IndexedPicture picture;
  picture.width = 3;
  picture.height = 1;
  picture.indices = {1, 2, 3};
  picture.palette[0] = {24, 24, 24};    // unused
  picture.palette[1] = {0, 0, 0};       // the key
  picture.palette[2] = {30, 30, 30};
  picture.palette[3] = {200, 200, 200};
  EXPECT_EQ(NearestUsedEntry(picture, 1, {24, 24, 24}), 2);
  EXPECT_EQ(NearestUsedEntry(picture, -1, {0, 0, 0}), 1);
  EXPECT_EQ(NearestUsedEntry(picture, 1, {180, 190, 255}), 3);
}

}  // namespace
