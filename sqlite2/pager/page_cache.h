#pragma once

// The pages in memory: a hash table from page number to page and two lists of the pages nobody
// references, least recently used first: clean pages, which can be dropped at any time, and
// changed ones, which must reach the file first. Pages that leave the cache go to a pool and
// are reused, so that a long transaction allocates only as many pages as the cache ever held.
// The cache never decides on its own what to evict; the pager does.

#include <cstddef>
#include <vector>

#include "pager/cached_page.h"

namespace sqlite2 {

class PageCache {
 public:
  explicit PageCache(size_t bound);
  ~PageCache();
  PageCache(const PageCache&) = delete;
  PageCache& operator=(const PageCache&) = delete;

  size_t bound() const { return bound_; }
  size_t size() const { return size_; }
  bool full() const { return size_ >= bound_; }

  CachedPage* find(PageNumber number) const {
    for (CachedPage* page = buckets_[number & mask_]; page; page = page->hashNext) {
      if (page->number == number) return page;
    }
    return nullptr;
  }

  // A blank page from the pool (or a new one), not yet in the cache.
  CachedPage* take();
  // Returns a page that take() gave and insert() never got.
  void giveBack(CachedPage* page);
  void insert(CachedPage* page);
  // Removes the page from the cache, drops its extension and pools it.
  void evict(CachedPage* page);
  // Evicts every page; none may be referenced.
  void clear();

  // The least recently used unreferenced clean or changed page, or nullptr.
  CachedPage* leastRecentlyUsedClean() const { return clean_.head; }
  CachedPage* leastRecentlyUsedDirty() const { return dirty_.head; }
  // The unreferenced changed pages, least recently used first.
  std::vector<CachedPage*> unreferencedDirtyPages() const;
  void pushUnreferenced(CachedPage* page);
  // The same, at the least recently used end: the page goes before any other.
  void pushUnreferencedFirst(CachedPage* page);
  void removeUnreferenced(CachedPage* page);
  // Every change of a cached page's dirty flag goes through here, which keeps an unreferenced
  // page in the right list.
  void setDirty(CachedPage* page, bool dirty);

  // Every cached page, for changes that touch them all (rollback).
  std::vector<CachedPage*> pages() const;

  // For invariants. linkedSoundly(): the page is on the list its dirty flag names, between
  // neighbours that lead to it, or on no list and linked to nothing. listsAreSound(): every
  // page of both lists is so linked and unreferenced, each list ends where its tail says, and
  // no more pages are listed than cached.
  bool linkedSoundly(const CachedPage* page) const;
  bool listsAreSound() const;

 private:
  void unlinkFromHash(CachedPage* page);
  void growBuckets();

  size_t bound_;
  size_t size_ = 0;
  std::vector<CachedPage*> buckets_;
  size_t mask_;
  struct LruList {
    CachedPage* head = nullptr;
    CachedPage* tail = nullptr;
  };
  LruList& listOf(const CachedPage* page) { return page->dirty ? dirty_ : clean_; }

  LruList clean_;
  LruList dirty_;
  std::vector<CachedPage*> pool_;
};

}  // namespace sqlite2
