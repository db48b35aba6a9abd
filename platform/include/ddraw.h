// The first-version DirectDraw subset the saver calls, for systems without
// DirectDraw. The interfaces are abstract classes with DirectDraw's method
// names and arguments; platform/src supplies a software implementation.
#ifndef VOQ_PLATFORM_DDRAW_H
#define VOQ_PLATFORM_DDRAW_H

#include <windows.h>

typedef struct _GUID GUID;
struct IUnknown;

struct IDirectDraw;
struct IDirectDrawSurface;
struct IDirectDrawPalette;
struct IDirectDrawClipper;
typedef IDirectDraw* LPDIRECTDRAW;
typedef IDirectDrawSurface* LPDIRECTDRAWSURFACE;
typedef IDirectDrawPalette* LPDIRECTDRAWPALETTE;

// Result codes.
#define DD_OK ((HRESULT)0)
#define DDERR_GENERIC ((HRESULT)0x80004005u)
#define DDERR_UNSUPPORTED ((HRESULT)0x80004001u)
#define DDERR_OUTOFMEMORY ((HRESULT)0x8007000Eu)
#define DDERR_INVALIDPARAMS ((HRESULT)0x80070057u)
#define DDERR_INVALIDCAPS ((HRESULT)0x88760064u)
#define DDERR_INVALIDOBJECT ((HRESULT)0x88760082u)
#define DDERR_INVALIDRECT ((HRESULT)0x88760096u)
#define DDERR_NOTFOUND ((HRESULT)0x887600FFu)
#define DDERR_OUTOFVIDEOMEMORY ((HRESULT)0x8876017Cu)
#define DDERR_SURFACEBUSY ((HRESULT)0x887601AEu)
#define DDERR_SURFACELOST ((HRESULT)0x887601C2u)
#define DDERR_NOTLOCKED ((HRESULT)0x88760248u)
#define DDERR_WASSTILLDRAWING ((HRESULT)0x8876021Cu)
#define DDERR_NOEXCLUSIVEMODE ((HRESULT)0x887600E1u)
#define DDERR_NOTFLIPPABLE ((HRESULT)0x88760246u)
#define DDERR_NOPALETTEATTACHED ((HRESULT)0x8876023Cu)
#define DDERR_NOCOLORKEY ((HRESULT)0x887600D7u)
#define DDERR_INVALIDMODE ((HRESULT)0x88760078u)
#define DDERR_NOCOOPERATIVELEVELSET ((HRESULT)0x887600D4u)
#define DDERR_INVALIDDIRECTDRAWGUID ((HRESULT)0x88760231u)
#define DDERR_PRIMARYSURFACEALREADYEXISTS ((HRESULT)0x88760234u)

#define DDCREATE_EMULATIONONLY ((GUID*)(uintptr_t)2)

// Cooperative levels.
#define DDSCL_FULLSCREEN 0x00000001u
#define DDSCL_NORMAL 0x00000008u
#define DDSCL_EXCLUSIVE 0x00000010u

// Surface description flags and capabilities.
#define DDSD_CAPS 0x00000001u
#define DDSD_HEIGHT 0x00000002u
#define DDSD_WIDTH 0x00000004u
#define DDSD_PITCH 0x00000008u
#define DDSD_BACKBUFFERCOUNT 0x00000020u
#define DDSD_LPSURFACE 0x00000800u
#define DDSD_PIXELFORMAT 0x00001000u
#define DDSD_CKSRCBLT 0x00010000u

#define DDSCAPS_BACKBUFFER 0x00000004u
#define DDSCAPS_COMPLEX 0x00000008u
#define DDSCAPS_FLIP 0x00000010u
#define DDSCAPS_FRONTBUFFER 0x00000020u
#define DDSCAPS_OFFSCREENPLAIN 0x00000040u
#define DDSCAPS_PRIMARYSURFACE 0x00000200u
#define DDSCAPS_SYSTEMMEMORY 0x00000800u
#define DDSCAPS_VIDEOMEMORY 0x00004000u

#define DDPF_PALETTEINDEXED8 0x00000020u
#define DDPF_RGB 0x00000040u

// Palettes.
#define DDPCAPS_4BIT 0x00000001u
#define DDPCAPS_8BITENTRIES 0x00000002u
#define DDPCAPS_8BIT 0x00000004u
#define DDPCAPS_1BIT 0x00000100u
#define DDPCAPS_2BIT 0x00000200u
#define DDPCAPS_ALLOW256 0x00000040u

// Colour keys.
#define DDCKEY_COLORSPACE 0x00000001u
#define DDCKEY_DESTBLT 0x00000002u
#define DDCKEY_SRCBLT 0x00000008u

// Blits.
#define DDBLT_ALPHAEDGEBLEND 0x00000010u
#define DDBLT_COLORFILL 0x00000400u
#define DDBLT_KEYDEST 0x00002000u
#define DDBLT_KEYSRC 0x00008000u
#define DDBLT_WAIT 0x01000000u

