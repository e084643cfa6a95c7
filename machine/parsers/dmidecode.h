// dmidecode's text output: every SMBIOS structure with its handle, type, name
// and fields, whatever the type, so the mapping picks what it needs (system,
// baseboard, chassis, BIOS, processors, caches, memory, slots, ...).
//
//   TDmiRecords dmi = ParseDmidecode(text);
//   for (const TDmiStructure* memory : dmi.OfType(kDmiMemoryDevice)) ...
#ifndef QZA_MACHINE_PARSERS_DMIDECODE_H
#define QZA_MACHINE_PARSERS_DMIDECODE_H

#include <string>
#include <vector>

#include "machine/parsers/records.h"

namespace NVKXQZA20::NMachine {

// SMBIOS structure types (DMTF DSP0134).
enum EDmiType : unsigned {
  kDmiBios = 0,
  kDmiSystem = 1,
  kDmiBaseboard = 2,
  kDmiChassis = 3,
  kDmiProcessor = 4,
  kDmiCache = 7,
  kDmiPortConnector = 8,
  kDmiSlot = 9,
  kDmiOnboardDevice = 10,
  kDmiOemStrings = 11,
  kDmiSystemEventLog = 15,
  kDmiMemoryArray = 16,
  kDmiMemoryDevice = 17,
  kDmiIpmiDevice = 38,
  kDmiPowerSupply = 39,
  kDmiOnboardDeviceExtended = 41,
};

// A structure holding several records (type 10's "On Board Device 2
// Information", type 40's "Additional Information 2") gives one TDmiStructure
// per record, all with the structure's handle, type and size.
struct TDmiStructure {
  size_t fLine = 0;  // of the "Handle" line, or of a further record's name
  unsigned fHandle = 0;  // 0x0010 reads as 16
  unsigned fType = 0;
  unsigned fSize = 0;  // bytes of the structure
  std::string fName;   // "Memory Device", "OEM-specific Type", ...
  TFieldBlock fFields;
  // dmidecode prints some structures without "Name: value" lines ("Header and
  // Data:", "Strings:" of OEM types are fields with lists; a bare line below the
  // name, as in "Inactive" or "End Of Table", lands here).
  std::vector<std::string> fNotes;
};

struct TDmiRecords {
  std::string fDmidecodeVersion;  // "3.2" of "# dmidecode 3.2"
  std::string fSmbiosVersion;     // "2.8" of "SMBIOS 2.8 present."
  std::vector<TDmiStructure> fStructures;
  std::vector<TParseWarning> fWarnings;
  // Lines outside any structure that are not the known preamble.
  std::vector<TRawSection> fUnknown;

  std::vector<const TDmiStructure*> OfType(unsigned type) const;
};

TDmiRecords ParseDmidecode(const std::string& text);

}  // namespace NVKXQZA20::NMachine

#endif
