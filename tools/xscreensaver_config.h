// Edits of the programs list in ~/.xscreensaver that change nothing but the
// one entry they add or remove: every other byte of the file stays.
//
// The list is one resource, "programs:", continued over lines ending in a
// backslash; its entries are separated by the escape \n, and each reads
// [-] [VISUAL:] ["Label"] COMMAND. xscreensaver-settings writes one entry a
// line, each ending in "\n\".
#ifndef VOQ_TOOLS_XSCREENSAVER_CONFIG_H
#define VOQ_TOOLS_XSCREENSAVER_CONFIG_H

#include <string>

// One entry as a whole line, "\"label\"  command  \n\" and a newline, laid
// out as xscreensaver-settings lays out its own.
std::string ProgramEntryLine(const std::string& label, const std::string& command);

// path as one word of a /bin/sh command (quoted when it has to be), or ""
// when it holds a character that cannot stand in the file unescaped.
std::string ShellWord(const std::string& path);

// text with entryLine in the programs list in place of the entries whose
// command starts with the word program, or added after the last entry
// when there are none; a list holding only it is added at the end when the
// text has none.
std::string WithProgramEntry(const std::string& text, const std::string& program,
                             const std::string& entryLine);

// text without the entries whose command starts with the word program (and
// without the list when it was the one WithProgramEntry added and is now
// empty); *removed says how many went.
std::string WithoutProgramEntry(const std::string& text, const std::string& program, int* removed);

#endif
