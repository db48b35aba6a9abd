// XScreenSaver's switches as the platform reads them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hack.h"

namespace {

struct Read {
  HackTarget target;
  unsigned long window;
};

Read ReadSwitches(std::vector<std::string> arguments, const char* environment = nullptr) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  Read read = {kHackNone, 0xDEAD};
  read.target = ReadHackSwitches((int)argv.size(), argv.data(), environment, &read.window);
  return read;
}

TEST(HackSwitches, WindowsSwitchesAreLeftToTheProgram) {
  for (auto arguments : std::vector<std::vector<std::string>>{
           {}, {"/s"}, {"/p", "1234"}, {"ws"}, {"/c:99"}, {"-fps"}, {"--windowid", "5"}})
    EXPECT_EQ(ReadSwitches(arguments).target, kHackNone) << arguments.size();
}

TEST(HackSwitches, RootIsXScreenSaversWindowElseTheRootWindow) {
  for (const char* root : {"-root", "--root"}) {
    Read plain = ReadSwitches({root});
    EXPECT_EQ(plain.target, kHackGivenWindow);
    EXPECT_EQ(plain.window, 0u) << "the root window";
    Read empty = ReadSwitches({root}, "");
    EXPECT_EQ(empty.window, 0u) << "an empty variable names nothing";
    EXPECT_EQ(ReadSwitches({root}, "0x1e00007").window, 0x1e00007u);
    EXPECT_EQ(ReadSwitches({root}, "31457287").window, 31457287u);
    EXPECT_EQ(ReadSwitches({root}, "window").target, kHackBadSwitch);
  }
}

TEST(HackSwitches, WindowIdInHexadecimalOrDecimal) {
  struct Case {
    const char* id;
    unsigned long window;
  } cases[] = {{"0x40000a", 0x40000a}, {"0X40000A", 0x40000a}, {"4194314", 4194314},
               {"0xffffffff", 0xffffffffu}, {"007", 7}};
  for (const Case& c : cases) {
    for (const char* name : {"-window-id", "--window-id"}) {
      Read read = ReadSwitches({name, c.id}, "0x99");
      EXPECT_EQ(read.target, kHackGivenWindow) << name << " " << c.id;
      EXPECT_EQ(read.window, c.window) << name << " " << c.id;
    }
  }
}

TEST(HackSwitches, AMissingOrMalformedWindowIdIsRefused) {
  for (const char* id : {"", "0x", "0", "0x0", "-5", "+5", " 5", "5 ", "12z", "0x4g", "1.5",
                         "0x100000000", "4294967296", "99999999999999999999999"})
    EXPECT_EQ(ReadSwitches({"--window-id", id}).target, kHackBadSwitch) << "'" << id << "'";
  EXPECT_EQ(ReadSwitches({"-window-id"}).target, kHackBadSwitch) << "no id at all";
}

TEST(HackSwitches, OwnWindowAndTheLastSwitchWins) {
  EXPECT_EQ(ReadSwitches({"-window"}).target, kHackOwnWindow);
  EXPECT_EQ(ReadSwitches({"--window"}).target, kHackOwnWindow);
  EXPECT_EQ(ReadSwitches({"-window-id", "0x20", "-window"}).target, kHackOwnWindow);
  Read last = ReadSwitches({"-window", "--root", "-window-id", "7"});
  EXPECT_EQ(last.target, kHackGivenWindow);
  EXPECT_EQ(last.window, 7u);
}

TEST(HackSwitches, XScreenSaversOtherSwitchesAreIgnored) {
  Read read = ReadSwitches({"-install", "-root", "-visual", "default", "-fps", "--delay", "5"});
  EXPECT_EQ(read.target, kHackGivenWindow);
  EXPECT_EQ(read.window, 0u);
}

}  // namespace
