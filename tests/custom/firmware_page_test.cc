#include <gtest/gtest.h>

#include "tests/custom/device_schema.h"
#include "tests/custom/failing_namespace.h"

namespace {

using NVKXQZA20::TCIMContext;
typedef std::vector<std::string> Lines;

// The other vendors' classes, the VPD classes and the multi-node probe's class.
std::string OtherFirmwareSchema() {
  return "class CIM_LogicalDevice : CIM_ManagedElement { string OtherIdentifyingInfo; };\n"
         "class VKXSG_SysBusDevice : CIM_LogicalDevice { string ProductID; };\n"
         "class BROCADE_PortController : CIM_ManagedElement { string DeviceID; };\n"
         "class BROCADE_AdapterSoftwareIdentity : CIM_ManagedElement {\n"
         "  string InstanceID; string Manufacturer; string VersionString; string BuildNumber;\n"
         "  string ReleaseDate; };\n"
         "class EMXCNA_FirmwareVersion : CIM_ManagedElement { string Name; string Version; };\n"
         "class PMC_FirmwareSoftwareIdentity : CIM_ManagedElement { string InstanceID; string VersionString; "
         "};\n"
         "class PMC_BiosSoftwareIdentity : CIM_ManagedElement { string InstanceID; string VersionString; };\n"
         "class VKXSG_PostBIOSVPD : CIM_ManagedElement {\n"
         "  string BuildNumber; string BuildDate; string Version; string Filename; string UniqueID; };\n"
         "class VKXSG_DiagnosticVPD : CIM_ManagedElement { string BuildNumber; string SourceNode; };\n"
         "class VKXSG_SPROMFirmwareVPDMain : CIM_ManagedElement {\n"
         "  string Name; string BuildNumber; string BuildDate; string Version; string Filename; };\n"
         "class VKXSG_SPROMFirmwareVPDBootROM : CIM_ManagedElement {\n"
         "  string BuildNumber; string BuildDate; string Version; string Filename; };\n"
         "class VKXSG_HardwareRevisionLevel : CIM_ManagedElement { string Hardwarelevel; };\n"
         "class VKXSG_FRU : CIM_ManagedElement {\n"
         "  string Name; string Vendor; string FRUNumber; string PartNumber; string SerialNumber; };\n"
         "class VKXSG_ComputerSystem { [Key] string Name; uint8 SystemNodes; };\n" +
         Associations({"VKXSG_DeviceFirmware", "BROCADE_AdapterElementSoftwareIdentity"});
}

// A system firmware on a bus device, a Brocade adapter with a firmware and a
// BIOS identity, an Emulex adapter and a PMC controller.
const char kOtherVendors[] = R"(
  instance of VKXSG_FirmwareElement as $sys {
    Name = "System Firmware"; Manufacturer = "VKX"; Version = "1.0"; BuildNumber = "B1"; BuildDate = "2024"; };
  instance of VKXSG_SysBusDevice as $bus { ProductID = "P1"; OtherIdentifyingInfo = "slot 1"; };
  instance of VKXSG_DeviceFirmware { Antecedent = $sys; Dependent = $bus; };
  instance of CIM_BIOSElement { Name = "System BIOS"; BuildNumber = "D1"; Version = "2.0"; ReleaseDate = "2022"; };
  instance of BROCADE_PortController as $adapter { DeviceID = "bfa0"; };
  instance of BROCADE_AdapterSoftwareIdentity as $bfw {
    Description = "Adapter Firmware"; Manufacturer = "Brocade"; VersionString = "3.0"; BuildNumber = "b6"; };
  instance of BROCADE_AdapterSoftwareIdentity as $bbios {
    Description = "Adapter BIOS"; Manufacturer = "Brocade"; VersionString = "3.1"; BuildNumber = "b7";
    ReleaseDate = "2023"; };
  instance of BROCADE_AdapterElementSoftwareIdentity { Antecedent = $adapter; Dependent = $bfw; };
  instance of BROCADE_AdapterElementSoftwareIdentity { Antecedent = $adapter; Dependent = $bbios; };
  instance of EMXCNA_FirmwareVersion { Name = "LP1"; Version = "2.0"; };
  instance of PMC_FirmwareSoftwareIdentity { InstanceID = "pmc0"; VersionString = "5.2"; };
  instance of PMC_BiosSoftwareIdentity { InstanceID = "pmcb"; VersionString = "1.1"; };
)";

