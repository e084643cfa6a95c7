// A collection being written: the instances the mapping makes, the raw
// outputs they came from (VKXSG_LogRecord_FileLoader, so a page links to what
// the machine said) and the collector's own log (VKXSG_QZALogRecord, the "QZA
// Error Log" page) of what it read and what it could not.
#ifndef QZA_MACHINE_COLLECTION_H
#define QZA_MACHINE_COLLECTION_H

#include <ctime>
#include <map>
#include <set>
#include <string>

#include "machine/mof_text.h"

namespace NVKXQZA20::NMachine {

enum class ELogType { kError, kWarning, kInfo };

// The first line of every collection text.
extern const char kCollectionHeading[];

class TCollection {
 public:
  explicit TCollection(std::time_t collected);

  // Adds an instance, and a warning of each value it left out.
  void Add(const TMofInstance& instance);
  // An alias not used yet in this collection, made from the text.
  std::string NewAlias(const std::string& text);
  // The key, or the key with " (2)", " (3)"... when the kind already has it:
  // real machines repeat slot designations, socket names, mount points and
  // package versions, and two instances with one object path would be one.
  std::string UniqueKey(const std::string& kind, const std::string& key);
  void Log(ELogType type, const std::string& source, const std::string& message);
  void KeepRaw(const std::string& origin, const std::string& text);

  std::time_t Collected() const { return fCollected; }
  size_t InstanceCount() const { return fInstances; }
  // The whole collection as MOF.
  std::string Text() const;

 private:
  std::time_t fCollected;
  std::string fText;
  size_t fInstances = 0;
  size_t fLogRecords = 0;
  size_t fRawRecords = 0;
  // Names taken, each with the next suffix to try after it: a name a machine
  // repeats n times costs n steps, not n².
  struct TTakenNames {
    std::set<std::string> fNames;
    std::map<std::string, int> fNextSuffix;
  };
  static std::string TakeFree(TTakenNames& taken, const std::string& scope, const std::string& base,
                              std::string (*suffixed)(const std::string& base, int suffix));

  TTakenNames fAliases;
  TTakenNames fKeys;
};

}  // namespace NVKXQZA20::NMachine

#endif
