#include "editor/text_refusal.h"

#include <cstdio>

#include "db/unrepresentable.h"
#include "text/utf8.h"

namespace orvalen {

std::optional<std::string> RefusalOfText(const CodePage& codePage, const char* field,
                                         const std::string& text) {
  const std::optional<std::string> character = firstUnrepresentableCharacter(codePage, text);
  if (!character) return std::nullopt;
  const std::string codePoint = text::codePointName(*character);
  // A byte that is not UTF-8 is named by its value alone; it cannot be shown.
  const std::string shown = codePoint.empty() ? "" : "“" + *character + "”";
  char byte[8];
  std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>((*character)[0]));
  const std::string name = codePoint.empty() ? std::string(byte) : "(" + codePoint + ")";
  return std::string(field) + "中的字符" + shown + name +
         "不能保存到插件文件中：插件文件的代码页 " + codePage.name() +
         " 没有这个字符。请删去或换掉它。";
}

}  // namespace orvalen
