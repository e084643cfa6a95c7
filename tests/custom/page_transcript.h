// Test support for the hand-built device pages: a recording writer that
// also writes what a reader of the page would see, one line per title,
// table, row and grid, so that an expectation reads like the page:
//
//   title: Controller Information
//   table 50%/40%: Controller Information
//     Model: 9260-8i                 (a label cell and a value cell)
//     [LSI 9260 Firmware] | VKX | 2.1  (a grid row; [..] is a text cell)
//   end
//
// Value cells show the column's value on the instance, following the
// column's association, as a concrete writer does. A label is the column's
// label override, else its property name. Associations in the schemas are
// stated with Associations() and Link().
#ifndef QZA_TESTS_CUSTOM_PAGE_TRANSCRIPT_H
#define QZA_TESTS_CUSTOM_PAGE_TRANSCRIPT_H

#include <string>
#include <vector>

#include "tests/writer/test_repository.h"

class TTranscriptWriter : public TRecordingWriter {
 public:
  using TWriter::SetOutputFolder;

  void WritePageTitle(std::string title, std::string linkText, std::string linkTarget) override {
    TRecordingWriter::WritePageTitle(title, linkText, linkTarget);
    fTranscript.push_back("page: " + title + (linkText.empty() ? "" : " " + linkText + " -> " + linkTarget));
  }
  void WriteTableTitle(std::string title, bool& subTitle, bool& second) override {
    TRecordingWriter::WriteTableTitle(title, subTitle, second);
    fTranscript.push_back("title: " + title);
  }
  void BeginPropertyTable(std::string width, std::string second, std::string caption) override {
    TRecordingWriter::BeginPropertyTable(width, second, caption);
    fTranscript.push_back("table " + width + "/" + second + ": " + caption);
  }
  void BeginGridTable(std::string width, std::string caption, bool flag) override {
    TRecordingWriter::BeginGridTable(width, caption, flag);
    fTranscript.push_back("grid " + width + ": " + caption);
  }
  void BeginRow(bool& flag) override {
    TRecordingWriter::BeginRow(flag);
    fRow.clear();
    fHeaderCells = 0;
  }
  void WriteHeaderCell(boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass, TReportProperty column) override {
    TRecordingWriter::WriteHeaderCell(cimClass, column);
    fHeaderClasses.push_back(cimClass ? cimClass->GetName() : "");
    fRow.push_back(Label(column));
    ++fHeaderCells;
  }
  void WriteValueCell(TInstancePtr instance, TReportProperty column) override {
    TRecordingWriter::WriteValueCell(instance, column);
    fRow.push_back(
        GetValuesFromProperties(GetProperties(instance, column.GetProperty(), column.GetAssociationClass(),
                                              column.GetAssociationTarget()),
                                ", ", false));
  }
  void WritePropertyCell(TReportProperty column, std::string text) override {
    TRecordingWriter::WritePropertyCell(column, text);
    fRow.push_back("[" + text + "]");
  }
  void WriteMessageCell(std::string message, TReportProperty column) override {
    TRecordingWriter::WriteMessageCell(message, column);
    fRow.push_back("message " + message);
  }
  void EndRow() override {
    TRecordingWriter::EndRow();
    const bool labelAndValue = fRow.size() == 2 && fHeaderCells == 1;
    std::string line = labelAndValue ? fRow[0] + ": " + fRow[1] : "";
    for (size_t i = 0; !labelAndValue && i < fRow.size(); ++i) line += (i > 0 ? " | " : "") + fRow[i];
    fTranscript.push_back("  " + line);
  }
  void SetRawDataLink(int32_t link) override {
    TRecordingWriter::SetRawDataLink(link);
    fTranscript.push_back("  member " + std::to_string(link));
  }
  void EndTable() override {
    TRecordingWriter::EndTable();
    fTranscript.push_back("end");
  }
  void WriteTableGrid(TTableGrid grid) override {
    TRecordingWriter::WriteTableGrid(grid);
    for (const std::string& row : GridRows(grid)) fTranscript.push_back("  " + row);
  }

  std::vector<std::string> fTranscript;
  // The class handed with each header cell, in order.
  std::vector<std::string> fHeaderClasses;

 private:
  static std::string Label(const TReportProperty& column) {
    return column.HasLabelOverride() ? column.GetLabelOverride() : column.GetProperty();
  }

  std::vector<std::string> fRow;
  int fHeaderCells = 0;
};

// One association class per name, linking any two managed elements.
inline std::string Associations(const std::vector<std::string>& names) {
  std::string mof;
  for (const std::string& name : names) {
    mof += "[Association] class " + name +
           " { [Key] CIM_ManagedElement REF Antecedent; [Key] CIM_ManagedElement REF Dependent; };\n";
  }
  return mof;
}

// An instance of the association between the two aliases (without "$").
inline std::string Link(const std::string& association, const std::string& from, const std::string& to) {
  return "instance of " + association + " { Antecedent = $" + from + "; Dependent = $" + to + "; };\n";
}

// The lines of the transcript from the first one equal to `first` up to
// (not including) the first later one equal to `last`; all remaining lines
// when `last` does not follow.
inline std::vector<std::string> Section(const std::vector<std::string>& lines, const std::string& first,
                                        const std::string& last) {
  std::vector<std::string> section;
  bool inside = false;
  for (const std::string& line : lines) {
    if (!inside && line == first)
      inside = true;
    else if (inside && line == last)
      break;
    if (inside) section.push_back(line);
  }
  return section;
}

#endif
