#include "forms/documents/text_writer.h"

#include <algorithm>
#include <ostream>

#include "forms/display_text.h"
#include "forms/documents/changes_text.h"
#include "forms/log_columns.h"

namespace {

// A column other than the free-text one is at most this wide while the line
// is too long; the free-text column keeps at least kLeastFreeWidth, every
// column its longest word up to kMaxWordFloor. A table that does not fit
// even so shows each row as a block of labelled values.
const size_t kMaxColumnWidth = 40;
const size_t kLeastFreeWidth = 20;
const size_t kMaxWordFloor = 16;
// Below this no table has room (--width says so too).
const size_t kLeastLineWidth = 40;
const char kExtension[] = ".txt";
const char kGridGap[] = " | ";
const char kChangesTitle[] = "What changed";
const char kRecordGap[] = " : ";

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Characters, not bytes: a degree sign takes one column.
size_t CharacterCount(const std::string& text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuationByte(c); }));
}

// The byte after count characters from start, or the text's end.
size_t ByteAfter(const std::string& text, size_t start, size_t count) {
  size_t at = start;
  for (size_t seen = 0; at < text.size(); ++at) {
    if (!IsContinuationByte(text[at]) && seen++ == count) return at;
  }
  return at;
}

std::string Padded(const std::string& text, size_t width) {
  const size_t length = CharacterCount(text);
  return length >= width ? text : text + std::string(width - length, ' ');
}

// The text's own lines: tabs become blanks, carriage returns go.
std::vector<std::string> OwnLines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\n') {
      lines.emplace_back();
    } else if (c != '\r') {
      lines.back() += c == '\t' ? ' ' : c;
    }
  }
  return lines;
}

// One line broken into pieces of at most width characters: after the last
// blank that fits, else inside the word (never inside a UTF-8 character).
// Every character is kept.
void AppendWrapped(const std::string& line, size_t width, std::vector<std::string>& lines) {
  size_t start = 0;
  for (size_t end = ByteAfter(line, start, width); end < line.size(); end = ByteAfter(line, start, width)) {
    // Only the piece's own bytes are searched: a long word must not cost a
    // scan back to the start of the line at every piece.
    size_t cut = end;
    while (cut > start && line[cut] != ' ') --cut;
    cut = cut == start ? end : cut + 1;  // a blank ends its piece
    lines.push_back(line.substr(start, cut - start));
    start = cut;
  }
  lines.push_back(line.substr(start));
}

// The text in lines of at most width characters, its own line breaks kept.
std::vector<std::string> Wrapped(const std::string& text, size_t width) {
  std::vector<std::string> lines;
  for (const std::string& line : OwnLines(text)) AppendWrapped(line, std::max<size_t>(width, 1), lines);
  for (std::string& line : lines) line.erase(line.find_last_not_of(' ') + 1);
  return lines;
}

std::string WrappedText(const std::string& text, size_t width) {
  std::string wrapped;
  for (const std::string& line : Wrapped(text, width)) wrapped += line + "\n";
  return wrapped;
}

std::string Underline(const std::string& text, char mark, size_t width = std::string::npos) {
  std::string underlined;
  size_t longest = 0;
  for (const std::string& line : Wrapped(text, width)) {
    underlined += line + "\n";
    longest = std::max(longest, CharacterCount(line));
  }
  return underlined + std::string(longest, mark) + "\n";
}

size_t LongestLine(const std::string& text) {
  size_t longest = 0;
  for (const std::string& line : OwnLines(text)) longest = std::max(longest, CharacterCount(line));
  return longest;
}

// Cells side by side, each wrapped within its column, as many lines as the
// tallest cell needs.
std::string SideBySide(const std::vector<std::string>& cells, const std::vector<size_t>& widths,
                       const std::string& gap) {
  std::vector<std::vector<std::string>> columns;
  size_t height = 1;
  for (size_t c = 0; c < cells.size(); ++c) {
    columns.push_back(Wrapped(cells[c], widths[c]));
    height = std::max(height, columns.back().size());
  }
  std::string text;
  for (size_t k = 0; k < height; ++k) {
    std::string line;
    for (size_t c = 0; c < columns.size(); ++c) {
      line += (c == 0 ? "" : gap) + Padded(k < columns[c].size() ? columns[c][k] : "", widths[c]);
    }
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\n";
  }
  return text;
}

// The column that takes what the others leave: the first labelled as free
// text, else the widest.
size_t FreeTextColumn(const std::vector<std::string>& labels, const std::vector<size_t>& widths) {
  for (size_t c = 0; c < labels.size(); ++c) {
    if (IsFreeTextLabel(labels[c])) return c;
  }
  return static_cast<size_t>(std::max_element(widths.begin(), widths.end()) - widths.begin());
}

