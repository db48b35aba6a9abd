// Where an installed voq-make finds what the package put next to it.
#ifndef VOQ_TOOLS_INSTALL_LAYOUT_H
#define VOQ_TOOLS_INSTALL_LAYOUT_H

#include <string>

#include "saver_block.h"

// The target's runtime as the package installs it relative to the running
// voq-make, or "" when there is none (a tool run from its build tree).
std::string InstalledRuntimePath(Target target);

// XScreenSaver's folder of hacks, where the package put its sample saver,
// relative to the running voq-make, or "" when there is none.
std::string InstalledHackFolder();

#endif
