// Test support for the ESXi variant: a writer that records every output call
// as one line of text (value and label cells with the text the library's
// formatting gives them), and can be made to fail at a chosen call.
//
//   TEsxiRecordingWriter writer;
//   TReport_vmwesxi(ns, TCIMContext(), "/reports/esxi").Write(&writer, TCIMContext());
//   writer.fCalls   // {"Initialize(/reports/esxi)", "BeginFirstCategory()", ...}
#ifndef QZA_TESTS_ESXI_ESXI_TESTING_H
#define QZA_TESTS_ESXI_ESXI_TESTING_H

#include <stdexcept>
#include <string>
#include <vector>

#include "core/root.h"
#include "esxi/report_parameters_builder_vmwesxi.h"
#include "esxi/writer_vmwesxi.h"
#include "tests/writer/test_repository.h"

typedef std::vector<std::string> TLines;

class TEsxiRecordingWriter : public TWriter_vmwesxi {
 public:
  TEsxiRecordingWriter() { SetOutputFolder("/out"); }

  // The queries read the repository the report hands over.
  void Initialize(TNamespacePtr ns, NVKXQZA20::TCIMContext, const std::string& target) override {
    SetNamespace(ns);
    Record("Initialize(" + target + ")");
  }
  void BeginFirstCategory() override { Record("BeginFirstCategory()"); }
  void BeginNextCategory() override { Record("BeginNextCategory()"); }
  void WriteCategoryTitle(std::string title) override { Record("WriteCategoryTitle(" + title + ")"); }
  void EndReport() override { Record("EndReport()"); }
  void OpenPage(std::string path) override { Record("OpenPage(" + path + ")"); }
  void ClosePage() override { Record("ClosePage()"); }
  void BeginPageBody() override { Record("BeginPageBody()"); }
  void EndPageBody() override { Record("EndPageBody()"); }
  void BeginGridTable(std::string width, std::string caption, bool flag) override {
    Record("BeginGridTable(" + width + ", " + caption + ", " + Flag(flag) + ")");
  }
  void BeginPropertyTable(std::string width, std::string second, std::string title) override {
    Record("BeginPropertyTable(" + width + ", " + second + ", " + title + ")");
  }
  void EndGridHeader() override { Record("EndGridHeader()"); }
  void EndTable() override { Record("EndTable()"); }
  void WritePageTitle(std::string title, std::string linkText, std::string linkTarget) override {
    Record("WritePageTitle(" + title + ", " + linkText + ", " + linkTarget + ")");
  }
  void RegisterPage(std::string link, std::string name, bool hasContent) override {
    Record("RegisterPage(" + link + ", " + name + ", " + Flag(hasContent) + ")");
  }
  void WriteTableTitle(std::string title, bool& subTitle, bool& second) override {
    Record("WriteTableTitle(" + title + ", " + Flag(subTitle) + ", " + Flag(second) + ")");
  }
  // Recorded as "WriteTableGrid(<rows>x<columns>)".
  void WriteTableGrid(TTableGrid grid) override {
    Record("WriteTableGrid(" + std::to_string(grid.fRows) + "x" + std::to_string(grid.fColumns) + ")");
  }
  void BeginRow(bool& flag) override { Record("BeginRow(" + Flag(flag) + ")"); }
  void EndRow() override { Record("EndRow()"); }
  // Recorded with the label the library gives the column.
  void WriteHeaderCell(boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass, TReportProperty column) override {
    Record("WriteHeaderCell(" + GetTableHeaderLabel(*cimClass, column, NVKXQZA20::TCIMContext()) + ")");
  }
  // Recorded with the value the library's formatting gives the cell.
  void WriteValueCell(TInstancePtr instance, TReportProperty column) override {
    const TProperties properties = GetProperties(instance, column.GetProperty(), column.GetAssociationClass(),
                                                 column.GetAssociationTarget());
    Record("WriteValueCell(" +
           GetValuesFromProperties(properties, GetArraySeparatorText(column.GetArrayValueSeparator()), false) + ")");
  }
  void WriteMessageCell(std::string message, TReportProperty column) override {
    Record("WriteMessageCell(" + message + ", " + column.GetProperty() + ", " + column.GetColumnWidth() + ")");
  }
  void WriteSeparator() override { Record("WriteSeparator()"); }
  void WritePropertyCell(TReportProperty column, std::string text) override {
    Record("WritePropertyCell(" + column.GetProperty() + ", " + text + ")");
  }
  void WriteInstanceCell(TInstancePtr, TReportProperty column) override {
    Record("WriteInstanceCell(" + column.GetProperty() + ")");
  }
  void WriteDeclarationCell(boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl> declaration) override {
    Record("WriteDeclarationCell(" + declaration->GetName() + ")");
  }
  void SetRawDataLink(int32_t link) override { Record("SetRawDataLink(" + std::to_string(link) + ")"); }
  void WriteDriveHealthSummary(TPropertyPtr) override { Record("WriteDriveHealthSummary()"); }
  void WritePageHeading() override { Record("WritePageHeading()"); }
  void WriteDriveHealthTable(TInstancePtr, TPropertyPtr) override { Record("WriteDriveHealthTable()"); }
  // Array elements are joined with ", " (code 0), "; " (1) or " | " (others).
  std::string GetArraySeparatorText(TReportProperty::ArrayValueSeparator separator) override {
    if (separator == TReportProperty::DefaultSeparator) return ", ";
    return separator == TReportProperty::ListSeparator ? "; " : " | ";
  }
  std::string EncodeValue(std::string value) override { return value; }

