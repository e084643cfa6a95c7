#include "forms/html/html_writer.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <stdexcept>

#include "core/root.h"
#include "forms/display_text.h"
#include "forms/html/html_assets.h"
#include "forms/log_columns.h"
#include "forms/sensor_table.h"
#include "writer/cim_reading.h"

namespace fs = std::filesystem;
using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TAddToVectorCallback;
using NVKXQZA20::TCIMValue;
using NVKXQZA20::TQZAException;

namespace {

const char kArrayElementSeparator[] = ", ";
const char kPageExtension[] = ".html";
const int kHexBytesPerLine = 16;

// A label as a cell shows it: plain text, never library markup.
TCellText PlainCellText(const std::string& text) { return TCellText{TextMarkup(text), PlainTextOf(TextMarkup(text))}; }

std::string Joined(const std::vector<std::string>& texts, const std::string& separator) {
  std::string joined;
  for (size_t i = 0; i < texts.size(); ++i) joined += (i ? separator : "") + texts[i];
  return joined;
}

// Runs of white space as one blank, none at the ends.
std::string SpacesCollapsed(const std::string& text) {
  std::string collapsed;
  for (char c : text) {
    if (!std::isspace(static_cast<unsigned char>(c))) {
      collapsed += c;
    } else if (!collapsed.empty() && collapsed.back() != ' ') {
      collapsed += ' ';
    }
  }
  if (!collapsed.empty() && collapsed.back() == ' ') collapsed.pop_back();
  return collapsed;
}

// Whether text with its runs of white space as one blank, none at the ends,
// is key; as SpacesCollapsed(text) == key, without making the text, since
// every row of a page is compared until the problem's row is found.
bool CollapsesTo(const std::string& text, const std::string& key) {
  // Collapsing never lengthens a text.
  if (text.size() < key.size()) return false;
  size_t matched = 0;
  bool blank = false;  // white space seen since the last character matched
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      blank = matched > 0;
      continue;
    }
    if (blank && (matched == key.size() || key[matched++] != ' ')) return false;
    blank = false;
    if (matched == key.size() || key[matched++] != c) return false;
  }
  return matched == key.size();
}

// The log columns of a table whose head holds its header row; none otherwise.
TLogColumns LogColumnsOf(const THtmlTable& table) {
  std::vector<std::string> labels;
  if (!table.fRows.empty() && table.fRows.front().fHeader) {
    for (const THtmlCell& cell : table.fRows.front().fCells) labels.push_back(cell.fText.fPlain);
  }
  return TLogColumns(labels);
}

std::string SeverityOfRow(const TLogColumns& log, const THtmlRow& row) {
  return SeverityName(
      log.SeverityOf(row.fCells.size(), [&](size_t c) -> const std::string& { return row.fCells[c].fText.fPlain; }));
}

// The word of a severity name: "error" is "Error".
THtmlCell SeverityCell(std::string severity) {
  THtmlCell cell;
  if (!severity.empty()) severity[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(severity[0])));
  cell.fText = TCellText{severity, severity};
  cell.fClasses = "sev";
  return cell;
}

THtmlCell SeverityLabelCell() {
  THtmlCell cell;
  cell.fKind = THtmlCell::kColumnHeader;
  cell.fText = TCellText{kSeverityLabel, kSeverityLabel};
  return cell;
}

// A leading column names each row's severity in a word, so that colour is
// not its only sign; the table offers to show only errors and warnings.
// Only a table of columns, whose head holds its header row, has rows that
// are records; its rows each get the column's cell.
bool AddSeverityColumn(THtmlTable& head) {
  if (head.fRows.empty() || !head.fRows.front().fHeader) return false;
  for (THtmlRow& row : head.fRows) row.fCells.insert(row.fCells.begin(), SeverityLabelCell());
  if (!head.fColumnWidths.empty()) head.fColumnWidths.insert(head.fColumnWidths.begin(), 0);
  head.fSeverityToggle = true;
  return true;
}

// A sensor's row is marked by its status, which leads it, as a log
// record's by its severity.
void MarkSensorStatus(THtmlRow& row) {
  if (row.fHeader || row.fCells.empty()) return;
  row.fSeverity = SeverityName(SensorStatusSeverity(row.fCells.front().fText.fPlain));
  row.fCells.front().fClasses = "sev";
}

void AddSeverityCell(THtmlRow& row) {
  row.fCells.insert(row.fCells.begin(), row.fHeader ? SeverityLabelCell() : SeverityCell(row.fSeverity));
}

// As many columns as the widest of the head and the body rows.
size_t ColumnCount(const THtmlTable& head, size_t bodyCells) {
  size_t columns = std::max(head.fColumnWidths.size(), bodyCells);
  for (const THtmlRow& row : head.fRows) columns = std::max(columns, row.fCells.size());
  return columns;
}

// Some captions name a repository class rather than the table: they stay
// for screen readers only.
bool IsIdentifier(const std::string& text) {
  return text.find('_') != std::string::npos && text.find(' ') == std::string::npos;
}

std::string LinkNameOf(const std::string& pagePath, const std::string& folder) {
  const std::string prefix = folder + NVKXQZA20::TOSSpecific::kFileSeparator;
  if (!folder.empty() && pagePath.compare(0, prefix.size(), prefix) == 0) return pagePath.substr(prefix.size());
  size_t slash = pagePath.rfind(NVKXQZA20::TOSSpecific::kFileSeparator);
  return slash == std::string::npos ? pagePath : pagePath.substr(slash + 1);
}

