// Reads a CSV playlist (csv_reader.h): each record is name, video URL, image URL and,
// optionally, the category path (category_path.h). Missing fields are empty; fields beyond
// the fourth are ignored; records with every field empty are skipped, and one with only the
// path names an empty category. A first record whose
// second field is a word rather than a URL or a path (no ':', '/', '\' or '.') is a line of
// column titles, as spreadsheets write them, and is skipped too.

#include <string>
#include <vector>

#include "formats/csv_reader.h"
#include "formats/entry_parser.h"
#include "formats/text_trim.h"

namespace orvalen::formats {

namespace {

enum Column : size_t { kName, kVideoUrl, kImageUrl, kCategoryPath, kColumns };

bool allEmpty(const std::vector<std::string>& fields) {
  for (const std::string& field : fields) {
    if (!trimmedText(field).empty()) return false;
  }
  return true;
}

bool isColumnTitles(const std::vector<std::string>& fields) {
  if (fields.size() <= kVideoUrl) return false;
  const std::string_view url = trimmedText(fields[kVideoUrl]);
  return !url.empty() && url.find_first_of(":/\\.") == std::string_view::npos;
}

class CsvPlaylistParser : public EntryParser {
 public:
  explicit CsvPlaylistParser(std::string_view text) : reader_(text, ',') {}

  bool next(PlaylistEntry* entry) override {
    std::vector<std::string> fields;
    while (reader_.readRecord(&fields)) {
      if (allEmpty(fields)) continue;
      const bool first = !readAny_;
      readAny_ = true;
      if (first && isColumnTitles(fields)) continue;
      fields.resize(kColumns);
      *entry = PlaylistEntry();
      entry->line = reader_.recordLine();
      entry->name = trimmedText(fields[kName]);
      entry->videoUrl = trimmedText(fields[kVideoUrl]);
      entry->imageUrl = trimmedText(fields[kImageUrl]);
      entry->categoryPath = splitCategoryPath(fields[kCategoryPath]);
      const bool pathOnly = entry->name.empty() && entry->imageUrl.empty();
      if (entry->videoUrl.empty() && pathOnly) {
        entry->categoryOnly = true;
      } else if (entry->videoUrl.empty()) {
        entry->problem = EntryProblem::kNoUrl;
      }
      return true;
    }
    return false;
  }

  size_t position() const override { return reader_.position(); }

 private:
  CsvReader reader_;
  bool readAny_ = false;  // whether a record with a field was read
};

}  // namespace

std::unique_ptr<EntryParser> makeCsvParser(std::string_view text) {
  return std::make_unique<CsvPlaylistParser>(text);
}

}  // namespace orvalen::formats
