// The software DirectDraw's blits: fills, refused rectangles, scaled copies,
// colour keys and copies within one surface, checked pixel by pixel.
#include <string.h>

#include <random>

#include "ddraw_test_support.h"

namespace {

BYTE Pattern(int x, int y) { return (BYTE)(x * 7 + y * 13 + 1); }
BYTE Coordinates(int x, int y) { return (BYTE)(y * 16 + x); }

class Blits : public FullScreen {
 protected:
  void SetUp() override {
    FullScreen::SetUp();
    source = MakeOffscreen(dd, 16, 16);
    target = MakeOffscreen(dd, 16, 16);
    ASSERT_NE(nullptr, source);
    ASSERT_NE(nullptr, target);
    WritePixels(source, Coordinates);
    WritePixels(target, Pattern);
  }
  void TearDown() override {
    if (source != nullptr) EXPECT_EQ(0u, source->Release());
    if (target != nullptr) EXPECT_EQ(0u, target->Release());
    FullScreen::TearDown();
  }
  // The target as it was painted, with f applied to each pixel.
  Pixels Expected(const std::function<BYTE(int, int, BYTE)>& f) {
    Pixels expected;
    expected.width = expected.height = 16;
    for (int y = 0; y < 16; y++)
      for (int x = 0; x < 16; x++) expected.values.push_back(f(x, y, Pattern(x, y)));
    return expected;
  }

  LPDIRECTDRAWSURFACE source = nullptr;
  LPDIRECTDRAWSURFACE target = nullptr;
};

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

TEST_F(Blits, FillsWriteTheLowByteIntoTheRectangleOnly) {
  const RECT rects[] = {{0, 0, 16, 16}, {2, 3, 6, 5}, {15, 15, 16, 16}, {0, 7, 16, 8}, {4, 0, 5, 16}};
  const DWORD colors[] = {0x12345678, 0xFF, 0x100};
  for (RECT rect : rects) {
    for (DWORD color : colors) {
      WritePixels(target, Pattern);
      RECT given = rect;
      ASSERT_EQ(DD_OK, FillSurface(target, &given, color));
      Pixels expected = Expected([&](int x, int y, BYTE was) { return Inside(rect, x, y) ? (BYTE)color : was; });
      EXPECT_EQ("", Differences(expected, ReadPixels(target)))
          << "fill {" << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom << "} with 0x"
          << std::hex << color;
    }
  }
  ASSERT_EQ(DD_OK, FillSurface(target, nullptr, 0xAB));
  EXPECT_EQ("", Differences(Expected([](int, int, BYTE) { return (BYTE)0xAB; }), ReadPixels(target)));
  RECT ignored = {-5, -5, 100, 100};
  DDBLTFX fx = {};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = 3;
  EXPECT_EQ(DD_OK, target->Blt(nullptr, source, &ignored, DDBLT_COLORFILL, &fx)) << "the source is ignored";
  EXPECT_EQ(3, ReadPixels(target).at(9, 9));
  EXPECT_EQ(DDERR_INVALIDPARAMS, target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, nullptr));
}

struct BadRect {
  const char* name;
  RECT rect;
};

const BadRect kBadRects[] = {
    {"inverted x", {6, 2, 3, 8}},       {"inverted y", {2, 8, 6, 3}},    {"empty width", {4, 4, 4, 9}},
    {"empty height", {4, 4, 9, 4}},     {"one past right", {8, 0, 17, 4}}, {"one past bottom", {0, 8, 4, 17}},
    {"one before left", {-1, 0, 4, 4}}, {"one above top", {0, -1, 4, 4}}, {"negative", {-6, -6, -2, -2}},
    {"huge", {0, 0, 0x7fffffff, 4}},    {"far left", {(LONG)0x80000000, 0, 4, 4}},
};

