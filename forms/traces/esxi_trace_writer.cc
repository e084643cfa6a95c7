#include "forms/traces/esxi_trace_writer.h"

TEsxiTraceWriter::TEsxiTraceWriter(TWriterSettings settings, std::ostream& sink)
    : fSettings(std::move(settings)), fSink(sink) {
  if (fSettings.fStagingFolder.empty()) fSettings.fStagingFolder = fSettings.fOutputFolder;
  SetWriterType(fSettings.fWriterType.empty() ? "html" : fSettings.fWriterType);
  SetDataFolder(fSettings.fDataFolder);
  SetOutputFolder(fSettings.fStagingFolder);
}

std::string TEsxiTraceWriter::DisplayPath(const std::string& path) const {
  const std::string& staging = fSettings.fStagingFolder;
  if (staging == fSettings.fOutputFolder || path.compare(0, staging.size(), staging) != 0) return path;
  return fSettings.fOutputFolder + path.substr(staging.size());
}

void TEsxiTraceWriter::Initialize(TNamespacePtr ns, NVKXQZA20::TCIMContext context, const std::string& outputTarget) {
  NVKXQZA20::TCIMContext::const_iterator mode = context.find("mode");
  SetMode(mode == context.end() ? "default" : mode->second.ToString());
  SetNamespace(ns);
  SetOutputFolder(fSettings.fStagingFolder);
  fReachedEndReport = false;
  Record("Initialize", ns, context, outputTarget);
}

void TEsxiTraceWriter::BeginFirstCategory() { Record("BeginFirstCategory"); }
void TEsxiTraceWriter::BeginNextCategory() { Record("BeginNextCategory"); }
void TEsxiTraceWriter::WriteCategoryTitle(std::string title) { Record("WriteCategoryTitle", title); }
void TEsxiTraceWriter::EndReport() {
  Record("EndReport");
  fReachedEndReport = true;
}
void TEsxiTraceWriter::OpenPage(std::string pagePath) { Record("OpenPage", DisplayPath(pagePath)); }
void TEsxiTraceWriter::ClosePage() { Record("ClosePage"); }
void TEsxiTraceWriter::BeginPageBody() { Record("BeginPageBody"); }
void TEsxiTraceWriter::EndPageBody() { Record("EndPageBody"); }

void TEsxiTraceWriter::BeginGridTable(std::string width, std::string caption, bool flag) {
  Record("BeginGridTable", width, caption, flag);
}

void TEsxiTraceWriter::BeginPropertyTable(std::string width, std::string secondWidth, std::string title) {
  Record("BeginPropertyTable", width, secondWidth, title);
}

void TEsxiTraceWriter::EndGridHeader() { Record("EndGridHeader"); }
void TEsxiTraceWriter::EndTable() { Record("EndTable"); }

void TEsxiTraceWriter::WritePageTitle(std::string title, std::string linkText, std::string linkTarget) {
  Record("WritePageTitle", title, linkText, linkTarget);
}

void TEsxiTraceWriter::RegisterPage(std::string linkName, std::string pageName, bool hasContent) {
  Record("RegisterPage", linkName, pageName, hasContent);
}

void TEsxiTraceWriter::WriteTableTitle(std::string title, bool& subTitleEnabled, bool& secondFlag) {
  Record("WriteTableTitle", title, subTitleEnabled, secondFlag);
}

void TEsxiTraceWriter::WriteTableGrid(TTableGrid grid) { Record("WriteTableGrid", grid); }
void TEsxiTraceWriter::BeginRow(bool& flag) { Record("BeginRow", flag); }
void TEsxiTraceWriter::EndRow() { Record("EndRow"); }

void TEsxiTraceWriter::WriteHeaderCell(boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass, TReportProperty column) {
  Record("WriteHeaderCell", cimClass, column);
}

void TEsxiTraceWriter::WriteValueCell(TInstancePtr instance, TReportProperty column) {
  Record("WriteValueCell", instance, column);
}

void TEsxiTraceWriter::WriteMessageCell(std::string message, TReportProperty column) {
  Record("WriteMessageCell", message, column);
}

void TEsxiTraceWriter::WriteSeparator() { Record("WriteSeparator"); }

void TEsxiTraceWriter::WritePropertyCell(TReportProperty column, std::string text) {
  Record("WritePropertyCell", column, text);
}

void TEsxiTraceWriter::WriteInstanceCell(TInstancePtr instance, TReportProperty column) {
  Record("WriteInstanceCell", instance, column);
}

void TEsxiTraceWriter::WriteDeclarationCell(boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl> declaration) {
  Record("WriteDeclarationCell", declaration);
}

