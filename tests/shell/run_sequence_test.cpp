// The run sequence of saver mode and the other modes' dispatch, with every
// window, display and scene operation replaced by a recorder.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "data/saver_data.h"
#include "display/display.h"
#include "image/palette.h"
#include "scene/scene.h"
#include "shell/about.h"
#include "shell/entry.h"
#include "shell/window.h"
#include "tests/lib/temporary.h"

namespace {

std::vector<std::string> calls;
std::deque<MSG> queue;
bool windowCreates = true;
int initDisplayResult = kDisplayOk;
int framesBeforeQuit = 3;
int framesDrawn = 0;
int firstFrameFlagAtFirstDraw = -1;
HWND const kWindow = (HWND)0x5A;

void Record(const std::string& call) { calls.push_back(call); }

}  // namespace

// Module state the run sequence reads.
HWND saverWindow;
WPARAM saverActive;
RECT windowRect;
LPDIRECTDRAWSURFACE lpDDSBack = (LPDIRECTDRAWSURFACE)0xB0;
LPDIRECTDRAWSURFACE lpDDSPrimary = (LPDIRECTDRAWSURFACE)0xA0;
int backgroundIndex;

int CreateSaverWindow(HINSTANCE, int fullScreen) {
  Record("CreateSaverWindow " + std::to_string(fullScreen));
  if (!windowCreates) return 0;
  saverWindow = kWindow;
  return 1;
}
int InitDisplay(HWND window, uint16_t width, uint16_t height, uint16_t bits, DWORD flags) {
  char text[96];
  snprintf(text, sizeof text, "InitDisplay %s %u %u %u %u", window == kWindow ? "window" : "?", width,
           height, bits, (unsigned)flags);
  Record(text);
  return initDisplayResult;
}
int ColorFill(LPDIRECTDRAWSURFACE surface, DWORD index) {
  Record(std::string("ColorFill ") + (surface == lpDDSBack ? "back " : "primary ") +
         std::to_string(index));
  return kDisplayOk;
}
int ReleaseDisplay(void) {
  Record("ReleaseDisplay");
  return kDisplayOk;
}
int SetupScene(void) {
  Record(std::string("SetupScene ") + (dataPath != NULL ? dataPath : "(no data path)"));
  return 1;
}
void DrawFrame(void) {
  if (framesDrawn == 0) firstFrameFlagAtFirstDraw = firstFrameDrawn;
  if (++framesDrawn == framesBeforeQuit) {
    // What WM_CLOSE ends in: the quit request.
    MSG quit = {};
    quit.message = WM_QUIT;
    queue.push_back(quit);
  }
}
void ShowAboutBox(HINSTANCE) { Record("ShowAboutBox"); }
void ChangePassword(HWND parent) { Record("ChangePassword " + std::to_string((uintptr_t)parent)); }

extern "C" {
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  Record(std::string("MessageBox \"") + text + "\" \"" + caption + "\"" +
         (owner == NULL && type == MB_OK ? "" : " (owner or type set)"));
  return IDOK;
}
BOOL WINAPI DestroyWindow(HWND window) {
  Record(window == kWindow ? "DestroyWindow" : "DestroyWindow ?");
  return TRUE;
}
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC proc) {
  Record("SetTimer " + std::to_string(id) + " " + std::to_string(period) +
         (window == kWindow && proc == NULL ? "" : " ?"));
  return 1;
}
HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  Record(cursor == NULL ? "SetCursor none" : "SetCursor ?");
  return NULL;
}
BOOL WINAPI PeekMessageA(LPMSG msg, HWND, UINT, UINT, UINT remove) {
  if (queue.empty()) return FALSE;
  *msg = queue.front();
  if (remove == PM_REMOVE) queue.pop_front();
  return TRUE;
}
BOOL WINAPI GetMessageA(LPMSG msg, HWND, UINT, UINT) {
  *msg = queue.front();
  queue.pop_front();
  return msg->message != WM_QUIT;
}
BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }
LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  Record("Dispatch " + std::to_string(msg->message));
  if (msg->message == WM_ACTIVATE) saverActive = msg->wParam;
  return 0;
}
BOOL WINAPI WaitMessage(void) {
  Record("WaitMessage");
  // The window's activation is what a waiting saver gets first.
  MSG activate = {};
  activate.hwnd = kWindow;
  activate.message = WM_ACTIVATE;
  activate.wParam = WA_ACTIVE;
  queue.push_back(activate);
  return TRUE;
}
void WINAPI PostQuitMessage(int code) { Record("PostQuitMessage " + std::to_string(code)); }
}