// Narrows the widest of the columns above their floors a character at a
// time until the columns take no more than room.
template <class TFloor>
void Narrow(std::vector<size_t>& widths, size_t& total, size_t room, TFloor floorOf) {
  while (total > room) {
    size_t widest = widths.size();
    for (size_t c = 0; c < widths.size(); ++c) {
      if (widths[c] > floorOf(c) && (widest == widths.size() || widths[c] > widths[widest])) widest = c;
    }
    if (widest == widths.size()) return;
    --widths[widest];
    --total;
  }
}

// Column widths that fit room characters (gaps excluded): each column as
// wide as its longest line when all fit; otherwise the others narrowed to
// kMaxColumnWidth first, then the free-text column to kLeastFreeWidth, then
// all to their longest word (floors). Empty when the columns cannot fit.
std::vector<size_t> FittedWidths(std::vector<size_t> widths, const std::vector<size_t>& floors, size_t freeText,
                                 size_t room) {
  size_t total = 0;
  for (size_t width : widths) total += width;
  Narrow(widths, total, room, [&](size_t c) { return c == freeText ? widths[c] : std::max(kMaxColumnWidth, floors[c]); });
  Narrow(widths, total, room, [&](size_t c) { return c == freeText ? std::max(kLeastFreeWidth, floors[c]) : widths[c]; });
  Narrow(widths, total, room, [&](size_t c) { return floors[c]; });
  return total <= room ? widths : std::vector<size_t>();
}

// The longest word of the text, up to kMaxWordFloor: a column narrower
// than that would break words.
size_t LongestWord(const std::string& text) {
  size_t longest = 0;
  size_t word = 0;
  for (char c : text) {
    word = c == ' ' || c == '\n' || c == '\t' ? 0 : word + (IsContinuationByte(c) ? 0 : 1);
    longest = std::max(longest, word);
  }
  return std::min(longest, kMaxWordFloor);
}

// A problem's lines: the severity, then its text wrapped beneath itself.
std::string ProblemLines(const std::string& severity, const std::string& text, size_t width) {
  constexpr size_t kSeverityWidth = 9;
  return SideBySide({severity, VisibleText(text, ELineEnds::kKept)},
                    {kSeverityWidth, std::max(width, 2 * kSeverityWidth) - kSeverityWidth}, "");
}

// What needs attention, section by section, graver first: severity, what,
// how many (a log's count always, another's only past one), where, and
// under a log's line its latest record.
std::string ProblemsText(const TReportIndex& index, size_t width) {
  if (!index.fComparedCollections.empty()) return "";
  std::string text = "\n" + Underline("Problems", '-');
  const auto& problems = index.fProblems;
  if (problems.empty() || problems.front().fSection == EProblemSection::kCollector) text += "None found.\n";
  for (size_t i = 0; i < problems.size(); ++i) {
    const TProblem& problem = problems[i];
    if (i == 0 || problem.fSection != problems[i - 1].fSection) {
      const std::string title = ProblemSectionTitle(problem.fSection);
      text += "\n" + (problem.fSection == EProblemSection::kCollector ? Underline(title, '-') : title + ":\n");
    }
    const TIndexEntry* page = ProblemPage(index, problem);
    const bool counted = problem.fCount > 1 || problem.fSection == EProblemSection::kLog;
    text += ProblemLines(SeverityWord(problem.fSeverity),
                         problem.fMessage + (counted ? ": " + std::to_string(problem.fCount) : "") +
                             (page ? "  (" + page->fFile + ")" : ""),
                         width);
    if (!problem.fLatestMessage.empty()) {
      text += ProblemLines("", std::string(problem.fCount > 1 ? "latest " : "") +
                                   (problem.fLatestTime.empty() ? "" : problem.fLatestTime + "  ") +
                                   problem.fLatestMessage,
                           width);
    }
  }
  return text;
}

// A cell as shown: its readable form, or the library's text, with the
// alternate value beside it; escaped before it is measured.
std::string ShownText(const TDocumentCell& cell) {
  std::string text = cell.fReadable.empty() ? cell.fText : cell.fReadable;
  if (!cell.fAlternate.empty()) text += " [" + cell.fAlternate + "]";
  return VisibleText(text, ELineEnds::kKept);
}

