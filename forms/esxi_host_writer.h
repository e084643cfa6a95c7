// The ESXi writers of the tool (html, text, inventory): an ESXi writer that
// hands every output call to one of the tool's own writers, so that an ESXi
// report is rendered by the very code that renders every other report.
//
//   TEsxiHostWriter writer(std::unique_ptr<THostWriter>(new THtmlWriter(settings)));
//   TReport_vmwesxi(ns, context, settings.fOutputFolder).Write(&writer, context);
//   if (!writer.GetFailures().empty()) ...   // files that could not be written
#ifndef QZA_HOST_ESXI_HOST_WRITER_H
#define QZA_HOST_ESXI_HOST_WRITER_H

#include <memory>
#include <string>
#include <vector>

#include "esxi/writer_vmwesxi.h"
#include "forms/host_writer.h"

class TEsxiHostWriter : public TWriter_vmwesxi {
 public:
  // The renderer's settings name the folders and the writer type.
  TEsxiHostWriter(std::unique_ptr<THostWriter> renderer, const TWriterSettings& settings);
  TEsxiHostWriter(const TEsxiHostWriter&) = delete;
  TEsxiHostWriter& operator=(const TEsxiHostWriter&) = delete;

  const std::vector<std::string>& GetFailures() const { return fRenderer->GetFailures(); }
  std::optional<size_t> PagesWithoutRows() const { return fRenderer->PagesWithoutRows(); }
  // TReport_vmwesxi::Write ends a failing report early without telling its
  // caller; such a report never reaches EndReport.
  bool ReachedEndReport() const { return fReachedEndReport; }

  // Points both this writer and the renderer at the repository: the
  // renderer reads the values of the cells it is given.
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
  std::string GetArraySeparatorText(TReportProperty::ArrayValueSeparator separator) override;
  std::string EncodeValue(std::string value) override;

  // Every page definition is written as a generic page.
  void WriteSystemOverviewPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteInstalledAppsPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteKernelModulePage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteNetworkingPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteResourceUtilizationPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteProcessesPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteOSConfigPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteSysConfigPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteChassisEventLogPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteMergedLogPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteMergedDevicesPage(TReportParameters page) override { WriteGenericReport(page); }
  void WritePCIInfoPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteDriveHealthPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteLSIIDEPage(TReportParameters page) override { WriteGenericReport(page); }
  void WritePMCRAIDPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteKeelRAIDPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteKeelRAIDLogsPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteQlogicPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteEmulexPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteBrocadeAdapterPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteGlowLinePage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteXCMBuiltinSelfTestPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteLogPage(TReportParameters page) override { WriteGenericReport(page); }
  void WriteIPMIEventPage(TReportParameters page) override { WriteGenericReport(page); }

 private:
  std::unique_ptr<THostWriter> fRenderer;
  TWriterSettings fSettings;
  bool fReachedEndReport = false;
};

#endif
