#include "streamed_script.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "statement_completeness.h"

namespace orvalen::tools {

namespace {

constexpr size_t kBlockSize = 1 << 20;

// A pipe holds 64 KiB by default: its writer (a dump running beside us) then stops every few
// statements until we have run them. Where the system lets a pipe grow, one of a megabyte lets
// the writer run ahead while we run statements, and both go with fewer switches.
void widenPipe(int descriptor) {
#ifdef F_SETPIPE_SZ
  (void)::fcntl(descriptor, F_SETPIPE_SZ, static_cast<int>(kBlockSize));
#else
  (void)descriptor;
#endif
}

// The end of the longest start of a growing text that holds whole statements and command
// lines only, found line by line as the text grows.
class RunnableEnd {
 public:
  // Follows the complete lines of text from where the last call stopped.
  size_t follow(std::string_view text) {
    for (size_t newline; (newline = text.find('\n', scanned_)) != std::string_view::npos;) {
      const std::string_view line = text.substr(scanned_, newline + 1 - scanned_);
      scanned_ = newline + 1;
      if (scanner_.betweenStatements() && isCommandLine(line)) {
        scanner_.reset();
        followedCommandLine_ = true;
      } else {
        scanner_.feed(line);
      }
      if (scanner_.betweenStatements()) runnable_ = scanned_;
    }
    return runnable_;
  }
  // Whether the runnable start of the text holds a command line.
  bool runnableHoldsCommands() const { return followedCommandLine_; }
  // The text lost its first `count` bytes (at least the runnable start), which had run.
  void dropped(size_t count) {
    scanned_ -= count;
    runnable_ -= count;
    followedCommandLine_ = false;
  }

 private:
  static bool isCommandLine(std::string_view line) {
    const size_t at = line.find_first_not_of(" \t");
    return at != std::string_view::npos && line[at] == '.';
  }

  StatementScanner scanner_;
  size_t scanned_ = 0;
  size_t runnable_ = 0;
  bool followedCommandLine_ = false;
};

// Reads what the descriptor has now, at most size bytes: 0 at the end, -1 on failure.
ssize_t readSome(int descriptor, char* buffer, size_t size) {
  ssize_t got;
  do {
    got = ::read(descriptor, buffer, size);
  } while (got < 0 && errno == EINTR);
  return got;
}

// Reads and drops the rest of the input; false when reading fails.
bool drain(int descriptor) {
  char block[1 << 16];
  ssize_t got;
  while ((got = readSome(descriptor, block, sizeof block)) > 0) {
  }
  return got == 0;
}

}  // namespace

std::optional<Outcome> runStreamedScript(ShellSession& session, int descriptor) {
  std::string pending;
  RunnableEnd splitter;
  Outcome result = Outcome::kDone;
  // Runs the text's first `end` bytes, all followed by the splitter or not (the last piece);
  // false when the run ends with them.
  auto run = [&](size_t end, bool followed) {
    // The piece is ended in place rather than copied: a load runs megabytes this way.
    const char firstAfter = pending[end];
    pending[end] = '\0';
    const Outcome outcome = followed && !splitter.runnableHoldsCommands()
                                ? session.runScriptWithoutCommands(pending.c_str())
                                : session.runScript(pending.c_str());
    pending[end] = firstAfter;
    pending.erase(0, end);
    splitter.dropped(end);
    if (outcome != Outcome::kDone) result = outcome;
    return outcome == Outcome::kDone || (outcome == Outcome::kFailed && !session.stopOnError());
  };
  widenPipe(descriptor);
  std::string storage(kBlockSize, '\0');
  char* block = storage.data();
  for (;;) {
    const ssize_t got = readSome(descriptor, block, kBlockSize);
    if (got < 0) return std::nullopt;
    // The text ends at its first zero byte: the library reads a text no further.
    const char* zero = static_cast<const char*>(std::memchr(block, '\0', static_cast<size_t>(got)));
    pending.append(block, zero ? static_cast<size_t>(zero - block) : static_cast<size_t>(got));
    const bool lastPiece = got == 0 || zero;
    const size_t end = lastPiece ? pending.size() : splitter.follow(pending);
    if ((end > 0 || lastPiece) && !run(end, !lastPiece)) break;
    if (lastPiece) break;
  }
  if (!drain(descriptor)) return std::nullopt;
  return result;
}

}  // namespace orvalen::tools
