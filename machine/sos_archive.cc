#include "machine/sos_archive.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>

#include "machine/source_table.h"

#ifdef QZA_WITH_LIBARCHIVE
#include <archive.h>
#include <archive_entry.h>
#endif

namespace fs = std::filesystem;

namespace NVKXQZA20::NMachine {

namespace {

// A guard against archives that unpack to far more than they weigh.
const long long kMaxUnpackedBytes = 8LL << 30;
// No output the collector reads is near this size; a member beyond it is
// refused rather than unpacked.
const long long kMaxMemberBytes = 1LL << 30;

// Folders below the report's root that the collector lists or reads besides
// the paths of the source table: smartctl's outputs per disk and the /sys
// attributes of SMBIOS, network links and PCI functions.
const char* const kReadFolders[] = {"sos_commands/ata/", "sos_commands/nvme/", "sys/class/dmi/id/",
                                    "sys/class/net/", "sys/bus/pci/devices/", "sys/devices/"};

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

// The folder of the report within the unpacked tree: sos archives hold one
// top folder, sosreport-HOST-DATE-ID.
std::string ReportRootIn(const std::string& folder) {
  std::error_code error;
  std::vector<fs::path> entries;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) entries.push_back(entry.path());
  if (entries.size() == 1 && fs::is_directory(fs::symlink_status(entries.front(), error))) {
    return entries.front().string();
  }
  return folder;
}

#ifdef QZA_WITH_LIBARCHIVE

bool IsReadPath(const std::string& path) {
  static const std::set<std::string> kPaths = [] {
    std::set<std::string> paths{"version.txt"};
    for (const TSource& source : SourceTable()) {
      for (const std::string& path : SosPathsOf(source)) paths.insert(path);
    }
    return paths;
  }();
  if (kPaths.count(path) > 0) return true;
  // sos stores /proc/net as a link to self/net, self to the folder of its
  // own process: "proc/4242/net/dev" is read as "proc/net/dev".
  const size_t pidEnd = path.find('/', 5);
  if (path.compare(0, 5, "proc/") == 0 && pidEnd != std::string::npos && pidEnd > 5 &&
      std::all_of(path.begin() + 5, path.begin() + static_cast<long>(pidEnd), ::isdigit)) {
    return kPaths.count("proc/" + path.substr(pidEnd + 1)) > 0;
  }
  for (const char* folder : kReadFolders) {
    if (path.compare(0, std::strlen(folder), folder) == 0) return true;
  }
  return false;
}

// Only the files the collector reads are unpacked (folders and links are, as
// paths may lead through them): a member's path is taken as it is and
// without the archive's top folder.
bool IsReadMember(archive_entry* entry) {
  if (archive_entry_filetype(entry) != AE_IFREG) return true;
  const std::string name = archive_entry_pathname(entry);
  const size_t slash = name.find('/');
  return IsReadPath(name) || (slash != std::string::npos && IsReadPath(name.substr(slash + 1)));
}

// Why a member may not be unpacked, or "".
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
    const fs::path resolved = (path.parent_path() / target).lexically_normal();
    if (resolved.empty() || *resolved.begin() == "..") return "link pointing outside the report";
    return "";
  }
  if (type != AE_IFREG && type != AE_IFDIR) return "neither file, folder nor link";
  return "";
}

class TArchiveReader {
 public:
  TArchiveReader() : fIn(archive_read_new()), fOut(archive_write_disk_new()) {
    archive_read_support_filter_all(fIn);
    archive_read_support_format_tar(fIn);
    archive_read_support_format_gnutar(fIn);
    // Owners, permissions beyond the umask and times are not restored; the
    // secure flags refuse what RefusalOf might miss (writing through links).
    // Members are given absolute paths into the private folder, so the flag
    // against absolute paths cannot be set; RefusalOf checks the names.
    archive_write_disk_set_options(fOut, ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                                             ARCHIVE_EXTRACT_NO_OVERWRITE);
  }
  ~TArchiveReader() {
    archive_read_free(fIn);
    archive_write_free(fOut);
  }