#define DDBLTFAST_NOCOLORKEY 0x00000000u
#define DDBLTFAST_SRCCOLORKEY 0x00000001u
#define DDBLTFAST_DESTCOLORKEY 0x00000002u
#define DDBLTFAST_WAIT 0x00000010u

#define DDFLIP_WAIT 0x00000001u

#define DDLOCK_WAIT 0x00000001u
#define DDLOCK_SURFACEMEMORYPTR 0x00000000u

typedef struct _DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
} DDCOLORKEY, *LPDDCOLORKEY;

typedef struct _DDSCAPS {
  DWORD dwCaps;
} DDSCAPS, *LPDDSCAPS;

typedef struct _DDPIXELFORMAT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwFourCC;
  DWORD dwRGBBitCount;
  DWORD dwRBitMask;
  DWORD dwGBitMask;
  DWORD dwBBitMask;
  DWORD dwRGBAlphaBitMask;
} DDPIXELFORMAT, *LPDDPIXELFORMAT;

typedef struct _DDSURFACEDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  LONG lPitch;
  DWORD dwBackBufferCount;
  DWORD dwRefreshRate;
  DWORD dwAlphaBitDepth;
  DWORD dwReserved;
  LPVOID lpSurface;
  DDCOLORKEY ddckCKDestOverlay;
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcOverlay;
  DDCOLORKEY ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS ddsCaps;
} DDSURFACEDESC, *LPDDSURFACEDESC;

typedef struct _DDBLTFX {
  DWORD dwSize;
  DWORD dwDDFX;
  DWORD dwROP;
  DWORD dwDDROP;
  DWORD dwRotationAngle;
  DWORD dwAlphaEdgeBlendBitDepth;
  DWORD dwAlphaEdgeBlend;
  DWORD dwFillColor;
  DDCOLORKEY ddckDestColorkey;
  DDCOLORKEY ddckSrcColorkey;
} DDBLTFX, *LPDDBLTFX;

struct IDirectDrawPalette {
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  virtual HRESULT GetEntries(DWORD dwFlags, DWORD dwBase, DWORD dwNumEntries,
                             LPPALETTEENTRY lpEntries) = 0;
  virtual HRESULT SetEntries(DWORD dwFlags, DWORD dwStartingEntry, DWORD dwCount,
                             LPPALETTEENTRY lpEntries) = 0;

 protected:
  ~IDirectDrawPalette() {}
};

struct IDirectDrawSurface {
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  virtual HRESULT Blt(LPRECT lpDestRect, LPDIRECTDRAWSURFACE lpDDSrcSurface, LPRECT lpSrcRect,
                      DWORD dwFlags, LPDDBLTFX lpDDBltFx) = 0;
  virtual HRESULT BltFast(DWORD dwX, DWORD dwY, LPDIRECTDRAWSURFACE lpDDSrcSurface,
                          LPRECT lpSrcRect, DWORD dwTrans) = 0;
  virtual HRESULT Flip(LPDIRECTDRAWSURFACE lpDDSurfaceTargetOverride, DWORD dwFlags) = 0;
  virtual HRESULT GetAttachedSurface(LPDDSCAPS lpDDSCaps,
                                     LPDIRECTDRAWSURFACE* lplpDDAttachedSurface) = 0;
  virtual HRESULT GetSurfaceDesc(LPDDSURFACEDESC lpDDSurfaceDesc) = 0;
  virtual HRESULT Lock(LPRECT lpDestRect, LPDDSURFACEDESC lpDDSurfaceDesc, DWORD dwFlags,
                       HANDLE hEvent) = 0;
  virtual HRESULT Unlock(LPVOID lpSurfaceData) = 0;
  virtual HRESULT SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) = 0;
  virtual HRESULT SetPalette(LPDIRECTDRAWPALETTE lpDDPalette) = 0;

 protected:
  ~IDirectDrawSurface() {}
};

struct IDirectDraw {
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  virtual HRESULT CreatePalette(DWORD dwFlags, LPPALETTEENTRY lpColorTable,
                                LPDIRECTDRAWPALETTE* lplpDDPalette, IUnknown* pUnkOuter) = 0;
  virtual HRESULT CreateSurface(LPDDSURFACEDESC lpDDSurfaceDesc,
                                LPDIRECTDRAWSURFACE* lplpDDSurface, IUnknown* pUnkOuter) = 0;
  virtual HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwFlags) = 0;
  virtual HRESULT SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP) = 0;

 protected:
  ~IDirectDraw() {}
};

#ifdef __cplusplus
extern "C" {
#endif

HRESULT WINAPI DirectDrawCreate(GUID* lpGUID, LPDIRECTDRAW* lplpDD, IUnknown* pUnkOuter);

#ifdef __cplusplus
}
#endif

#endif
