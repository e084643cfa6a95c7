#include "host/html_table.h"

#include <algorithm>
#include <cctype>

namespace {

const char kSameText[] = "--- SAME ---";
// Tables with this many columns keep a readable width on a phone and scroll.
const size_t kWideTableColumns = 6;

size_t ColumnCount(const THtmlTable& table) {
  size_t columns = table.fColumnWidths.size();
  for (const THtmlRow& row : table.fRows) columns = std::max(columns, row.fCells.size());
  return columns;
}

size_t LeadingHeaderRows(const THtmlTable& table) {
  size_t count = 0;
  while (count < table.fRows.size() && table.fRows[count].fHeader) ++count;
  return count;
}

// Class names of an element, written as one attribute (none when empty).
class TClassList {
 public:
  TClassList& Add(bool on, const char* name) {
    if (on) Add(name);
    return *this;
  }
  TClassList& Add(const std::string& names) {
    if (names.empty()) return *this;
    if (!fNames.empty()) fNames += ' ';
    fNames += names;
    return *this;
  }
  void AppendTo(std::string& html) const {
    if (fNames.empty()) return;
    html += " class=\"";
    html += fNames;
    html += '"';
  }

 private:
  std::string fNames;
};

std::string WidthStyle(int percent) {
  return percent > 0 && percent < 100 ? " style=\"width:" + std::to_string(percent) + "%\"" : "";
}

// A run of this many characters without a blank may wrap anywhere, so that
// one long token (a path, a kernel version) does not widen its column.
const size_t kLongToken = 20;

bool HasLongToken(const std::string& text) {
  size_t run = 0;
  for (char c : text) {
    run = std::isspace(static_cast<unsigned char>(c)) ? 0 : run + 1;
    if (run > kLongToken) return true;
  }
  return false;
}

// Whether text from at on has the shape, '9' standing for any digit.
bool HasShape(const std::string& text, size_t at, const char* shape) {
  for (; *shape != '\0'; ++shape, ++at) {
    if (at >= text.size()) return false;
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (*shape == '9' ? !std::isdigit(c) : c != static_cast<unsigned char>(*shape)) return false;
  }
  return true;
}

// A date with its time (2026-05-03 08:07:13, with fractions or a zone after
// it) reads as one value and is kept on one line.
const size_t kMaxTimestampLength = 40;

bool IsTimestamp(const std::string& text) {
  if (text.size() > kMaxTimestampLength || !HasShape(text, 0, "9999-99-99")) return false;
  if (text.size() == 10) return true;
  return (text[10] == ' ' || text[10] == 'T') && HasShape(text, 11, "99:99") &&
         std::count(text.begin() + 16, text.end(), ' ') <= 1;
}

// Cells and rows are appended to the table's markup: large tables make
// millions of them.
void RenderCell(const THtmlCell& cell, size_t columnSpan, std::string& html) {
  const bool header = cell.fKind == THtmlCell::kColumnHeader || cell.fKind == THtmlCell::kRowHeader;
  html += header ? "<th" : "<td";
  if (cell.fKind == THtmlCell::kColumnHeader) html += " scope=\"col\"";
  if (cell.fKind == THtmlCell::kRowHeader) html += " scope=\"row\"";
  if (columnSpan > 1) html += " colspan=\"" + std::to_string(columnSpan) + "\"";
  TClassList()
      .Add(cell.fMonospaced, "mono")
      .Add(cell.fSame, "same")
      .Add(cell.fKind == THtmlCell::kMessage, "message")
      .Add(HasLongToken(cell.fText.fPlain), "long")
      .Add(IsTimestamp(cell.fText.fPlain), "time")
      .Add(cell.fClasses)
      .AppendTo(html);
  const bool hasAlternate = !cell.fAlternate.fPlain.empty();
  if (hasAlternate) html += " title=\"Alternate value: " + EncodeHtmlText(cell.fAlternate.fPlain) + "\"";
  if (hasAlternate || !cell.fSortKey.empty()) {
    html += " data-v=\"" + EncodeHtmlText(cell.fSortKey.empty() ? cell.fText.fPlain : cell.fSortKey) + "\"";
  }
  html += '>';
  if (cell.fExact.empty()) {
    html += cell.fText.fHtml;
  } else {
    const std::string exact = EncodeHtmlText(cell.fExact);
    html += "<span class=\"readable\" tabindex=\"0\" title=\"" + exact + "\" data-exact=\"" + exact + "\">" +
            cell.fText.fHtml + "</span>";
  }
  if (hasAlternate) html += "<span class=\"alt\">" + cell.fAlternate.fHtml + "</span>";
  html += header ? "</th>" : "</td>";
}

std::string RenderColumnGroup(const THtmlTable& table) {
  if (std::none_of(table.fColumnWidths.begin(), table.fColumnWidths.end(), [](int w) { return w > 0; })) {
    return "";
  }
  std::string html = "<colgroup>";
  for (int width : table.fColumnWidths) html += "<col" + WidthStyle(width) + ">";
  return html + "</colgroup>\n";
}

std::string RenderFilterBox(const std::string& id, size_t bodyRows) {
  return "<input type=\"search\" class=\"filter\" data-table=\"" + id + "\" placeholder=\"Filter these " +
         std::to_string(bodyRows) + " rows\" aria-label=\"Filter the rows of the table below\">";
}

std::string RenderSeverityToggle(const std::string& id) {
  return "<label class=\"sev-toggle\"><input type=\"checkbox\" class=\"sev-only\" data-table=\"" + id +
         "\"> Errors and warnings only</label>";
}

std::string RenderTableTools(const THtmlTable& table, const std::string& id, size_t bodyRows) {
  const bool filter = bodyRows > kFilterRowThreshold;
  if (!filter && !table.fSeverityToggle) return "";
  return "<div class=\"table-tools\">" + (filter ? RenderFilterBox(id, bodyRows) : "") +
         (table.fSeverityToggle ? RenderSeverityToggle(id) : "") + "<span class=\"filter-count\" id=\"" + id +
         "-count\" aria-live=\"polite\"></span></div>\n";
}

// The table up to its first body row; a table without id is the rest of
// the rows of a long one and has no caption.
std::string TableOpening(const THtmlTable& table, size_t bodyRows, const std::string& id) {
  const size_t columns = ColumnCount(table);
  const size_t headerRows = LeadingHeaderRows(table);
  const bool sortable = table.fSortable && headerRows > 0 && bodyRows > 1;
  std::string html = "<div class=\"table-wrap\"><table";
  if (!id.empty()) html += " id=\"" + id + "\"";
  TClassList().Add(true, "grid").Add(sortable, "sortable").Add(columns >= kWideTableColumns, "wide").AppendTo(html);
  html += WidthStyle(table.fWidth) + ">\n";
  if (!table.fCaption.empty() && !id.empty()) {
    html += "<caption" + std::string(table.fCaptionHidden ? " class=\"visually-hidden\"" : "") + ">" + table.fCaption +
            "</caption>\n";
  }
  html += RenderColumnGroup(table);
  if (headerRows > 0) {
    html += "<thead>\n";
    for (size_t r = 0; r < headerRows; ++r) AppendHtmlTableRow(table.fRows[r], columns, html);
    html += "</thead>\n";
  }
  if (bodyRows > 0) html += "<tbody>\n";
  return html;
}

THtmlCell::EKind GridCellKind(const TTableGrid& grid, int32_t row, int32_t column) {
  if (grid.fColumnReport && row == 0) return THtmlCell::kColumnHeader;
  if (grid.fRowReport && column == 0) return THtmlCell::kRowHeader;
  return THtmlCell::kData;
}

}  // namespace

