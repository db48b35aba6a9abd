// Atomic outputs and bounded child processes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "files.h"
#include "test_support.h"
#include "tool_error.h"

namespace {

TEST(AtomicFile, NothingAppearsUntilCommitAndNothingStaysWithout) {
  TemporaryFolder folder;
  std::string path = folder.Path() + "/out.scr";
  {
    AtomicFile file(path, Bytes{1, 2, 3}, true);
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(FolderOf(file.TemporaryPath()), folder.Path()) << "renamed within one file system";
    EXPECT_EQ(ReadWholeFile(file.TemporaryPath(), "temporary"), (Bytes{1, 2, 3}));
  }
  EXPECT_TRUE(FolderEntries(folder.Path()).empty()) << "the uncommitted temporary file stayed";

  WriteBytes(path, {9});
  {
    AtomicFile file(path, Bytes{4, 5}, true);
    EXPECT_EQ(ReadWholeFile(path, "old"), (Bytes{9})) << "the old file stays until the commit";
    file.Commit();
  }
  EXPECT_EQ(ReadWholeFile(path, "new"), (Bytes{4, 5}));
  EXPECT_EQ(FolderEntries(folder.Path()), (std::set<std::string>{"out.scr"}));
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_NE(info.st_mode & S_IXUSR, 0u);

  WriteFileAtomically(folder.Path() + "/plain", Bytes{7}, false);
  ASSERT_EQ(stat((folder.Path() + "/plain").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & S_IXUSR, 0u);
}

TEST(AtomicFile, RefusesFoldersThatAreNotThere) {
  TemporaryFolder folder;
  EXPECT_THROW(CheckOutputPath(folder.Path() + "/none/out"), ToolError);
  EXPECT_THROW(CheckOutputPath(folder.Path()), ToolError);
  EXPECT_THROW(CheckOutputPath(""), ToolError);
  EXPECT_NO_THROW(CheckOutputPath(folder.Path() + "/new"));
}

TEST(RunProcess, CapturesBothStreamsAndTheExitCode) {
  ProcessResult run = RunProcess({"/bin/sh", "-c", "echo out; echo err >&2; echo $VOQ_TEST; exit 3"},
                                 {{"VOQ_TEST", "given"}}, 10);
  EXPECT_EQ(run.output, "out\ngiven\n");
  EXPECT_EQ(run.errors, "err\n");
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_FALSE(run.timedOut);
}

TEST(RunProcess, EndsAChildThatOverstays) {
  ProcessResult run = RunProcess({"/bin/sleep", "30"}, {}, 0.3);
  EXPECT_TRUE(run.timedOut);
  EXPECT_EQ(run.signal, SIGKILL);
}

TEST(FileNames, FoldersNamesAndExtensions) {
  EXPECT_EQ(FolderOf("a/b/c.scr"), "a/b");
  EXPECT_EQ(FolderOf("c.scr"), ".");
  EXPECT_EQ(FolderOf("/c.scr"), "/");
  EXPECT_EQ(FileNameOf("a/b/c.scr"), "c.scr");
  EXPECT_EQ(ExtensionOf("a.b/Show.GIF"), "gif");
  EXPECT_EQ(ExtensionOf("a.b/show"), "");
  EXPECT_EQ(ExtensionOf(".hidden"), "");
}

}  // namespace
