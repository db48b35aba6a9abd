// voq-make inspect: every header field, the picture, and the runtime's verdict.
#include <cstdio>

#include "commands.h"
#include "maker.h"
#include "options.h"
#include "report.h"
#include "saver_check.h"
#include "tool_error.h"

namespace {

std::string Hex(const uint8_t* bytes, size_t count) {
  std::string out;
  for (size_t i = 0; i < count; i++) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%s%02x", i == 0 ? "" : " ", bytes[i]);
    out += pair;
  }
  return out;
}

std::string TypeText(uint8_t type) {
  if (type >= 0x21 && type < 0x7f) return std::string(1, (char)type);
  char text[8];
  std::snprintf(text, sizeof text, "0x%02x", type);
  return text;
}

std::string TailText(const uint8_t* tail, size_t count) {
  size_t nonZero = 0, first = 0;
  for (size_t i = 0; i < count; i++)
    if (tail[i] != 0 && nonZero++ == 0) first = i;
  if (nonZero == 0) return "all zero";
  return std::to_string(nonZero) + " non-zero, the first at header offset " + std::to_string(141 + first);
}

Report MakeReport(const SaverAnalysis& analysis) {
  Report report;
  report.Add("file", analysis.path);
  report.Add("file size", (int64_t)analysis.fileSize);
  report.Add("runtime", analysis.runtimeKind + ", " + std::to_string(analysis.runtimeLength) +
                            " bytes before the zero padding");
  if (analysis.hasHeader) {
    const SaverHeader& header = analysis.header;
    const uint8_t* bytes = analysis.headerBytes.data();
    report.Add("magic", std::string(bytes, bytes + kSaverMagicLength));
    report.Add("format version", HeaderInt32(bytes + kHeaderFormatVersionAt));
    Report& slots = report.ArrayChild("slots", "slot");
    for (const ImageSlot& slot : header.slots) {
      Report& item = slots.Child("");
      item.Add("width", slot.width);
      item.Add("height", slot.height);
      item.Add("key", slot.colorKey);
      item.Add("offset", slot.offset);
      item.Add("size", slot.size);
      item.Add("type", TypeText(slot.type));
    }
    report.Add("object count", header.objectCount);
    report.Add("bytes 128-135", Hex(bytes + 128, 8));
    report.Add("byte 136", bytes[136]);
    report.Add("use background", header.useBackground);
    report.Add("background index", header.backgroundIndex);
    report.Add("byte 139", bytes[139]);
    report.Add("byte 140", bytes[140]);
    report.Add("bytes 141-395", TailText(bytes + kHeaderTailAt, kSaverHeaderSize - kHeaderTailAt));

    Report& picture = report.Child("picture");
    const ImageSlot& slot = header.slots[0];
    const GifLayout& layout = analysis.layout;
    if (!analysis.gif.empty() && layout.problem.empty()) {
      picture.Add("width", layout.width);
      picture.Add("height", layout.height);
      picture.Add("format", "GIF" + layout.version + ", " +
                                (layout.globalTable ? std::to_string(layout.globalTableEntries) + "-entry"
                                                    : std::string("no")) +
                                " global colour table, " +
                                (layout.imageFlags == 0x40 ? "interlaced" : "rows in order") +
                                ", LZW minimum code size " + std::to_string(layout.minCodeSize));
    } else if (!analysis.gif.empty()) {
      picture.Add("format", layout.problem.empty() ? "unread" : layout.problem);
    }
    if (analysis.decoded) picture.Add("colours used", analysis.usedColours);
    const Palette& palette = analysis.decode.picture.palette;
    if (slot.colorKey == kNoColorKey) {
      picture.Add("key", "none");
    } else if (slot.colorKey >= 0 && slot.colorKey <= 255) {
      picture.Add("key", std::to_string(slot.colorKey) + " " + ColourText(palette[slot.colorKey]));
      picture.Add("key pixels", analysis.keyPixels);
    } else {
      picture.Add("key", std::to_string(slot.colorKey) + " (no palette index)");
    }
    picture.Add("background", analysis.background);
    picture.Add("background colour", ColourText(palette[analysis.background]));
    picture.Add("background from", header.useBackground != 0 ? "the header" : "the darkest entry");
  }
  Report& checks = report.Child("check");
  for (const SaverCheck& check : analysis.checks)
    checks.AddVerdict(check.name, check.ok, check.detail);
  Report& warnings = report.ArrayChild("warnings", "warning");
  for (const std::string& warning : analysis.warnings) warnings.Add("", warning);
  report.Add("accepted", analysis.accepted);
  return report;
}

}  // namespace

int RunInspect(const Arguments& arguments) {
  Options options("inspect", arguments, {}, {"--json"});
  if (options.Has("--help")) {
    std::fputs(kInspectHelp, stdout);
    return 0;
  }
  options.ExpectPositional(1, 1, "a SAVER to inspect");
  SaverAnalysis analysis = AnalyseSaver(options.Positional()[0]);
  Report report = MakeReport(analysis);
  if (options.Has("--json"))
    std::printf("%s\n", report.Json().c_str());
  else
    std::fputs(report.Text().c_str(), stdout);
  std::fflush(stdout);
  if (!analysis.accepted) {
    const SaverCheck* failure = analysis.FirstFailure();
    throw ToolError(analysis.path + " would be refused: " + failure->name + ": " + failure->detail);
  }
  return 0;
}
