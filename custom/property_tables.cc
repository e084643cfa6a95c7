// The hand-built table pieces that the device pages share: titles, label and
// value rows, and the one-cell message table of a page without data.
#include "custom/property_tables.h"

#include "writer/writer.h"

void TWriter::WritePlainTableTitle(const std::string& title) {
  bool subTitleEnabled = false;
  bool secondFlag = false;
  WriteTableTitle(title, subTitleEnabled, secondFlag);
}

void TWriter::WritePropertyRows(TInstancePtr instance, const std::vector<TReportProperty>& rows) {
  for (const TReportProperty& row : rows) {
    bool rowFlag = true;
    BeginRow(rowFlag);
    WriteHeaderCell(instance->GetClass(), row);
    WriteValueCell(instance, row);
    EndRow();
  }
}

void TWriter::WriteMessageTable(const std::string& message, const std::string& columnText) {
  BeginPropertyTable("100%", "20%", "");
  bool rowFlag = true;
  BeginRow(rowFlag);
  WriteMessageCell(message, TReportProperty(columnText, "100%", "", "", ""));
  EndRow();
  EndTable();
}
