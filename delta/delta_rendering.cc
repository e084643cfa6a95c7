// Comparison pages: per table of a page definition, the differing property
// values, the instances missing from some data sources and those unique to
// some, each with the instances of its associated tables beneath it.
#include <algorithm>
#include <set>

#include "delta/delta_tree.h"
#include "writer/cim_reading.h"
#include "writer/text_join.h"
#include "writer/trace.h"

using NVKXQZA20::TCIMContext;

namespace {

// The "Data Source" column of a differences grid, in percent of the page.
const int32_t kSourceColumnWidth = 18;
const char kSameValue[] = "--- SAME ---";

// A column's share of a table of the width, as a share of a grid that spans
// usedWidth percent of the page.
int32_t ShareOfGrid(int32_t share, int32_t usedWidth, int32_t tableWidth) {
  if (usedWidth <= 0 || tableWidth <= 0) return 0;
  return static_cast<int32_t>(share / (static_cast<double>(usedWidth) / tableWidth));
}

bool Lists(const std::vector<uint16_t>& sources, uint16_t source) {
  return std::find(sources.begin(), sources.end(), source) != sources.end();
}

}  // namespace

struct TWriter::TChangedColumn {
  const TReportProperty* fColumn;
  // The column's Type 4 delta; empty for an association-derived column
  // whose values differ.
  TInstancePtr fDelta;
  // Percent of the table, and of the page.
  int32_t fShare;
  int32_t fScaledShare;
};

void TWriter::WriteGenericDeltaReport(TReportParameters page) {
  TNamedTraceScope trace("TWriter::WriteGenericDeltaReport");
  OpenPage(PagePath(page.GetLinkName()));
  WritePageHeading();
  BeginPageBody();
  if (page.ShowReportTitle()) WritePageTitle(page.GetReportName(), "", "");
  bool hasContent = false;
  for (TReportClass& table : page.GetClasses()) {
    // Released at the end of each table.
    TClassDeltaPtr tree(new TClassDelta(fNamespace, TClassDeltaPtr(), &table));
    CreateDeltaInstances(tree);
    if (tree->fInstances.empty()) continue;
    hasContent = true;
    if (table.HasTitle()) {
      bool subTitleEnabled = table.SubTitleEnabled();
      bool secondFlag = false;
      WriteTableTitle(table.GetTitle(), subTitleEnabled, secondFlag);
      table.ClearTitle();
    }
    for (const auto& entry : tree->fInstances) {
      if (entry.second->fDeltaTypes & kPropertyDelta) WritePropertyDeltaTable(entry.second);
    }
    for (const auto& entry : tree->fInstances) {
      if (entry.second->fDeltaTypes & kMissingDelta) WriteMissingOrExtraDeltaTable(entry.second, true);
    }
    for (const auto& entry : tree->fInstances) {
      if (entry.second->fDeltaTypes & kUniqueDelta) WriteMissingOrExtraDeltaTable(entry.second, false);
    }
  }
  EndPageBody();
  ClosePage();
  RegisterPage(page.GetLinkName(), page.GetReportName(), hasContent);
}

void TWriter::WriteMissingOrExtraDeltaTable(TInstanceDeltaPtr instanceDelta, bool missing) {
  TClassDeltaPtr classDelta = instanceDelta->fClassDelta.lock();
  if (classDelta->fBackAssociatedClass.expired()) {
    bool subTitleEnabled = true;
    bool secondFlag = true;
    WriteTableTitle(MissingOrExtraTitle(instanceDelta, missing), subTitleEnabled, secondFlag);
  }
  const int source = instanceDelta->LowestLoadedSource();
  if (source >= 0) {
    WriteDeltaInstance(*classDelta->fReportClass, instanceDelta->fInstances[source], static_cast<uint16_t>(source));
  }
  for (const TInstanceDeltaPtr& associated : instanceDelta->Associations()) {
    WriteMissingOrExtraDeltaTable(associated, missing);
  }
  WriteSeparator();
}

