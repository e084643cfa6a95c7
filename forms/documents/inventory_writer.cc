#include "forms/documents/inventory_writer.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

using json_values::json;

namespace {

// Writes JSON as json's dump with an indent of one blank does, without
// building the document first: a page's table may hold a million rows.
// Members of an object must be given in name order, as json keeps them.
class TJsonStream {
 public:
  explicit TJsonStream(std::ostream& out) : fOut(out) {}

  void BeginObject() { Begin('{'); }
  void EndObject() { End('}'); }
  void BeginArray() { Begin('['); }
  void EndArray() { End(']'); }
  void Key(const std::string& name) {
    Element();
    fOut << json_values::Dump(json(name)) << ": ";
    fKeyed = true;
  }
  void Text(const std::string& text) {
    Element();
    fOut << json_values::Dump(json(text));
  }
  void Bool(bool value) {
    Element();
    fOut << (value ? "true" : "false");
  }

 private:
  // Places a value: after its key, or on a line of its own in an array.
  void Element() {
    if (fKeyed) {
      fKeyed = false;
      return;
    }
    if (fOpen.empty()) return;
    fOut << (fOpen.back() == 0 ? "\n" : ",\n") << std::string(fOpen.size(), ' ');
    ++fOpen.back();
  }
  void Begin(char bracket) {
    Element();
    fOut << bracket;
    fOpen.push_back(0);
  }
  void End(char bracket) {
    const size_t members = fOpen.back();
    fOpen.pop_back();
    if (members > 0) fOut << '\n' << std::string(fOpen.size(), ' ');
    fOut << bracket;
  }

  std::ostream& fOut;
  std::vector<size_t> fOpen;  // members so far, per open object or array
  bool fKeyed = false;
};

void WriteCell(TJsonStream& out, const TDocumentCell& cell) {
  if (cell.fAlternate.empty()) return out.Text(cell.fText);
  out.BeginObject();
  out.Key("alternate");
  out.Text(cell.fAlternate);
  out.Key("text");
  out.Text(cell.fText);
  out.EndObject();
}

const TDocumentCell& CellAt(const TDocumentTable& table, size_t row, size_t column) {
  static const TDocumentCell kEmpty;
  return column < table.fRows[row].size() ? table.fRows[row][column] : kEmpty;
}

// Labels and rows of a table whose labels run down its first column: turned,
// so that each value column becomes one record.
void WriteTurnedTable(TJsonStream& out, const TDocumentTable& table) {
  size_t columns = 0;
  for (const auto& row : table.fRows) columns = std::max(columns, row.size());
  out.Key("labels");
  out.BeginArray();
  for (size_t r = 0; r < table.fRows.size(); ++r) out.Text(CellAt(table, r, 0).fText);
  out.EndArray();
  out.Key("rows");
  out.BeginArray();
  for (size_t c = 1; c < columns; ++c) {
    out.BeginArray();
    for (size_t r = 0; r < table.fRows.size(); ++r) WriteCell(out, CellAt(table, r, c));
    out.EndArray();
  }
  out.EndArray();
}

void WriteRowTable(TJsonStream& out, const TDocumentTable& table) {
  const size_t first = table.fHeaderRow && !table.fRows.empty() ? 1 : 0;
  out.Key("labels");
  out.BeginArray();
  if (first == 1) {
    for (const TDocumentCell& cell : table.fRows[0]) out.Text(cell.fText);
  }
  out.EndArray();
  out.Key("rows");
  out.BeginArray();
  for (size_t r = first; r < table.fRows.size(); ++r) {
    out.BeginArray();
    for (const TDocumentCell& cell : table.fRows[r]) WriteCell(out, cell);
    out.EndArray();
  }
  out.EndArray();
}

void WriteJsonTable(TJsonStream& out, const TDocumentTable& table) {
  out.BeginObject();
  if (table.fHeaderColumn) {
    WriteTurnedTable(out, table);
  } else {
    WriteRowTable(out, table);
  }
  out.Key("subtitle");
  out.Bool(table.fSubtitle);
  out.Key("title");
  out.Text(table.fTitle);
  out.EndObject();
}

}  // namespace

TInventoryWriter::TInventoryWriter(TWriterSettings settings, bool writeFiles)
    : TDocumentWriter(std::move(settings), ".json"), fWriteFiles(writeFiles) {}

void TInventoryWriter::RenderPage(const TDocumentPage& page, std::ostream& stream) {
  TJsonStream out(stream);
  out.BeginObject();
  out.Key("category");
  out.Text(page.fCategory);
  out.Key("hasContent");
  out.Bool(page.fHasContent);
  out.Key("link");
  out.Text(page.fLinkName);
  out.Key("page");
  out.Text(page.fPageName);
  if (!page.fRawDataLinkTarget.empty()) {
    out.Key("rawData");
    out.BeginObject();
    out.Key("link");
    out.Text(page.fRawDataLinkTarget);
    out.Key("text");
    out.Text(page.fRawDataLinkText);
    out.EndObject();
  }
  out.Key("tables");
  out.BeginArray();
  for (const TDocumentTable& table : page.fTables) WriteJsonTable(out, table);
  out.EndArray();
  out.Key("title");
  out.Text(page.fTitle);
  out.EndObject();
  stream << '\n';
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
      json line{{"severity", SeverityName(problem.fSeverity)}, {"message", problem.fMessage},
                {"count", problem.fCount}, {"link", page ? page->fLinkName : ""}, {"file", page ? page->fFile : ""},
                {"section", ProblemSectionTitle(problem.fSection)}};
      if (!problem.fLatestMessage.empty()) line["latest"] = json{{"message", problem.fLatestMessage}, {"time", problem.fLatestTime}};
      problems.push_back(line);
    }
    document["problems"] = problems;
  }
  document["pages"] = pages;
  WriteWholeFile(IndexFile(), json_values::Dump(document, 1) + "\n");
}
