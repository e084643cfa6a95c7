#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/custom/device_schema.h"
#include "tests/custom/failing_namespace.h"

namespace {

using NVKXQZA20::TCIMContext;
typedef std::vector<std::string> Lines;

class TLSIWriter : public TTranscriptWriter {
 public:
  using TWriter::isCardinalSupport;
  using TWriter::isLSIIntegratedRaid1030Exsited;
  using TWriter::isLSIRawDataPresent;
  using TWriter::isMRRawDataPresent;
};

// A legacy controller with its BIOS and firmware, in a rebuild.
const char kLegacyController[] = R"(
  instance of VKXSG_LSISCSIProtocolController as $c0 {
    ControllerNum = "0"; ControllerType = "LSI 53C1068"; LSIType = 3; SCSIChannelDescription = "SAS";
    InitiatorIDs = "7"; CurrentOperation = "Rebuild"; VolumeID = "v0"; LogicalDriveInProgress = "1";
    VolumeStatus = "Degraded"; VolumeState = "Enabled"; LogicalDriveSize = "100";
    NumRemainingSectors = "40"; PercentComplete = "60"; };
  instance of VKXSG_LSIBIOSElement as $bios0 { Name = "BIOS 0"; Version = "6.10"; };
  instance of VKXSG_LSIFirmwareElement as $fw0 { Name = "Firmware 0"; Version = "1.20"; };
  instance of VKXSG_LSIControllerBIOSElement { Antecedent = $c0; Dependent = $bios0; };
  instance of VKXSG_LSIControllerFirmwareElement { Antecedent = $c0; Dependent = $fw0; };
)";

// A 1030 integrated-mirroring controller, idle.
const char k1030Controller[] = R"(
  instance of VKXSG_LSISCSIProtocolController as $m0 {
    ControllerNum = "1"; ControllerType = "LSI 53C1030"; LSIType = 3; SCSIChannelDescription = "U320";
    InitiatorIDs = "7"; CurrentOperation = "None"; VolumeID = "v1"; LogicalDriveInProgress = "0";
    VolumeStatus = "Optimal"; VolumeState = "Enabled"; };
  instance of VKXSG_LSILogicalDisk as $im0 {
    VolumeID = "v1"; VolumeNumber = "1"; VolumeStatus = "Optimal"; RAIDLevel = "IM"; BlockSize = "512";
    PhysicalHardDisks = "2"; };
  instance of VKXSG_LSIProtocolControllerForUnit { Antecedent = $m0; Dependent = $im0; };
)";

// A MegaRAID controller of the vendor provider with its card, an enclosure,
// two volumes (one with two member extents) and two drives.
const char kMegaRaidController[] = R"(
  instance of LSIESG_MegaRAIDHBA as $hba { Name = "hba0"; ElementName = "MegaRAID SAS 9260"; };
  instance of LSIESG_PhysicalCard as $card { Tag = "card0"; Model = "9260-8i"; };
  instance of LSIESG_EnclosureChassis as $box { Tag = "box0"; Model = "Backplane"; };
  instance of LSIESG_ControllerBIOSIdentity as $cbios { InstanceID = "cb"; VersionString = "3.18"; };
  instance of LSIESG_ControllerFirmwareIdentity as $cfw { InstanceID = "cf"; VersionString = "2.120"; };
  instance of LSIESG_FirmwarePackageIdentity as $pkg { InstanceID = "pk"; VersionString = "12.12.0"; };
  instance of LSIESG_StorageVolume as $vol2 { Name = "VD 2"; OperationalStatus = "OK"; };
  instance of LSIESG_StorageVolume as $vol1 { Name = "VD 1"; OperationalStatus = "Degraded"; };
  instance of LSIESG_StorageVolumeSetting as $raid1 { ElementName = "RAID 1"; };
  instance of LSIESG_DiskExtent as $ext2 { Name = "extent 2"; OperationalStatus = "OK"; BlockSize = 512; };
  instance of LSIESG_DiskExtent as $ext1 { Name = "extent 1"; OperationalStatus = "OK"; BlockSize = 4096; };
  instance of LSIESG_DiskDrive as $disk10 { Name = "Disk 10"; ElementName = "ST300"; OperationalStatus = "OK"; };
  instance of LSIESG_DiskDrive as $disk2 { Name = "Disk 2"; ElementName = "ST600"; OperationalStatus = "OK"; };
  instance of LSIESG_PhysicalDrive as $fru2 { FRUNumber = "FRU-2"; };
  instance of LSIESG_DriveFirmwareIdentity as $dfw2 { InstanceID = "df2"; Manufacturer = "Seamont"; VersionString = "0004"; };
  instance of LSIESG_SystemPackaging { Antecedent = $card; Dependent = $hba; };
  instance of LSIESG_SystemPackaging { Antecedent = $box; Dependent = $hba; };
  instance of LSIESG_ElementSoftwareIdentity { Antecedent = $cbios; Dependent = $hba; };
  instance of LSIESG_ElementSoftwareIdentity { Antecedent = $cfw; Dependent = $hba; };
  instance of LSIESG_ElementSoftwareIdentity { Antecedent = $pkg; Dependent = $hba; };
  instance of LSIESG_SystemDevice { Antecedent = $hba; Dependent = $vol2; };
  instance of LSIESG_SystemDevice { Antecedent = $hba; Dependent = $vol1; };
  instance of LSIESG_ElementSettingData { Antecedent = $vol1; Dependent = $raid1; };
  instance of LSIESG_ConcreteDependency { Antecedent = $ext2; Dependent = $vol1; };
  instance of LSIESG_ConcreteDependency { Antecedent = $ext1; Dependent = $vol1; };
  instance of LSIESG_MediaPresent { Antecedent = $ext1; Dependent = $disk2; };
  instance of LSIESG_SystemDevice { Antecedent = $hba; Dependent = $disk10; };
  instance of LSIESG_SystemDevice { Antecedent = $hba; Dependent = $disk2; };
  instance of LSIESG_Realizes { Antecedent = $fru2; Dependent = $disk2; };
  instance of LSIESG_MediaPresent { Antecedent = $disk2; Dependent = $ext1; };
  instance of LSIESG_ElementSoftwareIdentity { Antecedent = $dfw2; Dependent = $disk2; };
)";