// The cell texts of a table's rows as shown: readable values, escapes,
// and a leading severity column in a log table.
std::vector<std::vector<std::string>> ShownRows(const TDocumentTable& table) {
  std::vector<std::string> labels;
  if (table.fHeaderRow && !table.fRows.empty()) {
    for (const TDocumentCell& cell : table.fRows.front()) labels.push_back(cell.fText);
  }
  const TLogColumns log(labels);
  std::vector<std::vector<std::string>> rows;
  rows.reserve(table.fRows.size());
  for (const auto& row : table.fRows) {
    rows.emplace_back();
    if (log.IsLog()) {
      const auto text = [&](size_t c) -> const std::string& { return row[c].fText; };
      rows.back().push_back(rows.size() == 1 ? kSeverityLabel : SeverityWord(log.SeverityOf(row.size(), text)));
    }
    for (const TDocumentCell& cell : row) rows.back().push_back(ShownText(cell));
  }
  // A label names a unit only when its values are shown in it.
  const size_t first = log.IsLog() ? 1 : 0;
  for (size_t c = 0; c < labels.size(); ++c) {
    const bool readable = std::any_of(table.fRows.begin() + 1, table.fRows.end(), [&](const std::vector<TDocumentCell>& row) {
      return c < row.size() && !row[c].fReadable.empty();
    });
    if (readable) rows.front()[first + c] = VisibleText(LabelWithoutUnit(labels[c]), ELineEnds::kKept);
  }
  return rows;
}

}  // namespace

TTextWriter::TTextWriter(TWriterSettings settings)
    : TDocumentWriter(settings, kExtension), fWidth(std::max(settings.fTextWidth, kLeastLineWidth)) {}

// Columns of labelled values that fit the page's width; long texts wrap
// within their column. A table too wide for that shows its rows as blocks.
void TTextWriter::RenderGrid(const TDocumentTable& table, std::ostream& out) const {
  const std::vector<std::vector<std::string>> rows = ShownRows(table);
  size_t columns = 0;
  for (const auto& row : rows) columns = std::max(columns, row.size());
  std::vector<size_t> natural(columns, 1);
  std::vector<size_t> floors(columns, 1);
  for (const auto& row : rows) {
    for (size_t c = 0; c < row.size(); ++c) {
      natural[c] = std::max(natural[c], LongestLine(row[c]));
      floors[c] = std::max(floors[c], LongestWord(row[c]));
    }
  }
  const std::vector<std::string> labels = table.fHeaderRow && !rows.empty() ? rows.front() : std::vector<std::string>();
  const size_t gaps = (columns - 1) * (sizeof kGridGap - 1);
  const std::vector<size_t> widths =
      fWidth > gaps ? FittedWidths(natural, floors, FreeTextColumn(labels, natural), fWidth - gaps) : std::vector<size_t>();
  if (widths.empty()) return RenderRowBlocks(rows, table.fHeaderRow, out);
  std::vector<std::string> cells(columns);
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < columns; ++c) cells[c] = c < rows[r].size() ? rows[r][c] : "";
    out << SideBySide(cells, widths, kGridGap);
    if (r == 0 && table.fHeaderRow) {
      std::string rule;
      for (size_t c = 0; c < columns; ++c) rule += (c == 0 ? "" : "-+-") + std::string(widths[c], '-');
      out << rule << "\n";
    }
  }
}

// Each body row as a block of label and value lines, for a table whose
// columns cannot share a line.
void TTextWriter::RenderRowBlocks(const std::vector<std::vector<std::string>>& rows, bool headerRow,
                                  std::ostream& out) const {
  const std::vector<std::string> labels = headerRow && !rows.empty() ? rows.front() : std::vector<std::string>();
  for (size_t r = headerRow ? 1 : 0; r < rows.size(); ++r) {
    if (r > (headerRow ? 1u : 0u)) out << "\n";
    std::vector<std::pair<std::string, std::string>> pairs;
    for (size_t c = 0; c < rows[r].size(); ++c) pairs.emplace_back(c < labels.size() ? labels[c] : "", rows[r][c]);
    RenderLabelled(pairs, out);
  }
}

// Label and value per line; values keep their own lines (raw outputs,
// configuration files), and long labels and values wrap.
void TTextWriter::RenderLabelled(const std::vector<std::pair<std::string, std::string>>& pairs,
                                 std::ostream& out) const {
  size_t labelWidth = 1;
  for (const auto& pair : pairs) labelWidth = std::max(labelWidth, LongestLine(pair.first));
  labelWidth = std::min({labelWidth, kMaxColumnWidth, fWidth / 3});
  const size_t valueWidth = fWidth - labelWidth - (sizeof kRecordGap - 1);
  for (const auto& pair : pairs) out << SideBySide({pair.first, pair.second}, {labelWidth, valueWidth}, kRecordGap);
}

