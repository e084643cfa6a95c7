#include "comparison/delta_computation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/delta/comparison_repository.h"

using namespace NVKXQZA20;

namespace {

const char kSchema[] = R"(
  class T_Disk { [Key] string ID; string Model; uint32 Size; uint16 Codes[]; string Tags[]; };
  class T_NVMeDisk : T_Disk { string Firmware; };
  class T_Fan { [Key] string ID; };
  [Association] class T_Spare { [Key] string ID; T_Disk REF Disk; };
)";

// One data source per collection, each holding the schema and then its
// collection; data source 0 is the base.
TTestNamespace Collections(const std::vector<std::string>& collections, const std::string& schema = kSchema) {
  TTestNamespace ns = TMemoryNamespace::Create();
  for (size_t i = 0; i < collections.size(); ++i) {
    const uint16_t source = i == 0 ? 0 : ns->AddDataSource();
    LoadMof(ns, schema + collections[i], source);
  }
  return ns;
}

std::vector<boost::shared_ptr<ICIMInstance>> BaseInstances(const TTestNamespace& ns, const std::string& className) {
  std::vector<boost::shared_ptr<ICIMInstance>> instances;
  ns->GetClass(className)->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(instances), true);
  return instances;
}

std::string Text(const ICIMInstance& instance, const std::string& property) {
  return instance.GetProperty(property)->GetValue().ToString();
}

// The stored results in the order stored, one line per delta:
// "<class>: <type> <instance> [<indices>] <property>".
std::vector<std::string> StoredDeltas(const TTestNamespace& ns) {
  std::vector<std::string> lines;
  for (const auto& deltaClass : BaseInstances(ns, "VKXSG_DeltaClass")) {
    std::vector<boost::shared_ptr<ICIMInstance>> deltas;
    deltaClass->Associators(TAddToVectorCallback<ICIMInstance>(deltas), "VKXSG_DeltaClassAssocToDelta",
                            "VKXSG_Delta", "", "");
    for (const auto& delta : deltas) {
      std::string line = Text(*deltaClass, "ClassName") + ": " + Text(*delta, "Type") + " " +
                         Text(*delta, "InstanceName") + " [" + Text(*delta, "NamespaceIndices") + "]";
      if (!delta->GetProperty("Property")->GetValue().IsNull()) line += " " + Text(*delta, "Property");
      lines.push_back(line);
    }
  }
  return lines;
}

std::vector<std::string> DeltaDisks(const std::vector<std::vector<std::string>>& collections) {
  std::vector<std::string> texts;
  for (const auto& disks : collections) {
    std::string text;
    for (const std::string& disk : disks) text += "instance of T_Disk { " + disk + " };\n";
    texts.push_back(text);
  }
  TTestNamespace ns = Collections(texts);
  ComputeDeltas(ns);
  return StoredDeltas(ns);
}

TEST(ComputeDeltasTest, InstanceMissingFromDataSourcesIsType1ListingThem) {
  EXPECT_EQ(std::vector<std::string>({"T_Disk: 1 T_Disk.ID=\"b\" [1,3]"}),
            DeltaDisks({{"ID = \"a\";", "ID = \"b\";"}, {"ID = \"a\";"}, {"ID = \"b\";", "ID = \"a\";"},
                        {"ID = \"a\";"}}));
}

TEST(ComputeDeltasTest, InstanceTheBaseLacksIsType2ListingTheDataSourcesThatHoldIt) {
  EXPECT_EQ(std::vector<std::string>({"T_Disk: 2 T_Disk.ID=\"c\" [1,2]"}),
            DeltaDisks({{"ID = \"a\";"}, {"ID = \"a\";", "ID = \"c\";"}, {"ID = \"c\";", "ID = \"a\";"}}));
}

TEST(ComputeDeltasTest, DifferingPropertyIsType4ListingTheBaseAndTheDataSourcesThatDiffer) {
  // One delta per property, in declaration order: Model, then Size.
  EXPECT_EQ(std::vector<std::string>({"T_Disk: 4 T_Disk.ID=\"a\" [0,1,2] Model",
                                      "T_Disk: 4 T_Disk.ID=\"a\" [0,2] Size"}),
            DeltaDisks({{"ID = \"a\"; Size = 100; Model = \"M\";"},
                        {"ID = \"a\"; Size = 100; Model = \"N\";"},
                        {"ID = \"a\"; Size = 300; Model = \"O\";"}}));
}

TEST(ComputeDeltasTest, InstanceMissingSomewhereAndDifferingElsewhereHasBothTypes) {
  EXPECT_EQ(std::vector<std::string>({"T_Disk: 1 T_Disk.ID=\"a\" [2]", "T_Disk: 4 T_Disk.ID=\"a\" [0,1] Size"}),
            DeltaDisks({{"ID = \"a\"; Size = 1;"}, {"ID = \"a\"; Size = 2;"}, {}}));
}

