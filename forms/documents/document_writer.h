// forms/documents/ — the text and inventory documents: this page model and
// its two renderers. Uses forms/ and what forms/ may use.
//
// A writer that turns the library's output calls into a model of each page
// (titles and tables of cells) and hands every finished page, then the
// index, to a renderer. The text and inventory writers are such renderers:
// the model is built once, here, and never changed by rendering.
//
// A page's contents go to the file of the link name it was opened with; its
// registration (name, category, content flag) may come before it is opened
// or after it is closed. A page is rendered once it is closed and
// registered, or when the next one opens; a registered page that was never
// opened still gets its (empty) file, so that the index names no missing file.
#ifndef QZA_HOST_DOCUMENT_WRITER_H
#define QZA_HOST_DOCUMENT_WRITER_H

#include <algorithm>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "comparison/change_list.h"
#include "forms/file_names.h"
#include "forms/host_writer.h"
#include "findings/empty_pages.h"
#include "findings/readable_values.h"
#include "findings/report_problems.h"

struct TDocumentCell {
  std::string fText;
  std::string fAlternate;  // a second value shown beside the text
  std::string fReadable;   // the text in readable units (readable_values.h); "" for none
  bool fMonospaced = false;
  bool fHeader = false;    // a label cell
};

struct TDocumentTable {
  std::string fTitle;       // "" for an untitled table
  bool fSubtitle = false;   // the title is a subtitle of the one before
  int32_t fWidth = 100;     // percent of the page
  std::vector<int32_t> fColumnWidths;
  bool fHeaderRow = false;     // row 0 holds the column labels
  bool fHeaderColumn = false;  // column 0 holds the row labels
  bool fSortable = false;
  std::vector<std::vector<TDocumentCell>> fRows;
};

struct TDocumentPage {
  std::string fCategory;
  std::string fLinkName;
  std::string fPageName;
  std::string fTitle;
  std::string fRawDataLinkText;  // a link to the page's raw data, when given
  std::string fRawDataLinkTarget;
  bool fHasContent = false;
  std::string fEmptyReason;  // why a page without content has none
  std::vector<TDocumentTable> fTables;
};

struct TIndexEntry {
  std::string fCategory;
  std::string fLinkName;
  std::string fFile;  // the page's file, beside the index
  std::string fPageName;
  bool fHasContent;
};

// What the index shows above its entries.
struct TReportIndex {
  std::string fHost;
  std::string fSerialNumber;
  std::string fCollected;
  std::vector<std::string> fComparedCollections;  // empty unless a comparison
  TChangeCounts fChanges;                           // of a comparison: what its What changed list counts
  std::string fChangesFile;                         // and that list's file; "" when the form has none
  std::vector<TProblem> fProblems;                // none in a comparison
  std::vector<TIndexEntry> fEntries;
};

// The index's first page among the problem's pages; nullptr for none.
const TIndexEntry* ProblemPage(const TReportIndex& index, const TProblem& problem);

class TDocumentWriter : public THostWriter {
 public:
  // extension: of every file written, such as ".txt".
  TDocumentWriter(TWriterSettings settings, std::string extension);

