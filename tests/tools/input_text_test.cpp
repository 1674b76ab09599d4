#include "input_text.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace orvalen::tools {
namespace {

// A stream holding exactly the bytes given, read from its start.
std::FILE* streamOf(const std::string& bytes) {
  std::FILE* stream = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::rewind(stream);
  return stream;
}

TEST(InputTextTest, ReadsEverythingAcrossBlocks) {
  // Longer than several blocks, and not a whole number of them.
  std::string text;
  for (int i = 0; text.size() < 300000; ++i)
    text += "INSERT INTO t VALUES(" + std::to_string(i) + ");\n";
  std::FILE* stream = streamOf(text);
  EXPECT_EQ(readWholeText(stream), text);
  std::fclose(stream);

  std::FILE* empty = streamOf("");
  EXPECT_EQ(readWholeText(empty), "");
  std::fclose(empty);
}

TEST(InputTextTest, StopsAtTheFirstZeroByteButDrainsTheStream) {
  std::string text(100000, 'x');
  text[70000] = '\0';
  text[90000] = '\0';
  std::FILE* stream = streamOf(text);
  EXPECT_EQ(readWholeText(stream), std::string(70000, 'x'));
  EXPECT_EQ(std::fgetc(stream), EOF);
  std::fclose(stream);
}

TEST(InputTextTest, AFailedReadIsNoText) {
  // Reading a directory fails (EISDIR) where a half-read text would look complete.
  std::FILE* directory = std::fopen("/", "r");
  ASSERT_NE(directory, nullptr);
  EXPECT_EQ(readWholeText(directory), std::nullopt);
  EXPECT_FALSE(InputText::read(directory));
  std::fclose(directory);
}

// InputText over a regular file holding the bytes, read from offset `from`.
std::string viaInputText(const std::string& bytes, long from = 0) {
  std::FILE* stream = streamOf(bytes);
  std::fseek(stream, from, SEEK_SET);
  std::optional<InputText> text = InputText::read(stream);
  std::fclose(stream);
  return text ? std::string(text->c_str()) : "<failed>";
}

TEST(InputTextTest, AFileIsTakenWholeFromWhereTheStreamStands) {
  const long page = sysconf(_SC_PAGESIZE);
  std::string text;
  for (int i = 0; text.size() < 3 * static_cast<size_t>(page) + 100; ++i) {
    text += "INSERT INTO t VALUES(" + std::to_string(i) + ");\n";
  }
  EXPECT_EQ(viaInputText(text), text);
  EXPECT_EQ(viaInputText(text, 10), text.substr(10));
  EXPECT_EQ(viaInputText(text, page + 3), text.substr(page + 3));
  // A text filling its last page to the end still ends there.
  EXPECT_EQ(viaInputText(std::string(2 * page, 'x')), std::string(2 * page, 'x'));
  EXPECT_EQ(viaInputText(""), "");
  EXPECT_EQ(viaInputText("abc", 3), "");
  std::string zero = text;
  zero[page + 7] = '\0';
  EXPECT_EQ(viaInputText(zero), text.substr(0, page + 7));
}

TEST(InputTextTest, APipeIsReadToItsEnd) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  const std::string text = "SELECT 1;\nSELECT 2;\n";
  ASSERT_EQ(write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  close(ends[1]);
  std::FILE* stream = fdopen(ends[0], "r");
  std::optional<InputText> read = InputText::read(stream);
  std::fclose(stream);
  ASSERT_TRUE(read);
  EXPECT_EQ(std::string(read->c_str()), text);
}

}  // namespace
}  // namespace orvalen::tools
