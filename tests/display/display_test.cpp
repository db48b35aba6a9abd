// The display layer against fake DirectDraw objects: what it asks of the
// platform, in which order, and how it reads the answers.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <functional>

#include "display/display.h"
#include "fake_platform.h"

namespace {

const HWND kWindow = (HWND)0x1234;

// Test names from a case's description.
std::string NameOf(std::string text) {
  for (char& c : text)
    if (!isalnum((unsigned char)c)) c = '_';
  return text;
}

class DisplayTest : public ::testing::Test {
 protected:
  FakeDirectDraw dd;
  FakeLog& log = TheFakeLog();

  void SetUp() override {
    log.Reset();
    ResetFakePlatform();
    TheFakePlatform().directDraw = &dd;
    lpDD = nullptr;
    lpDDSPrimary = lpDDSBack = lpImage1 = lpScratch = nullptr;
    lpDDPal = nullptr;
    displayFlags = 0;
    lastDDResult = DD_OK;
  }
  void TearDown() override {
    lpDD = nullptr;
    lpDDSPrimary = lpDDSBack = lpImage1 = lpScratch = nullptr;
    lpDDPal = nullptr;
  }
  // A display set up the usual way, with the log cleared afterwards.
  void Init(DWORD flags) {
    ASSERT_EQ(kDisplayOk, InitDisplay(kWindow, 640, 480, 8, flags));
    log.Reset();
  }
};

// Every field of a surface description is zero except the ones named.
void ExpectOnlyFields(const DDSURFACEDESC& got, DWORD flags, DWORD width, DWORD height,
                      DWORD backBuffers, DWORD caps) {
  DDSURFACEDESC want;
  std::memset(&want, 0, sizeof want);
  want.dwSize = sizeof(DDSURFACEDESC);
  want.dwFlags = flags;
  want.dwWidth = width;
  want.dwHeight = height;
  want.dwBackBufferCount = backBuffers;
  want.ddsCaps.dwCaps = caps;
  EXPECT_EQ(want.dwSize, got.dwSize);
  EXPECT_EQ(flags, got.dwFlags) << std::hex << got.dwFlags;
  EXPECT_EQ(width, got.dwWidth);
  EXPECT_EQ(height, got.dwHeight);
  EXPECT_EQ(backBuffers, got.dwBackBufferCount);
  EXPECT_EQ(caps, got.ddsCaps.dwCaps) << std::hex << got.ddsCaps.dwCaps;
  EXPECT_EQ(0, std::memcmp(&want, &got, sizeof want)) << "a field that must stay zero was set";
}

TEST_F(DisplayTest, FullScreenInitAsksForExclusiveModeFlippingChainAndPalette) {
  EXPECT_EQ(kDisplayOk, InitDisplay(kWindow, 640, 480, 8, kDisplayFullScreen));

  std::vector<std::string> want = {"DirectDrawCreate", "SetCooperativeLevel", "SetDisplayMode",
                                   "CreateSurface", "GetAttachedSurface", "GetDC",
                                   "GetSystemPaletteEntries", "GetSystemPaletteEntries",
                                   "ReleaseDC", "CreatePalette", "SetPalette"};
  ASSERT_EQ(want, log.Names());
  const auto& c = log.calls;
  EXPECT_EQ(nullptr, c[0].extra) << "default driver: no GUID";
  EXPECT_EQ(nullptr, c[0].source) << "no outer object";
  EXPECT_EQ(kWindow, c[1].window);
  EXPECT_EQ(DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN, c[1].flags);
  EXPECT_EQ(640u, c[2].width);
  EXPECT_EQ(480u, c[2].height);
  EXPECT_EQ(8u, c[2].bpp);
  ExpectOnlyFields(c[3].desc, 0x21, 0, 0, 1, 0x218);
  EXPECT_EQ(&lpDDSPrimary, c[3].extra);
  EXPECT_EQ(nullptr, c[3].source);
  EXPECT_EQ(dd.made[0].get(), c[4].object) << "the back buffer comes from the primary's chain";
  EXPECT_EQ((DWORD)DDSCAPS_BACKBUFFER, c[4].caps);
  EXPECT_EQ(&lpDDSBack, c[4].extra);
  EXPECT_EQ(nullptr, c[5].window);
  EXPECT_EQ(nullptr, c[8].window);
  EXPECT_EQ(TheFakePlatform().screenDC, c[8].extra);
  EXPECT_EQ(DDPCAPS_8BIT | DDPCAPS_ALLOW256, c[9].flags);
  EXPECT_EQ(nullptr, c[9].extra);
  EXPECT_EQ(dd.made[0].get(), c[10].object);
  EXPECT_EQ(&dd.palette, c[10].extra);

  EXPECT_EQ(&dd, lpDD);
  EXPECT_EQ(dd.made[0].get(), lpDDSPrimary);
  EXPECT_EQ(&dd.chainBack, lpDDSBack);
  EXPECT_EQ(&dd.palette, lpDDPal);
  EXPECT_EQ(kDisplayFullScreen, displayFlags);
  EXPECT_EQ(DD_OK, lastDDResult);
}

TEST_F(DisplayTest, WindowedInitSharesTheDesktopAndMakesItsOwnBackBuffer) {
  EXPECT_EQ(kDisplayOk, InitDisplay(kWindow, 640, 480, 8, 0));

  std::vector<std::string> want = {"DirectDrawCreate", "SetCooperativeLevel", "CreateSurface",
                                   "CreateSurface", "GetDC", "GetSystemPaletteEntries",
                                   "GetSystemPaletteEntries", "ReleaseDC", "CreatePalette",
                                   "SetPalette"};
  ASSERT_EQ(want, log.Names());
  const auto& c = log.calls;
  EXPECT_EQ(DDSCL_NORMAL, c[1].flags);
  ExpectOnlyFields(c[2].desc, DDSD_CAPS, 0, 0, 0, DDSCAPS_PRIMARYSURFACE);
  EXPECT_EQ(&lpDDSPrimary, c[2].extra);
  ExpectOnlyFields(c[3].desc, 0x7, 640, 480, 0, DDSCAPS_OFFSCREENPLAIN);
  EXPECT_EQ(&lpDDSBack, c[3].extra);
  EXPECT_EQ(dd.made[0].get(), lpDDSPrimary);
  EXPECT_EQ(dd.made[1].get(), lpDDSBack);
  EXPECT_EQ(0u, displayFlags);
}

TEST_F(DisplayTest, EmulationOnlyPassesTheFlagInPlaceOfTheDriver) {
  EXPECT_EQ(kDisplayOk, InitDisplay(kWindow, 640, 480, 8, kDisplayEmulationOnly | kDisplayFullScreen));
  EXPECT_EQ((const void*)(uintptr_t)2, log.calls[0].extra);
  EXPECT_EQ(kDisplayEmulationOnly | kDisplayFullScreen, displayFlags);
}

TEST_F(DisplayTest, InitialPaletteKeepsTheSystemColoursAtBothEnds) {
  ASSERT_EQ(kDisplayOk, InitDisplay(kWindow, 640, 480, 8, kDisplayFullScreen));
  auto reads = log.Named("GetSystemPaletteEntries");
  ASSERT_EQ(2u, reads.size());
  EXPECT_EQ(0u, reads[0].start);
  EXPECT_EQ(10u, reads[0].count);
  EXPECT_EQ(246u, reads[1].start);
  EXPECT_EQ(10u, reads[1].count);
  EXPECT_EQ(TheFakePlatform().screenDC, reads[0].extra);

  auto made = log.Named("CreatePalette");
  ASSERT_EQ(1u, made.size());
  ASSERT_EQ(256u, made[0].entries.size());
  const PALETTEENTRY* system = TheFakePlatform().systemPalette;
  for (int i = 0; i < 256; i++) {
    PALETTEENTRY want = {0, 0, 0, 0};
    if (i < 10 || i >= 246) want = system[i];
    const PALETTEENTRY& got = made[0].entries[i];
    EXPECT_TRUE(got.peRed == want.peRed && got.peGreen == want.peGreen &&
                got.peBlue == want.peBlue && got.peFlags == want.peFlags)
        << "entry " << i << ": got " << int(got.peRed) << "," << int(got.peGreen) << ","
        << int(got.peBlue) << "," << int(got.peFlags) << " want " << int(want.peRed) << ","
        << int(want.peGreen) << "," << int(want.peBlue) << "," << int(want.peFlags);
  }
}

struct InitFailure {
  const char* call;
  DWORD flags;
  size_t callsMade;  // platform calls up to and including the failing one
};

void PrintTo(const InitFailure& f, std::ostream* os) { *os << f.call << " refuses"; }

class InitFailureTest : public DisplayTest, public ::testing::WithParamInterface<InitFailure> {};

TEST_P(InitFailureTest, FirstRefusalEndsInitWithItsCode) {
  const InitFailure& f = GetParam();
  const HRESULT code = (HRESULT)0x88760BADu;
  if (std::string(f.call) == "DirectDrawCreate") {
    TheFakePlatform().createResult = code;
  } else {
    log.Script(f.call, {code});
  }
  EXPECT_EQ(kDisplayRefused, InitDisplay(kWindow, 640, 480, 8, f.flags));
  EXPECT_EQ(code, lastDDResult);
  ASSERT_EQ(f.callsMade, log.calls.size()) << "calls went on after " << f.call << " failed";
  EXPECT_EQ(f.call, log.calls.back().name);
  EXPECT_EQ(0u, log.Named("Release").size() + log.Named("DirectDraw::Release").size())
      << "nothing is undone on failure";
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, InitFailureTest,
    ::testing::Values(InitFailure{"DirectDrawCreate", 1, 1}, InitFailure{"SetCooperativeLevel", 1, 2},
                      InitFailure{"SetDisplayMode", 1, 3}, InitFailure{"CreateSurface", 1, 4},
                      InitFailure{"GetAttachedSurface", 1, 5}, InitFailure{"CreatePalette", 1, 10},
                      InitFailure{"SetCooperativeLevel", 0, 2}, InitFailure{"CreateSurface", 0, 3},
                      InitFailure{"CreatePalette", 0, 9}),
    [](const ::testing::TestParamInfo<InitFailure>& info) {
      return NameOf(std::string(info.param.call) + (info.param.flags ? "_FullScreen" : "_Windowed"));
    });

TEST_F(DisplayTest, WindowedBackBufferRefusalKeepsThePrimaryInItsHolder) {
  log.Script("CreateSurface", {DD_OK, DDERR_OUTOFMEMORY});
  EXPECT_EQ(kDisplayRefused, InitDisplay(kWindow, 640, 480, 8, 0));
  EXPECT_EQ(DDERR_OUTOFMEMORY, lastDDResult);
  EXPECT_EQ(dd.made[0].get(), lpDDSPrimary);
  EXPECT_EQ(nullptr, lpDDSBack);
  EXPECT_EQ(2u, log.Named("CreateSurface").size()) << "the back buffer is not retried";
}

TEST_F(DisplayTest, RefusedSetPaletteIsNeitherFatalNorRecorded) {
  log.Script("SetPalette", {DDERR_GENERIC});
  EXPECT_EQ(kDisplayOk, InitDisplay(kWindow, 640, 480, 8, 0));
  EXPECT_EQ(DD_OK, lastDDResult);
}

struct SurfaceCase {
  const char* what;
  DWORD flags;
  std::vector<HRESULT> answers;
  std::vector<DWORD> capsTried;
  int status;
  HRESULT last;
};

void PrintTo(const SurfaceCase& s, std::ostream* os) { *os << s.what; }

class CreateImageSurfaceTest : public DisplayTest,
                               public ::testing::WithParamInterface<SurfaceCase> {};

TEST_P(CreateImageSurfaceTest, VideoMemoryFirstThenSystemMemoryOnlyWhenMemoryRunsOut) {
  const SurfaceCase& s = GetParam();
  Init(kDisplayFullScreen);
  log.Script("CreateSurface", s.answers);
  LPDIRECTDRAWSURFACE holder = nullptr;
  EXPECT_EQ(s.status, CreateImageSurface(142, 169, s.flags, &holder)) << s.what;
  EXPECT_EQ(s.last, lastDDResult) << s.what;
  auto tries = log.Named("CreateSurface");
  ASSERT_EQ(s.capsTried.size(), tries.size()) << s.what;
  for (size_t i = 0; i < tries.size(); i++) {
    ExpectOnlyFields(tries[i].desc, 0x7, 142, 169, 0, s.capsTried[i]);
    EXPECT_EQ(&holder, tries[i].extra);
  }
  if (s.status == kDisplayOk) {
    EXPECT_EQ(dd.made.back().get(), holder);
  } else {
    EXPECT_EQ(nullptr, holder);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CreateImageSurfaceTest,
    ::testing::Values(
        SurfaceCase{"video memory", 1, {DD_OK}, {0x40}, kDisplayOk, DD_OK},
        SurfaceCase{"system memory asked", kSurfaceSystemMemory, {DD_OK}, {0x840}, kDisplayOk, DD_OK},
        SurfaceCase{"out of video memory", 1, {DDERR_OUTOFVIDEOMEMORY, DD_OK}, {0x40, 0x840},
                    kDisplayOk, DD_OK},
        SurfaceCase{"out of memory", 0, {DDERR_OUTOFMEMORY, DD_OK}, {0x40, 0x840}, kDisplayOk, DD_OK},
        SurfaceCase{"second try fails", 1, {DDERR_OUTOFMEMORY, DDERR_OUTOFMEMORY}, {0x40, 0x840},
                    kDisplayRefused, DDERR_OUTOFMEMORY},
        SurfaceCase{"no fall-back from system memory", kSurfaceSystemMemory | 1,
                    {DDERR_OUTOFMEMORY, DD_OK}, {0x840}, kDisplayRefused, DDERR_OUTOFMEMORY},
        SurfaceCase{"other refusal", 1, {DDERR_INVALIDPARAMS, DD_OK}, {0x40}, kDisplayRefused,
                    DDERR_INVALIDPARAMS},
        SurfaceCase{"generic refusal", 1, {DDERR_GENERIC, DD_OK}, {0x40}, kDisplayRefused,
                    DDERR_GENERIC}),
    [](const ::testing::TestParamInfo<SurfaceCase>& info) { return NameOf(info.param.what); });

TEST_F(DisplayTest, CreateImageSurfaceWithoutDirectDrawIsRefusedWithoutACall) {
  LPDIRECTDRAWSURFACE holder = nullptr;
  EXPECT_EQ(kDisplayRefused, CreateImageSurface(10, 10, 1, &holder));
  EXPECT_TRUE(log.calls.empty());
}

TEST_F(DisplayTest, ColorKeyIsTheSingleSourceKey) {
  FakeSurface surface;
  EXPECT_EQ(kDisplayOk, SetSurfaceColorKey(&surface, 37, 0));
  ASSERT_EQ(1u, log.calls.size());
  EXPECT_EQ(&surface, log.calls[0].object);
  EXPECT_EQ((DWORD)DDCKEY_SRCBLT, log.calls[0].flags);
  EXPECT_EQ(37u, log.calls[0].key.dwColorSpaceLowValue);
  EXPECT_EQ(0u, log.calls[0].key.dwColorSpaceHighValue);

  log.Script("SetColorKey", {DDERR_NOCOLORKEY});
  EXPECT_EQ(kDisplayRefused, SetSurfaceColorKey(&surface, 5, 0));
  EXPECT_EQ(DDERR_NOCOLORKEY, lastDDResult);

  log.Reset();
  lastDDResult = DD_OK;
  EXPECT_EQ(kDisplayRefused, SetSurfaceColorKey(nullptr, 5, 0));
  EXPECT_TRUE(log.calls.empty());
  EXPECT_EQ(DD_OK, lastDDResult);
}

TEST_F(DisplayTest, SetPaletteEntriesReplacesAll256) {
  Init(kDisplayFullScreen);
  PALETTEENTRY entries[256] = {};
  EXPECT_EQ(kDisplayOk, SetPaletteEntries(entries));
  ASSERT_EQ(1u, log.calls.size());
  const FakeCall& call = log.calls[0];
  EXPECT_EQ(&dd.palette, call.object);
  EXPECT_EQ(0u, call.flags);
  EXPECT_EQ(0u, call.start);
  EXPECT_EQ(256u, call.count);
  EXPECT_EQ((const void*)entries, call.entriesPointer);

  log.Script("SetEntries", {DDERR_INVALIDPARAMS});
  EXPECT_EQ(kDisplayRefused, SetPaletteEntries(entries));
  EXPECT_EQ(DDERR_INVALIDPARAMS, lastDDResult);
}

TEST_F(DisplayTest, ReleaseSurfaceClearsTheHolderOnlyWhenNoReferenceIsLeft) {
  LPDIRECTDRAWSURFACE empty = nullptr;
  lastDDResult = (HRESULT)77;
  EXPECT_EQ(kDisplayOk, ReleaseSurface(&empty));
  EXPECT_TRUE(log.calls.empty());
  EXPECT_EQ((HRESULT)77, lastDDResult) << "an empty holder records nothing";

  FakeSurface shared;
  shared.refs = 3;
  LPDIRECTDRAWSURFACE holder = &shared;
  EXPECT_EQ(kDisplayRefused, ReleaseSurface(&holder));
  EXPECT_EQ(&shared, holder);
  EXPECT_EQ((HRESULT)2, lastDDResult) << "the remaining count is recorded";

  FakeSurface single;
  holder = &single;
  EXPECT_EQ(kDisplayOk, ReleaseSurface(&holder));
  EXPECT_EQ(nullptr, holder);
  EXPECT_EQ((HRESULT)0, lastDDResult);
}

// Which object each release went to, in order.
std::vector<const void*> ReleasedObjects(const FakeLog& log) {
  std::vector<const void*> out;
  for (const FakeCall& call : log.calls)
    if (call.name.find("Release") != std::string::npos) out.push_back(call.object);
  return out;
}

TEST_F(DisplayTest, FullScreenReleaseGoesThroughThePrimaryNeverTheChainsBackBuffer) {
  Init(kDisplayFullScreen);
  FakeSurface image("image"), scratch("scratch");
  lpImage1 = &image;
  lpScratch = &scratch;
  const void* primary = lpDDSPrimary;
  EXPECT_EQ(kDisplayOk, ReleaseDisplay());
  std::vector<const void*> want = {&image, &scratch, primary, &dd.palette, &dd};
  EXPECT_EQ(want, ReleasedObjects(log));
  EXPECT_EQ(nullptr, lpImage1);
  EXPECT_EQ(nullptr, lpScratch);
  EXPECT_EQ(nullptr, lpDDSPrimary);
  EXPECT_EQ(nullptr, lpDDPal);
  EXPECT_EQ(nullptr, lpDD);
}

TEST_F(DisplayTest, WindowedReleaseAlsoReleasesTheSeparateBackBuffer) {
  Init(0);
  FakeSurface image("image"), scratch("scratch");
  lpImage1 = &image;
  lpScratch = &scratch;
  const void* primary = lpDDSPrimary;
  const void* back = lpDDSBack;
  EXPECT_EQ(kDisplayOk, ReleaseDisplay());
  std::vector<const void*> want = {&image, &scratch, primary, back, &dd.palette, &dd};
  EXPECT_EQ(want, ReleasedObjects(log));
  EXPECT_EQ(nullptr, lpDDSBack);
}

TEST_F(DisplayTest, ReleaseAfterAFailedPictureSurfaceReleasesTheRest) {
  Init(kDisplayFullScreen);
  FakeSurface scratch("scratch");
  lpScratch = &scratch;
  const void* primary = lpDDSPrimary;
  EXPECT_EQ(kDisplayOk, ReleaseDisplay());
  std::vector<const void*> want = {&scratch, primary, &dd.palette, &dd};
  EXPECT_EQ(want, ReleasedObjects(log));
  EXPECT_EQ(DD_OK, lastDDResult) << "only the picture surfaces' releases are recorded";
}

// One drawing operation, called with fixed arguments; returns its status.
struct DrawOperation {
  const char* name;
  const char* platformCall;
  int (*run)(FakeSurface* target, FakeSurface* source);
};

RECT gDest = {10, 20, 110, 120};
RECT gSource = {0, 0, 142, 169};

const DrawOperation kOperations[] = {
    {"ColorFill", "Blt", [](FakeSurface* target, FakeSurface*) { return ColorFill(target, 9); }},
    {"BltToBack", "Blt",
     [](FakeSurface* target, FakeSurface* source) {
       lpDDSBack = target;
       return BltToBack(&gDest, source, &gSource, DDBLT_ALPHAEDGEBLEND, nullptr);
     }},
    {"BltToSurface", "Blt",
     [](FakeSurface* target, FakeSurface* source) {
       return BltToSurface(target, &gDest, source, &gSource, DDBLT_ALPHAEDGEBLEND, nullptr);
     }},
    {"BltFastToBack", "BltFast",
     [](FakeSurface* target, FakeSurface* source) {
       lpDDSBack = target;
       POINT at = {3, 4};
       return BltFastToBack(at, source, &gSource, DDBLTFAST_SRCCOLORKEY);
     }},
};

struct RetryCase {
  const char* what;
  std::vector<HRESULT> answers;
  size_t calls;
  int status;
  HRESULT last;
};

const RetryCase kRetryCases[] = {
    {"accepted", {DD_OK}, 1, kDisplayOk, DD_OK},
    {"busy twice, then accepted", {DDERR_WASSTILLDRAWING, DDERR_WASSTILLDRAWING, DD_OK}, 3,
     kDisplayOk, DD_OK},
    {"surface lost", {DDERR_SURFACELOST, DD_OK}, 1, kDisplayRefused, DDERR_SURFACELOST},
    {"busy, then lost", {DDERR_WASSTILLDRAWING, DDERR_SURFACELOST, DD_OK}, 2, kDisplayRefused,
     DDERR_SURFACELOST},
    {"invalid rectangle", {DDERR_INVALIDRECT, DD_OK}, 1, kDisplayRefused, DDERR_INVALIDRECT},
    {"busy, then refused", {DDERR_WASSTILLDRAWING, DDERR_GENERIC, DD_OK}, 2, kDisplayRefused,
     DDERR_GENERIC},
};

TEST_F(DisplayTest, RetryRuleRepeatsWhileBusyAndGivesUpOnALostSurface) {
  for (const DrawOperation& op : kOperations) {
    for (const RetryCase& rc : kRetryCases) {
      log.Reset();
      FakeSurface target("target"), source("source");
      log.Script(op.platformCall, rc.answers);
      int status = op.run(&target, &source);
      EXPECT_EQ(rc.status, status) << op.name << ", " << rc.what;
      EXPECT_EQ(rc.last, lastDDResult) << op.name << ", " << rc.what;
      EXPECT_EQ(rc.calls, log.Named(op.platformCall).size()) << op.name << ", " << rc.what;
      EXPECT_EQ(rc.calls, log.calls.size()) << op.name << ", " << rc.what << ": other calls made";
      for (const FakeCall& call : log.calls)
        EXPECT_EQ(&target, call.object) << op.name << ", " << rc.what;
    }
  }
}

TEST_F(DisplayTest, AbsentSurfacesAreRefusedWithoutAPlatformCall) {
  FakeSurface surface;
  RECT r = {0, 0, 1, 1};
  POINT at = {0, 0};
  struct Case {
    const char* what;
    std::function<int()> run;
  };
  std::vector<Case> cases = {
      {"ColorFill of nothing", [] { return ColorFill(nullptr, 0); }},
      {"BltToBack without back buffer",
       [&] {
         lpDDSBack = nullptr;
         return BltToBack(&r, &surface, &r, 0x10, nullptr);
       }},
      {"BltToBack without source",
       [&] {
         lpDDSBack = &surface;
         return BltToBack(&r, nullptr, &r, 0x10, nullptr);
       }},
      {"BltToSurface without target", [&] { return BltToSurface(nullptr, &r, &surface, &r, 0x10, nullptr); }},
      {"BltToSurface without source", [&] { return BltToSurface(&surface, &r, nullptr, &r, 0x10, nullptr); }},
      {"BltFastToBack without back buffer",
       [&] {
         lpDDSBack = nullptr;
         return BltFastToBack(at, &surface, &r, 1);
       }},
      {"BltFastToBack without source",
       [&] {
         lpDDSBack = &surface;
         return BltFastToBack(at, nullptr, &r, 1);
       }},
      {"PresentFrame without primary",
       [&] {
         lpDDSPrimary = nullptr;
         displayFlags = kDisplayFullScreen;
         return PresentFrame();
       }},
      {"windowed PresentFrame without back buffer",
       [&] {
         lpDDSPrimary = &surface;
         lpDDSBack = nullptr;
         displayFlags = 0;
         return PresentFrame();
       }},
  };
  for (const Case& c : cases) {
    log.Reset();
    lastDDResult = (HRESULT)0x1234;
    EXPECT_EQ(kDisplayRefused, c.run()) << c.what;
    EXPECT_TRUE(log.calls.empty()) << c.what << ": called " << log.calls[0].name;
    EXPECT_EQ((HRESULT)0x1234, lastDDResult) << c.what;
  }
}

TEST_F(DisplayTest, ColorFillFillsTheWholeSurfaceThroughAnEffectsRecord) {
  FakeSurface surface;
  EXPECT_EQ(kDisplayOk, ColorFill(&surface, 255));
  ASSERT_EQ(1u, log.calls.size());
  const FakeCall& call = log.calls[0];
  EXPECT_FALSE(call.hasDest);
  EXPECT_EQ(nullptr, call.source);
  EXPECT_FALSE(call.hasSourceRect);
  EXPECT_EQ(0x1000400u, call.flags);
  ASSERT_TRUE(call.hasFx);
  EXPECT_EQ(sizeof(DDBLTFX), call.fx.dwSize);
  EXPECT_EQ(255u, call.fx.dwFillColor);
}

TEST_F(DisplayTest, BlitsPassTheirArgumentsOnUnchanged) {
  FakeSurface back("back"), source("source"), target("target");
  lpDDSBack = &back;
  DDBLTFX fx;
  std::memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  fx.dwAlphaEdgeBlend = 7;
  RECT dest = {-5, 470, 30, 500};
  RECT src = {0, 0, 142, 169};

  EXPECT_EQ(kDisplayOk, BltToBack(&dest, &source, &src, 0x10, &fx));
  EXPECT_EQ(kDisplayOk, BltToSurface(&target, &dest, &source, &src, 0x10, nullptr));
  POINT at = {-10, 300};
  EXPECT_EQ(kDisplayOk, BltFastToBack(at, &source, &src, DDBLTFAST_SRCCOLORKEY));

  ASSERT_EQ(3u, log.calls.size());
  const FakeCall& toBack = log.calls[0];
  EXPECT_EQ(&back, toBack.object);
  EXPECT_TRUE(SameRect(dest, toBack.dest)) << RectText(toBack.dest);
  EXPECT_EQ(&source, toBack.source);
  EXPECT_TRUE(SameRect(src, toBack.sourceRect)) << RectText(toBack.sourceRect);
  EXPECT_EQ(0x10u, toBack.flags);
  ASSERT_TRUE(toBack.hasFx);
  EXPECT_EQ(7u, toBack.fx.dwAlphaEdgeBlend);

  const FakeCall& toSurface = log.calls[1];
  EXPECT_EQ(&target, toSurface.object);
  EXPECT_TRUE(SameRect(dest, toSurface.dest));
  EXPECT_FALSE(toSurface.hasFx);

  const FakeCall& fast = log.calls[2];
  EXPECT_EQ(&back, fast.object);
  EXPECT_EQ((DWORD)-10, fast.x) << "no clipping: the platform judges the point";
  EXPECT_EQ(300u, fast.y);
  EXPECT_EQ(&source, fast.source);
  EXPECT_TRUE(SameRect(src, fast.sourceRect));
  EXPECT_EQ((DWORD)DDBLTFAST_SRCCOLORKEY, fast.flags);
}

TEST_F(DisplayTest, FullScreenPresentFlipsOnceAndNeverRetries) {
  Init(kDisplayFullScreen);
  EXPECT_EQ(kDisplayOk, PresentFrame());
  ASSERT_EQ(1u, log.calls.size());
  EXPECT_EQ("Flip", log.calls[0].name);
  EXPECT_EQ(lpDDSPrimary, log.calls[0].object);
  EXPECT_EQ(nullptr, log.calls[0].source) << "the chain's next surface, no override";
  EXPECT_EQ((DWORD)DDFLIP_WAIT, log.calls[0].flags);

  for (HRESULT refusal : {DDERR_WASSTILLDRAWING, DDERR_SURFACELOST, DDERR_GENERIC}) {
    log.Reset();
    log.Script("Flip", {refusal, DD_OK});
    EXPECT_EQ(kDisplayRefused, PresentFrame());
    EXPECT_EQ(refusal, lastDDResult);
    EXPECT_EQ(1u, log.calls.size());
  }
}

TEST_F(DisplayTest, WindowedPresentBlitsOntoTheClientAreaOnTheDesktop) {
  Init(0);
  // A captioned window at the origin: its client area starts inside the border.
  TheFakePlatform().clientRect = {0, 0, 624, 441};
  TheFakePlatform().clientOrigin = {8, 31};
  EXPECT_EQ(kDisplayOk, PresentFrame());
  auto blits = log.Named("Blt");
  ASSERT_EQ(1u, blits.size());
  const FakeCall& blit = blits[0];
  EXPECT_EQ(lpDDSPrimary, blit.object);
  RECT want = {8, 31, 632, 472};
  EXPECT_TRUE(SameRect(want, blit.dest)) << RectText(blit.dest);
  EXPECT_EQ(lpDDSBack, blit.source);
  EXPECT_FALSE(blit.hasSourceRect) << "the whole back buffer";
  EXPECT_EQ(0x1000000u, blit.flags);
  EXPECT_FALSE(blit.hasFx);
  for (const FakeCall& call : log.calls)
    if (call.name == "GetClientRect" || call.name == "ClientToScreen")
      EXPECT_EQ(kWindow, call.window) << call.name;
  auto origin = log.Named("ClientToScreen");
  ASSERT_EQ(1u, origin.size());
  EXPECT_EQ(0u, origin[0].x);
  EXPECT_EQ(0u, origin[0].y);

  log.Reset();
  log.Script("Blt", {DDERR_WASSTILLDRAWING, DD_OK});
  EXPECT_EQ(kDisplayRefused, PresentFrame());
  EXPECT_EQ(DDERR_WASSTILLDRAWING, lastDDResult);
  EXPECT_EQ(1u, log.Named("Blt").size()) << "presentation does not retry";
}

TEST_F(DisplayTest, WindowedPresentWithoutAClientAreaDrawsNothing) {
  Init(0);
  TheFakePlatform().clientRectAnswer = FALSE;
  EXPECT_EQ(kDisplayRefused, PresentFrame());
  EXPECT_TRUE(log.Named("Blt").empty());
  TheFakePlatform().clientRectAnswer = TRUE;
  TheFakePlatform().clientToScreenAnswer = FALSE;
  EXPECT_EQ(kDisplayRefused, PresentFrame());
  EXPECT_TRUE(log.Named("Blt").empty());
}

}  // namespace
