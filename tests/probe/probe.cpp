// DirectDraw probe: the same calls on the real DirectDraw (Windows, or Wine)
// and on the software one of platform/, one line per observation, so that
// the two outputs can be compared line by line.
#include <windows.h>
#include <ddraw.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

LPDIRECTDRAW dd;
LPDIRECTDRAWSURFACE primary;
LPDIRECTDRAWSURFACE back;

void Say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
  putchar('\n');
  fflush(stdout);
}

const char* CodeName(HRESULT hr) {
  static char text[16];
  switch ((DWORD)hr) {
    case 0: return "DD_OK";
    case 0x80070057u: return "DDERR_INVALIDPARAMS";
    case 0x88760064u: return "DDERR_INVALIDCAPS";
    case 0x88760096u: return "DDERR_INVALIDRECT";
    case 0x887600FFu: return "DDERR_NOTFOUND";
    case 0x887600D4u: return "DDERR_NOCOOPERATIVELEVELSET";
    case 0x887600D7u: return "DDERR_NOCOLORKEY";
    case 0x887601AEu: return "DDERR_SURFACEBUSY";
    case 0x80004001u: return "DDERR_UNSUPPORTED";
    case 0x88760078u: return "DDERR_INVALIDMODE";
    case 0x887600E1u: return "DDERR_NOEXCLUSIVEMODE";
    case 0x88760234u: return "DDERR_PRIMARYSURFACEALREADYEXISTS";
    case 0x88760246u: return "DDERR_NOTFLIPPABLE";
    case 0x88760248u: return "DDERR_NOTLOCKED";
    case 0x8007000Eu: return "DDERR_OUTOFMEMORY";
    case 0x8876017Cu: return "DDERR_OUTOFVIDEOMEMORY";
  }
  snprintf(text, sizeof text, "0x%08lX", (unsigned long)(DWORD)hr);
  return text;
}

LPDIRECTDRAWSURFACE MakeSurface(DWORD width, DWORD height, DWORD caps, HRESULT* result) {
  DDSURFACEDESC desc;
  memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = width;
  desc.dwHeight = height;
  desc.ddsCaps.dwCaps = caps;
  LPDIRECTDRAWSURFACE surface = NULL;
  HRESULT hr = dd->CreateSurface(&desc, &surface, NULL);
  if (result != NULL) *result = hr;
  return hr == DD_OK ? surface : NULL;
}

ULONG Refs(LPDIRECTDRAWSURFACE surface) {
  surface->AddRef();
  return surface->Release();
}

// Pattern written before an operation so that any change to it shows.
BYTE PatternAt(int x, int y) { return (BYTE)(x * 7 + y * 13 + 1); }

bool LockWhole(LPDIRECTDRAWSURFACE surface, DDSURFACEDESC* desc) {
  memset(desc, 0, sizeof *desc);
  desc->dwSize = sizeof *desc;
  return surface->Lock(NULL, desc, DDLOCK_WAIT, NULL) == DD_OK;
}

void Paint(LPDIRECTDRAWSURFACE surface, int width, int height, BYTE (*value)(int, int)) {
  DDSURFACEDESC desc;
  if (!LockWhole(surface, &desc)) return;
  for (int y = 0; y < height; y++) {
    BYTE* row = (BYTE*)desc.lpSurface + y * desc.lPitch;
    for (int x = 0; x < width; x++) row[x] = value(x, y);
  }
  surface->Unlock(desc.lpSurface);
}

int CountChanged(LPDIRECTDRAWSURFACE surface, int width, int height) {
  DDSURFACEDESC desc;
  if (!LockWhole(surface, &desc)) return -1;
  int changed = 0;
  for (int y = 0; y < height; y++) {
    const BYTE* row = (const BYTE*)desc.lpSurface + y * desc.lPitch;
    for (int x = 0; x < width; x++) changed += row[x] != PatternAt(x, y);
  }
  surface->Unlock(desc.lpSurface);
  return changed;
}

