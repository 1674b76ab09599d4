#include "formats/playlist_writer.h"

namespace orvalen::formats {

namespace {

bool isLineBreak(char c) {
  return c == '\r' || c == '\n';
}

// Appends text, with each character that cannot stand in the written form replaced; false
// when one was.
bool appendReplacing(std::string_view text, std::string_view forbidden, std::string_view quote,
                     std::string* out) {
  if (text.find_first_of(forbidden) == std::string_view::npos) {
    out->append(text);
    return true;
  }
  for (const char c : text) {
    if (isLineBreak(c)) {
      out->push_back(' ');
    } else if (c == '"' && forbidden.find('"') != std::string_view::npos) {
      out->append(quote);
    } else {
      out->push_back(c);
    }
  }
  return false;
}

class M3uWriter : public PlaylistWriter {
 public:
  explicit M3uWriter(std::string* out) : out_(*out) { out_.append("#EXTM3U\n"); }

  void startCategory(const std::string& path) override {
    groupTitle_.clear();
    groupExact_ = appendReplacing(path, "\r\n\"", "'", &groupTitle_);
  }

  void writeEmptyCategory(const std::string& path) override {
    out_.append("#EXTGRP:");
    appendReplacing(path, "\r\n", "", &out_);
    out_.push_back('\n');
  }

  bool writeVideo(const ExportedVideo& video) override {
    bool exact = groupExact_;
    out_.append("#EXTINF:-1 tvg-logo=\"");
    exact = appendReplacing(video.imageUrl, "\r\n\"", "%22", &out_) && exact;
    out_.append("\" group-title=\"");
    out_.append(groupTitle_);
    out_.append("\",");
    exact = appendReplacing(video.name, "\r\n", "", &out_) && exact;
    out_.push_back('\n');
    exact = appendReplacing(video.videoUrl, "\r\n", "", &out_) && exact;
    out_.push_back('\n');
    return exact && !video.videoUrl.empty() && video.videoUrl.front() != '#';
  }

 private:
  std::string& out_;
  std::string groupTitle_;  // the current category's path as the attribute holds it
  bool groupExact_ = true;
};

}  // namespace

std::unique_ptr<PlaylistWriter> makeM3uWriter(std::string* out) {
  return std::make_unique<M3uWriter>(out);
}

}  // namespace orvalen::formats
