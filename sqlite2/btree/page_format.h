#pragma once

// Sizes and offsets of the file's structures: page 1, b-tree pages, cells, overflow pages and
// free-list trunks.

#include <cstddef>
#include <cstdint>

#include "pager/pager.h"

namespace sqlite2::format {

// Page 1.
constexpr char kHeaderText[] = "** This file contains an SQLite 2.1 database **";
constexpr size_t kHeaderTextSize = 48;  // the text and its terminator
constexpr size_t kMagicOffset = 48;
constexpr uint32_t kMagic = 0xDAE37528;
constexpr size_t kFreeListHeadOffset = 52;
constexpr size_t kFreeCountOffset = 56;  // also meta value 0
constexpr size_t kMetaOffset = 56;
constexpr size_t kMetaCount = 10;

// B-tree pages: rightChild u32, firstCell u16, firstFree u16.
constexpr size_t kPageHeaderSize = 8;
constexpr size_t kUsableSpace = kPageSize - kPageHeaderSize;  // 1016
constexpr size_t kMinCellOffset = kPageHeaderSize;
constexpr size_t kMaxCellOffset = kPageSize - 16;  // 1008

// Cells: leftChild u32, nKey low u16, iNext u16, nKey high u8, nData high u8, nData low u16.
constexpr size_t kCellHeaderSize = 12;
constexpr size_t kMaxLocalPayload = 236;
constexpr size_t kMaxCellSize = kCellHeaderSize + kMaxLocalPayload + 4;  // 252
constexpr size_t kMaxCellsPerPage = kUsableSpace / 16;                   // 63
constexpr uint32_t kMaxPayloadPart = 0xFFFFFF;                           // 24-bit sizes

// Overflow pages: next u32, then payload.
constexpr size_t kOverflowPayload = kPageSize - 4;  // 1020

// Free-list trunks: next u32, count u32, then page numbers.
constexpr size_t kTrunkCapacity = (kOverflowPayload - 4) / 4;  // 254

// A non-root page holding fewer bytes of cells than this is merged with or refilled from its
// siblings.
constexpr size_t kMinNodeFill = kUsableSpace / 3;

constexpr PageNumber kMaxPageNumber = 1073741823;
// No sound tree is deeper than this (pages are at most kMaxPageNumber, fan-out at least 2).
constexpr size_t kMaxTreeDepth = 40;

constexpr size_t roundUp4(size_t n) {
  return (n + 3) & ~size_t{3};
}

constexpr size_t localPayload(size_t payload) {
  return payload <= kMaxLocalPayload ? payload : kMaxLocalPayload;
}

// Bytes a cell with this payload occupies on its page.
constexpr size_t cellSize(size_t payload) {
  return payload <= kMaxLocalPayload ? kCellHeaderSize + roundUp4(payload) : kMaxCellSize;
}

constexpr size_t overflowPageCount(size_t payload) {
  return payload <= kMaxLocalPayload
             ? 0
             : (payload - kMaxLocalPayload + kOverflowPayload - 1) / kOverflowPayload;
}

}  // namespace sqlite2::format
