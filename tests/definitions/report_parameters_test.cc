#include "definitions/report_parameters.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace {

typedef TReportParameters::TReportClass TReportClass;
typedef TReportParameters::TReportProperty TReportProperty;

// What Validate writes to standard output.
std::string ValidationOutput(const TReportClass& table) {
  std::ostringstream captured;
  std::streambuf* original = std::cout.rdbuf(captured.rdbuf());
  table.Validate();
  std::cout.rdbuf(original);
  return captured.str();
}

TReportClass ColumnTable(const std::vector<std::string>& widths) {
  TReportClass table;
  table.SetClass("CIM_Memory");
  table.SetTitle("Memory");
  std::vector<TReportProperty> columns;
  for (size_t i = 0; i < widths.size(); ++i) {
    columns.push_back(TReportProperty("Column" + std::to_string(i), widths[i], "", "", ""));
  }
  table.SetProperties(columns);
  return table;
}

TEST(ConvertPercentTest, ReadsTheLeadingNumberAsAtoiDoes) {
  const struct {
    const char* text;
    int expected;
  } cases[] = {{"25%", 25}, {"100%", 100}, {"7.5%", 7}, {"", 0},   {"wide", 0},
               {"%", 0},    {" 12%", 12},  {"-3%", -3}, {"40", 40}, {"15% of 80%", 15}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, TReportParameters::ConvertPercent(c.text)) << c.text;
  }
}

TEST(ReportParametersTest, DefaultPageIsEmptyAndUntitled) {
  TReportParameters page;
  EXPECT_FALSE(page.ShowReportTitle());
  EXPECT_EQ("", page.GetLinkName());
  EXPECT_EQ("", page.GetReportName());
  EXPECT_TRUE(page.GetClasses().empty());
  EXPECT_FALSE(page.GetLinkSortable());
}

TEST(ReportParametersTest, PageSettersAreReadBack) {
  TReportParameters page;
  page.SetShowReportTitle(true);
  page.SetLinkName("net");
  page.SetReportName("Network Settings");
  page.SetLinkSortable();
  page.SetClasses(std::vector<TReportClass>(2));
  EXPECT_TRUE(page.ShowReportTitle());
  EXPECT_EQ("net", page.GetLinkName());
  EXPECT_EQ("Network Settings", page.GetReportName());
  EXPECT_TRUE(page.GetLinkSortable());
  EXPECT_EQ(2u, page.GetClasses().size());
}

TEST(ReportClassTest, DefaultTableIsAFullWidthUnlimitedColumnTable) {
  TReportClass table;
  EXPECT_EQ("100%", table.GetTableWidth());
  EXPECT_EQ(TReportClass::ColumnReport, table.GetReportStyle());
  EXPECT_EQ(2147483647, table.GetMaxInstancesPerTable());
  EXPECT_TRUE(table.GetInstanceSorter().IsEmpty());
  EXPECT_FALSE(table.HasTitle());
  EXPECT_FALSE(table.SubTitleEnabled());
  EXPECT_FALSE(table.HasAssociatedClass());
  EXPECT_FALSE(table.HasExcludeProps());
  EXPECT_FALSE(table.IsTableSortable());
  EXPECT_EQ("", table.GetAssocClass());
  EXPECT_EQ("", table.GetResultClass());
  EXPECT_EQ("", table.GetRole());
  EXPECT_EQ("", table.GetResultRole());
  EXPECT_EQ("", table.GetRowReportHeaderWidth());
  EXPECT_EQ("", table.GetUniqueIdProperty());
  EXPECT_TRUE(table.getPropertyFilterContainer().empty());
}

TEST(ReportClassTest, TitleFlagFollowsSetAndClearButTextStays) {
  TReportClass table;
  table.SetTitle("Memory");
  EXPECT_TRUE(table.HasTitle());
  table.ClearTitle();
  EXPECT_FALSE(table.HasTitle());
  EXPECT_EQ("Memory", table.GetTitle());
}

