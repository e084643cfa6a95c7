#include "forms/documents/document_writer.h"

#include <algorithm>
#include <sstream>

#include "core/root.h"
#include "forms/report_summary.h"

using NVKXQZA20::ICIMClass;
using NVKXQZA20::ICIMPropertyDecl;
using NVKXQZA20::TQZAException;

namespace {

const char kErrorLogCategory[] = "QZA Error Log";

int32_t Percent(const std::string& width) { return TReportParameters::ConvertPercent(width); }

// Whether the page shows a row beyond its tables' labels: a page has content
// by what it shows, whatever its registration says.
bool ShowsRows(const TDocumentPage& page) {
  return std::any_of(page.fTables.begin(), page.fTables.end(), [](const TDocumentTable& table) {
    return table.fRows.size() > (table.fHeaderRow ? 1u : 0u);
  });
}

TReadableValues::TRowSources RowSourcesOf(const TTableCell* cells, int32_t columns) {
  TReadableValues::TRowSources sources;
  for (int32_t c = 0; c < columns; ++c) sources.push_back(&cells[c].fSources);
  return sources;
}

}  // namespace

const TIndexEntry* ProblemPage(const TReportIndex& index, const TProblem& problem) {
  for (const TIndexEntry& entry : index.fEntries) {
    if (IsProblemPage(problem, entry.fLinkName, entry.fPageName)) return &entry;
  }
  return nullptr;
}

TDocumentWriter::TDocumentWriter(TWriterSettings settings, std::string extension)
    : THostWriter(std::move(settings)), fExtension(extension), fFiles(std::move(extension)) {}

void TDocumentWriter::Initialize(TNamespacePtr ns, NVKXQZA20::TCIMContext context, const std::string& outputTarget) {
  THostWriter::Initialize(ns, context, outputTarget);
  fFiles = TPageFileNames(fExtension);
  fCategory.clear();
  fPage = TDocumentPage();
  fPageOpen = false;
  fPagePending = false;
  fRenderedLinks.clear();
  fPageOutput.clear();
  fReadable = TReadableValues();
  fEmptyPageReasons.Read(ns, IsComparisonRun());
  const std::vector<TSummaryItem> summary = ReadReportSummary(ns);
  fIndex = TReportIndex();
  fIndex.fHost = MachineName(summary);
  fIndex.fSerialNumber = SummaryValue(summary, "Serial number");
  fIndex.fCollected = SummaryValue(summary, "Collected");
  fChanges.reset();
  if (IsComparisonRun()) {
    fIndex.fComparedCollections = CollectionLabels();
    fChanges.reset(new TChangeList(VolatileColumnLabels(), fIndex.fComparedCollections.front()));
  } else {
    fIndex.fProblems = ReadReportProblems(ns);
  }
}

// The error-log category is opened without a title; later titles replace this one.
void TDocumentWriter::BeginFirstCategory() { fCategory = kErrorLogCategory; }
void TDocumentWriter::BeginNextCategory() { fCategory = kErrorLogCategory; }
void TDocumentWriter::WriteCategoryTitle(std::string title) { fCategory = title; }

void TDocumentWriter::EndReport() {
  RenderPendingPage();
  RenderUnopenedPages();
  if (fChanges) {
    TRecordSeverities severities;
    const std::vector<TShownLogRecords> logs = ShownLogRecords(severities);
    fIndex.fChanges = CountsOf(*fChanges, RecordCount(logs));
    fIndex.fChangesFile = RenderChanges(*fChanges, logs);
  }
  RenderIndex(fIndex);
}

std::string TDocumentWriter::GetPageOutput() {
  RenderPendingPage();
  return fPageOutput;
}

std::string TDocumentWriter::PageFileName(const std::string& linkName) { return fFiles.FileFor(linkName); }

std::string TDocumentWriter::PageFile(const std::string& linkName) {
  return Settings().fStagingFolder + NVKXQZA20::TOSSpecific::kFileSeparator + PageFileName(linkName);
}

std::string TDocumentWriter::IndexFile() const {
  return Settings().fStagingFolder + NVKXQZA20::TOSSpecific::kFileSeparator + "index" + fExtension;
}

void TDocumentWriter::OpenPage(std::string pagePath) {
  // A page that failed half-way is still written before the next begins.
  RenderPendingPage();
  fPageOpen = true;
  fPagePending = true;
  fPage = TDocumentPage();
  fPage.fCategory = fCategory;
  std::string folder = GetOutputFolder() + NVKXQZA20::TOSSpecific::kFileSeparator;
  fPage.fLinkName = pagePath.compare(0, folder.size(), folder) == 0 ? pagePath.substr(folder.size()) : pagePath;
  if (fChanges) fChanges->BeginPage(PageFileName(fPage.fLinkName));
  fRowOpen = false;
  fPendingTitle.clear();
}

