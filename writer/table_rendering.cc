// Generic table rendering of TWriter: table definitions and their instances
// become grids handed to WriteTableGrid, pages become OpenPage..RegisterPage.
#include <algorithm>
#include <iterator>
#include <optional>
#include <sstream>

#include "core/root.h"
#include "writer/cim_reading.h"
#include "writer/trace.h"
#include "writer/writer.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TAddToVectorCallback;
using NVKXQZA20::TCIMContext;

namespace {

const char kNotAvailable[] = "N/A";

bool IsRowReport(const TReportParameters::TReportClass& table) {
  return table.GetReportStyle() == TReportParameters::TReportClass::RowReport;
}

bool AnyHasAlternateValue(const TWriter::TProperties& properties) {
  return std::any_of(properties.begin(), properties.end(), [](const TWriter::TPropertyPtr& property) {
    return property && property->HasAlternateValue();
  });
}

// Sensors report readings in hundredths; sign and point of the text are not
// part of the reading.
std::string ScaledReading(const std::string& text) {
  float reading = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') reading = reading * 10 + (c - '0');
  }
  std::ostringstream out;
  out << reading / 100;
  return out.str();
}

// An install date carries a meaningless midnight time.
std::string WithoutMidnight(std::string date) {
  const size_t midnight = date.find("00:00:00");
  if (midnight != std::string::npos) date.erase(midnight);
  return date;
}

// Patchwell results: Type descending, equal types in Name order.
void OrderPatchwellResults(TWriter::TInstances& results) {
  struct TKeyed {
    std::string fType;
    std::string fName;
    TWriter::TInstancePtr fResult;
  };
  std::vector<TKeyed> keyed;
  for (const TWriter::TInstancePtr& result : results) {
    keyed.push_back({PropertyText(*result, "Type"), PropertyText(*result, "Name"), result});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const TKeyed& a, const TKeyed& b) {
    return a.fType != b.fType ? a.fType > b.fType : a.fName < b.fName;
  });
  for (size_t i = 0; i < keyed.size(); ++i) results[i] = keyed[i].fResult;
}

// Memory modules have a page of their own.
TWriter::TInstances WithoutDIMMs(const TWriter::TInstances& units) {
  TWriter::TInstances kept;
  std::copy_if(units.begin(), units.end(), std::back_inserter(kept), [](const TWriter::TInstancePtr& unit) {
    return PropertyText(*unit, "Name").find("DIMM") == std::string::npos;
  });
  return kept;
}

}  // namespace

std::string TWriter::PagePath(const std::string& linkName) const {
  return fOutputFolder + NVKXQZA20::TOSSpecific::kFileSeparator + linkName;
}

bool TWriter::WriteTable(TReportClass table, TInstances instances, bool oneInstancePerTable,
                         bool passThrough, TCIMContext context) {
  TTraceScope trace("TWriter::WriteTable -- Entering", "TWriter::WriteTable -- Exiting");
  LogLine(3, "TWriter::WriteTable -- Current table title = " + table.GetTitle());
  table.Validate();
  if (table.HasTitle()) {
    bool subTitleEnabled = table.SubTitleEnabled();
    bool secondFlag = false;
    WriteTableTitle(table.GetTitle(), subTitleEnabled, secondFlag);
  }
  const bool tablePerInstance = table.HasAssociatedClass() && oneInstancePerTable;
  // A limit below one would leave no room for an instance.
  const int32_t limit = std::max(1, table.GetMaxInstancesPerTable());
  const int32_t count = static_cast<int32_t>(instances.size());
  int32_t slots = tablePerInstance ? 1 : std::min(count, limit);
  std::optional<TTableGrid> grid;
  int32_t row = 0;
  for (int32_t i = 0; i < count; ++i) {
    if (!grid) grid = NewGrid(table, slots, passThrough);
    ++row;
    if (row == 1) FillLabels(*grid, table, instances[i], context);
    FillRow(*grid, row, table, instances[i]);
    if (!tablePerInstance && row < limit) continue;
    OutputGrid(*grid);
    row = 0;
    if (tablePerInstance) {
      WriteAssociatedTables(table, instances[i], oneInstancePerTable, passThrough, context);
      continue;
    }
    const int32_t remaining = count - (i + 1);
    if (remaining == 0 || remaining >= limit) continue;
    if (IsRowReport(table)) {
      *grid = NarrowedRowGrid(*grid, remaining);
    } else {
      grid.reset();
      slots = remaining;
    }
  }
  if (grid && row > 0) OutputGrid(*grid);
  return false;
}