  // Each page operation is recorded with the page's link name, then the page
  // is written as a generic page.
  void WriteSystemOverviewPage(TReportParameters page) override { Page("WriteSystemOverviewPage", page); }
  void WriteInstalledAppsPage(TReportParameters page) override { Page("WriteInstalledAppsPage", page); }
  void WriteKernelModulePage(TReportParameters page) override { Page("WriteKernelModulePage", page); }
  void WriteNetworkingPage(TReportParameters page) override { Page("WriteNetworkingPage", page); }
  void WriteResourceUtilizationPage(TReportParameters page) override { Page("WriteResourceUtilizationPage", page); }
  void WriteProcessesPage(TReportParameters page) override { Page("WriteProcessesPage", page); }
  void WriteOSConfigPage(TReportParameters page) override { Page("WriteOSConfigPage", page); }
  void WriteSysConfigPage(TReportParameters page) override { Page("WriteSysConfigPage", page); }
  void WriteChassisEventLogPage(TReportParameters page) override { Page("WriteChassisEventLogPage", page); }
  void WriteMergedLogPage(TReportParameters page) override { Page("WriteMergedLogPage", page); }
  void WriteMergedDevicesPage(TReportParameters page) override { Page("WriteMergedDevicesPage", page); }
  void WritePCIInfoPage(TReportParameters page) override { Page("WritePCIInfoPage", page); }
  void WriteDriveHealthPage(TReportParameters page) override { Page("WriteDriveHealthPage", page); }
  void WriteLSIIDEPage(TReportParameters page) override { Page("WriteLSIIDEPage", page); }
  void WritePMCRAIDPage(TReportParameters page) override { Page("WritePMCRAIDPage", page); }
  void WriteKeelRAIDPage(TReportParameters page) override { Page("WriteKeelRAIDPage", page); }
  void WriteKeelRAIDLogsPage(TReportParameters page) override { Page("WriteKeelRAIDLogsPage", page); }
  void WriteQlogicPage(TReportParameters page) override { Page("WriteQlogicPage", page); }
  void WriteEmulexPage(TReportParameters page) override { Page("WriteEmulexPage", page); }
  void WriteBrocadeAdapterPage(TReportParameters page) override { Page("WriteBrocadeAdapterPage", page); }
  void WriteGlowLinePage(TReportParameters page) override { Page("WriteGlowLinePage", page); }
  void WriteXCMBuiltinSelfTestPage(TReportParameters page) override { Page("WriteXCMBuiltinSelfTestPage", page); }
  void WriteLogPage(TReportParameters page) override { Page("WriteLogPage", page); }
  void WriteIPMIEventPage(TReportParameters page) override { Page("WriteIPMIEventPage", page); }

  TLines fCalls;
  // The operation that throws std::runtime_error when it is called, if any.
  std::string fFailingOperation;

 private:
  void Record(const std::string& call) {
    if (!fFailingOperation.empty() && call.compare(0, fFailingOperation.size(), fFailingOperation) == 0) {
      throw std::runtime_error(call + " failed");
    }
    fCalls.push_back(call);
    NVKXQZA20::TRootObject::GetCoreLogger()->Log(3, "call " + call);
  }
  void Page(const std::string& operation, const TReportParameters& page) {
    Record(operation + "(" + page.GetLinkName() + ")");
    WriteGenericReport(page);
  }
  static std::string Flag(bool flag) { return flag ? "true" : "false"; }
};

#endif
