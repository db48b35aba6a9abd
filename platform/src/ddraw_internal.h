// The software DirectDraw's objects, shared by its source files.
//
// Every surface is 8 bits per pixel, palette-indexed, in plain memory made
// once at creation. The display is always 640 x 480 x 8; its "screen" is
// whatever surface is the primary, shown through PlatformPresent.
#ifndef VOQ_PLATFORM_DDRAW_INTERNAL_H
#define VOQ_PLATFORM_DDRAW_INTERNAL_H

#include <ddraw.h>

#include "damage.h"

static const int kScreenWidth = 640;
static const int kScreenHeight = 480;
// Larger sides are refused outright; larger buffers are refused as out of memory.
static const DWORD kMaxSurfaceSide = 16384;
static const DWORD kMaxSurfaceBytes = 64u << 20;

struct DDrawObject;
struct DDrawPalette;

struct DDrawSurface final : IDirectDrawSurface {
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT Blt(LPRECT lpDestRect, LPDIRECTDRAWSURFACE lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwFlags,
              LPDDBLTFX lpDDBltFx) override;
  HRESULT BltFast(DWORD dwX, DWORD dwY, LPDIRECTDRAWSURFACE lpDDSrcSurface, LPRECT lpSrcRect,
                  DWORD dwTrans) override;
  HRESULT Flip(LPDIRECTDRAWSURFACE lpDDSurfaceTargetOverride, DWORD dwFlags) override;
  HRESULT GetAttachedSurface(LPDDSCAPS lpDDSCaps, LPDIRECTDRAWSURFACE* lplpDDAttachedSurface) override;
  HRESULT GetSurfaceDesc(LPDDSURFACEDESC lpDDSurfaceDesc) override;
  HRESULT Lock(LPRECT lpDestRect, LPDDSURFACEDESC lpDDSurfaceDesc, DWORD dwFlags,
               HANDLE hEvent) override;
  HRESULT Unlock(LPVOID lpSurfaceData) override;
  HRESULT SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) override;
  HRESULT SetPalette(LPDIRECTDRAWPALETTE lpDDPalette) override;

  DDrawObject* owner;
  DDrawSurface* next;  // in the owner's list of surfaces
  // The other surface of a flipping chain; the front surface owns its back
  // buffer, which lives and dies with it.
  DDrawSurface* chain;
  DDrawPalette* palette;  // one reference held
  BYTE* pixels;           // exchanged with the chain's other surface by Flip
  Damage damage;          // what is known of pixels; goes with them in a Flip
  LONG pitch;
  int width;
  int height;
  DWORD caps;
  ULONG refs;
  DWORD colorKey;
  bool keyed;
  bool locked;
};

struct DDrawPalette final : IDirectDrawPalette {
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetEntries(DWORD dwFlags, DWORD dwBase, DWORD dwNumEntries,
                     LPPALETTEENTRY lpEntries) override;
  HRESULT SetEntries(DWORD dwFlags, DWORD dwStartingEntry, DWORD dwCount,
                     LPPALETTEENTRY lpEntries) override;

  DDrawObject* owner;
  DDrawPalette* next;  // in the owner's list of palettes
  ULONG refs;
  bool fixedEnds;  // without DDPCAPS_ALLOW256 entries 0 and 255 stay black and white
  PALETTEENTRY entries[256];
};

struct DDrawObject final : IDirectDraw {
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT CreatePalette(DWORD dwFlags, LPPALETTEENTRY lpColorTable, LPDIRECTDRAWPALETTE* lplpDDPalette,
                        IUnknown* pUnkOuter) override;
  HRESULT CreateSurface(LPDDSURFACEDESC lpDDSurfaceDesc, LPDIRECTDRAWSURFACE* lplpDDSurface,
                        IUnknown* pUnkOuter) override;
  HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwFlags) override;
  HRESULT SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP) override;

  ULONG refs;
  DWORD level;  // 0 until SetCooperativeLevel succeeds
  HWND window;
  DDrawSurface* surfaces;
  DDrawPalette* palettes;
  DDrawSurface* primary;  // the screen: the front of the chain, or the windowed desktop
};

// Frees a surface (with its back buffer if it is the front of a chain) and
// drops its palette reference, whatever its reference count.
void DestroySurface(DDrawSurface* surface);
void DestroyPalette(DDrawPalette* palette);

// Shows the primary surface if surface is it; anything else is off screen.
void PresentIfPrimary(const DDrawSurface* surface, bool newFrame);

// Pixel loops. Rectangles are already checked against their surfaces.
void FillPixels(BYTE* pixels, LONG pitch, LONG width, const RECT& rect, BYTE value);
// Unscaled copy of source rectangle at (x, y); safe when the two overlap in
// the same memory (the result is that of copying from a snapshot of the
// source). With keyed, pixels equal to key are left out.
void CopyPixels(BYTE* target, LONG targetPitch, LONG x, LONG y, const BYTE* source, LONG sourcePitch,
                const RECT& from, bool keyed, BYTE key);
// Nearest-neighbour scaled copy: destination pixel (dx, dy), counted from the
// rectangle's corner, takes source pixel ((dx * stepX) >> 16, (dy * stepY) >> 16)
// of the source rectangle, where step = (source size << 16) / destination size,
// rounded down. The source and destination must not overlap.
void ScalePixels(BYTE* target, LONG targetPitch, const RECT& to, const BYTE* source, LONG sourcePitch,
                 const RECT& from, bool keyed, BYTE key);

#endif