std::string RenderHtmlTable(const THtmlTable& table, const std::string& id) {
  const size_t columns = ColumnCount(table);
  const size_t headerRows = LeadingHeaderRows(table);
  const size_t bodyRows = table.fRows.size() - headerRows;
  std::string html = HtmlTableStart(table, bodyRows, id);
  for (size_t r = headerRows; r < table.fRows.size(); ++r) {
    html += HtmlTableRowBreak(table, bodyRows, r - headerRows, id);
    AppendHtmlTableRow(table.fRows[r], columns, html);
  }
  return html + HtmlTableEnd(bodyRows, bodyRows);
}

std::string HtmlTableStart(const THtmlTable& table, size_t bodyRows, const std::string& id) {
  std::string html = RenderTableTools(table, id, bodyRows);
  return html + TableOpening(table, bodyRows, id);
}

// The rest of the rows repeat the header, without the table's id and caption.
std::string HtmlTableRowBreak(const THtmlTable& table, size_t bodyRows, size_t index, const std::string& id) {
  if (bodyRows <= kPageRows || index != kPageRows) return "";
  return "</tbody>\n</table></div>\n<noscript class=\"more-rows\" data-table=\"" + id + "\">" +
         TableOpening(table, bodyRows, "");
}

void AppendHtmlTableRow(const THtmlRow& row, size_t columns, std::string& html) {
  html += "<tr";
  if (!row.fId.empty()) html += " id=\"" + row.fId + "\"";
  if (!row.fSeverity.empty()) html += " data-sev=\"" + row.fSeverity + "\"";
  TClassList().Add(row.fMember, "member").Add(row.fGroupStart, "group-start").Add(row.fClasses).AppendTo(html);
  html += '>';
  for (size_t c = 0; c < row.fCells.size(); ++c) {
    const THtmlCell& cell = row.fCells[c];
    // A message fills the rest of its row.
    size_t span = cell.fKind == THtmlCell::kMessage && c + 1 == row.fCells.size() ? columns - c : 1;
    RenderCell(cell, span, html);
  }
  html += "</tr>\n";
}

