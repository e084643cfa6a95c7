// Test support: what a folder holds, to show that a run changed nothing
// outside its output folder.
//
//   TFolderSnapshot before = SnapshotOf(folder);
//   ... run the tool ...
//   EXPECT_EQ(WithoutEntriesUnder(before, "report"), WithoutEntriesUnder(SnapshotOf(folder), "report"));
#ifndef QZA_TESTS_HOST_FOLDER_SNAPSHOT_H
#define QZA_TESTS_HOST_FOLDER_SNAPSHOT_H

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>

// Path inside the folder -> "folder", "link to TARGET", or size and hash of the contents.
using TFolderSnapshot = std::map<std::string, std::string>;

inline TFolderSnapshot SnapshotOf(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  TFolderSnapshot snapshot;
  for (fs::recursive_directory_iterator entry(folder, fs::directory_options::skip_permission_denied), end;
       entry != end; ++entry) {
    const std::string name = entry->path().lexically_relative(folder).generic_string();
    const fs::file_status status = entry->symlink_status();
    if (fs::is_symlink(status)) {
      snapshot[name] = "link to " + fs::read_symlink(entry->path()).string();
    } else if (fs::is_directory(status)) {
      snapshot[name] = "folder";
    } else {
      std::ifstream file(entry->path(), std::ios::binary);
      const std::string contents{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
      snapshot[name] = std::to_string(fs::file_size(entry->path())) + " bytes, hash " +
                       std::to_string(std::hash<std::string>()(contents));
    }
  }
  return snapshot;
}

// The snapshot without the folder named prefix and what it holds.
inline TFolderSnapshot WithoutEntriesUnder(TFolderSnapshot snapshot, const std::string& prefix) {
  for (auto entry = snapshot.begin(); entry != snapshot.end();) {
    const bool under = entry->first == prefix || entry->first.rfind(prefix + "/", 0) == 0;
    entry = under ? snapshot.erase(entry) : std::next(entry);
  }
  return snapshot;
}

#endif
