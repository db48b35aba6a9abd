#include "tests/lib/giflib_writer.h"

#include <gif_lib.h>
#include <string.h>

#include <stdexcept>

static int Collect(GifFileType* gif, const GifByteType* bytes, int count) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), bytes, bytes + count);
  return count;
}

std::vector<uint8_t> GiflibWrite(const GiflibPicture& picture) {
  std::vector<uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, Collect, &error);
  if (gif == nullptr) throw std::runtime_error("EGifOpen failed");
  std::vector<GifColorType> colors(picture.colors.size() / 3);
  for (size_t i = 0; i < colors.size(); i++)
    colors[i] = {picture.colors[3 * i], picture.colors[3 * i + 1], picture.colors[3 * i + 2]};
  ColorMapObject* map = GifMakeMapObject((int)colors.size(), colors.data());
  if (!picture.comment.empty() || picture.transparentIndex >= 0) EGifSetGifVersion(gif, true);
  bool ok = map != nullptr &&
            EGifPutScreenDesc(gif, picture.width, picture.height, 8, 0, picture.globalTable ? map : nullptr) == GIF_OK;
  if (!picture.comment.empty()) ok = ok && EGifPutComment(gif, picture.comment.c_str()) == GIF_OK;
  if (picture.transparentIndex >= 0) {
    GraphicsControlBlock control = {DISPOSAL_UNSPECIFIED, false, 0, picture.transparentIndex};
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
  }
  ok = ok && EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, picture.interlace,
                              picture.localTable ? map : nullptr) == GIF_OK;
  std::vector<GifPixelType> row((size_t)picture.width);
  auto put = [&](int y) {
    memcpy(row.data(), picture.pixels.data() + (size_t)y * picture.width, (size_t)picture.width);
    ok = ok && EGifPutLine(gif, row.data(), picture.width) == GIF_OK;
  };
  static const int kStart[4] = {0, 4, 2, 1};
  static const int kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < (picture.interlace ? 4 : 1); pass++)
    for (int y = picture.interlace ? kStart[pass] : 0; y < picture.height; y += picture.interlace ? kStep[pass] : 1)
      put(y);
  GifFreeMapObject(map);
  ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
  if (!ok) throw std::runtime_error("giflib could not write the test GIF");
  return out;
}
