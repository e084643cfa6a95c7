// The tool's choice of the ESXi report and what it refuses for one.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tool/tool_running.h"

namespace {

using nlohmann::json;

const std::string kEsxiSample = std::string(QZA_SOURCE_DIR) + "/samples/esxi-host.mof";

const std::vector<std::string> kEsxiCategories = {"Software", "Hardware", "XCM Logs", "Analysis", "Log"};

// Collections that bring their own declarations (--schema none).
const char kDeclarations[] = R"(
class VKXSG_QZAProduct { [Key] string Name; string Build; };
class VMware_HypervisorSoftwareIdentity { [Key] string InstanceID; string VersionString; };
class VKXSG_OperatingSystem { [Key] string Name; uint16 OSType; };
instance of VKXSG_QZAProduct { Name = "QZA"; Build = "QZA 9.61 build 12"; };
)";
const char kHypervisor[] = R"(
instance of VMware_HypervisorSoftwareIdentity { InstanceID = "esxi"; VersionString = "7.0.3"; };
)";
const char kOperatingSystem[] = R"(
instance of VKXSG_OperatingSystem { Name = "Red Hat Enterprise Linux"; OSType = 36; };
)";

std::vector<std::string> CategoryTitles(const std::string& trace) {
  std::vector<std::string> titles;
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) {
    json call = json::parse(line);
    if (call.at(0) == "WriteCategoryTitle") titles.push_back(call.at(1));
  }
  return titles;
}

TEST(EsxiTool, PicksTheEsxiReportForAHypervisorWithoutOurOperatingSystem) {
  struct TCase {
    std::string fName;
    std::string fCollection;
    std::vector<std::string> fOptions;
    bool fEsxi;
  };
  const std::vector<TCase> cases = {
      {"hypervisor alone", kHypervisor, {}, true},
      {"hypervisor and operating system", std::string(kHypervisor) + kOperatingSystem, {}, false},
      {"operating system alone", kOperatingSystem, {}, false},
      {"asked for", kOperatingSystem, {"--esxi"}, true},
  };
  for (const TCase& each : cases) {
    TToolRun run("esxi-choice");
    std::vector<std::string> arguments = {"--schema", "none", "-f", "trace", "-o", run.Output(),
                                          run.Write("host.mof", kDeclarations + each.fCollection)};
    arguments.insert(arguments.end(), each.fOptions.begin(), each.fOptions.end());
    ASSERT_EQ(run(arguments), 0) << each.fName << ": " << run.Err();
    EXPECT_EQ(CategoryTitles(run.Read("trace.jsonl")) == kEsxiCategories, each.fEsxi) << each.fName;
  }
}

TEST(EsxiTool, ComparisonAndSinglePagesAreRefusedForEsxi) {
  const std::string linux = std::string(QZA_SOURCE_DIR) + "/samples/linux-server.mof";
  struct TCase {
    std::vector<std::string> fArguments;
    std::string fMessage;
  };
  const std::vector<TCase> cases = {
      {{kEsxiSample, kEsxiSample}, "ESXi collections cannot be compared"},
      {{"--esxi", linux, linux}, "ESXi collections cannot be compared"},
      {{"--page", "SystemConfig", "--writer-type", "inventory", kEsxiSample}, "--page is not available"},
  };
  for (const TCase& each : cases) {
    TToolRun run("esxi-refused");
    std::vector<std::string> arguments = {"-f", "trace", "-o", run.Output()};
    arguments.insert(arguments.end(), each.fArguments.begin(), each.fArguments.end());
    EXPECT_EQ(run(arguments), 2) << each.fMessage;
    EXPECT_NE(run.Err().find(each.fMessage), std::string::npos) << run.Err();
    EXPECT_FALSE(std::filesystem::exists(run.Output()));
  }
}

}  // namespace
