#include "host/report_tool.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

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
  void SetUp() override {
    folder = fs::temp_directory_path() / ("qza-tool-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                          "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    Write("linux.mof", kLinuxCollection);
  }
  void TearDown() override { fs::remove_all(folder); }

  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(folder / name, std::ios::binary) << text;
    return (folder / name).string();
  }

  std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  int Run(std::vector<std::string> arguments, bool errIsTerminal = false) {
    arguments.insert(arguments.begin(), "qzareport");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    out.str("");
    err.str("");
    return RunReportTool(static_cast<int>(argv.size()), argv.data(), out, err, errIsTerminal);
  }

  std::string Output() const { return (folder / "report").string(); }

  std::vector<nlohmann::json> TraceLines() {
    std::vector<nlohmann::json> lines;
    std::istringstream text(Read(folder / "report" / "trace.jsonl"));
    std::string line;
    while (std::getline(text, line)) lines.push_back(nlohmann::json::parse(line));
    return lines;
  }

  fs::path folder;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(ToolTest, BadUsageExitsWithTwoAndSaysWhy) {
  EXPECT_EQ(Run({"--format", "pdf"}), 2);
  EXPECT_NE(err.str().find("--format must be one of"), std::string::npos) << err.str();
  EXPECT_EQ(Run({"--no-such-option"}), 2);
  EXPECT_EQ(Run({"--context", "novalue"}), 2);
  EXPECT_NE(err.str().find("KEY=VALUE"), std::string::npos);
  EXPECT_EQ(Run({"--log-level", "7"}), 2);
  EXPECT_EQ(Run({"--xcm", "--no-xcm"}), 2);
  EXPECT_NE(err.str().find("exclude each other"), std::string::npos);
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out.str().find("--remote-bmc"), std::string::npos);
}

// The XCM pages come with an IPMI firmware that names itself an XCM
// service module, or with --xcm; --no-xcm keeps them away.
TEST_F(ToolTest, XcmServiceProcessorIsFoundInTheCollectionUnlessTheUserSays) {
  const std::string firmware = (folder / "firmware.mof").string();
  std::ofstream(firmware) << R"mof(
class VKXSG_IPMIFirmwareElement { [Key] string Name; };
instance of VKXSG_IPMIFirmwareElement { Name = "BMC (Primary)"; };
instance of VKXSG_IPMIFirmwareElement { Name = "xcm SERVICE Module (Backup)"; };
)mof";
  const std::string plain = (folder / "linux.mof").string();
  const struct {
    std::string fCollection;
    std::vector<std::string> fOptions;
    bool fXCM;
  } cases[] = {
      {firmware, {}, true}, {firmware, {"--no-xcm"}, false}, {plain, {}, false}, {plain, {"--xcm"}, true}};
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"--schema", "none", "-f", "trace", "-o", Output(), c.fCollection};
    arguments.insert(arguments.end(), c.fOptions.begin(), c.fOptions.end());
    ASSERT_EQ(Run(arguments), 0) << err.str();
    const std::string log = Read(folder / "report" / "qza.log");
    EXPECT_EQ(log.find("This is an XCM machine") != std::string::npos, c.fXCM) << c.fCollection;
  }
}

TEST_F(ToolTest, IgnoreTakesClassDotProperty) {
  for (const char* malformed : {"SerialNumber", ".SerialNumber", "VKXSG_Disk.", "A.B.C", "."}) {
    EXPECT_EQ(Run({"--ignore", malformed}), 2) << malformed;
    EXPECT_NE(err.str().find(std::string("qzareport: --ignore takes CLASS.PROPERTY (CLASS may be *), not '") +
                             malformed + "'"),
              std::string::npos)
        << err.str();
  }
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out.str().find("--ignore CLASS.PROPERTY"), std::string::npos) << out.str();
}

