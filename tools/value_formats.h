#pragma once

// How one value or name is written in the shell's outputs: as an SQL literal (.dump and
// INSERT mode), as a CSV field and as HTML text. Texts are bytes: any code page passes
// through unchanged.

#include <cstdio>
#include <string>
#include <string_view>

namespace orvalen::tools {

// True for an integer written the one way SQLite 3 writes it back: an optional '-', no
// leading zero, within 64 bits. Only such a value may go into SQL without quotes and still
// read back as the same text in both SQLite 2 and SQLite 3 ('007' would come back as 7 and
// '1.50' as 1.5 from SQLite 3).
bool isCanonicalInteger(std::string_view text);

// NULL for nullptr, the value itself for a canonical integer, else the text between single
// quotes with each quote doubled.
void writeSqlValue(std::FILE* out, const char* value);
void appendSqlValue(std::string* out, const char* value);

// The text between single quotes with each quote doubled.
void writeQuotedText(std::FILE* out, std::string_view text);

// A table name as INSERT INTO takes it: as it is when it is a plain word that is no keyword,
// else quoted.
std::string sqlName(const std::string& name);

// One CSV field: quoted (inner quotes doubled) when it holds the separator, a quote, a
// carriage return or a line feed, or starts or ends with a space.
void writeCsvField(std::FILE* out, std::string_view field, std::string_view separator);

// The text with '<' and '&' written as entities, so it shows as itself in a page.
void writeHtmlText(std::FILE* out, std::string_view text);

}  // namespace orvalen::tools
