// The software DirectDraw: the DirectDraw object, and the making and ending
// of surfaces and palettes.
//
// The display is always 640 x 480 with 8-bit palette indices; in the shared
// (normal) level that is also the "desktop" the windowed primary stands for.
// Every object is made by one calloc and ended by one free; nothing is
// allocated after creation. Ending the DirectDraw object ends everything it
// made, and ending the front surface of a flipping chain ends its back buffer,
// whatever references to them are still held.
#include <new>
#include <stdlib.h>
#include <string.h>

#include "ddraw_internal.h"

static const DWORD kFullScreen = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN;
static const DWORD kMemoryCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY;
static const DWORD kChainCaps = DDSCAPS_FLIP | DDSCAPS_COMPLEX;

HRESULT WINAPI DirectDrawCreate(GUID* lpGUID, LPDIRECTDRAW* lplpDD, IUnknown* pUnkOuter) {
  if (lplpDD == NULL) return DDERR_INVALIDPARAMS;
  *lplpDD = NULL;
  if (pUnkOuter != NULL) return DDERR_INVALIDPARAMS;
  // Emulation only is all there is.
  if (lpGUID != NULL && lpGUID != DDCREATE_EMULATIONONLY) return DDERR_INVALIDDIRECTDRAWGUID;
  void* memory = calloc(1, sizeof(DDrawObject));
  if (memory == NULL) return DDERR_OUTOFMEMORY;
  DDrawObject* made = new (memory) DDrawObject();
  made->refs = 1;
  *lplpDD = made;
  return DD_OK;
}

ULONG DDrawObject::AddRef() { return ++refs; }

ULONG DDrawObject::Release() {
  if (refs == 0) return 0;
  if (--refs != 0) return refs;
  while (surfaces != NULL) DestroySurface(surfaces);
  while (palettes != NULL) DestroyPalette(palettes);
  free(this);
  return 0;
}

HRESULT DDrawObject::SetCooperativeLevel(HWND hWnd, DWORD dwFlags) {
  DWORD mode = dwFlags & (DDSCL_NORMAL | kFullScreen);
  if (mode == kFullScreen ? hWnd == NULL : mode != DDSCL_NORMAL) return DDERR_INVALIDPARAMS;
  level = mode;
  window = hWnd;
  return DD_OK;
}

HRESULT DDrawObject::SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP) {
  if (dwWidth != (DWORD)kScreenWidth || dwHeight != (DWORD)kScreenHeight || dwBPP != 8)
    return DDERR_INVALIDMODE;
  return DD_OK;
}

// Pixels start on a 16-byte boundary after the object; rows are padded to 8 bytes.
static DDrawSurface* MakeSurface(DDrawObject* owner, DWORD width, DWORD height, DWORD caps) {
  const size_t header = (sizeof(DDrawSurface) + 15) & ~(size_t)15;
  LONG pitch = (LONG)((width + 7) & ~7u);
  void* memory = calloc(1, header + (size_t)pitch * height);
  if (memory == NULL) return NULL;
  DDrawSurface* made = new (memory) DDrawSurface();
  made->owner = owner;
  made->pixels = (BYTE*)memory + header;
  made->pitch = pitch;
  made->width = (int)width;
  made->height = (int)height;
  made->caps = caps;
  made->refs = 1;
  ResetDamage(&made->damage, 0);
  return made;
}

// What a description asks for, or why it is refused.
static HRESULT CheckDescription(const DDrawObject* dd, const DDSURFACEDESC* desc) {
  if (desc == NULL || desc->dwSize != sizeof *desc || !(desc->dwFlags & DDSD_CAPS)) return DDERR_INVALIDPARAMS;
  if (dd->level == 0) return DDERR_NOCOOPERATIVELEVELSET;
  DWORD caps = desc->ddsCaps.dwCaps;
  if ((caps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_OFFSCREENPLAIN | kChainCaps | kMemoryCaps)) ||
      (caps & kMemoryCaps) == kMemoryCaps)
    return DDERR_INVALIDCAPS;
  DWORD sized = desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT);
  bool counted = desc->dwFlags & DDSD_BACKBUFFERCOUNT;
  if (!(caps & DDSCAPS_PRIMARYSURFACE)) {
    if ((caps & kChainCaps) || counted) return DDERR_INVALIDCAPS;
    if (sized != (DDSD_WIDTH | DDSD_HEIGHT) || desc->dwWidth == 0 || desc->dwHeight == 0 || desc->dwWidth > kMaxSurfaceSide ||
        desc->dwHeight > kMaxSurfaceSide)
      return DDERR_INVALIDPARAMS;
    if (((desc->dwWidth + 7) & ~7u) * desc->dwHeight > kMaxSurfaceBytes) return DDERR_OUTOFMEMORY;
    return DD_OK;
  }
  if (caps & DDSCAPS_OFFSCREENPLAIN) return DDERR_INVALIDCAPS;
  bool flipping = (caps & kChainCaps) || counted;
  if (flipping) {
    if ((caps & kChainCaps) != kChainCaps || !counted || desc->dwBackBufferCount == 0) return DDERR_INVALIDCAPS;
    if (desc->dwBackBufferCount != 1) return DDERR_UNSUPPORTED;
  }
  // The primary is the screen: its size is the display's.
  if (sized) return DDERR_INVALIDPARAMS;
  if (flipping && dd->level != kFullScreen) return DDERR_NOEXCLUSIVEMODE;
  if (dd->primary != NULL) return DDERR_PRIMARYSURFACEALREADYEXISTS;
  return DD_OK;
}

