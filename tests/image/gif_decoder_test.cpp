// The GIF decoder on hand-made code streams and damaged files.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "image/gif_decoder.h"
#include "tests/image/gif_test_support.h"

namespace {

// Roots separated by clear codes keep every code at minimum code size + 1
// bits; with minimum code size 7 each code is exactly one byte, so a cut after
// k data bytes leaves k / 2 whole pixels.
Bytes RootsWithClears(const Bytes& roots) {
  CodeList codes;
  for (uint8_t root : roots) codes.Add(128, 8).Add(root, 8);
  return codes.Add(129, 8).Pack();
}

Bytes Ramp(int n, int modulo = 100) {
  Bytes values((size_t)n);
  for (int i = 0; i < n; i++) values[(size_t)i] = (uint8_t)((i * 7 + 3) % modulo);
  return values;
}

// A GIF87a with a 256-entry global table around a given code stream.
Bytes GifAround(const Bytes& stream, int width, int height, int minCodeSize, int packed = 0,
                int chunk = 255) {
  return GifBuilder()
      .Header("87a", width, height, 0xF7)
      .Table(256)
      .Image(width, height, packed)
      .CodeSize(minCodeSize)
      .Data(stream, chunk)
      .Trailer()
      .bytes();
}

// Bytes of GifAround before the first sub-block's length byte.
const size_t kDataStart = 13 + 768 + 10 + 1;

// Runs the decoder and checks what must hold after every decode: the file
// closed, the surface unlocked as often as it was locked, nothing written
// outside the picture.
int Decode(const Bytes& gif, MemorySurface* surface, int64_t size = -2) {
  int filesBefore = OpenFileCount();
  int result = DecodeGifBytes(gif, surface, size);
  EXPECT_EQ(OpenFileCount(), filesBefore) << "the decoder left a file open";
  EXPECT_FALSE(surface->locked) << "the surface was left locked";
  EXPECT_EQ(surface->Damage(), "") << "written outside the picture";
  return result;
}

// The first n pixels in row order hold expected, the rest is untouched.
void ExpectPrefix(const MemorySurface& surface, const Bytes& expected, size_t n) {
  for (int y = 0; y < surface.height(); y++) {
    for (int x = 0; x < surface.width(); x++) {
      size_t i = (size_t)y * surface.width() + x;
      int want = i < n ? expected[i] : MemorySurface::kFill;
      ASSERT_EQ(surface.At(x, y), want) << "pixel (" << x << ", " << y << ")";
    }
  }
}

void ExpectUntouched(const MemorySurface& surface) { ExpectPrefix(surface, Bytes(), 0); }

// Row values 0, 1, 2... in stream order, four pixels a row.
Bytes RowNumberStream(int height) {
  Bytes pixels;
  for (int row = 0; row < height; row++) pixels.insert(pixels.end(), 4, (uint8_t)row);
  return LzwEncode(pixels, 8);
}

// Where the k-th row of the stream landed, or -1.
std::vector<int> RowOrder(const MemorySurface& surface) {
  std::vector<int> order((size_t)surface.height(), -1);
  for (int y = 0; y < surface.height(); y++)
    if (surface.At(0, y) < surface.height()) order[surface.At(0, y)] = y;
  return order;
}

std::vector<int> InOrder(int height) {
  std::vector<int> order;
  for (int y = 0; y < height; y++) order.push_back(y);
  return order;
}

}  // namespace

