// The voq-make commands; each takes the arguments after its name and
// returns the exit code, throwing ToolError for a failure.
#ifndef VOQ_TOOLS_COMMANDS_H
#define VOQ_TOOLS_COMMANDS_H

#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

int RunBuild(const Arguments& arguments);
int RunInspect(const Arguments& arguments);
int RunExtract(const Arguments& arguments);
int RunPreview(const Arguments& arguments);
int RunConvert(const Arguments& arguments);
int RunInstall(const Arguments& arguments);
int RunUninstall(const Arguments& arguments);
int RunServe(const Arguments& arguments);

// Help texts.
extern const char kToolHelp[];
extern const char kBuildHelp[];
extern const char kInspectHelp[];
extern const char kExtractHelp[];
extern const char kPreviewHelp[];
extern const char kConvertHelp[];
extern const char kInstallHelp[];
extern const char kUninstallHelp[];
extern const char kServeHelp[];

#endif
