#include "forms/documents/text_writer.h"

#include <algorithm>
#include <ostream>

#include "forms/display_text.h"

namespace {

const size_t kMaxColumnWidth = 40;
const char kExtension[] = ".txt";

std::string Underline(const std::string& text, char mark) { return text + "\n" + std::string(text.size(), mark) + "\n"; }

std::string Padded(const std::string& text, size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

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

// One line broken into pieces of at most width bytes: after the last blank
// that fits, else inside the word (never inside a UTF-8 character). Every
// character is kept.
void AppendWrapped(const std::string& line, size_t width, std::vector<std::string>& lines) {
  size_t start = 0;
  while (line.size() - start > width) {
    // Only the piece's own bytes are searched: a long word must not cost a
    // scan back to the start of the line at every piece.
    size_t end = start + width;
    while (end > start && line[end] != ' ') --end;
    if (end == start) {
      end = start + width;
      while (end > start + 1 && IsContinuationByte(line[end])) --end;
    } else {
      ++end;  // the blank ends this piece
    }
    lines.push_back(line.substr(start, end - start));
    start = end;
  }
  lines.push_back(line.substr(start));
}

// The text in lines of at most width bytes, its own line breaks kept.
std::vector<std::string> Wrapped(const std::string& text, size_t width) {
  std::vector<std::string> lines;
  for (const std::string& line : OwnLines(text)) AppendWrapped(line, width, lines);
  for (std::string& line : lines) line.erase(line.find_last_not_of(' ') + 1);
  return lines;
}

size_t LongestLine(const std::string& text) {
  size_t longest = 0;
  for (const std::string& line : OwnLines(text)) longest = std::max(longest, line.size());
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

// What needs attention, graver first: severity, what, how many, where.
std::string ProblemsText(const TReportIndex& index) {
  if (!index.fComparedCollections.empty()) return "";
  std::string text = "\n" + Underline("Problems", '-');
  if (index.fProblems.empty()) return text + "None found.\n";
  for (const TProblem& problem : index.fProblems) {
    const TIndexEntry* page = ProblemPage(index, problem);
    text += Padded(SeverityWord(problem.fSeverity), 9) + problem.fMessage + ": " + std::to_string(problem.fCount) +
            (page ? "  (" + page->fFile + ")" : "") + "\n";
  }
  return text;
}

}  // namespace

TTextWriter::TTextWriter(TWriterSettings settings) : TDocumentWriter(std::move(settings), kExtension) {}

std::string TTextWriter::CellText(const TDocumentCell& cell) {
  std::string text = cell.fText;
  if (!cell.fAlternate.empty()) text += " [" + cell.fAlternate + "]";
  return text;
}

// Columns of labelled values, each as wide as its widest line up to a limit;
// longer texts wrap within their column.
void TTextWriter::RenderGrid(const TDocumentTable& table, std::ostream& out) {
  size_t columns = 0;
  for (const auto& row : table.fRows) columns = std::max(columns, row.size());
  std::vector<size_t> widths(columns, 1);
  for (const auto& row : table.fRows) {
    for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], std::min(kMaxColumnWidth, LongestLine(CellText(row[c]))));
  }
  std::vector<std::string> cells(columns);
  for (size_t r = 0; r < table.fRows.size(); ++r) {
    for (size_t c = 0; c < columns; ++c) cells[c] = c < table.fRows[r].size() ? CellText(table.fRows[r][c]) : "";
    out << SideBySide(cells, widths, " | ");
    if (r == 0 && table.fHeaderRow) {
      std::string rule;
      for (size_t c = 0; c < columns; ++c) rule += (c == 0 ? "" : "-+-") + std::string(widths[c], '-');
      out << rule << "\n";
    }
  }
}

// Label and value per line, one block per value column; values keep their
// own lines (raw outputs, configuration files), and long labels wrap.
void TTextWriter::RenderRecords(const TDocumentTable& table, std::ostream& out) {
  size_t labelWidth = 1;
  for (const auto& row : table.fRows) {
    if (!row.empty()) labelWidth = std::max(labelWidth, std::min(kMaxColumnWidth, LongestLine(row[0].fText)));
  }
  size_t columns = 0;
  for (const auto& row : table.fRows) columns = std::max(columns, row.size());
  for (size_t c = 1; c < columns; ++c) {
    if (c > 1) out << "\n";
    for (const auto& row : table.fRows) {
      if (row.empty()) continue;
      const std::string value = c < row.size() ? CellText(row[c]) : "";
      out << SideBySide({row[0].fText, value}, {labelWidth, std::max<size_t>(1, LongestLine(value))}, " : ");
    }
  }
}

void TTextWriter::RenderTable(const TDocumentTable& table, std::ostream& out) {
  if (!table.fTitle.empty()) out << Underline(table.fTitle, table.fSubtitle ? '.' : '-');
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
  visible << Underline(HeadingText(page.fTitle), '=');
  if (!page.fRawDataLinkTarget.empty()) {
    visible << page.fRawDataLinkText << ": " << PageFileName(page.fRawDataLinkTarget) << "\n";
  }
  if (!page.fHasContent) visible << "(no data)\n";
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
  text += ProblemsText(index);
  std::string category;
  for (size_t i = 0; i < index.fEntries.size(); ++i) {
    const TIndexEntry& entry = index.fEntries[i];
    if (i == 0 || entry.fCategory != category) {
      category = entry.fCategory;
      text += "\n" + Underline(category, '-');
    }
    text += SideBySide({entry.fPageName, entry.fFile + (entry.fHasContent ? "" : "  (no data)")},
                       {kMaxColumnWidth, entry.fFile.size() + 11}, "  ");
  }
  WriteWholeFile(IndexFile(), VisibleText(text, ELineEnds::kKept));
}
