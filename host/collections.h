// Loads collections into one repository: each collection becomes one data
// source (the first is data source 0, the base of a comparison), with the
// schema loaded into every data source before its collection.
//
// Errors: a file that cannot be read or parsed throws NVKXQZA20::TMofError
// naming the file, line and column.
#ifndef QZA_HOST_COLLECTIONS_H
#define QZA_HOST_COLLECTIONS_H

#include <boost/shared_ptr.hpp>
#include <functional>
#include <string>
#include <vector>

#include "core/repository.h"

struct TLoadSettings {
  std::vector<std::string> fCollections;
  // MOF files loaded into every data source first; empty for none.
  std::vector<std::string> fSchemaFiles;
  // A schema given as text (the one built into the tool), loaded after
  // fSchemaFiles; empty for none.
  std::string fSchemaText;
  // Instances of undeclared classes are errors; otherwise they are skipped
  // and each is reported to fWarn.
  bool fStrict = false;
  std::function<void(const std::string&)> fWarn;
};

struct TLoadedCollections {
  boost::shared_ptr<NVKXQZA20::TMemoryNamespace> fNamespace;
  size_t fClassCount = 0;     // of data source 0
  size_t fInstanceCount = 0;  // over all data sources
};

TLoadedCollections LoadCollections(const TLoadSettings& settings);

// The schema files of a folder: its schema.mof when there is one (it
// includes the rest), otherwise every .mof file of the folder in name order.
std::vector<std::string> SchemaFilesOf(const std::string& folder);

#endif
