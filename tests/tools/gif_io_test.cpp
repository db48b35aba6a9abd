// GIF structure facts, the runtime's subset, and the tool's GIF encoder.
#include <gtest/gtest.h>

#include "gif_io.h"
#include "test_support.h"
#include "tool_error.h"

namespace {

TEST(RuntimeGifEncoder, WritesTheSubsetTheRuntimeReads) {
  Bytes gif = EncodeRuntimeGif(PatternPicture(142, 169));
  GifLayout layout = ReadGifLayout(gif);
  ASSERT_EQ(layout.problem, "");
  EXPECT_EQ(layout.version, "87a");
  EXPECT_TRUE(layout.globalTable);
  EXPECT_EQ(layout.globalTableEntries, 256);
  EXPECT_EQ(layout.extensionCount, 0);
  EXPECT_EQ(layout.imageAt, 13u + 768u) << "the image follows the table directly";
  EXPECT_EQ(layout.runtimeImageAt, layout.imageAt);
  EXPECT_EQ(layout.imageFlags, 0) << "rows in order, no local table";
  EXPECT_EQ(layout.minCodeSize, 8);
  EXPECT_EQ(layout.width, 142);
  EXPECT_EQ(layout.height, 169);
  EXPECT_EQ(layout.imageCount, 1);
  EXPECT_TRUE(RuntimeReadingProblems(layout).empty());
  EXPECT_EQ(gif.back(), 0x3B);
}

TEST(RuntimeGifEncoder, GiflibDecodesWhatWasEncoded) {
  for (auto [width, height] : {std::pair{1, 1}, {1, 50}, {300, 2}, {142, 169}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    IndexedPicture picture = PatternPicture(width, height);
    IndexedPicture decoded = DecodeFirstImage(EncodeRuntimeGif(picture));
    ASSERT_EQ(decoded.width, width);
    ASSERT_EQ(decoded.height, height);
    EXPECT_EQ(decoded.indices, picture.indices);
    EXPECT_EQ(decoded.palette, picture.palette);
  }
}

struct SubsetCase {
  const char* name;
  TestGifRecipe recipe;
  const char* problem;  // a part of the first problem, or "" for none
};

void PrintTo(const SubsetCase& c, std::ostream* os) { *os << c.name; }

class RuntimeSubset : public testing::TestWithParam<SubsetCase> {};

TEST_P(RuntimeSubset, NamesWhatTheRuntimeWouldMisread) {
  const SubsetCase& c = GetParam();
  GifLayout layout = ReadGifLayout(MakeTestGif(c.recipe));
  ASSERT_EQ(layout.problem, "");
  std::vector<std::string> problems = RuntimeReadingProblems(layout);
  if (std::string(c.problem).empty()) {
    EXPECT_TRUE(problems.empty()) << problems.front();
  } else {
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(problems.front().find(c.problem), std::string::npos) << problems.front();
  }
}

TestGifRecipe Recipe(void (*change)(TestGifRecipe&)) {
  TestGifRecipe recipe;
  change(recipe);
  return recipe;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RuntimeSubset,
    testing::Values(
        SubsetCase{"plain", TestGifRecipe(), ""},
        SubsetCase{"interlaced", Recipe([](TestGifRecipe& s) { s.interlace = true; }), ""},
        SubsetCase{"comment", Recipe([](TestGifRecipe& s) { s.comment = "made here"; }), ""},
        SubsetCase{"transparency", Recipe([](TestGifRecipe& s) { s.transparentIndex = 5; }), ""},
        SubsetCase{"small_table", Recipe([](TestGifRecipe& s) { s.tableEntries = 16; }), "16-entry colour table"},
        SubsetCase{"no_table", Recipe([](TestGifRecipe& s) {
                                       s.globalTable = false;
                                       s.localTable = true;  // giflib needs some table
                                     }), "no global colour table"},
        SubsetCase{"local_table", Recipe([](TestGifRecipe& s) { s.localTable = true; }), "local colour table"},
        SubsetCase{"comma_in_comment", Recipe([](TestGifRecipe& s) { s.comment = "one, two"; }), ""}),
    [](const testing::TestParamInfo<SubsetCase>& info) { return info.param.name; });

TEST(GifLayoutReader, TransparentIndexAndExtensionsBeforeTheImage) {
  TestGifRecipe recipe;
  recipe.transparentIndex = 200;
  recipe.comment = "x";
  GifLayout layout = ReadGifLayout(MakeTestGif(recipe));
  EXPECT_EQ(layout.transparentIndex, 200);
  EXPECT_EQ(layout.extensionCount, 2);
  EXPECT_EQ(layout.version, "89a");
}

TEST(GifLayoutReader, BrokenInput) {
  EXPECT_EQ(ReadGifLayout(Bytes{0x89, 'P', 'N', 'G'}).problem, "not a GIF (no GIF signature)");
  EXPECT_EQ(ReadGifLayout(Bytes()).problem, "not a GIF (no GIF signature)");
  Bytes gif = MakeTestGif(TestGifRecipe());
  Bytes head(gif.begin(), gif.begin() + 10);
  EXPECT_EQ(ReadGifLayout(head).problem, "truncated inside the screen descriptor");
  Bytes cut(gif.begin(), gif.begin() + 13 + 768 + 10 + 5);
  EXPECT_EQ(ReadGifLayout(cut).problem, "truncated inside the image data");
  EXPECT_THROW(DecodeFirstImage(cut), ToolError);
  Bytes noImage(gif.begin(), gif.begin() + 13 + 768);
  noImage.push_back(0x3B);
  EXPECT_EQ(ReadGifLayout(noImage).problem, "holds no image");
}

TEST(GifLayoutReader, InterlacedRowsComeBackInPlace) {
  TestGifRecipe recipe;
  recipe.interlace = true;
  recipe.height = 20;
  IndexedPicture decoded = DecodeFirstImage(MakeTestGif(recipe));
  for (int y = 0; y < recipe.height; y++)
    for (int x = 0; x < recipe.width; x++)
      ASSERT_EQ(decoded.indices[(size_t)y * recipe.width + x], TestGifPixel(recipe, x, y)) << x << "," << y;
}

}  // namespace
