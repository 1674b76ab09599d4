#include "editor/playlist_import.h"

#include <map>
#include <set>

#include "db/catalogue.h"
#include "editor/text_refusal.h"
#include "editor/user_texts.h"
#include "formats/playlist_reader.h"

namespace orvalen {
namespace {

// Progress is asked for every so many entries or rows, not for each: it reads the clock.
constexpr std::size_t kProgressEvery = 256;
// The summary lists this many of the entries not taken, and counts the rest.
constexpr std::size_t kRefusalsListed = 20;

std::string problemReason(formats::EntryProblem problem) {
  return problem == formats::EntryProblem::kNoUrl ? text::kImportNoUrl : text::kImportUndecodable;
}

// Why the code page cannot take the entry, or nothing when it can take every text of it.
std::optional<std::string> unstorableText(const formats::PlaylistEntry& entry,
                                          const CodePage& codePage) {
  const std::pair<const char*, const std::string*> fields[] = {
      {text::kFieldVideoName, &entry.name},
      {text::kFieldVideoUrl, &entry.videoUrl},
      {text::kFieldImageUrl, &entry.imageUrl}};
  for (const auto& [field, value] : fields) {
    if (auto reason = ShortRefusalOfText(codePage, field, *value)) return reason;
  }
  for (const std::string& name : entry.categoryPath) {
    if (auto reason = ShortRefusalOfText(codePage, text::kFieldTypeName, name)) return reason;
  }
  return std::nullopt;
}

// The categories of a plan by path, adding a path's missing parents before it.
class CategoryIndex {
 public:
  explicit CategoryIndex(std::vector<formats::CategoryPath>& categories) : categories_(categories) {
    categories_.assign(1, {});
    index_[{}] = 0;
  }

  std::size_t of(const formats::CategoryPath& path) {
    if (const auto found = index_.find(path); found != index_.end()) return found->second;
    of(formats::CategoryPath(path.begin(), path.end() - 1));
    categories_.push_back(path);
    return index_[path] = categories_.size() - 1;
  }

