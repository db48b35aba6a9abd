// The saver window, its procedure, the about box and the password change,
// message by message against recorded USER calls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_user.h"
#include "resources/about.h"
#include "shell/about.h"
#include "shell/entry.h"
#include "shell/window.h"

// The run sequence's flag; this test plays the main loop.
int firstFrameDrawn;

namespace {

const HWND kSaver = (HWND)0x77;
const HINSTANCE kInstance = (HINSTANCE)0x400000;

LPARAM At(int x, int y) { return (LPARAM)(int32_t)(((uint32_t)(uint16_t)y << 16) | (uint16_t)x); }

class ShellTest : public ::testing::Test {
 protected:
  FakeUser& user = TheFakeUser();
  void SetUp() override {
    ResetFakeUser();
    user.liveWindows.insert(kSaver);
    saverActive = 0;
    firstFrameDrawn = 0;
  }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SaverWndProc(kSaver, message, wParam, lParam);
  }
  // Makes (x, y) the reference point of the next move after the first frame.
  void MoveBeforeFirstFrameTo(int x, int y) {
    firstFrameDrawn = 0;
    Send(WM_MOUSEMOVE, 0, At(x, y));
    firstFrameDrawn = 1;
    user.calls.clear();
    user.queue.clear();
  }
  size_t ClosesPosted() const {
    size_t n = 0;
    for (const UserCall& call : user.Named("PostMessageA"))
      if (call.message == WM_CLOSE && call.window == kSaver && call.wParam == 0 && call.lParam == 0)
        n++;
    return n;
  }
};

TEST_F(ShellTest, MouseJumpOfMoreThanTenPixelsEndsTheSaver) {
  struct Move {
    int dx, dy;
    bool ends;
  };
  const Move moves[] = {{11, 0, true},   {-11, 0, true},  {0, 11, true},   {0, -11, true},
                        {10, 0, false},  {-10, 0, false}, {0, 10, false},  {0, -10, false},
                        {10, 10, false}, {-10, -10, false}, {10, -11, true}, {0, 0, false},
                        {300, 200, true}};
  for (const Move& m : moves) {
    MoveBeforeFirstFrameTo(320, 240);
    LRESULT result = Send(WM_MOUSEMOVE, 0, At(320 + m.dx, 240 + m.dy));
    EXPECT_EQ(m.ends ? 1u : 0u, ClosesPosted())
        << "move by (" << m.dx << ", " << m.dy << ") from (320, 240)";
    EXPECT_EQ(kDefaultResult, result);
    EXPECT_EQ(1u, user.Named("DefWindowProcA").size());
  }
}

TEST_F(ShellTest, SlowDriftNeverEndsTheSaver) {
  MoveBeforeFirstFrameTo(0, 0);
  for (int step = 1; step <= 40; step++) Send(WM_MOUSEMOVE, 0, At(step * 10, step * 10));
  EXPECT_EQ(0u, ClosesPosted()) << "each move was 10 pixels from the one before";
  Send(WM_MOUSEMOVE, 0, At(400, 411));
  EXPECT_EQ(1u, ClosesPosted());
}

TEST_F(ShellTest, MovementBeforeTheFirstFrameOnlySetsTheReferencePoint) {
  MoveBeforeFirstFrameTo(5, 5);
  firstFrameDrawn = 0;
  Send(WM_MOUSEMOVE, 0, At(600, 400));
  Send(WM_MOUSEMOVE, 0, At(10, 470));
  EXPECT_EQ(0u, ClosesPosted());
  firstFrameDrawn = 1;
  Send(WM_MOUSEMOVE, 0, At(20, 460));
  EXPECT_EQ(0u, ClosesPosted()) << "the reference is the last move before the first frame";
  Send(WM_MOUSEMOVE, 0, At(31, 460));
  EXPECT_EQ(1u, ClosesPosted());
}

TEST_F(ShellTest, PositionsAreUnsignedSixteenBitValues) {
  // A pointer one pixel left of the origin reads as x 65535: a jump.
  MoveBeforeFirstFrameTo(0, 100);
  Send(WM_MOUSEMOVE, 0, At(-1, 100));
  EXPECT_EQ(1u, ClosesPosted());
  // High positions differ by their own 16 bits only; the sign of lParam is no jump.
  MoveBeforeFirstFrameTo(65530, 65530);
  Send(WM_MOUSEMOVE, 0, At(65535, 65520));
  EXPECT_EQ(0u, ClosesPosted());
  Send(WM_MOUSEMOVE, 0, At(65535, 65509));
  EXPECT_EQ(1u, ClosesPosted());
}

