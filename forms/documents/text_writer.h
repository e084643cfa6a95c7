// The text writer (writer type "text"): the report as plain text, one file
// per page plus index.txt, tables in fixed-width columns, readable in a
// terminal and in an e-mail. Long cell texts wrap within their column: no
// character of the report is lost.
#ifndef QZA_HOST_TEXT_WRITER_H
#define QZA_HOST_TEXT_WRITER_H

#include "forms/documents/document_writer.h"

class TTextWriter : public TDocumentWriter {
 public:
  explicit TTextWriter(TWriterSettings settings);

 protected:
  void RenderPage(const TDocumentPage& page, std::ostream& out) override;
  void RenderIndex(const TReportIndex& index) override;
  std::string ListSeparator() const override { return ", "; }

 private:
  static void RenderTable(const TDocumentTable& table, std::ostream& out);
  static void RenderGrid(const TDocumentTable& table, std::ostream& out);
  static void RenderRecords(const TDocumentTable& table, std::ostream& out);
  static std::string CellText(const TDocumentCell& cell);
};

#endif
