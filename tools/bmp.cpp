#include "bmp.h"

#include "tool_error.h"

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

void Put16(Bytes& out, uint32_t value) {
  out.push_back((uint8_t)value);
  out.push_back((uint8_t)(value >> 8));
}

void Put32(Bytes& out, uint32_t value) {
  Put16(out, value & 0xffff);
  Put16(out, value >> 16);
}

uint32_t Get16(const Bytes& bytes, size_t at) { return bytes[at] | (bytes[at + 1] << 8); }
uint32_t Get32(const Bytes& bytes, size_t at) { return Get16(bytes, at) | (Get16(bytes, at + 2) << 16); }

size_t RowBytes(int width) { return ((size_t)width + 3) & ~(size_t)3; }

}  // namespace

Bytes EncodeBmp8(const IndexedPicture& picture) {
  size_t row = RowBytes(picture.width);
  uint32_t pixelsAt = kFileHeaderSize + kInfoHeaderSize + 256 * 4;
  Bytes out;
  out.reserve(pixelsAt + row * picture.height);
  out.push_back('B');
  out.push_back('M');
  Put32(out, (uint32_t)(pixelsAt + row * picture.height));
  Put32(out, 0);
  Put32(out, pixelsAt);
  Put32(out, kInfoHeaderSize);
  Put32(out, (uint32_t)picture.width);
  Put32(out, (uint32_t)picture.height);
  Put16(out, 1);   // planes
  Put16(out, 8);   // bits per pixel
  Put32(out, 0);   // uncompressed
  Put32(out, (uint32_t)(row * picture.height));
  Put32(out, 2835);  // 72 dots per inch
  Put32(out, 2835);
  Put32(out, 256);
  Put32(out, 0);
  for (const Rgb& colour : picture.palette) {
    out.push_back(colour.blue);
    out.push_back(colour.green);
    out.push_back(colour.red);
    out.push_back(0);
  }
  for (int y = picture.height - 1; y >= 0; y--) {
    const uint8_t* from = &picture.indices[(size_t)y * picture.width];
    out.insert(out.end(), from, from + picture.width);
    out.resize(out.size() + row - picture.width, 0);
  }
  return out;
}

IndexedPicture DecodeBmp8(const Bytes& bytes) {
  if (bytes.size() < kFileHeaderSize + kInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M')
    throw ToolError("not a BMP file");
  uint32_t pixelsAt = Get32(bytes, 10);
  uint32_t headerSize = Get32(bytes, 14);
  int32_t width = (int32_t)Get32(bytes, 18);
  int32_t height = (int32_t)Get32(bytes, 22);
  uint32_t bits = Get16(bytes, 28);
  uint32_t compression = Get32(bytes, 30);
  uint32_t colours = Get32(bytes, 46);
  if (bits != 8 || compression != 0) throw ToolError("not an uncompressed 8-bit BMP");
  bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535) throw ToolError("BMP has no sensible size");
  if (colours == 0 || colours > 256) colours = 256;
  size_t paletteAt = kFileHeaderSize + headerSize;
  size_t row = RowBytes(width);
  if (paletteAt + colours * 4 > bytes.size() || pixelsAt + row * height > bytes.size())
    throw ToolError("BMP file is truncated");

  IndexedPicture picture;
  picture.width = width;
  picture.height = height;
  for (uint32_t i = 0; i < colours; i++) {
    const uint8_t* entry = &bytes[paletteAt + i * 4];
    picture.palette[i] = {entry[2], entry[1], entry[0]};
  }
  picture.indices.resize((size_t)width * height);
  for (int y = 0; y < height; y++) {
    const uint8_t* from = &bytes[pixelsAt + row * (topDown ? y : height - 1 - y)];
    std::copy(from, from + width, picture.indices.begin() + (size_t)y * width);
  }
  return picture;
}
