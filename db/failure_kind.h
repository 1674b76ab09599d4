#pragma once

// What kind of failure a CppSQLiteException reports, so that callers can word a message and
// advise the user without reading the library's result codes.

enum class FailureKind {
  kBusy,                  // another program holds the file locked (the wait timed out)
  kReadOnly,              // the file, or its folder, cannot be written
  kDiskFull,              // no room left on the disk
  kCorrupt,               // the file's contents are damaged
  kNotPluginFile,         // not a database, or a database without the plugin file's tables
  kMissingFile,           // the path names no file
  kTextNotRepresentable,  // a text the file's code page cannot hold
  kMissingTemplate,       // the template for new plugin files cannot be found or read
  kCannotCreateFile,      // a new file cannot be made where the user asked for it
  kRowsChangedElsewhere,  // another program changed the rows an undo or redo would write
  kOther,                 // anything else; the message tells more
};

// The kind of a result code of the SQLite 2 library (or of CPPSQLITE_ERROR: kOther).
FailureKind failureKindOfCode(int code);
