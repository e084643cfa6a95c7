// dmidecode output of real servers, and the structures of invented snippets.
#include "machine/parsers/dmidecode.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace NVKXQZA20::NMachine {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// ../shared/real-outputs beside the project, or beside the folder of
// worktrees that holds it.
std::filesystem::path RealOutputs(const char* name) {
  for (const char* up : {"..", "../.."}) {
    std::filesystem::path folder = std::filesystem::path(QZA_SOURCE_DIR) / up / "shared/real-outputs" / name;
    if (std::filesystem::is_directory(folder)) return folder;
  }
  return {};
}

bool HasValue(const TDmiStructure& structure, const char* name) {
  std::string value = structure.fFields.Value(name);
  return !value.empty() && value != "Not Specified" && value != "Unknown";
}

// Every real output: no warning, and the facts the inventory shows.
TEST(Dmidecode, RealServersYieldIdentityBiosProcessorsAndMemory) {
  std::filesystem::path folder = RealOutputs("dmidecode");
  if (folder.empty()) GTEST_SKIP() << "no shared/real-outputs/dmidecode beside the project";
  size_t files = 0, populated = 0, speeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".txt") continue;
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    TDmiRecords dmi = ParseDmidecode(ReadFile(entry.path()));
    for (const TParseWarning& warning : dmi.fWarnings)
      ADD_FAILURE() << "line " << warning.fLine << ": " << warning.fText;
    auto one = [&](unsigned type, std::initializer_list<const char*> fields) {
      for (const TDmiStructure* structure : dmi.OfType(type))
        for (const char* field : fields)
          if (HasValue(*structure, field)) return true;
      return false;
    };
    EXPECT_TRUE(one(kDmiSystem, {"Manufacturer", "Product Name"}));
    EXPECT_TRUE(one(kDmiBios, {"Vendor"}) && one(kDmiBios, {"Version"}));
    EXPECT_TRUE(one(kDmiProcessor, {"Version", "Family"}));
    // Some makers leave the baseboard out, or blank.
    if (!dmi.OfType(kDmiBaseboard).empty()) {
      EXPECT_TRUE(one(kDmiBaseboard, {"Manufacturer", "Product Name", "Serial Number"}));
    }
    for (const TDmiStructure* memory : dmi.OfType(kDmiMemoryDevice)) {
      if (!ParseByteSize(memory->fFields.Value("Size"))) continue;
      ++populated;
      std::string speed = memory->fFields.Value("Speed");
      EXPECT_TRUE(ParseLeadingNumber(speed) || speed == "Unknown" || speed.empty()) << speed;
      speeds += ParseLeadingNumber(speed).has_value();
    }
  }
  // Counted once with awk over the folder: files, populated memory devices,
  // and those of them that state a speed.
  EXPECT_EQ(files, 136u);
  EXPECT_EQ(populated, 843u);
  EXPECT_EQ(speeds, 811u);
}

}  // namespace
}  // namespace NVKXQZA20::NMachine
