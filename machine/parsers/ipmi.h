// ipmitool outputs: `sel elist` (and `sel list`), `sdr elist` (and `sensor
// list`), `fru` (fru print) and `mc info`.
#ifndef QZA_MACHINE_PARSERS_IPMI_H
#define QZA_MACHINE_PARSERS_IPMI_H

#include <string>
#include <vector>

#include "machine/parsers/records.h"

namespace NVKXQZA20::NMachine {

struct TSelEvent {
  size_t fLine = 0;
  std::string fId;  // the record id, hex as printed ("1a")
  std::string fDate;  // "04/05/2026", "Pre-Init"
  std::string fTime;
  std::string fSensor;  // "Power Supply #0x51", "Temperature CPU1 Temp"
  std::string fEvent;   // "Failure detected"
  std::string fDirection;  // "Asserted", "Deasserted", ""
  std::string fDetail;     // further columns, joined by " | "
};
struct TSelEvents {
  std::vector<TSelEvent> fEvents;
  std::vector<TParseWarning> fWarnings;
};
TSelEvents ParseIpmiSel(const std::string& text);

struct TSdrSensor {
  size_t fLine = 0;
  std::string fName;
  std::string fId;        // "30h"
  std::string fStatus;    // "ok", "ns", "cr", "nr", "lnc" ...
  std::string fEntity;    // "3.1"
  std::string fReading;   // "40 degrees C", "Presence detected", "No Reading"
  std::optional<double> fValue;  // the number of a reading with a unit
  std::string fUnit;             // "degrees C", "RPM", "Volts", "Watts"
};
struct TSdrSensors {
  std::vector<TSdrSensor> fSensors;
  std::vector<TParseWarning> fWarnings;
};
// Reads `sdr elist` rows and also the ten-column rows of `sensor list`, the
// form sos stores (no id nor entity there).
TSdrSensors ParseIpmiSdr(const std::string& text);

// `fru`: one block per FRU device; the block's first field is "FRU Device
// Description" ("Builtin FRU Device (ID 0)"), then "Board Mfg", "Product
// Serial", ...
struct TFruDevices {
  std::vector<TFieldBlock> fDevices;
  std::vector<TParseWarning> fWarnings;
};
TFruDevices ParseIpmiFru(const std::string& text);

// `mc info`: "Device ID", "Firmware Revision", "IPMI Version", "Manufacturer
// Name", ...; "Additional Device Support" and "Aux Firmware Rev Info" are
// fields with lists.
struct TMcInfo {
  TFieldBlock fFields;
  std::vector<TParseWarning> fWarnings;
};
TMcInfo ParseIpmiMcInfo(const std::string& text);

}  // namespace NVKXQZA20::NMachine

#endif
