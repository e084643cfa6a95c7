#include "custom/result_file.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace {

const char kTemporarySuffix[] = ".partial";

[[noreturn]] void ThrowWriteError(int error, const std::string& path) {
  const std::string what =
      error == EACCES || error == EPERM ? "Access denied writing result file " : "Cannot write result file ";
  throw std::system_error(error, std::generic_category(), what + path);
}

bool WriteLines(std::FILE* file, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (std::fwrite(line.data(), 1, line.size(), file) != line.size()) return false;
    if (std::fputc('\n', file) == EOF) return false;
  }
  return true;
}

}  // namespace

void WriteResultFile(const std::string& path, const std::vector<std::string>& lines) {
  const std::string temporary = path + kTemporarySuffix;
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) ThrowWriteError(errno, path);
  bool complete = WriteLines(file, lines);
  int error = complete ? 0 : errno;
  if (std::fclose(file) != 0 && complete) {
    complete = false;
    error = errno;
  }
  if (complete && std::rename(temporary.c_str(), path.c_str()) != 0) {
    complete = false;
    error = errno;
  }
  if (complete) return;
  std::remove(temporary.c_str());
  ThrowWriteError(error, path);
}
