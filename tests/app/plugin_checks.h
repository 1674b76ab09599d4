#pragma once

// What the session tests check plugin files with: texts in code page 936, and rows read or
// written by the reference SQLite 2.8.

#include <string>
#include <vector>

namespace orvalen::test {

// The text in code page 936, as plugin files hold it.
std::string gbk(const std::string& utf8);

// The rows of a query on the file by the reference engine ("a|b|c"), or none when it fails.
std::vector<std::string> rows(const std::string& path, const std::string& sql);

// A plugin file made by the reference engine: both tables, then the inserts.
void makePluginFile(const std::string& path, const std::vector<std::string>& inserts);

}  // namespace orvalen::test
