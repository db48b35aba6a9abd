// 8-bit BMP writing and reading, against SDL's own BMP code as a second opinion.
#include <SDL.h>
#include <gtest/gtest.h>

#include "bmp.h"
#include "test_support.h"
#include "tool_error.h"

namespace {

TEST(Bmp8, RoundTripsEveryRowPadding) {
  for (int width : {1, 2, 3, 4, 5, 640}) {
    SCOPED_TRACE("width " + std::to_string(width));
    IndexedPicture picture = PatternPicture(width, 3);
    IndexedPicture back = DecodeBmp8(EncodeBmp8(picture));
    EXPECT_EQ(back.width, width);
    EXPECT_EQ(back.height, 3);
    EXPECT_EQ(back.indices, picture.indices);
    EXPECT_EQ(back.palette, picture.palette);
  }
}

TEST(Bmp8, SdlReadsWhatWeWriteAndWeReadWhatSdlWrites) {
  IndexedPicture picture = PatternPicture(37, 11);
  TemporaryFolder folder;
  std::string ours = folder.Path() + "/ours.bmp";
  WriteBytes(ours, EncodeBmp8(picture));
  SDL_Surface* loaded = SDL_LoadBMP(ours.c_str());
  ASSERT_NE(loaded, nullptr) << SDL_GetError();
  ASSERT_EQ(loaded->format->BitsPerPixel, 8);
  for (int y = 0; y < 11; y++)
    for (int x = 0; x < 37; x++)
      ASSERT_EQ(((uint8_t*)loaded->pixels)[y * loaded->pitch + x], picture.indices[y * 37 + x]) << x << "," << y;
  SDL_Color c = loaded->format->palette->colors[200];
  EXPECT_EQ((Rgb{c.r, c.g, c.b}), picture.palette[200]);

  std::string theirs = folder.Path() + "/theirs.bmp";
  ASSERT_EQ(SDL_SaveBMP(loaded, theirs.c_str()), 0) << SDL_GetError();
  SDL_FreeSurface(loaded);
  IndexedPicture back = DecodeBmp8(ReadWholeFile(theirs, "bmp"));
  EXPECT_EQ(back.indices, picture.indices);
  EXPECT_EQ(back.palette, picture.palette);
}

TEST(Bmp8, TopDownRowsAndRefusals) {
  IndexedPicture picture = PatternPicture(4, 2);
  Bytes bmp = EncodeBmp8(picture);
  // Negative height: the rows are stored top row first.
  Bytes topDown = bmp;
  int32_t height = -2;
  for (int i = 0; i < 4; i++) topDown[22 + i] = (uint8_t)((uint32_t)height >> (8 * i));
  size_t pixelsAt = 14 + 40 + 1024;
  std::swap_ranges(topDown.begin() + pixelsAt, topDown.begin() + pixelsAt + 4, topDown.begin() + pixelsAt + 4);
  EXPECT_EQ(DecodeBmp8(topDown).indices, picture.indices);

  Bytes truncated(bmp.begin(), bmp.end() - 1);
  EXPECT_THROW(DecodeBmp8(truncated), ToolError);
  Bytes deeper = bmp;
  deeper[28] = 24;
  EXPECT_THROW(DecodeBmp8(deeper), ToolError);
  EXPECT_THROW(DecodeBmp8(Bytes{'B', 'M'}), ToolError);
}

}  // namespace
