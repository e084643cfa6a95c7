// Full trace reports of the bundled samples: every page whose tables'
// classes have instances in the collection shows at least one table, no
// table is written empty, and no table title is written for a class the
// collection has no instance of. The comparison of the two Linux
// collections shows a table on every page it marks as having content.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <ostream>
#include <string>
#include <vector>

#include "catalog/report_parameters_builder.h"
#include "esxi/report_parameters_builder_vmwesxi.h"
#include "host/collections.h"
#include "tests/host/trace_reading.h"
#include "writer/cim_reading.h"

namespace {

using trace_reading::TTracePage;
using trace_reading::TTracePages;

typedef std::vector<TReportParameters> TPages;

boost::shared_ptr<NVKXQZA20::TMemoryNamespace> LoadSample(const std::string& sample) {
  TLoadSettings settings;
  settings.fSchemaFiles = SchemaFilesOf(std::string(QZA_SOURCE_DIR) + "/schema");
  settings.fCollections = {trace_reading::SamplePath(sample)};
  return LoadCollections(settings).fNamespace;
}

// The catalog pages the report writes in mode "default" (the "luz" pages
// left out): the network page with or without teams; for an XCM the
// chassis event log (its configuration page is hand-written), for another
// service processor its configuration page and the ODR and YELM logs.
TPages MainReportPages(boost::shared_ptr<NVKXQZA20::ICIMNamespace> ns, bool xcm) {
  const TReportParametersBuilder c(ns, "default", xcm);
  TPages serviceProcessorPages;
  if (xcm) {
    serviceProcessorPages = {c.BuildCELLogParams()};
  } else {
    serviceProcessorPages = {c.BuildServProcConfigParams(), c.BuildODRLogParams(), c.BuildYELMLogParams()};
  }
  TPages pages = {c.BuildSystemConfigParams(), c.BuildInstalledAppsParams(), c.BuildVmware3iParams(),
          c.BuildWindowsComponentsParams(), c.BuildSysConfigParams(), c.BuildInstalledRPMParams(),
          c.BuildInstalledFixesParams(), c.BuildKernelModuleParams(), c.BuildDeviceDriverParams(),
          c.BuildSystemServiceParams(),
          c.HasTeamInfo() ? c.BuildNetworkWithTeamingParams() : c.BuildNetworkWithoutTeamingParams(),
          c.BuildProcessesParams(), c.BuildResourceUtilizationParams(), c.BuildOSConfigParams(),
          c.BuildHardwareInfoParams(), c.BuildPCIInfoParams(), c.BuildFirmwareParams(),
          c.BuildGlowLineParams(), c.BuildBISTParams(), c.BuildBrocadeParams(),
          c.BuildEmulexParams(), c.BuildQlogicParams(), c.BuildIPMILogParams(), c.BuildWinAppEventParams(),
          c.BuildWinSysEventParams(), c.BuildWinSecEventParams(), c.BuildMergeLogParams(),
          c.BuildFileLoaderParams(), c.BuildPWParams(), c.BuildQZALogParams(), c.BuildDiagsParams()};
  pages.insert(pages.end(), serviceProcessorPages.begin(), serviceProcessorPages.end());
  return pages;
}

// The pages of the ESXi report driver; the catalog's registered-profile and
// health-status pages are not among them.
TPages EsxiReportPages(boost::shared_ptr<NVKXQZA20::ICIMNamespace> ns, bool /*xcm*/) {
  const TReportParametersBuilder_vmwesxi c(ns, "default");
  return {c.BuildSystemOverviewParams(), c.BuildInstalledAppsParams(), c.BuildKernelModuleParams(),
          c.BuildNetworkingParams(), c.BuildResourceUtilizationParams(), c.BuildProcessesParams(),
          c.BuildOSConfigParams(), c.BuildSysConfigParams(), c.BuildHardwareInventoryParams(),
          c.BuildHardwareInventoryCPUSlotsParams(), c.BuildHardwareInventoryMemorySlotsParams(),
          c.BuildPCIInfoParams(), c.BuildFirmwareParams(), c.BuildXCMConfigurationParams(),
          c.BuildEnvironmentalsParams(), c.BuildDriveHealthParams(), c.BuildLsiControllerParams(),
          c.BuildLSIIDEParams(), c.BuildPMCRAIDParams(), c.BuildKeelRAIDParams(), c.BuildKeelRAIDLogsParams(),
          c.BuildQlogicParams(), c.BuildEmulexParams(), c.BuildBrocadeAdapterParams(), c.BuildGlowLineParams(),
          c.BuildXCMBuiltinSelfTestParams(), c.BuildVMwarePrivilegeLogParams(), c.BuildIPMIEventParams(), c.BuildChassisEventLogParams(),
          c.BuildMergedLogParams(), c.BuildMergedDevicesParams(), c.BuildQZALogParams()};
}

// What the collection holds for one page link (several definitions may
// share a link: their tables count together).
struct TPageData {
  std::set<std::string> fFilledClasses;
  std::set<std::string> fTitlesOfFilledTables;
  std::map<std::string, std::string> fTitlesOfEmptyTables;  // title -> class
};

std::map<std::string, TPageData> DataByLink(const NVKXQZA20::ICIMNamespace& ns, const TPages& pages) {
  std::map<std::string, TPageData> byLink;
  for (const TReportParameters& page : pages) {
    TPageData& data = byLink[page.GetLinkName()];
    for (const TReportParameters::TReportClass& table : page.GetClasses()) {
      const bool filled = !InstancesOfClass(ns, table.GetClass()).empty();
      if (filled) data.fFilledClasses.insert(table.GetClass());
      if (!table.HasTitle()) continue;
      if (filled) {
        data.fTitlesOfFilledTables.insert(table.GetTitle());
      } else {
        data.fTitlesOfEmptyTables[table.GetTitle()] = table.GetClass();
      }
    }
  }
  return byLink;
}

std::string Listed(const std::set<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

void ExpectNoEmptyTable(const TTracePages& pages, const std::string& sample) {
  for (const auto& entry : pages) {
    for (int line : entry.second.fEmptyTables) {
      ADD_FAILURE() << sample << ": page " << entry.first << " writes a table without instances (trace line "
                    << line << ")";
    }
  }
}

struct TSampleCase {
  const char* fSample;
  // The Windows server is managed by an XCM: it is reported with --xcm.
  bool fXCM;
  std::function<TPages(boost::shared_ptr<NVKXQZA20::ICIMNamespace>, bool)> fPages;
  // How many of the report's catalog pages the collection has data for, at
  // the least: a sample that fills fewer has lost part of what it shows.
  size_t fFilledPages;
};

// Test output names the case, not its bytes.
void PrintTo(const TSampleCase& c, std::ostream* out) { *out << c.fSample; }

class SampleReportTest : public ::testing::TestWithParam<TSampleCase> {};

TEST_P(SampleReportTest, EveryPageTheCollectionFillsShowsItsTablesAndNoneEmpty) {
  const TSampleCase& sample = GetParam();
  TToolRun run("sample-report");
  const std::vector<std::string> trace =
      trace_reading::TraceOf(run, {sample.fSample}, sample.fXCM ? std::vector<std::string>{"--xcm"}
                                                                : std::vector<std::string>{});
  ASSERT_FALSE(trace.empty());
  const TTracePages pages = trace_reading::PagesOf(trace);
  const boost::shared_ptr<NVKXQZA20::TMemoryNamespace> ns = LoadSample(sample.fSample);

  size_t filledPages = 0;
  for (const auto& entry : DataByLink(*ns, sample.fPages(ns, sample.fXCM))) {
    const std::string& link = entry.first;
    const TPageData& data = entry.second;
    const auto written = pages.find(link);
    if (!data.fFilledClasses.empty()) {
      ++filledPages;
      EXPECT_TRUE(written != pages.end() && written->second.fTables > 0)
          << sample.fSample << ": page " << link << " shows no table although the collection has instances of "
          << Listed(data.fFilledClasses);
    }
    if (written == pages.end()) continue;
    for (const std::string& title : written->second.fTitles) {
      const auto empty = data.fTitlesOfEmptyTables.find(title);
      if (empty != data.fTitlesOfEmptyTables.end() && !data.fTitlesOfFilledTables.count(title)) {
        ADD_FAILURE() << sample.fSample << ": page " << link << " writes the table \"" << title << "\" of "
                      << empty->second << ", of which the collection has no instance";
      }
    }
  }
  EXPECT_GE(filledPages, sample.fFilledPages);
  ExpectNoEmptyTable(pages, sample.fSample);
}

std::string CaseName(const ::testing::TestParamInfo<TSampleCase>& info) {
  return trace_reading::TestNameOf(info.param.fSample);
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleReportTest,
                         ::testing::Values(TSampleCase{"linux-server", false, MainReportPages, 22},
                                           TSampleCase{"linux-server-later", false, MainReportPages, 22},
                                           TSampleCase{"windows-server", true, MainReportPages, 25},
                                           TSampleCase{"preboot", false, MainReportPages, 12},
                                           TSampleCase{"esxi-host", false, EsxiReportPages, 30}),
                         CaseName);

// The reading of a trace finds the tables without instances that the
// checks above rule out.
TEST(TraceReadingTest, FindsGridsAndPropertyTablesWithoutInstances) {
  const TTracePages pages = trace_reading::PagesOf({
      R"(["OpenPage","REPORT/disks"])",
      R"(["WriteTableTitle","Disks",false,false])",
      R"(["WriteTableGrid",{"rows":1,"columns":2,"columnReport":true,"rowReport":false}])",
      R"(["WriteTableGrid",{"rows":3,"columns":1,"columnReport":false,"rowReport":true}])",
      R"(["WriteTableGrid",{"rows":2,"columns":2,"columnReport":true,"rowReport":false}])",
      R"(["BeginGridTable","100%","Firmware",false])",
      R"(["BeginRow",false])",
      R"(["EndRow"])",
      R"(["EndGridHeader"])",
      R"(["EndTable"])",
      R"(["BeginPropertyTable","60%","40%","Controller"])",
      R"(["BeginRow",true])",
      R"(["EndRow"])",
      R"(["EndTable"])",
      R"(["ClosePage"])",
      R"(["RegisterPage","disks","Disks",true])",
  });
  const TTracePage& disks = pages.at("disks");
  EXPECT_TRUE(disks.fOpened && disks.fRegistered && disks.fHasContent);
  EXPECT_EQ(5, disks.fTables);
  EXPECT_EQ(std::vector<std::string>{"Disks"}, disks.fTitles);
  EXPECT_EQ((std::vector<int>{3, 4, 6}), disks.fEmptyTables);
}

// A comparison shows only differences, so the pages it can fill are those
// it marks as having content; each of them shows its difference tables.
TEST(SampleComparisonReportTest, EveryPageWithDifferencesShowsThemAndNoTableIsEmpty) {
  TToolRun run("sample-comparison-report");
  const std::vector<std::string> trace = trace_reading::TraceOf(run, {"linux-server", "linux-server-later"});
  ASSERT_FALSE(trace.empty());
  const TTracePages pages = trace_reading::PagesOf(trace);
  size_t pagesWithDifferences = 0;
  for (const auto& entry : pages) {
    if (!entry.second.fHasContent) continue;
    ++pagesWithDifferences;
    EXPECT_GT(entry.second.fTables, 0) << "page " << entry.first << " has content but shows no table";
  }
  // The later collection differs in firmware, memory, packages and network.
  EXPECT_GE(pagesWithDifferences, 4u);
  ExpectNoEmptyTable(pages, "comparison");
}

}  // namespace
