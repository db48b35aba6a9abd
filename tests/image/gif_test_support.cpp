#include "tests/image/gif_test_support.h"

#include <dirent.h>
#include <gif_lib.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <map>

#include "image/gif_decoder.h"
#include "tests/lib/giflib_writer.h"

void BitWriter::Put(int code, int width) {
  pending_ |= (uint32_t)code << pendingBits_;
  pendingBits_ += width;
  while (pendingBits_ >= 8) {
    bytes_.push_back((uint8_t)pending_);
    pending_ >>= 8;
    pendingBits_ -= 8;
  }
}

Bytes BitWriter::Finish() {
  if (pendingBits_ > 0) bytes_.push_back((uint8_t)pending_);
  pending_ = 0;
  pendingBits_ = 0;
  return bytes_;
}

Bytes CodeList::Pack() const {
  BitWriter writer;
  for (const auto& code : codes) writer.Put(code.first, code.second);
  return writer.Finish();
}

Bytes LzwEncode(const Bytes& pixels, int minCodeSize, const LzwOptions& options) {
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  BitWriter writer;
  // child[code * 256 + pixel]: the code of that string extended by pixel.
  std::vector<int16_t> child((size_t)4096 * 256, -1);
  std::vector<size_t> used;
  int next = clear + 2;
  int width = minCodeSize + 1;
  int sinceClear = 0;
  auto reset = [&]() {
    writer.Put(clear, width);
    for (size_t slot : used) child[slot] = -1;
    used.clear();
    next = clear + 2;
    width = minCodeSize + 1;
    sinceClear = 0;
  };
  // The decoder adds its entry one code later than the encoder, so the width
  // grows once the entries made before this code reach 2^width.
  auto emit = [&](int code) {
    writer.Put(code, width);
    if (next >= (1 << width) && width < 12) width++;
    sinceClear++;
  };
  for (int i = 0; i < options.leadingClears; i++) writer.Put(clear, width);
  int prefix = -1;
  for (uint8_t pixel : pixels) {
    if (prefix < 0) {
      prefix = pixel;
      continue;
    }
    size_t slot = (size_t)prefix * 256 + pixel;
    if (child[slot] >= 0) {
      prefix = child[slot];
      continue;
    }
    emit(prefix);
    if (options.clearAfter > 0 && sinceClear >= options.clearAfter) {
      reset();
    } else if (next < 4096) {
      child[slot] = (int16_t)next++;
      used.push_back(slot);
    } else if (options.clearWhenFull) {
      reset();
    }
    prefix = pixel;
  }
  if (prefix >= 0) emit(prefix);
  writer.Put(end, width);
  return writer.Finish();
}

GifBuilder& GifBuilder::Header(const char* version, int width, int height, int packed) {
  const char* signature = "GIF";
  bytes_.insert(bytes_.end(), signature, signature + 3);
  bytes_.insert(bytes_.end(), version, version + 3);
  Bytes screen = {(uint8_t)width, (uint8_t)(width >> 8), (uint8_t)height, (uint8_t)(height >> 8),
                  (uint8_t)packed, 0, 0};
  return Raw(screen);
}

void GifBuilder::TableColor(int i, int seed, uint8_t rgb[3]) {
  rgb[0] = (uint8_t)(i * 7 + seed * 31);
  rgb[1] = (uint8_t)(255 - i * 3 + seed);
  rgb[2] = (uint8_t)(i * 13 + seed * 5 + 1);
}

GifBuilder& GifBuilder::Table(int entries, int seed) {
  for (int i = 0; i < entries; i++) {
    uint8_t rgb[3];
    TableColor(i, seed, rgb);
    bytes_.insert(bytes_.end(), rgb, rgb + 3);
  }
  return *this;
}

GifBuilder& GifBuilder::Extension(int label, const std::vector<Bytes>& blocks) {
  bytes_.push_back(0x21);
  bytes_.push_back((uint8_t)label);
  for (const Bytes& block : blocks) {
    bytes_.push_back((uint8_t)block.size());
    bytes_.insert(bytes_.end(), block.begin(), block.end());
  }
  bytes_.push_back(0);
  return *this;
}