namespace {

// A saver file: zeros up to the data block, then a header with our magic.
std::unique_ptr<TemporaryFile> MakeSaver(const char* magic, size_t headerBytes = kSaverHeaderSize) {
  std::vector<unsigned char> bytes(kDataBlockOffset + kSaverHeaderSize, 0);
  memcpy(bytes.data() + kDataBlockOffset, magic, kSaverMagicLength);
  bytes[kDataBlockOffset + kHeaderObjectCountAt] = 9;
  bytes.resize(kDataBlockOffset + headerBytes);
  return std::make_unique<TemporaryFile>(bytes, "voq-run");
}

class RunSequence : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    queue.clear();
    windowCreates = true;
    initDisplayResult = kDisplayOk;
    framesBeforeQuit = 3;
    framesDrawn = 0;
    firstFrameFlagAtFirstDraw = -1;
    saverWindow = NULL;
    saverActive = 0;
    firstFrameDrawn = 0;
    backgroundIndex = 0;
    saverFile = MakeSaver(kSaverMagic);
    saver = saverFile->path();
  }

  int Run(const std::string& commandLine, const char* args) {
    return RunProgram((HINSTANCE)1, commandLine.c_str(), args);
  }
  std::string Quoted(const char* sw) { return "\"" + saver + "\" " + sw; }

  std::unique_ptr<TemporaryFile> saverFile;
  std::string saver;
};

TEST_F(RunSequence, SaverModeCallsEveryStepInOrder) {
  EXPECT_EQ(Run(Quoted("/s"), "/s"), 0);
  std::vector<std::string> expected = {
      "CreateSaverWindow 1",
      "InitDisplay window 640 480 8 1",
      "ColorFill back 0",
      "ColorFill primary 0",
      "SetupScene " + saver,
      "SetTimer 0 100",
      "SetCursor none",
      "WaitMessage",
      "Dispatch 6",
      "ReleaseDisplay",
  };
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(framesDrawn, 3);
  EXPECT_EQ(firstFrameFlagAtFirstDraw, 0);
  EXPECT_EQ(firstFrameDrawn, 1);
  EXPECT_EQ(saverHeader.objectCount, 9);
}

TEST_F(RunSequence, UnquotedCommandLineOpensThePathWithItsTrailingBlank) {
  EXPECT_EQ(Run(saver + " /s", "/s"), 0);
  ASSERT_GE(calls.size(), 5u);
  EXPECT_EQ(calls[0], "CreateSaverWindow 1");
  EXPECT_EQ(calls[4], "SetupScene " + saver + " ");
}

TEST_F(RunSequence, WindowedModeUsesNoFullScreenFlags) {
  EXPECT_EQ(Run(Quoted("ws"), "ws"), 0);
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0], "CreateSaverWindow 0");
  EXPECT_EQ(calls[1], "InitDisplay window 640 480 8 0");
}

TEST_F(RunSequence, MissingFileShowsBothMessagesInOrder) {
  EXPECT_EQ(Run("\"/nonexistent/voq/saver.scr\" /s", "/s"), 0);
  std::vector<std::string> expected = {
      "MessageBox \"error opening file\" \"\"",
      "MessageBox \"corrupt header\" \"\"",
  };
  EXPECT_EQ(calls, expected);
}

TEST_F(RunSequence, WrongMagicShowsCorruptHeaderOnly) {
  auto wrong = MakeSaver("QUILLOVARNENTHODEX");
  EXPECT_EQ(Run("\"" + std::string(wrong->path()) + "\" /s", "/s"), 0);
  std::vector<std::string> expected = {"MessageBox \"corrupt header\" \"\""};
  EXPECT_EQ(calls, expected);
}

TEST_F(RunSequence, HeaderCutShortIsCorrupt) {
  auto cut = MakeSaver(kSaverMagic, 200);
  EXPECT_EQ(Run("\"" + std::string(cut->path()) + "\" /s", "/s"), 0);
  std::vector<std::string> expected = {"MessageBox \"corrupt header\" \"\""};
  EXPECT_EQ(calls, expected);
}

TEST_F(RunSequence, NoWindowEndsQuietly) {
  windowCreates = false;
  EXPECT_EQ(Run(Quoted("/s"), "/s"), 0);
  std::vector<std::string> expected = {"CreateSaverWindow 1"};
  EXPECT_EQ(calls, expected);
}

TEST_F(RunSequence, FailedDisplayDestroysTheWindowAndEnds) {
  initDisplayResult = kDisplayRefused;
  EXPECT_EQ(Run(Quoted("/s"), "/s"), 0);
  std::vector<std::string> expected = {"CreateSaverWindow 1", "InitDisplay window 640 480 8 1",
                                       "DestroyWindow"};
  EXPECT_EQ(calls, expected);
}

TEST_F(RunSequence, OtherModesEndWithoutAWindow) {
  struct Case {
    const char* args;
    std::vector<std::string> calls;
  } cases[] = {
      {"/p 99", {"PostQuitMessage 0"}},
      {"/c", {"ShowAboutBox", "PostQuitMessage 0"}},
      {"", {"ShowAboutBox", "PostQuitMessage 0"}},
      {"w", {"ShowAboutBox", "PostQuitMessage 0"}},
      {"/a 1234", {"ChangePassword 1234", "PostQuitMessage 0"}},
      {"/a:1234", {"ChangePassword 1234", "PostQuitMessage 0"}},
      {"/a", {"ChangePassword 0", "PostQuitMessage 0"}},
  };
  for (const Case& c : cases) {
    calls.clear();
    EXPECT_EQ(Run(Quoted(c.args), c.args), 0) << c.args;
    EXPECT_EQ(calls, c.calls) << "args \"" << c.args << "\"";
  }
}

}  // namespace
