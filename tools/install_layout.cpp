#include "install_layout.h"

#include "files.h"

std::string InstalledRuntimePath(Target target) {
  const char* relative = VOQ_INSTALLED_RUNTIME_linux;
  if (target == Target::kWindows32) relative = VOQ_INSTALLED_RUNTIME_windows32;
  if (target == Target::kWindows64) relative = VOQ_INSTALLED_RUNTIME_windows64;
  std::string path = ToolFolder() + "/" + relative;
  return FileExists(path) ? path : "";
}

std::string InstalledHackFolder() {
  std::string path = ToolFolder() + "/" + VOQ_INSTALLED_HACK_FOLDER;
  return IsDirectory(path) ? path : "";
}
