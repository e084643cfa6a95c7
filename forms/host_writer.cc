#include "forms/host_writer.h"

#include <fstream>
#include <stdexcept>

#include "core/repository.h"

namespace {

std::string ContextText(const NVKXQZA20::TCIMContext& context, const std::string& key,
                        const std::string& absent) {
  NVKXQZA20::TCIMContext::const_iterator entry = context.find(key);
  return entry == context.end() ? absent : entry->second.ToString();
}

}  // namespace

THostWriter::THostWriter(TWriterSettings settings) : fSettings(std::move(settings)) {
  if (fSettings.fStagingFolder.empty()) fSettings.fStagingFolder = fSettings.fOutputFolder;
  if (!fSettings.fWriterType.empty()) SetWriterType(fSettings.fWriterType);
  SetDataFolder(fSettings.fDataFolder);
  SetOutputFolder(fSettings.fStagingFolder);
}

void THostWriter::Initialize(TNamespacePtr, NVKXQZA20::TCIMContext context, const std::string&) {
  SetMode(ContextText(context, "mode", "default"));
  SetOutputFolder(fSettings.fStagingFolder);
}

std::string THostWriter::DisplayPath(const std::string& path) const {
  const std::string& staging = fSettings.fStagingFolder;
  if (staging == fSettings.fOutputFolder || path.compare(0, staging.size(), staging) != 0) return path;
  return fSettings.fOutputFolder + path.substr(staging.size());
}

void THostWriter::WriteWholeFile(const std::string& path, const std::string& text) {
  WriteStreamedFile(path, [&text](std::ostream& out) { out << text; });
}

void THostWriter::WriteStreamedFile(const std::string& path, const std::function<void(std::ostream&)>& write) {
  std::ofstream file(path, std::ios::binary);
  if (file) write(file);
  file.close();
  if (file) return;
  fFailures.push_back(path + ": cannot write the file");
  throw std::runtime_error(fFailures.back());
}

std::set<std::string> THostWriter::VolatileColumnLabels() {
  std::set<std::string> labels;
  auto ns = boost::dynamic_pointer_cast<NVKXQZA20::TMemoryNamespace>(GetNamespace());
  if (!ns) return labels;
  const std::vector<TIgnoredProperty> properties = VolatileProperties(fIgnored);
  NVKXQZA20::TClassCallback add = [&](boost::shared_ptr<NVKXQZA20::ICIMClass> cls) {
    for (const TIgnoredProperty& property : properties) {
      const bool inClass = property.fClass == "*" || cls->IsA(property.fClass);
      if (!inClass || !cls->GetPropertyDecl(property.fProperty)) continue;
      try {
        labels.insert(GetTableHeaderLabel(*cls, TReportProperty(property.fProperty, "", "", "", ""),
                                          NVKXQZA20::TCIMContext()));
      } catch (const NVKXQZA20::TQZAException&) {
        // A property without a label has no column to fold.
      }
    }
    return true;
  };
  for (const auto& root : ns->GetRootClasses(NVKXQZA20::TCIMContext())) {
    add(root);
    root->EnumerateSubclasses(add, true);
  }
  return labels;
}

std::vector<TNewLogRecords> THostWriter::NewLogRecords() {
  if (fNewLogRecords) return *fNewLogRecords;
  auto ns = boost::dynamic_pointer_cast<NVKXQZA20::TMemoryNamespace>(GetNamespace());
  return ns ? FindNewLogRecords(*ns) : std::vector<TNewLogRecords>();
}
