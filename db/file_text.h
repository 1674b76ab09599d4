#pragma once

// A name or URL of a plugin file as the editor holds it between reading and writing.
//
// A file made elsewhere can hold bytes that do not decode in its code page; they are shown
// as U+FFFD, and encoding that UTF-8 form again would lose them (or be refused). A FileText
// read from the file remembers the file's bytes, and while its text is not edited it is
// written back as exactly those bytes. Once the text is changed, the new text is encoded.
//
// For the editor: load with the FileText forms of LoadTypeRows / LoadItemRows, keep each
// FileText with its tree item or list row, show text(), put what the user confirms back
// with setText(), and pass the FileText to UpdateTypeRow / UpdateItemRow. A text confirmed
// unchanged (even one showing U+FFFD) then keeps its bytes; an edited one is converted, and
// refused when the code page cannot hold it.

#include <string>

class CodePage;

class FileText {
 public:
  FileText() = default;
  // A text made in the program (UTF-8), with no bytes in any file yet.
  explicit FileText(std::string text) : text_(std::move(text)) {}
  // A text read from the file as `bytes` in the given code page.
  static FileText fromFile(std::string bytes, const CodePage& codePage);

  // The text to show and edit, in UTF-8; the second form moves it out of a FileText that is
  // done with.
  const std::string& text() const& { return text_; }
  std::string text() && { return std::move(text_); }
  void setText(std::string text);

  // Whether some of the file's bytes did not decode and are shown as U+FFFD.
  bool hasUndecodableBytes() const { return undecodable_; }
  // What to write into the file: the bytes that were read while the text is as read,
  // otherwise the text encoded in the code page (which may raise CPPSQLITE_ERROR).
  std::string fileBytes(const CodePage& codePage) const;

 private:
  bool isAsRead() const { return !changed_ || text_ == textAsRead_; }

  std::string text_;
  // Kept only when they differ from the text: most texts of a file decode to their own bytes
  // (ASCII), and a load of many rows should not hold each of them twice.
  std::string bytesAsRead_;
  // Kept from the first change on: the text before it.
  std::string textAsRead_;
  bool fromFile_ = false;
  bool undecodable_ = false;
  bool bytesAreText_ = false;
  bool changed_ = false;
};
