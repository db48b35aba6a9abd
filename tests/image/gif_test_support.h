// Making GIFs and saver files for the image tests, and reading them back with giflib.
#ifndef VOQ_TESTS_IMAGE_GIF_TEST_SUPPORT_H
#define VOQ_TESTS_IMAGE_GIF_TEST_SUPPORT_H

#include <stdint.h>

#include <random>
#include <string>
#include <vector>

#include "tests/lib/temporary.h"
#include "tools/memory_surface.h"

typedef std::vector<uint8_t> Bytes;

// Packs codes of given widths least significant bit first, as GIF does.
class BitWriter {
 public:
  void Put(int code, int width);
  Bytes Finish();

 private:
  Bytes bytes_;
  uint32_t pending_ = 0;
  int pendingBits_ = 0;
};

struct LzwOptions {
  int leadingClears = 1;
  // When the table is full: emit a clear code, or carry on with 12-bit codes.
  bool clearWhenFull = true;
  // Emit a clear code after every this many codes (0: only when full).
  int clearAfter = 0;
};

// A plain GIF LZW encoder of its own (one of the independent encoders the
// decoder is checked against).
Bytes LzwEncode(const Bytes& pixels, int minCodeSize, const LzwOptions& options = LzwOptions());

// Writes hand-made code streams; widths follow what a decoder expects only
// when the caller says so.
struct CodeList {
  std::vector<std::pair<int, int>> codes;  // code, width
  CodeList& Add(int code, int width) {
    codes.push_back({code, width});
    return *this;
  }
  Bytes Pack() const;
};

// Builds a GIF piece by piece.
class GifBuilder {
 public:
  GifBuilder& Header(const char* version, int width, int height, int packed);
  GifBuilder& Table(int entries, int seed = 1);
  GifBuilder& Extension(int label, const std::vector<Bytes>& blocks);
  GifBuilder& Raw(const Bytes& bytes);
  GifBuilder& Image(int width, int height, int packed);
  GifBuilder& CodeSize(int minCodeSize);
  // The code stream in sub-blocks of at most chunk bytes, then a terminator.
  GifBuilder& Data(const Bytes& stream, int chunk = 255, bool terminate = true);
  GifBuilder& Trailer();
  const Bytes& bytes() const { return bytes_; }
  // Colours of Table(entries, seed) entry i.
  static void TableColor(int i, int seed, uint8_t rgb[3]);

 private:
  Bytes bytes_;
};

// A simple GIF: one image, a global table of 2^bits entries (or none),
// minimum code size max(2, bits); pixels in picture order.
Bytes SimpleGif(const Bytes& pixels, int width, int height, int bits, bool interlaced = false,
                const char* version = "87a");

// The rows of a picture in the order an interlaced GIF stores them.
Bytes InterlaceRows(const Bytes& pixels, int width, int height);

// A saver-like file in the temporary folder: junk, then the GIF at offset,
// then more junk. Removed when it goes.
class SaverFile {
 public:
  explicit SaverFile(const Bytes& gif, int32_t offset = 57741, size_t trailing = 37);
  const char* path() const { return file_.path(); }
  int32_t offset() const { return offset_; }
  int32_t size() const { return size_; }

 private:
  TemporaryFile file_;
  int32_t offset_;
  int32_t size_;
};

// Decodes gif from a fresh saver file into surface (W, H the surface's).
// size < -1 means the GIF's own size.
int DecodeGifBytes(const Bytes& gif, MemorySurface* surface, int64_t size = -2);

// giflib's reading of the first image.
struct GiflibImage {
  int width = 0;
  int height = 0;
  bool interlace = false;
  Bytes pixels;
  Bytes colors;  // RGB triples of the table the image uses (local, else global)
};
bool GiflibDecode(const Bytes& gif, GiflibImage* image, std::string* error);

// giflib's encoder: rows given in picture order, interlaced on request; a
// global table of 2^bits entries.
Bytes GiflibEncode(const Bytes& pixels, int width, int height, int bits, bool interlace);

// Picture contents in 0 .. colors-1.
enum class Content { kRandom, kFlat, kPicture };
const char* ContentName(Content content);
Bytes MakePixels(Content content, int width, int height, int colors, uint32_t seed);

// Open file descriptors of this process, to see that nothing is left open.
int OpenFileCount();

// The first pixel where the surface's top-left width x height differs from
// expected (row-major, stride expectedWidth); empty when none.
std::string FirstDifference(const MemorySurface& surface, const Bytes& expected, int expectedWidth,
                            int width, int height);

#endif
