#include <gtest/gtest.h>

#include "esxi/report_parameters_builder_vmwesxi.h"
#include "tests/esxi/page_listing.h"

namespace {

TReportParametersBuilder_vmwesxi Catalog(const std::string& mof = "") {
  return TReportParametersBuilder_vmwesxi(RepositoryFromMof(mof), "default");
}

TEST(EsxiLogPages, PrivilegeIPMIAndErrorLogs) {
  const TReportParametersBuilder_vmwesxi catalog = Catalog();
  EXPECT_EQ((TLines{"page \"VMware Privilege Log\" link vmware_privilege_log, title hidden",
                    "table VMware_Privilege, title \"VMware Privilege Log\", column style, width 80%, "
                    "at most 100 per table",
                    "  column ElementName 10%", "  column InstanceID 20%", "  column PrivilegeGranted 10%",
                    "  column RepresentsAuthorizationRights 10%"}),
            PageListing(catalog.BuildVMwarePrivilegeLogParams()));
  EXPECT_EQ((TLines{"page \"IPMI Event\" link ipmi_event",
                    "table OMC_IpmiLogRecord, title \"IPMI Event\", column style, width 80%, at most 1000 per table",
                    "  sort RecordID ascending second", "  column RecordID 10%", "  column MessageTimestamp 20%",
                    "  column Description 25%"}),
            PageListing(catalog.BuildIPMIEventParams()));
  EXPECT_EQ((TLines{"page \"QZA Error Log\" link qza_log, link sortable",
                    "table VKXSG_QZALogRecord, title \"QZA Error Log\", column style, width 100%, sortable",
                    "  sort RecordID ascending second", "  column MessageTimestamp 11%", "  column Source 13%",
                    "  column Type 7%", "  column Message 69%"}),
            PageListing(catalog.BuildQZALogParams()));
}

TEST(EsxiLogPages, ChassisEventLogGainsTheNodeColumnOnlyOnMultiNodeSystems) {
  const std::string chassis = "class OMC_Chassis { [Key] string Tag; uint16 IpmiNodeCount; };\n";
  const std::string twoNodes = chassis + "instance of OMC_Chassis { Tag = \"main\"; IpmiNodeCount = 2; };";
  const std::string header = "table VKX_StandardMessageLogEntry, title \"Chassis Event Log\", column style, "
                             "width 100%, sortable";
  EXPECT_EQ((TLines{"page \"Chassis Event Log\" link chassis_event, title hidden, link sortable", header,
                    "  sort CreationTimeStamp ascending", "  column NodeID 10%", "  column LogName 10%",
                    "  column CreationTimeStamp 30%", "  column MessageID 10%", "  column Message 30%",
                    "  column PerceivedSeverity 10%"}),
            PageListing(Catalog(twoNodes).BuildChassisEventLogParams()));
  EXPECT_EQ((TLines{"page \"Chassis Event Log\" link chassis_event, title hidden, link sortable", header,
                    "  sort CreationTimeStamp ascending", "  column LogName 15%", "  column CreationTimeStamp 30%",
                    "  column MessageID 10%", "  column Message 35%", "  column PerceivedSeverity 10%"}),
            PageListing(Catalog(chassis).BuildChassisEventLogParams()));
}

TEST(EsxiLogPages, MergedLogAndDevices) {
  const TReportParametersBuilder_vmwesxi catalog = Catalog();
  EXPECT_EQ((TLines{"page \"Merged Logs\" link mergedlog",
                    "table OMC_IpmiLogRecord, title \"Merged Logs\", column style, width 80%, at most 1000 per table",
                    "  column Description 10%", "  column MessageTimestamp 20%"}),
            PageListing(catalog.BuildMergedLogParams()));
  const std::string settings = ", column style, width 80%, at most 1000 per table";
  const TLines commonColumns = {"  column OperationalStatus 10%", "  column VersionString 10%"};
  TLines expected = {"page \"Merged Devices\" link mergedDevices"};
  const struct {
    std::string table;
    TLines firstColumns;
    std::string lastColumn;
  } tables[] = {
      {"OMC_SMASHFirmwareIdentity, title \"Bios/uEFI\"" + settings,
       {"  column Name 10%", "  column Manufacturer 10% (label \"VendorInfo\")"}, "  column Description 10%"},
      {"VKXSG_PCIBridge, title \"Bridge\"" + settings,
       {"  column DeviceID 10% (label \"Name\")", "  column Manufacturer 10% (label \"VendorInfo\")"},
       "  column Description 10%"},
      {"VMware_HypervisorStorageExtent, title \"Cdrom\"" + settings + ", with property filters",
       {"  filter ElementName include CD-ROM", "  column ElementName 10% (label \"Name\")",
        "  column Manufacturer 10% (label \"VendorInfo\")"},
       "  column Description 10%"},
      {"OMC_Processor, title \"Cpu\"" + settings,
       {"  column ModelName 10% (label \"Name\")", "  column IdentifyingDescriptions 10% (label \"VendorInfo\")"},
       "  column Description 10%"},
      {"VMware_HHRCDiskDrive, title \"Disk\"" + settings,
       {"  column Name 10%", "  column Manufacturer 10% (label \"VendorInfo\")"}, "  column Description 10%"},
      {"OMC_PhysicalMemory, title \"Memory\"" + settings,
       {"  column ElementName 10%", "  column Manufacturer 10% (label \"VendorInfo\")"}, "  column Description 10%"},
      {"VMware_EthernetPort, title \"Network\"" + settings,
       {"  column ElementName 10%", "  column Manufacturer 10% (label \"VendorInfo\")"},
       "  column Caption 10% (label \"Description\")"},
  };
  for (const auto& table : tables) {
    expected.push_back("table " + table.table);
    expected.insert(expected.end(), table.firstColumns.begin(), table.firstColumns.end());
    expected.insert(expected.end(), commonColumns.begin(), commonColumns.end());
    expected.push_back(table.lastColumn);
  }
  EXPECT_EQ(expected, PageListing(catalog.BuildMergedDevicesParams()));
}

}  // namespace
