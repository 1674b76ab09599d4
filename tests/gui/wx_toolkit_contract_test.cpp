// The toolkit contract, run against the wxWidgets toolkit on a private X server.

#include <memory>

#include "editor/wx/editor_dialog.h"
#include "editor/wx/wx_toolkit.h"
#include "tests/editor/toolkit_contract.h"
#include "wx_user_driver.h"

namespace orvalen::test {
namespace {

class WxToolkitHarness : public ToolkitHarness {
 public:
  explicit WxToolkitHarness(MessageTarget& target) : window_(new wx::EditorDialog(nullptr)) {
    window_->Show();
    user_ = std::make_unique<WxUserDriver>(*window_);
    // The sizes the window goes through while it first shows are not the test's business.
    pumpWxEvents();
    window_->attach(&target);
  }
  ~WxToolkitHarness() override {
    user_.reset();
    window_->attach(nullptr);
    window_->Destroy();
    pumpWxEvents();
  }

  Toolkit& toolkit() override { return toolkit_; }
  EditorWindow& window() override { return *window_; }
  UserDriver& user() override { return *user_; }

 private:
  wx::WxToolkit toolkit_;
  wx::EditorDialog* window_;
  std::unique_ptr<WxUserDriver> user_;
};

struct WxToolkitFactory {
  static std::unique_ptr<ToolkitHarness> create(MessageTarget& target) {
    return std::make_unique<WxToolkitHarness>(target);
  }
};

}  // namespace

struct WxToolkitName {
  template <typename Factory>
  static std::string GetName(int) {
    return "Wx";
  }
};
INSTANTIATE_TYPED_TEST_SUITE_P(WxToolkit, ToolkitContract, ::testing::Types<WxToolkitFactory>,
                               WxToolkitName);

}  // namespace orvalen::test
