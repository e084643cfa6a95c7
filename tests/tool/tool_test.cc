#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "tests/tool/tool_running.h"

namespace fs = std::filesystem;

namespace {

// A small Linux collection that brings its own declarations (--schema none).
const char kLinuxCollection[] = R"(
Qualifier Key : boolean = false, Scope(property, reference);
class VKXSG_QZAProduct { [Key] string Name; string Version; string Build; };
class VKXSG_ComputerSystem { [Key] string Name; string SerialNumber; string ProductName; string Manufacturer; };
class VKXSG_OperatingSystem { [Key] string Name; uint16 OSType; string Version; string ProductVendor; };
instance of VKXSG_QZAProduct { Name = "QZA"; Version = "1.3"; Build = "QZA 9.61 build 12"; };
instance of VKXSG_ComputerSystem { Name = "srv01"; SerialNumber = "KQ123"; ProductName = "Model X-"; Manufacturer = "VKX"; };
instance of VKXSG_OperatingSystem { Name = "Red Hat \xff Enterprise <Linux>"; OSType = 36; Version = "9.2"; ProductVendor = "Red Hat"; };
)";

class ToolTest : public ::testing::Test {
 protected:
  ToolTest() : collection(run.Write("linux.mof", kLinuxCollection)) {}

  std::vector<nlohmann::json> TraceLines() const {
    std::vector<nlohmann::json> lines;
    std::istringstream text(run.Read("trace.jsonl"));
    for (std::string line; std::getline(text, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
  }

  TToolRun run{"tool"};
  const std::string collection;
};

TEST_F(ToolTest, BadUsageExitsWithTwoAndSaysWhy) {
  EXPECT_EQ(run({"--format", "pdf"}), 2);
  EXPECT_NE(run.Err().find("--format must be one of"), std::string::npos) << run.Err();
  EXPECT_EQ(run({"--no-such-option"}), 2);
  EXPECT_EQ(run({"--context", "novalue"}), 2);
  EXPECT_NE(run.Err().find("KEY=VALUE"), std::string::npos);
  EXPECT_EQ(run({"--log-level", "7"}), 2);
  EXPECT_EQ(run({"--xcm", "--no-xcm"}), 2);
  EXPECT_NE(run.Err().find("exclude each other"), std::string::npos);
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_NE(run.Out().find("--remote-bmc"), std::string::npos);
}

// The XCM pages come with an IPMI firmware that names itself an XCM
// service module, or with --xcm; --no-xcm keeps them away.
TEST_F(ToolTest, XcmServiceProcessorIsFoundInTheCollectionUnlessTheUserSays) {
  const std::string firmware = run.Path("firmware.mof");
  std::ofstream(firmware) << R"mof(
class VKXSG_IPMIFirmwareElement { [Key] string Name; };
instance of VKXSG_IPMIFirmwareElement { Name = "BMC (Primary)"; };
instance of VKXSG_IPMIFirmwareElement { Name = "xcm SERVICE Module (Backup)"; };
)mof";
  const std::string plain = collection;
  const struct {
    std::string fCollection;
    std::vector<std::string> fOptions;
    bool fXCM;
  } cases[] = {
      {firmware, {}, true}, {firmware, {"--no-xcm"}, false}, {plain, {}, false}, {plain, {"--xcm"}, true}};
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"--schema", "none", "-f", "trace", "-o", run.Output(), c.fCollection};
    arguments.insert(arguments.end(), c.fOptions.begin(), c.fOptions.end());
    ASSERT_EQ(run(arguments), 0) << run.Err();
    const std::string log = run.Read("qza.log");
    EXPECT_EQ(log.find("This is an XCM machine") != std::string::npos, c.fXCM) << c.fCollection;
  }
}

TEST_F(ToolTest, IgnoreTakesClassDotProperty) {
  for (const char* malformed : {"SerialNumber", ".SerialNumber", "VKXSG_Disk.", "A.B.C", "."}) {
    EXPECT_EQ(run({"--ignore", malformed}), 2) << malformed;
    EXPECT_NE(run.Err().find(std::string("qzareport: --ignore takes CLASS.PROPERTY (CLASS may be *), not '") +
                             malformed + "'"),
              std::string::npos)
        << run.Err();
  }
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_NE(run.Out().find("--ignore CLASS.PROPERTY"), std::string::npos) << run.Out();
}

