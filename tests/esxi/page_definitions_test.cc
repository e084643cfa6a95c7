// Every page definition of the ESXi catalog, on one node and on several,
// matches the listing stored in tests/traces/esxi-catalog-pages.txt and
// names only classes, properties and associations the bundled schema
// declares.
#include <gtest/gtest.h>

#include <string>

#include "esxi/report_parameters_builder_vmwesxi.h"
#include "tests/catalog/page_listing.h"
#include "tests/catalog/schema_checking.h"

namespace {

typedef TReportParameters (TReportParametersBuilder_vmwesxi::*TPageOperation)() const;

const TPageOperation kPageOperations[] = {
    &TReportParametersBuilder_vmwesxi::BuildSystemOverviewParams,
    &TReportParametersBuilder_vmwesxi::BuildInstalledAppsParams,
    &TReportParametersBuilder_vmwesxi::BuildKernelModuleParams,
    &TReportParametersBuilder_vmwesxi::BuildNetworkingParams,
    &TReportParametersBuilder_vmwesxi::BuildResourceUtilizationParams,
    &TReportParametersBuilder_vmwesxi::BuildProcessesParams,
    &TReportParametersBuilder_vmwesxi::BuildOSConfigParams,
    &TReportParametersBuilder_vmwesxi::BuildSysConfigParams,
    &TReportParametersBuilder_vmwesxi::BuildHardwareInventoryParams,
    &TReportParametersBuilder_vmwesxi::BuildHardwareInventoryCPUSlotsParams,
    &TReportParametersBuilder_vmwesxi::BuildHardwareInventoryMemorySlotsParams,
    &TReportParametersBuilder_vmwesxi::BuildPCIInfoParams,
    &TReportParametersBuilder_vmwesxi::BuildFirmwareParams,
    &TReportParametersBuilder_vmwesxi::BuildXCMConfigurationParams,
    &TReportParametersBuilder_vmwesxi::BuildEnvironmentalsParams,
    &TReportParametersBuilder_vmwesxi::BuildDriveHealthParams,
    &TReportParametersBuilder_vmwesxi::BuildLsiControllerParams,
    &TReportParametersBuilder_vmwesxi::BuildLSIIDEParams,
    &TReportParametersBuilder_vmwesxi::BuildPMCRAIDParams,
    &TReportParametersBuilder_vmwesxi::BuildKeelRAIDParams,
    &TReportParametersBuilder_vmwesxi::BuildKeelRAIDLogsParams,
    &TReportParametersBuilder_vmwesxi::BuildQlogicParams,
    &TReportParametersBuilder_vmwesxi::BuildEmulexParams,
    &TReportParametersBuilder_vmwesxi::BuildBrocadeAdapterParams,
    &TReportParametersBuilder_vmwesxi::BuildGlowLineParams,
    &TReportParametersBuilder_vmwesxi::BuildXCMBuiltinSelfTestParams,
    &TReportParametersBuilder_vmwesxi::BuildRegisteredProfileParams,
    &TReportParametersBuilder_vmwesxi::BuildHealthStatusParams,
    &TReportParametersBuilder_vmwesxi::BuildVMwarePrivilegeLogParams,
    &TReportParametersBuilder_vmwesxi::BuildIPMIEventParams,
    &TReportParametersBuilder_vmwesxi::BuildChassisEventLogParams,
    &TReportParametersBuilder_vmwesxi::BuildMergedLogParams,
    &TReportParametersBuilder_vmwesxi::BuildMergedDevicesParams,
    &TReportParametersBuilder_vmwesxi::BuildQZALogParams,
};

struct TChassisKind {
  const char* fName;
  const char* fFacts;
};

// The node count is the only fact the ESXi page operations depend on.
const TChassisKind kChassisKinds[] = {
    {"one node", ""},
    {"two nodes", "instance of OMC_Chassis { CreationClassName = \"OMC_Chassis\"; Tag = \"Chassis\";"
                  " IpmiNodeCount = 2; };\n"},
};

TEST(EsxiPageDefinitionsTest, MatchTheStoredListingAndNameDeclaredSchema) {
  schema_checking::TSchemaCheck check(schema_checking::LoadBundledSchema());
  page_listing::TLines listing;
  for (const TChassisKind& kind : kChassisKinds) {
    boost::shared_ptr<NVKXQZA20::TMemoryNamespace> ns = schema_checking::LoadBundledSchema();
    NVKXQZA20::TMofReader(ns).LoadText(kind.fFacts, "facts.mof");
    const TReportParametersBuilder_vmwesxi catalog(ns, "default");
    listing.push_back(std::string("== ") + kind.fName);
    for (TPageOperation operation : kPageOperations) {
      const TReportParameters page = (catalog.*operation)();
      page_listing::ListPage(page, listing);
      check.Page(page, std::string("ESXi, ") + kind.fName);
    }
  }
  page_listing::ExpectStoredListing(listing, "esxi-catalog-pages.txt");
  EXPECT_EQ("", check.Report());
}

}  // namespace