// Legacy LSI elements: of a 1030 controller, of a 1068 controller, of a
// drive on the 1068 controller and of a drive on no controller.
const char kLegacyLSIElements[] = R"(
  instance of VKXSG_LSISCSIProtocolController as $c1030 { ControllerNum = "0"; ControllerType = "LSI 53C1030"; };
  instance of VKXSG_LSISCSIProtocolController as $c1068 { ControllerNum = "1"; ControllerType = "LSI SAS1068"; };
  instance of VKXSG_LSIFirmwareElement as $fw1030 { Name = "LSI 1030 Firmware"; Version = "1.03"; };
  instance of VKXSG_LSIFirmwareElement as $fw1068 { Name = "LSI 1068 Firmware"; Version = "1.27"; };
  instance of VKXSG_LSIBIOSElement as $bios1030 { Name = "LSI 1030 BIOS"; Version = "5.1"; };
  instance of VKXSG_LSIBIOSElement as $bios1068 { Name = "LSI 1068 BIOS"; Version = "6.2"; };
  instance of VKXSG_LSIDiskFirmwareElement as $dfw { Name = "LSI Disk Firmware"; Version = "D"; };
  instance of VKXSG_LSIDiskFirmwareElement { Name = "LSI Lone Disk Firmware"; Version = "L"; };
  instance of VKXSG_LSIDiskDrive as $drive { ChannelNum = "0"; DeviceType = 14; };
  instance of VKXSG_LSIControllerFirmwareElement { Antecedent = $c1030; Dependent = $fw1030; };
  instance of VKXSG_LSIControllerFirmwareElement { Antecedent = $c1068; Dependent = $fw1068; };
  instance of VKXSG_LSIControllerBIOSElement { Antecedent = $c1030; Dependent = $bios1030; };
  instance of VKXSG_LSIControllerBIOSElement { Antecedent = $c1068; Dependent = $bios1068; };
  instance of VKXSG_LSIDiskFirmware { Antecedent = $dfw; Dependent = $drive; };
  instance of VKXSG_LSIProtocolControllerForPhysicalDisk { Antecedent = $c1068; Dependent = $drive; };
)";

// Vendor-provider controllers: a MegaRAID one with its card, an enclosure,
// a firmware package and a drive, and an IR one with its card.
const char kVendorControllers[] = R"(
  instance of LSIESG_MegaRAIDHBA as $hba { Name = "hba0"; ElementName = "MegaRAID SAS 9260"; };
  instance of LSIESG_PhysicalCard as $card { Tag = "card0"; Model = "9260-8i"; };
  instance of LSIESG_EnclosureChassis as $box { Tag = "box0"; Model = "Backplane"; };
  instance of LSIESG_ControllerFirmwareIdentity as $cfw {
    InstanceID = "cf"; Manufacturer = "LSI"; VersionString = "2.120"; BuildNumber = "B2"; };
  instance of LSIESG_ControllerBIOSIdentity as $cbios {
    InstanceID = "cb"; VersionString = "3.18"; BuildNumber = "B3"; ReleaseDate = "2021"; };
  instance of LSIESG_FirmwarePackageIdentity as $pkg { InstanceID = "pk"; Manufacturer = "LSI"; VersionString = "12.12"; };
  instance of LSIESG_DiskDrive as $disk { Name = "Disk 1"; };
  instance of LSIESG_DriveFirmwareIdentity as $dfw1 {
    InstanceID = "df"; Manufacturer = "Seamont"; VersionString = "0004"; BuildNumber = "X"; };
  instance of LSIESG_IRHBA as $ir { Name = "ir0"; ElementName = "SAS2008"; };
  instance of LSIESG_PhysicalCard as $ircard { Tag = "card1"; Model = "2008"; };
  instance of LSIESG_ControllerFirmwareIdentity as $irfw { InstanceID = "if"; VersionString = "0.9"; };
  instance of LSIESG_SystemPackaging { Antecedent = $card; Dependent = $hba; };
  instance of LSIESG_SystemPackaging { Antecedent = $box; Dependent = $hba; };
  instance of LSIESG_ElementSoftwareIdentity { Antecedent = $cfw; Dependent = $hba; };
  instance of LSIESG_ElementSoftwareIdentity { Antecedent = $cbios; Dependent = $hba; };
  instance of LSIESG_ElementSoftwareIdentity { Antecedent = $pkg; Dependent = $hba; };
  instance of LSIESG_SystemDevice { Antecedent = $hba; Dependent = $disk; };
  instance of LSIESG_ElementSoftwareIdentity { Antecedent = $dfw1; Dependent = $disk; };
  instance of LSIESG_SystemPackaging { Antecedent = $ircard; Dependent = $ir; };
  instance of LSIESG_ElementSoftwareIdentity { Antecedent = $irfw; Dependent = $ir; };
)";

const char kMultiNode[] = "instance of VKXSG_ComputerSystem { Name = \"node\"; SystemNodes = 2; };\n";

class FirmwarePage : public ::testing::Test {
 protected:
  void Load(const std::string& instances) {
    ns = RepositoryFromMof(FirmwareSchema() + LegacyLSISchema() + VendorLSISchema() + OtherFirmwareSchema() +
                           instances);
    Use(ns);
  }
  void Use(boost::shared_ptr<NVKXQZA20::ICIMNamespace> repository) {
    catalog.reset(new TReportParametersBuilder(repository, "default", false));
    writer.BaseInitialize(repository, TCIMContext(), catalog);
  }
  void Write() { writer.WriteReportPage(catalog, "Firmware"); }
  Lines Table(const std::string& title) { return Section(writer.fTranscript, "title: " + title, "end"); }

