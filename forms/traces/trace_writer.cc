#include "forms/traces/trace_writer.h"

TTraceWriter::TTraceWriter(TWriterSettings settings, std::ostream* sink)
    : THostWriter(std::move(settings)), fSink(sink) {}

void TTraceWriter::Emit(const std::string& line) {
  if (fSink) {
    *fSink << line << '\n';
  } else {
    fPageOutput += line + '\n';
  }
}

void TTraceWriter::Initialize(TNamespacePtr ns, NVKXQZA20::TCIMContext context, const std::string& outputTarget) {
  THostWriter::Initialize(ns, context, outputTarget);
  fPageOutput.clear();
  Record("Initialize", ns, context, outputTarget);
}

void TTraceWriter::BeginFirstCategory() { Record("BeginFirstCategory"); }
void TTraceWriter::BeginNextCategory() { Record("BeginNextCategory"); }
void TTraceWriter::WriteCategoryTitle(std::string title) { Record("WriteCategoryTitle", title); }
void TTraceWriter::EndReport() { Record("EndReport"); }
std::string TTraceWriter::GetPageOutput() { return fPageOutput; }

void TTraceWriter::WriteKeelRAIDEventLog(TInstances records, std::string title, std::string linkName) {
  Record("WriteKeelRAIDEventLog", records, title, linkName);
}

void TTraceWriter::WriteEventLogReport(TReportParameters page) { Record("WriteEventLogReport", page); }
void TTraceWriter::WriteMergedLogPage(TReportParameters page) { Record("WriteMergedLogPage", page); }
void TTraceWriter::BeginVellumAnalysis() { Record("BeginVellumAnalysis"); }

void TTraceWriter::WriteVellumDeviceRow(TInstancePtr device, TReportProperty column1, TReportProperty column2,
                                        TReportProperty column3, TReportProperty column4, TReportProperty column5,
                                        TReportProperty column6, TReportProperty column7, TReportProperty column8,
                                        int32_t rowIndex) {
  Record("WriteVellumDeviceRow", device, column1, column2, column3, column4, column5, column6, column7, column8,
         rowIndex);
}

void TTraceWriter::WriteVellumHeading() { Record("WriteVellumHeading"); }
void TTraceWriter::WriteDriveHealthSummary(TPropertyPtr rawData) { Record("WriteDriveHealthSummary", rawData); }

void TTraceWriter::WriteDeclarationCell(boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl> declaration) {
  Record("WriteDeclarationCell", declaration);
}

void TTraceWriter::WriteDriveHealthTable(TInstancePtr record, TPropertyPtr property) {
  Record("WriteDriveHealthTable", record, property);
}

void TTraceWriter::WriteRegisterTable(TInstancePtr record, std::string value) {
  Record("WriteRegisterTable", record, value);
}

void TTraceWriter::OpenPage(std::string pagePath) { Record("OpenPage", DisplayPath(pagePath)); }
void TTraceWriter::ClosePage() { Record("ClosePage"); }
void TTraceWriter::BeginPageBody() { Record("BeginPageBody"); }
void TTraceWriter::EndPageBody() { Record("EndPageBody"); }

void TTraceWriter::WritePageTitle(std::string title, std::string linkText, std::string linkTarget) {
  Record("WritePageTitle", title, linkText, linkTarget);
}

void TTraceWriter::RegisterPage(std::string linkName, std::string pageName, bool& hasContent) {
  Record("RegisterPage", linkName, pageName, hasContent);
}

void TTraceWriter::WriteSeparator() { Record("WriteSeparator"); }

void TTraceWriter::WriteTableTitle(std::string title, bool& subTitleEnabled, bool& secondFlag) {
  Record("WriteTableTitle", title, subTitleEnabled, secondFlag);
}

void TTraceWriter::BeginGridTable(std::string width, std::string caption, bool flag) {
  Record("BeginGridTable", width, caption, flag);
}

void TTraceWriter::BeginPropertyTable(std::string width, std::string secondWidth, std::string title) {
  Record("BeginPropertyTable", width, secondWidth, title);
}

void TTraceWriter::WriteHeaderCell(boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass, TReportProperty column) {
  Record("WriteHeaderCell", cimClass, column);
}

void TTraceWriter::EndGridHeader() { Record("EndGridHeader"); }
void TTraceWriter::BeginRow(bool& flag) { Record("BeginRow", flag); }
void TTraceWriter::EndRow() { Record("EndRow"); }
void TTraceWriter::EndTable() { Record("EndTable"); }
void TTraceWriter::SetRawDataLink(int32_t link) { Record("SetRawDataLink", link); }
void TTraceWriter::WriteTableGrid(TTableGrid grid) { Record("WriteTableGrid", grid); }

void TTraceWriter::WritePropertyCell(TReportProperty column, std::string text) {
  Record("WritePropertyCell", column, text);
}

void TTraceWriter::WriteValueCell(TInstancePtr instance, TReportProperty column) {
  Record("WriteValueCell", instance, column);
}

void TTraceWriter::WriteMessageCell(std::string message, TReportProperty column) {
  Record("WriteMessageCell", message, column);
}

void TTraceWriter::WriteInstanceCell(TInstancePtr instance, TReportProperty column) {
  Record("WriteInstanceCell", instance, column);
}

std::string TTraceWriter::GetArraySeparatorText(TReportProperty::ArrayValueSeparator separator) {
  return "[" + std::to_string(static_cast<int>(separator)) + "]";
}

std::string TTraceWriter::EncodeValue(std::string value) { return value; }
void TTraceWriter::WritePageHeading() { Record("WritePageHeading"); }