TEST_F(Blits, EveryBadRectangleIsRefusedAndDrawsNothing) {
  struct Operation {
    const char* name;
    std::function<HRESULT(RECT*)> run;
  };
  RECT whole = {0, 0, 4, 4};
  const Operation operations[] = {
      {"fill", [&](RECT* r) { return FillSurface(target, r, 0x77); }},
      {"copy to", [&](RECT* r) { return target->Blt(r, source, &whole, DDBLT_WAIT, nullptr); }},
      {"copy from", [&](RECT* r) { return target->Blt(&whole, source, r, DDBLT_WAIT, nullptr); }},
      {"scaled copy from", [&](RECT* r) {
         RECT to = {0, 0, 9, 9};
         return target->Blt(&to, source, r, DDBLT_ALPHAEDGEBLEND, nullptr);
       }},
      {"fast copy from", [&](RECT* r) { return target->BltFast(0, 0, source, r, DDBLTFAST_NOCOLORKEY); }},
  };
  for (const Operation& operation : operations) {
    for (const BadRect& bad : kBadRects) {
      WritePixels(target, Pattern);
      RECT rect = bad.rect;
      EXPECT_EQ(DDERR_INVALIDRECT, operation.run(&rect)) << operation.name << " " << bad.name;
      EXPECT_EQ("", Differences(Expected([](int, int, BYTE was) { return was; }), ReadPixels(target)))
          << operation.name << " " << bad.name;
    }
  }
}

TEST_F(Blits, AFastCopyMustFitWhereItIsPlaced) {
  struct Place {
    DWORD x, y;
    RECT from;
    HRESULT expected;
  };
  const Place places[] = {
      {8, 8, {0, 0, 8, 8}, DD_OK},
      {0, 0, {0, 0, 16, 16}, DD_OK},
      {9, 0, {0, 0, 8, 8}, DDERR_INVALIDRECT},
      {0, 9, {0, 0, 8, 8}, DDERR_INVALIDRECT},
      {16, 0, {0, 0, 1, 1}, DDERR_INVALIDRECT},
      {(DWORD)-1, 0, {0, 0, 2, 2}, DDERR_INVALIDRECT},
      {0, 0xFFFFFFF0u, {0, 0, 2, 2}, DDERR_INVALIDRECT},
  };
  for (const Place& place : places) {
    WritePixels(target, Pattern);
    RECT from = place.from;
    ASSERT_EQ(place.expected, target->BltFast(place.x, place.y, source, &from, DDBLTFAST_WAIT))
        << "at " << (LONG)place.x << "," << (LONG)place.y;
    RECT to = {(LONG)place.x, (LONG)place.y, (LONG)place.x + from.right - from.left,
               (LONG)place.y + from.bottom - from.top};
    Pixels expected = Expected([&](int x, int y, BYTE was) {
      if (place.expected != DD_OK || !Inside(to, x, y)) return was;
      return Coordinates(x - to.left + from.left, y - to.top + from.top);
    });
    EXPECT_EQ("", Differences(expected, ReadPixels(target))) << "at " << (LONG)place.x << "," << (LONG)place.y;
  }
  EXPECT_EQ(DDERR_INVALIDPARAMS, target->BltFast(0, 0, nullptr, nullptr, 0));
  EXPECT_EQ(DDERR_UNSUPPORTED, target->BltFast(0, 0, source, nullptr, DDBLTFAST_DESTCOLORKEY));
}

// Which source column (or row) each destination column takes, as the
// Windows build under Wine gives them.
struct Scale {
  LONG from, to;
  std::vector<int> taken;
};

const Scale kScales[] = {
    {4, 4, {0, 1, 2, 3}},
    {4, 8, {0, 0, 1, 1, 2, 2, 3, 3}},
    {8, 4, {0, 2, 4, 6}},
    {4, 12, {0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3}},
    {2, 6, {0, 0, 0, 0, 1, 1}},
    {8, 2, {0, 4}},
    {6, 4, {0, 1, 3, 4}},
    {4, 6, {0, 0, 1, 1, 2, 3}},
    {5, 3, {0, 1, 3}},
    {3, 5, {0, 0, 1, 1, 2}},
    {3, 7, {0, 0, 0, 1, 1, 2, 2}},
    {7, 3, {0, 2, 4}},
    {7, 5, {0, 1, 2, 4, 5}},
    {16, 1, {0}},
    {1, 5, {0, 0, 0, 0, 0}},
};

