#include <gtest/gtest.h>

#include "tests/esxi/esxi_testing.h"

namespace {

using NVKXQZA20::TCIMContext;

class EsxiServiceProcessorPages : public ::testing::Test {
 protected:
  void Use(const std::string& mof) {
    ns = RepositoryFromMof(mof);
    writer.Initialize(ns, TCIMContext(), "");
    writer.fCalls.clear();
  }
  TReportParametersBuilder_vmwesxi Catalog() const { return TReportParametersBuilder_vmwesxi(ns, "default"); }

  TTestNamespace ns;
  TEsxiRecordingWriter writer;
};

const char kNetworkSettings[] = R"(
  class CIM_DNSSettingData { [Key] string InstanceID; string RequestedHostname; string DNSServerAddresses[];
                             string ElementName; };
  class CIM_IPProtocolEndpoint { [Key] string Name; string IPv4Address; string SubnetMask; string SystemName;
                                 uint16 AddressOrigin; };
  class OMC_IPMIIPProtocolEndpoint : CIM_IPProtocolEndpoint { string IPv4DefaultGateway; };
  class CIM_SNMPCommunityString { [Key] string Name; string CommunityString; string SystemName; };
  instance of CIM_DNSSettingData { InstanceID = "dns"; RequestedHostname = "esxi1";
                                   DNSServerAddresses = {"10.0.0.2", "10.0.0.3"}; ElementName = "DNS"; };
  instance of CIM_SNMPCommunityString { Name = "c1"; CommunityString = "public"; SystemName = "bmc"; };
)";

std::string BMCEndpoint(int addressOrigin) {
  return "instance of OMC_IPMIIPProtocolEndpoint { Name = \"bmc\"; IPv4Address = \"10.0.0.9\"; "
         "SubnetMask = \"255.255.255.0\"; SystemName = \"bmc\"; IPv4DefaultGateway = \"10.0.0.1\"; "
         "AddressOrigin = " + std::to_string(addressOrigin) + "; };\n";
}

TEST_F(EsxiServiceProcessorPages, XCMConfigurationWritesAPropertyTablePerSetting) {
  Use(std::string(kNetworkSettings) + BMCEndpoint(3));
  writer.WriteXCMConfigReport(Catalog());
  const TLines calls(writer.fCalls.begin(), writer.fCalls.begin() + 19);
  EXPECT_EQ((TLines{"OpenPage(/out/SPConfig)", "BeginPageBody()", "WritePageTitle(XCM Configuration, , )",
                    "WriteTableTitle(DNSSettingData, false, false)",
                    "BeginPropertyTable(70%, 40%, DNSSettingData)",
                    "BeginRow(true)", "WriteHeaderCell(RequestedHostname)", "WriteValueCell(esxi1)", "EndRow()",
                    "BeginRow(true)", "WriteHeaderCell(DNSServerAddresses)", "WriteValueCell(10.0.0.2, 10.0.0.3)",
                    "EndRow()", "BeginRow(true)", "WriteHeaderCell(ElementName)", "WriteValueCell(DNS)", "EndRow()",
                    "EndTable()", "WriteTableTitle(Static IP Address, false, false)"}),
            calls);
  EXPECT_EQ("RegisterPage(SPConfig, XCM Configuration, true)", writer.fCalls.back());
}

TEST_F(EsxiServiceProcessorPages, ADHCPAddressLeavesOutTheStaticAddress) {
  const struct {
    const char* name;
    std::string endpoints;
    TLines tables;
  } cases[] = {
      {"static", BMCEndpoint(3), {"DNSSettingData", "Static IP Address", "SNMP Community"}},
      {"DHCP", BMCEndpoint(4), {"DNSSettingData", "DHCP IP Address", "SNMP Community"}},
  };
  for (const auto& c : cases) {
    Use(kNetworkSettings + c.endpoints);
    writer.WriteXCMConfigReport(Catalog());
    TLines tables;
    for (const std::string& call : writer.CallsStartingWith({"BeginPropertyTable"})) {
      tables.push_back(call.substr(call.find("40%, ") + 5, call.size() - call.find("40%, ") - 6));
    }
    EXPECT_EQ(c.tables, tables) << c.name;
  }
}

const char kSensors[] = R"(
  class OMC_NumericSensor { [Key] string DeviceID; string Name; string ElementName; sint32 CurrentReading;
                            sint8 UnitModifier;
                            [ValueMap {"2", "19"}, Values {"Degrees C", "RPM"}] uint16 BaseUnits;
                            [ValueMap {"0", "2"}, Values {"Unknown", "OK"}] uint16 OperationalStatus[]; };
  instance of OMC_NumericSensor { DeviceID = "1"; Name = "b"; ElementName = "Fan 1"; CurrentReading = 4500;
                                  UnitModifier = -2; BaseUnits = 19; OperationalStatus = {2}; };
  instance of OMC_NumericSensor { DeviceID = "2"; Name = "a"; ElementName = "CPU Temp"; CurrentReading = 4712;
                                  UnitModifier = -2; BaseUnits = 2; OperationalStatus = {2}; };
  instance of OMC_NumericSensor { DeviceID = "3"; Name = "c"; ElementName = "Ghost"; CurrentReading = 1;
                                  UnitModifier = 0; BaseUnits = 2; OperationalStatus = {0}; };
  instance of OMC_NumericSensor { DeviceID = "4"; Name = "d"; ElementName = ""; CurrentReading = 1;
                                  UnitModifier = 3; BaseUnits = 2; OperationalStatus = {2}; };
)";

TEST_F(EsxiServiceProcessorPages, EnvironmentalsShowNamedSensorsOfKnownStateWithScaledReadings) {
  Use(kSensors);
  writer.WriteEnvironmentalsPreferred(Catalog());
  EXPECT_EQ((TLines{"OpenPage(/out/environmentals)", "BeginPageBody()", "WritePageTitle(Environmentals, , )",
                    "WriteTableTitle(Environmentals, false, false)", "WriteTableGrid(3x3)", "EndPageBody()",
                    "ClosePage()", "RegisterPage(environmentals, Environmentals, true)"}),
            writer.fCalls);
  EXPECT_EQ((TLines{"Name | CurrentReading | BaseUnits", "CPU Temp | 47.12 | Degrees C", "Fan 1 | 45 | RPM"}),
            GridRows(writer.fGrids[0]));
}

TEST_F(EsxiServiceProcessorPages, ReadingsShowTheHostsPrecision) {
  Use(kSensors);
  writer.SetReadingPrecision(3);
  writer.WriteEnvironmentalsPreferred(Catalog());
  EXPECT_EQ("CPU Temp | 47.1 | Degrees C", GridRows(writer.fGrids.at(0))[1]);
}

TEST_F(EsxiServiceProcessorPages, EnvironmentalsWithoutSensorClassHaveNoContent) {
  Use("");
  writer.WriteEnvironmentalsPreferred(Catalog());
  EXPECT_EQ((TLines{"OpenPage(/out/environmentals)", "BeginPageBody()", "WritePageTitle(Environmentals, , )",
                    "WriteTableTitle(Environmentals, false, false)", "EndPageBody()", "ClosePage()",
                    "RegisterPage(environmentals, Environmentals, false)"}),
            writer.fCalls);
}

}  // namespace
