// The software DirectDraw's screen: flips, locks, and what reaches
// PlatformPresent when.
#include <string.h>

#include <string>

#include "ddraw_test_support.h"
#include "platform_internal.h"

namespace {

BYTE* LockedPointer(LPDIRECTDRAWSURFACE surface) {
  DDSURFACEDESC desc = EmptyDescription();
  if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return nullptr;
  surface->Unlock(desc.lpSurface);
  return (BYTE*)desc.lpSurface;
}

TEST_F(FullScreen, FlipExchangesTheMemoryOfTheTwoSurfaces) {
  ASSERT_EQ(DD_OK, FillSurface(back, nullptr, 0x11));
  ASSERT_EQ(DD_OK, FillSurface(primary, nullptr, 0x22));
  BYTE* wasBack = LockedPointer(back);
  BYTE* wasFront = LockedPointer(primary);
  presentLog = PresentLog();
  ASSERT_EQ(DD_OK, primary->Flip(nullptr, DDFLIP_WAIT));
  EXPECT_EQ(wasFront, LockedPointer(back));
  EXPECT_EQ(wasBack, LockedPointer(primary));
  EXPECT_EQ(0x22, ReadPixels(back).at(639, 479)) << "the back buffer holds what was on screen";
  EXPECT_EQ(0x11, ReadPixels(primary).at(0, 0));
  EXPECT_EQ(1, presentLog.frames);
  EXPECT_EQ(wasBack, presentLog.pixels) << "the frame just drawn is shown";
  EXPECT_EQ(640, presentLog.pitch);
  EXPECT_EQ(640, presentLog.width);
  EXPECT_EQ(480, presentLog.height);

  ASSERT_EQ(DD_OK, primary->Flip(back, 0));
  EXPECT_EQ(wasBack, LockedPointer(back));
  EXPECT_EQ(2, presentLog.frames);
}

TEST_F(FullScreen, FlipRefusalsExchangeNothing) {
  LPDIRECTDRAWSURFACE plain = MakeOffscreen(dd, 8, 8);
  BYTE* wasBack = LockedPointer(back);
  struct Case {
    const char* name;
    LPDIRECTDRAWSURFACE flipped, target, locked;
    HRESULT expected;
  };
  const Case cases[] = {
      {"back buffer flipped", back, nullptr, nullptr, DDERR_NOTFLIPPABLE},
      {"off-screen flipped", plain, nullptr, nullptr, DDERR_NOTFLIPPABLE},
      {"off-screen target", primary, plain, nullptr, DDERR_NOTFLIPPABLE},
      {"primary as its own target", primary, primary, nullptr, DDERR_NOTFLIPPABLE},
      {"back buffer locked", primary, nullptr, back, DDERR_SURFACEBUSY},
      {"primary locked", primary, nullptr, primary, DDERR_SURFACEBUSY},
  };
  for (const Case& c : cases) {
    DDSURFACEDESC desc = EmptyDescription();
    if (c.locked != nullptr) ASSERT_EQ(DD_OK, c.locked->Lock(nullptr, &desc, 0, nullptr));
    presentLog = PresentLog();
    EXPECT_EQ(c.expected, c.flipped->Flip(c.target, DDFLIP_WAIT)) << c.name;
    EXPECT_EQ(0, presentLog.calls) << c.name;
    if (c.locked != nullptr) ASSERT_EQ(DD_OK, c.locked->Unlock(desc.lpSurface));
    EXPECT_EQ(wasBack, LockedPointer(back)) << c.name;
  }
  EXPECT_EQ(0u, plain->Release());
}

TEST_F(FullScreen, LocksGiveTheWholePitchAndTheRectanglesCorner) {
  LPDIRECTDRAWSURFACE surface = MakeOffscreen(dd, 13, 9);
  BYTE* base = LockedPointer(surface);
  ASSERT_NE(nullptr, base);
  struct Case {
    RECT rect;
    HRESULT expected;
    LONG offset;
  };
  const Case cases[] = {
      {{2, 3, 5, 7}, DD_OK, 3 * 16 + 2},    {{0, 0, 13, 9}, DD_OK, 0},
      {{12, 8, 13, 9}, DD_OK, 8 * 16 + 12}, {{4, 4, 4, 4}, DD_OK, 4 * 16 + 4},
      {{13, 9, 13, 9}, DD_OK, 9 * 16 + 13}, {{5, 3, 2, 7}, DDERR_INVALIDPARAMS, 0},
      {{2, 7, 5, 3}, DDERR_INVALIDPARAMS, 0}, {{2, 3, 14, 7}, DDERR_INVALIDPARAMS, 0},
      {{2, 3, 5, 10}, DDERR_INVALIDPARAMS, 0}, {{-1, 3, 5, 7}, DDERR_INVALIDPARAMS, 0},
      {{2, -1, 5, 7}, DDERR_INVALIDPARAMS, 0},
  };
  for (const Case& c : cases) {
    DDSURFACEDESC desc = EmptyDescription();
    desc.lpSurface = &desc;
    RECT rect = c.rect;
    std::string name = "{" + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                       std::to_string(rect.right) + "," + std::to_string(rect.bottom) + "}";
    ASSERT_EQ(c.expected, surface->Lock(&rect, &desc, DDLOCK_WAIT, nullptr)) << name;
    if (c.expected != DD_OK) {
      EXPECT_EQ(nullptr, desc.lpSurface) << name;
      continue;
    }
    EXPECT_EQ(16, desc.lPitch) << name;
    EXPECT_EQ(13u, desc.dwWidth) << name;
    EXPECT_EQ(c.offset, (BYTE*)desc.lpSurface - base) << name;
    EXPECT_EQ(DD_OK, surface->Unlock(desc.lpSurface)) << name;
  }
  DDSURFACEDESC desc = EmptyDescription();
  ASSERT_EQ(DD_OK, surface->Lock(nullptr, &desc, 0, nullptr));
  DDSURFACEDESC again = EmptyDescription();
  EXPECT_EQ(DDERR_SURFACEBUSY, surface->Lock(nullptr, &again, 0, nullptr));
  EXPECT_EQ(DD_OK, surface->Unlock(nullptr));
  EXPECT_EQ(DDERR_NOTLOCKED, surface->Unlock(nullptr));
  desc.dwSize = 4;
  EXPECT_EQ(DDERR_INVALIDPARAMS, surface->Lock(nullptr, &desc, 0, nullptr));
  EXPECT_EQ(DDERR_INVALIDPARAMS, surface->Lock(nullptr, nullptr, 0, nullptr));
  EXPECT_EQ(0u, surface->Release());
}

TEST_F(FullScreen, EveryChangeOfTheScreenIsPresentedAndNothingElse) {
  PALETTEENTRY entries[256] = {};
  LPDIRECTDRAWPALETTE palette = MakePalette(dd), loose = MakePalette(dd);
  ASSERT_TRUE(palette != nullptr && loose != nullptr);
  LPDIRECTDRAWSURFACE picture = MakeOffscreen(dd, 640, 480);
  RECT bad = {0, 0, 641, 480};
  struct Case {
    const char* name;
    std::function<HRESULT()> run;
    int calls;
    bool newFrame;
  };
  const Case cases[] = {
      {"palette onto the primary", [&] { return primary->SetPalette(palette); }, 1, false},
      {"fill of the primary", [&] { return FillSurface(primary, nullptr, 1); }, 1, false},
      {"copy onto the primary", [&] { return primary->Blt(nullptr, picture, nullptr, 0, nullptr); }, 1, true},
      {"fast copy onto the primary", [&] { return primary->BltFast(0, 0, picture, nullptr, 0); }, 1, true},
      {"flip", [&] { return primary->Flip(nullptr, DDFLIP_WAIT); }, 1, true},
      {"entries of the primary's palette", [&] { return palette->SetEntries(0, 3, 1, entries); }, 1, false},
      {"unlock of the primary",
       [&] {
         DDSURFACEDESC desc = EmptyDescription();
         primary->Lock(nullptr, &desc, 0, nullptr);
         return primary->Unlock(desc.lpSurface);
       },
       1, false},
      {"fill of the back buffer", [&] { return FillSurface(back, nullptr, 1); }, 0, false},
      {"copy onto the back buffer", [&] { return back->Blt(nullptr, picture, nullptr, 0, nullptr); }, 0, false},
      {"entries of another palette", [&] { return loose->SetEntries(0, 3, 1, entries); }, 0, false},
      {"palette onto a picture", [&] { return picture->SetPalette(loose); }, 0, false},
      {"refused fill of the primary", [&] { return FillSurface(primary, &bad, 1) == DDERR_INVALIDRECT ? DD_OK : 1; },
       0, false},
  };
  for (const Case& c : cases) {
    presentLog = PresentLog();
    ASSERT_EQ(DD_OK, c.run()) << c.name;
    EXPECT_EQ(c.calls, presentLog.calls) << c.name;
    if (c.calls > 0) {
      EXPECT_EQ(c.newFrame, presentLog.newFrame) << c.name;
      EXPECT_EQ(LockedPointer(primary), presentLog.pixels) << c.name;
    }
  }
  EXPECT_EQ(0u, picture->Release());
  EXPECT_EQ(0u, loose->Release());
  EXPECT_EQ(DD_OK, primary->SetPalette(nullptr));
  EXPECT_EQ(0u, palette->Release());
}

TEST_F(FullScreen, ThePalettesEntriesAreTheScreensColoursAtOnce) {
  // Without a palette of its own the screen shows the system palette.
  ASSERT_EQ(DD_OK, FillSurface(primary, nullptr, 0));
  ASSERT_EQ(256u, presentLog.palette.size());
  for (int i = 0; i < 256; i++) {
    PALETTEENTRY expected = {0, 0, 0, 0};
    if (i < 10) expected = kPlatformSystemColors[i];
    if (i >= 246) expected = kPlatformSystemColors[i - 236];
    EXPECT_EQ(0, memcmp(&expected, &presentLog.palette[i], sizeof expected)) << "entry " << i;
  }
  PALETTEENTRY entries[256];
  for (int i = 0; i < 256; i++) entries[i] = {(BYTE)i, (BYTE)(i / 2), (BYTE)~i, 0};
  LPDIRECTDRAWPALETTE palette = MakePalette(dd, entries);
  ASSERT_NE(nullptr, palette);
  ASSERT_EQ(DD_OK, primary->SetPalette(palette));
  EXPECT_EQ(0, memcmp(entries, presentLog.palette.data(), sizeof entries));
  PALETTEENTRY red = {255, 0, 0, 0};
  ASSERT_EQ(DD_OK, palette->SetEntries(0, 0, 1, &red));
  EXPECT_EQ(0, memcmp(&red, &presentLog.palette[0], sizeof red)) << "the new colour is shown at once";
  EXPECT_EQ(0, memcmp(entries + 1, &presentLog.palette[1], 255 * sizeof red));
  EXPECT_EQ(0, presentLog.frames) << "a colour change is not a frame";
  EXPECT_EQ(DD_OK, primary->SetPalette(nullptr));
  EXPECT_EQ(0u, palette->Release());
}

}  // namespace
