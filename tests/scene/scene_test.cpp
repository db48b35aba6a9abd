// The fly-through field against fake surfaces: placement, one frame's
// arithmetic worked out here independently, the draw order and the blits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <string>
#include <vector>

#include "data/saver_data.h"
#include "display/display.h"
#include "image/palette.h"
#include "scene/scene_inspect.h"
#include "tests/display/fake_ddraw.h"

namespace {

// The generator as documented: state * 214013 + 2531011 mod 2^32, bits 16..30.
struct ReferenceRandom {
  uint64_t state;
  int Next() {
    state = (state * 214013u + 2531011u) % 4294967296u;
    return (int)((state >> 16) % 32768u);
  }
};

struct Object {
  int x, y, z, sx, sy;
};

// One copy as the frame should draw it.
struct Copy {
  int object;
  int z;  // depth after the frame's step
  int m, n, left, top;
};

// The field worked out from the rules, independently of the program's code.
struct ReferenceField {
  ReferenceRandom random;
  std::vector<Object> objects;
  std::vector<int> order;

  explicit ReferenceField(uint32_t seed) : random{seed} {}

  void Place(int count) {
    count = std::min(count, 50);
    objects.assign(count, Object{0, 0, 0, 0, 0});
    order.resize(count);
    for (int i = 0; i < count; i++) {
      do {
        objects[i].x = random.Next() % 640 - 320;
        objects[i].y = random.Next() % 480 - 240;
        objects[i].z = random.Next() % 100 + 1;
      } while (objects[i].x == 0 || objects[i].y == 0);
      order[i] = i;
    }
  }

  static int Project(int offset, int depth, int centre) {
    return (int)std::trunc(offset * 42.0 / depth) + centre;
  }

  // In single precision, the size taken as unsigned; sizes beyond int32 (only
  // from absurd headers) saturate.
  static int Size(int32_t size, int depth) {
    float f = (float)std::max(depth, 25);
    float whole = (float)(uint32_t)size;
    float scaled = whole - whole * 0.013333334f * f;
    if (scaled >= 2147483648.0f) return INT32_MAX;
    return (int)std::trunc(scaled);
  }

  // Advances one frame; returns the copies farthest first.
  std::vector<Copy> Frame(int32_t width, int32_t height) {
    for (Object& o : objects) {
      o.sx = Project(o.x, o.z, 320);
      o.sy = Project(o.y, o.z, 240);
    }
    for (Object& o : objects) {
      if (--o.z < 1) {
        o.z = 100;
        o.x = random.Next() % 640 - 320;
        o.y = random.Next() % 480 - 240;
      }
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return objects[a].z < objects[b].z; });
    std::vector<Copy> copies;
    for (auto k = order.rbegin(); k != order.rend(); ++k) {
      const Object& o = objects[*k];
      Copy c;
      c.object = *k;
      c.z = o.z;
      c.m = Size(width, o.z);
      c.n = Size(height, o.z);
      c.left = o.sx - (int)std::trunc(c.m / 2.0);
      c.top = o.sy - (int)std::trunc(c.n / 2.0);
      copies.push_back(c);
    }
    return copies;
  }
};

std::string Describe(const Copy& c) {
  return "object " + std::to_string(c.object) + " at depth " + std::to_string(c.z) + ", " +
         std::to_string(c.m) + "x" + std::to_string(c.n) + " at (" + std::to_string(c.left) +
         ", " + std::to_string(c.top) + ")";
}

class SceneTest : public ::testing::Test {
 protected:
  FakeLog& log = TheFakeLog();
  FakeDirectDraw dd;
  FakeSurface primary{"primary"}, back{"back"}, image{"image"}, scratch{"scratch"};

