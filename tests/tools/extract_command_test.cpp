// voq-make extract: the picture as the runtime's decoder produces it.
#include <gtest/gtest.h>

#include "bmp.h"
#include "test_support.h"

namespace {

class ExtractCommand : public testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_.Path() + "/" + name; }
  TemporaryFolder folder_;
};

TEST_F(ExtractCommand, GivesTheGifsIndicesAndPalette) {
  for (bool interlace : {false, true}) {
    SCOPED_TRACE(interlace ? "interlaced" : "rows in order");
    TestGifRecipe recipe;
    recipe.width = 61;  // an odd width, and tall enough for every interlace pass
    recipe.height = 37;
    recipe.interlace = interlace;
    Bytes gif = MakeTestGif(recipe);
    WriteBytes(Path("picture.gif"), gif);
    BuildTestSaver(Path("picture.gif"), Path("saver.scr"), {});
    ProcessResult run = RunTool({"extract", Path("saver.scr"), Path("out.bmp")});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    IndexedPicture extracted = DecodeBmp8(ReadWholeFile(Path("out.bmp"), "extracted"));
    IndexedPicture expected = DecodeFirstImage(gif);
    ASSERT_EQ(extracted.width, recipe.width);
    ASSERT_EQ(extracted.height, recipe.height);
    for (int y = 0; y < recipe.height; y++)
      for (int x = 0; x < recipe.width; x++)
        ASSERT_EQ(extracted.indices[y * recipe.width + x], TestGifPixel(recipe, x, y)) << "pixel " << x << "," << y;
    EXPECT_EQ(extracted.palette, expected.palette);
  }
}

TEST_F(ExtractCommand, SampleQuillDecodesAsGiflibDecodesIt) {
  if (!SaversRun()) GTEST_SKIP() << "a sanitizer build's runtime cannot carry a block";
  ProcessResult run = RunTool({"extract", VOQ_BINARY_DIR "/samples/quill.scr", Path("quill.bmp")});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  IndexedPicture extracted = DecodeBmp8(ReadWholeFile(Path("quill.bmp"), "extracted"));
  IndexedPicture expected = DecodeFirstImage(ReadWholeFile(VOQ_SOURCE_DIR "/samples/quill.gif", "sample"));
  EXPECT_EQ(extracted.indices, expected.indices);
  EXPECT_EQ(extracted.palette, expected.palette);
}

TEST_F(ExtractCommand, Refusals) {
  WriteBytes(Path("picture.gif"), MakeTestGif(TestGifRecipe()));
  BuildTestSaver(Path("picture.gif"), Path("saver.scr"), {});
  Bytes broken = ReadWholeFile(Path("saver.scr"), "saver");
  broken[57344 + 22 + 20] = 'x';  // slot 0 type
  WriteBytes(Path("broken.scr"), broken);
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string message;
  } cases[] = {
      {{"extract", Path("saver.scr"), Path("out.png")}, 2, "extract writes an 8-bit BMP: name the output *.bmp"},
      {{"extract", Path("saver.scr")}, 2, "extract needs a SAVER and an OUTPUT.bmp"},
      {{"extract", Path("none.scr"), Path("out.bmp")}, 1, "cannot read saver " + Path("none.scr")},
      {{"extract", Path("broken.scr"), Path("out.bmp")}, 1,
       Path("broken.scr") + ": the runtime cannot decode its picture: slot 0 type: "},
      {{"extract", Path("saver.scr"), Path("no/out.bmp")}, 1, "folder " + Path("no") + " does not exist"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    ExpectRefusal(folder_.Path(), c.arguments, c.message, c.exitCode);
  }
}

}  // namespace