TEST_F(Blits, ScaledCopiesTakeTheNearestPixelsAndLeaveTheRestAlone) {
  const DWORD flagsTried[] = {0, DDBLT_WAIT, DDBLT_ALPHAEDGEBLEND};
  for (const Scale& across : kScales) {
    for (const Scale& down : {kScales[1], kScales[3], kScales[9]}) {
      for (DWORD flags : flagsTried) {
        // Both rectangles away from the corner, to catch offsets.
        LONG left = across.from < 16 ? 1 : 0;
        RECT from = {left, 2, left + across.from, 2 + down.from};
        RECT to = {16 - across.to, 16 - down.to, 16, 16};
        WritePixels(target, Pattern);
        ASSERT_EQ(DD_OK, target->Blt(&to, source, &from, flags, nullptr));
        Pixels expected = Expected([&](int x, int y, BYTE was) {
          if (!Inside(to, x, y)) return was;
          return Coordinates(from.left + across.taken[x - to.left], from.top + down.taken[y - to.top]);
        });
        EXPECT_EQ("", Differences(expected, ReadPixels(target)))
            << across.from << "x" << down.from << " to " << across.to << "x" << down.to << " flags 0x"
            << std::hex << flags;
      }
    }
  }
}

TEST_F(FullScreen, APictureScaledDownKeepsItsOrderAndEnds) {
  // The size the show uses most: every column and row is taken in order,
  // none from outside the picture, the first first.
  LPDIRECTDRAWSURFACE picture = MakeOffscreen(dd, 142, 169);
  LPDIRECTDRAWSURFACE copy = MakeOffscreen(dd, 94, 112);
  WritePixels(picture, [](int x, int) { return (BYTE)x; });
  ASSERT_EQ(DD_OK, copy->Blt(nullptr, picture, nullptr, DDBLT_ALPHAEDGEBLEND, nullptr));
  Pixels across = ReadPixels(copy);
  WritePixels(picture, [](int, int y) { return (BYTE)y; });
  ASSERT_EQ(DD_OK, copy->Blt(nullptr, picture, nullptr, DDBLT_ALPHAEDGEBLEND, nullptr));
  Pixels down = ReadPixels(copy);
  for (int y = 0; y < 112; y++) {
    for (int x = 0; x < 94; x++) {
      int column = across.at(x, y), row = down.at(x, y);
      ASSERT_EQ(column, across.at(x, 0)) << "column of (" << x << "," << y << ")";
      ASSERT_EQ(row, down.at(0, y)) << "row of (" << x << "," << y << ")";
      if (x > 0) ASSERT_GT(column, across.at(x - 1, 0)) << "column of (" << x << "," << y << ")";
      if (y > 0) ASSERT_GT(row, down.at(0, y - 1)) << "row of (" << x << "," << y << ")";
      // A shrink by 142/94 takes one or two steps of a column at a time.
      if (x > 0) ASSERT_LE(column - across.at(x - 1, 0), 2) << "column of (" << x << "," << y << ")";
    }
  }
  EXPECT_EQ(0, across.at(0, 0));
  EXPECT_EQ(0, down.at(0, 0));
  EXPECT_GE(across.at(93, 0), 139);
  EXPECT_GE(down.at(0, 111), 166);
  EXPECT_EQ(0u, picture->Release());
  EXPECT_EQ(0u, copy->Release());
}