void TDocumentWriter::ClosePage() {
  fPageOpen = false;
  if (FindEntry(fPage.fLinkName)) RenderPendingPage();
}

void TDocumentWriter::RegisterPage(std::string linkName, std::string pageName, bool& hasContent) {
  TIndexEntry* entry = FindEntry(linkName);
  // A page registered twice (by two generators) is listed once.
  const auto rendered = fRenderedLinks.find(linkName);
  const bool shown = rendered == fRenderedLinks.end() ? hasContent : rendered->second;
  if (!entry) {
    fIndex.fEntries.push_back(TIndexEntry{fCategory, linkName, PageFileName(linkName), pageName, shown});
  } else {
    entry->fPageName = pageName;
    entry->fHasContent = shown;
  }
  if (fPagePending && !fPageOpen && fPage.fLinkName == linkName) RenderPendingPage();
}

TIndexEntry* TDocumentWriter::FindEntry(const std::string& linkName) {
  for (TIndexEntry& entry : fIndex.fEntries) {
    if (entry.fLinkName == linkName) return &entry;
  }
  return nullptr;
}

// A registered page takes its name and content flag from its registration;
// a page never registered (a raw-data page) is named by its title and stays
// out of the index.
void TDocumentWriter::RenderPendingPage() {
  if (!fPagePending) return;
  fPagePending = false;
  fPageOpen = false;
  fPage.fHasContent = ShowsRows(fPage);
  if (!fPage.fHasContent) fPage.fEmptyReason = fEmptyPageReasons.Of(fPage.fLinkName);
  if (TIndexEntry* entry = FindEntry(fPage.fLinkName)) {
    fPage.fPageName = entry->fPageName;
    entry->fHasContent = fPage.fHasContent;
  } else {
    fPage.fPageName = fPage.fTitle.empty() ? fPage.fLinkName : fPage.fTitle;
  }
  if (fPage.fTitle.empty()) fPage.fTitle = fPage.fPageName;
  fRenderedLinks[fPage.fLinkName] = fPage.fHasContent;
  Emit(fPage);
}

void TDocumentWriter::Emit(const TDocumentPage& page) {
  if (WritesPageFiles()) {
    WriteStreamedFile(PageFile(page.fLinkName), [&](std::ostream& out) { RenderPage(page, out); });
    return;
  }
  std::ostringstream out;
  RenderPage(page, out);
  fPageOutput = out.str();
}

void TDocumentWriter::RenderUnopenedPages() {
  if (!WritesPageFiles()) return;  // no file for the index to miss
  for (TIndexEntry& entry : fIndex.fEntries) {
    if (fRenderedLinks.count(entry.fLinkName) != 0) continue;
    entry.fHasContent = false;
    TDocumentPage page;
    page.fCategory = entry.fCategory;
    page.fLinkName = entry.fLinkName;
    page.fPageName = entry.fPageName;
    page.fTitle = entry.fPageName;
    page.fHasContent = false;
    Emit(page);
  }
}

void TDocumentWriter::BeginPageBody() {}
void TDocumentWriter::EndPageBody() {}
void TDocumentWriter::WritePageHeading() {}

void TDocumentWriter::WritePageTitle(std::string title, std::string linkText, std::string linkTarget) {
  if (fChanges) fChanges->PageTitle(title);
  fPage.fTitle = title;
  fPage.fRawDataLinkText = linkText;
  fPage.fRawDataLinkTarget = linkTarget;
}

// A title waits for the table it names; a title with no table after it
// stays as a table without rows.
void TDocumentWriter::WriteTableTitle(std::string title, bool& subTitleEnabled, bool& secondFlag) {
  if (fChanges) fChanges->TableTitle(title, secondFlag);
  TDocumentTable table;
  table.fTitle = title;
  table.fSubtitle = subTitleEnabled;
  fPage.fTables.push_back(table);
  fPendingTitle = title;
}

void TDocumentWriter::WriteSeparator() {
  fPendingTitle.clear();
  if (fChanges) fChanges->Separator();
}

TDocumentTable& TDocumentWriter::CurrentTable() {
  if (fPage.fTables.empty()) fPage.fTables.push_back(TDocumentTable());
  return fPage.fTables.back();
}

// The table a titled block just announced, or a new one.
static TDocumentTable& TableAfterTitle(std::vector<TDocumentTable>& tables, std::string& pendingTitle) {
  if (!pendingTitle.empty() && !tables.empty() && tables.back().fRows.empty()) {
    pendingTitle.clear();
    return tables.back();
  }
  pendingTitle.clear();
  tables.push_back(TDocumentTable());
  return tables.back();
}

