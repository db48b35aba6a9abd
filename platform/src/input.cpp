// SDL's input events as the messages a Windows window gets: virtual keys,
// key-message lParam bits, mouse messages in client coordinates.
#include "platform_internal.h"
#include "window_internal.h"

// The extended-key bit of a scan code in the tables below (bit 24 of lParam).
#define kExtended 0x80
#define kKeyAltHeld (1u << 29)
#define kKeyWasDown (1u << 30)
#define kKeyReleased (1u << 31)
#define kUnknownVirtualKey 0xFF

#define kMouseLeft 0x0001
#define kMouseRight 0x0002
#define kMouseShift 0x0004
#define kMouseControl 0x0008
#define kMouseMiddle 0x0010

// Virtual key and set-1 scan code for the SDL scan codes from
// SDL_SCANCODE_A (4) to SDL_SCANCODE_APPLICATION (101), US layout.
static const BYTE kKeys[][2] = {
    {'A', 0x1E}, {'B', 0x30}, {'C', 0x2E}, {'D', 0x20}, {'E', 0x12}, {'F', 0x21},
    {'G', 0x22}, {'H', 0x23}, {'I', 0x17}, {'J', 0x24}, {'K', 0x25}, {'L', 0x26},
    {'M', 0x32}, {'N', 0x31}, {'O', 0x18}, {'P', 0x19}, {'Q', 0x10}, {'R', 0x13},
    {'S', 0x1F}, {'T', 0x14}, {'U', 0x16}, {'V', 0x2F}, {'W', 0x11}, {'X', 0x2D},
    {'Y', 0x15}, {'Z', 0x2C}, {'1', 0x02}, {'2', 0x03}, {'3', 0x04}, {'4', 0x05},
    {'5', 0x06}, {'6', 0x07}, {'7', 0x08}, {'8', 0x09}, {'9', 0x0A}, {'0', 0x0B},
    {VK_RETURN, 0x1C}, {VK_ESCAPE, 0x01}, {VK_BACK, 0x0E}, {VK_TAB, 0x0F},
    {VK_SPACE, 0x39}, {0xBD, 0x0C}, {0xBB, 0x0D}, {0xDB, 0x1A}, {0xDD, 0x1B},
    {0xDC, 0x2B}, {0xDC, 0x2B}, {0xBA, 0x27}, {0xDE, 0x28}, {0xC0, 0x29}, {0xBC, 0x33},
    {0xBE, 0x34}, {0xBF, 0x35}, {0x14, 0x3A},
    // F1 to F12
    {0x70, 0x3B}, {0x71, 0x3C}, {0x72, 0x3D}, {0x73, 0x3E}, {0x74, 0x3F}, {0x75, 0x40},
    {0x76, 0x41}, {0x77, 0x42}, {0x78, 0x43}, {0x79, 0x44}, {0x7A, 0x57}, {0x7B, 0x58},
    // Print Screen, Scroll Lock, Pause, then the navigation block and arrows
    {0x2C, 0x37 | kExtended}, {0x91, 0x46}, {0x13, 0x45}, {0x2D, 0x52 | kExtended},
    {0x24, 0x47 | kExtended}, {0x21, 0x49 | kExtended}, {0x2E, 0x53 | kExtended},
    {0x23, 0x4F | kExtended}, {0x22, 0x51 | kExtended}, {VK_RIGHT, 0x4D | kExtended},
    {VK_LEFT, 0x4B | kExtended}, {VK_DOWN, 0x50 | kExtended}, {VK_UP, 0x48 | kExtended},
    // Num Lock and the keypad
    {0x90, 0x45 | kExtended}, {0x6F, 0x35 | kExtended}, {0x6A, 0x37}, {0x6D, 0x4A},
    {0x6B, 0x4E}, {VK_RETURN, 0x1C | kExtended}, {0x61, 0x4F}, {0x62, 0x50}, {0x63, 0x51},
    {0x64, 0x4B}, {0x65, 0x4C}, {0x66, 0x4D}, {0x67, 0x47}, {0x68, 0x48}, {0x69, 0x49},
    {0x60, 0x52}, {0x6E, 0x53},
    // the key beside left Shift on non-US keyboards, the menu key
    {0xE2, 0x56}, {0x5D, 0x5D | kExtended},
};

static_assert(sizeof kKeys / sizeof kKeys[0] == SDL_SCANCODE_APPLICATION - SDL_SCANCODE_A + 1,
              "one entry per scan code");

