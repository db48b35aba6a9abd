// Helpers for the software DirectDraw's tests: a recording PlatformPresent,
// a fixture with the full-screen set-up, and pixel access through Lock.
#ifndef VOQ_TESTS_DDRAW_TEST_SUPPORT_H
#define VOQ_TESTS_DDRAW_TEST_SUPPORT_H

#include <ddraw.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// What PlatformPresent was last given, and how often.
struct PresentLog {
  int calls = 0;
  int frames = 0;
  bool newFrame = false;
  const BYTE* pixels = nullptr;
  LONG pitch = 0;
  int width = 0;
  int height = 0;
  std::vector<PALETTEENTRY> palette;
};
extern PresentLog presentLog;

// Every pixel of a surface, row by row, read through Lock.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<BYTE> values;
  BYTE at(int x, int y) const { return values[(size_t)y * width + x]; }
};

Pixels ReadPixels(LPDIRECTDRAWSURFACE surface);
void WritePixels(LPDIRECTDRAWSURFACE surface, const std::function<BYTE(int, int)>& value);
// Where a and b differ, as "(x,y) expected E got G" lines, at most a few.
std::string Differences(const Pixels& expected, const Pixels& got);

LPDIRECTDRAWSURFACE MakeOffscreen(LPDIRECTDRAW dd, DWORD width, DWORD height,
                                  DWORD caps = DDSCAPS_OFFSCREENPLAIN);
HRESULT FillSurface(LPDIRECTDRAWSURFACE surface, RECT* rect, DWORD color);
// A 256-entry palette with all entries settable; black unless entries are given.
LPDIRECTDRAWPALETTE MakePalette(LPDIRECTDRAW dd, const PALETTEENTRY* entries = nullptr);
DDSURFACEDESC EmptyDescription();

// A DirectDraw object in exclusive full-screen mode with its flipping chain.
// Each test releases what it made; TearDown checks the set-up's own counts.
class FullScreen : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  LPDIRECTDRAW dd = nullptr;
  LPDIRECTDRAWSURFACE primary = nullptr;
  LPDIRECTDRAWSURFACE back = nullptr;
};

extern const HWND kSomeWindow;

#endif
