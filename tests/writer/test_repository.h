// Test support for the writer and report tests: repositories stated as MOF
// text, a writer that records every output call as one line of text, and a
// capture of the core logger's lines.
//
//   boost::shared_ptr<TMemoryNamespace> ns = RepositoryFromMof(R"(
//     class VKXSG_Fan { [Key] string Name; };
//     instance of VKXSG_Fan { Name = "Fan 1"; };)");
//   TRecordingWriter writer;
//   writer.Initialize(ns, TCIMContext(), "");   // or BaseInitialize with a catalog
#ifndef QZA_TESTS_WRITER_TEST_REPOSITORY_H
#define QZA_TESTS_WRITER_TEST_REPOSITORY_H

#include <boost/shared_ptr.hpp>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "catalog/report_parameters_builder.h"
#include "core/mof_reader.h"
#include "core/repository.h"
#include "core/root.h"
#include "writer/writer.h"

typedef boost::shared_ptr<NVKXQZA20::TMemoryNamespace> TTestNamespace;

// Loads MOF text into a data source of the namespace.
inline void LoadMof(const TTestNamespace& ns, const std::string& mof, uint16_t dataSource = 0) {
  NVKXQZA20::TCIMContext context;
  context["nsIndex"] = NVKXQZA20::TCIMValue(dataSource);
  NVKXQZA20::TMofReader(ns, context).LoadText(mof, "test.mof");
}

inline TTestNamespace RepositoryFromMof(const std::string& mof) {
  TTestNamespace ns = NVKXQZA20::TMemoryNamespace::Create();
  LoadMof(ns, mof);
  return ns;
}

inline boost::shared_ptr<TReportParametersBuilder> Catalog(const TTestNamespace& ns,
                                                          const std::string& mode = "default",
                                                          bool xcm = false) {
  return boost::shared_ptr<TReportParametersBuilder>(new TReportParametersBuilder(ns, mode, xcm));
}

inline boost::shared_ptr<NVKXQZA20::ICIMInstance> FirstInstance(const TTestNamespace& ns,
                                                                const std::string& className) {
  std::vector<boost::shared_ptr<NVKXQZA20::ICIMInstance>> instances;
  ns->GetClass(className)->EnumerateInstances(
      NVKXQZA20::TAddToVectorCallback<NVKXQZA20::ICIMInstance>(instances), true);
  return instances.at(0);
}

// Collects the core logger's lines ("<level>\t<text>") while it lives.
class TLogCapture {
 public:
  TLogCapture() : fSink(std::make_shared<std::ostringstream>()) {
    NVKXQZA20::TRootObject::SetLogSink(fSink, 3);
  }
  ~TLogCapture() { NVKXQZA20::TRootObject::SetLogSink(nullptr, -1); }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(fSink->str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // The number of lines of that level and text.
  int Count(int level, const std::string& text) const {
    int count = 0;
    for (const std::string& line : Lines()) count += line == std::to_string(level) + "\t" + text;
    return count;
  }
  bool Has(int level, const std::string& text) const { return Count(level, text) > 0; }
  // The texts of the lines that contain the part, in order.
  std::vector<std::string> Containing(const std::string& part) const {
    std::vector<std::string> texts;
    for (const std::string& line : Lines()) {
      if (line.find(part) != std::string::npos) texts.push_back(line.substr(line.find('\t') + 1));
    }
    return texts;
  }

 private:
  std::shared_ptr<std::ostringstream> fSink;
};

// Records every output call as one line such as "OpenPage(/out/hw_info)" and
// keeps a copy of every grid. Each line also goes to the core logger as
// "call <line>", so a test can read calls and log lines as one sequence.
class TRecordingWriter : public TWriter {
 public:
  TRecordingWriter() { SetOutputFolder("/out"); }

  using TWriter::SetDataFolder;
  using TWriter::SetMode;
  using TWriter::SetOutputFolder;
  using TWriter::SetWriterType;

  // Array elements are joined with ", " (code 0), "; " (1) or " | " (others).
  std::string GetArraySeparatorText(TReportProperty::ArrayValueSeparator separator) override {
    if (separator == TReportProperty::DefaultSeparator) return ", ";
    return separator == TReportProperty::ListSeparator ? "; " : " | ";
  }
  // With fMarkEncoding each encoded value shows as <value>.
  std::string EncodeValue(std::string value) override {
    return fMarkEncoding ? "<" + value + ">" : value;
  }
  std::string GetPageOutput() override {
    Record("GetPageOutput()");
    return "page output";
  }

