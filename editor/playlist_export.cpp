#include "editor/playlist_export.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

#include "db/catalogue.h"
#include "db/file_text.h"
#include "editor/category_tree.h"
#include "editor/user_texts.h"
#include "formats/playlist_writer.h"

namespace orvalen {
namespace {

// The writer's output goes to the file whenever this much has gathered.
constexpr std::size_t kFlushAt = 1 << 20;
constexpr std::size_t kNamesListed = 20;

class BranchExporter {
 public:
  // The videos are read once, all of them, and handed out by category: a query per category
  // would scan the whole table each time (plugin files have no index on parentid).
  BranchExporter(CppSQLiteDB& db, const CodePage& codePage, formats::PlaylistWriter& writer,
                 std::string& out, std::ofstream& file, ExportResult& result)
      : codePage_(codePage), writer_(writer), out_(out), file_(file), result_(result) {
    LoadAllItemRows(db, videos_);
    for (std::size_t i = 0; i < videos_.size(); ++i) {
      if (videos_[i].parentId) videosByCategory_[*videos_[i].parentId].push_back(i);
    }
  }

  void flush() {
    file_.write(out_.data(), static_cast<std::streamsize>(out_.size()));
    out_.clear();
  }

  void category(const CategoryTree& tree, int row, int id, formats::CategoryPath& path) {
    ++result_.categories;
    writer_.beginCategory(path);
    videosOf(id);
    const auto children = tree.childRows.find(row);
    if (children == tree.childRows.end()) return;
    for (std::size_t child : children->second) {
      path.push_back(textOf(tree.names[child]));
      category(tree, static_cast<int>(child), tree.ids[child], path);
      path.pop_back();
    }
  }

 private:
  // In id order, as the list shows them.
  void videosOf(int id) {
    const auto videos = videosByCategory_.find(id);
    if (videos == videosByCategory_.end()) return;
    for (std::size_t index : videos->second) {
      const StoredVideo& video = videos_[index];
      const FileText stored = FileText::fromFile(video.name, codePage_);
      const std::string name = textOf(stored);
      const std::string url = textOf(FileText::fromFile(video.url, codePage_));
      const std::string imageUrl = textOf(FileText::fromFile(video.imageUrl, codePage_));
      if (!writer_.addVideo({name, url, imageUrl})) result_.inexact.push_back(stored.text());
      ++result_.videos;
      if (out_.size() >= kFlushAt) flush();
    }
  }

  // The text in UTF-8, or the file's bytes where they do not decode.
  std::string textOf(const FileText& text) {
    if (!text.hasUndecodableBytes()) return text.text();
    result_.undecodable.push_back(text.text());
    return text.fileBytes(codePage_);
  }

  const CodePage& codePage_;
  formats::PlaylistWriter& writer_;
  std::string& out_;
  std::ofstream& file_;
  ExportResult& result_;
  std::vector<StoredVideo> videos_;
  std::unordered_map<int, std::vector<std::size_t>> videosByCategory_;
};

std::unique_ptr<formats::PlaylistWriter> makeWriter(formats::PlaylistFormat format,
                                                    std::string* out) {
  if (format == formats::PlaylistFormat::kCsv) {
    return formats::makeCsvWriter(
        out, {text::kColumnName, text::kColumnUrl, text::kColumnImageUrl, text::kGroupTypes});
  }
  return formats::makeM3uWriter(out);
}

void appendNames(std::string& summary, const std::vector<std::string>& names) {
  for (std::size_t i = 0; i < names.size() && i < kNamesListed; ++i) {
    summary += "\n" + std::string(text::kOpenQuote) + names[i] + text::kCloseQuote;
  }
  if (names.size() > kNamesListed) {
    summary += std::string("\n") + text::kExportMorePrefix +
               std::to_string(names.size() - kNamesListed) + text::kExportMoreSuffix;
  }
}

}  // namespace

ExportResult ExportBranch(CppSQLiteDB& db, int categoryId, formats::PlaylistFormat format,
                          const CodePage& codePage, const std::string& utf8Path) {
  ExportResult result;
  const CategoryTree tree = ReadCategoryTree(db, codePage);
  const int row = tree.rowOf(categoryId);
  std::ofstream file(std::filesystem::u8path(utf8Path), std::ios::binary | std::ios::trunc);
  if (!file) return result;
  std::string out;
  const std::unique_ptr<formats::PlaylistWriter> writer = makeWriter(format, &out);
  BranchExporter exporter(db, codePage, *writer, out, file, result);
  formats::CategoryPath path;
  exporter.category(tree, row, categoryId, path);
  // The root is the file, no category of it.
  if (categoryId < 0) --result.categories;
  writer->finish();
  exporter.flush();
  file.close();
  result.written = static_cast<bool>(file);
  return result;
}

std::string ExportSummary(const ExportResult& result, const std::string& fileName) {
  std::string summary = text::kExportWrote + std::to_string(result.videos) + text::kExportVideosIn +
                        std::to_string(result.categories) + text::kExportCategoriesTo +
                        text::kOpenQuote + fileName + text::kCloseQuote + text::kFullStop;
  if (!result.undecodable.empty()) {
    summary += std::string("\n\n") + text::kExportUndecodable;
    appendNames(summary, result.undecodable);
  }
  if (!result.inexact.empty()) {
    summary += std::string("\n\n") + text::kExportInexact;
    appendNames(summary, result.inexact);
  }
  return summary;
}

}  // namespace orvalen
