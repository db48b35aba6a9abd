// The palette loader and the darkest-entry rule.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "image/palette.h"
#include "tests/image/gif_test_support.h"

namespace {

struct Palette {
  PALETTEENTRY entries[256];
  explicit Palette(uint8_t flags = 0) {
    for (int i = 0; i < 256; i++) entries[i] = {0x11, 0x22, 0x33, flags};
  }
};

int Load(const Bytes& gif, Palette* palette) {
  SaverFile file(gif);
  int filesBefore = OpenFileCount();
  int result = LoadGifPalette(file.path(), palette->entries, file.offset());
  EXPECT_EQ(OpenFileCount(), filesBefore) << "the palette loader left a file open";
  return result;
}

// Entries 0..count-1 have the colours of GifBuilder::Table(.., seed), the rest are black.
void ExpectTable(const Palette& palette, int count, int seed, uint8_t flags = 0) {
  for (int i = 0; i < 256; i++) {
    uint8_t rgb[3] = {0, 0, 0};
    if (i < count) GifBuilder::TableColor(i, seed, rgb);
    const PALETTEENTRY& e = palette.entries[i];
    ASSERT_EQ(std::vector<int>({e.peRed, e.peGreen, e.peBlue, e.peFlags}),
              std::vector<int>({rgb[0], rgb[1], rgb[2], flags}))
        << "entry " << i;
  }
}

Bytes Stream() { return LzwEncode(Bytes(12, 1), 2); }

}  // namespace

TEST(GifPalette, FullGlobalTableFillsEveryEntryAndNoFlags) {
  Bytes gif = GifBuilder().Header("87a", 4, 3, 0xF7).Table(256, 3).Image(4, 3, 0).CodeSize(2).Data(Stream())
                  .Trailer().bytes();
  Palette palette;
  EXPECT_EQ(Load(gif, &palette), 0);
  ExpectTable(palette, 256, 3);
  Palette flagged(0x5A);
  EXPECT_EQ(Load(gif, &flagged), 0);
  ExpectTable(flagged, 256, 3, 0x5A);
}

TEST(GifPalette, ShortTableLeavesTheOtherEntriesBlack) {
  for (int bits = 1; bits <= 7; bits++) {
    SCOPED_TRACE(std::to_string(1 << bits) + " colours");
    // Bytes that are not colours follow the table: an extension and the image.
    Bytes gif = GifBuilder().Header("89a", 4, 3, 0xF0 | (bits - 1)).Table(1 << bits, bits)
                    .Extension(0xFE, {Bytes(200, 0x77)}).Image(4, 3, 0).CodeSize(2).Data(Stream()).Trailer().bytes();
    Palette palette;
    EXPECT_EQ(Load(gif, &palette), 0);
    ExpectTable(palette, 1 << bits, bits);
  }
}

