// The painter against itself and against SDL: painting only what changed
// gives the same surface as painting everything, at any target size and
// pixel format, and the rectangles it reports cover every pixel it changed.
#include <SDL.h>
#include <gtest/gtest.h>
#include <string.h>

#include <random>
#include <vector>

#include "frame_paint.h"
#include "platform_internal.h"

namespace {

const int kFrameWidth = 640, kFrameHeight = 480;

struct Surface {
  SDL_Surface* s;
  Surface(int w, int h, Uint32 format) : s(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, format)) {}
  ~Surface() { SDL_FreeSurface(s); }
  Uint32 At(int x, int y) const {
    const BYTE* p = (const BYTE*)s->pixels + y * s->pitch + x * s->format->BytesPerPixel;
    Uint32 v = 0;
    memcpy(&v, p, s->format->BytesPerPixel);
    return v;
  }
  bool SameAs(const Surface& other) const {
    for (int y = 0; y < s->h; y++)
      if (memcmp((BYTE*)s->pixels + y * s->pitch, (BYTE*)other.s->pixels + y * other.s->pitch,
                 (size_t)s->w * s->format->BytesPerPixel) != 0)
        return false;
    return true;
  }
};

struct Painter {
  FramePainter p;
  explicit Painter(SDL_Surface* target) {
    memset(&p, 0, sizeof p);
    SetPaintTarget(&p, target);
  }
  ~Painter() { FreePainter(&p); }
  int Paint(const std::vector<BYTE>& frame, const PALETTEENTRY* palette, const Damage* damage = nullptr) {
    return PaintFrame(&p, frame.data(), kFrameWidth, kFrameWidth, kFrameHeight, palette, damage);
  }
};

std::vector<PALETTEENTRY> Palette(int seed) {
  std::vector<PALETTEENTRY> palette(256);
  for (int i = 0; i < 256; i++) palette[i] = {(BYTE)(i * 7 + seed), (BYTE)(i * 13), (BYTE)(255 - i), 0};
  return palette;
}

bool Inside(const FramePainter& p, int x, int y) {
  for (int i = 0; i < p.rectCount; i++) {
    const SDL_Rect& r = p.rects[i];
    if (x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h) return true;
  }
  return false;
}

TEST(FramePaint, PaintingTheChangesEqualsPaintingTheWholeFrameAtAnySize) {
  struct Size {
    int w, h;
  } sizes[] = {{160, 120}, {1366, 768}, {3840, 2160}, {640, 480}, {641, 479}, {1, 1}};
  std::mt19937 random(11);
  for (const Size& size : sizes) {
    SCOPED_TRACE(testing::Message() << size.w << "x" << size.h);
    std::vector<PALETTEENTRY> palette = Palette(0);
    std::vector<BYTE> frame(kFrameWidth * kFrameHeight);
    for (BYTE& b : frame) b = (BYTE)random();
    Surface shown(size.w, size.h, SDL_PIXELFORMAT_XRGB8888);
    Painter ongoing(shown.s);
    ASSERT_EQ(1, ongoing.Paint(frame, palette.data())) << "the first frame is painted whole";
    EXPECT_EQ(0, ongoing.Paint(frame, palette.data())) << "an unchanged frame paints nothing";
    for (int step = 0; step < 4; step++) {
      // Pictures moved about, as the show moves them; step 3 changes colours.
      for (int n = 0; n < 3; n++) {
        int w = 1 + (int)(random() % 120), h = 1 + (int)(random() % 90);
        int x = (int)(random() % (kFrameWidth - w)), y = (int)(random() % (kFrameHeight - h));
        for (int row = y; row < y + h; row++) memset(&frame[row * kFrameWidth + x], (BYTE)random(), w);
      }
      if (step == 3) palette = Palette(99);
      Surface before(size.w, size.h, SDL_PIXELFORMAT_XRGB8888);
      SDL_BlitSurface(shown.s, nullptr, before.s, nullptr);
      int rects = ongoing.Paint(frame, palette.data());
      Surface whole(size.w, size.h, SDL_PIXELFORMAT_XRGB8888);
      Painter fresh(whole.s);
      fresh.Paint(frame, palette.data());
      ASSERT_TRUE(shown.SameAs(whole)) << "step " << step;
      if (size.w > 1) ASSERT_GT(rects, 0);
      if (step == 3 && size.w > 1) {
        ASSERT_EQ(1, rects) << "a new palette repaints everything";
        EXPECT_EQ(size.w * size.h, ongoing.p.rects[0].w * ongoing.p.rects[0].h);
      }
      long area = 0;
      for (int i = 0; i < rects; i++) area += (long)ongoing.p.rects[i].w * ongoing.p.rects[i].h;
      if (step < 3 && size.w > 1) EXPECT_LT(area, (long)size.w * size.h / 2) << "only the changes";
      for (int y = 0; y < size.h; y++)
        for (int x = 0; x < size.w; x++)
          if (before.At(x, y) != shown.At(x, y)) ASSERT_TRUE(Inside(ongoing.p, x, y)) << x << "," << y;
    }
  }
}

