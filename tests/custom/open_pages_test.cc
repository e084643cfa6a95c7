#include "tests/custom/custom_page_testing.h"

namespace {

class OpenPages : public CustomPageTest {};

TEST_F(OpenPages, LSIIDEControllerIsFollowedByItsVolumesAndDrives) {
  Load(R"(
    class VKXSG_LSIIDEProtocolController {
      [Key] string DeviceID; uint8 ControllerNum; string ControllerType; string ChannelDescription; };
    class VKXSG_LSIBIOSElement { [Key] string Name; string Version; };
    class VKXSG_LSILogicalDisk { [Key] string DeviceID; uint8 VolumeNumber; string RAIDLevel; };
    class VKXSG_LSIDiskDrive { [Key] string DeviceID; uint8 ChannelNum; uint8 TargetID; string State; };
    [Association] class VKXSG_LSIControllerBIOSElement {
      [Key] VKXSG_LSIBIOSElement REF Antecedent; [Key] VKXSG_LSIIDEProtocolController REF Dependent; };
    [Association] class VKXSG_LSIProtocolControllerForUnit {
      [Key] VKXSG_LSIIDEProtocolController REF Antecedent; [Key] VKXSG_LSILogicalDisk REF Dependent; };
    [Association] class VKXSG_LSIProtocolControllerForPhysicalDisk {
      [Key] VKXSG_LSIIDEProtocolController REF Antecedent; [Key] VKXSG_LSIDiskDrive REF Dependent; };
    instance of VKXSG_LSIIDEProtocolController as $C { DeviceID = "ide0"; ControllerNum = 0; ControllerType = "1068E"; };
    instance of VKXSG_LSIBIOSElement as $B { Name = "bios"; Version = "6.26"; };
    instance of VKXSG_LSIControllerBIOSElement { Antecedent = $B; Dependent = $C; };
    instance of VKXSG_LSILogicalDisk as $V { DeviceID = "v0"; VolumeNumber = 0; RAIDLevel = "RAID1"; };
    instance of VKXSG_LSIProtocolControllerForUnit { Antecedent = $C; Dependent = $V; };
    instance of VKXSG_LSIDiskDrive as $D1 { DeviceID = "d1"; ChannelNum = 1; TargetID = 0; State = "Missing"; };
    instance of VKXSG_LSIDiskDrive as $D0 { DeviceID = "d0"; ChannelNum = 0; TargetID = 0; State = "Online"; };
    instance of VKXSG_LSIProtocolControllerForPhysicalDisk { Antecedent = $C; Dependent = $D1; };
    instance of VKXSG_LSIProtocolControllerForPhysicalDisk { Antecedent = $C; Dependent = $D0; };)");
  TLogCapture log;
  WritePage("LSIIDE");
  EXPECT_EQ(Calls({"OpenPage", "WritePageTitle", "WriteTableTitle", "RegisterPage"}),
            (TCalls{"OpenPage(/out/lsiide)", "WritePageTitle(LSI IDE Controller, , )",
                    "WriteTableTitle(Controller Information, false, false)",
                    "WriteTableTitle(Logical Drive Information, false, false)",
                    "WriteTableTitle(Physical Drive Information, false, false)",
                    "RegisterPage(lsiide, LSI IDE Controller, true)"}));
  const std::vector<TTableGrid>& grids = fWriter.fGrids;
  EXPECT_EQ(GridRows(grids.at(0)), (TCalls{"ControllerNum | 0", "ControllerType | 1068E", "ChannelDescription | ",
                                           "BIOS Version | 6.26", "Firmware Version | "}));
  EXPECT_EQ(GridRows(grids.at(2)).at(1).substr(0, 10), "0 | 0 | On");
  EXPECT_EQ(GridRows(grids.at(2)).at(2).substr(0, 10), "1 | 0 | Mi");
  EXPECT_TRUE(log.Has(3, "Entering TWriter::WriteLSIIDEReport"));
  EXPECT_TRUE(log.Has(3, "Exiting TWriter::WriteLSIIDEReport"));
}

TEST_F(OpenPages, PMCControllerShowsItsCardAndSoftwareLevelsThenItsDrives) {
  Load(R"(
    class PMC_ControllerComputerSystem { [Key] string Name; string ElementName; };
    class PMC_Card { [Key] string Tag; string Model; string SerialNumber; string PartNumber; };
    class PMC_FirmwareSoftwareIdentity { [Key] string InstanceID; string VersionString; };
    class PMC_DriverSoftwareIdentity { [Key] string InstanceID; string VersionString; };
    class PMC_StorageVolume { [Key] string DeviceID; string ElementName; string RAIDLevel; };
    class PMC_DiskDrive { [Key] string DeviceID; string ElementName; string Model; };
    [Association] class PMC_SystemPackaging { [Key] PMC_Card REF Antecedent; [Key] PMC_ControllerComputerSystem REF Dependent; };
    [Association] class PMC_ElementSoftwareIdentity {
      [Key] PMC_FirmwareSoftwareIdentity REF Antecedent; [Key] PMC_ControllerComputerSystem REF Dependent; };
    [Association] class PMC_SystemDevice {
      [Key] PMC_ControllerComputerSystem REF GroupComponent; [Key] PMC_StorageVolume REF PartComponent; };
    instance of PMC_ControllerComputerSystem as $P { Name = "PMC-0"; ElementName = "SmartRAID 3154"; };
    instance of PMC_Card as $Card { Tag = "c"; Model = "3154-8i"; SerialNumber = "7A10"; };
    instance of PMC_SystemPackaging { Antecedent = $Card; Dependent = $P; };
    instance of PMC_FirmwareSoftwareIdentity as $Fw { InstanceID = "fw"; VersionString = "3.00 B0"; };
    instance of PMC_ElementSoftwareIdentity { Antecedent = $Fw; Dependent = $P; };
    instance of PMC_DriverSoftwareIdentity { InstanceID = "drv"; VersionString = "not this controller's"; };
    instance of PMC_StorageVolume as $Ld { DeviceID = "ld0"; ElementName = "LogicalDrv0"; RAIDLevel = "RAID 10"; };
    instance of PMC_SystemDevice { GroupComponent = $P; PartComponent = $Ld; };)");
  WritePage("PMC");
  EXPECT_EQ(Calls({"OpenPage", "WriteTableTitle", "RegisterPage"}),
            (TCalls{"OpenPage(/out/pmc_raid)", "WriteTableTitle(Controller Information, false, false)",
                    "WriteTableTitle(Logical Drives, false, false)", "RegisterPage(pmc_raid, PMC RAID, true)"}));
  EXPECT_EQ(GridRows(fWriter.fGrids.at(0)),
            (TCalls{"ElementName | SmartRAID 3154", "Name | PMC-0", "Card Model | 3154-8i", "Card Serial Number | 7A10",
                    "Card Part Number | ", "Driver Version | ", "BIOS Version | ", "Firmware Version | 3.00 B0"}));
  EXPECT_EQ(GridRows(fWriter.fGrids.at(1)).at(1).substr(0, 21), "LogicalDrv0 | RAID 10");
}

TEST_F(OpenPages, PagesWithoutTheirControllersAreRegisteredEmpty) {
  Load("class VKXSG_Other { [Key] string Name; };");
  fMode = "luz";
  fWriter.SetMode("luz");
  fWriter.fCalls.clear();
  for (const char* pageID : {"LSIIDE", "PMC", "ZEBChipsetRegister", "MergedDevice"}) {
    fWriter.WriteReportPage(fCatalog, pageID);
  }
  EXPECT_EQ(Calls({"RegisterPage", "WriteTable"}),
            (TCalls{"RegisterPage(lsiide, LSI IDE Controller, false)", "RegisterPage(pmc_raid, PMC RAID, false)",
                    "RegisterPage(zeb_reg, ZEB Chipset Registers, false)",
                    "RegisterPage(mergedDevices, Merged Devices, false)"}));
}

TEST_F(OpenPages, ChipsetRegistersAreListedByNodeWithTheValueAsRegisterCell) {
  fMode = "luz";
  Load(R"(
    class VKXSG_ZEBChipsetErrorData {
      [Key] string InstanceID; uint8 SourceNode; string Component; string RegisterName; string Address;
      string Value; string DecodedError; };
    instance of VKXSG_ZEBChipsetErrorData { InstanceID = "b"; SourceNode = 2; Component = "MB0"; Value = "0x10"; };
    instance of VKXSG_ZEBChipsetErrorData { InstanceID = "a"; SourceNode = 1; Component = "MB1"; Value = "0x0"; };)");
  WritePage("ZEBChipsetRegister");
  TCalls expected = {"OpenPage(/out/zeb_reg)",
                     "BeginPageBody()",
                     "WritePageTitle(ZEB Chipset Registers, , )",
                     "WriteTableTitle(Chipset Error Registers, false, false)",
                     "BeginGridTable(100%, Chipset Error Registers, true)",
                     "BeginRow(false)"};
  const char* const columns[] = {"SourceNode", "Component", "RegisterName", "Address", "Value", "DecodedError"};
  for (const char* column : columns) expected.push_back(std::string("WriteHeaderCell(") + column + ")");
  expected.insert(expected.end(), {"EndRow()", "EndGridHeader()"});
  for (const char* value : {"0x0", "0x10"}) {
    expected.push_back("BeginRow(true)");
    for (const char* column : columns) {
      expected.push_back(std::string(column) == "Value" ? std::string("WriteRegisterTable(") + value + ")"
                                                        : std::string("WriteValueCell(") + column + ")");
    }
    expected.push_back("EndRow()");
  }
  expected.insert(expected.end(),
                  {"EndTable()", "EndPageBody()", "ClosePage()", "RegisterPage(zeb_reg, ZEB Chipset Registers, true)"});
  EXPECT_EQ(fWriter.fCalls, expected);
}

const char kDeviceClasses[] = R"(
  class VKXSG_LogicalDevice { [Key] string DeviceID; string DeviceClass; string ElementName; string Manufacturer;
    string OtherIdentifyingInfo[]; };
  class VKXSG_PCIDevice { [Key] string DeviceID; string VendorID; string PciDeviceID; };
  class VKXSG_SystemSlot { [Key] string Tag; string SlotAllInfo; };
  class VKXSG_SystemBoard { [Key] string Tag; string SlotAllInfo; };
  [Association] class VKXSG_DeviceInSlot { [Key] VKXSG_SystemSlot REF Antecedent; [Key] VKXSG_PCIDevice REF Dependent; };
  [Association] class VKXSG_DeviceOnSystemBoard {
    [Key] VKXSG_SystemBoard REF Antecedent; [Key] VKXSG_PCIDevice REF Dependent; };
  class VKXSG_LinuxKernelModule { [Key] string Name; string Version; };
  class VKXSG_DeviceDriverInfo { [Key] string Name; string Version; };
)";

