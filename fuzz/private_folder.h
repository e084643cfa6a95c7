// What the fuzz targets share: a private temporary folder, removed at exit,
// and the way a target reports a broken promise (an abort, whose input
// libFuzzer keeps).
#ifndef QZA_FUZZ_PRIVATE_FOLDER_H
#define QZA_FUZZ_PRIVATE_FOLDER_H

#include <errno.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace NFuzz {

// /tmp/qza-NAME-fuzz-XXXXXX, made at the first call. Its name is a plain
// array, so that it outlives the static destructors for the removal at exit.
inline const std::filesystem::path& PrivateFolder(const char* name) {
  static char folder[64];
  static const std::filesystem::path path = [name] {
    std::snprintf(folder, sizeof folder, "/tmp/qza-%s-fuzz-XXXXXX", name);
    if (::mkdtemp(folder) == nullptr) ::abort();
    std::atexit([] {
      std::error_code error;
      std::filesystem::remove_all(folder, error);
    });
    return std::filesystem::path(folder);
  }();
  return path;
}

[[noreturn]] inline void Violation(const std::string& what) {
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, what.c_str());
  ::abort();
}

inline std::set<std::string> Listing(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

}  // namespace NFuzz

#endif