TEST(FramePaint, WithDamageOnlyTheDamageOfBothFramesIsComparedAndPaintedTheSame) {
  std::vector<PALETTEENTRY> palette = Palette(0);
  std::mt19937 random(3);
  Surface shown(1366, 768, SDL_PIXELFORMAT_XRGB8888);
  Painter ongoing(shown.s);
  Damage damage;
  ResetDamage(&damage, 4);
  std::vector<BYTE> frame(kFrameWidth * kFrameHeight, 4);
  ASSERT_EQ(1, ongoing.Paint(frame, palette.data(), &damage));
  for (int step = 0; step < 20; step++) {
    // A frame as the show draws it: the background, then pictures.
    std::fill(frame.begin(), frame.end(), 4);
    ResetDamage(&damage, 4);
    for (int n = 0; n < 1 + step % 5; n++) {
      int w = 1 + (int)(random() % 150), h = 1 + (int)(random() % 100);
      int x = (int)(random() % (kFrameWidth - w)), y = (int)(random() % (kFrameHeight - h));
      for (int row = y; row < y + h; row++) memset(&frame[row * kFrameWidth + x], (BYTE)random(), w);
      AddDamage(&damage, RECT{x, y, x + w, y + h});
    }
    ongoing.Paint(frame, palette.data(), &damage);
    Surface whole(1366, 768, SDL_PIXELFORMAT_XRGB8888);
    Painter fresh(whole.s);
    fresh.Paint(frame, palette.data());
    ASSERT_TRUE(shown.SameAs(whole)) << "step " << step;
  }
  // A pixel changed outside the damage of either frame is not looked at...
  frame[kFrameWidth * kFrameHeight - 1] = 9;
  EXPECT_EQ(0, ongoing.Paint(frame, palette.data(), &damage));
  // ...and is found once nothing is known.
  EXPECT_GT(ongoing.Paint(frame, palette.data(), nullptr), 0);
}

TEST(FramePaint, ScalesByNearestNeighbourBetweenBlackBars) {
  std::vector<PALETTEENTRY> palette = Palette(0);
  palette[0] = {0, 0, 0, 0};
  std::vector<BYTE> frame(kFrameWidth * kFrameHeight);
  for (int i = 0; i < kFrameWidth * kFrameHeight; i++) frame[i] = (BYTE)(1 + i % 250);
  // 1920 x 1080 shows the frame at 1440 x 1080, 2.25 times, with 240-pixel bars.
  Surface screen(1920, 1080, SDL_PIXELFORMAT_ARGB8888);
  SDL_FillRect(screen.s, nullptr, 0x12345678);
  Painter painter(screen.s);
  painter.Paint(frame, palette.data());
  for (int y = 0; y < 1080; y += 7) {
    for (int x = 0; x < 1920; x += 3) {
      Uint32 expected = 0xFF000000u;
      if (x >= 240 && x < 1680) {
        // Target pixel i of n shows frame pixel floor(i * 640 / n).
        int fx = (x - 240) * 640 / 1440, fy = y * 480 / 1080;
        const PALETTEENTRY& e = palette[frame[fy * kFrameWidth + fx]];
        expected |= (Uint32)e.peRed << 16 | (Uint32)e.peGreen << 8 | e.peBlue;
      }
      ASSERT_EQ(expected, screen.At(x, y)) << x << "," << y;
    }
  }
}

TEST(FramePaint, OtherPixelFormatsGetWhatSdlMakesOfTheSame32BitPicture) {
  std::vector<PALETTEENTRY> palette = Palette(5);
  std::vector<BYTE> frame(kFrameWidth * kFrameHeight);
  std::mt19937 random(3);
  for (BYTE& b : frame) b = (BYTE)random();
  for (Uint32 format : {SDL_PIXELFORMAT_RGB565, SDL_PIXELFORMAT_RGB24, SDL_PIXELFORMAT_BGR24,
                        SDL_PIXELFORMAT_ABGR8888}) {
    SCOPED_TRACE(SDL_GetPixelFormatName(format));
    Surface reference(1003, 611, SDL_PIXELFORMAT_XRGB8888), direct(1003, 611, format);
    ASSERT_NE(nullptr, direct.s);
    Painter first(reference.s), second(direct.s);
    first.Paint(frame, palette.data());
    second.Paint(frame, palette.data());
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(reference.s, format, 0);
    ASSERT_NE(nullptr, converted);
    Surface wrapped(0, 0, format);
    SDL_FreeSurface(wrapped.s);
    wrapped.s = converted;
    EXPECT_TRUE(direct.SameAs(wrapped));
  }
}

TEST(ConvertFrameTest, ColoursEveryPixelThroughThePalette) {
  PALETTEENTRY palette[256];
  for (int i = 0; i < 256; i++) palette[i] = {(BYTE)i, (BYTE)(i * 3), (BYTE)(255 - i), (BYTE)7};
  const int width = 5, height = 3;
  const LONG pitch = 8;
  BYTE pixels[pitch * height];
  for (int i = 0; i < pitch * height; i++) pixels[i] = (BYTE)(i * 37);
  const LONG outPitch = 7 * 4;
  std::vector<uint32_t> out(7 * height, 0xDEADBEEF);
  PlatformConvertFrame(pixels, pitch, width, height, palette, out.data(), outPitch);
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < 7; x++) {
      uint32_t got = out[y * 7 + x];
      if (x >= width) {
        EXPECT_EQ(0xDEADBEEFu, got) << "(" << x << "," << y << ") past the row";
        continue;
      }
      const PALETTEENTRY& e = palette[pixels[y * pitch + x]];
      uint32_t expected = 0xFF000000u | (uint32_t)e.peRed << 16 | (uint32_t)e.peGreen << 8 | e.peBlue;
      EXPECT_EQ(expected, got) << "(" << x << "," << y << ")";
    }
  }
}

}  // namespace
