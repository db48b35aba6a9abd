// The data block as the tool lays it out, read back by the runtime's parser.
#include <gtest/gtest.h>

#include <cstring>

#include "saver_block.h"
#include "test_support.h"
#include "tool_error.h"

namespace {

SaverHeader ParseWithRuntime(const Bytes& bytes) {
  SaverHeader parsed;
  std::memset(&parsed, 0xAB, sizeof parsed);
  EXPECT_EQ(ParseSaverHeader(bytes.data(), &parsed), 1);
  return parsed;
}

TEST(SaverHeaderLayout, RuntimeParserReadsEverySlotAndSetting) {
  ShowSettings show;
  show.objectCount = 9;
  show.useBackground = true;
  show.backgroundIndex = 12;
  Bytes bytes = EncodeHeader(MakeHeader(142, 169, 19062, show));
  ASSERT_EQ(bytes.size(), 396u);
  SaverHeader parsed = ParseWithRuntime(bytes);

  EXPECT_EQ(parsed.slots[0].width, 142);
  EXPECT_EQ(parsed.slots[0].height, 169);
  EXPECT_EQ(parsed.slots[0].colorKey, 999);
  EXPECT_EQ(parsed.slots[0].offset, 57741);
  EXPECT_EQ(parsed.slots[0].size, 19062);
  EXPECT_EQ(parsed.slots[0].type, 'g');
  for (int i = 1; i < 5; i++) {
    SCOPED_TRACE("slot " + std::to_string(i));
    EXPECT_EQ(parsed.slots[i].width, 0);
    EXPECT_EQ(parsed.slots[i].height, 0);
    EXPECT_EQ(parsed.slots[i].colorKey, 999);
    EXPECT_EQ(parsed.slots[i].offset, 57741 + 19062) << "the saver's file size";
    EXPECT_EQ(parsed.slots[i].size, 0);
    EXPECT_EQ(parsed.slots[i].type, 'g');
  }
  EXPECT_EQ(parsed.objectCount, 9);
  EXPECT_EQ(parsed.useBackground, 1);
  EXPECT_EQ(parsed.backgroundIndex, 12);
}

TEST(SaverHeaderLayout, FieldsOutsideTheUsedOnesAreZero) {
  ShowSettings show;
  show.objectCount = 50;
  show.colorKey = 255;
  show.useBackground = true;
  show.backgroundIndex = 255;
  Bytes bytes = EncodeHeader(MakeHeader(65535, 65535, 0x7ffff, show));
  EXPECT_EQ(std::memcmp(bytes.data(), "Quillovarnenthodex", 18), 0);
  EXPECT_EQ(Int32At(bytes, 18), 2);
  EXPECT_EQ(bytes[127], 50);
  EXPECT_EQ(bytes[137], 1);
  EXPECT_EQ(bytes[138], 255);
  for (size_t at = 128; at < bytes.size(); at++) {
    if (at == 137 || at == 138) continue;
    EXPECT_EQ(bytes[at], 0) << "byte " << at;
  }
}

TEST(SaverHeaderLayout, DarkestBackgroundClearsFlagAndIndex) {
  ShowSettings show;
  show.backgroundIndex = 77;  // ignored without the flag
  Bytes bytes = EncodeHeader(MakeHeader(10, 10, 100, show));
  SaverHeader parsed = ParseWithRuntime(bytes);
  EXPECT_EQ(parsed.useBackground, 0);
  EXPECT_EQ(parsed.backgroundIndex, 0);
  EXPECT_EQ(parsed.objectCount, 9);
}

TEST(SaverHeaderLayout, EncoderWritesBackWhatTheParserReads) {
  Bytes bytes(396);
  for (size_t i = 0; i < bytes.size(); i++) bytes[i] = (uint8_t)(i * 7 + 3);
  std::memcpy(bytes.data(), "Quillovarnenthodex", 18);
  SaverHeader parsed = ParseWithRuntime(bytes);
  EXPECT_EQ(parsed.slots[4].type, bytes[22 + 4 * 21 + 20]);
  Bytes again = EncodeHeader(parsed);
  for (size_t at = 22; at < 128; at++) EXPECT_EQ(again[at], bytes[at]) << "slot byte " << at;
  EXPECT_EQ(again[137], bytes[137]);
  EXPECT_EQ(again[138], bytes[138]);
  for (size_t at : {128u, 135u, 136u, 139u, 140u, 395u}) EXPECT_EQ(again[at], 0) << "byte " << at;
}

TEST(SaverFile, RuntimeIsPaddedAndBlockFollowsAtItsOffset) {
  Bytes runtime(1000, 0x5A);
  runtime[0] = 'M';
  runtime[1] = 'Z';
  Bytes gif = {'G', 'I', 'F', '8', '7', 'a'};
  Bytes block = MakeBlock(MakeHeader(1, 1, (int32_t)gif.size(), ShowSettings()), gif);
  Bytes saver = JoinSaver(runtime, block);
  ASSERT_EQ(saver.size(), 57344u + 397u + gif.size());
  EXPECT_TRUE(std::equal(runtime.begin(), runtime.end(), saver.begin()));
  for (size_t at = runtime.size(); at < 57344; at++) ASSERT_EQ(saver[at], 0) << "padding byte " << at;
  EXPECT_EQ(saver[57344 + 396], 0) << "the spare byte";
  EXPECT_EQ(std::memcmp(&saver[57741], "GIF87a", 6), 0);
  EXPECT_EQ(BlockOfSaver(saver, "x"), block);
}

TEST(SaverFile, RuntimeChecks) {
  Bytes elf = {0x7f, 'E', 'L', 'F'};
  elf.resize(57344, 0);
  EXPECT_NO_THROW(CheckRuntime(elf, "r"));
  elf.push_back(0);
  try {
    CheckRuntime(elf, "r");
    FAIL() << "a runtime one byte over the budget was taken";
  } catch (const ToolError& error) {
    EXPECT_STREQ(error.what(), "runtime r is 57345 bytes, over the 57344-byte budget");
  }
  EXPECT_THROW(CheckRuntime(Bytes(), "r"), ToolError);
  EXPECT_THROW(CheckRuntime(Bytes(100, 'G'), "r"), ToolError);
  EXPECT_THROW(BlockOfSaver(Bytes(57344 + 395, 0), "s"), ToolError);
}

}  // namespace