TEST_F(ToolTest, BadInputNamesFileLineAndColumnAndKeepsThePreviousReport) {
  ASSERT_EQ(Run({"--schema", "none", "-f", "trace", "-o", Output(), (folder / "linux.mof").string()}), 0);
  const std::string previous = Read(folder / "report" / "trace.jsonl");
  std::string broken = Write("broken.mof", "class VKXSG_X {\n  string Name\n};\n");
  EXPECT_EQ(Run({"--schema", "none", "-o", Output(), broken}), 1);
  EXPECT_NE(err.str().find("broken.mof:2:14"), std::string::npos) << err.str();
  EXPECT_EQ(Read(folder / "report" / "trace.jsonl"), previous);
  EXPECT_EQ(Run({"--schema", "none", "-o", Output(), (folder / "missing.mof").string()}), 1);
  EXPECT_NE(err.str().find("missing.mof"), std::string::npos) << err.str();
  for (const auto& entry : fs::directory_iterator(folder)) {
    EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << "staging left behind";
  }
}

TEST_F(ToolTest, CheckLoadsAndWritesNothing) {
  EXPECT_EQ(Run({"--schema", "none", "--check", "-o", Output(), (folder / "linux.mof").string()}), 0);
  EXPECT_NE(out.str().find("3 instances"), std::string::npos) << out.str();
  EXPECT_FALSE(fs::exists(folder / "report"));
}

TEST_F(ToolTest, TraceRecordsTheWholeRunAsJsonLines) {
  ASSERT_EQ(Run({"--schema", "none", "-f", "trace", "-o", Output(), (folder / "linux.mof").string()}), 0) << err.str();
  std::vector<nlohmann::json> lines = TraceLines();
  ASSERT_GT(lines.size(), 3u);
  EXPECT_EQ(lines.front()[0], "Initialize");
  EXPECT_EQ(lines.front()[2]["mode"], "default");
  EXPECT_EQ(lines.front()[2]["nNamespaces"], "1");
  EXPECT_EQ(lines.front()[3], fs::absolute(Output()).lexically_normal().string());
  EXPECT_EQ(lines[1], nlohmann::json::array({"BeginFirstCategory"}));
  EXPECT_EQ(lines[2], nlohmann::json::array({"WriteCategoryTitle", "Software"}));
  EXPECT_EQ(lines.back(), nlohmann::json::array({"EndReport"}));
  std::vector<std::string> titles;
  for (const nlohmann::json& line : lines) {
    if (line[0] == "WriteCategoryTitle") titles.push_back(line[1]);
    if (line[0] == "OpenPage") {
      EXPECT_EQ(line[1].get<std::string>().rfind(lines.front()[3].get<std::string>(), 0), 0u);
    }
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"Software", "Hardware", "Linux Logs", "SP Logs", "Analysis"}));
}

TEST_F(ToolTest, LogHoldsLevelTabMessageLines) {
  ASSERT_EQ(Run({"--schema", "none", "-f", "trace", "--log-level", "3", "-o", Output(), (folder / "linux.mof").string()}), 0);
  std::string log = Read(folder / "report" / "qza.log");
  EXPECT_NE(log.find("3\tTReport::TReport -- QZA mode = default\n"), std::string::npos);
  EXPECT_NE(log.find("3\tTWriter::WriteReportPage -- Entering \n"), std::string::npos);
  ASSERT_EQ(Run({"--schema", "none", "-f", "trace", "--log-level", "0", "-o", Output(), (folder / "linux.mof").string()}), 0);
  EXPECT_EQ(Read(folder / "report" / "qza.log").find("\tTReport::TReport -- Entering"), std::string::npos);
}

TEST_F(ToolTest, SinglePageNeedsAnInventoryWriterType) {
  ASSERT_EQ(Run({"--schema", "none", "-f", "trace", "--page", "SystemConfig", "-o", Output(),
                 (folder / "linux.mof").string()}), 0);
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find("--writer-type inventory"), std::string::npos);
  ASSERT_EQ(Run({"--schema", "none", "-f", "trace", "--writer-type", "inventory", "--page", "SystemConfig", "-o",
                 Output(), (folder / "linux.mof").string()}), 0);
  std::istringstream lines(out.str());
  std::string line;
  bool opened = false;
  while (std::getline(lines, line)) opened |= nlohmann::json::parse(line)[0] == "OpenPage";
  EXPECT_TRUE(opened) << out.str();
}

TEST_F(ToolTest, InventoryPageIsOneJsonDocument) {
  ASSERT_EQ(Run({"--schema", "none", "-f", "inventory", "--page", "SystemConfig", "-o", Output(),
                 (folder / "linux.mof").string()}), 0) << err.str();
  nlohmann::json page = nlohmann::json::parse(out.str());
  EXPECT_FALSE(page["page"].get<std::string>().empty());
  EXPECT_TRUE(page["tables"].is_array());
}

