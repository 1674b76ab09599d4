// The find, the moves by drag and drop and the undo of the real program, on a desktop with a
// window manager, driven with the keyboard and mouse; what it wrote is read back with the
// reference SQLite 2.8 engine.

#include <string>
#include <vector>

#include "orvalen_session.h"

namespace orvalen::test {
namespace {

// The tree's lines in the GTK editor window.
constexpr TreeLines kTreeLines{90, 48, 21};

class CatalogueSession : public OrvalenSession {
 protected:
  std::unique_ptr<DesktopSession> start() override {
    SessionProgram program{{ORVALEN_BINARY}};
    program.windowManager = true;
    return std::make_unique<DesktopSession>(dir_.path(), program);
  }
};

TEST_F(CatalogueSession, FindDragAndUndoABranchDelete) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string file = dir_.file("catalogue.vdb");
  makeCatalogueForMoves(file);
  chooseExistingPlugin();
  answerFileDialog("打开", "catalogue.vdb");
  findDragAndUndoABranchDelete(waitForEditor(), file, kTreeLines);
}

TEST_F(CatalogueSession, ImportAPlaylistIntoACategoryAndUndoIt) {
  ORVALEN_REQUIRE_REFERENCE(ref);
  const std::string file = dir_.file("catalogue.vdb");
  makeCatalogueForMoves(file);
  chooseExistingPlugin();
  answerFileDialog("打开", "catalogue.vdb");
  importPlaylistAndUndoIt(waitForEditor(), file, kTreeLines, 6,
                          [&](const std::string&) { answerFileDialog("打开", "channels.m3u8"); });
}

}  // namespace
}  // namespace orvalen::test
