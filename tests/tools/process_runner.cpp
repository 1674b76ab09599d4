#include "process_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "support/temp_dir.h"

namespace orvalen::test {

namespace {

void redirect(const std::string& path, int flags, int target) {
  const int fd = open(path.c_str(), flags, 0600);
  if (fd < 0 || dup2(fd, target) < 0) _exit(127);
  close(fd);
}

// A process that writes the text into a new pipe and ends; returns the pipe's reading end.
int pipeWrittenBy(const std::string& text, pid_t* writer) {
  int ends[2];
  if (pipe(ends) != 0) throw std::runtime_error("pipe failed");
  *writer = fork();
  if (*writer < 0) throw std::runtime_error("fork failed");
  if (*writer == 0) {
    close(ends[0]);
    for (size_t done = 0; done < text.size();) {
      const ssize_t wrote = write(ends[1], text.data() + done, text.size() - done);
      if (wrote <= 0) _exit(1);
      done += static_cast<size_t>(wrote);
    }
    _exit(0);
  }
  close(ends[1]);
  return ends[0];
}

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& directory, const std::string& stdinText, Feed feed) {
  TempDir io;
  const std::string inPath = io.file("in");
  const std::string outPath = io.file("out");
  const std::string errPath = io.file("err");
  writeFile(inPath, stdinText);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  pid_t writer = -1;
  const int piped = feed == Feed::kPipe ? pipeWrittenBy(stdinText, &writer) : -1;
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    if (piped >= 0) {
      if (dup2(piped, STDIN_FILENO) < 0) _exit(127);
    } else {
      redirect(inPath, O_RDONLY, STDIN_FILENO);
    }
    redirect(outPath, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
    redirect(errPath, O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
    if (chdir(directory.c_str()) != 0) _exit(127);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (piped >= 0) close(piped);
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  int writerStatus = 0;
  if (writer > 0 && waitpid(writer, &writerStatus, 0) == writer && writerStatus != 0) {
    throw std::runtime_error("the program did not read all of its standard input");
  }
  ProcessResult result;
  result.out = readFile(outPath);
  result.err = readFile(errPath);
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string referenceShellPath() {
  std::string home;
  if (const char* given = std::getenv("SQLITE2_REF_HOME"); given && *given) {
    home = given;
  } else if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache) {
    home = std::string(cache) + "/sqlite2-reference";
  } else {
    const char* user = std::getenv("HOME");
    home = std::string(user ? user : ".") + "/.cache/sqlite2-reference";
  }
  return home + "/bin/sqlite2-ref";
}

}  // namespace orvalen::test
