#include "host/inventory_writer.h"

#include <fstream>

using json_values::json;

namespace {

json Cell(const TDocumentCell& cell) {
  if (cell.fAlternate.empty()) return cell.fText;
  return json{{"text", cell.fText}, {"alternate", cell.fAlternate}};
}

const TDocumentCell& CellAt(const TDocumentTable& table, size_t row, size_t column) {
  static const TDocumentCell kEmpty;
  return column < table.fRows[row].size() ? table.fRows[row][column] : kEmpty;
}

json Table(const TDocumentTable& table) {
  json labels = json::array();
  json rows = json::array();
  if (table.fHeaderColumn) {
    size_t columns = 0;
    for (const auto& row : table.fRows) columns = std::max(columns, row.size());
    for (size_t r = 0; r < table.fRows.size(); ++r) labels.push_back(CellAt(table, r, 0).fText);
    for (size_t c = 1; c < columns; ++c) {
      json record = json::array();
      for (size_t r = 0; r < table.fRows.size(); ++r) record.push_back(Cell(CellAt(table, r, c)));
      rows.push_back(record);
    }
  } else {
    for (size_t r = 0; r < table.fRows.size(); ++r) {
      json record = json::array();
      for (const TDocumentCell& cell : table.fRows[r]) {
        if (r == 0 && table.fHeaderRow) {
          labels.push_back(cell.fText);
        } else {
          record.push_back(Cell(cell));
        }
      }
      if (!(r == 0 && table.fHeaderRow)) rows.push_back(record);
    }
  }
  return json{{"title", table.fTitle}, {"subtitle", table.fSubtitle}, {"labels", labels}, {"rows", rows}};
}

}  // namespace

TInventoryWriter::TInventoryWriter(TWriterSettings settings, bool writeFiles)
    : TDocumentWriter(std::move(settings), ".json"), fWriteFiles(writeFiles) {}

json TInventoryWriter::PageDocument(const TDocumentPage& page) {
  json document{{"page", page.fPageName}, {"link", page.fLinkName}, {"title", page.fTitle},
                {"category", page.fCategory}, {"hasContent", page.fHasContent}};
  if (!page.fRawDataLinkTarget.empty()) {
    document["rawData"] = json{{"text", page.fRawDataLinkText}, {"link", page.fRawDataLinkTarget}};
  }
  json tables = json::array();
  for (const TDocumentTable& table : page.fTables) tables.push_back(Table(table));
  document["tables"] = tables;
  return document;
}

std::string TInventoryWriter::RenderPage(const TDocumentPage& page) {
  std::string text = json_values::Dump(PageDocument(page), 1);
  if (fWriteFiles) WriteWholeFile(PageFile(page.fLinkName), text + "\n");
  return text + "\n";
}

void TInventoryWriter::RenderIndex(const TReportIndex& index) {
  if (!fWriteFiles) return;
  json pages = json::array();
  for (const TIndexEntry& entry : index.fEntries) {
    pages.push_back(json{{"page", entry.fPageName}, {"link", entry.fLinkName}, {"file", entry.fFile},
                         {"category", entry.fCategory}, {"hasContent", entry.fHasContent}});
  }
  json document{{"host", index.fHost}, {"serialNumber", index.fSerialNumber}, {"collected", index.fCollected},
                {"comparison", !index.fComparedCollections.empty()}};
  if (!index.fComparedCollections.empty()) {
    document["collections"] = index.fComparedCollections;
    const TChangeCounts& changes = index.fChanges;
    document["changes"] = json{{"changed", changes.fChanged}, {"missing", changes.fMissing},
                               {"unique", changes.fUnique}, {"volatile", changes.fFolded},
                               {"newLogRecords", changes.fNewLogRecords}};
  } else {
    json problems = json::array();
    for (const TProblem& problem : index.fProblems) {
      const TIndexEntry* page = ProblemPage(index, problem);
      problems.push_back(json{{"severity", SeverityName(problem.fSeverity)}, {"message", problem.fMessage},
                              {"count", problem.fCount}, {"link", page ? page->fLinkName : ""},
                              {"file", page ? page->fFile : ""}});
    }
    document["problems"] = problems;
  }
  document["pages"] = pages;
  WriteWholeFile(IndexFile(), json_values::Dump(document, 1) + "\n");
}
