#include "saver_check.h"

#include <cstring>
#include <set>

#include "tool_error.h"

namespace {

void Check(SaverAnalysis* analysis, const std::string& name, bool ok, const std::string& detail) {
  analysis->checks.push_back({name, ok, detail});
}

std::string Size(int64_t width, int64_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

std::string FirstDifference(const IndexedPicture& expected, const std::vector<uint8_t>& got) {
  for (size_t i = 0; i < expected.indices.size(); i++) {
    if (expected.indices[i] != got[i]) {
      return "pixel " + std::to_string(i % expected.width) + "," + std::to_string(i / expected.width) + " is " +
             std::to_string(got[i]) + ", not " + std::to_string(expected.indices[i]);
    }
  }
  return "";
}

}  // namespace

const SaverCheck* SaverAnalysis::FirstFailure() const {
  for (const SaverCheck& check : checks)
    if (!check.ok) return &check;
  return nullptr;
}

SaverAnalysis AnalyseSaver(const std::string& path) {
  SaverAnalysis analysis;
  analysis.path = path;
  Bytes file = ReadWholeFile(path, "saver");
  analysis.fileSize = file.size();

  size_t front = std::min(file.size(), (size_t)kDataBlockOffset);
  while (front > 0 && file[front - 1] == 0) front--;
  analysis.runtimeLength = front;
  analysis.runtimeKind = file.size() >= 4 && std::memcmp(file.data(), "\x7f" "ELF", 4) == 0 ? "ELF"
                         : file.size() >= 2 && file[0] == 'M' && file[1] == 'Z'           ? "PE"
                                                                                          : "unknown";

  analysis.hasHeader = file.size() >= (size_t)kDataBlockOffset + kSaverHeaderSize;
  Check(&analysis, "header", analysis.hasHeader,
        analysis.hasHeader ? "present"
                           : "the file ends at " + std::to_string(file.size()) + ", before the header's end at " +
                                 std::to_string(kDataBlockOffset + kSaverHeaderSize));
  if (!analysis.hasHeader) return analysis;
  analysis.headerBytes.assign(file.begin() + kDataBlockOffset, file.begin() + kDataBlockOffset + kSaverHeaderSize);
  ReadSaverFields(analysis.headerBytes.data(), &analysis.header);
  const SaverHeader& header = analysis.header;

  SaverHeader asRead;
  analysis.runtimeReadHeader = ReadHeaderAsRuntime(path, &asRead);
  bool magic = std::memcmp(analysis.headerBytes.data(), kSaverMagic, kSaverMagicLength) == 0;
  Check(&analysis, "magic", magic && analysis.runtimeReadHeader,
        magic ? (analysis.runtimeReadHeader ? "matches" : "matches, but the runtime's reader refused the header")
              : "differs from " kSaverMagic);

  const ImageSlot& slot = header.slots[0];
  int64_t end = (int64_t)slot.offset + slot.size;
  bool inside = slot.offset >= 0 && slot.size > 0 && end <= (int64_t)file.size();
  Check(&analysis, "slot 0 inside file", inside,
        "bytes " + std::to_string(slot.offset) + " to " + std::to_string(end) + " of " +
            std::to_string(file.size()));
  bool typeOk = slot.type == 'g';
  Check(&analysis, "slot 0 type", typeOk, typeOk ? "g (GIF)" : "not 'g': the runtime shows no picture");

  if (inside) analysis.gif.assign(file.begin() + slot.offset, file.begin() + end);
  bool signature = analysis.gif.size() >= 3 && std::memcmp(analysis.gif.data(), "GIF", 3) == 0;
  Check(&analysis, "GIF signature", signature, signature ? "GIF" : "slot 0 does not start with GIF");

  bool sizeOk = slot.width > 0 && slot.height > 0 && (int64_t)slot.width * slot.height <= kLargestPicturePixels;
  if (!inside || !signature || !typeOk || !sizeOk) {
    Check(&analysis, "decodable", false,
          !sizeOk ? "slot 0 size " + Size(slot.width, slot.height) + " is no picture size this tool decodes"
                  : "not tried");
  } else {
    analysis.layout = ReadGifLayout(analysis.gif);
    analysis.decode = DecodeAsRuntime(path, slot.width, slot.height, slot.offset, slot.size);
    analysis.decoded = analysis.decode.result == 1 && analysis.decode.unwrittenPixels == 0 &&
                       analysis.decode.paletteLoaded;
    std::string detail = "decoded " + Size(slot.width, slot.height);
    if (analysis.decode.result != 1)
      detail = "the runtime's decoder gave up (" + analysis.decode.stop + ")";
    else if (analysis.decode.unwrittenPixels != 0)
      detail = std::to_string(analysis.decode.unwrittenPixels) + " of " +
               std::to_string((int64_t)slot.width * slot.height) + " pixels were never written";
    else if (!analysis.decode.paletteLoaded)
      detail = "the colour table could not be read";
    Check(&analysis, "decodable", analysis.decoded, detail);

    std::set<uint8_t> used(analysis.decode.picture.indices.begin(), analysis.decode.picture.indices.end());
    analysis.usedColours = (int)used.size();
    if (slot.colorKey >= 0 && slot.colorKey <= 255)
      for (uint8_t index : analysis.decode.picture.indices) analysis.keyPixels += index == slot.colorKey;

    for (const std::string& problem : RuntimeReadingProblems(analysis.layout))
      analysis.warnings.push_back("the GIF " + problem);
    if (analysis.layout.problem.empty() && (analysis.layout.width != slot.width || analysis.layout.height != slot.height))
      analysis.warnings.push_back("the GIF's image is " + Size(analysis.layout.width, analysis.layout.height) +
                                  " but slot 0 says " + Size(slot.width, slot.height));
  }
  analysis.background = BackgroundAsRuntime(analysis.decode.picture.palette, header);

  if (header.objectCount == 0) analysis.warnings.push_back("object count 0: the show has no copies");
  if (header.objectCount > kMaxObjects)
    analysis.warnings.push_back("object count " + std::to_string(header.objectCount) + " is over the field's " +
                                std::to_string(kMaxObjects));
  if (slot.colorKey != kNoColorKey && (slot.colorKey < 0 || slot.colorKey > 255))
    analysis.warnings.push_back("slot 0 key " + std::to_string(slot.colorKey) + " is no palette index");

  analysis.accepted = analysis.FirstFailure() == nullptr;
  return analysis;
}

SaverAnalysis AnalyseAcceptedSaver(const std::string& path) {
  SaverAnalysis analysis = AnalyseSaver(path);
  if (!analysis.accepted) {
    const SaverCheck* failure = analysis.FirstFailure();
    throw ToolError(path + " would be refused: " + failure->name + ": " + failure->detail);
  }
  return analysis;
}

void VerifySaver(const std::string& path, const SaverHeader& header, const IndexedPicture& picture) {
  auto refuse = [](const std::string& why) {
    throw ToolError("the runtime would read the finished saver wrongly (" + why + "); nothing written");
  };
  SaverHeader read;
  if (!ReadHeaderAsRuntime(path, &read)) refuse("its reader refused the header");
  if (EncodeHeader(read) != EncodeHeader(header)) refuse("its reader gives other header values");
  const ImageSlot& slot = header.slots[0];
  RuntimeDecode decode = DecodeAsRuntime(path, slot.width, slot.height, slot.offset, slot.size);
  if (decode.result != 1) refuse("its decoder gave up: " + decode.stop);
  if (decode.unwrittenPixels != 0) refuse(std::to_string(decode.unwrittenPixels) + " pixels were never decoded");
  std::string difference = FirstDifference(picture, decode.picture.indices);
  if (!difference.empty()) refuse(difference);
  if (!decode.paletteLoaded || decode.picture.palette != picture.palette) refuse("its palette differs");
}

