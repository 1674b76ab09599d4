#include "common/error.h"
#include "common/temporary_name.h"
#include "os/file_system.h"
#include "sqlite.h"

namespace sqlite2 {

namespace {

// A name drawn at random may be taken, however unlikely; a few more draws settle it.
constexpr int kNameTries = 20;

}  // namespace

std::string freshTemporaryPath() {
  const std::string folder = temporaryFolder();
  for (int attempt = 0; attempt < kNameTries; ++attempt) {
    std::string candidate = pathInFolder(folder, temporaryFileName());
    if (!fileExists(candidate)) return candidate;
  }
  throw Error(SQLITE_CANTOPEN,
              "unable to open a temporary database file for storing temporary tables");
}

}  // namespace sqlite2