HRESULT DDrawObject::CreateSurface(LPDDSURFACEDESC lpDDSurfaceDesc, LPDIRECTDRAWSURFACE* lplpDDSurface,
                                   IUnknown* pUnkOuter) {
  if (lplpDDSurface == NULL) return DDERR_INVALIDPARAMS;
  *lplpDDSurface = NULL;
  if (pUnkOuter != NULL) return DDERR_INVALIDPARAMS;
  HRESULT checked = CheckDescription(this, lpDDSurfaceDesc);
  if (checked != DD_OK) return checked;
  DWORD caps = lpDDSurfaceDesc->ddsCaps.dwCaps;
  DDrawSurface* made;
  if (caps & DDSCAPS_PRIMARYSURFACE) {
    bool flipping = caps & DDSCAPS_FLIP;
    made = MakeSurface(this, kScreenWidth, kScreenHeight, caps | (flipping ? DDSCAPS_FRONTBUFFER : 0));
    if (made == NULL) return DDERR_OUTOFMEMORY;
    if (flipping) {
      DDrawSurface* back =
          MakeSurface(this, kScreenWidth, kScreenHeight, DDSCAPS_BACKBUFFER | kChainCaps | (caps & kMemoryCaps));
      if (back == NULL) {
        free(made);
        return DDERR_OUTOFMEMORY;
      }
      made->chain = back;
      back->chain = made;
    }
    primary = made;
  } else {
    made = MakeSurface(this, lpDDSurfaceDesc->dwWidth, lpDDSurfaceDesc->dwHeight, caps | DDSCAPS_OFFSCREENPLAIN);
    if (made == NULL) return DDERR_OUTOFMEMORY;
  }
  made->next = surfaces;
  surfaces = made;
  *lplpDDSurface = made;
  return DD_OK;
}

HRESULT DDrawObject::CreatePalette(DWORD dwFlags, LPPALETTEENTRY lpColorTable,
                                   LPDIRECTDRAWPALETTE* lplpDDPalette, IUnknown* pUnkOuter) {
  if (lplpDDPalette == NULL) return DDERR_INVALIDPARAMS;
  *lplpDDPalette = NULL;
  const DWORD otherSizes = DDPCAPS_1BIT | DDPCAPS_2BIT | DDPCAPS_4BIT | DDPCAPS_8BITENTRIES;
  if (pUnkOuter != NULL || lpColorTable == NULL || !(dwFlags & DDPCAPS_8BIT) || (dwFlags & otherSizes))
    return DDERR_INVALIDPARAMS;
  void* memory = calloc(1, sizeof(DDrawPalette));
  if (memory == NULL) return DDERR_OUTOFMEMORY;
  DDrawPalette* made = new (memory) DDrawPalette();
  made->owner = this;
  made->refs = 1;
  made->fixedEnds = !(dwFlags & DDPCAPS_ALLOW256);
  made->next = palettes;
  palettes = made;
  made->SetEntries(0, 0, 256, lpColorTable);
  *lplpDDPalette = made;
  return DD_OK;
}

template <typename T>
static void Unlink(T** list, T* item) {
  for (T** at = list; *at != NULL; at = &(*at)->next) {
    if (*at == item) {
      *at = item->next;
      return;
    }
  }
}

void DestroySurface(DDrawSurface* surface) {
  if (surface->chain != NULL && !(surface->caps & DDSCAPS_BACKBUFFER)) DestroySurface(surface->chain);
  DDrawObject* owner = surface->owner;
  Unlink(&owner->surfaces, surface);
  if (owner->primary == surface) owner->primary = NULL;
  if (surface->palette != NULL) surface->palette->Release();
  free(surface);
}

void DestroyPalette(DDrawPalette* palette) {
  Unlink(&palette->owner->palettes, palette);
  free(palette);
}
