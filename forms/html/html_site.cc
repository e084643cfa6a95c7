#include "forms/html/html_site.h"

#include <nlohmann/json.hpp>

#include "forms/html/html_changes.h"
#include "forms/html/html_text.h"

const char kHtmlIndexFile[] = "index.html";
const char kHtmlStylesheetFile[] = "report.css";
const char kHtmlScriptFile[] = "report.js";
const char kHtmlSearchDataFile[] = "search-data.js";

namespace {

// A search hit shows a snippet, not a page of text; long log pages are
// searched through their first megabytes.
const size_t kMaxSearchTextLength = 300;

const char kUnnamedCategory[] = "Other pages";

std::string Shortened(const std::string& text) {
  if (text.size() <= kMaxSearchTextLength) return text;
  size_t cut = kMaxSearchTextLength;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut) + "\xE2\x80\xA6";
}

// A page registered but never written (its writing failed) is named, not linked.
std::string PageLink(const std::string& file, const std::string& name, bool hasContent, bool written, bool current,
                     const std::string& badge) {
  if (!written) return "<li class=\"empty\"><span>" + name + "</span> <span class=\"badge\">not written</span></li>\n";
  std::string html = std::string("<li") + (hasContent ? "" : " class=\"empty\"") + "><a href=\"" + file + "\"" +
                     (current ? " aria-current=\"page\"" : "") + ">" + name + "</a>";
  if (!badge.empty()) html += " <span class=\"badge\">" + EncodeHtmlText(badge) + "</span>";
  return html + "</li>\n";
}

// Severity, what (linked), how many, and for a log the latest record.
std::string ProblemLine(const TProblem& problem, const std::string& link) {
  const std::string message = EncodeHtmlText(problem.fMessage);
  std::string html = "<li data-sev=\"" + SeverityName(problem.fSeverity) + "\"><span class=\"sev\">" +
                     EncodeHtmlText(SeverityWord(problem.fSeverity)) + "</span> " +
                     (link.empty() ? message : "<a href=\"" + EncodeHtmlText(link) + "\">" + message + "</a>");
  if (problem.fCount > 1 || problem.fSection == EProblemSection::kLog) {
    html += " <span class=\"count\">" + std::to_string(problem.fCount) + "</span>";
  }
  if (!problem.fLatestMessage.empty()) {
    html += "<span class=\"latest\">" + std::string(problem.fCount > 1 ? "latest " : "") +
            (problem.fLatestTime.empty() ? "" : "<span class=\"time\">" + EncodeHtmlText(problem.fLatestTime) + "</span> ") +
            EncodeHtmlText(problem.fLatestMessage) + "</span>";
  }
  return html + "</li>\n";
}

std::string SummaryTable(const std::vector<TSummaryItem>& summary) {
  if (summary.empty()) return "<p class=\"note\">The collection names no computer system.</p>\n";
  std::string html = "<table class=\"summary\">\n<tbody>\n";
  for (const TSummaryItem& item : summary) {
    html += "<tr><th scope=\"row\">" + EncodeHtmlText(item.fLabel) + "</th><td>" + EncodeHtmlText(item.fValue) +
            "</td></tr>\n";
  }
  return html + "</tbody>\n</table>\n";
}

const char kSearchBox[] =
    "<div id=\"search-box\" class=\"search\" hidden>\n"
    "<label for=\"search\">Search the whole report</label>\n"
    "<input type=\"search\" id=\"search\" placeholder=\"Device, value, message...\" autocomplete=\"off\">\n"
    "<div id=\"search-results\" class=\"search-results\" aria-live=\"polite\"></div>\n"
    "</div>\n";

const char kHeaderSearchBox[] =
    "<div id=\"search-box\" class=\"search\" role=\"search\" hidden>"
    "<label for=\"search\" class=\"visually-hidden\">Search the whole report</label>"
    "<input type=\"search\" id=\"search\" placeholder=\"Search the report\" autocomplete=\"off\">"
    "<div id=\"search-results\" class=\"search-results\" aria-live=\"polite\"></div></div>";

}  // namespace

