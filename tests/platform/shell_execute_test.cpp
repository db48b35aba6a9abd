// ShellExecuteA starts the desktop's opener without waiting for it and
// without leaving a child behind.
#include <windows.h>
#undef fopen

#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/lib/temporary.h"

namespace {

namespace fs = std::filesystem;

class ShellExecute : public TempDirectoryTest {
 protected:
  void SetUp() override {
    TempDirectoryTest::SetUp();
    savedPath = getenv("PATH") != nullptr ? getenv("PATH") : "";
  }

  void TearDown() override {
    setenv("PATH", savedPath.c_str(), 1);
    TempDirectoryTest::TearDown();
  }

  // An opener that sleeps, then records its arguments, so that a caller that
  // waited for it would be caught.
  void InstallOpener(int sleepSeconds) {
    fs::path opener = directory / "xdg-open";
    std::ofstream(opener) << "#!/bin/sh\nsleep " << sleepSeconds << "\nprintf '%s\\n' \"$@\" > '"
                          << (directory / "opened.tmp").string() << "'\nmv '"
                          << (directory / "opened.tmp").string() << "' '"
                          << (directory / "opened").string() << "'\n";
    fs::permissions(opener, fs::perms::owner_all);
    setenv("PATH", (directory.string() + ":" + savedPath).c_str(), 1);
  }

  std::string WaitForOpened(int seconds) {
    fs::path opened = directory / "opened";
    for (int i = 0; i < seconds * 20 && !fs::exists(opened); i++)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(opened);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string savedPath;
};

TEST_F(ShellExecute, OpensTheAddressWithoutWaitingOrLeavingAChild) {
  InstallOpener(2);
  HINSTANCE result = ShellExecuteA(NULL, "open", "http://www.example.test/link", NULL, NULL,
                                   SW_SHOWNORMAL);
  EXPECT_GT((intptr_t)result, 32);
  EXPECT_FALSE(fs::exists(directory / "opened")) << "the opener had already finished";
  EXPECT_EQ(WaitForOpened(20), "http://www.example.test/link\n");
  errno = 0;
  EXPECT_EQ(waitpid(-1, NULL, WNOHANG), -1) << "a child of ours is left";
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(ShellExecute, EachCallOpensAgain) {
  InstallOpener(0);
  for (int i = 0; i < 2; i++) {
    fs::remove(directory / "opened");
    EXPECT_GT((intptr_t)ShellExecuteA(NULL, "open", "http://a.test/link", NULL, NULL, 1), 32);
    EXPECT_EQ(WaitForOpened(20), "http://a.test/link\n") << "call " << i;
  }
}

TEST_F(ShellExecute, FailsWithoutAnOpenerOrForOtherVerbs) {
  setenv("PATH", directory.string().c_str(), 1);
  EXPECT_LE((intptr_t)ShellExecuteA(NULL, "open", "http://a.test/", NULL, NULL, 1), 32);
  InstallOpener(0);
  EXPECT_LE((intptr_t)ShellExecuteA(NULL, "print", "http://a.test/", NULL, NULL, 1), 32);
  EXPECT_LE((intptr_t)ShellExecuteA(NULL, "open", "", NULL, NULL, 1), 32);
  EXPECT_LE((intptr_t)ShellExecuteA(NULL, "open", NULL, NULL, NULL, 1), 32);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(directory / "opened"));
}

}  // namespace
