// SDL input events pushed at the window become the messages Windows sends.
#include "test_support.h"

namespace {

struct PointCase {
  int x, y;
  int clientX, clientY;
};

class Input : public PlatformTest {
 protected:
  // Moves the pointer to each window point in turn and checks the client
  // point of the WM_MOUSEMOVE it gives.
  void ExpectMoves(const std::vector<PointCase>& cases) {
    for (const PointCase& c : cases) {
      PushMotion(c.x, c.y);
      std::vector<Recorded> moves = Only(Pump(), {WM_MOUSEMOVE});
      ASSERT_EQ(moves.size(), 1u) << "at " << c.x << "," << c.y;
      EXPECT_EQ(moves[0], (Recorded{window, WM_MOUSEMOVE, 0, Position(c.clientX, c.clientY)}))
          << "window point " << c.x << "," << c.y << " should be client point " << c.clientX
          << "," << c.clientY;
    }
  }

  void ExpectWindowSize(int width, int height) {
    int actualWidth = 0, actualHeight = 0;
    SDL_GetWindowSize(platformWindow.sdl, &actualWidth, &actualHeight);
    ASSERT_EQ(actualWidth, width);
    ASSERT_EQ(actualHeight, height);
  }
};

const UINT kCustom = 0x0400;

struct KeyCase {
  const char* name;
  SDL_Scancode scancode;
  SDL_Keycode symbol;
  Uint16 modifiers;
  bool down;
  bool repeat;
  UINT message;
  WPARAM virtualKey;
  DWORD lParam;
};

const KeyCase kKeyCases[] = {
    {"letter down", SDL_SCANCODE_A, 'a', 0, true, false, WM_KEYDOWN, 'A', 0x001E0001},
    {"letter up", SDL_SCANCODE_A, 'a', 0, false, false, WM_KEYUP, 'A', 0xC01E0001},
    {"autorepeat", SDL_SCANCODE_A, 'a', 0, true, true, WM_KEYDOWN, 'A', 0x401E0001},
    {"letter by layout", SDL_SCANCODE_Q, 'a', 0, true, false, WM_KEYDOWN, 'A', 0x00100001},
    {"digit", SDL_SCANCODE_1, '1', 0, true, false, WM_KEYDOWN, '1', 0x00020001},
    {"escape", SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0, true, false, WM_KEYDOWN, VK_ESCAPE, 0x00010001},
    {"space", SDL_SCANCODE_SPACE, ' ', 0, true, false, WM_KEYDOWN, VK_SPACE, 0x00390001},
    {"left arrow", SDL_SCANCODE_LEFT, SDLK_LEFT, 0, true, false, WM_KEYDOWN, VK_LEFT, 0x014B0001},
    {"down arrow up", SDL_SCANCODE_DOWN, SDLK_DOWN, 0, false, false, WM_KEYUP, VK_DOWN, 0xC1500001},
    {"left shift", SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT, true, false, WM_KEYDOWN, VK_SHIFT,
     0x002A0001},
    {"right control", SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_RCTRL, true, false, WM_KEYDOWN,
     VK_CONTROL, 0x011D0001},
    {"alt down", SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT, true, false, WM_SYSKEYDOWN, VK_MENU,
     0x20380001},
    {"right alt down", SDL_SCANCODE_RALT, SDLK_RALT, KMOD_RALT, true, false, WM_SYSKEYDOWN, VK_MENU,
     0x21380001},
    {"alt+letter down", SDL_SCANCODE_B, 'b', KMOD_LALT, true, false, WM_SYSKEYDOWN, 'B',
     0x20300001},
    {"alt+letter up", SDL_SCANCODE_B, 'b', KMOD_LALT, false, false, WM_SYSKEYUP, 'B', 0xE0300001},
    {"alt+F4", SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT, true, false, WM_SYSKEYDOWN, VK_F4, 0x203E0001},
    {"control+alt is no system key", SDL_SCANCODE_E, 'e', KMOD_LCTRL | KMOD_LALT, true, false,
     WM_KEYDOWN, 'E', 0x20120001},
    {"keypad enter", SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, 0, true, false, WM_KEYDOWN, VK_RETURN,
     0x011C0001},
    {"F12", SDL_SCANCODE_F12, SDLK_F12, 0, true, false, WM_KEYDOWN, 0x7B, 0x00580001},
    {"key without a virtual key", SDL_SCANCODE_VOLUMEUP, SDLK_VOLUMEUP, 0, true, false, WM_KEYDOWN,
     0xFF, 0x00000001},
};

TEST_F(Input, KeyEventsBecomeKeyMessages) {
  HWND target = Create();
  Pump();
  useDefault = false;
  for (const KeyCase& c : kKeyCases) {
    SCOPED_TRACE(c.name);
    PushKey(c.scancode, c.symbol, c.modifiers, c.down, c.repeat);
    std::vector<Recorded> retrieved = Pump();
    ASSERT_FALSE(retrieved.empty());
    EXPECT_EQ(retrieved.front(), (Recorded{target, c.message, c.virtualKey, (LPARAM)c.lParam}));
  }
}

struct CharacterCase {
  SDL_Scancode scancode;
  SDL_Keycode symbol;
  Uint16 modifiers;
  UINT message;  // 0: no character
  WPARAM character;
};

const CharacterCase kCharacterCases[] = {
    {SDL_SCANCODE_A, 'a', 0, WM_CHAR, 'a'},
    {SDL_SCANCODE_A, 'a', KMOD_LSHIFT, WM_CHAR, 'A'},
    {SDL_SCANCODE_A, 'a', KMOD_CAPS, WM_CHAR, 'A'},
    {SDL_SCANCODE_A, 'a', KMOD_CAPS | KMOD_RSHIFT, WM_CHAR, 'a'},
    {SDL_SCANCODE_C, 'c', KMOD_LCTRL, WM_CHAR, 3},
    {SDL_SCANCODE_1, '1', 0, WM_CHAR, '1'},
    {SDL_SCANCODE_1, '1', KMOD_LSHIFT, WM_CHAR, '!'},
    {SDL_SCANCODE_MINUS, '-', KMOD_LSHIFT, WM_CHAR, '_'},
    {SDL_SCANCODE_SLASH, '/', 0, WM_CHAR, '/'},
    {SDL_SCANCODE_APOSTROPHE, '\'', KMOD_LSHIFT, WM_CHAR, '"'},
    {SDL_SCANCODE_SPACE, ' ', 0, WM_CHAR, ' '},
    {SDL_SCANCODE_RETURN, SDLK_RETURN, 0, WM_CHAR, '\r'},
    {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0, WM_CHAR, 0x1B},
    {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, 0, WM_CHAR, 0x08},
    {SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NUM, WM_CHAR, '7'},
    {SDL_SCANCODE_KP_MULTIPLY, SDLK_KP_MULTIPLY, 0, WM_CHAR, '*'},
    {SDL_SCANCODE_B, 'b', KMOD_LALT, WM_SYSCHAR, 'b'},
    {SDL_SCANCODE_LEFT, SDLK_LEFT, 0, 0, 0},
    {SDL_SCANCODE_F1, SDLK_F1, 0, 0, 0},
    {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT, 0, 0},
};

TEST_F(Input, TranslateMessageGivesTheKeysCharacter) {
  HWND target = Create();
  Pump();
  useDefault = false;
  for (const CharacterCase& c : kCharacterCases) {
    SCOPED_TRACE(SDL_GetScancodeName(c.scancode));
    PushKey(c.scancode, c.symbol, c.modifiers, true);
    std::vector<Recorded> retrieved = Pump();
    ASSERT_FALSE(retrieved.empty());
    std::vector<Recorded> characters = Only(retrieved, {WM_CHAR, WM_SYSCHAR});
    if (c.message == 0) {
      EXPECT_TRUE(characters.empty());
      continue;
    }
    ASSERT_EQ(characters.size(), 1u);
    EXPECT_EQ(characters[0], (Recorded{target, c.message, c.character, retrieved[0].lParam}));
  }
}

TEST_F(Input, AltLetterIsSystemKeysCharacterAndKeyMenu) {
  HWND target = Create();
  Pump();
  log.clear();
  // All four arrive before the queue is polled, as when the program is busy.
  PushKey(SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT, true);
  PushKey(SDL_SCANCODE_B, 'b', KMOD_LALT, true);
  PushKey(SDL_SCANCODE_B, 'b', KMOD_LALT, false);
  PushKey(SDL_SCANCODE_LALT, SDLK_LALT, 0, false);
  Pump();
  // Alt released after a combination is a plain key, as Windows has it.
  std::vector<Recorded> expected = {
      {target, WM_SYSKEYDOWN, VK_MENU, 0x20380001}, {target, WM_SYSKEYDOWN, 'B', 0x20300001},
      {target, WM_SYSCHAR, 'b', 0x20300001},        {target, WM_SYSCOMMAND, SC_KEYMENU, 'b'},
      {target, WM_SYSKEYUP, 'B', 0xE0300001},       {target, WM_KEYUP, VK_MENU, 0xC0380001},
  };
  EXPECT_EQ(log, expected);
  EXPECT_TRUE(PostMessageA(target, kCustom, 0, 0)) << "the window died";
}

TEST_F(Input, AltAloneIsASystemKeyThatOpensTheWindowMenu) {
  HWND target = Create();
  Pump();
  log.clear();
  PushKey(SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT, true);
  PushKey(SDL_SCANCODE_LALT, SDLK_LALT, 0, false);
  Pump();
  std::vector<Recorded> expected = {
      {target, WM_SYSKEYDOWN, VK_MENU, 0x20380001},
      {target, WM_SYSKEYUP, VK_MENU, 0xC0380001},
      {target, WM_SYSCOMMAND, SC_KEYMENU, 0},
  };
  EXPECT_EQ(log, expected);
}

TEST_F(Input, AltF4ClosesTheWindow) {
  HWND target = Create();
  Pump();
  log.clear();
  PushKey(SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT, true);
  PushKey(SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT, true);
  Pump();
  window = NULL;
  std::vector<Recorded> closing = Only(log, {WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY});
  std::vector<Recorded> expected = {{target, WM_SYSCOMMAND, SC_CLOSE, 0},
                                    {target, WM_CLOSE, 0, 0},
                                    {target, WM_DESTROY, 0, 0}};
  EXPECT_EQ(closing, expected);
}

TEST_F(Input, MouseOnTheFullScreenWindowIsScaledToTheImage) {
  ASSERT_NE(Create(), nullptr);
  Pump();
  // The dummy driver's desktop: 4:3, so the image fills it at 1.6 times.
  ExpectWindowSize(1024, 768);
  ExpectMoves({{0, 0, 0, 0}, {512, 384, 320, 240}, {160, 80, 100, 50}, {1023, 767, 639, 479}});
}

TEST_F(Input, MouseOnLetterboxedWindowsUndoesTheBars) {
  ASSERT_NE(Create(WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME), nullptr);
  Pump();
  ExpectWindowSize(640, 480);
  ExpectMoves({{0, 0, 0, 0}, {320, 240, 320, 240}, {639, 479, 639, 479}});

  // Wide: the image is 666 x 500 from x = 167, with bars left and right.
  SDL_SetWindowSize(platformWindow.sdl, 1000, 500);
  ExpectWindowSize(1000, 500);
  ExpectMoves({{167, 0, 0, 0}, {500, 250, 320, 240}, {0, 250, 0, 240}, {999, 499, 639, 479},
               {100, 100, 0, 96}});

  // Tall: 500 x 375 from y = 312, with bars above and below.
  SDL_SetWindowSize(platformWindow.sdl, 500, 1000);
  ExpectWindowSize(500, 1000);
  ExpectMoves({{250, 312, 320, 0}, {250, 100, 320, 0}, {250, 999, 320, 479}, {0, 687, 0, 479}});
}

TEST_F(Input, ButtonsCarryTheirStateAndPosition) {
  const WPARAM left = 0x0001, right = 0x0002, middle = 0x0010;
  struct Case {
    Uint8 button;
    bool down;
    UINT message;
    WPARAM keys;
  } cases[] = {
      {SDL_BUTTON_LEFT, true, WM_LBUTTONDOWN, left},
      {SDL_BUTTON_RIGHT, true, WM_RBUTTONDOWN, left | right},
      {SDL_BUTTON_LEFT, false, WM_LBUTTONUP, right},
      {SDL_BUTTON_RIGHT, false, WM_RBUTTONUP, 0},
      {SDL_BUTTON_MIDDLE, true, WM_MBUTTONDOWN, middle},
      {SDL_BUTTON_MIDDLE, false, WM_MBUTTONUP, 0},
  };
  HWND target = Create();
  Pump();
  useDefault = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    PushButton(c.button, c.down, 160, 80);
    std::vector<Recorded> retrieved = Pump();
    ASSERT_EQ(retrieved.size(), 1u);
    EXPECT_EQ(retrieved[0], (Recorded{target, c.message, c.keys, Position(100, 50)}));
  }
  PushButton(SDL_BUTTON_LEFT, true, 0, 0);
  PushMotion(512, 384);
  std::vector<Recorded> moves = Only(Pump(), {WM_MOUSEMOVE});
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0], (Recorded{target, WM_MOUSEMOVE, left, Position(320, 240)}));
  PushButton(SDL_BUTTON_LEFT, false, 0, 0);
  Pump();
}

TEST_F(Input, MovesNotYetRetrievedAreMerged) {
  HWND target = Create();
  Pump();
  PushMotion(0, 0);
  PushMotion(16, 16);
  PushMotion(160, 80);
  std::vector<Recorded> expected = {{target, WM_MOUSEMOVE, 0, Position(100, 50)}};
  EXPECT_EQ(Pump(), expected);
}

TEST_F(Input, CloseRequestsBecomeWmClose) {
  for (Uint32 type : {(Uint32)SDL_WINDOWEVENT, (Uint32)SDL_QUIT}) {
    SCOPED_TRACE(type);
    HWND target = Create();
    Pump();
    log.clear();
    SDL_Event event = {};
    event.type = type;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    event.window.windowID = SDL_GetWindowID(platformWindow.sdl);
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    std::vector<Recorded> retrieved = Pump();
    window = NULL;
    ASSERT_FALSE(retrieved.empty());
    EXPECT_EQ(retrieved[0], (Recorded{target, WM_CLOSE, 0, 0}));
    EXPECT_EQ(log.back(), (Recorded{target, WM_DESTROY, 0, 0}));
  }
}

}  // namespace
