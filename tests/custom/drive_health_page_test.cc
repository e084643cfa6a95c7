#include "tests/custom/custom_page_testing.h"

namespace {

const char kATADrive[] = R"(
  class OMC_ATADevice { [Key] string DeviceID; string VendorID; string ProductID; };
  class OMC_IDESMARTErrorLog { [Key] string Name; string smartStatus; string selftestExecutionStatus; };
  class OMC_IDESMARTAttrib { [Key] string InstanceID; uint8 attribID; string attribName; uint8 rawVal[]; };
  class OMC_IDESMARTError { [Key] string RecordID; string deviceState; datetime MessageTimestamp; };
  class OMC_IDESMARTErrorCmdData { [Key] string InstanceID; uint8 commandId; string timestamp; };
  [Association] class OMC_IDESMARTUseOfMessageLog {
    [Key] OMC_IDESMARTErrorLog REF Antecedent; [Key] OMC_ATADevice REF Dependent; };
  [Association] class OMC_IDESMARTElementStatisticalData {
    [Key] OMC_ATADevice REF ManagedElement; [Key] OMC_IDESMARTAttrib REF Stats; };
  [Association] class OMC_IDESMARTRecordInLog {
    [Key] OMC_IDESMARTErrorLog REF LogInstance; [Key] OMC_IDESMARTError REF MessageLogRecord; };
  [Association] class OMC_IDESMARTLogCmdData {
    [Key] OMC_IDESMARTError REF Antecedent; [Key] OMC_IDESMARTErrorCmdData REF Dependent; };

  instance of OMC_ATADevice as $Disk { DeviceID = "sda"; VendorID = "ATA"; ProductID = "SSD 240"; };
  instance of OMC_IDESMARTErrorLog as $Log { Name = "sda log"; smartStatus = "PASSED"; };
  instance of OMC_IDESMARTUseOfMessageLog { Antecedent = $Log; Dependent = $Disk; };
  instance of OMC_IDESMARTAttrib as $A9 { InstanceID = "a9"; attribID = 9; attribName = "Power_On_Hours"; };
  instance of OMC_IDESMARTAttrib as $A5 { InstanceID = "a5"; attribID = 5; rawVal = { 1, 0, 2 }; };
  instance of OMC_IDESMARTElementStatisticalData { ManagedElement = $Disk; Stats = $A9; };
  instance of OMC_IDESMARTElementStatisticalData { ManagedElement = $Disk; Stats = $A5; };
  instance of OMC_IDESMARTError as $E2 { RecordID = "2"; deviceState = "Active"; };
  instance of OMC_IDESMARTError as $E1 { RecordID = "1"; deviceState = "Idle"; };
  instance of OMC_IDESMARTRecordInLog { LogInstance = $Log; MessageLogRecord = $E2; };
  instance of OMC_IDESMARTRecordInLog { LogInstance = $Log; MessageLogRecord = $E1; };
  instance of OMC_IDESMARTErrorCmdData as $C { InstanceID = "c"; commandId = 200; };
  instance of OMC_IDESMARTLogCmdData { Antecedent = $E1; Dependent = $C; };
)";

const char kTapeClass[] = R"(
  class VKXSG_TapeDriveSensePageData {
    [Key] string InstanceID; string DeviceName; boolean cleanNow; uint32 timeToClean; uint32 totalLoads; };
)";

class DriveHealthPage : public CustomPageTest {};

// One tape record per case; the cleaning indicators end the table.
TEST_F(DriveHealthPage, TapeTimeToCleanIsShownOnlyWhileNoCleaningIsAsked) {
  const struct {
    const char* fRecord;
    TCalls fCleaningRows;
  } cases[] = {
      {"cleanNow = FALSE; timeToClean = 40;",
       {"WriteDriveHealthTable(cleanNow)", "WriteDriveHealthTable(timeToClean)"}},
      {"cleanNow = TRUE; timeToClean = 0;", {"WriteDriveHealthTable(cleanNow)"}},
      {"timeToClean = 40;", {"WriteDriveHealthTable(timeToClean)"}},
  };
  for (const auto& tape : cases) {
    Load(std::string(kTapeClass) + "instance of VKXSG_TapeDriveSensePageData { InstanceID = \"t\"; " +
         "DeviceName = \"st0\"; totalLoads = 12; " + tape.fRecord + " };");
    fWriter.WriteDriveHealthReport(fCatalog, "DriveHealth");
    TCalls rows = {"WriteDriveHealthTable(InstanceID)", "WriteDriveHealthTable(DeviceName)",
                   "WriteDriveHealthTable(totalLoads)"};
    rows.insert(rows.end(), tape.fCleaningRows.begin(), tape.fCleaningRows.end());
    EXPECT_EQ(Calls({"WriteDriveHealthTable"}), rows) << tape.fRecord;
    EXPECT_EQ(Calls({"WriteDeclarationCell"}).size(), rows.size());
    EXPECT_EQ(Calls({"WriteTableTitle", "BeginPropertyTable"}),
              (TCalls{"WriteTableTitle(Tape Drive Sense Data, false, false)", "BeginPropertyTable(100%, 40%, st0)"}));
    EXPECT_EQ(Calls({"RegisterPage"}), (TCalls{"RegisterPage(Drive_Health, Drive Health, true)"}));
  }
}

}  // namespace
