#include "machine/parsers/dmidecode.h"

#include <cstdlib>

#include "machine/parsers/text_scan.h"

namespace NVKXQZA20::NMachine {

std::vector<const TDmiStructure*> TDmiRecords::OfType(unsigned type) const {
  std::vector<const TDmiStructure*> found;
  for (const TDmiStructure& structure : fStructures)
    if (structure.fType == type) found.push_back(&structure);
  return found;
}

namespace {

// Lines dmidecode prints before the table; anything else outside a structure
// is kept as an unknown section.
const std::string_view kPreamble[] = {
    "Getting SMBIOS data from", "Scanning /dev/mem", "Table at ", "# SMBIOS entry point at",
    "# SMBIOS implementations newer than", "# fully supported by this version",
};

bool IsPreamble(std::string_view line) {
  for (std::string_view prefix : kPreamble)
    if (StartsWith(line, prefix)) return true;
  return line.find(" structures occupying ") != std::string_view::npos;
}

// "Handle 0x0000, DMI type 0, 24 bytes"
bool ParseHandleLine(std::string_view line, TDmiStructure& structure) {
  std::vector<std::string_view> parts = SplitTrimmed(line.substr(7), ',');
  if (parts.size() != 3 || !StartsWith(parts[0], "0x") || !StartsWith(parts[1], "DMI type "))
    return false;
  std::string handle(parts[0].substr(2));
  char* end = nullptr;
  structure.fHandle = static_cast<unsigned>(std::strtoul(handle.c_str(), &end, 16));
  std::optional<unsigned long long> type = ParseUnsigned(parts[1].substr(9));
  std::vector<std::string_view> size = SplitWords(parts[2]);
  std::optional<unsigned long long> bytes = size.empty() ? std::nullopt : ParseUnsigned(size[0]);
  if (handle.empty() || *end != '\0' || !type || !bytes) return false;
  structure.fType = static_cast<unsigned>(*type);
  structure.fSize = static_cast<unsigned>(*bytes);
  return true;
}

class TDmiParser {
 public:
  explicit TDmiParser(const std::string& text) : fCursor(text) {}

  TDmiRecords Parse() {
    while (fCursor.Next()) ReadOutside(fCursor.Line());
    return std::move(fRecords);
  }

 private:
  void ReadOutside(std::string_view line) {
    if (IsBlank(line)) return;
    if (StartsWith(line, "Handle ")) {
      TDmiStructure structure;
      structure.fLine = fCursor.Number();
      std::string header(line);
      // Before dmidecode 2.7: "Handle 0x0000", then "\tDMI type 0, 20 bytes."
      // and the structure one tab deeper.
      const std::optional<std::string_view> next = fCursor.PeekNext();
      const bool nested = line.find(',') == std::string_view::npos && next && StartsWith(Trim(*next), "DMI type ");
      if (nested) {
        fCursor.Next();
        header += ", " + std::string(Trim(fCursor.Line()));
      }
      if (ParseHandleLine(header, structure)) return ReadStructure(structure, nested);
      Warn(fRecords.fWarnings, fCursor.Number(), line);
      return;
    }
    if (StartsWith(line, "# dmidecode ")) {
      fRecords.fDmidecodeVersion = std::string(Trim(line.substr(12)));
      return;
    }
    if (StartsWith(line, "SMBIOS ") && line.find(" present") != std::string_view::npos) {
      fRecords.fSmbiosVersion = std::string(SplitWords(line)[1]);
      return;
    }
    if (IsPreamble(line)) return;
    KeepUnknown(line);
  }

  // Consecutive unknown lines form one section.
  void KeepUnknown(std::string_view line) {
    TRawSection section{fCursor.Number(), std::string(Trim(line)), std::string(line)};
    while (auto next = fCursor.PeekNext()) {
      if (IsBlank(*next) || StartsWith(*next, "Handle ")) break;
      fCursor.Next();
      section.fText += '\n';
      section.fText += fCursor.Line();
    }
    fRecords.fUnknown.push_back(std::move(section));
  }

  // The name line, then fields until a blank line. An unindented line within
  // the structure opens a further record of the same handle (type 10's "On
  // Board Device 2 Information", type 40's "Additional Information 2").
  void ReadStructure(TDmiStructure structure, bool nested) {
    bool named = false;
    while (auto next = fCursor.PeekNext()) {
      if (IsBlank(*next) || StartsWith(*next, "Handle ")) break;
      fCursor.Next();
      std::string_view line = fCursor.Line();
      if (nested && line.front() == '\t') line.remove_prefix(1);
      size_t indent = Indent(line);
      if (indent == 0) {
        if (named) {
          TDmiStructure sibling{fCursor.Number(), structure.fHandle, structure.fType,
                                structure.fSize, {}, {}, {}};
          fRecords.fStructures.push_back(std::move(structure));
          structure = std::move(sibling);
        }
        structure.fName = std::string(Trim(line));
        named = true;
      } else if (indent == 1 || line[0] == ' ') {
        ReadField(line, structure);
      } else if (!structure.fFields.fFields.empty()) {
        structure.fFields.fFields.back().fList.emplace_back(Trim(line));
      } else {
        Warn(fRecords.fWarnings, fCursor.Number(), line);
      }
    }
    fRecords.fStructures.push_back(std::move(structure));
  }

  void ReadField(std::string_view line, TDmiStructure& structure) {
    std::string_view name, value;
    if (SplitField(line, ':', name, value))
      structure.fFields.fFields.push_back({std::string(name), std::string(value), {}});
    else
      structure.fNotes.emplace_back(Trim(line));
  }

  TLineCursor fCursor;
  TDmiRecords fRecords;
};

}  // namespace

TDmiRecords ParseDmidecode(const std::string& text) { return TDmiParser(text).Parse(); }

}  // namespace NVKXQZA20::NMachine
