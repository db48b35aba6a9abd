// The message queue and window semantics, message by message, headless.
#include <chrono>
#include <thread>

#include "command_line.h"
#include "test_support.h"

namespace {

using Clock = std::chrono::steady_clock;
using Messages = PlatformTest;

const UINT kCustom = 0x0400;
const UINT kActivation[] = {WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS,
                            WM_KILLFOCUS};

long MillisecondsSince(Clock::time_point start) {
  return (long)std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST_F(Messages, ShownWindowIsActivatedInOrderBeforeCreationReturns) {
  ASSERT_NE(Create(), nullptr);
  std::vector<Recorded> expected = {{window, WM_ACTIVATEAPP, 1, 0},
                                    {window, WM_NCACTIVATE, 1, 0},
                                    {window, WM_ACTIVATE, WA_ACTIVE, 0},
                                    {window, WM_SETFOCUS, 0, 0}};
  EXPECT_EQ(Only(log, {std::begin(kActivation), std::end(kActivation)}), expected);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front().message, (UINT)WM_CREATE);
}

TEST_F(Messages, HiddenWindowIsNotActivated) {
  ASSERT_NE(Create(WS_POPUP), nullptr);
  EXPECT_TRUE(Only(log, {std::begin(kActivation), std::end(kActivation)}).empty());
}

TEST_F(Messages, ClassesAreFoundWithoutRegardToCase) {
  WNDCLASSA again = {};
  again.lpfnWndProc = Record;
  again.lpszClassName = "Record";
  EXPECT_EQ(RegisterClassA(&again), 0) << "a class registered twice";
  window = CreateWindowExA(0, "record", "", WS_POPUP, 0, 0, 640, 480, NULL, NULL, NULL, NULL);
  EXPECT_NE(window, nullptr);
  EXPECT_EQ(CreateWindowExA(0, "NOSUCHCLASS", "", WS_POPUP, 0, 0, 640, 480, NULL, NULL, NULL, NULL),
            nullptr);
}

TEST_F(Messages, DestroyWindowDeactivatesSendsDestroyAndKillsTheHandle) {
  HWND dead = Create();
  log.clear();
  EXPECT_TRUE(DestroyWindow(dead));
  window = NULL;
  std::vector<Recorded> expected = {
      {dead, WM_NCACTIVATE, 0, 0}, {dead, WM_ACTIVATE, WA_INACTIVE, 0},
      {dead, WM_ACTIVATEAPP, 0, 0}, {dead, WM_KILLFOCUS, 0, 0},
      {dead, WM_DESTROY, 0, 0}};
  EXPECT_EQ(log, expected);

  log.clear();
  RECT rect;
  POINT point = {1, 2};
  EXPECT_FALSE(DestroyWindow(dead));
  EXPECT_FALSE(GetClientRect(dead, &rect));
  EXPECT_FALSE(ClientToScreen(dead, &point));
  EXPECT_EQ(SetTimer(dead, 1, 10, NULL), 0u);
  MSG msg = {dead, kCustom, 0, 0, 0, {0, 0}};
  EXPECT_EQ(DispatchMessageA(&msg), 0);
  EXPECT_TRUE(log.empty()) << "a dead window's procedure was called";
}

TEST_F(Messages, PostToDestroyedWindowFailsAndDeliversNothing) {
  HWND dead = Create();
  ASSERT_TRUE(PostMessageA(dead, kCustom, 1, 2));
  ASSERT_TRUE(PostMessageA(NULL, kCustom + 1, 3, 4));
  DestroyWindow(dead);
  window = NULL;
  log.clear();
  EXPECT_FALSE(PostMessageA(dead, kCustom, 5, 6));
  std::vector<Recorded> expected = {{NULL, kCustom + 1, 3, 4}};
  EXPECT_EQ(Pump(), expected) << "only the thread message survives the window";
  EXPECT_TRUE(log.empty());

  ASSERT_NE(Create(), nullptr);
  EXPECT_NE(window, dead) << "a handle was given out twice";
  EXPECT_FALSE(PostMessageA(dead, kCustom, 7, 8));
}

TEST_F(Messages, CloseThroughDefaultHandlingDestroysTheWindow) {
  HWND closing = Create();
  log.clear();
  ASSERT_TRUE(PostMessageA(closing, WM_CLOSE, 0, 0));
  Pump();
  window = NULL;
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log.front(), (Recorded{closing, WM_CLOSE, 0, 0}));
  EXPECT_EQ(log.back(), (Recorded{closing, WM_DESTROY, 0, 0}));
  EXPECT_FALSE(PostMessageA(closing, kCustom, 0, 0));
}

