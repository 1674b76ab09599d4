#pragma once

// The engine's own printf: what sqlite_mprintf produces, and the text that computed real
// numbers take in results. It does not use the C library's number formatting, because files
// and results must carry exactly the digits that SQLite 2.8 writes.
//
// Conversions: %d %i (int; %ld long), %u %x %X %o (unsigned, from a sign-extended int or a
// long), %c, %s (NULL gives the empty text), %q (single quotes doubled; NULL gives "(NULL)"),
// %Q (like %q inside single quotes; NULL gives NULL without quotes), %f %e %E %g %G, %p (the
// pointer's value in decimal) and %%, with the flags - + space # 0, a width and a precision
// (either may be *). A precision on %q or %Q cuts the produced text. Any other conversion
// writes "%" and ends the output there.

#include <cstdarg>
#include <string>

namespace sqlite2 {

// Formats like sqlite_mprintf. (No printf format attribute: %q and %Q are not C's.)
std::string formatText(const char* format, ...);

// Formats like sqlite_vmprintf; args is consumed as by vprintf.
std::string formatTextV(const char* format, va_list args);

// The text of a computed real number: 15 significant digits, the shortest of fixed and
// exponent notation as %.15g chooses, trailing zeros dropped; infinities give "NaN".
std::string formatReal(double value);

}  // namespace sqlite2
