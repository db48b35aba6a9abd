// Shared helpers of the voq-make tests: running the real tool, scratch
// folders, and GIFs made directly with giflib (not through the tool).
#ifndef VOQ_TESTS_TOOLS_TEST_SUPPORT_H
#define VOQ_TESTS_TOOLS_TEST_SUPPORT_H

#include <map>
#include <set>
#include <string>
#include <vector>

#include "files.h"
#include "gif_io.h"
#include "picture.h"

// Runs build/linux/voq-make with arguments.
ProcessResult RunTool(const std::vector<std::string>& arguments);

// The runtime the tests put in front of their blocks: the one built here,
// or, when a sanitizer has made that too large to carry a block, a stand-in
// that only looks like a program.
const std::string& TestRuntime();
// Whether savers on the built runtime can be made and run (and the sample
// savers were made).
bool SaversRun();

// Names in folder (no "." or "..").
std::set<std::string> FolderEntries(const std::string& folder);

// What a GIF made by MakeTestGif looks like.
struct TestGifRecipe {
  int width = 16;
  int height = 12;
  int tableEntries = 256;       // global table size (2..256, a power of two)
  bool globalTable = true;
  bool interlace = false;
  bool localTable = false;
  std::string comment;          // a comment extension before the image when not empty
  int transparentIndex = -1;    // a graphic control extension when >= 0
};

// A GIF per recipe whose pixel (x, y) is (x + 3 y) modulo the table size and
// whose colour i is (i, 255 - i, 7 i mod 256); written with giflib directly.
Bytes MakeTestGif(const TestGifRecipe& recipe);

uint8_t TestGifPixel(const TestGifRecipe& recipe, int x, int y);

void WriteBytes(const std::string& path, const Bytes& bytes);

int32_t Int32At(const Bytes& bytes, size_t at);

// "name: value" lines of voq-make's text reports.
std::map<std::string, std::string> ReportLines(const std::string& text);

// Builds a saver of recipe's GIF through the real tool (the --picture form);
// extra options follow. Fails the test when the tool fails.
void BuildTestSaver(const std::string& gifPath, const std::string& saverPath,
                    const std::vector<std::string>& extra);

// Writes image with stb_image_write; the format follows the extension
// (png, jpg, bmp, tga).
void WritePicture(const std::string& path, const RgbaImage& image);

// A photo-like picture: smooth light, a few soft shapes and grain.
RgbaImage PhotoLike(int width, int height);

// A logo on a transparent ground: a ring with a hole and a bar, soft edges.
RgbaImage TransparentLogo(int width, int height);

// text with every "@" replaced by folder.
std::string Expand(std::string text, const std::string& folder);

// Runs the tool with arguments ("@" = folder) and expects a refusal: the
// exit code (any non-zero one when 0), one error line that starts
// "voq-make: error: " and holds message ("@" = folder), and no file added
// to or removed from folder.
void ExpectRefusal(const std::string& folder, const std::vector<std::string>& arguments,
                   const std::string& message, int exitCode = 0);

// Pixel (x, y) is (31 x + 7 y) mod 256; entry i is (255 - i, i, 3 i mod 256).
IndexedPicture PatternPicture(int width, int height);

#endif
