#pragma once

// A file's content as text, read through one engine: sqlite_master with row numbers (without
// root page numbers), then every table's rows by row number. Two files with equal dumps hold
// the same data.

#include <string>

#include "engine_calls.h"

namespace orvalen::test {

// Opens the file with engine, reads it and closes it. Failures are part of the text.
std::string dumpDatabase(const EngineCalls& engine, const std::string& path);

// The dump read through a connection that is already open (and stays open).
std::string dumpConnection(const EngineCalls& engine, void* db);

// The engine's PRAGMA integrity_check answer, or the failure that prevented it.
std::string integrityCheck(const EngineCalls& engine, const std::string& path);

// Both of the above through one connection.
struct FileInspection {
  std::string integrity;
  std::string dump;
};
FileInspection inspectFile(const EngineCalls& engine, const std::string& path);

}  // namespace orvalen::test
