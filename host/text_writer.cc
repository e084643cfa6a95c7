#include "host/text_writer.h"

#include <algorithm>
#include <fstream>

#include "host/display_text.h"
#include "host/file_names.h"

namespace {

const size_t kMaxColumnWidth = 40;

std::string Underline(const std::string& text, char mark) { return text + "\n" + std::string(text.size(), mark) + "\n"; }

// Table cells are one line; line breaks inside a value become " / ".
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      line += " / ";
    } else if (c != '\r') {
      line += c == '\t' ? ' ' : c;
    }
  }
  return line;
}

}  // namespace

TTextWriter::TTextWriter(TWriterSettings settings) : TDocumentWriter(std::move(settings)) {}

std::string TTextWriter::CellText(const TDocumentCell& cell) {
  std::string text = cell.fText;
  if (!cell.fAlternate.empty()) text += " [" + cell.fAlternate + "]";
  return text;
}

std::string TTextWriter::Fit(const std::string& text, size_t width) {
  if (text.size() <= width) return PadString(text, static_cast<int>(width), false);
  return TruncString(text, static_cast<int>(width) - 3);
}

// Columns of labelled values: one line per row, columns as wide as their
// widest cell up to a limit.
std::string TTextWriter::RenderGrid(const TDocumentTable& table) {
  size_t columns = 0;
  for (const auto& row : table.fRows) columns = std::max(columns, row.size());
  std::vector<size_t> widths(columns, 1);
  for (const auto& row : table.fRows) {
    for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], std::min(kMaxColumnWidth, OneLine(CellText(row[c])).size()));
  }
  std::string text;
  for (size_t r = 0; r < table.fRows.size(); ++r) {
    std::string line;
    for (size_t c = 0; c < columns; ++c) {
      std::string cell = c < table.fRows[r].size() ? OneLine(CellText(table.fRows[r][c])) : "";
      line += (c == 0 ? "" : " | ") + Fit(cell, widths[c]);
    }
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\n";
    if (r == 0 && table.fHeaderRow) {
      std::string rule;
      for (size_t c = 0; c < columns; ++c) rule += (c == 0 ? "" : "-+-") + std::string(widths[c], '-');
      text += rule + "\n";
    }
  }
  return text;
}

// Label and value per line, one block per value column; multi-line values
// (raw outputs, configuration files) keep their lines, indented.
std::string TTextWriter::RenderRecords(const TDocumentTable& table) {
  size_t labelWidth = 0;
  for (const auto& row : table.fRows) {
    if (!row.empty()) labelWidth = std::max(labelWidth, std::min(kMaxColumnWidth, row[0].fText.size()));
  }
  size_t columns = 0;
  for (const auto& row : table.fRows) columns = std::max(columns, row.size());
  std::string text;
  for (size_t c = 1; c < columns; ++c) {
    if (c > 1) text += "\n";
    for (const auto& row : table.fRows) {
      if (row.empty()) continue;
      std::string value = c < row.size() ? CellText(row[c]) : "";
      std::string indent = "\n" + std::string(labelWidth + 3, ' ');
      std::string continued;
      for (char ch : value) continued += ch == '\n' ? indent : std::string(1, ch);
      std::string line = Fit(OneLine(row[0].fText), labelWidth) + " : " + continued;
      line.erase(line.find_last_not_of(' ') + 1);
      text += line + "\n";
    }
  }
  return text;
}

std::string TTextWriter::RenderTable(const TDocumentTable& table) {
  std::string text;
  if (!table.fTitle.empty()) text += Underline(table.fTitle, table.fSubtitle ? '.' : '-');
  if (table.fRows.empty()) return text;
  return text + (table.fHeaderColumn ? RenderRecords(table) : RenderGrid(table));
}

std::string TTextWriter::RenderPage(const TDocumentPage& page) {
  std::string text = Underline(HeadingText(page.fTitle), '=');
  if (!page.fRawDataLinkTarget.empty()) {
    text += page.fRawDataLinkText + ": " + SafeFileName(page.fRawDataLinkTarget, ".txt") + "\n";
  }
  if (!page.fHasContent) text += "(no data)\n";
  for (const TDocumentTable& table : page.fTables) text += "\n" + RenderTable(table);
  text = VisibleText(text, ELineEnds::kKept);
  WriteWholeFile(PageFile(page.fLinkName, ".txt"), text);
  return text;
}

void TTextWriter::RenderIndex(const std::vector<TIndexEntry>& entries) {
  std::string text = Underline("Report", '=');
  std::string category;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i == 0 || entries[i].fCategory != category) {
      category = entries[i].fCategory;
      text += "\n" + Underline(category, '-');
    }
    text += Fit(entries[i].fPageName, kMaxColumnWidth) + "  " + SafeFileName(entries[i].fLinkName, ".txt") +
            (entries[i].fHasContent ? "" : "  (no data)") + "\n";
  }
  WriteWholeFile(PageFile("index", ".txt"), VisibleText(text, ELineEnds::kKept));
}
