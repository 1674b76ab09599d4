// Reads a playlist a line at a time. Each line, trimmed, is one of:
//   empty                      skipped
//   #EXTINF:<duration> <attributes>,<name>
//                              starts an entry, completed by the next URL line; tvg-logo (or
//                              logo) gives the image URL, group-title the category path (the
//                              first group where it lists several, split at ';')
//   #EXTGRP:<group>            the group of the entries from here on that have no
//                              group-title; the group is made here, so that one that no entry
//                              takes comes out as an empty category
//   #...                       any other directive or comment: skipped (#EXTM3U is optional)
//   <group>,#genre#            as #EXTGRP, in the .txt lists of live-TV apps
//   <name>,<scheme>://...      an entry with its name, in those lists
//   anything else              a URL: completes the entry of the #EXTINF before it, or is an
//                              entry of its own
// An #EXTINF followed by another #EXTINF, or by the end, is an entry without URL.
//
// Attribute values may be in double quotes, single quotes or none (then they end at a space
// or a comma); the name is everything after the first comma outside quotes, commas included.

#include <optional>

#include "formats/entry_parser.h"
#include "formats/text_trim.h"

namespace orvalen::formats {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    const char c = text[i];
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != prefix[i]) return false;
  }
  return true;
}

bool equalsNoCase(std::string_view text, std::string_view lowerCase) {
  return text.size() == lowerCase.size() && startsWithNoCase(text, lowerCase);
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// The lines of a text, with their numbers.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}

  // The next line without its line end; false at the end of the text.
  bool next(std::string_view* line) {
    if (at_ >= text_.size()) return false;
    const size_t end = text_.find('\n', at_);
    const size_t stop = end == std::string_view::npos ? text_.size() : end;
    *line = text_.substr(at_, stop - at_);
    at_ = stop == text_.size() ? stop : stop + 1;
    ++number_;
    return true;
  }
  int number() const { return number_; }
  size_t position() const { return at_; }

 private:
  std::string_view text_;
  size_t at_ = 0;
  int number_ = 0;
};

struct ExtinfFields {
  std::string_view name;
  std::string_view imageUrl;
  std::string_view group;
  bool hasGroup = false;  // group-title was given, maybe empty: the entry's own choice
};

// Reads the text after "#EXTINF:", moving through it with at_.
class ExtinfScanner {
 public:
  explicit ExtinfScanner(std::string_view text) : text_(text) {}

  ExtinfFields scan() {
    while (more() && !isBlank(peek()) && peek() != ',') ++at_;  // the duration
    ExtinfFields fields;
    for (;;) {
      while (more() && isBlank(peek())) ++at_;
      if (!more()) return fields;
      if (peek() == ',') {
        fields.name = trimmedText(text_.substr(at_ + 1));
        return fields;
      }
      readAttribute(&fields);
    }
  }

 private:
  bool more() const { return at_ < text_.size(); }
  char peek() const { return text_[at_]; }

  void readAttribute(ExtinfFields* fields) {
    const size_t keyStart = at_;
    while (more() && peek() != '=' && !isBlank(peek()) && peek() != ',') ++at_;
    const std::string_view key = text_.substr(keyStart, at_ - keyStart);
    if (!more() || peek() != '=') return;  // a word without a value
    ++at_;
    const std::string_view value = readValue();
    if (equalsNoCase(key, "tvg-logo") || equalsNoCase(key, "logo")) fields->imageUrl = value;
    if (equalsNoCase(key, "group-title")) {
      fields->group = value;
      fields->hasGroup = true;
    }
  }

  std::string_view readValue() {
    if (more() && (peek() == '"' || peek() == '\'')) {
      const char quote = text_[at_++];
      const size_t close = text_.find(quote, at_);
      const size_t end = close == std::string_view::npos ? text_.size() : close;
      const std::string_view value = text_.substr(at_, end - at_);
      at_ = close == std::string_view::npos ? end : end + 1;
      return value;
    }
    const size_t start = at_;
    while (more() && !isBlank(peek()) && peek() != ',') ++at_;
    return text_.substr(start, at_ - start);
  }

  std::string_view text_;
  size_t at_ = 0;
};

CategoryPath groupPath(std::string_view group) {
  return splitCategoryPath(group.substr(0, group.find(';')));
}

