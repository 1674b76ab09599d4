#include "tests/gui/when_modal.h"

#include <utility>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/timer.h>

namespace orvalen::test {
namespace {

constexpr int kPollMilliseconds = 10;

// Looks at the dialog until it is modal, then acts once and goes.
class ModalWait : public wxTimer {
 public:
  ModalWait(wxDialog* dialog, std::function<void()> act) : dialog_(dialog), act_(std::move(act)) {
    Start(kPollMilliseconds);
  }

  void Notify() override {
    if (!dialog_->IsModal()) return;
    Stop();
    // A timer may not be deleted while it notifies.
    wxTheApp->CallAfter([this] { delete this; });
    act_();
  }

 private:
  wxDialog* dialog_;
  std::function<void()> act_;
};

}  // namespace

void whenModal(wxDialog* dialog, std::function<void()> act) {
  // The common case: the queued call comes in the dialog's loop.
  dialog->CallAfter([dialog, act = std::move(act)]() mutable {
    if (dialog->IsModal()) {
      act();
    } else {
      new ModalWait(dialog, std::move(act));
    }
  });
}

}  // namespace orvalen::test
