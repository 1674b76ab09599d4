#pragma once

// Reads CSV records from a text as SQLite 3's shell reads them for .import (RFC 4180):
//   - fields end at the separator, records at a line feed (a carriage return before it is
//     dropped, so CR LF files read as LF files);
//   - a field that starts with '"' runs to a '"' followed by the separator, the end of the
//     line or the end of the text; inside it "" stands for one '"', and separators and line
//     breaks are part of the field;
//   - a UTF-8 byte order mark at the start is skipped.
// Other bytes pass unchanged, so GBK and UTF-8 texts keep their bytes (neither uses the
// bytes of '"', ',' or a line break inside a character).

#include <string>
#include <string_view>
#include <vector>

namespace orvalen::formats {

class CsvReader {
 public:
  CsvReader(std::string_view text, char separator);

  // The next record's fields; false when the text has no more records.
  bool readRecord(std::vector<std::string>* fields);

  // The line on which the last record read started, from 1.
  int recordLine() const { return recordLine_; }

  // How far the reading has come, in bytes of the text.
  size_t position() const { return at_; }

  // Complaints about the last record (a stray or missing closing quote), for the user.
  const std::vector<std::string>& warnings() const { return warnings_; }

 private:
  enum class FieldEnd { kSeparator, kRecord, kText };

  FieldEnd readField(std::string* field);
  FieldEnd readQuotedField(std::string* field);
  FieldEnd readPlainField(std::string* field);
  bool atEnd() const { return at_ >= text_.size(); }

  std::string_view text_;
  char separator_;
  size_t at_ = 0;
  int line_ = 1;
  int recordLine_ = 0;
  std::vector<std::string> warnings_;
};

}  // namespace orvalen::formats
