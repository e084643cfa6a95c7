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

std::string RawRecord(const std::string& className, const std::string& command, const std::string& results) {
  return "instance of " + className + " { Command = \"" + command + "\"; RawResults = {" + results +
         "}; };\n";
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

// A 1030 controller is a card, whether the legacy provider's tables show it
// or it comes before the vendor provider's (here a volume without any
// controller): the page gets no "no card" message and has content.
TEST_F(LSIPage, Controller1030IsACard) {
  const std::string kVendorVolume = "instance of LSIESG_StorageVolume { Name = \"v\"; };";
  for (const std::string& vendorData : {std::string(), kVendorVolume}) {
    Load(k1030Controller + vendorData);
    writer.fTranscript.clear();
    writer.fCalls.clear();
    Write();
    EXPECT_EQ(writer.isCardinalSupport(), !vendorData.empty());
    for (const std::string& line : writer.fTranscript) EXPECT_EQ(line.find("No LSI RAID card"), std::string::npos);
    EXPECT_EQ(writer.fCalls.back(), "RegisterPage(lsi_mir, LSI Controller, true)") << vendorData;
  }
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
