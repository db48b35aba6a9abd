#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "shell/entry.h"

namespace {

std::string OwnPath(const char* commandLine) {
  char* path = DeriveOwnPath(commandLine);
  std::string result(path);
  free(path);
  return result;
}

TEST(OwnPath, QuotedFormDropsQuotesBlankAndSwitch) {
  EXPECT_EQ(OwnPath("\"C:\\dir\\x.scr\" /s"), "C:\\dir\\x.scr");
}

TEST(OwnPath, UnquotedFormKeepsTheBlankBeforeTheSwitch) {
  EXPECT_EQ(OwnPath("C:\\DIR\\X.SCR /s"), "C:\\DIR\\X.SCR ");
}

TEST(OwnPath, TooShortGivesEmptyPath) {
  EXPECT_EQ(OwnPath(""), "");
  EXPECT_EQ(OwnPath("/s"), "");
  EXPECT_EQ(OwnPath("\"a\" /"), "");
  EXPECT_EQ(OwnPath("\""), "");
}

TEST(OwnPath, PathsOfAnyLengthAreKeptWhole) {
  std::string longPath = "/tmp/" + std::string(5000, 'd') + "/saver.scr";
  EXPECT_EQ(OwnPath(("\"" + longPath + "\" /s").c_str()), longPath);
  EXPECT_EQ(OwnPath((longPath + " /s").c_str()), longPath + " ");
}

TEST(RunMode, FirstTwoCharactersChooseTheMode) {
  struct Case {
    const char* args;
    RunMode mode;
  } cases[] = {
      {"/s", kRunSaver},        {"/S", kRunSaver},         {"s", kRunSaver},
      {"S", kRunSaver},         {"ws", kRunSaver},         {"/p 1234", kRunPreview},
      {"/p", kRunPreview},      {"/P", kRunConfig},        {"/a 1234", kRunPassword},
      {"/A:1234", kRunPassword}, {"/c", kRunConfig},       {"/c:1234", kRunConfig},
      {"", kRunConfig},         {"w", kRunConfig},         {"sp", kRunPreview},
      {"ps", kRunSaver},        {"as", kRunSaver},         {"/x s", kRunConfig},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseRunMode(c.args), c.mode) << "args \"" << c.args << "\"";
}

TEST(PasswordHandle, TakenFromTheFourthCharacterOn) {
  struct Case {
    const char* args;
    uintptr_t handle;
  } cases[] = {
      {"/a:1234", 1234}, {"/a 1234", 1234}, {"/a", 0},        {"/a ", 0},
      {"/a 0", 0},       {"/a :: 42", 42},  {"/a 12ab", 12},  {"/a x", 0},
      {"/a   7", 7},     {"/a +9", 9},      {"/a 4294967295", 0xFFFFFFFFu}, {"/a 4294967296", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ParsePasswordHandle(c.args), c.handle) << "args \"" << c.args << "\"";
}

TEST(PasswordHandle, TextOfAnyLengthIsReadSafely) {
  std::string args = "/a " + std::string(100000, '9');
  ParsePasswordHandle(args.c_str());
  std::string blanks = "/a" + std::string(100000, ' ');
  EXPECT_EQ(ParsePasswordHandle(blanks.c_str()), 0u);
}

}  // namespace
