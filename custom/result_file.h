// Result files of the raw-data pages: the output of one collected command,
// one line per element, written whole or not at all.
//
//   WriteResultFile("/out/kr_RawData_Results_0.txt", {"line 1", "line 2"});
//
// The text goes to a temporary file in the same folder that is renamed when
// complete, so no partial file ever carries the final name. A file that
// cannot be written throws std::system_error; its code tells access denied
// (std::errc::permission_denied) from other failures.
#ifndef QZA_CUSTOM_RESULT_FILE_H
#define QZA_CUSTOM_RESULT_FILE_H

#include <string>
#include <vector>

void WriteResultFile(const std::string& path, const std::vector<std::string>& lines);

#endif
