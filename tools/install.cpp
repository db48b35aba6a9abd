// voq-make install / uninstall: a user's saver registered with XScreenSaver
// for that user. The saver is copied under the user's data folder and
// listed in ~/.xscreensaver; uninstall takes back exactly those two.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "commands.h"
#include "install_layout.h"
#include "options.h"
#include "saver_check.h"
#include "tool_error.h"
#include "xscreensaver_config.h"

namespace {

const char kDataFolderName[] = "quillovarnenthodex";
// The switch that makes a saver draw where XScreenSaver tells it to.
const char kHackSwitch[] = "--root";

std::string Home() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home != '/') throw ToolError("HOME is not set to a folder");
  return home;
}

// XDG_DATA_HOME, else ~/.local/share, then our own folder in it.
std::string SaverFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::string base = data != nullptr && *data == '/' ? data : Home() + "/.local/share";
  return base + "/" + kDataFolderName;
}

// The file XScreenSaver reads; through a symbolic link, as XScreenSaver itself writes it.
std::string ConfigPath() {
  std::string path = Home() + "/.xscreensaver";
  std::error_code error;
  if (std::filesystem::is_symlink(path, error)) {
    std::string target = std::filesystem::weakly_canonical(path, error).string();
    if (!error && !target.empty()) return target;
  }
  return path;
}

void CheckXScreenSaverInstalled() {
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "";
  size_t at = 0;
  while (at <= folders.size()) {
    size_t colon = folders.find(':', at);
    if (colon == std::string::npos) colon = folders.size();
    std::string folder = folders.substr(at, colon - at);
    if (!folder.empty() && access((folder + "/xscreensaver").c_str(), X_OK) == 0) return;
    at = colon + 1;
  }
  throw ToolError("XScreenSaver is not installed (no xscreensaver on PATH): install the Debian package xscreensaver first");
}

// A name that is a plain file name and a plain label.
void CheckName(const std::string& name) {
  bool ok = !name.empty() && name.size() <= 64 && name[0] != '.' && name[0] != '-';
  for (char c : name) ok = ok && (std::isalnum((unsigned char)c) || c == '.' || c == '_' || c == '-' || c == '+');
  if (!ok)
    throw UsageError("saver name \"" + name + "\": use up to 64 letters, digits, '.', '_', '-' or '+', " +
                     "not starting with '.' or '-' (choose one with --name)");
}

std::string DefaultName(const std::string& saver) {
  std::string name = FileNameOf(saver);
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// The command word that runs the installed copy.
std::string ProgramWord(const std::string& installed) {
  std::string word = ShellWord(installed);
  if (word.empty()) throw ToolError("cannot list " + installed + " in ~/.xscreensaver: its path holds a quote, backslash or control character");
  return word;
}

// Whether saver lies in the XScreenSaver folder of hacks the package
// installed into (its sample): XScreenSaver runs those by name from there.
bool IsInstalledHack(const std::string& saver) {
  std::string hacks = InstalledHackFolder();
  if (hacks.empty()) return false;
  std::error_code error;
  return std::filesystem::equivalent(FolderOf(saver), hacks, error);
}

Bytes ReadConfig(const std::string& path, bool* exists) {
  *exists = FileExists(path);
  return *exists ? ReadWholeFile(path, "XScreenSaver settings") : Bytes();
}

// The whole file replaced at once, with the mode it had.
void WriteConfig(const std::string& path, const std::string& text, bool existed) {
  Bytes bytes(text.begin(), text.end());
  AtomicFile file(path, bytes, false);
  struct stat info;
  if (existed && stat(path.c_str(), &info) == 0 && chmod(file.TemporaryPath().c_str(), info.st_mode & 07777) != 0)
    throw ToolError("cannot write " + path + ": cannot keep its mode");
  file.Commit();
}

}  // namespace

int RunInstall(const Arguments& arguments) {
  Options options("install", arguments, {"--name"}, {});
  if (options.Has("--help")) {
    std::fputs(kInstallHelp, stdout);
    return 0;
  }
  options.ExpectPositional(1, 1, "a SAVER");
  const std::string& saver = options.Positional()[0];
  std::string name = options.Value("--name", DefaultName(saver));
  CheckName(name);
  CheckXScreenSaverInstalled();
  SaverAnalysis analysis = AnalyseAcceptedSaver(saver);
  if (analysis.runtimeKind != "ELF")
    throw ToolError(saver + " is a Windows saver: XScreenSaver runs savers made with --target linux");

  // The package's own hack is listed by name; anything else is copied first.
  bool hack = IsInstalledHack(saver);
  if (hack && name != FileNameOf(saver))
    throw UsageError(saver + " is an installed hack: it is listed under its own name");
  std::string folder = SaverFolder();
  std::string installed = hack ? saver : folder + "/" + name;
  std::string word = hack ? name : ProgramWord(installed);
  std::string config = ConfigPath();
  bool existed = false;
  Bytes old = ReadConfig(config, &existed);
  std::string text = WithProgramEntry(std::string(old.begin(), old.end()), word,
                                      ProgramEntryLine(name, word + " " + kHackSwitch));
  if (hack) {
    WriteConfig(config, text, existed);
    std::printf("voq-make: listed %s in %s\n", name.c_str(), config.c_str());
    return 0;
  }

  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw ToolError("cannot make " + folder + ": " + error.message());
  AtomicFile copy(installed, ReadWholeFile(saver, "saver"), true);
  WriteConfig(config, text, existed);
  copy.Commit();
  std::printf("voq-make: installed %s as %s and listed it in %s\n", name.c_str(), installed.c_str(),
              config.c_str());
  return 0;
}

int RunUninstall(const Arguments& arguments) {
  Options options("uninstall", arguments, {}, {});
  if (options.Has("--help")) {
    std::fputs(kUninstallHelp, stdout);
    return 0;
  }
  options.ExpectPositional(1, 1, "the NAME of an installed saver");
  const std::string& name = options.Positional()[0];
  CheckName(name);
  std::string folder = SaverFolder();
  std::string installed = folder + "/" + name;
  std::string config = ConfigPath();
  bool existed = false;
  Bytes old = ReadConfig(config, &existed);
  int removed = 0;
  std::string text = WithoutProgramEntry(std::string(old.begin(), old.end()), ProgramWord(installed), &removed);
  std::string hacks = InstalledHackFolder();
  if (!hacks.empty() && FileExists(hacks + "/" + name)) {
    int listed = 0;
    text = WithoutProgramEntry(text, name, &listed);
    removed += listed;
  }
  bool copied = FileExists(installed);
  if (removed == 0 && !copied)
    throw ToolError(name + " is not installed: no " + installed + " and no entry for it in " + config);

  if (removed > 0) {
    if (text.empty()) {
      // The file held nothing but what install wrote into it.
      if (unlink(config.c_str()) != 0) throw ToolError("cannot remove " + config);
    } else {
      WriteConfig(config, text, existed);
    }
  }
  if (copied && unlink(installed.c_str()) != 0) throw ToolError("cannot remove " + installed);
  rmdir(folder.c_str());  // only when nothing else is left in it
  std::printf("voq-make: uninstalled %s\n", name.c_str());
  return 0;
}
