// The data block the authoring tool appends to the runtime's own file, as
// the runtime reads it from there.
#ifndef VOQ_DATA_SAVER_DATA_H
#define VOQ_DATA_SAVER_DATA_H

#include "data/saver_header.h"

extern SaverHeader saverHeader;
// The file the picture readers open (the saver's own file); set by the shell.
extern char* dataPath;

// Reads the header at kDataBlockOffset of the file at path into saverHeader.
// Returns 1 on success. Returns 0 after showing "error opening file" when the
// file cannot be opened, and 0 silently when the magic differs or the file
// ends inside the header (the caller then reports "corrupt header").
int ReadSaverData(const char* path);

#endif
