// Hack mode: XScreenSaver's switches, its window, and its way of ending a
// hack (a signal, or the window taken away).
#include "hack.h"

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include "platform_internal.h"
#include "window_internal.h"

// How long a wait for messages may block in hack mode, so that a signal
// ends the show well within a tenth of a second.
#define kSignalCheckPeriod 20

static HackTarget hackTarget;
static Window givenWindow;
static volatile sig_atomic_t endRequested;
static volatile sig_atomic_t givenWindowGone;
static bool foreignOpen;
static bool givenWindowMissing;
static bool closePosted;

static bool IsSwitch(const char* argument, const char* name) {
  // XScreenSaver writes one dash; its newer documentation, two.
  if (argument[0] != '-') return false;
  if (argument[1] == '-') argument++;
  return strcmp(argument + 1, name) == 0;
}

bool ReadWindowId(const char* text, unsigned long* window) {
  int base = 10;
  const char* digits = text;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    digits = text + 2;
  }
  unsigned long long value = 0;
  if (digits[0] == 0) return false;
  for (const char* at = digits; *at != 0; at++) {
    int digit;
    if (*at >= '0' && *at <= '9')
      digit = *at - '0';
    else if (base == 16 && *at >= 'a' && *at <= 'f')
      digit = *at - 'a' + 10;
    else if (base == 16 && *at >= 'A' && *at <= 'F')
      digit = *at - 'A' + 10;
    else
      return false;
    value = value * (unsigned)base + (unsigned)digit;
    // X resource ids are 32-bit values.
    if (value > 0xFFFFFFFFull) return false;
  }
  if (value == 0) return false;
  *window = (unsigned long)value;
  return true;
}

HackTarget ReadHackSwitches(int argc, char** argv, const char* xscreensaverWindow,
                            unsigned long* window) {
  HackTarget target = kHackNone;
  for (int i = 0; i < argc; i++) {
    if (IsSwitch(argv[i], "window")) {
      target = kHackOwnWindow;
    } else if (IsSwitch(argv[i], "root")) {
      target = kHackGivenWindow;
      *window = 0;
      if (xscreensaverWindow != NULL && xscreensaverWindow[0] != 0 &&
          !ReadWindowId(xscreensaverWindow, window))
        return kHackBadSwitch;
    } else if (IsSwitch(argv[i], "window-id")) {
      if (i + 1 == argc || !ReadWindowId(argv[++i], window)) return kHackBadSwitch;
      target = kHackGivenWindow;
    }
  }
  return target;
}

static void OnEndSignal(int) { endRequested = 1; }

void StartHackMode(HackTarget target, unsigned long window) {
  hackTarget = target;
  givenWindow = (Window)window;
  struct sigaction action;
  memset(&action, 0, sizeof action);
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, NULL);
  sigaction(SIGINT, &action, NULL);
  sigaction(SIGHUP, &action, NULL);
}

bool HackGivesWindow(void) { return hackTarget == kHackGivenWindow; }

bool DrawsInForeignWindow(void) { return foreignOpen && platformWindow.sdl != NULL; }

// Xlib's own handler ends the process with exit code 1 on any error; a
// window that XScreenSaver has just destroyed is an ordinary way for a hack
// to end, and any other error is not worth ending the show for.
static int OnXError(Display*, XErrorEvent* error) {
  if ((error->error_code == BadWindow || error->error_code == BadDrawable) &&
      error->resourceid == givenWindow)
    givenWindowGone = 1;
  return 0;
}

// DestroyNotify reaches SDL only as a window-manager event.
static int WatchGivenWindow(void*, SDL_Event* event) {
  if (event->type == SDL_SYSWMEVENT && event->syswm.msg->subsystem == SDL_SYSWM_X11) {
    const XEvent* x = &event->syswm.msg->msg.x11.event;
    if (x->type == DestroyNotify && x->xdestroywindow.window == givenWindow) givenWindowGone = 1;
  }
  return 0;
}

// Finds the root window when none was named, and makes sure the window
// exists before SDL asks about it (SDL trusts what it gets back).
static bool FindGivenWindow(void) {
  Display* display = XOpenDisplay(NULL);
  if (display == NULL) return false;
  if (givenWindow == 0) givenWindow = DefaultRootWindow(display);
  XWindowAttributes attributes;
  bool found = XGetWindowAttributes(display, givenWindow, &attributes) != 0;
  XCloseDisplay(display);
  return found;
}

SDL_Window* OpenGivenWindow(void) {
  givenWindowMissing = true;
  if (!PlatformHasDisplay()) {
    fputs("no X display to draw on\n", stderr);
    return NULL;
  }
  XSetErrorHandler(OnXError);
  if (!FindGivenWindow()) {
    fprintf(stderr, "no window 0x%lx on the display\n", (unsigned long)givenWindow);
    return NULL;
  }
  // Everything that would change the window stays off: drag and drop sets a
  // property on it; input is XScreenSaver's. (Presentation keeps to X's own
  // images on X11, which never recreate the window.)
  static const Uint32 kIgnored[] = {SDL_DROPFILE,    SDL_DROPTEXT,      SDL_DROPBEGIN,
                                    SDL_DROPCOMPLETE, SDL_KEYDOWN,       SDL_KEYUP,
                                    SDL_TEXTINPUT,    SDL_MOUSEMOTION,   SDL_MOUSEBUTTONDOWN,
                                    SDL_MOUSEBUTTONUP, SDL_MOUSEWHEEL};
  for (size_t i = 0; i < sizeof kIgnored / sizeof kIgnored[0]; i++)
    SDL_EventState(kIgnored[i], SDL_IGNORE);
  SDL_Window* window = SDL_CreateWindowFrom((const void*)(uintptr_t)givenWindow);
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == NULL || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    if (window != NULL) SDL_DestroyWindow(window);
    fprintf(stderr, "cannot draw into window 0x%lx\n", (unsigned long)givenWindow);
    return NULL;
  }
  // SDL selects no events on a window it did not create; size changes,
  // exposure and the window's end are all that this process asks for. The
  // other client's selections are its own (and ButtonPress could only be
  // selected by one of us).
  Display* display = info.info.x11.display;
  XWindowAttributes attributes;
  long mask =
      XGetWindowAttributes(display, givenWindow, &attributes) ? attributes.your_event_mask : 0;
  XSelectInput(display, givenWindow, mask | StructureNotifyMask | ExposureMask);
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  SDL_AddEventWatch(WatchGivenWindow, NULL);
  foreignOpen = true;
  givenWindowMissing = false;
  return window;
}

bool GivenWindowMissing(void) { return givenWindowMissing; }

void CheckHackEnd(void) {
  if (closePosted || !(endRequested || givenWindowGone) || platformWindow.handle == NULL) return;
  closePosted = PostMessageA(platformWindow.handle, WM_CLOSE, 0, 0) != FALSE;
}

int LimitHackWait(int wait) {
  if (hackTarget == kHackNone) return wait;
  return wait < 0 || wait > kSignalCheckPeriod ? kSignalCheckPeriod : wait;
}