 private:
  std::vector<formats::CategoryPath>& categories_;
  std::map<formats::CategoryPath, std::size_t> index_;
};

std::string lineOf(const ImportRefusal& refusal) {
  return text::kLinePrefix + std::to_string(refusal.line) + text::kLineSuffix + refusal.reason;
}

}  // namespace

std::size_t ImportPlan::categoriesWithVideos() const {
  std::set<std::size_t> used;
  for (const Video& video : videos) used.insert(video.category);
  return used.size();
}

std::optional<ImportPlan> ReadImportPlan(const std::string& fileName, std::string bytes,
                                         const CodePage& codePage, const ImportProgress& progress) {
  const auto decode = [&codePage](std::string_view raw, std::string* utf8) {
    bool undecodable = false;
    *utf8 = codePage.decode(raw, &undecodable);
    return !undecodable;
  };
  formats::PlaylistReader reader(formats::playlistFormatOf(fileName), std::move(bytes), decode);
  ImportPlan plan;
  CategoryIndex categories(plan.categories);
  formats::PlaylistEntry entry;
  for (std::size_t read = 1; reader.next(&entry); ++read) {
    if (read % kProgressEvery == 0 && !progress(reader.progress())) return std::nullopt;
    std::optional<std::string> refusal;
    if (!entry.canBeTaken()) {
      refusal = problemReason(entry.problem);
    } else {
      refusal = unstorableText(entry, codePage);
    }
    if (refusal) {
      plan.refusals.push_back({entry.line, std::move(*refusal)});
      continue;
    }
    const std::size_t category = categories.of(entry.categoryPath);
    if (entry.categoryOnly) continue;
    plan.videos.push_back(
        {category, std::move(entry.name), std::move(entry.videoUrl), std::move(entry.imageUrl)});
  }
  return plan;
}

std::vector<std::optional<int>> ExistingCategories(CppSQLiteDB& db, int targetId,
                                                   const ImportPlan& plan,
                                                   const CodePage& codePage) {
  std::vector<int> ids, parentIds;
  std::vector<std::string> names;
  LoadTypeRows(db, ids, parentIds, names, codePage);
  // The first category of each name under each parent, by id order.
  std::map<std::pair<int, std::string>, int> byParentAndName;
  for (std::size_t i = 0; i < ids.size(); ++i)
    byParentAndName.emplace(std::pair(parentIds[i], names[i]), ids[i]);

  std::vector<std::optional<int>> existing(plan.categories.size());
  existing[0] = targetId;
  std::map<formats::CategoryPath, std::size_t> indexOf;
  for (std::size_t i = 1; i < plan.categories.size(); ++i) {
    const formats::CategoryPath& path = plan.categories[i];
    indexOf[path] = i;
    const formats::CategoryPath parentPath(path.begin(), path.end() - 1);
    const std::optional<int> parent =
        parentPath.empty() ? existing[0] : existing[indexOf[parentPath]];
    if (!parent) continue;
    const auto found = byParentAndName.find({*parent, path.back()});
    if (found != byParentAndName.end()) existing[i] = found->second;
  }
  return existing;
}

std::string ImportSummary(const ImportPlan& plan, std::size_t newCategories) {
  std::string summary;
  if (plan.videos.empty()) {
    summary = text::kImportNothing;
  } else {
    summary = text::kImportWillAdd + std::to_string(plan.videos.size()) + text::kImportVideosIn +
              std::to_string(plan.categoriesWithVideos()) + text::kImportCategories;
  }
  if (newCategories > 0) {
    summary += text::kImportNewCategories + std::to_string(newCategories) +
               text::kImportNewCategoriesSuffix;
  }
  summary += text::kFullStop;
  if (!plan.refusals.empty()) {
    summary += std::string("\n\n") + text::kImportRefusedPrefix +
               std::to_string(plan.refusals.size()) + text::kImportRefusedSuffix;
    for (std::size_t i = 0; i < plan.refusals.size() && i < kRefusalsListed; ++i) {
      summary += "\n" + lineOf(plan.refusals[i]);
    }
    if (plan.refusals.size() > kRefusalsListed) {
      summary += std::string("\n") + text::kImportMorePrefix +
                 std::to_string(plan.refusals.size() - kRefusalsListed) + text::kImportMoreSuffix;
    }
  }
  return summary;
}

void WriteImport(CppSQLiteDB& db, RowChangeRecorder& recorder, int targetId, const ImportPlan& plan,
                 const CodePage& codePage, const ImportProgress& progress) {
  std::vector<std::optional<int>> ids = ExistingCategories(db, targetId, plan, codePage);
  std::map<formats::CategoryPath, std::size_t> indexOf;
  for (std::size_t i = 1; i < plan.categories.size(); ++i) {
    const formats::CategoryPath& path = plan.categories[i];
    indexOf[path] = i;
    if (ids[i]) continue;
    const formats::CategoryPath parentPath(path.begin(), path.end() - 1);
    const int parent = *ids[parentPath.empty() ? 0 : indexOf[parentPath]];
    ids[i] = InsertTypeRow(db, parent, path.back(), codePage);
    recorder.insertedRow(CatalogueTable::kCategories, *ids[i]);
  }
  const std::size_t total = plan.videos.size();
  for (std::size_t i = 0; i < total; ++i) {
    if (i % kProgressEvery == 0 && !progress(static_cast<double>(i) / total)) {
      throw ImportCancelled{};
    }
    const ImportPlan::Video& video = plan.videos[i];
    const int id =
        InsertItemRow(db, *ids[video.category], video.name, video.url, video.imageUrl, codePage);
    recorder.insertedRow(CatalogueTable::kVideos, id);
  }
}

}  // namespace orvalen