TEST_F(ToolTest, BadInputNamesFileLineAndColumnAndKeepsThePreviousReport) {
  ASSERT_EQ(run({"--schema", "none", "-f", "trace", "-o", run.Output(), collection}), 0) << run.Err();
  const std::string previous = run.Read("trace.jsonl");
  std::string broken = run.Write("broken.mof", "class VKXSG_X {\n  string Name\n};\n");
  EXPECT_EQ(run({"--schema", "none", "-o", run.Output(), broken}), 1);
  EXPECT_NE(run.Err().find("broken.mof:2:14"), std::string::npos) << run.Err();
  EXPECT_EQ(run.Read("trace.jsonl"), previous);
  EXPECT_EQ(run({"--schema", "none", "-o", run.Output(), run.Path("missing.mof")}), 1);
  EXPECT_NE(run.Err().find("missing.mof"), std::string::npos) << run.Err();
  for (const auto& entry : fs::directory_iterator(run.Folder())) {
    EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << "staging left behind";
  }
}

TEST_F(ToolTest, CheckLoadsAndWritesNothing) {
  EXPECT_EQ(run({"--schema", "none", "--check", "-o", run.Output(), collection}), 0);
  EXPECT_NE(run.Out().find("3 instances"), std::string::npos) << run.Out();
  EXPECT_FALSE(fs::exists(run.Output()));
}

TEST_F(ToolTest, LogHoldsLevelTabMessageLines) {
  ASSERT_EQ(run({"--schema", "none", "-f", "trace", "--log-level", "3", "-o", run.Output(), collection}), 0);
  std::string log = run.Read("qza.log");
  EXPECT_NE(log.find("3\tTReport::TReport -- QZA mode = default\n"), std::string::npos);
  EXPECT_NE(log.find("3\tTWriter::WriteReportPage -- Entering \n"), std::string::npos);
  ASSERT_EQ(run({"--schema", "none", "-f", "trace", "--log-level", "0", "-o", run.Output(), collection}), 0);
  EXPECT_EQ(run.Read("qza.log").find("\tTReport::TReport -- Entering"), std::string::npos);
}

TEST_F(ToolTest, SinglePageNeedsAnInventoryWriterType) {
  ASSERT_EQ(run({"--schema", "none", "-f", "trace", "--page", "SystemConfig", "-o", run.Output(),
                 collection}), 0);
  EXPECT_EQ(run.Out(), "");
  EXPECT_NE(run.Err().find("--writer-type inventory"), std::string::npos);
  ASSERT_EQ(run({"--schema", "none", "-f", "trace", "--writer-type", "inventory", "--page", "SystemConfig", "-o",
                 run.Output(), collection}), 0);
  std::istringstream lines(run.Out());
  std::string line;
  bool opened = false;
  while (std::getline(lines, line)) opened |= nlohmann::json::parse(line)[0] == "OpenPage";
  EXPECT_TRUE(opened) << run.Out();
}

// The summary line: pages, pages without content, seconds, the report's folder.
const std::regex kSummaryLine(R"(qzareport: (\d+) pages? written \((\d+) without content\) in \d+\.\d\d? s: (.+)\n)");

TEST_F(ToolTest, SummaryCountsThePagesOfTheIndexAndNamesTheFolder) {
  ASSERT_EQ(run({"--schema", "none", "-f", "inventory", "-o", run.Output(), collection}), 0);
  const std::string shown = run.Err();
  std::smatch summary;
  ASSERT_TRUE(std::regex_match(shown, summary, kSummaryLine)) << shown;
  nlohmann::json index = nlohmann::json::parse(run.Read("index.json"));
  size_t withoutContent = 0;
  for (const nlohmann::json& page : index["pages"]) withoutContent += page["hasContent"] ? 0 : 1;
  EXPECT_EQ(std::stoul(summary[1]), index["pages"].size());
  EXPECT_EQ(std::stoul(summary[2]), withoutContent);
  EXPECT_GT(withoutContent, 0u);
  EXPECT_EQ(summary[3], fs::absolute(run.Output()).lexically_normal().string());
}

