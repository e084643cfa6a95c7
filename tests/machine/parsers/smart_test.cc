// smartctl's text (ATA, NVMe, SCSI, a device it could not open) and JSON.
#include "machine/parsers/smart.h"

#include <gtest/gtest.h>

#include "tests/machine/parsers/parsed_summary.h"

namespace NVKXQZA20::NMachine {
namespace {

std::string Summary(const TSmartDevice& d) {
  std::string text = d.fProtocol + "|" + d.fModelFamily + "|" + d.fModel + "|" + d.fVendor + "|" + d.fSerial + "|" +
                     d.fFirmware + "|" + Text(d.fCapacityBytes) + "|" + d.fRotationRate + "|" + d.fHealth + "|" +
                     Text(d.fTemperatureCelsius) + "|" + Text(d.fPowerOnHours) + "\n";
  for (const TSmartAttribute& a : d.fAttributes)
    text += std::to_string(a.fId) + " " + a.fName + " " + a.fFlags + " " + Text(a.fValue) + " " + Text(a.fWorst) +
            " " + Text(a.fThreshold) + " " + a.fWhenFailed + " " + a.fRaw + "\n";
  for (const TRawSection& section : d.fSections) text += "[" + section.fTitle + "]\n";
  return text + WarningLines(d.fWarnings);
}

const char kBanner[] =
    "smartctl 7.3 2022-02-28 r5338 [x86_64-linux-6.1.0] (local build)\n"
    "Copyright (C) 2002-22, Bruce Allen, Christian Franke, www.smartmontools.org\n\n";

TEST(Smart, TextOfAtaNvmeScsiAndFailures) {
  struct TCase {
    std::string fText;
    const char* fExpected;
  } cases[] = {
      {std::string(kBanner) +
           "=== START OF INFORMATION SECTION ===\nModel Family:     Tern Spinners\nDevice Model:     TX-2000\n"
           "Serial Number:    TS0001\nFirmware Version: TF01\n"
           "User Capacity:    2,000,398,934,016 bytes [2.00 TB]\nRotation Rate:    7200 rpm\n\n"
           "=== START OF READ SMART DATA SECTION ===\n"
           "SMART overall-health self-assessment test result: PASSED\n"
           "See vendor-specific Attribute list for marginal Attributes.\n\n"
           "General SMART Values:\nOffline data collection status:  (0x82)\tOffline data collection activity\n"
           "\t\t\t\t\twas completed without error.\n\n"
           "SMART Attributes Data Structure revision number: 16\nVendor Specific SMART Attributes with Thresholds:\n"
           "ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      UPDATED  WHEN_FAILED RAW_VALUE\n"
           "  5 Reallocated_Sector_Ct   0x0033   100   100   010    Pre-fail  Always       -       8\n"
           "  9 Power_On_Hours          0x0032   091   091   000    Old_age   Always       -       40123\n"
           "194 Temperature_Celsius     0x0022   035   045   000    Old_age   Always       -       35 (Min/Max 20/45)\n"
           "  x broken\n",
       "ATA|Tern Spinners|TX-2000||TS0001|TF01|2000398934016|7200 rpm|PASSED|35|40123\n"
       "5 Reallocated_Sector_Ct 0x0033 100 100 10 - 8\n9 Power_On_Hours 0x0032 91 91 0 - 40123\n"
       "194 Temperature_Celsius 0x0022 35 45 0 - 35 (Min/Max 20/45)\n"
       "[SMART overall-health self-assessment test result: PASSED]\n[General SMART Values:]\n"
       "[SMART Attributes Data Structure revision number: 16]\nW26"},
      {std::string(kBanner) +
           "=== START OF SMART DATA SECTION ===\n"
           "ID# ATTRIBUTE_NAME          FLAGS    VALUE WORST THRESH FAIL RAW_VALUE\n"
           "  5 Reallocated_Sector_Ct   PO--CK   100   100   010    -    0\n"
           "                            ||||||_ K auto-keep\n",
       "||||||-|||-|-\n5 Reallocated_Sector_Ct PO--CK 100 100 10 - 0\n"},
      {std::string(kBanner) +
           "=== START OF INFORMATION SECTION ===\nModel Number:                       Tern NV 1T\n"
           "Serial Number:                      TN0001\nFirmware Version:                   N1\n"
           "Total NVM Capacity:                 1,000,204,886,016 [1.00 TB]\n\n"
           "Supported Power States\nSt Op     Max   Active     Idle   RL RT WL WT  Ent_Lat  Ex_Lat\n"
           " 0 +     7.80W       -        -    0  0  0  0        0       0\n\n"
           "=== START OF SMART DATA SECTION ===\nSMART overall-health self-assessment test result: FAILED!\n\n"
           "SMART/Health Information (NVMe Log 0x02)\nCritical Warning:                   0x04\n"
           "Temperature:                        41 Celsius\nPower On Hours:                     3,521\n",
       "NVMe||Tern NV 1T||TN0001|N1|1000204886016||FAILED!|41|3521\n[Supported Power States]\n"},
      {std::string(kBanner) +
           "=== START OF INFORMATION SECTION ===\nVendor:               TERN\nProduct:              TS600\n"
           "Revision:             0004\nUser Capacity:        600,127,266,816 bytes [600 GB]\n"
           "Serial number:        TSC01\n\n"
           "=== START OF READ SMART DATA SECTION ===\nSMART Health Status: OK\n\n"
           "Current Drive Temperature:     32 C\nDrive Trip Temperature:        65 C\n\n"
           "Manufactured in week 45 of year 2013\nAccumulated power on time, hours:minutes 38195:47\n",
       "SCSI||TS600|TERN|TSC01|0004|600127266816||OK|32|38195\n"
       "[Manufactured in week 45 of year 2013]\n"},
      {std::string(kBanner) + "Smartctl open device: /dev/sdz failed: Permission denied\n",
       "||||||-|||-|-\n[Smartctl open device: /dev/sdz failed: Permission denied]\n"},
  };
  for (const TCase& c : cases) EXPECT_EQ(Summary(ParseSmartctlText(c.fText)), c.fExpected) << c.fText;
}

TEST(Smart, JsonOfAnAtaDevice) {
  TSmartDevice device = ParseSmartctlJson(R"({
    "smartctl": {"messages": [{"string": "Warning: tern firmware bug", "severity": "warning"}]},
    "device": {"protocol": "ATA"}, "model_family": "Tern Spinners", "model_name": "TX-2000",
    "serial_number": "TS0001", "firmware_version": "TF01", "user_capacity": {"bytes": 2000398934016},
    "rotation_rate": 0, "smart_status": {"passed": false}, "temperature": {"current": 35},
    "power_on_time": {"hours": 40123},
    "ata_smart_attributes": {"table": [{"id": 5, "name": "Reallocated_Sector_Ct", "value": 1, "worst": 1,
      "thresh": 10, "when_failed": "now", "flags": {"string": "PO--CK "}, "raw": {"string": "2000"}}]}})");
  EXPECT_EQ(Summary(device),
            "ATA|Tern Spinners|TX-2000||TS0001|TF01|2000398934016|Solid State Device|FAILED|35|40123\n"
            "5 Reallocated_Sector_Ct PO--CK  1 1 10 now 2000\nW0");
  EXPECT_EQ(WarningLines(ParseSmartctlJson("{").fWarnings), "W1");
}

}  // namespace
}  // namespace NVKXQZA20::NMachine
