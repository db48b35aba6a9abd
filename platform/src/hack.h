// Hack mode: started by XScreenSaver, the saver runs its show in a window
// that XScreenSaver names (or the root window) instead of one of its own.
// The program still sees Saver mode; only the platform knows where it draws.
#ifndef VOQ_PLATFORM_HACK_H
#define VOQ_PLATFORM_HACK_H

#include <SDL.h>

enum HackTarget {
  kHackNone,         // no XScreenSaver switch: the arguments are the program's own
  kHackOwnWindow,    // --window: a window of its own, as the windowed show
  kHackGivenWindow,  // --root or --window-id: a window someone else owns
  kHackBadSwitch,    // a window id that is missing or not a number
};

// Reads XScreenSaver's switches (-root, -window, -window-id ID, with one or
// two dashes; the last one wins). xscreensaverWindow is the value of
// XSCREENSAVER_WINDOW or NULL. For kHackGivenWindow *window is the window,
// 0 meaning the root window. Any other argument is ignored once a switch is
// found, as XScreenSaver may add its own (-fps, -install, -visual ...).
HackTarget ReadHackSwitches(int argc, char** argv, const char* xscreensaverWindow,
                            unsigned long* window);
// A window id as XScreenSaver writes it: 0x and hexadecimal digits, or decimal
// digits; false for anything else, for 0 and for values past 32 bits.
bool ReadWindowId(const char* text, unsigned long* window);

// Enters hack mode: SIGTERM, SIGINT and SIGHUP from now on end the show as
// WM_CLOSE does, and a given window is where the saver window draws.
void StartHackMode(HackTarget target, unsigned long window);
// True when the saver window is to be the given window, not a new one.
bool HackGivesWindow(void);
// The given window as an SDL window that draws without changing it; NULL
// (with a message on standard error) when it does not exist.
SDL_Window* OpenGivenWindow(void);
// True when the given window could not be drawn into: the run failed.
bool GivenWindowMissing(void);
// True while the saver window is a window this process did not create: its
// cursor, focus, stacking and size are not ours to touch.
bool DrawsInForeignWindow(void);
// Called by the message pump: posts WM_CLOSE to the saver window once a
// signal came or the given window went away.
void CheckHackEnd(void);
// The longest a wait for messages may block (milliseconds, -1 for no limit)
// so that a signal is seen in time.
int LimitHackWait(int wait);

#endif