  void SetUp() override {
    log.Reset();
    lpDD = &dd;
    lpDDSPrimary = &primary;
    lpDDSBack = &back;
    lpDDPal = &dd.palette;
    lpImage1 = &image;
    lpScratch = &scratch;
    displayFlags = kDisplayFullScreen;
    backgroundIndex = 12;
    saverHeader = SaverHeader();
    ImageSlot& slot = saverHeader.slots[0];
    slot.width = 142;
    slot.height = 169;
    slot.colorKey = kNoColorKey;
    slot.offset = 57741;
    slot.size = 19062;
    slot.type = 'x';
    saverHeader.objectCount = 9;
    saverHeader.useBackground = 1;
    saverHeader.backgroundIndex = 12;
    dataPath = nullptr;
  }
  void TearDown() override {
    lpDD = nullptr;
    lpDDSPrimary = lpDDSBack = lpImage1 = lpScratch = nullptr;
    lpDDPal = nullptr;
    PlaceObjects(0);
  }

  // A scaled copy of the whole picture onto target, with no effects.
  void ExpectScaledCopy(const FakeCall& blit, const FakeSurface* target, const RECT& dest,
                        const std::string& where) {
    const ImageSlot& slot = saverHeader.slots[0];
    RECT whole = {0, 0, slot.width, slot.height};
    EXPECT_EQ("Blt", blit.name) << where;
    EXPECT_EQ(target, blit.object) << where;
    EXPECT_TRUE(SameRect(dest, blit.dest)) << where << ", got " << RectText(blit.dest);
    EXPECT_EQ(&image, blit.source) << where;
    EXPECT_TRUE(SameRect(whole, blit.sourceRect)) << where << ", got " << RectText(blit.sourceRect);
    EXPECT_EQ(0x10u, blit.flags) << where;
    EXPECT_FALSE(blit.hasFx) << where;
  }

  // Checks the frame just drawn against the reference's copies.
  void ExpectFrame(const std::vector<Copy>& copies, int frame) {
    const ImageSlot& slot = saverHeader.slots[0];
    bool keyed = slot.colorKey != kNoColorKey;
    size_t perCopy = keyed ? 3 : 1;
    ASSERT_EQ(2 + copies.size() * perCopy, log.calls.size()) << "frame " << frame;

    const FakeCall& clear = log.calls.front();
    EXPECT_EQ(&back, clear.object) << "frame " << frame;
    EXPECT_EQ(0x1000400u, clear.flags);
    EXPECT_EQ((DWORD)backgroundIndex, clear.fx.dwFillColor);

    for (size_t i = 0; i < copies.size(); i++) {
      const Copy& c = copies[i];
      std::string where = "frame " + std::to_string(frame) + ", copy " + std::to_string(i) + ": " +
                          Describe(c);
      RECT dest = {c.left, c.top, c.left + c.m, c.top + c.n};
      RECT scaled = {0, 0, c.m, c.n};
      if (!keyed) {
        ExpectScaledCopy(log.calls[1 + i], &back, dest, where);
        continue;
      }
      const FakeCall& fill = log.calls[1 + 3 * i];
      const FakeCall& scale = log.calls[2 + 3 * i];
      const FakeCall& fast = log.calls[3 + 3 * i];
      EXPECT_EQ("Blt", fill.name) << where;
      EXPECT_EQ(&scratch, fill.object) << where;
      EXPECT_EQ(0x1000400u, fill.flags) << where;
      EXPECT_EQ(255u, fill.fx.dwFillColor) << where;
      ExpectScaledCopy(scale, &scratch, scaled, where);
      EXPECT_EQ("BltFast", fast.name) << where;
      EXPECT_EQ(&back, fast.object) << where;
      EXPECT_EQ((DWORD)c.left, fast.x) << where;
      EXPECT_EQ((DWORD)c.top, fast.y) << where;
      EXPECT_EQ(&scratch, fast.source) << where;
      EXPECT_TRUE(SameRect(scaled, fast.sourceRect)) << where;
      EXPECT_EQ((DWORD)DDBLTFAST_SRCCOLORKEY, fast.flags) << where;
    }
    const FakeCall& flip = log.calls.back();
    EXPECT_EQ("Flip", flip.name) << "frame " << frame;
    EXPECT_EQ(&primary, flip.object);
  }

