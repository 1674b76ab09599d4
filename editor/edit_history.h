#pragma once

// What one editor window has changed in its plugin file, step by step, for undo and redo.
//
// Each edit the window makes (an add, a rename, a modify, a delete with everything it takes,
// a move, an import) is one EditStep: the rows it touched as they were before and after it
// (db/row_images.h), and where its categories showed in the tree on either side. Undo writes
// the "before" side back, redo the "after" side, each only while the rows are exactly as this
// window left them. The history has no limit and lives as long as the window.
//
// A new step drops the steps that were undone and not redone.

#include <map>
#include <string>
#include <vector>

#include "db/row_images.h"

namespace orvalen {

struct EditStep {
  // What the menus call it: the action and what it acted on ("删除 “电影”").
  std::string description;
  std::vector<RowChange> rows;
  // For a category of the step: the id of the category whose tree item it shows under (-1:
  // the root item) before and after the step, where the step knows it.
  std::map<int, int> shownUnderBefore;
  std::map<int, int> shownUnderAfter;
};

class EditHistory {
 public:
  // Adds a step just made; the steps undone before it cannot be redone any more.
  void record(EditStep step);

  // The step an undo would take back, or a redo would make again; nullptr when there is none.
  const EditStep* toUndo() const { return done_ > 0 ? &steps_[done_ - 1] : nullptr; }
  const EditStep* toRedo() const { return done_ < steps_.size() ? &steps_[done_] : nullptr; }

  // After the step of toUndo() was undone, or the step of toRedo() redone.
  void undone();
  void redone();

 private:
  std::vector<EditStep> steps_;
  std::size_t done_ = 0;  // steps_[0, done_) are in effect
};

// A step's name: the action and the name in quotation marks, cut short for a menu entry.
std::string StepName(const char* action, const std::string& name);
// The name of a step on videos: as StepName for one, with their number for several.
std::string StepNameForVideos(const char* action, std::size_t count, const std::string& firstName);

}  // namespace orvalen
