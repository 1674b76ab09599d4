#include "formats/playlist_reader.h"

#include "formats/entry_parser.h"
#include "formats/url_name.h"

namespace orvalen::formats {

namespace {

bool endsWithNoCase(std::string_view text, std::string_view lowerCaseSuffix) {
  if (text.size() < lowerCaseSuffix.size()) return false;
  text = text.substr(text.size() - lowerCaseSuffix.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != lowerCaseSuffix[i]) return false;
  }
  return true;
}

// A zero byte ends a text wherever texts are C strings, the database's statements among them:
// such an entry would be stored cut short.
bool holdsZeroByte(const PlaylistEntry& entry) {
  const auto zeroIn = [](const std::string& text) { return text.find('\0') != std::string::npos; };
  if (zeroIn(entry.name) || zeroIn(entry.videoUrl) || zeroIn(entry.imageUrl)) return true;
  for (const std::string& name : entry.categoryPath) {
    if (zeroIn(name)) return true;
  }
  return false;
}

std::unique_ptr<EntryParser> makeParser(PlaylistFormat format, std::string_view text) {
  return format == PlaylistFormat::kCsv ? makeCsvParser(text) : makeM3uParser(text);
}

}  // namespace

PlaylistFormat playlistFormatOf(std::string_view fileName) {
  return endsWithNoCase(fileName, ".csv") ? PlaylistFormat::kCsv : PlaylistFormat::kM3u;
}

PlaylistReader::PlaylistReader(PlaylistFormat format, std::string fileBytes,
                               CodePageDecoder decoder)
    : encoding_(detectEncoding(fileBytes)),
      text_(textWithoutByteOrderMark(std::move(fileBytes), encoding_)),
      parser_(makeParser(format, text_)),
      decoder_(std::move(decoder)) {}

PlaylistReader::~PlaylistReader() = default;

bool PlaylistReader::next(PlaylistEntry* entry) {
  if (!parser_->next(entry)) return false;
  if (encoding_ == TextEncoding::kCodePage) decode(entry);
  if (entry->canBeTaken() && holdsZeroByte(*entry)) entry->problem = EntryProblem::kUndecodable;
  if (entry->name.empty() && !entry->videoUrl.empty()) entry->name = nameFromUrl(entry->videoUrl);
  return true;
}

double PlaylistReader::progress() const {
  return text_.empty() ? 1.0 : static_cast<double>(parser_->position()) / text_.size();
}

void PlaylistReader::decode(PlaylistEntry* entry) const {
  bool decoded = decodeField(&entry->name);
  decoded = decodeField(&entry->videoUrl) && decoded;
  decoded = decodeField(&entry->imageUrl) && decoded;
  for (std::string& name : entry->categoryPath) decoded = decodeField(&name) && decoded;
  if (!decoded && entry->canBeTaken()) entry->problem = EntryProblem::kUndecodable;
}

bool PlaylistReader::decodeField(std::string* field) const {
  std::string utf8;
  if (!decoder_(*field, &utf8)) return false;
  *field = std::move(utf8);
  return true;
}

std::vector<PlaylistEntry> readPlaylist(PlaylistFormat format, std::string fileBytes,
                                        CodePageDecoder decoder) {
  PlaylistReader reader(format, std::move(fileBytes), std::move(decoder));
  std::vector<PlaylistEntry> entries;
  PlaylistEntry entry;
  while (reader.next(&entry)) entries.push_back(std::move(entry));
  return entries;
}

}  // namespace orvalen::formats
