#pragma once

// A page held in the pager's cache, with the links of the cache's hash table and LRU list
// inside it so that finding, touching and evicting a page never allocate.

#include <cstdint>
#include <memory>

#include "pager/pager.h"

namespace sqlite2 {

class PagerCore;

struct CachedPage {
  alignas(16) uint8_t data[kPageSize];
  PageNumber number = 0;
  uint32_t references = 0;
  // The page differs from the file and must be written at commit. Changed only through
  // PageCache::setDirty, which keeps unreferenced pages in the matching list.
  bool dirty = false;
  // The page's journal record was written after the journal's last sync: the page must not
  // reach the database before the next one.
  bool needsSync = false;
  // Equal to the pager's current stamp while the page may be changed without another
  // makeWritable (journaled, saved for the current statement, marked dirty).
  uint64_t writableStamp = 0;
  PagerCore* owner = nullptr;
  std::unique_ptr<PageExtension> extension;

  CachedPage* hashNext = nullptr;
  CachedPage* lruPrevious = nullptr;
  CachedPage* lruNext = nullptr;
  bool inLru = false;
  // Read by a read-ahead run and not let go of since: a page of a walk, which the walk uses
  // once. Let go of, it is the first to leave the cache (see PagerCore::dropReference).
  bool readAhead = false;
};

inline PageNumber PageRef::number() const {
  return page_->number;
}

inline const uint8_t* PageRef::data() const {
  return page_->data;
}

inline PageExtension* PageRef::extension() const {
  return page_->extension.get();
}

}  // namespace sqlite2
