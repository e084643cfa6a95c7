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
