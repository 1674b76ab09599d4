// The copy on Windows: CopyFileW into a temporary file beside the target, which is then
// renamed to the target's name without replacing anything there (MoveFileExW without
// MOVEFILE_REPLACE_EXISTING fails when the name is taken). So an existing file is never
// touched, and the target's name only ever names a whole copy.

#include <windows.h>

#include "exclusive_copy.h"
#include "executable_path.h"
#include "wide_text.h"

namespace orvalen::app {
namespace {

bool nameIsTaken(DWORD error) {
  return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
}

// A fresh empty file in the target's folder (GetTempFileNameW creates it), or an empty
// string when the folder takes no new file.
std::wstring newTemporaryBeside(const std::wstring& target) {
  std::wstring folder = toWide(directoryOf(toUtf8(target)));
  if (folder.empty()) folder = L".";
  wchar_t name[MAX_PATH + 1];
  if (GetTempFileNameW(folder.c_str(), L"orv", 0, name) == 0) return {};
  return name;
}

// Copies the source's bytes into the temporary file, which must not come out read-only
// because the template happens to be.
bool fillTemporary(const std::wstring& source, const std::wstring& temporary) {
  if (!CopyFileW(source.c_str(), temporary.c_str(), FALSE)) return false;
  const DWORD attributes = GetFileAttributesW(temporary.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesW(temporary.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return true;
}

}  // namespace

CopyOutcome copyToNewFile(const std::string& sourcePath, const std::string& targetPath) {
  const std::wstring source = toWide(sourcePath);
  const std::wstring target = toWide(targetPath);
  const DWORD sourceAttributes = GetFileAttributesW(source.c_str());
  if (sourceAttributes == INVALID_FILE_ATTRIBUTES || (sourceAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return CopyOutcome::kSourceUnreadable;
  if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES)
    return CopyOutcome::kTargetExists;

  const std::wstring temporary = newTemporaryBeside(target);
  if (temporary.empty()) return CopyOutcome::kTargetUnwritable;
  CopyOutcome outcome = CopyOutcome::kCopied;
  if (!fillTemporary(source, temporary)) {
    outcome = CopyOutcome::kTargetUnwritable;
  } else if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
    outcome =
        nameIsTaken(GetLastError()) ? CopyOutcome::kTargetExists : CopyOutcome::kTargetUnwritable;
  }
  if (outcome != CopyOutcome::kCopied) DeleteFileW(temporary.c_str());
  return outcome;
}

}  // namespace orvalen::app
