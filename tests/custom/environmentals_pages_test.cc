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

TEST_F(ManagementPages, EnvironmentalsListsNamedKnownSensorsByName) {
  Load(std::string(kSensorSchema) + R"(
    instance of VKXSG_NumericSensor { SensorDescription = "Fan 2"; CurrentReading = 4500; UnitModifier = 0;
      BaseUnits = 5; OperationalStatus = "OK"; };
    instance of VKXSG_NumericSensor { SensorDescription = "CPU Temp"; CurrentReading = 4500; UnitModifier = -2;
      BaseUnits = 2; OperationalStatus = "OK"; };
    instance of VKXSG_NumericSensor { SensorDescription = "Fan 10"; CurrentReading = 5; UnitModifier = 3;
      BaseUnits = 5; };
    instance of VKXSG_NumericSensor { SensorDescription = "Broken"; CurrentReading = 1; UnitModifier = 0;
      OperationalStatus = "Unknown"; };
    instance of CIM_NumericSensor { ElementName = "No description"; CurrentReading = 2; UnitModifier = 0; };)",
       false);
  Write("Environmentals");
  EXPECT_EQ(Lines({"page: Environmentals", "title: Environmentals", "  Sensor | CurrentReading | BaseUnits",
                   "  CPU Temp | 45 | Degrees C", "  Fan 2 | 4500 | RPM", "  Fan 10 | 5000 | RPM"}),
            writer.fTranscript);
  const TTableGrid& grid = writer.fGrids.at(0);
  EXPECT_TRUE(grid.fColumnReport);
  EXPECT_EQ(100, grid.fTableWidth);
  EXPECT_EQ(std::vector<int32_t>({25, 25, 25}), grid.fColumnWidths);
  EXPECT_EQ(Lines({"OpenPage(/out/Environmentals)"}), writer.CallsStartingWith("OpenPage"));
  EXPECT_EQ(Lines({"RegisterPage(Environmentals, Environmentals, true)"}),
            writer.CallsStartingWith("RegisterPage"));
}

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

// A reading whose modifier cannot be read is taken as it is.
TEST_F(ManagementPages, SensorWithoutModifierShowsItsReading) {
  Load(std::string(kSensorSchema) +
           "instance of VKXSG_NumericSensor { SensorDescription = \"Fan\"; CurrentReading = 12; };",
       false);
  Write("Environmentals");
  EXPECT_EQ("  Fan | 12 | ", writer.fTranscript.at(3));
}

TEST_F(ManagementPages, EnvironmentalsWithoutSensorClassHasNoTableAndNoContent) {
  Load("", false);
  Write("Environmentals");
  EXPECT_EQ(Lines({"page: Environmentals", "title: Environmentals"}), writer.fTranscript);
  EXPECT_EQ(Lines({"RegisterPage(Environmentals, Environmentals, false)"}),
            writer.CallsStartingWith("RegisterPage"));
}

TEST_F(ManagementPages, EnvironmentalsWithOnlyHiddenSensorsHasContentButNoGrid) {
  Load(std::string(kSensorSchema) +
           "instance of VKXSG_NumericSensor { SensorDescription = \"\"; CurrentReading = 1; };",
       false);
  Write("Environmentals");
  EXPECT_TRUE(writer.fGrids.empty());
  EXPECT_EQ(Lines({"RegisterPage(Environmentals, Environmentals, true)"}),
            writer.CallsStartingWith("RegisterPage"));
}

TEST_F(ManagementPages, XCMConfigurationShowsDNSDHCPAndSNMPSettings) {
  Load(std::string(kSettingSchema) + R"(
    instance of CIM_DNSSettingData { InstanceID = "XCM:DNS1"; RequestedHostname = "xcm1";
      DNSServerAddresses = {"10.0.0.1", "10.0.0.2"}; ElementName = "DNS"; };
    instance of CIM_IPProtocolEndpoint { Name = "static"; AddressOrigin = 3; IPv4Address = "10.0.0.9"; };
    instance of CIM_IPProtocolEndpoint { Name = "dhcp"; AddressOrigin = 4; IPv4Address = "10.0.0.5";
      SubnetMask = "255.0.0.0"; SystemName = "xcm1"; };
    instance of CIM_StaticIPAssignmentSettingData { InstanceID = "static1"; IPv4Address = "10.0.0.9"; };
    instance of VKX_SNMPCommunityString { Name = "c1"; CommunityString = "public"; SystemName = "xcm1"; };
    instance of CIM_SNMPCommunityString { Name = "c0"; CommunityString = "private"; };)",
       true);
  Write("XCMConfig");
  EXPECT_EQ(Lines({"page: XCM Configuration", "title: XCM:DNS1", "table 70%/40%: XCM:DNS1",
                   "  RequestedHostname: xcm1", "  DNSServerAddresses: 10.0.0.1, 10.0.0.2",
                   "  ElementName: DNS", "end", "title: DHCP IP Address", "table 70%/40%: DHCP IP Address",
                   "  IPv4Address: 10.0.0.5", "  SubnetMask: 255.0.0.0", "  SystemName: xcm1", "end",
                   "title: SNMP Community", "table 70%/40%: SNMP Community", "  Name: c1",
                   "  CommunityString: public", "  SystemName: xcm1", "end"}),
            writer.fTranscript);
  EXPECT_EQ(Lines({"OpenPage(/out/XCMConfig)"}), writer.CallsStartingWith("OpenPage"));
  EXPECT_EQ(Lines({"RegisterPage(XCMConfig, XCM Configuration, true)"}),
            writer.CallsStartingWith("RegisterPage"));
}

TEST_F(ManagementPages, XCMConfigurationWithoutDHCPShowsStaticAddressesAndGenericCommunities) {
  Load(std::string(kSettingSchema) + kMultiNode + R"(
    instance of CIM_IPProtocolEndpoint { Name = "static"; AddressOrigin = 3; };
    instance of CIM_StaticIPAssignmentSettingData { InstanceID = "static1"; NodeID = "1"; IPv4Address = "10.0.0.9";
      SubnetMask = "255.0.0.0"; GatewayIPv4Address = "10.0.0.254"; };
    instance of CIM_SNMPCommunityString { Name = "c0"; NodeID = "1"; CommunityString = "private"; };)",
       true);
  Write("XCMConfig");
  EXPECT_EQ(Lines({"page: XCM Configuration", "title: Static IP Address", "table 70%/40%: Static IP Address",
                   "  NodeID: 1", "  InstanceID: static1", "  IPv4Address: 10.0.0.9",
                   "  SubnetMask: 255.0.0.0", "  GatewayIPv4Address: 10.0.0.254", "end",
                   "title: SNMP Community", "table 70%/40%: SNMP Community", "  NodeID: 1", "  Name: c0",
                   "  CommunityString: private", "  SystemName: ", "end"}),
            writer.fTranscript);
}

TEST_F(ManagementPages, XCMConfigurationWithoutSettingsHasNoContent) {
  Load("", true);
  Write("XCMConfig");
  EXPECT_EQ(Lines({"page: XCM Configuration"}), writer.fTranscript);
  EXPECT_EQ(Lines({"RegisterPage(XCMConfig, XCM Configuration, false)"}),
            writer.CallsStartingWith("RegisterPage"));
}

}  // namespace
