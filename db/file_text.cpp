#include "db/file_text.h"

#include "db/code_page.h"

FileText FileText::fromFile(std::string bytes, const CodePage& codePage) {
  bool undecodable = false;
  FileText read(codePage.decode(bytes, &undecodable));
  read.textAsRead_ = read.text_;
  read.undecodable_ = undecodable;
  read.bytesAsRead_ = std::move(bytes);
  read.fromFile_ = true;
  return read;
}

std::string FileText::fileBytes(const CodePage& codePage) const {
  if (fromFile_ && text_ == textAsRead_) return bytesAsRead_;
  return codePage.encode(text_);
}
