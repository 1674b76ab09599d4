#include "formats/playlist_writer.h"

namespace orvalen::formats {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool needsQuotes(std::string_view field) {
  return field.find_first_of(",\"\r\n") != std::string_view::npos;
}

void appendField(std::string_view field, std::string* out) {
  if (!needsQuotes(field)) {
    out->append(field);
    return;
  }
  out->push_back('"');
  for (const char c : field) {
    if (c == '"') out->push_back('"');
    out->push_back(c);
  }
  out->push_back('"');
}

template <typename Fields>
void appendRecord(const Fields& fields, std::string* out) {
  bool first = true;
  for (const auto& field : fields) {
    if (!first) out->push_back(',');
    first = false;
    appendField(field, out);
  }
  out->append("\r\n");
}

class CsvWriter : public PlaylistWriter {
 public:
  CsvWriter(std::string* out, const std::vector<std::string>& columnTitles) : out_(*out) {
    out_.append(kUtf8Mark);
    if (!columnTitles.empty()) appendRecord(columnTitles, &out_);
  }

  void startCategory(const std::string& path) override { path_ = path; }

  void writeEmptyCategory(const std::string& path) override {
    const std::string_view fields[] = {"", "", "", path};
    appendRecord(fields, &out_);
  }

  bool writeVideo(const ExportedVideo& video) override {
    const std::string_view fields[] = {video.name, video.videoUrl, video.imageUrl, path_};
    appendRecord(fields, &out_);
    return true;
  }

 private:
  std::string& out_;
  std::string path_;
};

}  // namespace

std::unique_ptr<PlaylistWriter> makeCsvWriter(std::string* out,
                                              const std::vector<std::string>& columnTitles) {
  return std::make_unique<CsvWriter>(out, columnTitles);
}

}  // namespace orvalen::formats
