// The bundled schema declares every class, property and association that
// the ESXi catalog's page definitions name, on one node and on several.
#include <gtest/gtest.h>

#include <string>

#include "esxi/report_parameters_builder_vmwesxi.h"
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

TEST(EsxiSchemaCoverageTest, EveryPageDefinitionNamesDeclaredSchema) {
  schema_checking::TSchemaCheck check(schema_checking::LoadBundledSchema());
  size_t tables = 0;
  for (const TChassisKind& kind : kChassisKinds) {
    boost::shared_ptr<NVKXQZA20::TMemoryNamespace> ns = schema_checking::LoadBundledSchema();
    NVKXQZA20::TMofReader(ns).LoadText(kind.fFacts, "facts.mof");
    const TReportParametersBuilder_vmwesxi catalog(ns, "default");
    ASSERT_EQ(std::string(kind.fName) == "two nodes", catalog.IsMultiNode());
    for (TPageOperation operation : kPageOperations) {
      const TReportParameters page = (catalog.*operation)();
      tables += page.GetClasses().size();
      check.Page(page, std::string("ESXi, ") + kind.fName);
    }
  }
  EXPECT_GT(tables, 100u);
  EXPECT_EQ("", check.Report());
}

}  // namespace
