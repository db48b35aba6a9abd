// The fly-through field: copies of the picture come out of the screen centre,
// one depth unit per frame, drawn farthest first and scaled by depth.
#include "scene/scene.h"
#include "scene/scene_inspect.h"

#include <time.h>
#include <windows.h>

#include "data/saver_data.h"
#include "display/display.h"
#include "image/gif_decoder.h"
#include "image/palette.h"

static const int kCentreX = 320;
static const int kCentreY = 240;
static const int kRangeX = 640;
static const int kRangeY = 480;
static const int kProjection = 42;
static const int kDepthRange = 100;
static const int kMinScaleDepth = 25;
// The single-precision value nearest 1/75: copies shrink to nothing at depth 75.
static const float kScale = 0.013333334f;
// Index the scratch surface is cleared with before each keyed copy.
static const DWORD kScratchFill = 255;
static const DWORD kPictureSurfaceFlags = 1;
static const int kScratchMargin = 20;

// The field as parallel arrays.
static int32_t objectX[kMaxObjects];
static int32_t objectY[kMaxObjects];
static int32_t objectZ[kMaxObjects];
static int32_t objectSX[kMaxObjects];
static int32_t objectSY[kMaxObjects];
static int drawOrder[kMaxObjects];
static int objectCount;

static uint32_t randomState;

void SeedRandom(uint32_t seed) { randomState = seed; }

int NextRandom(void) {
  randomState = randomState * 214013u + 2531011u;
  return (int)((randomState >> 16) & 0x7FFF);
}

void PlaceObjects(int count) {
  if (count < 0) count = 0;
  if (count > kMaxObjects) count = kMaxObjects;
  objectCount = count;
  for (int i = 0; i < count; i++) {
    // A copy on either axis through the centre would never leave the screen.
    do {
      objectX[i] = NextRandom() % kRangeX - kCentreX;
      objectY[i] = NextRandom() % kRangeY - kCentreY;
      objectZ[i] = NextRandom() % kDepthRange + 1;
    } while (objectX[i] == 0 || objectY[i] == 0);
    drawOrder[i] = i;
  }
}

// Sizes from a corrupt header may not fit a surface's 16-bit dimensions;
// such a surface is treated as one the platform refused.
static void CreatePictureSurface(int64_t width, int64_t height, LPDIRECTDRAWSURFACE* holder) {
  int status = kDisplayRefused;
  if (width >= 0 && width <= 0xFFFF && height >= 0 && height <= 0xFFFF) {
    status = CreateImageSurface((uint16_t)width, (uint16_t)height, kPictureSurfaceFlags, holder);
  }
  if (status != kDisplayOk) MessageBoxA(NULL, "", "Error initialising lpImage1 surface", MB_OK);
}

int SetupScene(void) {
  const ImageSlot* slot = &saverHeader.slots[0];
  int32_t key = slot->colorKey;

  CreatePictureSurface(slot->width, slot->height, &lpImage1);
  if (key != kNoColorKey) SetSurfaceColorKey(lpImage1, (DWORD)key, 0);
  SeedRandom((uint32_t)time(NULL));
  CreatePictureSurface((int64_t)slot->width + kScratchMargin,
                       (int64_t)slot->height + kScratchMargin, &lpScratch);
  if (key != kNoColorKey) SetSurfaceColorKey(lpScratch, (DWORD)key, 0);
  PlaceObjects(saverHeader.objectCount);

  if (slot->type == 'g') {
    DecodeGif(dataPath, lpImage1, slot->width, slot->height, slot->offset, slot->size);
    LoadGifPalette(dataPath, paletteEntries, slot->offset);
  }
  SetPaletteEntries(paletteEntries);
  ChooseBackgroundIndex(paletteEntries, saverHeader.useBackground, saverHeader.backgroundIndex);
  return 1;
}

// Rounds to single precision even where the FPU keeps wider intermediates (x87).
static float Single(float value) {
  volatile float rounded = value;
  return rounded;
}

