#include "win32_file_dialog.h"

#include <windows.h>

#include <commdlg.h>

#include <vector>

namespace orvalen::wx::win32 {

bool chooseFile(void* window, bool save, const std::wstring& title, const std::wstring& filter,
                std::wstring* path) {
  std::vector<wchar_t> name(32768, L'\0');
  // The filter's pairs end with one more zero character.
  const std::wstring filters = filter + L'\0';
  OPENFILENAMEW request = {};
  request.lStructSize = sizeof request;
  request.hwndOwner = static_cast<HWND>(window);
  request.lpstrFilter = filters.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = name.data();
  request.nMaxFile = static_cast<DWORD>(name.size());
  request.lpstrTitle = title.c_str();
  request.lpstrDefExt = nullptr;
  request.Flags = OFN_OVERWRITEPROMPT | OFN_EXPLORER;
  const BOOL chosen = save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request);
  if (!chosen) return false;
  *path = name.data();
  return true;
}

}  // namespace orvalen::wx::win32