  void Initialize(TNamespacePtr, NVKXQZA20::TCIMContext, const std::string& target) override {
    Record("Initialize(" + target + ")");
  }
  void BeginFirstCategory() override { Record("BeginFirstCategory()"); }
  void BeginNextCategory() override { Record("BeginNextCategory()"); }
  void WriteCategoryTitle(std::string title) override { Record("WriteCategoryTitle(" + title + ")"); }
  void EndReport() override { Record("EndReport()"); }
  void WriteKeelRAIDEventLog(TInstances records, std::string title, std::string link) override {
    Record("WriteKeelRAIDEventLog(" + std::to_string(records.size()) + ", " + title + ", " + link + ")");
  }
  void WriteEventLogReport(TReportParameters page) override {
    Record("WriteEventLogReport(" + page.GetLinkName() + ")");
  }
  void WriteMergedLogPage(TReportParameters page) override {
    Record("WriteMergedLogPage(" + page.GetLinkName() + ")");
  }
  void BeginVellumAnalysis() override { Record("BeginVellumAnalysis()"); }
  void WriteVellumDeviceRow(TInstancePtr, TReportProperty, TReportProperty, TReportProperty,
                            TReportProperty, TReportProperty, TReportProperty, TReportProperty,
                            TReportProperty, int32_t row) override {
    Record("WriteVellumDeviceRow(" + std::to_string(row) + ")");
  }
  void WriteVellumHeading() override { Record("WriteVellumHeading()"); }
  void WriteDriveHealthSummary(TPropertyPtr) override { Record("WriteDriveHealthSummary()"); }
  void WriteDeclarationCell(boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl>) override {
    Record("WriteDeclarationCell()");
  }
  void WriteDriveHealthTable(TInstancePtr, TPropertyPtr) override { Record("WriteDriveHealthTable()"); }
  void WriteRegisterTable(TInstancePtr, std::string value) override {
    Record("WriteRegisterTable(" + value + ")");
  }
  void OpenPage(std::string path) override { Record("OpenPage(" + path + ")"); }
  void ClosePage() override { Record("ClosePage()"); }
  void BeginPageBody() override { Record("BeginPageBody()"); }
  void EndPageBody() override { Record("EndPageBody()"); }
  void WritePageTitle(std::string title, std::string linkText, std::string linkTarget) override {
    Record("WritePageTitle(" + title + ", " + linkText + ", " + linkTarget + ")");
  }
  void RegisterPage(std::string link, std::string name, bool& hasContent) override {
    Record("RegisterPage(" + link + ", " + name + ", " + Flag(hasContent) + ")");
  }
  void WriteSeparator() override { Record("WriteSeparator()"); }
  void WriteTableTitle(std::string title, bool& subTitle, bool& second) override {
    Record("WriteTableTitle(" + title + ", " + Flag(subTitle) + ", " + Flag(second) + ")");
  }
  void BeginGridTable(std::string width, std::string caption, bool flag) override {
    Record("BeginGridTable(" + width + ", " + caption + ", " + Flag(flag) + ")");
  }
  void BeginPropertyTable(std::string width, std::string second, std::string title) override {
    Record("BeginPropertyTable(" + width + ", " + second + ", " + title + ")");
  }
  void WriteHeaderCell(boost::shared_ptr<NVKXQZA20::ICIMClass>, TReportProperty column) override {
    Record("WriteHeaderCell(" + column.GetProperty() + ")");
  }
  void EndGridHeader() override { Record("EndGridHeader()"); }
  void BeginRow(bool& flag) override { Record("BeginRow(" + Flag(flag) + ")"); }
  void EndRow() override { Record("EndRow()"); }
  void EndTable() override { Record("EndTable()"); }
  void SetRawDataLink(int32_t link) override { Record("SetRawDataLink(" + std::to_string(link) + ")"); }
  // Recorded as "WriteTableGrid(<rows>x<columns>)"; the grid is kept in fGrids.
  void WriteTableGrid(TTableGrid grid) override {
    Record("WriteTableGrid(" + std::to_string(grid.fRows) + "x" + std::to_string(grid.fColumns) + ")");
    fGrids.push_back(grid);
  }
  void WritePropertyCell(TReportProperty column, std::string text) override {
    Record("WritePropertyCell(" + column.GetProperty() + ", " + text + ")");
  }
  void WriteValueCell(TInstancePtr, TReportProperty column) override {
    Record("WriteValueCell(" + column.GetProperty() + ")");
  }
  void WriteMessageCell(std::string message, TReportProperty) override {
    Record("WriteMessageCell(" + message + ")");
  }
  void WriteInstanceCell(TInstancePtr, TReportProperty column) override {
    Record("WriteInstanceCell(" + column.GetProperty() + ")");
  }
  void WritePageHeading() override { Record("WritePageHeading()"); }

  // The recorded lines that start with the prefix.
  std::vector<std::string> CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> calls;
    for (const std::string& call : fCalls) {
      if (call.compare(0, prefix.size(), prefix) == 0) calls.push_back(call);
    }
    return calls;
  }

  std::vector<std::string> fCalls;
  std::vector<TTableGrid> fGrids;
  bool fMarkEncoding = false;

 protected:
  void Record(const std::string& call) {
    fCalls.push_back(call);
    NVKXQZA20::TRootObject::GetCoreLogger()->Log(3, "call " + call);
  }

 private:
  static std::string Flag(bool flag) { return flag ? "true" : "false"; }
};

// The texts of a grid, row after row, cells of a row joined by " | ".
inline std::vector<std::string> GridRows(const TTableGrid& grid) {
  std::vector<std::string> rows;
  for (int32_t r = 0; r < grid.fRows; ++r) {
    std::string row;
    for (int32_t c = 0; c < grid.fColumns; ++c) {
      row += (c > 0 ? " | " : "") + grid.Cell(r, c).fText;
    }
    rows.push_back(row);
  }
  return rows;
}

#endif
