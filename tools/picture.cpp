#include "picture.h"

#include <stb/stb_image.h>
// jpeglib.h needs size_t and FILE declared first.
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "files.h"
#include "tool_error.h"

namespace {

float LinearFromSrgb(float v) {
  return v <= 0.04045f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f);
}

uint8_t SrgbFromLinear(float v) {
  v = std::clamp(v, 0.0f, 1.0f);
  float s = v <= 0.0031308f ? v * 12.92f : 1.055f * std::pow(v, 1 / 2.4f) - 0.055f;
  return (uint8_t)std::lround(s * 255);
}

// For each of the `to` cells: the source cells it covers, with the covered
// fraction of each, so that every source cell's weights sum to to/from.
struct Span {
  int first;
  std::vector<float> weights;
};

std::vector<Span> AreaSpans(int from, int to) {
  std::vector<Span> spans(to);
  double scale = (double)from / to;
  for (int i = 0; i < to; i++) {
    double start = i * scale, end = (i + 1) * scale;
    int first = (int)std::floor(start);
    int last = std::min(from - 1, (int)std::ceil(end) - 1);
    spans[i].first = first;
    for (int j = first; j <= last; j++) {
      double covered = std::min(end, j + 1.0) - std::max(start, (double)j);
      spans[i].weights.push_back((float)(covered / scale));
    }
  }
  return spans;
}

std::string TooLarge(const std::string& path, int64_t width, int64_t height, int64_t largestPixels) {
  return "picture " + path + " is " + std::to_string(width) + " x " + std::to_string(height) + ", more than the " +
         std::to_string(largestPixels / 1000000) + " million pixels read";
}

struct JpegErrors {
  jpeg_error_mgr manager;
  jmp_buf escape;
  char message[JMSG_LENGTH_MAX];
};

void JpegFails(j_common_ptr info) {
  JpegErrors* errors = (JpegErrors*)info->err;
  info->err->format_message(info, errors->message);
  longjmp(errors->escape, 1);
}

// Warnings (a file cut short, say) leave what could be decoded; they are not
// worth a line on standard error.
void JpegWarns(j_common_ptr, int) {}

// JPEG goes to the system's libjpeg, which is hardened against hostile
// files; the stb_image of this distribution reads and writes past its own
// tables on some. Nothing between setjmp and the longjmp back to it may need
// a destructor.
RgbaImage DecodeJpeg(const Bytes& file, const std::string& path, int64_t largestPixels) {
  RgbaImage image;
  jpeg_decompress_struct info;
  JpegErrors errors;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JpegFails;
  errors.manager.emit_message = JpegWarns;
  if (setjmp(errors.escape)) {
    jpeg_destroy_decompress(&info);
    throw ToolError("cannot read picture " + path + ": " + errors.message);
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, file.data(), (unsigned long)file.size());
  jpeg_read_header(&info, TRUE);
  int64_t width = info.image_width, height = info.image_height;
  if (width * height > largestPixels) {
    jpeg_destroy_decompress(&info);
    throw ToolError(TooLarge(path, width, height, largestPixels));
  }
  info.out_color_space = JCS_EXT_RGBA;
  jpeg_start_decompress(&info);
  image.width = (int)info.output_width;
  image.height = (int)info.output_height;
  image.rgba.resize((size_t)image.width * image.height * 4);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &image.rgba[(size_t)info.output_scanline * image.width * 4];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return image;
}

}  // namespace

RgbaImage LoadPicture(const std::string& path) { return DecodePicture(ReadWholeFile(path, "picture"), path); }

RgbaImage DecodePicture(const Bytes& file, const std::string& path, int64_t largestPixels) {
  if (file.size() > (size_t)INT32_MAX) throw ToolError("picture " + path + " is too large to read");
  if (file.empty()) throw ToolError("picture " + path + " is empty");
  if (file.size() >= 2 && file[0] == 0xFF && file[1] == 0xD8) return DecodeJpeg(file, path, largestPixels);
  int width = 0, height = 0, channels = 0;
  if (!stbi_info_from_memory(file.data(), (int)file.size(), &width, &height, &channels))
    throw ToolError("cannot read picture " + path + ": " + stbi_failure_reason() +
                    " (PNG, JPEG, GIF, BMP and TGA are read)");
  if (width <= 0 || height <= 0)
    throw ToolError("picture " + path + " has no pixels (" + std::to_string(width) + " x " +
                    std::to_string(height) + ")");
  if ((int64_t)width * height > largestPixels) throw ToolError(TooLarge(path, width, height, largestPixels));
  stbi_uc* pixels = stbi_load_from_memory(file.data(), (int)file.size(), &width, &height, &channels, 4);
  if (pixels == nullptr)
    throw ToolError("cannot read picture " + path + ": " + stbi_failure_reason());
  RgbaImage image;
  image.width = width;
  image.height = height;
  image.rgba.assign(pixels, pixels + (size_t)width * height * 4);
  stbi_image_free(pixels);
  return image;
}

void FitWithin(int width, int height, int maxWidth, int maxHeight, int* fitWidth, int* fitHeight) {
  if (width <= maxWidth && height <= maxHeight) {
    *fitWidth = width;
    *fitHeight = height;
    return;
  }
  double scale = std::min((double)maxWidth / width, (double)maxHeight / height);
  *fitWidth = std::clamp((int)std::lround(width * scale), 1, maxWidth);
  *fitHeight = std::clamp((int)std::lround(height * scale), 1, maxHeight);
}

RgbaImage ScaleDown(const RgbaImage& image, int width, int height) {
  float linear[256];
  for (int i = 0; i < 256; i++) linear[i] = LinearFromSrgb(i / 255.0f);

  // Premultiplied linear light, one row of the source at a time reduced
  // across, then the rows reduced down.
  std::vector<Span> across = AreaSpans(image.width, width);
  std::vector<Span> down = AreaSpans(image.height, height);
  std::vector<float> narrow((size_t)width * image.height * 4, 0.0f);
  std::vector<float> row((size_t)image.width * 4);
  for (int y = 0; y < image.height; y++) {
    const uint8_t* from = &image.rgba[(size_t)y * image.width * 4];
    for (int x = 0; x < image.width; x++) {
      float alpha = from[x * 4 + 3] / 255.0f;
      for (int c = 0; c < 3; c++) row[x * 4 + c] = linear[from[x * 4 + c]] * alpha;
      row[x * 4 + 3] = alpha;
    }
    float* to = &narrow[(size_t)y * width * 4];
    for (int x = 0; x < width; x++)
      for (size_t k = 0; k < across[x].weights.size(); k++)
        for (int c = 0; c < 4; c++) to[x * 4 + c] += across[x].weights[k] * row[(across[x].first + k) * 4 + c];
  }

  RgbaImage scaled;
  scaled.width = width;
  scaled.height = height;
  scaled.rgba.resize((size_t)width * height * 4);
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      float sum[4] = {0, 0, 0, 0};
      for (size_t k = 0; k < down[y].weights.size(); k++) {
        const float* from = &narrow[((size_t)(down[y].first + k) * width + x) * 4];
        for (int c = 0; c < 4; c++) sum[c] += down[y].weights[k] * from[c];
      }
      uint8_t* to = &scaled.rgba[((size_t)y * width + x) * 4];
      float alpha = sum[3];
      for (int c = 0; c < 3; c++) to[c] = alpha > 0 ? SrgbFromLinear(sum[c] / alpha) : 0;
      to[3] = (uint8_t)std::lround(std::clamp(alpha, 0.0f, 1.0f) * 255);
    }
  }
  return scaled;
}
