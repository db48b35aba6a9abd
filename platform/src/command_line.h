#ifndef VOQ_PLATFORM_COMMAND_LINE_H
#define VOQ_PLATFORM_COMMAND_LINE_H

// Builds the full command line "\"<program>\" arg1 arg2 ..." and the argument
// text "arg1 arg2 ..." that WinMain receives.
void PlatformSetCommandLine(const char* program, int argc, char** argv);
char* PlatformArgumentText(void);
// Ends what the platform started (SDL, windows) before the process exits.
void PlatformShutdown(void);

#endif
