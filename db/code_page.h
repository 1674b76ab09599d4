#pragma once

// The code page of a plugin file's texts. The program holds every text as UTF-8; a plugin
// file holds its names and URLs as bytes in the code page of the Windows systems the files
// are made for, code page 936 (GBK), unless the environment variable ORVALEN_CODEPAGE names
// another code page (for example UTF-8 or BIG5). The conversions are the platform's own:
// iconv on POSIX systems, the Win32 calls on Windows (db/code_page_converter.h).
//
// Writing: encode() refuses a text that the code page cannot hold, with a CppSQLiteException
// (CPPSQLITE_ERROR) naming the text and the code page, so that nothing is stored.
// Reading: decode() never fails; bytes that do not decode are shown as U+FFFD. Such a text
// cannot be written back unchanged from its UTF-8 form: keep it as a FileText
// (db/file_text.h), which writes the original bytes while the text is not edited.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class CodePage {
 public:
  static constexpr const char* kPluginFileDefault = "CP936";

  // ORVALEN_CODEPAGE when set and not empty, else code page 936.
  static CodePage forPluginFiles();

  // Any name that the platform's conversions know (iconv's names; on Windows the common
  // names and CPnnn). An unknown name raises CPPSQLITE_ERROR at the first conversion.
  explicit CodePage(std::string name);
  ~CodePage();
  CodePage(CodePage&&) noexcept;
  CodePage& operator=(CodePage&&) noexcept;

  const std::string& name() const { return name_; }

  // UTF-8 to the code page's bytes. Raises CPPSQLITE_ERROR of kind kTextNotRepresentable
  // when the text holds a character that the code page cannot hold, or is not valid UTF-8.
  std::string encode(std::string_view utf8) const;
  // Where encode() would refuse the text: the offset of the first character that the code
  // page cannot hold, or of the first byte that does not start a UTF-8 character; nullopt
  // when the whole text converts.
  std::optional<std::size_t> refusalOffset(std::string_view utf8) const;
  // The code page's bytes to UTF-8; each byte that does not decode becomes U+FFFD, and
  // *undecodable (when given) tells whether there was any.
  std::string decode(std::string_view bytes, bool* undecodable = nullptr) const;
  // Whether decode(bytes) is the bytes themselves without converting anything: an ASCII text
  // in a code page where every ASCII byte stands for itself (CP936, BIG5, UTF-8, ...; not
  // UTF-16, UTF-7 or EBCDIC). Loads take such texts as they are.
  bool decodesUnchanged(std::string_view bytes) const;

  // One direction of conversion, provided by the platform (db/code_page_converter.h).
  class Converter;

 private:
  Converter& encoder() const;
  Converter& decoder() const;
  bool asciiStandsForItself() const;

  std::string name_;
  // Opened at first use and kept, so a long load opens each direction once.
  mutable std::unique_ptr<Converter> encoder_;
  mutable std::unique_ptr<Converter> decoder_;
  mutable std::optional<bool> asciiStandsForItself_;  // found out at the first decode
};