  void ExpectSameField(const ReferenceField& field, const std::string& when) {
    ASSERT_EQ((int)field.objects.size(), SceneObjectCount()) << when;
    for (int i = 0; i < SceneObjectCount(); i++) {
      FlyObject got = SceneObject(i);
      const Object& want = field.objects[i];
      EXPECT_TRUE(got.x == want.x && got.y == want.y && got.z == want.z)
          << when << ", object " << i << ": got (" << got.x << ", " << got.y << ", " << got.z
          << ") want (" << want.x << ", " << want.y << ", " << want.z << ")";
      EXPECT_EQ(field.order[i], SceneDrawOrder(i)) << when << ", order position " << i;
    }
  }
};

TEST(RandomTest, SeedOneStartsWithTheDocumentedValues) {
  SeedRandom(1);
  EXPECT_EQ(41, NextRandom());
  EXPECT_EQ(18467, NextRandom());
  EXPECT_EQ(6334, NextRandom());
}

TEST(RandomTest, FollowsTheFormulaThroughWrapAround) {
  for (uint32_t seed : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu, 1700000000u}) {
    SeedRandom(seed);
    ReferenceRandom reference{seed};
    for (int i = 0; i < 10000; i++) {
      int want = reference.Next();
      int got = NextRandom();
      ASSERT_EQ(want, got) << "seed " << seed << ", value " << i;
    }
  }
}

TEST_F(SceneTest, SeedOnePlacesTheFirstObjectAtTheDocumentedPoint) {
  SeedRandom(1);
  PlaceObjects(1);
  ASSERT_EQ(1, SceneObjectCount());
  FlyObject first = SceneObject(0);
  EXPECT_EQ(-279, first.x);
  EXPECT_EQ(-13, first.y);
  EXPECT_EQ(35, first.z);
  EXPECT_EQ(0, SceneDrawOrder(0));
}

TEST_F(SceneTest, PlacementDrawsAgainWhileEitherOffsetIsZero) {
  // Find seeds whose first draw lands on an axis through the centre.
  for (int axis = 0; axis < 2; axis++) {
    uint32_t seed = 0;
    for (;; seed++) {
      ReferenceRandom r{seed};
      int x = r.Next() % 640 - 320;
      int y = r.Next() % 480 - 240;
      if ((axis == 0 && x == 0) || (axis == 1 && y == 0 && x != 0)) break;
    }
    ReferenceField field(seed);
    field.Place(3);
    SeedRandom(seed);
    PlaceObjects(3);
    ExpectSameField(field, "seed " + std::to_string(seed));
    for (int i = 0; i < 3; i++) {
      EXPECT_NE(0, SceneObject(i).x) << "seed " << seed;
      EXPECT_NE(0, SceneObject(i).y) << "seed " << seed;
    }
  }
}

TEST_F(SceneTest, ObjectCountIsCappedAtTheFieldsCapacity) {
  for (int count : {0, 1, 50, 51, 255}) {
    saverHeader.objectCount = (uint8_t)count;
    log.Reset();
    lpImage1 = lpScratch = nullptr;
    SetupScene();
    EXPECT_EQ(std::min(count, 50), SceneObjectCount()) << "object count " << count;
  }
}

TEST_F(SceneTest, SetupSeedsFromTheCalendarClock) {
  saverHeader.objectCount = 20;
  time_t before = time(nullptr);
  SetupScene();
  time_t after = time(nullptr);
  bool matched = false;
  for (time_t t = before; t <= after && !matched; t++) {
    ReferenceField field((uint32_t)t);
    field.Place(20);
    bool same = true;
    for (int i = 0; i < 20; i++) {
      FlyObject got = SceneObject(i);
      same = same && got.x == field.objects[i].x && got.y == field.objects[i].y &&
             got.z == field.objects[i].z;
    }
    matched = same;
  }
  EXPECT_TRUE(matched) << "placement matches no seed between " << before << " and " << after;
}