TTableGrid TWriter::NewGrid(const TReportClass& table, int32_t instanceSlots, bool passThrough) const {
  const std::vector<TReportProperty>& columns = table.GetProperties();
  const int32_t properties = static_cast<int32_t>(columns.size());
  TTableGrid grid = IsRowReport(table) ? TTableGrid(properties, instanceSlots + 1, passThrough)
                                       : TTableGrid(instanceSlots + 1, properties, passThrough);
  if (IsRowReport(table)) {
    grid.fRowReport = true;
    grid.fFillByColumn = true;
    const int32_t labelWidth = TReportParameters::ConvertPercent(table.GetRowReportHeaderWidth());
    grid.fColumnWidths[0] = labelWidth;
    for (int32_t c = 1; c <= instanceSlots; ++c) grid.fColumnWidths[c] = (100 - labelWidth) / instanceSlots;
  } else {
    grid.fColumnReport = true;
    for (int32_t j = 0; j < properties; ++j) {
      grid.fColumnWidths[j] = TReportParameters::ConvertPercent(columns[j].GetColumnWidth());
    }
  }
  grid.fTableWidth = TReportParameters::ConvertPercent(table.GetTableWidth());
  grid.fSortable = table.IsTableSortable();
  return grid;
}

// The last, narrower grid of a row-style table keeps the absolute width of
// every column: the table shrinks to the columns it keeps.
TTableGrid TWriter::NarrowedRowGrid(const TTableGrid& grid, int32_t instanceSlots) {
  TTableGrid narrowed(grid.fRows, instanceSlots + 1, grid.fPassThrough);
  int32_t keptWidth = 0;
  for (int32_t c = 0; c <= instanceSlots; ++c) keptWidth += grid.fColumnWidths[c];
  narrowed.fTableWidth = grid.fTableWidth * keptWidth / 100;
  for (int32_t c = 0; c <= instanceSlots; ++c) {
    // Columns that were all 0 wide stay so.
    narrowed.fColumnWidths[c] = keptWidth == 0 ? 0 : grid.fColumnWidths[c] * 100 / keptWidth;
  }
  narrowed.fRowReport = true;
  narrowed.fSortable = grid.fSortable;
  narrowed.fFillByColumn = grid.fFillByColumn;
  return narrowed;
}

void TWriter::FillLabels(TTableGrid& grid, const TReportClass& table, TInstancePtr instance,
                         const TCIMContext& context) {
  const std::vector<TReportProperty>& columns = table.GetProperties();
  boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass = instance->GetClass();
  for (size_t j = 0; j < columns.size(); ++j) {
    TTableCell label;
    label.fText = GetTableHeaderLabel(*cimClass, columns[j], context);
    grid.Cell(0, static_cast<int32_t>(j)) = label;
  }
}

void TWriter::FillRow(TTableGrid& grid, int32_t row, const TReportClass& table, TInstancePtr instance) {
  const std::vector<TReportProperty>& columns = table.GetProperties();
  bool rowShowsNotAvailable = false;
  for (size_t j = 0; j < columns.size(); ++j) {
    grid.Cell(row, static_cast<int32_t>(j)) =
        MakeValueCell(table, columns[j], instance, j == 0, rowShowsNotAvailable);
  }
}

// A fresh cell per instance, so that a reused grid keeps nothing of the
// instance before.
TTableCell TWriter::MakeValueCell(const TReportClass& table, const TReportProperty& column,
                                  TInstancePtr instance, bool firstColumn, bool& rowShowsNotAvailable) {
  const std::string name = column.GetProperty();
  TProperties properties =
      GetProperties(instance, name, column.GetAssociationClass(), column.GetAssociationTarget());
  if (column.HasSecondaryAssociationTarget() && properties.empty()) {
    properties = GetProperties(instance, name, "", column.GetSecondaryAssociationTarget());
  }
  TTableCell cell;
  cell.fMonospaced = column.IsMonospaced();
  const std::string separator = GetArraySeparatorText(column.GetArrayValueSeparator());
  std::string text = GetValuesFromProperties(properties, separator, false);
  if (AnyHasAlternateValue(properties)) {
    std::string alternate = GetValuesFromProperties(properties, separator, true);
    if (firstColumn) {
      if (!text.empty() && text == alternate) {
        text = kNotAvailable;
        rowShowsNotAvailable = true;
      } else if (alternate.empty()) {
        alternate = kNotAvailable;
      }
    } else if (rowShowsNotAvailable) {
      alternate.clear();
    }
    if (alternate == text) alternate.clear();
    cell.fAlternateText = alternate;
  }
  cell.fText = AdjustCellText(table, name, text);
  return cell;
}

