// forms/traces/ — traces of the library's calls, one JSON line each, for the
// Linux and the ESXi report. Uses forms/ and what forms/ may use.
//
// The trace writer: records every output operation call as one line of
// JSON, ["Operation", argument, ...], so that a report can be checked call
// by call. A full report streams the lines to its sink (trace.jsonl); the
// lines since the last Initialize are also what GetPageOutput answers.
//
//   std::ofstream file("out/trace.jsonl");
//   TTraceWriter writer(settings, &file);
//   report.Write(&writer, context);
#ifndef QZA_HOST_TRACE_WRITER_H
#define QZA_HOST_TRACE_WRITER_H

#include <ostream>
#include <string>

#include "forms/host_writer.h"
#include "forms/json_values.h"

class TTraceWriter : public THostWriter {
 public:
  // sink may be null: the lines are then only kept for GetPageOutput.
  TTraceWriter(TWriterSettings settings, std::ostream* sink);

  void Initialize(TNamespacePtr ns, NVKXQZA20::TCIMContext context, const std::string& outputTarget) override;
  void BeginFirstCategory() override;
  void BeginNextCategory() override;
  void WriteCategoryTitle(std::string title) override;
  void EndReport() override;
  std::string GetPageOutput() override;
  void WriteKeelRAIDEventLog(TInstances records, std::string title, std::string linkName) override;
  void WriteEventLogReport(TReportParameters page) override;
  void WriteMergedLogPage(TReportParameters page) override;
  void BeginVellumAnalysis() override;
  void WriteVellumDeviceRow(TInstancePtr device, TReportProperty column1, TReportProperty column2,
                            TReportProperty column3, TReportProperty column4, TReportProperty column5,
                            TReportProperty column6, TReportProperty column7, TReportProperty column8,
                            int32_t rowIndex) override;
  void WriteVellumHeading() override;
  void WriteDriveHealthSummary(TPropertyPtr rawData) override;
  void WriteDeclarationCell(boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl> declaration) override;
  void WriteDriveHealthTable(TInstancePtr record, TPropertyPtr property) override;
  void WriteRegisterTable(TInstancePtr record, std::string value) override;
  void OpenPage(std::string pagePath) override;
  void ClosePage() override;
  void BeginPageBody() override;
  void EndPageBody() override;
  void WritePageTitle(std::string title, std::string linkText, std::string linkTarget) override;
  void RegisterPage(std::string linkName, std::string pageName, bool& hasContent) override;
  void WriteSeparator() override;
  void WriteTableTitle(std::string title, bool& subTitleEnabled, bool& secondFlag) override;
  void BeginGridTable(std::string width, std::string caption, bool flag) override;
  void BeginPropertyTable(std::string width, std::string secondWidth, std::string title) override;
  void WriteHeaderCell(boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass, TReportProperty column) override;
  void EndGridHeader() override;
  void BeginRow(bool& flag) override;
  void EndRow() override;
  void EndTable() override;
  void SetRawDataLink(int32_t link) override;
  void WriteTableGrid(TTableGrid grid) override;
  void WritePropertyCell(TReportProperty column, std::string text) override;
  void WriteValueCell(TInstancePtr instance, TReportProperty column) override;
  void WriteMessageCell(std::string message, TReportProperty column) override;
  void WriteInstanceCell(TInstancePtr instance, TReportProperty column) override;
  // "[" + the separator's code + "]", so that a trace shows which one a column uses.
  std::string GetArraySeparatorText(TReportProperty::ArrayValueSeparator separator) override;
  std::string EncodeValue(std::string value) override;
  void WritePageHeading() override;

 private:
  template <class... TArguments>
  void Record(const char* operation, const TArguments&... arguments) {
    json_values::json line = json_values::json::array({operation});
    (line.push_back(json_values::Of(arguments)), ...);
    Emit(json_values::Dump(line));
  }
  void Emit(const std::string& line);

  std::ostream* fSink;
  std::string fPageOutput;
};

#endif
