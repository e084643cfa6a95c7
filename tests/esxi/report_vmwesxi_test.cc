#include <gtest/gtest.h>

#include "esxi/report_vmwesxi.h"
#include "tests/esxi/esxi_testing.h"

namespace {

using NVKXQZA20::TCIMContext;

const char kExceptionMessage[] = "TWriter_vmwesxi::Write -- Exception when generating QZA HTML report for ESXi";

class EsxiReport : public ::testing::Test {
 protected:
  void Write() { TReport_vmwesxi(ns, TCIMContext(), "/reports/esxi").Write(&writer, TCIMContext()); }

  TTestNamespace ns = RepositoryFromMof("");
  TEsxiRecordingWriter writer;
};

TEST_F(EsxiReport, WritesTheFixedSequenceOfCategoriesAndPages) {
  const struct {
    const char* opening;
    std::vector<std::pair<const char*, const char*>> pages;  // link, page title
  } categories[] = {
      {"WriteCategoryTitle(Software)",
       {{"system_overview", "System Overview"}, {"installedapps", "Installed Applications"},
        {"kernelmodules", "Kernel Modules"}, {"net", "Network Settings"}, {"resource", "Resource Utilization"},
        {"process", "Processes"}, {"os_config", "OS Configuration"}, {"linux_config", "Linux Config Files"}}},
      {"WriteCategoryTitle(Hardware)",
       {{"hardware_inventory", "Hardware Inventory"}, {"pci_info", "PCI Information"}, {"firmware", "Firmware/VPD"},
        {"SPConfig", "XCM Configuration"}, {"environmentals", "Environmentals"}, {"drive_health", "Drive Health"},
        {"lsi_mir", "LSI Controller"}, {"lsiide", "LSI IDE Controller"}, {"pmc", "PMC RAID"},
        {"keelraid", "KeelRAID"}, {"keelRaidlogs", "KeelRAID Logs"}, {"qlogic", "Qlogic"}, {"emulex", "Emulex"},
        {"brocade_adapter", "Brocade Adapter"}, {"glowline", "Glow Line"}, {"bist", "XCM Built-in Self Test"}}},
      {"WriteCategoryTitle(XCM Logs)", {{"chassis_event", "Chassis Event Log"}, {"ipmi_event", "IPMI Event"}}},
      {"WriteCategoryTitle(Analysis)", {{"mergedlog", "Merged Logs"}, {"mergedDevices", "Merged Devices"}}},
      {"WriteCategoryTitle(Log)", {{"vmware_privilege_log", "VMware Privilege Log"}}},
      {nullptr, {{"qza_log", "QZA Error Log"}}},
  };
  TLines expected = {"Initialize(/reports/esxi)", "BeginFirstCategory()"};
  for (const auto& category : categories) {
    if (expected.size() > 2) expected.push_back("BeginNextCategory()");
    if (category.opening) expected.push_back(category.opening);
    for (const auto& page : category.pages) {
      expected.push_back(std::string("RegisterPage(") + page.first + ", " + page.second + ", false)");
    }
  }
  expected.push_back("EndReport()");
  Write();
  EXPECT_EQ(expected, writer.CallsStartingWith({"Initialize", "BeginFirstCategory", "BeginNextCategory",
                                                "WriteCategoryTitle", "RegisterPage", "EndReport"}));
}

TEST_F(EsxiReport, ErrorLogFollowsAnUntitledCategoryThroughTheLogPageOperation) {
  Write();
  const TLines calls = writer.CallsStartingWith({"BeginNextCategory", "WriteCategoryTitle", "WriteLogPage"});
  EXPECT_EQ((TLines{"BeginNextCategory()", "WriteCategoryTitle(Log)", "WriteLogPage(vmware_privilege_log)",
                    "BeginNextCategory()", "WriteLogPage(qza_log)"}),
            TLines(calls.end() - 5, calls.end()));
}

TEST_F(EsxiReport, FailingWriterEndsTheReportWithoutEndReport) {
  writer.fFailingOperation = "WriteEmulexPage";
  TLogCapture log;
  Write();
  EXPECT_EQ("RegisterPage(qlogic, Qlogic, false)", writer.fCalls.back());
  EXPECT_TRUE(log.Has(0, kExceptionMessage));
  EXPECT_TRUE(log.Has(3, "TWriter_vmwesxi::Write -- Exiting"));
}

TEST_F(EsxiReport, RepositoryFailureEndsTheReportWithoutEndReport) {
  // The first call into the repository is the first table's class lookup.
  ns->InjectFault(1, NVKXQZA20::kQZAOk);
  TLogCapture log;
  Write();
  EXPECT_EQ((TLines{"Initialize(/reports/esxi)", "BeginFirstCategory()", "WriteCategoryTitle(Software)",
                    "WriteSystemOverviewPage(system_overview)", "OpenPage(/out/system_overview)", "BeginPageBody()",
                    "WritePageTitle(System Overview, , )"}),
            writer.fCalls);
  EXPECT_TRUE(log.Has(0, kExceptionMessage));
}

TEST_F(EsxiReport, NullWriterIsLoggedAndNothingIsWritten) {
  TLogCapture log;
  TReport_vmwesxi(ns, TCIMContext(), "").Write(nullptr, TCIMContext());
  EXPECT_TRUE(log.Has(
      0, "TWriter_vmwesxi::Write -- Null-Pointor exception: Parameter (TWriter_vmwesxi *writer == NULL)"));
}

TEST_F(EsxiReport, EntryAndExitAreLogged) {
  TLogCapture log;
  Write();
  EXPECT_EQ((TLines{"TWriter_vmwesxi::Write -- Entering", "TWriter_vmwesxi::Write -- Exiting"}),
            log.Containing("TWriter_vmwesxi::Write --"));
}

}  // namespace
