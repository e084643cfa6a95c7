#include <gtest/gtest.h>

#include "esxi/report_parameters_builder_vmwesxi.h"
#include "tests/esxi/esxi_testing.h"

namespace {

const char kChassisClass[] = "class OMC_Chassis { [Key] string Tag; uint16 IpmiNodeCount; };\n";

std::string Chassis(const std::string& tag, const std::string& nodeCount) {
  return "instance of OMC_Chassis { Tag = \"" + tag + "\"; IpmiNodeCount = " + nodeCount + "; };\n";
}

bool IsMultiNode(const std::string& mof) {
  return TReportParametersBuilder_vmwesxi(RepositoryFromMof(mof), "default").IsMultiNode();
}

TEST(EsxiCatalogProbe, NodeCountOfTheLastChassisDecidesMultiNode) {
  const struct {
    const char* name;
    std::string mof;
    bool multiNode;
  } cases[] = {
      {"no chassis class", "", false},
      {"no chassis", kChassisClass, false},
      {"one node", kChassisClass + Chassis("a", "1"), false},
      {"two nodes", kChassisClass + Chassis("a", "2"), true},
      {"low byte of 258 is 2", kChassisClass + Chassis("a", "258"), true},
      {"low byte of 256 is 0", kChassisClass + Chassis("a", "256"), false},
      {"last chassis decides", kChassisClass + Chassis("a", "4") + Chassis("b", "1"), false},
      {"null node count", kChassisClass + Chassis("a", "2") + Chassis("b", "NULL"), false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.multiNode, IsMultiNode(c.mof)) << c.name;
}

TEST(EsxiCatalogProbe, EachNodeCountIsLogged) {
  TLogCapture log;
  IsMultiNode(kChassisClass + Chassis("a", "258") + Chassis("b", "1"));
  EXPECT_EQ((TLines{"TReportParametersBuilder_vmwesxi::IsMultiNode() IpmiNodeCount=2",
                    "TReportParametersBuilder_vmwesxi::IsMultiNode() IpmiNodeCount=1"}),
            log.Containing("IsMultiNode"));
}

}  // namespace
