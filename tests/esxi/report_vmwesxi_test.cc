#include <gtest/gtest.h>

#include <cstring>

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

// Derived writers rely on each output operation's place in the virtual table,
// in the published order (EncodeValue the 23rd). Under the Itanium C++ ABI a
// pointer to a virtual member holds one plus the operation's byte offset.
template <class TMember>
std::ptrdiff_t SlotOf(TMember member) {
  struct TRepresentation {
    std::ptrdiff_t fPointer;
    std::ptrdiff_t fAdjustment;
  } representation;
  static_assert(sizeof(TMember) == sizeof(TRepresentation), "an Itanium C++ ABI member pointer");
  std::memcpy(&representation, &member, sizeof representation);
  return (representation.fPointer - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

TEST(EsxiWriterOperations, OccupyTheirPublishedPlaces) {
  typedef TWriter_vmwesxi W;
  const std::vector<std::ptrdiff_t> slots = {
      SlotOf(&W::Initialize), SlotOf(&W::BeginFirstCategory), SlotOf(&W::BeginNextCategory),
      SlotOf(&W::WriteCategoryTitle), SlotOf(&W::EndReport), SlotOf(&W::OpenPage), SlotOf(&W::ClosePage),
      SlotOf(&W::BeginPageBody), SlotOf(&W::EndPageBody), SlotOf(&W::BeginGridTable),
      SlotOf(&W::BeginPropertyTable), SlotOf(&W::EndGridHeader), SlotOf(&W::EndTable), SlotOf(&W::WritePageTitle),
      SlotOf(&W::RegisterPage), SlotOf(&W::WriteTableTitle), SlotOf(&W::WriteTableGrid), SlotOf(&W::BeginRow),
      SlotOf(&W::EndRow), SlotOf(&W::WriteHeaderCell), SlotOf(&W::WriteValueCell),
      SlotOf(&W::GetArraySeparatorText), SlotOf(&W::EncodeValue), SlotOf(&W::WriteSystemOverviewPage),
      SlotOf(&W::WriteInstalledAppsPage), SlotOf(&W::WriteKernelModulePage), SlotOf(&W::WriteNetworkingPage),
      SlotOf(&W::WriteResourceUtilizationPage), SlotOf(&W::WriteProcessesPage), SlotOf(&W::WriteOSConfigPage),
      SlotOf(&W::WriteSysConfigPage), SlotOf(&W::WriteChassisEventLogPage), SlotOf(&W::WriteMergedLogPage),
      SlotOf(&W::WriteMergedDevicesPage), SlotOf(&W::WriteMessageCell), SlotOf(&W::WritePCIInfoPage),
      SlotOf(&W::WriteSeparator), SlotOf(&W::WritePropertyCell), SlotOf(&W::WriteInstanceCell),
      SlotOf(&W::WriteDriveHealthPage), SlotOf(&W::WriteDeclarationCell), SlotOf(&W::WriteLSIIDEPage),
      SlotOf(&W::WritePMCRAIDPage), SlotOf(&W::WriteKeelRAIDPage), SlotOf(&W::WriteKeelRAIDLogsPage),
      SlotOf(&W::WriteQlogicPage), SlotOf(&W::WriteEmulexPage), SlotOf(&W::WriteBrocadeAdapterPage),
      SlotOf(&W::WriteGlowLinePage), SlotOf(&W::WriteXCMBuiltinSelfTestPage), SlotOf(&W::SetRawDataLink),
      SlotOf(&W::WriteDriveHealthSummary), SlotOf(&W::WriteLogPage), SlotOf(&W::WritePageHeading),
      SlotOf(&W::WriteIPMIEventPage), SlotOf(&W::WriteDriveHealthTable)};
  ASSERT_EQ(56u, slots.size());
  // The destructor comes first and takes two slots (complete and deleting).
  for (size_t i = 0; i < slots.size(); ++i) {
    EXPECT_EQ(static_cast<std::ptrdiff_t>(i + 2), slots[i]) << "operation " << i + 1;
  }
}

}  // namespace