TEST(GifDecoderLock, LocksThePictureRectangleOnceAndUnlocksWithItsPointer) {
  Bytes pixels = MakePixels(Content::kPicture, 7, 5, 256, 1);
  MemorySurface surface(7, 5);
  ASSERT_EQ(Decode(SimpleGif(pixels, 7, 5, 8), &surface), 1);
  EXPECT_EQ(FirstDifference(surface, pixels, 7, 7, 5), "");
  EXPECT_EQ(surface.lockCalls, 1);
  EXPECT_EQ(surface.unlockCalls, 1);
  EXPECT_TRUE(surface.lastLockHadRect);
  EXPECT_EQ(surface.lastLockRect.left, 0);
  EXPECT_EQ(surface.lastLockRect.top, 0);
  EXPECT_EQ(surface.lastLockRect.right, 7);
  EXPECT_EQ(surface.lastLockRect.bottom, 5);
  EXPECT_EQ(surface.lastLockFlags, (DWORD)DDLOCK_WAIT);
  EXPECT_EQ(surface.lastDescSize, (DWORD)sizeof(DDSURFACEDESC));
  EXPECT_EQ(surface.lastUnlockPointer, surface.lastLockPointer);
}

TEST(GifDecoderLock, FailedLockShowsOneBoxAndReturnsOne) {
  Bytes pixels = MakePixels(Content::kRandom, 6, 4, 16, 2);
  MemorySurface surface(6, 4);
  surface.failLock = true;
  testing::internal::CaptureStderr();
  int result = Decode(SimpleGif(pixels, 6, 4, 4), &surface);
  std::string boxes = testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, 1);
  EXPECT_EQ(surface.lockCalls, 1);
  EXPECT_EQ(surface.unlockCalls, 0);
  ExpectUntouched(surface);
  size_t first = boxes.find("lock error");
  ASSERT_NE(first, std::string::npos) << "stderr: " << boxes;
  EXPECT_EQ(boxes.find("lock error", first + 1), std::string::npos) << "more than one box: " << boxes;
  EXPECT_NE(boxes.find("MESSAGE"), std::string::npos) << "caption missing: " << boxes;
}

TEST(GifDecoderLock, LockBeyondTheSurfaceIsReportedAsLockError) {
  // A slot larger than its surface: the platform refuses the rectangle.
  Bytes pixels = MakePixels(Content::kFlat, 8, 8, 4, 1);
  SaverFile file(SimpleGif(pixels, 8, 8, 2));
  MemorySurface surface(6, 6);
  testing::internal::CaptureStderr();
  EXPECT_EQ(DecodeGif(file.path(), &surface, 8, 8, file.offset(), file.size()), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("lock error"), std::string::npos);
  EXPECT_EQ(surface.unlockCalls, 0);
  ExpectUntouched(surface);
  EXPECT_EQ(surface.Damage(), "");
}

TEST(GifDecoderCodes, MinimumCodeSizeNineTakesTheLowByteOfRoots) {
  // Clear 512, end 513, 10-bit codes; 514 is the first string the table makes.
  Bytes stream = CodeList().Add(512, 10).Add(256, 10).Add(300, 10).Add(511, 10).Add(514, 10)
                     .Add(5, 10).Add(513, 10).Pack();
  MemorySurface surface(6, 1);
  ASSERT_EQ(Decode(GifAround(stream, 6, 1, 9), &surface), 1);
  EXPECT_EQ(FirstDifference(surface, {0, 44, 255, 0, 44, 5}, 6, 6, 1), "");
}

TEST(GifDecoderCodes, MinimumCodeSizeOutsideTwoToNineDrawsNothing) {
  for (int minCodeSize : {0, 1, 10, 11, 255}) {
    SCOPED_TRACE("minimum code size " + std::to_string(minCodeSize));
    MemorySurface surface(4, 2);
    Bytes stream = CodeList().Add(4, 3).Add(1, 3).Add(1, 3).Add(5, 3).Pack();
    EXPECT_EQ(Decode(GifAround(stream, 4, 2, minCodeSize), &surface), 0);
    EXPECT_EQ(surface.lockCalls, 1);
    EXPECT_EQ(surface.unlockCalls, 1);
    ExpectUntouched(surface);
  }
}

