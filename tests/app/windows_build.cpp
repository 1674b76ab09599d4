#include "windows_build.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace orvalen::test {

std::optional<std::string> windowsProgram(const std::string& relativePath) {
  const char* build = std::getenv("ORVALEN_WINDOWS_BUILD");
  if (!build || !*build) return std::nullopt;
  return std::string(build) + "/" + relativePath;
}

std::string wineLoader() {
  if (const char* wine = std::getenv("ORVALEN_WINE"); wine && *wine) return wine;
  return std::filesystem::exists("/usr/lib/wine/wine64") ? "/usr/lib/wine/wine64" : "wine64";
}

std::string windowsPath(const std::string& path) {
  std::string windows = "Z:" + path;
  for (char& c : windows) {
    if (c == '/') c = '\\';
  }
  return windows;
}

WineProcess::WineProcess(const std::vector<std::string>& command) {
  int toProgram[2], fromProgram[2];
  if (::pipe(toProgram) != 0 || ::pipe(fromProgram) != 0) throw std::runtime_error("pipe failed");
  std::vector<std::string> arguments{wineLoader()};
  arguments.insert(arguments.end(), command.begin(), command.end());
  process_ = ::fork();
  if (process_ < 0) throw std::runtime_error("fork failed");
  if (process_ == 0) {
    ::dup2(toProgram[0], STDIN_FILENO);
    ::dup2(fromProgram[1], STDOUT_FILENO);
    for (int fd : {toProgram[0], toProgram[1], fromProgram[0], fromProgram[1]}) ::close(fd);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(toProgram[0]);
  ::close(fromProgram[1]);
  input_ = toProgram[1];
  output_ = fromProgram[0];
}

WineProcess::~WineProcess() {
  if (!exitStatus_) ::kill(process_, SIGKILL);
  wait();
}

std::optional<std::string> WineProcess::readLine() {
  for (;;) {
    const auto end = buffered_.find('\n');
    if (end != std::string::npos) {
      std::string line = buffered_.substr(0, end);
      buffered_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    char block[256];
    const ssize_t got = ::read(output_, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return std::nullopt;
    buffered_.append(block, static_cast<size_t>(got));
  }
}

void WineProcess::writeLine(const std::string& line) {
  const std::string text = line + "\n";
  (void)!::write(input_, text.data(), text.size());
}

int WineProcess::wait() {
  if (exitStatus_) return *exitStatus_;
  ::close(input_);
  int status = 0;
  while (::waitpid(process_, &status, 0) < 0 && errno == EINTR) {
  }
  ::close(output_);
  exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return *exitStatus_;
}

}  // namespace orvalen::test
