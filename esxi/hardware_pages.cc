// ESXi page operations of the hardware pages: inventory, PCI, firmware,
// service processor, sensors, storage and network adapters, LEDs, profiles.
#include "esxi/esxi_page_building.h"
#include "esxi/report_parameters_builder_vmwesxi.h"

namespace {

typedef TReportParameters::TReportProperty TReportProperty;

// The slot a PCI device sits in, or else the board it is built into.
void AddSlotColumn(TTableBuilder& table, const std::string& width) {
  table.Column("SlotAllInfo", width).Through("VKXSG_DeviceInSlot", "VKXSG_SystemSlot").ThenTo("VKXSG_SystemBoard");
}

// An LSI controller's software identity, shown under the controller.
TTableBuilder ControllerIdentityTable(const std::string& identityClass, const std::string& title) {
  TTableBuilder identity(identityClass, title);
  identity.ColumnStyle("100%").ReachedThrough("LSIESG_ElementSoftwareIdentity", identityClass)
      .Columns({{"VersionString", "10%"}});
  return identity;
}

void AddQLogicIdentityTable(TEsxiPageBuilder& page, const std::string& title, int instancesPerTable,
                             std::initializer_list<TPropertyFilter> filters) {
  page.Table("QLogicFCHBA_SoftwareIdentity", title, filters).ColumnStyle("80%").InstancesPerTable(instancesPerTable)
      .Columns({{"Name", "25%"}, {"Manufacturer", "25%"}, {"VersionString", "25%"}, {"BuildNumber", "25%"}});
}

void AddRegisteredProfileTable(TEsxiPageBuilder& page, const std::string& className, const std::string& title) {
  page.Table(className, title).ColumnStyle("80%").InstancesPerTable(100)
      .Columns({{"RegisteredName", "10%"}, {"RegisteredOrganization", "10%"}, {"RegisteredVersion", "10%"}});
}

}  // namespace

