#pragma once

// Acting in a modal dialog once its own loop runs.

#include <functional>

class wxDialog;

namespace orvalen::test {

// Runs act once dialog runs its modal loop. The modal dialog hook hears of a dialog before it
// shows, and showing may already handle queued calls (GTK's file chooser does): a dialog
// ended then is only hidden, and the loop that follows waits for ever. So the user's answer
// waits until the dialog is modal.
void whenModal(wxDialog* dialog, std::function<void()> act);

}  // namespace orvalen::test
