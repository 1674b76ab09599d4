#include "api/c_text.h"

#include <cstdlib>
#include <cstring>

namespace sqlite2::api {

char* newCText(std::string_view text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (!copy) return nullptr;
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

void storeMessage(char** errmsg, std::string_view message) {
  if (!errmsg) return;
  *errmsg = message.empty() ? nullptr : newCText(message);
}

}  // namespace sqlite2::api