TEST(ComputeDeltasTest, ValuesCompareByTheirTextArraysElementByElementInOrder) {
  const struct {
    const char* base;
    const char* other;
    bool differs;
  } cases[] = {
      {"Codes = {1, 2};", "Codes = {1, 2};", false},
      {"Codes = {1, 2};", "Codes = {2, 1};", true},
      {"Codes = {1, 2};", "Codes = {1, 2, 3};", true},
      {"Tags = {\"a,b\"};", "Tags = {\"a\", \"b\"};", true},
      {"Tags = {};", "", false},  // an empty array reads as null does
      {"Model = \"\";", "", false},
      {"Size = 7;", "Size = 8;", true},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> deltas =
        DeltaDisks({{std::string("ID = \"a\"; ") + c.base}, {std::string("ID = \"a\"; ") + c.other}});
    EXPECT_EQ(c.differs ? 1u : 0u, deltas.size()) << c.base << " / " << c.other;
  }
}

TEST(ComputeDeltasTest, ReferencesCompareByTheInstanceTheyName) {
  const std::string disks = "instance of T_Disk as $A { ID = \"a\"; }; instance of T_Disk as $B { ID = \"b\"; };";
  TTestNamespace ns = Collections({disks + "instance of T_Spare { ID = \"s\"; Disk = $A; };",
                                   disks + "instance of T_Spare { ID = \"s\"; Disk = \"T_Disk.ID=\\\"a\\\"\"; };",
                                   disks + "instance of T_Spare { ID = \"s\"; Disk = $B; };"});
  ComputeDeltas(ns);
  EXPECT_EQ(std::vector<std::string>({"T_Spare: 4 T_Spare.ID=\"s\" [0,2] Disk"}), StoredDeltas(ns));
}

TEST(ComputeDeltasTest, InstancesOfASubclassCompareWithinTheirOwnClass) {
  TTestNamespace ns = Collections({"instance of T_NVMeDisk { ID = \"n\"; Firmware = \"1.0\"; };",
                                   "instance of T_NVMeDisk { ID = \"n\"; Firmware = \"1.1\"; };"
                                   "instance of T_Disk { ID = \"n\"; };"});
  ComputeDeltas(ns);
  EXPECT_EQ(std::vector<std::string>(
                {"T_Disk: 2 T_Disk.ID=\"n\" [1]", "T_NVMeDisk: 4 T_NVMeDisk.ID=\"n\" [0,1] Firmware"}),
            StoredDeltas(ns));
}

TEST(ComputeDeltasTest, ClassesMatchByNameAndAClassOnlyInAnotherDataSourceIsUnique) {
  TTestNamespace ns = Collections({"instance of T_Fan { ID = \"f\"; };",
                                   "class T_Extra { [Key] string ID; }; instance of T_Extra { ID = \"x\"; };"
                                   "instance of T_Fan { ID = \"f\"; };"});
  ComputeDeltas(ns);
  EXPECT_EQ(std::vector<std::string>({"T_Extra: 2 T_Extra.ID=\"x\" [1]"}), StoredDeltas(ns));
}

TEST(ComputeDeltasTest, PropertyAnotherDataSourceLacksReadsAsNull) {
  TTestNamespace ns = TMemoryNamespace::Create();
  ns->AddDataSource();
  LoadMof(ns, "class T_Disk { [Key] string ID; string Model; string Vendor; };"
              "instance of T_Disk { ID = \"a\"; Model = \"M\"; };", 0);
  LoadMof(ns, "class T_Disk { [Key] string ID; }; instance of T_Disk { ID = \"a\"; };", 1);
  ComputeDeltas(ns);
  EXPECT_EQ(std::vector<std::string>({"T_Disk: 4 T_Disk.ID=\"a\" [0,1] Model"}), StoredDeltas(ns));
}

// Classes are compared on worker threads: a core failure at any call, in a
// comparison or in the store, still reaches the caller as the core's error.
TEST(ComputeDeltasTest, CoreFailureAtAnyCallPassesOn) {
  const std::vector<std::string> collections = {
      "instance of T_Disk { ID = \"a\"; Size = 1; }; instance of T_Fan { ID = \"f\"; };",
      "instance of T_Disk { ID = \"a\"; Size = 2; }; instance of T_Fan { ID = \"g\"; };"};
  TTestNamespace clean = Collections(collections);
  clean->InjectFault(0, kQZAOk);
  ComputeDeltas(clean);
  const uint64_t calls = clean->GetCallCount();
  ASSERT_GT(calls, 0u);
  for (uint64_t faultAt = 1; faultAt <= calls; ++faultAt) {
    TTestNamespace ns = Collections(collections);
    ns->InjectFault(faultAt, kQZAFailed);
    EXPECT_THROW(ComputeDeltas(ns), TQZAException) << "fault at call " << faultAt << " of " << calls;
  }
}

class ComputedComparisonPageTest : public TComparisonTest {};

}  // namespace