// The same for SDL_SCANCODE_LCTRL (224) to SDL_SCANCODE_RGUI (231).
static const BYTE kModifierKeys[][2] = {
    {VK_CONTROL, 0x1D}, {VK_SHIFT, 0x2A}, {VK_MENU, 0x38}, {0x5B, 0x5B | kExtended},
    {VK_CONTROL, 0x1D | kExtended}, {VK_SHIFT, 0x36}, {VK_MENU, 0x38 | kExtended},
    {0x5C, 0x5C | kExtended},
};

// Punctuation keys: virtual key, character, character with Shift (US layout).
static const char kPunctuation[][3] = {
    {(char)0xBA, ';', ':'}, {(char)0xBB, '=', '+'}, {(char)0xBC, ',', '<'},
    {(char)0xBD, '-', '_'}, {(char)0xBE, '.', '>'}, {(char)0xBF, '/', '?'},
    {(char)0xC0, '`', '~'}, {(char)0xDB, '[', '{'}, {(char)0xDC, '\\', '|'},
    {(char)0xDD, ']', '}'}, {(char)0xDE, '\'', '"'},
};

static Uint32 mouseButtons;
// Whether a key went down while Alt was held, since Alt went down.
static bool altCombined;

SDL_Rect FitImage(int width, int height) {
  SDL_Rect fit;
  if ((long)width * kClientHeight > (long)height * kClientWidth) {
    fit.h = height;
    fit.w = (int)((long)height * kClientWidth / kClientHeight);
  } else {
    fit.w = width;
    fit.h = (int)((long)width * kClientHeight / kClientWidth);
  }
  fit.x = (width - fit.w) / 2;
  fit.y = (height - fit.h) / 2;
  return fit;
}

static LONG ClampedScale(int value, int offset, int span, int size) {
  if (span <= 0) return 0;
  long scaled = (long)(value - offset) * size / span;
  return (LONG)(scaled < 0 ? 0 : scaled >= size ? size - 1 : scaled);
}

POINT WindowToClient(int windowWidth, int windowHeight, int x, int y) {
  SDL_Rect fit = FitImage(windowWidth, windowHeight);
  POINT client;
  client.x = ClampedScale(x, fit.x, fit.w, kClientWidth);
  client.y = ClampedScale(y, fit.y, fit.h, kClientHeight);
  return client;
}

static void KeyMessage(const SDL_KeyboardEvent* key) {
  int scancode = key->keysym.scancode;
  const BYTE* entry = NULL;
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_APPLICATION)
    entry = kKeys[scancode - SDL_SCANCODE_A];
  else if (scancode >= SDL_SCANCODE_LCTRL && scancode <= SDL_SCANCODE_RGUI)
    entry = kModifierKeys[scancode - SDL_SCANCODE_LCTRL];
  WPARAM virtualKey = entry != NULL ? entry[0] : kUnknownVirtualKey;
  DWORD scan = entry != NULL ? entry[1] : 0;
  // Letters follow the keyboard layout, as Windows' virtual keys do.
  SDL_Keycode symbol = key->keysym.sym;
  if (symbol >= 'a' && symbol <= 'z') virtualKey = (WPARAM)(symbol - 'a' + 'A');
  bool down = key->type == SDL_KEYDOWN;
  bool isAlt = virtualKey == VK_MENU;
  // Alt counts as held from its own press on; its release shows it up.
  bool altHeld = (key->keysym.mod & KMOD_ALT) != 0 || (isAlt && down);
  DWORD lParam = 1 | (scan & 0x7F) << 16 | (scan & kExtended ? 1u << 24 : 0) |
                 (altHeld ? kKeyAltHeld : 0) |
                 (down ? (key->repeat ? kKeyWasDown : 0) : kKeyWasDown | kKeyReleased);
  // Alt makes the system variants, except together with Ctrl (AltGr).
  bool system = altHeld && !(key->keysym.mod & KMOD_CTRL);
  if (isAlt && down)
    altCombined = false;
  else if (down && altHeld)
    altCombined = true;
  // Alt released alone is a system key; released after Alt+key, a plain one.
  if (isAlt && !down) system = !altCombined;
  UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  PostInput(platformWindow.handle, message, virtualKey, (LPARAM)lParam, key->keysym.mod);
}