std::string RenderProblemList(const std::vector<TProblem>& problems, const std::vector<std::string>& links) {
  std::string html = "<h2 id=\"problems\">Problems</h2>\n";
  const bool none = problems.empty() || problems.front().fSection == EProblemSection::kCollector;
  if (none) html += "<p class=\"note\">The report's rules find no problem in this collection.</p>\n";
  for (size_t i = 0; i < problems.size(); ++i) {
    const TProblem& problem = problems[i];
    if (i == 0 || problem.fSection != problems[i - 1].fSection) {
      const bool apart = problem.fSection == EProblemSection::kCollector;
      html += std::string(i == 0 || none ? "" : "</ul>\n") + (apart ? "<h2 id=\"collector\">" : "<h3>") +
              EncodeHtmlText(ProblemSectionTitle(problem.fSection)) + (apart ? "</h2>" : "</h3>") +
              "\n<ul class=\"problems\">\n";
    }
    html += ProblemLine(problem, links[i]);
  }
  return html + (problems.empty() ? "" : "</ul>\n");
}

std::string RenderHtmlDocument(const THtmlDocument& document) {
  return HtmlDocumentHead(document) + document.fBody + HtmlDocumentTail(document);
}

std::string HtmlDocumentHead(const THtmlDocument& document) {
  const std::string machine = EncodeHtmlText(document.fMachine);
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>" +
      document.fTitle +
      "</title>\n"
      "<link rel=\"stylesheet\" href=\"" +
      kHtmlStylesheetFile + "\">\n";
  if (document.fSearchData) html += std::string("<script src=\"") + kHtmlSearchDataFile + "\" defer></script>\n";
  html += std::string("<script src=\"") + kHtmlScriptFile + "\" defer></script>\n</head>\n<body>\n";
  html += "<div class=\"site-header\" role=\"banner\"><a class=\"home\" href=\"" + std::string(kHtmlIndexFile) + "\">" +
          machine + " <span>System report</span></a>";
  // The index has its own, larger search box.
  if (!document.fSearchData) html += kHeaderSearchBox;
  if (!document.fNavigation.empty()) html += "<a class=\"to-nav\" href=\"#nav\">All pages</a>";
  html += std::string("</div>\n<div class=\"layout") + (document.fNavigation.empty() ? " plain" : "") + "\">\n";
  if (!document.fNavigation.empty()) {
    html += "<div id=\"nav\" class=\"nav\" role=\"navigation\" aria-label=\"Report pages\">" +
            document.fNavigation + "</div>\n";
  }
  return html + "<div id=\"main\" class=\"main\" role=\"main\">\n";
}

std::string HtmlDocumentTail(const THtmlDocument& document) {
  return "</div>\n</div>\n<div class=\"site-footer\" role=\"contentinfo\">System report of " +
         EncodeHtmlText(document.fMachine) + "</div>\n</body>\n</html>\n";
}

void THtmlSite::BeginCategory() { fCategories.push_back(TCategory()); }

void THtmlSite::SetCategoryTitle(const std::string& title) {
  if (fCategories.empty()) BeginCategory();
  fCategories.back().fTitle = TextMarkup(title);
}

void THtmlSite::SetComparedCollections(const std::vector<std::string>& labels) { fComparedCollections = labels; }

void THtmlSite::SetChangesPage(const std::string& file, const std::string& summary) {
  fChangesFile = file;
  fChangesSummary = summary;
}

void THtmlSite::AddPageChanges(const std::string& file, const TChangeCounts& counts) {
  TChangeCounts& known = fPageChanges[file];
  known.fChanged += counts.fChanged;
  known.fMissing += counts.fMissing;
  known.fUnique += counts.fUnique;
  known.fFolded += counts.fFolded;
}

