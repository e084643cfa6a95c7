// The hardware pages of the catalog: inventory, PCI view, firmware and VPD,
// service-processor settings, LED state, self tests and the Brocade, Emulex
// and QLogic adapters.
#include "catalog/page_building.h"

namespace {

const TTableBuilder::TReportProperty::ArrayValueSeparator kListSeparator =
    TTableBuilder::TReportProperty::ListSeparator;
const TTableBuilder::TReportProperty::ArrayValueSeparator kAddressRangeSeparator =
    TTableBuilder::TReportProperty::AddressRangeSeparator;

// The Windows and the other system-device tables differ only in their class.
void SystemDevicesTable(TPageBuilder& page, const std::string& className) {
  page.Table(className, "System Devices").ColumnStyle("100%")
      .Columns({{"VendorId", "10%"}, {"ProductId", "15%"}, {"DeviceType", "15%"}, {"serialNum", "15%"},
                {"Revision", "10%"}, {"HostAdapterId", "11%"}, {"TargetId", "11%"}, {"Bus", "7%"},
                {"Lun", "6%"}});
}

// The PCI slot of a device, or of the board when the device sits in none.
TTableBuilder& SlotColumn(TTableBuilder& table, const std::string& width) {
  return table.Column("SlotAllInfo", width).Through("VKXSG_DeviceInSlot", "VKXSG_SystemSlot")
      .ThenTo("VKXSG_SystemBoard");
}

// Every firmware element table: its columns, sorted by name.
TTableBuilder& FirmwareElementTable(TTableBuilder& table) {
  return table.ColumnStyle("100%").SortBy("Name", kAscending)
      .Columns({{"Name", "15%"}, {"Manufacturer", "15%"}})
      .Column("ProductID", "15%").Through("VKXSG_DeviceFirmware", "VKXSG_SysBusDevice")
      .Column("OtherIdentifyingInfo", "20%").Label("Device").Through("VKXSG_DeviceFirmware", "CIM_LogicalDevice")
      .Columns({{"Version", "10%"}, {"BuildNumber", "10%"}, {"BuildDate", "15%"}});
}

// Every adapter BIOS element table: its columns, sorted by name.
TTableBuilder& BIOSElementTable(TTableBuilder& table) {
  return table.ColumnStyle("100%").SortBy("Name", kAscending)
      .Columns({{"Name", "34%"}, {"Version", "33%"}, {"ReleaseDate", "33%"}});
}

// A service-processor settings table: one instance each, told apart by the
// node it belongs to on a multi-node system.
void ServiceProcessorTable(TPageBuilder& page, const std::string& className, const std::string& title,
                           bool multiNode, std::initializer_list<std::string> rows) {
  TTableBuilder& table = page.Table(className, title).RowStyle("80%", "30%").InstancesPerTable(1);
  if (multiNode) table.UniqueId("SourceNode").Rows({"SourceNode"});
  table.Rows(rows);
}

enum EFirmwareVersionRow { kWithFirmwareVersion, kWithoutFirmwareVersion };

// A built-in self test table: the controller, its firmware version, its node
// on a multi-node system, then its own results.
void SelfTestTable(TPageBuilder& page, const std::string& className, const std::string& title,
                   EFirmwareVersionRow versionRow, bool multiNode, std::initializer_list<std::string> results) {
  TTableBuilder& table = page.Table(className, title).RowStyle("75%", "30%").InstancesPerTable(1)
      .Rows({"Description"});
  if (versionRow == kWithFirmwareVersion) {
    table.RowsThrough({"Version"}, "VKXSG_SPSystemFirmware", "VKXSG_FirmwareElement");
  }
  if (multiNode) table.Rows({"SourceNode"});
  table.Rows(results);
}

}  // namespace

