#include <gtest/gtest.h>

#include "tests/writer/test_repository.h"

namespace {

using NVKXQZA20::TCIMContext;
typedef TReportParameters::TReportClass TReportClass;
typedef TReportParameters::TReportProperty TReportProperty;

class TQueryWriter : public TRecordingWriter {
 public:
  using TWriter::ClassFilter;
  using TWriter::GetInstances;
  using TWriter::GetProperties;
  using TWriter::GetPropertyValueFromAssociation;
};

TReportClass TableOf(const std::string& className) {
  TReportClass table;
  table.SetClass(className);
  table.GetProperties().push_back(TReportProperty("Name", "50%", "", "", ""));
  return table;
}

std::vector<std::string> Names(const TWriter::TInstances& instances) {
  std::vector<std::string> names;
  for (const TWriter::TInstancePtr& instance : instances) {
    names.push_back(instance->GetProperty("Name")->GetValue().ToString());
  }
  return names;
}

const char kDisks[] = R"(
  class VKXSG_Disk { [Key] string Name; string Model; };
  class VKXSG_SASDisk : VKXSG_Disk { };
  class VKXSG_Controller { [Key] string Name; };
  [Association] class VKXSG_ControllerDisk {
    [Key] VKXSG_Controller REF Controller; [Key] VKXSG_Disk REF Disk; };
  instance of VKXSG_Controller as $C { Name = "c0"; };
  instance of VKXSG_Controller { Name = "lonely"; };
  instance of VKXSG_Disk as $D1 { Name = "Slot 10"; Model = "a"; };
  instance of VKXSG_SASDisk as $D2 { Name = "Slot 2"; Model = "b"; };
  instance of VKXSG_Disk as $D3 { Name = "slot 3"; Model = "c"; };
  instance of VKXSG_ControllerDisk { Controller = $C; Disk = $D1; };
  instance of VKXSG_ControllerDisk { Controller = $C; Disk = $D2; };
  instance of VKXSG_ControllerDisk { Controller = $C; Disk = $D3; };
)";

class Queries : public ::testing::Test {
 protected:
  void SetUp() override { Use(RepositoryFromMof(kDisks)); }

  void Use(TTestNamespace repository) {
    ns = repository;
    writer.BaseInitialize(ns, TCIMContext(), Catalog(ns));
    writer.fCalls.clear();
  }

  TWriter::TInstancePtr Controller() { return FirstInstance(ns, "VKXSG_Controller"); }

  // ClassFilter on a one-table page; answers the flag and the grids' row counts.
  std::pair<bool, std::vector<std::string>> Filter(const TReportClass& table, bool& handled) {
    const std::vector<TReportClass> tables = {table};
    const bool answer = writer.ClassFilter(tables.begin(), writer.GetInstances(table), handled);
    return {answer, writer.CallsStartingWith("WriteTableGrid")};
  }

  TTestNamespace ns;
  TQueryWriter writer;
};

TEST_F(Queries, MissingClassGivesNoInstancesAndNoLogLine) {
  TLogCapture log;
  EXPECT_TRUE(writer.GetInstances(TableOf("VKXSG_Missing")).empty());
  EXPECT_TRUE(log.Lines().empty());
}

TEST_F(Queries, SortKeyMissingFromSomeInstancesKeepsEveryInstance) {
  Use(RepositoryFromMof(R"(
    class VKXSG_Item { [Key] string Name; };
    class VKXSG_RankedItem : VKXSG_Item { uint32 Rank; };)"));
  for (int i = 0; i < 40; ++i) {
    LoadMof(ns, "instance of " + std::string(i % 2 ? "VKXSG_Item" : "VKXSG_RankedItem") + " { Name = \"i" +
                    std::to_string(i) + "\"; };");
  }
  TReportClass table = TableOf("VKXSG_Item");
  table.GetInstanceSorter().AddProperty("Rank", true, false);
  std::vector<std::string> names = Names(writer.GetInstances(table));
  std::sort(names.begin(), names.end());
  std::vector<std::string> expected = Names(writer.GetInstances(TableOf("VKXSG_Item")));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, names);
}

TEST_F(Queries, MissingOwnPropertyIsLoggedAtLevelOne) {
  TLogCapture log;
  EXPECT_TRUE(writer.GetProperties(Controller(), "Speed", "", "").empty());
  EXPECT_TRUE(log.Has(1, "HTML: Couldn't find property Speed in class VKXSG_Controller"));
}

TEST_F(Queries, FailingAssociationStepIsLoggedAndKeepsWhatWasRead) {
  TLogCapture log;
  EXPECT_TRUE(writer.GetProperties(Controller(), "Speed", "VKXSG_ControllerDisk", "VKXSG_Disk").empty());
  EXPECT_EQ(1u, log.Containing("Error navigation association: ").size());
}

TEST_F(Queries, ClassFilterWritesTheLogicalDeviceTableEvenWhenEmpty) {
  Use(RepositoryFromMof("class VKXSG_LogicalDevice { [Key] string Name; string DeviceClass; };"));
  TReportClass table = TableOf("VKXSG_LogicalDevice");
  table.SetTitle("Devices");
  bool handled = false;
  EXPECT_TRUE(Filter(table, handled).first);
  EXPECT_EQ((std::vector<std::string>{"WriteTableTitle(Devices, false, false)"}), writer.fCalls);
}

TEST_F(Queries, ClassFilterSkipsDiagnosticVPDWithoutBuildNumbers) {
  Use(RepositoryFromMof(R"(
    class VKXSG_DiagnosticVPD { [Key] string Name; string BuildNumber; };
    instance of VKXSG_DiagnosticVPD { Name = "a"; BuildNumber = ""; };
    instance of VKXSG_DiagnosticVPD { Name = "b"; };)"));
  bool handled = false;
  EXPECT_EQ(std::make_pair(false, std::vector<std::string>()), Filter(TableOf("VKXSG_DiagnosticVPD"), handled));
  EXPECT_FALSE(handled);
  LoadMof(ns, "instance of VKXSG_DiagnosticVPD { Name = \"c\"; BuildNumber = \"17\"; };");
  EXPECT_EQ(std::make_pair(true, std::vector<std::string>{"WriteTableGrid(4x1)"}),
            Filter(TableOf("VKXSG_DiagnosticVPD"), handled));
}

}  // namespace