std::string TwoHexDigits(const TCIMValue& value) {
  std::string digits = value.ToString(16);
  for (char& c : digits) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return digits.size() < 2 ? std::string(2 - digits.size(), '0') + digits : digits;
}

// Raw bytes as lines of 16, each led by its offset; texts one per line.
std::string RawDataText(const TWriter::TPropertyPtr& rawData) {
  const TCIMValue value = rawData->GetValue();
  const NVKXQZA20::ECIMType type = value.GetType();
  const bool numbers = type >= NVKXQZA20::CIMTypeUInt8 && type <= NVKXQZA20::CIMTypeSInt64;
  if (!numbers) return EncodeHtmlText(Joined(rawData->GetValueTexts(), "\n"));
  const std::vector<TCIMValue> bytes = value.ToArray();
  std::string dump;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % kHexBytesPerLine == 0) {
      std::ostringstream offset;
      offset << (i ? "\n" : "") << std::hex << std::uppercase << std::setw(4) << std::setfill('0') << i << ' ';
      dump += offset.str();
    }
    dump += " " + TwoHexDigits(bytes[i]);
  }
  return dump;
}

// A register value as bits in groups of four, "" for a text that is not a number.
std::string RegisterBits(const std::string& value) {
  const bool hex = value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X');
  const std::string digits = hex ? value.substr(2) : value;
  if (digits.empty() || digits.size() > (hex ? 16u : 19u)) return "";
  for (char c : digits) {
    if (!(hex ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c)))) return "";
  }
  const unsigned long long number = std::stoull(digits, nullptr, hex ? 16 : 10);
  int bits = 8;
  while (bits < 64 && (number >> bits) != 0) bits += 8;
  std::string text;
  for (int bit = bits - 1; bit >= 0; --bit) {
    text += ((number >> bit) & 1) ? '1' : '0';
    if (bit % 4 == 0 && bit != 0) text += ' ';
  }
  return "bits " + text;
}

}  // namespace

// Links of the library's raw-data pages are kept only to files it wrote.
THtmlWriter::THtmlWriter(TWriterSettings settings)
    : THostWriter(std::move(settings)), fMarkup([this](const std::string& file) {
        std::error_code error;
        return fs::is_regular_file(OutputFile(file), error);
      }),
      fFiles(kPageExtension) {}

std::string THtmlWriter::OutputFile(const std::string& file) const {
  return GetOutputFolder() + NVKXQZA20::TOSSpecific::kFileSeparator + file;
}

// A file that cannot be written is one of GetFailures(); the report goes on
// with the next, so that the tool can name every failure.
void THtmlWriter::WriteFile(const std::string& file, const std::string& content) {
  WriteFile(file, [&content](std::ostream& out) { out << content; });
}

void THtmlWriter::WriteFile(const std::string& file, const std::function<void(std::ostream&)>& write) {
  try {
    WriteStreamedFile(OutputFile(file), write);
  } catch (const std::runtime_error& failure) {
    NVKXQZA20::TRootObject::GetCoreLogger()->Log(0, std::string("THtmlWriter -- ") + failure.what());
  }
}

// Beside the page until the report ends; the tool never publishes a report
// that did not end.
std::string THtmlWriter::BodyFile(const std::string& file) const { return OutputFile(file + ".body"); }


void THtmlWriter::Initialize(TNamespacePtr ns, NVKXQZA20::TCIMContext context, const std::string& outputTarget) {
  THostWriter::Initialize(ns, context, outputTarget);
  fSite = THtmlSite();
  fFiles = TPageFileNames(kPageExtension);
  fWrittenPages.clear();
  fPageNames.clear();
  fPage = TPage();
  fStreamed = TStreamedTable();
  std::error_code error;
  fs::create_directories(GetOutputFolder(), error);
  WriteAssets();
  ReadSummary(ns);
  fReadable = TReadableValues();
  fEmptyPageReasons.Read(ns, IsComparisonRun());
  fSeverities = TRecordSeverities();
  fChanges.reset();
  if (IsComparisonRun()) {
    fSite.SetComparedCollections(CollectionLabels());
    const std::vector<std::string>& labels = CollectionLabels();
    fChanges.reset(new TChangeList(VolatileColumnLabels(), labels.empty() ? "" : labels.front()));
  }
}

void THtmlWriter::WriteChangesPage() {
  ClosePage();
  const std::vector<TShownLogRecords> logs = ShownLogRecords(fSeverities);
  std::vector<std::string> ignored;
  for (const TIgnoredProperty& property : IgnoredProperties()) {
    ignored.push_back(property.fClass + "." + property.fProperty);
  }
  fPage = TPage();
  fPage.fOpen = true;
  fPage.fFile = fFiles.FileFor("what_changed");
  fPage.fBody.reset(new std::ofstream(BodyFile(fPage.fFile), std::ios::binary | std::ios::trunc));
  fPage.fTitle = kChangesTitle;
  WriteChangesPageBody(*fPage.fBody, *fChanges, logs, ignored);
  for (const TPageChanges& page : fChanges->Pages()) {
    for (const TChange& change : page.fChanges) fPage.fSearchTexts.push_back(change.fInstance);
  }
  const std::string file = fPage.fFile;
  ClosePage();
  fSite.SetChangesPage(file, ChangesSummary(CountsOf(*fChanges, RecordCount(logs))));
  for (const TPageChanges& page : fChanges->Pages()) fSite.AddPageChanges(page.fFile, CountsOf(page));
}