TReportParameters TReportParametersBuilder::BuildHardwareInfoParams() const {
  const EOSType osType = GetOSType();
  const std::string version = GetDataSourceVersion();
  const bool preboot = IsPreboot();
  TPageBuilder page("Hardware Inventory", "hw_info");

  TTableBuilder& processors = page.Table("VKXSG_Processor", "Processor/Core").RowStyle("75%", "40%")
      .InstancesPerTable(6).UniqueId("DeviceId").SortBy("DeviceID", kAscending).SortBy("Core", kAscending)
      .Rows({"DeviceID", "Core", "Manufacturer", "Name", "Stepping", "CurrentClockSpeed", "CPUStatus"});
  if (osType != OSVMware) processors.Rows({"HTSupported", "HTEnabled"});
  processors.Rows({"L1OperationalMode", "L1Enabled", "L2OperationalMode", "L2Enabled", "L3OperationalMode",
                   "L3Enabled"});

  if (version < "1.1") {
    page.Table("VKXSG_PhysicalMemory", "Memory").ColumnStyle("100%").UniqueId("Tag")
        .Columns({{"Tag", "34%"}, {"Capacity", "33%"}, {"BankLabel", "33%"}});
  } else {
    page.Table("VKXSG_SPDData", "Memory").RowStyle("75%", "25%").InstancesPerTable(8).UniqueId("Tag")
        .SortBy("Index", kAscending, kSecondKeyFlag)
        .Rows({"Tag", "BankLabel", "Capacity", "MemoryTypeA", "DimmSpeed", "ErrorMethodology", "Manufacturer",
               "PartNumber", "SerialNumber"});
  }

  TTableBuilder& disks = page.Table("VKXSG_MediaAccessDevice", "Disk Information").ColumnStyle("100%")
      .Sortable().UniqueId("DeviceId").SortBy("Name", kAscending, kSecondKeyFlag)
      .Column("Name", "20%");
  if (osType != OSLinux) {
    disks.Columns({{"DiskType", "20%"}, {"DiskStatus", "20%"}, {"Size", "20%"}, {"NoOfPartitions", "20%"}});
  } else {
    disks.Columns({{"Size", "40%"}, {"NoOfPartitions", "40%"}});
  }
  disks.AssociatedTables({
      TTableBuilder("VKXSG_DiskPartition").ColumnStyle("100%").UniqueId("DeviceId")
          .ReachedThrough("VKXSG_PartitionPresent", "VKXSG_DiskPartition")
          .SortBy("DeviceID", kAscending, kSecondKeyFlag)
          .Columns({{"DeviceID", "15%"}, {"PartitionType", "15%"}})
          .Column("PartitionSubType", "15%").Label("PartitionSubType")
          .Column("FileSystemName", "15%").Label("Format")
              .Through("VKXSG_LogicalDiskBasedOnPartition", "VKXSG_LogicalDisk")
          .Columns({{"Size", "15%"}, {"StartingOffset", "15%"}, {"FaultTolerant", "10%"}})});

  TTableBuilder& volumes = page.Table("VKXSG_LogicalDisk", "Volumes/Mount Points").ColumnStyle("100%")
      .UniqueId("DeviceId").SortBy("DeviceID", kAscending);
  if (!IsWindows(osType)) {
    volumes.Columns({{"DeviceID", "20%"}, {"OtherIdentifyingInfo", "30%"}, {"FileSystemName", "20%"},
                     {"FreeSpace", "15%"}, {"TotalSpace", "15%"}});
  } else {
    volumes.Columns({{"DeviceID", "5%"}, {"OtherIdentifyingInfo", "15%"}, {"VolumeLayout", "10%"},
                     {"FileSystemName", "10%"}, {"VolumeState", "10%"}, {"FreeSpace", "10%"},
                     {"TotalSpace", "10%"}, {"DiskQuotaStatus", "10%"}, {"UserDiskQuota", "10%"},
                     {"UserDiskFreeSpace", "10%"}});
  }

  if (!preboot) {
    page.Table("VKXSG_VideoController", "Video Controller").ColumnStyle("100%").UniqueId("DeviceId")
        .Columns({{"Name", "20%"}, {"StatusDescriptions", "10%"}, {"BiosString", "15%"}, {"VideoRamSize", "10%"},
                  {"VideoProcessor", "25%"}, {"DACType", "20%"}})
        .AssociatedTables({
            TTableBuilder("VKXSG_VideoHead").RowStyle("100%", "20%").InstancesPerTable(1).UniqueId("DeviceId")
                .ReachedThrough("VKXSG_HeadOfVideoController", "VKXSG_VideoHead")
                .Rows({"HeadNumber", "MonitorString", "CurrentHorizontalResolution", "CurrentVerticalResolution",
                       "CurrentBitsPerPixel", "CurrentRefreshRate", "CurrentScanMode", "MaxRefreshRate",
                       "MinRefreshRate"})});
  }

  page.Table("VKXSG_DesktopMonitor", "Monitor").ColumnStyle("100%").Sortable().UniqueId("DeviceId")
      .Columns({{"Name", "10%"}, {"Description", "10%"}, {"MonitorManufacturer", "10%"},
                {"ManufacturingDate", "15%"}})
      .Column("OperationalStatus", "5%").Label("Status")
      .Column("StatusDescriptions", "10%").Label("State")
      .Columns({{"DPMSActiveOff", "10%"}, {"DPMSStandby", "10%"}, {"DPMSSuspend", "10%"}, {"EDIDVersion", "10%"}})
      .AssociatedTables({
          TTableBuilder("VKXSG_MonitorResolution").ColumnStyle("50%").Sortable().UniqueId("SettingID")
              .ReachedThrough("VKXSG_MonitorSetting", "VKXSG_MonitorResolution")
              .Columns({{"HorizontalResolution", "25%"}, {"VerticalResolution", "25%"}, {"RefreshRate", "20%"},
                        {"ScanMode", "30%"}})});

  page.Table("VKXSG_Card", "System Card Information").ColumnStyle("100%")
      .Columns({{"Tag", "20%"}, {"CardType", "20%"}, {"Manufacturer", "20%"}, {"Version", "20%"},
                {"SerialNumber", "20%"}});

  if (!IsWindows(osType)) {
    SystemDevicesTable(page, "VKXSG_SCSIDevice");
    page.Table("VKXSG_ATADevice", "ATA/IDE Devices").ColumnStyle("100%")
        .Columns({{"DeviceId", "20%"}, {"VendorId", "20%"}, {"ProductId", "20%"}, {"serialNum", "20%"},
                  {"Revision", "20%"}});
  } else {
    SystemDevicesTable(page, "VKXSG_SysBusDevice");
  }

  page.Table("VKXSG_USBHub", "USB Hub").ColumnStyle("100%")
      .Columns({{"Description", "80%"}, {"NumberOfPorts", "20%"}});

  page.Table("VKXSG_USBDevice", "USB Devices").ColumnStyle("100%")
      .Columns({{"VendorId", "20%"}, {"USBDeviceId", "20%"}, {"Manufacturer", "20%"}, {"Description", "20%"},
                {"Speed", "20%"}});

  TTableBuilder& optical = page.Table("VKXSG_CDVDDevice", "Optical Device Capabilities").ColumnStyle("100%");
  if (!IsLinuxOrVMware(osType)) {
    optical.Columns({{"VendorId", "9%"}, {"ProductId", "10%"}});
  } else {
    optical.Columns({{"DeviceId", "19%"}});
  }
  optical.Columns({{"DvdRamRead", "9%"}, {"DvdRRead", "9%"}, {"DvdRomRead", "9%"}, {"DvdRamWrite", "9%"},
                   {"DvdRWrite", "9%"}, {"CdRwRead", "9%"}, {"CdRRead", "9%"}, {"CdRwWrite", "9%"},
                   {"CdRWrite", "9%"}});

  page.Table("VKXSG_ZEBPort", "ZEB Ports").ColumnStyle("100%").SortBy("Chassis", kAscending)
      .Columns({{"Chassis", "10%"}, {"PortLocation", "20%"}, {"Name", "40%"}, {"PortType", "20%"},
                {"PortStatus", "10%"}});

  page.Table("VKXSG_QpiPort", "QPI Ports").ColumnStyle("100%").SortBy("Description", kAscending)
      .Columns({{"Description", "30%"}, {"PortLocation", "10%"}, {"EnabledState", "10%"},
                {"OperationalStatus", "10%"}, {"StatusDescriptions", "25%"}, {"Speed", "15%"}});

  page.Table("VKXSG_LogicalDevice", "Other Devices").ColumnStyle("100%").Sortable()
      .SortBy("DeviceClass", kAscending)
      .Columns({{"DeviceClass", "10%"}, {"ElementName", "20%"}})
      .Column("Manufacturer", "24%").Label("Vendor Info")
      .Column("OtherIdentifyingInfo", "46%");

  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildPCIInfoParams() const {
  const bool preboot = IsPreboot();
  TPageBuilder page("PCI Information", "pci_info");

  TTableBuilder& devices = page.Table("VKXSG_PCIDevice", "Devices").ColumnStyle("100%")
      .SortBy("ClassCode", kAscending)
      .Column("ClassCode", "20%");
  if (!preboot) {
    devices.Columns({{"Description", "30%"}, {"StatusDescriptions", "10%"}});
  } else {
    devices.Column("Description", "40%");
  }
  SlotColumn(devices, "15%")
      .Column("PciDeviceID", "5%").Label("DeviceID")
      .Columns({{"VendorID", "5%"}, {"IRQ", "5%"}})
      .Column("IOAddress", "5%").Separator(kAddressRangeSeparator)
      .Column("IOLength", "5%").Separator(kAddressRangeSeparator);

  TTableBuilder& bridges = page.Table("VKXSG_PCIBridge", "Bridges").ColumnStyle("100%")
      .SortBy("ClassCode", kAscending)
      .Column("ClassCode", "15%");
  if (!preboot) {
    bridges.Columns({{"Description", "35%"}, {"StatusDescriptions", "15%"}});
  } else {
    bridges.Column("Description", "50%");
  }
  SlotColumn(bridges, "10%")
      .Column("Location", "25%");

  page.Table("VKXSG_SystemSlot", "Slots").ColumnStyle("100%").Sortable().SortBy("SlotDesignation", kAscending)
      .Columns({{"SlotDesignation", "15%"}, {"Tag", "15%"}, {"ConnectorType", "15%"}, {"SlotLength", "5%"},
                {"MaxDataWidth", "10%"}, {"SupportsHotPlug", "5%"}, {"CurrentUsage", "10%"},
                {"OperationalStatus", "10%"}})
      .Column("VccMixedVoltageSupport", "15%").Separator(kListSeparator);

  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildFirmwareParams() const {
  const bool multiNode = IsMultiNode();
  TPageBuilder page("Firmware/VPD", "firmware");

  FirmwareElementTable(page.Table("VKXSG_FirmwareElement", "Firmware"));

  FirmwareElementTable(page.Table("EMXCNA_FirmwareVersion", "Emulex Firmware"));

  TTableBuilder& bios = page.Table("CIM_BIOSElement", "BIOS/uEFI").ColumnStyle("100%").SortBy("Name", kAscending);
  if (multiNode) {
    bios.Columns({{"Name", "20%"}, {"SourceNode", "20%"}, {"BuildNumber", "20%"}, {"Version", "20%"},
                  {"ReleaseDate", "20%"}});
  } else {
    bios.Columns({{"Name", "30%"}, {"BuildNumber", "20%"}, {"Version", "20%"}, {"ReleaseDate", "30%"}});
  }

  page.Table("VKXSG_PostBIOSVPD", "Post BIOS VPD").ColumnStyle("100%")
      .Columns({{"BuildNumber", "15%"}, {"BuildDate", "20%"}, {"Version", "25%"}, {"Filename", "15%"},
                {"UniqueID", "25%"}});

  TTableBuilder& diagnostics = page.Table("VKXSG_DiagnosticVPD", "Diagnostic VPD").ColumnStyle("100%");
  if (multiNode) {
    diagnostics.Columns({{"BuildNumber", "30%"}, {"SourceNode", "20%"}, {"Filename", "25%"}, {"UniqueID", "25%"}});
  } else {
    diagnostics.Columns({{"BuildNumber", "30%"}, {"Filename", "35%"}, {"UniqueID", "35%"}});
  }

  page.Table("VKXSG_SPROMFirmwareVPDMain", "SP Firmware Main VPD").ColumnStyle("100%")
      .Columns({{"Name", "20%"}, {"BuildNumber", "20%"}, {"BuildDate", "20%"}, {"Version", "20%"},
                {"Filename", "20%"}});

  page.Table("VKXSG_SPROMFirmwareVPDBootROM", "SP Firmware BootROM VPD").ColumnStyle("100%")
      .Columns({{"BuildNumber", "25%"}, {"BuildDate", "25%"}, {"Version", "25%"}, {"Filename", "25%"}});

  page.Table("VKXSG_HardwareRevisionLevel", "SP Hardware Revision").ColumnStyle("100%")
      .Columns({{"Hardwarelevel", "100%"}});

  page.Table("VKXSG_FRU", "Other VPD").ColumnStyle("100%").SortBy("Name", kAscending)
      .Columns({{"Name", "20%"}, {"Vendor", "20%"}, {"FRUNumber", "20%"}, {"PartNumber", "20%"},
                {"SerialNumber", "20%"}});

  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildServProcConfigParams() const {
  const bool multiNode = IsMultiNode();
  TPageBuilder page("SP Configurations", "servproc_config");

  if (GetDataSourceVersion() >= "1.2") {
    TTableBuilder& general = page.Table("VKXSG_SP_ComputerSystem", "General Settings").RowStyle("80%", "30%")
        .InstancesPerTable(1);
    if (multiNode) general.Rows({"SourceNode"});
    general.Rows({"SPClock"});
  }

  ServiceProcessorTable(page, "VKXSG_ServProc_IPProtocolEndpoint", "TCP/IP Settings", multiNode,
                        {"Instance", "Enabled", "HostName", "GatewayIPAddress", "HostIPAddress", "HostIPSubnetMask",
                         "BurnedInMACAddress", "DHCPEnabled", "DHCPHostName", "DHCPAssignedGatewayAddress",
                         "DHCPAssignedIPAddress", "DHCPAssignedSubnetMask", "DHCPDomainName", "DHCPServer",
                         "DHCPPrimaryDNS", "DHCPSecondaryDNS", "DHCPTertiaryDNS"});

  ServiceProcessorTable(page, "VKXSG_ServProc_IPProtocolEndpoint2", "SNMP Settings", multiNode,
                        {"SystemLocation", "SystemContact", "Traps", "SNMPv1", "SNMPv3", "DNS", "DNSIP1", "DNSIP2",
                         "DNSIP3", "DNSHostName1", "DNSHostIP1", "DNSHostName2", "DNSHostIP2", "DNSHostName3",
                         "DNSHostIP3", "DNSHostName4", "DNSHostIP4", "Community1Name", "Community1IP1",
                         "Community1IP2", "Community1IP3", "Community2Name", "Community2IP1", "Community2IP2",
                         "Community2IP3", "Community3Name", "Community3IP1", "Community3IP2", "Community3IP3"});

  ServiceProcessorTable(page, "VKXSG_ServProc_DialProtocolEndpoint3", "Serial Port Settings", multiNode,
                        {"Instance", "BaudRate", "Parity", "StopBits", "InitializationString", "PortEnabled",
                         "ModemCallerIDString", "FactorySettingsString", "ModemEscapeGuardTime",
                         "ModemEscapeString", "ModemPrefixString", "ModemPostfixString", "ModemAutoAnswerString",
                         "ModemAutoAnswerStopString", "ModemQueryString", "ModemHangupString"});

  ServiceProcessorTable(page, "VKXSG_ServProc_DialProtocolEndpoint1", "Dialout Settings", multiNode,
                        {"Instance", "DialStatus", "PhoneNumberLAN", "TextDescription", "ConnectionType",
                         "DialoutID", "PagerPIN", "EmailAddress", "PPPLoginID", "SelectiveAlertNotification"});

  ServiceProcessorTable(page, "VKXSG_ServProc_DialProtocolEndpoint2", "Dialin Settings", multiNode,
                        {"Instance", "LoginID", "LoginFlags", "DialBackNumber", "DenyAlways", "Supervisor",
                         "ReadOnly", "NetworkingAndSecurity", "RemoteConsoleAccess",
                         "RemoteConsoleVirtualMediaAccess", "RemoteServerPowerRestartAccess", "BasicConfiguration",
                         "AbilityToClearEventLogs", "AdvancedConfiguration", "LastLogin"});

  ServiceProcessorTable(page, "VKXSG_ServProc_DialProtocolEndpoint4", "Dialout Alerts", multiNode,
                        {"Temperature", "Voltage", "Tamper", "MultipleFanFailure", "PowerFailure", "HardDrive",
                         "VRMFailure"});

  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildGlowLineParams() const {
  const bool multiNode = IsMultiNode();
  const bool skerry = IsSkerry();
  TPageBuilder page("Glow Line", "glowline.html");

  TTableBuilder& leds = page.Table("VKXSG_SP_LED", "LED Settings").ColumnStyle("80%");
  if (multiNode) leds.SortBy("SourceNode", kAscending);
  leds.SortBy("SensorTypeName", kAscending, kThirdKeyFlag).SortBy("SensorIndex", kAscending);
  if (multiNode && skerry) {
    leds.Columns({{"SourceNode", "10%"}, {"SkerryUnit", "10%"}, {"SensorTypeName", "20%"}, {"SensorIndex", "20%"},
                  {"CurrentState", "20%"}, {"LocationName", "20%"}});
  } else if (multiNode) {
    leds.Columns({{"SourceNode", "15%"}, {"SensorTypeName", "25%"}, {"SensorIndex", "20%"},
                  {"CurrentState", "20%"}, {"LocationName", "20%"}});
  } else if (skerry) {
    leds.Columns({{"SkerryUnit", "15%"}, {"SensorTypeName", "25%"}, {"SensorIndex", "20%"},
                  {"CurrentState", "20%"}, {"LocationName", "20%"}});
  } else {
    leds.Columns({{"SensorTypeName", "25%"}, {"SensorIndex", "25%"}, {"CurrentState", "25%"},
                  {"LocationName", "25%"}});
  }

  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildBISTParams() const {
  const bool multiNode = IsMultiNode();
  TPageBuilder page(IsXCM() ? "XCM Built-in Self Test" : "BIST Results", "bist.html");

  SelfTestTable(page, "VKXSG_Wren_ComputerSystem", "YELM BIST Results", kWithFirmwareVersion, multiNode,
                {"FlashError", "ROMError", "RAMError", "Watchdog"});

  SelfTestTable(page, "VKXSG_Perch_ComputerSystem", "Perch BIST Results", kWithFirmwareVersion, multiNode,
                {"NVRAM", "DRAM", "Com1", "Com2", "RS485Legacy", "RS485LocalBus", "RTC", "I2CController",
                 "ExternalEthernetInternalWrapTest", "ExternalEthernetExternalWrapTest"});

  SelfTestTable(page, "VKXSG_ODRP_ComputerSystem", "ODRP BIST Results", kWithFirmwareVersion, multiNode,
                {"E_SRAM_MEMORY_TEST", "E_SERIAL_PORT_1_TEST", "E_SERIAL_PORT_2_TEST", "E_NVRAM_MEMORY_TEST",
                 "E_RTC_TEST", "E_FPGA_TEST", "E_I2CT_TEST", "E_MAINAPP_CHECKSUM_TEST", "E_BOOTROM_CHECKSUM_TEST",
                 "E_ETH_TEST", "E_PCI_EEPROM_INIT", "E_R485_SEND_SYNC"});

  SelfTestTable(page, "VKXSG_DMC_ComputerSystem", "YELM BIST Results", kWithoutFirmwareVersion, multiNode,
                {"FlashError", "ROMError", "RAMError"});

  SelfTestTable(page, "VKXSG_BMC_ComputerSystem", "IPMI BIST Results", kWithFirmwareVersion, multiNode,
                {"SELDevice", "SDRRepository", "BMCFRUDevice", "IPMBSignalLines", "SDRRepositoryNonEmpty",
                 "InternalUseAreaofBMCFRU", "ControllerUpdateBootBlockFirmware", "ControllerOperationalFirmware"});

  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildBrocadeParams() const {
  TPageBuilder page("Brocade Adapter", "brocade_adapter");

  page.Table("BROCADE_PortController", "Port Controller").ColumnStyle("60%")
      .Columns({{"DeviceID", "30%"}, {"OtherControllerType", "30%"}})
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

// The adapter pages never reset their table record: each table adds its
// name key to those of the tables before it.
TReportParameters TReportParametersBuilder::BuildEmulexParams() const {
  TPageBuilder page("Emulex", "emulex");

  page.ContinueTable("EMXCNA_Product", "EMXCNA Product").ColumnStyle("100%").SortBy("Name", kAscending)
      .Columns({{"Name", "50%"}, {"IdentifyingNumber", "50%"}});

  page.ContinueTable("EMXCNA_FirmwareVersion", "EMXCNA Firmware").ColumnStyle("100%").SortBy("Name", kAscending)
      .Columns({{"Name", "50%"}, {"Version", "50%"}});

  page.ContinueTable("EMXCNA_BIOSVersion", "EMXCNA BIOS").ColumnStyle("100%").SortBy("Name", kAscending)
      .Columns({{"Name", "50%"}, {"Version", "50%"}});

  page.ContinueTable("EMXCNA_SoftwareIdentity", "EMXCNA Driver").ColumnStyle("100%").SortBy("Name", kAscending)
      .Columns({{"Name", "50%"}, {"VersionString", "50%"}});

  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildQlogicParams() const {
  TPageBuilder page("Qlogic", "Qlogic");

  FirmwareElementTable(
      page.ContinueTable("VKXSG_QLogicFibreChannelFirmwareElement", "Qlogic Fibre Channel Firmware"));

  BIOSElementTable(page.ContinueTable("VKXSG_QLogicFibreChannelBIOSElement", "Qlogic Fibre Channel BIOS"));

  FirmwareElementTable(page.ContinueTable("VKXSG_QLogicIScsiFirmwareElement", "Qlogic iSCSI Firmware"));

  BIOSElementTable(page.ContinueTable("VKXSG_QLogicIScsiBIOSElement", "Qlogic iSCSI BIOS"));

  return page.Build();
}
