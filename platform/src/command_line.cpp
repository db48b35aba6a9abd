#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "command_line.h"

static char* commandLine;
static char* argumentText;

void PlatformSetCommandLine(const char* program, int argc, char** argv) {
  size_t argsLength = 0;
  for (int i = 0; i < argc; i++) argsLength += strlen(argv[i]) + 1;
  argumentText = (char*)calloc(argsLength + 1, 1);
  for (int i = 0; i < argc; i++) {
    if (i > 0) strcat(argumentText, " ");
    strcat(argumentText, argv[i]);
  }
  // Windows starts a saver as "path" /s: the quoted form.
  size_t length = strlen(program) + 3 + strlen(argumentText) + 1;
  commandLine = (char*)malloc(length);
  strcpy(commandLine, "\"");
  strcat(commandLine, program);
  strcat(commandLine, "\"");
  if (argc > 0) {
    strcat(commandLine, " ");
    strcat(commandLine, argumentText);
  }
}

char* PlatformArgumentText(void) { return argumentText; }

LPSTR WINAPI GetCommandLineA(void) { return commandLine; }