std::string TWriter::AdjustCellText(const TReportClass& table, const std::string& propertyName,
                                    std::string text) {
  const std::string className = table.GetClass();
  if (className == "VKXSG_Process") text = ConvertStrToNumType(text, propertyName);
  if (propertyName == "ProductInstallDate") {
    LogLine(3, "Property name = " + propertyName);
    text = WithoutMidnight(text);
    LogLine(3, "Property value = " + text);
  }
  if (className == "CIM_NumericSensor" && propertyName == "CurrentReading") text = ScaledReading(text);
  return text;
}

// The reader always sees the cells row after row.
void TWriter::OutputGrid(TTableGrid& grid) {
  const bool fillByColumn = grid.fFillByColumn;
  grid.fFillByColumn = false;
  WriteTableGrid(grid);
  grid.fFillByColumn = fillByColumn;
}

void TWriter::WriteAssociatedTables(const TReportClass& table, TInstancePtr instance,
                                    bool oneInstancePerTable, bool passThrough,
                                    const TCIMContext& context) {
  for (const TReportClass& associatedTable : table.GetAssociatedClasses()) {
    TInstances associated;
    instance->Associators(TAddToVectorCallback<ICIMInstance>(associated),
                          associatedTable.GetAssocClass(), associatedTable.GetResultClass(),
                          associatedTable.GetRole(), associatedTable.GetResultRole());
    if (associated.empty()) continue;
    SortInstances(associated, associatedTable.GetInstanceSorter());
    WriteTable(associatedTable, associated, oneInstancePerTable, passThrough, context);
  }
}

void TWriter::WriteGenericReport(TReportParameters page) {
  TTraceScope trace("TWriter::WriteGenericReport -- Enter", "TWriter::WriteGenericReport -- Exiting ");
  LogLine(3, "TWriter::WriteGenericReport -- Current report name is " + page.GetReportName());
  bool hasContent = false;
  OpenPage(PagePath(page.GetLinkName()));
  WritePageHeading();
  BeginPageBody();
  if (page.ShowReportTitle()) WritePageTitle(page.GetReportName(), "", "");
  for (const TReportClass& table : page.GetClasses()) {
    if (WriteGenericTable(table)) hasContent = true;
  }
  EndPageBody();
  ClosePage();
  // The default mode does not announce its error log as a page with data.
  if (fMode == "default" && page.GetReportName() == "QZA Error Log") hasContent = false;
  RegisterPage(page.GetLinkName(), page.GetReportName(), hasContent);
}

bool TWriter::WriteGenericTable(const TReportClass& table) {
  TInstances instances = GetInstances(table);
  const std::string className = table.GetClass();
  if (className == "VKXSG_PWResult") OrderPatchwellResults(instances);
  if (className == "VKXSG_SPDData") return WriteTableInGroups(table, instances, kSPDDataPerTable);
  if (className == "VKXSG_FRU") {
    WriteTable(table, WithoutDIMMs(instances), true, false, TCIMContext());
    return true;
  }
  if (instances.empty()) return false;
  WriteTable(table, instances, true, false, TCIMContext());
  return true;
}

void TWriter::WriteGenericReportWithLink(TReportParameters page, const std::string& rawDataLink) {
  TTraceScope trace("TWriter::WriteGenericReport -- Entering ", "Exiting TWriter::WriteGenericReport");
  LogLine(3, "TWriter::WriteGenericReport -- Current report name = " + page.GetReportName());
  bool hasContent = false;
  OpenPage(PagePath(page.GetLinkName()));
  BeginPageBody();
  if (fWriterType == "html") {
    if (fMode == "luz") {
      WritePageTitle(page.GetReportName(), " - [Show Rawdata Report]", rawDataLink);
    } else {
      WritePageTitle(page.GetReportName(), "", "");
    }
  }
  for (const TReportClass& table : page.GetClasses()) {
    const TInstances instances = GetInstances(table);
    if (instances.empty()) continue;
    hasContent = true;
    WriteTable(table, instances, true, false, TCIMContext());
  }
  EndPageBody();
  ClosePage();
  RegisterPage(page.GetLinkName(), page.GetReportName(), hasContent);
}
