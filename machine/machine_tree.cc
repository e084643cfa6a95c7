#include "machine/machine_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

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

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "a link";
}

// A collection cannot hold a NUL byte, so texts lose theirs where they are
// read: what the mapping tells apart (two keys) stays apart once written.
TSourceText WithoutNulBytes(TSourceText read) {
  read.fText.erase(std::remove(read.fText.begin(), read.fText.end(), '\0'), read.fText.end());
  return read;
}

TSourceText Unread(std::string problem) {
  TSourceText result;
  result.fProblem = std::move(problem);
  return result;
}

// Files on disk below a root folder ("" for "/"). A confined root is a
// foreign tree: a path (through its links) must stay inside it. Only
// regular files are opened: a FIFO would block the reader, a device would be
// read or moved by the opening itself.
class TFolderFiles : public ITreeFiles {
 public:
  TFolderFiles(std::string root, bool confined) : fRoot(std::move(root)), fConfined(confined) {}

  TSourceText Read(const std::string& path, size_t maxBytes, bool tail) const override {
    const std::string full = PathOf(path);
    struct stat status {};
    if (full.empty() || ::lstat(full.c_str(), &status) != 0) return Unread("absent");
    if (!S_ISREG(status.st_mode)) return Unread("not a regular file (" + KindOf(status.st_mode) + ")");
    TFileDescriptor file(::open(full.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (file.Get() < 0 || ::fstat(file.Get(), &status) != 0) return Unread("not readable");
    if (!S_ISREG(status.st_mode)) return Unread("not a regular file (" + KindOf(status.st_mode) + ")");
    // Files of /proc and /sys tell no size: they are read to the bound.
    const unsigned long long size = static_cast<unsigned long long>(status.st_size);
    const unsigned long long start = tail && size > maxBytes ? size - maxBytes : 0;
    if (start > 0 && ::lseek(file.Get(), static_cast<off_t>(start), SEEK_SET) < 0) return Unread("not readable");
    std::string kept;
    char buffer[65536];
    while (kept.size() <= maxBytes) {
      const ssize_t count = ::read(file.Get(), buffer, std::min(sizeof buffer, maxBytes + 1 - kept.size()));
      if (count < 0) return Unread(std::string("not readable: ") + std::strerror(errno));
      if (count == 0) break;
      kept.append(buffer, static_cast<size_t>(count));
    }
    const unsigned long long whole = std::max<unsigned long long>(size, start + kept.size());
    return BoundedText(std::move(kept), whole, maxBytes, tail);
  }

  std::vector<std::string> List(const std::string& path) const override {
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

  std::string LinkTarget(const std::string& path) const override {
    char target[PATH_MAX];
    const std::string joined = fRoot + path;
    const ssize_t length = ::readlink(joined.c_str(), target, sizeof target - 1);
    return length > 0 ? std::string(target, static_cast<size_t>(length)) : "";
  }

 private:
  // The path through its links, "" when it does not exist or, confined,
  // leaves the root.
  std::string PathOf(const std::string& path) const {
    const std::string real = RealPath(fRoot + (path.empty() || path[0] != '/' ? "/" : "") + path);
    if (!fConfined || real.empty()) return real;
    return real == fRoot || real.compare(0, fRoot.size() + 1, fRoot + "/") == 0 ? real : "";
  }

  std::string fRoot;
  bool fConfined;
};

}  // namespace

TSourceText BoundedText(std::string kept, unsigned long long size, size_t maxBytes, bool tail) {
  TSourceText result;
  result.fRead = true;
  result.fTruncated = size > maxBytes;
  if (kept.size() > maxBytes) {
    if (tail) kept.erase(0, kept.size() - maxBytes);
    else kept.resize(maxBytes);
  }
  if (tail && result.fTruncated) {
    const size_t lineStart = kept.find('\n');
    kept.erase(0, lineStart == std::string::npos ? 0 : lineStart + 1);
  }
  result.fText = std::move(kept);
  return result;
}

TMachineTree TMachineTree::Live(const std::string& root) {
  return TMachineTree(std::make_shared<TFolderFiles>(root == "/" ? "" : root, false), true, root != "/");
}

TMachineTree TMachineTree::Saved(const std::string& root) {
  const std::string real = RealPath(root);
  return Saved(std::make_shared<TFolderFiles>(real.empty() ? root : real, true));
}

TMachineTree TMachineTree::Saved(std::shared_ptr<const ITreeFiles> files) {
  return TMachineTree(std::move(files), false, false);
}

bool TMachineTree::ReadFile(const std::string& path, size_t maxBytes, std::string& text) const {
  TSourceText read = WithoutNulBytes(fFiles->Read(path, maxBytes, false));
  text = std::move(read.fText);
  return read.fRead;
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
  return WithoutNulBytes(fLive ? ReadLive(source, limit, extraArguments) : ReadSaved(source, limit));
}

TSourceText TMachineTree::ReadLive(const TSource& source, size_t limit, const std::vector<std::string>& extra) const {
  if (!source.fFile.empty()) {
    TSourceText result = fFiles->Read(source.fFile, limit, source.fLog);
    result.fOrigin = source.fFile;
    if (result.fRead || source.fCommand.empty()) return result;
  }
  TSourceText result;
  std::vector<std::string> argv = source.fCommand;
  argv.insert(argv.end(), extra.begin(), extra.end());
  // Commands see the machine they run on; below another root there is none.
  if (fBelowRoot) {
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

// The first of the source's paths that is there; a path that is there but
// cannot be read (no regular file) is said rather than passed over.
TSourceText TMachineTree::ReadSaved(const TSource& source, size_t limit) const {
  const std::vector<std::string> tried = SosPathsOf(source);
  for (const std::string& relative : tried) {
    TSourceText result = fFiles->Read("/" + relative, limit, source.fLog);
    result.fOrigin = relative;
    if (result.fRead || result.fProblem != "absent") return result;
  }
  TSourceText result;
  result.fOrigin = tried.front();
  result.fProblem = "not in the sos report";
  for (size_t i = 1; i < tried.size(); ++i) result.fProblem += (i == 1 ? " (nor " : ", ") + tried[i];
  if (tried.size() > 1) result.fProblem += ")";
  return result;
}

}  // namespace NVKXQZA20::NMachine