std::string HtmlTableEnd(size_t bodyRows, size_t rowsBegun) {
  return std::string(bodyRows > 0 ? "</tbody>\n" : "") + "</table></div>\n" +
         (bodyRows > kPageRows && rowsBegun > kPageRows ? "</noscript>\n" : "");
}

void MakeReadable(THtmlCell& cell, const TReadableValues& readable, const TReadableValues::TProperties& sources,
                  const std::string& libraryText) {
  if (cell.fKind != THtmlCell::kData) return;
  const std::optional<TReadableValue> shown = readable.Of(sources, libraryText);
  if (!shown) return;
  cell.fText = TCellText{EncodeHtmlText(shown->fText), shown->fText};
  cell.fExact = shown->fExact;
  cell.fSortKey = shown->fSortKey;
}

THtmlTable TableFromGrid(const TTableGrid& grid, const TLibraryMarkup& markup, const TReadableValues& readable) {
  THtmlTable table;
  table.fWidth = grid.fTableWidth;
  table.fColumnWidths.assign(grid.fColumnWidths.begin(), grid.fColumnWidths.end());
  table.fSortable = grid.fSortable;
  table.fRows.reserve(std::max(grid.fRows, 0));
  for (int32_t r = 0; r < grid.fRows; ++r) {
    THtmlRow row;
    row.fHeader = grid.fColumnReport && r == 0;
    row.fCells.reserve(std::max(grid.fColumns, 0));
    for (int32_t c = 0; c < grid.fColumns; ++c) {
      const TTableCell& source = grid.Cell(r, c);
      THtmlCell cell;
      cell.fKind = GridCellKind(grid, r, c);
      cell.fText = markup.Of(source.fText);
      cell.fAlternate = markup.Of(source.fAlternateText);
      cell.fMonospaced = source.fMonospaced;
      cell.fSame = source.fText == kSameText;
      MakeReadable(cell, readable, source.fSources, source.fText);
      row.fCells.push_back(std::move(cell));
    }
    table.fRows.push_back(std::move(row));
  }
  return table;
}