static void MouseMessage(UINT message, int x, int y) {
  if (platformWindow.sdl == NULL) return;
  int width, height;
  SDL_GetWindowSize(platformWindow.sdl, &width, &height);
  platformCursor = WindowToClient(width, height, x, y);
  Uint16 modifiers = (Uint16)SDL_GetModState();
  WPARAM keys = (mouseButtons & SDL_BUTTON_LMASK ? kMouseLeft : 0) |
                (mouseButtons & SDL_BUTTON_RMASK ? kMouseRight : 0) |
                (mouseButtons & SDL_BUTTON_MMASK ? kMouseMiddle : 0) |
                (modifiers & KMOD_SHIFT ? kMouseShift : 0) |
                (modifiers & KMOD_CTRL ? kMouseControl : 0);
  LPARAM position = (LPARAM)((DWORD)platformCursor.x | (DWORD)platformCursor.y << 16);
  PostInput(platformWindow.handle, message, keys, position, modifiers);
}

static void ButtonMessage(const SDL_MouseButtonEvent* button) {
  static const UINT kDown[3] = {WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN};
  if (button->button < SDL_BUTTON_LEFT || button->button > SDL_BUTTON_RIGHT) return;
  bool down = button->type == SDL_MOUSEBUTTONDOWN;
  Uint32 mask = SDL_BUTTON(button->button);
  mouseButtons = down ? mouseButtons | mask : mouseButtons & ~mask;
  // Each button's up message follows its down message.
  UINT message = kDown[button->button - SDL_BUTTON_LEFT] + (down ? 0 : 1);
  MouseMessage(message, button->x, button->y);
}

void TranslateSdlEvent(const SDL_Event* event) {
  HWND window = platformWindow.handle;
  if (window == NULL) return;
  switch (event->type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      KeyMessage(&event->key);
      break;
    case SDL_MOUSEMOTION:
      MouseMessage(WM_MOUSEMOVE, event->motion.x, event->motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      ButtonMessage(&event->button);
      break;
    case SDL_QUIT:
      PostMessageA(window, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT:
      if (event->window.event == SDL_WINDOWEVENT_CLOSE)
        PostMessageA(window, WM_CLOSE, 0, 0);
      else if (event->window.event == SDL_WINDOWEVENT_EXPOSED ||
               event->window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        ShowLatestFrame();
      break;
  }
}

void PostPointerIfInside(void) {
  // Only a real display has a pointer.
  if (platformWindow.sdl == NULL || !PlatformHasDisplay()) return;
  int pointerX, pointerY, windowX, windowY, width, height;
  SDL_GetGlobalMouseState(&pointerX, &pointerY);
  SDL_GetWindowPosition(platformWindow.sdl, &windowX, &windowY);
  SDL_GetWindowSize(platformWindow.sdl, &width, &height);
  int x = pointerX - windowX;
  int y = pointerY - windowY;
  if (x >= 0 && y >= 0 && x < width && y < height) MouseMessage(WM_MOUSEMOVE, x, y);
}

int KeyCharacter(WPARAM virtualKey, Uint16 keyModifiers) {
  bool shift = (keyModifiers & KMOD_SHIFT) != 0;
  bool control = (keyModifiers & KMOD_CTRL) != 0;
  bool capsLock = (keyModifiers & KMOD_CAPS) != 0;
  if (virtualKey >= 'A' && virtualKey <= 'Z') {
    if (control) return (int)(virtualKey - 'A' + 1);
    return (int)(shift != capsLock ? virtualKey : virtualKey - 'A' + 'a');
  }
  switch (virtualKey) {
    case VK_SPACE:
      return ' ';
    case VK_RETURN:
      return control ? '\n' : '\r';
    case VK_BACK:
      return control ? 0x7F : 0x08;
    case VK_ESCAPE:
      return 0x1B;
    case VK_TAB:
      return control ? -1 : '\t';
  }
  if (control) return -1;
  if (virtualKey >= '0' && virtualKey <= '9')
    return shift ? ")!@#$%^&*("[virtualKey - '0'] : (int)virtualKey;
  // The keypad's digits and operators.
  if (virtualKey >= 0x60 && virtualKey <= 0x6F && virtualKey != 0x6C)
    return "0123456789*+ -./"[virtualKey - 0x60];
  for (size_t i = 0; i < sizeof kPunctuation / sizeof kPunctuation[0]; i++) {
    if ((BYTE)kPunctuation[i][0] == virtualKey) return kPunctuation[i][shift ? 2 : 1];
  }
  return -1;
}