  TTestNamespace ns;
  boost::shared_ptr<TReportParametersBuilder> catalog;
  TTranscriptWriter writer;
};

TEST_F(FirmwarePage, MultiNodeBIOSRowsHaveANodeColumn) {
  Load(std::string(kMultiNode) + kOtherVendors + kVendorControllers +
       "instance of CIM_BIOSElement { Name = \"Node BIOS\"; SourceNode = \"2\"; Version = \"2.1\"; };\n");
  Write();
  EXPECT_EQ(Lines({"title: BIOS/uEFI", "grid 100%: BIOS/uEFI",
                   "  Name | SourceNode | BuildNumber | Version | ReleaseDate",
                   "  System BIOS |  | D1 | 2.0 | 2022", "  Node BIOS | 2 |  | 2.1 | ",
                   "  Adapter BIOS | [] | b7 | 3.1 | 2023", "  [9260-8i BIOS] | [] | B3 | 3.18 | 2021",
                   "  [LSI 2008 Controller BIOS] | [] |  |  | ", "  [PMC(pmcb)] | [] | [] | 1.1 | []"}),
            Table("BIOS/uEFI"));
}

class FirmwarePageFailures : public FirmwarePage {
 protected:
  void LoadFailing(const std::string& instances, const std::string& enumeration,
                   const std::string& association) {
    Load(instances);
    failing.reset(new TFailingNamespace(ns));
    failing->fFailingEnumeration = enumeration;
    failing->fFailingAssociation = association;
    Use(failing);
  }
  boost::shared_ptr<TFailingNamespace> failing;
};

TEST_F(FirmwarePageFailures, UnreadablePackagesLeaveTheControllerOutOfTheBIOSTable) {
  TLogCapture log;
  LoadFailing(std::string(kVendorControllers) +
                  "instance of CIM_BIOSElement { Name = \"System BIOS\"; };\n"
                  "instance of PMC_BiosSoftwareIdentity { InstanceID = \"pmcb\"; VersionString = \"1.1\"; };",
              "", "LSIESG_SystemPackaging");
  Write();
  EXPECT_EQ(Lines({"title: BIOS/uEFI", "grid 100%: BIOS/uEFI", "  Name | BuildNumber | Version | ReleaseDate",
                   "  System BIOS |  |  | ", "  [PMC(pmcb)] | [] | 1.1 | []"}),
            Table("BIOS/uEFI"));
  EXPECT_EQ(2, log.Count(3,
                         "TWriter::WriteCustomFirmwareReport -- Enumerate Associated Instances Exception for "
                         "CIM_PhysicalPackage"));
  EXPECT_EQ(Lines({"RegisterPage(firmware, Firmware/VPD, true)"}), writer.CallsStartingWith("RegisterPage"));
}

TEST_F(FirmwarePageFailures, OtherControllerFailureEndsTheVendorRowsOfTheBIOSTable) {
  TLogCapture log;
  LoadFailing(std::string(kVendorControllers) +
                  "instance of CIM_BIOSElement { Name = \"System BIOS\"; };\n"
                  "instance of PMC_BiosSoftwareIdentity { InstanceID = \"pmcb\"; VersionString = \"1.1\"; };",
              "CIM_ComputerSystem", "");
  Write();
  EXPECT_EQ(Lines({"title: BIOS/uEFI", "grid 100%: BIOS/uEFI", "  Name | BuildNumber | Version | ReleaseDate",
                   "  System BIOS |  |  | ", "  [PMC(pmcb)] | [] | 1.1 | []"}),
            Table("BIOS/uEFI"));
  EXPECT_TRUE(
      log.Has(3, "TWriter::WriteCustomFirmwareReport -- Exception when processing current controller"));
  EXPECT_EQ(Lines({"RegisterPage(firmware, Firmware/VPD, true)"}), writer.CallsStartingWith("RegisterPage"));
}

// The firmware table does not guard its vendor-provider rows: the page stops
// there and is not registered.
TEST_F(FirmwarePageFailures, UnreadablePackagesStopTheFirmwareTable) {
  LoadFailing(std::string(kVendorControllers) + "instance of VKXSG_FirmwareElement { Name = \"S\"; };", "",
              "LSIESG_SystemPackaging");
  Write();
  EXPECT_EQ(Lines({"page: Firmware/VPD", "title: Firmware", "grid 100%: Firmware",
                   "  Name | Manufacturer | ProductID | Device | Version | BuildNumber | BuildDate",
                   "  S |  |  |  |  |  | "}),
            writer.fTranscript);
  EXPECT_TRUE(writer.CallsStartingWith("RegisterPage").empty());
  EXPECT_TRUE(writer.CallsStartingWith("EndTable").empty());
}

}  // namespace
