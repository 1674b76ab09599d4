#include "pager/pager.h"

#include "common/error.h"
#include "pager/pager_core.h"
#include "sqlite.h"

namespace sqlite2 {

// ---- PageRef ----

PageRef::PageRef(CachedPage* page) : page_(page) {}

PageRef::PageRef(const PageRef& other) : page_(other.page_) {
  if (page_) page_->owner->addReference(page_);
}

PageRef::PageRef(PageRef&& other) noexcept : page_(other.page_) {
  other.page_ = nullptr;
}

PageRef& PageRef::operator=(const PageRef& other) {
  if (this != &other) {
    if (other.page_) other.page_->owner->addReference(other.page_);
    release();
    page_ = other.page_;
  }
  return *this;
}

PageRef& PageRef::operator=(PageRef&& other) noexcept {
  if (this != &other) {
    release();
    page_ = other.page_;
    other.page_ = nullptr;
  }
  return *this;
}

PageRef::~PageRef() {
  release();
}

void PageRef::release() {
  if (!page_) return;
  CachedPage* page = page_;
  page_ = nullptr;
  page->owner->dropReference(page);
}

uint8_t* PageRef::mutableData() {
  if (!page_->owner->isWritable(page_)) page_->owner->makeWritable(page_);
  return page_->data;
}

void PageRef::setExtension(std::unique_ptr<PageExtension> extension) {
  page_->extension = std::move(extension);
}

// ---- Pager ----

Pager::Pager(std::unique_ptr<PagerCore> core) : core_(std::move(core)) {}

Pager::~Pager() = default;

std::unique_ptr<Pager> Pager::open(const std::string& path, const PagerOptions& options) {
  File file;
  try {
    file = options.readOnly ? File::openReadOnly(path) : File::openReadWrite(path);
  } catch (const Error&) {
    throw Error(SQLITE_CANTOPEN, "unable to open database: " + path);
  }
  return std::unique_ptr<Pager>(
      new Pager(std::make_unique<PagerCore>(path, std::move(file), options)));
}

void Pager::setBusyHandler(std::function<bool(int attempt)> handler) {
  core_->setBusyHandler(std::move(handler));
}

bool Pager::isReadOnly() const {
  return core_->isReadOnly();
}
const std::string& Pager::path() const {
  return core_->path();
}
const std::string& Pager::journalPath() const {
  return core_->journalPath();
}
size_t Pager::cachedPageCount() const {
  return core_->cachedPageCount();
}

PageNumber Pager::pageCount() {
  return core_->pageCount();
}
uint64_t Pager::fileSize() const {
  return core_->fileSize();
}
PageRef Pager::get(PageNumber number) {
  return PageRef(core_->get(number));
}

void Pager::beginWrite() {
  core_->beginWrite();
}
bool Pager::inWriteTransaction() const {
  return core_->inWriteTransaction();
}
bool Pager::transactionFailed() const {
  return core_->state() == PagerState::kWriteFailed;
}
void Pager::makeWritable(PageRef& page) {
  core_->makeWritable(page.page_);
}
void Pager::commit() {
  core_->commit();
}
void Pager::rollback() {
  core_->rollback();
}

void Pager::beginStatement() {
  core_->beginStatement();
}
void Pager::commitStatement() {
  core_->commitStatement();
}
void Pager::rollbackStatement() {
  core_->rollbackStatement();
}

void Pager::truncate(PageNumber count) {
  for (PageNumber number = count + 1, last = pageCount(); number <= last; ++number) {
    PageRef page = get(number);
    makeWritable(page);
  }
  core_->shrinkTo(count);
}

}  // namespace sqlite2
