// The HTML report as a site: its categories and registered pages in report
// order, the navigation every page carries, the index page with the machine
// summary and the table of contents, the search data the index searches,
// and the document frame all pages share. The index of a comparison report
// names the compared collections and counts what each page shows as
// differing.
//
//   THtmlSite site;
//   site.BeginCategory();  site.SetCategoryTitle("Hardware");
//   site.AddPage("pci.html", "PCI Information", true);
//   site.IndexHtml(summary);   site.NavigationHtml("pci.html");
//
// Titles and names are texts of the library and go through TextMarkup;
// summary values and the machine name are plain texts.
#ifndef QZA_HOST_HTML_SITE_H
#define QZA_HOST_HTML_SITE_H

#include <map>
#include <set>
#include <string>
#include <vector>

#include "comparison/change_list.h"
#include "findings/report_problems.h"
#include "forms/report_summary.h"

extern const char kHtmlIndexFile[];
extern const char kHtmlStylesheetFile[];
extern const char kHtmlScriptFile[];
extern const char kHtmlSearchDataFile[];

// One HTML document of the report.
struct THtmlDocument {
  std::string fTitle;        // markup
  std::string fMachine;      // plain text, names the report in the banner
  std::string fNavigation;   // markup; empty for a page without the sidebar
  std::string fBody;         // markup
  bool fSearchData = false;  // loads the search data (the index)
};

// The index's diagnosis: the problems section by section, each line linked
// (links[i]: page.html#row, page.html, or "" for none), the logs' lines with
// their latest message and time, and apart, under its own heading, what the
// collector could not read; says so when there are none.
std::string RenderProblemList(const std::vector<TProblem>& problems, const std::vector<std::string>& links);

// The search index keeps at most this many bytes of text of one page.
const size_t kMaxSearchBytesPerPage = 2000000;

std::string RenderHtmlDocument(const THtmlDocument& document);
// The document before and after its body, for pages whose body is written
// a piece at a time.
std::string HtmlDocumentHead(const THtmlDocument& document);
std::string HtmlDocumentTail(const THtmlDocument& document);

class THtmlSite {
 public:
  void BeginCategory();
  void SetCategoryTitle(const std::string& title);
  void AddPage(const std::string& file, const std::string& name, bool hasContent);
  // The current category's name as markup; "" while it has none.
  std::string CurrentCategoryName() const;

  // Makes the site a comparison report of the collections so labelled, the
  // base first (plain texts).
  void SetComparedCollections(const std::vector<std::string>& labels);
  // The "What changed" page: first in the navigation, linked from the
  // index with its counts (plain text).
  void SetChangesPage(const std::string& file, const std::string& summary);
  // What the What changed page lists of the page, counted as it counts.
  void AddPageChanges(const std::string& file, const TChangeCounts& counts);
  // Body rows the page shows: a written page without any has no content,
  // whatever its registration says.
  void CountShownRows(const std::string& file, size_t rows);
  // The pages listed that show no row.
  size_t PagesWithoutRows() const;
  bool ShowsRows(const std::string& file) const;

  // A page written, with the texts a reader may search for on it; its title
  // names it in the results when it is not registered.
  void AddSearchTexts(const std::string& file, const std::string& title, const std::vector<std::string>& texts);

  std::string NavigationHtml(const std::string& currentFile) const;
  // The title of index.html as markup: a system or a comparison report.
  std::string IndexTitle(const std::string& machine) const;
  // The body of index.html.
  // problems: markup placed below the summary.
  std::string IndexHtml(const std::vector<TSummaryItem>& summary, const std::string& machine,
                        const std::string& problems = "") const;
  // search-data.js: the pages with their texts as one JavaScript value.
  std::string SearchDataScript() const;

 private:
  struct TPage {
    std::string fFile;
    std::string fName;  // markup
    bool fHasContent;
  };
  struct TCategory {
    std::string fTitle;  // markup; "" when the library gave none
    std::vector<TPage> fPages;
  };
  struct TSearchTexts {
    std::string fTitle;  // plain text
    std::vector<std::string> fTexts;
    std::set<std::string> fSeen;
    size_t fSize = 0;
  };

  std::string CategoryName(const TCategory& category) const;
  bool IsWritten(const std::string& file) const;
  bool HasContent(const TPage& page) const;
  // "Not present in this collection: " and the pages without content, linked; "" for none.
  std::string AbsentPagesHtml(const std::string& currentFile) const;
  bool IsComparison() const { return !fComparedCollections.empty(); }
  std::string ComparisonLead() const;
  std::string DifferenceBadge(const std::string& file) const;

  std::vector<TCategory> fCategories;
  std::vector<std::string> fSearchOrder;  // files in the order written
  std::map<std::string, TSearchTexts> fSearchTexts;
  std::vector<std::string> fComparedCollections;
  std::map<std::string, TChangeCounts> fPageChanges;
  std::map<std::string, size_t> fShownRows;
  std::string fChangesFile;
  std::string fChangesSummary;
};

#endif
