#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <stdexcept>

#include "tests/catalog/page_definition_testing.h"

namespace {

using namespace page_testing;

// A table as the page lists write it: its settings, sort keys and columns.
struct TListedTable {
  std::string settings;
  Strings keys;
  Strings columns;
  bool operator==(const TListedTable& other) const {
    return settings == other.settings && keys == other.keys && columns == other.columns;
  }
};

void PrintTo(const TListedTable& table, std::ostream* out) {
  *out << "\n  " << table.settings << "\n  keys " << testing::PrintToString(table.keys)
       << "\n  columns " << testing::PrintToString(table.columns);
}

TListedTable Listed(const TReportClass& table) {
  return {Settings(table), SortKeys(table), Columns(table)};
}

std::vector<TListedTable> ListedTables(const TReportParameters& page) {
  std::vector<TListedTable> tables;
  for (const TReportClass& table : page.GetClasses()) tables.push_back(Listed(table));
  return tables;
}

// Rows of a row-style table carry the width "0%".
Strings Rows(std::initializer_list<std::string> names) {
  Strings rows;
  for (const std::string& name : names) rows.push_back(name + " 0%");
  return rows;
}

Strings operator+(Strings first, const Strings& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

const TReportClass& TableTitled(const TReportParameters& page, const std::string& title) {
  for (const TReportClass& table : page.GetClasses()) {
    if (table.HasTitle() && table.GetTitle() == title) return table;
  }
  throw std::runtime_error("no table titled " + title);
}

// The operating system as the system pages see it, with its version text.
std::string OperatingSystem(const std::string& vendor, int osType, const std::string& version) {
  return "instance of VKXSG_OperatingSystem { Name = \"OS\"; ProductVendor = \"" + vendor +
         "\"; OSType = " + std::to_string(osType) + "; Version = \"" + version + "\"; };\n";
}

// The data source of each test, stated with the facts the pages depend on.
class SystemPagesTest : public ::testing::Test {
 protected:
  SystemPagesTest() { Reload(""); }

  // A fresh repository with the probed classes and these instances.
  void Reload(const std::string& instances) {
    fNamespace = NVKXQZA20::TMemoryNamespace::Create();
    Load("class VKXSG_QZAProduct { [Key] string Name; string Version; string Build; };\n"
         "class VKXSG_OperatingSystem { [Key] string Name; string ProductVendor; uint16 OSType; "
         "string Version; };\n" +
         instances);
  }
  void Load(const std::string& mof) { NVKXQZA20::TMofReader(fNamespace).LoadText(mof, "test.mof"); }
  TReportParametersBuilder Catalog() const { return TReportParametersBuilder(fNamespace, "default", false); }

  boost::shared_ptr<NVKXQZA20::TMemoryNamespace> fNamespace;
};

const char* const kWindowsVendor = "Microsoft Corporation";
const char* const kLinuxVendor = "Red Hat, Inc.";

TEST_F(SystemPagesTest, SystemOverviewOfAWindowsDataSourceIsTheFullList) {
  Load(Product("1.3") + OperatingSystem(kWindowsVendor, 74, "6.1"));
  const TReportParameters page = Catalog().BuildSystemConfigParams();
  EXPECT_EQ("System Overview", page.GetReportName());
  EXPECT_EQ("system_overview", page.GetLinkName());
  EXPECT_TRUE(page.ShowReportTitle());
  EXPECT_FALSE(page.GetLinkSortable());
  const std::vector<TListedTable> expected = {
      {"VKXSG_ComputerSystem, title \"Computer System\", row style, width 60%, label column 30%, "
       "at most 1 per table",
       {},
       Rows({"Manufacturer", "Version", "ProductName", "SerialNumber", "Name"})},
      {"VKXSG_OperatingSystem, title \"Operating System\", row style, width 60%, label column 30%, "
       "at most 1 per table",
       {},
       Rows({"Name", "OSType", "OSSubType", "Version", "FixLevel", "BuildID", "ProductVendor",
             "RegisteredOwner", "ProductID", "InstallDate", "UpTime", "LastBootUpTime"})},
      {"VKXSG_TimeZone, title \"TimeZone\", row style, width 60%, label column 30%, "
       "at most 1 per table",
       {},
       Rows({"LocalDateTime", "TheTimeZone", "GMTDateTime"})},
      {"VKXSG_ComputerSystem, title \"Current User\", row style, width 60%, label column 30%, "
       "at most 1 per table",
       {},
       {"Name 30% (through VKXSG_CurrentAccountOnSystem to VKXSG_Account)"}},
      {"VKXSG_HeavyHittersLogRecord, title \"Report Highlights\", column style, width 100%",
       {"ElementName descending"},
       {"Message 100%"}},
      {"VKXSG_QZAProduct, title \"Data Source\", row style, width 60%, label column 30%, "
       "at most 1 per table",
       {},
       Rows({"Name", "Version", "Build"}) + Strings{"SEPVersion 0% (label \"SEP Version\")"}},
  };
  EXPECT_EQ(expected, ListedTables(page));
  EXPECT_EQ("", ValidationMessages(page));
}

TEST_F(SystemPagesTest, SystemOverviewTablesDependOnVersionAndPreboot) {
  const struct {
    std::string product;
    Strings tables;
  } cases[] = {
      {Product("1.3"),
       {"VKXSG_ComputerSystem \"Computer System\"", "VKXSG_OperatingSystem \"Operating System\"",
        "VKXSG_TimeZone \"TimeZone\"", "VKXSG_ComputerSystem \"Current User\"",
        "VKXSG_HeavyHittersLogRecord \"Report Highlights\"", "VKXSG_QZAProduct \"Data Source\""}},
      {Product("2.0"),
       {"VKXSG_ComputerSystem \"Computer System\"", "VKXSG_OperatingSystem \"Operating System\"",
        "VKXSG_TimeZone \"TimeZone\"", "VKXSG_ComputerSystem \"Current User\"",
        "VKXSG_HeavyHittersLogRecord \"Report Highlights\"", "VKXSG_QZAProduct \"Data Source\""}},
      {Product("1.2"),
       {"VKXSG_ComputerSystem \"Computer System\"", "VKXSG_OperatingSystem \"Operating System\"",
        "VKXSG_HeavyHittersLogRecord \"Report Highlights\"", "VKXSG_QZAProduct \"Data Source\""}},
      {PrebootProduct("3.1"),
       {"VKXSG_ComputerSystem \"Computer System\"",
        "VKXSG_HeavyHittersLogRecord \"Report Highlights\"", "VKXSG_QZAProduct \"Data Source\""}},
  };
  for (const auto& c : cases) {
    Reload(c.product);
    EXPECT_EQ(c.tables, Tables(Catalog().BuildSystemConfigParams())) << c.product;
  }
}

TEST_F(SystemPagesTest, OperatingSystemRowsFollowTheOSType) {
  const struct {
    std::string system;
    Strings rows;
  } cases[] = {
      {OperatingSystem("VMware, Inc.", 78, "4.1"),
       Rows({"Name", "OSType", "Version", "BuildID", "ProductVendor", "KernelName",
             "KernelRelease", "HardwarePlatform", "UpTime", "LastBootUpTime"})},
      {OperatingSystem(kLinuxVendor, 36, "2.6"),
       Rows({"Name", "OSType", "BuildID", "ProductVendor", "KernelName", "KernelRelease",
             "HardwarePlatform", "UpTime", "LastBootUpTime"})},
      {OperatingSystem(kWindowsVendor, 18, "5.2"),
       Rows({"Name", "OSType", "OSSubType", "Version", "FixLevel", "BuildID", "ProductVendor",
             "RegisteredOwner", "ProductID", "InstallDate", "UpTime", "LastBootUpTime"})},
      {OperatingSystem("Sun", 29, "5.10"),
       Rows({"Name", "OSType", "BuildID", "ProductVendor", "UpTime", "LastBootUpTime"})},
  };
  for (const auto& c : cases) {
    Reload(Product("1.1") + c.system);
    const TReportParameters page = Catalog().BuildSystemConfigParams();
    EXPECT_EQ(c.rows, Columns(TableTitled(page, "Operating System"))) << c.system;
  }
}

TEST_F(SystemPagesTest, OldDataSourcesLoseUptimeAndBuildRows) {
  Load(Product("1.0") + OperatingSystem(kLinuxVendor, 36, "2.6"));
  const TReportParameters page = Catalog().BuildSystemConfigParams();
  EXPECT_EQ(Rows({"Name", "OSType", "BuildID", "ProductVendor", "KernelName", "KernelRelease",
                  "HardwarePlatform"}),
            Columns(TableTitled(page, "Operating System")));
  EXPECT_EQ(Rows({"Name", "Version"}) + Strings{"SEPVersion 0% (label \"SEP Version\")"},
            Columns(TableTitled(page, "Data Source")));
}

TEST_F(SystemPagesTest, TimeZoneShowsGreenwichTimeOnlyOnWindows) {
  Load(Product("1.3") + OperatingSystem(kLinuxVendor, 36, "2.6"));
  EXPECT_EQ(Rows({"LocalDateTime", "TheTimeZone"}),
            Columns(TableTitled(Catalog().BuildSystemConfigParams(), "TimeZone")));
}

// Below version 1.3 the highlights table is the listed one too, not one that
// inherits the one-instance limit of the table before it.
TEST_F(SystemPagesTest, ReportHighlightsAreTheSameTableForEveryVersion) {
  const TListedTable listed = {
      "VKXSG_HeavyHittersLogRecord, title \"Report Highlights\", column style, width 100%",
      {"ElementName descending"},
      {"Message 100%"}};
  for (const char* version : {"1.0", "1.2", "1.3"}) {
    Reload(Product(version));
    EXPECT_EQ(listed, Listed(TableTitled(Catalog().BuildSystemConfigParams(), "Report Highlights")))
        << version;
  }
}

TEST_F(SystemPagesTest, SingleTablePagesMatchTheirLists) {
  typedef TReportParameters (TReportParametersBuilder::*TOperation)() const;
  const struct {
    TOperation operation;
    const char* title;
    const char* link;
    TListedTable table;
  } cases[] = {
      {&TReportParametersBuilder::BuildCriticalDetailsParams, "Report Highlights", "critical_details",
       {"VKXSG_HeavyHittersLogRecord, no title, column style, width 60%", {}, {"Message 100%"}}},
      {&TReportParametersBuilder::BuildInstalledAppsParams, "Installed Applications", "installedapps",
       {"VKXSG_InstalledApplication, no title, column style, width 100%, sortable",
        {"ProductName ascending"},
        {"ProductName 50%", "ProductVersion 20%", "ProductVendor 20%", "ProductInstallDate 10%"}}},
      {&TReportParametersBuilder::BuildVmware3iParams, "VMware ESXi", "vmware_esxi",
       {"VKXSG_VMWARE3I_SoftwareElement, title \"VMware ESXi\", column style, width 100%, sortable",
        {"Node ascending"},
        {"Node 20%", "BootbankVersion 20%", "BootbankLicense 20%",
         "Manufacturer 20% (label \"VendorID\")", "SerialNumber 20% (label \"DeviceID\")"}}},
      {&TReportParametersBuilder::BuildWindowsComponentsParams, "Windows Components", "win_components",
       {"VKXSG_OSComponent, no title, column style, width 100%, sortable",
        {"Name ascending"},
        {"Name 20%", "ProductName 40%", "Version 20%", "ComponentInstalled 20%"}}},
      {&TReportParametersBuilder::BuildInstalledRPMParams, "Installed Packages", "installed_packages",
       {"VKXSG_InstalledRPM, title \"Installed Packages\", column style, width 100%, sortable",
        {"ProductName ascending"},
        {"ProductName 10%", "ProductVersion 5%", "Group 20%", "Summary 30%",
         "Size 5% (label \"Size (byte)\")", "License 15%", "ProductInstallDate 15%"}}},
      {&TReportParametersBuilder::BuildInstalledFixesParams, "Installed Hotfixes", "installedfixes",
       {"VKXSG_InstalledFix, title \"Installed Hotfixes\", column style, width 100%, sortable",
        {"ProductName ascending"},
        {"ProductName 50% (label \"Description\")", "ProductVersion 20%", "ProductVendor 20%",
         "ProductInstallDate 10%"}}},
      {&TReportParametersBuilder::BuildKernelModuleParams, "Kernel Modules", "kernelmodules",
       {"VKXSG_LinuxKernelModule, title \"Kernel Modules\", column style, width 100%, sortable",
        {"Name ascending"},
        {"Name 10%", "Description 25%", "SoftwareElementState 10%", "Manufacturer 15%",
         "Version 10%", "Path 30%"}}},
      {&TReportParametersBuilder::BuildSystemServiceParams, "System Services", "systemservice",
       {"VKXSG_SystemServiceInfo, no title, column style, width 100%, sortable",
        {"Name ascending"},
        {"Name 11%", "Description 17%", "CurrentState 6%", "StartupState 7%", "Manufacturer 12%",
         "Version 10%", "InstallDate 11%", "FileSize 5% (label \"File Size (byte)\")", "Path 21%"}}},
      {&TReportParametersBuilder::BuildProcessesParams, "Processes", "processes",
       {"VKXSG_Process, title \"Processes\", column style, width 100%, sortable",
        {"Handle ascending second"},
        {"Handle 5%", "Name 20%", "User 10%", "ExecutionState 10%", "Priority 5%",
         "KernelModeTime 12%", "UserModeTime 12%", "WorkingSetSize 11%", "CreationDate 15%"}}},
  };
  const TReportParametersBuilder catalog = Catalog();
  for (const auto& c : cases) {
    const TReportParameters page = (catalog.*c.operation)();
    EXPECT_EQ(c.title, page.GetReportName());
    EXPECT_EQ(c.link, page.GetLinkName());
    EXPECT_TRUE(page.ShowReportTitle()) << c.link;
    EXPECT_FALSE(page.GetLinkSortable()) << c.link;
    EXPECT_EQ(std::vector<TListedTable>{c.table}, ListedTables(page)) << c.link;
    EXPECT_EQ("", ValidationMessages(page)) << c.link;
  }
}

TEST_F(SystemPagesTest, DeviceDriversListRollBackDriversUnsortable) {
  const TReportParameters page = Catalog().BuildDeviceDriverParams();
  EXPECT_EQ("Device Drivers", page.GetReportName());
  EXPECT_EQ("devicedriver", page.GetLinkName());
  const std::vector<TListedTable> expected = {
      {"VKXSG_DeviceDriverInfo, no title, column style, width 100%, sortable",
       {"Name ascending"},
       {"Name 8%", "Description 16%", "CurrentState 6%", "StartupState 6%", "Manufacturer 10%",
        "Version 14%", "CreationTime 12%", "FileSize 6% (label \"File Size (byte)\")", "Path 22%"}},
      {"VKXSG_DeviceDriverRollBack, title \"RollBack Drivers\", column style, width 100%",
       {"Name ascending"},
       {"Name 24%", "CurrentState 6%", "StartupState 6%", "Manufacturer 10%", "Version 14%",
        "CreationTime 12%", "FileSize 6% (label \"File Size (byte)\")", "Path 22%"}},
  };
  EXPECT_EQ(expected, ListedTables(page));
}

TEST_F(SystemPagesTest, LinuxConfigFilesCarryTheirSettingsAsAssociatedTable) {
  const TReportParameters page = Catalog().BuildSysConfigParams();
  EXPECT_EQ("Linux Config Files", page.GetReportName());
  EXPECT_EQ("linux_config", page.GetLinkName());
  ASSERT_EQ(1u, page.GetClasses().size());
  const TReportClass& element = page.GetClasses()[0];
  EXPECT_EQ((TListedTable{"VKXSG_SysConfigElement, no title, row style, width 100%, label column 10%, "
                          "at most 1 per table, with associated tables",
                          {},
                          Rows({"DeviceID"})}),
            Listed(element));
  ASSERT_EQ(1u, element.GetAssociatedClasses().size());
  EXPECT_EQ((TListedTable{"VKXSG_SysConfigSettingData, no title, row style, width 100%, "
                          "label column 10%, at most 1 per table, through VKXSG_SysConfigAssoc to "
                          "VKXSG_SysConfigSettingData",
                          {},
                          Rows({"FilePath", "SettingData"})}),
            Listed(element.GetAssociatedClasses()[0]));
}

const Strings kPortPrefix = Rows({"DeviceID", "Name", "Description", "LinkTechnology",
                                  "PermanentAddress", "NetworkAddresses"});
const Strings kPortGatewayRows = Rows({"GatewayList", "DnsServers", "DhcpEnabled", "DhcpServer"});
const Strings kWinsRows = Rows({"HaveWins", "PrimaryWinsServer", "SecondaryWinsServer",
                                "AutoConfigEnabled", "AutoConfigActive"});
const Strings kPortStateRows =
    Rows({"Speed", "ActiveMaximumTransmissionUnit", "EnabledState", "DriverLoaded"});
const Strings kEndpointIPv4 = {
    "IPv4Address (through VKXSG_PortImplementsEndpoint to VKXSG_IPProtocolEndpoint)"};
const Strings kEndpointIPv4And6 = {
    "IPv4Address (through VKXSG_PortImplementsEndpoint to VKXSG_IPProtocolEndpoint)",
    "IPv6Address (through VKXSG_PortImplementsEndpoint to VKXSG_IPProtocolEndpoint)"};
const Strings kTeamRows = Rows({"MemberType", "TeamName", "TeamID", "MemberPriority"});

Strings StatisticsRows() {
  Strings rows;
  for (const char* name : {"RXPackets", "RXErrors", "RXDropErrors", "RXOverrunErrors",
                           "RXFrameErrors", "TXPackets", "TXErrors", "TXDropErrors",
                           "TXOverrunErrors", "TXCarrierErrors", "Collisions", "RXBytes",
                           "TXBytes"}) {
    rows.push_back(std::string(name) +
                   " (through VKXSG_NetworkPortStatistics to VKXSG_NetworkStatisticalData)");
  }
  return rows;
}

const char* const kPhysicalPortSettings =
    "VKXSG_PhysicalNetworkPort, title \"Physical Network Ports\", row style, width 100%, "
    "label column 20%, at most 2 per table, unique id \"DeviceId\"";

TEST_F(SystemPagesTest, NetworkWithTeamingOnLinuxListsRoutesTeamsAndPortStatistics) {
  Load(Product("1.3") + OperatingSystem(kLinuxVendor, 36, "2.6"));
  const TReportParameters page = Catalog().BuildNetworkWithTeamingParams();
  EXPECT_EQ("Network Settings", page.GetReportName());
  EXPECT_EQ("net", page.GetLinkName());
  const std::vector<TListedTable> expected = {
      {"VKXSG_IPService, title \"Global Settings\", column style, width 100%",
       {},
       {"HostName 25%", "DomainName 25%", "ProxyEnabled 25%", "RoutingEnabled 25%"}},
      {"VKXSG_NextHopIPRoute, title \"Route Information\", column style, width 100%",
       {},
       {"DestinationAddress 15%", "Gateway 15%", "DestinationMask 15%", "Flags 15%",
        "RouteMetric 15%", "Ref 10%", "Iface 15%"}},
      {"VKXSG_VirtualNetworkingGroup, title \"Virtual Teams\", column style, width 100%, "
       "unique id \"TeamName\"",
       {},
       {"TeamName 25%", "TeamType 25%",
        "PermanentAddress 25% (label \"Virtual Members\", through "
        "VKXSG_VirtualNetworkingPortComponent to VKXSG_VirtualNetworkPort)",
        "Name 25% (label \"Physical Members\", through "
        "VKXSG_VirtualNetworkingRedundancyGroupComponent to VKXSG_SpareGroup)"}},
      {"VKXSG_VirtualNetworkPort, title \"Virtual Network Ports\", row style, width 100%, "
       "label column 20%, at most 2 per table, unique id \"DeviceId\"",
       {},
       kPortPrefix + kEndpointIPv4 + kPortGatewayRows + kPortStateRows +
           Rows({"VLANID", "VLANName", "speedDuplex"})},
      {kPhysicalPortSettings,
       {"DeviceID ascending"},
       kPortPrefix + kEndpointIPv4And6 + kPortGatewayRows + kPortStateRows + kTeamRows +
           Rows({"speedDuplex"}) + StatisticsRows()},
  };
  EXPECT_EQ(expected, ListedTables(page));
}

TEST_F(SystemPagesTest, NetworkPagesOnWindowsShowWinsAndNICTypeButNoRoutes) {
  Load(Product("1.3") + OperatingSystem(kWindowsVendor, 74, "6.1"));
  const TReportParametersBuilder catalog = Catalog();
  const TReportParameters teaming = catalog.BuildNetworkWithTeamingParams();
  EXPECT_EQ((Strings{"VKXSG_IPService \"Global Settings\"",
                     "VKXSG_VirtualNetworkingGroup \"Virtual Teams\"",
                     "VKXSG_VirtualNetworkPort \"Virtual Network Ports\"",
                     "VKXSG_PhysicalNetworkPort \"Physical Network Ports\""}),
            Tables(teaming));
  EXPECT_EQ(kPortPrefix + kEndpointIPv4 + kPortGatewayRows + kWinsRows + kPortStateRows +
                Rows({"VLANID", "VLANName", "speedDuplex"}),
            Columns(TableTitled(teaming, "Virtual Network Ports")));
  EXPECT_EQ((TListedTable{kPhysicalPortSettings,
                          {"Description ascending"},
                          kPortPrefix + kEndpointIPv4And6 + kPortGatewayRows + kWinsRows +
                              kPortStateRows + Rows({"NICType"}) + kTeamRows +
                              Rows({"speedDuplex"})}),
            Listed(TableTitled(teaming, "Physical Network Ports")));

  const TReportParameters plain = catalog.BuildNetworkWithoutTeamingParams();
  EXPECT_EQ((Strings{"VKXSG_IPService \"Global Settings\"",
                     "VKXSG_VirtualNetworkPort \"Virtual Network Ports\"",
                     "VKXSG_PhysicalNetworkPort \"Physical Network Ports\""}),
            Tables(plain));
  EXPECT_EQ((TListedTable{kPhysicalPortSettings,
                          {"Description ascending"},
                          kPortPrefix + kEndpointIPv4And6 + kPortGatewayRows + kWinsRows +
                              kPortStateRows + Rows({"NICType", "speedDuplex"})}),
            Listed(TableTitled(plain, "Physical Network Ports")));
}

// Without teaming, traffic statistics and the DeviceID order are for Linux
// alone; with teaming, VMware gets them too.
TEST_F(SystemPagesTest, PortStatisticsAndOrderDependOnTeamingAndOSType) {
  const struct {
    std::string system;
    bool teaming;
    const char* key;
    bool statistics;
    bool routes;
  } cases[] = {
      {OperatingSystem(kLinuxVendor, 36, "2.6"), true, "DeviceID ascending", true, true},
      {OperatingSystem(kLinuxVendor, 36, "2.6"), false, "DeviceID ascending", true, true},
      {OperatingSystem("VMware, Inc.", 78, "4.1"), true, "DeviceID ascending", true, true},
      {OperatingSystem("VMware, Inc.", 81, "4.1"), false, "Description ascending", false, true},
      {OperatingSystem(kWindowsVendor, 18, "5.2"), false, "Description ascending", false, false},
      {OperatingSystem("Sun", 29, "5.10"), true, "Description ascending", false, false},
  };
  for (const auto& c : cases) {
    Reload(c.system);
    const TReportParameters page = c.teaming ? Catalog().BuildNetworkWithTeamingParams()
                                             : Catalog().BuildNetworkWithoutTeamingParams();
    const TReportClass& ports = TableTitled(page, "Physical Network Ports");
    const Strings rows = Columns(ports);
    EXPECT_EQ(Strings{c.key}, SortKeys(ports)) << c.system << c.teaming;
    EXPECT_EQ(c.statistics, rows.back() == StatisticsRows().back()) << c.system << c.teaming;
    EXPECT_EQ(c.teaming, std::find(rows.begin(), rows.end(), "TeamName 0%") != rows.end());
    EXPECT_EQ(c.routes, Tables(page)[1] == "VKXSG_NextHopIPRoute \"Route Information\"")
        << c.system;
  }
}

TEST_F(SystemPagesTest, MemoryCountersNeedAnOperatingSystemVersionAboveFiveAsText) {
  const struct {
    std::string system;
    Strings rows;
  } cases[] = {
      {OperatingSystem(kWindowsVendor, 18, "5.2"),
       Rows({"MemoryLoad", "TotalVirtualMemorySize", "FreeVirtualMemory",
             "SizeStoredInPagingFiles", "FreeSpaceInPagingFiles", "HandleCount", "ThreadCount",
             "ProcessCount", "TotalVisibleMemorySize", "FreePhysicalMemory", "SystemCache",
             "CommitTotal", "CommitLimit", "CommitPeak", "KernelTotal", "KernelPaged",
             "KernelNonpaged"})},
      {OperatingSystem(kWindowsVendor, 74, "10.0"),  // "10.0" is below "5.0" as text
       Rows({"MemoryLoad", "TotalVirtualMemorySize", "FreeVirtualMemory",
             "SizeStoredInPagingFiles", "FreeSpaceInPagingFiles", "TotalVisibleMemorySize",
             "FreePhysicalMemory"})},
      {OperatingSystem(kWindowsVendor, 18, "5.0"),
       Rows({"MemoryLoad", "TotalVirtualMemorySize", "FreeVirtualMemory",
             "SizeStoredInPagingFiles", "FreeSpaceInPagingFiles", "TotalVisibleMemorySize",
             "FreePhysicalMemory"})},
      {OperatingSystem(kLinuxVendor, 36, "2.6"),
       Rows({"MemoryLoad", "SwapUtilization", "TotalVirtualMemorySize", "FreeVirtualMemory",
             "SizeStoredInPagingFiles", "FreeSpaceInPagingFiles", "FreeSwapSpaceSize",
             "TotalSwapSpaceSize", "TotalVisibleMemorySize", "FreePhysicalMemory"})},
  };
  for (const auto& c : cases) {
    Reload(c.system);
    const TReportParameters page = Catalog().BuildResourceUtilizationParams();
    EXPECT_EQ("Resource Utilization", page.GetReportName());
    EXPECT_EQ("resource", page.GetLinkName());
    ASSERT_EQ(2u, page.GetClasses().size());
    EXPECT_EQ((TListedTable{"VKXSG_OperatingSystem, title \"Memory Utilization\", row style, "
                            "width 75%, label column 25%, at most 1 per table",
                            {},
                            c.rows}),
              Listed(page.GetClasses()[0]))
        << c.system;
    EXPECT_EQ((TListedTable{"VKXSG_SystemPerformanceData, title \"Performance Data\", column style, "
                            "width 85%",
                            {"ObjectName ascending"},
                            {"ObjectName 15%", "CounterName 15%", "InstanceName 55%",
                             "CounterValue 15%"}}),
              Listed(page.GetClasses()[1]));
  }
}

std::vector<TListedTable> OSConfigurationTables(bool linux) {
  std::vector<TListedTable> tables = {
      {"VKXSG_OperatingSystem, title \"Boot Configuration\", row style, width 100%, "
       "label column 10%, at most 1 per table",
       {},
       {"BootConfigurationFileName 0%", "BootConfigurationFileContents 0% (monospaced)"}}};
  if (linux) {
    tables.push_back({"VKXSG_OperatingSystem, title \"Init Configuration\", row style, width 100%, "
                      "label column 10%, at most 1 per table",
                      {},
                      {"InitConfigurationFileName 0%", "InitConfigurationFileContents 0% (monospaced)"}});
    tables.push_back({"VKXSG_LinuxModulesConfigurationSetting, title \"Kernel Modules Configuration\", "
                      "row style, width 100%, label column 10%, at most 1 per table",
                      {},
                      {"ElementName 0%", "ModulesConf 0% (monospaced)"}});
    tables.push_back({"VKXSG_OperatingSystem, title \"Kernel Ring Buffer\", row style, width 100%, "
                      "label column 10%, at most 1 per table",
                      {},
                      {"KernelRingBufferName 0%", "KernelRingBufferContents 0% (monospaced)"}});
  }
  tables.push_back({"VKXSG_Account, title \"Active User Information\", row style, width 100%, "
                    "label column 10%, at most 1 per table",
                    {},
                    linux ? Rows({"Name", "UserID", "Descriptions", "LastLogon"})
                          : Rows({"Name", "UserID", "Descriptions", "LastLogon", "Domain",
                                  "LogonServer"})});
  tables.push_back({"VKXSG_UserEnvironmentVariable, title \"User Environment Variables\", "
                    "column style, width 100%",
                    {},
                    {"SettingID 15%", "SettingValue 85%"}});
  tables.push_back({"VKXSG_SystemEnvironmentVariable, title \"System Environment Variables\", "
                    "column style, width 100%",
                    {"SettingID ascending"},
                    {"SettingID 15%", "SettingValue 85%"}});
  tables.push_back({"VKXSG_PageFile, title \"Paging File\", column style, width 60%",
                    {"SettingID ascending"},
                    {"Name 60%", "FileSize 40%"}});
  return tables;
}

TEST_F(SystemPagesTest, OSConfigurationOfLinuxAddsInitModulesAndRingBuffer) {
  Load(OperatingSystem(kLinuxVendor, 36, "2.6"));
  const TReportParameters page = Catalog().BuildOSConfigParams();
  EXPECT_EQ("OS Configuration", page.GetReportName());
  EXPECT_EQ("os_config", page.GetLinkName());
  EXPECT_EQ(OSConfigurationTables(true), ListedTables(page));
}

TEST_F(SystemPagesTest, OSConfigurationOfWindowsAddsTheLogonDomain) {
  Load(OperatingSystem(kWindowsVendor, 18, "5.2"));
  EXPECT_EQ(OSConfigurationTables(false), ListedTables(Catalog().BuildOSConfigParams()));
}

}  // namespace
