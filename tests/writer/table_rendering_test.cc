#include <gtest/gtest.h>

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

std::string Padded(int i) { return (i < 10 ? "i0" : "i") + std::to_string(i); }

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

// Grids of at most the limit of instances each; a limit below one still
// shows every instance, one per grid; a last row grid narrower than 1% per
// column keeps its widths at 0.
TEST_F(TableRendering, TablesAreSplitByTheInstanceLimit) {
  const struct {
    const char* fName;
    int fItems;
    int32_t fLimit;
    bool fRowStyle;
    std::vector<std::string> fGrids;
    std::vector<int32_t> fLastWidths;  // of the last grid, when checked
  } cases[] = {
      {"column table", 25, 10, false, {"WriteTableGrid(11x1)", "WriteTableGrid(11x1)", "WriteTableGrid(6x1)"}, {}},
      {"limit 0", 2, 0, false, {"WriteTableGrid(2x1)", "WriteTableGrid(2x1)"}, {}},
      {"negative limit", 2, -3, true, {"WriteTableGrid(1x2)", "WriteTableGrid(1x2)"}, {}},
      {"zero-width narrowing", 203, 200, true, {"WriteTableGrid(1x201)", "WriteTableGrid(1x4)"}, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    Use(Items(c.fItems));
    TReportClass table = Table("VKXSG_Item", {"Name"});
    if (c.fRowStyle) {
      table.SetReportStyle(TReportClass::RowReport);
      table.SetRowReportHeaderWidth("0%");
    }
    table.SetMaxInstancesPerTable(c.fLimit);
    Write(table);
    EXPECT_EQ(c.fGrids, writer.fCalls) << c.fName;
    if (!c.fLastWidths.empty()) {
      EXPECT_EQ(c.fLastWidths, writer.fGrids.back().fColumnWidths) << c.fName;
    }
    // Every instance is shown once, in order.
    std::vector<std::string> names;
    for (const TTableGrid& grid : writer.fGrids) {
      for (int32_t i = 1; i < (c.fRowStyle ? grid.fColumns : grid.fRows); ++i) {
        names.push_back(c.fRowStyle ? grid.Cell(0, i).fText : grid.Cell(i, 0).fText);
      }
    }
    ASSERT_EQ(static_cast<size_t>(c.fItems), names.size()) << c.fName;
    EXPECT_EQ(Padded(c.fItems - 1), names.back()) << c.fName;
    writer.fGrids.clear();
  }
}

// A grid reused for the next instances keeps nothing of the ones before.
TEST_F(TableRendering, ReusedGridKeepsNoAlternateOfTheInstanceBefore) {
  Use(Items(2));
  PropertyOf("VKXSG_Item", 0, "Name")->SetAlternateValue(TCIMValue("raw"));
  TReportClass table = Table("VKXSG_Item", {"Name"});
  table.SetMaxInstancesPerTable(1);
  Write(table);
  ASSERT_EQ(2u, writer.fGrids.size());
  EXPECT_EQ("raw", writer.fGrids[0].Cell(1, 0).fAlternateText);
  EXPECT_EQ("", writer.fGrids[1].Cell(1, 0).fAlternateText);
}

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

TEST_F(TableRendering, UnlimitedTableIsOneGrid) {
  Use(Items(3));
  TReportClass table = Table("VKXSG_Item", {"Name", "Value"}, "40%");
  table.SetTableWidth("80%");
  table.SetTableSortable();
  Write(table, true, true);
  ASSERT_EQ((std::vector<std::string>{"WriteTableGrid(4x2)"}), writer.fCalls);
  const TTableGrid& grid = writer.fGrids[0];
  EXPECT_TRUE(grid.fColumnReport);
  EXPECT_TRUE(grid.fSortable);
  EXPECT_TRUE(grid.fPassThrough);
  EXPECT_EQ(80, grid.fTableWidth);
  EXPECT_EQ((std::vector<int32_t>{40, 40}), grid.fColumnWidths);
  EXPECT_EQ((std::vector<std::string>{"Name | Value", "i00 | ", "i01 | ", "i02 | "}), GridRows(grid));
}

TEST_F(TableRendering, TitleIsWrittenEvenWithoutInstances) {
  Use(Items(0));
  TReportClass table = Table("VKXSG_Item", {"Name"});
  table.SetTitle("Items");
  table.EnableSubTitle();
  Write(table);
  EXPECT_EQ((std::vector<std::string>{"WriteTableTitle(Items, true, false)"}), writer.fCalls);
}

TEST_F(TableRendering, CellsCarrySeparatorsMonospaceAndSecondaryTargets) {
  Use(RepositoryFromMof(R"(
    class VKXSG_Card { [Key] string Name; string Ports[]; };
    class VKXSG_Slot { [Key] string Name; };
    [Association] class VKXSG_CardInSlot { [Key] VKXSG_Card REF Card; [Key] VKXSG_Slot REF Slot; };
    instance of VKXSG_Card as $C { Name = "card"; Ports = {"p1", "p2"}; };
    instance of VKXSG_Slot as $S { Name = "Slot 4"; };
    instance of VKXSG_CardInSlot { Card = $C; Slot = $S; };)"));
  TReportClass table = Table("VKXSG_Card", {"Ports"});
  table.GetProperties()[0].SetArrayValueSeparator(TReportProperty::ListSeparator);
  table.GetProperties()[0].SetMonospaced();
  TReportProperty slot("Name", "20%", "VKXSG_NoSuchAssociation", "VKXSG_Slot", "Slot");
  slot.SetSecondaryAssociationTarget("VKXSG_Slot");
  table.GetProperties().push_back(slot);
  Write(table);
  ASSERT_EQ(1u, writer.fGrids.size());
  EXPECT_EQ((std::vector<std::string>{"Ports | Slot", "p1; p2 | Slot 4"}), GridRows(writer.fGrids[0]));
  EXPECT_TRUE(writer.fGrids[0].Cell(1, 0).fMonospaced);
  EXPECT_FALSE(writer.fGrids[0].Cell(1, 1).fMonospaced);
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

TEST_F(TableRendering, ClassSpecificCellRules) {
  Use(RepositoryFromMof(R"(
    class CIM_NumericSensor { [Key] string Name; string CurrentReading; };
    class VKXSG_Process { [Key] string Name; string KernelModeTime; };
    class VKXSG_Product { [Key] string Name; string ProductInstallDate; };
    instance of CIM_NumericSensor { Name = "a"; CurrentReading = "2345"; };
    instance of CIM_NumericSensor { Name = "b"; CurrentReading = "-12.5"; };
    instance of VKXSG_Process { Name = "p"; KernelModeTime = "1 minute 2 second"; };
    instance of VKXSG_Product { Name = "x"; ProductInstallDate = "2023-04-05 00:00:00"; };)"));
  Write(Table("CIM_NumericSensor", {"CurrentReading"}));
  Write(Table("VKXSG_Process", {"KernelModeTime"}));
  TLogCapture log;
  Write(Table("VKXSG_Product", {"ProductInstallDate"}));
  EXPECT_EQ((std::vector<std::string>{"CurrentReading", "23.45", "1.25"}), GridRows(writer.fGrids.at(0)));
  EXPECT_EQ((std::vector<std::string>{"Kernel Mode Time (millisecond)", "62000"}), GridRows(writer.fGrids.at(1)));
  EXPECT_EQ((std::vector<std::string>{"ProductInstallDate", "2023-04-05 "}), GridRows(writer.fGrids.at(2)));
  EXPECT_TRUE(log.Has(3, "Property name = ProductInstallDate"));
  EXPECT_TRUE(log.Has(3, "Property value = 2023-04-05 "));
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

TEST_F(TableRendering, AssociatedTablesFollowTheTableOfTheirInstance) {
  Use(RepositoryFromMof(kControllers));
  Write(ControllersWithDisks());
  EXPECT_EQ((std::vector<std::string>{"WriteTableGrid(2x1)", "WriteTableTitle(Disks, false, false)",
                                      "WriteTableGrid(3x1)", "WriteTableGrid(2x1)",
                                      "WriteTableTitle(Disks, false, false)", "WriteTableGrid(2x1)",
                                      "WriteTableGrid(2x1)"}),
            writer.fCalls);
  EXPECT_EQ((std::vector<std::string>{"Name", "d9", "d10"}), GridRows(writer.fGrids[1]));
  EXPECT_EQ("c3", writer.fGrids[4].Cell(1, 0).fText);
}

TEST_F(TableRendering, AssociatedTablesAreLeftOutWithoutOneInstancePerTable) {
  Use(RepositoryFromMof(kControllers));
  Write(ControllersWithDisks(), false);
  EXPECT_EQ((std::vector<std::string>{"WriteTableGrid(4x1)"}), writer.fCalls);
}

TEST_F(TableRendering, GenericPageCallOrder) {
  Use(Items(2));
  TReportClass items = Table("VKXSG_Item", {"Name"});
  items.SetTitle("Items");
  writer.WriteGenericReport(Page("Item Page", "items", {items, Table("VKXSG_Missing", {"Name"})}));
  EXPECT_EQ((std::vector<std::string>{"OpenPage(/out/items)", "WritePageHeading()", "BeginPageBody()",
                                      "WritePageTitle(Item Page, , )", "WriteTableTitle(Items, false, false)",
                                      "WriteTableGrid(3x1)", "EndPageBody()", "ClosePage()",
                                      "RegisterPage(items, Item Page, true)"}),
            writer.fCalls);
}

TEST_F(TableRendering, GenericPageWithoutInstancesHasNoContentAndMayHideItsTitle) {
  Use(Items(0));
  writer.WriteGenericReport(Page("Item Page", "items", {Table("VKXSG_Item", {"Name"})}, false));
  EXPECT_EQ((std::vector<std::string>{"OpenPage(/out/items)", "WritePageHeading()", "BeginPageBody()",
                                      "EndPageBody()", "ClosePage()", "RegisterPage(items, Item Page, false)"}),
            writer.fCalls);
}

TEST_F(TableRendering, MemoryModulesAreWrittenEightPerTable) {
  Use(RepositoryFromMof("class VKXSG_SPDData { [Key] string Name; };"));
  for (int i = 0; i < 17; ++i) LoadMof(ns, "instance of VKXSG_SPDData { Name = \"" + Padded(i) + "\"; };");
  writer.WriteGenericReport(Page("Memory", "memory", {Table("VKXSG_SPDData", {"Name"})}));
  EXPECT_EQ((std::vector<std::string>{"WriteTableGrid(9x1)", "WriteTableGrid(9x1)", "WriteTableGrid(2x1)"}),
            writer.CallsStartingWith("WriteTableGrid"));
  EXPECT_EQ("RegisterPage(memory, Memory, true)", writer.fCalls.back());
}

TEST_F(TableRendering, FieldReplaceableUnitsLeaveOutMemoryModules) {
  Use(RepositoryFromMof(R"(
    class VKXSG_FRU { [Key] string Name; };
    instance of VKXSG_FRU { Name = "DIMM 1"; };
    instance of VKXSG_FRU { Name = "Planar"; };)"));
  writer.WriteGenericReport(Page("FRU", "fru", {Table("VKXSG_FRU", {"Name"})}));
  EXPECT_EQ((std::vector<std::string>{"Name", "Planar"}), GridRows(writer.fGrids.at(0)));
  Use(RepositoryFromMof("class VKXSG_FRU { [Key] string Name; }; instance of VKXSG_FRU { Name = \"DIMM 2\"; };"));
  TReportClass units = Table("VKXSG_FRU", {"Name"});
  units.SetTitle("Units");
  writer.WriteGenericReport(Page("FRU", "fru", {units}));
  EXPECT_EQ((std::vector<std::string>{"WriteTableTitle(Units, false, false)", "RegisterPage(fru, FRU, true)"}),
            (std::vector<std::string>{writer.fCalls[4], writer.fCalls.back()}));
  EXPECT_EQ(1u, writer.fGrids.size());
}

TEST_F(TableRendering, PatchwellResultsAreOrderedByTypeDescendingThenName) {
  Use(RepositoryFromMof(R"(
    class VKXSG_PWResult { [Key] string Name; string Type; };
    instance of VKXSG_PWResult { Name = "b"; Type = "1"; };
    instance of VKXSG_PWResult { Name = "c"; Type = "2"; };
    instance of VKXSG_PWResult { Name = "a"; Type = "1"; };
    instance of VKXSG_PWResult { Name = "d"; Type = "2"; };)"));
  writer.WriteGenericReport(Page("Patchwell", "pw", {Table("VKXSG_PWResult", {"Name", "Type"})}));
  EXPECT_EQ((std::vector<std::string>{"Name | Type", "c | 2", "d | 2", "a | 1", "b | 1"}),
            GridRows(writer.fGrids.at(0)));
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

TEST_F(TableRendering, PageWithLinkShowsTheRawDataLinkOnlyInLuzModeForHtml) {
  Use(Items(1));
  const TReportParameters page = Page("Qlogic", "Qlogic", {Table("VKXSG_Item", {"Name"})});
  writer.SetMode("luz");
  writer.WriteGenericReportWithLink(page, "QLogic_RawData");
  EXPECT_EQ((std::vector<std::string>{"OpenPage(/out/Qlogic)", "BeginPageBody()",
                                      "WritePageTitle(Qlogic,  - [Show Rawdata Report], QLogic_RawData)",
                                      "WriteTableGrid(2x1)", "EndPageBody()", "ClosePage()",
                                      "RegisterPage(Qlogic, Qlogic, true)"}),
            writer.fCalls);
  writer.fCalls.clear();
  writer.SetMode("default");
  writer.WriteGenericReportWithLink(page, "QLogic_RawData");
  EXPECT_EQ("WritePageTitle(Qlogic, , )", writer.fCalls.at(2));
  writer.fCalls.clear();
  writer.SetWriterType("inventory");
  writer.WriteGenericReportWithLink(page, "QLogic_RawData");
  EXPECT_EQ(0u, writer.CallsStartingWith("WritePageTitle").size());
}

TEST_F(TableRendering, PageWithLinkWithoutInstancesHasNoContent) {
  Use(Items(0));
  writer.WriteGenericReportWithLink(Page("Qlogic", "Qlogic", {Table("VKXSG_Item", {"Name"})}), "");
  EXPECT_EQ("RegisterPage(Qlogic, Qlogic, false)", writer.fCalls.back());
  EXPECT_TRUE(writer.fGrids.empty());
}

}  // namespace