TEST_F(ShellTest, ActivationSetsTheFlagToWParamAndNothingResetsIt) {
  for (UINT message : {(UINT)WM_ACTIVATE, (UINT)WM_ACTIVATEAPP, (UINT)WM_NCACTIVATE}) {
    saverActive = 0;
    EXPECT_EQ(kDefaultResult, Send(message, 0));
    EXPECT_EQ(0u, saverActive) << "message " << message << ": inactive stays inactive";
    Send(message, 0x10000);  // low 16 bits zero: not an activation
    EXPECT_EQ(0u, saverActive) << "message " << message;
    Send(message, WA_ACTIVE);
    EXPECT_EQ((WPARAM)WA_ACTIVE, saverActive) << "message " << message;
    Send(message, 0x20002);
    EXPECT_EQ((WPARAM)0x20002, saverActive) << "message " << message << ": the whole wParam";
    Send(message, WA_INACTIVE);
    EXPECT_EQ((WPARAM)0x20002, saverActive) << "message " << message << ": never reset";
  }
  EXPECT_EQ(0u, ClosesPosted());
}

TEST_F(ShellTest, KeysLeftClicksAndEverySystemCommandEndTheSaver) {
  struct Input {
    const char* what;
    UINT message;
    WPARAM wParam;
  };
  const Input inputs[] = {{"key press", WM_KEYDOWN, VK_SPACE},
                          {"Escape", WM_KEYDOWN, VK_ESCAPE},
                          {"left button down", WM_LBUTTONDOWN, 1},
                          {"left button up", WM_LBUTTONUP, 0},
                          {"close command", WM_SYSCOMMAND, SC_CLOSE},
                          {"menu key command", WM_SYSCOMMAND, SC_KEYMENU},
                          {"screen saver command", WM_SYSCOMMAND, 0xF140},
                          {"command 0", WM_SYSCOMMAND, 0}};
  for (const Input& in : inputs) {
    user.calls.clear();
    LRESULT result = Send(in.message, in.wParam, At(3, 4));
    EXPECT_EQ(1u, ClosesPosted()) << in.what;
    EXPECT_EQ(kDefaultResult, result) << in.what << ": default handling follows";
    ASSERT_EQ(2u, user.calls.size()) << in.what;
    EXPECT_EQ("PostMessageA", user.calls[0].name) << in.what;
    EXPECT_EQ("DefWindowProcA", user.calls[1].name) << in.what;
    EXPECT_EQ(in.message, user.calls[1].message) << in.what;
    EXPECT_EQ(in.wParam, user.calls[1].wParam) << in.what;
  }
}

TEST_F(ShellTest, RightClicksReleasesAndOtherInputDoNotEndTheSaver) {
  const UINT messages[] = {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_KEYUP,
                           WM_CHAR,        WM_SYSKEYDOWN, WM_SYSCHAR,    WM_TIMER,     WM_PAINT};
  for (UINT message : messages) {
    user.calls.clear();
    EXPECT_EQ(kDefaultResult, Send(message, 0x41, At(1, 1))) << "message " << message;
    EXPECT_EQ(0u, ClosesPosted()) << "message " << message;
    ASSERT_EQ(1u, user.calls.size()) << "message " << message;
    EXPECT_EQ("DefWindowProcA", user.calls[0].name);
  }
}

TEST_F(ShellTest, AltKeyReleaseIsSwallowed) {
  EXPECT_EQ(0, Send(WM_SYSKEYUP, VK_MENU, 0));
  EXPECT_TRUE(user.calls.empty()) << "no default handling, nothing posted";
}

TEST_F(ShellTest, SetCursorHidesThePointer) {
  EXPECT_EQ(kDefaultResult, Send(WM_SETCURSOR, (WPARAM)kSaver, 1));
  std::vector<std::string> want = {"SetCursor", "DefWindowProcA"};
  ASSERT_EQ(want, user.Names());
  EXPECT_EQ(nullptr, user.calls[0].pointer);
}

TEST_F(ShellTest, CloseDestroysTheWindowAndAsksToQuit) {
  EXPECT_EQ(kDefaultResult, Send(WM_CLOSE));
  std::vector<std::string> want = {"DestroyWindow", "PostQuitMessage", "DefWindowProcA"};
  ASSERT_EQ(want, user.Names());
  EXPECT_EQ(kSaver, user.calls[0].window);
  EXPECT_EQ(0, user.calls[1].x);
}

