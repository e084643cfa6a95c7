#include "machine/command_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace NVKXQZA20::NMachine {

namespace {

const char kSystemFolders[] = "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin";
const size_t kMaxErrorBytes = 4096;
// Between two looks whether a command that closed its output has ended.
const std::chrono::milliseconds kLongestPause(50);

bool IsExecutableFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The first line of standard error, which names the cause ("Permission denied").
std::string FirstLine(const std::string& text) {
  const size_t start = text.find_first_not_of(" \n");
  if (start == std::string::npos) return "";
  return text.substr(start, text.find('\n', start) - start);
}

class TPipe {
 public:
  TPipe() {
    if (::pipe2(fEnds, O_CLOEXEC) != 0) fEnds[0] = fEnds[1] = -1;
  }
  ~TPipe() {
    CloseRead();
    CloseWrite();
  }
  bool Valid() const { return fEnds[0] >= 0; }
  int Read() const { return fEnds[0]; }
  int Write() const { return fEnds[1]; }
  void CloseRead() { Close(fEnds[0]); }
  void CloseWrite() { Close(fEnds[1]); }

 private:
  static void Close(int& end) {
    if (end >= 0) ::close(end);
    end = -1;
  }
  int fEnds[2];
};

[[noreturn]] void ExecChild(const std::string& program, const std::vector<std::string>& argv, int out, int err) {
  ::setpgid(0, 0);
  const int input = ::open("/dev/null", O_RDONLY);
  if (input >= 0) ::dup2(input, 0);
  ::dup2(out, 1);
  ::dup2(err, 2);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const std::string path = std::string("PATH=") + kSystemFolders;
  char* environment[] = {const_cast<char*>("LC_ALL=C"), const_cast<char*>(path.c_str()),
                         const_cast<char*>("COLUMNS=4096"), nullptr};
  ::execve(program.c_str(), args.data(), environment);
  ::_exit(127);
}

typedef std::chrono::steady_clock TClock;

// Reads both pipes until the child closes them, the output is full or the
// deadline passes.
void Collect(int out, int err, const TCommandLimits& limits, TClock::time_point deadline, TCommandResult& result) {
  pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
  char buffer[65536];
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now());
    if (left.count() <= 0) {
      result.fTimedOut = true;
      return;
    }
    const int ready = ::poll(fds, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return;
    for (pollfd& fd : fds) {
      if (fd.fd < 0 || fd.revents == 0) continue;
      const ssize_t count = ::read(fd.fd, buffer, sizeof buffer);
      if (count <= 0) {
        fd.fd = -1;
        continue;
      }
      const bool isOutput = &fd == &fds[0];
      std::string& sink = isOutput ? result.fOutput : result.fErrors;
      const size_t cap = isOutput ? limits.fMaxBytes : kMaxErrorBytes;
      const size_t room = cap - std::min(sink.size(), cap);
      sink.append(buffer, std::min(room, static_cast<size_t>(count)));
      if (isOutput && static_cast<size_t>(count) > room) {
        result.fTruncated = true;
        return;
      }
    }
  }
}

// Waits for the child until the deadline, then kills its process group: a
// command may close its output and keep running. Answers its wait status.
int Reap(pid_t child, TClock::time_point deadline, TCommandResult& result) {
  int status = 0;
  for (auto pause = std::chrono::milliseconds(1); !result.fTimedOut; pause = std::min(pause * 2, kLongestPause)) {
    const pid_t waited = ::waitpid(child, &status, WNOHANG);
    if (waited == child || (waited < 0 && errno != EINTR)) return status;
    result.fTimedOut = TClock::now() >= deadline;
    if (!result.fTimedOut) std::this_thread::sleep_for(pause);
  }
  ::kill(-child, SIGKILL);
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

std::string ProblemOf(const TCommandResult& result, const TCommandLimits& limits) {
  if (result.fTimedOut) return "timed out after " + std::to_string(limits.fTimeoutSeconds) + " s";
  if (result.fTruncated) return "";
  if (result.fExitStatus == 0) return "";
  if (result.fExitStatus == 127 && result.fOutput.empty()) return "could not be started";
  const std::string cause = FirstLine(result.fErrors);
  // Many tools print what they could read and fail on the rest; the output is
  // kept, the failure logged by the caller from fErrors.
  if (!result.fOutput.empty()) return "";
  return "exit status " + std::to_string(result.fExitStatus) + (cause.empty() ? "" : ": " + cause);
}

}  // namespace

std::string FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : "";
  const char* path = std::getenv("PATH");
  const std::string folders = std::string(path != nullptr ? path : "") + ":" + kSystemFolders;
  for (size_t start = 0; start <= folders.size();) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = folders.substr(start, end - start);
    if (!folder.empty() && IsExecutableFile(folder + "/" + name)) return folder + "/" + name;
    start = end + 1;
  }
  return "";
}

TCommandResult RunCommand(const std::vector<std::string>& argv, const TCommandLimits& limits) {
  TCommandResult result;
  const std::string program = argv.empty() ? "" : FindProgram(argv.front());
  if (program.empty()) {
    result.fProblem = "not installed";
    return result;
  }
  TPipe out, err;
  if (!out.Valid() || !err.Valid()) {
    result.fProblem = "cannot create a pipe";
    return result;
  }
  const pid_t child = ::fork();
  if (child < 0) {
    result.fProblem = "cannot start a process";
    return result;
  }
  if (child == 0) ExecChild(program, argv, out.Write(), err.Write());
  // Both sides set the group, so that a kill reaches it whoever runs first.
  ::setpgid(child, child);
  out.CloseWrite();
  err.CloseWrite();
  const TClock::time_point deadline = TClock::now() + std::chrono::seconds(limits.fTimeoutSeconds);
  Collect(out.Read(), err.Read(), limits, deadline, result);
  if (result.fTruncated) ::kill(-child, SIGKILL);
  out.CloseRead();
  err.CloseRead();
  const int status = Reap(child, deadline, result);
  if (WIFEXITED(status) && !result.fTimedOut) result.fExitStatus = WEXITSTATUS(status);
  result.fProblem = ProblemOf(result, limits);
  return result;
}

}  // namespace NVKXQZA20::NMachine
