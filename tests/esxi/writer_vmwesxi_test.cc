#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/esxi/esxi_testing.h"
#include "writer/cim_reading.h"

namespace {

using NVKXQZA20::TCIMContext;
typedef TReportParameters::TReportClass TReportClass;
typedef TReportParameters::TReportProperty TReportProperty;

TReportClass Table(const std::string& className, const std::vector<std::string>& columns,
                   const std::string& title = "") {
  TReportClass table;
  table.SetClass(className);
  if (!title.empty()) table.SetTitle(title);
  for (const std::string& column : columns) {
    table.GetProperties().push_back(TReportProperty(column, "20%", "", "", ""));
  }
  return table;
}

TReportParameters Page(const std::vector<TReportClass>& tables, bool showTitle = true) {
  TReportParameters page;
  page.SetReportName("Identities");
  page.SetLinkName("identities");
  page.SetShowReportTitle(showTitle);
  page.SetClasses(tables);
  return page;
}

const char kIdentities[] = R"(
  class VMware_Identity { [Key] string InstanceID; string Name; uint16 Level; };
  instance of VMware_Identity { InstanceID = "a"; Name = "system firmware"; Level = 3; };
  instance of VMware_Identity { InstanceID = "b"; Name = "Boot Bank 1"; Level = 1; };
  instance of VMware_Identity { InstanceID = "c"; Level = 2; };
  instance of VMware_Identity { InstanceID = "d"; Name = "adapter firmware"; Level = 12; };)";

class EsxiWriter : public ::testing::Test {
 protected:
  void Use(const std::string& mof) {
    ns = RepositoryFromMof(mof);
    writer.Initialize(ns, TCIMContext(), "");
    writer.fCalls.clear();
  }

  TLines Kept(const TReportClass& table) {
    TLines ids;
    for (const auto& instance : writer.GetInstances(table)) ids.push_back(PropertyText(*instance, "InstanceID"));
    return ids;
  }

  TTestNamespace ns;
  TEsxiRecordingWriter writer;
};

TEST_F(EsxiWriter, PropertyFiltersKeepInstancesByTheTextOfTheirValues) {
  Use(kIdentities);
  const struct {
    const char* name;
    std::vector<TReportClass::TPropertyFilter> filters;
    TLines kept;
  } cases[] = {
      {"no filter", {}, {"a", "b", "c", "d"}},
      {"exclude keeps a null name", {{"Name", true, "Boot Bank"}}, {"a", "c", "d"}},
      {"include drops a null name", {{"Name", false, "firmware"}}, {"a", "d"}},
      {"numbers are decimal text", {{"Level", false, "2"}}, {"c", "d"}},
      {"every filter must pass", {{"Name", false, "firmware"}, {"Level", true, "1"}}, {"a"}},
      {"a missing property reads as null", {{"Serial", true, "x"}, {"Model", false, "x"}}, {}},
  };
  for (const auto& c : cases) {
    TReportClass table = Table("VMware_Identity", {"Name"});
    for (const auto& filter : c.filters) table.addPropertyFilter(filter.fProperty, filter.fExclude, filter.fValue);
    EXPECT_EQ(c.kept, Kept(table)) << c.name;
  }
}

TEST_F(EsxiWriter, FilteredInstancesAreOrderedAndEachExaminedOneIsLogged) {
  Use(kIdentities);
  TReportClass table = Table("VMware_Identity", {"Name"});
  table.addPropertyFilter("Name", true, "Boot Bank");
  table.GetInstanceSorter().AddProperty("Level", false, false);
  TLogCapture log;
  EXPECT_EQ((TLines{"d", "a", "c"}), Kept(table));
  EXPECT_EQ(4, log.Count(3, "handle an instance"));
}

TEST_F(EsxiWriter, TableOfAnAbsentClassHasNoInstances) {
  Use(kIdentities);
  EXPECT_TRUE(Kept(Table("VMware_NoSuchClass", {"Name"})).empty());
}

TEST_F(EsxiWriter, GenericPageWritesOnlyTablesWithInstances) {
  Use(kIdentities);
  writer.WriteGenericReport(Page({Table("VMware_NoSuchClass", {"Name"}, "Nothing"),
                                  Table("VMware_Identity", {"InstanceID", "Name"}, "Identities")}));
  EXPECT_EQ((TLines{"OpenPage(/out/identities)", "BeginPageBody()", "WritePageTitle(Identities, , )",
                    "WriteTableTitle(Identities, false, false)", "WriteTableGrid(5x2)", "EndPageBody()",
                    "ClosePage()", "RegisterPage(identities, Identities, true)"}),
            writer.fCalls);
  EXPECT_EQ((TLines{"InstanceID | Name", "a | system firmware", "b | Boot Bank 1", "c | ", "d | adapter firmware"}),
            GridRows(writer.fGrids[0]));
}

TEST_F(EsxiWriter, PageWithoutDataIsRegisteredEmptyAndAHiddenTitleIsNotWritten) {
  Use(kIdentities);
  writer.WriteGenericReport(Page({Table("VMware_NoSuchClass", {"Name"}, "Nothing")}, false));
  EXPECT_EQ((TLines{"OpenPage(/out/identities)", "BeginPageBody()", "EndPageBody()", "ClosePage()",
                    "RegisterPage(identities, Identities, false)"}),
            writer.fCalls);
}

