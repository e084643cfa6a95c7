// Every page definition the catalog builds, in every kind of data source
// (those no bundled sample is among them: old versions, multi-node, luz),
// matches the listing stored in tests/traces/catalog-pages.txt, and names
// only classes, properties and associations the bundled schema declares.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "catalog/report_parameters_builder.h"
#include "tests/catalog/page_listing.h"
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
const std::string kOldWindows = OperatingSystem("Microsoft Corporation", 18, "5.2");
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
    {"multi-node Windows 1.0 with Skerry, XCM", Product("1.0", kBuild) + kOldWindows + Nodes(2) + kSkerry, "default",
     true},
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

TEST(PageDefinitionsTest, MatchTheStoredListingAndNameDeclaredSchema) {
  TSchemaCheck check(schema_checking::LoadBundledSchema());
  page_listing::TLines listing;
  for (const TDataSourceKind& kind : kDataSourceKinds) {
    boost::shared_ptr<NVKXQZA20::TMemoryNamespace> ns = schema_checking::LoadBundledSchema();
    NVKXQZA20::TMofReader(ns).LoadText(kind.fFacts, "facts.mof");
    const TReportParametersBuilder catalog(ns, kind.fMode, kind.fXCM);
    listing.push_back(std::string("== ") + kind.fName);
    for (TPageOperation operation : kPageOperations) {
      const TReportParameters page = (catalog.*operation)();
      page_listing::ListPage(page, listing);
      check.Page(page, kind.fName);
    }
  }
  page_listing::ExpectStoredListing(listing, "catalog-pages.txt");
  EXPECT_EQ("", check.Report());
}

}  // namespace
