#include "machine/sos_archive.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "machine/source_table.h"

#ifdef QZA_WITH_LIBARCHIVE
#include <archive.h>
#include <archive_entry.h>
#endif

namespace fs = std::filesystem;

namespace NVKXQZA20::NMachine {

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

#ifdef QZA_WITH_LIBARCHIVE

// A sos report holds some thousands of members a dozen folders deep and
// some GiB at most: an archive beyond these bounds is no sos report, and is
// refused before it costs minutes or memory.
const size_t kMaxMembers = 200000;
const size_t kMaxDepth = 64;
const unsigned long long kMaxArchiveBytes = 16ULL << 30;
// What is kept of all members but the logs, each of which keeps its last
// bytes only.
const unsigned long long kMaxKeptBytes = 1ULL << 30;
const int kMaxLinkHops = 40;
// The collector reads /sys attributes as one short line.
const size_t kAttributeBytes = 4096;

// How much of a member the collector reads: the first bytes, or a log's last.
struct TKeep {
  size_t fBytes = 0;
  bool fTail = false;
};

struct TStoredFile {
  std::string fKept;
  unsigned long long fSize = 0;  // of the whole member
};

std::deque<std::string> PartsOf(const std::string& path) {
  std::deque<std::string> parts;
  for (size_t start = 0; start <= path.size();) {
    const size_t slash = std::min(path.find('/', start), path.size());
    if (slash > start) parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

template <typename TParts>
std::string Joined(const TParts& parts) {
  std::string path;
  for (const std::string& part : parts) path += (path.empty() ? "" : "/") + part;
  return path;
}

// The members the collector reads, by their path below the report's root.
class TWantedMembers {
 public:
  explicit TWantedMembers(size_t logBytes) {
    for (const TSource& source : SourceTable()) {
      const TKeep keep{source.fMaxBytes != 0 ? source.fMaxBytes : logBytes, source.fLog};
      for (const std::string& path : SosPathsOf(source)) fPaths.emplace(path, keep);
    }
  }

  // A member's path is taken as it is and without the archive's top folder.
  std::optional<TKeep> OfMember(const std::string& name) const {
    const size_t slash = name.find('/');
    std::optional<TKeep> keep = Of(name);
    return keep || slash == std::string::npos ? keep : Of(name.substr(slash + 1));
  }

 private:
  std::optional<TKeep> Of(const std::string& path) const {
    const auto found = fPaths.find(path);
    if (found != fPaths.end()) return found->second;
    // sos stores /proc/net as a link to self/net, self to the folder of its
    // own process: "proc/4242/net/dev" is read as "proc/net/dev".
    const size_t pidEnd = path.find('/', 5);
    if (StartsWith(path, "proc/") && pidEnd != std::string::npos && pidEnd > 5 &&
        std::all_of(path.begin() + 5, path.begin() + static_cast<long>(pidEnd), ::isdigit)) {
      const auto proc = fPaths.find("proc/" + path.substr(pidEnd + 1));
      if (proc != fPaths.end()) return proc->second;
    }
    // The attributes of SMBIOS, network links and PCI functions, and
    // smartctl's outputs per disk, which the collector lists.
    if (StartsWith(path, "sys/")) return TKeep{kAttributeBytes, false};
    if (StartsWith(path, "sos_commands/ata/") || StartsWith(path, "sos_commands/nvme/")) {
      return TKeep{TSource().fMaxBytes, false};
    }
    return std::nullopt;
  }

  std::map<std::string, TKeep> fPaths;
};

// An archive's members as the collector reads them: the kept files, every
// link and folder, by their path in the archive.
class TArchiveFiles : public ITreeFiles {
 public:
  void AddFolder(const std::string& path) {
    Note(path, true);
    fFolders.insert(path);
  }
  void AddLink(const std::string& path, const std::string& target) {
    Note(path, false);
    fLinks[path] = target;
  }
  void AddMember(const std::string& path) { Note(path, false); }
  void AddFile(const std::string& path, TStoredFile file) { fFiles[path] = std::move(file); }

  // Once every member is in: the report's root is the archive's single top
  // folder (sosreport-HOST-DATE-ID) when it has one, and links whose chain
  // leaves the root are refused.
  void Finish(std::vector<std::string>& refusals) {
    if (fTopNames.size() == 1 && !fFlat) fRoot = *fTopNames.begin();
    std::vector<std::string> leaving;
    for (const auto& link : fLinks) {
      if (!Resolve(fRoot.empty() ? link.first : link.first.substr(fRoot.size() + 1))) leaving.push_back(link.first);
    }
    for (const std::string& link : leaving) {
      fLinks.erase(link);
      refusals.push_back(link + ": link pointing outside the report");
    }
  }

  TSourceText Read(const std::string& path, size_t maxBytes, bool tail) const override {
    const std::optional<std::string> real = Resolve(path);
    const auto file = real ? fFiles.find(*real) : fFiles.end();
    if (file == fFiles.end()) {
      TSourceText absent;
      absent.fProblem = "absent";
      return absent;
    }
    return BoundedText(file->second.fKept, file->second.fSize, maxBytes, tail);
  }

  std::vector<std::string> List(const std::string& path) const override {
    const std::optional<std::string> real = Resolve(path);
    if (!real) return {};
    const std::string prefix = real->empty() ? "" : *real + "/";
    std::set<std::string> names;
    AddNamesBelow(prefix, fFiles, names);
    AddNamesBelow(prefix, fLinks, names);
    AddNamesBelow(prefix, fFolders, names);
    return std::vector<std::string>(names.begin(), names.end());
  }

  std::string LinkTarget(const std::string& path) const override {
    const size_t slash = path.find_last_of('/');
    const std::optional<std::string> folder = Resolve(slash == std::string::npos ? "" : path.substr(0, slash));
    if (!folder) return "";
    const auto link = fLinks.find((folder->empty() ? "" : *folder + "/") + path.substr(slash + 1));
    return link == fLinks.end() ? "" : link->second;
  }

 private:
  void Note(const std::string& path, bool folder) {
    const size_t slash = path.find('/');
    fTopNames.insert(path.substr(0, slash));
    if (slash == std::string::npos && !folder) fFlat = true;
  }

  template <typename TContainer>
  static void AddNamesBelow(const std::string& prefix, const TContainer& entries, std::set<std::string>& names) {
    for (auto it = entries.lower_bound(prefix); it != entries.end(); ++it) {
      const std::string& name = KeyOf(*it);
      if (!StartsWith(name, prefix)) break;
      const std::string rest = name.substr(prefix.size());
      if (!rest.empty()) names.insert(rest.substr(0, rest.find('/')));
    }
  }
  static const std::string& KeyOf(const std::string& key) { return key; }
  template <typename TValue>
  static const std::string& KeyOf(const std::pair<const std::string, TValue>& entry) {
    return entry.first;
  }

  // A path below the root through the links, as a key of the maps; none
  // when it leaves the root or its links loop.
  std::optional<std::string> Resolve(const std::string& path) const {
    std::vector<std::string> done;
    if (!fRoot.empty()) done.push_back(fRoot);
    const size_t floor = done.size();
    std::deque<std::string> todo = PartsOf(path);
    for (int hops = 0; !todo.empty();) {
      std::string part = std::move(todo.front());
      todo.pop_front();
      if (part == ".") continue;
      if (part == "..") {
        if (done.size() == floor) return std::nullopt;
        done.pop_back();
        continue;
      }
      done.push_back(std::move(part));
      const auto link = fLinks.find(Joined(done));
      if (link == fLinks.end()) continue;
      if (++hops > kMaxLinkHops) return std::nullopt;
      done.pop_back();
      const std::deque<std::string> target = PartsOf(link->second);
      todo.insert(todo.begin(), target.begin(), target.end());
    }
    return Joined(done);
  }

  std::map<std::string, TStoredFile> fFiles;
  std::map<std::string, std::string> fLinks;
  std::set<std::string> fFolders;
  std::set<std::string> fTopNames;
  bool fFlat = false;  // a file or link at the archive's top
  std::string fRoot;
};

// Why a member may not be taken, or "". Links that leave the report through
// other links are refused once all are known (TArchiveFiles::Finish).
std::string RefusalOf(archive_entry* entry) {
  const char* name = archive_entry_pathname(entry);
  if (name == nullptr || *name == '\0') return "no name";
  const fs::path path = fs::path(name);
  if (path.is_absolute()) return "absolute path";
  for (const fs::path& part : path) {
    if (part == "..") return "path with '..'";
  }
  if (archive_entry_hardlink(entry) != nullptr) return "hard link";
  const mode_t type = archive_entry_filetype(entry);
  if (type == AE_IFLNK) {
    const char* target = archive_entry_symlink(entry);
    if (target == nullptr || fs::path(target).is_absolute()) return "link to an absolute path";
    return "";
  }
  if (type != AE_IFREG && type != AE_IFDIR) return "neither file, folder nor link";
  return "";
}

// One pass over an archive, keeping what the collector reads.
class TArchivePass {
 public:
  TArchivePass(std::string file, size_t logBytes) : fFile(std::move(file)), fWanted(logBytes), fIn(archive_read_new()) {
    // Only the decompressors linked in: the others would run programs
    // (lrzip, lzop, grzip) found on PATH on a customer's file.
    archive_read_support_filter_gzip(fIn);
    archive_read_support_filter_bzip2(fIn);
    archive_read_support_filter_xz(fIn);
    archive_read_support_filter_zstd(fIn);
    archive_read_support_format_tar(fIn);
  }
  ~TArchivePass() { archive_read_free(fIn); }
  TArchivePass(const TArchivePass&) = delete;
  TArchivePass& operator=(const TArchivePass&) = delete;

  std::shared_ptr<const ITreeFiles> Run(std::vector<std::string>& refusals) {
    if (archive_read_open_filename(fIn, fFile.c_str(), 1 << 16) != ARCHIVE_OK) Fail("cannot read the archive");
    auto files = std::make_shared<TArchiveFiles>();
    archive_entry* entry = nullptr;
    std::string previous;
    for (size_t members = 0;; ++members) {
      const int status = archive_read_next_header(fIn, &entry);
      if (status == ARCHIVE_EOF) break;
      if (status < ARCHIVE_WARN) {
        Fail(previous.empty() ? "cannot read the archive" : "cannot read the archive after " + previous);
      }
      if (members == kMaxMembers) Fail("holds more than " + std::to_string(kMaxMembers) + " members: no sos report");
      previous = archive_entry_pathname(entry) != nullptr ? archive_entry_pathname(entry) : "";
      const std::string refusal = RefusalOf(entry);
      if (refusal.empty()) Take(entry, previous, *files);
      else refusals.push_back(previous + ": " + refusal);
    }
    files->Finish(refusals);
    return files;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) {
    const char* reason = archive_error_string(fIn);
    throw TSosError(fFile + ": " + what + (reason != nullptr ? ": " + std::string(reason) : ""));
  }

  void Take(archive_entry* entry, const std::string& name, TArchiveFiles& files) {
    const std::string path = Joined(PartsOf(fs::path(name).lexically_normal().string()));
    if (std::count(path.begin(), path.end(), '/') >= static_cast<long>(kMaxDepth)) {
      Fail(path.substr(0, path.find('/', 200)) + "/...: more than " + std::to_string(kMaxDepth) +
           " folders deep: no sos report");
    }
    fDeclaredBytes += static_cast<unsigned long long>(std::max<la_int64_t>(archive_entry_size(entry), 0));
    if (fDeclaredBytes > kMaxArchiveBytes) Fail("unpacks to more than " + std::to_string(kMaxArchiveBytes >> 30) + " GiB");
    const mode_t type = archive_entry_filetype(entry);
    if (type == AE_IFDIR) return files.AddFolder(path);
    if (type == AE_IFLNK) return files.AddLink(path, archive_entry_symlink(entry));
    files.AddMember(path);
    const std::optional<TKeep> keep = fWanted.OfMember(path);
    if (keep) files.AddFile(path, ReadMember(name, *keep));
  }

  TStoredFile ReadMember(const std::string& name, TKeep keep) {
    TStoredFile stored;
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
      const int status = archive_read_data_block(fIn, &block, &size, &offset);
      if (status == ARCHIVE_EOF) break;
      if (status < ARCHIVE_WARN) Fail(name + ": cannot read the member");
      stored.fSize += size;
      const char* bytes = static_cast<const char*>(block);
      if (!keep.fTail) {
        stored.fKept.append(bytes, std::min(size, keep.fBytes - stored.fKept.size()));
        continue;
      }
      stored.fKept.append(bytes, size);
      if (stored.fKept.size() > 2 * keep.fBytes) stored.fKept.erase(0, stored.fKept.size() - keep.fBytes);
    }
    if (stored.fKept.size() > keep.fBytes) stored.fKept.erase(0, stored.fKept.size() - keep.fBytes);
    if (!keep.fTail) fKeptBytes += stored.fKept.size();
    if (fKeptBytes > kMaxKeptBytes) Fail("holds more than " + std::to_string(kMaxKeptBytes >> 30) + " GiB of outputs");
    return stored;
  }

  std::string fFile;
  TWantedMembers fWanted;
  archive* fIn;
  unsigned long long fDeclaredBytes = 0;
  unsigned long long fKeptBytes = 0;
};

TMachineTree ReadArchive(const std::string& file, size_t logBytes, std::vector<std::string>& refusals) {
  return TMachineTree::Saved(TArchivePass(file, logBytes).Run(refusals));
}

#else

TMachineTree ReadArchive(const std::string& file, size_t, std::vector<std::string>&) {
  throw TSosError(file + ": this qzareport was built without libarchive and reads sos reports as folders only; "
                  "unpack the archive and give its folder");
}

#endif

}  // namespace

bool LooksLikeArchive(const std::string& path) {
  for (const char* end : {".tar.xz", ".tar.gz", ".tar.bz2", ".tar.zst", ".tgz", ".tar", ".txz", ".tbz2"}) {
    if (EndsWith(path, end)) return true;
  }
  return false;
}

bool LooksLikeSosReport(const std::string& path) {
  if (!IsFolder(path)) return LooksLikeArchive(path);
  std::error_code error;
  for (const char* mark : {"sos_commands", "version.txt", "sos_logs"}) {
    if (fs::exists(fs::path(path) / mark, error)) return true;
  }
  return false;
}

TSosReport TSosReport::Open(const std::string& path, size_t logBytes) {
  if (IsFolder(path)) return TSosReport(TMachineTree::Saved(path), {});
  if (::access(path.c_str(), R_OK) != 0) throw TSosError(path + ": cannot read the sos report");
  std::vector<std::string> refusals;
  TMachineTree tree = ReadArchive(path, logBytes, refusals);
  return TSosReport(std::move(tree), std::move(refusals));
}

}  // namespace NVKXQZA20::NMachine
