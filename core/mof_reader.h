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
// again. A qualifier type or class declared again is taken as CIM compilers
// take it: an identical declaration changes nothing, a different one
// replaces the earlier with a warning (a class only while neither it nor a
// subclass has instances), so a collection may bring its own copy of the
// schema the tool has loaded first.
//
// Includes: only regular files below the folder of the file a load starts
// from, or below a folder given to AllowIncludesBelow, are read; includes
// nest at most kMaxIncludeDepth files deep. Files in UTF-8 or in UTF-16 with
// a byte-order mark are read; other encodings are refused with a message
// that names the problem.
//
// Each Load call is one load: aliases ($Disk) are known within it only, and
// references by alias are set when the whole load has been read, in the
// order their keys need (an association may come before its endpoints, and
// an association keyed by references to other associations gets their
// full paths). Keys may nest references kMaxKeyReferenceDepth deep, and an
// object path set by alias may take kMaxReferencePathBytes; beyond, and for
// a cycle of reference keys, the load fails. Two instances of one load with
// one object path: the later replaces the earlier, with a warning (an error
// when strict). Methods are read and dropped (the repository has none); so
// are qualifiers on instances and fixed array sizes.
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
#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

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

// What a warning is about, so that a caller can count warnings by kind.
enum class EMofWarning {
  UndeclaredInstance,   // an instance of an undeclared class skipped
  UnsetReference,       // a reference to such an instance left unset
  Redeclaration,        // a qualifier type or class declared again differently
  DuplicateInstance,    // an instance replaced by a later one with its path
  UndeclaredQualifier,  // a qualifier used without a declaration
  NamespacePragma       // #pragma namespace met: one data source for all
};

class TMofReader {
 public:
  typedef boost::function<void(EMofWarning, const TMofError&)> TWarningCallback;

  static const int kMaxIncludeDepth = 64;
  static const int kMaxKeyReferenceDepth = 8;
  static const size_t kMaxReferencePathBytes = 16 << 20;
  static const size_t kReadAheadPieceBytes = 4 << 20;

  TMofReader(boost::shared_ptr<TMemoryNamespace> ns, TCIMContext context = TCIMContext());
  ~TMofReader();
  TMofReader(const TMofReader&) = delete;
  TMofReader& operator=(const TMofReader&) = delete;

  // Where warnings go; without a callback they are dropped.
  void SetWarningCallback(TWarningCallback warn) { fWarn = warn; }
  // Instances of classes that no file declares are errors unless this is
  // called: they are then read, skipped with a warning each, and references
  // to their aliases are left unset, each with a warning.
  void SkipUndeclaredInstances() { fSkipUndeclared = true; }
  // Strict reading makes two instances with one object path and the use of
  // an undeclared qualifier errors instead of warnings.
  void SetStrict(bool strict) { fStrict = strict; }
  // Long runs of instances in a text are read by this many threads more,
  // in pieces of about pieceBytes, ahead of the thread that adds them; what
  // the load gives (instances in their order, warnings, the first error)
  // stays that of reading alone. 0 (the default) reads alone.
  void SetReadAhead(unsigned threads, size_t pieceBytes = kReadAheadPieceBytes) {
    fReadAheadThreads = threads;
    fReadAheadBytes = std::max<size_t>(pieceBytes, 1);
  }
  // Includes may also read files below this folder (and its subfolders).
  void AllowIncludesBelow(const std::string& folder);

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

  // text[size] must be '\0'; mapped: text maps the file.
  void Load(const char* text, size_t size, const std::string& name, bool mapped);
  void Warn(EMofWarning kind, const TMofError& warning) const {
    if (fWarn) fWarn(kind, warning);
  }

  boost::shared_ptr<TMemoryNamespace> fNamespace;
  TCIMContext fContext;
  std::set<std::string> fReadFiles;
  std::vector<std::string> fAllowedFolders;  // canonical
  // Where each qualifier type and class (by lower-case name) was declared,
  // for the warning about a later declaration.
  std::unordered_map<std::string, std::string> fQualifierTypePlaces;
  std::unordered_map<std::string, std::string> fClassPlaces;
  TWarningCallback fWarn;
  bool fSkipUndeclared = false;
  bool fStrict = false;
  bool fWarnedNamespace = false;
  unsigned fReadAheadThreads = 0;
  size_t fReadAheadBytes = kReadAheadPieceBytes;
  size_t fClassCount = 0;
  size_t fQualifierTypeCount = 0;
  size_t fInstanceCount = 0;
};

}  // namespace NVKXQZA20

#endif
