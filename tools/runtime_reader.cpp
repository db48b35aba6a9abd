#include "runtime_reader.h"

#include <cstring>

#include "data/saver_data.h"
#include "image/gif_decoder.h"
#include "image/palette.h"

namespace {

// An 8-bit surface in plain memory: all the decoder needs is Lock and Unlock.
class MemorySurface : public IDirectDrawSurface {
 public:
  MemorySurface(int width, int height, uint8_t fill)
      : width_(width), height_(height), pixels_((size_t)width * height, fill) {}
  virtual ~MemorySurface() {}

  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT Blt(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDBLTFX) override { return DDERR_UNSUPPORTED; }
  HRESULT BltFast(DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD) override { return DDERR_UNSUPPORTED; }
  HRESULT Flip(LPDIRECTDRAWSURFACE, DWORD) override { return DDERR_UNSUPPORTED; }
  HRESULT GetAttachedSurface(LPDDSCAPS, LPDIRECTDRAWSURFACE*) override { return DDERR_UNSUPPORTED; }
  HRESULT SetColorKey(DWORD, LPDDCOLORKEY) override { return DDERR_UNSUPPORTED; }
  HRESULT SetPalette(LPDIRECTDRAWPALETTE) override { return DDERR_UNSUPPORTED; }

  HRESULT GetSurfaceDesc(LPDDSURFACEDESC desc) override {
    if (desc == nullptr) return DDERR_INVALIDPARAMS;
    Describe(desc);
    return DD_OK;
  }

  HRESULT Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD, HANDLE) override {
    if (desc == nullptr) return DDERR_INVALIDPARAMS;
    RECT whole = {0, 0, width_, height_};
    if (rect == nullptr) rect = &whole;
    if (rect->left < 0 || rect->top < 0 || rect->right > width_ || rect->bottom > height_ ||
        rect->left >= rect->right || rect->top >= rect->bottom) {
      desc->lpSurface = nullptr;
      return DDERR_INVALIDPARAMS;
    }
    Describe(desc);
    desc->lpSurface = pixels_.data() + (size_t)rect->top * width_ + rect->left;
    locked_ = true;
    return DD_OK;
  }

  HRESULT Unlock(LPVOID) override {
    if (!locked_) return DDERR_NOTLOCKED;
    locked_ = false;
    return DD_OK;
  }

  const std::vector<uint8_t>& Pixels() const { return pixels_; }

 private:
  void Describe(LPDDSURFACEDESC desc) const {
    DWORD size = desc->dwSize;
    std::memset(desc, 0, sizeof *desc);
    desc->dwSize = size;
    desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_LPSURFACE;
    desc->dwWidth = (DWORD)width_;
    desc->dwHeight = (DWORD)height_;
    desc->lPitch = width_;
    desc->ddpfPixelFormat.dwSize = sizeof desc->ddpfPixelFormat;
    desc->ddpfPixelFormat.dwFlags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
    desc->ddpfPixelFormat.dwRGBBitCount = 8;
    desc->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  }

  LONG width_;
  LONG height_;
  std::vector<uint8_t> pixels_;
  bool locked_ = false;
};

}  // namespace

bool ReadHeaderAsRuntime(const std::string& path, SaverHeader* header) {
  if (ReadSaverData(path.c_str()) != 1) return false;
  *header = saverHeader;
  return true;
}

RuntimeDecode DecodeAsRuntime(const std::string& path, int32_t width, int32_t height,
                              int32_t offset, int32_t size) {
  RuntimeDecode decode;
  MemorySurface blank(width, height, 0x00);
  MemorySurface full(width, height, 0xFF);
  decode.result = DecodeGif(path.c_str(), &blank, width, height, offset, size);
  DecodeGif(path.c_str(), &full, width, height, offset, size);
  for (size_t i = 0; i < blank.Pixels().size(); i++)
    if (blank.Pixels()[i] != full.Pixels()[i]) decode.unwrittenPixels++;
  decode.picture.width = width;
  decode.picture.height = height;
  decode.picture.indices = blank.Pixels();

  PALETTEENTRY entries[256];
  std::memset(entries, 0, sizeof entries);
  decode.paletteLoaded = LoadGifPalette(path.c_str(), entries, offset) == 0;
  for (int i = 0; i < 256; i++)
    decode.picture.palette[i] = {entries[i].peRed, entries[i].peGreen, entries[i].peBlue};
  return decode;
}

int PickDarkestAsRuntime(const Palette& palette) {
  PALETTEENTRY entries[256];
  for (int i = 0; i < 256; i++) entries[i] = {palette[i].red, palette[i].green, palette[i].blue, 0};
  PickDarkestIndex(entries);
  return backgroundIndex;
}
