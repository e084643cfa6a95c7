#include "forms/html/html_changes.h"

#include <algorithm>
#include <ostream>

#include "forms/html/html_table.h"
#include "forms/html/html_text.h"

const char kChangesTitle[] = "What changed";

namespace {

// A log shows at most this many new records; the page stays quick to open.
const size_t kMaxShownRecords = 1000;

std::string Span(const std::string& classes, const std::string& text) {
  return "<span class=\"" + classes + "\">" + EncodeHtmlText(text) + "</span>";
}

std::string LineDiffHtml(const std::string& base, const std::string& other) {
  std::string html = "<pre class=\"line-diff\">";
  for (const TShownLine& line : ShownLineDiff(base, other)) {
    const char* classes = line.fKind == EShownLine::kAdded     ? "ins"
                          : line.fKind == EShownLine::kRemoved ? "del"
                          : line.fKind == EShownLine::kKept    ? "kept"
                                                               : "skip";
    html += Span(classes, line.fText + "\n");
  }
  return html + "</pre>";
}

std::string ChangeHtml(const TChange& change) {
  std::string html = "<li>" + Span("where", ChangePlace(change));
  if (change.fKind != EChangeKind::kChanged) {
    const std::string classes = change.fKind == EChangeKind::kMissing ? "missing" : "unique";
    return html + ": " + Span(classes, change.fWhere) + "</li>\n";
  }
  const bool several = change.fOthers.size() > 1;
  if (ShownAsLineDiff(change)) {
    for (const TChangedValue& other : change.fOthers) {
      html += several ? " " + Span("source", other.fCollection) : "";
      html += LineDiffHtml(change.fBaseValue, other.fValue);
    }
    return html + "</li>\n";
  }
  html += ": " + (change.fBaseShown ? Span("old", change.fBaseValue) : Span("source", "(base not shown)")) + kChangeArrow;
  for (size_t i = 0; i < change.fOthers.size(); ++i) {
    html += (i ? "; " : "") + Span("new", change.fOthers[i].fValue);
    if (several) html += " (" + Span("source", change.fOthers[i].fCollection) + ")";
  }
  return html + "</li>\n";
}

// Lists go to the page change by change: a large comparison's list is
// hundreds of megabytes, never held whole.
void WriteList(std::ostream& out, const std::vector<const TChange*>& changes) {
  out << "<ul class=\"changes\">\n";
  for (const TChange* change : changes) out << ChangeHtml(*change);
  out << "</ul>\n";
}

void WritePageChanges(std::ostream& out, const TPageChanges& page) {
  const TSortedChanges sorted = SortedChanges(page);
  out << "<section class=\"changes-page\">\n<h2><a href=\"" << EncodeHtmlText(page.fFile) << "\">"
      << EncodeHtmlText(page.fTitle) << "</a> " << Span("badge", PageChangesSummary(CountsOf(page)))
      << "</h2>\n";
  if (!sorted.fLasting.empty()) WriteList(out, sorted.fLasting);
  if (!sorted.fVolatile.empty()) {
    out << "<details class=\"volatile\">\n<summary>"
        << EncodeHtmlText(CountedNoun(sorted.fVolatile.size(), "volatile value", "volatile values"))
        << " (clocks, counters, free memory, process times)</summary>\n";
    WriteList(out, sorted.fVolatile);
    out << "</details>\n";
  }
  out << "</section>\n";
}

THtmlCell Cell(const std::string& text, THtmlCell::EKind kind = THtmlCell::kData) {
  THtmlCell cell;
  cell.fKind = kind;
  cell.fText = TCellText{EncodeHtmlText(text), text};
  return cell;
}

// The new records as a log table: each with its severity, an errors-only box.
std::string LogHtml(const TShownLogRecords& log, size_t index) {
  std::string html = "<section class=\"changes-log\">\n<h3>" + EncodeHtmlText(log.fLog) + ": " +
                     EncodeHtmlText(CountedNoun(log.fRecords.size(), "new record", "new records")) +
                     " since the base (" + Span("source", log.fBase) + "), in " + Span("source", log.fCollection) +
                     "</h3>\n";
  THtmlTable table;
  table.fSortable = true;
  table.fSeverityToggle = true;
  table.fRows.push_back(THtmlRow{true, false, false, "", "", "",
                                 {Cell("Severity", THtmlCell::kColumnHeader), Cell("Time", THtmlCell::kColumnHeader),
                                  Cell("Message", THtmlCell::kColumnHeader)}});
  const size_t shown = std::min(log.fRecords.size(), kMaxShownRecords);
  const std::string id = "new" + std::to_string(index + 1);
  html += HtmlTableStart(table, 3, shown, id);
  for (size_t i = 0; i < shown; ++i) {
    const TShownRecord& record = log.fRecords[i];
    THtmlRow row{false, false, false, "", "", SeverityName(record.fSeverity),
                 {Cell(SeverityWord(record.fSeverity)), Cell(record.fTime), Cell(record.fMessage)}};
    row.fCells[0].fClasses = "sev";
    html += HtmlTableRowBreak(table, 3, shown, i, id);
    AppendHtmlTableRow(row, 3, html);
  }
  html += HtmlTableEnd(shown, shown);
  if (shown < log.fRecords.size()) {
    html += "<p class=\"note\">The first " + std::to_string(shown) + " are shown.</p>\n";
  }
  return html + "</section>\n";
}

}  // namespace

void WriteChangesPageBody(std::ostream& out, const TChangeList& changes, const std::vector<TShownLogRecords>& logs,
                          const std::vector<std::string>& ignored) {
  std::string html = "<h1>" + std::string(kChangesTitle) + "</h1>\n<p class=\"lead changes-summary\">" +
                     EncodeHtmlText(ChangesSummary(CountsOf(changes, RecordCount(logs)))) +
                     ". One line per difference from the base: where it is (table, instance, property), then the "
                     "base value and the other. Values that change by themselves (clocks, counters, free memory, "
                     "process times) are folded under each page.</p>\n";
  if (!ignored.empty()) {
    std::string names;
    for (const std::string& name : ignored) names += (names.empty() ? "" : ", ") + name;
    html += "<p class=\"note\">Not compared (--ignore): " + EncodeHtmlText(names) + ".</p>\n";
  }
  out << html;
  bool any = false;
  for (const TPageChanges& page : changes.Pages()) {
    if (page.fChanges.empty()) continue;
    any = true;
    WritePageChanges(out, page);
  }
  if (!any) out << "<p class=\"note\">The comparison pages show no difference.</p>\n";
  out << "<h2 id=\"new-log-records\">New log records</h2>\n";
  if (logs.empty()) out << "<p class=\"note\">No log has records newer than the base's.</p>\n";
  for (size_t i = 0; i < logs.size(); ++i) out << LogHtml(logs[i], i);
}
