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

TEST_F(EsxiWriter, TableOfAnAbsentClassHasNoInstances) {
  Use(kIdentities);
  EXPECT_TRUE(Kept(Table("VMware_NoSuchClass", {"Name"})).empty());
}

TEST_F(EsxiWriter, PageWithoutDataIsRegisteredEmptyAndAHiddenTitleIsNotWritten) {
  Use(kIdentities);
  writer.WriteGenericReport(Page({Table("VMware_NoSuchClass", {"Name"}, "Nothing")}, false));
  EXPECT_EQ((TLines{"OpenPage(/out/identities)", "BeginPageBody()", "EndPageBody()", "ClosePage()",
                    "RegisterPage(identities, Identities, false)"}),
            writer.fCalls);
}

TEST_F(EsxiWriter, QueriesBeforeTheNamespaceIsSetAreRefused) {
  TEsxiRecordingWriter fresh;
  EXPECT_THROW(fresh.GetInstances(Table("VMware_Identity", {"Name"})), std::logic_error);
}

}  // namespace
