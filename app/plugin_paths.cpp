#include "plugin_paths.h"

#include "executable_path.h"
#include "file_system.h"

namespace orvalen::app {

std::string newPluginPath(const std::string& chosenPath) {
  return chosenPath + kPluginExtension;
}

std::vector<std::string> templateCandidates(const std::string& exePath,
                                            const std::string& dataDirFromExe,
                                            const std::string& installedDataDir) {
  const std::string exeDir = directoryOf(exePath);
  if (exeDir.empty()) return {};
  std::vector<std::string> candidates{exeDir + kTemplateFileName};
  if (!dataDirFromExe.empty())
    candidates.push_back(exeDir + dataDirFromExe + "/" + kTemplateFileName);
  if (!installedDataDir.empty()) candidates.push_back(installedDataDir + "/" + kTemplateFileName);
  return candidates;
}

std::string pluginFileArgument(const std::vector<std::string>& arguments) {
  for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument) {
    if (!argument->empty() && argument->front() != '-') return *argument;
  }
  return {};
}

std::string firstExistingFile(const std::vector<std::string>& candidates) {
  for (const auto& candidate : candidates) {
    if (isRegularFile(candidate)) return candidate;
  }
  return {};
}

}  // namespace orvalen::app