void THtmlWriter::ReadSummary(TNamespacePtr ns) {
  fSummary = ReadReportSummary(ns);
  fProblems = IsComparisonRun() ? std::vector<TProblem>() : ReadReportProblems(ns);
  // A page shows a text with its own line ends and blanks.
  for (TProblem& problem : fProblems) problem.fRowKey = SpacesCollapsed(problem.fRowKey);
  fProblemLinks.assign(fProblems.size(), "");
  fMachine = HeadingText(MachineName(fSummary));
}

void THtmlWriter::WriteAssets() {
  WriteFile(kHtmlStylesheetFile, kHtmlStylesheet);
  WriteFile(kHtmlScriptFile, kHtmlScript);
}

void THtmlWriter::BeginFirstCategory() { fSite.BeginCategory(); }
void THtmlWriter::BeginNextCategory() { fSite.BeginCategory(); }
void THtmlWriter::WriteCategoryTitle(std::string title) { fSite.SetCategoryTitle(title); }

void THtmlWriter::EndReport() {
  ClosePage();
  if (fChanges) WriteChangesPage();
  THtmlDocument index;
  index.fTitle = fSite.IndexTitle(fMachine);
  index.fMachine = fMachine;
  index.fBody = fSite.IndexHtml(fSummary, fMachine, ProblemsHtml());
  index.fSearchData = true;
  WriteFile(kHtmlIndexFile, RenderHtmlDocument(index));
  WriteFile(kHtmlSearchDataFile, fSite.SearchDataScript());
  WritePages();
}

// Only now is every page known: each page gets the whole report's navigation.
void THtmlWriter::WritePages() {
  for (const TWrittenPage& page : fWrittenPages) WritePage(page);
}

void THtmlWriter::WritePage(const TWrittenPage& page) {
  THtmlDocument document;
  document.fTitle = page.fTitle;
  document.fMachine = fMachine;
  document.fNavigation = fSite.NavigationHtml(page.fFile);
  const std::string bodyFile = BodyFile(page.fFile);
  WriteFile(page.fFile, [&](std::ostream& out) {
    out << HtmlDocumentHead(document);
    std::ifstream body(bodyFile, std::ios::binary);
    // Inserting an empty buffer would mark the output failed.
    if (body.peek() != std::ifstream::traits_type::eof()) out << body.rdbuf();
    out << HtmlDocumentTail(document);
    // A page whose body could not be kept is a failure of the page's file.
    if (!page.fBodyWritten) out.setstate(std::ios::badbit);
  });
  std::error_code error;
  fs::remove(bodyFile, error);
}

std::string THtmlWriter::GetPageOutput() { return ""; }

void THtmlWriter::OpenPage(std::string pagePath) {
  // A page that failed half-way is still written before the next begins.
  ClosePage();
  fPage = TPage();
  fPage.fOpen = true;
  fPage.fLinkName = LinkNameOf(pagePath, GetOutputFolder());
  fPage.fFile = fFiles.FileFor(fPage.fLinkName);
  // A problem links to its page until a row of it shows the problem. A
  // log's page is registered before it is written.
  const auto registered = fPageNames.find(fPage.fLinkName);
  const std::string pageName = registered == fPageNames.end() ? "" : registered->second;
  for (size_t i = 0; i < fProblems.size(); ++i) {
    if (fProblemLinks[i].find('#') == std::string::npos && IsProblemPage(fProblems[i], fPage.fLinkName, pageName)) {
      if (fProblemLinks[i].empty()) fProblemLinks[i] = fPage.fFile;
      fPage.fProblemsToLink.push_back(i);
    }
  }
  fPage.fBody.reset(new std::ofstream(BodyFile(fPage.fFile), std::ios::binary | std::ios::trunc));
  if (fChanges) fChanges->BeginPage(fPage.fFile);
}

void THtmlWriter::ClosePage() {
  if (!fPage.fOpen) return;
  EndTable();
  // A report's own pages (What changed) have no link name and their own words.
  if (!fPage.fLinkName.empty() && !fSite.ShowsRows(fPage.fFile)) AppendNote(fEmptyPageReasons.Of(fPage.fLinkName));
  fSite.AddSearchTexts(fPage.fFile, PlainTextOf(fPage.fTitle), fPage.fSearchTexts);
  fPage.fBody->close();
  const TWrittenPage page{fPage.fFile,
                          (fPage.fTitle.empty() ? TextMarkup(fPage.fFile) : fPage.fTitle) + " - " +
                              EncodeHtmlText(fMachine),
                          static_cast<bool>(*fPage.fBody)};
  auto written = std::find_if(fWrittenPages.begin(), fWrittenPages.end(),
                              [this](const TWrittenPage& known) { return known.fFile == fPage.fFile; });
  if (written == fWrittenPages.end()) {
    fWrittenPages.push_back(page);
  } else {
    *written = page;
  }
  fPage = TPage();
}

void THtmlWriter::Append(const std::string& markup) {
  if (fPage.fOpen) *fPage.fBody << markup;
}

void THtmlWriter::ShowCategory() {
  if (!fPage.fOpen || fPage.fCategoryShown) return;
  fPage.fCategoryShown = true;
  const std::string category = fSite.CurrentCategoryName();
  if (!category.empty()) Append("<p class=\"crumb\">" + category + "</p>\n");
}

void THtmlWriter::WritePageHeading() { ShowCategory(); }
void THtmlWriter::BeginPageBody() { ShowCategory(); }
void THtmlWriter::EndPageBody() { EndTable(); }

