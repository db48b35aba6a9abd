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
  FakeCall call;
  call.name = "DirectDrawCreate";
  call.extra = guid;
  call.source = outer;
  TheFakeLog().calls.push_back(call);
  FakePlatform& p = TheFakePlatform();
  if (out != nullptr) *out = p.createResult == DD_OK ? p.directDraw : nullptr;
  return p.createResult;
}

HDC WINAPI GetDC(HWND window) {
  FakeCall call;
  call.name = "GetDC";
  call.window = window;
  TheFakeLog().calls.push_back(call);
  return TheFakePlatform().screenDC;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
  FakeCall call;
  call.name = "ReleaseDC";
  call.window = window;
  call.extra = dc;
  TheFakeLog().calls.push_back(call);
  return 1;
}

UINT WINAPI GetSystemPaletteEntries(HDC dc, UINT start, UINT count, LPPALETTEENTRY entries) {
  FakeCall call;
  call.name = "GetSystemPaletteEntries";
  call.extra = dc;
  call.start = start;
  call.count = count;
  TheFakeLog().calls.push_back(call);
  if (start + count > 256) return 0;
  std::memcpy(entries, TheFakePlatform().systemPalette + start, count * sizeof(PALETTEENTRY));
  return count;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  FakeCall call;
  call.name = "GetClientRect";
  call.window = window;
  TheFakeLog().calls.push_back(call);
  FakePlatform& p = TheFakePlatform();
  if (p.clientRectAnswer) *rect = p.clientRect;
  return p.clientRectAnswer;
}

BOOL WINAPI ClientToScreen(HWND window, POINT* point) {
  FakeCall call;
  call.name = "ClientToScreen";
  call.window = window;
  call.x = (DWORD)point->x;
  call.y = (DWORD)point->y;
  TheFakeLog().calls.push_back(call);
  FakePlatform& p = TheFakePlatform();
  if (p.clientToScreenAnswer) {
    point->x += p.clientOrigin.x;
    point->y += p.clientOrigin.y;
  }
  return p.clientToScreenAnswer;
}

}  // extern "C"