// The data sources come from the first delta of the title's own type: a
// Type 4 delta of the same instance lists other data sources.
std::string TWriter::MissingOrExtraTitle(TInstanceDeltaPtr instanceDelta, bool missing) {
  const uint32_t type = missing ? kMissingDelta : kUniqueDelta;
  std::vector<std::string> labels;
  TInstanceDeltaPtr holder = FindDeltaInstanceWithDeltas(instanceDelta, static_cast<unsigned char>(type));
  if (holder) {
    for (uint16_t source : DeltaIndices(*FirstDeltaOfType(holder->fDeltas, type))) {
      if (source < fDataSourceLabels.size()) labels.push_back(fDataSourceLabels[source]);
    }
  }
  return (missing ? "Missing from " : "Unique to ") + JoinTexts(labels, ", ");
}

void TWriter::WriteDeltaInstance(const TReportClass& table, TInstancePtr instance, uint16_t dataSource) {
  WriteTable(table, TInstances(1, instance), false, false, ContextForDataSource(TCIMContext(), dataSource));
}

void TWriter::WritePropertyDeltaTable(TInstanceDeltaPtr instanceDelta) {
  TClassDeltaPtr classDelta = instanceDelta->fClassDelta.lock();
  TReportClass& table = *classDelta->fReportClass;
  table.ClearTitle();
  if (!FirstDeltaOfType(instanceDelta->fDeltas, kPropertyDelta) && instanceDelta->fAssociationValues.empty()) {
    // Reached only through an association: shown for its associated instances.
    const int source = instanceDelta->LowestLoadedSource();
    if (source >= 0) WriteDeltaInstance(table, instanceDelta->fInstances[source], 0);
  } else {
    TInstancePtr base = LoadInstance(fNamespace, instanceDelta->fInstanceName, 0);
    if (!instanceDelta->fInstances.empty()) instanceDelta->fInstances[0] = base;
    if (base) WriteDeltaInstance(table, base, 0);
    bool subTitleEnabled = true;
    bool secondFlag = true;
    WriteTableTitle("Differences", subTitleEnabled, secondFlag);
    WriteDifferenceGrids(*instanceDelta);
  }
  WriteSeparator();
  for (const TInstanceDeltaPtr& associated : instanceDelta->Associations()) WritePropertyDeltaTable(associated);
}

// One grid per group of changed columns that fits the page beside the
// "Data Source" column; a column wider than the page gets a grid of its own.
void TWriter::WriteDifferenceGrids(const TInstanceDelta& instanceDelta) {
  std::set<uint16_t> involved;
  for (const TInstancePtr& delta : instanceDelta.fDeltas) {
    if (DeltaType(*delta) != kPropertyDelta) continue;
    for (uint16_t source : DeltaIndices(*delta)) involved.insert(source);
  }
  for (const auto& values : instanceDelta.fAssociationValues) {
    for (size_t source = 1; source < values.second.size(); ++source) {
      if (!values.second[source].empty()) involved.insert(static_cast<uint16_t>(source));
    }
  }
  std::map<uint16_t, int32_t> rows;
  for (uint16_t source : involved) rows.emplace(source, static_cast<int32_t>(rows.size()) + 1);

  const std::vector<TChangedColumn> changed = ChangedColumns(instanceDelta);
  for (size_t first = 0; first < changed.size();) {
    int32_t usedWidth = kSourceColumnWidth + changed[first].fScaledShare;
    size_t end = first + 1;
    while (end < changed.size() && usedWidth + changed[end].fScaledShare <= 100) {
      usedWidth += changed[end++].fScaledShare;
    }
    const std::vector<TChangedColumn> chunk(changed.begin() + first, changed.begin() + end);
    WriteTableGrid(DifferenceGrid(instanceDelta, chunk, rows, usedWidth));
    first = end;
  }
}

std::vector<TWriter::TChangedColumn> TWriter::ChangedColumns(const TInstanceDelta& instanceDelta) {
  const TReportClass& table = *instanceDelta.fClassDelta.lock()->fReportClass;
  const int32_t tableWidth = TReportParameters::ConvertPercent(table.GetTableWidth());
  const int32_t rowShare = 100 - TReportParameters::ConvertPercent(table.GetRowReportHeaderWidth());
  // The properties of the deltas, read once rather than once per column.
  std::vector<std::pair<std::string, TInstancePtr>> propertyDeltas;
  for (const TInstancePtr& delta : instanceDelta.fDeltas) {
    if (DeltaType(*delta) == kPropertyDelta) propertyDeltas.emplace_back(DeltaText(*delta, "Property"), delta);
  }
  std::vector<TChangedColumn> changed;
  for (const TReportProperty& column : table.GetProperties()) {
    const std::string property = column.GetProperty();
    TInstancePtr columnDelta;
    for (const auto& delta : propertyDeltas) {
      if (delta.first == property) {
        columnDelta = delta.second;
        break;
      }
    }
    if (!columnDelta && instanceDelta.fAssociationValues.count(property) == 0) continue;
    const int32_t share = table.GetReportStyle() == TReportClass::RowReport
                              ? rowShare
                              : TReportParameters::ConvertPercent(column.GetColumnWidth());
    changed.push_back(TChangedColumn{&column, columnDelta, share, share * tableWidth / 100});
  }
  return changed;
}