void THtmlWriter::WritePageTitle(std::string title, std::string linkText, std::string linkTarget) {
  EndTable();
  const std::string markup = TextMarkup(HeadingText(title));
  if (fPage.fTitle.empty()) fPage.fTitle = markup;
  std::string link;
  if (!linkText.empty() && !linkTarget.empty()) {
    link = " <a class=\"page-link\" href=\"" + fFiles.FileFor(linkTarget) + "\">" + TextMarkup(linkText) + "</a>";
  } else if (!linkText.empty()) {
    link = " <span class=\"page-link\">" + TextMarkup(linkText) + "</span>";
  }
  Append("<h1>" + markup + link + "</h1>\n");
  if (fChanges) fChanges->PageTitle(PlainTextOf(markup));
  fPage.fLastHeading = PlainTextOf(markup);
  fPage.fSearchTexts.push_back(fPage.fLastHeading);
}

void THtmlWriter::RegisterPage(std::string linkName, std::string pageName, bool& hasContent) {
  fPageNames[linkName] = pageName;
  fSite.AddPage(fFiles.FileFor(linkName), HeadingText(pageName), hasContent);
}

void THtmlWriter::WriteSeparator() {
  EndTable();
  if (fChanges) fChanges->Separator();
  Append("<hr>\n");
}

void THtmlWriter::AppendHeading(const std::string& tag, const std::string& classes, const std::string& title) {
  EndTable();
  const std::string markup = TextMarkup(title);
  const std::string anchor = SectionAnchor(PlainTextOf(markup));
  Append("<" + tag + " id=\"" + anchor + "\"" + (classes.empty() ? "" : " class=\"" + classes + "\"") + ">" + markup +
         "<a class=\"anchor\" href=\"#" + anchor + "\" aria-label=\"Link to this section\">#</a></" + tag + ">\n");
  fPage.fLastHeading = PlainTextOf(markup);
  fPage.fSearchTexts.push_back(fPage.fLastHeading);
}

// Sections are linked by their heading: "sec-" and the heading's letters
// and digits, numbered when a page repeats a heading.
std::string THtmlWriter::SectionAnchor(const std::string& heading) {
  std::string anchor = "sec";
  for (char c : heading) {
    const bool kept = std::isalnum(static_cast<unsigned char>(c));
    if (kept || anchor.back() != '-') anchor += kept ? static_cast<char>(std::tolower(static_cast<unsigned char>(c))) : '-';
  }
  while (anchor.back() == '-') anchor.pop_back();
  const int uses = ++fPage.fAnchorUses[anchor];
  return uses == 1 ? anchor : anchor + "-" + std::to_string(uses);
}

void THtmlWriter::AppendNote(const std::string& text) {
  Append("<p class=\"note\">" + EncodeHtmlText(text) + "</p>\n");
}

// A subtitle is a level lower; the second flag marks the titles of the
// comparison pages ("Missing from", "Differences"); a page's many
// "Differences" are told apart by the instance they belong to.
void THtmlWriter::WriteTableTitle(std::string title, bool& subTitleEnabled, bool& secondFlag) {
  const std::string instance = secondFlag && fChanges ? fChanges->CurrentInstance() : "";
  const bool named = title == "Differences" && !instance.empty();
  AppendHeading(subTitleEnabled ? "h3" : "h2", secondFlag ? "compare" : "", named ? title + ": " + instance : title);
  if (fChanges) fChanges->TableTitle(PlainTextOf(TextMarkup(title)), secondFlag);
}

// A table whose rows are all known, whatever held them: a severity column
// when some row has a severity.
void THtmlWriter::AppendHeldTable(THtmlTable head, size_t bodyRows, size_t bodyCells, bool severities,
                                  const std::function<void(THtmlRow&)>& takeRow) {
  const bool severityColumn = severities && AddSeverityColumn(head);
  AppendTableRows(head, ColumnCount(head, bodyCells + (severityColumn ? 1 : 0)), bodyRows, [&](THtmlRow& row) {
    takeRow(row);
    if (severityColumn) AddSeverityCell(row);
  });
}

void THtmlWriter::AppendTable(THtmlTable table) {
  const auto body = std::find_if(table.fRows.begin(), table.fRows.end(), [](const THtmlRow& r) { return !r.fHeader; });
  std::vector<THtmlRow> rows(std::make_move_iterator(body), std::make_move_iterator(table.fRows.end()));
  table.fRows.erase(body, table.fRows.end());
  size_t cells = 0;
  bool severities = false;
  for (const THtmlRow& row : table.fRows) severities = severities || !row.fSeverity.empty();
  for (const THtmlRow& row : rows) {
    cells = std::max(cells, row.fCells.size());
    severities = severities || !row.fSeverity.empty();
  }
  size_t next = 0;
  AppendHeldTable(std::move(table), rows.size(), cells, severities,
                  [&](THtmlRow& row) { row = std::move(rows[next++]); });
}

