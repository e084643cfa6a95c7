#include "host/collections.h"

#include <algorithm>
#include <filesystem>

#include "core/mof_reader.h"

namespace fs = std::filesystem;
using namespace NVKXQZA20;

std::vector<std::string> SchemaFilesOf(const std::string& folder) {
  fs::path top = fs::path(folder) / "schema.mof";
  if (fs::exists(top)) return {top.string()};
  std::vector<std::string> files;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    if (entry.path().extension() == ".mof") files.push_back(entry.path().string());
  }
  if (error) throw TMofError(folder, 0, 0, "cannot read the schema folder: " + error.message());
  std::sort(files.begin(), files.end());
  return files;
}

TLoadedCollections LoadCollections(const TLoadSettings& settings) {
  TLoadedCollections loaded;
  loaded.fNamespace = TMemoryNamespace::Create();
  for (size_t i = 0; i < settings.fCollections.size(); ++i) {
    TCIMContext context;
    context["nsIndex"] = TCIMValue(i == 0 ? uint16_t(0) : loaded.fNamespace->AddDataSource());
    TMofReader reader(loaded.fNamespace, context);
    if (!settings.fStrict) {
      reader.SkipUndeclaredInstances([&settings](const TMofError& warning) {
        if (settings.fWarn) settings.fWarn(warning.what());
      });
    }
    for (const std::string& schema : settings.fSchemaFiles) reader.LoadFile(schema);
    if (!settings.fSchemaText.empty()) reader.LoadText(settings.fSchemaText, "(built-in schema)");
    reader.LoadFile(settings.fCollections[i]);
    loaded.fInstanceCount += reader.GetInstanceCount();
    if (i == 0) loaded.fClassCount = loaded.fNamespace->GetClassCount(context);
  }
  return loaded;
}
