#include <gtest/gtest.h>

#include "tests/custom/page_transcript.h"

namespace {

using NVKXQZA20::TCIMContext;
typedef std::vector<std::string> Lines;

// The sensor subclasses declare the name and node properties, as in the
// product's schema.
const char kSensorSchema[] = R"(
  class CIM_NumericSensor {
    string ElementName; string OperationalStatus; sint32 CurrentReading; sint32 UnitModifier;
    [ValueMap {"2", "3", "5"}, Values {"Degrees C", "Volts", "RPM"}] uint16 BaseUnits; };
  class VKXSG_NumericSensor : CIM_NumericSensor {
    [DisplayName("Sensor")] string SensorDescription; [DisplayName("Source Node")] string SourceNode; };
  class VKX_NumericSensor : CIM_NumericSensor { [DisplayName("Node")] string NodeID; };
  class VKXSG_ComputerSystem { [Key] string Name; uint8 SystemNodes; };
)";

const char kMultiNode[] = "instance of VKXSG_ComputerSystem { Name = \"node\"; SystemNodes = 2; };\n";

const char kSettingSchema[] = R"(
  class CIM_DNSSettingData { string InstanceID; string NodeID; string RequestedHostname;
    string DNSServerAddresses[]; string ElementName; };
  class CIM_IPProtocolEndpoint { string Name; string NodeID; uint16 AddressOrigin; string IPv4Address;
    string SubnetMask; string SystemName; };
  class CIM_StaticIPAssignmentSettingData { string InstanceID; string NodeID; string IPv4Address;
    string SubnetMask; string GatewayIPv4Address; };
  class CIM_SNMPCommunityString { string Name; string NodeID; string CommunityString; string SystemName; };
  class VKX_SNMPCommunityString : CIM_SNMPCommunityString {};
  class VKXSG_ComputerSystem { [Key] string Name; uint8 SystemNodes; };
)";

class ManagementPages : public ::testing::Test {
 protected:
  void Load(const std::string& mof, bool xcm) {
    ns = RepositoryFromMof(mof);
    catalog = Catalog(ns, "default", xcm);
    writer.BaseInitialize(ns, TCIMContext(), catalog);
  }
  void Write(const std::string& pageID) { writer.WriteReportPage(catalog, pageID); }

  TTestNamespace ns;
  boost::shared_ptr<TReportParametersBuilder> catalog;
  TTranscriptWriter writer;
};

TEST_F(ManagementPages, XCMMultiNodeSensorsAreNamedByElementAndOrderedByNode) {
  Load(std::string(kSensorSchema) + kMultiNode + R"(
    instance of VKX_NumericSensor { ElementName = "Ambient"; NodeID = "2"; CurrentReading = 25; UnitModifier = -1;
      BaseUnits = 2; };
    instance of VKX_NumericSensor { ElementName = "Inlet"; NodeID = "1"; CurrentReading = 30; UnitModifier = 0;
      BaseUnits = 2; };
    instance of VKX_NumericSensor { ElementName = "Ambient"; NodeID = "1"; CurrentReading = 0; UnitModifier = 4;
      BaseUnits = 2; };
    instance of VKXSG_NumericSensor { SensorDescription = "Not an XCM name"; SourceNode = "1"; CurrentReading = 7; };)",
       true);
  Write("Environmentals");
  EXPECT_EQ(Lines({"page: Environmentals", "title: Environmentals",
                   "  ElementName | Node | CurrentReading | BaseUnits", "  Ambient | 1 | 0 | Degrees C",
                   "  Inlet | 1 | 30 | Degrees C", "  Ambient | 2 | 2.5 | Degrees C"}),
            writer.fTranscript);
  EXPECT_EQ(std::vector<int32_t>({25, 7, 25, 25}), writer.fGrids.at(0).fColumnWidths);
}

TEST_F(ManagementPages, NonXCMMultiNodeSensorsHaveASourceNodeColumn) {
  Load(std::string(kSensorSchema) + kMultiNode +
           "instance of VKXSG_NumericSensor { SensorDescription = \"Fan\"; SourceNode = \"3\"; "
           "CurrentReading = 1; };",
       false);
  Write("Environmentals");
  EXPECT_EQ("  Sensor | Source Node | CurrentReading | BaseUnits", writer.fTranscript.at(2));
  EXPECT_EQ("  Fan | 3 | 1 | ", writer.fTranscript.at(3));
}

TEST_F(ManagementPages, EnvironmentalsWithoutSensorClassHasNoTableAndNoContent) {
  Load("", false);
  Write("Environmentals");
  EXPECT_EQ(Lines({"page: Environmentals", "title: Environmentals"}), writer.fTranscript);
  EXPECT_EQ(Lines({"RegisterPage(Environmentals, Environmentals, false)"}),
            writer.CallsStartingWith("RegisterPage"));
}

TEST_F(ManagementPages, XCMConfigurationWithoutSettingsHasNoContent) {
  Load("", true);
  Write("XCMConfig");
  EXPECT_EQ(Lines({"page: XCM Configuration"}), writer.fTranscript);
  EXPECT_EQ(Lines({"RegisterPage(XCMConfig, XCM Configuration, false)"}),
            writer.CallsStartingWith("RegisterPage"));
}

}  // namespace
