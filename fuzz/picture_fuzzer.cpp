// The picture loading of voq-make build and voq-make serve (PNG, GIF, BMP,
// TGA through stb_image, JPEG through libjpeg, with the size read first) and
// the scaling that follows it, on arbitrary bytes.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "picture.h"
#include "tool_error.h"

// Larger pictures only cost the fuzzer memory and time; their limit is the
// same code path with another number.
static const int64_t kFuzzLargestPixels = 1 << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RgbaImage image;
  try {
    image = DecodePicture(std::vector<uint8_t>(data, data + size), "fuzz", kFuzzLargestPixels);
  } catch (const ToolError&) {
    return 0;
  }
  if (image.width <= 0 || image.height <= 0 || (int64_t)image.width * image.height > kFuzzLargestPixels ||
      image.rgba.size() != (size_t)image.width * image.height * 4) {
    fprintf(stderr, "decoded %d x %d with %zu bytes\n", image.width, image.height, image.rgba.size());
    abort();
  }
  int width = 0, height = 0;
  FitWithin(image.width, image.height, 32, 24, &width, &height);
  RgbaImage scaled = ScaleDown(image, width, height);
  if (scaled.rgba.size() != (size_t)width * height * 4) abort();
  return 0;
}
