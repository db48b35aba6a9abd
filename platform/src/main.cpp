// The process entry on systems without Win32: builds the command line the way
// Windows hands it to a screen saver and calls the program's WinMain.
#include <windows.h>

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "command_line.h"

int main(int argc, char** argv) {
  // The own-path rule needs the file that is really running, however it was
  // started (from PATH, through a symlink, by a relative path).
  char* exe = realpath("/proc/self/exe", NULL);
  if (exe == NULL) exe = realpath(argv[0], NULL);
  PlatformSetCommandLine(exe != NULL ? exe : argv[0], argc - 1, argv + 1);
  free(exe);
  int result = WinMain((HINSTANCE)1, NULL, PlatformArgumentText(), SW_SHOWNORMAL);
  PlatformShutdown();
  return result;
}
