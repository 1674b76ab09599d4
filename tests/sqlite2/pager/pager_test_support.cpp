#include "pager_test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

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

void killWriterAfter(const std::function<void(const CommitReporter&)>& writer, int commits,
                     std::chrono::microseconds delay) {
  int progress[2];
  if (pipe(progress) != 0) throw std::runtime_error("pipe failed");
  pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    close(progress[0]);
    writer([&] {
      char byte = 1;
      (void)!write(progress[1], &byte, 1);
    });
    _exit(0);
  }
  close(progress[1]);
  char byte;
  for (int seen = 0; seen < commits && read(progress[0], &byte, 1) == 1;) ++seen;
  usleep(static_cast<useconds_t>(delay.count()));
  kill(child, SIGKILL);
  int status;
  waitpid(child, &status, 0);
  close(progress[0]);
}

FileView::FileView(const std::string& path)
    : path_(path), descriptor_(open(path.c_str(), O_RDONLY)) {
  if (descriptor_ < 0) throw std::runtime_error("cannot open " + path);
}

FileView::~FileView() {
  close(descriptor_);
}

std::string FileView::bytes() const {
  std::string all;
  char buffer[65536];
  off_t offset = 0;
  ssize_t got;
  while ((got = pread(descriptor_, buffer, sizeof buffer, offset)) > 0) {
    all.append(buffer, static_cast<size_t>(got));
    offset += got;
  }
  return all;
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