// One block per value column of a table whose labels run down its first column.
void TTextWriter::RenderRecords(const TDocumentTable& table, std::ostream& out) const {
  size_t columns = 0;
  for (const auto& row : table.fRows) columns = std::max(columns, row.size());
  for (size_t c = 1; c < columns; ++c) {
    if (c > 1) out << "\n";
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const auto& row : table.fRows) {
      if (row.empty()) continue;
      // A label names a unit only when its value is shown in it.
      const bool readable = c < row.size() && !row[c].fReadable.empty();
      pairs.emplace_back(VisibleText(readable ? LabelWithoutUnit(row[0].fText) : row[0].fText, ELineEnds::kKept),
                         c < row.size() ? ShownText(row[c]) : "");
    }
    RenderLabelled(pairs, out);
  }
}

void TTextWriter::RenderTable(const TDocumentTable& table, std::ostream& out) const {
  if (!table.fTitle.empty()) out << Underline(table.fTitle, table.fSubtitle ? '.' : '-', fWidth);
  if (table.fRows.empty()) return;
  if (table.fHeaderColumn) {
    RenderRecords(table, out);
  } else {
    RenderGrid(table, out);
  }
}

// Written line by line through VisibleText, as the page is rendered.
void TTextWriter::RenderPage(const TDocumentPage& page, std::ostream& out) {
  TVisibleLines lines(out);
  std::ostream visible(&lines);
  visible << Underline(HeadingText(page.fTitle), '=', fWidth);
  if (!page.fRawDataLinkTarget.empty()) {
    visible << WrappedText(page.fRawDataLinkText + ": " + PageFileName(page.fRawDataLinkTarget), fWidth);
  }
  if (!page.fHasContent) visible << WrappedText(page.fEmptyReason, fWidth);
  for (const TDocumentTable& table : page.fTables) {
    visible << "\n";
    RenderTable(table, visible);
  }
  visible.flush();
}

void TTextWriter::RenderIndex(const TReportIndex& index) {
  std::string text = Underline(index.fComparedCollections.empty() ? "Report of " + HeadingText(index.fHost)
                                                                  : "Comparison of " + HeadingText(index.fHost),
                               '=');
  if (!index.fSerialNumber.empty()) text += "Serial number: " + index.fSerialNumber + "\n";
  if (!index.fCollected.empty()) text += "Collected: " + index.fCollected + "\n";
  for (size_t i = 0; i < index.fComparedCollections.size(); ++i) {
    text += (i == 0 ? "Base collection: " : "Compared with: ") + index.fComparedCollections[i] + "\n";
  }
  if (!index.fComparedCollections.empty()) text += "What changed: " + ChangesSummary(index.fChanges) + "\n";
  if (!index.fChangesFile.empty()) {
    text += "\n" + SideBySide({kChangesTitle, index.fChangesFile}, {kMaxColumnWidth, index.fChangesFile.size()}, "  ");
  }
  text += ProblemsText(index, fWidth);
  // Pages without content are named on one line at the end.
  std::string category;
  std::string absent;
  for (const TIndexEntry& entry : index.fEntries) {
    if (!entry.fHasContent) {
      absent += (absent.empty() ? "" : ", ") + entry.fPageName + " (" + entry.fFile + ")";
      continue;
    }
    if (entry.fCategory != category) {
      category = entry.fCategory;
      text += "\n" + Underline(category, '-');
    }
    text += SideBySide({entry.fPageName, entry.fFile}, {kMaxColumnWidth, entry.fFile.size()}, "  ");
  }
  if (!absent.empty()) {
    text += std::string("\nNot present in ") +
            (index.fComparedCollections.empty() ? "this collection" : "these collections") + ": " + absent + "\n";
  }
  WriteWholeFile(IndexFile(), WrappedText(VisibleText(text, ELineEnds::kKept), fWidth));
}

std::string TTextWriter::RenderChanges(const TChangeList& changes, const std::vector<TShownLogRecords>& logs) {
  const std::string linkName = "what_changed";
  std::vector<std::string> ignored;
  for (const TIgnoredProperty& property : IgnoredProperties()) ignored.push_back(property.fClass + "." + property.fProperty);
  // Each piece ends its last line; wrapping keeps line ends, so that one goes.
  const auto shown = [&](const std::string& piece) {
    const bool ended = !piece.empty() && piece.back() == '\n';
    return WrappedText(VisibleText(ended ? piece.substr(0, piece.size() - 1) : piece, ELineEnds::kKept), fWidth);
  };
  WriteStreamedFile(PageFile(linkName), [&](std::ostream& out) { WriteChangesText(out, changes, logs, ignored, shown); });
  return PageFileName(linkName);
}