TEST_F(ShellTest, DismissalsAfterTheWindowIsGoneHaveNoFurtherEffect) {
  MoveBeforeFirstFrameTo(100, 100);
  Send(WM_KEYDOWN, VK_SPACE);
  Send(WM_LBUTTONDOWN, 1);
  ASSERT_EQ(2u, user.queue.size()) << "both inputs post WM_CLOSE while the window lives";
  MSG first = user.queue.front();
  user.queue.pop_front();
  Send(first.message, first.wParam, first.lParam);  // the main loop dispatches it
  EXPECT_EQ(1u, user.Named("PostQuitMessage").size());

  user.queue.clear();
  Send(WM_KEYDOWN, VK_SPACE);
  Send(WM_SYSCOMMAND, SC_CLOSE);
  Send(WM_MOUSEMOVE, 0, At(300, 300));
  EXPECT_TRUE(user.queue.empty()) << "posting to a destroyed window goes nowhere";
  EXPECT_EQ(1u, user.Named("DestroyWindow").size());
  EXPECT_EQ(1u, user.Named("PostQuitMessage").size());
}

TEST_F(ShellTest, FullScreenWindowIsATopMostPopupOverTheScreen) {
  user.liveWindows.clear();
  saverWindow = nullptr;
  windowRect = {0, 0, 640, 480};
  ASSERT_EQ(1, CreateSaverWindow(kInstance, 1));

  auto reg = user.Named("RegisterClassA");
  ASSERT_EQ(1u, reg.size());
  const WNDCLASSA& wc = reg[0].windowClass;
  EXPECT_EQ((UINT)(CS_HREDRAW | CS_VREDRAW), wc.style);
  EXPECT_EQ(&SaverWndProc, wc.lpfnWndProc);
  EXPECT_EQ(0, wc.cbClsExtra);
  EXPECT_EQ(0, wc.cbWndExtra);
  EXPECT_EQ(kInstance, wc.hInstance);
  EXPECT_EQ(nullptr, wc.hIcon);
  EXPECT_EQ(nullptr, wc.hCursor);
  EXPECT_EQ((HBRUSH)user.blackBrush, wc.hbrBackground);
  EXPECT_EQ(nullptr, wc.lpszMenuName);
  EXPECT_EQ("VOQ", reg[0].text);

  auto made = user.Named("CreateWindowExA");
  ASSERT_EQ(1u, made.size());
  const UserCall& c = made[0];
  EXPECT_EQ(0x8u, c.exStyle);
  EXPECT_EQ("VOQ", c.text);
  EXPECT_EQ("Quillovarnenthodex", c.text2);
  EXPECT_EQ(0x90000000u, c.style);
  EXPECT_EQ(0, c.x);
  EXPECT_EQ(0, c.y);
  EXPECT_EQ(640, c.width);
  EXPECT_EQ(480, c.height);
  EXPECT_EQ(nullptr, c.window);
  EXPECT_EQ(nullptr, c.pointer);
  EXPECT_EQ(kInstance, c.instance);
  EXPECT_EQ(nullptr, c.pointer2);
  EXPECT_EQ(user.createAnswer, saverWindow);
  EXPECT_TRUE(user.Named("AdjustWindowRectEx").empty());
  EXPECT_EQ(0, windowRect.left);
  EXPECT_EQ(0, windowRect.top);
  EXPECT_EQ(640, windowRect.right);
  EXPECT_EQ(480, windowRect.bottom);
}

TEST_F(ShellTest, WindowedWindowHasAFrameAndAnAdjustedRectangle) {
  windowRect = {0, 0, 640, 480};
  ASSERT_EQ(1, CreateSaverWindow(kInstance, 0));
  auto adjust = user.Named("AdjustWindowRectEx");
  ASSERT_EQ(1u, adjust.size());
  EXPECT_EQ(0, adjust[0].rect.left);
  EXPECT_EQ(0, adjust[0].rect.top);
  EXPECT_EQ(640, adjust[0].rect.right);
  EXPECT_EQ(480, adjust[0].rect.bottom);
  EXPECT_EQ(0x10CE0000u, adjust[0].style);
  EXPECT_EQ(0u, adjust[0].wParam) << "no menu";
  EXPECT_EQ(0u, adjust[0].exStyle);
  EXPECT_EQ(-8, windowRect.left);
  EXPECT_EQ(-31, windowRect.top);
  EXPECT_EQ(648, windowRect.right);
  EXPECT_EQ(488, windowRect.bottom);

  auto made = user.Named("CreateWindowExA");
  ASSERT_EQ(1u, made.size());
  EXPECT_EQ(0x10CE0000u, made[0].style);
  EXPECT_EQ(0x8u, made[0].exStyle);
  EXPECT_EQ(640, made[0].width) << "the adjusted rectangle does not size the window";
  EXPECT_EQ(480, made[0].height);
  EXPECT_EQ(0, made[0].x);
  EXPECT_EQ(0, made[0].y);
}

TEST_F(ShellTest, RegistrationOrCreationFailureIsReportedAsZero) {
  user.registerAnswer = 0;
  EXPECT_EQ(0, CreateSaverWindow(kInstance, 1));
  EXPECT_TRUE(user.Named("CreateWindowExA").empty());

  ResetFakeUser();
  user.createAnswer = nullptr;
  EXPECT_EQ(0, CreateSaverWindow(kInstance, 1));
  EXPECT_EQ(nullptr, saverWindow);
}

