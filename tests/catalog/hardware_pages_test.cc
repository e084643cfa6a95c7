#include <gtest/gtest.h>

#include <stdexcept>

#include "catalog/report_parameters_builder.h"
#include "tests/catalog/page_definition_testing.h"

namespace page_testing {
namespace {

class HardwarePagesTest : public PageDefinitionTest {};

const TReportClass& TableOf(const TReportParameters& page, const std::string& className) {
  for (const TReportClass& table : page.GetClasses()) {
    if (table.GetClass() == className) return table;
  }
  throw std::runtime_error("no table of class " + className);
}

TEST_F(HardwarePagesTest, HardwareInventoryOnWindowsListsEveryTableInOrder) {
  Load(Product("1.3") + Windows());
  const TReportParameters page = Catalog().BuildHardwareInfoParams();
  EXPECT_EQ("Hardware Inventory", page.GetReportName());
  EXPECT_EQ("hw_info", page.GetLinkName());
  EXPECT_TRUE(page.ShowReportTitle());
  EXPECT_FALSE(page.GetLinkSortable());
  EXPECT_EQ(Strings({"VKXSG_Processor, title \"Processor/Core\", row style, width 75%, label column 40%, "
                     "at most 6 per table, unique id \"DeviceId\"",
                     "VKXSG_SPDData, title \"Memory\", row style, width 75%, label column 25%, at most 8 per table, "
                     "unique id \"Tag\"",
                     "VKXSG_MediaAccessDevice, title \"Disk Information\", column style, width 100%, sortable, "
                     "unique id \"DeviceId\", with associated tables",
                     "VKXSG_LogicalDisk, title \"Volumes/Mount Points\", column style, width 100%, "
                     "unique id \"DeviceId\"",
                     "VKXSG_VideoController, title \"Video Controller\", column style, width 100%, "
                     "unique id \"DeviceId\", with associated tables",
                     "VKXSG_DesktopMonitor, title \"Monitor\", column style, width 100%, sortable, "
                     "unique id \"DeviceId\", with associated tables",
                     "VKXSG_Card, title \"System Card Information\", column style, width 100%",
                     "VKXSG_SysBusDevice, title \"System Devices\", column style, width 100%",
                     "VKXSG_USBHub, title \"USB Hub\", column style, width 100%",
                     "VKXSG_USBDevice, title \"USB Devices\", column style, width 100%",
                     "VKXSG_CDVDDevice, title \"Optical Device Capabilities\", column style, width 100%",
                     "VKXSG_ZEBPort, title \"ZEB Ports\", column style, width 100%",
                     "VKXSG_QpiPort, title \"QPI Ports\", column style, width 100%",
                     "VKXSG_LogicalDevice, title \"Other Devices\", column style, width 100%, sortable"}),
            [&] {
              Strings settings;
              for (const TReportClass& table : page.GetClasses()) settings.push_back(Settings(table));
              return settings;
            }());
}

TEST_F(HardwarePagesTest, HardwareInventoryTablesDependOnSystemVersionAndPreboot) {
  const struct {
    const char* name;
    std::string source;
    Strings tables;
  } cases[] = {
      {"Linux 1.0", Product("1.0") + Linux(),
       {"VKXSG_Processor \"Processor/Core\"", "VKXSG_PhysicalMemory \"Memory\"",
        "VKXSG_MediaAccessDevice \"Disk Information\"", "VKXSG_LogicalDisk \"Volumes/Mount Points\"",
        "VKXSG_VideoController \"Video Controller\"", "VKXSG_DesktopMonitor \"Monitor\"",
        "VKXSG_Card \"System Card Information\"", "VKXSG_SCSIDevice \"System Devices\"",
        "VKXSG_ATADevice \"ATA/IDE Devices\"", "VKXSG_USBHub \"USB Hub\"", "VKXSG_USBDevice \"USB Devices\"",
        "VKXSG_CDVDDevice \"Optical Device Capabilities\"", "VKXSG_ZEBPort \"ZEB Ports\"",
        "VKXSG_QpiPort \"QPI Ports\"", "VKXSG_LogicalDevice \"Other Devices\""}},
      {"preboot 1.1", PrebootProduct("1.1") + Windows(),
       {"VKXSG_Processor \"Processor/Core\"", "VKXSG_SPDData \"Memory\"",
        "VKXSG_MediaAccessDevice \"Disk Information\"", "VKXSG_LogicalDisk \"Volumes/Mount Points\"",
        "VKXSG_DesktopMonitor \"Monitor\"", "VKXSG_Card \"System Card Information\"",
        "VKXSG_SCSIDevice \"System Devices\"", "VKXSG_ATADevice \"ATA/IDE Devices\"", "VKXSG_USBHub \"USB Hub\"",
        "VKXSG_USBDevice \"USB Devices\"", "VKXSG_CDVDDevice \"Optical Device Capabilities\"",
        "VKXSG_ZEBPort \"ZEB Ports\"", "VKXSG_QpiPort \"QPI Ports\"", "VKXSG_LogicalDevice \"Other Devices\""}},
  };
  for (const auto& c : cases) {
    fNamespace = NVKXQZA20::TMemoryNamespace::Create();
    Load(kProbedClasses + c.source);
    EXPECT_EQ(c.tables, Tables(Catalog().BuildHardwareInfoParams())) << c.name;
  }
}

TEST_F(HardwarePagesTest, ProcessorRowsLeaveOutHyperThreadingOnlyOnVMware) {
  const Strings withHyperThreading = {"DeviceID 0%", "Core 0%", "Manufacturer 0%", "Name 0%", "Stepping 0%",
                                      "CurrentClockSpeed 0%", "CPUStatus 0%", "HTSupported 0%", "HTEnabled 0%",
                                      "L1OperationalMode 0%", "L1Enabled 0%", "L2OperationalMode 0%",
                                      "L2Enabled 0%", "L3OperationalMode 0%", "L3Enabled 0%"};
  Strings withoutHyperThreading = withHyperThreading;
  withoutHyperThreading.erase(withoutHyperThreading.begin() + 7, withoutHyperThreading.begin() + 9);
  const struct {
    std::string os;
    Strings rows;
  } cases[] = {{Windows(), withHyperThreading}, {Linux(), withHyperThreading}, {VMware(), withoutHyperThreading}};
  for (const auto& c : cases) {
    fNamespace = NVKXQZA20::TMemoryNamespace::Create();
    Load(kProbedClasses + Product("1.3") + c.os);
    const TReportClass processors = Catalog().BuildHardwareInfoParams().GetClasses()[0];
    EXPECT_EQ(c.rows, Columns(processors)) << c.os;
    EXPECT_EQ(Strings({"DeviceID ascending", "Core ascending"}), SortKeys(processors));
  }
}

TEST_F(HardwarePagesTest, MemoryIsThePhysicalMemoryListBeforeVersionOneOneAndTheSPDDataFromIt) {
  Load(Product("1.0") + Windows());
  const TReportClass oldMemory = Catalog().BuildHardwareInfoParams().GetClasses()[1];
  EXPECT_EQ("VKXSG_PhysicalMemory, title \"Memory\", column style, width 100%, unique id \"Tag\"",
            Settings(oldMemory));
  EXPECT_EQ(Strings({"Tag 34%", "Capacity 33%", "BankLabel 33%"}), Columns(oldMemory));
  EXPECT_TRUE(SortKeys(oldMemory).empty());

  fNamespace = NVKXQZA20::TMemoryNamespace::Create();
  Load(kProbedClasses + Product("1.1") + Windows());
  const TReportClass memory = Catalog().BuildHardwareInfoParams().GetClasses()[1];
  EXPECT_EQ(Strings({"Index ascending second"}), SortKeys(memory));
  EXPECT_EQ(Strings({"Tag 0%", "BankLabel 0%", "Capacity 0%", "MemoryTypeA 0%", "DimmSpeed 0%",
                     "ErrorMethodology 0%", "Manufacturer 0%", "PartNumber 0%", "SerialNumber 0%"}),
            Columns(memory));
}

TEST_F(HardwarePagesTest, DiskColumnsFollowTheOperatingSystemAndEveryDiskListsItsPartitions) {
  Load(Product("1.3") + Linux());
  const TReportClass linuxDisks = TableOf(Catalog().BuildHardwareInfoParams(), "VKXSG_MediaAccessDevice");
  EXPECT_EQ(Strings({"Name 20%", "Size 40%", "NoOfPartitions 40%"}), Columns(linuxDisks));
  EXPECT_EQ(Strings({"Name ascending second"}), SortKeys(linuxDisks));

  fNamespace = NVKXQZA20::TMemoryNamespace::Create();
  Load(kProbedClasses + Product("1.3") + OperatingSystem("Sun", 29));
  const TReportClass disks = TableOf(Catalog().BuildHardwareInfoParams(), "VKXSG_MediaAccessDevice");
  EXPECT_EQ(Strings({"Name 20%", "DiskType 20%", "DiskStatus 20%", "Size 20%", "NoOfPartitions 20%"}),
            Columns(disks));

  ASSERT_EQ(1u, disks.GetAssociatedClasses().size());
  const TReportClass& partitions = disks.GetAssociatedClasses()[0];
  EXPECT_EQ("VKXSG_DiskPartition, no title, column style, width 100%, unique id \"DeviceId\", "
            "through VKXSG_PartitionPresent to VKXSG_DiskPartition",
            Settings(partitions));
  EXPECT_EQ(Strings({"DeviceID ascending second"}), SortKeys(partitions));
  EXPECT_EQ(Strings({"DeviceID 15%", "PartitionType 15%", "PartitionSubType 15% (label \"PartitionSubType\")",
                     "FileSystemName 15% (label \"Format\", through VKXSG_LogicalDiskBasedOnPartition to "
                     "VKXSG_LogicalDisk)",
                     "Size 15%", "StartingOffset 15%", "FaultTolerant 10%"}),
            Columns(partitions));
}

TEST_F(HardwarePagesTest, VolumesShowLayoutStateAndQuotasOnlyOnWindows) {
  const Strings windowsColumns = {"DeviceID 5%", "OtherIdentifyingInfo 15%", "VolumeLayout 10%",
                                  "FileSystemName 10%", "VolumeState 10%", "FreeSpace 10%", "TotalSpace 10%",
                                  "DiskQuotaStatus 10%", "UserDiskQuota 10%", "UserDiskFreeSpace 10%"};
  const Strings otherColumns = {"DeviceID 20%", "OtherIdentifyingInfo 30%", "FileSystemName 20%",
                                "FreeSpace 15%", "TotalSpace 15%"};
  const struct {
    std::string os;
    Strings columns;
  } cases[] = {{Windows(), windowsColumns}, {WindowsNewer(), windowsColumns}, {Linux(), otherColumns},
               {VMware(), otherColumns}};
  for (const auto& c : cases) {
    fNamespace = NVKXQZA20::TMemoryNamespace::Create();
    Load(kProbedClasses + Product("1.3") + c.os);
    const TReportClass volumes = TableOf(Catalog().BuildHardwareInfoParams(), "VKXSG_LogicalDisk");
    EXPECT_EQ(c.columns, Columns(volumes)) << c.os;
    EXPECT_EQ(Strings({"DeviceID ascending"}), SortKeys(volumes));
  }
}

TEST_F(HardwarePagesTest, VideoControllersAndMonitorsCarryTheirHeadsAndResolutions) {
  Load(Product("1.3") + Windows());
  const TReportParameters page = Catalog().BuildHardwareInfoParams();

  const TReportClass& video = TableOf(page, "VKXSG_VideoController");
  EXPECT_EQ(Strings({"Name 20%", "StatusDescriptions 10%", "BiosString 15%", "VideoRamSize 10%",
                     "VideoProcessor 25%", "DACType 20%"}),
            Columns(video));
  ASSERT_EQ(1u, video.GetAssociatedClasses().size());
  EXPECT_EQ("VKXSG_VideoHead, no title, row style, width 100%, label column 20%, at most 1 per table, "
            "unique id \"DeviceId\", through VKXSG_HeadOfVideoController to VKXSG_VideoHead",
            Settings(video.GetAssociatedClasses()[0]));
  EXPECT_EQ(Strings({"HeadNumber 0%", "MonitorString 0%", "CurrentHorizontalResolution 0%",
                     "CurrentVerticalResolution 0%", "CurrentBitsPerPixel 0%", "CurrentRefreshRate 0%",
                     "CurrentScanMode 0%", "MaxRefreshRate 0%", "MinRefreshRate 0%"}),
            Columns(video.GetAssociatedClasses()[0]));

  const TReportClass& monitors = TableOf(page, "VKXSG_DesktopMonitor");
  EXPECT_EQ(Strings({"Name 10%", "Description 10%", "MonitorManufacturer 10%", "ManufacturingDate 15%",
                     "OperationalStatus 5% (label \"Status\")", "StatusDescriptions 10% (label \"State\")",
                     "DPMSActiveOff 10%", "DPMSStandby 10%", "DPMSSuspend 10%", "EDIDVersion 10%"}),
            Columns(monitors));
  ASSERT_EQ(1u, monitors.GetAssociatedClasses().size());
  EXPECT_EQ("VKXSG_MonitorResolution, no title, column style, width 50%, sortable, unique id \"SettingID\", "
            "through VKXSG_MonitorSetting to VKXSG_MonitorResolution",
            Settings(monitors.GetAssociatedClasses()[0]));
  EXPECT_EQ(Strings({"HorizontalResolution 25%", "VerticalResolution 25%", "RefreshRate 20%", "ScanMode 30%"}),
            Columns(monitors.GetAssociatedClasses()[0]));
}

TEST_F(HardwarePagesTest, SystemDeviceTablesShareTitleAndColumnsAcrossOperatingSystems) {
  const Strings columns = {"VendorId 10%", "ProductId 15%", "DeviceType 15%", "serialNum 15%", "Revision 10%",
                           "HostAdapterId 11%", "TargetId 11%", "Bus 7%", "Lun 6%"};
  Load(Product("1.3") + Windows());
  const TReportParameters windows = Catalog().BuildHardwareInfoParams();
  EXPECT_EQ(columns, Columns(TableOf(windows, "VKXSG_SysBusDevice")));

  fNamespace = NVKXQZA20::TMemoryNamespace::Create();
  Load(kProbedClasses + Product("1.3") + Linux());
  const TReportParameters linux = Catalog().BuildHardwareInfoParams();
  EXPECT_EQ(columns, Columns(TableOf(linux, "VKXSG_SCSIDevice")));
  EXPECT_EQ(Strings({"DeviceId 20%", "VendorId 20%", "ProductId 20%", "serialNum 20%", "Revision 20%"}),
            Columns(TableOf(linux, "VKXSG_ATADevice")));
}

TEST_F(HardwarePagesTest, OpticalDevicesAreNamedByVendorAndProductExceptOnLinuxAndVMware) {
  const Strings capabilities = {"DvdRamRead 9%", "DvdRRead 9%", "DvdRomRead 9%", "DvdRamWrite 9%",
                                "DvdRWrite 9%", "CdRwRead 9%", "CdRRead 9%", "CdRwWrite 9%", "CdRWrite 9%"};
  const struct {
    std::string os;
    Strings naming;
  } cases[] = {{Windows(), {"VendorId 9%", "ProductId 10%"}},
               {OperatingSystem("Sun", 29), {"VendorId 9%", "ProductId 10%"}},
               {Linux(), {"DeviceId 19%"}},
               {VMware(), {"DeviceId 19%"}}};
  for (const auto& c : cases) {
    fNamespace = NVKXQZA20::TMemoryNamespace::Create();
    Load(kProbedClasses + Product("1.3") + c.os);
    Strings expected = c.naming;
    expected.insert(expected.end(), capabilities.begin(), capabilities.end());
    const TReportClass optical = TableOf(Catalog().BuildHardwareInfoParams(), "VKXSG_CDVDDevice");
    EXPECT_EQ(expected, Columns(optical)) << c.os;
    EXPECT_EQ(100, ColumnWidthSum(optical));
  }
}

TEST_F(HardwarePagesTest, LastInventoryTablesHaveTheirKeysAndLabels) {
  Load(Product("1.3") + Windows());
  const TReportParameters page = Catalog().BuildHardwareInfoParams();
  EXPECT_EQ(Strings({"Chassis ascending"}), SortKeys(TableOf(page, "VKXSG_ZEBPort")));
  EXPECT_EQ(Strings({"Description ascending"}), SortKeys(TableOf(page, "VKXSG_QpiPort")));
  const TReportClass& other = TableOf(page, "VKXSG_LogicalDevice");
  EXPECT_EQ(Strings({"DeviceClass ascending"}), SortKeys(other));
  EXPECT_EQ(Strings({"DeviceClass 10%", "ElementName 20%", "Manufacturer 24% (label \"Vendor Info\")",
                     "OtherIdentifyingInfo 46%"}),
            Columns(other));
  EXPECT_TRUE(SortKeys(TableOf(page, "VKXSG_Card")).empty());
}

TEST_F(HardwarePagesTest, PCIDescriptionsTakeOneWideColumnOnPreboot) {
  const struct {
    const char* name;
    std::string product;
    Strings devices;
    Strings bridges;
  } cases[] = {
      {"installed", Product("1.3"),
       {"ClassCode 20%", "Description 30%", "StatusDescriptions 10%",
        "SlotAllInfo 15% (through VKXSG_DeviceInSlot to VKXSG_SystemSlot, then to VKXSG_SystemBoard)",
        "PciDeviceID 5% (label \"DeviceID\")", "VendorID 5%", "IRQ 5%", "IOAddress 5% (separator 3)",
        "IOLength 5% (separator 3)"},
       {"ClassCode 15%", "Description 35%", "StatusDescriptions 15%",
        "SlotAllInfo 10% (through VKXSG_DeviceInSlot to VKXSG_SystemSlot, then to VKXSG_SystemBoard)",
        "Location 25%"}},
      {"preboot", PrebootProduct("1.3"),
       {"ClassCode 20%", "Description 40%",
        "SlotAllInfo 15% (through VKXSG_DeviceInSlot to VKXSG_SystemSlot, then to VKXSG_SystemBoard)",
        "PciDeviceID 5% (label \"DeviceID\")", "VendorID 5%", "IRQ 5%", "IOAddress 5% (separator 3)",
        "IOLength 5% (separator 3)"},
       {"ClassCode 15%", "Description 50%",
        "SlotAllInfo 10% (through VKXSG_DeviceInSlot to VKXSG_SystemSlot, then to VKXSG_SystemBoard)",
        "Location 25%"}},
  };
  for (const auto& c : cases) {
    fNamespace = NVKXQZA20::TMemoryNamespace::Create();
    Load(kProbedClasses + c.product);
    const TReportParameters page = Catalog().BuildPCIInfoParams();
    EXPECT_EQ(Strings({"VKXSG_PCIDevice \"Devices\"", "VKXSG_PCIBridge \"Bridges\"", "VKXSG_SystemSlot \"Slots\""}),
              Tables(page));
    EXPECT_EQ(c.devices, Columns(page.GetClasses()[0])) << c.name;
    EXPECT_EQ(c.bridges, Columns(page.GetClasses()[1])) << c.name;
  }
}

TEST_F(HardwarePagesTest, PCIPageTablesAreSortedAndOnlySlotsAreSortable) {
  Load(Product("1.3"));
  const TReportParameters page = Catalog().BuildPCIInfoParams();
  EXPECT_EQ("PCI Information", page.GetReportName());
  EXPECT_EQ("pci_info", page.GetLinkName());
  EXPECT_EQ(Strings({"ClassCode ascending"}), SortKeys(page.GetClasses()[0]));
  EXPECT_EQ(Strings({"ClassCode ascending"}), SortKeys(page.GetClasses()[1]));
  const TReportClass& slots = page.GetClasses()[2];
  EXPECT_EQ("VKXSG_SystemSlot, title \"Slots\", column style, width 100%, sortable", Settings(slots));
  EXPECT_EQ(Strings({"SlotDesignation ascending"}), SortKeys(slots));
  EXPECT_EQ(Strings({"SlotDesignation 15%", "Tag 15%", "ConnectorType 15%", "SlotLength 5%", "MaxDataWidth 10%",
                     "SupportsHotPlug 5%", "CurrentUsage 10%", "OperationalStatus 10%",
                     "VccMixedVoltageSupport 15% (separator 1)"}),
            Columns(slots));
}

TEST_F(HardwarePagesTest, FirmwareTablesShareTheFirmwareElementColumns) {
  Load(Product("1.3"));
  const TReportParameters page = Catalog().BuildFirmwareParams();
  EXPECT_EQ("Firmware/VPD", page.GetReportName());
  EXPECT_EQ("firmware", page.GetLinkName());
  EXPECT_EQ(Strings({"VKXSG_FirmwareElement \"Firmware\"", "EMXCNA_FirmwareVersion \"Emulex Firmware\"",
                     "CIM_BIOSElement \"BIOS/uEFI\"", "VKXSG_PostBIOSVPD \"Post BIOS VPD\"",
                     "VKXSG_DiagnosticVPD \"Diagnostic VPD\"", "VKXSG_SPROMFirmwareVPDMain \"SP Firmware Main VPD\"",
                     "VKXSG_SPROMFirmwareVPDBootROM \"SP Firmware BootROM VPD\"",
                     "VKXSG_HardwareRevisionLevel \"SP Hardware Revision\"", "VKXSG_FRU \"Other VPD\""}),
            Tables(page));
  const Strings firmwareColumns = {
      "Name 15%", "Manufacturer 15%", "ProductID 15% (through VKXSG_DeviceFirmware to VKXSG_SysBusDevice)",
      "OtherIdentifyingInfo 20% (label \"Device\", through VKXSG_DeviceFirmware to CIM_LogicalDevice)",
      "Version 10%", "BuildNumber 10%", "BuildDate 15%"};
  for (int i : {0, 1}) {
    EXPECT_EQ(firmwareColumns, Columns(page.GetClasses()[i]));
    EXPECT_EQ(Strings({"Name ascending"}), SortKeys(page.GetClasses()[i]));
  }
  EXPECT_EQ(Strings({"BuildNumber 15%", "BuildDate 20%", "Version 25%", "Filename 15%", "UniqueID 25%"}),
            Columns(page.GetClasses()[3]));
  EXPECT_EQ(Strings({"Hardwarelevel 100%"}), Columns(page.GetClasses()[7]));
  EXPECT_EQ(Strings({"Name ascending"}), SortKeys(page.GetClasses()[8]));
  EXPECT_EQ(Strings({"Name 20%", "Vendor 20%", "FRUNumber 20%", "PartNumber 20%", "SerialNumber 20%"}),
            Columns(page.GetClasses()[8]));
}

TEST_F(HardwarePagesTest, FirmwareShowsTheSourceNodeOfBIOSAndDiagnosticsOnMultiNodeSystems) {
  const struct {
    std::string nodes;
    Strings bios;
    Strings diagnostics;
  } cases[] = {
      {Nodes(2),
       {"Name 20%", "SourceNode 20%", "BuildNumber 20%", "Version 20%", "ReleaseDate 20%"},
       {"BuildNumber 30%", "SourceNode 20%", "Filename 25%", "UniqueID 25%"}},
      {Nodes(1),
       {"Name 30%", "BuildNumber 20%", "Version 20%", "ReleaseDate 30%"},
       {"BuildNumber 30%", "Filename 35%", "UniqueID 35%"}},
  };
  for (const auto& c : cases) {
    fNamespace = NVKXQZA20::TMemoryNamespace::Create();
    Load(kProbedClasses + Product("1.3") + c.nodes);
    const TReportParameters page = Catalog().BuildFirmwareParams();
    EXPECT_EQ(c.bios, Columns(page.GetClasses()[2])) << c.nodes;
    EXPECT_EQ(c.diagnostics, Columns(page.GetClasses()[4])) << c.nodes;
  }
}

TEST_F(HardwarePagesTest, ServiceProcessorSettingsBeginWithGeneralSettingsFromVersionOneTwo) {
  const struct {
    std::string version;
    std::string firstTable;
  } cases[] = {{"1.1", "VKXSG_ServProc_IPProtocolEndpoint \"TCP/IP Settings\""},
               {"1.2", "VKXSG_SP_ComputerSystem \"General Settings\""},
               {"2.0", "VKXSG_SP_ComputerSystem \"General Settings\""}};
  for (const auto& c : cases) {
    fNamespace = NVKXQZA20::TMemoryNamespace::Create();
    Load(kProbedClasses + Product(c.version));
    const TReportParameters page = Catalog().BuildServProcConfigParams();
    EXPECT_EQ(c.firstTable, Tables(page).front()) << c.version;
    EXPECT_EQ("VKXSG_ServProc_DialProtocolEndpoint4 \"Dialout Alerts\"", Tables(page).back()) << c.version;
  }
}

TEST_F(HardwarePagesTest, ServiceProcessorTablesAreToldApartByNodeOnMultiNodeSystems) {
  Load(Product("1.2") + Nodes(4));
  const TReportParameters page = Catalog().BuildServProcConfigParams();
  EXPECT_EQ("SP Configurations", page.GetReportName());
  EXPECT_EQ("servproc_config", page.GetLinkName());
  ASSERT_EQ(7u, page.GetClasses().size());
  EXPECT_EQ("VKXSG_SP_ComputerSystem, title \"General Settings\", row style, width 80%, label column 30%, "
            "at most 1 per table",
            Settings(page.GetClasses()[0]));
  EXPECT_EQ(Strings({"SourceNode 0%", "SPClock 0%"}), Columns(page.GetClasses()[0]));
  EXPECT_EQ("VKXSG_ServProc_DialProtocolEndpoint1, title \"Dialout Settings\", row style, width 80%, "
            "label column 30%, at most 1 per table, unique id \"SourceNode\"",
            Settings(page.GetClasses()[4]));
  EXPECT_EQ(Strings({"SourceNode 0%", "Instance 0%", "DialStatus 0%", "PhoneNumberLAN 0%", "TextDescription 0%",
                     "ConnectionType 0%", "DialoutID 0%", "PagerPIN 0%", "EmailAddress 0%", "PPPLoginID 0%",
                     "SelectiveAlertNotification 0%"}),
            Columns(page.GetClasses()[4]));
  for (size_t i = 1; i < page.GetClasses().size(); ++i) {
    EXPECT_EQ("SourceNode", page.GetClasses()[i].GetUniqueIdProperty()) << i;
    EXPECT_EQ("SourceNode 0%", Columns(page.GetClasses()[i]).front()) << i;
  }
}

TEST_F(HardwarePagesTest, ServiceProcessorTablesOfOneNodeHaveNoNodeRowNorUniqueId) {
  Load(Product("1.2") + Nodes(1));
  const TReportParameters page = Catalog().BuildServProcConfigParams();
  EXPECT_EQ(Strings({"SPClock 0%"}), Columns(page.GetClasses()[0]));
  EXPECT_EQ("VKXSG_ServProc_DialProtocolEndpoint4, title \"Dialout Alerts\", row style, width 80%, "
            "label column 30%, at most 1 per table",
            Settings(page.GetClasses()[6]));
  EXPECT_EQ(Strings({"Temperature 0%", "Voltage 0%", "Tamper 0%", "MultipleFanFailure 0%", "PowerFailure 0%",
                     "HardDrive 0%", "VRMFailure 0%"}),
            Columns(page.GetClasses()[6]));
  EXPECT_EQ(Strings({"VKXSG_SP_ComputerSystem \"General Settings\"",
                     "VKXSG_ServProc_IPProtocolEndpoint \"TCP/IP Settings\"",
                     "VKXSG_ServProc_IPProtocolEndpoint2 \"SNMP Settings\"",
                     "VKXSG_ServProc_DialProtocolEndpoint3 \"Serial Port Settings\"",
                     "VKXSG_ServProc_DialProtocolEndpoint1 \"Dialout Settings\"",
                     "VKXSG_ServProc_DialProtocolEndpoint2 \"Dialin Settings\"",
                     "VKXSG_ServProc_DialProtocolEndpoint4 \"Dialout Alerts\""}),
            Tables(page));
  EXPECT_EQ(17u, page.GetClasses()[1].GetProperties().size());
  EXPECT_EQ(29u, page.GetClasses()[2].GetProperties().size());
  EXPECT_EQ(16u, page.GetClasses()[3].GetProperties().size());
  EXPECT_EQ(15u, page.GetClasses()[5].GetProperties().size());
}

TEST_F(HardwarePagesTest, LEDColumnsHaveOneLayoutPerNodeAndSkerryCombination) {
  const struct {
    const char* name;
    std::string source;
    Strings keys;
    Strings columns;
  } cases[] = {
      {"multi-node with Skerry", Nodes(2) + Skerry(),
       {"SourceNode ascending", "SensorTypeName ascending third", "SensorIndex ascending"},
       {"SourceNode 10%", "SkerryUnit 10%", "SensorTypeName 20%", "SensorIndex 20%", "CurrentState 20%",
        "LocationName 20%"}},
      {"multi-node only", Nodes(2),
       {"SourceNode ascending", "SensorTypeName ascending third", "SensorIndex ascending"},
       {"SourceNode 15%", "SensorTypeName 25%", "SensorIndex 20%", "CurrentState 20%", "LocationName 20%"}},
      {"Skerry only", Skerry(),
       {"SensorTypeName ascending third", "SensorIndex ascending"},
       {"SkerryUnit 15%", "SensorTypeName 25%", "SensorIndex 20%", "CurrentState 20%", "LocationName 20%"}},
      {"neither", "",
       {"SensorTypeName ascending third", "SensorIndex ascending"},
       {"SensorTypeName 25%", "SensorIndex 25%", "CurrentState 25%", "LocationName 25%"}},
  };
  for (const auto& c : cases) {
    fNamespace = NVKXQZA20::TMemoryNamespace::Create();
    Load(kProbedClasses + c.source);
    const TReportParameters page = Catalog().BuildGlowLineParams();
    EXPECT_EQ("Glow Line", page.GetReportName());
    EXPECT_EQ("glowline.html", page.GetLinkName());
    ASSERT_EQ(1u, page.GetClasses().size());
    const TReportClass& leds = page.GetClasses()[0];
    EXPECT_EQ("VKXSG_SP_LED, title \"LED Settings\", column style, width 80%", Settings(leds)) << c.name;
    EXPECT_EQ(c.keys, SortKeys(leds)) << c.name;
    EXPECT_EQ(c.columns, Columns(leds)) << c.name;
    EXPECT_EQ(100, ColumnWidthSum(leds)) << c.name;
  }
}

TEST_F(HardwarePagesTest, SelfTestPageIsNamedAfterTheServiceProcessor) {
  EXPECT_EQ("XCM Built-in Self Test", Catalog("default", true).BuildBISTParams().GetReportName());
  EXPECT_EQ("BIST Results", Catalog("default", false).BuildBISTParams().GetReportName());
  EXPECT_EQ("bist.html", Catalog().BuildBISTParams().GetLinkName());
}

TEST_F(HardwarePagesTest, SelfTestTablesPlaceTheNodeAfterTheFirmwareVersion) {
  Load(Nodes(2));
  const TReportParameters page = Catalog().BuildBISTParams();
  EXPECT_EQ(Strings({"VKXSG_Wren_ComputerSystem \"YELM BIST Results\"",
                     "VKXSG_Perch_ComputerSystem \"Perch BIST Results\"",
                     "VKXSG_ODRP_ComputerSystem \"ODRP BIST Results\"",
                     "VKXSG_DMC_ComputerSystem \"YELM BIST Results\"",
                     "VKXSG_BMC_ComputerSystem \"IPMI BIST Results\""}),
            Tables(page));
  for (const TReportClass& table : page.GetClasses()) {
    EXPECT_EQ(table.GetClass() + ", title \"" + table.GetTitle() +
                  "\", row style, width 75%, label column 30%, at most 1 per table",
              Settings(table));
  }
  EXPECT_EQ(Strings({"Description 0%", "Version (through VKXSG_SPSystemFirmware to VKXSG_FirmwareElement)",
                     "SourceNode 0%", "FlashError 0%", "ROMError 0%", "RAMError 0%", "Watchdog 0%"}),
            Columns(page.GetClasses()[0]));
  EXPECT_EQ(Strings({"Description 0%", "SourceNode 0%", "FlashError 0%", "ROMError 0%", "RAMError 0%"}),
            Columns(page.GetClasses()[3]));
  EXPECT_EQ(15u, page.GetClasses()[2].GetProperties().size());
}

TEST_F(HardwarePagesTest, SelfTestTablesOfOneNodeHaveNoNodeRow) {
  const TReportParameters page = Catalog().BuildBISTParams();
  EXPECT_EQ(Strings({"Description 0%", "Version (through VKXSG_SPSystemFirmware to VKXSG_FirmwareElement)",
                     "SELDevice 0%", "SDRRepository 0%", "BMCFRUDevice 0%", "IPMBSignalLines 0%",
                     "SDRRepositoryNonEmpty 0%", "InternalUseAreaofBMCFRU 0%",
                     "ControllerUpdateBootBlockFirmware 0%", "ControllerOperationalFirmware 0%"}),
            Columns(page.GetClasses()[4]));
  EXPECT_EQ(Strings({"Description 0%", "FlashError 0%", "ROMError 0%", "RAMError 0%"}),
            Columns(page.GetClasses()[3]));
}

TEST_F(HardwarePagesTest, BrocadeControllersCarryTheirPortsAndSoftware) {
  const TReportParameters page = Catalog().BuildBrocadeParams();
  EXPECT_EQ("Brocade Adapter", page.GetReportName());
  EXPECT_EQ("brocade_adapter", page.GetLinkName());
  ASSERT_EQ(1u, page.GetClasses().size());
  const TReportClass& controllers = page.GetClasses()[0];
  EXPECT_EQ("BROCADE_PortController, title \"Port Controller\", column style, width 60%, with associated tables",
            Settings(controllers));
  EXPECT_EQ(Strings({"DeviceID 30%", "OtherControllerType 30%"}), Columns(controllers));

  const std::vector<TReportClass>& associated = controllers.GetAssociatedClasses();
  ASSERT_EQ(3u, associated.size());
  EXPECT_EQ("BROCADE_FCPort, title \"FC Port\", column style, width 60%, through BROCADE_ControlledBy to "
            "BROCADE_FCPort",
            Settings(associated[0]));
  EXPECT_EQ(Strings({"DeviceID 30%", "Caption 30%"}), Columns(associated[0]));
  EXPECT_EQ("BROCADE_EthernetPort, title \"Ethernet Port\", column style, width 100%, through "
            "BROCADE_EthernetPortControlledBy to BROCADE_EthernetPort",
            Settings(associated[1]));
  EXPECT_EQ(Strings({"DeviceID 20%", "PortType 20%", "ElementName 20%", "PermanentAddress 20%",
                     "NetworkAddresses 20%"}),
            Columns(associated[1]));
  EXPECT_EQ("BROCADE_AdapterSoftwareIdentity, title \"Adapter Software\", column style, width 100%, through "
            "BROCADE_AdapterElementSoftwareIdentity to BROCADE_AdapterSoftwareIdentity",
            Settings(associated[2]));
  EXPECT_EQ(Strings({"InstanceID 30%", "Description 30%", "VersionString 40% (label \"Version\")"}),
            Columns(associated[2]));
}

TEST_F(HardwarePagesTest, EmulexTablesAccumulateTheirNameKeys) {
  const TReportParameters page = Catalog().BuildEmulexParams();
  EXPECT_EQ("Emulex", page.GetReportName());
  EXPECT_EQ("emulex", page.GetLinkName());
  EXPECT_EQ(Strings({"EMXCNA_Product \"EMXCNA Product\"", "EMXCNA_FirmwareVersion \"EMXCNA Firmware\"",
                     "EMXCNA_BIOSVersion \"EMXCNA BIOS\"", "EMXCNA_SoftwareIdentity \"EMXCNA Driver\""}),
            Tables(page));
  Strings keys;
  for (const TReportClass& table : page.GetClasses()) {
    keys.push_back("Name ascending");
    EXPECT_EQ(keys, SortKeys(table)) << table.GetClass();
    EXPECT_EQ(table.GetClass() + ", title \"" + table.GetTitle() + "\", column style, width 100%", Settings(table));
  }
  EXPECT_EQ(Strings({"Name 50%", "IdentifyingNumber 50%"}), Columns(page.GetClasses()[0]));
  EXPECT_EQ(Strings({"Name 50%", "Version 50%"}), Columns(page.GetClasses()[2]));
  EXPECT_EQ(Strings({"Name 50%", "VersionString 50%"}), Columns(page.GetClasses()[3]));
}

TEST_F(HardwarePagesTest, QlogicTablesAlternateFirmwareAndBIOSLayoutsAndAccumulateNameKeys) {
  const TReportParameters page = Catalog().BuildQlogicParams();
  EXPECT_EQ("Qlogic", page.GetReportName());
  EXPECT_EQ("Qlogic", page.GetLinkName());
  EXPECT_EQ(Strings({"VKXSG_QLogicFibreChannelFirmwareElement \"Qlogic Fibre Channel Firmware\"",
                     "VKXSG_QLogicFibreChannelBIOSElement \"Qlogic Fibre Channel BIOS\"",
                     "VKXSG_QLogicIScsiFirmwareElement \"Qlogic iSCSI Firmware\"",
                     "VKXSG_QLogicIScsiBIOSElement \"Qlogic iSCSI BIOS\""}),
            Tables(page));
  const Strings firmwareColumns = Columns(Catalog().BuildFirmwareParams().GetClasses()[0]);
  const Strings biosColumns = {"Name 34%", "Version 33%", "ReleaseDate 33%"};
  const Strings expectedColumns[] = {firmwareColumns, biosColumns, firmwareColumns, biosColumns};
  Strings keys;
  for (size_t i = 0; i < page.GetClasses().size(); ++i) {
    keys.push_back("Name ascending");
    EXPECT_EQ(keys, SortKeys(page.GetClasses()[i])) << i;
    EXPECT_EQ(expectedColumns[i], Columns(page.GetClasses()[i])) << i;
  }
}

TEST_F(HardwarePagesTest, EveryTableHasRenderableWidths) {
  const std::string sources[] = {Product("1.0") + Windows() + Nodes(2) + Skerry(), PrebootProduct("1.3") + Nodes(1),
                                 Product("1.3") + Linux() + Skerry()};
  for (const std::string& source : sources) {
    fNamespace = NVKXQZA20::TMemoryNamespace::Create();
    Load(kProbedClasses + source);
    const TReportParametersBuilder catalog = Catalog("default", true);
    for (const TReportParameters& page :
         {catalog.BuildHardwareInfoParams(), catalog.BuildPCIInfoParams(), catalog.BuildFirmwareParams(),
          catalog.BuildServProcConfigParams(), catalog.BuildGlowLineParams(), catalog.BuildBISTParams(),
          catalog.BuildBrocadeParams(), catalog.BuildEmulexParams(), catalog.BuildQlogicParams()}) {
      EXPECT_EQ("", ValidationMessages(page)) << page.GetReportName();
      EXPECT_TRUE(page.ShowReportTitle()) << page.GetReportName();
    }
  }
}

}  // namespace
}  // namespace page_testing