TEST_F(SceneTest, SetupMakesKeyedSurfacesAndLoadsThePalette) {
  lpImage1 = lpScratch = nullptr;
  saverHeader.slots[0].colorKey = 7;
  saverHeader.backgroundIndex = 200;
  SetupScene();

  std::vector<std::string> want = {"CreateSurface", "SetColorKey", "CreateSurface", "SetColorKey",
                                   "SetEntries"};
  ASSERT_EQ(want, log.Names());
  const auto& c = log.calls;
  EXPECT_EQ(142u, c[0].desc.dwWidth);
  EXPECT_EQ(169u, c[0].desc.dwHeight);
  EXPECT_EQ((DWORD)DDSCAPS_OFFSCREENPLAIN, c[0].desc.ddsCaps.dwCaps);
  EXPECT_EQ(&lpImage1, c[0].extra);
  EXPECT_EQ(lpImage1, c[1].object);
  EXPECT_EQ((DWORD)DDCKEY_SRCBLT, c[1].flags);
  EXPECT_EQ(7u, c[1].key.dwColorSpaceLowValue);
  EXPECT_EQ(0u, c[1].key.dwColorSpaceHighValue);
  EXPECT_EQ(162u, c[2].desc.dwWidth);
  EXPECT_EQ(189u, c[2].desc.dwHeight);
  EXPECT_EQ(&lpScratch, c[2].extra);
  EXPECT_EQ(lpScratch, c[3].object);
  EXPECT_EQ(7u, c[3].key.dwColorSpaceLowValue);
  EXPECT_EQ(0u, c[3].flags & ~(DWORD)DDCKEY_SRCBLT);
  EXPECT_EQ(&dd.palette, c[4].object);
  EXPECT_EQ((const void*)paletteEntries, c[4].entriesPointer);
  EXPECT_EQ(256u, c[4].count);
  EXPECT_EQ(200, backgroundIndex) << "the header names the background";
}

TEST_F(SceneTest, NoColourKeyMeansNoKeyCalls) {
  lpImage1 = lpScratch = nullptr;
  SetupScene();
  EXPECT_TRUE(log.Named("SetColorKey").empty());
  EXPECT_EQ(2u, log.Named("CreateSurface").size());
}

TEST_F(SceneTest, FailedSurfaceShowsTheBoxAndTheShowGoesOn) {
  lpImage1 = lpScratch = nullptr;
  log.Script("CreateSurface", {DDERR_INVALIDPARAMS, DDERR_INVALIDPARAMS});
  testing::internal::CaptureStderr();
  EXPECT_EQ(1, SetupScene());
  std::string said = testing::internal::GetCapturedStderr();
  size_t first = said.find("Error initialising lpImage1 surface");
  ASSERT_NE(std::string::npos, first) << said;
  EXPECT_NE(std::string::npos, said.find("Error initialising lpImage1 surface", first + 1))
      << "one box for each surface: " << said;
  EXPECT_EQ(nullptr, lpImage1);
  EXPECT_EQ(nullptr, lpScratch);
  EXPECT_EQ(1u, log.Named("SetEntries").size());
  EXPECT_EQ(9, SceneObjectCount());

  // Frames go on; only the clear and the flip reach the platform.
  log.Reset();
  DrawFrame();
  std::vector<std::string> want = {"Blt", "Flip"};
  EXPECT_EQ(want, log.Names());
}

struct CorruptSize {
  int32_t width, height;
  int imageCalls, scratchCalls;  // CreateSurface calls expected for each
};

