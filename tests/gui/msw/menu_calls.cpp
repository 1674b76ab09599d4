#include "tests/gui/msw/menu_calls.h"

#include <windows.h>

namespace orvalen::test::win32 {

void postMenuCommand(void* window, int commandId) {
  PostMessageW(static_cast<HWND>(window), WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

void closeMenu() {
  EndMenu();
}

}  // namespace orvalen::test::win32
