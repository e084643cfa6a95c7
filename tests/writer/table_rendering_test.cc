#include <gtest/gtest.h>

#include <cstdio>

#include "tests/writer/test_repository.h"

namespace {

using NVKXQZA20::TCIMContext;
using NVKXQZA20::TCIMValue;
typedef TReportParameters::TReportClass TReportClass;
typedef TReportParameters::TReportProperty TReportProperty;

class TRenderingWriter : public TRecordingWriter {
 public:
  using TWriter::GetInstances;
  using TWriter::WriteGenericReport;
  using TWriter::WriteGenericReportWithLink;
  using TWriter::WriteTable;
};

TReportClass Table(const std::string& className, const std::vector<std::string>& properties,
                   const std::string& width = "20%") {
  TReportClass table;
  table.SetClass(className);
  for (const std::string& property : properties) {
    table.GetProperties().push_back(TReportProperty(property, width, "", "", ""));
  }
  return table;
}

TReportParameters Page(const std::string& name, const std::string& link, const std::vector<TReportClass>& tables,
                       bool showTitle = true) {
  TReportParameters page;
  page.SetReportName(name);
  page.SetLinkName(link);
  page.SetShowReportTitle(showTitle);
  page.SetClasses(tables);
  return page;
}

std::string Padded(int i) {
  char text[16];
  std::snprintf(text, sizeof text, "i%02d", i);
  return text;
}

// A class VKXSG_Item with the properties Name and Value and count instances i00, i01...
TTestNamespace Items(int count) {
  TTestNamespace ns = RepositoryFromMof("class VKXSG_Item { [Key] string Name; string Value; };");
  for (int i = 0; i < count; ++i) LoadMof(ns, "instance of VKXSG_Item { Name = \"" + Padded(i) + "\"; };");
  return ns;
}

class TableRendering : public ::testing::Test {
 protected:
  void Use(TTestNamespace repository) {
    ns = repository;
    writer.BaseInitialize(ns, TCIMContext(), Catalog(ns));
    writer.fCalls.clear();
  }

  void Write(const TReportClass& table, bool oneInstancePerTable = true, bool passThrough = false) {
    writer.WriteTable(table, writer.GetInstances(table), oneInstancePerTable, passThrough, TCIMContext());
  }

  TWriter::TPropertyPtr PropertyOf(const std::string& className, size_t index, const std::string& name) {
    std::vector<TWriter::TInstancePtr> instances;
    ns->GetClass(className)->EnumerateInstances(
        NVKXQZA20::TAddToVectorCallback<NVKXQZA20::ICIMInstance>(instances), true);
    return instances.at(index)->GetProperty(name);
  }