TReportParameters TReportParametersBuilder_vmwesxi::BuildHardwareInventoryParams() const {
  TEsxiPageBuilder page("Hardware Inventory", "hardware_inventory");

  page.Table("OMC_Card", "System Card Information").ColumnStyle("100%").InstancesPerTable(30)
      .Columns({{"Name", "10%"}, {"Caption", "20%"}, {"Manufacturer", "20%"}, {"Version", "10%"},
                {"SerialNumber", "10%"}});

  page.Table("VMware_HypervisorStorageExtent", "System Devices").ColumnStyle("100%").InstancesPerTable(8)
      .Columns({{"DeviceID", "10%"}, {"Name", "10%"}, {"OperationalStatus", "10%"}, {"EnabledState", "10%"},
                {"NumberOfBlocks", "10%"}, {"BlockSize", "10%"}, {"Description", "20%"}, {"Primordial", "10%"}});

  page.Table("OMC_PhysicalConnector", "Other Devices(physicalConnector)").ColumnStyle("100%").InstancesPerTable(30)
      .Columns({{"Tag", "20%"}, {"ElementName", "20%"}, {"Description", "30%"}, {"OtherIdentifyingInfo", "30%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildHardwareInventoryCPUSlotsParams() const {
  TEsxiPageBuilder page("Hardware Inventory", "hardware_inventory");
  page.HideReportTitle();
  page.Table("OMC_ProcessorSlot", "CPU Slots").RowStyle("80%", "10%").InstancesPerTable(12)
      .SortBy("Number", kAscending)
      .Rows({"Tag", "ElementName"}).Label("Name")
      .Rows({"ConnectorLayout", "Number"});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildHardwareInventoryMemorySlotsParams() const {
  TEsxiPageBuilder page("Hardware Inventory", "hardware_inventory");
  page.HideReportTitle();
  page.Table("OMC_MemorySlot", "Memory Slots").RowStyle("80%", "10%").InstancesPerTable(12)
      .SortBy("ElementName", kAscending)
      .Rows({"Tag"}).Label("MemorySlotID")
      .Rows({"ElementName"}).Label("Name")
      .Rows({"ConnectorLayout", "Number"});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildPCIInfoParams() const {
  TEsxiPageBuilder page("PCI Information", "pci_info");

  TTableBuilder& devices = page.Table("VKXSG_PCIDevice", "Devices").ColumnStyle("100%")
                               .SortBy("ClassCode", kAscending)
                               .Columns({{"ClassCode", "20%"}, {"Description", "30%"}});
  AddSlotColumn(devices, "15%");
  devices.Column("PciDeviceID", "5%").Label("DeviceID")
      .Columns({{"VendorID", "5%"}, {"IRQ", "5%"}})
      .Column("IOAddress", "5%").Separator(TReportProperty::AddressRangeSeparator)
      .Column("IOLength", "5%").Separator(TReportProperty::AddressRangeSeparator);

  TTableBuilder& bridges = page.Table("VKXSG_PCIBridge", "Bridges").ColumnStyle("100%")
                               .SortBy("ClassCode", kAscending)
                               .Columns({{"ClassCode", "15%"}, {"Description", "35%"}});
  AddSlotColumn(bridges, "10%");
  bridges.Column("Location", "25%");

  page.Table("VKXSG_SystemSlot", "Slots").ColumnStyle("100%").Sortable()
      .SortBy("SlotDesignation", kAscending)
      .Columns({{"SlotDesignation", "15%"}, {"Tag", "15%"}, {"ConnectorType", "15%"}, {"SlotLength", "5%"},
                {"MaxDataWidth", "10%"}, {"SupportsHotPlug", "5%"}, {"CurrentUsage", "10%"},
                {"OperationalStatus", "10%"}})
      .Column("VccMixedVoltageSupport", "15%").Separator(TReportProperty::ListSeparator);
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildFirmwareParams() const {
  TEsxiPageBuilder page("Firmware/VPD", "firmware");

  page.Table("OMC_MCFirmwareIdentity", "BMC Firmware").ColumnStyle("80%").InstancesPerTable(10)
      .Columns({{"Name", "15%"}, {"Manufacturer", "15%"}, {"VersionString", "15%"}, {"BuildNumber", "15%"}});

  page.Table("VMware_EPFirmwareSoftwareIdentity", "Device Firmware").ColumnStyle("80%").InstancesPerTable(10)
      .Columns({{"ElementName", "15%"}, {"Manufacturer", "15%"}, {"VersionString", "15%"}, {"BuildNumber", "15%"}});

  page.Table("OMC_SMASHFirmwareIdentity", "BIOS/uEFI").ColumnStyle("80%").InstancesPerTable(10)
      .Columns({{"ElementName", "15%"}, {"BuildNumber", "15%"}, {"VersionString", "15%"}, {"ReleaseDate", "15%"}});

  page.Table("OMC_PhysicalMemory", "Other VPD").ColumnStyle("80%").InstancesPerTable(10)
      .Columns({{"Name", "15%"}, {"Manufacturer", "15%"}, {"CanBeFRUed", "15%"}, {"PartNumber", "15%"},
                {"SerialNumber", "15%"}});

  page.Table("OMC_PowerSupply").ColumnStyle("80%").InstancesPerTable(10)
      .Columns({{"Name", "15%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildXCMConfigurationParams() const {
  TEsxiPageBuilder page("XCM Configuration", "SPConfig");

  page.Table("CIM_DNSSettingData", "DNSSettingData").RowStyle("70%", "40%").InstancesPerTable(1)
      .Rows({"RequestedHostname", "DNSServerAddresses", "ElementName"});

  page.Table("CIM_IPProtocolEndpoint", "DHCP IP Address", {Include("AddressOrigin", "4")})
      .RowStyle("70%", "40%").InstancesPerTable(1)
      .Rows({"IPv4Address", "SubnetMask", "SystemName", "AddressOrigin"});

  page.Table("OMC_IPMIIPProtocolEndpoint", "Static IP Address").RowStyle("70%", "40%").InstancesPerTable(1)
      .Rows({"Name", "IPv4Address", "SubnetMask", "IPv4DefaultGateway"});

  page.Table("CIM_SNMPCommunityString", "SNMP Community").RowStyle("70%", "40%").InstancesPerTable(1)
      .Rows({"CommunityString", "SystemName"});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildEnvironmentalsParams() const {
  TEsxiPageBuilder page("Environmentals", "environmentals");
  page.Table("OMC_NumericSensor", "Environmentals").ColumnStyle("100%").InstancesPerTable(1000)
      .SortBy("Name", kAscending, kSecondKeyFlag)
      .Column("ElementName", "25%").Label("Name")
      .Columns({{"CurrentReading", "25%"}, {"BaseUnits", "25%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildDriveHealthParams() const {
  return PlaceholderPage("Drive Health", "drive_health", "Drive Health");
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildLsiControllerParams() const {
  TEsxiPageBuilder page("LSI Controller", "lsi_mir");
  page.Table("LSIESG_MegaRAIDHBA", "LSI Contronler Card").RowStyle("100%", "")
      .Rows({"Name", "ElementName"})
      .AssociatedTables(
          {ControllerIdentityTable("LSIESG_ControllerBIOSIdentity", "controller bios version"),
           ControllerIdentityTable("LSIESG_ControllerFirmwareIdentity", "controller firmware version")});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildLSIIDEParams() const {
  return PlaceholderPage("LSI IDE Controller", "lsiide", "LSI IDE Controller");
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildPMCRAIDParams() const {
  return PlaceholderPage("PMC RAID", "pmc", "PMC");
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildKeelRAIDParams() const {
  return PlaceholderPage("KeelRAID", "keelraid", "Keel RAID");
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildKeelRAIDLogsParams() const {
  return PlaceholderPage("KeelRAID Logs", "keelRaidlogs", "Keel RAID Logs");
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildQlogicParams() const {
  TEsxiPageBuilder page("Qlogic", "qlogic");
  AddQLogicIdentityTable(page, "Firmware", 1000, {Include("Name", "firmware")});
  AddQLogicIdentityTable(page, "BIOS", 5, {Include("Name", "BIOS")});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildEmulexParams() const {
  TEsxiPageBuilder page("Emulex", "emulex");

  page.Table("ELXHBA_SoftwareIdentity", "Firmware", {Include("Classifications", "10"), Include("Name", "Firmware")})
      .ColumnStyle("80%").InstancesPerTable(1000)
      .Columns({{"Name", "30%"}, {"VersionString", "30%"}, {"Description", "40%"}});

  page.Table("ELXHBA_SoftwareIdentity", "BIOS", {Include("Classifications", "11")})
      .ColumnStyle("80%").InstancesPerTable(1000)
      .Column("ElementName", "30%").Label("Name")
      .Columns({{"VersionString", "30%"}, {"Description", "40%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildBrocadeAdapterParams() const {
  TEsxiPageBuilder page("Brocade Adapter", "brocade_adapter");
  page.Table("BROCADE_PortController", "Port Controller").ColumnStyle("60%")
      .Columns({{"DeviceID", "15%"}, {"Description", "15%"}, {"StatusDescriptions", "15%"},
                {"OtherControllerType", "15%"}})
      .AssociatedTables({
          TTableBuilder("BROCADE_FCPort", "FC Port").ColumnStyle("60%")
              .ReachedThrough("BROCADE_ControlledBy", "BROCADE_FCPort")
              .Columns({{"DeviceID", "30%"}, {"Caption", "30%"}}),
          TTableBuilder("BROCADE_EthernetPort", "Ethernet Port").ColumnStyle("100%")
              .ReachedThrough("BROCADE_EthernetPortControlledBy", "BROCADE_EthernetPort")
              .Columns({{"DeviceID", "20%"}, {"PortType", "20%"}, {"ElementName", "20%"},
                        {"PermanentAddress", "20%"}, {"NetworkAddresses", "20%"}}),
          TTableBuilder("BROCADE_AdapterSoftwareIdentity", "Adapter Software").ColumnStyle("100%")
              .ReachedThrough("BROCADE_AdapterElementSoftwareIdentity", "BROCADE_AdapterSoftwareIdentity")
              .Columns({{"InstanceID", "30%"}, {"Description", "30%"}})
              .Column("VersionString", "40%").Label("Version")});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildGlowLineParams() const {
  const bool multiNode = IsMultiNode();
  // The node column takes its share from the others.
  const std::string width = multiNode ? "10%" : "11%";
  TEsxiPageBuilder page("Glow Line", "glowline");
  TTableBuilder& leds = page.Table("CIM_IndicatorLED", "LED Settings").ColumnStyle("80%").InstancesPerTable(1000);
  if (multiNode) leds.SortBy("NodeID", kAscending);
  leds.SortBy("ElementName", kAscending);
  if (multiNode) leds.Column("NodeID", "10%").Label("SourceNode");
  leds.Column("ElementName", width).Label("LED")
      .Column("DeviceID", width)
      .Column("ActivationState", width).Label("Current State")
      .Column("ControlMode", width)
      .Column("Color", width)
      .Column("IndicatedConditions", width)
      .Column("LocationIndicator", width).Label("Location info");
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildXCMBuiltinSelfTestParams() const {
  TEsxiPageBuilder page("XCM Built-in Self Test", "bist");
  page.Table("VMware_IPMIOEMExtensionData", "IPMI BIST Results").RowStyle("80%", "20%").InstancesPerTable(1)
      .Rows({"Description", "VersionString"});
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildRegisteredProfileParams() const {
  TEsxiPageBuilder page("Registered Profile", "registered_profile");
  AddRegisteredProfileTable(page, "VMware_PowerManagementServiceRegisteredProfile", "VMware");
  AddRegisteredProfileTable(page, "OMC_RegisteredProfile", "OMC");
  return page.Build();
}

TReportParameters TReportParametersBuilder_vmwesxi::BuildHealthStatusParams() const {
  TEsxiPageBuilder page("Health Status", "health_status");
  page.Table("VMware_StoreLibSoftwareIdentity", "Storage").ColumnStyle("80%").InstancesPerTable(1)
      .Columns({{"InstanceID", "10%"}, {"VersionString", "10%"}, {"ReleaseDate", "10%"}, {"HealthState", "10%"}});
  return page.Build();
}
