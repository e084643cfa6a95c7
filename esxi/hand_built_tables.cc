// The hand-built tables of the ESXi custom pages: grid tables written cell by
// cell and two-column property tables, both from table definitions.
#include "esxi/writer_vmwesxi.h"

#include <algorithm>

namespace {

// A table whose title is hidden still holds the text of the table before it.
std::string ShownTitle(const TReportParameters::TReportClass& table) {
  return table.HasTitle() ? table.GetTitle() : "";
}

}  // namespace

void TWriter_vmwesxi::WritePropertyTable(TInstancePtr instance, const TReportClass& table,
                                         const std::vector<TReportProperty>& rows) {
  if (table.HasTitle()) {
    bool subTitleEnabled = false;
    bool secondFlag = false;
    WriteTableTitle(table.GetTitle(), subTitleEnabled, secondFlag);
  }
  BeginPropertyTable(table.GetTableWidth(), table.GetRowReportHeaderWidth(), ShownTitle(table));
  for (const TReportProperty& row : rows) {
    bool rowFlag = true;
    BeginRow(rowFlag);
    WriteHeaderCell(instance->GetClass(), row);
    WriteValueCell(instance, row);
    EndRow();
  }
  EndTable();
}

bool TWriter_vmwesxi::WriteGridTables(const TReportClass& table) {
  const TInstances instances = GetInstances(table);
  if (instances.empty()) return false;
  if (table.HasTitle()) {
    bool subTitleEnabled = table.SubTitleEnabled();
    bool secondFlag = false;
    WriteTableTitle(table.GetTitle(), subTitleEnabled, secondFlag);
  }
  // A limit below one would leave no room for an instance.
  const size_t limit = static_cast<size_t>(std::max(1, table.GetMaxInstancesPerTable()));
  for (size_t first = 0; first < instances.size(); first += limit) {
    const size_t last = std::min(first + limit, instances.size());
    WriteGridTable(table, instances.begin() + first, instances.begin() + last);
  }
  return true;
}

void TWriter_vmwesxi::WriteGridTable(const TReportClass& table, TInstances::const_iterator first,
                                     TInstances::const_iterator last) {
  const std::vector<TReportProperty>& columns = table.GetProperties();
  BeginGridTable(table.GetTableWidth(), ShownTitle(table), false);
  bool headerFlag = true;
  BeginRow(headerFlag);
  const boost::shared_ptr<NVKXQZA20::ICIMClass> tableClass = Repository().GetClass(table.GetClass());
  for (const TReportProperty& column : columns) WriteHeaderCell(tableClass, column);
  EndRow();
  EndGridHeader();
  for (TInstances::const_iterator instance = first; instance != last; ++instance) {
    bool rowFlag = true;
    BeginRow(rowFlag);
    for (const TReportProperty& column : columns) WriteValueCell(*instance, column);
    EndRow();
  }
  EndTable();
}
