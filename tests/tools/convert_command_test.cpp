// voq-make convert: the block moves unchanged, and the result runs.
#include <gtest/gtest.h>

#include "saver_block.h"
#include "test_support.h"

namespace {

class ConvertCommand : public testing::Test {
 protected:
  void SetUp() override {
    // A stand-in Windows runtime: the block does not care what runs it.
    Bytes windows(4000, 0x90);
    windows[0] = 'M';
    windows[1] = 'Z';
    WriteBytes(Path("other.exe"), windows);
    WriteBytes(Path("picture.gif"), MakeTestGif(TestGifRecipe()));
    ProcessResult run = RunTool({"build", "--runtime", Path("other.exe"), "--picture", Path("picture.gif"), "--output",
                                 Path("other.scr"), "--objects", "7", "--background", "5"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
  }
  std::string Path(const std::string& name) const { return folder_.Path() + "/" + name; }
  TemporaryFolder folder_;
};

TEST_F(ConvertCommand, MovesTheBlockUnchangedOntoTheLinuxRuntime) {
  ProcessResult run = RunTool({"convert", Path("other.scr"), "--runtime", TestRuntime(), "--output", Path("linux.scr")});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  Bytes before = ReadWholeFile(Path("other.scr"), "saver");
  Bytes after = ReadWholeFile(Path("linux.scr"), "saver");
  Bytes runtime = ReadWholeFile(TestRuntime(), "runtime");
  ASSERT_EQ(after.size(), before.size());
  EXPECT_TRUE(std::equal(runtime.begin(), runtime.end(), after.begin()));
  for (size_t at = runtime.size(); at < 57344; at++) ASSERT_EQ(after[at], 0) << "padding byte " << at;
  EXPECT_EQ(BlockOfSaver(after, "after"), BlockOfSaver(before, "before"));

  // And back onto the other runtime: the very file it started as.
  run = RunTool({"convert", Path("linux.scr"), "--runtime", Path("other.exe"), "--output", Path("again.scr")});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(ReadWholeFile(Path("again.scr"), "saver"), before);
}

TEST_F(ConvertCommand, ConvertedSaverRunsHeadless) {
  if (!SaversRun()) GTEST_SKIP() << "a sanitizer build's runtime cannot carry a block";
  ASSERT_EQ(RunTool({"convert", Path("other.scr"), "--target", "linux", "--output", Path("linux.scr")}).exitCode, 0);
  ProcessResult run = RunProcess({Path("linux.scr"), "/s"}, {{"SDL_VIDEODRIVER", "dummy"}, {"VOQ_FRAMES", "5"}}, 60);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.errors, "") << "no message box";
}

TEST_F(ConvertCommand, WindowsTargetsWhenBuilt) {
  if (!SaversRun()) GTEST_SKIP() << "a sanitizer build's runtime cannot carry a block";
  int built = 0;
  for (const char* bits : {"32", "64"}) {
    std::string runtime = DefaultRuntimePath(ParseTarget(std::string("windows") + bits));
    if (!FileExists(runtime)) continue;
    built++;
    ProcessResult run = RunTool({"convert", VOQ_BINARY_DIR "/samples/quill.scr", "--target",
                                 std::string("windows") + bits, "--output", Path("w.scr")});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    Bytes saver = ReadWholeFile(Path("w.scr"), "saver");
    EXPECT_EQ(saver, ReadWholeFile(VOQ_BINARY_DIR "/samples/win" + std::string(bits) + "/quill.scr", "sample"))
        << "the same as the saver built for that runtime";
  }
  if (built == 0) GTEST_SKIP() << "no Windows runtime built";
}

TEST_F(ConvertCommand, Refusals) {
  Bytes big(57345, 0);
  big[0] = 0x7f, big[1] = 'E', big[2] = 'L', big[3] = 'F';
  WriteBytes(Path("big"), big);
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{"convert", Path("other.scr"), "--output", Path("x.scr")}, "convert needs --target linux|windows32|windows64"},
      {{"convert", Path("other.scr"), "--target", "linux"}, "convert needs --output SAVER"},
      {{"convert", Path("other.scr"), "--target", "dos", "--output", Path("x.scr")}, "--target dos: choose"},
      {{"convert", Path("picture.gif"), "--target", "linux", "--output", Path("x.scr")},
       Path("picture.gif") + " would be refused: header: "},
      {{"convert", Path("none.scr"), "--target", "linux", "--output", Path("x.scr")}, "cannot read saver"},
      {{"convert", Path("other.scr"), "--runtime", Path("big"), "--output", Path("x.scr")},
       "runtime " + Path("big") + " is 57345 bytes, over the 57344-byte budget"},
      {{"convert", Path("other.scr"), "--target", "linux", "--output", Path("no/x.scr")},
       "folder " + Path("no") + " does not exist"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    ExpectRefusal(folder_.Path(), c.arguments, c.message);
  }
}

}  // namespace