// "label: r0 r1 ..." with each row's pixels in hex, rows separated by '/'.
void SayPixels(const char* label, LPDIRECTDRAWSURFACE surface, int width, int height) {
  DDSURFACEDESC desc;
  if (!LockWhole(surface, &desc)) {
    Say("%s: lock failed", label);
    return;
  }
  char text[2048];
  size_t used = (size_t)snprintf(text, sizeof text, "%s:", label);
  for (int y = 0; y < height && used < sizeof text - 8; y++) {
    const BYTE* row = (const BYTE*)desc.lpSurface + y * desc.lPitch;
    if (y > 0) used += (size_t)snprintf(text + used, sizeof text - used, " /");
    for (int x = 0; x < width && used < sizeof text - 8; x++)
      used += (size_t)snprintf(text + used, sizeof text - used, " %02X", row[x]);
  }
  surface->Unlock(desc.lpSurface);
  Say("%s", text);
}

HRESULT Fill(LPDIRECTDRAWSURFACE surface, RECT* rect, DWORD color) {
  DDBLTFX fx;
  memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  fx.dwFillColor = color;
  return surface->Blt(rect, NULL, NULL, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

BYTE Ramp(int x, int y) { return (BYTE)(0x10 * (y + 1) + x); }
BYTE Checker(int x, int y) { return ((x + y) & 1) ? 0x05 : 0xA0; }

struct BadRect {
  const char* name;
  RECT rect;
};

// Rectangles on a 16 x 16 surface that must be refused.
const BadRect kBadRects[] = {
    {"inverted-x", {6, 2, 3, 8}},       {"inverted-y", {2, 8, 6, 3}},
    {"empty-width", {4, 4, 4, 9}},      {"empty-height", {4, 4, 9, 4}},
    {"past-right", {8, 0, 17, 4}},      {"past-bottom", {0, 8, 4, 17}},
    {"past-left", {-1, 0, 4, 4}},       {"past-top", {0, -1, 4, 4}},
    {"negative", {-6, -6, -2, -2}},     {"huge", {0, 0, 0x7fffffff, 4}},
};

void ProbeSetUp(HWND window) {
  HRESULT hr = DirectDrawCreate(NULL, &dd, NULL);
  Say("DirectDrawCreate: %s", CodeName(hr));
  if (hr != DD_OK) return;
  Say("ddraw refs after create: %lu", (unsigned long)(dd->AddRef(), dd->Release()));

  DDSURFACEDESC desc;
  memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  LPDIRECTDRAWSURFACE surface = NULL;
  Say("CreateSurface before SetCooperativeLevel: %s", CodeName(dd->CreateSurface(&desc, &surface, NULL)));
  Say("SetCooperativeLevel exclusive without window: %s",
      CodeName(dd->SetCooperativeLevel(NULL, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)));
  Say("SetCooperativeLevel exclusive without fullscreen: %s",
      CodeName(dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE)));
  Say("SetCooperativeLevel exclusive: %s",
      CodeName(dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)));
  Say("SetDisplayMode 640x480x8: %s", CodeName(dd->SetDisplayMode(640, 480, 8)));

  memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  Say("CreateSurface chain: %s", CodeName(dd->CreateSurface(&desc, &primary, NULL)));
  if (primary == NULL) return;
  Say("CreateSurface second primary: %s", CodeName(dd->CreateSurface(&desc, &surface, NULL)));
  Say("primary refs: %lu", (unsigned long)Refs(primary));
  Say("ddraw refs after chain: %lu", (unsigned long)(dd->AddRef(), dd->Release()));

  DDSCAPS caps = {DDSCAPS_BACKBUFFER};
  Say("GetAttachedSurface backbuffer: %s", CodeName(primary->GetAttachedSurface(&caps, &back)));
  if (back == NULL) return;
  Say("back refs after GetAttachedSurface: %lu", (unsigned long)Refs(back));
  Say("primary refs after GetAttachedSurface: %lu", (unsigned long)Refs(primary));
  LPDIRECTDRAWSURFACE again = NULL;
  primary->GetAttachedSurface(&caps, &again);
  Say("GetAttachedSurface twice gives the same object: %s", again == back ? "yes" : "no");
  if (again != NULL) Say("back refs after second GetAttachedSurface: %lu", (unsigned long)Refs(back));
  if (again != NULL) Say("back release: %lu", (unsigned long)again->Release());
  caps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  again = NULL;
  Say("GetAttachedSurface offscreenplain: %s", CodeName(primary->GetAttachedSurface(&caps, &again)));

  memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  Say("GetSurfaceDesc primary: %s", CodeName(primary->GetSurfaceDesc(&desc)));
  Say("primary size: %lux%lu bits %lu", (unsigned long)desc.dwWidth, (unsigned long)desc.dwHeight,
      (unsigned long)desc.ddpfPixelFormat.dwRGBBitCount);
  memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  back->GetSurfaceDesc(&desc);
  Say("back size: %lux%lu bits %lu", (unsigned long)desc.dwWidth, (unsigned long)desc.dwHeight,
      (unsigned long)desc.ddpfPixelFormat.dwRGBBitCount);
}

