#include "pager/page_cache.h"

#include "common/invariant.h"

namespace sqlite2 {

namespace {

size_t bucketCountFor(size_t pages) {
  size_t count = 64;
  while (count < pages * 2) count *= 2;
  return count;
}

}  // namespace

// Page numbers are dense, so their low bits spread them evenly over the buckets.
PageCache::PageCache(size_t bound)
    : bound_(bound < 1 ? 1 : bound), buckets_(bucketCountFor(bound_)), mask_(buckets_.size() - 1) {}

PageCache::~PageCache() {
  clear();
  for (CachedPage* page : pool_) delete page;
}

CachedPage* PageCache::take() {
  if (pool_.empty()) return new CachedPage;
  CachedPage* page = pool_.back();
  pool_.pop_back();
  return page;
}

void PageCache::giveBack(CachedPage* page) {
  page->extension.reset();
  page->references = 0;
  page->dirty = false;
  page->needsSync = false;
  page->writableStamp = 0;
  page->readAhead = false;
  pool_.push_back(page);
}

void PageCache::insert(CachedPage* page) {
  if (size_ >= buckets_.size()) growBuckets();
  CachedPage*& bucket = buckets_[page->number & mask_];
  page->hashNext = bucket;
  bucket = page;
  ++size_;
}

void PageCache::unlinkFromHash(CachedPage* page) {
  CachedPage** link = &buckets_[page->number & mask_];
  while (*link != page) link = &(*link)->hashNext;
  *link = page->hashNext;
  page->hashNext = nullptr;
  --size_;
}

void PageCache::evict(CachedPage* page) {
  if (page->inLru) removeUnreferenced(page);
  unlinkFromHash(page);
  giveBack(page);
}

// With no page referenced every page is on one of the two lists, and clearing costs what the
// cache holds rather than what its table could hold: it happens each time a lock is let go.
void PageCache::clear() {
  ENGINE_INVARIANT(listsAreSound());
  size_t listed = 0;
  for (const LruList* list : {&clean_, &dirty_}) {
    for (const CachedPage* page = list->head; page; page = page->lruNext) ++listed;
  }
  if (listed == size_) {
    for (LruList* list : {&clean_, &dirty_}) {
      while (CachedPage* page = list->head) {
        list->head = page->lruNext;
        buckets_[page->number & mask_] = nullptr;
        page->hashNext = page->lruPrevious = page->lruNext = nullptr;
        page->inLru = false;
        giveBack(page);
      }
    }
  } else {
    for (CachedPage*& bucket : buckets_) {
      while (CachedPage* page = bucket) {
        bucket = page->hashNext;
        page->hashNext = page->lruPrevious = page->lruNext = nullptr;
        page->inLru = false;
        giveBack(page);
      }
    }
  }
  size_ = 0;
  clean_ = LruList();
  dirty_ = LruList();
}

void PageCache::growBuckets() {
  std::vector<CachedPage*> pages = this->pages();
  buckets_.assign(buckets_.size() * 2, nullptr);
  mask_ = buckets_.size() - 1;
  for (CachedPage* page : pages) {
    CachedPage*& bucket = buckets_[page->number & mask_];
    page->hashNext = bucket;
    bucket = page;
  }
}

void PageCache::pushUnreferenced(CachedPage* page) {
  LruList& list = listOf(page);
  page->lruPrevious = list.tail;
  page->lruNext = nullptr;
  (list.tail ? list.tail->lruNext : list.head) = page;
  list.tail = page;
  page->inLru = true;
  ENGINE_INVARIANT(linkedSoundly(page));
}

void PageCache::pushUnreferencedFirst(CachedPage* page) {
  LruList& list = listOf(page);
  page->lruPrevious = nullptr;
  page->lruNext = list.head;
  (list.head ? list.head->lruPrevious : list.tail) = page;
  list.head = page;
  page->inLru = true;
  ENGINE_INVARIANT(linkedSoundly(page));
}

void PageCache::removeUnreferenced(CachedPage* page) {
  ENGINE_INVARIANT(linkedSoundly(page) && page->inLru);
  LruList& list = listOf(page);
  (page->lruPrevious ? page->lruPrevious->lruNext : list.head) = page->lruNext;
  (page->lruNext ? page->lruNext->lruPrevious : list.tail) = page->lruPrevious;
  page->lruPrevious = page->lruNext = nullptr;
  page->inLru = false;
  ENGINE_INVARIANT(linkedSoundly(page));
}

void PageCache::setDirty(CachedPage* page, bool dirty) {
  if (page->dirty == dirty) return;
  if (!page->inLru) {
    page->dirty = dirty;
    return;
  }
  removeUnreferenced(page);
  page->dirty = dirty;
  pushUnreferenced(page);
}

std::vector<CachedPage*> PageCache::unreferencedDirtyPages() const {
  std::vector<CachedPage*> pages;
  for (CachedPage* page = dirty_.head; page; page = page->lruNext) pages.push_back(page);
  return pages;
}

std::vector<CachedPage*> PageCache::pages() const {
  std::vector<CachedPage*> all;
  all.reserve(size_);
  for (CachedPage* bucket : buckets_) {
    for (CachedPage* page = bucket; page; page = page->hashNext) all.push_back(page);
  }
  return all;
}

bool PageCache::linkedSoundly(const CachedPage* page) const {
  if (!page->inLru) return !page->lruPrevious && !page->lruNext;
  const LruList& list = page->dirty ? dirty_ : clean_;
  const bool before = page->lruPrevious ? page->lruPrevious->lruNext == page : list.head == page;
  const bool after = page->lruNext ? page->lruNext->lruPrevious == page : list.tail == page;
  return before && after;
}

bool PageCache::listsAreSound() const {
  size_t listed = 0;
  for (const LruList* list : {&clean_, &dirty_}) {
    const CachedPage* last = nullptr;
    for (const CachedPage* page = list->head; page; page = page->lruNext) {
      if (!page->inLru || page->references != 0 || page->dirty != (list == &dirty_) ||
          !linkedSoundly(page)) {
        return false;
      }
      last = page;
      ++listed;
    }
    if (list->tail != last) return false;
  }
  return listed <= size_;
}

}  // namespace sqlite2
