#include "row_printer.h"

namespace orvalen::tools {

void RowPrinter::printLine(int columnCount, const char* const* cells, bool isHeader) {
  for (int i = 0; i < columnCount; ++i) {
    if (i) std::fputs(separator_.c_str(), out_);
    const char* cell = cells[i];
    std::fputs(cell ? cell : (isHeader ? "" : nullValue_.c_str()), out_);
  }
  std::fputc('\n', out_);
}

void RowPrinter::printRow(int columnCount, const char* const* values, const char* const* names) {
  if (header_ && !headerDone_) {
    printLine(columnCount, names, true);
    headerDone_ = true;
  }
  printLine(columnCount, values, false);
}

int RowPrinter::callback(void* printer, int columnCount, char** values, char** names) {
  static_cast<RowPrinter*>(printer)->printRow(columnCount, values, names);
  return 0;
}

}  // namespace orvalen::tools
