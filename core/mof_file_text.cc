// The MOF reader's input: texts in UTF-16 decoded, and the identity of a
// file; the file's text itself is read by TFileText in mof_file_text.h.
#include "core/mof_file_text.h"

#include <cstdint>
#include <cstring>

#include "core/mof_lexer.h"

namespace NVKXQZA20 {
namespace NMofReading {

namespace {

// UTF-16 after its byte-order mark, as UTF-8; "" or the problem.
std::string DecodeUtf16(const unsigned char* bytes, size_t size, bool bigEndian, std::string& decoded) {
  if (size % 2 != 0) return "UTF-16 text with an odd number of bytes";
  decoded.reserve(size + size / 2);
  auto unit = [&](size_t i) -> uint32_t {
    return bigEndian ? (bytes[i] << 8) | bytes[i + 1] : bytes[i] | (bytes[i + 1] << 8);
  };
  for (size_t i = 2; i < size; i += 2) {
    uint32_t code = unit(i);
    if (code >= 0xD800 && code <= 0xDBFF && i + 2 < size && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      return "invalid UTF-16: an unpaired surrogate at byte " + std::to_string(i);
    }
    AppendUtf8(code, decoded);
  }
  return "";
}

}  // namespace

std::string TakeUtf8(const char*& text, size_t& size, std::string& decoded) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  auto startsWith = [&](const char* mark, size_t length) { return size >= length && std::memcmp(text, mark, length) == 0; };
  if (startsWith("\xFF\xFE\0\0", 4) || startsWith("\0\0\xFE\xFF", 4)) {
    return "the file is in UTF-32, which MOF files are not written in; save it as UTF-8 or UTF-16";
  }
  bool little = startsWith("\xFF\xFE", 2);
  if (little || startsWith("\xFE\xFF", 2)) {
    std::string problem = DecodeUtf16(bytes, size, !little, decoded);
    if (!problem.empty()) return problem;
    text = decoded.c_str();
    size = decoded.size();
    return "";
  }
  if (size >= 2 && (bytes[0] == 0 || bytes[1] == 0)) {
    return "the file starts with a NUL byte: UTF-16 without a byte-order mark? Save it as UTF-8 or with a byte-order mark";
  }
  return "";
}

std::string FileKey(const std::filesystem::path& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) == 0) {
    return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
  }
  std::error_code error;
  return std::filesystem::absolute(path, error).lexically_normal().string();
}

}  // namespace NMofReading
}  // namespace NVKXQZA20
