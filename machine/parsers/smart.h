// smartctl: the text of `smartctl -a` (-x) as sos stores it, and the JSON of
// `smartctl -j -x`. ATA, NVMe and SCSI devices share one record.
#ifndef QZA_MACHINE_PARSERS_SMART_H
#define QZA_MACHINE_PARSERS_SMART_H

#include <string>
#include <vector>

#include "machine/parsers/records.h"

namespace NVKXQZA20::NMachine {

struct TSmartAttribute {
  unsigned fId = 0;
  std::string fName;  // "Reallocated_Sector_Ct"
  std::string fFlags;  // "0x0033" or "PO--CK"
  std::optional<unsigned> fValue;
  std::optional<unsigned> fWorst;
  std::optional<unsigned> fThreshold;
  std::string fWhenFailed;  // "-", "FAILING_NOW", "In_the_past"
  std::string fRaw;         // as printed: "0", "35 (Min/Max 20/41)"
};

struct TSmartDevice {
  std::string fProtocol;  // "ATA", "NVMe", "SCSI", "" when unknown
  std::string fModelFamily;
  std::string fModel;
  std::string fSerial;
  std::string fFirmware;
  std::string fVendor;  // SCSI "Vendor"
  std::optional<unsigned long long> fCapacityBytes;
  std::string fRotationRate;  // "7200 rpm", "Solid State Device"
  std::string fFormFactor;
  // "PASSED", "FAILED" (ATA/NVMe) or "OK" (SCSI health status); "" when not
  // printed (SMART unavailable or needing root).
  std::string fHealth;
  std::optional<int> fTemperatureCelsius;
  std::optional<unsigned long long> fPowerOnHours;
  std::vector<TSmartAttribute> fAttributes;  // ATA
  // The information section and NVMe's health log as name/value ("Critical
  // Warning", "Percentage Used", "Media and Data Integrity Errors", ...).
  TFieldBlock fInformation;
  TFieldBlock fHealthLog;
  // Other sections ("SMART Error Log Version", self-test logs ...), as text.
  std::vector<TRawSection> fSections;
  std::vector<TParseWarning> fWarnings;
};

TSmartDevice ParseSmartctlText(const std::string& text);
TSmartDevice ParseSmartctlJson(const std::string& text);

}  // namespace NVKXQZA20::NMachine

#endif
