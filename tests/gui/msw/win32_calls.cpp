#include "tests/gui/msw/win32_calls.h"

#include <windows.h>

namespace orvalen::test::win32 {

void postMenuCommand(void* window, int commandId) {
  PostMessageW(static_cast<HWND>(window), WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

void closeMenu() {
  EndMenu();
}

void sendSystemCommand(void* window, unsigned code) {
  SendMessageW(static_cast<HWND>(window), WM_SYSCOMMAND, code, 0);
}

std::optional<std::wstring> systemMenuEntry(void* window, unsigned commandId) {
  HMENU menu = GetSystemMenu(static_cast<HWND>(window), FALSE);
  wchar_t text[256];
  if (!menu || GetMenuStringW(menu, commandId, text, 256, MF_BYCOMMAND) <= 0) return std::nullopt;
  return std::wstring(text);
}

}  // namespace orvalen::test::win32

namespace orvalen::test::win32 {

void sendDoubleClick(void* window, int x, int y) {
  HWND target = static_cast<HWND>(window);
  const LPARAM at = MAKELPARAM(x, y);
  SendMessageW(target, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageW(target, WM_LBUTTONUP, 0, at);
}

}  // namespace orvalen::test::win32