// Truncates toward zero; values beyond int32 (only from absurd picture sizes)
// saturate instead of being undefined.
static int32_t TruncateToInt32(float value) {
  if (value >= 2147483648.0f) return INT32_MAX;
  if (value <= -2147483648.0f) return INT32_MIN;
  return (int32_t)value;
}

// size - size * kScale * depth, in single precision; negative beyond depth 75.
static int32_t ScaledSize(uint32_t size, float depth) {
  float whole = Single((float)size);
  return TruncateToInt32(Single(whole - Single(Single(whole * kScale) * depth)));
}

static void DrawObject(int j) {
  const ImageSlot* slot = &saverHeader.slots[0];
  int32_t d = objectZ[j] < kMinScaleDepth ? kMinScaleDepth : objectZ[j];
  float depth = (float)d;
  int32_t m = ScaledSize((uint32_t)slot->width, depth);
  int32_t n = ScaledSize((uint32_t)slot->height, depth);
  // Computed in 64 bits: m and n saturate for absurd sizes and must not overflow here.
  int64_t left = (int64_t)objectSX[j] - m / 2;
  int64_t top = (int64_t)objectSY[j] - n / 2;
  RECT source = {0, 0, slot->width, slot->height};

  if (slot->colorKey == kNoColorKey) {
    RECT dest = {(LONG)left, (LONG)top, (LONG)(left + m), (LONG)(top + n)};
    BltToBack(&dest, lpImage1, &source, DDBLT_ALPHAEDGEBLEND, NULL);
    return;
  }
  // Scaling ignores colour keys, so the copy is scaled into the scratch
  // surface first and then copied with the key honoured.
  RECT scaled = {0, 0, m, n};
  POINT at = {(LONG)left, (LONG)top};
  ColorFill(lpScratch, kScratchFill);
  BltToSurface(lpScratch, &scaled, lpImage1, &source, DDBLT_ALPHAEDGEBLEND, NULL);
  BltFastToBack(at, lpScratch, &scaled, DDBLTFAST_SRCCOLORKEY);
}

void DrawFrame(void) {
  ColorFill(lpDDSBack, (DWORD)backgroundIndex);

  for (int i = 0; i < objectCount; i++) {
    objectSX[i] = objectX[i] * kProjection / objectZ[i] + kCentreX;
    objectSY[i] = objectY[i] * kProjection / objectZ[i] + kCentreY;
  }
  // A copy that passes the viewer starts again far away; it keeps the point
  // projected above for this frame.
  for (int i = 0; i < objectCount; i++) {
    objectZ[i]--;
    if (objectZ[i] < 1) {
      objectZ[i] += kDepthRange;
      objectX[i] = NextRandom() % kRangeX - kCentreX;
      objectY[i] = NextRandom() % kRangeY - kCentreY;
    }
  }
  // Stable bubble sort, nearest first: equal depths keep their order.
  for (int pass = 0; pass < objectCount; pass++) {
    for (int k = 1; k < objectCount; k++) {
      if (objectZ[drawOrder[k - 1]] > objectZ[drawOrder[k]]) {
        int held = drawOrder[k - 1];
        drawOrder[k - 1] = drawOrder[k];
        drawOrder[k] = held;
      }
    }
  }
  for (int k = objectCount - 1; k >= 0; k--) DrawObject(drawOrder[k]);

  PresentFrame();
}

int SceneObjectCount(void) { return objectCount; }

FlyObject SceneObject(int i) {
  FlyObject object = {0, 0, 0, 0, 0};
  if (i >= 0 && i < objectCount) {
    object.x = objectX[i];
    object.y = objectY[i];
    object.z = objectZ[i];
    object.sx = objectSX[i];
    object.sy = objectSY[i];
  }
  return object;
}

int SceneDrawOrder(int k) { return k >= 0 && k < objectCount ? drawOrder[k] : -1; }
