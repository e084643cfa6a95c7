#include "catalog/report_parameters_builder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>

#include "core/mof_reader.h"
#include "core/repository.h"
#include "core/root.h"

namespace {

using NVKXQZA20::TMemoryNamespace;
using NVKXQZA20::TQZAException;

typedef TReportParametersBuilder::EOSType EOSType;

const char* const kProductClass =
    "class VKXSG_QZAProduct { [Key] string Name; string Version; string Build; };\n";
const char* const kComputerSystemClass =
    "class VKXSG_ComputerSystem { [Key] string Name; uint8 SystemNodes; };\n";
const char* const kSkerryClass =
    "class VKXSG_SP_SkerrySystem { [Key] string Name; boolean SkerryPresent; };\n";
const char* const kOperatingSystemClass =
    "class VKXSG_OperatingSystem { [Key] string Name; string ProductVendor; uint16 OSType; };\n";
const char* const kEventRecordClass =
    "class VKXSG_WindowsSystemEventLogRecord { [Key] uint32 RecordID; };\n";
const char* const kPortClass =
    "class VKXSG_PhysicalNetworkPort { [Key] string DeviceID; string TeamName; string TeamID; };\n";

// Log lines as "<level> <text>", whichever blank the sink puts after the level.
std::string Normalized(const std::string& log) {
  std::istringstream lines(log);
  std::string normalized;
  std::string line;
  while (std::getline(lines, line)) {
    const size_t blank = line.find_first_of(" \t");
    if (blank != std::string::npos) line[blank] = ' ';
    normalized += line + "\n";
  }
  return normalized;
}

// A repository stated as MOF text, the catalog over it, and the log lines
// the catalog writes meanwhile.
class BuilderTest : public ::testing::Test {
 protected:
  BuilderTest()
      : fNamespace(TMemoryNamespace::Create()), fLog(std::make_shared<std::ostringstream>()) {
    NVKXQZA20::TRootObject::SetLogSink(fLog, 3);
  }
  ~BuilderTest() override { NVKXQZA20::TRootObject::SetLogSink(nullptr, 3); }

  void Load(const std::string& mof) { NVKXQZA20::TMofReader(fNamespace).LoadText(mof, "test.mof"); }
  TReportParametersBuilder Catalog() const { return TReportParametersBuilder(fNamespace, "default", false); }
  std::string Log() const { return Normalized(fLog->str()); }