TEST_F(OpenPages, MergedDevicesJoinEachDeviceWithItsPCIFunctionSlotAndDriver) {
  Load(std::string(kDeviceClasses) + R"(
    instance of VKXSG_LogicalDevice { DeviceID = "dev04"; DeviceClass = "storage"; ElementName = "SAS4105";
      Manufacturer = "LSI"; OtherIdentifyingInfo = { "pci@0000:5e:00.0", "driver=mpt3sas" }; };
    instance of VKXSG_LogicalDevice { DeviceID = "WDEV04"; DeviceClass = "storage"; ElementName = "MegaRAID";
      OtherIdentifyingInfo = { "PCI\\VEN_1000&DEV_0014" }; };
    instance of VKXSG_LogicalDevice { DeviceID = "dev11"; DeviceClass = "power"; ElementName = "PSU 1";
      OtherIdentifyingInfo = { "750W", "driver=none" }; };
    instance of VKXSG_PCIDevice as $Sas { DeviceID = "0000:5e:00.0"; VendorID = "1000"; PciDeviceID = "0097"; };
    instance of VKXSG_PCIDevice as $Mr { DeviceID = "PCI\\VEN_1000&DEV_0014"; VendorID = "1000"; PciDeviceID = "0014"; };
    instance of VKXSG_SystemSlot as $Slot { Tag = "s1"; SlotAllInfo = "Slot 1"; };
    instance of VKXSG_SystemBoard as $Planar { Tag = "p"; SlotAllInfo = "Onboard"; };
    instance of VKXSG_DeviceInSlot { Antecedent = $Slot; Dependent = $Mr; };
    instance of VKXSG_DeviceOnSystemBoard { Antecedent = $Planar; Dependent = $Sas; };
    instance of VKXSG_LinuxKernelModule { Name = "mpt3sas"; Version = "43.100"; };)");
  WritePage("MergedDevice");
  EXPECT_EQ(Calls({"OpenPage", "WritePageTitle", "WriteTableGrid", "RegisterPage"}),
            (TCalls{"OpenPage(/out/mergedDevices)", "WritePageTitle(Merged Devices, , )", "WriteTableGrid(4x8)",
                    "RegisterPage(mergedDevices, Merged Devices, true)"}));
  const TTableGrid& grid = fWriter.fGrids.at(0);
  EXPECT_EQ(
      GridRows(grid),
      (TCalls{"Device Class | Device | Vendor | Identifying Info | PCI Vendor:Device | Slot | Driver | Driver Version",
              "power | PSU 1 |  | 750W, driver=none |  |  | none | ",
              "storage | MegaRAID |  | PCI\\VEN_1000&DEV_0014 | 1000:0014 | Slot 1 |  | ",
              "storage | SAS4105 | LSI | pci@0000:5e:00.0, driver=mpt3sas | 1000:0097 | Onboard | mpt3sas | 43.100"}));
  EXPECT_TRUE(grid.fColumnReport);
  EXPECT_TRUE(grid.fSortable);
  int32_t totalWidth = 0;
  for (int32_t width : grid.fColumnWidths) totalWidth += width;
  EXPECT_EQ(totalWidth, 100);
}

TEST_F(OpenPages, MergedDevicesAreLeftOutOnRedHat) {
  Load(std::string(kDeviceClasses) + R"(
    class VKXSG_OperatingSystem { [Key] string Name; string ProductVendor; uint16 OSType; };
    instance of VKXSG_OperatingSystem { Name = "os"; ProductVendor = "Red Hat, Inc."; OSType = 36; };
    instance of VKXSG_LogicalDevice { DeviceID = "d"; DeviceClass = "storage"; };)");
  WritePage("Analysis");
  EXPECT_TRUE(fWriter.fCalls.empty());
}

}  // namespace
