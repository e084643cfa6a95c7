#include "writer/table_renderer.h"

#include <algorithm>
#include <optional>

#include "writer/table_queries.h"
#include "writer/trace.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TAddToVectorCallback;
using NVKXQZA20::TCIMContext;

namespace {

const char kNotAvailable[] = "N/A";

bool IsRowReport(const TReportParameters::TReportClass& table) {
  return table.GetReportStyle() == TReportParameters::TReportClass::RowReport;
}

bool AnyHasAlternateValue(const TTableRenderingHooks::TProperties& properties) {
  return std::any_of(properties.begin(), properties.end(),
                     [](const boost::shared_ptr<NVKXQZA20::ICIMProperty>& property) {
                       return property && property->HasAlternateValue();
                     });
}

}  // namespace

TTableRenderer::TTableRenderer(TTableRenderingHooks hooks, std::string traceScope)
    : fHooks(std::move(hooks)), fTraceScope(std::move(traceScope)) {}

void TTableRenderer::WriteTable(const TReportClass& table, const TInstances& instances, bool oneInstancePerTable,
                                bool passThrough, const TCIMContext& context) const {
  TNamedTraceScope trace(fTraceScope);
  LogLine(3, fTraceScope + " -- Current table title = " + table.GetTitle());
  table.Validate();
  if (table.HasTitle()) {
    bool subTitleEnabled = table.SubTitleEnabled();
    bool secondFlag = false;
    fHooks.fWriteTableTitle(table.GetTitle(), subTitleEnabled, secondFlag);
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
    OutputGrid(*grid, i + 1 == count);
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
  if (grid && row > 0) OutputGrid(*grid, true);
}

TTableGrid TTableRenderer::NewGrid(const TReportClass& table, int32_t instanceSlots, bool passThrough) const {
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
TTableGrid TTableRenderer::NarrowedRowGrid(const TTableGrid& grid, int32_t instanceSlots) {
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

void TTableRenderer::FillLabels(TTableGrid& grid, const TReportClass& table, TInstancePtr instance,
                                const TCIMContext& context) const {
  const std::vector<TReportProperty>& columns = table.GetProperties();
  boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass = instance->GetClass();
  for (size_t j = 0; j < columns.size(); ++j) {
    TTableCell label;
    label.fText = fHooks.fColumnLabel(*cimClass, columns[j], context);
    grid.Cell(0, static_cast<int32_t>(j)) = label;
  }
}

void TTableRenderer::FillRow(TTableGrid& grid, int32_t row, const TReportClass& table, TInstancePtr instance) const {
  const std::vector<TReportProperty>& columns = table.GetProperties();
  bool rowShowsNotAvailable = false;
  for (size_t j = 0; j < columns.size(); ++j) {
    grid.Cell(row, static_cast<int32_t>(j)) =
        MakeValueCell(table, columns[j], instance, j == 0, rowShowsNotAvailable);
  }
}

// A fresh cell per instance, so that a reused grid keeps nothing of the
// instance before.
TTableCell TTableRenderer::MakeValueCell(const TReportClass& table, const TReportProperty& column,
                                         TInstancePtr instance, bool firstColumn, bool& rowShowsNotAvailable) const {
  const std::string name = column.GetProperty();
  TTableRenderingHooks::TProperties properties =
      fHooks.fColumnProperties(instance, name, column.GetAssociationClass(), column.GetAssociationTarget());
  if (column.HasSecondaryAssociationTarget() && properties.empty()) {
    properties = fHooks.fColumnProperties(instance, name, "", column.GetSecondaryAssociationTarget());
  }
  TTableCell cell;
  cell.fMonospaced = column.IsMonospaced();
  const std::string separator = fHooks.fSeparatorText(column.GetArrayValueSeparator());
  std::string text = fHooks.fValuesText(properties, separator, false);
  if (AnyHasAlternateValue(properties)) {
    std::string alternate = fHooks.fValuesText(properties, separator, true);
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
  cell.fText = fHooks.fCellText ? fHooks.fCellText(table, name, instance, text) : text;
  cell.fSources = std::move(properties);
  return cell;
}

// The reader always sees the cells row after row. A grid that is not
// needed again is handed over rather than copied: a table of many thousand
// rows would otherwise be held twice.
void TTableRenderer::OutputGrid(TTableGrid& grid, bool last) const {
  const bool fillByColumn = grid.fFillByColumn;
  grid.fFillByColumn = false;
  if (last) {
    fHooks.fWriteTableGrid(std::move(grid));
    return;
  }
  fHooks.fWriteTableGrid(grid);
  grid.fFillByColumn = fillByColumn;
}

void TTableRenderer::WriteAssociatedTables(const TReportClass& table, TInstancePtr instance, bool oneInstancePerTable,
                                           bool passThrough, const TCIMContext& context) const {
  for (const TReportClass& associatedTable : table.GetAssociatedClasses()) {
    TInstances associated;
    instance->Associators(TAddToVectorCallback<ICIMInstance>(associated), associatedTable.GetAssocClass(),
                          associatedTable.GetResultClass(), associatedTable.GetRole(),
                          associatedTable.GetResultRole());
    if (associated.empty()) continue;
    OrderInstances(associated, associatedTable.GetInstanceSorter());
    WriteTable(associatedTable, associated, oneInstancePerTable, passThrough, context);
  }
}
