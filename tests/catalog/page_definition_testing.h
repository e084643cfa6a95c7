// Test support for the catalog's page operations: a data source stated as
// MOF text, the catalog over it, and page definitions written out in the
// words of the page lists, so that expectations read like the lists.
//
//   Load(Product("1.1") + Nodes(2));
//   TReportParameters page = Catalog().BuildFirmwareParams();
//   EXPECT_EQ(Strings({"Name 20%", "SourceNode 20%"}), Columns(page.GetClasses()[2]));
#ifndef QZA_TESTS_CATALOG_PAGE_DEFINITION_TESTING_H
#define QZA_TESTS_CATALOG_PAGE_DEFINITION_TESTING_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/report_parameters_builder.h"
#include "core/mof_reader.h"
#include "core/repository.h"

namespace page_testing {

typedef TReportParameters::TReportClass TReportClass;
typedef TReportParameters::TReportProperty TReportProperty;
typedef std::vector<std::string> Strings;

// The classes the catalog's probes read.
const char* const kProbedClasses =
    "class VKXSG_QZAProduct { [Key] string Name; string Version; string Build; };\n"
    "class VKXSG_OperatingSystem { [Key] string Name; string ProductVendor; uint16 OSType; };\n"
    "class VKXSG_ComputerSystem { [Key] string Name; uint8 SystemNodes; };\n"
    "class VKXSG_SP_SkerrySystem { [Key] string Name; boolean SkerryPresent; };\n";

inline std::string Product(const std::string& version, const std::string& build = "1200") {
  return "instance of VKXSG_QZAProduct { Name = \"QZA\"; Version = \"" + version + "\"; Build = \"" + build +
         "\"; };\n";
}
inline std::string PrebootProduct(const std::string& version) { return Product(version, "1200-preboot"); }

inline std::string OperatingSystem(const std::string& vendor, int osType) {
  return "instance of VKXSG_OperatingSystem { Name = \"OS\"; ProductVendor = \"" + vendor +
         "\"; OSType = " + std::to_string(osType) + "; };\n";
}
inline std::string Windows() { return OperatingSystem("Microsoft Corporation", 18); }
inline std::string WindowsNewer() { return OperatingSystem("Microsoft Corporation", 74); }
inline std::string Linux() { return OperatingSystem("Red Hat, Inc.", 36); }
inline std::string VMware() { return OperatingSystem("VMware, Inc.", 78); }

inline std::string Nodes(int count) {
  return "instance of VKXSG_ComputerSystem { Name = \"Node\"; SystemNodes = " + std::to_string(count) + "; };\n";
}
inline std::string Skerry() {
  return "instance of VKXSG_SP_SkerrySystem { Name = \"Skerry\"; SkerryPresent = true; };\n";
}

// "ProductID 15% (label "Device", through A to B, then to C, separator 1,
// monospaced)": a column or row as the page lists write it.
inline std::string Describe(const TReportProperty& property) {
  std::vector<std::string> details;
  if (property.HasLabelOverride()) details.push_back("label \"" + property.GetLabelOverride() + "\"");
  if (property.HasAssociationClass() || property.HasAssociationTarget()) {
    details.push_back("through " + property.GetAssociationClass() + " to " + property.GetAssociationTarget());
  }
  if (property.HasSecondaryAssociationTarget()) {
    details.push_back("then to " + property.GetSecondaryAssociationTarget());
  }
  if (property.GetArrayValueSeparator() != 0) {
    details.push_back("separator " + std::to_string(property.GetArrayValueSeparator()));
  }
  if (property.IsMonospaced()) details.push_back("monospaced");
  std::string text = property.GetProperty();
  if (!property.GetColumnWidth().empty()) text += " " + property.GetColumnWidth();
  for (size_t i = 0; i < details.size(); ++i) text += (i == 0 ? " (" : ", ") + details[i];
  return details.empty() ? text : text + ")";
}

inline Strings Columns(const TReportClass& table) {
  Strings columns;
  for (const TReportProperty& property : table.GetProperties()) columns.push_back(Describe(property));
  return columns;
}

// "DeviceID ascending", "Index ascending second", "SensorTypeName ascending third".
inline Strings SortKeys(const TReportClass& table) {
  Strings keys;
  for (const auto& key : table.GetInstanceSorter().GetKeys()) {
    keys.push_back(key.fProperty + (key.fAscending ? " ascending" : " descending") +
                   (key.fSecondFlag ? " second" : "") + (key.fThirdFlag ? " third" : ""));
  }
  return keys;
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
  if (table.HasAssociatedClass()) text += ", with associated tables";
  if (table.HasExcludeProps()) text += ", exclude props";
  if (!table.getPropertyFilterContainer().empty()) text += ", with property filters";
  return text;
}

// "VKXSG_Card "System Card Information"" for each table of the page, in order.
inline Strings Tables(const TReportParameters& page) {
  Strings tables;
  for (const TReportClass& table : page.GetClasses()) {
    tables.push_back(table.GetClass() + (table.HasTitle() ? " \"" + table.GetTitle() + "\"" : ""));
  }
  return tables;
}

// The sum of a column-style table's column widths, in percent.
inline int ColumnWidthSum(const TReportClass& table) {
  int sum = 0;
  for (const TReportProperty& property : table.GetProperties()) {
    sum += TReportParameters::ConvertPercent(property.GetColumnWidth());
  }
  return sum;
}

// What Validate reports for every table of the page, associated ones
// included.
inline std::string ValidationMessages(const TReportParameters& page) {
  testing::internal::CaptureStdout();
  std::vector<TReportClass> pending = page.GetClasses();
  while (!pending.empty()) {
    TReportClass table = pending.back();
    pending.pop_back();
    table.Validate();
    pending.insert(pending.end(), table.GetAssociatedClasses().begin(), table.GetAssociatedClasses().end());
  }
  return testing::internal::GetCapturedStdout();
}

// A fresh repository holding the probed classes; each test adds its data
// source's facts as MOF instances.
class PageDefinitionTest : public ::testing::Test {
 protected:
  PageDefinitionTest() : fNamespace(NVKXQZA20::TMemoryNamespace::Create()) { Load(kProbedClasses); }

  void Load(const std::string& mof) { NVKXQZA20::TMofReader(fNamespace).LoadText(mof, "test.mof"); }
  TReportParametersBuilder Catalog(const std::string& mode = "default", bool xcm = false) const {
    return TReportParametersBuilder(fNamespace, mode, xcm);
  }

  boost::shared_ptr<NVKXQZA20::TMemoryNamespace> fNamespace;
};

}  // namespace page_testing

#endif