void THtmlSite::CountShownRows(const std::string& file, size_t rows) { fShownRows[file] += rows; }

void THtmlSite::AddPage(const std::string& file, const std::string& name, bool hasContent) {
  if (fCategories.empty()) BeginCategory();
  std::string markup = TextMarkup(name);
  fCategories.back().fPages.push_back(TPage{file, markup.empty() ? TextMarkup(file) : markup, hasContent});
}

std::string THtmlSite::CurrentCategoryName() const {
  return fCategories.empty() ? "" : CategoryName(fCategories.back());
}

// The error-log category comes without a title: a category of one page is
// named after it; until its first page is registered it has no name.
std::string THtmlSite::CategoryName(const TCategory& category) const {
  if (!category.fTitle.empty()) return category.fTitle;
  if (category.fPages.empty()) return "";
  if (category.fPages.size() == 1) return category.fPages.front().fName;
  return kUnnamedCategory;
}

bool THtmlSite::IsWritten(const std::string& file) const { return fSearchTexts.count(file) != 0; }

bool THtmlSite::HasContent(const TPage& page) const {
  return IsWritten(page.fFile) ? ShowsRows(page.fFile) : page.fHasContent;
}

bool THtmlSite::ShowsRows(const std::string& file) const {
  const auto rows = fShownRows.find(file);
  return rows != fShownRows.end() && rows->second > 0;
}

size_t THtmlSite::PagesWithoutRows() const {
  size_t count = 0;
  for (const TCategory& category : fCategories) {
    for (const TPage& page : category.fPages) count += HasContent(page) ? 0 : 1;
  }
  return count;
}

// Pages without content are named on one line rather than listed one by one.
std::string THtmlSite::AbsentPagesHtml(const std::string& currentFile) const {
  std::string links;
  for (const TCategory& category : fCategories) {
    for (const TPage& page : category.fPages) {
      if (!IsWritten(page.fFile) || HasContent(page)) continue;
      links += std::string(links.empty() ? "" : ", ") + "<a href=\"" + page.fFile + "\"" +
               (page.fFile == currentFile ? " aria-current=\"page\"" : "") + ">" + page.fName + "</a>";
    }
  }
  if (links.empty()) return "";
  return std::string("<p class=\"absent\">Not present in ") +
         (IsComparison() ? "these collections" : "this collection") + ": " + links + "</p>\n";
}

void THtmlSite::AddSearchTexts(const std::string& file, const std::string& title,
                               const std::vector<std::string>& texts) {
  if (fSearchTexts.count(file) == 0) fSearchOrder.push_back(file);
  TSearchTexts& page = fSearchTexts[file];
  if (page.fTitle.empty()) page.fTitle = title;
  for (const std::string& text : texts) {
    if (page.fSize >= kMaxSearchBytesPerPage) return;
    std::string shortened = Shortened(text);
    if (shortened.empty() || !page.fSeen.insert(shortened).second) continue;
    page.fSize += shortened.size();
    page.fTexts.push_back(shortened);
  }
}

std::string THtmlSite::NavigationHtml(const std::string& currentFile) const {
  std::string html =
      std::string("<p class=\"nav-home\"><a href=\"") + kHtmlIndexFile + "\">Overview and search</a></p>\n";
  if (!fChangesFile.empty()) {
    html += "<p class=\"nav-title\">Comparison</p>\n<ul>\n" +
            PageLink(fChangesFile, kChangesTitle, true, true, fChangesFile == currentFile, "") + "</ul>\n";
  }
  for (const TCategory& category : fCategories) {
    std::string links;
    for (const TPage& page : category.fPages) {
      if (IsWritten(page.fFile) && !HasContent(page)) continue;
      links += PageLink(page.fFile, page.fName, true, IsWritten(page.fFile), page.fFile == currentFile, "");
    }
    if (!links.empty()) html += "<p class=\"nav-title\">" + CategoryName(category) + "</p>\n<ul>\n" + links + "</ul>\n";
  }
  return html + AbsentPagesHtml(currentFile);
}