TEST(ReportClassTest, AssociatorsFilterKeepsItsFourTextsInOrder) {
  TReportClass table;
  table.SetAssociatorsFilter("Assoc", "Result", "Role", "ResultRole");
  EXPECT_EQ("Assoc", table.GetAssocClass());
  EXPECT_EQ("Result", table.GetResultClass());
  EXPECT_EQ("Role", table.GetRole());
  EXPECT_EQ("ResultRole", table.GetResultRole());
}

TEST(ReportClassTest, ResetRestoresDefaultsButKeepsClassTitleTextHeaderWidthAndSequences) {
  TReportClass table;
  table.SetClass("VKXSG_Disk");
  table.SetTitle("X");
  table.EnableSubTitle();
  table.SetTableWidth("60%");
  table.SetReportStyle(TReportClass::RowReport);
  table.SetRowReportHeaderWidth("30%");
  table.SetProperties({TReportProperty("Name", "0%", "", "", "")});
  table.SetUniqueIdProperty("DeviceId");
  table.SetAssociatedClass();
  table.SetAssociatedClasses(std::vector<TReportClass>(1));
  table.SetAssociatorsFilter("A", "B", "C", "D");
  table.ExcludeProps();
  table.GetInstanceSorter().AddProperty("Name", true, false);
  table.SetTableSortable();
  table.SetMaxInstancesPerTable(2);
  table.addPropertyFilter("Name", false, "x");

  table.Reset();

  EXPECT_FALSE(table.HasTitle());
  EXPECT_FALSE(table.SubTitleEnabled());
  EXPECT_EQ("100%", table.GetTableWidth());
  EXPECT_EQ(TReportClass::ColumnReport, table.GetReportStyle());
  EXPECT_EQ("", table.GetUniqueIdProperty());
  EXPECT_FALSE(table.HasAssociatedClass());
  EXPECT_EQ("", table.GetAssocClass());
  EXPECT_EQ("", table.GetResultClass());
  EXPECT_EQ("", table.GetRole());
  EXPECT_EQ("", table.GetResultRole());
  EXPECT_FALSE(table.HasExcludeProps());
  EXPECT_TRUE(table.GetInstanceSorter().IsEmpty());
  EXPECT_FALSE(table.IsTableSortable());
  EXPECT_EQ(2147483647, table.GetMaxInstancesPerTable());
  EXPECT_TRUE(table.getPropertyFilterContainer().empty());

  EXPECT_EQ("VKXSG_Disk", table.GetClass());
  EXPECT_EQ("X", table.GetTitle());
  EXPECT_EQ("30%", table.GetRowReportHeaderWidth());
  ASSERT_EQ(1u, table.GetProperties().size());
  EXPECT_EQ("Name", table.GetProperties()[0].GetProperty());
  EXPECT_EQ(1u, table.GetAssociatedClasses().size());
}

TEST(ReportClassTest, AddPropertyFilterAlwaysAppendsEvenADuplicate) {
  TReportClass table;
  EXPECT_TRUE(table.addPropertyFilter("Name", true, "Fan"));
  EXPECT_TRUE(table.addPropertyFilter("Name", true, "Fan"));
  const std::vector<TReportClass::TPropertyFilter>& filters = table.getPropertyFilterContainer();
  ASSERT_EQ(2u, filters.size());
  for (const TReportClass::TPropertyFilter& filter : filters) {
    EXPECT_EQ("Name", filter.fProperty);
    EXPECT_TRUE(filter.fExclude);
    EXPECT_EQ("Fan", filter.fValue);
  }
}

TEST(ReportClassTest, CopiesAreDeep) {
  TReportClass nested;
  nested.SetClass("Nested");
  TReportClass original = ColumnTable({"50%"});
  original.SetAssociatedClasses({nested});
  original.GetInstanceSorter().AddProperty("Name", true, false);

  TReportClass copy = original;
  copy.GetProperties().push_back(TReportProperty("Extra", "10%", "", "", ""));
  copy.GetAssociatedClasses()[0].SetClass("Changed");
  copy.GetInstanceSorter().Reset();

  EXPECT_EQ(1u, original.GetProperties().size());
  EXPECT_EQ("Nested", original.GetAssociatedClasses()[0].GetClass());
  EXPECT_FALSE(original.GetInstanceSorter().IsEmpty());

  TReportParameters page;
  page.SetClasses({original});
  TReportParameters pageCopy;
  pageCopy = page;
  pageCopy.GetClasses()[0].SetClass("Other");
  EXPECT_EQ("CIM_Memory", page.GetClasses()[0].GetClass());
}

