#include "row_printer.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "value_formats.h"

namespace orvalen::tools {

namespace {

// Column mode's narrowest automatic width.
constexpr int kMinimumColumnWidth = 10;
// Line mode's narrowest name column.
constexpr int kMinimumNameWidth = 5;

int textWidth(const char* text) {
  return static_cast<int>(std::strlen(text ? text : ""));
}

}  // namespace

const char* RowPrinter::shown(const char* value) const {
  return value ? value : settings_.nullValue.c_str();
}

void RowPrinter::printRow(int columnCount, const char* const* values, const char* const* names) {
  switch (settings_.mode) {
    case OutputMode::kList:
    case OutputMode::kSemi:
    case OutputMode::kTabs:
      printSeparated(columnCount, values, names);
      break;
    case OutputMode::kLine:
      printLines(columnCount, values, names);
      break;
    case OutputMode::kColumn:
      printColumns(columnCount, values, names);
      break;
    case OutputMode::kHtml:
      printHtml(columnCount, values, names);
      break;
    case OutputMode::kInsert:
      printInsert(columnCount, values);
      break;
    case OutputMode::kCsv:
      printCsv(columnCount, values, names);
      break;
  }
  ++rowsInRun_;
}

void RowPrinter::printSeparated(int columnCount, const char* const* values,
                                const char* const* names) {
  const char* separator = settings_.separator.c_str();
  if (rowsInRun_ == 0 && settings_.header) {
    for (int i = 0; i < columnCount; ++i) {
      std::fputs(names[i] ? names[i] : "", out_);
      std::fputs(i + 1 < columnCount ? separator : "\n", out_);
    }
  }
  if (!values) return;
  for (int i = 0; i < columnCount; ++i) {
    std::fputs(shown(values[i]), out_);
    if (i + 1 < columnCount) std::fputs(separator, out_);
  }
  std::fputs(settings_.mode == OutputMode::kSemi ? ";\n" : "\n", out_);
}

void RowPrinter::printLines(int columnCount, const char* const* values, const char* const* names) {
  if (!values) return;
  int width = kMinimumNameWidth;
  for (int i = 0; i < columnCount; ++i) width = std::max(width, textWidth(names[i]));
  if (rowsInRun_ > 0) std::fputc('\n', out_);
  for (int i = 0; i < columnCount; ++i) {
    std::fprintf(out_, "%*s = %s\n", width, names[i] ? names[i] : "", shown(values[i]));
  }
}

// The widths come from .width where it gives one, else from the column's name and its value
// in the first row, at least ten.
void RowPrinter::chooseColumnWidths(int columnCount, const char* const* values,
                                    const char* const* names) {
  columnWidths_.assign(static_cast<size_t>(columnCount), 0);
  for (int i = 0; i < columnCount; ++i) {
    const size_t at = static_cast<size_t>(i);
    int width = at < settings_.widths.size() ? settings_.widths[at] : 0;
    if (width <= 0) {
      width = std::max(kMinimumColumnWidth, textWidth(names[i]));
      width = std::max(width, textWidth(values ? shown(values[i]) : shown(nullptr)));
    }
    columnWidths_[at] = width;
  }
}

void RowPrinter::printPadded(const char* text, int width, bool last) {
  std::fprintf(out_, "%-*.*s%s", width, width, text, last ? "\n" : "  ");
}

void RowPrinter::printColumns(int columnCount, const char* const* values,
                              const char* const* names) {
  if (rowsInRun_ == 0) {
    chooseColumnWidths(columnCount, values, names);
    if (settings_.header) {
      for (int i = 0; i < columnCount; ++i) {
        printPadded(names[i] ? names[i] : "", columnWidths_[i], i + 1 == columnCount);
      }
      for (int i = 0; i < columnCount; ++i) {
        const std::string dashes(static_cast<size_t>(columnWidths_[i]), '-');
        printPadded(dashes.c_str(), columnWidths_[i], i + 1 == columnCount);
      }
    }
  }
  if (!values) return;
  for (int i = 0; i < columnCount; ++i) {
    // A later statement of the run may have more columns than the first.
    const int width =
        static_cast<size_t>(i) < columnWidths_.size() ? columnWidths_[i] : kMinimumColumnWidth;
    printPadded(shown(values[i]), width, i + 1 == columnCount);
  }
}

void RowPrinter::printHtml(int columnCount, const char* const* values, const char* const* names) {
  if (rowsInRun_ == 0 && settings_.header) {
    std::fputs("<TR>", out_);
    for (int i = 0; i < columnCount; ++i) {
      std::fputs("<TH>", out_);
      writeHtmlText(out_, names[i] ? names[i] : "");
      std::fputs("</TH>", out_);
    }
    std::fputs("</TR>\n", out_);
  }
  if (!values) return;
  std::fputs("<TR>", out_);
  for (int i = 0; i < columnCount; ++i) {
    std::fputs("<TD>", out_);
    writeHtmlText(out_, shown(values[i]));
    std::fputs("</TD>\n", out_);
  }
  std::fputs("</TR>\n", out_);
}

void RowPrinter::printInsert(int columnCount, const char* const* values) {
  if (!values) return;
  std::fprintf(out_, "INSERT INTO %s VALUES(", settings_.insertTable.c_str());
  for (int i = 0; i < columnCount; ++i) {
    if (i) std::fputc(',', out_);
    writeSqlValue(out_, values[i]);
  }
  std::fputs(");\n", out_);
}

void RowPrinter::printCsv(int columnCount, const char* const* values, const char* const* names) {
  const std::string& separator = settings_.separator;
  if (rowsInRun_ == 0 && settings_.header) {
    for (int i = 0; i < columnCount; ++i) {
      if (i) std::fputs(separator.c_str(), out_);
      writeCsvField(out_, names[i] ? names[i] : "", separator);
    }
    std::fputs("\r\n", out_);
  }
  if (!values) return;
  for (int i = 0; i < columnCount; ++i) {
    if (i) std::fputs(separator.c_str(), out_);
    // NULL is written as the null text, unquoted, so that it can differ from an empty text.
    if (values[i]) {
      writeCsvField(out_, values[i], separator);
    } else {
      std::fputs(settings_.nullValue.c_str(), out_);
    }
  }
  std::fputs("\r\n", out_);
}

int RowPrinter::callback(void* printer, int columnCount, char** values, char** names) {
  static_cast<RowPrinter*>(printer)->printRow(columnCount, values, names);
  return 0;
}

}  // namespace orvalen::tools
