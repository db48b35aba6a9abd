// What the screen shows: palettes, the screen's device context with its
// static colours, and the hand-over of the primary surface to PlatformPresent.
#include <string.h>

#include "ddraw_internal.h"
#include "platform_internal.h"

// Our own 20 static colours: a dark row at 0..9 and a light row at 246..255,
// black first and white last as every palettised screen has them.
const PALETTEENTRY kPlatformSystemColors[20] = {
    {0x00, 0x00, 0x00, 0}, {0x8C, 0x1E, 0x1E, 0}, {0x1E, 0x78, 0x2D, 0}, {0x82, 0x78, 0x14, 0},
    {0x1C, 0x2C, 0x8A, 0}, {0x74, 0x24, 0x82, 0}, {0x14, 0x78, 0x7C, 0}, {0xC4, 0xC4, 0xC4, 0},
    {0xD2, 0xE4, 0xCE, 0}, {0xB0, 0xC8, 0xE6, 0}, {0xFA, 0xF4, 0xE4, 0}, {0xA6, 0xA6, 0xA8, 0},
    {0x70, 0x70, 0x70, 0}, {0xF0, 0x32, 0x2C, 0}, {0x34, 0xDC, 0x3C, 0}, {0xF4, 0xE0, 0x2E, 0},
    {0x30, 0x4E, 0xEE, 0}, {0xE6, 0x3C, 0xE6, 0}, {0x3C, 0xDE, 0xE6, 0}, {0xFF, 0xFF, 0xFF, 0},
};

// The one device context there is: the whole screen's.
static char screenDevice;

HDC WINAPI GetDC(HWND) { return (HDC)&screenDevice; }

int WINAPI ReleaseDC(HWND, HDC hDC) { return hDC == (HDC)&screenDevice; }

// The static colours at both ends; the entries between are black, as no
// other program shares this screen.
static PALETTEENTRY SystemEntry(UINT index) {
  if (index < 10) return kPlatformSystemColors[index];
  if (index >= 246) return kPlatformSystemColors[index - 236];
  return PALETTEENTRY{0, 0, 0, 0};
}

UINT WINAPI GetSystemPaletteEntries(HDC hdc, UINT iStart, UINT cEntries, LPPALETTEENTRY pPalEntries) {
  if (hdc != (HDC)&screenDevice) return 0;
  if (pPalEntries == NULL) return 256;
  UINT count = 0;
  for (; count < cEntries && iStart + count < 256; count++) pPalEntries[count] = SystemEntry(iStart + count);
  return count;
}

void PresentIfPrimary(const DDrawSurface* surface, bool newFrame) {
  if (surface->owner->primary != surface) return;
  // A screen without a palette of its own shows the system palette.
  static PALETTEENTRY system[256];
  const PALETTEENTRY* colors = system;
  if (surface->palette != NULL) {
    colors = surface->palette->entries;
  } else {
    for (UINT i = 0; i < 256; i++) system[i] = SystemEntry(i);
  }
  PlatformPresent(surface->pixels, surface->pitch, surface->width, surface->height, colors, newFrame,
                  &surface->damage);
}

ULONG DDrawPalette::AddRef() { return ++refs; }

ULONG DDrawPalette::Release() {
  if (refs == 0) return 0;
  ULONG left = --refs;
  if (left == 0) DestroyPalette(this);
  return left;
}

HRESULT DDrawPalette::GetEntries(DWORD, DWORD dwBase, DWORD dwNumEntries, LPPALETTEENTRY lpEntries) {
  if (lpEntries == NULL || dwBase > 256 || dwNumEntries > 256 - dwBase) return DDERR_INVALIDPARAMS;
  memcpy(lpEntries, entries + dwBase, dwNumEntries * sizeof *entries);
  return DD_OK;
}

HRESULT DDrawPalette::SetEntries(DWORD, DWORD dwStartingEntry, DWORD dwCount, LPPALETTEENTRY lpEntries) {
  if (lpEntries == NULL || dwStartingEntry > 256 || dwCount > 256 - dwStartingEntry)
    return DDERR_INVALIDPARAMS;
  memcpy(entries + dwStartingEntry, lpEntries, dwCount * sizeof *entries);
  if (fixedEnds) {
    entries[0] = PALETTEENTRY{0, 0, 0, 0};
    entries[255] = PALETTEENTRY{0xFF, 0xFF, 0xFF, 0};
  }
  DDrawSurface* screen = owner->primary;
  if (screen != NULL && screen->palette == this) PresentIfPrimary(screen, false);
  return DD_OK;
}
