#include "formats/csv_reader.h"

namespace orvalen::formats {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

CsvReader::CsvReader(std::string_view text, char separator) : text_(text), separator_(separator) {
  if (text_.substr(0, kByteOrderMark.size()) == kByteOrderMark) at_ = kByteOrderMark.size();
}

bool CsvReader::readRecord(std::vector<std::string>* fields) {
  fields->clear();
  warnings_.clear();
  if (atEnd()) return false;
  recordLine_ = line_;
  for (;;) {
    std::string field;
    const FieldEnd end = readField(&field);
    fields->push_back(std::move(field));
    if (end != FieldEnd::kSeparator) return true;
  }
}

CsvReader::FieldEnd CsvReader::readField(std::string* field) {
  if (!atEnd() && text_[at_] == '"') return readQuotedField(field);
  return readPlainField(field);
}

CsvReader::FieldEnd CsvReader::readPlainField(std::string* field) {
  const size_t start = at_;
  while (!atEnd() && text_[at_] != separator_ && text_[at_] != '\n') ++at_;
  std::string_view value = text_.substr(start, at_ - start);
  if (atEnd()) {
    field->assign(value);
    return FieldEnd::kText;
  }
  const char end = text_[at_++];
  if (end == separator_) {
    field->assign(value);
    return FieldEnd::kSeparator;
  }
  ++line_;
  if (!value.empty() && value.back() == '\r') value.remove_suffix(1);
  field->assign(value);
  return FieldEnd::kRecord;
}

CsvReader::FieldEnd CsvReader::readQuotedField(std::string* field) {
  const int startLine = line_;
  ++at_;  // the opening quote
  for (;;) {
    if (atEnd()) {
      warnings_.push_back("unterminated \"-quoted field starting on line " +
                          std::to_string(startLine));
      return FieldEnd::kText;
    }
    const char c = text_[at_++];
    if (c == '\n') ++line_;
    if (c != '"') {
      field->push_back(c);
      continue;
    }
    if (atEnd()) return FieldEnd::kText;
    const char next = text_[at_];
    if (next == '"') {
      field->push_back('"');
      ++at_;
    } else if (next == separator_) {
      ++at_;
      return FieldEnd::kSeparator;
    } else if (next == '\n' || (next == '\r' && text_.substr(at_, 2) == "\r\n")) {
      at_ += next == '\n' ? 1 : 2;
      ++line_;
      return FieldEnd::kRecord;
    } else if (next == '\r' && at_ + 1 == text_.size()) {
      at_ += 1;
      return FieldEnd::kText;
    } else {
      // A quote that neither doubles nor closes stays in the field, as SQLite 3 keeps it.
      warnings_.push_back("unescaped \" character on line " + std::to_string(line_));
      field->push_back('"');
    }
  }
}

}  // namespace orvalen::formats
