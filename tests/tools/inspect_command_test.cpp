// voq-make inspect on savers the tool made and on damaged ones.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "saver_block.h"
#include "test_support.h"

namespace {

class InspectCommand : public testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(Path("picture.gif"), MakeTestGif(recipe_));
    BuildTestSaver(Path("picture.gif"), Path("saver.scr"), {"--objects", "12", "--key", "7", "--background", "3"});
    saver_ = ReadWholeFile(Path("saver.scr"), "saver");
  }
  std::string Path(const std::string& name) const { return folder_.Path() + "/" + name; }
  ProcessResult Inspect(const std::string& name, bool json = false) {
    if (json) return RunTool({"inspect", "--json", Path(name)});
    return RunTool({"inspect", Path(name)});
  }

  TemporaryFolder folder_;
  TestGifRecipe recipe_;
  Bytes saver_;
};

TEST_F(InspectCommand, ShowsEveryHeaderField) {
  ProcessResult run = Inspect("saver.scr");
  std::map<std::string, std::string> lines = ReportLines(run.output);
  std::string fileSize = std::to_string(saver_.size());
  std::map<std::string, std::string> expected = {
      {"file size", fileSize},
      {"magic", "Quillovarnenthodex"},
      {"format version", "2"},
      {"slot 0 width", "16"},
      {"slot 0 height", "12"},
      {"slot 0 key", "7"},
      {"slot 0 offset", "57741"},
      {"slot 0 size", std::to_string(saver_.size() - 57741)},
      {"slot 0 type", "g"},
      {"object count", "12"},
      {"bytes 128-135", "00 00 00 00 00 00 00 00"},
      {"byte 136", "0"},
      {"use background", "1"},
      {"background index", "3"},
      {"byte 139", "0"},
      {"byte 140", "0"},
      {"bytes 141-395", "all zero"},
      {"picture width", "16"},
      {"picture height", "12"},
      {"picture format", "GIF87a, 256-entry global colour table, rows in order, LZW minimum code size 8"},
      {"picture background", "3"},
      {"picture background from", "the header"},
      {"check magic", "ok (matches)"},
      {"check slot 0 type", "ok (g (GIF))"},
      {"check GIF signature", "ok (GIF)"},
  };
  for (int slot = 1; slot < 5; slot++) {
    std::string prefix = "slot " + std::to_string(slot) + " ";
    expected[prefix + "width"] = "0";
    expected[prefix + "height"] = "0";
    expected[prefix + "key"] = "999";
    expected[prefix + "offset"] = fileSize;
    expected[prefix + "size"] = "0";
    expected[prefix + "type"] = "g";
  }
  for (const auto& [name, value] : expected) {
    ASSERT_EQ(lines.count(name), 1u) << "no line \"" << name << "\" in\n" << run.output;
    EXPECT_EQ(lines[name], value) << name;
  }
}

TEST_F(InspectCommand, ShowsTheFieldsTheRuntimeSkips) {
  Bytes changed = saver_;
  changed[57344 + 18] = 7;  // format version 7
  for (int i = 0; i < 8; i++) changed[57344 + 128 + i] = (uint8_t)(0xA0 + i);
  changed[57344 + 136] = 36;
  changed[57344 + 139] = 39;
  changed[57344 + 140] = 40;
  changed[57344 + 200] = 1;
  changed[57344 + 395] = 1;
  WriteBytes(Path("changed.scr"), changed);
  std::map<std::string, std::string> lines = ReportLines(Inspect("changed.scr").output);
  EXPECT_EQ(lines["format version"], "7");
  EXPECT_EQ(lines["bytes 128-135"], "a0 a1 a2 a3 a4 a5 a6 a7");
  EXPECT_EQ(lines["byte 136"], "36");
  EXPECT_EQ(lines["byte 139"], "39");
  EXPECT_EQ(lines["byte 140"], "40");
  EXPECT_EQ(lines["bytes 141-395"], "2 non-zero, the first at header offset 200");
}

TEST_F(InspectCommand, AcceptedSaverShowsItsPicture) {
  ProcessResult run = Inspect("saver.scr");
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  std::map<std::string, std::string> lines = ReportLines(run.output);
  std::set<uint8_t> used;
  int keyPixels = 0;
  for (int y = 0; y < recipe_.height; y++) {
    for (int x = 0; x < recipe_.width; x++) {
      used.insert(TestGifPixel(recipe_, x, y));
      keyPixels += TestGifPixel(recipe_, x, y) == 7;
    }
  }
  EXPECT_EQ(lines["check decodable"], "ok (decoded 16 x 12)");
  EXPECT_EQ(lines["picture colours used"], std::to_string(used.size()));
  EXPECT_EQ(lines["picture key"], "7 #07f831");
  EXPECT_EQ(lines["picture key pixels"], std::to_string(keyPixels));
  EXPECT_EQ(lines["picture background colour"], "#03fc15");
  EXPECT_EQ(lines["accepted"], "yes");
}

