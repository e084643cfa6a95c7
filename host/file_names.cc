#include "host/file_names.h"

#include <cctype>

std::string SafeFileName(const std::string& linkName, const std::string& extension) {
  std::string name = linkName;
  if (name.size() >= extension.size() && name.compare(name.size() - extension.size(), extension.size(), extension) == 0) {
    name.erase(name.size() - extension.size());
  }
  for (char& c : name) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (!(std::isalnum(byte) && byte < 128) && c != '.' && c != '-' && c != '_') c = '_';
  }
  if (name.find_first_not_of('.') == std::string::npos) name = "page" + name;
  return name + extension;
}
