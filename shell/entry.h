// Command line and run sequence.
#ifndef VOQ_SHELL_ENTRY_H
#define VOQ_SHELL_ENTRY_H

#include <windows.h>

enum RunMode {
  kRunConfig = 1,
  kRunPassword = 2,
  kRunPreview = 3,
  kRunSaver = 4,
};

// The program file's path; the readers open a copy of it (dataPath).
extern char* programPath;
// 0 until the main loop has drawn its first frame.
extern int firstFrameDrawn;

// The own path from the full command line: the quoted form drops the quote,
// closing quote, blank and two-character switch; the unquoted form drops only
// the switch. Returns a newly allocated string (empty when nothing is left).
char* DeriveOwnPath(const char* commandLine);
// Mode from the first two characters of the argument text.
RunMode ParseRunMode(const char* args);
// The parent window handle of password mode, from index 3 onwards.
uintptr_t ParsePasswordHandle(const char* args);

// The whole program behind WinMain.
int RunProgram(HINSTANCE instance, const char* commandLine, const char* args);

#endif