// Where "<name>,<scheme>://" has its URL, or npos.
size_t namedUrlStart(std::string_view line) {
  const size_t schemeEnd = line.find("://");
  if (schemeEnd == std::string_view::npos) return std::string_view::npos;
  size_t start = schemeEnd;
  const auto isSchemeCharacter = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
  };
  while (start > 0 && isSchemeCharacter(line[start - 1])) --start;
  if (start == schemeEnd || start == 0 || line[start - 1] != ',') return std::string_view::npos;
  return start;
}

class M3uParser : public EntryParser {
 public:
  explicit M3uParser(std::string_view text) : lines_(text) {}

  bool next(PlaylistEntry* entry) override;
  size_t position() const override { return lines_.position(); }

 private:
  // What the line made ready, if anything.
  std::optional<PlaylistEntry> readLine(std::string_view line);
  std::optional<PlaylistEntry> startEntry(std::string_view extinf);
  std::optional<PlaylistEntry> readUrlLine(std::string_view line);
  std::optional<PlaylistEntry> startGroup(std::string_view group);
  PlaylistEntry takePending();

  LineCursor lines_;
  CategoryPath currentGroup_;             // from the last #EXTGRP, for entries without group-title
  std::optional<PlaylistEntry> pending_;  // an #EXTINF's entry waiting for its URL
  bool pendingHasGroup_ = false;
};

bool M3uParser::next(PlaylistEntry* entry) {
  std::string_view line;
  while (lines_.next(&line)) {
    if (std::optional<PlaylistEntry> ready = readLine(trimmedText(line))) {
      *entry = std::move(*ready);
      return true;
    }
  }
  if (!pending_) return false;
  *entry = takePending();
  entry->problem = EntryProblem::kNoUrl;
  return true;
}

std::optional<PlaylistEntry> M3uParser::readLine(std::string_view line) {
  if (line.empty()) return std::nullopt;
  if (startsWithNoCase(line, "#extinf:")) return startEntry(line.substr(8));
  if (startsWithNoCase(line, "#extgrp:")) return startGroup(line.substr(8));
  if (line.front() == '#') return std::nullopt;
  constexpr std::string_view kGenreMark = ",#genre#";
  if (line.size() > kGenreMark.size() &&
      equalsNoCase(line.substr(line.size() - kGenreMark.size()), kGenreMark)) {
    return startGroup(line.substr(0, line.size() - kGenreMark.size()));
  }
  return readUrlLine(line);
}

std::optional<PlaylistEntry> M3uParser::startGroup(std::string_view group) {
  currentGroup_ = splitCategoryPath(group);
  if (currentGroup_.empty()) return std::nullopt;
  PlaylistEntry entry;
  entry.line = lines_.number();
  entry.categoryPath = currentGroup_;
  entry.categoryOnly = true;
  return entry;
}

std::optional<PlaylistEntry> M3uParser::startEntry(std::string_view extinf) {
  std::optional<PlaylistEntry> unfinished;
  if (pending_) {
    unfinished = takePending();
    unfinished->problem = EntryProblem::kNoUrl;
  }
  const ExtinfFields fields = ExtinfScanner(extinf).scan();
  pending_.emplace();
  pending_->line = lines_.number();
  pending_->name = fields.name;
  pending_->imageUrl = trimmedText(fields.imageUrl);
  pending_->categoryPath = groupPath(fields.group);
  pendingHasGroup_ = fields.hasGroup;
  return unfinished;
}

std::optional<PlaylistEntry> M3uParser::readUrlLine(std::string_view line) {
  if (pending_) {
    PlaylistEntry entry = takePending();
    entry.videoUrl = line;
    return entry;
  }
  PlaylistEntry entry;
  entry.line = lines_.number();
  entry.categoryPath = currentGroup_;
  const size_t urlStart = namedUrlStart(line);
  if (urlStart == std::string_view::npos) {
    entry.videoUrl = line;
  } else {
    entry.name = trimmedText(line.substr(0, urlStart - 1));
    entry.videoUrl = line.substr(urlStart);
  }
  return entry;
}

// The pending entry, in the group it has by now.
PlaylistEntry M3uParser::takePending() {
  PlaylistEntry entry = std::move(*pending_);
  pending_.reset();
  if (!pendingHasGroup_) entry.categoryPath = currentGroup_;
  return entry;
}

}  // namespace

std::unique_ptr<EntryParser> makeM3uParser(std::string_view text) {
  return std::make_unique<M3uParser>(text);
}

}  // namespace orvalen::formats
