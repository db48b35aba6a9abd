// The saver window made by the real platform (no display needed): activation
// reaches the procedure, a mouse jump puts WM_CLOSE in the queue, WM_CLOSE
// ends in the quit request, and dismissals after that post nothing.
#include <gtest/gtest.h>

#include <vector>

#include "shell/entry.h"
#include "shell/window.h"

namespace {

LPARAM At(int x, int y) { return (LPARAM)(int32_t)(((uint32_t)(uint16_t)y << 16) | (uint16_t)x); }

// Takes every waiting message off the queue (a bounded number).
std::vector<MSG> Drain(bool dispatch) {
  std::vector<MSG> taken;
  MSG msg;
  for (int i = 0; i < 1000 && PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE); i++) {
    taken.push_back(msg);
    if (dispatch && msg.message != WM_QUIT) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return taken;
}

size_t Count(const std::vector<MSG>& messages, UINT message) {
  size_t n = 0;
  for (const MSG& msg : messages)
    if (msg.message == message) n++;
  return n;
}

// One window per process: the class can be registered only once.
TEST(SaverWindowTest, LivesFromActivationToTheQuitRequest) {
  firstFrameDrawn = 0;
  saverActive = 0;
  if (!CreateSaverWindow((HINSTANCE)1, 1)) GTEST_SKIP() << "this platform makes no windows yet";
  HWND window = saverWindow;

  std::vector<MSG> start = Drain(true);
  EXPECT_NE(0u, LOWORD(saverActive)) << "showing the window activates it";
  EXPECT_EQ(0u, Count(start, WM_CLOSE)) << "nothing before the first frame ends the saver";

  SaverWndProc(window, WM_MOUSEMOVE, 0, At(100, 100));
  firstFrameDrawn = 1;
  SaverWndProc(window, WM_MOUSEMOVE, 0, At(110, 90));
  SaverWndProc(window, WM_SYSKEYUP, VK_MENU, 0);
  SaverWndProc(window, WM_RBUTTONDOWN, 2, At(110, 90));
  std::vector<MSG> calm = Drain(false);
  EXPECT_EQ(0u, Count(calm, WM_CLOSE)) << "a 10-pixel move, Alt release and right click";

  SaverWndProc(window, WM_MOUSEMOVE, 0, At(121, 90));
  std::vector<MSG> jump = Drain(false);
  ASSERT_EQ(1u, Count(jump, WM_CLOSE)) << "an 11-pixel jump";
  for (const MSG& msg : jump) {
    if (msg.message != WM_CLOSE) continue;
    EXPECT_EQ(window, msg.hwnd);
    EXPECT_EQ(0u, msg.wParam);
    EXPECT_EQ(0, msg.lParam);
    DispatchMessageA(&msg);
  }
  std::vector<MSG> end = Drain(true);
  ASSERT_EQ(1u, Count(end, WM_QUIT));
  for (const MSG& msg : end)
    if (msg.message == WM_QUIT) EXPECT_EQ(0u, msg.wParam);

  SaverWndProc(window, WM_KEYDOWN, VK_SPACE, 0);
  SaverWndProc(window, WM_LBUTTONDOWN, 1, 0);
  SaverWndProc(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  std::vector<MSG> after = Drain(false);
  EXPECT_EQ(0u, Count(after, WM_CLOSE)) << "the window is gone: posting goes nowhere";
  EXPECT_EQ(0u, Count(after, WM_QUIT));
}

}  // namespace
