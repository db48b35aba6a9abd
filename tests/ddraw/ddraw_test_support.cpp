#include "ddraw_test_support.h"

#include <string.h>

#include "platform_internal.h"

PresentLog presentLog;

static int windowStandIn;
const HWND kSomeWindow = (HWND)&windowStandIn;

void PlatformPresent(const BYTE* pixels, LONG pitch, int width, int height, const PALETTEENTRY* palette,
                     bool newFrame, const Damage*) {
  presentLog.calls++;
  presentLog.frames += newFrame;
  presentLog.newFrame = newFrame;
  presentLog.pixels = pixels;
  presentLog.pitch = pitch;
  presentLog.width = width;
  presentLog.height = height;
  presentLog.palette.assign(palette, palette + 256);
}

Pixels ReadPixels(LPDIRECTDRAWSURFACE surface) {
  Pixels read;
  DDSURFACEDESC desc = EmptyDescription();
  if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) {
    ADD_FAILURE() << "Lock failed";
    return read;
  }
  read.width = (int)desc.dwWidth;
  read.height = (int)desc.dwHeight;
  for (int y = 0; y < read.height; y++) {
    const BYTE* row = (const BYTE*)desc.lpSurface + (size_t)y * desc.lPitch;
    read.values.insert(read.values.end(), row, row + read.width);
  }
  surface->Unlock(desc.lpSurface);
  return read;
}

void WritePixels(LPDIRECTDRAWSURFACE surface, const std::function<BYTE(int, int)>& value) {
  DDSURFACEDESC desc = EmptyDescription();
  ASSERT_EQ(DD_OK, surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
  for (DWORD y = 0; y < desc.dwHeight; y++) {
    BYTE* row = (BYTE*)desc.lpSurface + (size_t)y * desc.lPitch;
    for (DWORD x = 0; x < desc.dwWidth; x++) row[x] = value((int)x, (int)y);
  }
  surface->Unlock(desc.lpSurface);
}

std::string Differences(const Pixels& expected, const Pixels& got) {
  if (expected.width != got.width || expected.height != got.height) return "sizes differ";
  std::string text;
  int shown = 0, total = 0;
  for (int y = 0; y < got.height; y++) {
    for (int x = 0; x < got.width; x++) {
      if (expected.at(x, y) == got.at(x, y)) continue;
      if (shown++ < 6) {
        text += "(" + std::to_string(x) + "," + std::to_string(y) + ") expected " +
                std::to_string(expected.at(x, y)) + " got " + std::to_string(got.at(x, y)) + "; ";
      }
      total++;
    }
  }
  if (total > 0) text += std::to_string(total) + " pixels differ";
  return text;
}

DDSURFACEDESC EmptyDescription() {
  DDSURFACEDESC desc;
  memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  return desc;
}

LPDIRECTDRAWSURFACE MakeOffscreen(LPDIRECTDRAW dd, DWORD width, DWORD height, DWORD caps) {
  DDSURFACEDESC desc = EmptyDescription();
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = width;
  desc.dwHeight = height;
  desc.ddsCaps.dwCaps = caps;
  LPDIRECTDRAWSURFACE surface = nullptr;
  EXPECT_EQ(DD_OK, dd->CreateSurface(&desc, &surface, nullptr)) << width << "x" << height;
  return surface;
}

HRESULT FillSurface(LPDIRECTDRAWSURFACE surface, RECT* rect, DWORD color) {
  DDBLTFX fx;
  memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  fx.dwFillColor = color;
  return surface->Blt(rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

LPDIRECTDRAWPALETTE MakePalette(LPDIRECTDRAW dd, const PALETTEENTRY* entries) {
  PALETTEENTRY black[256] = {};
  LPDIRECTDRAWPALETTE palette = nullptr;
  EXPECT_EQ(DD_OK, dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256,
                                     const_cast<LPPALETTEENTRY>(entries != nullptr ? entries : black), &palette,
                                     nullptr));
  return palette;
}

void FullScreen::SetUp() {
  presentLog = PresentLog();
  ASSERT_EQ(DD_OK, DirectDrawCreate(nullptr, &dd, nullptr));
  ASSERT_EQ(DD_OK, dd->SetCooperativeLevel(kSomeWindow, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN));
  ASSERT_EQ(DD_OK, dd->SetDisplayMode(640, 480, 8));
  DDSURFACEDESC desc = EmptyDescription();
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  ASSERT_EQ(DD_OK, dd->CreateSurface(&desc, &primary, nullptr));
  DDSCAPS caps = {DDSCAPS_BACKBUFFER};
  ASSERT_EQ(DD_OK, primary->GetAttachedSurface(&caps, &back));
  presentLog = PresentLog();
}

void FullScreen::TearDown() {
  // The back buffer keeps the chain's own reference; the primary ends both.
  if (back != nullptr) EXPECT_EQ(1u, back->Release()) << "back buffer references left";
  if (primary != nullptr) EXPECT_EQ(0u, primary->Release()) << "primary references left";
  if (dd != nullptr) EXPECT_EQ(0u, dd->Release()) << "DirectDraw references left";
}
