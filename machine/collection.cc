#include "machine/collection.h"

namespace NVKXQZA20::NMachine {

namespace {

const char* TypeText(ELogType type) {
  switch (type) {
    case ELogType::kError: return "Error";
    case ELogType::kWarning: return "Warning";
    case ELogType::kInfo: return "Info";
  }
  return "Info";
}

}  // namespace

TCollection::TCollection(std::time_t collected) : fCollected(collected) {}

void TCollection::Add(const TMofInstance& instance) {
  fText += instance.Text();
  ++fInstances;
  for (const std::string& what : instance.LeftOut()) {
    Log(ELogType::kWarning, "collector." + instance.ClassName(), what + ": left out, the collection could not hold it.");
  }
}

// The base, else the first of suffixed(base, 2), suffixed(base, 3)... not
// taken in the scope; the search of a base resumes where it stopped, since
// taken names are never freed.
std::string TCollection::TakeFree(TTakenNames& taken, const std::string& scope, const std::string& base,
                                  std::string (*suffixed)(const std::string& base, int suffix)) {
  const std::string scoped = scope + '\0';
  if (taken.fNames.insert(scoped + base).second) return base;
  int& suffix = taken.fNextSuffix.try_emplace(scoped + base, 2).first->second;
  std::string name = suffixed(base, suffix);
  while (!taken.fNames.insert(scoped + name).second) name = suffixed(base, ++suffix);
  ++suffix;
  return name;
}

std::string TCollection::NewAlias(const std::string& text) {
  return TakeFree(fAliases, "", AliasOf(text),
                  [](const std::string& base, int suffix) { return base + "_" + std::to_string(suffix); });
}

std::string TCollection::UniqueKey(const std::string& kind, const std::string& key) {
  return TakeFree(fKeys, kind, key,
                  [](const std::string& base, int suffix) { return base + " (" + std::to_string(suffix) + ")"; });
}

void TCollection::Log(ELogType type, const std::string& source, const std::string& message) {
  TMofInstance record("VKXSG_QZALogRecord");
  record.Set("LogCreationClassName", "VKXSG_MessageLog").Set("LogName", "QZA")
      .Set("CreationClassName", "VKXSG_QZALogRecord").Set("RecordID", std::to_string(++fLogRecords))
      .Set("MessageTimestamp", CimDateTime(fCollected)).Set("Source", source).Set("Type", TypeText(type))
      .Set("Message", message);
  Add(record);
}

void TCollection::KeepRaw(const std::string& origin, const std::string& text) {
  TMofInstance record("VKXSG_LogRecord_FileLoader");
  record.Set("LogCreationClassName", "VKXSG_MessageLog").Set("LogName", "FileLoader")
      .Set("CreationClassName", "VKXSG_LogRecord_FileLoader").Set("RecordID", std::to_string(++fRawRecords))
      .Set("MessageTimestamp", CimDateTime(fCollected)).Set("FileName", origin).Set("Message", text);
  Add(record);
}

const char kCollectionHeading[] = "// A collection written by qzareport collect.";

std::string TCollection::Text() const {
  return std::string(kCollectionHeading) + "\n#pragma namespace(\"root/cimv2\")\n\n" + fText;
}

}  // namespace NVKXQZA20::NMachine