// The page gets the table a row at a time, each row linked to the problems
// it shows and searchable; head holds the settings and the leading header
// rows, and takeRow gives the body rows in turn.
void THtmlWriter::AppendTableRows(const THtmlTable& head, size_t columns, size_t bodyRows,
                                  const std::function<void(THtmlRow&)>& takeRow) {
  if (!fPage.fOpen) return;
  fSite.CountShownRows(fPage.fFile, bodyRows);
  for (const THtmlRow& row : head.fRows) CollectSearchTexts(row);
  const std::string id = NextTableId();
  const size_t kChunkBytes = 1 << 20;
  std::string chunk = HtmlTableStart(head, columns, bodyRows, id);
  THtmlRow row;
  size_t begun = 0;
  size_t linked = 0;
  try {
    for (; begun < bodyRows; ++begun) {
      chunk += HtmlTableRowBreak(head, columns, bodyRows, begun, id);
      takeRow(row);
      if (!row.fHeader) LinkProblems(row, id + "-r" + std::to_string(++linked));
      CollectSearchTexts(row);
      AppendHtmlTableRow(row, columns, chunk);
      if (chunk.size() < kChunkBytes) continue;
      Append(chunk);
      chunk.clear();
    }
  } catch (...) {
    // The page stays well-formed when the library abandons it.
    Append(chunk + HtmlTableEnd(bodyRows, begun + 1));
    throw;
  }
  Append(chunk + HtmlTableEnd(bodyRows, begun));
}

std::string THtmlWriter::NextTableId() { return "t" + std::to_string(++fPage.fTableCount); }

// The index keeps a page's first texts; repeated texts count once there, so
// twice its share is collected.
void THtmlWriter::CollectSearchTexts(const THtmlRow& row) {
  const size_t collected = 2 * kMaxSearchBytesPerPage;
  for (const THtmlCell& cell : row.fCells) {
    for (const std::string* text : {&cell.fText.fPlain, &cell.fAlternate.fPlain, &cell.fExact}) {
      if (text->empty() || fPage.fSearchBytes >= collected) continue;
      fPage.fSearchBytes += text->size();
      fPage.fSearchTexts.push_back(*text);
    }
  }
}

void THtmlWriter::WriteTableGrid(TTableGrid grid) {
  EndTable();
  RelabelCollections(grid);
  if (fChanges && fPage.fOpen) {
    fChanges->Grid(PlainGridOf(grid, [this](const TTableCell& cell) {
      return fReadable.TimeText(cell.fSources, fMarkup.Of(cell.fText).fPlain);
    }));
  }
  if (!fPage.fOpen) return;
  const bool sensors = ShapeSensorTable(grid);
  // The grid is the only whole copy of the table: its rows become the
  // page's rows one at a time.
  THtmlTable head = GridTableHead(grid, fMarkup, fReadable);
  const int32_t firstBodyRow = head.fRows.empty() ? 0 : 1;
  const size_t bodyRows = std::max(grid.fRows - firstBodyRow, 0);
  const TLogColumns log = LogColumnsOf(head);
  const bool severityColumn = log.IsLog() && bodyRows > 0 && AddSeverityColumn(head);
  const size_t columns = ColumnCount(head, std::max(grid.fColumns, 0) + (severityColumn ? 1 : 0));
  int32_t next = firstBodyRow;
  AppendTableRows(head, columns, bodyRows, [&](THtmlRow& row) {
    TakeGridRow(grid, next++, fMarkup, fReadable, row);
    if (sensors) MarkSensorStatus(row);
    if (!severityColumn) return;
    row.fSeverity = SeverityOfRow(log, row);
    AddSeverityCell(row);
  });
}

// The first row on a problem's page that shows the text of the problem's
// first instance is the row its link lands on.
void THtmlWriter::LinkProblems(THtmlRow& row, const std::string& rowId) {
  auto linked = [&](size_t problem) {
    const std::string& key = fProblems[problem].fRowKey;
    const bool shown = !key.empty() && std::any_of(row.fCells.begin(), row.fCells.end(), [&](const THtmlCell& cell) {
                         return CollapsesTo(cell.fText.fPlain, key);
                       });
    if (!shown) return false;
    row.fId = rowId;
    fProblemLinks[problem] = fPage.fFile + "#" + rowId;
    return true;
  };
  auto& pending = fPage.fProblemsToLink;
  pending.erase(std::remove_if(pending.begin(), pending.end(), linked), pending.end());
}

std::string THtmlWriter::ProblemsHtml() const {
  if (IsComparisonRun()) return "";
  return RenderProblemList(fProblems, fProblemLinks);
}

void THtmlWriter::BeginStreamedTable(int width, const std::string& caption) {
  EndTable();
  const bool memberRows = fStreamed.fMemberRows;
  fStreamed = TStreamedTable();
  fStreamed.fOpen = true;
  // SetRawDataLink before any table makes the next table's rows members.
  fStreamed.fMemberRows = memberRows;
  fStreamed.fGroupStarts = memberRows;
  fStreamed.fTable.fWidth = width > 0 ? width : 100;
  fStreamed.fTable.fCaption = TextMarkup(caption);
  const std::string plainCaption = PlainTextOf(fStreamed.fTable.fCaption);
  fStreamed.fTable.fCaptionHidden = plainCaption == fPage.fLastHeading || IsIdentifier(plainCaption);
}

void THtmlWriter::BeginGridTable(std::string width, std::string caption, bool sortable) {
  BeginStreamedTable(TReportParameters::ConvertPercent(width), caption);
  fStreamed.fTable.fSortable = sortable;
  fStreamed.fInHeader = true;
}

void THtmlWriter::BeginPropertyTable(std::string width, std::string labelWidth, std::string title) {
  BeginStreamedTable(TReportParameters::ConvertPercent(width), title);
  const int label = TReportParameters::ConvertPercent(labelWidth);
  if (label > 0 && label < 100) fStreamed.fTable.fColumnWidths = {label, 100 - label};
}

void THtmlWriter::EndGridHeader() {
  CloseRow();
  fStreamed.fInHeader = false;
}