TTableGrid TWriter::DifferenceGrid(const TInstanceDelta& instanceDelta, const std::vector<TChangedColumn>& chunk,
                                   const std::map<uint16_t, int32_t>& rows, int32_t usedWidth) {
  TTableGrid grid(static_cast<int32_t>(rows.size()) + 1, static_cast<int32_t>(chunk.size()) + 1, false);
  grid.fColumnReport = true;
  grid.fRowReport = true;
  grid.fTableWidth = usedWidth;
  grid.fColumnWidths[0] = ShareOfGrid(kSourceColumnWidth, usedWidth, 100);
  grid.Cell(0, 0).fText = "Data Source";
  if (grid.fRows > 1) grid.Cell(1, 0).fText = DataSourceLabel(0);
  for (const auto& row : rows) grid.Cell(row.second, 0).fText = DataSourceLabel(row.first);

  const TReportClass& table = *instanceDelta.fClassDelta.lock()->fReportClass;
  const TCIMContext base = ContextForDataSource(TCIMContext(), 0);
  boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass = fNamespace->GetClass(table.GetClass(), base);
  const int32_t tableWidth = TReportParameters::ConvertPercent(table.GetTableWidth());
  for (size_t j = 0; j < chunk.size(); ++j) {
    const int32_t column = static_cast<int32_t>(j) + 1;
    grid.fColumnWidths[column] = ShareOfGrid(chunk[j].fShare, usedWidth, tableWidth);
    grid.Cell(0, column).fText = GetTableHeaderLabel(*cimClass, *chunk[j].fColumn, base);
    FillDifferenceColumn(grid, column, chunk[j], instanceDelta, rows);
  }
  return grid;
}

void TWriter::FillDifferenceColumn(TTableGrid& grid, int32_t column, const TChangedColumn& changed,
                                   const TInstanceDelta& instanceDelta, const std::map<uint16_t, int32_t>& rows) {
  const TReportProperty& property = *changed.fColumn;
  if (!changed.fDelta) {
    const std::vector<std::string>& values = instanceDelta.fAssociationValues.at(property.GetProperty());
    for (size_t source = 1; source < values.size(); ++source) {
      if (values[source].empty()) continue;
      TTableCell& cell = grid.Cell(rows.at(static_cast<uint16_t>(source)), column);
      cell.fText = values[source];
      cell.fMonospaced = property.IsMonospaced();
    }
    return;
  }
  const std::vector<uint16_t> sources = DeltaIndices(*changed.fDelta);
  const std::string separator = GetArraySeparatorText(property.GetArrayValueSeparator());
  for (uint16_t source : sources) {
    TTableCell& cell = grid.Cell(rows.at(source), column);
    cell.fMonospaced = property.IsMonospaced();
    // An instance a data source could not give leaves its cell empty.
    if (source >= instanceDelta.fInstances.size() || !instanceDelta.fInstances[source]) continue;
    cell.fSources = GetProperties(instanceDelta.fInstances[source], property.GetProperty(),
                                  property.GetAssociationClass(), property.GetAssociationTarget());
    cell.fText = GetValuesFromProperties(cell.fSources, separator, false);
  }
  if (ComparedSourceCount() < 2) return;
  for (const auto& row : rows) {
    if (row.first == 0 || Lists(sources, row.first)) continue;
    TTableCell& cell = grid.Cell(row.second, column);
    cell.fText = kSameValue;
    cell.fMarkers.fill(true);
  }
}

std::string TWriter::DataSourceLabel(size_t index) const {
  return index < fDataSourceLabels.size() ? fDataSourceLabels[index] : "";
}
