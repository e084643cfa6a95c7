#include "host/host_writer.h"

#include <fstream>
#include <stdexcept>

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