std::string Without(std::string text, const std::string& part) {
  return text.erase(text.find(part), part.size());
}

std::string RawRecord(const std::string& className, const std::string& command, const std::string& results) {
  return "instance of " + className + " { Command = \"" + command + "\"; RawResults = {" + results +
         "}; };\n";
}

// The titles and table captions of a transcript, without rows.
Lines Outline(const Lines& transcript) {
  Lines outline;
  for (const std::string& line : transcript) {
    if (line.compare(0, 2, "  ") != 0 && line != "end") outline.push_back(line);
  }
  return outline;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

class LSIPage : public ::testing::Test {
 protected:
  void Load(const std::string& instances) {
    ns = RepositoryFromMof(FirmwareSchema() + LegacyLSISchema() + VendorLSISchema() + instances);
    writer.BaseInitialize(ns, TCIMContext(), Catalog(ns));
  }
  void Write() { writer.WriteReportPage(Catalog(ns), "LSI"); }

  // A fresh output folder for raw-data result files.
  std::string OutputFolder() {
    char pattern[] = "/tmp/lsi_page_test_XXXXXX";
    folder = mkdtemp(pattern);
    writer.SetOutputFolder(folder);
    return folder;
  }
  // The names in the output folder, sorted.
  Lines FolderEntries() const {
    Lines names;
    DIR* directory = opendir(folder.c_str());
    while (dirent* entry = readdir(directory)) {
      if (entry->d_name[0] != '.') names.push_back(entry->d_name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
  }
  void TearDown() override {
    if (folder.empty()) return;
    for (const char* name : {"/MegaLSI_RawData_Rresults_0.txt", "/MegaLSI_RawData_Rresults_1.txt",
                             "/LSI_RawData_Results_0.txt"}) {
      std::remove((folder + name).c_str());
    }
    std::remove(folder.c_str());
  }

  TTestNamespace ns;
  TLSIWriter writer;
  std::string folder;
};

TEST_F(LSIPage, LegacyControllerShowsItsConfigurationStatusAndLogicalDrives) {
  Load(std::string(kLegacyController) + R"(
    instance of VKXSG_LSILogicalDisk as $ld0 {
      VolumeID = "v0"; VolumeNumber = "0"; VolumeStatus = "Degraded"; RAIDLevel = "RAID1"; BlockSize = "512";
      PhysicalHardDisks = "2"; };
    instance of VKXSG_LSIProtocolControllerForUnit { Antecedent = $c0; Dependent = $ld0; };)");
  Write();
  EXPECT_EQ(Lines({"page: LSI Controller",
                   "title: Controller #0 Configuration",
                   "table 50%/40%: Controller #0 Configuration",
                   "  ControllerType: LSI 53C1068",
                   "  BIOS Version: 6.10",
                   "  Firmware Version: 1.20",
                   "  SCSIChannelDescription: SAS",
                   "  InitiatorIDs: 7",
                   "end",
                   "title: Controller Status",
                   "table 50%/40%: Controller #0 Configuration -- Controller Status",
                   "  VolumeID: v0",
                   "  CurrentOperation: Rebuild",
                   "  LogicalDriveInProgress: 1",
                   "  VolumeStatus: Degraded",
                   "  VolumeState: Enabled",
                   "  LogicalDriveSize: 100",
                   "  NumRemainingSectors: 40",
                   "  PercentComplete: 60",
                   "end",
                   "title: Logical drive information",
                   "table 50%/40%: Controller #0 Configuration -- Logical drive information",
                   "  VolumeID: v0",
                   "  VolumeNumber: 0",
                   "  VolumeStatus: Degraded",
                   "  RAIDLevel: RAID1",
                   "  BlockSize: 512",
                   "  PhysicalHardDisks: 2",
                   "end"}),
            writer.fTranscript);
  EXPECT_EQ(Lines({"RegisterPage(lsi_mir, LSI Controller, true)"}), writer.CallsStartingWith("RegisterPage"));
  EXPECT_EQ(Lines({"OpenPage(/out/lsi_mir)"}), writer.CallsStartingWith("OpenPage"));
}

// Rows in a table are label and value of one property of one instance.
TEST_F(LSIPage, PropertyRowsPairTheLabelWithTheValueOfTheSameInstance) {
  Load(kLegacyController);
  Write();
  const Lines calls = writer.fCalls;
  const auto row = std::find(calls.begin(), calls.end(), "WriteHeaderCell(ControllerType)");
  ASSERT_NE(calls.end(), row);
  EXPECT_EQ("BeginRow(true)", *(row - 1));
  EXPECT_EQ("WriteValueCell(ControllerType)", *(row + 1));
  EXPECT_EQ("EndRow()", *(row + 2));
  EXPECT_EQ("VKXSG_LSISCSIProtocolController", writer.fHeaderClasses.at(0));
}

// The rebuilding controller of kLegacyController shows every status row.
TEST_F(LSIPage, StatusTableDependsOnTheOperationAndTheLSIType) {
  struct TCase {
    std::string fOperation, fLSIType;
    Lines fStatusRows;
  };
  const Lines idle = {"  CurrentOperation: None", "  LogicalDriveInProgress: 1", "  VolumeStatus: Degraded",
                      "  VolumeState: Enabled"};
  Lines idleWithVolume = idle;
  idleWithVolume.insert(idleWithVolume.begin(), "  VolumeID: v0");
  const std::vector<TCase> cases = {{"", "3", {}}, {"None", "3", idleWithVolume}, {"None", "2", idle}};
  for (const TCase& test : cases) {
    std::string controller = kLegacyController;
    controller.replace(controller.find("\"Rebuild\""), 9, "\"" + test.fOperation + "\"");
    controller.replace(controller.find("LSIType = 3"), 11, "LSIType = " + test.fLSIType);
    Load(controller);
    writer.fTranscript.clear();
    Write();
    Lines status = Section(writer.fTranscript, "title: Controller Status", "end");
    if (!status.empty()) status.erase(status.begin(), status.begin() + 2);
    EXPECT_EQ(test.fStatusRows, status) << "operation " << test.fOperation << ", type " << test.fLSIType;
  }
}

TEST_F(LSIPage, HardDisksAreGroupedByChannelAndOtherDevicesAreLeftOut) {
  TLogCapture log;
  Load(std::string(kLegacyController) + R"(
    instance of VKXSG_LSIDiskDrive as $d1 { ChannelNum = "0"; DeviceType = 14; TargetID = "1"; VKXFruCru = "F1"; };
    instance of VKXSG_LSIDiskDrive as $tape { ChannelNum = "0"; DeviceType = 1; TargetID = "2"; };
    instance of VKXSG_LSIDiskDrive as $d2 { ChannelNum = "0"; DeviceType = 14; TargetID = "3"; };
    instance of VKXSG_LSIDiskDrive as $d3 { ChannelNum = "1"; DeviceType = 14; TargetID = "4"; };
    instance of VKXSG_LSIProtocolControllerForPhysicalDisk { Antecedent = $c0; Dependent = $d1; };
    instance of VKXSG_LSIProtocolControllerForPhysicalDisk { Antecedent = $c0; Dependent = $tape; };
    instance of VKXSG_LSIProtocolControllerForPhysicalDisk { Antecedent = $c0; Dependent = $d2; };
    instance of VKXSG_LSIProtocolControllerForPhysicalDisk { Antecedent = $c0; Dependent = $d3; };
    instance of VKXSG_LSIEnclosureInformation { EnclosureNum = "1"; LogicalID = "L1"; Numslots = "8"; };)");
  Write();
  const char kDrives[] = "table 50%/40%: Controller #0 Configuration -- Physical device information";
  EXPECT_EQ(Lines({"title: Physical device information", "title: Channel #:0", kDrives, kDrives,
                   "title: Channel #:1", kDrives, "title: Enclosure Information",
                   "table 50%/40%: Controller #0 Configuration -- Enclosure Information"}),
            Section(Outline(writer.fTranscript), "title: Physical device information", ""));
  EXPECT_EQ(Lines({"table 50%/40%: Controller #0 Configuration -- Physical device information",
                   "  EnclosureNum: ", "  TargetID: 1", "  SlotID: ", "  DeviceType: 14", "  VKXFruCru: F1",
                   "  State: ", "  MaxMediaSize: ", "  InquiryData: ", "  ModelNumber: ",
                   "  FirmwareRevision: ", "  SerialNo: ", "  DriveType: "}),
            Section(writer.fTranscript, kDrives, "end"));
  EXPECT_EQ(
      1,
      log.Count(3, "TWriter::WriteLSIIntegratedRaidReport -- Filter instance which type is not hard disk"));
}

// Core errors other than a missing class are not caught by the page: it
// stops where the error happened and is not registered.
TEST_F(LSIPage, CoreErrorReadingTheControllersStopsThePage) {
  Load(kLegacyController);
  boost::shared_ptr<TFailingNamespace> failing(new TFailingNamespace(ns));
  failing->fFailingEnumeration = "VKXSG_LSISCSIProtocolController";
  boost::shared_ptr<TReportParametersBuilder> catalog(
      new TReportParametersBuilder(failing, "default", false));
  writer.BaseInitialize(failing, TCIMContext(), catalog);
  writer.WriteReportPage(catalog, "LSI");
  EXPECT_EQ(Lines({"OpenPage(/out/lsi_mir)", "BeginPageBody()", "WritePageTitle(LSI Controller, , )"}),
            writer.fCalls);
}

TEST_F(LSIPage, WithoutAnyControllerThePageSaysSoAndHasNoContent) {
  Load("");
  Write();
  EXPECT_EQ(
      Lines({"page: LSI Controller", "table 100%/20%: ", "  message No LSI RAID card detected\n", "end"}),
      writer.fTranscript);
  EXPECT_EQ(Lines({"RegisterPage(lsi_mir, LSI Controller, false)"}),
            writer.CallsStartingWith("RegisterPage"));
}

TEST_F(LSIPage, VendorProviderControllerShowsItsCardVolumesAndDrives) {
  Load(kMegaRaidController);
  Write();
  EXPECT_EQ(Lines({"page: LSI Controller",
                   "title: Controller Information",
                   "table 50%/40%: Controller Information",
                   "  Model: 9260-8i",
                   "  ElementName: MegaRAID SAS 9260",
                   "  BIOS Version: 3.18",
                   "  Firmware Version: 2.120",
                   "  FW Package Build version: 12.12.0",
                   "end",
                   "title: Logical drive information",
                   "table 50%/40%: Controller Information -- Logical drive information",
                   "  Name: VD 1",
                   "  OperationalStatus: Degraded",
                   "  RAIDLevel: RAID 1",
                   "  member 1",
                   "  Name: Disk 2",
                   "  OperationalStatus: OK",
                   "  member 1",
                   "  Name: ",
                   "  OperationalStatus: OK",
                   "end",
                   "table 50%/40%: Controller Information -- Logical drive information",
                   "  Name: VD 2",
                   "  OperationalStatus: OK",
                   "  RAIDLevel: ",
                   "end",
                   "title: Physical drive information",
                   "table 50%/40%: Controller Information -- Physical drive information",
                   "  Name: Disk 2",
                   "  ElementName: ST600",
                   "  OperationalStatus: OK",
                   "  FRU Number: FRU-2",
                   "  BlockSize: 4096",
                   "  NumberOfBlocks: ",
                   "  Manufacturer: Seamont",
                   "  Firmware version: 0004",
                   "end",
                   "table 50%/40%: Controller Information -- Physical drive information",
                   "  Name: Disk 10",
                   "  ElementName: ST300",
                   "  OperationalStatus: OK",
                   "  FRU Number: ",
                   "  BlockSize: ",
                   "  NumberOfBlocks: ",
                   "  Manufacturer: ",
                   "  Firmware version: ",
                   "end"}),
            writer.fTranscript);
  EXPECT_EQ(Lines({"RegisterPage(lsi_mir, LSI Controller, true)"}), writer.CallsStartingWith("RegisterPage"));
}

TEST_F(LSIPage, PackageBuildRowNeedsAMegaRaidControllerAndThePackageClass) {
  std::string irController = kMegaRaidController;
  irController.replace(irController.find("LSIESG_MegaRAIDHBA"), 18, "LSIESG_IRHBA");
  Load(irController);
  Write();
  EXPECT_EQ(Lines({"table 50%/40%: Controller Information", "  Model: 9260-8i",
                   "  ElementName: MegaRAID SAS 9260", "  BIOS Version: 3.18", "  Firmware Version: 2.120"}),
            Section(writer.fTranscript, "table 50%/40%: Controller Information", "end"));
}

TEST_F(LSIPage, Controller1030IsShownBeforeTheVendorProviderTables) {
  Load(std::string(k1030Controller) + kMegaRaidController);
  Write();
  const Lines outline = Outline(writer.fTranscript);
  EXPECT_EQ(
      Lines({"page: LSI Controller", "title: Controller Information", "table 50%/40%: Controller Information",
             "title: Controller Status", "table 50%/40%: Controller Information -- Controller Status",
             "title: Logical drive information",
             "table 50%/40%: Controller Information -- Logical drive information",
             "title: Controller Information", "table 50%/40%: Controller Information"}),
      Lines(outline.begin(), outline.begin() + 9));
  EXPECT_EQ(Lines({"table 50%/40%: Controller Information -- Controller Status", "  CurrentOperation: None",
                   "  LogicalDriveInProgress: 0", "  VolumeStatus: Optimal", "  VolumeState: Enabled"}),
            Section(writer.fTranscript, "table 50%/40%: Controller Information -- Controller Status", "end"));
  EXPECT_EQ(
      Lines({"table 50%/40%: Controller Information -- Logical drive information", "  VolumeNumber: 1",
             "  VolumeStatus: Optimal", "  RAIDLevel: IM", "  BlockSize: 512", "  PhysicalHardDisks: 2"}),
      Section(writer.fTranscript, "table 50%/40%: Controller Information -- Logical drive information",
              "end"));
}

// Only the 1030 controllers appear beside the vendor provider's ones.
// Also when the vendor provider has no controller: the 1030 controller is a
// card all the same.
TEST_F(LSIPage, VendorProviderPageLeavesOtherLegacyControllersOut) {
  Load(std::string(k1030Controller) + kLegacyController + "instance of LSIESG_DiskDrive { Name = \"d\"; };");
  Write();
  EXPECT_EQ(
      Lines({"page: LSI Controller", "title: Controller Information", "table 50%/40%: Controller Information",
             "title: Controller Status", "table 50%/40%: Controller Information -- Controller Status",
             "title: Logical drive information",
             "table 50%/40%: Controller Information -- Logical drive information"}),
      Outline(writer.fTranscript));
  EXPECT_EQ(Lines({"RegisterPage(lsi_mir, LSI Controller, true)"}), writer.CallsStartingWith("RegisterPage"));
}

TEST_F(LSIPage, EnclosurePackagesHaveNoTables) {
  Load(Without(kMegaRaidController,
               "instance of LSIESG_SystemPackaging { Antecedent = $card; Dependent = $hba; };"));
  Write();
  EXPECT_EQ(
      Lines({"page: LSI Controller", "table 100%/20%: ", "  message No LSI RAID card detected\n", "end"}),
      writer.fTranscript);
}

TEST_F(LSIPage, ProbesAnswerFromTheClassesTheyName) {
  struct TCase {
    std::string fInstances;
    bool fCardinal, fRawData, fMegaRaidRawData, fController1030;
  };
  const std::vector<TCase> cases = {
      {"", false, false, false, false},
      {"instance of LSIESG_DiskDrive { Name = \"d\"; };", true, false, false, false},
      {"instance of LSIESG_StorageVolume { Name = \"v\"; };", true, false, false, false},
      {"instance of LSIESG_DiskExtent { Name = \"e\"; };", true, false, false, false},
      {"instance of LSIESG_ControllerFirmwareIdentity { InstanceID = \"f\"; };", true, false, false, false},
      {"instance of LSIESG_ControllerBIOSIdentity { InstanceID = \"b\"; };", true, false, false, false},
      {"instance of LSIESG_FirmwarePackageIdentity { InstanceID = \"p\"; };", false, false, false, false},
      {RawRecord("VKXSG_lsiRawData", "a", ""), false, true, false, false},
      {RawRecord("VKXSG_MegaLSIRawData", "a", ""), false, true, true, false},
      {kLegacyController, false, false, false, false},
      {k1030Controller, false, false, false, true},
  };
  for (const TCase& test : cases) {
    Load(test.fInstances);
    EXPECT_EQ(test.fCardinal, writer.isCardinalSupport()) << test.fInstances;
    EXPECT_EQ(test.fRawData, writer.isLSIRawDataPresent()) << test.fInstances;
    EXPECT_EQ(test.fMegaRaidRawData, writer.isMRRawDataPresent()) << test.fInstances;
    EXPECT_EQ(test.fController1030, writer.isLSIIntegratedRaid1030Exsited()) << test.fInstances;
  }
}

TEST_F(LSIPage, ProbesAnswerFalseWhenTheClassesAreMissing) {
  ns = RepositoryFromMof("");
  writer.BaseInitialize(ns, TCIMContext(), Catalog(ns));
  EXPECT_FALSE(writer.isCardinalSupport());
  EXPECT_FALSE(writer.isLSIRawDataPresent());
  EXPECT_FALSE(writer.isMRRawDataPresent());
  EXPECT_FALSE(writer.isLSIIntegratedRaid1030Exsited());
}

TEST_F(LSIPage, MegaRaidRawDataAloneGivesARawPageInEveryMode) {
  Load(RawRecord("VKXSG_MegaLSIRawData", "MegaCli -AdpAllInfo", "\"line 1\", \"line 2\""));
  OutputFolder();
  Write();
  EXPECT_EQ(Lines({"OpenPage(" + folder + "/lsi_rawData)", "OpenPage(" + folder + "/lsi_mir)"}),
            writer.CallsStartingWith("OpenPage"));
  EXPECT_EQ(
      Lines(
          {"page: LSI Raw Data Information - [Show Standard Report] -> lsi_mir", "title: Commands Issued",
           "  Command | Raw Result",
           "  <font face=\"Courier\">MegaCli -AdpAllInfo</font> | "
           "<a href=\"MegaLSI_RawData_Rresults_0.txt\">View Results</a>",
           "page: LSI Controller - [Show Rawdata Report] -> lsi_rawData", "table 100%/20%: ",
           "  message LSI MegaRaid Controller Card is Detected.\nPlease click [Show Rawdata Report] to view "
           "MegaRaid raw data.\n",
           "end"}),
      writer.fTranscript);
  EXPECT_EQ(Lines({"RegisterPage(lsi_mir, LSI Controller, true)"}), writer.CallsStartingWith("RegisterPage"));
  EXPECT_EQ("line 1\nline 2\n", ReadFile(folder + "/MegaLSI_RawData_Rresults_0.txt"));
}

TEST_F(LSIPage, RawPageIsWrittenOnlyForAnHtmlWriterAndOtherRawDataOnlyInModeLuz) {
  struct TCase {
    std::string fWriterType, fMode, fRecordClass;
    bool fRawPage;
  };
  const std::vector<TCase> cases = {
      {"html", "default", "VKXSG_MegaLSIRawData", true},
      {"inventory", "default", "VKXSG_MegaLSIRawData", false},
      {"html", "default", "VKXSG_lsiRawData", false},
      {"html", "luz", "VKXSG_lsiRawData", true},
      {"inventory", "luz", "VKXSG_lsiRawData", false},
  };
  for (const TCase& test : cases) {
    Load(RawRecord(test.fRecordClass, "lsiutil", "\"x\""));
    OutputFolder();
    writer.SetWriterType(test.fWriterType);
    writer.SetMode(test.fMode);
    writer.fCalls.clear();
    Write();
    EXPECT_EQ(test.fRawPage ? 2u : 1u, writer.CallsStartingWith("OpenPage").size())
        << test.fWriterType << " " << test.fMode << " " << test.fRecordClass;
    TearDown();
  }
}

// The vendor-provider variant links raw data only in mode "luz", and then
// says nothing about MegaRAID cards.
TEST_F(LSIPage, VendorProviderPageLinksRawDataOnlyInModeLuz) {
  Load(std::string(kMegaRaidController) + RawRecord("VKXSG_MegaLSIRawData", "MegaCli", "\"x\""));
  OutputFolder();
  Write();
  EXPECT_EQ(1u, writer.CallsStartingWith("OpenPage").size());
  writer.SetMode("luz");
  writer.fTranscript.clear();
  Write();
  EXPECT_EQ(1, std::count(writer.fTranscript.begin(), writer.fTranscript.end(),
                          "page: LSI Controller - [Show Rawdata Report] -> lsi_rawData"));
  EXPECT_EQ(0u, writer.CallsStartingWith("WriteMessageCell").size());
}

TEST_F(LSIPage, ResultFilesAreNumberedFromZeroPerKindOfRecord) {
  Load(RawRecord("VKXSG_MegaLSIRawData", "first", "\"a\"") + RawRecord("VKXSG_MegaLSIRawData", "second", "") +
       RawRecord("VKXSG_lsiRawData", "third", "\"c1\", \"c2\""));
  OutputFolder();
  writer.SetMode("luz");
  Write();
  EXPECT_EQ(
      Lines(
          {"title: Commands Issued", "  Command | Raw Result",
           "  <font face=\"Courier\">first</font> | <a href=\"MegaLSI_RawData_Rresults_0.txt\">View "
           "Results</a>",
           "  <font face=\"Courier\">second</font> | <a href=\"MegaLSI_RawData_Rresults_1.txt\">View "
           "Results</a>",
           "title: Commands Issued", "  Command | Result",
           "  <font face=\"Courier\">third</font> | <a href=\"LSI_RawData_Results_0.txt\">View Results</a>"}),
      Section(writer.fTranscript, "title: Commands Issued",
              "page: LSI Controller - [Show Rawdata Report] -> lsi_rawData"));
  const TTableGrid& grid = writer.fGrids.at(0);
  EXPECT_TRUE(grid.fColumnReport);
  EXPECT_EQ(75, grid.fTableWidth);
  EXPECT_EQ(std::vector<int32_t>({80, 20}), grid.fColumnWidths);
  EXPECT_EQ("a\n", ReadFile(folder + "/MegaLSI_RawData_Rresults_0.txt"));
  EXPECT_EQ("", ReadFile(folder + "/MegaLSI_RawData_Rresults_1.txt"));
  EXPECT_EQ("c1\nc2\n", ReadFile(folder + "/LSI_RawData_Results_0.txt"));
}

// A result file that cannot be written stops the LSI pages before any
// output: no grid claims a file that is missing, and no partial file stays.
TEST_F(LSIPage, UnwritableResultFileWritesNoPage) {
  Load(RawRecord("VKXSG_MegaLSIRawData", "MegaCli", "\"x\""));
  writer.SetOutputFolder("/nonexistent/lsi_page_test");
  Write();
  EXPECT_EQ(Lines(), writer.fCalls);
}

TEST_F(LSIPage, ResultFileThatCannotTakeItsNameLeavesOnlyTheFilesBeforeIt) {
  Load(RawRecord("VKXSG_MegaLSIRawData", "first", "\"a\"") +
       RawRecord("VKXSG_MegaLSIRawData", "second", "\"b\""));
  OutputFolder();
  const std::string blocked = folder + "/MegaLSI_RawData_Rresults_1.txt";
  ASSERT_EQ(0, mkdir(blocked.c_str(), 0700));
  Write();
  EXPECT_EQ(Lines(), writer.fCalls);
  EXPECT_EQ("a\n", ReadFile(folder + "/MegaLSI_RawData_Rresults_0.txt"));
  EXPECT_EQ(Lines({"MegaLSI_RawData_Rresults_0.txt", "MegaLSI_RawData_Rresults_1.txt"}), FolderEntries());
  EXPECT_EQ(0, rmdir(blocked.c_str()));
}

}  // namespace
