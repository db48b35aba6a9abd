// voq-make install / uninstall through the real tool, with HOME and
// XDG_DATA_HOME in a scratch folder: a user's settings lose nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "test_support.h"

namespace {

class InstallCommand : public testing::Test {
 protected:
  void SetUp() override {
    if (!SaversRun()) GTEST_SKIP() << "a sanitizer build's runtime cannot carry a block";
    if (access("/usr/bin/xscreensaver", X_OK) != 0) GTEST_SKIP() << "XScreenSaver is not installed";
  }
  std::string Home() const { return folder_.Path(); }
  std::string Config() const { return Home() + "/.xscreensaver"; }
  ProcessResult Run(const std::vector<std::string>& arguments, const std::string& data,
                    const std::string& path = std::getenv("PATH")) {
    std::vector<std::string> argv = {VOQ_MAKE_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunProcess(argv, {{"HOME", Home()}, {"XDG_DATA_HOME", data}, {"PATH", path}}, 60);
  }
  TemporaryFolder folder_;
};

const std::string kGear = VOQ_BINARY_DIR "/samples/gear.scr";
const std::string kQuill = VOQ_BINARY_DIR "/samples/quill.scr";

std::string Text(const std::string& path) {
  Bytes bytes = ReadWholeFile(path, "file");
  return std::string(bytes.begin(), bytes.end());
}

int Mode(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? (int)(info.st_mode & 07777) : -1;
}

// The lines of after that are not in before, when before is after minus them.
std::vector<std::string> AddedLines(const std::string& before, const std::string& after) {
  size_t head = 0;
  while (head < before.size() && before[head] == after[head]) head++;
  head = before.rfind('\n', head - 1) + 1;
  size_t added = after.size() - before.size();
  EXPECT_EQ(after.substr(0, head) + after.substr(head + added), before);
  std::vector<std::string> lines;
  for (size_t at = head; at < head + added;) {
    size_t end = after.find('\n', at);
    lines.push_back(after.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

TEST_F(InstallCommand, ASettingsFileKeepsEveryByteAndGetsOneEntry) {
  Bytes fixture = ReadWholeFile(VOQ_SOURCE_DIR "/tests/tools/data/xscreensaver-6.06", "fixture");
  WriteBytes(Config(), fixture);
  chmod(Config().c_str(), 0640);
  std::string original = Text(Config());
  std::string data = Home() + "/data";
  std::string copy = data + "/quillovarnenthodex/gear";

  ProcessResult run = Run({"install", kGear}, data);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(ReadWholeFile(copy, "copy"), ReadWholeFile(kGear, "saver"));
  EXPECT_EQ(Mode(copy) & 0100, 0100);
  EXPECT_EQ(Mode(Config()), 0640);
  std::string installed = Text(Config());
  std::vector<std::string> lines = AddedLines(original, installed);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("\"gear\""), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find(copy + " --root"), std::string::npos) << lines[0];
  EXPECT_EQ(FolderEntries(Home()), (std::set<std::string>{".xscreensaver", "data"}));

  // The same name again: the new saver, and its entry where the old one was.
  run = Run({"install", kQuill, "--name", "gear"}, data);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(ReadWholeFile(copy, "copy"), ReadWholeFile(kQuill, "saver"));
  EXPECT_EQ(Text(Config()), installed);

  run = Run({"uninstall", "gear"}, data);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(Text(Config()), original);
  EXPECT_EQ(Mode(Config()), 0640);
  EXPECT_EQ(FolderEntries(data), std::set<std::string>{});
}

TEST_F(InstallCommand, NoSettingsFileOrNoListIsMadeAndTakenBack) {
  // No file, no XDG_DATA_HOME: ~/.local/share, and a file holding only the list.
  ProcessResult run = Run({"install", kGear, "--name", "Gears-2"}, "");
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  std::string copy = Home() + "/.local/share/quillovarnenthodex/Gears-2";
  EXPECT_TRUE(FileExists(copy));
  EXPECT_EQ(AddedLines("", Text(Config())).front(), "programs:\t\\");
  run = Run({"uninstall", "Gears-2"}, "");
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_FALSE(FileExists(Config()));
  EXPECT_FALSE(FileExists(copy));

  // Settings without a list, behind a symbolic link as dotfile managers keep them.
  std::string settings = "# mine\ntimeout:\t0:05:00\nlock:\t\tTrue\nmode:\t\tone\nselected:\t2\n";
  mkdir((Home() + "/dotfiles").c_str(), 0755);
  WriteBytes(Home() + "/dotfiles/xscreensaver", Bytes(settings.begin(), settings.end()));
  ASSERT_EQ(symlink("dotfiles/xscreensaver", Config().c_str()), 0);
  run = Run({"install", kGear}, Home() + "/data");
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  char target[256] = {};
  EXPECT_GT(readlink(Config().c_str(), target, sizeof target - 1), 0) << "the link was replaced";
  EXPECT_EQ(Text(Config()).substr(0, settings.size()), settings);
  run = Run({"uninstall", "gear"}, Home() + "/data");
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(Text(Home() + "/dotfiles/xscreensaver"), settings);
}

TEST_F(InstallCommand, RefusesWithoutChangingAnything) {
  struct Case {
    std::vector<std::string> arguments;
    std::string path;
    std::string message;
    int exitCode;
  };
  const std::string path = std::getenv("PATH");
  for (const Case& refusal : std::vector<Case>{
           {{"install", kGear}, "/nowhere", "XScreenSaver is not installed", 1},
           {{"install", kGear, "--name", "../gear"}, path, "saver name \"../gear\"", 2},
           {{"install", Home() + "/none.scr"}, path, "cannot read saver", 1},
           {{"uninstall", "gear"}, path, "gear is not installed", 1}}) {
    SCOPED_TRACE(refusal.message);
    ProcessResult run = Run(refusal.arguments, Home() + "/data", refusal.path);
    EXPECT_EQ(run.exitCode, refusal.exitCode);
    EXPECT_EQ(run.errors.rfind("voq-make: error: ", 0), 0u) << run.errors;
    EXPECT_NE(run.errors.find(refusal.message), std::string::npos) << run.errors;
    EXPECT_EQ(FolderEntries(Home()), std::set<std::string>{});
  }
}

TEST_F(InstallCommand, InstalledToolTakesThePackagesRuntimesAndListsItsHackByName) {
  if (!FileExists(VOQ_BINARY_DIR "/CPackConfig.cmake")) GTEST_SKIP() << "this build makes no package";
  TemporaryFolder prefix;
  ProcessResult run = RunProcess({VOQ_CMAKE, "--install", VOQ_BINARY_DIR, "--prefix", prefix.Path()}, {}, 120);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  std::string tool = prefix.Path() + "/bin/voq-make";
  for (const char* target : {"linux", "windows32", "windows64"}) {
    run = RunProcess({tool, "build", "--picture", VOQ_SOURCE_DIR "/samples/quill.gif", "--output",
                      Home() + "/quill.scr", "--target", target}, {}, 60);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NE(run.output.find(std::string(target) + " runtime " + prefix.Path() + "/"), std::string::npos)
        << run.output;
  }
  unlink((Home() + "/quill.scr").c_str());

  // The packaged sample stays where XScreenSaver finds it: listed by name, not copied.
  std::string hack = prefix.Path() + "/" VOQ_INSTALLED_HACK;
  std::string name = FileNameOf(hack);
  run = RunProcess({tool, "install", hack}, {{"HOME", Home()}, {"XDG_DATA_HOME", ""}}, 60);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  std::vector<std::string> lines = AddedLines("", Text(Config()));
  ASSERT_EQ(lines.size(), 3u);  // the list, the entry, the blank line ending the list
  EXPECT_NE(lines[1].find("\t" + name + " --root"), std::string::npos) << lines[1];
  EXPECT_EQ(FolderEntries(Home()), std::set<std::string>{".xscreensaver"});
  run = RunProcess({tool, "uninstall", name}, {{"HOME", Home()}, {"XDG_DATA_HOME", ""}}, 60);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(FolderEntries(Home()), std::set<std::string>{});
}

}  // namespace