TEST_F(ToolTest, TextAndInventoryReportsWriteAPageFileForEveryIndexEntry) {
  ASSERT_EQ(Run({"--schema", "none", "-f", "inventory", "-o", Output(), (folder / "linux.mof").string()}), 0) << err.str();
  nlohmann::json index = nlohmann::json::parse(Read(folder / "report" / "index.json"));
  ASSERT_FALSE(index["pages"].empty());
  for (const nlohmann::json& page : index["pages"]) {
    nlohmann::json document = nlohmann::json::parse(Read(folder / "report" / page["file"].get<std::string>()));
    EXPECT_EQ(document["link"], page["link"]);
  }
  ASSERT_EQ(Run({"--schema", "none", "-f", "text", "-o", Output(), (folder / "linux.mof").string()}), 0) << err.str();
  std::string text = Read(folder / "report" / "index.txt");
  EXPECT_NE(text.find("Software"), std::string::npos);
  EXPECT_FALSE(fs::exists(folder / "report" / "index.json")) << "the previous report is replaced whole";
}

TEST_F(ToolTest, SeveralCollectionsMakeAComparisonRunLabelledByCollectionTime) {
  std::string base = (folder / "linux.mof").string();
  std::string later = Write("later.mof", std::string(kLinuxCollection) + R"(
class VKXSG_Package { [Key] string Name; string Version; };
instance of VKXSG_Package { Name = "tcpdump"; Version = "4.9"; };
)");
  ASSERT_EQ(Run({"--schema", "none", "-f", "trace", "-o", Output(), base, later}), 0) << err.str();
  std::vector<nlohmann::json> lines = TraceLines();
  EXPECT_EQ(lines.front()[2]["nNamespaces"], "2");
  bool comparisonPage = false;
  for (const nlohmann::json& line : lines) comparisonPage |= line[0] == "OpenPage";
  EXPECT_TRUE(comparisonPage);
  EXPECT_NE(Read(folder / "report" / "qza.log").find("Under DELTA mode [Do Comparison]"), std::string::npos);
}

// The summary line: pages, pages without content, seconds, the report's folder.
const std::regex kSummaryLine(R"(qzareport: (\d+) pages? written \((\d+) without content\) in \d+\.\d\d? s: (.+)\n)");

TEST_F(ToolTest, SummaryCountsThePagesOfTheIndexAndNamesTheFolder) {
  ASSERT_EQ(Run({"--schema", "none", "-f", "inventory", "-o", Output(), (folder / "linux.mof").string()}), 0);
  const std::string shown = err.str();
  std::smatch summary;
  ASSERT_TRUE(std::regex_match(shown, summary, kSummaryLine)) << shown;
  nlohmann::json index = nlohmann::json::parse(Read(folder / "report" / "index.json"));
  size_t withoutContent = 0;
  for (const nlohmann::json& page : index["pages"]) withoutContent += page["hasContent"] ? 0 : 1;
  EXPECT_EQ(std::stoul(summary[1]), index["pages"].size());
  EXPECT_EQ(std::stoul(summary[2]), withoutContent);
  EXPECT_GT(withoutContent, 0u);
  EXPECT_EQ(summary[3], fs::absolute(Output()).lexically_normal().string());
}

TEST_F(ToolTest, ProgressShowsOnATerminalOnlyAndIsClearedBeforeTheSummary) {
  const std::string collection = (folder / "linux.mof").string();
  ASSERT_EQ(Run({"--schema", "none", "-f", "text", "-o", Output(), collection}, true), 0);
  const std::string shown = err.str();
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

  ASSERT_EQ(Run({"--schema", "none", "-f", "text", "-o", Output(), collection}, false), 0);
  EXPECT_EQ(err.str().find('\r'), std::string::npos);
  EXPECT_TRUE(std::regex_match(err.str(), kSummaryLine)) << err.str();

  for (const char* quiet : {"-q", "--quiet"}) {
    ASSERT_EQ(Run({quiet, "--schema", "none", "-f", "text", "-o", Output(), collection}, true), 0);
    EXPECT_EQ(err.str(), "") << quiet;
  }
}

}  // namespace
