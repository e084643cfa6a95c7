#include <gtest/gtest.h>

#include "esxi/report_parameters_builder_vmwesxi.h"
#include "tests/esxi/page_listing.h"
#include "writer/cim_reading.h"

namespace {

using NVKXQZA20::TCIMContext;

TReportParametersBuilder_vmwesxi Catalog(const std::string& mof = "") {
  return TReportParametersBuilder_vmwesxi(RepositoryFromMof(mof), "default");
}

std::string ChassisOfNodes(int nodes) {
  return "class OMC_Chassis { [Key] string Tag; uint16 IpmiNodeCount; };\n"
         "instance of OMC_Chassis { Tag = \"main\"; IpmiNodeCount = " + std::to_string(nodes) + "; };\n";
}

TEST(EsxiHardwarePages, HardwareInventoryAndItsSlotPagesShareTheLink) {
  const TReportParametersBuilder_vmwesxi catalog = Catalog();
  EXPECT_EQ((TLines{"page \"Hardware Inventory\" link hardware_inventory",
                    "table OMC_Card, title \"System Card Information\", column style, width 100%, "
                    "at most 30 per table",
                    "  column Name 10%", "  column Caption 20%", "  column Manufacturer 20%", "  column Version 10%",
                    "  column SerialNumber 10%",
                    "table VMware_HypervisorStorageExtent, title \"System Devices\", column style, width 100%, "
                    "at most 8 per table",
                    "  column DeviceID 10%", "  column Name 10%", "  column OperationalStatus 10%",
                    "  column EnabledState 10%", "  column NumberOfBlocks 10%", "  column BlockSize 10%",
                    "  column Description 20%", "  column Primordial 10%",
                    "table OMC_PhysicalConnector, title \"Other Devices(physicalConnector)\", column style, "
                    "width 100%, at most 30 per table",
                    "  column Tag 20%", "  column ElementName 20%", "  column Description 30%",
                    "  column OtherIdentifyingInfo 30%"}),
            PageListing(catalog.BuildHardwareInventoryParams()));
  EXPECT_EQ((TLines{"page \"Hardware Inventory\" link hardware_inventory, title hidden",
                    "table OMC_ProcessorSlot, title \"CPU Slots\", row style, width 80%, label column 10%, "
                    "at most 12 per table",
                    "  sort Number ascending", "  column Tag 0%", "  column ElementName 0% (label \"Name\")",
                    "  column ConnectorLayout 0%", "  column Number 0%"}),
            PageListing(catalog.BuildHardwareInventoryCPUSlotsParams()));
  EXPECT_EQ((TLines{"page \"Hardware Inventory\" link hardware_inventory, title hidden",
                    "table OMC_MemorySlot, title \"Memory Slots\", row style, width 80%, label column 10%, "
                    "at most 12 per table",
                    "  sort ElementName ascending", "  column Tag 0% (label \"MemorySlotID\")",
                    "  column ElementName 0% (label \"Name\")", "  column ConnectorLayout 0%", "  column Number 0%"}),
            PageListing(catalog.BuildHardwareInventoryMemorySlotsParams()));
}

TEST(EsxiHardwarePages, PCIInformationReachesSlotsOrBoardsAndJoinsAddressRanges) {
  EXPECT_EQ((TLines{"page \"PCI Information\" link pci_info",
                    "table VKXSG_PCIDevice, title \"Devices\", column style, width 100%",
                    "  sort ClassCode ascending",
                    "  column ClassCode 20%", "  column Description 30%",
                    "  column SlotAllInfo 15% (through VKXSG_DeviceInSlot to VKXSG_SystemSlot, "
                    "then to VKXSG_SystemBoard)",
                    "  column PciDeviceID 5% (label \"DeviceID\")", "  column VendorID 5%", "  column IRQ 5%",
                    "  column IOAddress 5% (separator 3)", "  column IOLength 5% (separator 3)",
                    "table VKXSG_PCIBridge, title \"Bridges\", column style, width 100%",
                    "  sort ClassCode ascending",
                    "  column ClassCode 15%", "  column Description 35%",
                    "  column SlotAllInfo 10% (through VKXSG_DeviceInSlot to VKXSG_SystemSlot, "
                    "then to VKXSG_SystemBoard)",
                    "  column Location 25%",
                    "table VKXSG_SystemSlot, title \"Slots\", column style, width 100%, sortable",
                    "  sort SlotDesignation ascending",
                    "  column SlotDesignation 15%", "  column Tag 15%", "  column ConnectorType 15%",
                    "  column SlotLength 5%", "  column MaxDataWidth 10%", "  column SupportsHotPlug 5%",
                    "  column CurrentUsage 10%", "  column OperationalStatus 10%",
                    "  column VccMixedVoltageSupport 15% (separator 1)"}),
            PageListing(Catalog().BuildPCIInfoParams()));
}

TEST(EsxiHardwarePages, FirmwareShowsControllerDeviceAndSystemFirmwareAndVPD) {
  EXPECT_EQ((TLines{"page \"Firmware/VPD\" link firmware",
                    "table OMC_MCFirmwareIdentity, title \"BMC Firmware\", column style, width 80%, "
                    "at most 10 per table",
                    "  column Name 15%", "  column Manufacturer 15%", "  column VersionString 15%",
                    "  column BuildNumber 15%",
                    "table VMware_EPFirmwareSoftwareIdentity, title \"Device Firmware\", column style, width 80%, "
                    "at most 10 per table",
                    "  column ElementName 15%", "  column Manufacturer 15%", "  column VersionString 15%",
                    "  column BuildNumber 15%",
                    "table OMC_SMASHFirmwareIdentity, title \"BIOS/uEFI\", column style, width 80%, "
                    "at most 10 per table",
                    "  column ElementName 15%", "  column BuildNumber 15%", "  column VersionString 15%",
                    "  column ReleaseDate 15%",
                    "table OMC_PhysicalMemory, title \"Other VPD\", column style, width 80%, at most 10 per table",
                    "  column Name 15%", "  column Manufacturer 15%", "  column CanBeFRUed 15%",
                    "  column PartNumber 15%", "  column SerialNumber 15%",
                    "table OMC_PowerSupply, no title, column style, width 80%, at most 10 per table",
                    "  column Name 15%"}),
            PageListing(Catalog().BuildFirmwareParams()));
}

TEST(EsxiHardwarePages, XCMConfigurationShowsDNSAddressesAndCommunities) {
  EXPECT_EQ((TLines{"page \"XCM Configuration\" link SPConfig",
                    "table CIM_DNSSettingData, title \"DNSSettingData\", row style, width 70%, label column 40%, "
                    "at most 1 per table",
                    "  column RequestedHostname 0%", "  column DNSServerAddresses 0%", "  column ElementName 0%",
                    "table CIM_IPProtocolEndpoint, title \"DHCP IP Address\", row style, width 70%, "
                    "label column 40%, at most 1 per table, with property filters",
                    "  filter AddressOrigin include 4",
                    "  column IPv4Address 0%", "  column SubnetMask 0%", "  column SystemName 0%",
                    "  column AddressOrigin 0%",
                    "table OMC_IPMIIPProtocolEndpoint, title \"Static IP Address\", row style, width 70%, "
                    "label column 40%, at most 1 per table",
                    "  column Name 0%", "  column IPv4Address 0%", "  column SubnetMask 0%",
                    "  column IPv4DefaultGateway 0%",
                    "table CIM_SNMPCommunityString, title \"SNMP Community\", row style, width 70%, "
                    "label column 40%, at most 1 per table",
                    "  column CommunityString 0%", "  column SystemName 0%"}),
            PageListing(Catalog().BuildXCMConfigurationParams()));
}

TEST(EsxiHardwarePages, EnvironmentalsListSensorsByName) {
  EXPECT_EQ((TLines{"page \"Environmentals\" link environmentals",
                    "table OMC_NumericSensor, title \"Environmentals\", column style, width 100%, "
                    "at most 1000 per table",
                    "  sort Name ascending second", "  column ElementName 25% (label \"Name\")",
                    "  column CurrentReading 25%", "  column BaseUnits 25%"}),
            PageListing(Catalog().BuildEnvironmentalsParams()));
}

TEST(EsxiHardwarePages, LSIControllerCarriesItsBIOSAndFirmwareIdentities) {
  EXPECT_EQ((TLines{"page \"LSI Controller\" link lsi_mir",
                    "table LSIESG_MegaRAIDHBA, title \"LSI Contronler Card\", row style, width 100%, label column , "
                    "with associated tables",
                    "  column Name 0%", "  column ElementName 0%",
                    "  associated LSIESG_ControllerBIOSIdentity, title \"controller bios version\", column style, "
                    "width 100%, through LSIESG_ElementSoftwareIdentity to LSIESG_ControllerBIOSIdentity",
                    "    column VersionString 10%",
                    "  associated LSIESG_ControllerFirmwareIdentity, title \"controller firmware version\", "
                    "column style, width 100%, through LSIESG_ElementSoftwareIdentity to "
                    "LSIESG_ControllerFirmwareIdentity",
                    "    column VersionString 10%"}),
            PageListing(Catalog().BuildLsiControllerParams()));
}

TEST(EsxiHardwarePages, QLogicAndEmulexSplitFirmwareFromBIOSByFilters) {
  const TReportParametersBuilder_vmwesxi catalog = Catalog();
  EXPECT_EQ((TLines{"page \"Qlogic\" link qlogic",
                    "table QLogicFCHBA_SoftwareIdentity, title \"Firmware\", column style, width 80%, "
                    "at most 1000 per table, with property filters",
                    "  filter Name include firmware",
                    "  column Name 25%", "  column Manufacturer 25%", "  column VersionString 25%",
                    "  column BuildNumber 25%",
                    "table QLogicFCHBA_SoftwareIdentity, title \"BIOS\", column style, width 80%, "
                    "at most 5 per table, with property filters",
                    "  filter Name include BIOS",
                    "  column Name 25%", "  column Manufacturer 25%", "  column VersionString 25%",
                    "  column BuildNumber 25%"}),
            PageListing(catalog.BuildQlogicParams()));
  EXPECT_EQ((TLines{"page \"Emulex\" link emulex",
                    "table ELXHBA_SoftwareIdentity, title \"Firmware\", column style, width 80%, "
                    "at most 1000 per table, with property filters",
                    "  filter Classifications include 10", "  filter Name include Firmware",
                    "  column Name 30%", "  column VersionString 30%", "  column Description 40%",
                    "table ELXHBA_SoftwareIdentity, title \"BIOS\", column style, width 80%, "
                    "at most 1000 per table, with property filters",
                    "  filter Classifications include 11",
                    "  column ElementName 30% (label \"Name\")", "  column VersionString 30%",
                    "  column Description 40%"}),
            PageListing(catalog.BuildEmulexParams()));
}

TEST(EsxiHardwarePages, EmulexTablesKeepOnlyTheirClassificationOfIdentities) {
  TTestNamespace ns = RepositoryFromMof(R"(
    class ELXHBA_SoftwareIdentity { [Key] string InstanceID; string Name; uint16 Classifications[]; };
    instance of ELXHBA_SoftwareIdentity { InstanceID = "fw"; Name = "Firmware 2.1"; Classifications = {10}; };
    instance of ELXHBA_SoftwareIdentity { InstanceID = "fw-unnamed"; Name = "Image"; Classifications = {10}; };
    instance of ELXHBA_SoftwareIdentity { InstanceID = "bios"; Name = "Boot code"; Classifications = {11}; };
    instance of ELXHBA_SoftwareIdentity { InstanceID = "both"; Name = "Firmware"; Classifications = {10, 11}; };
    instance of ELXHBA_SoftwareIdentity { InstanceID = "none"; Name = "Firmware"; };)");
  TEsxiRecordingWriter writer;
  writer.Initialize(ns, TCIMContext(), "");
  const TReportParameters page = TReportParametersBuilder_vmwesxi(ns, "default").BuildEmulexParams();
  TLines kept;
  for (const auto& table : page.GetClasses()) {
    for (const auto& identity : writer.GetInstances(table)) {
      kept.push_back(table.GetTitle() + ": " + PropertyText(*identity, "InstanceID"));
    }
  }
  EXPECT_EQ((TLines{"Firmware: fw", "Firmware: both", "BIOS: bios", "BIOS: both"}), kept);
}

TEST(EsxiHardwarePages, BrocadeAdapterShowsPortsAndSoftwareOfEachController) {
  EXPECT_EQ((TLines{"page \"Brocade Adapter\" link brocade_adapter",
                    "table BROCADE_PortController, title \"Port Controller\", column style, width 60%, "
                    "with associated tables",
                    "  column DeviceID 15%", "  column Description 15%", "  column StatusDescriptions 15%",
                    "  column OtherControllerType 15%",
                    "  associated BROCADE_FCPort, title \"FC Port\", column style, width 60%, "
                    "through BROCADE_ControlledBy to BROCADE_FCPort",
                    "    column DeviceID 30%", "    column Caption 30%",
                    "  associated BROCADE_EthernetPort, title \"Ethernet Port\", column style, width 100%, "
                    "through BROCADE_EthernetPortControlledBy to BROCADE_EthernetPort",
                    "    column DeviceID 20%", "    column PortType 20%", "    column ElementName 20%",
                    "    column PermanentAddress 20%", "    column NetworkAddresses 20%",
                    "  associated BROCADE_AdapterSoftwareIdentity, title \"Adapter Software\", column style, "
                    "width 100%, through BROCADE_AdapterElementSoftwareIdentity to BROCADE_AdapterSoftwareIdentity",
                    "    column InstanceID 30%", "    column Description 30%",
                    "    column VersionString 40% (label \"Version\")"}),
            PageListing(Catalog().BuildBrocadeAdapterParams()));
}

TEST(EsxiHardwarePages, GlowLineGainsTheNodeColumnOnlyOnMultiNodeSystems) {
  EXPECT_EQ((TLines{"page \"Glow Line\" link glowline",
                    "table CIM_IndicatorLED, title \"LED Settings\", column style, width 80%, at most 1000 per table",
                    "  sort NodeID ascending", "  sort ElementName ascending",
                    "  column NodeID 10% (label \"SourceNode\")", "  column ElementName 10% (label \"LED\")",
                    "  column DeviceID 10%", "  column ActivationState 10% (label \"Current State\")",
                    "  column ControlMode 10%", "  column Color 10%", "  column IndicatedConditions 10%",
                    "  column LocationIndicator 10% (label \"Location info\")"}),
            PageListing(Catalog(ChassisOfNodes(2)).BuildGlowLineParams()));
  EXPECT_EQ((TLines{"page \"Glow Line\" link glowline",
                    "table CIM_IndicatorLED, title \"LED Settings\", column style, width 80%, at most 1000 per table",
                    "  sort ElementName ascending",
                    "  column ElementName 11% (label \"LED\")", "  column DeviceID 11%",
                    "  column ActivationState 11% (label \"Current State\")", "  column ControlMode 11%",
                    "  column Color 11%", "  column IndicatedConditions 11%",
                    "  column LocationIndicator 11% (label \"Location info\")"}),
            PageListing(Catalog(ChassisOfNodes(1)).BuildGlowLineParams()));
}

TEST(EsxiHardwarePages, SelfTestProfilesAndHealthStatusPages) {
  const TReportParametersBuilder_vmwesxi catalog = Catalog();
  EXPECT_EQ((TLines{"page \"XCM Built-in Self Test\" link bist",
                    "table VMware_IPMIOEMExtensionData, title \"IPMI BIST Results\", row style, width 80%, "
                    "label column 20%, at most 1 per table",
                    "  column Description 0%", "  column VersionString 0%"}),
            PageListing(catalog.BuildXCMBuiltinSelfTestParams()));
  EXPECT_EQ((TLines{"page \"Registered Profile\" link registered_profile",
                    "table VMware_PowerManagementServiceRegisteredProfile, title \"VMware\", column style, "
                    "width 80%, at most 100 per table",
                    "  column RegisteredName 10%", "  column RegisteredOrganization 10%",
                    "  column RegisteredVersion 10%",
                    "table OMC_RegisteredProfile, title \"OMC\", column style, width 80%, at most 100 per table",
                    "  column RegisteredName 10%", "  column RegisteredOrganization 10%",
                    "  column RegisteredVersion 10%"}),
            PageListing(catalog.BuildRegisteredProfileParams()));
  EXPECT_EQ((TLines{"page \"Health Status\" link health_status",
                    "table VMware_StoreLibSoftwareIdentity, title \"Storage\", column style, width 80%, "
                    "at most 1 per table",
                    "  column InstanceID 10%", "  column VersionString 10%", "  column ReleaseDate 10%",
                    "  column HealthState 10%"}),
            PageListing(catalog.BuildHealthStatusParams()));
}

}  // namespace