TEST_F(SceneTest, SizesBeyondSixteenBitsMakeNoSurfaceAndNoUndefinedArithmetic) {
  const CorruptSize cases[] = {
      {-1, 10, 0, 1},           {10, -1, 0, 1},          {-21, 5, 0, 0},
      {65535, 1, 1, 0},         {65515, 65515, 1, 1},    {65516, 1, 1, 0},
      {INT32_MAX, INT32_MAX, 0, 0}, {INT32_MIN, INT32_MIN, 0, 0}, {0, 0, 1, 1},
  };
  for (const CorruptSize& cs : cases) {
    std::string what = std::to_string(cs.width) + " x " + std::to_string(cs.height);
    SetUp();
    lpImage1 = lpScratch = nullptr;
    saverHeader.slots[0].width = cs.width;
    saverHeader.slots[0].height = cs.height;
    testing::internal::CaptureStderr();
    SetupScene();
    std::string said = testing::internal::GetCapturedStderr();
    auto made = log.Named("CreateSurface");
    ASSERT_EQ((size_t)(cs.imageCalls + cs.scratchCalls), made.size()) << what;
    size_t boxes = 0;
    for (size_t at = said.find("Error initialising"); at != std::string::npos;
         at = said.find("Error initialising", at + 1))
      boxes++;
    EXPECT_EQ((size_t)(2 - cs.imageCalls - cs.scratchCalls), boxes) << what << ": " << said;

  }
}

TEST_F(SceneTest, AbsurdPictureSizesSaturateInsteadOfOverflowing) {
  // Taken as unsigned, -1 is 4294967295: two thirds of it exceed int32.
  for (int32_t width : {-1, INT32_MIN, INT32_MAX}) {
    SetUp();
    saverHeader.slots[0].width = width;
    saverHeader.slots[0].height = width;
    SeedRandom(99);
    PlaceObjects(50);
    ReferenceField field(99);
    field.Place(50);
    for (int frame = 0; frame < 30; frame++) {
      log.Reset();
      DrawFrame();
      ExpectFrame(field.Frame(width, width), frame);
      if (HasFailure()) return;
    }
  }
}

TEST_F(SceneTest, EmptyFieldOnlyClearsAndPresents) {
  PlaceObjects(0);
  backgroundIndex = 44;
  DrawFrame();
  ASSERT_EQ(2u, log.calls.size());
  EXPECT_EQ(&back, log.calls[0].object);
  EXPECT_EQ(44u, log.calls[0].fx.dwFillColor);
  EXPECT_EQ("Flip", log.calls[1].name);
  EXPECT_EQ((DWORD)DDFLIP_WAIT, log.calls[1].flags);
}

TEST_F(SceneTest, FramesFollowTheRulesFrameAfterFrame) {
  struct Run {
    uint32_t seed;
    int count;
    int32_t key;
    int frames;
    int32_t width, height;
  };
  // Small multiples of 3 and 5 are where single and double precision part ways.
  const Run runs[] = {{12345, 50, kNoColorKey, 210, 142, 169}, {7, 50, 7, 120, 142, 169},
                      {1, 1, kNoColorKey, 150, 142, 169},     {1, 1, 0, 150, 142, 169},
                      {2024, 9, kNoColorKey, 100, 142, 169},  {5, 50, kNoColorKey, 110, 15, 9},
                      {6, 50, 3, 110, 3, 6},                  {8, 50, kNoColorKey, 110, 640, 480}};
  for (const Run& run : runs) {
    SetUp();
    saverHeader.slots[0].colorKey = run.key;
    saverHeader.slots[0].width = run.width;
    saverHeader.slots[0].height = run.height;
    SeedRandom(run.seed);
    PlaceObjects(run.count);
    ReferenceField field(run.seed);
    field.Place(run.count);
    for (int frame = 0; frame < run.frames; frame++) {
      std::vector<Object> before = field.objects;
      log.Reset();
      DrawFrame();
      std::vector<Copy> copies = field.Frame(run.width, run.height);
      ExpectFrame(copies, frame);
      ExpectSameField(field, "seed " + std::to_string(run.seed) + ", after frame " +
                                 std::to_string(frame));
      for (int i = 0; i < run.count; i++) {
        FlyObject got = SceneObject(i);
        EXPECT_EQ(field.objects[i].sx, got.sx) << "object " << i << ", frame " << frame;
        EXPECT_EQ(field.objects[i].sy, got.sy) << "object " << i << ", frame " << frame;
        if (before[i].z == 1) {
          // Projected at depth 1 from where it was, then sent back to depth 100.
          EXPECT_EQ(before[i].x * 42 + 320, got.sx) << "object " << i << ", frame " << frame;
          EXPECT_EQ(before[i].y * 42 + 240, got.sy) << "object " << i << ", frame " << frame;
          EXPECT_EQ(100, got.z) << "object " << i << ", frame " << frame;
        }
      }
      if (HasFailure()) return;
    }
  }
}