TEST_F(EsxiWriter, TablesGetNoTreatmentOfParticularClasses) {
  Use(R"(
    class CIM_NumericSensor { [Key] string Name; string CurrentReading; };
    class VKXSG_Process { [Key] string Name; string WorkingSetSize; string ProductInstallDate; };
    class VKXSG_IPMILogRecord { [Key] string Caption; };
    instance of CIM_NumericSensor { Name = "Fan"; CurrentReading = "2345"; };
    instance of VKXSG_Process { Name = "vmx"; WorkingSetSize = "12,345 Kilobytes";
                                ProductInstallDate = "2024-01-02 00:00:00"; };
    instance of VKXSG_IPMILogRecord { Caption = "1"; };)");
  for (const auto& table : {Table("CIM_NumericSensor", {"CurrentReading"}),
                            Table("VKXSG_Process", {"WorkingSetSize", "ProductInstallDate"}),
                            Table("VKXSG_IPMILogRecord", {"Caption"})}) {
    writer.WriteTable(table, writer.GetInstances(table), true, false, TCIMContext());
  }
  ASSERT_EQ(3u, writer.fGrids.size());
  EXPECT_EQ((TLines{"CurrentReading", "2345"}), GridRows(writer.fGrids[0]));
  EXPECT_EQ((TLines{"WorkingSetSize | ProductInstallDate", "12,345 Kilobytes | 2024-01-02 00:00:00"}),
            GridRows(writer.fGrids[1]));
  EXPECT_EQ((TLines{"Caption", "1"}), GridRows(writer.fGrids[2]));
}

TEST_F(EsxiWriter, ValuesPassThroughTheWritersEncodingAndSeparators) {
  Use(R"(
    class VMware_Port { [Key] string Name; string Addresses[]; };
    instance of VMware_Port { Name = "vmnic0"; Addresses = {"10.0.0.1", "10.0.0.2"}; };)");
  writer.fMarkEncoding = true;
  TReportClass table = Table("VMware_Port", {"Name", "Addresses"});
  table.GetProperties()[1].SetArrayValueSeparator(TReportProperty::ListSeparator);
  writer.WriteTable(table, writer.GetInstances(table), true, false, TCIMContext());
  EXPECT_EQ((TLines{"Name | Addresses", "<vmnic0> | <10.0.0.1>; <10.0.0.2>"}), GridRows(writer.fGrids.at(0)));
}

TEST_F(EsxiWriter, AssociatedTablesFollowTheirInstanceAndTheWalkIsLogged) {
  Use(R"(
    class BROCADE_PortController { [Key] string DeviceID; };
    class BROCADE_FCPort { [Key] string DeviceID; };
    [Association] class BROCADE_ControlledBy {
      [Key] BROCADE_PortController REF Controller; [Key] BROCADE_FCPort REF Port; };
    instance of BROCADE_PortController as $A { DeviceID = "A"; };
    instance of BROCADE_PortController as $B { DeviceID = "B"; };
    instance of BROCADE_FCPort as $A1 { DeviceID = "A1"; };
    instance of BROCADE_ControlledBy { Controller = $A; Port = $A1; };)");
  TReportClass ports = Table("BROCADE_FCPort", {"DeviceID"}, "FC Port");
  ports.SetAssociatorsFilter("BROCADE_ControlledBy", "BROCADE_FCPort", "", "");
  TReportClass controllers = Table("BROCADE_PortController", {"DeviceID"}, "Port Controller");
  controllers.SetAssociatedClass();
  controllers.SetAssociatedClasses({ports});
  TReportProperty portColumn("DeviceID", "20%", "BROCADE_ControlledBy", "BROCADE_FCPort", "Port");
  controllers.GetProperties().push_back(portColumn);
  TLogCapture log;
  writer.WriteGenericReport(Page({controllers}));
  EXPECT_EQ((TLines{"WriteTableTitle(Port Controller, false, false)", "WriteTableGrid(2x2)",
                    "WriteTableTitle(FC Port, false, false)", "WriteTableGrid(2x1)", "WriteTableGrid(2x2)"}),
            writer.CallsStartingWith({"WriteTable"}));
  EXPECT_EQ((TLines{"DeviceID | Port", "A | A1"}), GridRows(writer.fGrids[0]));
  EXPECT_EQ((TLines{"DeviceID | Port", "B | "}), GridRows(writer.fGrids[2]));
  // Controllers A and B read two columns each, port A1 one; the port column
  // of each controller walks the association.
  EXPECT_EQ(5, log.Count(3, "entering TWriter_vmwesxi::GetProperties for :DeviceID"));
  for (const char* step : {"inst class name=BROCADE_PortController", "assocTarget=BROCADE_FCPort",
                           "assocClass=BROCADE_ControlledBy"}) {
    EXPECT_EQ(2, log.Count(3, step)) << step;
  }
  EXPECT_EQ((TLines{"TWriter_vmwesxi::GetProperties -- assocInst size=1",
                    "TWriter_vmwesxi::GetProperties -- assocInst size=0"}),
            log.Containing("assocInst size="));
}

TEST_F(EsxiWriter, QueriesBeforeTheNamespaceIsSetAreRefused) {
  TEsxiRecordingWriter fresh;
  EXPECT_THROW(fresh.GetInstances(Table("VMware_Identity", {"Name"})), std::logic_error);
}

}  // namespace