void THtmlWriter::BeginRow(bool&) {
  CloseRow();
  if (!fStreamed.fOpen) BeginStreamedTable(100, "");
  fStreamed.fRowOpen = true;
  fStreamed.fRow = THtmlRow();
  fStreamed.fRowInstance.reset();
  fStreamed.fRow.fHeader = fStreamed.fInHeader;
  fStreamed.fRow.fMember = fStreamed.fMemberRows && !fStreamed.fInHeader;
  fStreamed.fRow.fGroupStart = fStreamed.fGroupStarts && !fStreamed.fInHeader;
  if (fStreamed.fRow.fGroupStart) fStreamed.fGroupStarts = false;
}

void THtmlWriter::EndRow() { CloseRow(); }

void THtmlWriter::CloseRow() {
  if (!fStreamed.fRowOpen) return;
  fStreamed.fRowOpen = false;
  THtmlRow& row = fStreamed.fRow;
  if (fStreamed.fRowInstance) row.fSeverity = SeverityName(fSeverities.Of(*fStreamed.fRowInstance));
  if (row.fCells.empty()) return;
  fStreamed.fSeverities = fStreamed.fSeverities || !row.fSeverity.empty();
  DropShownUnits(row);
  // The leading header rows stay with the table's settings, the rest are spooled.
  if (row.fHeader && fStreamed.fBody.Size() == 0) {
    fStreamed.fTable.fRows.push_back(std::move(row));
    return;
  }
  fStreamed.fBodyCells = std::max(fStreamed.fBodyCells, row.fCells.size());
  fStreamed.fBody.Add(row);
}

// A label that names a unit its values are no longer shown in loses it:
// a row's own label at once, the column labels of the header when the
// table ends.
void THtmlWriter::DropShownUnits(THtmlRow& row) {
  std::vector<bool>& columns = fStreamed.fOtherUnitColumns;
  bool otherUnit = false;
  for (size_t c = 0; c < row.fCells.size(); ++c) {
    if (!row.fCells[c].fOtherUnit) continue;
    otherUnit = true;
    if (columns.size() <= c) columns.resize(c + 1);
    columns[c] = true;
  }
  THtmlCell& label = row.fCells.front();
  if (otherUnit && label.fKind == THtmlCell::kRowHeader) label.fText = PlainCellText(LabelWithoutUnit(label.fText.fPlain));
}

void THtmlWriter::DropHeaderUnits(THtmlTable& table) const {
  if (table.fRows.empty() || !table.fRows.front().fHeader) return;
  std::vector<THtmlCell>& labels = table.fRows.front().fCells;
  for (size_t c = 0; c < labels.size() && c < fStreamed.fOtherUnitColumns.size(); ++c) {
    if (fStreamed.fOtherUnitColumns[c]) labels[c].fText = PlainCellText(LabelWithoutUnit(labels[c].fText.fPlain));
  }
}

void THtmlWriter::EndTable() {
  if (!fStreamed.fOpen) return;
  CloseRow();
  DropHeaderUnits(fStreamed.fTable);
  TStreamedTable table = std::move(fStreamed);
  fStreamed = TStreamedTable();
  THtmlRowSpool& body = table.fBody;
  AppendHeldTable(std::move(table.fTable), body.Size(), table.fBodyCells, table.fSeverities,
                  [&](THtmlRow& row) { body.TakeNext(row); });
}

// The rows that follow belong to the row group above, such as the member
// disks of a logical drive; they are indented under it.
void THtmlWriter::SetRawDataLink(int32_t link) {
  fStreamed.fMemberRows = link != 0;
  fStreamed.fGroupStarts = link != 0;
}

void THtmlWriter::AddCell(THtmlCell cell) {
  if (!fStreamed.fRowOpen) {
    bool flag = false;
    BeginRow(flag);
  }
  fStreamed.fRow.fCells.push_back(std::move(cell));
}

THtmlCell THtmlWriter::TextCell(const std::string& libraryText, bool monospaced) {
  THtmlCell cell;
  cell.fText = fMarkup.Of(libraryText);
  cell.fMonospaced = monospaced;
  return cell;
}

THtmlCell THtmlWriter::LabelCell(boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass, const TReportProperty& column) {
  std::string label = column.HasLabelOverride() ? column.GetLabelOverride() : column.GetProperty();
  if (cimClass) {
    try {
      label = GetTableHeaderLabel(*cimClass, column, NVKXQZA20::TCIMContext());
    } catch (const TQZAException&) {
      // The label stays the column's own.
    }
  }
  THtmlCell cell;
  cell.fKind = fStreamed.fInHeader ? THtmlCell::kColumnHeader : THtmlCell::kRowHeader;
  cell.fText = PlainCellText(label);
  return cell;
}

THtmlCell THtmlWriter::ValueCell(TInstancePtr instance, const TReportProperty& column, bool followAssociation) {
  THtmlCell cell;
  cell.fMonospaced = column.IsMonospaced();
  if (!instance || column.GetProperty().empty()) return cell;
  try {
    const std::string name = column.GetProperty();
    TProperties properties =
        followAssociation ? GetProperties(instance, name, column.GetAssociationClass(), column.GetAssociationTarget())
                          : GetProperties(instance, name, "", "");
    if (followAssociation && properties.empty() && column.HasSecondaryAssociationTarget()) {
      properties = GetProperties(instance, name, "", column.GetSecondaryAssociationTarget());
    }
    const std::string separator = GetArraySeparatorText(column.GetArrayValueSeparator());
    const std::string text = GetValuesFromProperties(properties, separator, false);
    cell.fText = fMarkup.Of(text);
    bool hasAlternate = std::any_of(properties.begin(), properties.end(),
                                    [](const TPropertyPtr& p) { return p && p->HasAlternateValue(); });
    std::string alternate = hasAlternate ? GetValuesFromProperties(properties, separator, true) : "";
    if (alternate != text) cell.fAlternate = fMarkup.Of(alternate);
    MakeReadable(cell, fReadable, properties, text);
  } catch (const TQZAException&) {
    // An unreadable value leaves the cell empty, as a missing property does.
  }
  return cell;
}

