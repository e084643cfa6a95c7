// File names of report pages, made from their link names, for every output
// format: the HTML, text and inventory writers name their files here.
//
//   TPageFileNames names(".txt");
//   names.FileFor("bist.html");   // "bist.txt"
//   names.FileFor("BIST");        // "BIST-2.txt": unique regardless of letter case
#ifndef QZA_HOST_FILE_NAMES_H
#define QZA_HOST_FILE_NAMES_H

#include <map>
#include <set>
#include <string>

// Keeps letters, digits, '.', '-' and '_'; every other byte becomes '_'.
// A name ending in the extension keeps it; "" and names made only of dots
// become "page".
std::string SafeFileName(const std::string& linkName, const std::string& extension);

// Only [A-Za-z0-9._-], the extension added once (a link name ending in it or
// in ".html" loses that ending first), at most kMaxStemLength characters
// before the extension, no hidden files, no device names of any system, and
// names that differ only in letter case (or not at all) after that kept apart
// by a "-2", "-3"... suffix. "index" with the extension is the index's own.
// A link name keeps its file for the whole report.
class TPageFileNames {
 public:
  static const size_t kMaxStemLength = 100;

  explicit TPageFileNames(std::string extension);
  std::string FileFor(const std::string& linkName);

 private:
  std::string fExtension;
  std::map<std::string, std::string> fFiles;  // link name to file name
  std::set<std::string> fTaken;               // lower-cased file names
};

#endif
