#include <unistd.h>

#include <system_error>

#include "tests/custom/custom_page_testing.h"

namespace {

const char kController[] = R"(
  class VKXSG_krSCSIProtocolController {
    [Key] string DeviceID; uint8 ControllerNum; string ControllerType; string ControllerStatus; string SerialNum; };
  instance of VKXSG_krSCSIProtocolController as $Kr {
    DeviceID = "KR-1"; ControllerNum = 1; ControllerType = "KeelRAID-8i"; ControllerStatus = "Okay"; };
)";

const char kControllerParts[] = R"(
  class VKXSG_krBiosVersion { [Key] string Name; string Version; };
  [Association] class VKXSG_krBiosOnController {
    [Key] VKXSG_krBiosVersion REF Antecedent; [Key] VKXSG_krSCSIProtocolController REF Dependent; };
  class VKXSG_krFirmwareVersion { [Key] string Name; string Version; };
  [Association] class VKXSG_krFirmwareOnController {
    [Key] VKXSG_krFirmwareVersion REF Antecedent; [Key] VKXSG_krSCSIProtocolController REF Dependent; };
  class VKXSG_krLogicalDisk { [Key] string DeviceID; uint8 LogicalDriveNum; string RaidLevel; };
  [Association] class VKXSG_krProtocolControllerForUnit {
    [Key] VKXSG_krSCSIProtocolController REF Antecedent; [Key] VKXSG_krLogicalDisk REF Dependent; };
  class VKXSG_krDiskGroup { [Key] string InstanceID; string Array; string LogicalDrive; };
  [Association] class VKXSG_krStripeOrderForController {
    [Key] VKXSG_krSCSIProtocolController REF Antecedent; [Key] VKXSG_krDiskGroup REF Dependent; };
  class VKXSG_krDiskDrive { [Key] string DeviceID; uint8 Channel; uint8 ScsiId; string State; };
  [Association] class VKXSG_krProtocolControllerForPhysicalDisk {
    [Key] VKXSG_krSCSIProtocolController REF Antecedent; [Key] VKXSG_krDiskDrive REF Dependent; };

  instance of VKXSG_krBiosVersion as $Bios { Name = "bios"; Version = "11.4"; };
  instance of VKXSG_krBiosOnController { Antecedent = $Bios; Dependent = $Kr; };
  instance of VKXSG_krFirmwareVersion as $Fw { Name = "fw"; };
  instance of VKXSG_krFirmwareOnController { Antecedent = $Fw; Dependent = $Kr; };
  instance of VKXSG_krLogicalDisk as $Ld1 { DeviceID = "LD1"; LogicalDriveNum = 1; RaidLevel = "RAID 5"; };
  instance of VKXSG_krLogicalDisk as $Ld0 { DeviceID = "LD0"; LogicalDriveNum = 0; };
  instance of VKXSG_krProtocolControllerForUnit { Antecedent = $Kr; Dependent = $Ld1; };
  instance of VKXSG_krProtocolControllerForUnit { Antecedent = $Kr; Dependent = $Ld0; };
  instance of VKXSG_krDiskGroup as $ArrB { InstanceID = "B"; Array = "B"; LogicalDrive = "12"; };
  instance of VKXSG_krStripeOrderForController { Antecedent = $Kr; Dependent = $ArrB; };
  instance of VKXSG_krDiskDrive as $Pd { DeviceID = "PD0"; Channel = 0; ScsiId = 3; State = "Online"; };
  instance of VKXSG_krProtocolControllerForPhysicalDisk { Antecedent = $Kr; Dependent = $Pd; };
)";

const char kRawData[] = R"(
  class VKXSG_krRawData { [Key] string InstanceID; string Command; string RawResults[]; };
  instance of VKXSG_krRawData { InstanceID = "r0"; Command = "krcmd GETCONFIG"; RawResults = { "line 1", "line 2" }; };
  instance of VKXSG_krRawData { InstanceID = "r1"; Command = "krcmd GETLOGS"; };
)";

const char kSubStatData[] = R"(
  class VKXSG_krSCSISubStatData { [Key] string InstanceID; uint8 ControllerNum; string Params; };
  instance of VKXSG_krSCSISubStatData { InstanceID = "s0"; ControllerNum = 1; Params = "Wide"; };
)";

class KeelRAIDPage : public CustomPageTest {};

TEST_F(KeelRAIDPage, MissingDataRateClassIsLoggedAndLeftOut) {
  fMode = "luz";
  Load(kController);
  TLogCapture log;
  fWriter.WriteKeelRAIDReport(fCatalog, "KRaid");
  EXPECT_TRUE(log.Has(3,
                      "TWriter::WriteKeelRAIDReport -- Exception when getting class [VKXSG_krSCSISubStatData] "
                      "under LUZ mode"));
  EXPECT_EQ(Calls({"RegisterPage"}), (TCalls{"RegisterPage(KRaid, KeelRAID, true)"}));
}

