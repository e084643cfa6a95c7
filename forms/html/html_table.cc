#include "forms/html/html_table.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "forms/log_columns.h"

namespace {

const char kSameText[] = "--- SAME ---";
// Tables with this many columns keep a readable width on a phone and scroll.
const size_t kWideTableColumns = 6;

size_t LeadingHeaderRows(const THtmlTable& table) {
  size_t count = 0;
  while (count < table.fRows.size() && table.fRows[count].fHeader) ++count;
  return count;
}

// Class names of an element, written straight into its markup as one
// attribute (none when empty): every cell of a large table has one.
class TClassList {
 public:
  explicit TClassList(std::string& html) : fHtml(html) {}
  TClassList& Add(bool on, const char* name) {
    if (on) Add(std::string_view(name));
    return *this;
  }
  TClassList& Add(std::string_view names) {
    if (names.empty()) return *this;
    fHtml += fEmpty ? " class=\"" : " ";
    fHtml += names;
    fEmpty = false;
    return *this;
  }
  void Close() {
    if (!fEmpty) fHtml += '"';
  }

 private:
  std::string& fHtml;
  bool fEmpty = true;
};

std::string WidthStyle(int percent) {
  return percent > 0 && percent < 100 ? " style=\"width:" + std::to_string(percent) + "%\"" : "";
}

// A run of this many characters without a blank may wrap anywhere, so that
// one long token (a path, a kernel version) does not widen its column.
const size_t kLongToken = 20;

// std::isspace of the C locale, inline: every cell of every table is read.
bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool HasLongToken(const std::string& text) {
  size_t run = 0;
  for (char c : text) {
    run = IsWhiteSpace(c) ? 0 : run + 1;
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

// Cells and rows are appended to the table's markup, piece by piece: large
// tables make millions of them.
void RenderCell(const THtmlCell& cell, size_t columnSpan, std::string& html) {
  const bool header = cell.fKind == THtmlCell::kColumnHeader || cell.fKind == THtmlCell::kRowHeader;
  html += header ? "<th" : "<td";
  if (cell.fKind == THtmlCell::kColumnHeader) html += " scope=\"col\"";
  if (cell.fKind == THtmlCell::kRowHeader) html += " scope=\"row\"";
  if (columnSpan > 1) html += " colspan=\"" + std::to_string(columnSpan) + "\"";
  TClassList(html)
      .Add(cell.fMonospaced, "mono")
      .Add(cell.fSame, "same")
      .Add(cell.fKind == THtmlCell::kMessage, "message")
      .Add(HasLongToken(cell.fText.fPlain), "long")
      .Add(IsTimestamp(cell.fText.fPlain), "time")
      .Add(cell.fClasses)
      .Close();
  const bool hasAlternate = !cell.fAlternate.fPlain.empty();
  if (hasAlternate) html += " title=\"Alternate value: " + EncodeHtmlText(cell.fAlternate.fPlain) + "\"";
  if (hasAlternate || !cell.fSortKey.empty()) {
    html += " data-v=\"";
    html += EncodeHtmlText(cell.fSortKey.empty() ? cell.fText.fPlain : cell.fSortKey);
    html += '"';
  }
  html += '>';
  if (cell.fExact.empty()) {
    html += cell.fText.fHtml;
  } else {
    const std::string exact = EncodeHtmlText(cell.fExact);
    html += "<span class=\"readable\" tabindex=\"0\" title=\"";
    html += exact;
    html += "\" data-exact=\"";
    html += exact;
    html += "\">";
    html += cell.fText.fHtml;
    html += "</span>";
  }
  if (hasAlternate) html += "<span class=\"alt\">" + cell.fAlternate.fHtml + "</span>";
  html += header ? "</th>" : "</td>";
}

// The column of free text (a log's message) in the table's header row; -1
// for none.
int FreeTextColumn(const THtmlTable& table) {
  if (table.fRows.empty() || !table.fRows.front().fHeader) return -1;
  const std::vector<THtmlCell>& labels = table.fRows.front().fCells;
  for (size_t c = 0; c < labels.size(); ++c) {
    if (IsFreeTextLabel(labels[c].fText.fPlain)) return static_cast<int>(c);
  }
  return -1;
}

// The free-text column takes the width the others leave; they are as
// narrow as their longest words.
std::string RenderFreeTextColumnGroup(size_t columns, size_t freeText) {
  std::string html = "<colgroup>";
  for (size_t c = 0; c < columns; ++c) html += c == freeText ? "<col class=\"free\">" : "<col class=\"fit\">";
  return html + "</colgroup>\n";
}

std::string RenderColumnGroup(const THtmlTable& table, size_t columns) {
  const int freeText = FreeTextColumn(table);
  if (freeText >= 0) return RenderFreeTextColumnGroup(columns, static_cast<size_t>(freeText));
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

// A header row as shown: the free-text column's label marked, since its
// width holds the column open against the others' long words.
THtmlRow HeaderRow(const THtmlTable& table, size_t r) {
  THtmlRow row = table.fRows[r];
  const int freeText = FreeTextColumn(table);
  if (r == 0 && freeText >= 0) {
    std::string& classes = row.fCells[static_cast<size_t>(freeText)].fClasses;
    classes += classes.empty() ? "free" : " free";
  }
  return row;
}

// The table up to its first body row; a table without id is the rest of
// the rows of a long one and has no caption.
std::string TableOpening(const THtmlTable& table, size_t columns, size_t bodyRows, const std::string& id) {
  const size_t headerRows = LeadingHeaderRows(table);
  const bool sortable = table.fSortable && headerRows > 0 && bodyRows > 1;
  std::string html = "<div class=\"table-wrap\"><table";
  if (!id.empty()) html += " id=\"" + id + "\"";
  TClassList(html)
      .Add(true, "grid")
      .Add(sortable, "sortable")
      .Add(columns >= kWideTableColumns, "wide")
      .Add(FreeTextColumn(table) >= 0, "free-text")
      .Close();
  html += WidthStyle(table.fWidth) + ">\n";
  if (!table.fCaption.empty() && !id.empty()) {
    html += "<caption" + std::string(table.fCaptionHidden ? " class=\"visually-hidden\"" : "") + ">" + table.fCaption +
            "</caption>\n";
  }
  html += RenderColumnGroup(table, columns);
  if (headerRows > 0) {
    html += "<thead>\n";
    for (size_t r = 0; r < headerRows; ++r) AppendHtmlTableRow(HeaderRow(table, r), columns, html);
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

std::string HtmlTableStart(const THtmlTable& table, size_t columns, size_t bodyRows, const std::string& id) {
  std::string html = RenderTableTools(table, id, bodyRows);
  return html + TableOpening(table, columns, bodyRows, id);
}

// The rest of the rows repeat the header, without the table's id and caption.
std::string HtmlTableRowBreak(const THtmlTable& table, size_t columns, size_t bodyRows, size_t index,
                              const std::string& id) {
  if (bodyRows <= kPageRows || index != kPageRows) return "";
  return "</tbody>\n</table></div>\n<noscript class=\"more-rows\" data-table=\"" + id + "\">" +
         TableOpening(table, columns, bodyRows, "");
}

void AppendHtmlTableRow(const THtmlRow& row, size_t columns, std::string& html) {
  html += "<tr";
  if (!row.fId.empty()) html += " id=\"" + row.fId + "\"";
  if (!row.fSeverity.empty()) html += " data-sev=\"" + row.fSeverity + "\"";
  TClassList(html).Add(row.fMember, "member").Add(row.fGroupStart, "group-start").Add(row.fClasses).Close();
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

bool MakeReadable(THtmlCell& cell, const TReadableValues& readable, const TReadableValues::TProperties& sources,
                  const std::string& libraryText, const TReadableValues::TRowSources& row) {
  if (cell.fKind != THtmlCell::kData) return false;
  const std::optional<TReadableValue> shown = readable.Of(sources, libraryText, row);
  if (!shown) return false;
  cell.fText = TCellText{EncodeHtmlText(shown->fText), shown->fText};
  cell.fExact = shown->fExact;
  cell.fSortKey = shown->fSortKey;
  cell.fOtherUnit = shown->fOtherUnit;
  return shown->fOtherUnit;
}

TReadableValues::TRowSources RowSourcesOf(const TTableGrid& grid, int32_t r) {
  TReadableValues::TRowSources sources;
  for (int32_t c = 0; c < grid.fColumns; ++c) sources.push_back(&grid.Cell(r, c).fSources);
  return sources;
}

// Whether the column's first value shows in another unit than the one its
// label names: the values of a column share their declaration.
bool ShowsOtherUnit(const TTableGrid& grid, int32_t c, const TReadableValues& readable) {
  for (int32_t r = 1; r < grid.fRows; ++r) {
    const TTableCell& cell = grid.Cell(r, c);
    if (cell.fSources.empty() || cell.fText.empty()) continue;
    const std::optional<TReadableValue> shown = readable.Of(cell.fSources, cell.fText);
    return shown && shown->fOtherUnit;
  }
  return false;
}

THtmlTable GridTableHead(const TTableGrid& grid, const TLibraryMarkup& markup, const TReadableValues& readable) {
  THtmlTable table;
  table.fWidth = grid.fTableWidth;
  table.fColumnWidths.assign(grid.fColumnWidths.begin(), grid.fColumnWidths.end());
  table.fSortable = grid.fSortable;
  if (!grid.fColumnReport || grid.fRows < 1) return table;
  THtmlRow header;
  header.fHeader = true;
  for (int32_t c = 0; c < grid.fColumns; ++c) {
    THtmlCell cell;
    cell.fKind = THtmlCell::kColumnHeader;
    const std::string& label = grid.Cell(0, c).fText;
    cell.fText = markup.Of(ShowsOtherUnit(grid, c, readable) ? LabelWithoutUnit(label) : label);
    cell.fAlternate = markup.Of(grid.Cell(0, c).fAlternateText);
    cell.fMonospaced = grid.Cell(0, c).fMonospaced;
    cell.fSame = grid.Cell(0, c).fText == kSameText;
    header.fCells.push_back(std::move(cell));
  }
  table.fRows.push_back(std::move(header));
  return table;
}

void TakeGridRow(TTableGrid& grid, int32_t r, const TLibraryMarkup& markup, const TReadableValues& readable,
                 THtmlRow& row) {
  row = THtmlRow();
  row.fCells.resize(std::max(grid.fColumns, 0));
  const TReadableValues::TRowSources sources = RowSourcesOf(grid, r);
  bool otherUnit = false;
  for (int32_t c = 0; c < grid.fColumns; ++c) {
    const TTableCell& source = grid.Cell(r, c);
    THtmlCell& cell = row.fCells[c];
    cell.fKind = GridCellKind(grid, r, c);
    cell.fText = markup.Of(source.fText);
    cell.fAlternate = markup.Of(source.fAlternateText);
    cell.fMonospaced = source.fMonospaced;
    cell.fSame = source.fText == kSameText;
    otherUnit = MakeReadable(cell, readable, source.fSources, source.fText, sources) || otherUnit;
  }
  // A label that names a unit its value is no longer shown in loses it.
  if (otherUnit && grid.fRowReport && !row.fCells.empty()) {
    row.fCells[0].fText = markup.Of(LabelWithoutUnit(grid.Cell(r, 0).fText));
  }
  // Freed as the table is written, so that the page's rows can reuse it.
  for (int32_t c = 0; c < grid.fColumns; ++c) grid.Cell(r, c) = TTableCell();
}

namespace {

// A spooled row: its flags and texts, each text led by its length.
enum ERowFlag : unsigned char { kHeaderRow = 1, kMemberRow = 2, kGroupStartRow = 4 };
enum ECellFlag : unsigned char { kMonospacedCell = 1, kSameCell = 2 };
const size_t kSpoolChunkBytes = 1 << 20;

void PutSize(size_t size, std::string& data) {
  for (; size >= 0x80; size >>= 7) data += static_cast<char>(0x80 | (size & 0x7f));
  data += static_cast<char>(size);
}

void PutText(const std::string& text, std::string& data) {
  PutSize(text.size(), data);
  data += text;
}

size_t GetSize(const std::string& data, size_t& at) {
  size_t size = 0;
  for (int shift = 0;; shift += 7) {
    const unsigned char byte = static_cast<unsigned char>(data[at++]);
    size |= static_cast<size_t>(byte & 0x7f) << shift;
    if (byte < 0x80) return size;
  }
}

void GetText(const std::string& data, size_t& at, std::string& text) {
  const size_t size = GetSize(data, at);
  text.assign(data, at, size);
  at += size;
}

}  // namespace

void THtmlRowSpool::Add(const THtmlRow& row) {
  if (fChunks.empty() || fChunks.back().size() >= kSpoolChunkBytes) fChunks.emplace_back();
  std::string& data = fChunks.back();
  data += static_cast<char>((row.fHeader ? kHeaderRow : 0) | (row.fMember ? kMemberRow : 0) |
                            (row.fGroupStart ? kGroupStartRow : 0));
  for (const std::string* text : {&row.fClasses, &row.fId, &row.fSeverity}) PutText(*text, data);
  PutSize(row.fCells.size(), data);
  for (const THtmlCell& cell : row.fCells) {
    data += static_cast<char>(cell.fKind);
    data += static_cast<char>((cell.fMonospaced ? kMonospacedCell : 0) | (cell.fSame ? kSameCell : 0));
    for (const std::string* text : {&cell.fText.fHtml, &cell.fText.fPlain, &cell.fAlternate.fHtml,
                                    &cell.fAlternate.fPlain, &cell.fClasses, &cell.fExact, &cell.fSortKey}) {
      PutText(*text, data);
    }
  }
  ++fCount;
}

void THtmlRowSpool::TakeNext(THtmlRow& row) {
  if (fReadAt == fChunks[fReadChunk].size()) {
    // A chunk read is let go at once.
    std::string().swap(fChunks[fReadChunk]);
    ++fReadChunk;
    fReadAt = 0;
  }
  const std::string& data = fChunks[fReadChunk];
  const unsigned char flags = static_cast<unsigned char>(data[fReadAt++]);
  row.fHeader = flags & kHeaderRow;
  row.fMember = flags & kMemberRow;
  row.fGroupStart = flags & kGroupStartRow;
  for (std::string* text : {&row.fClasses, &row.fId, &row.fSeverity}) GetText(data, fReadAt, *text);
  row.fCells.resize(GetSize(data, fReadAt));
  for (THtmlCell& cell : row.fCells) {
    cell.fKind = static_cast<THtmlCell::EKind>(data[fReadAt++]);
    const unsigned char cellFlags = static_cast<unsigned char>(data[fReadAt++]);
    cell.fMonospaced = cellFlags & kMonospacedCell;
    cell.fSame = cellFlags & kSameCell;
    for (std::string* text : {&cell.fText.fHtml, &cell.fText.fPlain, &cell.fAlternate.fHtml, &cell.fAlternate.fPlain,
                              &cell.fClasses, &cell.fExact, &cell.fSortKey}) {
      GetText(data, fReadAt, *text);
    }
  }
}
