// orvalen-sql on a terminal (a pseudo-terminal here): prompts, statements that run when they
// end with ';', the dot commands, errors that do not end the session, and saved history.
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace orvalen::test {
namespace {

struct TerminalSession {
  bool started = false;  // false when no pseudo-terminal could be had
  std::string screen;
  int exitStatus = -1;
};

// Runs orvalen-sql FILE on a pseudo-terminal in directory (also its HOME), types input,
// a line at a time at its prompts, and collects everything shown until it exits (or it
// stays silent for 20 seconds).
TerminalSession runOnTerminal(const std::string& directory, const std::string& input) {
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child < 0) return {};
  if (child == 0) {
    if (chdir(directory.c_str()) != 0) _exit(127);
    setenv("HOME", directory.c_str(), 1);
    setenv("TERM", "dumb", 1);
    execl(ORVALEN_SQL_BINARY, ORVALEN_SQL_BINARY, "t.db", static_cast<char*>(nullptr));
    _exit(127);
  }
  TerminalSession session;
  session.started = true;
  size_t typed = 0;
  size_t shownBeforeTyping = 0;
  // A line is typed when the shell waits at a prompt shown since the last one was typed (the
  // echo of a typed line may hold a prompt's text too, but never ends the screen with it).
  auto promptShown = [&] {
    const std::string& screen = session.screen;
    auto waitsAt = [&](const std::string& prompt) {
      return screen.size() >= shownBeforeTyping + prompt.size() &&
             screen.compare(screen.size() - prompt.size(), prompt.size(), prompt) == 0;
    };
    return waitsAt("orvalen-sql> ") || waitsAt("...> ");
  };
  for (int idle = 0; idle < 200;) {
    if (typed < input.size() && promptShown()) {
      const size_t end = input.find('\n', typed);
      const size_t length = (end == std::string::npos ? input.size() : end + 1) - typed;
      const ssize_t written = write(terminal, input.data() + typed, length);
      if (written > 0) typed += static_cast<size_t>(written);
      shownBeforeTyping = session.screen.size();
    }
    pollfd ready{terminal, POLLIN, 0};
    if (poll(&ready, 1, 100) == 0) {
      ++idle;
      continue;
    }
    char buffer[4096];
    const ssize_t got = read(terminal, buffer, sizeof buffer);
    if (got <= 0) break;  // the shell has gone (EIO on Linux)
    session.screen.append(buffer, static_cast<size_t>(got));
  }
  close(terminal);
  int status = 0;
  if (waitpid(child, &status, 0) == child && WIFEXITED(status))
    session.exitStatus = WEXITSTATUS(status);
  return session;
}

TEST(InteractiveShellTest, RunsStatementsAndCommandsUntilQuit) {
  TempDir dir;
  const TerminalSession session = runOnTerminal(dir.path(),
                                                "CREATE TABLE t(a, b);\n"
                                                "INSERT INTO t VALUES(1, 'x');\n"
                                                "INSERT INTO t VALUES(2,\n"
                                                "  'second line');\n"
                                                "SELECT b FROM t WHERE a = 2;\n"
                                                "SELECT * FROM nosuch;\n"
                                                ".tables\n"
                                                ".schema t\n"
                                                ".bogus\n"
                                                "SELECT count(*) FROM t;\n"
                                                ".quit\n");
  if (!session.started) GTEST_SKIP() << "no pseudo-terminal available";
  EXPECT_EQ(session.exitStatus, 0) << session.screen;
  EXPECT_NE(session.screen.find("orvalen-sql> "), std::string::npos) << session.screen;
  EXPECT_NE(session.screen.find("...> "), std::string::npos) << session.screen;
  EXPECT_NE(session.screen.find("\nsecond line\r\n"), std::string::npos) << session.screen;
  EXPECT_NE(session.screen.find("SQL error: no such table: nosuch"), std::string::npos)
      << session.screen;
  EXPECT_NE(session.screen.find("\r\nt\r\n"), std::string::npos) << session.screen;
  EXPECT_NE(session.screen.find("\r\nCREATE TABLE t(a, b);\r\n"), std::string::npos)
      << session.screen;
  EXPECT_NE(session.screen.find("unknown command"), std::string::npos) << session.screen;
  // The session went on after the errors.
  EXPECT_NE(session.screen.find("\r\n2\r\n"), std::string::npos) << session.screen;

  const std::string history = readFile(dir.file(".orvalen_sql_history"));
  EXPECT_NE(history.find("SELECT b FROM t WHERE a = 2;"), std::string::npos) << history;
  EXPECT_NE(history.find("INSERT INTO t VALUES(2,   'second line');"), std::string::npos)
      << history;
  EXPECT_NE(history.find(".tables"), std::string::npos) << history;
}

// Both new prompts end in "...> ", which the typing loop waits for.
TEST(InteractiveShellTest, PromptCommandReplacesThePrompts) {
  TempDir dir;
  const TerminalSession session = runOnTerminal(dir.path(),
                                                ".prompt 'db...> ' 'more...> '\n"
                                                "SELECT 1 +\n"
                                                "  41;\n"
                                                ".p 'only main...> '\n"
                                                "SELECT\n"
                                                "  7;\n"
                                                ".quit\n");
  if (!session.started) GTEST_SKIP() << "no pseudo-terminal available";
  EXPECT_EQ(session.exitStatus, 0) << session.screen;
  const size_t changed = session.screen.find("db...> SELECT 1 +");
  ASSERT_NE(changed, std::string::npos) << session.screen;
  EXPECT_NE(session.screen.find("more...>   41;\r\n42\r\n", changed), std::string::npos)
      << session.screen;
  // Given alone, the main prompt leaves the continuation prompt as it was.
  EXPECT_NE(session.screen.find("only main...> SELECT\r\nmore...>   7;\r\n7\r\n"),
            std::string::npos)
      << session.screen;
}

TEST(InteractiveShellTest, EndOfInputRunsWhatWasTypedAndLeaves) {
  TempDir dir;
  const TerminalSession session = runOnTerminal(
      dir.path(), "CREATE TABLE t(a); INSERT INTO t VALUES(42);\nSELECT a FROM t\n\x04");
  if (!session.started) GTEST_SKIP() << "no pseudo-terminal available";
  EXPECT_EQ(session.exitStatus, 0) << session.screen;
  EXPECT_NE(session.screen.find("\r\n42\r\n"), std::string::npos) << session.screen;
}

}  // namespace
}  // namespace orvalen::test
