// The HTML writer's table model and its one renderer: the grids of the
// generic renderer and the tables the custom pages write cell by cell both
// become THtmlRows under a THtmlTable head, rendered a row at a time, so that
// every table of the report looks and behaves alike (widths, header row or
// column, sorting, filter box).
//
//   THtmlTable table;
//   table.fSortable = true;
//   table.fRows.push_back(THtmlRow{true, ...});   // a header row
//   std::string html = HtmlTableStart(table, columns, rows.size(), "t1");
//   for (...) html += HtmlTableRowBreak(...), AppendHtmlTableRow(row, columns, html);
//   html += HtmlTableEnd(rows.size(), rows.size());
#ifndef QZA_HOST_HTML_TABLE_H
#define QZA_HOST_HTML_TABLE_H

#include <cstddef>
#include <string>
#include <vector>

#include "forms/html/html_text.h"
#include "findings/readable_values.h"
#include "writer/table_grid.h"

struct THtmlCell {
  enum EKind { kData, kColumnHeader, kRowHeader, kMessage };

  EKind fKind = kData;
  TCellText fText;       // markup, safe to place as it is
  TCellText fAlternate;  // shown under the text; empty for none
  bool fMonospaced = false;
  bool fSame = false;    // a comparison cell whose value equals the base's
  std::string fClasses;  // further classes of the writer's own
  // Behind a readable text ("32 GiB"): the exact value, shown on hover and
  // on a click, and the key the column sorts by. Empty when the text is exact.
  std::string fExact;
  std::string fSortKey;
  bool fOtherUnit = false;  // shown in another unit than its label may name
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

// A browser shows the body rows of a longer table a page of this many at a
// time (report.js). The rows after the first page follow the table inside
// <noscript>: a browser that runs scripts keeps them as one text, unread,
// until they are shown, so that a log of many thousand records opens at
// once; without scripts they are a second table under the same header.
const size_t kPageRows = 200;

// A table is rendered a piece at a time, so that no table is ever held
// whole: the start holds the leading header rows of table (its settings and
// header only) and announces bodyRows rows of at most columns cells, which
// follow one by one, each after HtmlTableRowBreak, before the end.
std::string HtmlTableStart(const THtmlTable& table, size_t columns, size_t bodyRows, const std::string& id);
// What goes before body row index (from 0): the break after the first page.
std::string HtmlTableRowBreak(const THtmlTable& table, size_t columns, size_t bodyRows, size_t index,
                              const std::string& id);
void AppendHtmlTableRow(const THtmlRow& row, size_t columns, std::string& html);
// The end after rowsBegun rows (their breaks written): all of bodyRows, or
// fewer when the table is abandoned.
std::string HtmlTableEnd(size_t bodyRows, size_t rowsBegun);

// The settings and header row of a grid of the generic renderer; a label
// loses the unit it names when its values show their own.
THtmlTable GridTableHead(const TTableGrid& grid, const TLibraryMarkup& markup, const TReadableValues& readable);
// Body row r of the grid, its cell texts through the markup and its values
// made readable where they can be; the row's texts and sources are taken out
// of the grid.
void TakeGridRow(TTableGrid& grid, int32_t r, const TLibraryMarkup& markup, const TReadableValues& readable,
                 THtmlRow& row);

// Rows held compactly, in order, until their table can be written: a table
// written cell by cell is known only at its end (its row count, whether it
// has a severity column), and the cells of a long log as THtmlCell would
// take several times their text.
class THtmlRowSpool {
 public:
  void Add(const THtmlRow& row);
  size_t Size() const { return fCount; }
  // The rows in the order added, each once.
  void TakeNext(THtmlRow& row);

 private:
  std::vector<std::string> fChunks;
  size_t fCount = 0;
  size_t fReadChunk = 0;
  size_t fReadAt = 0;
};

// Gives a data cell the readable form of the value the library wrote as
// libraryText from sources (in the row of row), when there is one; true
// when it shows another unit than the declared one.
bool MakeReadable(THtmlCell& cell, const TReadableValues& readable, const TReadableValues::TProperties& sources,
                  const std::string& libraryText, const TReadableValues::TRowSources& row = {});
// The sources of the cells of row r of the grid.
TReadableValues::TRowSources RowSourcesOf(const TTableGrid& grid, int32_t r);


#endif