TEST_F(Messages, SysCommandCloseSendsCloseAtOnce) {
  struct Case {
    WPARAM command;
    bool closes;
  } cases[] = {{SC_CLOSE, true}, {SC_CLOSE | 0x3, true}, {SC_KEYMENU, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    HWND target = Create();
    log.clear();
    EXPECT_EQ(DefWindowProcA(target, WM_SYSCOMMAND, c.command, 0), 0);
    EXPECT_EQ(!log.empty() && log.front().message == WM_CLOSE, c.closes);
    EXPECT_EQ(PostMessageA(target, kCustom, 0, 0) == FALSE, c.closes);
    if (!c.closes) DestroyWindow(target);
    window = NULL;
    Pump();
  }
}

TEST_F(Messages, AltF4PostsSysCommandClose) {
  HWND target = Create();
  log.clear();
  EXPECT_EQ(DefWindowProcA(target, WM_SYSKEYDOWN, VK_F4, 0x203E0001), 0);
  EXPECT_TRUE(log.empty()) << "posted, not sent";
  std::vector<Recorded> retrieved = Pump();
  window = NULL;
  ASSERT_FALSE(retrieved.empty());
  EXPECT_EQ(retrieved.front(), (Recorded{target, WM_SYSCOMMAND, SC_CLOSE, 0}));
  EXPECT_EQ(log.back(), (Recorded{target, WM_DESTROY, 0, 0}));
}

TEST_F(Messages, F4WithoutAltAndOtherSystemKeysDoNothing) {
  HWND target = Create();
  log.clear();
  DefWindowProcA(target, WM_SYSKEYDOWN, VK_F4, 0x003E0001);
  DefWindowProcA(target, WM_SYSKEYDOWN, 'B', 0x20300001);
  DefWindowProcA(target, WM_KEYDOWN, VK_F4, 0x003E0001);
  EXPECT_TRUE(Pump().empty());
  EXPECT_TRUE(log.empty());
}

TEST_F(Messages, AltCharacterBecomesKeyMenuCommand) {
  HWND target = Create();
  log.clear();
  DefWindowProcA(target, WM_SYSCHAR, 'b', 0x20300001);
  std::vector<Recorded> expected = {{target, WM_SYSCOMMAND, SC_KEYMENU, 'b'}};
  EXPECT_EQ(log, expected);
  log.clear();
  DefWindowProcA(target, WM_SYSCHAR, 'b', 0x00300001);
  EXPECT_TRUE(log.empty()) << "a system character without Alt";
}

TEST_F(Messages, DefaultHandlingOfOtherMessagesIsZeroAndInert) {
  HWND target = Create();
  log.clear();
  const UINT others[] = {WM_ACTIVATE, WM_SETCURSOR, WM_TIMER, WM_KEYDOWN, WM_SYSKEYUP,
                         WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_DESTROY, kCustom};
  for (UINT message : others) EXPECT_EQ(DefWindowProcA(target, message, 1, 1), 0) << message;
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(Pump().empty());
  EXPECT_TRUE(PostMessageA(target, kCustom, 0, 0)) << "the window died";
}

TEST_F(Messages, QuitComesAfterPostedMessagesAndEndsGetMessage) {
  PostMessageA(NULL, kCustom, 1, 0);
  PostQuitMessage(7);
  PostMessageA(NULL, kCustom + 1, 2, 0);
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, NULL, 0, 0), TRUE);
  EXPECT_EQ(msg.message, kCustom);
  ASSERT_EQ(GetMessageA(&msg, NULL, 0, 0), TRUE);
  EXPECT_EQ(msg.message, kCustom + 1);
  ASSERT_TRUE(PeekMessageA(&msg, NULL, kCustom, kCustom, PM_NOREMOVE)) << "quit passes filters";
  EXPECT_EQ(msg.message, (UINT)WM_QUIT);
  EXPECT_EQ(GetMessageA(&msg, NULL, 0, 0), FALSE);
  EXPECT_EQ(msg.message, (UINT)WM_QUIT);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) << "quit delivered twice";
}

