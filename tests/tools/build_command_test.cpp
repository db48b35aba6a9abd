// voq-make build, run as a user runs it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <functional>

#include "saver_block.h"
#include "test_support.h"

namespace {

class BuildCommand : public testing::Test {
 protected:
  void SetUp() override {
    gif_ = MakeTestGif(recipe_);
    WriteBytes(Path("picture.gif"), gif_);
    runtime_ = ReadWholeFile(TestRuntime(), "runtime");
  }
  std::string Path(const std::string& name) const { return folder_.Path() + "/" + name; }

  TemporaryFolder folder_;
  TestGifRecipe recipe_;
  Bytes gif_;
  Bytes runtime_;
};

TEST_F(BuildCommand, AppendsHeaderAndGifAfterPaddedRuntime) {
  ProcessResult run = RunTool({"build", "--runtime", TestRuntime(), "--picture", Path("picture.gif"),
                               "--output", Path("out.scr"), "--background", "12"});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  Bytes saver = ReadWholeFile(Path("out.scr"), "saver");
  ASSERT_EQ(saver.size(), 57741u + gif_.size());
  EXPECT_TRUE(std::equal(runtime_.begin(), runtime_.end(), saver.begin()));
  for (size_t at = runtime_.size(); at < 57344; at++) ASSERT_EQ(saver[at], 0) << "padding byte " << at;
  EXPECT_TRUE(std::equal(gif_.begin(), gif_.end(), saver.begin() + 57741)) << "the GIF, unchanged";

  SaverHeader header;
  ASSERT_EQ(ParseSaverHeader(&saver[57344], &header), 1);
  EXPECT_EQ(header.slots[0].width, recipe_.width);
  EXPECT_EQ(header.slots[0].height, recipe_.height);
  EXPECT_EQ(header.slots[0].colorKey, 999);
  EXPECT_EQ(header.slots[0].offset, 57741);
  EXPECT_EQ(header.slots[0].size, (int32_t)gif_.size());
  EXPECT_EQ(header.slots[0].type, 'g');
  EXPECT_EQ(header.slots[3].offset, (int32_t)saver.size());
  EXPECT_EQ(header.objectCount, 9);
  EXPECT_EQ(header.useBackground, 1);
  EXPECT_EQ(header.backgroundIndex, 12);

  struct stat info;
  ASSERT_EQ(stat(Path("out.scr").c_str(), &info), 0);
  EXPECT_NE(info.st_mode & S_IXUSR, 0u) << "a saver is a program";
  EXPECT_EQ(FolderEntries(folder_.Path()), (std::set<std::string>{"picture.gif", "out.scr"}));
}

// Commas in a comment are extension data, which the runtime's block walk passes over.
TEST_F(BuildCommand, GifWithCommasInItsCommentBuildsInBothForms) {
  TestGifRecipe commented = recipe_;
  commented.comment = "one, two,, three,";
  Bytes gif = MakeTestGif(commented);
  WriteBytes(Path("commented.gif"), gif);
  for (bool asIs : {true, false}) {
    SCOPED_TRACE(asIs ? "--picture GIF" : "PICTURE");
    std::vector<std::string> arguments = {"build", "--runtime", TestRuntime(), "--output", Path("out.scr")};
    if (asIs) arguments.push_back("--picture");
    arguments.push_back(Path("commented.gif"));
    ProcessResult run = RunTool(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    Bytes saver = ReadWholeFile(Path("out.scr"), "saver");
    SaverHeader header;
    ASSERT_EQ(ParseSaverHeader(&saver[57344], &header), 1);
    EXPECT_EQ(header.slots[0].width, commented.width);
    EXPECT_EQ(header.slots[0].height, commented.height);
    if (asIs) EXPECT_TRUE(std::equal(gif.begin(), gif.end(), saver.begin() + 57741)) << "the GIF, unchanged";
  }
}

struct SettingsCase {
  std::vector<std::string> options;
  int objects;
  int32_t key;
  int useBackground;
  int background;
};

TEST_F(BuildCommand, SettingsReachTheHeader) {
  TestGifRecipe keyed = recipe_;
  keyed.transparentIndex = 5;
  WriteBytes(Path("keyed.gif"), MakeTestGif(keyed));
  const SettingsCase cases[] = {
      {{}, 9, 999, 0, 0},
      {{"--objects", "1", "--key", "7"}, 1, 7, 0, 0},
      {{"--objects=50", "--key=none", "--background=0"}, 50, 999, 1, 0},
      {{"--key", "255", "--background", "255"}, 9, 255, 1, 255},
      {{"--background", "darkest", "--key", "auto"}, 9, 999, 0, 0},
      {{"--key", "auto", "--picture", Path("keyed.gif")}, 9, 5, 0, 0},
  };
  for (const SettingsCase& c : cases) {
    std::vector<std::string> arguments = {"build", "--runtime", TestRuntime(), "--picture",
                                          Path("picture.gif"), "--output", Path("out.scr")};
    std::string shown;
    for (const auto& option : c.options) {
      arguments.push_back(option);
      shown += option + " ";
    }
    SCOPED_TRACE(shown);
    ProcessResult run = RunTool(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    Bytes saver = ReadWholeFile(Path("out.scr"), "saver");
    SaverHeader header;
    ASSERT_EQ(ParseSaverHeader(&saver[57344], &header), 1);
    EXPECT_EQ(header.objectCount, c.objects);
    EXPECT_EQ(header.slots[0].colorKey, c.key);
    EXPECT_EQ(header.useBackground, c.useBackground);
    EXPECT_EQ(header.backgroundIndex, c.background);
  }
}

struct RefusalCase {
  const char* name;
  std::function<void(const std::string& folder)> prepare;  // extra files
  std::vector<std::string> arguments;                      // "@" stands for the folder
  const char* message;                                     // part of the one error line, "@" as above
};

Bytes ProgramOf(size_t size) {
  Bytes program(size, 0);
  std::memcpy(program.data(), "\x7f" "ELF", 4);
  return program;
}

Bytes GifWithImageWidth(int width) {
  Bytes gif = MakeTestGif(TestGifRecipe());
  size_t descriptor = 13 + 768;
  gif[descriptor + 5] = (uint8_t)width;
  gif[descriptor + 6] = (uint8_t)(width >> 8);
  return gif;
}

const std::vector<std::string> kGood = {"--runtime", TestRuntime(), "--picture", "@/picture.gif"};

std::vector<std::string> With(std::vector<std::string> base, const std::vector<std::string>& more) {
  base.insert(base.begin(), "build");
  base.insert(base.end(), more.begin(), more.end());
  return base;
}

const RefusalCase kRefusals[] = {
    {"missing_picture", nullptr,
     With({"--runtime", TestRuntime(), "--picture", "@/none.gif"}, {"--output", "@/out.scr"}),
     "cannot read picture @/none.gif: No such file or directory"},
    {"empty_picture", [](const std::string& f) { WriteBytes(f + "/empty.gif", {}); },
     With({"--runtime", TestRuntime(), "--picture", "@/empty.gif"}, {"--output", "@/out.scr"}),
     "picture @/empty.gif is empty"},
    {"not_a_gif", [](const std::string& f) { WriteBytes(f + "/p.png", {0x89, 'P', 'N', 'G', 13, 10, 26, 10}); },
     With({"--runtime", TestRuntime(), "--picture", "@/p.png"}, {"--output", "@/out.scr"}),
     "picture @/p.png is not a GIF"},
    {"zero_width", [](const std::string& f) { WriteBytes(f + "/zero.gif", GifWithImageWidth(0)); },
     With({"--runtime", TestRuntime(), "--picture", "@/zero.gif"}, {"--output", "@/out.scr"}),
     "has no pixels (0 x 12)"},
    {"truncated_gif",
     [](const std::string& f) {
       Bytes gif = MakeTestGif(TestGifRecipe());
       gif.resize(gif.size() - 20);
       WriteBytes(f + "/cut.gif", gif);
     },
     With({"--runtime", TestRuntime(), "--picture", "@/cut.gif"}, {"--output", "@/out.scr"}),
     "truncated inside the image data"},
    {"small_table",
     [](const std::string& f) {
       TestGifRecipe recipe;
       recipe.tableEntries = 16;
       WriteBytes(f + "/small.gif", MakeTestGif(recipe));
     },
     With({"--runtime", TestRuntime(), "--picture", "@/small.gif"}, {"--output", "@/out.scr"}),
     "has a 16-entry colour table; the runtime needs 256 entries"},
    {"runtime_over_budget", [](const std::string& f) { WriteBytes(f + "/big", ProgramOf(57345)); },
     With({"--runtime", "@/big", "--picture", "@/picture.gif"}, {"--output", "@/out.scr"}),
     "runtime @/big is 57345 bytes, over the 57344-byte budget"},
    {"runtime_missing", nullptr,
     With({"--runtime", "@/nothing", "--picture", "@/picture.gif"}, {"--output", "@/out.scr"}),
     "cannot read runtime @/nothing: No such file or directory"},
    {"runtime_not_a_program", nullptr,
     With({"--runtime", "@/picture.gif", "--picture", "@/picture.gif"}, {"--output", "@/out.scr"}),
     "is not a program"},
    {"output_folder_missing", nullptr, With(kGood, {"--output", "@/nope/out.scr"}),
     "cannot write @/nope/out.scr: folder @/nope does not exist"},
    {"output_is_folder", [](const std::string& f) { mkdir((f + "/dir.scr").c_str(), 0755); },
     With(kGood, {"--output", "@/dir.scr"}), "cannot write @/dir.scr: it is a folder"},
    {"no_output", nullptr, With(kGood, {}), "build needs --output SAVER"},
    {"objects_zero", nullptr, With(kGood, {"--output", "@/out.scr", "--objects", "0"}),
     "--objects 0: give a whole number from 1 to 50"},
    {"objects_51", nullptr, With(kGood, {"--output", "@/out.scr", "--objects", "51"}),
     "--objects 51: give a whole number from 1 to 50"},
    {"objects_text", nullptr, With(kGood, {"--output", "@/out.scr", "--objects", "nine"}),
     "--objects nine: give a whole number"},
    {"key_256", nullptr, With(kGood, {"--output", "@/out.scr", "--key", "256"}),
     "--key 256: give a whole number from 0 to 255"},
    {"key_negative", nullptr, With(kGood, {"--output", "@/out.scr", "--key=-1"}), "--key -1: give a whole number"},
    {"background_256", nullptr, With(kGood, {"--output", "@/out.scr", "--background", "256"}),
     "--background 256: give a whole number from 0 to 255"},
    {"unknown_option", nullptr, With(kGood, {"--output", "@/out.scr", "--colour", "3"}),
     "unknown option --colour for build"},
    {"value_missing", nullptr, With(kGood, {"--output", "@/out.scr", "--objects"}), "--objects needs a value"},
    {"bad_target", nullptr, With(kGood, {"--output", "@/out.scr", "--target", "amiga"}),
     "--target amiga: choose linux, windows32 or windows64"},
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class BuildRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(BuildRefusal, OneLineNonZeroExitAndNoFileLeft) {
  const RefusalCase& c = GetParam();
  TemporaryFolder folder;
  WriteBytes(folder.Path() + "/picture.gif", MakeTestGif(TestGifRecipe()));
  if (c.prepare) c.prepare(folder.Path());
  ExpectRefusal(folder.Path(), c.arguments, c.message);
}

INSTANTIATE_TEST_SUITE_P(Cases, BuildRefusal, testing::ValuesIn(kRefusals),
                         [](const testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST_F(BuildCommand, FailedBuildKeepsThePreviousSaver) {
  WriteBytes(Path("out.scr"), {'o', 'l', 'd'});
  WriteBytes(Path("broken.gif"), {'G', 'I', 'F', '8', '7', 'a', 1, 0});
  ProcessResult run = RunTool({"build", "--runtime", TestRuntime(), "--picture", Path("broken.gif"),
                               "--output", Path("out.scr")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(ReadWholeFile(Path("out.scr"), "old saver"), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(FolderEntries(folder_.Path()), (std::set<std::string>{"picture.gif", "broken.gif", "out.scr"}));
}

}  // namespace