TEST_F(InspectCommand, DarkestBackgroundIsTheRuntimesChoice) {
  BuildTestSaver(Path("picture.gif"), Path("darkest.scr"), {});
  std::map<std::string, std::string> lines = ReportLines(Inspect("darkest.scr").output);
  // Colour i is (i, 255 - i, 7 i mod 256): only entry 0 has the smallest sum, 255.
  EXPECT_EQ(lines["picture background"], "0");
  EXPECT_EQ(lines["picture background colour"], "#00ff00");
  EXPECT_EQ(lines["picture background from"], "the darkest entry");
}

TEST_F(InspectCommand, JsonCarriesTheSameReport) {
  ProcessResult run = Inspect("saver.scr", true);
  for (const char* part : {"\"object_count\": 12", "\"use_background\": 1", "\"background_index\": 3",
                           "\"offset\": 57741", "\"magic\": {\"ok\": true", "\"accepted\": true"})
    EXPECT_NE(run.output.find(part), std::string::npos) << part << " missing in\n" << run.output;
  EXPECT_EQ(run.output.front(), '{');
  EXPECT_EQ(run.output.substr(run.output.size() - 2), "}\n");
}

struct DamageCase {
  const char* name;
  size_t at;        // file offset to change
  Bytes bytes;      // new bytes there; empty: cut the file at `at`
  const char* check;
  const char* reason = "";  // part of the error line after the check's name
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

class InspectRefusal : public InspectCommand, public testing::WithParamInterface<DamageCase> {};

TEST_P(InspectRefusal, NamesTheFailedCheckAndExitsOne) {
  const DamageCase& c = GetParam();
  Bytes damaged = saver_;
  if (c.bytes.empty())
    damaged.resize(c.at);
  else
    std::copy(c.bytes.begin(), c.bytes.end(), damaged.begin() + c.at);
  WriteBytes(Path("damaged.scr"), damaged);
  ProcessResult run = Inspect("damaged.scr");
  EXPECT_EQ(run.exitCode, 1);
  std::map<std::string, std::string> lines = ReportLines(run.output);
  EXPECT_EQ(lines["accepted"], "no");
  EXPECT_EQ(lines["check " + std::string(c.check)].rfind("FAILED", 0), 0u) << run.output;
  std::string expected = "voq-make: error: " + Path("damaged.scr") + " would be refused: " + c.check + ": ";
  EXPECT_EQ(run.errors.rfind(expected, 0), 0u) << run.errors;
  EXPECT_NE(run.errors.find(c.reason), std::string::npos) << run.errors;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InspectRefusal,
    testing::Values(DamageCase{"magic_case", 57344, {'q'}, "magic"},
                    DamageCase{"short_file", 57344 + 200, {}, "header"},
                    DamageCase{"offset_past_end", 57344 + 22 + 12, {0xff, 0xff, 0, 0}, "slot 0 inside file"},
                    DamageCase{"size_zero", 57344 + 22 + 16, {0, 0, 0, 0}, "slot 0 inside file"},
                    DamageCase{"type_not_g", 57344 + 22 + 20, {'j'}, "slot 0 type"},
                    DamageCase{"no_signature", 57741, {'P', 'N', 'G'}, "GIF signature"},
                    DamageCase{"negative_width", 57344 + 22, {0xff, 0xff, 0xff, 0xff}, "decodable"},
                    // LZW minimum code size 1, outside what the decoder reads.
                    DamageCase{"code_size_1", 57741 + 13 + 768 + 10, {1}, "decodable",
                               "the runtime's decoder gave up (LZW minimum code size outside 2 to 9)"}),
    [](const testing::TestParamInfo<DamageCase>& info) { return info.param.name; });

TEST(InspectArguments, MissingSaverAndUsage) {
  ProcessResult run = RunTool({"inspect", "/nonexistent/saver.scr"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.errors, "voq-make: error: cannot read saver /nonexistent/saver.scr: No such file or directory\n");
  run = RunTool({"inspect"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.errors, "voq-make: error: inspect needs a SAVER to inspect (see voq-make inspect --help)\n");
}

}  // namespace