TEST_F(Blits, APlainCopyIgnoresTheKeyAndDDBLT_KEYSRCHonoursIt) {
  DDCOLORKEY key = {0x23, 0};
  RECT to = {0, 0, 16, 16};
  EXPECT_EQ(DDERR_INVALIDPARAMS, target->Blt(&to, source, nullptr, DDBLT_KEYSRC, nullptr)) << "no key yet";
  ASSERT_EQ(DD_OK, source->SetColorKey(DDCKEY_SRCBLT, &key));
  for (DWORD flags : {0u, DDBLT_ALPHAEDGEBLEND}) {
    WritePixels(target, Pattern);
    ASSERT_EQ(DD_OK, target->Blt(&to, source, nullptr, flags, nullptr));
    EXPECT_EQ(0x23, ReadPixels(target).at(3, 2)) << "the key's pixel copied with flags " << flags;
  }
  for (RECT dest : {RECT{0, 0, 16, 16}, RECT{0, 0, 8, 8}, RECT{0, 0, 16, 8}}) {
    WritePixels(target, Pattern);
    ASSERT_EQ(DD_OK, target->Blt(&dest, source, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr));
    int sx = 16 / (dest.right - dest.left), sy = 16 / (dest.bottom - dest.top);
    Pixels expected = Expected([&](int x, int y, BYTE was) {
      if (!Inside(dest, x, y)) return was;
      BYTE value = Coordinates(x * sx, y * sy);
      return value == 0x23 ? was : value;
    });
    EXPECT_EQ("", Differences(expected, ReadPixels(target))) << "to " << dest.right << "x" << dest.bottom;
  }
  WritePixels(target, Pattern);
  EXPECT_EQ(DDERR_UNSUPPORTED, target->Blt(&to, source, nullptr, DDBLT_KEYDEST, nullptr));
  EXPECT_EQ("", Differences(Expected([](int, int, BYTE was) { return was; }), ReadPixels(target)));
}

TEST_F(FullScreen, AKeyedFastCopySkipsExactlyTheKeysPixels) {
  // Random pictures with the key frequent, every width up to 24 at every
  // alignment, so that whole groups of eight and the odd ends both run.
  std::mt19937 random(1234);
  LPDIRECTDRAWSURFACE picture = MakeOffscreen(dd, 24, 6);
  LPDIRECTDRAWSURFACE scene = MakeOffscreen(dd, 40, 8);
  for (BYTE key : {0, 0x80, 0x7F, 0xFF, 0x01}) {
    DDCOLORKEY colorKey = {key, 0};
    ASSERT_EQ(DD_OK, picture->SetColorKey(DDCKEY_SRCBLT, &colorKey));
    for (LONG width = 1; width <= 24; width++) {
      for (DWORD x = 0; x < 9; x++) {
        std::vector<BYTE> values(24 * 6);
        for (BYTE& v : values) v = random() % 3 == 0 ? key : (BYTE)(random() % 256);
        WritePixels(picture, [&](int px, int py) { return values[py * 24 + px]; });
        WritePixels(scene, Pattern);
        RECT from = {24 - width, 0, 24, 6};
        ASSERT_EQ(DD_OK, scene->BltFast(x, 1, picture, &from, DDBLTFAST_SRCCOLORKEY));
        Pixels got = ReadPixels(scene);
        for (int py = 0; py < 8; py++) {
          for (int px = 0; px < 40; px++) {
            BYTE expected = Pattern(px, py);
            bool under = px >= (int)x && px < (int)x + width && py >= 1 && py < 7;
            if (under) {
              BYTE value = values[(py - 1) * 24 + from.left + px - x];
              if (value != key) expected = value;
            }
            ASSERT_EQ(expected, got.at(px, py)) << "(" << px << "," << py << ") key " << (int)key << " width "
                                                << width << " at x " << x;
          }
        }
      }
    }
  }
  EXPECT_EQ(0u, picture->Release());
  EXPECT_EQ(0u, scene->Release());
}