TEST(ReportPropertyTest, DefaultPropertyIsEmpty) {
  TReportProperty property;
  EXPECT_EQ("", property.GetProperty());
  EXPECT_EQ("", property.GetColumnWidth());
  EXPECT_FALSE(property.HasAssociationClass());
  EXPECT_FALSE(property.HasAssociationTarget());
  EXPECT_FALSE(property.HasSecondaryAssociationTarget());
  EXPECT_FALSE(property.HasLabelOverride());
  EXPECT_EQ(TReportProperty::DefaultSeparator, property.GetArrayValueSeparator());
  EXPECT_FALSE(property.IsMonospaced());
}

TEST(ReportPropertyTest, FiveTextConstructorTakesTheAssociationClassBeforeTheTarget) {
  TReportProperty property("Name", "20%", "CIM_Assoc", "CIM_Target", "Label");
  EXPECT_EQ("Name", property.GetProperty());
  EXPECT_EQ("20%", property.GetColumnWidth());
  EXPECT_EQ("CIM_Assoc", property.GetAssociationClass());
  EXPECT_EQ("CIM_Target", property.GetAssociationTarget());
  EXPECT_EQ("Label", property.GetLabelOverride());
  EXPECT_TRUE(property.HasAssociationClass());
  EXPECT_TRUE(property.HasAssociationTarget());
  EXPECT_TRUE(property.HasLabelOverride());
  EXPECT_FALSE(property.HasSecondaryAssociationTarget());
  EXPECT_EQ(TReportProperty::DefaultSeparator, property.GetArrayValueSeparator());
  EXPECT_FALSE(property.IsMonospaced());
}

TEST(ReportPropertyTest, SettersAreReadBack) {
  TReportProperty property;
  property.SetProperty("IOAddress");
  property.SetColumnWidth("5%");
  property.SetSecondaryAssociationTarget("VKXSG_SystemBoard");
  property.SetArrayValueSeparator(TReportProperty::AddressRangeSeparator);
  property.SetMonospaced();
  EXPECT_EQ("IOAddress", property.GetProperty());
  EXPECT_EQ("5%", property.GetColumnWidth());
  EXPECT_EQ("VKXSG_SystemBoard", property.GetSecondaryAssociationTarget());
  EXPECT_TRUE(property.HasSecondaryAssociationTarget());
  EXPECT_EQ(3, property.GetArrayValueSeparator());
  EXPECT_TRUE(property.IsMonospaced());
}

TEST(ValidateTest, ReportsANarrowColumnWithTableAndClass) {
  TReportClass table = ColumnTable({"50%"});
  table.GetProperties()[0].SetProperty("Speed");
  table.GetProperties()[0].SetColumnWidth("1%");
  EXPECT_EQ(
      "Report: column 'Speed' width is less than 2% for the Memory report definition "
      "(CIM class CIM_Memory)\n",
      ValidationOutput(table));
}

TEST(ValidateTest, ColumnReportChecksEveryColumnAndNotTheHeaderWidth) {
  TReportClass table = ColumnTable({"1%", "", "2%"});
  EXPECT_EQ(
      "Report: column 'Column0' width is less than 2% for the Memory report definition "
      "(CIM class CIM_Memory)\n"
      "Report: column 'Column1' width is less than 2% for the Memory report definition "
      "(CIM class CIM_Memory)\n",
      ValidationOutput(table));
}

TEST(ValidateTest, RowReportChecksOnlyTheHeaderWidth) {
  TReportClass table = ColumnTable({"0%", ""});
  table.SetReportStyle(TReportClass::RowReport);
  EXPECT_EQ(
      "Report: Row report header width is 0% for the Memory report definition "
      "(CIM class CIM_Memory)\n",
      ValidationOutput(table));
  table.SetRowReportHeaderWidth("30%");
  EXPECT_EQ("", ValidationOutput(table));
}

}  // namespace
