// Shared by the platform tests: a window whose procedure records every
// message, SDL events to push at it, and helpers to pump the queue.
#ifndef VOQ_TESTS_PLATFORM_TEST_SUPPORT_H
#define VOQ_TESTS_PLATFORM_TEST_SUPPORT_H

#include <windows.h>
#undef fopen

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform_internal.h"
#include "window_internal.h"

struct Recorded {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;

  bool operator==(const Recorded& other) const {
    return window == other.window && message == other.message && wParam == other.wParam &&
           lParam == other.lParam;
  }
};

inline std::ostream& operator<<(std::ostream& out, const Recorded& r) {
  char text[96];
  snprintf(text, sizeof text, "{msg 0x%04x, wParam 0x%lx, lParam 0x%lx}", r.message,
           (unsigned long)r.wParam, (unsigned long)r.lParam);
  return out << text;
}

// Every test runs without a display unless it says otherwise.
class PlatformTest : public ::testing::Test {
 protected:
  static inline std::vector<Recorded> log;
  // When set, the procedure passes every message on to DefWindowProcA.
  static inline bool useDefault;
  // Called for each message after it was recorded; may act on the window.
  static inline void (*react)(HWND, UINT, WPARAM, LPARAM);

  static LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    log.push_back({window, message, wParam, lParam});
    if (react != nullptr) react(window, message, wParam, lParam);
    return useDefault ? DefWindowProcA(window, message, wParam, lParam) : 0;
  }

  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    static bool registered = false;
    if (!registered) {
      WNDCLASSA windowClass = {};
      windowClass.lpfnWndProc = Record;
      windowClass.lpszClassName = "RECORD";
      ASSERT_NE(RegisterClassA(&windowClass), 0);
      registered = true;
    }
  }

  void SetUp() override {
    log.clear();
    useDefault = true;
    react = nullptr;
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    }
  }

  void TearDown() override {
    if (window != NULL) DestroyWindow(window);
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
  }

  HWND Create(DWORD style = WS_POPUP | WS_VISIBLE) {
    window = CreateWindowExA(WS_EX_TOPMOST, "RECORD", "test", style, 0, 0, 640, 480, NULL, NULL,
                             NULL, NULL);
    return window;
  }

  // Retrieves, translates and dispatches everything waiting, and returns
  // the messages as retrieved.
  std::vector<Recorded> Pump() {
    std::vector<Recorded> retrieved;
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
      retrieved.push_back({msg.hwnd, msg.message, msg.wParam, msg.lParam});
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return retrieved;
  }

  static std::vector<Recorded> Only(const std::vector<Recorded>& all, std::vector<UINT> wanted) {
    std::vector<Recorded> kept;
    for (const Recorded& r : all)
      for (UINT m : wanted)
        if (r.message == m) kept.push_back(r);
    return kept;
  }

  static void PushKey(SDL_Scancode scancode, SDL_Keycode symbol, Uint16 modifiers, bool down,
                      bool repeat = false) {
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = symbol;
    event.key.keysym.mod = modifiers;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }

  static void PushMotion(int x, int y) {
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }

  static void PushButton(Uint8 button, bool down, int x, int y) {
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = x;
    event.button.y = y;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
  }

  HWND window = NULL;
};

inline LPARAM Position(int x, int y) { return (LPARAM)((DWORD)x | (DWORD)y << 16); }

#endif
