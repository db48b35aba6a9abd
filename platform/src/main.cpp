// The process entry on systems without Win32: builds the command line the way
// Windows hands it to a screen saver and calls the program's WinMain.
#include <windows.h>

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "command_line.h"
#include "hack.h"

int main(int argc, char** argv) {
  // The own-path rule needs the file that is really running, however it was
  // started (from PATH, through a symlink, by a relative path).
  char* exe = realpath("/proc/self/exe", NULL);
  if (exe == NULL) exe = realpath(argv[0], NULL);
  const char* program = exe != NULL ? exe : argv[0];
  unsigned long hackWindow = 0;
  HackTarget hack =
      ReadHackSwitches(argc - 1, argv + 1, getenv("XSCREENSAVER_WINDOW"), &hackWindow);
  if (hack == kHackBadSwitch) {
    fputs("a window id is 0x and hexadecimal digits, or decimal digits\n", stderr);
    free(exe);
    return 2;
  }
  if (hack == kHackNone) {
    PlatformSetCommandLine(program, argc - 1, argv + 1);
  } else {
    // Started by XScreenSaver: the show, windowed or in the given window.
    char* saverSwitch = (char*)(hack == kHackOwnWindow ? "ws" : "/s");
    PlatformSetCommandLine(program, 1, &saverSwitch);
    StartHackMode(hack, hackWindow);
  }
  free(exe);
  int result = WinMain((HINSTANCE)1, NULL, PlatformArgumentText(), SW_SHOWNORMAL);
  PlatformShutdown();
  return GivenWindowMissing() ? 1 : result;
}
