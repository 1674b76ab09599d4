// The checks a b-tree page passes when it is loaded: every cell and free block inside the
// page, aligned, none overlapping another or the header, and together covering the page
// exactly. Pages are laid out by hand here, so each fault comes alone.

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btree/node_page.h"
#include "btree_test_util.h"
#include "sqlite.h"
#include "sqlite2/error_code_of.h"

namespace sqlite2 {
namespace {

using orvalen::test::errorCodeOf;
using namespace format;

const ByteOrder kLittle{false};

// A page built field by field, little-endian.
class PageImage {
 public:
  PageImage() { bytes_.assign(kPageSize, 0); }

  PageImage& header(uint32_t rightChild, uint16_t firstCell, uint16_t firstFree) {
    kLittle.put32(&bytes_[0], rightChild);
    kLittle.put16(&bytes_[4], firstCell);
    kLittle.put16(&bytes_[6], firstFree);
    return *this;
  }
  // A cell with `payload` bytes of key (data size 0), linked to `next`.
  PageImage& cell(uint16_t offset, uint32_t payload, uint16_t next, uint32_t leftChild = 0) {
    kLittle.put32(&bytes_[offset], leftChild);
    kLittle.put16(&bytes_[offset + 4], static_cast<uint16_t>(payload));
    kLittle.put16(&bytes_[offset + 6], next);
    bytes_[offset + 8] = static_cast<uint8_t>(payload >> 16);
    return *this;
  }
  PageImage& freeBlock(uint16_t offset, uint16_t size, uint16_t next) {
    kLittle.put16(&bytes_[offset], size);
    kLittle.put16(&bytes_[offset + 2], next);
    return *this;
  }
  const uint8_t* data() const { return bytes_.data(); }

