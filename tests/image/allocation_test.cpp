// The decoder when its table allocation fails. The test binary is linked
// with --wrap=malloc, so every malloc call made from our own code, the
// decoder's included, comes here first.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "image/gif_decoder.h"
#include "tests/image/gif_test_support.h"

// volatile: the compiler assumes malloc reads no globals and would drop the stores.
static volatile bool failLargeAllocations = false;

extern "C" void* __real_malloc(size_t size);
extern "C" void* __wrap_malloc(size_t size) {
  // The string table is far larger than a file name copy.
  if (failLargeAllocations && size > 4096) return NULL;
  return __real_malloc(size);
}

TEST(GifDecoderAllocation, FailedTableAllocationUnlocksClosesAndReturnsZero) {
  failLargeAllocations = true;
  void* probe = malloc(5000);
  failLargeAllocations = false;
  ASSERT_EQ(probe, nullptr) << "malloc is not wrapped; the test cannot see the decoder's allocation";

  Bytes pixels = MakePixels(Content::kPicture, 9, 8, 16, 1);
  SaverFile file(SimpleGif(pixels, 9, 8, 4));
  MemorySurface surface(9, 8);
  int filesBefore = OpenFileCount();
  failLargeAllocations = true;
  int result = DecodeGif(file.path(), &surface, 9, 8, file.offset(), file.size());
  failLargeAllocations = false;
  EXPECT_EQ(result, 0);
  EXPECT_EQ(OpenFileCount(), filesBefore);
  EXPECT_EQ(surface.lockCalls, 1);
  EXPECT_EQ(surface.unlockCalls, 1);
  EXPECT_FALSE(surface.locked);
  EXPECT_EQ(surface.Damage(), "");
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 9; x++) ASSERT_EQ(surface.At(x, y), MemorySurface::kFill) << x << ", " << y;

  // And the next decode works again.
  EXPECT_EQ(DecodeGif(file.path(), &surface, 9, 8, file.offset(), file.size()), 1);
  EXPECT_EQ(FirstDifference(surface, pixels, 9, 9, 8), "");
}