TEST_F(Blits, FastCopiesWithoutAUsableKeyCopyEveryPixel) {
  struct Case {
    const char* name;
    bool setKey;
    DWORD key;
    DWORD flags;
  };
  const Case cases[] = {
      {"no key set", false, 0, DDBLTFAST_SRCCOLORKEY},
      {"key beyond 8 bits", true, 0x123, DDBLTFAST_SRCCOLORKEY},
      {"key not asked for", true, 0x23, DDBLTFAST_NOCOLORKEY},
      {"key removed", true, 0x23, DDBLTFAST_SRCCOLORKEY},
  };
  for (const Case& c : cases) {
    DDCOLORKEY key = {c.key, 0};
    ASSERT_EQ(DD_OK, source->SetColorKey(DDCKEY_SRCBLT, c.setKey ? &key : nullptr));
    if (strcmp(c.name, "key removed") == 0) ASSERT_EQ(DD_OK, source->SetColorKey(DDCKEY_SRCBLT, nullptr));
    WritePixels(target, Pattern);
    ASSERT_EQ(DD_OK, target->BltFast(0, 0, source, nullptr, c.flags)) << c.name;
    EXPECT_EQ("", Differences(ReadPixels(source), ReadPixels(target))) << c.name;
  }
  DDCOLORKEY key = {1, 5};
  EXPECT_EQ(DDERR_UNSUPPORTED, source->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &key));
  EXPECT_EQ(DDERR_UNSUPPORTED, source->SetColorKey(DDCKEY_DESTBLT, &key));
  EXPECT_EQ(DDERR_INVALIDPARAMS, source->SetColorKey(0, &key));
}

TEST_F(Blits, CopiesWithinOneSurfaceReadTheSourceAsItWasBefore) {
  DDCOLORKEY key = {0x55, 0};
  ASSERT_EQ(DD_OK, target->SetColorKey(DDCKEY_SRCBLT, &key));
  for (int dy = -3; dy <= 3; dy++) {
    for (int dx = -3; dx <= 3; dx++) {
      for (bool fast : {false, true}) {
        for (bool keyed : {false, true}) {
          WritePixels(target, Coordinates);
          RECT from = {3, 3, 13, 12};
          RECT to = {from.left + dx, from.top + dy, from.right + dx, from.bottom + dy};
          HRESULT hr = fast ? target->BltFast(to.left, to.top, target, &from, keyed ? DDBLTFAST_SRCCOLORKEY : 0)
                            : target->Blt(&to, target, &from, keyed ? DDBLT_KEYSRC : 0, nullptr);
          ASSERT_EQ(DD_OK, hr);
          Pixels expected;
          expected.width = expected.height = 16;
          for (int y = 0; y < 16; y++) {
            for (int x = 0; x < 16; x++) {
              BYTE value = Coordinates(x, y);
              if (Inside(to, x, y)) {
                BYTE copied = Coordinates(x - dx, y - dy);
                if (!keyed || copied != 0x55) value = copied;
              }
              expected.values.push_back(value);
            }
          }
          EXPECT_EQ("", Differences(expected, ReadPixels(target)))
              << "moved by " << dx << "," << dy << (fast ? " fast" : "") << (keyed ? " keyed" : "");
        }
      }
    }
  }
}

TEST_F(Blits, AScaledCopyOntoItselfIsRefusedUnlessApart) {
  WritePixels(target, Coordinates);
  RECT from = {0, 0, 8, 8}, overlapping = {4, 4, 16, 16}, apart = {8, 8, 12, 12};
  EXPECT_EQ(DDERR_UNSUPPORTED, target->Blt(&overlapping, target, &from, 0, nullptr));
  Pixels unchanged;
  unchanged.width = unchanged.height = 16;
  for (int i = 0; i < 256; i++) unchanged.values.push_back((BYTE)i);
  EXPECT_EQ("", Differences(unchanged, ReadPixels(target)));
  ASSERT_EQ(DD_OK, target->Blt(&apart, target, &from, 0, nullptr));
  Pixels got = ReadPixels(target);
  for (int y = 8; y < 12; y++)
    for (int x = 8; x < 12; x++) EXPECT_EQ(Coordinates((x - 8) * 2, (y - 8) * 2), got.at(x, y)) << x << "," << y;
}

}  // namespace