  void Initialize(TNamespacePtr ns, NVKXQZA20::TCIMContext context, const std::string& outputTarget) override;
  void BeginFirstCategory() override;
  void BeginNextCategory() override;
  void WriteCategoryTitle(std::string title) override;
  void EndReport() override;
  std::string GetPageOutput() override;
  void WriteKeelRAIDEventLog(TInstances records, std::string title, std::string linkName) override;
  void WriteEventLogReport(TReportParameters page) override;
  void WriteMergedLogPage(TReportParameters page) override;
  void BeginVellumAnalysis() override;
  void WriteVellumDeviceRow(TInstancePtr device, TReportProperty column1, TReportProperty column2,
                            TReportProperty column3, TReportProperty column4, TReportProperty column5,
                            TReportProperty column6, TReportProperty column7, TReportProperty column8,
                            int32_t rowIndex) override;
  void WriteVellumHeading() override;
  void WriteDriveHealthSummary(TPropertyPtr rawData) override;
  void WriteDeclarationCell(boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl> declaration) override;
  void WriteDriveHealthTable(TInstancePtr record, TPropertyPtr property) override;
  void WriteRegisterTable(TInstancePtr record, std::string value) override;
  void OpenPage(std::string pagePath) override;
  void ClosePage() override;
  void BeginPageBody() override;
  void EndPageBody() override;
  void WritePageTitle(std::string title, std::string linkText, std::string linkTarget) override;
  std::optional<size_t> PagesWithoutRows() const override {
    return static_cast<size_t>(std::count_if(fIndex.fEntries.begin(), fIndex.fEntries.end(),
                                             [](const TIndexEntry& entry) { return !entry.fHasContent; }));
  }
  void RegisterPage(std::string linkName, std::string pageName, bool& hasContent) override;
  void WriteSeparator() override;
  void WriteTableTitle(std::string title, bool& subTitleEnabled, bool& secondFlag) override;
  void BeginGridTable(std::string width, std::string caption, bool flag) override;
  void BeginPropertyTable(std::string width, std::string secondWidth, std::string title) override;
  void WriteHeaderCell(boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass, TReportProperty column) override;
  void EndGridHeader() override;
  void BeginRow(bool& flag) override;
  void EndRow() override;
  void EndTable() override;
  void SetRawDataLink(int32_t link) override;
  void WriteTableGrid(TTableGrid grid) override;
  void WritePropertyCell(TReportProperty column, std::string text) override;
  void WriteValueCell(TInstancePtr instance, TReportProperty column) override;
  void WriteMessageCell(std::string message, TReportProperty column) override;
  void WriteInstanceCell(TInstancePtr instance, TReportProperty column) override;
  std::string GetArraySeparatorText(TReportProperty::ArrayValueSeparator separator) override;
  std::string EncodeValue(std::string value) override;
  void WritePageHeading() override;

 protected:
  // Renders a registered page as it is written: to its file, or, when pages
  // are not written to files, to the text that GetPageOutput gives.
  virtual void RenderPage(const TDocumentPage& page, std::ostream& out) = 0;
  // False when pages are only answered by GetPageOutput; a page written to
  // its file is not held again as text.
  virtual bool WritesPageFiles() const { return true; }
  // Renders the index of a full report.
  virtual void RenderIndex(const TReportIndex& index) = 0;
  // Of a comparison: renders its What changed list; the file it went to, ""
  // when the form has no such list.
  virtual std::string RenderChanges(const TChangeList& /*changes*/, const std::vector<TShownLogRecords>& /*logs*/) {
    return "";
  }
  // The text placed between array elements ("" is never used).
  virtual std::string ListSeparator() const = 0;
  // The file name of the page of the link name, and that file in the staging folder.
  std::string PageFileName(const std::string& linkName);
  std::string PageFile(const std::string& linkName);
  // The index's own file in the staging folder.
  std::string IndexFile() const;

 private:
  TDocumentTable& CurrentTable();
  std::vector<TDocumentCell>& CurrentRow();
  void AddCell(std::string text, bool header);
  std::string ColumnLabel(boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass, const TReportProperty& column);
  std::string ValueText(TInstancePtr instance, const std::string& property);
  TDocumentCell ColumnValue(TInstancePtr instance, const TReportProperty& column);
  TIndexEntry* FindEntry(const std::string& linkName);
  void RenderPendingPage();
  void RenderUnopenedPages();
  void Emit(const TDocumentPage& page);

  std::string fExtension;
  TPageFileNames fFiles;
  std::string fCategory;
  TDocumentPage fPage;
  bool fRowOpen = false;
  bool fPageOpen = false;     // between OpenPage and ClosePage
  bool fPagePending = false;  // opened and not yet rendered
  std::string fPendingTitle;
  TReportIndex fIndex;
  std::unique_ptr<TChangeList> fChanges;  // in a comparison report
  std::map<std::string, bool> fRenderedLinks;  // and whether each page shows rows
  std::string fPageOutput;
  TReadableValues fReadable;
  TEmptyPageReasons fEmptyPageReasons;
};

#endif
