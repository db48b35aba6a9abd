// The sample pictures: made reproducibly, the shape the savers need, and
// the savers the build makes from them.
#include <gtest/gtest.h>

#include <cstring>

#include "runtime_reader.h"
#include "saver_block.h"
#include "test_support.h"

namespace {

const std::string kSamples = VOQ_SOURCE_DIR "/samples";
const std::string kSavers = VOQ_BINARY_DIR "/samples";

TEST(Samples, MakeSamplesWritesTheCommittedGifs) {
  TemporaryFolder folder;
  ProcessResult run = RunProcess({VOQ_MAKE_SAMPLES_PATH, folder.Path()}, {}, 60);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  for (const char* name : {"quill.gif", "gear.gif"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ReadWholeFile(folder.Path() + "/" + name, "made"), ReadWholeFile(kSamples + "/" + name, "committed"));
  }
}

TEST(Samples, QuillIsTheSubsetTheRuntimeReadsAsItIs) {
  Bytes gif = ReadWholeFile(kSamples + "/quill.gif", "sample");
  GifLayout layout = ReadGifLayout(gif);
  ASSERT_EQ(layout.problem, "");
  EXPECT_EQ(layout.version, "87a");
  EXPECT_EQ(layout.width, 142);
  EXPECT_EQ(layout.height, 169);
  EXPECT_TRUE(layout.globalTable);
  EXPECT_EQ(layout.globalTableEntries, 256);
  EXPECT_EQ(layout.extensionCount, 0);
  EXPECT_EQ(layout.imageFlags, 0) << "rows in order";
  EXPECT_EQ(layout.minCodeSize, 8);
  EXPECT_TRUE(RuntimeReadingProblems(layout).empty());

  Palette palette = DecodeFirstImage(gif).palette;
  EXPECT_EQ(palette[0], (Rgb{255, 255, 255}));
  EXPECT_EQ(palette[12], (Rgb{24, 24, 24}));
  for (int i = 0; i < 255; i++)
    EXPECT_GT(palette[i].red + palette[i].green + palette[i].blue, 0) << "entry " << i << " is black too";
  EXPECT_EQ(palette[255], (Rgb{0, 0, 0}));
  EXPECT_EQ(PickDarkestAsRuntime(palette), 255) << "the darkest-entry search, were the header silent";
}

// Key pixels reachable from the border through key pixels surround the
// shape; the others are holes. Returns the number of separate holes.
int CountHoles(const IndexedPicture& picture, uint8_t key) {
  int width = picture.width, height = picture.height;
  std::vector<int> mark(picture.indices.size(), 0);  // 0 unseen, 1 outside, 2.. hole number
  auto flood = [&](int x0, int y0, int label) {
    std::vector<std::pair<int, int>> stack = {{x0, y0}};
    while (!stack.empty()) {
      auto [x, y] = stack.back();
      stack.pop_back();
      if (x < 0 || y < 0 || x >= width || y >= height) continue;
      size_t at = (size_t)y * width + x;
      if (mark[at] != 0 || picture.indices[at] != key) continue;
      mark[at] = label;
      stack.insert(stack.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
    }
  };
  for (int x = 0; x < width; x++) flood(x, 0, 1), flood(x, height - 1, 1);
  for (int y = 0; y < height; y++) flood(0, y, 1), flood(width - 1, y, 1);
  int holes = 0;
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++)
      if (picture.indices[(size_t)y * width + x] == key && mark[(size_t)y * width + x] == 0) flood(x, y, 2 + holes++);
  return holes;
}

TEST(Samples, GearIsSurroundedAndPerforatedByItsKey) {
  Bytes gif = ReadWholeFile(kSamples + "/gear.gif", "sample");
  GifLayout layout = ReadGifLayout(gif);
  ASSERT_EQ(layout.problem, "");
  EXPECT_TRUE(RuntimeReadingProblems(layout).empty());
  ASSERT_EQ(layout.transparentIndex, 0);
  IndexedPicture picture = DecodeFirstImage(gif);
  int w = picture.width, h = picture.height;
  for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {w / 2, h / 2}})
    EXPECT_EQ(picture.indices[(size_t)y * w + x], 0) << "pixel " << x << "," << y << " should be transparent";
  EXPECT_EQ(CountHoles(picture, 0), 7) << "the axle hole and six windows";
  size_t metal = std::count_if(picture.indices.begin(), picture.indices.end(), [](uint8_t i) { return i != 0; });
  EXPECT_GT(metal, picture.indices.size() / 4);
  EXPECT_GT(picture.palette[255].red + picture.palette[255].green + picture.palette[255].blue, 0);
}

TEST(Samples, QuillSaverCarriesItsShow) {
  if (!SaversRun()) GTEST_SKIP() << "a sanitizer build's runtime cannot carry a block";
  ProcessResult run = RunTool({"inspect", kSavers + "/quill.scr"});
  std::map<std::string, std::string> lines = ReportLines(run.output);
  EXPECT_EQ(lines["slot 0 width"], "142");
  EXPECT_EQ(lines["slot 0 height"], "169");
  EXPECT_EQ(lines["slot 0 key"], "999");
  EXPECT_EQ(lines["slot 0 offset"], "57741");
  EXPECT_EQ(lines["slot 0 size"], std::to_string(ReadWholeFile(kSamples + "/quill.gif", "sample").size()));
  EXPECT_EQ(lines["slot 0 type"], "g");
  EXPECT_EQ(lines["object count"], "9");
  EXPECT_EQ(lines["use background"], "1");
  EXPECT_EQ(lines["background index"], "12");
  EXPECT_EQ(lines["picture background colour"], "#181818");
  EXPECT_EQ(lines["accepted"], "yes") << run.output;
  EXPECT_EQ(run.exitCode, 0);
}

TEST(Samples, GearSaverKeysItsTransparentColour) {
  if (!SaversRun()) GTEST_SKIP() << "a sanitizer build's runtime cannot carry a block";
  ProcessResult run = RunTool({"inspect", kSavers + "/gear.scr"});
  std::map<std::string, std::string> lines = ReportLines(run.output);
  EXPECT_EQ(lines["slot 0 key"], "0");
  EXPECT_EQ(lines["object count"], "14");
  EXPECT_EQ(lines["use background"], "0");
  EXPECT_EQ(lines["picture background"], "255") << "the navy entry is the darkest";
  EXPECT_EQ(lines["accepted"], "yes") << run.output;
}

TEST(Samples, WindowsSaversCarryTheSameBlock) {
  if (!SaversRun()) GTEST_SKIP() << "a sanitizer build's runtime cannot carry a block";
  Bytes onLinux = ReadWholeFile(kSavers + "/quill.scr", "saver");
  int found = 0;
  for (const char* bits : {"win32", "win64"}) {
    std::string path = kSavers + "/" + bits + "/quill.scr";
    if (!FileExists(path)) continue;
    found++;
    Bytes windows = ReadWholeFile(path, "saver");
    EXPECT_EQ(windows[0], 'M');
    EXPECT_EQ(windows[1], 'Z');
    EXPECT_EQ(BlockOfSaver(windows, path), BlockOfSaver(onLinux, "linux")) << path;
  }
  if (found == 0) GTEST_SKIP() << "no Windows runtime built next to this build folder";
}

}  // namespace
