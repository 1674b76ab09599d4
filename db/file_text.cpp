#include "db/file_text.h"

#include "db/code_page.h"

FileText FileText::fromFile(std::string bytes, const CodePage& codePage) {
  FileText read;
  read.fromFile_ = true;
  if (codePage.decodesUnchanged(bytes)) {
    read.text_ = std::move(bytes);
    read.bytesAreText_ = true;
    return read;
  }
  read.text_ = codePage.decode(bytes, &read.undecodable_);
  read.bytesAreText_ = read.text_ == bytes;
  if (!read.bytesAreText_) read.bytesAsRead_ = std::move(bytes);
  return read;
}

void FileText::setText(std::string text) {
  if (fromFile_ && !changed_ && text != text_) {
    textAsRead_ = std::move(text_);
    changed_ = true;
  }
  text_ = std::move(text);
}

std::string FileText::fileBytes(const CodePage& codePage) const {
  if (fromFile_ && isAsRead()) return bytesAreText_ ? text_ : bytesAsRead_;
  return codePage.encode(text_);
}
