// The MOF reader's input: the whole text of a file, mapped or read, made
// UTF-8, and the key that tells two files apart.
#ifndef QZA_CORE_MOF_FILE_TEXT_H
#define QZA_CORE_MOF_FILE_TEXT_H

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace NVKXQZA20 {
namespace NMofReading {

// A whole file followed by a NUL. A large file is mapped when its last page
// has room for the NUL (the system fills the rest of that page with zeros):
// mapping spares copying hundreds of megabytes and touching as many fresh
// pages. Other files are read into memory, which costs less for the small
// files a schema is made of: into a buffer the caller reuses from file to
// file when it gives one (a fresh block per file made the allocator tidy
// up all its free small blocks each time, a tenth of a schema's load).
class TFileText {
 public:
  TFileText() = default;
  TFileText(const TFileText&) = delete;
  TFileText& operator=(const TFileText&) = delete;
  ~TFileText() {
    if (fMapped != nullptr) ::munmap(fMapped, fSize);
    if (fDescriptor >= 0) ::close(fDescriptor);
  }

  enum EOpened { kOpened, kNotRegular, kUnreadable };

  // Opening does not block, so a FIFO or a device is refused rather than
  // waited on; nothing is read before Read, so that the caller may check
  // the real path first.
  EOpened Open(const std::string& path) {
    fDescriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fDescriptor < 0) return kUnreadable;
    struct stat status;
    if (::fstat(fDescriptor, &status) != 0) return kUnreadable;
    if (!S_ISREG(status.st_mode)) return kNotRegular;
    fSize = static_cast<size_t>(status.st_size);
    return kOpened;
  }

  // The opened file's path with every symbolic link resolved ("" when the
  // system cannot tell).
  std::string RealPath() const {
    char buffer[4096];
    std::string link = "/proc/self/fd/" + std::to_string(fDescriptor);
    ssize_t length = fDescriptor < 0 ? -1 : ::readlink(link.c_str(), buffer, sizeof buffer);
    return length > 0 && static_cast<size_t>(length) < sizeof buffer ? std::string(buffer, length) : "";
  }

  // After an Open that answered kOpened: maps or reads the file.
  bool Read(std::vector<char>* buffer = nullptr) { return Map() || Copy(buffer); }

  const char* Data() const { return fMapped != nullptr ? static_cast<const char*>(fMapped) : fCopy; }
  bool IsMapped() const { return fMapped != nullptr; }
  size_t Size() const { return fSize; }

 private:
  bool Map() {
    long page = ::sysconf(_SC_PAGESIZE);
    const size_t kSmallestMapped = 1 << 20;
    if (fSize < kSmallestMapped || page <= 0 || fSize % static_cast<size_t>(page) == 0) return false;
    void* mapped = ::mmap(nullptr, fSize, PROT_READ, MAP_PRIVATE, fDescriptor, 0);
    if (mapped == MAP_FAILED) return false;
    ::madvise(mapped, fSize, MADV_SEQUENTIAL);
    fMapped = mapped;
    return true;
  }

  bool Copy(std::vector<char>* buffer) {
    if (buffer == nullptr) buffer = &fOwnBuffer;
    if (buffer->size() < fSize + 1) buffer->resize(fSize + 1);
    fCopy = buffer->data();
    fCopy[fSize] = '\0';
    for (size_t done = 0; done < fSize;) {
      ssize_t count = ::read(fDescriptor, fCopy + done, fSize - done);
      if (count <= 0) return false;
      done += static_cast<size_t>(count);
    }
    return true;
  }

  int fDescriptor = -1;
  void* fMapped = nullptr;
  size_t fSize = 0;
  char* fCopy = nullptr;
  std::vector<char> fOwnBuffer;
};

// Makes text UTF-8: UTF-8 is read as it is, UTF-16 with a byte-order mark
// is decoded into decoded (and text points there). Answers "" or the
// encoding problem.
std::string TakeUtf8(const char*& text, size_t& size, std::string& decoded);

// The key that tells two names of one file apart from two files: the file's
// identity, or for a name that is no file its normal absolute form.
std::string FileKey(const std::filesystem::path& path);

}  // namespace NMofReading
}  // namespace NVKXQZA20

#endif
