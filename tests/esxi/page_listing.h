// A page definition written out line by line in the words of the page lists,
// so that a test states a whole ESXi page as its list reads:
//
//   page "Qlogic" link qlogic
//   table QLogicFCHBA_SoftwareIdentity, title "BIOS", column style, width 80%, at most 5 per table, ...
//     filter Name include BIOS
//     column Name 25%
#ifndef QZA_TESTS_ESXI_PAGE_LISTING_H
#define QZA_TESTS_ESXI_PAGE_LISTING_H

#include <string>
#include <vector>

#include "tests/catalog/page_definition_testing.h"
#include "tests/esxi/esxi_testing.h"

inline void ListTable(const TReportParameters::TReportClass& table, const std::string& indent, TLines& lines) {
  lines.push_back(indent + (indent.empty() ? "table " : "associated ") + page_testing::Settings(table));
  for (const std::string& filter : Filters(table)) lines.push_back(indent + "  filter " + filter);
  for (const std::string& key : page_testing::SortKeys(table)) lines.push_back(indent + "  sort " + key);
  for (const std::string& column : page_testing::Columns(table)) lines.push_back(indent + "  column " + column);
  for (const auto& associated : table.GetAssociatedClasses()) ListTable(associated, indent + "  ", lines);
}

inline TLines PageListing(const TReportParameters& page) {
  TLines lines = {"page \"" + page.GetReportName() + "\" link " + page.GetLinkName() +
                  (page.ShowReportTitle() ? "" : ", title hidden") +
                  (page.GetLinkSortable() ? ", link sortable" : "")};
  for (const auto& table : page.GetClasses()) ListTable(table, "", lines);
  return lines;
}

#endif
