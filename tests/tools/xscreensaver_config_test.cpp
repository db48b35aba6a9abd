// The edits of ~/.xscreensaver's programs list: only the one entry changes.
#include <gtest/gtest.h>

#include "test_support.h"
#include "xscreensaver_config.h"

namespace {

const std::string kProgram = "/home/alice/.local/share/quillovarnenthodex/photo";

std::string Fixture() {
  Bytes bytes = ReadWholeFile(VOQ_SOURCE_DIR "/tests/tools/data/xscreensaver-6.06", "fixture");
  return std::string(bytes.begin(), bytes.end());
}

std::string Line(const std::string& label = "photo") {
  return ProgramEntryLine(label, kProgram + " --root");
}

// Adds the entry, checks that exactly line went in at the expected place,
// and that taking it out again gives back the text byte for byte.
void ExpectRoundTrip(const std::string& text, const std::string& before, const std::string& line) {
  std::string added = WithProgramEntry(text, kProgram, line);
  size_t at = added.find(line);
  ASSERT_NE(at, std::string::npos) << added;
  EXPECT_EQ(added.substr(0, at) + added.substr(at + line.size()), text);
  EXPECT_EQ(added.substr(at + line.size(), before.size()), before) << added;
  int removed = 0;
  EXPECT_EQ(WithoutProgramEntry(added, kProgram, &removed), text);
  EXPECT_EQ(removed, 1);
}

TEST(XScreenSaverConfig, EntryLineIsLaidOutAsTheSettingsProgramWritesIt) {
  EXPECT_EQ(ProgramEntryLine("photo", "/p/photo --root"),
            "\t\t       \"photo\" \t/p/photo --root\t\t\t\t    \\n\\\n");
  // A long label or command runs on; the line still ends the entry.
  std::string line = ProgramEntryLine(std::string(40, 'a'), std::string(60, 'b'));
  EXPECT_EQ(line.rfind("\" " + std::string(60, 'b') + " \\n\\\n"), line.size() - 67);
}

TEST(XScreenSaverConfig, FileWrittenBySettingsGetsOneLineAfterItsLastEntry) {
  std::string text = Fixture();
  ASSERT_NE(text.find("abstractile --root"), std::string::npos);
  ExpectRoundTrip(text, "\n\npointerHysteresis:", Line());
}

TEST(XScreenSaverConfig, SameProgramAgainReplacesItsEntryInPlace) {
  std::string text = Fixture();
  std::string once = WithProgramEntry(text, kProgram, Line("photo"));
  std::string twice = WithProgramEntry(once, kProgram, Line("Holiday"));
  EXPECT_EQ(twice.find("\"photo\""), std::string::npos);
  size_t at = twice.find(Line("Holiday"));
  ASSERT_EQ(at, once.find(Line("photo")));
  EXPECT_EQ(twice.find(kProgram, at + 1 + kProgram.size() + 10), std::string::npos) << "entered twice";
  int removed = 0;
  EXPECT_EQ(WithoutProgramEntry(twice, kProgram, &removed), text);
  EXPECT_EQ(removed, 1);
}

TEST(XScreenSaverConfig, WithoutAListOneIsAddedAndTakenAwayAgain) {
  const std::string line = Line();
  for (const std::string& text : {std::string(""), std::string("timeout:\t0:05:00\nlock:\t\tTrue\n"),
                                  std::string("# programs: maze --root\nmode:\t\tone\n")}) {
    SCOPED_TRACE(text);
    std::string added = WithProgramEntry(text, kProgram, line);
    EXPECT_EQ(added, text + "programs:\t\\\n" + line + "\n");
    int removed = 0;
    EXPECT_EQ(WithoutProgramEntry(added, kProgram, &removed), text);
    EXPECT_EQ(removed, 1);
  }
}

TEST(XScreenSaverConfig, HandWrittenListsKeepTheirOwnLines) {
  // A last entry without a closing \n: ours goes on the line before it.
  ExpectRoundTrip("programs:\t\\\n  maze --root \\n\\\n  qix --root\nlock: True\n", "  qix --root\n", Line());
  // Comments and a later list: the last list is the one XScreenSaver keeps.
  ExpectRoundTrip("programs: old --root\n! note \\\n programs: x\nPrograms: \\\n  maze --root \\n\\\n\nfade: True\n",
                  "\nfade: True\n", Line());
  // On one line there is no line of its own to add: the list is continued.
  std::string added = WithProgramEntry("programs: maze --root\nlock: True\n", kProgram, Line());
  EXPECT_EQ(added, "programs: maze --root \\n\\\n" + Line() + "\nlock: True\n");
  added = WithProgramEntry("programs:\n", kProgram, Line());
  EXPECT_EQ(added, "programs:\\\n" + Line() + "\n");
}

TEST(XScreenSaverConfig, OnlyEntriesRunningTheProgramItselfAreOurs) {
  std::string others =
      "programs:\t\\\n"
      "  \"Clock\" sh -c '" + kProgram + " --root' \\n\\\n"
      "  " + kProgram + "2 --root \\n\\\n"
      "  maze --root " + kProgram + " \\n\\\n"
      "\n";
  int removed = 0;
  EXPECT_EQ(WithoutProgramEntry(others, kProgram, &removed), others);
  EXPECT_EQ(removed, 0);
  // Disabled, with a visual, or relabelled by the settings program: still ours.
  std::string ours =
      "programs:\t\\\n"
      "-\t\t\t\t" + kProgram + " --root\t\\n\\\n"
      "  GL: \"Photo\"  " + kProgram + "\t\\n\\\n"
      "  maze --root \\n\\\n"
      "\n";
  EXPECT_EQ(WithoutProgramEntry(ours, kProgram, &removed), "programs:\t\\\n  maze --root \\n\\\n\n");
  EXPECT_EQ(removed, 2);
  // Entries sharing a line lose only their own text.
  EXPECT_EQ(WithoutProgramEntry("programs: maze \\n " + kProgram + " --root \\n qix\n", kProgram, &removed),
            "programs: maze \\n qix\n");
}

TEST(XScreenSaverConfig, ShellWordQuotesWhatTheShellWouldSplit) {
  EXPECT_EQ(ShellWord("/home/al/.local/share/q/photo-1.2_x"), "/home/al/.local/share/q/photo-1.2_x");
  EXPECT_EQ(ShellWord("/home/Al Smith/q/photo"), "'/home/Al Smith/q/photo'");
  EXPECT_EQ(ShellWord("/home/$USER/q"), "'/home/$USER/q'");
  for (const char* refused : {"/home/o'neil/q", "/a\\b", "/a\"b", "/a\nb", ""}) EXPECT_EQ(ShellWord(refused), "") << refused;
}

}  // namespace
