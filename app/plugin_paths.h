#pragma once

#include <string>
#include <vector>

namespace orvalen::app {

inline constexpr char kPluginExtension[] = ".vdb";
inline constexpr char kTemplateFileName[] = "plugin_db_sample.sdb";

// The path a new plugin file gets from the name the save dialog returned. The extension is
// always appended, even to a name that ends in it already (demo.vdb becomes demo.vdb.vdb), so
// the file the dialog may have offered to replace is never the one written.
std::string newPluginPath(const std::string& chosenPath);

// The places where the template may lie, in the order they are tried: beside the executable
// (the build tree), the data folder relative to the executable (an installed or relocated
// package), then the data folder the program was configured for. Empty when exePath has no
// folder part.
std::vector<std::string> templateCandidates(const std::string& exePath,
                                            const std::string& dataDirFromExe,
                                            const std::string& installedDataDir);

// The plugin file named on the command line (`orvalen PATH`): the last argument that is not an
// option (options start with '-'), or empty when there is none.
std::string pluginFileArgument(const std::vector<std::string>& arguments);

// The first candidate that is a regular file, or empty when there is none.
std::string firstExistingFile(const std::vector<std::string>& candidates);

}  // namespace orvalen::app
