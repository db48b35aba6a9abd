#include "gif_io.h"

#include <gif_lib.h>

#include <cstring>

#include "image/gif_blocks.h"
#include "tool_error.h"

namespace {

int Le16(const Bytes& bytes, size_t at) { return bytes[at] | (bytes[at + 1] << 8); }

// Skips data sub-blocks starting at pos; false when the data end first.
bool SkipSubBlocks(const Bytes& bytes, size_t* pos) {
  while (*pos < bytes.size()) {
    uint8_t length = bytes[*pos];
    *pos += 1;
    if (length == 0) return true;
    *pos += length;
  }
  return false;
}

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

struct ByteCursor {
  const Bytes* bytes;
  size_t at;
};

int NextByte(void* source) {
  auto* cursor = static_cast<ByteCursor*>(source);
  return cursor->at < cursor->bytes->size() ? cursor->bytes->at(cursor->at++) : -1;
}

// Where the runtime's own block walk finds the image separator: past the
// global table when the flag announces one, then SkipToImage.
size_t RuntimeImageAt(const Bytes& gif) {
  ByteCursor cursor{&gif, (size_t)kGifHeaderSize};
  if (gif[kGifScreenPacked] & kGifColorTableFlag) cursor.at += GifColorTableBytes(gif[kGifScreenPacked]);
  if (cursor.at > gif.size() || !SkipToImage(NextByte, &cursor)) return 0;
  return cursor.at - 1;
}

struct MemoryReader {
  const Bytes* bytes;
  size_t at;
};

int ReadFromMemory(GifFileType* gif, GifByteType* into, int count) {
  auto* reader = static_cast<MemoryReader*>(gif->UserData);
  size_t left = reader->bytes->size() - reader->at;
  size_t take = std::min(left, (size_t)count);
  std::memcpy(into, reader->bytes->data() + reader->at, take);
  reader->at += take;
  return (int)take;
}

int WriteToMemory(GifFileType* gif, const GifByteType* from, int count) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), from, from + count);
  return count;
}

std::string GifError(int code) {
  const char* text = GifErrorString(code);
  return text != nullptr ? text : "unknown giflib error " + std::to_string(code);
}

ColorMapObject* MakeColorMap(const Palette& palette) {
  GifColorType colors[256];
  for (int i = 0; i < 256; i++) colors[i] = {palette[i].red, palette[i].green, palette[i].blue};
  ColorMapObject* map = GifMakeMapObject(256, colors);
  if (map == nullptr) throw ToolError("out of memory for a GIF colour table");
  return map;
}

// giflib's encoder, writing into memory; closed (and freed) on destruction.
class GifEncoder {
 public:
  explicit GifEncoder(Bytes* out) {
    int error = 0;
    gif_ = EGifOpen(out, WriteToMemory, &error);
    if (gif_ == nullptr) throw ToolError("cannot start the GIF encoder: " + GifError(error));
  }
  ~GifEncoder() {
    if (gif_ != nullptr) EGifCloseFile(gif_, nullptr);
  }
  GifFileType* Get() const { return gif_; }
  void Check(int result, const char* step) {
    if (result != GIF_OK) throw ToolError(std::string("GIF encoder failed at ") + step + ": " + GifError(gif_->Error));
  }
  void Close() {
    int error = 0;
    GifFileType* gif = gif_;
    gif_ = nullptr;
    if (EGifCloseFile(gif, &error) != GIF_OK)
      throw ToolError("GIF encoder failed at the end: " + GifError(error));
  }

 private:
  GifFileType* gif_ = nullptr;
};

void PutRows(GifEncoder& encoder, const uint8_t* first, int width, int height, int stride) {
  std::vector<GifPixelType> row(width);
  for (int y = 0; y < height; y++) {
    std::memcpy(row.data(), first + (size_t)y * stride, width);
    encoder.Check(EGifPutLine(encoder.Get(), row.data(), width), "a row");
  }
}

}  // namespace

