#include "fleet/content_hash.h"

#include <openssl/evp.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "fleet/fleet_engine.h"

namespace fs = std::filesystem;

namespace {

class TSha256 {
 public:
  TSha256() : fContext(EVP_MD_CTX_new(), EVP_MD_CTX_free) {
    if (!fContext || EVP_DigestInit_ex(fContext.get(), EVP_sha256(), nullptr) != 1) {
      throw TFleetError("SHA-256 is not available");
    }
  }

  void Add(const char* data, size_t size) { EVP_DigestUpdate(fContext.get(), data, size); }
  // A text and its end, so that "ab" + "c" and "a" + "bc" differ.
  void AddField(const std::string& text) { Add(text.c_str(), text.size() + 1); }

  std::string HexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(fContext.get(), digest, &size);
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < size; ++i) {
      hex += kDigits[digest[i] >> 4];
      hex += kDigits[digest[i] & 15];
    }
    return hex;
  }

 private:
  std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> fContext;
};

void AddFile(TSha256& hash, const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw TFleetError(file.string() + ": cannot read");
  std::vector<char> buffer(1 << 16);
  while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
    hash.Add(buffer.data(), static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) throw TFleetError(file.string() + ": cannot read");
}

void AddFolder(TSha256& hash, const fs::path& folder) {
  std::vector<fs::path> entries;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(it->path());
  }
  if (error) throw TFleetError(folder.string() + ": cannot read: " + error.message());
  std::sort(entries.begin(), entries.end());
  for (const fs::path& entry : entries) {
    const fs::file_status status = fs::symlink_status(entry);
    hash.AddField(entry.lexically_relative(folder).string());
    if (fs::is_symlink(status)) {
      hash.AddField("-> " + fs::read_symlink(entry).string());
    } else if (fs::is_regular_file(status)) {
      AddFile(hash, entry);
    }
  }
}

}  // namespace

std::string ContentHashOf(const std::string& path) {
  TSha256 hash;
  std::error_code error;
  if (fs::is_directory(path, error)) {
    AddFolder(hash, path);
  } else {
    AddFile(hash, path);
  }
  return hash.HexDigest();
}
