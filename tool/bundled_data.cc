#include "tool/bundled_data.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "tool/embedded_schema.h"

namespace fs = std::filesystem;

namespace {

const char kDataVariable[] = "QZA_DATA_DIR";

std::string DataFolderFromEnvironment() {
  const char* folder = std::getenv(kDataVariable);
  return folder != nullptr ? folder : "";
}

// bin/qzareport -> share/qza; build/tool/qzareport -> build/share/qza.
fs::path DataFolderBesideExecutable() {
  std::error_code error;
  fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return executable.parent_path().parent_path() / "share" / "qza";
}

fs::path DataFolder() {
  std::string named = DataFolderFromEnvironment();
  return named.empty() ? DataFolderBesideExecutable() : fs::path(named);
}

fs::path BundledFile(const std::string& relative) {
  fs::path file = DataFolder() / relative;
  if (fs::exists(file)) return file;
  throw std::runtime_error("no " + relative + " in the data folder " + DataFolder().string() + " (set " +
                           kDataVariable + " to the folder that holds schema/ and samples/)");
}

}  // namespace

// A collection may include the bundled schema folder's files, as the samples
// do, whether the schema itself is built in or read from there.
void UseBundledSchema(TLoadSettings& settings) {
  settings.fIncludeFolders.push_back((DataFolder() / "schema").string());
  if (DataFolderFromEnvironment().empty() && !EmbeddedSchema().empty()) {
    settings.fSchemaText = EmbeddedSchema();
    return;
  }
  settings.fSchemaFiles = SchemaFilesOf(BundledFile("schema/schema.mof").parent_path().string());
}

std::string BundledSample() { return BundledFile("samples/linux-server.mof").string(); }