void THtmlWriter::WriteHeaderCell(boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass, TReportProperty column) {
  if (fStreamed.fInHeader && fStreamed.fTable.fRows.empty()) {
    fStreamed.fTable.fColumnWidths.push_back(TReportParameters::ConvertPercent(column.GetColumnWidth()));
  }
  AddCell(LabelCell(cimClass, column));
}

void THtmlWriter::WriteValueCell(TInstancePtr instance, TReportProperty column) {
  if (!fStreamed.fInHeader && !fStreamed.fRowInstance) fStreamed.fRowInstance = instance;
  AddCell(ValueCell(instance, column, true));
}

// The instance's own value of the column, or the instance's path for a
// column without a property.
void THtmlWriter::WriteInstanceCell(TInstancePtr instance, TReportProperty column) {
  if (instance && column.GetProperty().empty()) {
    AddCell(TextCell(EncodeValue(instance->GetReference().GetPath()), true));
    return;
  }
  AddCell(ValueCell(instance, column, false));
}

void THtmlWriter::WritePropertyCell(TReportProperty column, std::string text) {
  AddCell(TextCell(text, column.IsMonospaced()));
}

void THtmlWriter::WriteMessageCell(std::string message, TReportProperty) {
  while (!message.empty() && message.back() == '\n') message.pop_back();
  THtmlCell cell = TextCell(message, false);
  cell.fKind = THtmlCell::kMessage;
  AddCell(cell);
}

void THtmlWriter::WriteDeclarationCell(boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl> declaration) {
  const std::string label = TextMarkup(GetDisplayName(declaration));
  THtmlCell cell;
  cell.fKind = fStreamed.fInHeader ? THtmlCell::kColumnHeader : THtmlCell::kRowHeader;
  cell.fText = TCellText{label, PlainTextOf(label)};
  AddCell(cell);
}

void THtmlWriter::WriteDriveHealthTable(TInstancePtr, TPropertyPtr property) {
  THtmlCell cell;
  try {
    if (property) {
      cell.fText = fMarkup.Of(GetValueFromProperty(property, kArrayElementSeparator, false));
      if (property->HasAlternateValue()) {
        cell.fAlternate = fMarkup.Of(GetValueFromProperty(property, kArrayElementSeparator, true));
      }
    }
  } catch (const TQZAException&) {
    // An unreadable value leaves the cell empty.
  }
  AddCell(cell);
}

void THtmlWriter::WriteDriveHealthSummary(TPropertyPtr rawData) {
  std::string text;
  try {
    if (rawData) text = RawDataText(rawData);
  } catch (const TQZAException&) {
    // Unreadable raw data leaves the cell empty.
  }
  AddCell(TextCell(text, true));
}

void THtmlWriter::WriteRegisterTable(TInstancePtr, std::string value) {
  THtmlCell cell = TextCell(value, true);
  cell.fAlternate = fMarkup.Of(RegisterBits(PlainTextOf(value)));
  AddCell(cell);
}

std::string THtmlWriter::GetArraySeparatorText(TReportProperty::ArrayValueSeparator separator) {
  switch (separator) {
    case TReportProperty::ListSeparator:
    case TReportProperty::AddressRangeSeparator:
      return kHtmlLineBreakMarker;
    default:
      return kArrayElementSeparator;
  }
}

std::string THtmlWriter::EncodeValue(std::string value) { return EncodeHtmlText(value); }

// Log pages: one sortable table per table definition, rows marked by severity.
void THtmlWriter::WriteEventLogReport(TReportParameters page) { WriteLogPage(page); }
void THtmlWriter::WriteMergedLogPage(TReportParameters page) { WriteLogPage(page); }

void THtmlWriter::WriteLogPage(TReportParameters page) {
  OpenPage(PagePath(page.GetLinkName()));
  WritePageHeading();
  BeginPageBody();
  if (page.ShowReportTitle()) WritePageTitle(page.GetReportName(), "", "");
  bool hasContent = false;
  for (const TReportClass& table : page.GetClasses()) {
    if (table.HasTitle()) {
      bool subTitle = table.SubTitleEnabled();
      bool second = false;
      WriteTableTitle(table.GetTitle(), subTitle, second);
    }
    TInstances records = GetInstances(table);
    if (records.empty()) {
      AppendNote("No records in this log.");
      continue;
    }
    hasContent = true;
    AppendLogTable(table, records);
  }
  EndPageBody();
  ClosePage();
  RegisterPage(page.GetLinkName(), page.GetReportName(), hasContent);
}

