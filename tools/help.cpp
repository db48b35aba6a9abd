#include "commands.h"

const char kToolHelp[] =
    "usage: voq-make COMMAND [ARGUMENTS]\n"
    "\n"
    "Makes and examines Quillovarnenthodex screen savers: a runtime program with\n"
    "a picture and the show's settings appended.\n"
    "\n"
    "commands:\n"
    "  build    make a saver from a picture\n"
    "\n"
    "voq-make COMMAND --help describes each command.\n";

const char kBuildHelp[] =
    "usage: voq-make build --runtime RUNTIME --picture GIF --output SAVER [options]\n"
    "\n"
    "Appends GIF, unchanged, to RUNTIME padded to 57344 bytes, with the show's\n"
    "settings. The GIF must be one the runtime reads as it is: a 256-entry global\n"
    "colour table, no local colour table.\n"
    "\n"
    "options:\n"
    "  --objects N            copies of the picture flying at once, 1 to 50 (9)\n"
    "  --key INDEX|none|auto  transparent palette index; auto takes the GIF's own (none)\n"
    "  --background INDEX|darkest\n"
    "                         palette index that fills the screen behind the copies;\n"
    "                         darkest lets the saver pick its darkest colour (darkest)\n"
    "\n"
    "example:\n"
    "  voq-make build --runtime build/linux/voq --picture samples/quill.gif \\\n"
    "      --output quill.scr --background 12\n";
