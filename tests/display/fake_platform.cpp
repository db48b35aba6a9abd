#include "fake_platform.h"

#include <cstring>

FakePlatform& TheFakePlatform() {
  static FakePlatform platform;
  return platform;
}

void ResetFakePlatform() {
  FakePlatform& p = TheFakePlatform();
  p = FakePlatform();
  for (int i = 0; i < 256; i++) {
    p.systemPalette[i].peRed = (BYTE)i;
    p.systemPalette[i].peGreen = (BYTE)(255 - i);
    p.systemPalette[i].peBlue = (BYTE)(i * 7);
    p.systemPalette[i].peFlags = (BYTE)(i & 3);
  }
}

extern "C" {

HRESULT WINAPI DirectDrawCreate(GUID* guid, LPDIRECTDRAW* out, IUnknown* outer) {
  FakeCall& call = TheFakeLog().Add("DirectDrawCreate");
  call.extra = guid;
  call.source = outer;
  FakePlatform& p = TheFakePlatform();
  if (out != nullptr) *out = p.createResult == DD_OK ? p.directDraw : nullptr;
  return p.createResult;
}

HDC WINAPI GetDC(HWND window) {
  TheFakeLog().Add("GetDC").window = window;
  return TheFakePlatform().screenDC;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
  FakeCall& call = TheFakeLog().Add("ReleaseDC");
  call.window = window;
  call.extra = dc;
  return 1;
}

UINT WINAPI GetSystemPaletteEntries(HDC dc, UINT start, UINT count, LPPALETTEENTRY entries) {
  FakeCall& call = TheFakeLog().Add("GetSystemPaletteEntries");
  call.extra = dc;
  call.start = start;
  call.count = count;
  if (start + count > 256) return 0;
  std::memcpy(entries, TheFakePlatform().systemPalette + start, count * sizeof(PALETTEENTRY));
  return count;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  TheFakeLog().Add("GetClientRect").window = window;
  FakePlatform& p = TheFakePlatform();
  if (p.clientRectAnswer) *rect = p.clientRect;
  return p.clientRectAnswer;
}

BOOL WINAPI ClientToScreen(HWND window, POINT* point) {
  FakeCall& call = TheFakeLog().Add("ClientToScreen");
  call.window = window;
  call.x = (DWORD)point->x;
  call.y = (DWORD)point->y;
  FakePlatform& p = TheFakePlatform();
  if (p.clientToScreenAnswer) {
    point->x += p.clientOrigin.x;
    point->y += p.clientOrigin.y;
  }
  return p.clientToScreenAnswer;
}

}  // extern "C"
