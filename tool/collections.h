// Loads collections into one repository: each collection becomes one data
// source (the first is data source 0, the base of a comparison), with the
// schema loaded into every data source before its collection.
//
// A sos report (folder or archive) is read through the collector and loaded
// as the collection it makes.
//
// Errors: a file that cannot be read or parsed throws NVKXQZA20::TMofError
// naming the file, line and column; an unreadable sos archive throws
// NVKXQZA20::NMachine::TSosError.
#ifndef QZA_HOST_COLLECTIONS_H
#define QZA_HOST_COLLECTIONS_H

#include <boost/shared_ptr.hpp>
#include <functional>
#include <string>
#include <vector>

#include "core/mof_reader.h"
#include "core/repository.h"

struct TLoadSettings {
  std::vector<std::string> fCollections;
  // When not empty, the MOF texts of the collections, which are loaded
  // instead of files: fCollections then only names them in messages.
  std::vector<std::string> fTexts;
  // MOF files loaded into every data source first; empty for none.
  std::vector<std::string> fSchemaFiles;
  // Folders below which collections may include files, besides their own
  // and those of the schema files: the bundled schema folder when the
  // bundled schema is used (UseBundledSchema), and those the user names.
  std::vector<std::string> fIncludeFolders;
  // A schema given as text (the one built into the tool), loaded after
  // fSchemaFiles; empty for none.
  std::string fSchemaText;
  // Instances of undeclared classes, two instances with one object path and
  // undeclared qualifiers are errors; otherwise they are warnings.
  bool fStrict = false;
  std::function<void(NVKXQZA20::EMofWarning, const std::string&)> fWarn;
  // A sos report (folder or archive) is read through the collector, keeping
  // the last fLogBytes of each log; fProgress hears each source read.
  size_t fLogBytes = 8u << 20;
  std::function<void(const std::string&)> fProgress;
  // The collections of a comparison load side by side (one thread each)
  // unless one is a sos report; results, warnings and the first error are
  // those of loading them one after the other, which clearing this forces.
  bool fParallel = true;
};

struct TLoadedCollections {
  boost::shared_ptr<NVKXQZA20::TMemoryNamespace> fNamespace;
  size_t fClassCount = 0;     // of data source 0
  size_t fInstanceCount = 0;  // over all data sources
};

TLoadedCollections LoadCollections(const TLoadSettings& settings);

// For a process that ends after the run: the repositories it loaded are
// left for the system to reclaim at exit instead of being taken apart one
// object at a time (half a second for a million instances). LeaveAtExit
// keeps a repository to the end once this is called, else does nothing.
void LeaveRepositoriesAtExit();
void LeaveAtExit(const TLoadedCollections& loaded);

// The schema files of a folder: its schema.mof when there is one (it
// includes the rest), otherwise every .mof file of the folder in name order.
std::vector<std::string> SchemaFilesOf(const std::string& folder);

#endif