TEST(GifDecoderCodes, EveryMinimumCodeSizeRoundTrips) {
  for (int minCodeSize = 2; minCodeSize <= 9; minCodeSize++) {
    SCOPED_TRACE("minimum code size " + std::to_string(minCodeSize));
    int colors = minCodeSize >= 8 ? 256 : 1 << minCodeSize;
    Bytes pixels = MakePixels(Content::kRandom, 90, 70, colors, (uint32_t)minCodeSize);
    MemorySurface surface(90, 70);
    ASSERT_EQ(Decode(GifAround(LzwEncode(pixels, minCodeSize), 90, 70, minCodeSize), &surface), 1);
    EXPECT_EQ(FirstDifference(surface, pixels, 90, 90, 70), "");
  }
}

TEST(GifDecoderCodes, RunOfClearCodesActsAsOne) {
  Bytes pixels = MakePixels(Content::kPicture, 30, 20, 16, 3);
  for (int clears : {1, 2, 7}) {
    for (int clearAfter : {0, 5}) {
      SCOPED_TRACE(std::to_string(clears) + " leading clear codes, clear after " + std::to_string(clearAfter));
      LzwOptions options;
      options.leadingClears = clears;
      options.clearAfter = clearAfter;
      MemorySurface surface(30, 20);
      ASSERT_EQ(Decode(GifAround(LzwEncode(pixels, 4, options), 30, 20, 4), &surface), 1);
      EXPECT_EQ(FirstDifference(surface, pixels, 30, 30, 20), "");
    }
  }
}

TEST(GifDecoderCodes, StreamWithoutLeadingClearStartsAfresh) {
  Bytes pixels = MakePixels(Content::kPicture, 40, 30, 64, 4);
  LzwOptions options;
  options.leadingClears = 0;
  MemorySurface surface(40, 30);
  ASSERT_EQ(Decode(GifAround(LzwEncode(pixels, 6, options), 40, 30, 6), &surface), 1);
  EXPECT_EQ(FirstDifference(surface, pixels, 40, 40, 30), "");
}