  boost::shared_ptr<TMemoryNamespace> fNamespace;
  std::shared_ptr<std::ostringstream> fLog;
};

std::string Product(const std::string& version, const std::string& build) {
  return std::string(kProductClass) + "instance of VKXSG_QZAProduct { Name = \"QZA\"; Version = \"" +
         version + "\"; Build = \"" + build + "\"; };\n";
}

std::string OperatingSystem(const std::string& name, const std::string& vendor, int osType) {
  return "instance of VKXSG_OperatingSystem { Name = \"" + name + "\"; ProductVendor = \"" + vendor +
         "\"; OSType = " + std::to_string(osType) + "; };\n";
}

TEST_F(BuilderTest, PrebootIsACaseSensitiveMarkInTheBuildText) {
  const struct {
    const char* build;
    bool preboot;
  } cases[] = {{"x86-preboot-12", true}, {"preboot", true}, {"Preboot 12", false}, {"1234", false}};
  for (const auto& c : cases) {
    fNamespace = TMemoryNamespace::Create();
    Load(Product("2.45", c.build));
    EXPECT_EQ(c.preboot, Catalog().IsPreboot()) << c.build;
  }
}

TEST_F(BuilderTest, DataSourceVersionKeepsOneMinorDigitAndLiftsPrebootToThree) {
  const struct {
    const char* version;
    const char* build;
    const char* expected;
  } cases[] = {
      {"2.45", "preboot-1", "3.4"}, {"10.45", "preboot-1", "3.4"},  // "10" is below "3" as text
      {"4.01", "preboot-1", "4.0"}, {"2.45", "1234", "2.4"},
      {"10.45", "1234", "10.4"},    {"2", "1234", "2."},
      {"1.3", "", "1.3"},           {"", "", "."},
  };
  for (const auto& c : cases) {
    fNamespace = TMemoryNamespace::Create();
    Load(Product(c.version, c.build));
    EXPECT_EQ(c.expected, Catalog().GetDataSourceVersion()) << c.version << " " << c.build;
  }
}

TEST_F(BuilderTest, DataSourceVersionIsLoggedAndIsAPointWithoutAProduct) {
  EXPECT_EQ(".", Catalog().GetDataSourceVersion());
  EXPECT_EQ("3 Report - GetDataSourceVersion: .\n", Log());
}

TEST_F(BuilderTest, MultiNodeIsDecidedByTheLastComputerSystem) {
  const struct {
    std::vector<int> nodes;
    bool multiNode;
  } cases[] = {{{4, 2, 1}, false}, {{1, 2}, true}, {{2}, true}, {{1}, false}, {{}, false}};
  for (const auto& c : cases) {
    fNamespace = TMemoryNamespace::Create();
    std::string mof = kComputerSystemClass;
    for (size_t i = 0; i < c.nodes.size(); ++i) {
      mof += "instance of VKXSG_ComputerSystem { Name = \"" + std::to_string(i) +
             "\"; SystemNodes = " + std::to_string(c.nodes[i]) + "; };\n";
    }
    Load(mof);
    EXPECT_EQ(c.multiNode, Catalog().IsMultiNode()) << testing::PrintToString(c.nodes);
  }
}

TEST_F(BuilderTest, MultiNodeLogsEveryNodeCount) {
  Load(std::string(kComputerSystemClass) +
       "instance of VKXSG_ComputerSystem { Name = \"a\"; SystemNodes = 4; };\n"
       "instance of VKXSG_ComputerSystem { Name = \"b\"; SystemNodes = 1; };\n");
  Catalog().IsMultiNode();
  EXPECT_EQ(
      "3 TReportParametersBuilder::IsMultiNode() SystemNodes=4\n"
      "3 TReportParametersBuilder::IsMultiNode() SystemNodes=1\n",
      Log());
}

TEST_F(BuilderTest, MultiNodeIsFalseWhenTheDataCannotBeRead) {
  EXPECT_FALSE(Catalog().IsMultiNode());  // no class
  Load(std::string(kComputerSystemClass) +
       "instance of VKXSG_ComputerSystem { Name = \"a\"; SystemNodes = 4; };\n"
       "instance of VKXSG_ComputerSystem { Name = \"b\"; };\n");  // a null count
  EXPECT_FALSE(Catalog().IsMultiNode());
}

TEST_F(BuilderTest, SkerryIsTheLastPresenceFlagOrWhatWasReadBeforeAFailure) {
  const struct {
    const char* values;
    bool skerry;
  } cases[] = {{"false true", true}, {"true false", false}, {"", false},
               {"true null", true},  // a null flag cannot be read as bool
               {"null true", false}};
  for (const auto& c : cases) {
    fNamespace = TMemoryNamespace::Create();
    std::string mof = kSkerryClass;
    std::istringstream values(c.values);
    std::string value;
    for (int i = 0; values >> value; ++i) {
      mof += "instance of VKXSG_SP_SkerrySystem { Name = \"" + std::to_string(i) +
             "\"; SkerryPresent = " + value + "; };\n";
    }
    Load(mof);
    EXPECT_EQ(c.skerry, Catalog().IsSkerry()) << c.values;
  }
}

TEST_F(BuilderTest, RedHatNeedsExactlyOneOperatingSystemNamingIt) {
  Load(kOperatingSystemClass + OperatingSystem("Linux", "Red Hat, Inc.", 36));
  EXPECT_TRUE(Catalog().IsRedHat());
  EXPECT_EQ("3 Report - IsRedHat: True\n", Log());

  Load(OperatingSystem("Other", "Red Hat, Inc.", 36));
  fLog->str("");
  EXPECT_FALSE(Catalog().IsRedHat());
  EXPECT_EQ("3 Report - IsRedHat: Unknown\n", Log());
}

TEST_F(BuilderTest, RedHatThrowsOnOtherCoreFailuresWithTheirStatus) {
  Load(kOperatingSystemClass + OperatingSystem("Linux", "Red Hat, Inc.", 36));
  fNamespace->InjectFault(1, NVKXQZA20::kQZAFailed);
  try {
    Catalog().IsRedHat();
    FAIL() << "no exception";
  } catch (const TQZAException& error) {
    EXPECT_EQ(NVKXQZA20::kQZAFailed, error.GetStatusCode());
  }
}

TEST_F(BuilderTest, OSTypeFollowsTheVendorFirstAndThenTheCIMType) {
  const struct {
    const char* vendor;
    int osType;
    EOSType expected;
    const char* log;
  } cases[] = {
      {"Microsoft Corporation", 74, TReportParametersBuilder::OSWindowsNewer, "Windows"},
      {"Microsoft Corporation", 73, TReportParametersBuilder::OSWindows, "Windows"},
      {"Microsoft Corporation", 36, TReportParametersBuilder::OSWindows, "Windows"},
      {"Red Hat, Inc.", 36, TReportParametersBuilder::OSLinux, "Linux"},
      {"VMware, Inc.", 78, TReportParametersBuilder::OSVMware, "VMware ESX Server"},
      {"VMware, Inc.", 81, TReportParametersBuilder::OSVMware, "VMware ESX Server"},
      {"Sun", 29, TReportParametersBuilder::OSUnknown, "Unknown"},
      {"microsoft", 74, TReportParametersBuilder::OSUnknown, "Unknown"},
  };
  for (const auto& c : cases) {
    fNamespace = TMemoryNamespace::Create();
    fLog->str("");
    Load(kOperatingSystemClass + OperatingSystem("OS", c.vendor, c.osType));
    EXPECT_EQ(c.expected, Catalog().GetOSType()) << c.vendor << " " << c.osType;
    EXPECT_EQ(std::string("3 Report - GetOSType: ") + c.log + "\n", Log());
  }
}

TEST_F(BuilderTest, WithoutASingleOperatingSystemWindowsEventRecordsDecide) {
  const std::string twoSystems = kOperatingSystemClass +
                                 OperatingSystem("A", "Red Hat, Inc.", 36) +
                                 OperatingSystem("B", "Red Hat, Inc.", 36);
  Load(twoSystems + kEventRecordClass + "instance of VKXSG_WindowsSystemEventLogRecord { RecordID = 1; };\n");
  EXPECT_EQ(TReportParametersBuilder::OSWindows, Catalog().GetOSType());
  EXPECT_EQ("3 Report - instances.size() !=1, GetOSType: Unknown\n", Log());
  EXPECT_FALSE(Catalog().IsRedHat());

  fNamespace = TMemoryNamespace::Create();
  Load(std::string(kOperatingSystemClass) + kEventRecordClass);
  EXPECT_EQ(TReportParametersBuilder::OSUnknown, Catalog().GetOSType());
}

TEST_F(BuilderTest, OSTypeThrowsOnAnUnreadableTypeWithItsStatus) {
  Load(std::string(kOperatingSystemClass) +
       "instance of VKXSG_OperatingSystem { Name = \"OS\"; ProductVendor = \"Microsoft\"; };\n");
  try {
    Catalog().GetOSType();
    FAIL() << "no exception";
  } catch (const TQZAException& error) {
    EXPECT_EQ(NVKXQZA20::kQZANullValue, error.GetStatusCode());
  }
}

TEST_F(BuilderTest, TeamInfoNeedsAPortWithBothTeamNameAndTeamID) {
  Load(std::string(kPortClass) +
       "instance of VKXSG_PhysicalNetworkPort { DeviceID = \"eth0\"; TeamName = \"bond0\"; };\n");
  EXPECT_FALSE(Catalog().HasTeamInfo());
  EXPECT_EQ("3 Report - HasTeamInfo: Enter\n", Log());

  Load("instance of VKXSG_PhysicalNetworkPort { DeviceID = \"eth1\"; TeamName = \"bond0\"; "
       "TeamID = \"1\"; };\n");
  fLog->str("");
  EXPECT_TRUE(Catalog().HasTeamInfo());
  EXPECT_EQ("3 Report - HasTeamInfo: Enter\n3 Report - HasTeamInfo: True\n", Log());
}

TEST_F(BuilderTest, TeamInfoIsUnknownWhenPortsOrTheirTeamPropertiesAreMissing) {
  const char* const repositories[] = {
      "",
      "class VKXSG_PhysicalNetworkPort { [Key] string DeviceID; string TeamName; };\n"
      "instance of VKXSG_PhysicalNetworkPort { DeviceID = \"eth0\"; TeamName = \"bond0\"; };\n",
      // Both are read: a null TeamName does not hide the missing TeamID.
      "class VKXSG_PhysicalNetworkPort { [Key] string DeviceID; string TeamName; };\n"
      "instance of VKXSG_PhysicalNetworkPort { DeviceID = \"eth0\"; };\n",
  };
  for (const char* mof : repositories) {
    fNamespace = TMemoryNamespace::Create();
    Load(mof);
    fLog->str("");
    EXPECT_FALSE(Catalog().HasTeamInfo()) << mof;
    EXPECT_EQ("3 Report - HasTeamInfo: Enter\n3 Report - HasTeamInfo: Unknown\n", Log()) << mof;
  }
}

TEST_F(BuilderTest, TeamInfoThrowsOnOtherCoreFailures) {
  Load(kPortClass);
  fNamespace->InjectFault(1, NVKXQZA20::kQZAFailed);
  EXPECT_THROW(Catalog().HasTeamInfo(), TQZAException);
}

TEST_F(BuilderTest, LuzModeIsMatchedExactly) {
  for (const char* mode : {"LUZ", "luz ", "Luz", "default", ""}) {
    const TReportParametersBuilder catalog(fNamespace, mode, false);
    EXPECT_EQ(1u, catalog.BuildIPMILogParams().GetClasses().size()) << '"' << mode << '"';
    EXPECT_EQ(1u, catalog.BuildIPMILogXCMParams().GetClasses().size()) << '"' << mode << '"';
  }
}

// The IPMI event page names the remote controller of an active IPMI-over-LAN
// connection, its address cut at the accessor's 40-byte buffer.
class IPMITitleTest : public BuilderTest {
 protected:
  ~IPMITitleTest() override { NVKXQZA20::TRootObject::SetipmiLanIns(boost::shared_ptr<NVKXQZA20::IIPMILan>()); }
};

// An accessor that fills the whole buffer and leaves no terminating zero.
class TUnterminatedIPMILan : public NVKXQZA20::IIPMILan {
 public:
  bool getipmiLanStatus() override { return true; }
  void getIPMIAddress(char* buffer, size_t size) override { std::memset(buffer, 'A', size); }
};

TEST_F(IPMITitleTest, NamesTheRemoteControllerOfAnActiveConnection) {
  using NVKXQZA20::IIPMILan;
  using NVKXQZA20::TIPMILan;
  const std::string address39(39, '7');
  const struct {
    const char* name;
    boost::shared_ptr<IIPMILan> accessor;
    std::string title;
  } cases[] = {
      {"no accessor", boost::shared_ptr<IIPMILan>(), "IPMI Event"},
      {"inactive connection", boost::shared_ptr<IIPMILan>(new TIPMILan("")), "IPMI Event"},
      {"an address", boost::shared_ptr<IIPMILan>(new TIPMILan("10.1.2.3")), "IPMI Event - Remote BMC/XCM 10.1.2.3"},
      {"an address filling the buffer", boost::shared_ptr<IIPMILan>(new TIPMILan(address39)),
       "IPMI Event - Remote BMC/XCM " + address39},
      {"an address longer than the buffer", boost::shared_ptr<IIPMILan>(new TIPMILan(address39 + "0123")),
       "IPMI Event - Remote BMC/XCM " + address39},
      {"an unterminated address", boost::shared_ptr<IIPMILan>(new TUnterminatedIPMILan),
       "IPMI Event - Remote BMC/XCM " + std::string(40, 'A')},
  };
  for (const auto& c : cases) {
    NVKXQZA20::TRootObject::SetipmiLanIns(c.accessor);
    EXPECT_EQ(c.title, Catalog().BuildIPMILogParams().GetReportName()) << c.name;
  }
  // The XCM's own IPMI event page keeps its plain title over an active connection.
  EXPECT_EQ("IPMI Event", Catalog().BuildIPMILogXCMParams().GetReportName());
}

}  // namespace
