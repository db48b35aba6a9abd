// The software DirectDraw's objects: creation, refusals, descriptions and
// reference counts.
#include <string.h>

#include "ddraw_test_support.h"
#include "platform_internal.h"

namespace {

TEST(DirectDrawCreateTest, TakesNoDriverOrEmulationOnly) {
  struct Case {
    GUID* driver;
    HRESULT expected;
  };
  const Case cases[] = {
      {nullptr, DD_OK},
      {DDCREATE_EMULATIONONLY, DD_OK},
      {(GUID*)(uintptr_t)1, DDERR_INVALIDDIRECTDRAWGUID},
  };
  for (const Case& c : cases) {
    LPDIRECTDRAW dd = (LPDIRECTDRAW)&dd;
    EXPECT_EQ(c.expected, DirectDrawCreate(c.driver, &dd, nullptr)) << "driver " << (uintptr_t)c.driver;
    if (c.expected != DD_OK) {
      EXPECT_EQ(nullptr, dd);
    } else if (dd != nullptr) {
      EXPECT_EQ(2u, dd->AddRef());
      EXPECT_EQ(1u, dd->Release());
      EXPECT_EQ(0u, dd->Release());
    }
  }
  EXPECT_EQ(DDERR_INVALIDPARAMS, DirectDrawCreate(nullptr, nullptr, nullptr));
}

TEST(DirectDrawTest, CooperativeLevelsAndDisplayModes) {
  LPDIRECTDRAW dd = nullptr;
  ASSERT_EQ(DD_OK, DirectDrawCreate(nullptr, &dd, nullptr));
  struct Level {
    HWND window;
    DWORD flags;
    HRESULT expected;
  };
  const Level levels[] = {
      {kSomeWindow, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN, DD_OK},
      {nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN, DDERR_INVALIDPARAMS},
      {kSomeWindow, DDSCL_EXCLUSIVE, DDERR_INVALIDPARAMS},
      {kSomeWindow, DDSCL_FULLSCREEN, DDERR_INVALIDPARAMS},
      {kSomeWindow, DDSCL_NORMAL | DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN, DDERR_INVALIDPARAMS},
      {kSomeWindow, 0, DDERR_INVALIDPARAMS},
      {kSomeWindow, DDSCL_NORMAL, DD_OK},
      {nullptr, DDSCL_NORMAL, DD_OK},
  };
  for (const Level& level : levels)
    EXPECT_EQ(level.expected, dd->SetCooperativeLevel(level.window, level.flags))
        << "flags 0x" << std::hex << level.flags << " window " << level.window;

  struct Mode {
    DWORD width, height, bits;
    HRESULT expected;
  };
  const Mode modes[] = {
      {640, 480, 8, DD_OK},          {640, 480, 16, DDERR_INVALIDMODE}, {640, 480, 32, DDERR_INVALIDMODE},
      {800, 600, 8, DDERR_INVALIDMODE}, {0, 0, 8, DDERR_INVALIDMODE},
  };
  for (const Mode& mode : modes)
    EXPECT_EQ(mode.expected, dd->SetDisplayMode(mode.width, mode.height, mode.bits))
        << mode.width << "x" << mode.height << "x" << mode.bits;
  EXPECT_EQ(0u, dd->Release());
}

TEST(DirectDrawTest, NoSurfaceBeforeACooperativeLevel) {
  LPDIRECTDRAW dd = nullptr;
  ASSERT_EQ(DD_OK, DirectDrawCreate(nullptr, &dd, nullptr));
  DDSURFACEDESC desc = EmptyDescription();
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = desc.dwHeight = 8;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  LPDIRECTDRAWSURFACE surface = (LPDIRECTDRAWSURFACE)&desc;
  EXPECT_EQ(DDERR_NOCOOPERATIVELEVELSET, dd->CreateSurface(&desc, &surface, nullptr));
  EXPECT_EQ(nullptr, surface);
  EXPECT_EQ(0u, dd->Release());
}

struct Refusal {
  const char* name;
  DWORD size;
  DWORD flags;
  DWORD width, height, backBuffers;
  DWORD caps;
  HRESULT expected;
};

const DWORD kWH = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
const DWORD kChain = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
const DWORD kDescSize = sizeof(DDSURFACEDESC);

const Refusal kRefusals[] = {
    {"wrong dwSize", kDescSize - 4, kWH, 8, 8, 0, DDSCAPS_OFFSCREENPLAIN, DDERR_INVALIDPARAMS},
    {"no DDSD_CAPS", kDescSize, DDSD_WIDTH | DDSD_HEIGHT, 8, 8, 0, DDSCAPS_OFFSCREENPLAIN, DDERR_INVALIDPARAMS},
    {"zero width", kDescSize, kWH, 0, 8, 0, DDSCAPS_OFFSCREENPLAIN, DDERR_INVALIDPARAMS},
    {"zero height", kDescSize, kWH, 8, 0, 0, DDSCAPS_OFFSCREENPLAIN, DDERR_INVALIDPARAMS},
    {"no height", kDescSize, DDSD_CAPS | DDSD_WIDTH, 8, 8, 0, DDSCAPS_OFFSCREENPLAIN, DDERR_INVALIDPARAMS},
    {"no size", kDescSize, DDSD_CAPS, 0, 0, 0, DDSCAPS_OFFSCREENPLAIN, DDERR_INVALIDPARAMS},
    {"side too long", kDescSize, kWH, 16385, 1, 0, DDSCAPS_OFFSCREENPLAIN, DDERR_INVALIDPARAMS},
    {"side absurd", kDescSize, kWH, 1, 0xFFFFFFFFu, 0, DDSCAPS_OFFSCREENPLAIN, DDERR_INVALIDPARAMS},
    {"area too large", kDescSize, kWH, 16384, 16384, 0, DDSCAPS_OFFSCREENPLAIN, DDERR_OUTOFMEMORY},
    {"system and video memory", kDescSize, kWH, 8, 8, 0,
     DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY, DDERR_INVALIDCAPS},
    {"lone back buffer", kDescSize, kWH, 8, 8, 0, DDSCAPS_BACKBUFFER, DDERR_INVALIDCAPS},
    {"off-screen chain", kDescSize, kWH | DDSD_BACKBUFFERCOUNT, 8, 8, 1,
     DDSCAPS_OFFSCREENPLAIN | DDSCAPS_FLIP | DDSCAPS_COMPLEX, DDERR_INVALIDCAPS},
    {"second primary", kDescSize, DDSD_CAPS, 0, 0, 0, DDSCAPS_PRIMARYSURFACE, DDERR_PRIMARYSURFACEALREADYEXISTS},
    {"primary with a size", kDescSize, kWH, 16, 16, 0, DDSCAPS_PRIMARYSURFACE, DDERR_INVALIDPARAMS},
    {"primary and off-screen", kDescSize, DDSD_CAPS, 0, 0, 0,
     DDSCAPS_PRIMARYSURFACE | DDSCAPS_OFFSCREENPLAIN, DDERR_INVALIDCAPS},
    {"flip without count", kDescSize, DDSD_CAPS, 0, 0, 0, kChain, DDERR_INVALIDCAPS},
    {"flip with count 0", kDescSize, DDSD_CAPS | DDSD_BACKBUFFERCOUNT, 0, 0, 0, kChain, DDERR_INVALIDCAPS},
    {"flip without complex", kDescSize, DDSD_CAPS | DDSD_BACKBUFFERCOUNT, 0, 0, 1,
     DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP, DDERR_INVALIDCAPS},
    {"two back buffers", kDescSize, DDSD_CAPS | DDSD_BACKBUFFERCOUNT, 0, 0, 2, kChain, DDERR_UNSUPPORTED},
};

TEST_F(FullScreen, RefusesBadDescriptionsAndReturnsNoSurface) {
  for (const Refusal& r : kRefusals) {
    DDSURFACEDESC desc = EmptyDescription();
    desc.dwSize = r.size;
    desc.dwFlags = r.flags;
    desc.dwWidth = r.width;
    desc.dwHeight = r.height;
    desc.dwBackBufferCount = r.backBuffers;
    desc.ddsCaps.dwCaps = r.caps;
    LPDIRECTDRAWSURFACE surface = (LPDIRECTDRAWSURFACE)&desc;
    EXPECT_EQ(r.expected, dd->CreateSurface(&desc, &surface, nullptr)) << r.name;
    EXPECT_EQ(nullptr, surface) << r.name;
  }
  LPDIRECTDRAWSURFACE surface = nullptr;
  EXPECT_EQ(DDERR_INVALIDPARAMS, dd->CreateSurface(nullptr, &surface, nullptr));
}

TEST_F(FullScreen, OffscreenSurfacesHaveTheirSizeAndAnEightBytePitch) {
  struct Case {
    DWORD width, height, caps;
    LONG pitch;
  };
  const Case cases[] = {
      {1, 1, DDSCAPS_OFFSCREENPLAIN, 8},
      {5, 3, DDSCAPS_OFFSCREENPLAIN, 8},
      {13, 9, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, 16},
      {17, 2, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY, 24},
      {142, 169, DDSCAPS_OFFSCREENPLAIN, 144},
      {162, 189, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, 168},
      {16384, 1, DDSCAPS_OFFSCREENPLAIN, 16384},
  };
  for (const Case& c : cases) {
    LPDIRECTDRAWSURFACE surface = MakeOffscreen(dd, c.width, c.height, c.caps);
    ASSERT_NE(nullptr, surface);
    DDSURFACEDESC desc = EmptyDescription();
    ASSERT_EQ(DD_OK, surface->GetSurfaceDesc(&desc));
    EXPECT_EQ(c.width, desc.dwWidth);
    EXPECT_EQ(c.height, desc.dwHeight);
    EXPECT_EQ(c.pitch, desc.lPitch) << c.width << " wide";
    EXPECT_EQ(8u, desc.ddpfPixelFormat.dwRGBBitCount);
    EXPECT_TRUE(desc.ddpfPixelFormat.dwFlags & DDPF_PALETTEINDEXED8);
    EXPECT_EQ(c.caps, desc.ddsCaps.dwCaps & c.caps) << c.width << " wide";
    EXPECT_EQ(0u, surface->Release());
  }
}

TEST_F(FullScreen, TheChainIsTwoScreenSizedSurfacesThatFindEachOther) {
  for (LPDIRECTDRAWSURFACE surface : {primary, back}) {
    DDSURFACEDESC desc = EmptyDescription();
    ASSERT_EQ(DD_OK, surface->GetSurfaceDesc(&desc));
    EXPECT_EQ(640u, desc.dwWidth);
    EXPECT_EQ(480u, desc.dwHeight);
    EXPECT_EQ(640, desc.lPitch);
  }
  DDSCAPS caps = {DDSCAPS_BACKBUFFER};
  LPDIRECTDRAWSURFACE again = nullptr;
  ASSERT_EQ(DD_OK, primary->GetAttachedSurface(&caps, &again));
  EXPECT_EQ(back, again);
  EXPECT_EQ(2u, again->Release());
  caps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  ASSERT_EQ(DD_OK, back->GetAttachedSurface(&caps, &again));
  EXPECT_EQ(primary, again);
  EXPECT_EQ(1u, again->Release());
  caps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  again = back;
  EXPECT_EQ(DDERR_NOTFOUND, primary->GetAttachedSurface(&caps, &again));
  EXPECT_EQ(nullptr, again);
  EXPECT_EQ(DDERR_INVALIDPARAMS, primary->GetAttachedSurface(nullptr, &again));

  LPDIRECTDRAWSURFACE plain = MakeOffscreen(dd, 4, 4);
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  EXPECT_EQ(DDERR_NOTFOUND, plain->GetAttachedSurface(&caps, &again));
  EXPECT_EQ(0u, plain->Release());
}

TEST_F(FullScreen, TheBackBufferLivesAsLongAsItsChain) {
  // Releasing every reference the program took leaves the chain's own.
  EXPECT_EQ(1u, back->Release());
  EXPECT_EQ(0u, back->Release());
  EXPECT_EQ(0u, back->Release()) << "a count never goes below zero";
  EXPECT_EQ(DD_OK, FillSurface(back, nullptr, 7));
  EXPECT_EQ(7, ReadPixels(back).at(639, 479));
  EXPECT_EQ(1u, back->AddRef());
  // The primary ends the chain whatever the back buffer's count.
  EXPECT_EQ(2u, back->AddRef());
  EXPECT_EQ(0u, primary->Release());
  primary = back = nullptr;
}

TEST_F(FullScreen, ACountedChainEndsWithItsPrimary) {
  // The display layer's end: the back buffer is never released on its own.
  EXPECT_EQ(2u, primary->AddRef());
  EXPECT_EQ(1u, primary->Release());
  EXPECT_EQ(0u, primary->Release());
  primary = back = nullptr;
  // A new primary can be made once the old one is gone.
  DDSURFACEDESC desc = EmptyDescription();
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  ASSERT_EQ(DD_OK, dd->CreateSurface(&desc, &primary, nullptr));
}

TEST(DirectDrawTest, ReleasingTheDirectDrawObjectEndsEverythingItMade) {
  // The leak checker of the sanitizer build sees anything left behind.
  LPDIRECTDRAW dd = nullptr;
  ASSERT_EQ(DD_OK, DirectDrawCreate(nullptr, &dd, nullptr));
  ASSERT_EQ(DD_OK, dd->SetCooperativeLevel(kSomeWindow, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN));
  DDSURFACEDESC desc = EmptyDescription();
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = kChain;
  LPDIRECTDRAWSURFACE primary = nullptr, back = nullptr;
  ASSERT_EQ(DD_OK, dd->CreateSurface(&desc, &primary, nullptr));
  DDSCAPS caps = {DDSCAPS_BACKBUFFER};
  ASSERT_EQ(DD_OK, primary->GetAttachedSurface(&caps, &back));
  LPDIRECTDRAWSURFACE picture = MakeOffscreen(dd, 30, 20);
  ASSERT_NE(nullptr, picture);
  LPDIRECTDRAWPALETTE palette = MakePalette(dd);
  ASSERT_NE(nullptr, palette);
  ASSERT_NE(nullptr, MakePalette(dd)) << "a palette nothing uses";
  EXPECT_EQ(DD_OK, primary->SetPalette(palette));
  EXPECT_EQ(DD_OK, picture->SetPalette(palette));
  EXPECT_EQ(4u, palette->AddRef());
  EXPECT_EQ(3u, palette->Release());
  EXPECT_EQ(0u, dd->Release());
}

TEST(DirectDrawTest, TheWindowedPrimaryIsTheScreenAndTakesNoChain) {
  presentLog = PresentLog();
  LPDIRECTDRAW dd = nullptr;
  ASSERT_EQ(DD_OK, DirectDrawCreate(nullptr, &dd, nullptr));
  ASSERT_EQ(DD_OK, dd->SetCooperativeLevel(kSomeWindow, DDSCL_NORMAL));
  DDSURFACEDESC desc = EmptyDescription();
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = kChain;
  LPDIRECTDRAWSURFACE primary = nullptr;
  EXPECT_EQ(DDERR_NOEXCLUSIVEMODE, dd->CreateSurface(&desc, &primary, nullptr));
  desc = EmptyDescription();
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  ASSERT_EQ(DD_OK, dd->CreateSurface(&desc, &primary, nullptr));
  Pixels screen = ReadPixels(primary);
  EXPECT_EQ(640, screen.width);
  EXPECT_EQ(480, screen.height);

  LPDIRECTDRAWSURFACE back = MakeOffscreen(dd, 640, 480);
  ASSERT_NE(nullptr, back);
  WritePixels(back, [](int x, int y) { return (BYTE)(x ^ y); });
  RECT window = {0, 0, 640, 480};
  presentLog = PresentLog();
  ASSERT_EQ(DD_OK, primary->Blt(&window, back, nullptr, DDBLT_WAIT, nullptr));
  EXPECT_EQ(1, presentLog.frames);
  EXPECT_EQ("", Differences(ReadPixels(back), ReadPixels(primary)));
  DDSCAPS caps = {DDSCAPS_BACKBUFFER};
  LPDIRECTDRAWSURFACE attached = nullptr;
  EXPECT_EQ(DDERR_NOTFOUND, primary->GetAttachedSurface(&caps, &attached));
  EXPECT_EQ(DDERR_NOTFLIPPABLE, primary->Flip(nullptr, DDFLIP_WAIT));
  EXPECT_EQ(0u, back->Release());
  EXPECT_EQ(0u, primary->Release());
  EXPECT_EQ(0u, dd->Release());
}

PALETTEENTRY Entry(int i) { return {(BYTE)i, (BYTE)(255 - i), (BYTE)(i * 7), (BYTE)(i % 5)}; }

bool Same(const PALETTEENTRY& a, const PALETTEENTRY& b) { return memcmp(&a, &b, sizeof a) == 0; }

TEST_F(FullScreen, PalettesKeepTheirEntriesByteForByte) {
  PALETTEENTRY given[256];
  for (int i = 0; i < 256; i++) given[i] = Entry(i);
  LPDIRECTDRAWPALETTE palette = MakePalette(dd, given);
  ASSERT_NE(nullptr, palette);
  PALETTEENTRY got[256];
  ASSERT_EQ(DD_OK, palette->GetEntries(0, 0, 256, got));
  for (int i = 0; i < 256; i++) EXPECT_TRUE(Same(given[i], got[i])) << "entry " << i;

  struct Range {
    DWORD first, count;
    HRESULT expected;
  };
  const Range ranges[] = {
      {0, 256, DD_OK},   {10, 3, DD_OK},   {255, 1, DD_OK},
      {256, 0, DD_OK},   {254, 3, DDERR_INVALIDPARAMS}, {256, 1, DDERR_INVALIDPARAMS},
      {0, 257, DDERR_INVALIDPARAMS}, {0xFFFFFFFFu, 2, DDERR_INVALIDPARAMS},
  };
  PALETTEENTRY fresh[256];
  for (int i = 0; i < 256; i++) fresh[i] = Entry(255 - i);
  for (const Range& range : ranges) {
    ASSERT_EQ(DD_OK, palette->SetEntries(0, 0, 256, given));
    EXPECT_EQ(range.expected, palette->SetEntries(0, range.first, range.count, fresh))
        << "SetEntries " << range.first << "+" << range.count;
    EXPECT_EQ(range.expected, palette->GetEntries(0, range.first, range.count, got))
        << "GetEntries " << range.first << "+" << range.count;
    palette->GetEntries(0, 0, 256, got);
    for (DWORD i = 0; i < 256; i++) {
      bool set = range.expected == DD_OK && i >= range.first && i - range.first < range.count;
      EXPECT_TRUE(Same(set ? fresh[i - range.first] : given[i], got[i]))
          << "entry " << i << " after SetEntries " << range.first << "+" << range.count;
    }
  }
  EXPECT_EQ(DDERR_INVALIDPARAMS, palette->SetEntries(0, 0, 1, nullptr));
  EXPECT_EQ(0u, palette->Release());
}

TEST_F(FullScreen, PaletteCreationRefusals) {
  PALETTEENTRY entries[256] = {};
  struct Case {
    DWORD flags;
    bool table;
    HRESULT expected;
  };
  const Case cases[] = {
      {DDPCAPS_8BIT | DDPCAPS_ALLOW256, false, DDERR_INVALIDPARAMS},
      {DDPCAPS_ALLOW256, true, DDERR_INVALIDPARAMS},
      {DDPCAPS_8BIT | DDPCAPS_4BIT, true, DDERR_INVALIDPARAMS},
      {DDPCAPS_8BIT | DDPCAPS_8BITENTRIES, true, DDERR_INVALIDPARAMS},
  };
  for (const Case& c : cases) {
    LPDIRECTDRAWPALETTE palette = (LPDIRECTDRAWPALETTE)entries;
    EXPECT_EQ(c.expected, dd->CreatePalette(c.flags, c.table ? entries : nullptr, &palette, nullptr))
        << "flags 0x" << std::hex << c.flags;
    EXPECT_EQ(nullptr, palette);
  }
}

TEST_F(FullScreen, WithoutAllow256TheEndsStayBlackAndWhite) {
  PALETTEENTRY given[256];
  for (int i = 0; i < 256; i++) given[i] = Entry(i + 1);
  LPDIRECTDRAWPALETTE palette = nullptr;
  ASSERT_EQ(DD_OK, dd->CreatePalette(DDPCAPS_8BIT, given, &palette, nullptr));
  ASSERT_EQ(DD_OK, palette->SetEntries(0, 0, 256, given));
  PALETTEENTRY got[256];
  palette->GetEntries(0, 0, 256, got);
  EXPECT_TRUE(Same(PALETTEENTRY{0, 0, 0, 0}, got[0]));
  EXPECT_TRUE(Same(PALETTEENTRY{255, 255, 255, 0}, got[255]));
  for (int i = 1; i < 255; i++) EXPECT_TRUE(Same(given[i], got[i])) << "entry " << i;
  EXPECT_EQ(0u, palette->Release());
}

TEST_F(FullScreen, SurfacesHoldAReferenceToTheirPalette) {
  LPDIRECTDRAWPALETTE palette = MakePalette(dd), other = MakePalette(dd);
  ASSERT_TRUE(palette != nullptr && other != nullptr);
  LPDIRECTDRAWSURFACE picture = MakeOffscreen(dd, 8, 8);
  EXPECT_EQ(DD_OK, primary->SetPalette(palette));
  EXPECT_EQ(DD_OK, primary->SetPalette(palette));
  EXPECT_EQ(DD_OK, picture->SetPalette(palette));
  EXPECT_EQ(4u, palette->AddRef());
  EXPECT_EQ(3u, palette->Release());
  EXPECT_EQ(DD_OK, picture->SetPalette(other));
  EXPECT_EQ(3u, other->AddRef());
  EXPECT_EQ(2u, other->Release());
  EXPECT_EQ(0u, picture->Release());
  EXPECT_EQ(0u, other->Release()) << "the picture's reference went with it";
  EXPECT_EQ(DD_OK, primary->SetPalette(nullptr));
  EXPECT_EQ(0u, palette->Release());
}

TEST(SystemPaletteTest, TheScreenGivesItsTwentyStaticColours) {
  HDC screen = GetDC(nullptr);
  ASSERT_NE(nullptr, screen);
  PALETTEENTRY low[10], high[10];
  memset(low, 0xEE, sizeof low);
  memset(high, 0xEE, sizeof high);
  EXPECT_EQ(10u, GetSystemPaletteEntries(screen, 0, 10, low));
  EXPECT_EQ(10u, GetSystemPaletteEntries(screen, 246, 10, high));
  for (int i = 0; i < 10; i++) {
    EXPECT_TRUE(Same(kPlatformSystemColors[i], low[i])) << "entry " << i;
    EXPECT_TRUE(Same(kPlatformSystemColors[10 + i], high[i])) << "entry " << 246 + i;
  }
  EXPECT_TRUE(Same(PALETTEENTRY{0, 0, 0, 0}, low[0])) << "entry 0 is black";
  EXPECT_TRUE(Same(PALETTEENTRY{255, 255, 255, 0}, high[9])) << "entry 255 is white";

  PALETTEENTRY some[12];
  EXPECT_EQ(6u, GetSystemPaletteEntries(screen, 250, 12, some)) << "ends at entry 255";
  EXPECT_EQ(0u, GetSystemPaletteEntries(screen, 256, 1, some));
  EXPECT_EQ(2u, GetSystemPaletteEntries(screen, 9, 2, some));
  EXPECT_TRUE(Same(PALETTEENTRY{0, 0, 0, 0}, some[1])) << "entry 10 is black";
  EXPECT_EQ(256u, GetSystemPaletteEntries(screen, 0, 0, nullptr));
  EXPECT_EQ(0u, GetSystemPaletteEntries((HDC)&screen, 0, 10, low)) << "not a device context";
  EXPECT_EQ(1, ReleaseDC(nullptr, screen));
  EXPECT_EQ(0, ReleaseDC(nullptr, (HDC)&screen));
}

}  // namespace