TEST_F(ToolTest, ProgressShowsOnATerminalOnlyAndIsClearedBeforeTheSummary) {
  ASSERT_EQ(run({"--schema", "none", "-f", "text", "-o", run.Output(), collection}, true), 0);
  const std::string shown = run.Err();
  const size_t summary = shown.rfind("qzareport: ");
  ASSERT_NE(summary, std::string::npos);
  EXPECT_TRUE(std::regex_match(shown.substr(summary), kSummaryLine)) << shown;
  const std::string progress = shown.substr(0, summary);
  EXPECT_EQ(progress.find('\n'), std::string::npos) << "one line, rewritten in place";
  EXPECT_EQ(progress.rfind("\rqzareport: 0 pages done, writing Software: ", 0), 0u) << progress;
  EXPECT_NE(progress.find(" pages done, writing Hardware: "), std::string::npos) << progress;
  // Cleared: the last text shown (after it, blanks over a longer one before)
  // is overwritten with blanks and the cursor goes back to the start.
  const size_t lastLine = progress.rfind("\rqzareport: ");
  const size_t clearing = progress.find('\r', lastLine + 1);
  ASSERT_NE(clearing, std::string::npos);
  const size_t lastText = progress.find_last_not_of(' ', clearing - 1) - lastLine;
  EXPECT_EQ(progress.substr(clearing), "\r" + std::string(lastText, ' ') + "\r");

  ASSERT_EQ(run({"--schema", "none", "-f", "text", "-o", run.Output(), collection}, false), 0);
  EXPECT_EQ(run.Err().find('\r'), std::string::npos);
  EXPECT_TRUE(std::regex_match(run.Err(), kSummaryLine)) << run.Err();

  for (const char* quiet : {"-q", "--quiet"}) {
    ASSERT_EQ(run({quiet, "--schema", "none", "-f", "text", "-o", run.Output(), collection}, true), 0);
    EXPECT_EQ(run.Err(), "") << quiet;
  }
}

}  // namespace

// Two logs of one file name in different folders get the pages
// "syslog_messages" and "syslog_messages_2"; each log's problems link to its
// own page.
TEST_F(ToolTest, ProblemsOfLogsSharingAFileNameLinkToTheirOwnPages) {
  // The sample's instances on the bundled schema, which the tool loads itself.
  std::string sample = TToolRun::ReadFile(std::string(QZA_SOURCE_DIR) + "/samples/linux-server.mof");
  const std::string include = "#pragma include(\"../schema/schema.mof\")";
  ASSERT_NE(sample.find(include), std::string::npos);
  sample.replace(sample.find(include), include.size(), "");
  const std::string later = run.Write("older-log.mof", sample + R"(
instance of VKXSG_LinuxEventLogRecord {
  LogCreationClassName = "VKXSG_MessageLog"; LogName = "/var/log/old/messages";
  CreationClassName = "VKXSG_LinuxEventLogRecord"; RecordID = "1";
  MessageTimestamp = "20261101080000.000000-300"; Message = "kernel: sdb: read error on sector 2048";
};)");
  ASSERT_EQ(run({"-q", "-f", "html", "-o", run.Output(), later}), 0) << run.Err();
  const std::string index = run.Read("index.html");
  for (const auto& expected : {std::make_pair("/var/log/old/messages", "syslog_messages_2.html#t1-r1"),
                               std::make_pair("/var/log/messages", "syslog_messages.html#t1-r25")}) {
    const std::string link = std::string("<a href=\"") + expected.second + "\">Error records in " + expected.first + "<";
    EXPECT_NE(index.find(link), std::string::npos) << expected.first;
  }
  ASSERT_EQ(run({"-q", "-f", "inventory", "-o", run.Output(), later}), 0) << run.Err();
  const nlohmann::json inventory = nlohmann::json::parse(run.Read("index.json"));
  std::map<std::string, std::string> links;  // message: link
  for (const nlohmann::json& problem : inventory["problems"]) {
    links[problem["message"].get<std::string>()] = problem["link"].get<std::string>();
  }
  EXPECT_EQ(links["Error records in /var/log/old/messages"], "syslog_messages_2");
  EXPECT_EQ(links["Error records in /var/log/messages"], "syslog_messages");
}
