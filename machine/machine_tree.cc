#include "machine/machine_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "machine/command_runner.h"

namespace NVKXQZA20::NMachine {

namespace {

std::string CommandLine(const std::vector<std::string>& argv) {
  std::string line;
  for (const std::string& word : argv) line += (line.empty() ? "" : " ") + word;
  return line;
}

std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? resolved : "";
}

class TFileDescriptor {
 public:
  explicit TFileDescriptor(int fd) : fFd(fd) {}
  ~TFileDescriptor() {
    if (fFd >= 0) ::close(fFd);
  }
  int Get() const { return fFd; }

 private:
  int fFd;
};

}  // namespace

bool ReadBoundedFile(const std::string& path, size_t maxBytes, bool tail, std::string& text, bool& truncated) {
  TFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat status {};
  if (file.Get() < 0 || ::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  text.clear();
  truncated = false;
  // Files of /proc and /sys tell no size: they are read to their end.
  const size_t size = static_cast<size_t>(status.st_size);
  if (tail && size > maxBytes) {
    if (::lseek(file.Get(), static_cast<off_t>(size - maxBytes), SEEK_SET) < 0) return false;
    truncated = true;
  }
  char buffer[65536];
  for (;;) {
    const ssize_t count = ::read(file.Get(), buffer, sizeof buffer);
    if (count < 0) return false;
    if (count == 0) break;
    const size_t room = maxBytes - text.size();
    text.append(buffer, std::min(room, static_cast<size_t>(count)));
    if (static_cast<size_t>(count) > room) {
      truncated = true;
      break;
    }
  }
  if (tail && truncated) {
    const size_t lineStart = text.find('\n');
    text.erase(0, lineStart == std::string::npos ? 0 : lineStart + 1);
  }
  return true;
}

TMachineTree TMachineTree::Live(const std::string& root) {
  return TMachineTree(root == "/" ? "" : root, true);
}

TMachineTree TMachineTree::Saved(const std::string& root) {
  std::string real = RealPath(root);
  return TMachineTree(real.empty() ? root : real, false);
}

// A saved tree is foreign: a path (through its links) must stay inside it.
std::string TMachineTree::PathOf(const std::string& path) const {
  const std::string joined = fRoot + (path.empty() || path[0] != '/' ? "/" : "") + path;
  if (fLive) return joined;
  const std::string real = RealPath(joined);
  if (real.empty() || (real != fRoot && real.compare(0, fRoot.size() + 1, fRoot + "/") != 0)) return "";
  return real;
}

bool TMachineTree::ReadFile(const std::string& path, size_t maxBytes, std::string& text) const {
  const std::string full = PathOf(path);
  bool truncated = false;
  return !full.empty() && ReadBoundedFile(full, maxBytes, false, text, truncated);
}

std::vector<std::string> TMachineTree::List(const std::string& path) const {
  std::vector<std::string> names;
  const std::string full = PathOf(path);
  DIR* folder = full.empty() ? nullptr : ::opendir(full.c_str());
  if (folder == nullptr) return names;
  while (const dirent* entry = ::readdir(folder)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(folder);
  std::sort(names.begin(), names.end());
  return names;
}

std::string TMachineTree::LinkTarget(const std::string& path) const {
  char target[PATH_MAX];
  const std::string joined = fRoot + path;
  const ssize_t length = ::readlink(joined.c_str(), target, sizeof target - 1);
  return length > 0 ? std::string(target, static_cast<size_t>(length)) : "";
}

std::map<std::string, std::string> TMachineTree::ReadAttributes(const std::string& folder,
                                                               const std::vector<std::string>& names) const {
  std::map<std::string, std::string> attributes;
  for (const std::string& name : names) {
    std::string text;
    if (!ReadFile(folder + "/" + name, 4096, text)) continue;
    attributes[name] = text.substr(0, text.find('\n'));
  }
  return attributes;
}

TSourceText TMachineTree::Read(const TSource& source, size_t logBytes,
                               const std::vector<std::string>& extraArguments) const {
  const size_t limit = source.fMaxBytes != 0 ? source.fMaxBytes : logBytes;
  return fLive ? ReadLive(source, limit, extraArguments) : ReadSaved(source, limit);
}

TSourceText TMachineTree::ReadLive(const TSource& source, size_t limit, const std::vector<std::string>& extra) const {
  TSourceText result;
  if (!source.fFile.empty()) {
    result.fOrigin = source.fFile;
    result.fRead = ReadBoundedFile(PathOf(source.fFile), limit, source.fLog, result.fText, result.fTruncated);
    if (result.fRead || source.fCommand.empty()) {
      if (!result.fRead) result.fProblem = ::access(PathOf(source.fFile).c_str(), F_OK) == 0 ? "not readable" : "absent";
      return result;
    }
  }
  std::vector<std::string> argv = source.fCommand;
  argv.insert(argv.end(), extra.begin(), extra.end());
  // Commands see the machine they run on; below another root there is none.
  if (!fRoot.empty()) {
    result.fOrigin = CommandLine(argv);
    result.fProblem = "not run below another root";
    return result;
  }
  TCommandResult run = RunCommand(argv, {source.fTimeoutSeconds, limit});
  result.fOrigin = CommandLine(source.fCommand);
  result.fRead = run.fProblem.empty();
  result.fText = std::move(run.fOutput);
  result.fTruncated = run.fTruncated;
  result.fProblem = run.fProblem;
  return result;
}

TSourceText TMachineTree::ReadSaved(const TSource& source, size_t limit) const {
  TSourceText result;
  for (const std::string& relative : SosPathsOf(source)) {
    const std::string full = PathOf(relative);
    if (full.empty()) continue;
    result.fOrigin = relative;
    result.fRead = ReadBoundedFile(full, limit, source.fLog, result.fText, result.fTruncated);
    if (result.fRead) return result;
  }
  const std::vector<std::string> tried = SosPathsOf(source);
  result.fOrigin = tried.front();
  result.fProblem = "not in the sos report";
  for (size_t i = 1; i < tried.size(); ++i) result.fProblem += (i == 1 ? " (nor " : ", ") + tried[i];
  if (tried.size() > 1) result.fProblem += ")";
  return result;
}

}  // namespace NVKXQZA20::NMachine