 private:
  std::vector<uint8_t> bytes_;
};

int parseResult(const PageImage& page) {
  return errorCodeOf([&] { NodePage::parse(page.data(), kLittle); });
}

TEST(NodePage, SoundPagesParseWithTheirCellsInKeyOrder) {
  // Cells and free blocks interleaved, the cells linked against their address order: the
  // chain, not the position, gives the key order.
  PageImage page;
  page.header(0, 72, 8)
      .freeBlock(8, 32, 56)
      .cell(40, 4, 0)
      .freeBlock(56, 16, 88)
      .cell(72, 4, 40)
      .freeBlock(88, kPageSize - 88, 0);
  std::unique_ptr<NodePage> node = NodePage::parse(page.data(), kLittle);
  ASSERT_EQ(node->cellCount(), 2u);
  EXPECT_EQ(node->offsets[0], 72);
  EXPECT_EQ(node->offsets[1], 40);
  EXPECT_EQ(node->sizes[0], 16);
  EXPECT_EQ(node->usedBytes, 32);
  EXPECT_TRUE(node->isLeaf());

  PageImage empty;
  empty.header(0, 0, 8).freeBlock(8, kUsableSpace, 0);
  EXPECT_EQ(NodePage::parse(empty.data(), kLittle)->cellCount(), 0u);
  EXPECT_EQ(NodePage::parse(PageImage().data(), kLittle)->cellCount(), 0u) << "all zeros";
}

TEST(NodePage, LaidOutPagesParseBackAsWritten) {
  std::vector<RawCell> cells(5);
  for (size_t i = 0; i < cells.size(); ++i) {
    size_t payload = 10 + 30 * i;
    cells[i].size = static_cast<uint16_t>(cellSize(payload));
    std::memset(cells[i].bytes, 0, sizeof cells[i].bytes);
    kLittle.put16(cells[i].bytes + 4, static_cast<uint16_t>(payload));
  }
  std::vector<uint8_t> bytes(kPageSize, 0xEE);
  std::unique_ptr<NodePage> written =
      layOutNode(bytes.data(), cells.data(), cells.size(), 0, kLittle);
  std::unique_ptr<NodePage> parsed = NodePage::parse(bytes.data(), kLittle);
  ASSERT_EQ(parsed->cellCount(), cells.size());
  EXPECT_EQ(parsed->usedBytes, written->usedBytes);
  for (size_t i = 0; i < cells.size(); ++i) {
    EXPECT_EQ(parsed->offsets[i], written->offsets[i]);
    EXPECT_EQ(parsed->sizes[i], cells[i].size);
  }
}

// A leaf cell whose key is its one-byte tag followed by filler, `size` bytes on the page.
RawCell taggedCell(uint8_t tag, size_t size) {
  RawCell cell;
  cell.size = static_cast<uint16_t>(size);
  std::memset(cell.bytes, 0, sizeof cell.bytes);
  kLittle.put16(cell.bytes + 4, static_cast<uint16_t>(size - kCellHeaderSize));
  std::memset(cell.bytes + kCellHeaderSize, tag, size - kCellHeaderSize);
  return cell;
}

// The tags of the cells in key order, as a fresh parse of the page reads them.
std::string tagsOf(const uint8_t* page) {
  std::unique_ptr<NodePage> node = NodePage::parse(page, kLittle);
  std::string tags;
  for (size_t i = 0; i < node->cellCount(); ++i) {
    tags += static_cast<char>(page[node->offsets[i] + kCellHeaderSize]);
  }
  return tags;
}

TEST(NodePage, InsertsInPlaceLinkTheCellWhereverItGoesAndKeepThePageSound) {
  std::vector<RawCell> cells = {taggedCell('b', 40), taggedCell('d', 100)};
  std::vector<uint8_t> bytes(kPageSize, 0xEE);
  std::unique_ptr<NodePage> node = layOutNode(bytes.data(), cells.data(), cells.size(), 0, kLittle);
  ASSERT_TRUE(insertInPlace(bytes.data(), *node, 2, taggedCell('e', 20)));  // at the end
  ASSERT_TRUE(insertInPlace(bytes.data(), *node, 0, taggedCell('a', 60)));  // first
  ASSERT_TRUE(insertInPlace(bytes.data(), *node, 2, taggedCell('c', 16)));  // between
  EXPECT_EQ(tagsOf(bytes.data()), "abcde");
  std::unique_ptr<NodePage> parsed = NodePage::parse(bytes.data(), kLittle);
  EXPECT_EQ(parsed->usedBytes, node->usedBytes);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(parsed->offsets[i], node->offsets[i]);
    EXPECT_EQ(parsed->sizes[i], node->sizes[i]);
  }
  // Filled to the last byte: the free block goes, and nothing more fits.
  ASSERT_EQ(kUsableSpace - node->usedBytes, 3u * 248 + 36);
  for (char tag : {'f', 'g', 'h'}) {
    ASSERT_TRUE(insertInPlace(bytes.data(), *node, node->cellCount(), taggedCell(tag, 248)));
  }
  ASSERT_TRUE(insertInPlace(bytes.data(), *node, 8, taggedCell('i', 36)));
  EXPECT_EQ(tagsOf(bytes.data()), "abcdefghi");
  EXPECT_EQ(kLittle.u16(bytes.data() + 6), 0);
  EXPECT_FALSE(insertInPlace(bytes.data(), *node, 0, taggedCell('0', 16)));
}

TEST(NodePage, InsertsInPlaceOnlyIntoTheOneFreeBlockAfterPackedCells) {
  // Free space split in two blocks, as another writer may leave a page: no in-place insert,
  // and the page is left as it was.
  PageImage page;
  page.header(0, 40, 8).freeBlock(8, 32, 56).cell(40, 4, 0).freeBlock(56, kPageSize - 56, 0);
  std::vector<uint8_t> bytes(page.data(), page.data() + kPageSize);
  std::unique_ptr<NodePage> node = NodePage::parse(bytes.data(), kLittle);
  EXPECT_FALSE(insertInPlace(bytes.data(), *node, 1, taggedCell('x', 16)));
  EXPECT_EQ(std::memcmp(bytes.data(), page.data(), kPageSize), 0);
  EXPECT_EQ(node->cellCount(), 1u);
}

TEST(NodePage, OverlapsAreRejectedEvenWhenTheSizesAddUp) {
  // The cells and free blocks of each page below add up to the usable space, so only the
  // overlap (and the gap it leaves elsewhere) tells it apart from a sound page.
  PageImage cellsOverlap;  // a 32-byte cell at 8 and a 16-byte one inside it at 24
  cellsOverlap.header(0, 8, 40).cell(8, 20, 24).cell(24, 4, 0).freeBlock(40, 968, 0);
  EXPECT_EQ(parseResult(cellsOverlap), SQLITE_CORRUPT);

  PageImage blockOverCell;  // a free block starting inside the cell at 8..24
  blockOverCell.header(0, 8, 20).cell(8, 4, 0).freeBlock(20, 1000, 0);
  EXPECT_EQ(parseResult(blockOverCell), SQLITE_CORRUPT);

  PageImage cellInsideBlock;  // one free block over the whole page, a cell in its middle
  cellInsideBlock.header(0, 600, 8).cell(600, 4, 0).freeBlock(8, 1000, 0);
  EXPECT_EQ(parseResult(cellInsideBlock), SQLITE_CORRUPT);

  PageImage blocksOverlap;  // 8..520 and 512..1016
  blocksOverlap.header(0, 0, 8).freeBlock(8, 512, 512).freeBlock(512, 504, 0);
  EXPECT_EQ(parseResult(blocksOverlap), SQLITE_CORRUPT);

  // Overlaps where the coverage bookkeeping moves from one word of units to the next (every
  // 256 bytes): a cell over boundary - 8 .. boundary + 8, a free block from the boundary on.
  for (uint16_t boundary : {256, 512, 768}) {
    const auto cellAt = static_cast<uint16_t>(boundary - 8);
    PageImage acrossWords;
    acrossWords.header(0, cellAt, 8)
        .freeBlock(8, static_cast<uint16_t>(boundary - 24), boundary)
        .cell(cellAt, 4, 0)
        .freeBlock(boundary, static_cast<uint16_t>(kPageSize - boundary), 0);
    EXPECT_EQ(parseResult(acrossWords), SQLITE_CORRUPT) << "boundary " << boundary;
  }
}

TEST(NodePage, GapsAndBadOffsetsAreRejected) {
  PageImage gap;  // a free block 4 bytes short of the end
  gap.header(0, 8, 24).cell(8, 4, 0).freeBlock(24, kPageSize - 24 - 4, 0);
  EXPECT_EQ(parseResult(gap), SQLITE_CORRUPT);

  PageImage misaligned;
  misaligned.header(0, 10, 0).cell(10, 4, 0);
  EXPECT_EQ(parseResult(misaligned), SQLITE_CORRUPT);

  PageImage inHeader;  // a free block over the page header
  inHeader.header(0, 0, 4).freeBlock(4, kPageSize - 4, 0);
  EXPECT_EQ(parseResult(inHeader), SQLITE_CORRUPT);

  PageImage pastTheEnd;  // a cell whose payload runs off the page
  pastTheEnd.header(0, 1008, 8).cell(1008, 40, 0).freeBlock(8, 1000, 0);
  EXPECT_EQ(parseResult(pastTheEnd), SQLITE_CORRUPT);

  PageImage blocksDescending;  // sizes add up, but the list runs backwards
  blocksDescending.header(0, 0, 520).freeBlock(520, 504, 8).freeBlock(8, 512, 0);
  EXPECT_EQ(parseResult(blocksDescending), SQLITE_CORRUPT);
}

TEST(NodePage, ChainsThatLoopOrMixLeafAndInteriorAreRejected) {
  PageImage loop;  // the cell points back at itself
  loop.header(0, 8, 24).cell(8, 4, 8).freeBlock(24, kPageSize - 24, 0);
  EXPECT_EQ(parseResult(loop), SQLITE_CORRUPT);

  PageImage mixed;  // an interior page (right child 9) with a cell that has no left child
  mixed.header(9, 8, 40).cell(8, 4, 24, 7).cell(24, 4, 0, 0).freeBlock(40, kPageSize - 40, 0);
  EXPECT_EQ(parseResult(mixed), SQLITE_CORRUPT);

  PageImage interior;  // the same with both children set is sound
  interior.header(9, 8, 40).cell(8, 4, 24, 7).cell(24, 4, 0, 8).freeBlock(40, kPageSize - 40, 0);
  EXPECT_FALSE(NodePage::parse(interior.data(), kLittle)->isLeaf());
}

}  // namespace
}  // namespace sqlite2