void TDocumentWriter::WriteTableGrid(TTableGrid grid) {
  RelabelCollections(grid);
  if (fChanges) {
    fChanges->Grid(PlainGridOf(grid, [this](const TTableCell& cell) { return fReadable.TimeText(cell.fSources, cell.fText); }));
  }
  ShapeSensorTable(grid);
  TDocumentTable& table = TableAfterTitle(fPage.fTables, fPendingTitle);
  table.fWidth = grid.fTableWidth;
  table.fColumnWidths = grid.fColumnWidths;
  table.fSortable = grid.fSortable;
  table.fHeaderRow = grid.fColumnReport;
  table.fHeaderColumn = grid.fRowReport;
  // The grid is this writer's own: its texts move into the page.
  table.fRows.reserve(table.fRows.size() + std::max(grid.fRows, 0));
  for (int32_t r = 0; r < grid.fRows; ++r) {
    std::vector<TDocumentCell> row;
    row.reserve(std::max(grid.fColumns, 0));
    const TTableCell* const rowCells = &grid.fCells[static_cast<size_t>(r) * grid.fColumns];
    const TReadableValues::TRowSources rowSources = RowSourcesOf(rowCells, grid.fColumns);
    for (int32_t c = 0; c < grid.fColumns; ++c) {
      TTableCell& source = grid.fCells[static_cast<size_t>(r) * grid.fColumns + c];
      TDocumentCell cell;
      if (auto shown = fReadable.Of(source.fSources, source.fText, rowSources)) cell.fReadable = shown->fText;
      cell.fText = std::move(source.fText);
      cell.fAlternate = std::move(source.fAlternateText);
      cell.fMonospaced = source.fMonospaced;
      cell.fHeader = (grid.fColumnReport && r == 0) || (grid.fRowReport && c == 0);
      row.push_back(std::move(cell));
    }
    table.fRows.push_back(std::move(row));
  }
}

void TDocumentWriter::BeginGridTable(std::string width, std::string caption, bool) {
  TDocumentTable& table = TableAfterTitle(fPage.fTables, fPendingTitle);
  if (table.fTitle.empty()) table.fTitle = caption;
  table.fWidth = Percent(width);
  table.fHeaderRow = true;
  fRowOpen = false;
}

void TDocumentWriter::BeginPropertyTable(std::string width, std::string secondWidth, std::string title) {
  TDocumentTable& table = TableAfterTitle(fPage.fTables, fPendingTitle);
  if (table.fTitle.empty()) table.fTitle = title;
  table.fWidth = Percent(width);
  table.fColumnWidths = {Percent(secondWidth), 100 - Percent(secondWidth)};
  table.fHeaderColumn = true;
  fRowOpen = false;
}

std::vector<TDocumentCell>& TDocumentWriter::CurrentRow() {
  TDocumentTable& table = CurrentTable();
  if (!fRowOpen || table.fRows.empty()) {
    table.fRows.push_back(std::vector<TDocumentCell>());
    fRowOpen = true;
  }
  return table.fRows.back();
}

void TDocumentWriter::AddCell(std::string text, bool header) {
  TDocumentCell cell;
  cell.fText = std::move(text);
  cell.fHeader = header;
  CurrentRow().push_back(std::move(cell));
}

void TDocumentWriter::BeginRow(bool&) {
  CurrentTable().fRows.push_back(std::vector<TDocumentCell>());
  fRowOpen = true;
}

void TDocumentWriter::EndRow() { fRowOpen = false; }
void TDocumentWriter::EndGridHeader() { fRowOpen = false; }
void TDocumentWriter::EndTable() { fRowOpen = false; }
void TDocumentWriter::SetRawDataLink(int32_t) {}

std::string TDocumentWriter::ColumnLabel(boost::shared_ptr<ICIMClass> cimClass, const TReportProperty& column) {
  if (!cimClass) return column.GetLabelOverride().empty() ? column.GetProperty() : column.GetLabelOverride();
  try {
    return GetTableHeaderLabel(*cimClass, column, NVKXQZA20::TCIMContext());
  } catch (const TQZAException&) {
    return column.GetProperty();
  }
}

std::string TDocumentWriter::ValueText(TInstancePtr instance, const std::string& property) {
  if (!instance) return "";
  return GetPropertyValue(instance, property, ListSeparator());
}

void TDocumentWriter::WriteHeaderCell(boost::shared_ptr<ICIMClass> cimClass, TReportProperty column) {
  AddCell(ColumnLabel(cimClass, column), true);
}

