#include "shell_session.h"

namespace orvalen::tools {

ShellSession::ShellSession(sqlite* db, const ShellSettings& settings, bool stopOnError)
    : db_(db), settings_(settings), stopOnError_(stopOnError), printer_(stdout, settings_) {}

ShellSession::~ShellSession() {
  if (out_ != stdout) std::fclose(out_);
  std::fflush(stdout);
}

bool ShellSession::redirectOutput(const std::string& path) {
  if (out_ != stdout) std::fclose(out_);
  out_ = stdout;
  outputName_ = "stdout";
  if (path == "stdout") return true;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  out_ = file;
  outputName_ = path;
  return true;
}

Outcome ShellSession::runSql(const char* sql) {
  char* error = nullptr;
  printer_.startRun(out_);
  const int rc = sqlite_exec(db_, sql, RowPrinter::callback, &printer_, &error);
  if (rc == SQLITE_OK) return Outcome::kDone;
  // Rows already printed come before the message when both go to one terminal.
  std::fflush(out_);
  std::fprintf(stderr, "SQL error: %s\n", error ? error : sqlite_error_string(rc));
  sqlite_freemem(error);
  return Outcome::kFailed;
}

bool ShellSession::enterRead() {
  constexpr int kDeepestRead = 64;
  if (readDepth_ >= kDeepestRead) return false;
  ++readDepth_;
  return true;
}

void ShellSession::echo(std::string_view line) const {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

}  // namespace orvalen::tools