  void Unpack(const std::string& file, const std::string& folder, std::vector<std::string>& refusals) {
    if (archive_read_open_filename(fIn, file.c_str(), 1 << 16) != ARCHIVE_OK) Fail(file, fIn);
    archive_entry* entry = nullptr;
    long long total = 0;
    for (;;) {
      const int status = archive_read_next_header(fIn, &entry);
      if (status == ARCHIVE_EOF) break;
      if (status < ARCHIVE_WARN) Fail(file, fIn);
      const std::string name = archive_entry_pathname(entry) != nullptr ? archive_entry_pathname(entry) : "";
      const std::string refusal = RefusalOf(entry);
      if (!refusal.empty()) {
        refusals.push_back(name + ": " + refusal);
        continue;
      }
      if (!IsReadMember(entry)) continue;
      if (archive_entry_size(entry) > kMaxMemberBytes) {
        refusals.push_back(name + ": larger than 1 GiB");
        continue;
      }
      total += archive_entry_size(entry);
      if (total > kMaxUnpackedBytes) throw TSosError(file + ": unpacks to more than 8 GiB");
      archive_entry_set_pathname(entry, (folder + "/" + name).c_str());
      archive_entry_set_perm(entry, archive_entry_filetype(entry) == AE_IFDIR ? 0700 : 0600);
      if (archive_write_header(fOut, entry) < ARCHIVE_WARN) {
        refusals.push_back(name + ": " + archive_error_string(fOut));
        continue;
      }
      CopyData(file);
    }
  }

 private:
  [[noreturn]] static void Fail(const std::string& file, archive* from) {
    const char* reason = archive_error_string(from);
    throw TSosError(file + ": cannot read the archive: " + (reason != nullptr ? reason : "unknown format"));
  }

  void CopyData(const std::string& file) {
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
      const int status = archive_read_data_block(fIn, &block, &size, &offset);
      if (status == ARCHIVE_EOF) break;
      if (status < ARCHIVE_WARN) Fail(file, fIn);
      if (archive_write_data_block(fOut, block, size, offset) < ARCHIVE_WARN) Fail(file, fOut);
    }
    archive_write_finish_entry(fOut);
  }

  archive* fIn;
  archive* fOut;
};

void UnpackArchive(const std::string& file, const std::string& folder, std::vector<std::string>& refusals) {
  TArchiveReader().Unpack(file, folder, refusals);
}

#else

void UnpackArchive(const std::string& file, const std::string&, std::vector<std::string>&) {
  throw TSosError(file + ": this qzareport was built without libarchive and reads sos reports as folders only; "
                  "unpack the archive and give its folder");
}

#endif

std::string MakePrivateFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/qzareport-sos-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw TSosError(pattern + ": cannot create a temporary folder");
  return pattern;  // mkdtemp makes it 0700
}

}  // namespace

bool LooksLikeArchive(const std::string& path) {
  for (const char* end : {".tar.xz", ".tar.gz", ".tar.bz2", ".tgz", ".tar", ".txz", ".tbz2"}) {
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

TSosReport TSosReport::Open(const std::string& path) {
  TSosReport report;
  if (IsFolder(path)) {
    report.fRoot = path;
    return report;
  }
  if (::access(path.c_str(), R_OK) != 0) throw TSosError(path + ": cannot read the sos report");
  report.fTemporary = MakePrivateFolder();
  UnpackArchive(path, report.fTemporary, report.fRefusals);
  report.fRoot = ReportRootIn(report.fTemporary);
  return report;
}

TSosReport::TSosReport(TSosReport&& other) noexcept
    : fTemporary(std::move(other.fTemporary)), fRoot(std::move(other.fRoot)), fRefusals(std::move(other.fRefusals)) {
  other.fTemporary.clear();
}

TSosReport::~TSosReport() {
  if (fTemporary.empty()) return;
  std::error_code error;
  fs::remove_all(fTemporary, error);
}

}  // namespace NVKXQZA20::NMachine