GifBuilder& GifBuilder::Raw(const Bytes& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

GifBuilder& GifBuilder::Image(int width, int height, int packed) {
  Bytes descriptor = {0x2C, 0, 0, 0, 0, (uint8_t)width, (uint8_t)(width >> 8), (uint8_t)height,
                      (uint8_t)(height >> 8), (uint8_t)packed};
  return Raw(descriptor);
}

GifBuilder& GifBuilder::CodeSize(int minCodeSize) {
  bytes_.push_back((uint8_t)minCodeSize);
  return *this;
}

GifBuilder& GifBuilder::Data(const Bytes& stream, int chunk, bool terminate) {
  for (size_t at = 0; at < stream.size(); at += (size_t)chunk) {
    size_t n = std::min(stream.size() - at, (size_t)chunk);
    bytes_.push_back((uint8_t)n);
    bytes_.insert(bytes_.end(), stream.begin() + (long)at, stream.begin() + (long)(at + n));
  }
  if (terminate) bytes_.push_back(0);
  return *this;
}

GifBuilder& GifBuilder::Trailer() {
  bytes_.push_back(0x3B);
  return *this;
}

Bytes InterlaceRows(const Bytes& pixels, int width, int height) {
  static const int kStart[4] = {0, 4, 2, 1};
  static const int kStep[4] = {8, 8, 4, 2};
  Bytes rows;
  for (int pass = 0; pass < 4; pass++)
    for (int y = kStart[pass]; y < height; y += kStep[pass])
      rows.insert(rows.end(), pixels.begin() + (long)y * width, pixels.begin() + (long)(y + 1) * width);
  return rows;
}

Bytes SimpleGif(const Bytes& pixels, int width, int height, int bits, bool interlaced,
                const char* version) {
  int codeSize = bits < 2 ? 2 : bits;
  GifBuilder gif;
  if (bits > 0)
    gif.Header(version, width, height, 0x80 | 0x70 | (bits - 1)).Table(1 << bits);
  else
    gif.Header(version, width, height, 0);
  Bytes stream = LzwEncode(interlaced ? InterlaceRows(pixels, width, height) : pixels, codeSize);
  return gif.Image(width, height, interlaced ? 0x40 : 0).CodeSize(codeSize).Data(stream).Trailer().bytes();
}

// Commas and "GIF" in the junk on both sides: the decoder must go by the offset and size.
static Bytes SaverBytes(const Bytes& gif, int32_t offset, size_t trailing) {
  Bytes file((size_t)offset, 0);
  for (size_t i = 0; i < file.size(); i++) file[i] = (uint8_t)(i % 7 == 0 ? 0x2C : "GIF"[i % 3]);
  file.insert(file.end(), gif.begin(), gif.end());
  for (size_t i = 0; i < trailing; i++) file.push_back((uint8_t)(i % 2 ? 0x2C : 0x81));
  return file;
}

SaverFile::SaverFile(const Bytes& gif, int32_t offset, size_t trailing)
    : file_(SaverBytes(gif, offset, trailing), "voq-gif"), offset_(offset), size_((int32_t)gif.size()) {}

int DecodeGifBytes(const Bytes& gif, MemorySurface* surface, int64_t size) {
  SaverFile file(gif);
  int32_t bound = size < -1 ? file.size() : (int32_t)size;
  return DecodeGif(file.path(), surface, surface->width(), surface->height(), file.offset(), bound);
}

namespace {

struct MemoryInput {
  const Bytes* bytes;
  size_t at;
};

int ReadMemory(GifFileType* gif, GifByteType* to, int n) {
  MemoryInput* input = (MemoryInput*)gif->UserData;
  size_t left = input->bytes->size() - input->at;
  size_t take = std::min(left, (size_t)n);
  memcpy(to, input->bytes->data() + input->at, take);
  input->at += take;
  return (int)take;
}

}  // namespace

bool GiflibDecode(const Bytes& bytes, GiflibImage* image, std::string* error) {
  MemoryInput input = {&bytes, 0};
  int code = 0;
  GifFileType* gif = DGifOpen(&input, ReadMemory, &code);
  if (gif == NULL) {
    *error = std::string("DGifOpen: ") + GifErrorString(code);
    return false;
  }
  bool ok = DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0;
  if (!ok) {
    *error = std::string("DGifSlurp: ") + GifErrorString(gif->Error);
  } else {
    const SavedImage& saved = gif->SavedImages[0];
    image->width = saved.ImageDesc.Width;
    image->height = saved.ImageDesc.Height;
    image->interlace = saved.ImageDesc.Interlace;
    image->pixels.assign(saved.RasterBits, saved.RasterBits + (size_t)image->width * image->height);
    const ColorMapObject* map = saved.ImageDesc.ColorMap != NULL ? saved.ImageDesc.ColorMap : gif->SColorMap;
    image->colors.clear();
    for (int i = 0; map != NULL && i < map->ColorCount; i++) {
      image->colors.push_back(map->Colors[i].Red);
      image->colors.push_back(map->Colors[i].Green);
      image->colors.push_back(map->Colors[i].Blue);
    }
  }
  DGifCloseFile(gif, &code);
  return ok;
}

Bytes GiflibEncode(const Bytes& pixels, int width, int height, int bits, bool interlace) {
  GiflibPicture picture;
  picture.width = width;
  picture.height = height;
  picture.pixels = pixels;
  for (int i = 0; i < 1 << bits; i++) {
    uint8_t rgb[3];
    GifBuilder::TableColor(i, bits, rgb);
    picture.colors.insert(picture.colors.end(), rgb, rgb + 3);
  }
  picture.interlace = interlace;
  return GiflibWrite(picture);
}

const char* ContentName(Content content) {
  switch (content) {
    case Content::kRandom: return "random";
    case Content::kFlat: return "flat";
    case Content::kPicture: return "picture";
  }
  return "?";
}

Bytes MakePixels(Content content, int width, int height, int colors, uint32_t seed) {
  std::mt19937 random(seed);
  Bytes pixels((size_t)width * height);
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      int value = 0;
      switch (content) {
        case Content::kRandom: value = (int)(random() % (uint32_t)colors); break;
        case Content::kFlat: value = (int)(seed % (uint32_t)colors); break;
        case Content::kPicture: {
          double shade = 0.5 + 0.25 * std::sin(x / 11.0) * std::cos(y / 7.0) + 0.25 * (x + y) / (width + height);
          value = (int)(shade * colors) + (random() % 16 == 0 ? 1 : 0);
          value = std::max(0, std::min(colors - 1, value));
          break;
        }
      }
      pixels[(size_t)y * width + x] = (uint8_t)value;
    }
  }
  return pixels;
}

int OpenFileCount() {
  DIR* folder = opendir("/proc/self/fd");
  if (folder == NULL) return -1;
  int count = 0;
  while (readdir(folder) != NULL) count++;
  closedir(folder);
  return count;
}

std::string FirstDifference(const MemorySurface& surface, const Bytes& expected, int expectedWidth,
                            int width, int height) {
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      uint8_t want = expected[(size_t)y * expectedWidth + x];
      uint8_t got = surface.At(x, y);
      if (got != want)
        return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + "): decoded " +
               std::to_string(got) + ", expected " + std::to_string(want);
    }
  }
  return "";
}
