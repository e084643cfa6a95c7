// Comparison pages: what is written for the differences, missing and unique
// instances of each table.
#include <gtest/gtest.h>

#include "tests/delta/comparison_repository.h"

namespace {

typedef TReportParameters::TReportClass TReportClass;

std::string Disk(const std::string& id, const std::string& values) {
  return "instance of T_Disk { ID = \"" + id + "\"; " + values + " };\n";
}

std::string DiskPath(const std::string& id) { return "T_Disk.ID=\"" + id + "\""; }

class DeltaRenderingTest : public TComparisonTest {};

TEST_F(DeltaRenderingTest, PageWithoutDifferencesHasItsFrameAndNoContent) {
  Load({Disk("a", ""), Disk("a", "")}, Results("T_Disk", {}));
  TReportClass table = ColumnTable("T_Disk", {"ID"});
  table.SetTitle("Disks");
  WritePage({table});
  EXPECT_EQ(std::vector<std::string>({"OpenPage(/out/disks)", "WritePageHeading()", "BeginPageBody()",
                                      "WritePageTitle(Disks, , )", "EndPageBody()", "ClosePage()",
                                      "RegisterPage(disks, Disks, false)"}),
            fWriter.fCalls);
}

TEST_F(DeltaRenderingTest, PassesWriteDifferencesThenMissingThenUniqueEachInPathOrder) {
  Load({Disk("a", "Size = 1;") + Disk("b", "Size = 1;"), Disk("b", "Size = 2;") + Disk("c", ""),
        Disk("a", "Size = 3;") + Disk("b", "Size = 1;") + Disk("c", "")},
       Results("T_Disk", {{2, DiskPath("c"), {1, 2}, ""},
                          {4, DiskPath("b"), {0, 1}, "Size"},
                          {4, DiskPath("a"), {0, 2}, "Size"},
                          {1, DiskPath("a"), {1}, ""}}));
  TReportClass table = ColumnTable("T_Disk", {"ID", "Size"});
  table.SetTitle("Disks");
  WritePage({table});
  EXPECT_EQ(std::vector<std::string>({"WriteTableTitle(Disks, false, false)",
                                      "WriteTableTitle(Differences, true, true)",
                                      "WriteTableTitle(Differences, true, true)",
                                      "WriteTableTitle(Missing from beta, true, true)",
                                      "WriteTableTitle(Unique to beta, gamma, true, true)"}),
            TableTitles());
  std::vector<std::string> shownInstances;
  for (const TTableGrid& grid : fWriter.fGrids) {
    if (grid.Cell(0, 0).fText == "ID") shownInstances.push_back(grid.Cell(1, 0).fText);
  }
  EXPECT_EQ(std::vector<std::string>({"a", "b", "a", "c"}), shownInstances);
  EXPECT_EQ("RegisterPage(disks, Disks, true)", fWriter.fCalls.back());
}

TEST_F(DeltaRenderingTest, DifferencesShowTheInvolvedDataSourcesAndMarkEqualValues) {
  Load({Disk("a", "Model = \"M\"; Size = 100;") + Disk("b", "Size = 1;"),
        Disk("a", "Model = \"N\"; Size = 100;") + Disk("b", "Size = 1;"),
        Disk("a", "Model = \"M\"; Size = 300;") + Disk("b", "Size = 3;")},
       Results("T_Disk", {{4, DiskPath("a"), {0, 2}, "Size"},
                          {4, DiskPath("a"), {0, 1}, "Model"},
                          {4, DiskPath("b"), {0, 2}, "Size"}}));
  TReportClass table = ColumnTable("T_Disk", {"ID", "Model", "Size"});
  table.GetProperties()[2].SetMonospaced();
  WritePage({table});
  ASSERT_EQ(4u, fWriter.fGrids.size());
  const TTableGrid& both = fWriter.fGrids.at(1);
  EXPECT_EQ(std::vector<std::string>({"Data Source | Model | Capacity", "alpha | M | 100",
                                      "beta | N | --- SAME ---", "gamma | --- SAME --- | 300"}),
            GridRows(both));
  EXPECT_TRUE(both.fColumnReport && both.fRowReport);
  EXPECT_TRUE(both.Cell(3, 2).fMonospaced);
  EXPECT_FALSE(both.Cell(3, 1).fMonospaced);
  EXPECT_EQ(std::vector<std::string>({"Data Source | Capacity", "alpha | 1", "gamma | 3"}),
            GridRows(fWriter.fGrids.at(3)));
}

TEST_F(DeltaRenderingTest, ArrayValuesAreJoinedWithTheColumnsSeparator) {
  Load({Disk("a", "Flags = {\"x\", \"y\"};"), Disk("a", "Flags = {\"y\"};")},
       Results("T_Disk", {{4, DiskPath("a"), {0, 1}, "Flags"}}));
  TReportClass table = ColumnTable("T_Disk", {"Flags"});
  table.GetProperties()[0].SetArrayValueSeparator(TReportParameters::TReportProperty::ListSeparator);
  WritePage({table});
  EXPECT_EQ(std::vector<std::string>({"Data Source | Flags", "alpha | x; y", "beta | y"}),
            GridRows(fWriter.fGrids.at(1)));
}

struct TChunkCase {
  const char* name;
  std::vector<std::string> widths;  // of the changed columns A, B, ...
  std::string tableWidth;
  // Per grid: its table width, then its column widths.
  std::vector<std::vector<int32_t>> grids;
};

void PrintTo(const TChunkCase& c, std::ostream* out) { *out << c.name; }

class DifferenceGridChunkTest : public TComparisonTest, public ::testing::WithParamInterface<TChunkCase> {};

TEST_P(DifferenceGridChunkTest, ChangedColumnsSplitIntoGridsThatFitBesideTheDataSourceColumn) {
  const TChunkCase& c = GetParam();
  const std::vector<std::string> names = {"A", "B", "C", "D", "E", "F"};
  std::vector<TDeltaRecord> deltas;
  TReportClass table = ColumnTable("T_Disk", {});
  table.SetTableWidth(c.tableWidth);
  for (size_t i = 0; i < c.widths.size(); ++i) {
    deltas.push_back({4, DiskPath("a"), {0, 1}, names[i]});
    table.GetProperties().push_back(TReportParameters::TReportProperty(names[i], c.widths[i], "", "", ""));
  }
  Load({Disk("a", "A = \"1\"; B = \"1\"; C = \"1\"; D = \"1\"; E = \"1\"; F = \"1\";"), Disk("a", "")},
       Results("T_Disk", deltas));
  WritePage({table});
  std::vector<std::vector<int32_t>> grids;
  for (size_t i = 1; i < fWriter.fGrids.size(); ++i) {
    std::vector<int32_t> layout(1, fWriter.fGrids[i].fTableWidth);
    layout.insert(layout.end(), fWriter.fGrids[i].fColumnWidths.begin(), fWriter.fGrids[i].fColumnWidths.end());
    grids.push_back(layout);
  }
  EXPECT_EQ(c.grids, grids);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, DifferenceGridChunkTest,
    ::testing::Values(
        // 18 + 4 x 20 = 98; a fifth column would pass 100.
        TChunkCase{"FourOfTwentyPercent", {"20%", "20%", "20%", "20%", "20%", "20%"}, "100%",
                   {{98, 18, 20, 20, 20, 20}, {58, 31, 34, 34}}},
        TChunkCase{"WideColumnAlone", {"90%", "50%"}, "100%", {{108, 16, 83}, {68, 26, 73}}},
        // Shares are scaled to the page: 40% of a 50% table is 20% of the page.
        TChunkCase{"HalfWidthTable", {"40%", "40%", "40%", "40%", "40%"}, "50%",
                   {{98, 18, 20, 20, 20, 20}, {38, 47, 52}}}),
    [](const ::testing::TestParamInfo<TChunkCase>& info) { return info.param.name; });

TEST_F(DeltaRenderingTest, RowStyleTableColumnsShareWhatTheLabelsLeave) {
  Load({Disk("a", "A = \"1\"; B = \"1\";"), Disk("a", "")},
       Results("T_Disk", {{4, DiskPath("a"), {0, 1}, "A"}, {4, DiskPath("a"), {0, 1}, "B"}}));
  TReportClass table = ColumnTable("T_Disk", {"A", "B"});
  table.SetReportStyle(TReportClass::RowReport);
  table.SetRowReportHeaderWidth("40%");
  WritePage({table});
  ASSERT_EQ(3u, fWriter.fGrids.size());
  EXPECT_EQ(78, fWriter.fGrids.at(1).fTableWidth);
  EXPECT_EQ(std::vector<int32_t>({23, 76}), fWriter.fGrids.at(1).fColumnWidths);
  EXPECT_EQ(std::vector<std::string>({"Data Source | B", "alpha | 1", "beta | "}), GridRows(fWriter.fGrids.at(2)));
}

TEST_F(DeltaRenderingTest, MissingTitleNamesTheDataSourcesOfTheMissingDelta) {
  Load({Disk("a", "Size = 1;"), Disk("a", "Size = 2;"), ""},
       Results("T_Disk", {{4, DiskPath("a"), {0, 1}, "Size"}, {1, DiskPath("a"), {2, 7}, ""}}));
  WritePage({ColumnTable("T_Disk", {"ID", "Size"})});
  EXPECT_EQ(std::vector<std::string>(
                {"WriteTableTitle(Differences, true, true)", "WriteTableTitle(Missing from gamma, true, true)"}),
            TableTitles());
}

TEST_F(DeltaRenderingTest, AssociatedMissingInstancesFollowTheirOwnerWithoutATitle) {
  const std::string controller =
      "instance of T_Controller as $C { ID = \"c1\"; Name = \"X\"; };\n"
      "instance of T_Disk as $D { ID = \"d1\"; Size = 1; };\n"
      "instance of T_ControllerDisk { Controller = $C; Disk = $D; };\n";
  Load({controller, ""}, Results("T_Controller", {{1, "T_Controller.ID=\"c1\"", {1}, ""}}));
  TReportClass disks = ColumnTable("T_Disk", {"ID"});
  disks.SetTitle("Disks of the controller");
  disks.SetAssociatorsFilter("T_ControllerDisk", "T_Disk", "", "");
  TReportClass controllers = ColumnTable("T_Controller", {"ID"});
  controllers.SetTitle("Controllers");
  controllers.SetAssociatedClass();
  controllers.SetAssociatedClasses({disks});
  WritePage({controllers});
  // The associated table keeps its own title, as any table written alone.
  EXPECT_EQ(std::vector<std::string>({"WriteTableTitle(Controllers, false, false)",
                                      "WriteTableTitle(Missing from beta, true, true)", "WriteTableGrid(2x1)",
                                      "WriteTableTitle(Disks of the controller, false, false)",
                                      "WriteTableGrid(2x1)", "WriteSeparator()", "WriteSeparator()"}),
            TableCalls());
}

}  // namespace
