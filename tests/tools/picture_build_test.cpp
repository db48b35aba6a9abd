// voq-make build PICTURE: pictures of every kind in, savers whose runtime
// decodes exactly the quantised picture out.
#include <gtest/gtest.h>

#include <cmath>

#include "bmp.h"
#include "saver_block.h"
#include "test_support.h"

namespace {

class PictureBuild : public testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_.Path() + "/" + name; }

  // Builds name into saver.scr; returns the run.
  ProcessResult Build(const std::string& name, std::vector<std::string> extra = {}) {
    std::vector<std::string> arguments = {"build", Path(name), "--output", Path("saver.scr"), "--runtime",
                                          TestRuntime()};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return RunTool(arguments);
  }

  SaverHeader Header() {
    Bytes saver = ReadWholeFile(Path("saver.scr"), "saver");
    SaverHeader header;
    EXPECT_EQ(ParseSaverHeader(&saver[57344], &header), 1);
    return header;
  }

  // The saver's picture through the runtime's decoder (extract), checked
  // against giflib's reading of the GIF in the saver.
  IndexedPicture Extract() {
    ProcessResult run = RunTool({"extract", Path("saver.scr"), Path("out.bmp")});
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    IndexedPicture extracted = DecodeBmp8(ReadWholeFile(Path("out.bmp"), "extracted"));
    Bytes saver = ReadWholeFile(Path("saver.scr"), "saver");
    IndexedPicture written = DecodeFirstImage(Bytes(saver.begin() + 57741, saver.end()));
    EXPECT_EQ(extracted.indices, written.indices) << "the runtime decodes another picture than was written";
    EXPECT_EQ(extracted.palette, written.palette);
    return extracted;
  }

  TemporaryFolder folder_;
};

RgbaImage FewColours(int width, int height) {
  RgbaImage image;
  image.width = width;
  image.height = height;
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      int i = (x / 5 + y / 4 * 7) % 230;
      image.rgba.push_back((uint8_t)(i * 41));
      image.rgba.push_back((uint8_t)(i * 13));
      image.rgba.push_back((uint8_t)(255 - i));
      image.rgba.push_back(255);
    }
  }
  return image;
}

TEST_F(PictureBuild, FewColoursComeBackExactlyInEveryFormat) {
  RgbaImage image = FewColours(150, 110);
  for (const char* name : {"p.png", "p.bmp", "p.tga"}) {
    SCOPED_TRACE(name);
    WritePicture(Path(name), image);
    ProcessResult run = Build(name);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    SaverHeader header = Header();
    EXPECT_EQ(header.slots[0].width, 150);
    EXPECT_EQ(header.slots[0].height, 110);
    EXPECT_EQ(header.slots[0].colorKey, 999);
    EXPECT_EQ(header.objectCount, 9);
    IndexedPicture extracted = Extract();
    for (int y = 0; y < 110; y++)
      for (int x = 0; x < 150; x++) {
        const uint8_t* want = &image.rgba[(y * 150 + x) * 4];
        ASSERT_EQ(extracted.palette[extracted.indices[y * 150 + x]], (Rgb{want[0], want[1], want[2]}))
            << "pixel " << x << "," << y;
      }
  }
}

TEST_F(PictureBuild, GifFirstFrameIsConvertedFromAnyTable) {
  TestGifRecipe recipe;
  recipe.tableEntries = 16;  // not a GIF the runtime takes as it is
  WriteBytes(Path("small.gif"), MakeTestGif(recipe));
  ProcessResult run = Build("small.gif");
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  IndexedPicture extracted = Extract();
  IndexedPicture original = DecodeFirstImage(MakeTestGif(recipe));
  for (size_t i = 0; i < original.indices.size(); i++)
    ASSERT_EQ(extracted.palette[extracted.indices[i]], original.palette[original.indices[i]]) << "pixel " << i;
}

