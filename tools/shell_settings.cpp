#include "shell_settings.h"

#include <cstring>

namespace orvalen::tools {

namespace {

struct ModeEntry {
  const char* name;
  const char* alias;  // the plural SQLite 2.8 also takes; nullptr when none
  OutputMode mode;
};

// In the order a shortened name is tried.
constexpr ModeEntry kModes[] = {
    {"line", "lines", OutputMode::kLine},     {"column", "columns", OutputMode::kColumn},
    {"list", nullptr, OutputMode::kList},     {"html", nullptr, OutputMode::kHtml},
    {"insert", nullptr, OutputMode::kInsert}, {"semi", nullptr, OutputMode::kSemi},
    {"csv", nullptr, OutputMode::kCsv},       {"tabs", nullptr, OutputMode::kTabs},
};

bool isPrefixOf(const std::string& word, const char* name) {
  return name && !word.empty() && std::strncmp(word.c_str(), name, word.size()) == 0 &&
         word.size() <= std::strlen(name);
}

bool separatorIsOwnedByMode(OutputMode mode) {
  return mode == OutputMode::kCsv || mode == OutputMode::kTabs;
}

}  // namespace

const char* modeName(OutputMode mode) {
  for (const ModeEntry& entry : kModes) {
    if (entry.mode == mode) return entry.name;
  }
  return "list";
}

bool selectMode(const std::string& word, ShellSettings* settings) {
  for (const ModeEntry& entry : kModes) {
    if (!isPrefixOf(word, entry.name) && !isPrefixOf(word, entry.alias)) continue;
    // Leaving csv or tabs for another mode brings back the usual separator; otherwise the
    // separator stays as .separator set it.
    if (separatorIsOwnedByMode(settings->mode) && !separatorIsOwnedByMode(entry.mode)) {
      settings->separator = "|";
    }
    if (entry.mode == OutputMode::kCsv) settings->separator = ",";
    if (entry.mode == OutputMode::kTabs) settings->separator = "\t";
    settings->mode = entry.mode;
    return true;
  }
  return false;
}

}  // namespace orvalen::tools