void ProbeCreation() {
  struct Request {
    const char* name;
    DWORD flags, width, height, caps;
  };
  const Request requests[] = {
      {"offscreen 16x16", DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, 16, 16, DDSCAPS_OFFSCREENPLAIN},
      {"offscreen system memory 13x5", DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, 13, 5,
       DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY},
      {"offscreen 5x3", DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, 5, 3, DDSCAPS_OFFSCREENPLAIN},
      {"offscreen 17x2", DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, 17, 2, DDSCAPS_OFFSCREENPLAIN},
      {"offscreen 142x169", DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, 142, 169, DDSCAPS_OFFSCREENPLAIN},
      {"offscreen 0x16", DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, 0, 16, DDSCAPS_OFFSCREENPLAIN},
      {"offscreen 16x0", DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, 16, 0, DDSCAPS_OFFSCREENPLAIN},
      {"offscreen without width", DDSD_CAPS | DDSD_HEIGHT, 16, 16, DDSCAPS_OFFSCREENPLAIN},
      {"primary with size", DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, 16, 16, DDSCAPS_PRIMARYSURFACE},
      {"flip without backbuffer count", DDSD_CAPS, 0, 0,
       DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX},
      {"backbuffer caps", DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, 16, 16, DDSCAPS_BACKBUFFER},
  };
  for (const Request& request : requests) {
    DDSURFACEDESC desc;
    memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = request.flags;
    desc.dwWidth = request.width;
    desc.dwHeight = request.height;
    desc.ddsCaps.dwCaps = request.caps;
    LPDIRECTDRAWSURFACE surface = NULL;
    HRESULT hr = dd->CreateSurface(&desc, &surface, NULL);
    Say("CreateSurface %s: %s", request.name, CodeName(hr));
    if (surface != NULL) {
      DDSURFACEDESC got;
      LockWhole(surface, &got);
      Say("  size %lux%lu pitch %ld", (unsigned long)got.dwWidth, (unsigned long)got.dwHeight,
          (long)got.lPitch);
      surface->Unlock(got.lpSurface);
      Say("  release: %lu", (unsigned long)surface->Release());
    }
  }
  DDSURFACEDESC desc;
  memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc - 4;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = desc.dwHeight = 4;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  LPDIRECTDRAWSURFACE surface = NULL;
  Say("CreateSurface wrong dwSize: %s", CodeName(dd->CreateSurface(&desc, &surface, NULL)));
  if (surface != NULL) surface->Release();
}

