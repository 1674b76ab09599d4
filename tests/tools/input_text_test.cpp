#include "input_text.h"

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
  std::fclose(directory);
}

}  // namespace
}  // namespace orvalen::tools
