#include "tool/output_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>

#include "tool/tool_options.h"

namespace fs = std::filesystem;
using nlohmann::json;

const char kReportMarker[] = ".qzareport";

namespace {

const char kMarkerNote[] =
    "A report written by qzareport, which replaces this folder only while it holds nothing but these files.";
const char kWhatIsReplaced[] = " (qzareport replaces only a new or empty folder, or a report that it wrote)";

// What a folder holds, by path inside it: folders, files with their sizes
// and modification times, and the first entry that is neither (a link, a
// device...).
struct TFolderContent {
  std::set<std::string> fFolders;
  std::map<std::string, uintmax_t> fFiles;
  std::map<std::string, int64_t> fModified;
  std::string fOther;
};

TFolderContent ContentOf(const fs::path& folder) {
  TFolderContent content;
  for (fs::recursive_directory_iterator entry(folder), end; entry != end; ++entry) {
    const std::string name = entry->path().lexically_relative(folder).generic_string();
    const fs::file_status status = entry->symlink_status();
    if (fs::is_directory(status)) {
      content.fFolders.insert(name);
    } else if (fs::is_regular_file(status)) {
      if (name == kReportMarker) continue;
      content.fFiles[name] = entry->file_size();
      content.fModified[name] = entry->last_write_time().time_since_epoch().count();
    } else if (content.fOther.empty()) {
      content.fOther = name;
    }
  }
  return content;
}

// The folder itself, which a rename keeps and a copy does not: a marker
// copied into another folder (unpacked from an archive, say) names another.
std::string IdentityOf(const fs::path& folder) {
  struct stat status;
  if (::lstat(folder.c_str(), &status) != 0) return "";
  return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
}

json MarkerOf(const TFolderContent& content, const std::string& identity) {
  return json{{"note", kMarkerNote},        {"folder", identity},
              {"folders", content.fFolders}, {"files", content.fFiles},
              {"modified", content.fModified}};
}

// Whether a folder may be replaced: fWhyNot says why not; a report whose
// marker was not written for this very folder (a copy, an older version's,
// a forgery) is only set aside, never deleted.
struct TReplaceable {
  std::string fWhyNot;
  bool fBound = true;
};

std::string WhyNotListed(const TFolderContent& content, const json& marker) {
  if (!content.fOther.empty()) return "holds " + content.fOther + ", which qzareport did not write";
  const auto folders = marker["folders"].get<std::set<std::string>>();
  const auto files = marker["files"].get<std::map<std::string, uintmax_t>>();
  const auto modified = marker.value("modified", std::map<std::string, int64_t>());
  for (const std::string& name : content.fFolders) {
    if (folders.count(name) == 0) return "holds " + name + ", which qzareport did not write";
  }
  for (const auto& written : content.fFiles) {
    const auto known = files.find(written.first);
    if (known == files.end()) return "holds " + written.first + ", which qzareport did not write";
    const auto time = modified.find(written.first);
    if (known->second != written.second || (time != modified.end() && time->second != content.fModified.at(written.first))) {
      return "holds " + written.first + ", changed since qzareport wrote it";
    }
  }
  return "";
}

TReplaceable ReplaceableOf(const fs::path& folder) {
  try {
    if (fs::is_empty(folder)) return {};
    // The marker first: a large folder of the user's is not walked through.
    std::ifstream file(folder / kReportMarker, std::ios::binary);
    if (!fs::is_regular_file(fs::symlink_status(folder / kReportMarker)) || !file) {
      return {"is not empty and is not a report of qzareport"};
    }
    const json marker = json::parse(file, nullptr, false);
    if (!marker.is_object() || !marker.contains("folders") || !marker.contains("files")) {
      return {"holds a damaged " + std::string(kReportMarker) + " marker"};
    }
    const std::string identity = marker.value("folder", std::string());
    return {WhyNotListed(ContentOf(folder), marker), !identity.empty() && identity == IdentityOf(folder)};
  } catch (const std::exception& e) {
    return {std::string("cannot be checked: ") + e.what()};
  }
}

// The absolute path without "." and ".." and without a trailing separator.
fs::path NormalPath(const std::string& path) {
  fs::path normal = fs::absolute(path).lexically_normal();
  if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
  return normal;
}

// The path with its symbolic links resolved, as far as it exists.
fs::path RealPath(const fs::path& path) {
  fs::path real = fs::weakly_canonical(fs::absolute(path));
  if (!real.has_filename() && real.has_relative_path()) real = real.parent_path();
  return real;
}

bool IsWithin(const fs::path& inner, const fs::path& outer) {
  auto part = inner.begin();
  for (const fs::path& outerPart : outer) {
    if (part == inner.end() || *part != outerPart) return false;
    ++part;
  }
  return true;
}

// A mount point cannot be renamed, so the finished report could never take
// its place: refused before anything is read, not once the report is written.
void RefuseMountPoint(const fs::path& target) {
  struct stat folder, parent;
  if (::lstat(target.c_str(), &folder) != 0 || ::stat(target.parent_path().c_str(), &parent) != 0) return;
  if (folder.st_dev != parent.st_dev || folder.st_ino == parent.st_ino) {
    throw TUsageError(target.string() + ": is a mount point; name a folder below it");
  }
}

// Refuses what the report may never replace, whatever the folder holds.
void CheckPlace(const fs::path& target, const std::vector<TRunInput>& inputs) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(target, error);
  if (fs::is_symlink(status)) throw TUsageError(target.string() + ": is a symbolic link" + kWhatIsReplaced);
  if (fs::exists(status) && !fs::is_directory(status)) {
    throw TUsageError(target.string() + ": is not a folder" + kWhatIsReplaced);
  }
  RefuseMountPoint(target);
  const fs::path place = RealPath(target);
  const fs::path here = RealPath(fs::current_path());
  if (IsWithin(here, place)) {
    throw TUsageError(target.string() + (here == place ? ": is the current folder" : ": contains the current folder") +
                      kWhatIsReplaced);
  }
  for (const TRunInput& input : inputs) {
    if (input.fPath.empty()) continue;
    const fs::path real = RealPath(input.fPath);
    if (IsWithin(real, place)) {
      throw TUsageError(target.string() + (real == place ? ": is " : ": contains ") + input.fRole + " " +
                        input.fPath + kWhatIsReplaced);
    }
  }
}