std::string THtmlSite::IndexTitle(const std::string& machine) const {
  return (IsComparison() ? "Comparison report of " : "System report of ") + EncodeHtmlText(machine);
}

std::string THtmlSite::ComparisonLead() const {
  std::string collections;
  for (size_t i = 0; i < fComparedCollections.size(); ++i) {
    collections += (i == 0 ? "" : i == 1 ? " with " : ", ") + std::string("<strong>") +
                   EncodeHtmlText(fComparedCollections[i]) + "</strong>" + (i == 0 ? " (the base)" : "");
  }
  return "<p class=\"lead\">This report compares " + std::to_string(fComparedCollections.size()) +
         " collections: " + collections +
         ". Each page shows only what differs from the base. Beside each page, what the What changed page "
         "counts of it: values that differ from the base, instances missing (in the base, absent from another "
         "collection) and unique (absent from the base), and apart the volatile values that change by "
         "themselves.</p>\n";
}

// As the What changed page counts the page.
std::string THtmlSite::DifferenceBadge(const std::string& file) const {
  auto found = fPageChanges.find(file);
  return PageChangesSummary(found == fPageChanges.end() ? TChangeCounts() : found->second);
}

std::string THtmlSite::IndexHtml(const std::vector<TSummaryItem>& summary, const std::string& machine,
                                 const std::string& problems) const {
  std::string html = "<h1>" + IndexTitle(machine) + "</h1>\n" + (IsComparison() ? ComparisonLead() : "");
  if (!fChangesFile.empty()) {
    html += "<p class=\"changes-link\"><a href=\"" + fChangesFile + "\">" + kChangesTitle + "</a>: " +
            EncodeHtmlText(fChangesSummary) + "</p>\n";
  }
  html += problems + "<h2 id=\"system\">System</h2>\n" + SummaryTable(summary) + kSearchBox + "<h2>Contents</h2>\n<div class=\"contents\">\n";
  for (const TCategory& category : fCategories) {
    std::string links;
    for (const TPage& page : category.fPages) {
      if (IsWritten(page.fFile) && !HasContent(page)) continue;
      links += PageLink(page.fFile, page.fName, true, IsWritten(page.fFile), false,
                        IsComparison() ? DifferenceBadge(page.fFile) : "");
    }
    if (links.empty()) continue;
    html += "<div class=\"category\">\n<h3>" + CategoryName(category) + "</h3>\n<ul class=\"pages\">\n" + links +
            "</ul>\n</div>\n";
  }
  return html + "</div>\n" + AbsentPagesHtml("");
}

std::string THtmlSite::SearchDataScript() const {
  nlohmann::json pages = nlohmann::json::array();
  std::set<std::string> listed;
  auto add = [&](const std::string& file, const std::string& name, const std::string& category) {
    if (!listed.insert(file).second) return;
    std::map<std::string, TSearchTexts>::const_iterator texts = fSearchTexts.find(file);
    nlohmann::json page = {{"f", file}, {"n", name}, {"c", category}, {"t", nlohmann::json::array()}};
    if (texts != fSearchTexts.end()) page["t"] = texts->second.fTexts;
    pages.push_back(page);
  };
  for (const TCategory& category : fCategories) {
    for (const TPage& page : category.fPages) {
      add(page.fFile, PlainTextOf(page.fName), PlainTextOf(CategoryName(category)));
    }
  }
  for (const std::string& file : fSearchOrder) {
    const TSearchTexts& texts = fSearchTexts.at(file);
    add(file, texts.fTitle.empty() ? file : texts.fTitle, "");
  }
  // ASCII only, so that the file reads the same in any encoding.
  return "window.QZA_SEARCH_DATA = " + pages.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace) + ";\n";
}
