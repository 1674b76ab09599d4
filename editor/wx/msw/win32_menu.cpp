#include "win32_menu.h"

#include <windows.h>

namespace orvalen::wx::win32 {

bool hasSystemMenu(void* window) {
  return GetSystemMenu(static_cast<HWND>(window), FALSE) != nullptr;
}

void appendSystemMenuSeparator(void* window) {
  AppendMenuW(GetSystemMenu(static_cast<HWND>(window), FALSE), MF_SEPARATOR, 0, nullptr);
}

void appendSystemMenuString(void* window, unsigned commandId, const std::wstring& text) {
  AppendMenuW(GetSystemMenu(static_cast<HWND>(window), FALSE), MF_STRING, commandId, text.c_str());
}

unsigned systemCommandMessage() {
  return WM_SYSCOMMAND;
}

}  // namespace orvalen::wx::win32