void TDocumentWriter::WriteDeclarationCell(boost::shared_ptr<ICIMPropertyDecl> declaration) {
  AddCell(GetDisplayName(declaration), true);
}

void TDocumentWriter::WritePropertyCell(TReportProperty, std::string text) { AddCell(text, false); }
void TDocumentWriter::WriteMessageCell(std::string message, TReportProperty) { AddCell(message, false); }

// The column's value on the instance, through the column's association
// step when it has one, as the generic tables read it.
TDocumentCell TDocumentWriter::ColumnValue(TInstancePtr instance, const TReportProperty& column) {
  TDocumentCell cell;
  if (!instance) return cell;
  std::string separator = GetArraySeparatorText(column.GetArrayValueSeparator());
  TProperties properties =
      GetProperties(instance, column.GetProperty(), column.GetAssociationClass(), column.GetAssociationTarget());
  if (properties.empty() && !column.GetSecondaryAssociationTarget().empty()) {
    properties = GetProperties(instance, column.GetProperty(), "", column.GetSecondaryAssociationTarget());
  }
  cell.fText = GetValuesFromProperties(properties, separator, false);
  if (auto shown = fReadable.Of(properties, cell.fText)) cell.fReadable = shown->fText;
  return cell;
}

void TDocumentWriter::WriteValueCell(TInstancePtr instance, TReportProperty column) {
  CurrentRow().push_back(ColumnValue(instance, column));
}

void TDocumentWriter::WriteInstanceCell(TInstancePtr instance, TReportProperty column) {
  CurrentRow().push_back(ColumnValue(instance, column));
}

void TDocumentWriter::WriteDriveHealthSummary(TPropertyPtr rawData) {
  AddCell(GetValueFromProperty(rawData, ListSeparator(), false), false);
}

void TDocumentWriter::WriteDriveHealthTable(TInstancePtr, TPropertyPtr property) {
  AddCell(GetValueFromProperty(property, ListSeparator(), false), false);
}

void TDocumentWriter::WriteRegisterTable(TInstancePtr, std::string value) { AddCell(value, false); }

void TDocumentWriter::BeginVellumAnalysis() {}
void TDocumentWriter::WriteVellumHeading() {}

void TDocumentWriter::WriteVellumDeviceRow(TInstancePtr device, TReportProperty column1, TReportProperty column2,
                                           TReportProperty column3, TReportProperty column4,
                                           TReportProperty column5, TReportProperty column6,
                                           TReportProperty column7, TReportProperty column8, int32_t) {
  bool flag = false;
  BeginRow(flag);
  for (const TReportProperty* column : {&column1, &column2, &column3, &column4, &column5, &column6, &column7, &column8}) {
    WriteValueCell(device, *column);
  }
}

// The log pages are page definitions like any other: render them the
// library's way, which reaches this writer through the calls above.
void TDocumentWriter::WriteEventLogReport(TReportParameters page) { WriteGenericReport(page); }
void TDocumentWriter::WriteMergedLogPage(TReportParameters page) { WriteGenericReport(page); }

// A titled table of every property the records' class declares, inside the
// page that is open (the KeelRAID logs page), or on a page of its own.
void TDocumentWriter::WriteKeelRAIDEventLog(TInstances records, std::string title, std::string linkName) {
  bool ownPage = !fPageOpen;
  if (ownPage) {
    OpenPage(PagePath(linkName));
    WritePageTitle(title, "", "");
  }
  TDocumentTable table;
  table.fTitle = title;
  table.fHeaderRow = true;
  table.fSortable = true;
  if (!records.empty()) {
    std::vector<boost::shared_ptr<ICIMPropertyDecl>> declarations = records.front()->GetClass()->GetPropertyDecls();
    table.fRows.push_back(std::vector<TDocumentCell>());
    for (const auto& declaration : declarations) {
      TDocumentCell label;
      label.fText = GetDisplayName(declaration);
      label.fHeader = true;
      table.fRows.back().push_back(label);
    }
    for (const TInstancePtr& record : records) {
      table.fRows.push_back(std::vector<TDocumentCell>());
      for (const auto& declaration : declarations) {
        TDocumentCell cell;
        cell.fText = ValueText(record, declaration->GetName());
        table.fRows.back().push_back(cell);
      }
    }
  }
  fPage.fTables.push_back(table);
  if (ownPage) {
    ClosePage();
    bool hasContent = !records.empty();
    RegisterPage(linkName, title, hasContent);
  }
}

std::string TDocumentWriter::GetArraySeparatorText(TReportProperty::ArrayValueSeparator separator) {
  return separator == TReportProperty::AddressRangeSeparator ? "; " : ListSeparator();
}

std::string TDocumentWriter::EncodeValue(std::string value) { return value; }
