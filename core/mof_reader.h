// The MOF reader: loads DMTF MOF text (MOF 2.x syntax of DSP0004 Annex A)
// into one data source of a TMemoryNamespace: qualifier types, classes and
// instances, with #pragma include resolved relative to the including file.
//
//   TMofReader reader(ns, context);   // context's "nsIndex" names the data source
//   reader.LoadFile("collection/all.mof");
//   reader.LoadText("instance of VKXSG_Fan { DeviceID = \"Fan 1\"; };", "inline.mof");
//   reader.GetInstanceCount();         // 1 (counts add up over the reader's loads)
//
// A file already read by this reader (by LoadFile or an include) is not read
// again, so a collection may include the schema the tool has loaded first.
//
// Each Load call is one load: aliases ($Disk) are known within it only, and
// references by alias are set when the whole load has been read, so an
// association instance may come before its endpoints. Methods are read and
// dropped (the repository has none); so are qualifier flavors on qualifier
// values, qualifiers on instances and fixed array sizes.
//
// Errors: every failure throws TMofError, whose message names the place and
// what went wrong, as "x.mof:12:7: expected ';' after property declaration".
// Repository refusals (unknown class or property, a value that does not fit
// the declared type, unknown alias, missing include file) take the same form
// at the offending token. What was declared before the error stays declared.
#ifndef QZA_CORE_MOF_READER_H
#define QZA_CORE_MOF_READER_H

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <stdexcept>
#include <set>
#include <string>

#include "core/repository.h"

namespace NVKXQZA20 {

class TMofError : public std::runtime_error {
 public:
  // A line of 0 marks a failure of a whole file (it could not be read).
  TMofError(const std::string& file, int line, int column, const std::string& problem);

  const std::string& GetFile() const { return fFile; }
  int GetLine() const { return fLine; }
  int GetColumn() const { return fColumn; }
  // The message without the place.
  const std::string& GetProblem() const { return fProblem; }

 private:
  std::string fFile;
  int fLine;
  int fColumn;
  std::string fProblem;
};

class TMofReader {
 public:
  typedef boost::function<void(const TMofError&)> TWarningCallback;

  TMofReader(boost::shared_ptr<TMemoryNamespace> ns, TCIMContext context = TCIMContext());
  ~TMofReader();
  TMofReader(const TMofReader&) = delete;
  TMofReader& operator=(const TMofReader&) = delete;

  // Instances of classes that no file declares are errors unless this is
  // called: they are then skipped, each with a warning, and references to
  // their aliases are left unset, each with a warning.
  void SkipUndeclaredInstances(TWarningCallback warn) { fWarn = warn; }

  void LoadFile(const std::string& path);
  // name is the file name that messages show; includes in the text are
  // resolved relative to its folder.
  void LoadText(const std::string& text, const std::string& name);

  size_t GetClassCount() const { return fClassCount; }
  size_t GetQualifierTypeCount() const { return fQualifierTypeCount; }
  size_t GetInstanceCount() const { return fInstanceCount; }

 private:
  class TLoad;
  class TSourceParser;

  // text[size] must be '\0'.
  void Load(const char* text, size_t size, const std::string& name);

  boost::shared_ptr<TMemoryNamespace> fNamespace;
  TCIMContext fContext;
  std::set<std::string> fReadFiles;
  TWarningCallback fWarn;
  size_t fClassCount = 0;
  size_t fQualifierTypeCount = 0;
  size_t fInstanceCount = 0;
};

}  // namespace NVKXQZA20

#endif
