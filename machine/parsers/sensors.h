// lm-sensors: the text of `sensors` and the JSON of `sensors -j`.
#ifndef QZA_MACHINE_PARSERS_SENSORS_H
#define QZA_MACHINE_PARSERS_SENSORS_H

#include <string>
#include <vector>

#include "machine/parsers/records.h"

namespace NVKXQZA20::NMachine {

struct TSensorReading {
  std::string fLabel;  // "Core 0", "fan1", "in0"
  std::optional<double> fValue;
  std::string fUnit;  // "°C", "RPM", "V", "W", "A", "J", "%", "" when none
  // Limits printed in parentheses ("high", "crit", "min", "max", "hyst", ...)
  std::vector<std::pair<std::string, double>> fLimits;
  bool fAlarm = false;  // "ALARM" printed, or a JSON *_alarm of 1
};

struct TSensorChip {
  size_t fLine = 0;
  std::string fName;  // "coretemp-isa-0000"
  std::string fAdapter;
  std::vector<TSensorReading> fReadings;
};

struct TSensors {
  std::vector<TSensorChip> fChips;
  // A block that opens with no chip name, such as "No sensors found!" and its
  // advice.
  std::vector<TRawSection> fUnknown;
  std::vector<TParseWarning> fWarnings;
};

TSensors ParseSensors(const std::string& text);
TSensors ParseSensorsJson(const std::string& text);

}  // namespace NVKXQZA20::NMachine

#endif