  TTestNamespace ns;
  TRenderingWriter writer;
};

TEST_F(TableRendering, RowTablesKeepAbsoluteColumnWidthsInTheirNarrowerLastGrid) {
  Use(Items(25));
  TReportClass table = Table("VKXSG_Item", {"Name", "Value"});
  table.SetReportStyle(TReportClass::RowReport);
  table.SetRowReportHeaderWidth("20%");
  table.SetMaxInstancesPerTable(10);
  Write(table);
  ASSERT_EQ((std::vector<std::string>{"WriteTableGrid(2x11)", "WriteTableGrid(2x11)", "WriteTableGrid(2x6)"}),
            writer.fCalls);
  const TTableGrid& full = writer.fGrids[0];
  EXPECT_TRUE(full.fRowReport);
  EXPECT_FALSE(full.fColumnReport);
  EXPECT_FALSE(full.fFillByColumn);
  EXPECT_EQ(100, full.fTableWidth);
  EXPECT_EQ((std::vector<int32_t>{20, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8}), full.fColumnWidths);
  const TTableGrid& last = writer.fGrids[2];
  EXPECT_EQ(60, last.fTableWidth);
  EXPECT_EQ((std::vector<int32_t>{33, 13, 13, 13, 13, 13}), last.fColumnWidths);
  EXPECT_EQ((std::vector<std::string>{"Name | i20 | i21 | i22 | i23 | i24", "Value |  |  |  |  | "}),
            GridRows(last));
  EXPECT_EQ("i10", writer.fGrids[1].Cell(0, 1).fText);
}

// A limit below one counts as one; a narrowed last grid whose kept columns
// were all 0 wide keeps them 0 wide.
TEST_F(TableRendering, RowTableGridGuards) {
  const struct {
    int fItems;
    int32_t fLimit;
    const char* fLabelWidth;
    std::vector<std::string> fGrids;
    std::vector<int32_t> fLastWidths;
    int32_t fLastTableWidth;
  } kCases[] = {
      {3, 0, "20%", {"WriteTableGrid(2x2)", "WriteTableGrid(2x2)", "WriteTableGrid(2x2)"}, {20, 80}, 100},
      {2, -5, "20%", {"WriteTableGrid(2x2)", "WriteTableGrid(2x2)"}, {20, 80}, 100},
      {250, 200, "0%", {"WriteTableGrid(2x201)", "WriteTableGrid(2x51)"}, std::vector<int32_t>(51, 0), 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.fLimit);
    Use(Items(c.fItems));
    TReportClass table = Table("VKXSG_Item", {"Name", "Value"});
    table.SetReportStyle(TReportClass::RowReport);
    table.SetRowReportHeaderWidth(c.fLabelWidth);
    table.SetMaxInstancesPerTable(c.fLimit);
    writer.fCalls.clear();
    writer.fGrids.clear();
    Write(table);
    EXPECT_EQ(c.fGrids, writer.fCalls);
    ASSERT_FALSE(writer.fGrids.empty());
    EXPECT_EQ(c.fLastWidths, writer.fGrids.back().fColumnWidths);
    EXPECT_EQ(c.fLastTableWidth, writer.fGrids.back().fTableWidth);
  }
}

TEST_F(TableRendering, AlternatesEqualToTheFirstTextShowNotAvailable) {
  Use(RepositoryFromMof(R"(
    class VKXSG_Reading { [Key] string Name; string Value; string Other; };
    instance of VKXSG_Reading { Name = "same"; Value = "v"; Other = "o"; };
    instance of VKXSG_Reading { Name = "none"; Value = "v"; Other = "o"; };
    instance of VKXSG_Reading { Name = "differs"; Value = "v"; Other = "o"; };)"));
  PropertyOf("VKXSG_Reading", 0, "Name")->SetAlternateValue(TCIMValue("same"));
  PropertyOf("VKXSG_Reading", 0, "Value")->SetAlternateValue(TCIMValue("raw v"));
  PropertyOf("VKXSG_Reading", 1, "Name")->SetAlternateValue(TCIMValue(""));
  PropertyOf("VKXSG_Reading", 2, "Name")->SetAlternateValue(TCIMValue("raw"));
  PropertyOf("VKXSG_Reading", 2, "Value")->SetAlternateValue(TCIMValue("v"));
  PropertyOf("VKXSG_Reading", 2, "Other")->SetAlternateValue(TCIMValue("raw o"));
  Write(Table("VKXSG_Reading", {"Name", "Value", "Other"}));
  const TTableGrid& grid = writer.fGrids.at(0);
  EXPECT_EQ((std::vector<std::string>{"Name | Value | Other", "N/A | v | o", "none | v | o", "differs | v | o"}),
            GridRows(grid));
  const std::vector<std::string> alternates = {
      grid.Cell(1, 0).fAlternateText, grid.Cell(1, 1).fAlternateText, grid.Cell(2, 0).fAlternateText,
      grid.Cell(3, 0).fAlternateText, grid.Cell(3, 1).fAlternateText, grid.Cell(3, 2).fAlternateText};
  EXPECT_EQ((std::vector<std::string>{"same", "", "N/A", "raw", "", "raw o"}), alternates);
}

const char kControllers[] = R"(
  class VKXSG_Controller { [Key] string Name; };
  class VKXSG_Disk { [Key] string Name; };
  [Association] class VKXSG_ControllerDisk { [Key] VKXSG_Controller REF Controller; [Key] VKXSG_Disk REF Disk; };
  instance of VKXSG_Controller as $C1 { Name = "c1"; };
  instance of VKXSG_Controller as $C2 { Name = "c2"; };
  instance of VKXSG_Controller { Name = "c3"; };
  instance of VKXSG_Disk as $D1 { Name = "d10"; };
  instance of VKXSG_Disk as $D2 { Name = "d9"; };
  instance of VKXSG_ControllerDisk { Controller = $C1; Disk = $D1; };
  instance of VKXSG_ControllerDisk { Controller = $C1; Disk = $D2; };
  instance of VKXSG_ControllerDisk { Controller = $C2; Disk = $D2; };
)";

TReportClass ControllersWithDisks() {
  TReportClass disks = Table("VKXSG_Disk", {"Name"});
  disks.SetTitle("Disks");
  disks.SetAssociatorsFilter("VKXSG_ControllerDisk", "VKXSG_Disk", "", "");
  disks.GetInstanceSorter().AddProperty("Name", true, false);
  TReportClass controllers = Table("VKXSG_Controller", {"Name"});
  controllers.SetAssociatedClass();
  controllers.SetAssociatedClasses({disks});
  return controllers;
}

TEST_F(TableRendering, AssociatedTablesAreLeftOutWithoutOneInstancePerTable) {
  Use(RepositoryFromMof(kControllers));
  Write(ControllersWithDisks(), false);
  EXPECT_EQ((std::vector<std::string>{"WriteTableGrid(4x1)"}), writer.fCalls);
}

TEST_F(TableRendering, GenericPageWithoutInstancesHasNoContentAndMayHideItsTitle) {
  Use(Items(0));
  writer.WriteGenericReport(Page("Item Page", "items", {Table("VKXSG_Item", {"Name"})}, false));
  EXPECT_EQ((std::vector<std::string>{"OpenPage(/out/items)", "WritePageHeading()", "BeginPageBody()",
                                      "EndPageBody()", "ClosePage()", "RegisterPage(items, Item Page, false)"}),
            writer.fCalls);
}

TEST_F(TableRendering, ErrorLogPageHasNoContentInDefaultMode) {
  Use(Items(1));
  const TReportParameters errorLog = Page("QZA Error Log", "qza_log", {Table("VKXSG_Item", {"Name"})});
  writer.WriteGenericReport(errorLog);
  EXPECT_EQ("RegisterPage(qza_log, QZA Error Log, false)", writer.fCalls.back());
  writer.SetMode("luz");
  writer.WriteGenericReport(errorLog);
  EXPECT_EQ("RegisterPage(qza_log, QZA Error Log, true)", writer.fCalls.back());
}

TEST_F(TableRendering, PageWithLinkWithoutInstancesHasNoContent) {
  Use(Items(0));
  writer.WriteGenericReportWithLink(Page("Qlogic", "Qlogic", {Table("VKXSG_Item", {"Name"})}), "");
  EXPECT_EQ("RegisterPage(Qlogic, Qlogic, false)", writer.fCalls.back());
  EXPECT_TRUE(writer.fGrids.empty());
}

}  // namespace
