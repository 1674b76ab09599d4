#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <stdexcept>

#include "support/child_process.h"
#include "support/child_registry.h"

namespace orvalen::test {

namespace {

// The exit code of a process that died abruptly or was killed.
constexpr UINT kKilledExitCode = 0x4B494C4C;

std::string toUtf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

std::wstring toWide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int units =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), units);
  return wide;
}

// One argument quoted so that CommandLineToArgvW gives it back unchanged.
std::wstring quoted(const std::wstring& argument) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

std::wstring thisProgram() {
  wchar_t path[32768];
  const DWORD length = GetModuleFileNameW(nullptr, path, 32768);
  return std::wstring(path, length);
}

// A pipe whose one end the child inherits.
void makePipe(HANDLE* read, HANDLE* write, bool childReads) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  if (!CreatePipe(read, write, &inherit, 0)) throw std::runtime_error("CreatePipe failed");
  SetHandleInformation(childReads ? *write : *read, HANDLE_FLAG_INHERIT, 0);
}

}  // namespace

struct ChildProcess::Native {
  HANDLE process;
  HANDLE reports;   // read end of the child's standard output
  HANDLE messages;  // write end of the child's standard input
};

std::optional<int> runChildIfAsked(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return std::nullopt;
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(toUtf8(wide[i]));
  LocalFree(wide);
  const std::string option = kChildOption;
  if (arguments.size() < 2 || arguments[1].compare(0, option.size(), option) != 0)
    return std::nullopt;
  ChildBody body = registeredChild(arguments[1].substr(option.size()));
  if (!body) return 98;
  try {
    return body(std::vector<std::string>(arguments.begin() + 2, arguments.end()));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "child: %s\n", error.what());
    return 99;
  }
}

void reportToParent(char byte) {
  DWORD written;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), &byte, 1, &written, nullptr);
}

std::optional<char> messageFromParent() {
  char byte;
  DWORD got = 0;
  if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &got, nullptr) || got != 1)
    return std::nullopt;
  return byte;
}

void dieAbruptly() {
  TerminateProcess(GetCurrentProcess(), kKilledExitCode);
  ExitProcess(kKilledExitCode);
}

ChildProcess::ChildProcess(const std::string& name, const std::vector<std::string>& arguments) {
  if (!registeredChild(name)) throw std::logic_error("no child process named " + name);
  HANDLE reportRead, reportWrite, messageRead, messageWrite;
  makePipe(&reportRead, &reportWrite, false);
  makePipe(&messageRead, &messageWrite, true);
  const std::wstring program = thisProgram();
  std::wstring commandLine = quoted(program) + L" " + quoted(toWide(kChildOption + name));
  for (const std::string& argument : arguments) commandLine += L" " + quoted(toWide(argument));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = messageRead;
  startup.hStdOutput = reportWrite;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION started = {};
  const BOOL created = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      0, nullptr, nullptr, &startup, &started);
  CloseHandle(reportWrite);
  CloseHandle(messageRead);
  if (!created) {
    CloseHandle(reportRead);
    CloseHandle(messageWrite);
    throw std::runtime_error("CreateProcessW failed");
  }
  CloseHandle(started.hThread);
  native_ = new Native{started.hProcess, reportRead, messageWrite};
}

ChildProcess::~ChildProcess() {
  if (!exitCode_) kill();
  delete native_;
}

std::optional<char> ChildProcess::nextReport() {
  char byte;
  DWORD got = 0;
  if (!ReadFile(native_->reports, &byte, 1, &got, nullptr) || got != 1) return std::nullopt;
  return byte;
}

void ChildProcess::tellChild(char byte) {
  DWORD written;
  WriteFile(native_->messages, &byte, 1, &written, nullptr);
}

void ChildProcess::kill() {
  if (exitCode_) return;
  TerminateProcess(native_->process, kKilledExitCode);
  wait();
}

int ChildProcess::wait() {
  if (exitCode_) return *exitCode_;
  WaitForSingleObject(native_->process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(native_->process, &code);
  CloseHandle(native_->process);
  CloseHandle(native_->reports);
  CloseHandle(native_->messages);
  exitCode_ = code == kKilledExitCode ? -9 : static_cast<int>(code);
  return *exitCode_;
}

}  // namespace orvalen::test
