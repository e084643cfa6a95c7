// Why a page shows nothing, in the words of the collection where it has
// them: the collector's own log records, for the sources a page is made
// from, say what the machine lacked or what could not be read ("sensors:
// not installed.", "No SMBIOS tables: ..."); without such a record, that
// the collection holds nothing for the page.
//
//   TEmptyPageReasons reasons;
//   reasons.Read(ns, false);
//   reasons.Of("Environmentals")  // "The collector's log says: sensors: not installed. ..."
#ifndef QZA_HOST_EMPTY_PAGES_H
#define QZA_HOST_EMPTY_PAGES_H

#include <map>
#include <string>
#include <vector>

#include "writer/writer.h"

class TEmptyPageReasons {
 public:
  void Read(const TWriter::TNamespacePtr& ns, bool comparison);

  // The sentence an empty page shows, for the page's link name.
  std::string Of(const std::string& linkName) const;

 private:
  std::map<std::string, std::vector<std::string>> fMessagesBySource;
  bool fComparison = false;
};

#endif