void TEsxiTraceWriter::SetRawDataLink(int32_t link) { Record("SetRawDataLink", link); }
void TEsxiTraceWriter::WriteDriveHealthSummary(TPropertyPtr rawData) { Record("WriteDriveHealthSummary", rawData); }
void TEsxiTraceWriter::WritePageHeading() { Record("WritePageHeading"); }

void TEsxiTraceWriter::WriteDriveHealthTable(TInstancePtr record, TPropertyPtr property) {
  Record("WriteDriveHealthTable", record, property);
}

std::string TEsxiTraceWriter::GetArraySeparatorText(TReportProperty::ArrayValueSeparator separator) {
  return "[" + std::to_string(static_cast<int>(separator)) + "]";
}

std::string TEsxiTraceWriter::EncodeValue(std::string value) { return value; }

void TEsxiTraceWriter::RecordAndWritePage(const char* operation, const TReportParameters& page) {
  Record(operation, page);
  WriteGenericReport(page);
}

void TEsxiTraceWriter::WriteSystemOverviewPage(TReportParameters page) {
  RecordAndWritePage("WriteSystemOverviewPage", page);
}
void TEsxiTraceWriter::WriteInstalledAppsPage(TReportParameters page) {
  RecordAndWritePage("WriteInstalledAppsPage", page);
}
void TEsxiTraceWriter::WriteKernelModulePage(TReportParameters page) {
  RecordAndWritePage("WriteKernelModulePage", page);
}
void TEsxiTraceWriter::WriteNetworkingPage(TReportParameters page) {
  RecordAndWritePage("WriteNetworkingPage", page);
}
void TEsxiTraceWriter::WriteResourceUtilizationPage(TReportParameters page) {
  RecordAndWritePage("WriteResourceUtilizationPage", page);
}
void TEsxiTraceWriter::WriteProcessesPage(TReportParameters page) { RecordAndWritePage("WriteProcessesPage", page); }
void TEsxiTraceWriter::WriteOSConfigPage(TReportParameters page) { RecordAndWritePage("WriteOSConfigPage", page); }
void TEsxiTraceWriter::WriteSysConfigPage(TReportParameters page) { RecordAndWritePage("WriteSysConfigPage", page); }
void TEsxiTraceWriter::WriteChassisEventLogPage(TReportParameters page) {
  RecordAndWritePage("WriteChassisEventLogPage", page);
}
void TEsxiTraceWriter::WriteMergedLogPage(TReportParameters page) { RecordAndWritePage("WriteMergedLogPage", page); }
void TEsxiTraceWriter::WriteMergedDevicesPage(TReportParameters page) {
  RecordAndWritePage("WriteMergedDevicesPage", page);
}
void TEsxiTraceWriter::WritePCIInfoPage(TReportParameters page) { RecordAndWritePage("WritePCIInfoPage", page); }
void TEsxiTraceWriter::WriteDriveHealthPage(TReportParameters page) {
  RecordAndWritePage("WriteDriveHealthPage", page);
}
void TEsxiTraceWriter::WriteLSIIDEPage(TReportParameters page) { RecordAndWritePage("WriteLSIIDEPage", page); }
void TEsxiTraceWriter::WritePMCRAIDPage(TReportParameters page) { RecordAndWritePage("WritePMCRAIDPage", page); }
void TEsxiTraceWriter::WriteKeelRAIDPage(TReportParameters page) { RecordAndWritePage("WriteKeelRAIDPage", page); }
void TEsxiTraceWriter::WriteKeelRAIDLogsPage(TReportParameters page) {
  RecordAndWritePage("WriteKeelRAIDLogsPage", page);
}
void TEsxiTraceWriter::WriteQlogicPage(TReportParameters page) { RecordAndWritePage("WriteQlogicPage", page); }
void TEsxiTraceWriter::WriteEmulexPage(TReportParameters page) { RecordAndWritePage("WriteEmulexPage", page); }
void TEsxiTraceWriter::WriteBrocadeAdapterPage(TReportParameters page) {
  RecordAndWritePage("WriteBrocadeAdapterPage", page);
}
void TEsxiTraceWriter::WriteGlowLinePage(TReportParameters page) { RecordAndWritePage("WriteGlowLinePage", page); }
void TEsxiTraceWriter::WriteXCMBuiltinSelfTestPage(TReportParameters page) {
  RecordAndWritePage("WriteXCMBuiltinSelfTestPage", page);
}
void TEsxiTraceWriter::WriteLogPage(TReportParameters page) { RecordAndWritePage("WriteLogPage", page); }
void TEsxiTraceWriter::WriteIPMIEventPage(TReportParameters page) { RecordAndWritePage("WriteIPMIEventPage", page); }
