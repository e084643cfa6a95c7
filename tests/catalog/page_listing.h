// Test support for page definitions: a definition written out line by line
// in the words of the page lists, and the comparison of such a listing with
// the one stored in tests/traces/.
//
//   page "Glow Line" link glowline
//   table CIM_IndicatorLED, title "LED Settings", column style, width 80%, at most 1000 per table
//     sort ElementName ascending
//     column ElementName 11% (label "LED")
//
// QZA_STORE_LISTINGS=1 makes the test rewrite the stored listing instead
// (tests/traces/update does so after an intended change).
#ifndef QZA_TESTS_CATALOG_PAGE_LISTING_H
#define QZA_TESTS_CATALOG_PAGE_LISTING_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "definitions/report_parameters.h"

namespace page_listing {

typedef TReportParameters::TReportClass TReportClass;
typedef TReportParameters::TReportProperty TReportProperty;
typedef std::vector<std::string> TLines;

// "ProductID 15% (label "Device", through A to B, then to C, separator 1, monospaced)".
inline std::string Describe(const TReportProperty& property) {
  std::vector<std::string> details;
  if (property.HasLabelOverride()) details.push_back("label \"" + property.GetLabelOverride() + "\"");
  if (property.HasAssociationClass() || property.HasAssociationTarget()) {
    details.push_back("through " + property.GetAssociationClass() + " to " + property.GetAssociationTarget());
  }
  if (property.HasSecondaryAssociationTarget()) details.push_back("then to " + property.GetSecondaryAssociationTarget());
  if (property.GetArrayValueSeparator() != 0) {
    details.push_back("separator " + std::to_string(property.GetArrayValueSeparator()));
  }
  if (property.IsMonospaced()) details.push_back("monospaced");
  std::string text = property.GetProperty();
  if (!property.GetColumnWidth().empty()) text += " " + property.GetColumnWidth();
  for (size_t i = 0; i < details.size(); ++i) text += (i == 0 ? " (" : ", ") + details[i];
  return details.empty() ? text : text + ")";
}

// The table's settings in the order and words of the page lists; settings at
// their defaults are left out.
inline std::string Settings(const TReportClass& table) {
  std::string text = table.GetClass() + (table.HasTitle() ? ", title \"" + table.GetTitle() + "\"" : ", no title");
  if (table.SubTitleEnabled()) text += ", subtitle";
  if (table.GetReportStyle() == TReportClass::RowReport) {
    text += ", row style, width " + table.GetTableWidth() + ", label column " + table.GetRowReportHeaderWidth();
  } else {
    text += ", column style, width " + table.GetTableWidth();
  }
  if (table.GetMaxInstancesPerTable() != 2147483647) {
    text += ", at most " + std::to_string(table.GetMaxInstancesPerTable()) + " per table";
  }
  if (table.IsTableSortable()) text += ", sortable";
  if (!table.GetUniqueIdProperty().empty()) text += ", unique id \"" + table.GetUniqueIdProperty() + "\"";
  if (!table.GetAssocClass().empty() || !table.GetResultClass().empty()) {
    text += ", through " + table.GetAssocClass() + " to " + table.GetResultClass();
  }
  if (!table.GetRole().empty() || !table.GetResultRole().empty()) {
    text += ", roles " + table.GetRole() + " and " + table.GetResultRole();
  }
  if (table.HasExcludeProps()) text += ", exclude props";
  return text;
}

inline void ListTable(const TReportClass& table, const std::string& indent, TLines& lines) {
  lines.push_back(indent + (indent.empty() ? "table " : "associated ") + Settings(table));
  for (const auto& filter : table.getPropertyFilterContainer()) {
    lines.push_back(indent + "  filter " + filter.fProperty + (filter.fExclude ? " exclude " : " include ") +
                    filter.fValue);
  }
  for (const auto& key : table.GetInstanceSorter().GetKeys()) {
    lines.push_back(indent + "  sort " + key.fProperty + (key.fAscending ? " ascending" : " descending") +
                    (key.fSecondFlag ? " second" : "") + (key.fThirdFlag ? " third" : ""));
  }
  for (const TReportProperty& column : table.GetProperties()) lines.push_back(indent + "  column " + Describe(column));
  for (const TReportClass& associated : table.GetAssociatedClasses()) ListTable(associated, indent + "  ", lines);
}

// The page, then what Validate reports for each of its tables.
inline void ListPage(const TReportParameters& page, TLines& lines) {
  lines.push_back("page \"" + page.GetReportName() + "\" link " + page.GetLinkName() +
                  (page.ShowReportTitle() ? "" : ", title hidden") + (page.GetLinkSortable() ? ", link sortable" : ""));
  for (const TReportClass& table : page.GetClasses()) ListTable(table, "", lines);
  testing::internal::CaptureStdout();
  std::vector<TReportClass> pending = page.GetClasses();
  while (!pending.empty()) {
    TReportClass table = pending.back();
    pending.pop_back();
    table.Validate();
    pending.insert(pending.end(), table.GetAssociatedClasses().begin(), table.GetAssociatedClasses().end());
  }
  std::istringstream problems(testing::internal::GetCapturedStdout());
  for (std::string problem; std::getline(problems, problem);) lines.push_back("validation: " + problem);
}

// Compares the listing with tests/traces/NAME line by line, naming the first
// line that differs; with QZA_STORE_LISTINGS set, rewrites the stored file.
inline void ExpectStoredListing(const TLines& lines, const std::string& name) {
  const std::string path = std::string(QZA_SOURCE_DIR) + "/tests/traces/" + name;
  if (std::getenv("QZA_STORE_LISTINGS")) {
    std::ofstream stored(path);
    for (const std::string& line : lines) stored << line << "\n";
    return;
  }
  std::ifstream stored(path);
  TLines expected;
  for (std::string line; std::getline(stored, line);) expected.push_back(line);
  ASSERT_FALSE(expected.empty()) << "no stored listing tests/traces/" << name << "; run tests/traces/update";
  for (size_t i = 0; i < expected.size() && i < lines.size(); ++i) {
    if (expected[i] != lines[i]) {
      FAIL() << "tests/traces/" << name << " differs first at line " << i + 1 << "\n  stored: " << expected[i]
             << "\n  now:    " << lines[i] << "\nIf the change is intended, run tests/traces/update";
    }
  }
  EXPECT_EQ(expected.size(), lines.size()) << "tests/traces/" << name << " has " << expected.size()
                                           << " lines, the listing now " << lines.size()
                                           << "; if the change is intended, run tests/traces/update";
}

}  // namespace page_listing

#endif