TEST(GifPalette, LocalTableIsThePalette) {
  struct Case {
    const char* name;
    Bytes gif;
    int count;
  } cases[] = {
      {"local and global",
       GifBuilder().Header("89a", 4, 3, 0xF7).Table(256, 1).Extension(0xFE, {{',', ','}})
           .Image(4, 3, 0x83).Table(16, 5).CodeSize(2).Data(Stream()).Trailer().bytes(), 16},
      {"local only",
       GifBuilder().Header("89a", 4, 3, 0x07).Image(4, 3, 0xC7).Table(256, 5).CodeSize(2).Data(Stream())
           .Trailer().bytes(), 256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Palette palette;
    EXPECT_EQ(Load(c.gif, &palette), 0);
    ExpectTable(palette, c.count, 5);
  }
}

TEST(GifPalette, NoColourTableGivesAGreyRampOverTheCodeValues) {
  struct Case {
    int minCodeSize;
    std::vector<int> greys;
  } cases[] = {{2, {0, 85, 170, 255}}, {3, {0, 36, 72, 109, 145, 182, 218, 255}}};
  for (const Case& c : cases) {
    SCOPED_TRACE("minimum code size " + std::to_string(c.minCodeSize));
    Bytes gif = GifBuilder().Header("89a", 4, 3, 0x07).Image(4, 3, 0).CodeSize(c.minCodeSize)
                    .Data(LzwEncode(Bytes(12, 1), c.minCodeSize)).Trailer().bytes();
    Palette palette;
    EXPECT_EQ(Load(gif, &palette), 0);
    for (int i = 0; i < 256; i++) {
      int grey = i < (int)c.greys.size() ? c.greys[(size_t)i] : 0;
      const PALETTEENTRY& e = palette.entries[i];
      ASSERT_EQ(std::vector<int>({e.peRed, e.peGreen, e.peBlue, e.peFlags}), std::vector<int>({grey, grey, grey, 0}))
          << "entry " << i;
    }
  }
  Bytes gif = GifBuilder().Header("89a", 4, 3, 0x00).Image(4, 3, 0).CodeSize(8).Data(LzwEncode(Bytes(12, 1), 8))
                  .Trailer().bytes();
  Palette palette;
  EXPECT_EQ(Load(gif, &palette), 0);
  for (int i = 0; i < 256; i++) ASSERT_EQ(palette.entries[i].peGreen, i) << "entry " << i;
}

TEST(GifPalette, FileEndingEarlyLeavesTheMissingColoursBlack) {
  Bytes gif = GifBuilder().Header("87a", 4, 3, 0xF7).Table(256, 2).bytes();
  struct Case {
    size_t length;
    int complete;
  } cases[] = {{13 + 300, 100}, {13 + 301, 100}, {13 + 302, 100}, {13 + 303, 101}, {13, 0}, {7, 0}, {0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE("file of " + std::to_string(c.length) + " bytes");
    SaverFile file(Bytes(gif.begin(), gif.begin() + (long)c.length), 57741, 0);
    Palette palette;
    EXPECT_EQ(LoadGifPalette(file.path(), palette.entries, file.offset()), 0);
    ExpectTable(palette, c.complete, 2);
  }
}

TEST(GifPalette, MissingFileLeavesTheEntriesAndReturnsTwo) {
  Palette palette(0x44);
  EXPECT_EQ(LoadGifPalette("/nonexistent/voq-no-such-file", palette.entries, 57741), 2);
  for (int i = 0; i < 256; i++) {
    const PALETTEENTRY& e = palette.entries[i];
    ASSERT_EQ(std::vector<int>({e.peRed, e.peGreen, e.peBlue, e.peFlags}),
              std::vector<int>({0x11, 0x22, 0x33, 0x44}))
        << "entry " << i;
  }
}

TEST(GifPalette, DarkestIndex) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, PALETTEENTRY>> entries;  // on a white palette
    int expected;
  } cases[] = {
      {"all white: the last of equal sums", {}, 255},
      {"only entry 0 is black", {{0, {0, 0, 0, 0}}}, 0},
      {"only entry 255 is black", {{255, {0, 0, 0, 0}}}, 255},
      {"unweighted sum: blue 90 is darker than grey 40", {{3, {0, 0, 90, 0}}, {200, {40, 40, 40, 0}}}, 3},
      {"equal smallest sums: the higher index", {{10, {5, 0, 0, 0}}, {20, {0, 0, 5, 0}}, {30, {0, 9, 0, 0}}}, 20},
      {"flags do not count", {{7, {0, 0, 1, 255}}, {9, {1, 0, 0, 0}}}, 9},
      {"flags do not count either way", {{7, {0, 0, 0, 200}}, {9, {0, 0, 1, 0}}}, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PALETTEENTRY palette[256];
    for (auto& e : palette) e = {255, 255, 255, 0};
    for (const auto& entry : c.entries) palette[entry.first] = entry.second;
    backgroundIndex = 77;
    PickDarkestIndex(palette);
    EXPECT_EQ(backgroundIndex, c.expected);
  }
  PALETTEENTRY zero[256];
  memset(zero, 0, sizeof zero);
  PickDarkestIndex(zero);
  EXPECT_EQ(backgroundIndex, 255) << "all-zero palette";
}

TEST(GifPalette, ProgramPaletteStartsAllZero) {
  for (int i = 0; i < 256; i++) {
    const PALETTEENTRY& e = paletteEntries[i];
    ASSERT_EQ(e.peRed | e.peGreen | e.peBlue | e.peFlags, 0) << "entry " << i;
  }
}
