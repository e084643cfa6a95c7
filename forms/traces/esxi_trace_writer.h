// The trace writer of ESXi reports: records every output operation call of
// TWriter_vmwesxi as one line of JSON, ["Operation", argument, ...], exactly
// as TTraceWriter does for TWriter. Each page operation is recorded with its
// page definition and then written as a generic page, so that the page's own
// calls follow it in the trace.
//
//   std::ofstream file("out/trace.jsonl");
//   TEsxiTraceWriter writer(settings, file);
//   TReport_vmwesxi(ns, context, settings.fOutputFolder).Write(&writer, context);
#ifndef QZA_HOST_ESXI_TRACE_WRITER_H
#define QZA_HOST_ESXI_TRACE_WRITER_H

#include <ostream>
#include <string>

#include "esxi/writer_vmwesxi.h"
#include "forms/host_writer.h"
#include "forms/json_values.h"

class TEsxiTraceWriter : public TWriter_vmwesxi {
 public:
  TEsxiTraceWriter(TWriterSettings settings, std::ostream& sink);

  // TReport_vmwesxi::Write ends a failing report early without telling its
  // caller; such a report never reaches EndReport.
  bool ReachedEndReport() const { return fReachedEndReport; }

  // Reads the mode ("default" when the context has none) and points the
  // library at the repository and the staging folder.
  void Initialize(TNamespacePtr ns, NVKXQZA20::TCIMContext context, const std::string& outputTarget) override;
  void BeginFirstCategory() override;
  void BeginNextCategory() override;
  void WriteCategoryTitle(std::string title) override;
  void EndReport() override;
  void OpenPage(std::string pagePath) override;
  void ClosePage() override;
  void BeginPageBody() override;
  void EndPageBody() override;
  void BeginGridTable(std::string width, std::string caption, bool flag) override;
  void BeginPropertyTable(std::string width, std::string secondWidth, std::string title) override;
  void EndGridHeader() override;
  void EndTable() override;
  void WritePageTitle(std::string title, std::string linkText, std::string linkTarget) override;
  void RegisterPage(std::string linkName, std::string pageName, bool hasContent) override;
  void WriteTableTitle(std::string title, bool& subTitleEnabled, bool& secondFlag) override;
  void WriteTableGrid(TTableGrid grid) override;
  void BeginRow(bool& flag) override;
  void EndRow() override;
  void WriteHeaderCell(boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass, TReportProperty column) override;
  void WriteValueCell(TInstancePtr instance, TReportProperty column) override;
  void WriteMessageCell(std::string message, TReportProperty column) override;
  void WriteSeparator() override;
  void WritePropertyCell(TReportProperty column, std::string text) override;
  void WriteInstanceCell(TInstancePtr instance, TReportProperty column) override;
  void WriteDeclarationCell(boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl> declaration) override;
  void SetRawDataLink(int32_t link) override;
  void WriteDriveHealthSummary(TPropertyPtr rawData) override;
  void WritePageHeading() override;
  void WriteDriveHealthTable(TInstancePtr record, TPropertyPtr property) override;
  // "[" + the separator's code + "]", so that a trace shows which one a column uses.
  std::string GetArraySeparatorText(TReportProperty::ArrayValueSeparator separator) override;
  std::string EncodeValue(std::string value) override;

  void WriteSystemOverviewPage(TReportParameters page) override;
  void WriteInstalledAppsPage(TReportParameters page) override;
  void WriteKernelModulePage(TReportParameters page) override;
  void WriteNetworkingPage(TReportParameters page) override;
  void WriteResourceUtilizationPage(TReportParameters page) override;
  void WriteProcessesPage(TReportParameters page) override;
  void WriteOSConfigPage(TReportParameters page) override;
  void WriteSysConfigPage(TReportParameters page) override;
  void WriteChassisEventLogPage(TReportParameters page) override;
  void WriteMergedLogPage(TReportParameters page) override;
  void WriteMergedDevicesPage(TReportParameters page) override;
  void WritePCIInfoPage(TReportParameters page) override;
  void WriteDriveHealthPage(TReportParameters page) override;
  void WriteLSIIDEPage(TReportParameters page) override;
  void WritePMCRAIDPage(TReportParameters page) override;
  void WriteKeelRAIDPage(TReportParameters page) override;
  void WriteKeelRAIDLogsPage(TReportParameters page) override;
  void WriteQlogicPage(TReportParameters page) override;
  void WriteEmulexPage(TReportParameters page) override;
  void WriteBrocadeAdapterPage(TReportParameters page) override;
  void WriteGlowLinePage(TReportParameters page) override;
  void WriteXCMBuiltinSelfTestPage(TReportParameters page) override;
  void WriteLogPage(TReportParameters page) override;
  void WriteIPMIEventPage(TReportParameters page) override;

 private:
  template <class... TArguments>
  void Record(const char* operation, const TArguments&... arguments) {
    json_values::json line = json_values::json::array({operation});
    (line.push_back(json_values::Of(arguments)), ...);
    fSink << json_values::Dump(line) << '\n';
  }
  void RecordAndWritePage(const char* operation, const TReportParameters& page);
  // A staged path as the reader will find it.
  std::string DisplayPath(const std::string& path) const;

  TWriterSettings fSettings;
  std::ostream& fSink;
  bool fReachedEndReport = false;
};

#endif
