#include "writer/table_grid.h"

TTableGrid::TTableGrid(int32_t rows, int32_t columns, bool passThrough)
    : fColumnWidths(columns, 0),
      fTableWidth(100),
      fSortable(false),
      fColumnReport(false),
      fRowReport(false),
      fCells(static_cast<size_t>(rows) * columns),
      fFillByColumn(false),
      fRows(rows),
      fColumns(columns),
      fPassThrough(passThrough) {}

TTableCell& TTableGrid::Cell(int32_t row, int32_t column) {
  return fFillByColumn ? fCells.at(static_cast<size_t>(column) * fColumns + row)
                       : fCells.at(static_cast<size_t>(row) * fColumns + column);
}

const TTableCell& TTableGrid::Cell(int32_t row, int32_t column) const {
  return const_cast<TTableGrid*>(this)->Cell(row, column);
}