void ProbeFills() {
  LPDIRECTDRAWSURFACE target = MakeSurface(16, 16, DDSCAPS_OFFSCREENPLAIN, NULL);
  if (target == NULL) return;
  Say("fill whole: %s", CodeName(Fill(target, NULL, 0x12345678)));
  SayPixels("  corners row 0", target, 16, 1);
  RECT rect = {2, 3, 6, 5};
  Paint(target, 16, 16, PatternAt);
  HRESULT hr = Fill(target, &rect, 0xAB);
  Say("fill rect {2,3,6,5}: %s, changed %d", CodeName(hr), CountChanged(target, 16, 16));
  SayPixels("  rows 0-6", target, 8, 7);
  for (const BadRect& bad : kBadRects) {
    Paint(target, 16, 16, PatternAt);
    RECT r = bad.rect;
    HRESULT hr = Fill(target, &r, 0x77);
    Say("fill %s: %s, changed %d", bad.name, CodeName(hr), CountChanged(target, 16, 16));
  }
  Paint(target, 16, 16, PatternAt);
  DDBLTFX fx;
  memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  fx.dwFillColor = 0x33;
  RECT ignored = {-5, -5, 100, 100};
  hr = target->Blt(NULL, NULL, &ignored, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  Say("fill with a bad source rectangle: %s, changed %d", CodeName(hr), CountChanged(target, 16, 16));
  Say("fill without effects record: %s",
      CodeName(target->Blt(NULL, NULL, NULL, DDBLT_COLORFILL | DDBLT_WAIT, NULL)));
  target->Release();
}

// An off-screen source of side sourceSide painted with value, and a 16 x 16 target.
bool MakeSourceAndTarget(int sourceSide, BYTE (*value)(int, int), LPDIRECTDRAWSURFACE* source,
                         LPDIRECTDRAWSURFACE* target) {
  *source = MakeSurface(sourceSide, sourceSide, DDSCAPS_OFFSCREENPLAIN, NULL);
  *target = MakeSurface(16, 16, DDSCAPS_OFFSCREENPLAIN, NULL);
  if (*source == NULL || *target == NULL) return false;
  Paint(*source, sourceSide, sourceSide, value);
  return true;
}

void ProbeCopies() {
  LPDIRECTDRAWSURFACE source, target;
  if (!MakeSourceAndTarget(16, Ramp, &source, &target)) return;

  // Refused destination and source rectangles of a plain copy.
  RECT to = {0, 0, 4, 4};
  for (int badSource = 0; badSource < 2; badSource++) {
    for (const BadRect& bad : kBadRects) {
      Paint(target, 16, 16, PatternAt);
      RECT r = bad.rect, good = to;
      HRESULT hr = badSource ? target->Blt(&good, source, &r, DDBLT_WAIT, NULL)
                             : target->Blt(&r, source, &good, DDBLT_WAIT, NULL);
      Say("copy %s %s: %s, changed %d", badSource ? "source" : "destination", bad.name, CodeName(hr),
          CountChanged(target, 16, 16));
    }
  }
  Paint(target, 16, 16, PatternAt);
  HRESULT hr = target->Blt(&to, NULL, NULL, DDBLT_WAIT, NULL);
  Say("copy without source: %s, changed %d", CodeName(hr), CountChanged(target, 16, 16));

  // Unscaled, then scaled by whole and by uneven factors.
  struct Scale {
    RECT from, to;
  };
  const Scale scales[] = {
      {{0, 0, 4, 4}, {1, 1, 5, 5}},   {{0, 0, 4, 4}, {0, 0, 8, 8}},  {{0, 0, 8, 8}, {0, 0, 4, 4}},
      {{0, 0, 4, 2}, {0, 0, 12, 6}},  {{0, 0, 8, 4}, {0, 0, 2, 1}},  {{0, 0, 6, 6}, {0, 0, 4, 4}},
      {{0, 0, 4, 4}, {0, 0, 6, 6}},   {{0, 0, 5, 3}, {0, 0, 3, 5}},  {{0, 0, 3, 3}, {0, 0, 7, 7}},
      {{0, 0, 7, 7}, {0, 0, 3, 3}},   {{2, 1, 9, 8}, {3, 3, 8, 8}},
  };
  for (const Scale& scale : scales) {
    RECT from = scale.from, dest = scale.to;
    Fill(target, NULL, 0);
    hr = target->Blt(&dest, source, &from, DDBLT_WAIT, NULL);
    char label[160];
    snprintf(label, sizeof label, "copy {%ld,%ld,%ld,%ld} to {%ld,%ld,%ld,%ld}: %s", (long)from.left,
             (long)from.top, (long)from.right, (long)from.bottom, (long)dest.left, (long)dest.top,
             (long)dest.right, (long)dest.bottom, CodeName(hr));
    SayPixels(label, target, (int)dest.right, (int)dest.bottom);
  }
  Fill(target, NULL, 0);
  RECT dest = {0, 0, 8, 8};
  Say("copy with edge blend and no effects record: %s",
      CodeName(target->Blt(&dest, source, NULL, DDBLT_ALPHAEDGEBLEND, NULL)));
  SayPixels("  rows", target, 8, 8);
  Fill(target, NULL, 0);
  Say("copy whole onto whole: %s", CodeName(target->Blt(NULL, source, NULL, DDBLT_WAIT, NULL)));
  SayPixels("  rows", target, 4, 4);

  // Same surface, overlapping, unscaled.
  Paint(target, 16, 16, Ramp);
  RECT from = {0, 0, 6, 6};
  dest = {2, 1, 8, 7};
  Say("overlapping copy down-right: %s", CodeName(target->Blt(&dest, target, &from, DDBLT_WAIT, NULL)));
  SayPixels("  rows", target, 8, 7);
  Paint(target, 16, 16, Ramp);
  from = {2, 1, 8, 7};
  dest = {0, 0, 6, 6};
  Say("overlapping copy up-left: %s", CodeName(target->Blt(&dest, target, &from, DDBLT_WAIT, NULL)));
  SayPixels("  rows", target, 8, 7);
  source->Release();
  target->Release();
}

void ProbeColorKeys() {
  LPDIRECTDRAWSURFACE source, target;
  if (!MakeSourceAndTarget(8, Checker, &source, &target)) return;
  Paint(target, 16, 16, PatternAt);
  HRESULT hr = target->BltFast(0, 0, source, NULL, DDBLTFAST_SRCCOLORKEY);
  Say("fast keyed copy without a key: %s", CodeName(hr));
  SayPixels("  rows", target, 4, 2);
  Paint(target, 16, 16, PatternAt);
  hr = target->Blt(NULL, source, NULL, DDBLT_KEYSRC | DDBLT_WAIT, NULL);
  Say("copy with DDBLT_KEYSRC without a key: %s, changed %d", CodeName(hr), CountChanged(target, 16, 16));
  DDCOLORKEY key = {0x05, 0};
  Say("SetColorKey 5: %s", CodeName(source->SetColorKey(DDCKEY_SRCBLT, &key)));
  Paint(target, 16, 16, PatternAt);
  Say("fast keyed copy at 2,3: %s", CodeName(target->BltFast(2, 3, source, NULL, DDBLTFAST_SRCCOLORKEY)));
  SayPixels("  rows", target, 11, 12);
  Paint(target, 16, 16, PatternAt);
  RECT part = {1, 1, 4, 3};
  Say("fast unkeyed copy of {1,1,4,3} at 0,0: %s",
      CodeName(target->BltFast(0, 0, source, &part, DDBLTFAST_NOCOLORKEY)));
  SayPixels("  rows", target, 5, 3);
  Paint(target, 16, 16, PatternAt);
  Say("plain copy ignores the key: %s", CodeName(target->Blt(NULL, source, NULL, DDBLT_WAIT, NULL)));
  SayPixels("  rows", target, 4, 2);
  Paint(target, 16, 16, PatternAt);
  RECT dest = {0, 0, 8, 8};
  Say("copy with DDBLT_KEYSRC: %s",
      CodeName(target->Blt(&dest, source, NULL, DDBLT_KEYSRC | DDBLT_WAIT, NULL)));
  SayPixels("  rows", target, 4, 2);
  key.dwColorSpaceLowValue = 0x105;
  source->SetColorKey(DDCKEY_SRCBLT, &key);
  Paint(target, 16, 16, PatternAt);
  Say("fast keyed copy with key 0x105: %s",
      CodeName(target->BltFast(0, 0, source, NULL, DDBLTFAST_SRCCOLORKEY)));
  SayPixels("  rows", target, 4, 2);

  struct Place {
    const char* name;
    DWORD x, y;
    RECT from;
  };
  const Place places[] = {
      {"fits at the corner", 8, 8, {0, 0, 8, 8}},   {"one past right", 9, 0, {0, 0, 8, 8}},
      {"one past bottom", 0, 9, {0, 0, 8, 8}},      {"negative x", (DWORD)-1, 0, {0, 0, 8, 8}},
      {"source past right", 0, 0, {1, 0, 9, 8}},    {"source inverted", 0, 0, {4, 0, 2, 8}},
      {"source empty", 0, 0, {2, 2, 2, 6}},         {"source negative", 0, 0, {-1, 0, 3, 3}},
  };
  for (const Place& place : places) {
    Paint(target, 16, 16, PatternAt);
    RECT from = place.from;
    HRESULT hr = target->BltFast(place.x, place.y, source, &from, DDBLTFAST_NOCOLORKEY);
    Say("fast copy %s: %s, changed %d", place.name, CodeName(hr), CountChanged(target, 16, 16));
  }
  Paint(target, 16, 16, Ramp);
  RECT from = {0, 0, 6, 6};
  Say("fast overlapping copy to 2,1: %s",
      CodeName(target->BltFast(2, 1, target, &from, DDBLTFAST_NOCOLORKEY)));
  SayPixels("  rows", target, 8, 7);
  source->Release();
  target->Release();
}

void ProbeFlip() {
  Say("fill back 0x11: %s", CodeName(Fill(back, NULL, 0x11)));
  Say("fill primary 0x22: %s", CodeName(Fill(primary, NULL, 0x22)));
  Say("flip: %s", CodeName(primary->Flip(NULL, DDFLIP_WAIT)));
  SayPixels("  back after flip", back, 3, 1);
  SayPixels("  primary after flip", primary, 3, 1);
  DDSCAPS caps = {DDSCAPS_BACKBUFFER};
  LPDIRECTDRAWSURFACE attached = NULL;
  primary->GetAttachedSurface(&caps, &attached);
  Say("  back object kept: %s", attached == back ? "yes" : "no");
  if (attached != NULL) attached->Release();
  Say("flip again: %s", CodeName(primary->Flip(NULL, DDFLIP_WAIT)));
  SayPixels("  back after second flip", back, 3, 1);
  Say("flip with the back buffer as target: %s", CodeName(primary->Flip(back, DDFLIP_WAIT)));
  SayPixels("  back", back, 3, 1);
  Say("flip of the back buffer: %s", CodeName(back->Flip(NULL, DDFLIP_WAIT)));
  SayPixels("  back", back, 3, 1);
  LPDIRECTDRAWSURFACE plain = MakeSurface(8, 8, DDSCAPS_OFFSCREENPLAIN, NULL);
  if (plain != NULL) {
    Say("flip of an off-screen surface: %s", CodeName(plain->Flip(NULL, DDFLIP_WAIT)));
    Say("flip to an off-screen surface: %s", CodeName(primary->Flip(plain, DDFLIP_WAIT)));
    plain->Release();
  }
  Say("back refs after flips: %lu", (unsigned long)Refs(back));
  Say("primary refs after flips: %lu", (unsigned long)Refs(primary));
}

void ProbeLocks() {
  DDSURFACEDESC desc;
  memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  HRESULT hr = primary->Lock(NULL, &desc, DDLOCK_WAIT, NULL);
  Say("lock primary: %s, pitch %ld", CodeName(hr), (long)desc.lPitch);
  if (hr == DD_OK) primary->Unlock(desc.lpSurface);

  LPDIRECTDRAWSURFACE surface = MakeSurface(13, 9, DDSCAPS_OFFSCREENPLAIN, NULL);
  if (surface == NULL) return;
  LockWhole(surface, &desc);
  const BYTE* base = (const BYTE*)desc.lpSurface;
  long pitch = desc.lPitch;
  Say("lock 13x9 pitch: %ld", pitch);
  Say("lock twice: %s", CodeName(surface->Lock(NULL, &desc, DDLOCK_WAIT, NULL)));
  surface->Unlock(NULL);
  Say("unlock when not locked: %s", CodeName(surface->Unlock(NULL)));

  struct LockRect {
    const char* name;
    RECT rect;
  };
  const LockRect rects[] = {
      {"{2,3,5,7}", {2, 3, 5, 7}},   {"whole", {0, 0, 13, 9}},      {"bottom-right pixel", {12, 8, 13, 9}},
      {"empty", {4, 4, 4, 4}},       {"inverted", {5, 3, 2, 7}},    {"past right", {2, 3, 14, 7}},
      {"past bottom", {2, 3, 5, 10}}, {"negative", {-1, 3, 5, 7}},
  };
  for (const LockRect& lock : rects) {
    memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.lpSurface = (LPVOID)&desc;
    RECT r = lock.rect;
    HRESULT hr = surface->Lock(&r, &desc, DDLOCK_WAIT, NULL);
    if (hr == DD_OK) {
      Say("lock %s: %s, pitch %ld, offset %ld", lock.name, CodeName(hr), (long)desc.lPitch,
          (long)((const BYTE*)desc.lpSurface - base));
      surface->Unlock(desc.lpSurface);
    } else {
      Say("lock %s: %s, pointer %s", lock.name, CodeName(hr),
          desc.lpSurface == NULL ? "null" : "set");
    }
  }
  memset(&desc, 0, sizeof desc);
  desc.dwSize = 4;
  Say("lock with wrong dwSize: %s", CodeName(surface->Lock(NULL, &desc, DDLOCK_WAIT, NULL)));
  if (desc.lpSurface != NULL) surface->Unlock(NULL);
  Say("release 13x9: %lu", (unsigned long)surface->Release());
}

void ProbePalette() {
  PALETTEENTRY entries[256];
  for (int i = 0; i < 256; i++) {
    entries[i].peRed = (BYTE)i;
    entries[i].peGreen = (BYTE)(255 - i);
    entries[i].peBlue = (BYTE)(i * 3);
    entries[i].peFlags = 0;
  }
  LPDIRECTDRAWPALETTE palette = NULL;
  Say("CreatePalette 8bit allow256: %s",
      CodeName(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, NULL)));
  if (palette == NULL) return;
  Say("palette refs: %lu", (unsigned long)(palette->AddRef(), palette->Release()));
  PALETTEENTRY got[256];
  memset(got, 0xEE, sizeof got);
  Say("GetEntries: %s", CodeName(palette->GetEntries(0, 0, 256, got)));
  Say("  entries 0, 1, 128, 255: %02X%02X%02X%02X %02X%02X%02X%02X %02X%02X%02X%02X %02X%02X%02X%02X",
      got[0].peRed, got[0].peGreen, got[0].peBlue, got[0].peFlags, got[1].peRed, got[1].peGreen,
      got[1].peBlue, got[1].peFlags, got[128].peRed, got[128].peGreen, got[128].peBlue,
      got[128].peFlags, got[255].peRed, got[255].peGreen, got[255].peBlue, got[255].peFlags);
  Say("  all 256 as given: %s", memcmp(got, entries, sizeof got) == 0 ? "yes" : "no");
  PALETTEENTRY three[3] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
  Say("SetEntries 3 at 10: %s", CodeName(palette->SetEntries(0, 10, 3, three)));
  PALETTEENTRY flagged = {0x11, 0x22, 0x33, 0x04};
  Say("SetEntries with flags 4 at 20: %s", CodeName(palette->SetEntries(0, 20, 1, &flagged)));
  palette->GetEntries(0, 20, 1, got);
  Say("  entry 20: %02X%02X%02X%02X", got[0].peRed, got[0].peGreen, got[0].peBlue, got[0].peFlags);
  memset(got, 0, sizeof got);
  palette->GetEntries(0, 9, 5, got);
  Say("  entries 9-13: %02X%02X%02X %02X%02X%02X %02X%02X%02X %02X%02X%02X %02X%02X%02X", got[0].peRed,
      got[0].peGreen, got[0].peBlue, got[1].peRed, got[1].peGreen, got[1].peBlue, got[2].peRed,
      got[2].peGreen, got[2].peBlue, got[3].peRed, got[3].peGreen, got[3].peBlue, got[4].peRed,
      got[4].peGreen, got[4].peBlue);

  Say("SetPalette on primary: %s", CodeName(primary->SetPalette(palette)));
  Say("palette refs after SetPalette: %lu", (unsigned long)(palette->AddRef(), palette->Release()));
  Say("SetPalette again: %s", CodeName(primary->SetPalette(palette)));
  Say("palette refs after second SetPalette: %lu",
      (unsigned long)(palette->AddRef(), palette->Release()));
  Say("ddraw refs with palette: %lu", (unsigned long)(dd->AddRef(), dd->Release()));

  LPDIRECTDRAWPALETTE other = NULL;
  Say("CreatePalette 8bit without allow256: %s",
      CodeName(dd->CreatePalette(DDPCAPS_8BIT, entries, &other, NULL)));
  if (other != NULL) {
    other->GetEntries(0, 0, 256, got);
    Say("  entries 0, 255: %02X%02X%02X%02X %02X%02X%02X%02X", got[0].peRed, got[0].peGreen,
        got[0].peBlue, got[0].peFlags, got[255].peRed, got[255].peGreen, got[255].peBlue,
        got[255].peFlags);
    Say("  SetEntries 0: %s", CodeName(other->SetEntries(0, 0, 1, three)));
    other->GetEntries(0, 0, 1, got);
    Say("  entry 0: %02X%02X%02X%02X", got[0].peRed, got[0].peGreen, got[0].peBlue, got[0].peFlags);
    Say("  release: %lu", (unsigned long)other->Release());
  }
  other = NULL;
  Say("CreatePalette without 8bit: %s", CodeName(dd->CreatePalette(DDPCAPS_ALLOW256, entries, &other, NULL)));
  if (other != NULL) other->Release();
  Say("palette release with primary holding it: %lu", (unsigned long)palette->Release());
}

