#pragma once

// What an enabling rule is handed: it answers by calling Enable. A rule that does not call
// it leaves the command enabled.

namespace orvalen {

class CCmdUI {
 public:
  explicit CCmdUI(int commandId) : m_nID(commandId) {}
  void Enable(bool on = true) { m_bEnabled = on; }
  bool IsEnabled() const { return m_bEnabled; }
  int CommandId() const { return m_nID; }

 private:
  int m_nID;
  bool m_bEnabled = true;
};

}  // namespace orvalen
