#include "commands.h"

const char kToolHelp[] =
    "usage: voq-make COMMAND [ARGUMENTS]\n"
    "\n"
    "Makes and examines Quillovarnenthodex screen savers: a runtime program with\n"
    "a picture and the show's settings appended.\n"
    "\n"
    "commands:\n"
    "  build    make a saver from a picture\n"
    "  inspect  show a saver's settings and whether its runtime will take it\n"
    "  extract  write a saver's picture, as its runtime decodes it, to a BMP\n"
    "  preview  record the show, as the Linux runtime draws it, as an animated GIF\n"
    "  convert  move a saver's picture and settings onto another runtime\n"
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

const char kInspectHelp[] =
    "usage: voq-make inspect SAVER [--json]\n"
    "\n"
    "Prints every field of the saver's header (the ones the runtime skips too),\n"
    "the picture's size, colours, key and background, and checks the saver the\n"
    "way its runtime will read it: the magic, slot 0 inside the file, type 'g',\n"
    "the GIF signature, and a decode with the runtime's own decoder. Exits 1,\n"
    "after the report, when the runtime would refuse the saver.\n"
    "\n"
    "options:\n"
    "  --json   the same report as a JSON object\n"
    "\n"
    "examples:\n"
    "  voq-make inspect build/linux/samples/quill.scr\n"
    "  voq-make inspect --json saver.scr | jq .slots[0]\n";

const char kExtractHelp[] =
    "usage: voq-make extract SAVER OUTPUT.bmp\n"
    "\n"
    "Decodes the saver's picture with the runtime's own GIF decoder and palette\n"
    "loader, exactly as the saver will, and writes it as an 8-bit BMP with all\n"
    "256 palette entries. Fails when the runtime could not decode it.\n"
    "\n"
    "example:\n"
    "  voq-make extract build/linux/samples/quill.scr quill.bmp\n";

const char kPreviewHelp[] =
    "usage: voq-make preview SAVER OUTPUT.gif [--seconds S] [--runtime RUNTIME]\n"
    "\n"
    "Moves the saver's data block onto the Linux runtime (next to voq-make, or\n"
    "RUNTIME) in a temporary folder, runs the show there without a screen for\n"
    "S seconds' worth of frames at 60 a second, and writes every second frame\n"
    "to an endlessly looping GIF at 30 frames a second: the show's real speed\n"
    "on a 60 Hz display. Each run starts from the clock, so no two are alike.\n"
    "\n"
    "options:\n"
    "  --seconds S   length of the recording, 1 to 60 (5)\n"
    "\n"
    "example:\n"
    "  voq-make preview build/linux/samples/gear.scr gear-show.gif --seconds 3\n";

const char kConvertHelp[] =
    "usage: voq-make convert SAVER --target TARGET --output OUTPUT [--runtime RUNTIME]\n"
    "\n"
    "Puts the saver's data block, byte for byte, behind another runtime: the\n"
    "block's offsets count from the start of the file and the block keeps its\n"
    "place, so nothing in it changes. The result is read back with the\n"
    "runtime's own reader and decoder before it is written.\n"
    "\n"
    "targets (the runtime is looked for next to voq-make):\n"
    "  linux       voq\n"
    "  windows32   ../win32/voq.exe\n"
    "  windows64   ../win64/voq.exe\n"
    "--runtime RUNTIME names the runtime file instead.\n"
    "\n"
    "examples:\n"
    "  voq-make convert quill.scr --target windows32 --output quill-win32.scr\n"
    "  voq-make convert build/linux/samples/win64/gear.scr --target linux --output gear\n";