TEST_F(Messages, PeekWithoutRemovingLeavesTheMessageAndFiltersSelect) {
  HWND target = Create();
  Pump();
  PostMessageA(target, kCustom, 1, 0);
  PostMessageA(target, kCustom + 0x100, 2, 0);
  MSG msg;
  for (int i = 0; i < 2; i++) {
    ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, kCustom);
  }
  ASSERT_TRUE(PeekMessageA(&msg, target, kCustom + 0x100, kCustom + 0x100, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 2u);
  EXPECT_FALSE(PeekMessageA(&msg, (HWND)0x1234, 0, 0, PM_REMOVE)) << "another window's message";
  ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_EQ(msg.hwnd, target);
  EXPECT_FALSE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageA(&msg, (HWND)0x1234, 0, 0), -1) << "filter by a window that is not";
}

TEST_F(Messages, PostedMessagesComeBeforeInput) {
  HWND target = Create();
  Pump();
  PushKey(SDL_SCANCODE_A, 'a', 0, true);
  PostMessageA(target, kCustom, 0, 0);
  std::vector<Recorded> retrieved = Pump();
  ASSERT_GE(retrieved.size(), 2u);
  EXPECT_EQ(retrieved[0].message, kCustom);
  EXPECT_EQ(retrieved[1].message, (UINT)WM_KEYDOWN);
}

TEST_F(Messages, OnlyOneWindowAtATime) {
  ASSERT_NE(Create(), nullptr);
  EXPECT_EQ(CreateWindowExA(0, "RECORD", "", WS_POPUP, 0, 0, 640, 480, NULL, NULL, NULL, NULL),
            nullptr);
}

TEST_F(Messages, TimerFiresAtItsPeriodWhenPolled) {
  const UINT period = 50;
  HWND target = Create();
  Pump();
  EXPECT_NE(SetTimer(target, 5, period, NULL), 0u);
  Clock::time_point last = Clock::now();
  Clock::time_point start = last;
  MSG msg;
  for (int ticks = 0; ticks < 3;) {
    ASSERT_EQ(GetMessageA(&msg, NULL, 0, 0), TRUE);
    if (msg.message != WM_TIMER) continue;
    long gap = MillisecondsSince(last);
    last = Clock::now();
    EXPECT_EQ(msg.hwnd, target);
    EXPECT_EQ(msg.wParam, 5u);
    EXPECT_EQ(msg.lParam, 0);
    // A tick is never early; the upper bound only catches a timer that is
    // far off its period.
    EXPECT_GE(gap, (long)period - 2) << "tick " << ticks;
    ticks++;
  }
  EXPECT_LT(MillisecondsSince(start), 3000);
}

TEST_F(Messages, TimerRestartsOnlyWhenItsMessageIsRemoved) {
  HWND target = Create();
  Pump();
  SetTimer(target, 1, 20, NULL);
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, (UINT)WM_TIMER);
  ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, (UINT)WM_TIMER);
  ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, (UINT)WM_TIMER);
  EXPECT_FALSE(PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE));
}

TEST_F(Messages, WaitMessageReturnsWhenATimerIsDue) {
  HWND target = Create();
  Pump();
  SetTimer(target, 3, 30, NULL);
  Clock::time_point start = Clock::now();
  EXPECT_TRUE(WaitMessage());
  EXPECT_GE(MillisecondsSince(start), 28);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, (UINT)WM_TIMER);
}

