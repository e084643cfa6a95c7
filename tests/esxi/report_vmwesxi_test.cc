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

}  // namespace