// A new folder beside target, named target + infix + a unique ending.
fs::path FolderBeside(const fs::path& target, const std::string& infix) {
  std::string pattern = target.string() + infix + "XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error(pattern + ": cannot create the folder: " + std::strerror(errno));
  }
  return pattern;
}

std::string BusyMessage(const fs::path& target) {
  return target.string() + ": another qzareport run is writing a report into this folder; try again when it has finished";
}

bool IsSameFile(int descriptor, const fs::path& path) {
  struct stat opened, named;
  return ::fstat(descriptor, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
         opened.st_ino == named.st_ino;
}

}  // namespace

TOutputFolder::TOutputFolder(const std::string& target, const std::vector<TRunInput>& inputs)
    : fTarget(NormalPath(target)) {
  CheckPlace(fTarget, inputs);
  try {
    CreateTarget();
    Lock();
    const std::string why = ReplaceableOf(fTarget).fWhyNot;
    if (!why.empty()) throw TUsageError(Target() + ": " + why + kWhatIsReplaced);
    fStagingIfInterrupted =
        std::make_unique<TRemovedIfInterrupted>([this] { return FolderBeside(fTarget, ".partial-").string(); });
    fStaging = fStagingIfInterrupted->Path();
  } catch (...) {
    Release();
    throw;
  }
}

TOutputFolder::~TOutputFolder() { Release(); }

// The target and the folders above it that are missing, so that the
// target can be locked; an unfinished run removes them again.
void TOutputFolder::CreateTarget() {
  std::vector<fs::path> missing;
  for (fs::path folder = fTarget; folder.has_relative_path(); folder = folder.parent_path()) {
    std::error_code error;
    if (fs::exists(fs::symlink_status(folder, error))) break;
    missing.insert(missing.begin(), folder);
  }
  for (const fs::path& folder : missing) {
    std::error_code error;
    fs::create_directory(folder, error);
    if (error) throw std::runtime_error(folder.string() + ": cannot create the folder: " + error.message());
    fCreated.push_back(folder);
  }
}

// The lock is taken on the folder the path names when it is taken: a run
// that finished in between has put a new folder there, so look again.
void TOutputFolder::Lock() {
  for (int attempt = 0; attempt < 3; ++attempt) {
    fLock = ::open(fTarget.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fLock < 0) throw std::runtime_error(Target() + ": cannot open the folder: " + std::strerror(errno));
    if (::flock(fLock, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      if (error == EWOULDBLOCK) throw TUsageError(BusyMessage(fTarget));
      throw std::runtime_error(Target() + ": cannot lock the folder: " + std::strerror(error));
    }
    if (IsSameFile(fLock, fTarget)) return;
    ::close(fLock);
    fLock = -1;
  }
  throw TUsageError(BusyMessage(fTarget));
}

void TOutputFolder::Commit() {
  const std::string marker = Staging() + "/" + kReportMarker;
  std::ofstream file(marker, std::ios::binary);
  file << MarkerOf(ContentOf(fStaging), IdentityOf(fStaging)).dump(1, ' ', false, json::error_handler_t::replace)
       << "\n";
  file.close();
  if (!file) throw std::runtime_error(marker + ": cannot write the file");
  if (!IsSameFile(fLock, fTarget)) {
    throw std::runtime_error(Target() + ": the folder was moved or replaced during the run; the new report is dropped");
  }
  // Set aside, the previous report is checked once more: nothing may have
  // been added to it while the run was writing.
  const fs::path aside = FolderBeside(fTarget, ".previous-");
  std::error_code error;
  fs::rename(fTarget, aside, error);
  if (error) {
    std::error_code ignored;
    fs::remove(aside, ignored);
    throw std::runtime_error(Target() + ": cannot put the report in place: " + error.message());
  }
  const TReplaceable previous = ReplaceableOf(aside);
  const std::string& why = previous.fWhyNot;
  if (why.empty()) fs::rename(fStaging, fTarget, error);
  if (!why.empty() || error) {
    std::error_code ignored;
    fs::rename(aside, fTarget, ignored);
    throw std::runtime_error(Target() + ": " +
                             (why.empty() ? "cannot put the report in place: " + error.message()
                                          : why + " while the run was writing; the new report is dropped"));
  }
  fCommitted = true;
  if (previous.fBound) {
    fs::remove_all(aside, error);
  } else {
    fKeptAside = aside.string();
  }
}

void TOutputFolder::Release() {
  std::error_code error;
  if (!fCommitted) {
    if (!fStaging.empty()) fs::remove_all(fStaging, error);
    // Only empty folders are removed: another program may have used them.
    for (auto folder = fCreated.rbegin(); folder != fCreated.rend(); ++folder) fs::remove(*folder, error);
  }
  if (fLock >= 0) ::close(fLock);
  fLock = -1;
}
