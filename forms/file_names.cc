#include "forms/file_names.h"

#include <cctype>
#include <cstring>

namespace {

// The library's link names of HTML pages end so; other formats drop it.
const char kHtmlExtension[] = ".html";

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool IsDeviceName(const std::string& stem) {
  static const std::set<std::string> kDevices = {"con",  "prn",  "aux",  "nul",  "com1", "com2", "com3", "com4",
                                                 "com5", "com6", "com7", "com8", "com9", "lpt1", "lpt2", "lpt3",
                                                 "lpt4", "lpt5", "lpt6", "lpt7", "lpt8", "lpt9"};
  return kDevices.count(Lower(stem.substr(0, stem.find('.')))) != 0;
}

std::string SafeStem(std::string linkName, const std::string& extension) {
  for (const std::string& ending : {extension, std::string(kHtmlExtension)}) {
    if (EndsWith(linkName, ending)) linkName.erase(linkName.size() - ending.size());
  }
  std::string stem = SafeFileName(linkName, "");
  if (stem.size() > TPageFileNames::kMaxStemLength) stem.resize(TPageFileNames::kMaxStemLength);
  if (stem[0] == '.') stem[0] = '_';
  if (IsDeviceName(stem)) stem = "_" + stem;
  return stem;
}

}  // namespace

std::string SafeFileName(const std::string& linkName, const std::string& extension) {
  std::string name = linkName;
  if (EndsWith(name, extension)) name.erase(name.size() - extension.size());
  for (char& c : name) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (!(std::isalnum(byte) && byte < 128) && c != '.' && c != '-' && c != '_') c = '_';
  }
  if (name.find_first_not_of('.') == std::string::npos) name = "page" + name;
  return name + extension;
}

TPageFileNames::TPageFileNames(std::string extension)
    : fExtension(std::move(extension)), fTaken({"index" + Lower(fExtension)}) {}

std::string TPageFileNames::FileFor(const std::string& linkName) {
  std::map<std::string, std::string>::const_iterator known = fFiles.find(linkName);
  if (known != fFiles.end()) return known->second;
  const std::string stem = SafeStem(linkName, fExtension);
  std::string file = stem + fExtension;
  for (int n = 2; fTaken.count(Lower(file)) != 0; ++n) file = stem + "-" + std::to_string(n) + fExtension;
  fTaken.insert(Lower(file));
  fFiles[linkName] = file;
  return file;
}
