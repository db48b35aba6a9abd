// File opening ignores trailing blanks in the name, as Windows' does: the
// unquoted command line leaves one at the end of the program's own path.
#include <fstream>
#include <string>

#include "tests/lib/temporary.h"

#include <windows.h>

namespace {

class Files : public TempDirectoryTest {
 protected:
  void SetUp() override {
    TempDirectoryTest::SetUp();
    std::ofstream(directory / "saver.scr") << "saver";
    std::ofstream(directory / "two words.scr") << "two";
  }

  // What fopen (the program's, through the platform header) reads, or
  // "(null)" when it does not open.
  std::string Read(const std::string& name) {
    FILE* file = fopen(name.c_str(), "rb");
    if (file == nullptr) return "(null)";
    char text[16] = {};
    size_t got = fread(text, 1, sizeof text - 1, file);
    fclose(file);
    return std::string(text, got);
  }
};

TEST_F(Files, TrailingBlanksAreIgnored) {
  std::string base = (directory / "saver.scr").string();
  struct Case {
    std::string name;
    std::string read;
  } cases[] = {
      {base, "saver"},
      {base + " ", "saver"},
      {base + "   ", "saver"},
      {(directory / "two words.scr").string() + " ", "two"},
      {" " + base, "(null)"},
      {base + " x", "(null)"},
      {"", "(null)"},
      {"   ", "(null)"},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(c.name), c.read) << "'" << c.name << "'";
}

TEST_F(Files, FileHandlesOpenTheSameWay) {
  std::string name = (directory / "saver.scr").string() + " ";
  HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char text[8] = {};
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(file, text, 5, &got, NULL));
  EXPECT_EQ(got, 5u);
  EXPECT_EQ(std::string(text, got), "saver");
  EXPECT_TRUE(CloseHandle(file));
}

}  // namespace
