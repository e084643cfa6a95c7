// Page operations of the system and operating-system pages: overview,
// highlights, installed software, services, drivers, network, resource use
// and operating-system configuration.
#include "catalog/page_building.h"
#include "catalog/report_parameters_builder.h"
#include "core/schema_helper.h"

namespace {

typedef TReportParametersBuilder::EOSType EOSType;

const bool kWithTeamMembers = true;
const bool kWithoutTeamMembers = false;

void AddGlobalSettingsTable(TPageBuilder& page) {
  page.Table("VKXSG_IPService", "Global Settings").ColumnStyle("100%")
      .Columns({{"HostName", "25%"}, {"DomainName", "25%"}, {"ProxyEnabled", "25%"},
                {"RoutingEnabled", "25%"}});
}

void AddRouteTable(TPageBuilder& page) {
  page.Table("VKXSG_NextHopIPRoute", "Route Information").ColumnStyle("100%")
      .Columns({{"DestinationAddress", "15%"}, {"Gateway", "15%"}, {"DestinationMask", "15%"},
                {"Flags", "15%"}, {"RouteMetric", "15%"}, {"Ref", "10%"}, {"Iface", "15%"}});
}

// The rows every network port table starts with, from DeviceID to
// DriverLoaded; the ports differ in the endpoint addresses they show.
void AddPortRows(TTableBuilder& ports, std::initializer_list<std::string> endpointAddresses,
                 EOSType os) {
  ports.Rows({"DeviceID", "Name", "Description", "LinkTechnology", "PermanentAddress",
              "NetworkAddresses"})
      .RowsThrough(endpointAddresses, "VKXSG_PortImplementsEndpoint", "VKXSG_IPProtocolEndpoint")
      .Rows({"GatewayList", "DnsServers", "DhcpEnabled", "DhcpServer"});
  if (IsWindows(os)) {
    ports.Rows({"HaveWins", "PrimaryWinsServer", "SecondaryWinsServer", "AutoConfigEnabled",
                "AutoConfigActive"});
  }
  ports.Rows({"Speed", "ActiveMaximumTransmissionUnit", "EnabledState", "DriverLoaded"});
}

void AddVirtualNetworkPortTable(TPageBuilder& page, EOSType os) {
  TTableBuilder& ports = page.Table("VKXSG_VirtualNetworkPort", "Virtual Network Ports")
                             .RowStyle("100%", "20%").InstancesPerTable(2).UniqueId("DeviceId");
  AddPortRows(ports, {"IPv4Address"}, os);
  ports.Rows({"VLANID", "VLANName", "speedDuplex"});
}

// The ports that show traffic statistics are also ordered by DeviceID.
void AddPhysicalNetworkPortTable(TPageBuilder& page, EOSType os, bool withTeamMembers,
                                 bool withStatistics) {
  TTableBuilder& ports = page.Table("VKXSG_PhysicalNetworkPort", "Physical Network Ports")
                             .RowStyle("100%", "20%").InstancesPerTable(2).UniqueId("DeviceId")
                             .SortBy(withStatistics ? "DeviceID" : "Description", kAscending);
  AddPortRows(ports, {"IPv4Address", "IPv6Address"}, os);
  if (IsWindows(os)) ports.Rows({"NICType"});
  if (withTeamMembers) ports.Rows({"MemberType", "TeamName", "TeamID", "MemberPriority"});
  ports.Rows({"speedDuplex"});
  if (withStatistics) {
    ports.RowsThrough({"RXPackets", "RXErrors", "RXDropErrors", "RXOverrunErrors", "RXFrameErrors",
                       "TXPackets", "TXErrors", "TXDropErrors", "TXOverrunErrors",
                       "TXCarrierErrors", "Collisions", "RXBytes", "TXBytes"},
                      "VKXSG_NetworkPortStatistics", "VKXSG_NetworkStatisticalData");
  }
}

// A configuration file shown as its name and its verbatim contents.
void AddConfigurationFileTable(TPageBuilder& page, std::string className, std::string title,
                               std::string nameProperty, std::string contentsProperty) {
  page.Table(className, title).RowStyle("100%", "10%").InstancesPerTable(1)
      .Rows({nameProperty, contentsProperty}).Monospaced();
}

}  // namespace

