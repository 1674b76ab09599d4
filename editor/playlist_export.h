#pragma once

// Exporting a category with its sub-categories (the root: the whole file) as a playlist,
// without any window: categories depth first as the tree shows them, each with its videos in
// list order. Texts that do not decode in the plugin file's code page are written as the bytes
// they are, and counted for the summary after the export.

#include <cstddef>
#include <string>
#include <vector>

#include "db/code_page.h"
#include "db/database.h"
#include "formats/playlist_reader.h"

namespace orvalen {

struct ExportResult {
  bool written = false;  // false: the file could not be written
  std::size_t videos = 0;
  std::size_t categories = 0;  // the exported one (not the root) and those below it
  // Videos and categories whose texts hold bytes that do not decode, by their names as shown.
  std::vector<std::string> undecodable;
  // Videos the format cannot hold exactly (a line break in an M3U name, say), by name.
  std::vector<std::string> inexact;
};

// Writes the branch of categoryId (-1: the root) to the file at utf8Path.
ExportResult ExportBranch(CppSQLiteDB& db, int categoryId, formats::PlaylistFormat format,
                          const CodePage& codePage, const std::string& utf8Path);

// What the summary after an export tells.
std::string ExportSummary(const ExportResult& result, const std::string& fileName);

}  // namespace orvalen
