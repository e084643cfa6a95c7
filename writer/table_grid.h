// The in-memory table that the generic renderer builds and hands, complete,
// to the writer's WriteTableGrid output operation. A reader sees the cells
// row after row: cell (r, c) is Cell(r, c) once fFillByColumn is clear.
//
//   TTableGrid grid(3, 2, false);   // 3 rows, 2 columns
//   grid.Cell(0, 1).fText = "Name";
#ifndef QZA_WRITER_TABLE_GRID_H
#define QZA_WRITER_TABLE_GRID_H

#include <array>
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>
#include <vector>

namespace NVKXQZA20 {
class ICIMProperty;
}

struct TTableCell {
  std::string fText;
  std::string fAlternateText;
  bool fMonospaced = false;
  // Set, all three, on the "--- SAME ---" cells of comparison pages; what
  // they look like is the writer's choice.
  std::array<bool, 3> fMarkers{};
  // The properties a value cell's text was read from, so that a writer may
  // show their values its own way (units, dates); empty for labels and for
  // texts made otherwise. The text itself stays what the library made.
  std::vector<boost::shared_ptr<NVKXQZA20::ICIMProperty>> fSources;
};

struct TTableGrid {
  // rows x columns empty cells, every column 0 wide, table width 100.
  TTableGrid(int32_t rows, int32_t columns, bool passThrough);

  // While fFillByColumn is set, (r, c) addresses the cell in row c, column r:
  // the renderer fills row-style tables with the instance as its first index.
  TTableCell& Cell(int32_t row, int32_t column);
  const TTableCell& Cell(int32_t row, int32_t column) const;

  std::vector<int32_t> fColumnWidths;  // percent of the table width
  int32_t fTableWidth;                 // percent
  bool fSortable;                      // the reader may re-sort the rows
  bool fColumnReport;                  // row 0 holds the labels
  bool fRowReport;                     // column 0 holds the labels
  std::vector<TTableCell> fCells;      // row after row
  bool fFillByColumn;
  int32_t fRows;
  int32_t fColumns;
  bool fPassThrough;                   // the renderer's caller's flag, for the reader
};

#endif