void ProbeSystemPalette() {
  HDC screen = GetDC(NULL);
  Say("GetDC(NULL): %s", screen != NULL ? "a device context" : "null");
  PALETTEENTRY entries[10];
  Say("GetSystemPaletteEntries 0-9: %u", GetSystemPaletteEntries(screen, 0, 10, entries));
  Say("GetSystemPaletteEntries 246-255: %u", GetSystemPaletteEntries(screen, 246, 10, entries));
  Say("ReleaseDC: %d", ReleaseDC(NULL, screen));
}

void ProbeRelease() {
  LPDIRECTDRAWSURFACE plain = MakeSurface(8, 8, DDSCAPS_OFFSCREENPLAIN, NULL);
  if (plain != NULL) {
    Say("ddraw refs with off-screen surface: %lu", (unsigned long)(dd->AddRef(), dd->Release()));
    Say("off-screen AddRef: %lu", (unsigned long)plain->AddRef());
    Say("off-screen Release: %lu", (unsigned long)plain->Release());
    Say("off-screen Release: %lu", (unsigned long)plain->Release());
  }
  Say("back release: %lu", (unsigned long)back->Release());
  Say("primary release: %lu", (unsigned long)primary->Release());
  Say("ddraw release: %lu", (unsigned long)dd->Release());
}

LRESULT CALLBACK ProbeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main() {
  WNDCLASSA windowClass;
  memset(&windowClass, 0, sizeof windowClass);
  windowClass.lpfnWndProc = ProbeWndProc;
  windowClass.lpszClassName = "VoqDirectDrawProbe";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "VoqDirectDrawProbe", "probe", WS_POPUP | WS_VISIBLE, 0, 0,
                                640, 480, NULL, NULL, NULL, NULL);
#ifndef _WIN32
  // The software DirectDraw only keeps the window handle; where the
  // platform cannot make windows (headless builds) any handle will do.
  if (window == NULL) window = (HWND)&windowClass;
#endif
  MSG message;
  while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&message);

  ProbeSetUp(window);
  if (dd == NULL || primary == NULL || back == NULL) return 1;
  ProbeCreation();
  ProbeFills();
  ProbeCopies();
  ProbeColorKeys();
  ProbeFlip();
  ProbeLocks();
  ProbePalette();
  ProbeSystemPalette();
  ProbeRelease();
  DestroyWindow(window);
  return 0;
}