TReportParameters TReportParametersBuilder::BuildSystemConfigParams() const {
  const EOSType os = GetOSType();
  const std::string version = GetDataSourceVersion();
  const bool preboot = IsPreboot();
  TPageBuilder page("System Overview", "system_overview");

  page.Table("VKXSG_ComputerSystem", "Computer System").RowStyle("60%", "30%").InstancesPerTable(1)
      .Rows({"Manufacturer", "Version", "ProductName", "SerialNumber", "Name"});

  if (!preboot) {
    TTableBuilder& system = page.Table("VKXSG_OperatingSystem", "Operating System")
                                .RowStyle("60%", "30%").InstancesPerTable(1)
                                .Rows({"Name", "OSType"});
    if (IsWindows(os)) system.Rows({"OSSubType", "Version", "FixLevel"});
    if (os == OSVMware) system.Rows({"Version"});
    system.Rows({"BuildID", "ProductVendor"});
    if (IsLinuxOrVMware(os)) system.Rows({"KernelName", "KernelRelease", "HardwarePlatform"});
    if (IsWindows(os)) system.Rows({"RegisteredOwner", "ProductID", "InstallDate"});
    if (version > "1.0") system.Rows({"UpTime", "LastBootUpTime"});
  }

  if (version >= "1.3" && !preboot) {
    TTableBuilder& timeZone = page.Table("VKXSG_TimeZone", "TimeZone").RowStyle("60%", "30%")
                                  .InstancesPerTable(1).Rows({"LocalDateTime", "TheTimeZone"});
    if (IsWindows(os)) timeZone.Rows({"GMTDateTime"});

    page.Table("VKXSG_ComputerSystem", "Current User").RowStyle("60%", "30%").InstancesPerTable(1)
        .Column("Name", "30%").Through("VKXSG_CurrentAccountOnSystem", "VKXSG_Account");
  }

  // Every data source gets the full highlights list, whatever its version.
  page.Table("VKXSG_HeavyHittersLogRecord", "Report Highlights").ColumnStyle("100%")
      .SortBy("ElementName", kDescending)
      .Columns({{"Message", "100%"}});

  TTableBuilder& source = page.Table("VKXSG_QZAProduct", "Data Source").RowStyle("60%", "30%")
                              .InstancesPerTable(1).Rows({"Name", "Version"});
  if (version >= "1.2") source.Rows({"Build"});
  source.Rows({"SEPVersion"}).Label("SEP Version");
  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildCriticalDetailsParams() const {
  TPageBuilder page("Report Highlights", "critical_details");
  page.Table("VKXSG_HeavyHittersLogRecord").ColumnStyle("60%")
      .Columns({{"Message", "100%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildInstalledAppsParams() const {
  TPageBuilder page("Installed Applications", "installedapps");
  page.Table("VKXSG_InstalledApplication").ColumnStyle("100%").Sortable()
      .SortBy("ProductName", kAscending)
      .Columns({{"ProductName", "50%"}, {"ProductVersion", "20%"}, {"ProductVendor", "20%"},
                {"ProductInstallDate", "10%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildVmware3iParams() const {
  TPageBuilder page("VMware ESXi", "vmware_esxi");
  page.Table("VKXSG_VMWARE3I_SoftwareElement", "VMware ESXi").ColumnStyle("100%").Sortable()
      .SortBy("Node", kAscending)
      .Columns({{"Node", "20%"}, {"BootbankVersion", "20%"}, {"BootbankLicense", "20%"}})
      .Column("Manufacturer", "20%").Label("VendorID")
      .Column("SerialNumber", "20%").Label("DeviceID");
  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildWindowsComponentsParams() const {
  TPageBuilder page("Windows Components", "win_components");
  page.Table("VKXSG_OSComponent").ColumnStyle("100%").Sortable()
      .SortBy("Name", kAscending)
      .Columns({{"Name", "20%"}, {"ProductName", "40%"}, {"Version", "20%"},
                {"ComponentInstalled", "20%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildSysConfigParams() const {
  TPageBuilder page("Linux Config Files", "linux_config");
  page.Table("VKXSG_SysConfigElement").RowStyle("100%", "10%").InstancesPerTable(1)
      .Rows({"DeviceID"})
      .AssociatedTables({
          TTableBuilder("VKXSG_SysConfigSettingData").RowStyle("100%", "10%").InstancesPerTable(1)
              .ReachedThrough("VKXSG_SysConfigAssoc", "VKXSG_SysConfigSettingData")
              .Rows({"FilePath", "SettingData"})});
  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildInstalledRPMParams() const {
  TPageBuilder page("Installed Packages", "installed_packages");
  page.Table("VKXSG_InstalledRPM", "Installed Packages").ColumnStyle("100%").Sortable()
      .SortBy("ProductName", kAscending)
      .Columns({{"ProductName", "10%"}, {"ProductVersion", "5%"}, {"Group", "20%"},
                {"Summary", "30%"}})
      .Column("Size", "5%").Label("Size (byte)")
      .Columns({{"License", "15%"}, {"ProductInstallDate", "15%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildInstalledFixesParams() const {
  TPageBuilder page("Installed Hotfixes", "installedfixes");
  page.Table("VKXSG_InstalledFix", "Installed Hotfixes").ColumnStyle("100%").Sortable()
      .SortBy("ProductName", kAscending)
      .Column("ProductName", "50%").Label("Description")
      .Columns({{"ProductVersion", "20%"}, {"ProductVendor", "20%"}, {"ProductInstallDate", "10%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildKernelModuleParams() const {
  TPageBuilder page("Kernel Modules", "kernelmodules");
  page.Table("VKXSG_LinuxKernelModule", "Kernel Modules").ColumnStyle("100%").Sortable()
      .SortBy("Name", kAscending)
      .Columns({{"Name", "10%"}, {"Description", "25%"}, {"SoftwareElementState", "10%"},
                {"Manufacturer", "15%"}, {"Version", "10%"}, {"Path", "30%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildDeviceDriverParams() const {
  TPageBuilder page("Device Drivers", "devicedriver");
  page.Table("VKXSG_DeviceDriverInfo").ColumnStyle("100%").Sortable()
      .SortBy("Name", kAscending)
      .Columns({{"Name", "8%"}, {"Description", "16%"}, {"CurrentState", "6%"},
                {"StartupState", "6%"}, {"Manufacturer", "10%"}, {"Version", "14%"},
                {"CreationTime", "12%"}})
      .Column("FileSize", "6%").Label("File Size (byte)")
      .Columns({{"Path", "22%"}});

  page.Table("VKXSG_DeviceDriverRollBack", "RollBack Drivers").ColumnStyle("100%")
      .SortBy("Name", kAscending)
      .Columns({{"Name", "24%"}, {"CurrentState", "6%"}, {"StartupState", "6%"},
                {"Manufacturer", "10%"}, {"Version", "14%"}, {"CreationTime", "12%"}})
      .Column("FileSize", "6%").Label("File Size (byte)")
      .Columns({{"Path", "22%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildSystemServiceParams() const {
  TPageBuilder page("System Services", "systemservice");
  page.Table("VKXSG_SystemServiceInfo").ColumnStyle("100%").Sortable()
      .SortBy("Name", kAscending)
      .Columns({{"Name", "11%"}, {"Description", "17%"}, {"CurrentState", "6%"},
                {"StartupState", "7%"}, {"Manufacturer", "12%"}, {"Version", "10%"},
                {"InstallDate", "11%"}})
      .Column("FileSize", "5%").Label("File Size (byte)")
      .Columns({{"Path", "21%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildNetworkWithTeamingParams() const {
  const EOSType os = GetOSType();
  TPageBuilder page("Network Settings", "net");
  AddGlobalSettingsTable(page);
  if (IsLinuxOrVMware(os)) AddRouteTable(page);

  page.Table("VKXSG_VirtualNetworkingGroup", "Virtual Teams").ColumnStyle("100%")
      .UniqueId("TeamName")
      .Columns({{"TeamName", "25%"}, {"TeamType", "25%"}})
      .Column("PermanentAddress", "25%").Label("Virtual Members")
          .Through("VKXSG_VirtualNetworkingPortComponent", "VKXSG_VirtualNetworkPort")
      .Column("Name", "25%").Label("Physical Members")
          .Through("VKXSG_VirtualNetworkingRedundancyGroupComponent", "VKXSG_SpareGroup");

  AddVirtualNetworkPortTable(page, os);
  AddPhysicalNetworkPortTable(page, os, kWithTeamMembers, IsLinuxOrVMware(os));
  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildNetworkWithoutTeamingParams() const {
  const EOSType os = GetOSType();
  TPageBuilder page("Network Settings", "net");
  AddGlobalSettingsTable(page);
  if (IsLinuxOrVMware(os)) AddRouteTable(page);
  AddVirtualNetworkPortTable(page, os);
  AddPhysicalNetworkPortTable(page, os, kWithoutTeamMembers, os == OSLinux);
  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildProcessesParams() const {
  TPageBuilder page("Processes", "processes");
  page.Table("VKXSG_Process", "Processes").ColumnStyle("100%").Sortable()
      .SortBy("Handle", kAscending, kSecondKeyFlag)
      .Columns({{"Handle", "5%"}, {"Name", "20%"}, {"User", "10%"}, {"ExecutionState", "10%"},
                {"Priority", "5%"}, {"KernelModeTime", "12%"}, {"UserModeTime", "12%"},
                {"WorkingSetSize", "11%"}, {"CreationDate", "15%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildResourceUtilizationParams() const {
  const EOSType os = GetOSType();
  const std::string osVersion =
      NVKXQZA20::TCIMSchemaHelper::GetOperatingSystemVersion(fNamespace, NVKXQZA20::TCIMContext());
  TPageBuilder page("Resource Utilization", "resource");

  TTableBuilder& memory = page.Table("VKXSG_OperatingSystem", "Memory Utilization")
                              .RowStyle("75%", "25%").InstancesPerTable(1).Rows({"MemoryLoad"});
  if (IsLinuxOrVMware(os)) memory.Rows({"SwapUtilization"});
  memory.Rows({"TotalVirtualMemorySize", "FreeVirtualMemory", "SizeStoredInPagingFiles",
               "FreeSpaceInPagingFiles"});
  if (IsLinuxOrVMware(os)) memory.Rows({"FreeSwapSpaceSize", "TotalSwapSpaceSize"});
  if (osVersion > "5.0") memory.Rows({"HandleCount", "ThreadCount", "ProcessCount"});
  memory.Rows({"TotalVisibleMemorySize", "FreePhysicalMemory"});
  if (osVersion > "5.0") {
    memory.Rows({"SystemCache", "CommitTotal", "CommitLimit", "CommitPeak", "KernelTotal",
                 "KernelPaged", "KernelNonpaged"});
  }

  page.Table("VKXSG_SystemPerformanceData", "Performance Data").ColumnStyle("85%")
      .SortBy("ObjectName", kAscending)
      .Columns({{"ObjectName", "15%"}, {"CounterName", "15%"}, {"InstanceName", "55%"},
                {"CounterValue", "15%"}});
  return page.Build();
}

TReportParameters TReportParametersBuilder::BuildOSConfigParams() const {
  const EOSType os = GetOSType();
  TPageBuilder page("OS Configuration", "os_config");
  AddConfigurationFileTable(page, "VKXSG_OperatingSystem", "Boot Configuration",
                            "BootConfigurationFileName", "BootConfigurationFileContents");
  if (IsLinuxOrVMware(os)) {
    AddConfigurationFileTable(page, "VKXSG_OperatingSystem", "Init Configuration",
                              "InitConfigurationFileName", "InitConfigurationFileContents");
    AddConfigurationFileTable(page, "VKXSG_LinuxModulesConfigurationSetting",
                              "Kernel Modules Configuration", "ElementName", "ModulesConf");
    AddConfigurationFileTable(page, "VKXSG_OperatingSystem", "Kernel Ring Buffer",
                              "KernelRingBufferName", "KernelRingBufferContents");
  }

  TTableBuilder& account = page.Table("VKXSG_Account", "Active User Information")
                               .RowStyle("100%", "10%").InstancesPerTable(1)
                               .Rows({"Name", "UserID", "Descriptions", "LastLogon"});
  if (IsWindows(os)) account.Rows({"Domain", "LogonServer"});

  page.Table("VKXSG_UserEnvironmentVariable", "User Environment Variables").ColumnStyle("100%")
      .Columns({{"SettingID", "15%"}, {"SettingValue", "85%"}});

  page.Table("VKXSG_SystemEnvironmentVariable", "System Environment Variables").ColumnStyle("100%")
      .SortBy("SettingID", kAscending)
      .Columns({{"SettingID", "15%"}, {"SettingValue", "85%"}});

  page.Table("VKXSG_PageFile", "Paging File").ColumnStyle("60%")
      .SortBy("SettingID", kAscending)
      .Columns({{"Name", "60%"}, {"FileSize", "40%"}});
  return page.Build();
}
