#include "machine/parsers/lspci.h"

#include <cctype>

#include "machine/parsers/text_scan.h"

namespace NVKXQZA20::NMachine {
namespace {

bool IsHex(std::string_view text) {
  for (char c : text)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return !text.empty();
}

// Removes a trailing "(...)" that starts with `opening` ("(rev ", "(prog-if ")
// and returns its inside after the opening, or "".
std::string TakeTrailing(std::string_view& text, std::string_view opening) {
  size_t at = text.rfind(opening);
  if (at == std::string_view::npos || text.back() != ')') return "";
  std::string inside(text.substr(at + opening.size(), text.size() - at - opening.size() - 1));
  text = Trim(text.substr(0, at));
  return inside;
}

// "Name [vvvv:dddd]": the ids when the text ends in them, removed from it.
void TakeIds(std::string_view& text, std::string& vendor, std::string& device) {
  size_t open = text.rfind('[');
  if (open == std::string_view::npos || text.back() != ']') return;
  std::string_view ids = text.substr(open + 1, text.size() - open - 2);
  size_t colon = ids.find(':');
  if (colon == std::string_view::npos || !IsHex(ids.substr(0, colon)) || !IsHex(ids.substr(colon + 1)))
    return;
  vendor = std::string(ids.substr(0, colon));
  device = std::string(ids.substr(colon + 1));
  text = Trim(text.substr(0, open));
}

// "00:1f.2 SATA controller [0106]: Example Corp Chipset SATA [1234:5678] (rev 05)
// (prog-if 01 [AHCI 1.0])"
bool ParseTitle(std::string_view line, TPciFunction& function) {
  size_t space = line.find(' ');
  size_t colon = line.find(": ");
  if (space == std::string_view::npos || colon == std::string_view::npos || colon < space) return false;
  std::string_view address = line.substr(0, space);
  if (address.find('.') == std::string_view::npos || address.find(':') == std::string_view::npos)
    return false;
  function.fAddress = std::string(address.size() <= 7 ? "0000:" : "") + std::string(address);
  std::string_view className = Trim(line.substr(space, colon - space));
  if (className.size() > 6 && className.back() == ']' && className[className.size() - 6] == '[') {
    function.fClassId = std::string(className.substr(className.size() - 5, 4));
    className = Trim(className.substr(0, className.size() - 6));
  }
  function.fClassName = std::string(className);
  std::string_view names = Trim(line.substr(colon + 2));
  std::string progIf = TakeTrailing(names, "(prog-if ");
  function.fProgIf = progIf.substr(0, progIf.find(' '));
  function.fRevision = TakeTrailing(names, "(rev ");
  TakeIds(names, function.fVendorId, function.fDeviceId);
  function.fName = std::string(names);
  return true;
}

// "Port #0, Speed 8GT/s, Width x4, ASPM L1" or "Speed 8GT/s (ok), Width x4 (ok)"
TPciLink ParseLink(std::string_view text) {
  TPciLink link;
  for (std::string_view piece : SplitTrimmed(text, ',')) {
    std::vector<std::string_view> words = SplitWords(piece);
    if (words.size() < 2) continue;
    if (words[0] == "Speed") link.fSpeed = std::string(words[1]);
    if (words[0] == "Width") link.fWidth = std::string(words[1]);
  }
  return link;
}

// Fields of the function itself; the others go to fDetails.
void ApplyField(TPciFunction& function, const TField& field) {
  if (field.fName == "Subsystem") {
    std::string_view names = field.fValue;
    TakeIds(names, function.fSubsystemVendorId, function.fSubsystemDeviceId);
    function.fSubsystemName = std::string(names);
  } else if (field.fName == "Physical Slot") {
    function.fPhysicalSlot = field.fValue;
  } else if (field.fName == "Kernel driver in use") {
    function.fDriver = field.fValue;
  } else if (field.fName == "Kernel modules") {
    for (std::string_view module : SplitTrimmed(field.fValue, ','))
      if (!module.empty()) function.fModules.emplace_back(module);
  } else if (field.fName == "NUMA node") {
    function.fNumaNode = field.fValue;
  } else {
    function.fDetails.fFields.push_back(field);
  }
}

// A capability's own line ("LnkSta:\tSpeed 8GT/s ...") may carry the link.
void ReadCapabilityLine(TPciFunction& function, std::string_view line) {
  std::string_view name, value;
  if (!SplitField(line, ':', name, value)) return;
  if (name == "LnkCap") function.fLinkCapability = ParseLink(value);
  if (name == "LnkSta") function.fLinkStatus = ParseLink(value);
}

}  // namespace

TPciRecords ParseLspci(const std::string& text) {
  TPciRecords records;
  TLineCursor cursor(text);
  TPciFunction* function = nullptr;
  // A function's fields stand at its first indented line's depth (one tab as
  // lspci prints them, spaces where a tool expanded them); deeper lines are
  // details of the field above.
  size_t fieldIndent = 0;
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    if (Indent(line) == 0) {
      TPciFunction next;
      next.fLine = cursor.Number();
      // A message such as "pcilib: sysfs_read_vpd: read failed" can stand
      // amid a function's lines; the function goes on after it.
      if (!ParseTitle(line, next)) {
        Warn(records.fWarnings, cursor.Number(), line);
        continue;
      }
      records.fFunctions.push_back(std::move(next));
      function = &records.fFunctions.back();
      fieldIndent = 0;
      continue;
    }
    if (!function) {
      Warn(records.fWarnings, cursor.Number(), line);
      continue;
    }
    if (fieldIndent == 0) fieldIndent = Indent(line);
    if (Indent(line) <= fieldIndent) {
      std::string_view name, value;
      if (!SplitField(line, ':', name, value)) {
        Warn(records.fWarnings, cursor.Number(), line);
        continue;
      }
      ApplyField(*function, TField{std::string(name), std::string(value), {}});
      continue;
    }
    ReadCapabilityLine(*function, line);
    if (!function->fDetails.fFields.empty())
      function->fDetails.fFields.back().fList.emplace_back(Trim(line));
  }
  return records;
}

TUsbDevices ParseLsusb(const std::string& text) {
  TUsbDevices usb;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    std::vector<std::string_view> words = SplitWords(line, 7);
    if (words.size() < 6 || words[0] != "Bus" || words[2] != "Device" || words[4] != "ID" ||
        words[5].size() != 9 || words[5][4] != ':') {
      Warn(usb.fWarnings, cursor.Number(), line);
      continue;
    }
    std::string_view device = words[3];
    if (!device.empty() && device.back() == ':') device.remove_suffix(1);
    usb.fDevices.push_back({cursor.Number(), std::string(words[1]), std::string(device),
                            std::string(words[5].substr(0, 4)), std::string(words[5].substr(5)),
                            words.size() > 6 ? std::string(words[6]) : ""});
  }
  return usb;
}

}  // namespace NVKXQZA20::NMachine
