// forms/html/ — the HTML site: this writer, its site (index, navigation,
// search), tables, texts, assets and the What changed page. Uses forms/ and
// what forms/ may use.
//
// The HTML writer: turns a report into a folder that opens in any browser,
// without a server or network: index.html (machine summary, its problems
// linked to their rows, contents and a search over the whole report; in a
// comparison, the compared collections and the differing instances counted
// per page, and a "What changed" page that lists every difference in a
// line), one page per registered page (log tables marked by severity)
// named from its link name, report.css, report.js and search-data.js, beside
// the raw-data result files the library writes itself. Values with a declared
// unit, date-times and midnight dates read as people read them
// (readable_values.h); section headings carry anchors.
//
//   TWriterSettings settings{"out", "out.partial", "", "html"};
//   THtmlWriter writer(settings);
//   report.Write(&writer, context);
//   if (!writer.GetFailures().empty()) ...   // files that could not be written
//
// Safety: every text from the repository reaches a page escaped: values go
// through EncodeValue, and titles, labels, names and cells through the
// idempotent markup of html_text.h, so no data can add an element or an
// attribute. Pages are complete at ClosePage; EndReport writes the index and
// the search data and gives every page the navigation of the whole report.
#ifndef QZA_HOST_HTML_WRITER_H
#define QZA_HOST_HTML_WRITER_H

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "comparison/change_list.h"
#include "forms/host_writer.h"
#include "forms/html/html_changes.h"
#include "forms/html/html_site.h"
#include "forms/html/html_table.h"
#include "forms/file_names.h"
#include "forms/html/html_text.h"
#include "findings/empty_pages.h"
#include "findings/report_problems.h"

class THtmlWriter : public THostWriter {
 public:
  explicit THtmlWriter(TWriterSettings settings);
  // The markup check of result links reads this writer's folder.
  THtmlWriter(const THtmlWriter&) = delete;
  THtmlWriter& operator=(const THtmlWriter&) = delete;

  void Initialize(TNamespacePtr ns, NVKXQZA20::TCIMContext context, const std::string& outputTarget) override;
  void BeginFirstCategory() override;
  void BeginNextCategory() override;
  void WriteCategoryTitle(std::string title) override;
  void EndReport() override;
  // "": the HTML writer writes whole reports only.
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
  std::optional<size_t> PagesWithoutRows() const override { return fSite.PagesWithoutRows(); }
  void RegisterPage(std::string linkName, std::string pageName, bool& hasContent) override;
  void WriteSeparator() override;
  void WriteTableTitle(std::string title, bool& subTitleEnabled, bool& secondFlag) override;
  void BeginGridTable(std::string width, std::string caption, bool sortable) override;
  void BeginPropertyTable(std::string width, std::string labelWidth, std::string title) override;
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
  // ", " between elements, a line of their own for lists and address ranges.
  std::string GetArraySeparatorText(TReportProperty::ArrayValueSeparator separator) override;
  std::string EncodeValue(std::string value) override;
  void WritePageHeading() override;

 private:
  // The page being written. Its body goes straight to a part file: one
  // page may hold a log of a million records.
  struct TPage {
    bool fOpen = false;
    std::string fFile;
    std::string fLinkName;
    std::vector<size_t> fProblemsToLink;  // problems shown on this page and not yet linked to a row
    std::string fTitle;  // markup
    std::unique_ptr<std::ofstream> fBody;
    std::string fLastHeading;  // plain text of the latest heading
    bool fCategoryShown = false;
    int fTableCount = 0;
    std::vector<std::string> fSearchTexts;
    size_t fSearchBytes = 0;  // of the table texts in fSearchTexts
    std::map<std::string, int> fAnchorUses;  // section anchors given, and how often
  };
  // A table written cell by cell, until EndTable.
  struct TStreamedTable {
    bool fOpen = false;
    bool fInHeader = false;
    bool fRowOpen = false;
    bool fMemberRows = false;  // rows after SetRawDataLink belong to the group above
    bool fGroupStarts = false;
    THtmlRow fRow;
    TInstancePtr fRowInstance;  // of the row's first value; its severity when a log record
    THtmlTable fTable;          // the settings and the leading header rows
    THtmlRowSpool fBody;        // the other rows
    size_t fBodyCells = 0;      // the most cells of a row in fBody
    bool fSeverities = false;   // some row has a severity
    std::vector<bool> fOtherUnitColumns;  // columns with a value shown in another unit
  };
  // A closed page, put together with the whole report's navigation at the end.
  struct TWrittenPage {
    std::string fFile;
    std::string fTitle;  // markup of the document title
    bool fBodyWritten;
  };
  // What the device analysis found, for its heading.
  struct TVellumSummary {
    int fFindings = 0;
    double fHighest = 0;
    double fLowest = 0;
    bool fScoresKnown = true;
  };
  // The strongest findings of the device analysis stand out.
  static constexpr int32_t kTopVellumFindings = 3;

  std::string OutputFile(const std::string& file) const;
  void WriteFile(const std::string& file, const std::string& content);
  void WriteFile(const std::string& file, const std::function<void(std::ostream&)>& write);
  std::string BodyFile(const std::string& file) const;
  void ReadSummary(TNamespacePtr ns);
  void WriteAssets();
  void WritePages();
  void WriteChangesPage();
  void WritePage(const TWrittenPage& page);

  void Append(const std::string& markup);
  void AppendHeading(const std::string& tag, const std::string& classes, const std::string& title);
  std::string SectionAnchor(const std::string& heading);
  void AppendNote(const std::string& text);
  void AppendTable(THtmlTable table);
  void AppendHeldTable(THtmlTable head, size_t bodyRows, size_t bodyCells, bool severities,
                       const std::function<void(THtmlRow&)>& takeRow);
  void AppendTableRows(const THtmlTable& head, size_t columns, size_t bodyRows,
                       const std::function<void(THtmlRow&)>& takeRow);
  void LinkProblems(THtmlRow& row, const std::string& rowId);
  std::string ProblemsHtml() const;
  std::string NextTableId();
  void CollectSearchTexts(const THtmlRow& row);
  void ShowCategory();

  void BeginStreamedTable(int width, const std::string& caption);
  void AddCell(THtmlCell cell);
  void CloseRow();
  void DropShownUnits(THtmlRow& row);
  void DropHeaderUnits(THtmlTable& table) const;
  THtmlCell LabelCell(boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass, const TReportProperty& column);
  THtmlCell ValueCell(TInstancePtr instance, const TReportProperty& column, bool followAssociation);
  THtmlCell TextCell(const std::string& libraryText, bool monospaced);

  void WriteLogPage(TReportParameters page);
  void AppendLogTable(const TReportClass& table, const TInstances& records);
  THtmlTable RecordTable(const TInstances& records);

  TLibraryMarkup fMarkup;
  TReadableValues fReadable;
  TEmptyPageReasons fEmptyPageReasons;
  TRecordSeverities fSeverities;
  std::vector<TSummaryItem> fSummary;
  std::vector<TProblem> fProblems;
  std::vector<std::string> fProblemLinks;  // page#row of each problem, its page until then; "" for none
  std::map<std::string, std::string> fPageNames;  // registered, by link name
  std::string fMachine;
  THtmlSite fSite;
  TPageFileNames fFiles;
  std::vector<TWrittenPage> fWrittenPages;
  TPage fPage;
  TStreamedTable fStreamed;
  TVellumSummary fVellum;
  std::unique_ptr<TChangeList> fChanges;  // in a comparison report
};

#endif