TEST_F(PictureBuild, PhotoJpegIsScaledAndStaysClose) {
  RgbaImage photo = PhotoLike(800, 600);
  WritePicture(Path("photo.jpg"), photo);
  ProcessResult run = Build("photo.jpg", {"--dither"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_NE(run.output.find("scaled " + Path("photo.jpg") + " from 800 x 600 to 320 x 240"), std::string::npos)
      << run.output;
  SaverHeader header = Header();
  EXPECT_EQ(header.slots[0].width, 320);
  EXPECT_EQ(header.slots[0].height, 240);
  IndexedPicture extracted = Extract();
  // Against a plain 2.5 x 2.5 box average of the original (JPEG loss, the
  // linear-light filter and 256 colours all stay well inside this).
  double error = 0;
  for (int y = 0; y < 240; y++) {
    for (int x = 0; x < 320; x++) {
      int sx = x * 800 / 320, sy = y * 600 / 240;
      const Rgb& got = extracted.palette[extracted.indices[y * 320 + x]];
      int sum[3] = {0, 0, 0};
      for (int dy = 0; dy < 2; dy++)
        for (int dx = 0; dx < 2; dx++)
          for (int c = 0; c < 3; c++) sum[c] += photo.rgba[((sy + dy) * 800 + sx + dx) * 4 + c];
      error += std::abs(got.red - sum[0] / 4.0) + std::abs(got.green - sum[1] / 4.0) + std::abs(got.blue - sum[2] / 4.0);
    }
  }
  EXPECT_LT(error / (320 * 240 * 3), 8.0);
}

TEST_F(PictureBuild, MaxSizeSetsTheLimit) {
  WritePicture(Path("photo.png"), PhotoLike(400, 300));
  ASSERT_EQ(Build("photo.png", {"--max-size", "100x100"}).exitCode, 0);
  EXPECT_EQ(Header().slots[0].width, 100);
  EXPECT_EQ(Header().slots[0].height, 75);
  ProcessResult run = Build("photo.png", {"--max-size=960x720"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.output.find("scaled"), std::string::npos) << "a picture that fits is left alone";
  EXPECT_EQ(Header().slots[0].width, 400);
}

TEST_F(PictureBuild, AlphaBecomesTheColourKey) {
  RgbaImage logo = TransparentLogo(120, 80);
  WritePicture(Path("logo.png"), logo);
  ProcessResult run = Build("logo.png");
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  SaverHeader header = Header();
  int32_t key = header.slots[0].colorKey;
  ASSERT_GE(key, 0);
  ASSERT_LE(key, 255);
  IndexedPicture extracted = Extract();
  for (int y = 0; y < 80; y++)
    for (int x = 0; x < 120; x++)
      ASSERT_EQ(extracted.indices[y * 120 + x] == key, logo.rgba[(y * 120 + x) * 4 + 3] < 128) << "pixel " << x << "," << y;

  ASSERT_EQ(Build("logo.png", {"--key", "200"}).exitCode, 0);
  EXPECT_EQ(Header().slots[0].colorKey, 200);
  extracted = Extract();
  EXPECT_EQ(extracted.indices[0], 200) << "the transparent corner";
}

TEST_F(PictureBuild, WithoutKeyTransparencyShowsTheBackgroundColour) {
  WritePicture(Path("logo.png"), TransparentLogo(120, 80));
  ProcessResult run = Build("logo.png", {"--key", "none", "--background", "#203040"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  SaverHeader header = Header();
  EXPECT_EQ(header.slots[0].colorKey, 999);
  EXPECT_EQ(header.useBackground, 1);
  IndexedPicture extracted = Extract();
  EXPECT_EQ(extracted.palette[extracted.indices[0]], (Rgb{0x20, 0x30, 0x40}));
  EXPECT_EQ(header.backgroundIndex, extracted.indices[0]) << "the exact colour is in the palette";
}

TEST_F(PictureBuild, BackgroundColourPicksTheNearestEntry) {
  WritePicture(Path("p.png"), FewColours(60, 40));
  ProcessResult run = Build("p.png", {"--background", "#fffff0", "--objects", "50"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  SaverHeader header = Header();
  EXPECT_EQ(header.objectCount, 50);
  EXPECT_EQ(header.useBackground, 1);
  IndexedPicture extracted = Extract();
  const Rgb& chosen = extracted.palette[header.backgroundIndex];
  auto distance = [](const Rgb& c) {
    return (255 - c.red) * (255 - c.red) + (255 - c.green) * (255 - c.green) + (240 - c.blue) * (240 - c.blue);
  };
  for (uint8_t index : extracted.indices)
    EXPECT_LE(distance(chosen), distance(extracted.palette[index])) << "entry " << (int)index << " is nearer";
  EXPECT_NE(run.output.find("the nearest to #fffff0 is"), std::string::npos) << run.output;
}

TEST_F(PictureBuild, WindowsTargetsUseTheRuntimesNextToTheTool) {
  WritePicture(Path("p.png"), FewColours(30, 20));
  int built = 0;
  for (const char* target : {"windows32", "windows64"}) {
    std::string runtime = DefaultRuntimePath(ParseTarget(target));
    ProcessResult run = RunTool({"build", Path("p.png"), "--output", Path("w.scr"), "--target", target});
    if (!FileExists(runtime)) {
      EXPECT_NE(run.exitCode, 0);
      EXPECT_NE(run.errors.find(std::string("no ") + target + " runtime at "), std::string::npos) << run.errors;
      continue;
    }
    built++;
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    Bytes saver = ReadWholeFile(Path("w.scr"), "saver");
    Bytes expected = ReadWholeFile(runtime, "runtime");
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), saver.begin())) << target;
  }
  if (built == 0) GTEST_SKIP() << "no Windows runtime built next to this build folder";
}

struct PictureRefusal {
  const char* name;
  std::function<void(const std::string& folder)> prepare;
  std::vector<std::string> options;  // after "build"; "@" stands for the folder
  const char* message;
};

void PrintTo(const PictureRefusal& c, std::ostream* os) { *os << c.name; }

Bytes ZeroWidthBmp() {
  TemporaryFolder folder;
  RgbaImage image = FewColours(2, 2);
  WritePicture(folder.Path() + "/z.bmp", image);
  Bytes bmp = ReadWholeFile(folder.Path() + "/z.bmp", "bmp");
  bmp[18] = bmp[19] = bmp[20] = bmp[21] = 0;
  return bmp;
}

RgbaImage Clear(int width, int height) {
  RgbaImage image = FewColours(width, height);
  for (size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = 0;
  return image;
}

const std::vector<std::string> kOut = {"--output", "@/out.scr", "--runtime", TestRuntime()};

std::vector<std::string> Args(std::vector<std::string> first, const std::vector<std::string>& more = kOut) {
  first.insert(first.begin(), "build");
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

const PictureRefusal kRefusals[] = {
    {"missing", nullptr, Args({"@/none.png"}), "cannot read picture @/none.png: No such file or directory"},
    {"unreadable",
     [](const std::string& f) { WriteBytes(f + "/bad.png", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0}); },
     Args({"@/bad.png"}), "cannot read picture @/bad.png: "},
    {"empty", [](const std::string& f) { WriteBytes(f + "/empty.png", {}); }, Args({"@/empty.png"}),
     "picture @/empty.png is empty"},
    {"zero_sized", [](const std::string& f) { WriteBytes(f + "/zero.bmp", ZeroWidthBmp()); }, Args({"@/zero.bmp"}),
     "picture @/zero.bmp has no pixels (0 x 2)"},
    {"all_transparent", [](const std::string& f) { WritePicture(f + "/clear.png", Clear(8, 8)); },
     Args({"@/clear.png"}), "picture @/clear.png: the picture is transparent all over"},
    {"key_without_alpha", nullptr, Args({"@/p.png", "--key", "3"}),
     "picture @/p.png: --key 3: the picture has no transparent pixels"},
    {"max_size_zero", nullptr, Args({"@/p.png", "--max-size", "0x10"}), "--max-size 0x10: give WIDTHxHEIGHT, up to 960x720"},
    {"max_size_wide", nullptr, Args({"@/p.png", "--max-size", "961x100"}), "--max-size 961x100: give WIDTHxHEIGHT"},
    {"max_size_text", nullptr, Args({"@/p.png", "--max-size", "big"}), "--max-size big: give WIDTHxHEIGHT"},
    {"colour_short", nullptr, Args({"@/p.png", "--background", "#12345"}),
     "--background #12345: give a colour as #RRGGBB"},
    {"colour_not_hex", nullptr, Args({"@/p.png", "--background", "#GG0000"}),
     "--background #GG0000: give a colour as #RRGGBB"},
    {"key_word", nullptr, Args({"@/p.png", "--key", "some"}), "--key some: give a whole number from 0 to 255"},
    {"objects_51", nullptr, Args({"@/p.png", "--objects", "51"}), "--objects 51: give a whole number from 1 to 50"},
    {"dither_as_is", nullptr, Args({"--picture", "@/p.gif", "--dither"}),
     "--dither applies to a picture to convert, not to --picture GIF"},
    {"two_pictures", nullptr, Args({"@/p.png", "@/p.png"}), "unexpected argument @/p.png for build"},
    {"no_picture", nullptr, Args({}), "build needs a PICTURE (or --picture GIF)"},
    {"runtime_over_budget",
     [](const std::string& f) {
       Bytes big(57345, 0);
       big[0] = 'M';
       big[1] = 'Z';
       WriteBytes(f + "/big.exe", big);
     },
     Args({"@/p.png", "--output", "@/out.scr", "--runtime", "@/big.exe"}, {}),
     "runtime @/big.exe is 57345 bytes, over the 57344-byte budget"},
    {"output_folder_missing", nullptr, Args({"@/p.png", "--output", "@/no/out.scr", "--runtime", TestRuntime()}, {}),
     "cannot write @/no/out.scr: folder @/no does not exist"},
};

class PictureBuildRefusal : public testing::TestWithParam<PictureRefusal> {};

TEST_P(PictureBuildRefusal, OneLineNonZeroExitAndNoFileLeft) {
  const PictureRefusal& c = GetParam();
  TemporaryFolder folder;
  WritePicture(folder.Path() + "/p.png", FewColours(20, 10));
  WriteBytes(folder.Path() + "/p.gif", MakeTestGif(TestGifRecipe()));
  if (c.prepare) c.prepare(folder.Path());
  ExpectRefusal(folder.Path(), c.options, c.message);
}

INSTANTIATE_TEST_SUITE_P(Cases, PictureBuildRefusal, testing::ValuesIn(kRefusals),
                         [](const testing::TestParamInfo<PictureRefusal>& info) { return info.param.name; });

}  // namespace
