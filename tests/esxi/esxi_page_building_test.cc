#include <gtest/gtest.h>

#include "esxi/report_parameters_builder_vmwesxi.h"
#include "tests/esxi/page_listing.h"

namespace {

typedef TReportParameters (TReportParametersBuilder_vmwesxi::*TPageOperation)() const;

TEST(EsxiPlaceholderPages, ShowOnlyTheTagOfTheOEMExtensionData) {
  const struct {
    TPageOperation build;
    const char* page;
    const char* table;
  } cases[] = {
      {&TReportParametersBuilder_vmwesxi::BuildKernelModuleParams, "page \"Kernel Modules\" link kernelmodules",
       "VMware_IPMIOEMExtensionData, title \"Kernel Modules\""},
      {&TReportParametersBuilder_vmwesxi::BuildResourceUtilizationParams,
       "page \"Resource Utilization\" link resource", "VMware_IPMIOEMExtensionData, no title"},
      {&TReportParametersBuilder_vmwesxi::BuildProcessesParams, "page \"Processes\" link process",
       "VMware_IPMIOEMExtensionData, no title"},
      {&TReportParametersBuilder_vmwesxi::BuildOSConfigParams, "page \"OS Configuration\" link os_config",
       "VMware_IPMIOEMExtensionData, no title"},
      {&TReportParametersBuilder_vmwesxi::BuildSysConfigParams, "page \"Linux Config Files\" link linux_config",
       "VMware_IPMIOEMExtensionData, no title"},
      {&TReportParametersBuilder_vmwesxi::BuildDriveHealthParams, "page \"Drive Health\" link drive_health",
       "VMware_IPMIOEMExtensionData, title \"Drive Health\""},
      {&TReportParametersBuilder_vmwesxi::BuildLSIIDEParams, "page \"LSI IDE Controller\" link lsiide",
       "VMware_IPMIOEMExtensionData, title \"LSI IDE Controller\""},
      {&TReportParametersBuilder_vmwesxi::BuildPMCRAIDParams, "page \"PMC RAID\" link pmc",
       "VMware_IPMIOEMExtensionData, title \"PMC\""},
      {&TReportParametersBuilder_vmwesxi::BuildKeelRAIDParams, "page \"KeelRAID\" link keelraid",
       "VMware_IPMIOEMExtensionData, title \"Keel RAID\""},
      {&TReportParametersBuilder_vmwesxi::BuildKeelRAIDLogsParams, "page \"KeelRAID Logs\" link keelRaidlogs",
       "VMware_IPMIOEMExtensionData, title \"Keel RAID Logs\""},
  };
  const TReportParametersBuilder_vmwesxi catalog(RepositoryFromMof(""), "default");
  for (const auto& c : cases) {
    EXPECT_EQ((TLines{c.page, std::string("table ") + c.table + ", column style, width 80%, at most 1000 per table",
                      "  column Tag 10%"}),
              PageListing((catalog.*c.build)()));
  }
}

}  // namespace