TEST(GifDecoderCodes, HandMadeStreams) {
  // Minimum code size 2: clear 4, end 5, first free 6; the width grows to 4
  // bits when entry 7 is made. A code without a string stops the decode and
  // keeps the pixels so far.
  struct Case {
    const char* name;
    CodeList codes;
    Bytes drawn;
  } cases[] = {
      {"first code after a clear is the first free one", CodeList().Add(4, 3).Add(6, 3).Add(2, 3).Add(5, 3),
       {0, 2}},
      {"first code after a clear above the first free one", CodeList().Add(4, 3).Add(7, 3).Add(3, 3).Add(5, 3),
       {0, 3}},
      {"the same after a clear mid-stream",
       CodeList().Add(4, 3).Add(1, 3).Add(2, 3).Add(4, 3).Add(7, 3).Add(3, 3).Add(5, 3), {1, 2, 0, 3}},
      // 6 = "1 1" before it is in the table, then 7 = "1 1 1".
      {"code equal to the next free one", CodeList().Add(4, 3).Add(1, 3).Add(6, 3).Add(7, 3).Add(5, 4),
       {1, 1, 1, 1, 1, 1}},
      {"code above the next free one (9)",
       CodeList().Add(4, 3).Add(1, 3).Add(2, 3).Add(3, 3).Add(3, 4).Add(11, 4).Add(1, 4).Add(5, 4),
       {1, 2, 3, 3}},
      {"entry that existed only before a clear",
       CodeList().Add(4, 3).Add(1, 3).Add(2, 3).Add(3, 3).Add(4, 4).Add(2, 3).Add(7, 3).Add(1, 3).Add(5, 3),
       {1, 2, 3, 2}},
      {"largest code with an empty table", CodeList().Add(4, 3).Add(3, 3).Add(7, 3).Add(6, 3).Add(5, 3), {3}},
      {"largest code of the width, next free 8",
       CodeList().Add(4, 3).Add(0, 3).Add(1, 3).Add(7, 3).Add(15, 4).Add(6, 4).Add(5, 4), {0, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemorySurface surface(8, 1);
    ASSERT_EQ(Decode(GifAround(c.codes.Pack(), 8, 1, 2), &surface), 1);
    ExpectPrefix(surface, c.drawn, c.drawn.size());
    EXPECT_EQ(surface.unlockCalls, 1);
  }
}

TEST(GifDecoderCodes, FullTableWithoutClearKeepsDecoding) {
  Bytes pixels = MakePixels(Content::kRandom, 200, 150, 256, 5);
  LzwOptions options;
  options.clearWhenFull = false;
  MemorySurface surface(200, 150);
  ASSERT_EQ(Decode(GifAround(LzwEncode(pixels, 8, options), 200, 150, 8), &surface), 1);
  EXPECT_EQ(FirstDifference(surface, pixels, 200, 200, 150), "");
}

TEST(GifDecoderCodes, LongestStringsFitTheStack) {
  // Flat content with minimum code size 2 fills the table with strings of 2 to
  // 4091 pixels after 8.4 million pixels, then keeps using the longest.
  int width = 3000, height = 3000;
  Bytes pixels((size_t)width * height, 3);
  LzwOptions options;
  options.clearWhenFull = false;
  MemorySurface surface(width, height);
  ASSERT_EQ(Decode(GifAround(LzwEncode(pixels, 2, options), width, height, 2), &surface), 1);
  EXPECT_EQ(FirstDifference(surface, pixels, width, width, height), "");
}

TEST(GifDecoderRows, OnePixelWideImagePutsEveryPixelOnItsOwnRow) {
  Bytes pixels = {1, 1, 1, 2, 1, 1, 1, 2, 2, 2, 3, 0, 0, 0, 0, 1, 1, 1, 2, 2};
  int height = (int)pixels.size();
  for (bool interlaced : {false, true}) {
    for (int clearAfter : {0, 1, 3}) {
      SCOPED_TRACE(std::string(interlaced ? "interlaced" : "in order") + ", clear after " +
                   std::to_string(clearAfter));
      // Strings of several pixels run across rows; the pixel after each clear too.
      LzwOptions options;
      options.clearAfter = clearAfter;
      MemorySurface surface(1, height);
      Bytes stream = LzwEncode(interlaced ? InterlaceRows(pixels, 1, height) : pixels, 2, options);
      ASSERT_EQ(Decode(GifAround(stream, 1, height, 2, interlaced ? 0x40 : 0), &surface), 1);
      EXPECT_EQ(FirstDifference(surface, pixels, 1, 1, height), "");
    }
  }
}

TEST(GifDecoderRows, InterlacedRowsComeInPassOrder) {
  struct Case {
    int height;
    std::vector<int> order;
  } cases[] = {
      {20, {0, 8, 16, 4, 12, 2, 6, 10, 14, 18, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19}},
      {3, {0, 2, 1}},
      {1, {0}},
      {2, {0, 1}},
      {5, {0, 4, 2, 1, 3}},
      {9, {0, 8, 4, 2, 6, 1, 3, 5, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("height " + std::to_string(c.height));
    MemorySurface surface(4, c.height);
    ASSERT_EQ(Decode(GifAround(RowNumberStream(c.height), 4, c.height, 8, 0x40), &surface), 1);
    EXPECT_EQ(RowOrder(surface), c.order);
  }
}

TEST(GifDecoderRows, PackedByteDecidesTheRowOrder) {
  struct Case {
    int packed;
    bool interlaced;
  } cases[] = {
      {0x40, true},  {0x00, false}, {0x20, false}, {0x41, false}, {0x60, false}, {0x48, false},
      // With a local colour table (flag, sort bit and size are its own).
      {0xC1, true},  {0x81, false}, {0xE1, true},  {0xA1, false}, {0xC9, false},
  };
  std::vector<int> interlacedOrder = {0, 8, 16, 4, 12, 2, 6, 10, 14, 18, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19};
  for (const Case& c : cases) {
    char name[16];
    snprintf(name, sizeof name, "packed 0x%02X", c.packed);
    SCOPED_TRACE(name);
    GifBuilder gif;
    gif.Header("87a", 4, 20, 0xF7).Table(256).Image(4, 20, c.packed);
    if (c.packed & 0x80) gif.Table(1 << ((c.packed & 7) + 1), 9);
    gif.CodeSize(8).Data(RowNumberStream(20)).Trailer();
    MemorySurface surface(4, 20);
    ASSERT_EQ(Decode(gif.bytes(), &surface), 1);
    EXPECT_EQ(RowOrder(surface), c.interlaced ? interlacedOrder : InOrder(20));
  }
}

TEST(GifDecoderRows, Version89aDecodesLike87a) {
  Bytes pixels = MakePixels(Content::kPicture, 33, 17, 32, 6);
  MemorySurface first(33, 17), second(33, 17);
  ASSERT_EQ(Decode(SimpleGif(pixels, 33, 17, 5, false, "87a"), &first), 1);
  ASSERT_EQ(Decode(SimpleGif(pixels, 33, 17, 5, false, "89a"), &second), 1);
  EXPECT_EQ(FirstDifference(first, pixels, 33, 33, 17), "");
  EXPECT_EQ(FirstDifference(second, pixels, 33, 33, 17), "");
}

TEST(GifDecoderSizes, GifSizeDifferentFromTheSlotIsClipped) {
  struct Case {
    int gifWidth, gifHeight, slotWidth, slotHeight;
    bool interlaced;
  } cases[] = {
      {10, 6, 6, 6, false}, {4, 6, 6, 6, false}, {5, 9, 5, 6, false}, {5, 3, 5, 6, false},
      {5, 19, 5, 6, true},  {5, 4, 5, 9, true},  {12, 11, 7, 5, true}, {3, 3, 9, 9, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("GIF " + std::to_string(c.gifWidth) + "x" + std::to_string(c.gifHeight) + " in " +
                 std::to_string(c.slotWidth) + "x" + std::to_string(c.slotHeight) +
                 (c.interlaced ? " interlaced" : ""));
    Bytes pixels = MakePixels(Content::kRandom, c.gifWidth, c.gifHeight, 16, 7);
    MemorySurface surface(c.slotWidth, c.slotHeight);
    ASSERT_EQ(Decode(SimpleGif(pixels, c.gifWidth, c.gifHeight, 4, c.interlaced), &surface), 1);
    for (int y = 0; y < c.slotHeight; y++) {
      for (int x = 0; x < c.slotWidth; x++) {
        int want = x < c.gifWidth && y < c.gifHeight ? pixels[(size_t)y * c.gifWidth + x] : MemorySurface::kFill;
        ASSERT_EQ(surface.At(x, y), want) << "pixel (" << x << ", " << y << ")";
      }
    }
  }
}

TEST(GifDecoderSizes, EmptyOrNegativeSizesDrawNothing) {
  Bytes pixels = MakePixels(Content::kFlat, 4, 4, 4, 2);
  SaverFile file(SimpleGif(pixels, 4, 4, 2));
  struct Case {
    int width, height;
  } slots[] = {{0, 4}, {4, 0}, {-4, 4}, {4, -1}, {-2147483647 - 1, 4}};
  for (const auto& slot : slots) {
    SCOPED_TRACE(std::to_string(slot.width) + "x" + std::to_string(slot.height));
    MemorySurface surface(4, 4);
    int filesBefore = OpenFileCount();
    EXPECT_EQ(DecodeGif(file.path(), &surface, slot.width, slot.height, file.offset(), file.size()), 0);
    EXPECT_EQ(OpenFileCount(), filesBefore);
    EXPECT_EQ(surface.lockCalls, 0);
    ExpectUntouched(surface);
  }
  for (auto size : {std::pair<int, int>{0, 4}, {4, 0}}) {
    SCOPED_TRACE("GIF image " + std::to_string(size.first) + "x" + std::to_string(size.second));
    MemorySurface surface(4, 4);
    Bytes stream = CodeList().Add(4, 3).Add(1, 3).Add(5, 3).Pack();
    EXPECT_EQ(Decode(GifAround(stream, size.first, size.second, 2), &surface), 0);
    EXPECT_EQ(surface.lockCalls, 0);
  }
}

TEST(GifDecoderData, DataEndingBeforeTheEndCodeKeepThePixelsSoFar) {
  const int kWidth = 10, kHeight = 6;
  Bytes roots = Ramp(kWidth * kHeight);
  Bytes stream = RootsWithClears(roots);
  Bytes whole = GifAround(stream, kWidth, kHeight, 7);
  ASSERT_EQ(whole[kDataStart - 1], 7) << "layout of GifAround changed";

  for (size_t cut : {0, 1, 2, 40, 41, 77}) {
    SCOPED_TRACE("after " + std::to_string(cut) + " data bytes");
    {
      SCOPED_TRACE("zero-length sub-block");
      Bytes head(whole.begin(), whole.begin() + (long)kDataStart);
      Bytes gif = GifBuilder().Raw(head).Data(Bytes(stream.begin(), stream.begin() + (long)cut))
                      .Data(Bytes(stream.begin() + (long)cut, stream.end())).Trailer().bytes();
      MemorySurface surface(kWidth, kHeight);
      EXPECT_EQ(Decode(gif, &surface), 1);
      ExpectPrefix(surface, roots, cut / 2);
      EXPECT_EQ(surface.unlockCalls, 1);
    }
    {
      SCOPED_TRACE("slot size");
      MemorySurface surface(kWidth, kHeight);
      EXPECT_EQ(Decode(whole, &surface, (int64_t)(kDataStart + 1 + cut)), 1);
      ExpectPrefix(surface, roots, cut / 2);
      EXPECT_EQ(surface.unlockCalls, 1);
    }
    {
      SCOPED_TRACE("end of file");
      Bytes gif(whole.begin(), whole.begin() + (long)(kDataStart + 1 + cut));
      SaverFile file(gif, 57741, 0);
      MemorySurface surface(kWidth, kHeight);
      int filesBefore = OpenFileCount();
      EXPECT_EQ(DecodeGif(file.path(), &surface, kWidth, kHeight, file.offset(), -1), 1);
      EXPECT_EQ(OpenFileCount(), filesBefore);
      EXPECT_EQ(surface.Damage(), "");
      ExpectPrefix(surface, roots, cut / 2);
      EXPECT_EQ(surface.unlockCalls, 1);
    }
  }
}

TEST(GifDecoderData, SlotSizeCutsACodeThatSpansSubBlocks) {
  // Fewer colours than the surface's fill value, so a drawn pixel never looks untouched.
  Bytes pixels = MakePixels(Content::kRandom, 40, 40, 200, 8);
  Bytes stream = LzwEncode(pixels, 8);
  Bytes whole = GifAround(stream, 40, 40, 8, 0, 7);
  MemorySurface full(40, 40);
  ASSERT_EQ(Decode(whole, &full), 1);
  ASSERT_EQ(FirstDifference(full, pixels, 40, 40, 40), "");
  // However the bound falls, what is drawn is a prefix of the picture.
  // The last code and the end code lie within the last three data bytes.
  for (int64_t size = (int64_t)kDataStart; size + 10 < (int64_t)whole.size(); size += 37) {
    SCOPED_TRACE("size " + std::to_string(size));
    MemorySurface surface(40, 40);
    ASSERT_EQ(Decode(whole, &surface, size), 1);
    size_t drawn = 0;
    while (drawn < pixels.size() && surface.At((int)(drawn % 40), (int)(drawn / 40)) != MemorySurface::kFill)
      drawn++;
    ExpectPrefix(surface, pixels, drawn);
    EXPECT_LT(drawn, pixels.size());
  }
}

TEST(GifDecoderData, NegativeSlotSizeSetsNoBound) {
  Bytes pixels = MakePixels(Content::kPicture, 25, 25, 128, 9);
  MemorySurface surface(25, 25);
  ASSERT_EQ(Decode(SimpleGif(pixels, 25, 25, 7), &surface, -1), 1);
  EXPECT_EQ(FirstDifference(surface, pixels, 25, 25, 25), "");
}

TEST(GifDecoderData, PixelsBeyondTheLastRowAreDropped) {
  Bytes roots = Ramp(30);
  for (bool interlaced : {false, true}) {
    SCOPED_TRACE(interlaced ? "interlaced" : "in order");
    MemorySurface surface(4, 3);
    // Thirty pixels for twelve places, and no end code either.
    CodeList codes;
    for (uint8_t root : roots) codes.Add(128, 8).Add(root, 8);
    Bytes gif = GifAround(codes.Pack(), 4, 3, 7, interlaced ? 0x40 : 0);
    ASSERT_EQ(Decode(gif, &surface), 1);
    std::vector<int> rows = interlaced ? std::vector<int>{0, 2, 1} : InOrder(3);
    for (int k = 0; k < 12; k++)
      EXPECT_EQ(surface.At(k % 4, rows[(size_t)(k / 4)]), roots[(size_t)k]) << "stream pixel " << k;
  }
}

TEST(GifDecoderSearch, ExtensionBlocksArePassedOverWhole) {
  Bytes pixels = MakePixels(Content::kPicture, 12, 9, 16, 10);
  Bytes stream = LzwEncode(pixels, 4);
  Bytes gif = GifBuilder()
                  .Header("89a", 12, 9, 0xF3)
                  .Table(16)
                  .Extension(0xF9, {{0x01, 0x2C, 0x2C, 0x07}})
                  .Extension(0xFE, {{'a', ',', 'b'}, {',', ',', ','}})
                  .Extension(0xFF, {Bytes{'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'}, {1, 0x2C, 0}})
                  .Extension(0x2C, {{0x2C}})
                  .Raw({0x00, 0x3B, 0x00})  // stray bytes between blocks are skipped as before
                  .Image(12, 9, 0)
                  .CodeSize(4)
                  .Data(stream)
                  .Trailer()
                  .bytes();
  MemorySurface surface(12, 9);
  ASSERT_EQ(Decode(gif, &surface), 1);
  EXPECT_EQ(FirstDifference(surface, pixels, 12, 12, 9), "");
}

TEST(GifDecoderSearch, ColourTablesAreSkippedByTheirFlags) {
  Bytes pixels = MakePixels(Content::kRandom, 11, 7, 8, 11);
  Bytes stream = LzwEncode(pixels, 3);
  struct Case {
    const char* name;
    Bytes gif;
  } cases[] = {
      {"no global table, size bits set",
       GifBuilder().Header("89a", 11, 7, 0x07).Image(11, 7, 0).CodeSize(3).Data(stream).Trailer().bytes()},
      {"global table with commas",
       GifBuilder().Header("87a", 11, 7, 0x82).Raw(Bytes(24, 0x2C)).Image(11, 7, 0).CodeSize(3).Data(stream)
           .Trailer().bytes()},
      {"local table, no global one",
       GifBuilder().Header("89a", 11, 7, 0x00).Image(11, 7, 0x82).Raw(Bytes(24, 0x2C)).CodeSize(3).Data(stream)
           .Trailer().bytes()},
      {"both tables",
       GifBuilder().Header("89a", 11, 7, 0xF7).Table(256).Image(11, 7, 0x87).Table(256, 4).CodeSize(3)
           .Data(stream).Trailer().bytes()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemorySurface surface(11, 7);
    ASSERT_EQ(Decode(c.gif, &surface), 1);
    EXPECT_EQ(FirstDifference(surface, pixels, 11, 11, 7), "");
  }
}

TEST(GifDecoderSearch, NoImageMeansNoLock) {
  Bytes stream = CodeList().Add(4, 3).Add(1, 3).Add(5, 3).Pack();
  Bytes full = GifAround(stream, 4, 4, 2);
  struct Case {
    const char* name;
    Bytes gif;
    int64_t size;
  } cases[] = {
      {"no separator before the end of the file",
       GifBuilder().Header("89a", 4, 4, 0xF7).Table(256).Extension(0xFE, {{'x'}}).Raw({1, 2, 3}).bytes(), -1},
      {"file ends inside an extension",
       GifBuilder().Header("89a", 4, 4, 0x80).Table(2).Raw({0x21, 0xFE, 40, ','}).bytes(), -1},
      {"file ends inside the global table", GifBuilder().Header("89a", 4, 4, 0xF7).Table(100).bytes(), -1},
      {"file ends inside the image descriptor",
       GifBuilder().Header("87a", 4, 4, 0x80).Table(2).Raw({0x2C, 0, 0, 0, 0, 4}).bytes(), -1},
      {"separator beyond the slot's size", full, (int64_t)(13 + 768)},
      {"not a GIF", GifBuilder().Raw({'G', 'I', 'E', '8', '7', 'a'}).Raw(Bytes(full.begin() + 6, full.end())).bytes(), -2},
      {"shorter than a header", Bytes{'G', 'I', 'F'}, -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemorySurface surface(4, 4);
    SaverFile file(c.gif, 57741, 0);
    int filesBefore = OpenFileCount();
    EXPECT_EQ(DecodeGif(file.path(), &surface, 4, 4, file.offset(), c.size < -1 ? file.size() : (int32_t)c.size), 0);
    EXPECT_EQ(OpenFileCount(), filesBefore);
    EXPECT_EQ(surface.lockCalls, 0);
    ExpectUntouched(surface);
  }
}

TEST(GifDecoderSearch, UnreadableFileOrOffsetGivesZero) {
  Bytes pixels = MakePixels(Content::kFlat, 4, 4, 4, 2);
  SaverFile file(SimpleGif(pixels, 4, 4, 2));
  MemorySurface surface(4, 4);
  EXPECT_EQ(DecodeGif("/nonexistent/voq-no-such-file", &surface, 4, 4, 0, 100), 0);
  EXPECT_EQ(DecodeGif(file.path(), &surface, 4, 4, -5, file.size()), 0);
  EXPECT_EQ(DecodeGif(file.path(), &surface, 4, 4, file.offset() + 1, file.size()), 0);
  EXPECT_EQ(surface.lockCalls, 0);
  // The saver's own file name may carry one trailing blank.
  std::string blank = std::string(file.path()) + " ";
  EXPECT_EQ(DecodeGif(blank.c_str(), &surface, 4, 4, file.offset(), file.size()), 1);
  EXPECT_EQ(FirstDifference(surface, pixels, 4, 4, 4), "");
}

TEST(GifDecoderReaders, ReadLe16TakesLowByteFirst) {
  FILE* stream = tmpfile();
  ASSERT_NE(stream, nullptr);
  const uint8_t bytes[] = {0x34, 0x12, 0xFF, 0xFF, 0x00, 0x01, 0x7F};
  fwrite(bytes, 1, sizeof bytes, stream);
  rewind(stream);
  EXPECT_EQ(ReadLe16(stream), 0x1234);
  EXPECT_EQ(ReadLe16(stream), 0xFFFF);
  EXPECT_EQ(ReadLe16(stream), 0x0100);
  fclose(stream);
}

TEST(GifDecoderReaders, ReadersOutsideADecodeReturnMinusOne) {
  EXPECT_EQ(ReadGifByte(1000), -1);
  EXPECT_EQ(ReadCode(1000), -1);
}