TEST_F(KeelRAIDPage, DataRateTitleStandsWithoutRows) {
  fMode = "luz";
  Load(std::string(kController) + "class VKXSG_krSCSISubStatData { [Key] string InstanceID; };");
  fWriter.WriteKeelRAIDReport(fCatalog, "KRaid");
  EXPECT_EQ(Calls({"WriteTableTitle", "WriteTableGrid"}),
            (TCalls{"WriteTableTitle(Controller 1, false, false)",
                    "WriteTableTitle(Operating Data Rate of Disk, false, false)"}));
}

TEST_F(KeelRAIDPage, UnwritableResultFileLeavesNoPageAndNoFileBehind) {
  TScratchFolder output;
  fMode = "luz";
  Load(std::string(kController) + kRawData);
  const std::string missingFolder = output.File("missing");
  fWriter.SetOutputFolder(missingFolder);
  try {
    fWriter.WriteKeelRAIDReport(fCatalog, "KRaid");
    FAIL() << "no exception";
  } catch (const std::system_error& error) {
    EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory);
    EXPECT_NE(std::string(error.what()).find(missingFolder + "/kr_RawData_Results_0.txt"), std::string::npos);
  }
  EXPECT_TRUE(Calls({"OpenPage", "RegisterPage"}).empty());

  WritePage("KRaid");  // the report absorbs the failure and goes on
  EXPECT_TRUE(Calls({"OpenPage", "RegisterPage"}).empty());
  EXPECT_TRUE(output.Files().empty());
}

TEST_F(KeelRAIDPage, ReadOnlyOutputFolderIsReportedAsAccessDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  TScratchFolder output;
  std::filesystem::permissions(output.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  fMode = "luz";
  Load(std::string(kController) + kRawData);
  fWriter.SetOutputFolder(output.Path());
  try {
    fWriter.WriteKeelRAIDReport(fCatalog, "KRaid");
    FAIL() << "no exception";
  } catch (const std::system_error& error) {
    EXPECT_EQ(error.code(), std::errc::permission_denied);
  }
  std::filesystem::permissions(output.Path(), std::filesystem::perms::owner_all);
}

const char kLogs[] = R"(
  class VKXSG_LogRecord { [Key] string RecordID; datetime MessageTimestamp; string Message; };
  class VKXSG_LogRecord_RAIDMgrEvent : VKXSG_LogRecord { string Severity; };
  class VKXSG_LogRecord_HardEvent : VKXSG_LogRecord {};
  class VKXSG_LogRecord_SoftEvent : VKXSG_LogRecord {};
  instance of VKXSG_LogRecord_HardEvent { RecordID = "h1"; };
  instance of VKXSG_LogRecord_HardEvent { RecordID = "h2"; };
)";

TEST_F(KeelRAIDPage, ManagerEventsKeepTheirOrderWhenTheManagerIsMissing) {
  Load(std::string(kLogs) + R"(
    instance of VKXSG_LogRecord_RAIDMgrEvent {
      RecordID = "2"; MessageTimestamp = "20261111000000.000000+000"; Message = "RAID Manager is not installed."; };
    instance of VKXSG_LogRecord_RAIDMgrEvent { RecordID = "1"; MessageTimestamp = "20261110000000.000000+000"; };)");
  fWriter.WriteKeelRAIDLogsReport(fCatalog, "KRaidLogs");
  EXPECT_EQ(GridRows(fWriter.fGrids.at(0)).at(1).substr(0, 10), "2026-11-11");
}

TEST_F(KeelRAIDPage, LuzModeWithHtmlWriterLinksTheLogsToTheManagerRawDataPage) {
  TScratchFolder output;
  fMode = "luz";
  Load(std::string(kLogs) + R"(
    class VKXSG_krManagerRawData { [Key] string InstanceID; string Command; string RawResults[]; };
    instance of VKXSG_krManagerRawData { InstanceID = "m0"; Command = "krmgr events"; RawResults = { "event 1" }; };)");
  fWriter.SetOutputFolder(output.Path());
  fWriter.WriteKeelRAIDLogsReport(fCatalog, "KRaidLogs");
  const std::string out = output.Path();
  EXPECT_EQ(Calls({"OpenPage", "WritePageTitle", "WriteTableGrid", "ClosePage", "RegisterPage"}),
            (TCalls{"OpenPage(" + out + "/krmanager_rawData_index)",
                    "WritePageTitle(KeelRAID Manager Raw Data Infomation, - [Show Standard Report], keelRaidlogs)",
                    "WriteTableGrid(2x2)", "ClosePage()", "OpenPage(" + out + "/keelRaidlogs)",
                    "WritePageTitle(KeelRAID Logs, - [Show Rawdata Report], krmanager_rawData_index)", "ClosePage()",
                    "RegisterPage(keelRaidlogs, KeelRAID Logs, true)"}));
  EXPECT_EQ(GridRows(fWriter.fGrids.at(0)).at(1),
            "<font face=\"Courier\">krmgr events</font> | <a href=\"kr_Manager_RawData_Results_0.txt\">View Results</a>");
  EXPECT_EQ(output.Files(), (TCalls{"kr_Manager_RawData_Results_0.txt"}));
  EXPECT_EQ(output.Read("kr_Manager_RawData_Results_0.txt"), "event 1\n");
}

}  // namespace
