// The bundled schema declares everything the library reads: the classes,
// properties and associations of every page definition the catalog builds,
// in every kind of data source, and those that the hand-written pages,
// repairs, probes and the tool read by name.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "catalog/report_parameters_builder.h"
#include "tests/catalog/schema_checking.h"

namespace {

using schema_checking::TSchemaCheck;

// The facts of a data source that the catalog's probes read, as MOF
// instances of the bundled schema's classes.
std::string Product(const std::string& version, const std::string& build) {
  return "instance of VKXSG_QZAProduct { Name = \"QZA\"; Version = \"" + version + "\"; Build = \"" + build +
         "\"; };\n";
}
std::string OperatingSystem(const std::string& vendor, int osType, const std::string& version) {
  return "instance of VKXSG_OperatingSystem { CreationClassName = \"VKXSG_OperatingSystem\"; Name = \"OS\";"
         " ProductVendor = \"" + vendor + "\"; OSType = " + std::to_string(osType) + "; Version = \"" + version +
         "\"; };\n";
}
std::string Nodes(int count) {
  return "instance of VKXSG_ComputerSystem { CreationClassName = \"VKXSG_ComputerSystem\"; Name = \"Node\";"
         " SystemNodes = " + std::to_string(count) + "; };\n";
}
const std::string kSkerry =
    "instance of VKXSG_SP_SkerrySystem { CreationClassName = \"VKXSG_SP_SkerrySystem\"; Name = \"Skerry\";"
    " SkerryPresent = true; };\n";
const std::string kBuild = "QZA 9.61 build 1234";
const std::string kLinux = OperatingSystem("Red Hat, Inc.", 36, "4.18");
const std::string kWindows = OperatingSystem("Microsoft Corporation", 18, "6.3");
const std::string kWindowsNewer = OperatingSystem("Microsoft Corporation", 74, "10.0");
const std::string kVMware = OperatingSystem("VMware, Inc.", 78, "7.0");

// Every branch of the page operations: operating systems, data source
// versions, preboot, nodes, expansion units, the "luz" mode and XCM.
struct TDataSourceKind {
  const char* fName;
  std::string fFacts;
  const char* fMode;
  bool fXCM;
};

const TDataSourceKind kDataSourceKinds[] = {
    {"Linux 1.3", Product("1.3", kBuild) + kLinux + Nodes(1), "default", false},
    {"Linux 1.1", Product("1.1", kBuild) + kLinux, "default", false},
    {"Linux 1.0", Product("1.0", kBuild) + kLinux, "default", false},
    {"Windows 1.3", Product("1.3", kBuild) + kWindows, "default", false},
    {"Windows newer 1.2", Product("1.2", kBuild) + kWindowsNewer, "default", false},
    {"VMware 1.3", Product("1.3", kBuild) + kVMware, "default", false},
    {"unknown system", Product("1.3", kBuild), "default", false},
    {"preboot", Product("2.1", "QZA 9.61 build 1234-preboot"), "default", false},
    {"multi-node Linux with Skerry, luz, XCM", Product("1.3", kBuild) + kLinux + Nodes(2) + kSkerry, "luz", true},
    {"multi-node Windows", Product("1.3", kBuild) + kWindows + Nodes(4), "default", false},
    {"Skerry alone", Product("1.3", kBuild) + kLinux + kSkerry, "luz", false},
};

typedef TReportParameters (TReportParametersBuilder::*TPageOperation)() const;

const TPageOperation kPageOperations[] = {
    &TReportParametersBuilder::BuildSystemConfigParams,      &TReportParametersBuilder::BuildCriticalDetailsParams,
    &TReportParametersBuilder::BuildInstalledAppsParams,     &TReportParametersBuilder::BuildVmware3iParams,
    &TReportParametersBuilder::BuildWindowsComponentsParams, &TReportParametersBuilder::BuildSysConfigParams,
    &TReportParametersBuilder::BuildInstalledRPMParams,      &TReportParametersBuilder::BuildInstalledFixesParams,
    &TReportParametersBuilder::BuildKernelModuleParams,      &TReportParametersBuilder::BuildDeviceDriverParams,
    &TReportParametersBuilder::BuildSystemServiceParams,     &TReportParametersBuilder::BuildNetworkWithTeamingParams,
    &TReportParametersBuilder::BuildNetworkWithoutTeamingParams, &TReportParametersBuilder::BuildProcessesParams,
    &TReportParametersBuilder::BuildResourceUtilizationParams, &TReportParametersBuilder::BuildOSConfigParams,
    &TReportParametersBuilder::BuildHardwareInfoParams,      &TReportParametersBuilder::BuildPCIInfoParams,
    &TReportParametersBuilder::BuildFirmwareParams,          &TReportParametersBuilder::BuildServProcConfigParams,
    &TReportParametersBuilder::BuildGlowLineParams,          &TReportParametersBuilder::BuildBISTParams,
    &TReportParametersBuilder::BuildBrocadeParams,           &TReportParametersBuilder::BuildEmulexParams,
    &TReportParametersBuilder::BuildQlogicParams,            &TReportParametersBuilder::BuildCELLogParams,
    &TReportParametersBuilder::BuildODRLogParams,            &TReportParametersBuilder::BuildYELMLogParams,
    &TReportParametersBuilder::BuildIPMILogParams,           &TReportParametersBuilder::BuildIPMILogXCMParams,
    &TReportParametersBuilder::BuildSPINTParams,             &TReportParametersBuilder::BuildWinAppEventParams,
    &TReportParametersBuilder::BuildWinSysEventParams,       &TReportParametersBuilder::BuildWinSecEventParams,
    &TReportParametersBuilder::BuildMergeLogParams,          &TReportParametersBuilder::BuildFileLoaderParams,
    &TReportParametersBuilder::BuildPWParams,                &TReportParametersBuilder::BuildQZALogParams,
    &TReportParametersBuilder::BuildDiagsParams,
};

TEST(SchemaCoverageTest, EveryPageDefinitionOfEveryKindOfDataSourceNamesDeclaredSchema) {
  TSchemaCheck check(schema_checking::LoadBundledSchema());
  size_t tables = 0;
  for (const TDataSourceKind& kind : kDataSourceKinds) {
    boost::shared_ptr<NVKXQZA20::TMemoryNamespace> ns = schema_checking::LoadBundledSchema();
    NVKXQZA20::TMofReader(ns).LoadText(kind.fFacts, "facts.mof");
    const TReportParametersBuilder catalog(ns, kind.fMode, kind.fXCM);
    for (TPageOperation operation : kPageOperations) {
      const TReportParameters page = (catalog.*operation)();
      tables += page.GetClasses().size();
      check.Page(page, kind.fName);
    }
  }
  EXPECT_GT(tables, 500u);
  EXPECT_EQ("", check.Report());
}

// The check finds what it is for: a misspelt class, a property of another
// class, an association walked between classes it does not link.
TEST(SchemaCoverageTest, TheCheckReportsEachKindOfMiss) {
  TReportParameters page;
  page.SetReportName("Made up");
  TReportParameters::TReportClass table;
  table.SetClass("VKXSG_TimeZone");
  table.GetProperties().push_back(TReportParameters::TReportProperty("PartNumber", "50%", "", "", ""));
  table.GetProperties().push_back(
      TReportParameters::TReportProperty("Name", "50%", "VKXSG_CurrentAccountOnSystem", "VKXSG_Account", ""));
  table.GetInstanceSorter().AddProperty("NoSuchKey", true, false);
  TReportParameters::TReportClass missing;
  missing.SetClass("VKXSG_NoSuchClass");
  page.SetClasses({table, missing});

  TSchemaCheck check(schema_checking::LoadBundledSchema());
  check.Page(page, "test");
  const std::string report = check.Report();
  EXPECT_NE(std::string::npos, report.find("class VKXSG_NoSuchClass is not declared")) << report;
  EXPECT_NE(std::string::npos, report.find("VKXSG_TimeZone has no property NoSuchKey")) << report;
  EXPECT_NE(std::string::npos, report.find("VKXSG_CurrentAccountOnSystem from VKXSG_TimeZone to VKXSG_Account does not "
                                           "match its references"))
      << report;
}

// What the library reads by name outside the catalog's page definitions:
// the probes, the repairs, the hand-written device pages (custom/), the
// writer's class-specific handling, the comparison pages and the tool.
// Each entry is a class and the properties read from it, space-separated
// (none: the class alone is enumerated or tested for).
struct TClassReads {
  const char* fClass;
  const char* fProperties;
};

const TClassReads kClassReads[] = {
    // Probes of the catalog and the schema helper; the ESXi node count.
    {"VKXSG_QZAProduct", "Name Version Build"},
    {"VKXSG_ComputerSystem", "SystemNodes SerialNumber Name Manufacturer ProductName"},
    {"VKXSG_SP_SkerrySystem", "SkerryPresent"},
    {"VKXSG_OperatingSystem", "ProductVendor OSType Version Name KernelRelease"},
    {"VKXSG_PhysicalNetworkPort", "TeamName TeamID"},
    {"VKXSG_WindowsSystemEventLogRecord", ""},
    {"OMC_Chassis", "IpmiNodeCount"},
    {"OMC_IPMIIPProtocolEndpoint", ""},
    {"OMC_NumericSensor", "OperationalStatus CurrentReading UnitModifier"},
    // The report driver and its repairs.
    {"VKXSG_IPMIFirmwareElement", "Name"},
    {"VKXSG_SystemSlot", "CurrentUsage Number SlotAllInfo"},
    {"VKXSG_PCIDevice", "UINumber DeviceID VendorID PciDeviceID"},
    {"VKXSG_HeavyHittersLogRecord",
     "Message CreationClassName LogName LogCreationClassName MessageTimestamp RecordID"},
    {"VKXSG_ODRlog", "Message"},
    {"VKXSG_IPMILogRecord", "Message Caption DataFormat EventData"},
    {"VKXSG_DesktopMonitor", "Name"},
    {"VKXSG_SPDData", "Manufacturer"},
    {"VKXSG_LogicalDevice", "DeviceClass ElementName Manufacturer OtherIdentifyingInfo"},
    // The writer's class-specific handling and labels.
    {"CIM_DiagnosticCompletionRecord", "CreationTimeStamp"},
    {"VKXSG_MemoryDiagLogRecord", "MessageTimestamp"},
    {"VKXSG_Process", "KernelModeTime UserModeTime WorkingSetSize"},
    {"VKXSG_PWResult", "Type Name"},
    {"VKXSG_FRU", "Name Vendor FRUNumber PartNumber SerialNumber"},
    {"CIM_NumericSensor", "CurrentReading UnitModifier ElementName SensorDescription NodeID SourceNode BaseUnits "
                          "OperationalStatus"},
    {"VKXSG_TimeZone", "LocalDateTime"},
    {"VKXSG_IPService", "HostName"},
    // Comparison records.
    {"VKXSG_DeltaClass", "InstanceID ClassName"},
    {"VKXSG_Delta", "Type InstanceName NamespaceIndices Property"},
    // Firmware/VPD.
    {"VKXSG_FirmwareElement", "Name Manufacturer Version BuildNumber BuildDate"},
    {"VKXSG_SysBusDevice", "ProductID"},
    {"CIM_LogicalDevice", "OtherIdentifyingInfo"},
    {"CIM_BIOSElement", "Name SourceNode BuildNumber Version ReleaseDate"},
    {"VKXSG_PostBIOSVPD", "BuildNumber BuildDate Version Filename UniqueID"},
    {"VKXSG_DiagnosticVPD", "BuildNumber SourceNode"},
    {"VKXSG_SPROMFirmwareVPDMain", "Name BuildNumber BuildDate Version Filename"},
    {"VKXSG_SPROMFirmwareVPDBootROM", "BuildNumber BuildDate Version Filename"},
    {"VKXSG_HardwareRevisionLevel", "Hardwarelevel"},
    {"BROCADE_PortController", ""},
    {"BROCADE_AdapterSoftwareIdentity", "Description VersionString BuildNumber ReleaseDate"},
    {"EMXCNA_FirmwareVersion", "Name Version"},
    {"PMC_FirmwareSoftwareIdentity", "InstanceID VersionString"},
    {"PMC_BiosSoftwareIdentity", "InstanceID VersionString"},
    {"VKXSG_LSIControllerBIOSElement", ""},
    {"VKXSG_LSIDiskFirmwareElement", ""},
    // LSI controllers: the vendor provider and the legacy one.
    {"CIM_ComputerSystem", "ElementName"},
    {"CIM_PhysicalPackage", "Model"},
    {"LSIESG_MegaRAIDHBA", ""},
    {"LSIESG_EnclosureChassis", ""},
    {"LSIESG_FirmwarePackageIdentity", "Manufacturer VersionString BuildNumber"},
    {"LSIESG_ControllerFirmwareIdentity", "Manufacturer VersionString BuildNumber"},
    {"LSIESG_ControllerBIOSIdentity", "VersionString BuildNumber ReleaseDate"},
    {"LSIESG_DriveFirmwareIdentity", "Manufacturer VersionString BuildNumber"},
    {"LSIESG_StorageVolume", "Name OperationalStatus"},
    {"LSIESG_StorageVolumeSetting", "ElementName"},
    {"LSIESG_DiskExtent", "Name OperationalStatus BlockSize NumberOfBlocks"},
    {"LSIESG_DiskDrive", "Name ElementName OperationalStatus"},
    {"LSIESG_PhysicalDrive", "FRUNumber"},
    {"VKXSG_LSISCSIProtocolController",
     "ControllerType ControllerNum SCSIChannelDescription InitiatorIDs LSIType CurrentOperation "
     "LogicalDriveInProgress VolumeID VolumeStatus VolumeState LogicalDriveSize NumRemainingSectors "
     "PercentComplete"},
    {"VKXSG_LSIBIOSElement", "Version"},
    {"VKXSG_LSIFirmwareElement", "Version"},
    {"VKXSG_LSILogicalDisk", "VolumeID VolumeNumber VolumeStatus RAIDLevel BlockSize PhysicalHardDisks"},
    {"VKXSG_LSIDiskDrive",
     "DeviceType ChannelNum EnclosureNum TargetID SlotID VKXFruCru State MaxMediaSize InquiryData ModelNumber "
     "FirmwareRevision SerialNo DriveType"},
    {"VKXSG_LSIEnclosureInformation", "EnclosureNum LogicalID Numslots StartSlot StartTargetID StartBus"},
    {"VKXSG_MegaLSIRawData", "Command RawResults"},
    {"VKXSG_lsiRawData", "Command RawResults"},
    {"VKXSG_LSIIDEProtocolController", "ControllerNum ControllerType ChannelDescription"},
    // PMC RAID.
    {"PMC_ControllerComputerSystem", "Name ElementName"},
    {"PMC_Card", "Model SerialNumber PartNumber"},
    {"PMC_DriverSoftwareIdentity", "VersionString"},
    {"PMC_StorageVolume", "DeviceID ElementName RAIDLevel OperationalStatus BlockSize NumberOfBlocks"},
    {"PMC_DiskDrive", "DeviceID ElementName Vendor Model SerialNumber FirmwareRevision OperationalStatus"},
    // Environmentals and the XCM configuration.
    {"CIM_DNSSettingData", "InstanceID NodeID RequestedHostname DNSServerAddresses ElementName"},
    {"CIM_IPProtocolEndpoint", "AddressOrigin NodeID IPv4Address SubnetMask SystemName"},
    {"CIM_StaticIPAssignmentSettingData", "NodeID InstanceID IPv4Address SubnetMask GatewayIPv4Address"},
    {"VKX_SNMPCommunityString", "NodeID Name CommunityString SystemName"},
    {"CIM_SNMPCommunityString", "NodeID Name CommunityString SystemName"},
    // Drive health.
    {"OMC_ATADevice", "VendorID ProductID DeviceID"},
    {"OMC_IDESMARTErrorLog", "smartStatus selftestExecutionStatus"},
    {"OMC_IDESMARTAttrib", "attribID attribName flags value worst threshold type rawVal"},
    {"OMC_IDESMARTErrorCmdData",
     "commandId commandReg deviceControl features sectorCount LBAHigh LBAMid LBALow timestamp"},
    {"OMC_IDESMARTError", "RecordID deviceState errorReg sectorCount statusReg LBAHigh LBAMid LBALow "
                          "MessageTimestamp"},
    {"VKXSG_TapeDriveSensePageData", "DeviceName cleanNow timeToClean"},
    {"OMC_SCSISenseRawData", "InstanceID pageNumber rawData"},
    // KeelRAID.
    {"VKXSG_krSCSIProtocolController",
     "ControllerNum ControllerType ControllerStatus ChannelDescription SerialNum ControllerSlotInfo "
     "InstalledMemory PartNum DeviceDriverVersion ClusterSolutionVersion ControllerName CopyBackEnabled "
     "ScsiChannelDescr InitiatorChannelScsiId MaxPhysicalDevices DefunctDiskDriveCnt LogicalDriveStatusCnt "
     "ReadAhead StripeUnitSize RebuildRate HotSwapRebuild DataScrubbing HotSpareCopyBack PartOfCluster "
     "UnattendedMode ConcurrentCommandsSupported ConfigurationUpdateCount Current_MostRecentOperation "
     "Logical_Drive BackgroundOperationActive LastCmdStatus LogicalDriveSizeInStripes NumberOfRemainingStripes "
     "VPD ECVersion ControllerFRU ControllerTemp ControllerBatteryStatus ControllerBatteryOverTemp "
     "ControllerBatteryCapacity ControllerBatteryFRU BatteryTimeRemaining"},
    {"VKXSG_krBiosVersion", "Version"},
    {"VKXSG_krFirmwareVersion", "Version"},
    {"VKXSG_krBootBlockVersion", "Version"},
    {"VKXSG_krLogicalDisk",
     "ControllerNum LogicalDriveNum LogicalDriveName RaidLevel LogicalDriveStatus Size ReadCacheStatus "
     "WriteCacheStatus WriteCacheSetting Partitioned NumOfSegments StripeUnitSize DriveList StripeOrder "
     "DefunctSegments"},
    {"VKXSG_BadStripeData", "NumBadStripes"},
    {"VKXSG_krDiskGroup", "Array LogicalDrive ControllerNum StripeOrder"},
    {"VKXSG_krDiskDrive",
     "CollectionID DateTimeOfCollection ControllerNum DeviceNumber DeviceType Channel ScsiId DeviceCode State "
     "Supported TransferSpeed ReportedChannel ReportedLocation ReportedESD EnclosureId Type Vendor Model Firmware "
     "DeviceSerialNum WorldWideName Size WriteCache FRU PFA Enclosure"},
    {"VKXSG_krSCSISubStatData", "ControllerNum Channel ScsiId Params Req_Off Max_Txer_P Cur_Txer_P"},
    {"VKXSG_LogRecord_RAIDMgrEvent", "MessageTimestamp Severity Message"},
    {"VKXSG_LogRecord_krDDD", "Controller Date Time Channel ID Reason Descrip"},
    {"VKXSG_krSCSIDeviceData", "ControllerNum Channel ScsiId NumParityErrors NumSoftErrors NumHardErrors PFA Misc"},
    {"VKXSG_LogRecord_HardEvent", ""},
    {"VKXSG_LogRecord_SoftEvent", ""},
    {"VKXSG_krRawData", "Command RawResults"},
    {"VKXSG_krManagerRawData", "Command RawResults"},
    // Adapter raw data, BIOS settings, analysis and luz pages.
    {"VKXSG_QLogicFibreChannelRawData", "Command RawResults"},
    {"EMXCNA_RawData", "InstanceID RawData"},
    {"VKXSG_BIOSEnumeration", "AttributeName CurrentValue DefaultValue PendingValue"},
    {"VKXSG_VellumDevices",
     "VellumScore VellumType VellumCimType VellumPropertyName VellumValue VellumFrequency VellumCommonValues "
     "VellumCommonFrequencies"},
    {"VKXSG_ZEBChipsetErrorData", "SourceNode Component RegisterName Address Value DecodedError"},
    {"VKXSG_OREQSetting", "OreqRawShowAll OreqRawShowDefault"},
    // Operating-system logs and the merged devices.
    {"VKXSG_LinuxEventLogRecord", "RecordID LogName MessageTimestamp Source Message"},
    {"VKXSG_LinuxKernelModule", "Name Version"},
    {"VKXSG_DeviceDriverInfo", "Name Version"},
    {"VKXSG_SystemBoard", "SlotAllInfo"},
    // The tool's choice of the ESXi report.
    {"VMware_HypervisorSoftwareIdentity", ""},
};

// Associations walked by name outside the page definitions, from a class
// to a class, with the properties read at the far end.
struct TAssociationRead {
  const char* fAssociation;
  const char* fFrom;
  const char* fTo;
};

const TAssociationRead kAssociationReads[] = {
    {"VKXSG_DeltaClassAssocToDelta", "VKXSG_DeltaClass", "VKXSG_Delta"},
    {"VKXSG_DeviceFirmware", "VKXSG_FirmwareElement", "VKXSG_SysBusDevice"},
    {"VKXSG_DeviceFirmware", "VKXSG_FirmwareElement", "CIM_LogicalDevice"},
    {"BROCADE_AdapterElementSoftwareIdentity", "BROCADE_PortController", "BROCADE_AdapterSoftwareIdentity"},
    {"LSIESG_SystemPackaging", "CIM_ComputerSystem", "CIM_PhysicalPackage"},
    {"LSIESG_ElementSoftwareIdentity", "CIM_ComputerSystem", "LSIESG_ControllerBIOSIdentity"},
    {"LSIESG_ElementSoftwareIdentity", "CIM_ComputerSystem", "LSIESG_ControllerFirmwareIdentity"},
    {"LSIESG_ElementSoftwareIdentity", "CIM_ComputerSystem", "LSIESG_FirmwarePackageIdentity"},
    {"LSIESG_ElementSoftwareIdentity", "LSIESG_DiskDrive", "LSIESG_DriveFirmwareIdentity"},
    {"LSIESG_SystemDevice", "CIM_ComputerSystem", "LSIESG_StorageVolume"},
    {"LSIESG_SystemDevice", "CIM_ComputerSystem", "LSIESG_DiskDrive"},
    {"LSIESG_ElementSettingData", "LSIESG_StorageVolume", "LSIESG_StorageVolumeSetting"},
    {"LSIESG_ConcreteDependency", "LSIESG_StorageVolume", "LSIESG_DiskExtent"},
    {"LSIESG_MediaPresent", "LSIESG_DiskExtent", "LSIESG_DiskDrive"},
    {"LSIESG_Realizes", "LSIESG_DiskDrive", "LSIESG_PhysicalDrive"},
    {"VKXSG_LSIControllerBIOSElement", "VKXSG_LSISCSIProtocolController", "VKXSG_LSIBIOSElement"},
    {"VKXSG_LSIControllerFirmwareElement", "VKXSG_LSISCSIProtocolController", "VKXSG_LSIFirmwareElement"},
    {"VKXSG_LSIControllerBIOSElement", "VKXSG_LSIIDEProtocolController", "VKXSG_LSIBIOSElement"},
    {"VKXSG_LSIControllerFirmwareElement", "VKXSG_LSIIDEProtocolController", "VKXSG_LSIFirmwareElement"},
    {"VKXSG_LSIProtocolControllerForUnit", "VKXSG_LSISCSIProtocolController", "VKXSG_LSILogicalDisk"},
    {"VKXSG_LSIProtocolControllerForPhysicalDisk", "VKXSG_LSISCSIProtocolController", "VKXSG_LSIDiskDrive"},
    {"VKXSG_LSIProtocolControllerForUnit", "VKXSG_LSIIDEProtocolController", "VKXSG_LSILogicalDisk"},
    {"VKXSG_LSIProtocolControllerForPhysicalDisk", "VKXSG_LSIIDEProtocolController", "VKXSG_LSIDiskDrive"},
    {"VKXSG_LSIDiskFirmware", "VKXSG_LSIDiskFirmwareElement", "VKXSG_LSIDiskDrive"},
    {"PMC_SystemPackaging", "PMC_ControllerComputerSystem", "PMC_Card"},
    {"PMC_ElementSoftwareIdentity", "PMC_ControllerComputerSystem", "PMC_DriverSoftwareIdentity"},
    {"PMC_ElementSoftwareIdentity", "PMC_ControllerComputerSystem", "PMC_BiosSoftwareIdentity"},
    {"PMC_ElementSoftwareIdentity", "PMC_ControllerComputerSystem", "PMC_FirmwareSoftwareIdentity"},
    {"PMC_SystemDevice", "PMC_ControllerComputerSystem", "PMC_StorageVolume"},
    {"PMC_SystemDevice", "PMC_ControllerComputerSystem", "PMC_DiskDrive"},
    {"OMC_IDESMARTUseOfMessageLog", "OMC_ATADevice", "OMC_IDESMARTErrorLog"},
    {"OMC_IDESMARTElementStatisticalData", "OMC_ATADevice", "OMC_IDESMARTAttrib"},
    {"OMC_IDESMARTRecordInLog", "OMC_IDESMARTErrorLog", "OMC_IDESMARTError"},
    {"OMC_IDESMARTLogCmdData", "OMC_IDESMARTError", "OMC_IDESMARTErrorCmdData"},
    {"VKXSG_krBiosOnController", "VKXSG_krSCSIProtocolController", "VKXSG_krBiosVersion"},
    {"VKXSG_krFirmwareOnController", "VKXSG_krSCSIProtocolController", "VKXSG_krFirmwareVersion"},
    {"VKXSG_krBootBlockOnController", "VKXSG_krSCSIProtocolController", "VKXSG_krBootBlockVersion"},
    {"VKXSG_krProtocolControllerForUnit", "VKXSG_krSCSIProtocolController", "VKXSG_krLogicalDisk"},
    {"VKXSG_ElementBadStripeData", "VKXSG_krLogicalDisk", "VKXSG_BadStripeData"},
    {"VKXSG_krStripeOrderForController", "VKXSG_krSCSIProtocolController", "VKXSG_krDiskGroup"},
    {"VKXSG_krProtocolControllerForPhysicalDisk", "VKXSG_krSCSIProtocolController", "VKXSG_krDiskDrive"},
    {"VKXSG_DeviceInSlot", "VKXSG_PCIDevice", "VKXSG_SystemSlot"},
    {"VKXSG_DeviceOnSystemBoard", "VKXSG_PCIDevice", "VKXSG_SystemBoard"},
};

std::vector<std::string> Words(const std::string& text) {
  std::istringstream stream(text);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

TEST(SchemaCoverageTest, EveryClassPropertyAndAssociationReadByNameIsDeclared) {
  TSchemaCheck check(schema_checking::LoadBundledSchema());
  for (const TClassReads& reads : kClassReads) {
    const std::string where = std::string("read by name from ") + reads.fClass;
    if (!check.Class(reads.fClass, where)) continue;
    for (const std::string& property : Words(reads.fProperties)) check.Property(reads.fClass, property, where);
  }
  for (const TAssociationRead& step : kAssociationReads) {
    check.Link(step.fAssociation, step.fFrom, step.fTo, std::string("walked by name through ") + step.fAssociation);
  }
  EXPECT_EQ("", check.Report());
}

}  // namespace
