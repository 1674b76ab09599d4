// Starts a private X server and wxWidgets once for the test program; every test of the
// program runs on them. Without an X server the tests are skipped, saying why.

#include <gtest/gtest.h>

#include <memory>

#include <wx/app.h>
#include <wx/debug.h>
#include <wx/image.h>
#include <wx/init.h>

#include "private_display.h"

namespace orvalen::test {
namespace {

// A failed wxWidgets check fails the running test instead of opening a dialog that would wait
// for a click.
void failOnAssert(const wxString& file, int line, const wxString& function,
                  const wxString& condition, const wxString& message) {
  ADD_FAILURE() << "wxWidgets check failed at " << file << ":" << line << " in " << function << ": "
                << condition << " " << message;
}

class WxEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    display_ = std::make_unique<PrivateDisplay>();
    if (display_->name().empty()) GTEST_SKIP() << display_->why();
    wxApp::SetInstance(new wxApp);
    static int argc = 1;
    static char name[] = "orvalen-gui-test";
    static char* argv[] = {name, nullptr};
    if (!wxEntryStart(argc, argv)) GTEST_SKIP() << "wxWidgets could not start on the display";
    started_ = true;
    wxSetAssertHandler(failOnAssert);
    wxTheApp->CallOnInit();
    wxImage::AddHandler(new wxPNGHandler);
  }

  void TearDown() override {
    if (started_) wxEntryCleanup();
    display_.reset();
  }

 private:
  std::unique_ptr<PrivateDisplay> display_;
  bool started_ = false;
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

}  // namespace
}  // namespace orvalen::test