TEST_F(SceneTest, EqualDepthsKeepTheirOrder) {
  // 50 objects over 100 depths: many equal depths in every frame.
  SeedRandom(4242);
  PlaceObjects(50);
  int equalPairs = 0;
  for (int frame = 0; frame < 100; frame++) {
    std::vector<int> previous;
    for (int k = 0; k < 50; k++) previous.push_back(SceneDrawOrder(k));
    log.Reset();
    DrawFrame();
    for (int k = 1; k < 50; k++) {
      int a = SceneDrawOrder(k - 1), b = SceneDrawOrder(k);
      ASSERT_LE(SceneObject(a).z, SceneObject(b).z) << "frame " << frame << ", position " << k;
      if (SceneObject(a).z != SceneObject(b).z) continue;
      equalPairs++;
      auto pa = std::find(previous.begin(), previous.end(), a);
      auto pb = std::find(previous.begin(), previous.end(), b);
      EXPECT_LT(pa, pb) << "frame " << frame << ": objects " << a << " and " << b
                        << " at equal depth " << SceneObject(a).z << " were swapped";
    }
  }
  EXPECT_GT(equalPairs, 0) << "the run never had equal depths to check";
}

TEST_F(SceneTest, CopySizesFollowDepthInSinglePrecision) {
  // A 142-pixel-wide picture: 94 at depth 25 or nearer, 47 at 50, 1 at 74,
  // nothing (empty or inverted) beyond. 3 - 3 * 0.013333334f * 25 is 2.0 in
  // single precision but 1.99999997 in double.
  struct Size {
    int32_t width;
    int depth;  // 25 stands for every depth up to 25
    int copyWidth;
  };
  const Size sizes[] = {{142, 25, 94}, {142, 50, 47}, {142, 74, 1}, {142, 75, 0},
                        {142, 100, -47}, {3, 25, 2},  {15, 25, 10}, {15, 30, 9}};
  for (const Size& size : sizes) {
    SetUp();
    saverHeader.slots[0].width = size.width;
    SeedRandom(31337);
    PlaceObjects(50);
    int checked = 0;
    for (int frame = 0; frame < 100; frame++) {
      log.Reset();
      DrawFrame();
      for (int k = 0; k < 50; k++) {
        int z = SceneObject(SceneDrawOrder(49 - k)).z;
        if (z != size.depth && !(size.depth == 25 && z < 25)) continue;
        const FakeCall& blit = log.calls[1 + k];
        EXPECT_EQ(size.copyWidth, blit.dest.right - blit.dest.left)
            << "width " << size.width << " at depth " << z;
        checked++;
      }
    }
    EXPECT_GT(checked, 0) << "no copy at depth " << size.depth;
  }
}

TEST_F(SceneTest, SetupWithAPictureStillLoadsThePaletteWhenTheFileIsMissing) {
  lpImage1 = lpScratch = nullptr;
  saverHeader.slots[0].type = 'g';
  saverHeader.useBackground = 1;
  saverHeader.backgroundIndex = 3;
  char missing[] = "/nonexistent/voq-scene-test.scr";
  dataPath = missing;
  EXPECT_EQ(1, SetupScene());
  EXPECT_EQ(1u, log.Named("SetEntries").size());
  EXPECT_EQ(3, backgroundIndex);
  dataPath = nullptr;
}

}  // namespace
