#include <gtest/gtest.h>

#include <stdio.h>

#include <memory>
#include <string>
#include <vector>

#include "data/saver_data.h"
#include "tests/lib/temporary.h"

namespace {

void PutInt32(std::vector<unsigned char>& bytes, size_t at, int32_t value) {
  for (int i = 0; i < 4; i++) bytes[at + i] = (unsigned char)((uint32_t)value >> (8 * i));
}

// The block as the authoring tool lays it out for our 142 x 169 sample: the
// GIF one byte after the header, slots 1 to 4 pointing at the end of the file.
std::vector<unsigned char> SampleFile() {
  const int32_t gifSize = 19062;
  const int32_t fileSize = 57741 + gifSize;
  std::vector<unsigned char> bytes(fileSize, 0);
  unsigned char* block = bytes.data() + 57344;
  memcpy(block, "Quillovarnenthodex", 18);
  PutInt32(bytes, 57344 + 18, 2);
  for (int slot = 0; slot < 5; slot++) {
    size_t at = 57344 + 22 + 21 * slot;
    PutInt32(bytes, at, slot == 0 ? 142 : 0);
    PutInt32(bytes, at + 4, slot == 0 ? 169 : 0);
    PutInt32(bytes, at + 8, 999);
    PutInt32(bytes, at + 12, slot == 0 ? 57741 : fileSize);
    PutInt32(bytes, at + 16, slot == 0 ? gifSize : 0);
    bytes[at + 20] = 'g';
  }
  block[127] = 9;
  for (int i = 128; i <= 136; i++) block[i] = 0xEE;  // the tool's own bytes
  block[137] = 1;
  block[138] = 12;
  block[139] = 0xEE;
  block[140] = 0xEE;
  memcpy(bytes.data() + 57741, "GIF87a", 6);
  return bytes;
}

class SaverFile : public ::testing::Test {
 protected:
  const char* Write(const std::vector<unsigned char>& bytes) {
    file = std::make_unique<TemporaryFile>(bytes, "voq-data");
    return file->path();
  }
  std::unique_ptr<TemporaryFile> file;
};

TEST_F(SaverFile, SampleBlockGivesEveryField) {
  memset(&saverHeader, 0xAB, sizeof saverHeader);
  ASSERT_EQ(ReadSaverData(Write(SampleFile())), 1);
  const ImageSlot& s = saverHeader.slots[0];
  EXPECT_EQ(s.width, 142);
  EXPECT_EQ(s.height, 169);
  EXPECT_EQ(s.colorKey, kNoColorKey);
  EXPECT_EQ(s.offset, 57741);
  EXPECT_EQ(s.size, 19062);
  EXPECT_EQ(s.type, 'g');
  for (int i = 1; i < 5; i++) {
    EXPECT_EQ(saverHeader.slots[i].width, 0) << "slot " << i;
    EXPECT_EQ(saverHeader.slots[i].height, 0) << "slot " << i;
    EXPECT_EQ(saverHeader.slots[i].colorKey, 999) << "slot " << i;
    EXPECT_EQ(saverHeader.slots[i].offset, 57741 + 19062) << "slot " << i;
    EXPECT_EQ(saverHeader.slots[i].size, 0) << "slot " << i;
    EXPECT_EQ(saverHeader.slots[i].type, 'g') << "slot " << i;
  }
  EXPECT_EQ(saverHeader.objectCount, 9);
  EXPECT_EQ(saverHeader.useBackground, 1);
  EXPECT_EQ(saverHeader.backgroundIndex, 12);
}

TEST_F(SaverFile, ValuesAreTakenAsStored) {
  std::vector<unsigned char> bytes = SampleFile();
  PutInt32(bytes, 57344 + 22, -5);
  PutInt32(bytes, 57344 + 22 + 16, -1);
  bytes[57344 + 127] = 0;
  bytes[57344 + 22 + 20] = 'x';
  ASSERT_EQ(ReadSaverData(Write(bytes)), 1);
  EXPECT_EQ(saverHeader.slots[0].width, -5);
  EXPECT_EQ(saverHeader.slots[0].size, -1);
  EXPECT_EQ(saverHeader.slots[0].type, 'x');
  EXPECT_EQ(saverHeader.objectCount, 0);
}

TEST_F(SaverFile, MagicMustMatchExactly) {
  const char* wrong[] = {"quillovarnenthodex", "QUILLOVARNENTHODEX", "Quillovarnenthodey",
                         "Xuillovarnenthodex"};
  for (const char* magic : wrong) {
    std::vector<unsigned char> bytes = SampleFile();
    memcpy(bytes.data() + 57344, magic, 18);
    EXPECT_EQ(ReadSaverData(Write(bytes)), 0) << magic;
  }
}

TEST_F(SaverFile, FileEndingInsideTheHeaderIsCorrupt) {
  for (size_t length : {0, 1, 18, 127, 395}) {
    std::vector<unsigned char> bytes = SampleFile();
    bytes.resize(57344 + length);
    EXPECT_EQ(ReadSaverData(Write(bytes)), 0) << "header of " << length << " bytes";
  }
  std::vector<unsigned char> exact = SampleFile();
  exact.resize(57344 + 396);
  EXPECT_EQ(ReadSaverData(Write(exact)), 1) << "a whole header with nothing after it";
}

TEST_F(SaverFile, RuntimeWithoutABlockIsCorrupt) {
  EXPECT_EQ(ReadSaverData(Write(std::vector<unsigned char>(30000, 0x90))), 0);
}

TEST_F(SaverFile, TrailingBlankOfAnUnquotedPathIsIgnored) {
  std::string withBlank = std::string(Write(SampleFile())) + " ";
  EXPECT_EQ(ReadSaverData(withBlank.c_str()), 1);
}

TEST(SaverData, MissingFileSaysErrorOpeningFile) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReadSaverData("/nonexistent/voq/saver.scr"), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("error opening file"), std::string::npos);
}

}  // namespace
