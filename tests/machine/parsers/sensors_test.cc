// lm-sensors text and JSON.
#include "machine/parsers/sensors.h"

#include <gtest/gtest.h>

#include "tests/machine/parsers/parsed_summary.h"

namespace NVKXQZA20::NMachine {
namespace {

std::string Summary(const TSensors& sensors) {
  std::string text;
  for (const TSensorChip& chip : sensors.fChips) {
    text += chip.fName + " (" + chip.fAdapter + ")\n";
    for (const TSensorReading& r : chip.fReadings) {
      text += "  " + r.fLabel + " " + Text(r.fValue) + " " + r.fUnit + (r.fAlarm ? " ALARM" : "");
      for (const auto& [name, value] : r.fLimits) text += " " + name + "=" + Text(std::optional<double>(value));
      text += "\n";
    }
  }
  for (const TRawSection& section : sensors.fUnknown) text += std::to_string(section.fLine) + "? " + section.fText + "\n";
  return text + WarningLines(sensors.fWarnings);
}

TEST(Sensors, TextAndJson) {
  struct TCase {
    TSensors (*fParse)(const std::string&);
    const char* fText;
    const char* fExpected;
  } cases[] = {
      {ParseSensors,
       "terncore-isa-0000\nAdapter: ISA adapter\n"
       "Package id 0:  +45.0°C  (high = +80.0°C, crit = +100.0°C)\n"
       "fan1:          1200 RPM  (min =    0 RPM)  ALARM\n"
       "in0:            +0.86 V  (min =  +0.00 V, max =  +1.74 V)\n"
       "temp2:         +38.0°C  (high = +80.0°C)\n"
       "                        (crit = +95.0°C)\n"
       "intrusion0:    ALARM\n"
       "stray words\n"
       "\nNo sensors found!\nMake sure you loaded all the kernel drivers you need.\n",
       "terncore-isa-0000 (ISA adapter)\n"
       "  Package id 0 45 °C high=80 crit=100\n"
       "  fan1 1200 RPM ALARM min=0\n"
       "  in0 0.86 V min=0 max=1.74\n"
       "  temp2 38 °C high=80 crit=95\n"
       "  intrusion0 -  ALARM\n"
       "11? No sensors found!\nMake sure you loaded all the kernel drivers you need.\n"
       "W9"},
      {ParseSensorsJson,
       R"({"ternpsu-i2c-1-58": {"Adapter": "i2c adapter",
           "fan1": {"fan1_input": 3200.0, "fan1_min": 500.0, "fan1_alarm": 1.0},
           "power1": {"power1_input": 120.5}}})",
       "ternpsu-i2c-1-58 (i2c adapter)\n  fan1 3200 RPM ALARM min=500\n  power1 120.5 W\n"},
  };
  for (const TCase& c : cases) EXPECT_EQ(Summary(c.fParse(c.fText)), c.fExpected) << c.fText;
}

}  // namespace
}  // namespace NVKXQZA20::NMachine