GifLayout ReadGifLayout(const Bytes& gif) {
  GifLayout layout;
  if (gif.size() < 6 || std::memcmp(gif.data(), "GIF", 3) != 0) {
    layout.problem = "not a GIF (no GIF signature)";
    return layout;
  }
  layout.version.assign(gif.begin() + 3, gif.begin() + 6);
  if (gif.size() < 13) {
    layout.problem = "truncated inside the screen descriptor";
    return layout;
  }
  layout.screenWidth = Le16(gif, 6);
  layout.screenHeight = Le16(gif, 8);
  uint8_t flags = gif[10];
  layout.globalTable = (flags & 0x80) != 0;
  layout.globalTableEntries = 2 << (flags & 7);

  size_t afterTable = 13 + 3 * (size_t)layout.globalTableEntries;
  layout.runtimeImageAt = RuntimeImageAt(gif);

  size_t pos = layout.globalTable ? afterTable : 13;
  if (pos > gif.size()) {
    layout.problem = "truncated inside the global colour table";
    return layout;
  }
  while (pos < gif.size()) {
    uint8_t kind = gif[pos];
    if (kind == 0x3B) break;
    if (kind == 0x21) {
      if (pos + 2 > gif.size()) break;
      uint8_t label = gif[pos + 1];
      pos += 2;
      if (layout.imageCount == 0) {
        layout.extensionCount++;
        if (label == 0xF9 && pos + 5 <= gif.size() && gif[pos] == 4 && (gif[pos + 1] & 1) != 0)
          layout.transparentIndex = gif[pos + 4];
      }
      if (!SkipSubBlocks(gif, &pos)) {
        if (layout.imageCount == 0) layout.problem = "truncated inside an extension block";
        break;
      }
      continue;
    }
    if (kind != 0x2C) {
      if (layout.imageCount == 0)
        layout.problem = "unexpected byte " + Hex(kind) + " at offset " + std::to_string(pos);
      break;
    }
    if (pos + 11 > gif.size()) {
      if (layout.imageCount == 0) layout.problem = "truncated inside the image descriptor";
      break;
    }
    uint8_t imageFlags = gif[pos + 9];
    bool local = (imageFlags & 0x80) != 0;
    if (layout.imageCount == 0) {
      layout.imageAt = pos;
      layout.left = Le16(gif, pos + 1);
      layout.top = Le16(gif, pos + 3);
      layout.width = Le16(gif, pos + 5);
      layout.height = Le16(gif, pos + 7);
      layout.imageFlags = imageFlags;
      layout.localTable = local;
    }
    pos += 10;
    if (local) pos += 3 * (size_t)(2 << (imageFlags & 7));
    if (pos >= gif.size()) {
      if (layout.imageCount == 0) layout.problem = "truncated before the image data";
      break;
    }
    if (layout.imageCount == 0) layout.minCodeSize = gif[pos];
    pos += 1;
    if (!SkipSubBlocks(gif, &pos)) {
      if (layout.imageCount == 0) layout.problem = "truncated inside the image data";
      layout.imageCount++;
      break;
    }
    layout.imageCount++;
  }
  if (layout.problem.empty() && layout.imageCount == 0) layout.problem = "holds no image";
  return layout;
}

std::vector<std::string> RuntimeReadingProblems(const GifLayout& layout) {
  std::vector<std::string> problems;
  if (!layout.problem.empty()) {
    problems.push_back(layout.problem);
    return problems;
  }
  if (!layout.globalTable)
    problems.push_back("has no global colour table");
  else if (layout.globalTableEntries != 256)
    problems.push_back("has a " + std::to_string(layout.globalTableEntries) +
                       "-entry colour table; the runtime needs 256 entries");
  if (layout.localTable) problems.push_back("has a local colour table");
  if (layout.runtimeImageAt != layout.imageAt)
    problems.push_back("has its image at offset " + std::to_string(layout.imageAt) +
                       ", but the runtime finds the image start at " + std::to_string(layout.runtimeImageAt));
  return problems;
}

IndexedPicture DecodeFirstImage(const Bytes& bytes) {
  MemoryReader reader{&bytes, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
  if (gif == nullptr) throw ToolError("not a readable GIF: " + GifError(error));
  struct Closer {
    GifFileType* gif;
    ~Closer() { DGifCloseFile(gif, nullptr); }
  } closer{gif};
  auto fail = [&](const char* step) {
    return ToolError(std::string("broken GIF (") + step + "): " + GifError(gif->Error));
  };

  IndexedPicture picture;
  if (gif->SColorMap != nullptr) {
    for (int i = 0; i < gif->SColorMap->ColorCount && i < 256; i++) {
      const GifColorType& c = gif->SColorMap->Colors[i];
      picture.palette[i] = {c.Red, c.Green, c.Blue};
    }
  }
  for (;;) {
    GifRecordType record;
    if (DGifGetRecordType(gif, &record) != GIF_OK) throw fail("record");
    if (record == TERMINATE_RECORD_TYPE) throw ToolError("broken GIF: it holds no image");
    if (record == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif, &code, &block) != GIF_OK) throw fail("extension");
      while (block != nullptr)
        if (DGifGetExtensionNext(gif, &block) != GIF_OK) throw fail("extension");
      continue;
    }
    if (record != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif) != GIF_OK) throw fail("image descriptor");
    const GifImageDesc& image = gif->Image;
    picture.width = image.Width;
    picture.height = image.Height;
    if (picture.width <= 0 || picture.height <= 0)
      throw ToolError("the GIF's image has no pixels (" + std::to_string(picture.width) + " x " +
                      std::to_string(picture.height) + ")");
    picture.indices.assign((size_t)picture.width * picture.height, 0);
    static const int kStart[4] = {0, 4, 2, 1};
    static const int kStep[4] = {8, 8, 4, 2};
    int passes = image.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; pass++) {
      int start = image.Interlace ? kStart[pass] : 0;
      int step = image.Interlace ? kStep[pass] : 1;
      for (int y = start; y < picture.height; y += step)
        if (DGifGetLine(gif, &picture.indices[(size_t)y * picture.width], picture.width) != GIF_OK)
          throw fail("image data");
    }
    return picture;
  }
}

