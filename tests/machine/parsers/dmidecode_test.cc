// dmidecode output of real servers, and the structures of invented snippets.
#include "machine/parsers/dmidecode.h"

#include <gtest/gtest.h>

#include "tests/machine/parsers/parsed_summary.h"

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

std::string Summary(const TDmiRecords& dmi) {
  std::string summary = dmi.fDmidecodeVersion + " " + dmi.fSmbiosVersion + "\n";
  for (const TDmiStructure& s : dmi.fStructures)
    summary += std::to_string(s.fLine) + " " + std::to_string(s.fHandle) + "/" + std::to_string(s.fType) + "/" +
               std::to_string(s.fSize) + " " + s.fName + ": " + Fields(s.fFields) + " " + Join(s.fNotes) + "\n";
  for (const TRawSection& section : dmi.fUnknown) summary += std::to_string(section.fLine) + " ? " + section.fText + "\n";
  return summary + WarningLines(dmi.fWarnings);
}

// Several records of one structure, notes, lists, the preamble, and text that
// is no structure.
TEST(Dmidecode, StructuresRecordsAndUnknownText) {
  const char* text =
      "# dmidecode 3.5\n"
      "Getting SMBIOS data from sysfs.\n"
      "SMBIOS 3.3.0 present.\n"
      "\n"
      "Handle 0x0029, DMI type 10, 8 bytes\n"
      "On Board Device 1 Information\n"
      "\tType: Video\n"
      "On Board Device 2 Information\n"
      "\tType: Ethernet\n"
      "\tDescription: Tern Port\n"
      "\n"
      "Handle 0x00A1, DMI type 0, 26 bytes\n"
      "BIOS Information\n"
      "\tVendor: Oxbow Firmware\n"
      "\tCharacteristics:\n"
      "\t\tPCI is supported\n"
      "\t\tACPI is supported\n"
      "\n"
      "Handle 0xFEFF, DMI type 127, 4 bytes\n"
      "End Of Table\n"
      "\tInactive\n"
      "\n"
      "Invalid entry length (0). DMI table is broken! Stop.\n"
      "Handle 0x0x2, DMI type 4\n";
  EXPECT_EQ(Summary(ParseDmidecode(text)),
            "3.5 3.3.0\n"
            "5 41/10/8 On Board Device 1 Information: Type=Video \n"
            "8 41/10/8 On Board Device 2 Information: Type=Ethernet;Description=Tern Port \n"
            "12 161/0/26 BIOS Information: Vendor=Oxbow Firmware;Characteristics=[PCI is supported,ACPI is supported] \n"
            "19 65279/127/4 End Of Table:  Inactive\n"
            "23 ? Invalid entry length (0). DMI table is broken! Stop.\n"
            "W24");
}

// Before 2.7, dmidecode put the type on a line of its own and the structure
// one tab deeper.
TEST(Dmidecode, LayoutBeforeVersion27) {
  const char* text =
      "# dmidecode 2.2\n"
      "SMBIOS 2.3 present.\n"
      "Handle 0x0100\n"
      "\tDMI type 1, 25 bytes.\n"
      "\tSystem Information\n"
      "\t\tManufacturer: Oxbow Systems\n"
      "\t\tUUID: 0F0E0D0C-0B0A-0908-0706-050403020100\n"
      "\n"
      "Handle 0x0000\n"
      "\tDMI type 0, 20 bytes.\n"
      "\tBIOS Information\n"
      "\t\tVendor: Oxbow Firmware\n"
      "\t\tCharacteristics:\n"
      "\t\t\tPCI is supported\n";
  EXPECT_EQ(Summary(ParseDmidecode(text)),
            "2.2 2.3\n"
            "3 256/1/25 System Information: Manufacturer=Oxbow Systems;UUID=0F0E0D0C-0B0A-0908-0706-050403020100 \n"
            "9 0/0/20 BIOS Information: Vendor=Oxbow Firmware;Characteristics=[PCI is supported] \n");
}

}  // namespace
}  // namespace NVKXQZA20::NMachine
