#pragma once

// Included first into every Windows translation unit that sees both wxWidgets and the
// editor's headers (the compiler's -include, set in editor/wx/CMakeLists.txt).
//
// On Windows wxWidgets' headers bring in <windows.h>, whose macros use names that the editor's
// own constants and functions use too (IDOK, MB_OK, SIZE_RESTORED, LVS_EX_GRIDLINES,
// LVCFMT_LEFT, VK_F2, LoadString, ...). The system headers are taken here, before anything else;
// they guard against being read twice, so the names undefined below stay undefined, and the
// editor's names mean the same in every translation unit. Their values are the same numbers
// as Windows' own, which the Win32 calls in editor/wx/msw/ use directly.

#include <windows.h>

#include <commctrl.h>

#undef IDOK
#undef IDCANCEL
#undef IDABORT
#undef MB_OK
#undef MB_OKCANCEL
#undef MB_ICONERROR
#undef SIZE_RESTORED
#undef SIZE_MINIMIZED
#undef SIZE_MAXIMIZED
#undef LVS_EX_GRIDLINES
#undef LVS_EX_FULLROWSELECT
#undef LVCFMT_LEFT
#undef LVCFMT_CENTER
#undef VK_INSERT
#undef VK_DELETE
#undef VK_F2
#undef VK_F3
#undef VK_RETURN
#undef LoadString
