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
