// The comparison tree, seen through the page it produces.
#include "delta/delta_tree.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/delta/comparison_repository.h"

namespace {

typedef TReportParameters::TReportClass TReportClass;

const char kDiskA[] = "instance of T_Disk { ID = \"a\"; Model = \"M\"; Size = 100; };\n";

// Controller c1 named name, with disk d1 of the size.
std::string ControllerWithDisk(const std::string& name, int size = 100) {
  return "instance of T_Controller as $C { ID = \"c1\"; Name = \"" + name +
         "\"; };\ninstance of T_Disk as $D { ID = \"d1\"; Size = " + std::to_string(size) +
         "; };\ninstance of T_ControllerDisk { Controller = $C; Disk = $D; };\n";
}

// A disk table whose column "Name" is its controller's name.
TReportClass DiskTableWithControllerName() {
  TReportClass table = ColumnTable("T_Disk", {"ID"});
  table.GetProperties().push_back(TReportParameters::TReportProperty("Name", "20%", "T_ControllerDisk", "T_Controller", ""));
  return table;
}

// A controller table with its disks beneath it.
TReportClass ControllerTableWithDisks() {
  TReportClass disks = ColumnTable("T_Disk", {"ID", "Size"});
  disks.SetAssociatorsFilter("T_ControllerDisk", "T_Disk", "", "");
  TReportClass controllers = ColumnTable("T_Controller", {"ID", "Name"});
  controllers.SetAssociatedClass();
  controllers.SetAssociatedClasses({disks});
  return controllers;
}

class DeltaModelTest : public TComparisonTest {};

TEST_F(DeltaModelTest, PropertyDeltaOfAColumnTheTableLacksIsDropped) {
  Load({kDiskA, kDiskA}, Results("T_Disk", {{4, "T_Disk.ID=\"a\"", {0, 1}, "Firmware"}}));
  WritePage({ColumnTable("T_Disk", {"ID", "Size"})});
  EXPECT_EQ(std::vector<std::string>(), TableCalls());
  EXPECT_EQ("RegisterPage(disks, Disks, false)", fWriter.fCalls.back());
}

TEST_F(DeltaModelTest, DroppedPropertyDeltaLeavesTheOtherDeltasOfItsInstance) {
  Load({kDiskA, "", kDiskA},
       Results("T_Disk", {{4, "T_Disk.ID=\"a\"", {0, 2}, "Firmware"}, {1, "T_Disk.ID=\"a\"", {1}, ""}}));
  WritePage({ColumnTable("T_Disk", {"ID", "Size"})});
  EXPECT_EQ(std::vector<std::string>({"WriteTableTitle(Missing from beta, true, true)", "WriteTableGrid(2x2)",
                                      "WriteSeparator()"}),
            TableCalls());
}

TEST_F(DeltaModelTest, DeltasOfOneInstanceMakeOneInstanceDeltaWrittenInEachOfItsPasses) {
  const std::string diskC = "instance of T_Disk { ID = \"c\"; Size = ";
  Load({"", diskC + "10; };", diskC + "20; };"},
       Results("T_Disk", {{2, "T_Disk.ID=\"c\"", {1, 2}, ""}, {4, "T_Disk.ID=\"c\"", {1, 2}, "Size"}}));
  WritePage({ColumnTable("T_Disk", {"ID", "Size"})});
  // The base has no such instance to show above its differences.
  EXPECT_EQ(std::vector<std::string>({"WriteTableTitle(Differences, true, true)", "WriteTableGrid(3x2)",
                                      "WriteSeparator()", "WriteTableTitle(Unique to beta, gamma, true, true)",
                                      "WriteTableGrid(2x2)", "WriteSeparator()"}),
            TableCalls());
  EXPECT_EQ(std::vector<std::string>({"Data Source | Capacity", "beta | 10", "gamma | 20"}),
            GridRows(fWriter.fGrids.at(0)));
  EXPECT_EQ(std::vector<std::string>({"ID | Capacity", "c | 10"}), GridRows(fWriter.fGrids.at(1)));
}

TEST_F(DeltaModelTest, DeltaOfASubclassIsFoundThroughTheTablesClass) {
  const std::string nvme = "instance of T_NVMeDisk { ID = \"n\"; Size = 5; };";
  Load({nvme, ""}, Results("T_NVMeDisk", {{1, "T_NVMeDisk.ID=\"n\"", {1}, ""}}));
  WritePage({ColumnTable("T_Disk", {"ID", "Size"})});
  EXPECT_EQ(std::vector<std::string>({"WriteTableTitle(Missing from beta, true, true)"}), TableTitles());
  EXPECT_EQ(std::vector<std::string>({"ID | Capacity", "n | 5"}), GridRows(fWriter.fGrids.at(0)));
}

TEST_F(DeltaModelTest, ClassWithoutResultsOrUnknownToTheRepositoryWritesNoTable) {
  Load({kDiskA, ""}, Results("T_Controller", {{1, "T_Controller.ID=\"x\"", {1}, ""}}));
  WritePage({ColumnTable("T_Disk", {"ID"}), ColumnTable("T_Unknown", {"ID"})});
  EXPECT_EQ(std::vector<std::string>(), TableCalls());
  EXPECT_EQ(std::vector<std::string>({"EndPageBody()", "ClosePage()", "RegisterPage(disks, Disks, false)"}),
            std::vector<std::string>(fWriter.fCalls.end() - 3, fWriter.fCalls.end()));
}

TEST_F(DeltaModelTest, ColumnValueFromAnAssociationThatDiffersMakesTheOwnerDiffer) {
  Load({ControllerWithDisk("X"), ControllerWithDisk("X"), ControllerWithDisk("Y")},
       Results("T_Controller", {{4, "T_Controller.ID=\"c1\"", {0, 2}, "Name"}}));
  WritePage({DiskTableWithControllerName()});
  EXPECT_EQ(std::vector<std::string>({"WriteTableGrid(2x2)", "WriteTableTitle(Differences, true, true)",
                                      "WriteTableGrid(2x2)", "WriteSeparator()"}),
            TableCalls());
  EXPECT_EQ(std::vector<std::string>({"ID | Name", "d1 | X"}), GridRows(fWriter.fGrids.at(0)));
  // Only the data sources whose associated value is known are shown.
  EXPECT_EQ(std::vector<std::string>({"Data Source | Name", "gamma | Y"}), GridRows(fWriter.fGrids.at(1)));
}

TEST_F(DeltaModelTest, ColumnValueFromAnAssociationEqualToTheBaseMakesNothing) {
  Load({ControllerWithDisk("X"), ControllerWithDisk("X")},
       Results("T_Controller", {{4, "T_Controller.ID=\"c1\"", {0, 1}, "Name"}}));
  WritePage({DiskTableWithControllerName()});
  EXPECT_EQ(std::vector<std::string>(), TableCalls());
}

TEST_F(DeltaModelTest, InstanceMissingAsAWholeGetsNoAssociatedValues) {
  Load({ControllerWithDisk("X"), "instance of T_Controller { ID = \"c1\"; Name = \"X\"; };",
        ControllerWithDisk("Y")},
       Results("T_Controller", {{4, "T_Controller.ID=\"c1\"", {0, 2}, "Name"}}) +
           Results("T_Disk", {{1, "T_Disk.ID=\"d1\"", {1}, ""}}));
  WritePage({DiskTableWithControllerName()});
  EXPECT_EQ(std::vector<std::string>({"WriteTableTitle(Missing from beta, true, true)", "WriteTableGrid(2x2)",
                                      "WriteSeparator()"}),
            TableCalls());
}

TEST_F(DeltaModelTest, AssociatedInstancesOfAMissingInstanceFollowIt) {
  Load({ControllerWithDisk("X"), ""}, Results("T_Controller", {{1, "T_Controller.ID=\"c1\"", {1}, ""}}));
  WritePage({ControllerTableWithDisks()});
  EXPECT_EQ(std::vector<std::string>({"WriteTableTitle(Missing from beta, true, true)", "WriteTableGrid(2x2)",
                                      "WriteTableGrid(2x2)", "WriteSeparator()", "WriteSeparator()"}),
            TableCalls());
  EXPECT_EQ(std::vector<std::string>({"ID | Capacity", "d1 | 100"}), GridRows(fWriter.fGrids.at(1)));
}

TEST_F(DeltaModelTest, DifferenceDeepInTheTreeSurfacesInTheTableAboveIt) {
  Load({ControllerWithDisk("X", 100), ControllerWithDisk("X", 200)},
       Results("T_Disk", {{4, "T_Disk.ID=\"d1\"", {0, 1}, "Size"}}));
  WritePage({ControllerTableWithDisks()});
  EXPECT_EQ(std::vector<std::string>({"WriteTableGrid(2x2)", "WriteSeparator()", "WriteTableGrid(2x2)",
                                      "WriteTableTitle(Differences, true, true)", "WriteTableGrid(3x2)",
                                      "WriteSeparator()"}),
            TableCalls());
  EXPECT_EQ(std::vector<std::string>({"ID | Name", "c1 | X"}), GridRows(fWriter.fGrids.at(0)));
  EXPECT_EQ(std::vector<std::string>({"Data Source | Capacity", "alpha | 100", "beta | 200"}),
            GridRows(fWriter.fGrids.at(2)));
}

// Controller c1 with disks of the given IDs and sizes.
std::string ControllerWithDisks(const std::vector<std::pair<std::string, int>>& disks) {
  std::string mof = "instance of T_Controller as $C { ID = \"c1\"; Name = \"X\"; };\n";
  for (size_t i = 0; i < disks.size(); ++i) {
    const std::string alias = "$D" + std::to_string(i);
    mof += "instance of T_Disk as " + alias + " { ID = \"" + disks[i].first + "\"; Size = " +
           std::to_string(disks[i].second) + "; };\ninstance of T_ControllerDisk { Controller = $C; Disk = " + alias +
           "; };\n";
  }
  return mof;
}

struct TSiblingDifferencesCase {
  const char* fName;
  std::vector<std::string> fCollections;
  std::vector<TDeltaRecord> fDiskResults;
  std::set<std::string> fTitles;  // the distinct table titles of the page
};

class SiblingDifferencesTest : public TComparisonTest,
                               public ::testing::WithParamInterface<TSiblingDifferencesCase> {};

// Two changed disks of different kinds under one controller: each kind
// reaches the controller's table, whichever disk's path sorts first.
TEST_P(SiblingDifferencesTest, EveryKindOfDifferenceUnderOneOwnerReachesTheTopTable) {
  Load(GetParam().fCollections, Results("T_Disk", GetParam().fDiskResults));
  WritePage({ControllerTableWithDisks()});
  const std::vector<std::string> titles = TableTitles();
  EXPECT_EQ(GetParam().fTitles, std::set<std::string>(titles.begin(), titles.end()));
}

INSTANTIATE_TEST_SUITE_P(
    KeyOrders, SiblingDifferencesTest,
    ::testing::Values(
        TSiblingDifferencesCase{"ChangedBeforeNew",
                                {ControllerWithDisks({{"a", 1}}), ControllerWithDisks({{"a", 2}, {"b", 1}})},
                                {{4, "T_Disk.ID=\"a\"", {0, 1}, "Size"}, {2, "T_Disk.ID=\"b\"", {1}, ""}},
                                {"WriteTableTitle(Differences, true, true)", "WriteTableTitle(Unique to beta, true, true)"}},
        TSiblingDifferencesCase{"NewBeforeChanged",
                                {ControllerWithDisks({{"b", 1}}), ControllerWithDisks({{"a", 1}, {"b", 2}})},
                                {{4, "T_Disk.ID=\"b\"", {0, 1}, "Size"}, {2, "T_Disk.ID=\"a\"", {1}, ""}},
                                {"WriteTableTitle(Differences, true, true)", "WriteTableTitle(Unique to beta, true, true)"}},
        TSiblingDifferencesCase{"MissingBeforeChangedOfThree",
                                {ControllerWithDisks({{"a", 1}, {"b", 1}}), ControllerWithDisks({{"a", 1}, {"b", 2}}),
                                 ControllerWithDisks({{"b", 1}})},
                                {{1, "T_Disk.ID=\"a\"", {2}, ""}, {4, "T_Disk.ID=\"b\"", {0, 1}, "Size"}},
                                {"WriteTableTitle(Differences, true, true)", "WriteTableTitle(Missing from gamma, true, true)"}},
        TSiblingDifferencesCase{"ChangedBeforeMissingOfThree",
                                {ControllerWithDisks({{"a", 1}, {"b", 1}}), ControllerWithDisks({{"a", 2}, {"b", 1}}),
                                 ControllerWithDisks({{"a", 1}})},
                                {{4, "T_Disk.ID=\"a\"", {0, 1}, "Size"}, {1, "T_Disk.ID=\"b\"", {2}, ""}},
                                {"WriteTableTitle(Differences, true, true)", "WriteTableTitle(Missing from gamma, true, true)"}}),
    [](const ::testing::TestParamInfo<TSiblingDifferencesCase>& info) { return std::string(info.param.fName); });

TEST_F(DeltaModelTest, InstanceNoDataSourceHoldsShowsOnlyItsTitle) {
  Load({"", ""}, Results("T_Disk", {{2, "T_Disk.ID=\"ghost\"", {1}, ""}, {2, "T_Disk.ID=\"x\"", {9}, ""}}));
  WritePage({ColumnTable("T_Disk", {"ID"})});
  EXPECT_EQ(std::vector<std::string>({"WriteTableTitle(Unique to beta, true, true)", "WriteSeparator()",
                                      "WriteTableTitle(Unique to , true, true)", "WriteSeparator()"}),
            TableCalls());
}

}  // namespace
