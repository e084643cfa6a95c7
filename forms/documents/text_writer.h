// The text writer (writer type "text"): the report as plain text, one file
// per page plus index.txt, tables in fixed-width columns, readable in a
// terminal and in an e-mail. No line is longer than the settings' text
// width: the free-text column (a log's message) takes what the others
// leave, long cell texts wrap within their column, and no character of the
// report is lost. A comparison's What changed list (changes_text.h) is
// written to what_changed.txt, first in the index. Values read as in the HTML form (units, time zones), and
// log tables lead with a severity column.
#ifndef QZA_HOST_TEXT_WRITER_H
#define QZA_HOST_TEXT_WRITER_H

#include <utility>

#include "forms/documents/document_writer.h"

class TTextWriter : public TDocumentWriter {
 public:
  explicit TTextWriter(TWriterSettings settings);

 protected:
  void RenderPage(const TDocumentPage& page, std::ostream& out) override;
  void RenderIndex(const TReportIndex& index) override;
  std::string RenderChanges(const TChangeList& changes, const std::vector<TShownLogRecords>& logs) override;
  std::string ListSeparator() const override { return ", "; }

 private:
  void RenderTable(const TDocumentTable& table, std::ostream& out) const;
  void RenderGrid(const TDocumentTable& table, std::ostream& out) const;
  void RenderRecords(const TDocumentTable& table, std::ostream& out) const;
  void RenderRowBlocks(const std::vector<std::vector<std::string>>& rows, bool headerRow, std::ostream& out) const;
  void RenderLabelled(const std::vector<std::pair<std::string, std::string>>& pairs, std::ostream& out) const;

  size_t fWidth;
};

#endif
