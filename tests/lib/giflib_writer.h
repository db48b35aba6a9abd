// GIFs written with giflib directly, never through the program's own code:
// the tests' second opinion on what a GIF holds.
#ifndef VOQ_TESTS_LIB_GIFLIB_WRITER_H
#define VOQ_TESTS_LIB_GIFLIB_WRITER_H

#include <stdint.h>

#include <string>
#include <vector>

struct GiflibPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // rows in picture order, top first
  std::vector<uint8_t> colors;  // red, green, blue per entry; a power of two entries
  bool globalTable = true;
  bool localTable = false;      // the same table again, in the image descriptor
  bool interlace = false;
  std::string comment;          // a comment extension before the image when not empty
  int transparentIndex = -1;    // a graphic control extension when >= 0
};

// The GIF (89a when it has extensions); throws std::runtime_error when
// giflib refuses.
std::vector<uint8_t> GiflibWrite(const GiflibPicture& picture);

#endif