HWND tickWindow;
UINT_PTR tickId;
int ticks;
void CALLBACK Tick(HWND window, UINT message, UINT_PTR id, DWORD) {
  tickWindow = window;
  tickId = id;
  ticks += message == WM_TIMER;
}

TEST_F(Messages, TimerProcedureIsCalledByDispatch) {
  HWND target = Create();
  Pump();
  SetTimer(target, 9, 10, Tick);
  log.clear();
  ticks = 0;
  MSG msg;
  do {
    ASSERT_EQ(GetMessageA(&msg, NULL, 0, 0), TRUE);
    DispatchMessageA(&msg);
  } while (msg.message != WM_TIMER);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(tickWindow, target);
  EXPECT_EQ(tickId, 9u);
  EXPECT_TRUE(Only(log, {WM_TIMER}).empty()) << "the window procedure got the timer";
}

TEST_F(Messages, DestroyingTheWindowStopsItsTimers) {
  HWND target = Create();
  SetTimer(target, 1, 10, NULL);
  DestroyWindow(target);
  window = NULL;
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
}

TEST_F(Messages, WindowGeometry) {
  struct Case {
    DWORD style;
    BOOL menu;
    RECT expected;
  } cases[] = {
      {WS_POPUP | WS_VISIBLE, FALSE, {0, 0, 640, 480}},
      {WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, FALSE,
       {-4, -23, 644, 484}},
      {WS_CAPTION, FALSE, {-3, -22, 643, 483}},
      {WS_CAPTION | WS_THICKFRAME, TRUE, {-4, -42, 644, 484}},
  };
  for (const Case& c : cases) {
    RECT rect = {0, 0, 640, 480};
    ASSERT_TRUE(AdjustWindowRectEx(&rect, c.style, c.menu, 0));
    EXPECT_EQ(rect.left, c.expected.left) << std::hex << c.style;
    EXPECT_EQ(rect.top, c.expected.top) << std::hex << c.style;
    EXPECT_EQ(rect.right, c.expected.right) << std::hex << c.style;
    EXPECT_EQ(rect.bottom, c.expected.bottom) << std::hex << c.style;
  }

  HWND target = Create(WS_VISIBLE | WS_CAPTION | WS_SYSMENU);
  RECT client;
  ASSERT_TRUE(GetClientRect(target, &client));
  EXPECT_EQ(client.left, 0);
  EXPECT_EQ(client.top, 0);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  POINT point = {12, 34};
  ASSERT_TRUE(ClientToScreen(target, &point));
  EXPECT_EQ(point.x, 12);
  EXPECT_EQ(point.y, 34);
  int width = 0, height = 0;
  SDL_GetWindowSize(platformWindow.sdl, &width, &height);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
}

TEST_F(Messages, SetCursorWithoutACursorHidesIt) {
  ASSERT_NE(Create(), nullptr);
  HCURSOR arrow = (HCURSOR)0x1234;
  SetCursor(arrow);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
  EXPECT_EQ(SetCursor(NULL), arrow);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  EXPECT_EQ(SetCursor(arrow), nullptr);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

TEST_F(Messages, ShutdownEndsTheWindowQuietlyAndSdlCanStartAgain) {
  HWND ended = Create();
  PostMessageA(ended, kCustom, 0, 0);
  log.clear();
  PlatformShutdown();
  window = NULL;
  EXPECT_TRUE(log.empty()) << "messages sent while shutting down";
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  EXPECT_FALSE(PostMessageA(ended, kCustom, 0, 0));
  EXPECT_TRUE(Pump().empty());

  ASSERT_NE(Create(), nullptr);
  EXPECT_NE(platformWindow.sdl, nullptr);
  PushKey(SDL_SCANCODE_A, 'a', 0, true);
  EXPECT_EQ(Only(Pump(), {WM_KEYDOWN}).size(), 1u) << "no input after a restart";
}

}  // namespace
