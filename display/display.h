// The display layer: DirectDraw set-up, surfaces, palette, blits and presentation.
// Every operation returns a DisplayStatus and records the platform's latest
// result in lastDDResult; none shows a message.
#ifndef VOQ_DISPLAY_DISPLAY_H
#define VOQ_DISPLAY_DISPLAY_H

#include <stdint.h>
#include <ddraw.h>

enum DisplayStatus {
  kDisplayOk = 0,
  kDisplayFileError = 2,
  kDisplayRefused = 3,
};

static const DWORD kDisplayFullScreen = 1;
static const DWORD kDisplayEmulationOnly = 2;
static const DWORD kSurfaceSystemMemory = 2;

extern LPDIRECTDRAW lpDD;
extern LPDIRECTDRAWSURFACE lpDDSPrimary;
extern LPDIRECTDRAWSURFACE lpDDSBack;
extern LPDIRECTDRAWPALETTE lpDDPal;
extern LPDIRECTDRAWSURFACE lpImage1;
extern LPDIRECTDRAWSURFACE lpScratch;
extern DWORD displayFlags;
extern HRESULT lastDDResult;

// Set-up and surfaces.
int InitDisplay(HWND window, uint16_t width, uint16_t height, uint16_t bitsPerPixel, DWORD flags);
int CreateImageSurface(uint16_t width, uint16_t height, DWORD flags, LPDIRECTDRAWSURFACE* holder);
int SetSurfaceColorKey(LPDIRECTDRAWSURFACE surface, DWORD low, DWORD high);
int SetPaletteEntries(PALETTEENTRY* entries);
int ReleaseSurface(LPDIRECTDRAWSURFACE* holder);
int ReleaseDisplay(void);

// Blits and presentation.
int ColorFill(LPDIRECTDRAWSURFACE surface, DWORD index);
int BltToBack(RECT* dest, LPDIRECTDRAWSURFACE source, RECT* sourceRect, DWORD flags, LPDDBLTFX fx);
int BltToSurface(LPDIRECTDRAWSURFACE target, RECT* dest, LPDIRECTDRAWSURFACE source,
                 RECT* sourceRect, DWORD flags, LPDDBLTFX fx);
int BltFastToBack(POINT at, LPDIRECTDRAWSURFACE source, RECT* sourceRect, DWORD flags);
int PresentFrame(void);
int RestoreSurfaces(void);

#endif
