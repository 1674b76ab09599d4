#pragma once

// The workings of a cursor: a path from the root to the current entry, and the entry's key
// while the path cannot be trusted (after changes to the tree made elsewhere).

#include <string>
#include <string_view>

#include "btree/btree_storage.h"

namespace sqlite2 {

class CursorCore {
 public:
  CursorCore(BtreeStorage& storage, PageNumber root, bool writable);
  ~CursorCore();
  CursorCore(const CursorCore&) = delete;
  CursorCore& operator=(const CursorCore&) = delete;

  PageNumber root() const { return root_; }

  bool first();
  bool last();
  bool next();
  bool previous();
  bool valid();
  int seek(std::string_view key);

  size_t keySize();
  std::string key();
  size_t dataSize();
  std::string data(size_t offset, size_t length);
  void readData(std::string& out);
  bool localData(std::string_view& out, PageRef& page, std::string_view* key = nullptr);
  int compareKey(std::string_view key, size_t ignoreTail);

  void insert(std::string_view key, std::string_view data);
  void remove();

  // Remembers the current entry's key and lets go of the path; the next use finds it again.
  void save();

 private:
  enum class Mode { Unset, OnEntry, Saved };
  // Where the path stands for an insert that follows at once: where seek() of landingKey_
  // ended (with landingResult_), or, after last(), where a key above every entry goes.
  enum class Landing { None, SoughtKey, AfterLast };

  void restore();
  void requireEntry();
  void requireWritable();
  const NodePage& nodeAt(size_t level);
  const uint8_t* currentCell(CellInfo& info);
  void descend(PageNumber child);
  void countWalkDescent();
  void moveToRoot();
  bool moveToLeftmost();
  bool moveToRightmost();
  bool stepForward();
  bool stepBackward();
  int seekPath(std::string_view key);
  bool searchCells(const NodePage& node, const uint8_t* page, std::string_view key, size_t& low);
  int insertionPoint(std::string_view key);
  bool onRightEdge();
  bool onLastEntry();
  void removeFromInterior(const CellInfo& removed);
  bool pathIsSound();

  BtreeStorage& storage_;
  PageNumber root_;
  bool writable_;
  PageRef rootRef_;  // held while the cursor is open, so the file stays locked
  Path path_;
  Mode mode_ = Mode::Unset;
  std::string savedKey_;
  // After finding a saved entry that is gone: > 0 when now on the entry after it, < 0 when on
  // the one before it, so that next() and previous() neither skip nor repeat an entry.
  int pendingMove_ = 0;
  // Pages entered by next()/previous() since the last first(), last() or seek(). A walk of a
  // sound tree enters fewer pages than the file has entries; a damaged tree whose pages are
  // shared between branches could otherwise make a walk practically endless.
  size_t walkDescents_ = 0;
  Landing landing_ = Landing::None;
  std::string landingKey_;
  int landingResult_ = 0;
};

}  // namespace sqlite2
