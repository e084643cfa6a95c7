// The tool facing bad input: each problem is one clear message and exit
// status 1, with an existing report left as it was; odd but readable data
// (huge values, broken UTF-8) still gives valid HTML and inventory files.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/report_tool.h"
#include "tests/host/html_inspection.h"

namespace fs = std::filesystem;

namespace {

const char kClasses[] = R"(
Qualifier Key : boolean = false, Scope(property, reference);
class VKXSG_QZAProduct { [Key] string Name; string Version; string Build; };
class VKXSG_ComputerSystem { [Key] string Name; string SerialNumber; string ProductName; string Manufacturer; };
class VKXSG_OperatingSystem { [Key] string Name; uint16 OSType; string Version; string ProductVendor; };
instance of VKXSG_QZAProduct { Name = "QZA"; Version = "1.3"; Build = "QZA 9.61 build 12"; };
)";

// A collection whose machine and system texts are the given MOF string body.
std::string CollectionWithText(const std::string& text) {
  return std::string(kClasses) + "instance of VKXSG_ComputerSystem { Name = \"" + text + "\"; SerialNumber = \"" +
         text + "\"; ProductName = \"" + text + "\"; Manufacturer = \"" + text +
         "\"; };\ninstance of VKXSG_OperatingSystem { Name = \"" + text + "\"; OSType = 36; Version = \"" + text +
         "\"; ProductVendor = \"" + text + "\"; };\n";
}

// What libxml2 finds wrong with a page; unlike InspectHtmlFile it accepts
// text nodes beyond its default limit of 10 MB.
std::vector<std::string> HtmlProblems(const std::string& path) {
  std::vector<std::string> problems;
  xmlSetStructuredErrorFunc(&problems, [](void* found, auto error) {
    static_cast<std::vector<std::string>*>(found)->push_back(std::to_string(error->line) + ": " +
                                                             (error->message ? error->message : "?"));
  });
  htmlDocPtr document = htmlReadFile(path.c_str(), "UTF-8", HTML_PARSE_NONET | XML_PARSE_HUGE);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
  if (!document) problems.push_back("not parsed");
  xmlFreeDoc(document);
  return problems;
}

class BadInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("qza-bad-input-test-" + std::to_string(::getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder / "report");
    Write("report/previous.txt", "good");
  }
  void TearDown() override {
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(folder);
  }

  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(folder / name, std::ios::binary) << text;
    return (folder / name).string();
  }

  static std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  int Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "qzareport");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    out.str("");
    err.str("");
    return RunReportTool(static_cast<int>(argv.size()), argv.data(), out, err);
  }

  std::string Output() const { return (folder / "report").string(); }

  // Bad input: status 1, a single message naming the culprit, and the
  // previous report untouched with nothing staged left behind.
  void ExpectRejected(const std::vector<std::string>& arguments, const std::string& culprit) {
    EXPECT_EQ(1, Run(arguments)) << err.str();
    const std::string message = err.str();
    EXPECT_EQ(1, std::count(message.begin(), message.end(), '\n')) << message;
    EXPECT_NE(std::string::npos, message.find(culprit)) << message;
    EXPECT_EQ("good", Read(folder / "report" / "previous.txt"));
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".partial")) << "staging left behind";
    }
  }

  void ExpectSoundHtmlReport() {
    ASSERT_TRUE(fs::exists(folder / "report" / "index.html"));
    for (const fs::directory_entry& entry : fs::directory_iterator(folder / "report")) {
      if (entry.path().extension() != ".html") continue;
      const std::vector<std::string> problems = HtmlProblems(entry.path().string());
      EXPECT_TRUE(problems.empty()) << entry.path() << ": " << problems.front();
    }
  }

  void ExpectSoundInventory() {
    ASSERT_TRUE(fs::exists(folder / "report" / "index.json"));
    for (const fs::directory_entry& entry : fs::directory_iterator(folder / "report")) {
      if (entry.path().extension() != ".json") continue;
      EXPECT_NO_THROW(nlohmann::json::parse(Read(entry.path()))) << entry.path();
    }
  }

  fs::path folder;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(BadInputTest, UnusableCollectionsAreRejectedWithOneMessage) {
  const std::string missing = (folder / "missing.mof").string();
  ExpectRejected({"--schema", "none", "-o", Output(), missing}, missing);
  fs::create_directories(folder / "collection.mof");
  ExpectRejected({"--schema", "none", "-o", Output(), (folder / "collection.mof").string()}, "collection.mof");
}

TEST_F(BadInputTest, UnreadableCollectionIsRejectedWithOneMessage) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const std::string locked = Write("locked.mof", CollectionWithText("srv01"));
  fs::permissions(locked, fs::perms::none);
  ExpectRejected({"--schema", "none", "-o", Output(), locked}, "locked.mof");
}

TEST_F(BadInputTest, OutputFolderThatCannotBeCreatedIsRejected) {
  const std::string collection = Write("linux.mof", CollectionWithText("srv01"));
  Write("plain-file", "not a folder");
  const std::string impossible = (folder / "plain-file" / "report").string();
  ExpectRejected({"--schema", "none", "-o", impossible, collection}, "plain-file");
  EXPECT_EQ("not a folder", Read(folder / "plain-file"));
}

TEST_F(BadInputTest, TenMegabyteValuesGiveSoundReports) {
  // One value only: the machine's texts are on every page.
  std::string collection = CollectionWithText("srv01");
  const std::string vendor = "ProductVendor = \"srv01\"";
  collection.replace(collection.find(vendor), vendor.size(),
                     "ProductVendor = \"" + std::string(10 << 20, 'x') + "<&>\"");
  Write("huge.mof", collection);
  collection = (folder / "huge.mof").string();
  ASSERT_EQ(0, Run({"--schema", "none", "-q", "-o", Output(), collection})) << err.str();
  ExpectSoundHtmlReport();
  ASSERT_EQ(0, Run({"--schema", "none", "-q", "-f", "inventory", "-o", Output(), collection})) << err.str();
  ExpectSoundInventory();
}

TEST_F(BadInputTest, BrokenUtf8GivesSoundReports) {
  // A lone continuation byte, a cut sequence, an overlong slash, a surrogate,
  // a byte never used in UTF-8, and a sound e-acute among them.
  const std::string collection =
      Write("utf8.mof", CollectionWithText("a\x80 b\xE2\x82 c\xC0\xAF d\xED\xA0\x80 e\xFF f\xC3\xA9"));
  ASSERT_EQ(0, Run({"--schema", "none", "-q", "-o", Output(), collection})) << err.str();
  ExpectSoundHtmlReport();
  ASSERT_EQ(0, Run({"--schema", "none", "-q", "-f", "inventory", "-o", Output(), collection})) << err.str();
  ExpectSoundInventory();
}

}  // namespace
