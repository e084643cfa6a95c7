// The HTML writer's table model and its one renderer: the grids of the
// generic renderer and the tables the custom pages write cell by cell both
// become a THtmlTable, so that every table of the report looks and behaves
// alike (widths, header row or column, sorting, filter box).
//
//   THtmlTable table;
//   table.fSortable = true;
//   table.fRows.push_back(THtmlRow{true, ...});   // a header row
//   std::string html = RenderHtmlTable(table, "t1");
#ifndef QZA_HOST_HTML_TABLE_H
#define QZA_HOST_HTML_TABLE_H

#include <cstddef>
#include <string>
#include <vector>

#include "host/html_text.h"
#include "writer/table_grid.h"

struct THtmlCell {
  enum EKind { kData, kColumnHeader, kRowHeader, kMessage };

  EKind fKind = kData;
  TCellText fText;       // markup, safe to place as it is
  TCellText fAlternate;  // shown under the text; empty for none
  bool fMonospaced = false;
  bool fSame = false;    // a comparison cell whose value equals the base's
  std::string fClasses;  // further classes of the writer's own
};

struct THtmlRow {
  bool fHeader = false;  // part of the header (column labels)
  bool fMember = false;  // a member row that belongs to the row group above
  bool fGroupStart = false;
  std::string fClasses;
  std::string fId;        // for links to the row; "" for none
  std::string fSeverity;  // of a log record: "critical", "error", "warning", "info"; "" for none
  std::vector<THtmlCell> fCells;
};

struct THtmlTable {
  int fWidth = 100;                // percent
  std::vector<int> fColumnWidths;  // percent, 0 for none
  std::string fCaption;            // markup
  bool fCaptionHidden = false;     // the heading above already says it
  bool fSortable = false;
  bool fSeverityToggle = false;  // offers to show only the errors and warnings
  std::vector<THtmlRow> fRows;
};

// Body rows beyond this get a filter box.
const size_t kFilterRowThreshold = 50;

// The table (with its filter box when long) as markup; id names the table.
std::string RenderHtmlTable(const THtmlTable& table, const std::string& id);

// A table too long to hold, rendered a piece at a time: the start holds the
// leading header rows of table and announces bodyRows rows, which follow one
// by one before the end.
std::string HtmlTableStart(const THtmlTable& table, size_t bodyRows, const std::string& id);
void AppendHtmlTableRow(const THtmlRow& row, size_t columns, std::string& html);
std::string HtmlTableEnd(size_t bodyRows);

// A grid of the generic renderer; its cell texts go through the markup.
THtmlTable TableFromGrid(const TTableGrid& grid, const TLibraryMarkup& markup);


#endif
