#pragma once

// The Windows build, run under Wine from the Linux tests (label windows). scripts/test-windows
// names it in ORVALEN_WINDOWS_BUILD (its build folder) and sets WINEPREFIX to its prefix.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace orvalen::test {

// The program of the Windows build at relativePath (app/orvalen.exe, ...), or nothing when no
// Windows build is named.
std::optional<std::string> windowsProgram(const std::string& relativePath);

// Wine's loader for 64-bit programs.
std::string wineLoader();

// A Linux path as the Windows program sees it: Wine's drive Z: is the Linux root.
std::string windowsPath(const std::string& path);

// A Windows program under Wine, with pipes to its standard input and from its output.
class WineProcess {
 public:
  explicit WineProcess(const std::vector<std::string>& command);
  // Kills the program if it still runs.
  ~WineProcess();
  WineProcess(const WineProcess&) = delete;
  WineProcess& operator=(const WineProcess&) = delete;

  // The next line it printed, without the line end; nothing once it has ended.
  std::optional<std::string> readLine();
  void writeLine(const std::string& line);
  // Waits for its end; its exit status.
  int wait();

 private:
  pid_t process_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string buffered_;
  std::optional<int> exitStatus_;
};

}  // namespace orvalen::test