const HWND kDialog = (HWND)0xD1A;

TEST_F(ShellTest, VisitSiteOpensTheAddressEachTimeAndKeepsTheBoxOpen) {
  for (int press = 0; press < 3; press++)
    EXPECT_EQ(TRUE, AboutDlgProc(kDialog, WM_COMMAND, IDC_VISIT_SITE, 0));
  auto opened = user.Named("ShellExecuteA");
  ASSERT_EQ(3u, opened.size());
  for (const UserCall& call : opened) {
    EXPECT_EQ(kDialog, call.window);
    EXPECT_EQ("open", call.text);
    EXPECT_EQ(std::string("http://") + VOQ_SITE_HOST + "/link", call.text2);
    EXPECT_EQ(nullptr, call.pointer);
    EXPECT_EQ(nullptr, call.pointer2);
    EXPECT_EQ(SW_SHOWNORMAL, call.x);
  }
  EXPECT_TRUE(user.Named("EndDialog").empty());
}

TEST_F(ShellTest, OnlyOkClosesTheAboutBox) {
  EXPECT_EQ(TRUE, AboutDlgProc(kDialog, WM_COMMAND, IDOK, 0));
  auto ended = user.Named("EndDialog");
  ASSERT_EQ(1u, ended.size());
  EXPECT_EQ(kDialog, ended[0].window);
  EXPECT_EQ(1u, ended[0].wParam);

  user.calls.clear();
  struct Other {
    UINT message;
    WPARAM wParam;
  };
  for (Other o : {Other{WM_COMMAND, IDCANCEL}, Other{WM_COMMAND, 1001}, Other{WM_INITDIALOG, 0},
                  Other{WM_SYSCOMMAND, IDC_VISIT_SITE}, Other{WM_CLOSE, 0}}) {
    EXPECT_EQ(FALSE, AboutDlgProc(kDialog, o.message, o.wParam, 0))
        << "message " << o.message << ", wParam " << o.wParam;
  }
  EXPECT_TRUE(user.calls.empty());
}

TEST_F(ShellTest, AboutBoxIsDialog101WithoutOwner) {
  ShowAboutBox(kInstance);
  auto shown = user.Named("DialogBoxParamA");
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ(kInstance, shown[0].instance);
  EXPECT_EQ((const void*)(uintptr_t)101, shown[0].pointer);
  EXPECT_EQ(nullptr, shown[0].window);
  EXPECT_EQ(&AboutDlgProc, shown[0].dialogProc);
  EXPECT_EQ(0, shown[0].lParam);
}

DWORD WINAPI FakePwdChangePassword(LPCSTR provider, HWND parent, DWORD reserved1, DWORD reserved2) {
  UserCall call;
  call.name = "PwdChangePasswordA";
  call.text = provider != nullptr ? provider : "<null>";
  call.window = parent;
  call.x = (int)reserved1;
  call.y = (int)reserved2;
  TheFakeUser().calls.push_back(call);
  return 0;
}

TEST_F(ShellTest, PasswordChangeCallsTheProviderThenUnloadsIt) {
  const HMODULE library = (HMODULE)0x7100;
  for (HWND parent : {(HWND)1234, (HWND)nullptr}) {
    ResetFakeUser();
    user.library = library;
    user.export_ = (FARPROC)(void (*)(void))FakePwdChangePassword;
    ChangePassword(parent);
    std::vector<std::string> want = {"LoadLibraryA", "GetProcAddress", "PwdChangePasswordA",
                                     "FreeLibrary"};
    ASSERT_EQ(want, user.Names());
    EXPECT_EQ("MPR.DLL", user.calls[0].text);
    EXPECT_EQ(library, user.calls[1].instance);
    EXPECT_EQ("PwdChangePasswordA", user.calls[1].text);
    EXPECT_EQ("SCRSAVE", user.calls[2].text);
    EXPECT_EQ(parent, user.calls[2].window);
    EXPECT_EQ(0, user.calls[2].x);
    EXPECT_EQ(0, user.calls[2].y);
    EXPECT_EQ(library, user.calls[3].instance);
  }
}

TEST_F(ShellTest, PasswordChangeWithoutProviderEndsQuietly) {
  user.library = (HMODULE)0x7100;
  ChangePassword((HWND)5);
  std::vector<std::string> want = {"LoadLibraryA", "GetProcAddress", "FreeLibrary"};
  EXPECT_EQ(want, user.Names());

  ResetFakeUser();
  ChangePassword((HWND)5);
  want = {"LoadLibraryA"};
  EXPECT_EQ(want, user.Names()) << "no library: nothing to look up or unload";
}

}  // namespace
