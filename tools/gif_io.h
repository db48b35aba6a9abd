// GIF reading and writing for the tool, through giflib; and the structural
// facts that decide whether the runtime's reader takes a GIF as it is.
#ifndef VOQ_TOOLS_GIF_IO_H
#define VOQ_TOOLS_GIF_IO_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "files.h"

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  bool operator==(const Rgb& other) const {
    return red == other.red && green == other.green && blue == other.blue;
  }
  bool operator!=(const Rgb& other) const { return !(*this == other); }
};
using Palette = std::array<Rgb, 256>;

// A picture of palette indices, row after row.
struct IndexedPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> indices;
  Palette palette{};
};

// The block structure of a GIF up to its first image.
struct GifLayout {
  std::string problem;  // empty when the structure could be read
  std::string version;  // "87a", "89a"
  int screenWidth = 0;
  int screenHeight = 0;
  bool globalTable = false;
  int globalTableEntries = 0;  // as the size bits say, present or not
  size_t imageAt = 0;          // the image separator
  size_t runtimeImageAt = 0;   // the separator the runtime's own block walk finds (0: none)
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  uint8_t imageFlags = 0;
  bool localTable = false;
  int minCodeSize = 0;
  int transparentIndex = -1;  // from a graphic control extension before the image
  int extensionCount = 0;
  int imageCount = 0;  // images seen (counting stops at a broken block)
};

GifLayout ReadGifLayout(const Bytes& gif);

// Why this GIF is not one --picture takes as it is: its structure, its colour
// tables, or an image start other than the one the runtime's block walk
// finds. Whether the runtime's decoder reads it as giflib does is told by
// running that decoder (runtime_reader.h).
std::vector<std::string> RuntimeReadingProblems(const GifLayout& layout);

// The first image's indices, decoded by giflib; throws ToolError on broken data.
IndexedPicture DecodeFirstImage(const Bytes& gif);

// A GIF the runtime reads exactly: GIF87a, 256-entry global colour table, no
// extensions, one image without a local table, rows in order.
Bytes EncodeRuntimeGif(const IndexedPicture& picture);

// An endlessly looping animation of equally sized frames, each stored as the
// rectangle in which it differs from the frame before.
class AnimatedGifWriter {
 public:
  AnimatedGifWriter(int width, int height, const Palette& palette);
  ~AnimatedGifWriter();
  AnimatedGifWriter(const AnimatedGifWriter&) = delete;
  AnimatedGifWriter& operator=(const AnimatedGifWriter&) = delete;
  // delay in hundredths of a second.
  void AddFrame(const IndexedPicture& frame, int delay);
  Bytes Finish();
  int FrameCount() const { return frames_; }

 private:
  int width_;
  int height_;
  Palette palette_;
  IndexedPicture previous_;
  Bytes out_;
  int frames_ = 0;
  void* gif_ = nullptr;  // the giflib encoder while frames may come
};

#endif
