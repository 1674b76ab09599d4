#include "pager_test_support.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "os/file.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace sqlite2::test {

std::string pagePattern(PageNumber page, uint32_t version) {
  std::string bytes(kPageSize, '\0');
  uint32_t state = page * 2654435761u ^ (version + 1) * 40503u;
  for (size_t i = 0; i < kPageSize; ++i) {
    state = state * 1103515245u + 12345u;
    bytes[i] = static_cast<char>(state >> 24);
  }
  std::memcpy(&bytes[0], &page, sizeof page);
  std::memcpy(&bytes[4], &version, sizeof version);
  return bytes;
}

std::string databaseImage(PageNumber count, uint32_t version) {
  std::string image;
  for (PageNumber page = 1; page <= count; ++page) image += pagePattern(page, version);
  return image;
}

void writePattern(Pager& pager, PageNumber first, PageNumber last, uint32_t version) {
  for (PageNumber page = first; page <= last; ++page) {
    PageRef ref = pager.get(page);
    pager.makeWritable(ref);
    std::string bytes = pagePattern(page, version);
    std::memcpy(ref.mutableData(), bytes.data(), kPageSize);
  }
}

std::string pageBytes(Pager& pager, PageNumber page) {
  PageRef ref = pager.get(page);
  return std::string(reinterpret_cast<const char*>(ref.data()), kPageSize);
}

std::unique_ptr<Pager> openPager(const std::string& path, size_t cachePages, bool readOnly) {
  PagerOptions options;
  options.cachePages = cachePages;
  options.readOnly = readOnly;
  return Pager::open(path, options);
}

std::optional<int> soakTrials() {
  const char* soak = std::getenv("ORVALEN_SOAK_TRIALS");
  int trials = soak ? std::atoi(soak) : 0;
  if (trials <= 0) return std::nullopt;
  return trials;
}

void killChildAfter(const std::string& child, const std::vector<std::string>& arguments,
                    int commits, std::chrono::microseconds delay) {
  orvalen::test::ChildProcess writer(child, arguments);
  for (int seen = 0; seen < commits && writer.nextReport();) ++seen;
  std::this_thread::sleep_for(delay);
  writer.kill();
}

void reportCommit() {
  orvalen::test::reportToParent();
}

bool openJournalsAreReadable() {
  static const bool readable = [] {
    orvalen::test::TempDir dir;
    File journal = File::createExclusive(dir.file("probe-journal"));
    try {
      orvalen::test::readFile(dir.file("probe-journal"));
      return true;
    } catch (const std::runtime_error&) {
      return false;
    }
  }();
  return readable;
}

FileView::FileView(const std::string& path)
    : path_(path), stream_(std::filesystem::u8path(path), std::ios::binary) {
  if (!stream_) throw std::runtime_error("cannot open " + path);
}

FileView::~FileView() = default;

std::string FileView::bytes() const {
  stream_.clear();
  stream_.seekg(0);
  std::ostringstream all;
  all << stream_.rdbuf();
  return all.str();
}

JournalBuilder::JournalBuilder(Format format, PageNumber originalPageCount, uint32_t recordCount,
                               uint32_t checksumSeed)
    : format_(format), seed_(checksumSeed) {
  const unsigned char magic[8] = {0xD9, 0xD5, 0x05, 0xF9,
                                  0x20, 0xA1, 0x63, static_cast<unsigned char>(0xD3 + format)};
  bytes_.assign(reinterpret_cast<const char*>(magic), 8);
  if (format == kChecksummed) {
    putInteger(bytes_, recordCount);
    putInteger(bytes_, checksumSeed);
  }
  putInteger(bytes_, originalPageCount);
}

JournalBuilder& JournalBuilder::record(PageNumber page, const std::string& bytes,
                                       bool corruptChecksum) {
  putInteger(bytes_, page);
  bytes_ += bytes;
  if (format_ == kChecksummed) putInteger(bytes_, seed_ + page + (corruptChecksum ? 1 : 0));
  ++records_;
  return *this;
}

JournalBuilder& JournalBuilder::countRecords() {
  std::string count;
  putInteger(count, records_);
  bytes_.replace(8, 4, count);
  return *this;
}

void JournalBuilder::putInteger(std::string& out, uint32_t value) const {
  if (format_ == kHostOrder) {
    out.append(reinterpret_cast<const char*>(&value), 4);
    return;
  }
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift);
}

}  // namespace sqlite2::test
