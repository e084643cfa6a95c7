// The inventory writer (writer type "inventory"): each page as one JSON
// document for tools to consume, plus index.json for a full report.
//
// Page document:
//   {"page": name, "link": link name, "title": title, "category": category,
//    "hasContent": bool, "rawData": {"text": ..., "link": ...} (when given),
//    "tables": [{"title": text, "subtitle": bool, "labels": [text...],
//                "rows": [[cell...]...]}]}
// A cell is its text, or {"text": ..., "alternate": ...} when it has an
// alternate. Each row is one record: for tables whose labels run down the
// first column the table is turned so that "labels" name the fields and
// each row is one instance. Index: {"host", "serialNumber", "collected",
// "comparison": bool, "collections": [label...] (a comparison only, the base
// first), "pages": [{"page", "link", "file", "category", "hasContent"}...]}
// in report order.
#ifndef QZA_HOST_INVENTORY_WRITER_H
#define QZA_HOST_INVENTORY_WRITER_H

#include "forms/documents/document_writer.h"
#include "forms/json_values.h"

class TInventoryWriter : public TDocumentWriter {
 public:
  // A single page (writeFiles false) is only answered by GetPageOutput.
  TInventoryWriter(TWriterSettings settings, bool writeFiles);

 protected:
  void RenderPage(const TDocumentPage& page, std::ostream& out) override;
  bool WritesPageFiles() const override { return fWriteFiles; }
  void RenderIndex(const TReportIndex& index) override;
  std::string ListSeparator() const override { return ", "; }

 private:
  bool fWriteFiles;
};

#endif
