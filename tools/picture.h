// Pictures as the authoring tool takes them in: any of PNG, JPEG, GIF (first
// frame), BMP and TGA, as 8-bit RGBA; and scaling them down.
#ifndef VOQ_TOOLS_PICTURE_H
#define VOQ_TOOLS_PICTURE_H

#include <cstdint>
#include <string>
#include <vector>

// Larger pictures would need gigabytes on the way to a few hundred pixels.
constexpr int64_t kLargestPicturePixels = 100000000;

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // straight (not premultiplied) alpha
};

// Reads the picture file; throws ToolError naming path when it cannot.
RgbaImage LoadPicture(const std::string& path);
// The same from the file's bytes (path only in messages); its size is read
// from the header first and over largestPixels refused before decoding.
RgbaImage DecodePicture(const std::vector<uint8_t>& file, const std::string& path,
                        int64_t largestPixels = kLargestPicturePixels);

// The largest size of the same shape (rounded, at least 1 x 1) within
// maxWidth x maxHeight; the size itself when it already fits.
void FitWithin(int width, int height, int maxWidth, int maxHeight, int* fitWidth, int* fitHeight);

// image reduced to width x height (no larger than it) by averaging the area
// each new pixel covers, in linear light, with colours weighted by alpha.
RgbaImage ScaleDown(const RgbaImage& image, int width, int height);

#endif
