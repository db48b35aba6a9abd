// voq-make preview: the Linux runtime's own show, recorded headless.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>

#include "test_support.h"

namespace {

struct Animation {
  int width = 0;
  int height = 0;
  int frames = 0;
  bool loops = false;
  std::vector<int> delays;
  Palette palette{};
  std::vector<uint8_t> first;  // the first frame's pixels
};

Animation ReadAnimation(const Bytes& bytes) {
  Animation animation;
  GifFileType* gif = SlurpGif(bytes);
  if (gif == nullptr) return animation;
  animation.width = gif->SWidth;
  animation.height = gif->SHeight;
  animation.frames = gif->ImageCount;
  for (int i = 0; i < gif->ImageCount; i++) {
    GraphicsControlBlock control;
    if (DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK) animation.delays.push_back(control.DelayTime);
  }
  // giflib files an extension under the image that follows it.
  if (gif->ImageCount > 0) {
    const SavedImage& image = gif->SavedImages[0];
    for (int i = 0; i < image.ExtensionBlockCount; i++)
      animation.loops = animation.loops || (image.ExtensionBlocks[i].Function == APPLICATION_EXT_FUNC_CODE &&
                                            image.ExtensionBlocks[i].ByteCount == 11 &&
                                            std::memcmp(image.ExtensionBlocks[i].Bytes, "NETSCAPE2.0", 11) == 0);
  }
  for (int i = 0; gif->SColorMap != nullptr && i < 256; i++) {
    const GifColorType& c = gif->SColorMap->Colors[i];
    animation.palette[i] = {c.Red, c.Green, c.Blue};
  }
  if (gif->ImageCount > 0) {
    const SavedImage& image = gif->SavedImages[0];
    animation.first.assign(image.RasterBits, image.RasterBits + image.ImageDesc.Width * image.ImageDesc.Height);
  }
  int error = 0;
  DGifCloseFile(gif, &error);
  return animation;
}

class PreviewCommand : public testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_.Path() + "/" + name; }
  TemporaryFolder folder_;
};

TEST_F(PreviewCommand, RecordsEverySecondFrameOfTheShow) {
  if (!SaversRun()) GTEST_SKIP() << "a sanitizer build's runtime cannot carry a block";
  ProcessResult run = RunTool({"preview", VOQ_BINARY_DIR "/samples/gear.scr", Path("show.gif"), "--seconds", "1"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_NE(run.output.find("30 frames, every second of the 60 the runtime showed"), std::string::npos) << run.output;
  Animation animation = ReadAnimation(ReadWholeFile(Path("show.gif"), "preview"));
  EXPECT_EQ(animation.width, 640);
  EXPECT_EQ(animation.height, 480);
  EXPECT_EQ(animation.frames, 30);
  EXPECT_TRUE(animation.loops);
  ASSERT_EQ(animation.delays.size(), 30u);
  int total = 0;
  for (int delay : animation.delays) total += delay;
  EXPECT_EQ(total, 100) << "30 frames a second";

  // The show's colours are the picture's; the ground is its darkest entry.
  IndexedPicture gear = DecodeFirstImage(ReadWholeFile(VOQ_SOURCE_DIR "/samples/gear.gif", "sample"));
  EXPECT_EQ(animation.palette, gear.palette);
  ASSERT_EQ(animation.first.size(), 640u * 480u);
  size_t ground = std::count(animation.first.begin(), animation.first.end(), 255);
  EXPECT_GT(ground, animation.first.size() / 2);
  EXPECT_LT(ground, animation.first.size()) << "no gear in the first frame";
}

TEST_F(PreviewCommand, Refusals) {
  WriteBytes(Path("picture.gif"), MakeTestGif(TestGifRecipe()));
  BuildTestSaver(Path("picture.gif"), Path("saver.scr"), {});
  Bytes broken = ReadWholeFile(Path("saver.scr"), "saver");
  broken[57344] = 'q';
  WriteBytes(Path("broken.scr"), broken);
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{"preview", Path("saver.scr"), Path("show.png")}, "preview writes an animated GIF: name the output *.gif"},
      {{"preview", Path("saver.scr"), Path("show.gif"), "--seconds", "0"}, "--seconds 0: give a whole number from 1 to 60"},
      {{"preview", Path("saver.scr"), Path("show.gif"), "--seconds", "61"}, "--seconds 61: give a whole number"},
      {{"preview", Path("broken.scr"), Path("show.gif")}, Path("broken.scr") + " would be refused: magic: "},
      {{"preview", Path("saver.scr"), Path("none/show.gif")}, "folder " + Path("none") + " does not exist"},
      {{"preview", Path("saver.scr"), Path("show.gif"), "--runtime", Path("picture.gif")}, "is not a program"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    ExpectRefusal(folder_.Path(), c.arguments, c.message);
  }
}

}  // namespace
