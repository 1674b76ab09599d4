#include "btree/integrity_check.h"

#include <optional>

#include "common/error.h"

namespace sqlite2 {

using namespace format;

namespace {

class IntegrityChecker {
 public:
  explicit IntegrityChecker(BtreeStorage& storage)
      : storage_(storage),
        order_(storage.order()),
        pageCount_(storage.pager().pageCount()),
        used_(size_t{pageCount_} + 1, false) {}

  std::vector<std::string> run(const std::vector<PageNumber>& roots) {
    if (pageCount_ >= 1) used_[1] = true;
    if (pageCount_ >= 1) {
      PageRef first = storage_.pager().get(1);
      checkList(true, order_.u32(first.data() + kFreeListHeadOffset),
                order_.u32(first.data() + kFreeCountOffset), "Main freelist: ");
    }
    for (PageNumber root : roots) {
      // A new file has no pages yet; its schema tree is empty.
      if (root == kSchemaRootPage && pageCount_ == 0) continue;
      checkTree(root, "List of tree roots: ", std::nullopt, std::nullopt, 0);
    }
    for (PageNumber page = 1; page <= pageCount_; ++page) {
      if (!used_[page]) report("Page " + std::to_string(page) + " is never used");
    }
    return std::move(errors_);
  }

 private:
  static constexpr PageNumber kSchemaRootPage = 2;

  void report(std::string message) { errors_.push_back(std::move(message)); }

  // Marks the page used; false (after reporting why, after the context of the reference)
  // when it cannot be used here.
  bool claim(PageNumber page, const std::string& context) {
    if (page < 1 || page > pageCount_) {
      report(context + "invalid page number " + std::to_string(page));
      return false;
    }
    if (used_[page]) {
      report(context + "2nd reference to page " + std::to_string(page));
      return false;
    }
    used_[page] = true;
    return true;
  }

  // The free list (trunks and their leaves) or an overflow chain, which must hold exactly
  // `expected` pages.
  void checkList(bool freeList, PageNumber page, uint64_t expected, const std::string& context) {
    int64_t remaining = static_cast<int64_t>(expected);
    while (remaining > 0) {
      if (page == 0) {
        report(context + std::to_string(remaining) + " pages missing from overflow list");
        return;
      }
      if (!claim(page, context)) return;
      --remaining;
      PageRef ref = storage_.pager().get(page);
      const uint8_t* bytes = ref.data();
      if (freeList) {
        uint32_t leaves = order_.u32(bytes + 4);
        if (leaves > kTrunkCapacity) {
          report(context + "trunk page " + std::to_string(page) + " holds " +
                 std::to_string(leaves) + " entries");
          leaves = kTrunkCapacity;
        }
        for (uint32_t i = 0; i < leaves; ++i) {
          claim(order_.u32(bytes + 8 + 4 * i), context);
          --remaining;
        }
      }
      page = order_.u32(bytes);
    }
  }

  std::optional<std::string> readKey(const uint8_t* cell, const CellInfo& info) {
    try {
      std::string key(info.keySize, '\0');
      storage_.readPayload(cell, info, 0, key.size(), key.data());
      return key;
    } catch (const Error&) {
      return std::nullopt;
    }
  }

  void keyOutOfOrder(PageNumber page, size_t cell) {
    report("On page " + std::to_string(page) + " cell " + std::to_string(cell) +
           ": Key is out of order");
  }

  // Keys under this page must lie strictly between lower and upper (when given).
  void checkTree(PageNumber page, const std::string& context,
                 const std::optional<std::string>& lower, const std::optional<std::string>& upper,
                 size_t depth) {
    if (!claim(page, context)) return;
    const std::string initFailed =
        "On tree page " + std::to_string(page) + ": initPage() returns error code 11";
    if (depth > kMaxTreeDepth) {
      report(initFailed);
      return;
    }
    PageRef ref = storage_.pager().get(page);
    std::unique_ptr<NodePage> node;
    try {
      node = NodePage::parse(ref.data(), order_);
    } catch (const Error&) {
      report(initFailed);
      return;
    }
    if (order_.u16(ref.data() + 4) == 0 && order_.u16(ref.data() + 6) == 0) {
      report("Unused space at byte " + std::to_string(kPageHeaderSize) + " of page " +
             std::to_string(page));
    }
    if (node->count == 0 && depth > 0) {
      report(initFailed);
      return;
    }
    std::optional<std::string> previous = lower;
    for (size_t i = 0; i < node->count; ++i) {
      const uint8_t* cell = ref.data() + node->offsets[i];
      CellInfo info = decodeCell(cell, order_);
      const std::string cellContext =
          "On page " + std::to_string(page) + " cell " + std::to_string(i) + ": ";
      if (info.overflows()) {
        checkList(false, order_.u32(cell + kCellHeaderSize + kMaxLocalPayload),
                  overflowPageCount(info.payloadSize()), cellContext);
      }
      std::optional<std::string> key = readKey(cell, info);
      if (key && ((previous && *key <= *previous) || (upper && *key >= *upper))) {
        keyOutOfOrder(page, i);
      }
      if (!node->isLeaf()) checkTree(info.leftChild, cellContext, previous, key, depth + 1);
      if (key) previous = std::move(key);
    }
    if (!node->isLeaf()) {
      checkTree(node->rightChild, "On page " + std::to_string(page) + " at right child: ", previous,
                upper, depth + 1);
    }
  }

  BtreeStorage& storage_;
  ByteOrder order_;
  PageNumber pageCount_;
  std::vector<bool> used_;
  std::vector<std::string> errors_;
};

}  // namespace

std::vector<std::string> checkFileIntegrity(BtreeStorage& storage,
                                            const std::vector<PageNumber>& roots) {
  return IntegrityChecker(storage).run(roots);
}

}  // namespace sqlite2