Bytes EncodeRuntimeGif(const IndexedPicture& picture) {
  Bytes out;
  {
    GifEncoder encoder(&out);
    ColorMapObject* map = MakeColorMap(picture.palette);
    int result = EGifPutScreenDesc(encoder.Get(), picture.width, picture.height, 8, 0, map);
    GifFreeMapObject(map);
    encoder.Check(result, "the screen descriptor");
    encoder.Check(EGifPutImageDesc(encoder.Get(), 0, 0, picture.width, picture.height, false, nullptr),
                  "the image descriptor");
    PutRows(encoder, picture.indices.data(), picture.width, picture.height, picture.width);
    encoder.Close();
  }
  return out;
}

AnimatedGifWriter::AnimatedGifWriter(int width, int height, const Palette& palette)
    : width_(width), height_(height), palette_(palette) {
  auto* encoder = new GifEncoder(&out_);
  gif_ = encoder;
  GifFileType* gif = encoder->Get();
  EGifSetGifVersion(gif, true);
  ColorMapObject* map = MakeColorMap(palette);
  int result = EGifPutScreenDesc(gif, width, height, 8, 0, map);
  GifFreeMapObject(map);
  encoder->Check(result, "the screen descriptor");
  static const GifByteType kLoopForever[3] = {1, 0, 0};
  encoder->Check(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE), "the loop extension");
  encoder->Check(EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0"), "the loop extension");
  encoder->Check(EGifPutExtensionBlock(gif, 3, kLoopForever), "the loop extension");
  encoder->Check(EGifPutExtensionTrailer(gif), "the loop extension");
}

AnimatedGifWriter::~AnimatedGifWriter() { delete static_cast<GifEncoder*>(gif_); }

void AnimatedGifWriter::AddFrame(const IndexedPicture& frame, int delay) {
  auto* encoder = static_cast<GifEncoder*>(gif_);
  if (encoder == nullptr) throw ToolError("the animation is already finished");
  if (frame.width != width_ || frame.height != height_)
    throw ToolError("frame " + std::to_string(frames_) + " is " + std::to_string(frame.width) + " x " +
                    std::to_string(frame.height) + ", not " + std::to_string(width_) + " x " +
                    std::to_string(height_));
  GifFileType* gif = encoder->Get();

  // Only the rectangle that changed, unless the colours changed too.
  bool samePalette = frames_ > 0 && frame.palette == previous_.palette;
  int left = 0, top = 0, right = width_, bottom = height_;
  if (samePalette) {
    left = width_, top = height_, right = 0, bottom = 0;
    for (int y = 0; y < height_; y++) {
      const uint8_t* now = &frame.indices[(size_t)y * width_];
      const uint8_t* before = &previous_.indices[(size_t)y * width_];
      for (int x = 0; x < width_; x++) {
        if (now[x] != before[x]) {
          left = std::min(left, x);
          right = std::max(right, x + 1);
          top = std::min(top, y);
          bottom = std::max(bottom, y + 1);
        }
      }
    }
    if (right == 0) left = 0, top = 0, right = 1, bottom = 1;
  }

  GraphicsControlBlock control;
  control.DisposalMode = DISPOSE_DO_NOT;
  control.UserInputFlag = false;
  control.DelayTime = delay;
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  GifByteType extension[4];
  EGifGCBToExtension(&control, extension);
  encoder->Check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension), "a frame's timing");

  ColorMapObject* local = frame.palette == palette_ ? nullptr : MakeColorMap(frame.palette);
  int result = EGifPutImageDesc(gif, left, top, right - left, bottom - top, false, local);
  if (local != nullptr) GifFreeMapObject(local);
  encoder->Check(result, "a frame's descriptor");
  PutRows(*encoder, &frame.indices[(size_t)top * width_ + left], right - left, bottom - top, width_);
  previous_ = frame;
  frames_++;
}

Bytes AnimatedGifWriter::Finish() {
  auto* encoder = static_cast<GifEncoder*>(gif_);
  if (encoder == nullptr) return out_;
  gif_ = nullptr;
  try {
    encoder->Close();
  } catch (...) {
    delete encoder;
    throw;
  }
  delete encoder;
  return out_;
}
