#pragma once

// Importing a playlist into a category, without any window: read the playlist into a plan of
// the categories and videos it will add and the entries it cannot take, then write the plan
// in the caller's transaction. The editor shows the plan's summary between the two, and the
// write is one step of its undo history.
//
// Categories of the playlist go below the target category; one whose name is already there is
// reused (the first of that name), the others are made in the order they first appear. Texts
// are checked against the plugin file's code page while reading, so that the write refuses
// nothing the summary has not named.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db/code_page.h"
#include "db/database.h"
#include "db/row_images.h"
#include "formats/category_path.h"

namespace orvalen {

// Called now and then with how far the work has come (0 to 1); false stops it.
using ImportProgress = std::function<bool(double fraction)>;

// An entry of the playlist that cannot become a video: where it starts and why.
struct ImportRefusal {
  int line = 0;
  std::string reason;
};

struct ImportPlan {
  struct Video {
    std::size_t category = 0;  // in categories
    std::string name, url, imageUrl;
  };
  // Below the target, parents before their children, in order of first appearance; the
  // first is always the target itself (the empty path).
  std::vector<formats::CategoryPath> categories;
  std::vector<Video> videos;
  std::vector<ImportRefusal> refusals;

  // How many categories receive videos.
  std::size_t categoriesWithVideos() const;
};

// Reads a playlist's bytes (the format taken from fileName's extension); nothing when progress
// stopped it.
std::optional<ImportPlan> ReadImportPlan(const std::string& fileName, std::string bytes,
                                         const CodePage& codePage, const ImportProgress& progress);

// For each category of the plan, the id of the category below targetId that it becomes when
// one of that name is there already, or nothing when it will be made.
std::vector<std::optional<int>> ExistingCategories(CppSQLiteDB& db, int targetId,
                                                   const ImportPlan& plan,
                                                   const CodePage& codePage);

// What the summary before the import tells: the counts, then the entries not taken.
std::string ImportSummary(const ImportPlan& plan, std::size_t newCategories);

// Thrown out of WriteImport when progress stopped it; the caller's transaction rolls back.
struct ImportCancelled {};

// Adds the plan below targetId, naming every row it makes to recorder.
void WriteImport(CppSQLiteDB& db, RowChangeRecorder& recorder, int targetId, const ImportPlan& plan,
                 const CodePage& codePage, const ImportProgress& progress);

}  // namespace orvalen
