// The ESXi "LSI Controller" page, from the LSI vendor provider's classes: one
// property table per controller, its BIOS and firmware versions as rows.
#include "esxi/writer_vmwesxi.h"
#include "writer/trace.h"

namespace {

const char kNoCardMessage[] = "No LSI RAID card detected\n";

// The controller's own rows, then each column of each associated table as a
// row read through that table's association, labelled by the table's title.
std::vector<TReportParameters::TReportProperty> ControllerRows(const TReportParameters::TReportClass& controllers) {
  std::vector<TReportParameters::TReportProperty> rows = controllers.GetProperties();
  for (const TReportParameters::TReportClass& identity : controllers.GetAssociatedClasses()) {
    for (const TReportParameters::TReportProperty& column : identity.GetProperties()) {
      rows.push_back(TReportParameters::TReportProperty(column.GetProperty(), "0%", identity.GetAssocClass(),
                                                        identity.GetResultClass(), identity.GetTitle()));
    }
  }
  return rows;
}

}  // namespace

void TWriter_vmwesxi::WriteLSIReportWithCardinal() {
  TNamedTraceScope trace("TWriter_vmwesxi::WriteLSIReportWithCardinal");
  const TReportParameters page = TReportParametersBuilder_vmwesxi(fNamespace, fMode).BuildLsiControllerParams();
  OpenReportPage(page);
  bool noCard = true;
  for (const TReportClass& table : page.GetClasses()) {
    const std::vector<TReportProperty> rows = ControllerRows(table);
    for (const TInstancePtr& controller : GetInstances(table)) {
      WritePropertyTable(controller, table, rows);
      noCard = false;
    }
  }
  if (noCard) WriteNoLSICardMessage();
  CloseReportPage(page, !noCard);
}

void TWriter_vmwesxi::WriteNoLSICardMessage() {
  BeginPropertyTable("100%", "20%", "");
  bool rowFlag = true;
  BeginRow(rowFlag);
  WriteMessageCell(kNoCardMessage, TReportProperty(kNoCardMessage, "100%", "", "", ""));
  EndRow();
  EndTable();
}
