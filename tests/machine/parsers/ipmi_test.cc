// ipmitool sel elist, sdr elist, fru and mc info.
#include "machine/parsers/ipmi.h"

#include <gtest/gtest.h>

#include "tests/machine/parsers/parsed_summary.h"

namespace NVKXQZA20::NMachine {
namespace {

TEST(Ipmi, SelAndSdrRows) {
  TSelEvents events = ParseIpmiSel(
      "   1 | 12/06/2026 | 22:10:05 | Power Supply #0x51 | Failure detected | Asserted\n"
      "   2 | Pre-Init  |  0000000001 | Temperature Inlet | Upper Critical going high | Asserted | Reading 48 > "
      "Threshold 45 degrees C\n"
      "  1a | 12/07/2026 | 01:00:00 | Event Logging Disabled #0x07 | Log area reset/cleared\n"
      "garbage\n");
  std::string sel;
  for (const TSelEvent& e : events.fEvents)
    sel += e.fId + "|" + e.fDate + "|" + e.fTime + "|" + e.fSensor + "|" + e.fEvent + "|" + e.fDirection + "|" +
           e.fDetail + "\n";
  EXPECT_EQ(sel + WarningLines(events.fWarnings),
            "1|12/06/2026|22:10:05|Power Supply #0x51|Failure detected|Asserted|\n"
            "2|Pre-Init|0000000001|Temperature Inlet|Upper Critical going high|Asserted|Reading 48 > Threshold 45 "
            "degrees C\n"
            "1a|12/07/2026|01:00:00|Event Logging Disabled #0x07|Log area reset/cleared||\nW4");

  TSdrSensors sensors = ParseIpmiSdr(
      "Inlet Temp       | 04h | ok  |  7.1 | 24 degrees C\nPS1 Status       | 62h | ok  | 10.1 | Presence detected\n"
      "Fan 2            | 31h | ns  | 29.2 | No Reading\n"
      "Fan1             | 5400.000   | RPM        | ok    | na        | 600.000   | na        | na        | na        | na\n"
      "PS1 Status       | 0x1        | discrete   | 0x0100| na        | na        | na        | na        | na        | na\n"
      "short | row\n");
  std::string sdr;
  for (const TSdrSensor& s : sensors.fSensors)
    sdr += s.fName + "|" + s.fId + "|" + s.fStatus + "|" + s.fEntity + "|" + s.fReading + "|" + Text(s.fValue) + "|" +
           s.fUnit + "\n";
  EXPECT_EQ(sdr + WarningLines(sensors.fWarnings),
            "Inlet Temp|04h|ok|7.1|24 degrees C|24|degrees C\nPS1 Status|62h|ok|10.1|Presence detected|-|\n"
            "Fan 2|31h|ns|29.2|No Reading|-|\nFan1||ok||5400.000 RPM|5400|RPM\n"
            "PS1 Status||0x0100||0x1 discrete|-|\nW6");
}

TEST(Ipmi, FruDevicesAndMcInfo) {
  TFruDevices fru = ParseIpmiFru(
      "stray\nFRU Device Description : Builtin FRU Device (ID 0)\n Board Mfg Date        : Mon Dec  7 00:00:00 2026\n"
      " Board Mfg             : Tern Boards\n\nFRU Device Description : PSU1 (ID 1)\n"
      " Device not present (Requested sensor, data, or record not found)\n");
  std::string text;
  for (const TFieldBlock& device : fru.fDevices) text += Fields(device) + "\n";
  EXPECT_EQ(text + WarningLines(fru.fWarnings),
            "FRU Device Description=Builtin FRU Device (ID 0);Board Mfg Date=Mon Dec  7 00:00:00 2026;"
            "Board Mfg=Tern Boards\n"
            "FRU Device Description=PSU1 (ID 1);Device not present (Requested sensor, data, or record not found)=\nW1");

  TMcInfo mc = ParseIpmiMcInfo(
      "Device ID                 : 32\nFirmware Revision         : 4.10\nAdditional Device Support :\n"
      "    Sensor Device\n    SDR Repository Device\nAux Firmware Rev Info     : \n    0x00\n");
  EXPECT_EQ(Fields(mc.fFields),
            "Device ID=32;Firmware Revision=4.10;Additional Device Support=[Sensor Device,SDR Repository Device];"
            "Aux Firmware Rev Info=[0x00]");
}

}  // namespace
}  // namespace NVKXQZA20::NMachine
