// SDL's own BMP code, the one the runtime's frame captures are written with.
#include "bmp.h"

#include <SDL.h>

#include <cstring>
#include <memory>

#include "tool_error.h"

namespace {

constexpr size_t kHeadersSize = 14 + 40 + 256 * 4;

struct SurfaceFree {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

}  // namespace

Bytes EncodeBmp8(const IndexedPicture& picture) {
  Bytes pixels = picture.indices;
  Surface surface(SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), picture.width, picture.height, 8,
                                                     picture.width, SDL_PIXELFORMAT_INDEX8));
  if (surface == nullptr) throw ToolError(std::string("cannot make a BMP: ") + SDL_GetError());
  SDL_Color colors[256];
  for (int i = 0; i < 256; i++) colors[i] = {picture.palette[i].red, picture.palette[i].green, picture.palette[i].blue, 0};
  SDL_SetPaletteColors(surface->format->palette, colors, 0, 256);
  Bytes out(kHeadersSize + (((size_t)picture.width + 3) & ~(size_t)3) * picture.height);
  SDL_RWops* to = SDL_RWFromMem(out.data(), (int)out.size());
  if (to == nullptr || SDL_SaveBMP_RW(surface.get(), to, 1) != 0)
    throw ToolError(std::string("cannot make a BMP: ") + SDL_GetError());
  return out;
}

IndexedPicture DecodeBmp8(const Bytes& bytes) {
  Surface surface(SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), (int)bytes.size()), 1));
  if (surface == nullptr) throw ToolError(std::string("not a readable BMP: ") + SDL_GetError());
  const SDL_Palette* palette = surface->format->palette;
  if (surface->format->format != SDL_PIXELFORMAT_INDEX8 || palette == nullptr)
    throw ToolError("not an 8-bit BMP");
  IndexedPicture picture;
  picture.width = surface->w;
  picture.height = surface->h;
  for (int i = 0; i < palette->ncolors && i < 256; i++)
    picture.palette[i] = {palette->colors[i].r, palette->colors[i].g, palette->colors[i].b};
  picture.indices.resize((size_t)picture.width * picture.height);
  for (int y = 0; y < picture.height; y++)
    std::memcpy(&picture.indices[(size_t)y * picture.width], (const uint8_t*)surface->pixels + (size_t)y * surface->pitch,
                (size_t)picture.width);
  return picture;
}