// A log may hold a million records: its rows go to the page as they are
// made, a chunk at a time.
void THtmlWriter::AppendLogTable(const TReportClass& table, const TInstances& records) {
  THtmlTable head;
  head.fWidth = TReportParameters::ConvertPercent(table.GetTableWidth());
  head.fSortable = true;
  THtmlRow header;
  header.fHeader = true;
  header.fCells.push_back(SeverityLabelCell());
  head.fColumnWidths.push_back(0);
  boost::shared_ptr<NVKXQZA20::ICIMClass> recordClass = records.front()->GetClass();
  for (const TReportProperty& column : table.GetProperties()) {
    head.fColumnWidths.push_back(TReportParameters::ConvertPercent(column.GetColumnWidth()));
    THtmlCell label = LabelCell(recordClass, column);
    label.fKind = THtmlCell::kColumnHeader;
    header.fCells.push_back(label);
  }
  head.fSeverityToggle = true;
  head.fRows.push_back(header);
  size_t next = 0;
  AppendTableRows(head, header.fCells.size(), records.size(), [&](THtmlRow& row) {
    const TInstancePtr& record = records[next++];
    row = THtmlRow();
    row.fCells.reserve(header.fCells.size());
    row.fSeverity = SeverityName(fSeverities.Of(*record));
    row.fCells.push_back(SeverityCell(row.fSeverity));
    for (const TReportProperty& column : table.GetProperties()) row.fCells.push_back(ValueCell(record, column, true));
  });
}

// Every property that some record fills, in declaration order.
THtmlTable THtmlWriter::RecordTable(const TInstances& records) {
  THtmlTable html;
  html.fSortable = true;
  std::vector<THtmlRow> rows(records.size());
  THtmlRow header;
  header.fHeader = true;
  for (const auto& declaration : records.front()->GetClass()->GetPropertyDecls()) {
    const std::string name = declaration->GetName();
    std::vector<THtmlCell> cells;
    bool filled = false;
    for (const TInstancePtr& record : records) {
      THtmlCell cell;
      try {
        cell.fText = fMarkup.Of(GetValueFromProperty(record->GetProperty(name), kArrayElementSeparator, false));
      } catch (const TQZAException&) {
        // A record of another class may lack the property.
      }
      filled = filled || !cell.fText.fPlain.empty();
      cells.push_back(cell);
    }
    if (!filled) continue;
    const std::string label = TextMarkup(GetDisplayName(declaration));
    THtmlCell labelCell;
    labelCell.fKind = THtmlCell::kColumnHeader;
    labelCell.fText = TCellText{label, PlainTextOf(label)};
    header.fCells.push_back(labelCell);
    for (size_t r = 0; r < records.size(); ++r) rows[r].fCells.push_back(cells[r]);
  }
  html.fRows.push_back(header);
  for (size_t r = 0; r < records.size(); ++r) {
    rows[r].fSeverity = SeverityName(fSeverities.Of(*records[r]));
    html.fRows.push_back(rows[r]);
  }
  return html;
}

// Inside the open KeelRAID logs page a section with an anchor of its link
// name; called on its own, a page of its own.
void THtmlWriter::WriteKeelRAIDEventLog(TInstances records, std::string title, std::string linkName) {
  const bool ownPage = !fPage.fOpen;
  if (ownPage) {
    OpenPage(PagePath(linkName));
    BeginPageBody();
    WritePageTitle(title, "", "");
  } else {
    EndTable();
    Append("<div class=\"log-section\" id=\"" + SafeIdentifier(linkName) + "\">\n");
    AppendHeading("h2", "", title);
  }
  if (records.empty()) {
    AppendNote("No events in this log.");
  } else {
    AppendTable(RecordTable(records));
  }
  if (!ownPage) {
    Append("</div>\n");
    return;
  }
  EndPageBody();
  ClosePage();
  bool hasContent = !records.empty();
  RegisterPage(linkName, title, hasContent);
}

// Counts the findings and their score range for the heading.
void THtmlWriter::BeginVellumAnalysis() {
  fVellum = TVellumSummary();
  TNamespacePtr ns = GetNamespace();
  if (!ns) return;
  try {
    TInstances findings;
    ns->GetClass("VKXSG_VellumDevices")->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(findings), true);
    for (const TInstancePtr& finding : findings) {
      const double score = finding->GetProperty("VellumScore")->GetValue().ToReal64();
      fVellum.fHighest = fVellum.fFindings == 0 ? score : std::max(fVellum.fHighest, score);
      fVellum.fLowest = fVellum.fFindings == 0 ? score : std::min(fVellum.fLowest, score);
      ++fVellum.fFindings;
    }
  } catch (const TQZAException&) {
    // Without readable scores the heading names no range.
    fVellum.fScoresKnown = false;
  }
}

void THtmlWriter::WriteVellumHeading() {
  std::ostringstream text;
  text << "Findings of the device analysis, strongest first";
  if (fVellum.fScoresKnown && fVellum.fFindings > 0) {
    text << ": " << fVellum.fFindings << (fVellum.fFindings == 1 ? " finding" : " findings") << ", scores from "
         << fVellum.fHighest << " down to " << fVellum.fLowest;
  }
  text << ". Each row names a device class and property, the value this system has and how often it is seen, "
          "and the values common elsewhere with their frequencies.";
  Append("<p class=\"lead\">" + EncodeHtmlText(text.str()) + "</p>\n");
}

// The first findings are the strongest: they stand out.
void THtmlWriter::WriteVellumDeviceRow(TInstancePtr device, TReportProperty column1, TReportProperty column2,
                                       TReportProperty column3, TReportProperty column4, TReportProperty column5,
                                       TReportProperty column6, TReportProperty column7, TReportProperty column8,
                                       int32_t rowIndex) {
  bool flag = false;
  BeginRow(flag);
  if (rowIndex < kTopVellumFindings) fStreamed.fRow.fClasses = "top-finding";
  for (const TReportProperty* column :
       {&column1, &column2, &column3, &column4, &column5, &column6, &column7, &column8}) {
    AddCell(ValueCell(device, *column, true));
  }
}
