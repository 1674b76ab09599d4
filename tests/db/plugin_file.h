#pragma once

// Plugin files for the tests that run on a real engine.

#include <string>
#include <vector>

#include "db/database.h"
#include "support/temp_dir.h"

namespace plugin_test {

// 中文 and 视频 in UTF-8 and in code page 936.
inline const std::string kChinese = "\xE4\xB8\xAD\xE6\x96\x87";
inline const std::string kChineseGbk = "\xD6\xD0\xCE\xC4";
inline const std::string kVideo = "\xE8\xA7\x86\xE9\xA2\x91";
inline const std::string kVideoGbk = "\xCA\xD3\xC6\xB5";

// A fresh copy of the template plugin file in dir.
std::string copyOfTemplate(const orvalen::test::TempDir& dir, const std::string& name = "p.vdb");

// Every row of a query on our engine as "a|b|c", NULL as "<null>".
std::vector<std::string> rowsOf(CppSQLiteDB& db, const std::string& sql);

}  // namespace plugin_test
