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
}

std::string TCollection::NewAlias(const std::string& text) {
  const std::string base = AliasOf(text);
  std::string alias = base;
  for (int suffix = 2; !fAliases.insert(alias).second; ++suffix) alias = base + "_" + std::to_string(suffix);
  return alias;
}

std::string TCollection::UniqueKey(const std::string& kind, const std::string& key) {
  std::string unique = key;
  for (int suffix = 2; !fKeys.insert({kind, unique}).second; ++suffix) unique = key + " (" + std::to_string(suffix) + ")";
  return unique;
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
