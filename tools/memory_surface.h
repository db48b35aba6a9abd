// An 8-bit surface in plain memory, for running the runtime's decoder outside
// a display: the tool, the tests, the benchmarks and the fuzzers. Only Lock
// and Unlock do anything. Lock refuses rectangles that are not wholly
// inside, as DirectDraw does. Guard bytes surround the pixels and fill the
// gap between the pixel rows and the pitch, so writes outside the picture
// show up.
#ifndef VOQ_TOOLS_MEMORY_SURFACE_H
#define VOQ_TOOLS_MEMORY_SURFACE_H

#include <ddraw.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

class MemorySurface : public IDirectDrawSurface {
 public:
  static constexpr uint8_t kGuard = 0xD7;
  static constexpr uint8_t kFill = 0xEE;
  static constexpr int kGuardBytes = 64;
  static constexpr int kRowPadding = 13;

  MemorySurface(int width, int height)
      : width_(width), height_(height), pitch_(width + kRowPadding),
        memory_((size_t)kGuardBytes * 2 + (size_t)pitch_ * (height > 0 ? height : 0), kGuard) {
    for (int y = 0; y < height_; y++) memset(Row(y), kFill, (size_t)width_);
  }
  virtual ~MemorySurface() {}

  int width() const { return width_; }
  int height() const { return height_; }
  LONG pitch() const { return pitch_; }
  uint8_t At(int x, int y) const { return memory_[kGuardBytes + (size_t)y * pitch_ + x]; }
  uint8_t* Row(int y) { return &memory_[kGuardBytes + (size_t)y * pitch_]; }
  const uint8_t* Row(int y) const { return &memory_[kGuardBytes + (size_t)y * pitch_]; }
  void Fill(uint8_t value) {
    for (int y = 0; y < height_; y++) memset(Row(y), value, (size_t)width_);
  }

  // Empty when every byte outside the picture still holds the guard value;
  // otherwise where the first damaged byte lies.
  std::string Damage() const {
    for (size_t i = 0; i < memory_.size(); i++) {
      if (memory_[i] == kGuard) continue;
      long inside = (long)i - kGuardBytes;
      if (inside >= 0 && inside < (long)pitch_ * height_ && inside % pitch_ < width_) continue;
      if (inside < 0) return "guard byte " + std::to_string(inside) + " before the pixels";
      if (inside >= (long)pitch_ * height_)
        return "guard byte " + std::to_string(inside - (long)pitch_ * height_) + " after the pixels";
      return "row " + std::to_string(inside / pitch_) + " padding byte " +
             std::to_string(inside % pitch_ - width_);
    }
    return "";
  }

  // What the decoder did with the surface.
  int lockCalls = 0;
  int unlockCalls = 0;
  bool locked = false;
  bool failLock = false;
  DWORD lastLockFlags = 0;
  DWORD lastDescSize = 0;
  RECT lastLockRect = {-1, -1, -1, -1};
  bool lastLockHadRect = false;
  LPVOID lastUnlockPointer = NULL;
  LPVOID lastLockPointer = NULL;

  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 0; }
  HRESULT Blt(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDBLTFX) override {
    return DDERR_UNSUPPORTED;
  }
  HRESULT BltFast(DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD) override {
    return DDERR_UNSUPPORTED;
  }
  HRESULT Flip(LPDIRECTDRAWSURFACE, DWORD) override { return DDERR_UNSUPPORTED; }
  HRESULT GetAttachedSurface(LPDDSCAPS, LPDIRECTDRAWSURFACE*) override { return DDERR_UNSUPPORTED; }
  HRESULT GetSurfaceDesc(LPDDSURFACEDESC) override { return DDERR_UNSUPPORTED; }
  HRESULT SetColorKey(DWORD, LPDDCOLORKEY) override { return DDERR_UNSUPPORTED; }
  HRESULT SetPalette(LPDIRECTDRAWPALETTE) override { return DDERR_UNSUPPORTED; }

  HRESULT Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE) override {
    lockCalls++;
    lastLockFlags = flags;
    lastDescSize = desc != NULL ? desc->dwSize : 0;
    lastLockHadRect = rect != NULL;
    if (rect != NULL) lastLockRect = *rect;
    if (desc == NULL) return DDERR_INVALIDPARAMS;
    desc->lpSurface = NULL;
    if (failLock) return DDERR_SURFACELOST;
    if (locked) return DDERR_SURFACEBUSY;
    RECT whole = {0, 0, width_, height_};
    RECT r = rect != NULL ? *rect : whole;
    if (r.left < 0 || r.top < 0 || r.right > width_ || r.bottom > height_ || r.left >= r.right ||
        r.top >= r.bottom)
      return DDERR_INVALIDPARAMS;
    locked = true;
    desc->lPitch = pitch_;
    desc->dwWidth = (DWORD)(r.right - r.left);
    desc->dwHeight = (DWORD)(r.bottom - r.top);
    desc->lpSurface = Row(r.top) + r.left;
    lastLockPointer = desc->lpSurface;
    return DD_OK;
  }

  HRESULT Unlock(LPVOID pointer) override {
    unlockCalls++;
    lastUnlockPointer = pointer;
    if (!locked) return DDERR_NOTLOCKED;
    locked = false;
    return DD_OK;
  }

 private:
  int width_;
  int height_;
  LONG pitch_;
  std::vector<uint8_t> memory_;
};

#endif
