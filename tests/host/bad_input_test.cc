// The tool facing bad input: each problem (unusable files and folders, a full
// disk) is one clear message and exit status 1, with an existing report left
// as it was; odd but readable data (huge texts, broken UTF-8, thousands of
// classes) still gives sound reports in every format.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/host/html_inspection.h"
#include "tests/host/tool_running.h"

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

const char kLinuxSample[] = QZA_SOURCE_DIR "/samples/linux-server.mof";
const char* const kFormats[] = {"html", "text", "inventory", "trace"};

// A lone continuation byte, a cut sequence, an overlong slash, a surrogate,
// a byte never used in UTF-8, and a sound e-acute among them.
const char kBrokenUtf8[] = "a\x80 b\xE2\x82 c\xC0\xAF d\xED\xA0\x80 e\xFF f\xC3\xA9";

// The bundled Linux sample without its include of the schema, which the
// tool loads anyway and which is not found beside a copy.
std::string SampleCollection() {
  std::ifstream file(kLinuxSample, std::ios::binary);
  std::string collection, line;
  while (std::getline(file, line)) {
    if (line.rfind("#pragma include", 0) != 0) collection += line + "\n";
  }
  return collection;
}

// The position of the quote that closes the string literal opened at open.
size_t StringEnd(const std::string& mof, size_t open) {
  size_t at = open + 1;
  while (mof[at] != '"') at += mof[at] == '\\' ? 2 : 1;
  return at;
}

// Date-times are strings in MOF but must keep their form.
bool IsDateTime(const std::string& text) {
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  return text.size() == 25 && text[14] == '.' && std::all_of(text.begin(), text.begin() + 14, digit);
}

std::string WithTextInEveryString(const std::string& mof, const std::string& text) {
  std::string result;
  size_t copied = 0;
  for (size_t open = mof.find('"'); open != std::string::npos; open = mof.find('"', copied + 1)) {
    size_t end = StringEnd(mof, open);
    result.append(mof, copied, end - copied);
    if (!IsDateTime(mof.substr(open + 1, end - open - 1))) result += text;
    copied = end;
  }
  return result + mof.substr(copied);
}

// The text added to the end of the first string after the first marker.
std::string WithTextAfter(std::string mof, const std::string& marker, const std::string& text) {
  size_t found = mof.find(marker);
  if (found == std::string::npos) throw std::logic_error("the sample has no " + marker);
  return mof.insert(StringEnd(mof, mof.find('"', found)), text);
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
  BadInputTest() {
    fs::create_directories(run.Output());
    run.Write("report/previous.txt", "good");
  }

  // Bad input: status 1, a single message naming the culprit, and the
  // previous report untouched with nothing staged left behind.
  void ExpectRejected(const std::vector<std::string>& arguments, const std::string& culprit) {
    ExpectRejection(run(arguments), culprit);
  }

  void ExpectRejection(int status, const std::string& culprit) {
    EXPECT_EQ(1, status) << run.Err();
    const std::string message = run.Err();
    EXPECT_EQ(1, std::count(message.begin(), message.end(), '\n')) << message;
    EXPECT_NE(std::string::npos, message.find(culprit)) << message;
    EXPECT_EQ("good", run.Read("previous.txt"));
    for (const fs::directory_entry& entry : fs::directory_iterator(run.Folder())) {
      EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".partial")) << "staging left behind";
    }
  }

  void ExpectSoundReport(const std::string& format) {
    if (format == "html") ExpectSoundHtmlReport();
    if (format == "inventory") ExpectSoundInventory();
    if (format == "text") {
      EXPECT_TRUE(fs::exists(run.OutputFile("index.txt")));
    }
    if (format == "trace") ExpectSoundTrace();
  }

  void ExpectSoundTrace() {
    std::ifstream trace(run.OutputFile("trace.jsonl"), std::ios::binary);
    ASSERT_TRUE(trace);
    std::string line;
    while (std::getline(trace, line)) EXPECT_NO_THROW(nlohmann::json::parse(line)) << line.substr(0, 200);
  }

  void ExpectSoundHtmlReport() {
    ASSERT_TRUE(fs::exists(run.OutputFile("index.html")));
    for (const fs::directory_entry& entry : fs::directory_iterator(run.Output())) {
      if (entry.path().extension() != ".html") continue;
      const std::vector<std::string> problems = HtmlProblems(entry.path().string());
      EXPECT_TRUE(problems.empty()) << entry.path() << ": " << problems.front();
    }
  }

  void ExpectSoundInventory() {
    ASSERT_TRUE(fs::exists(run.OutputFile("index.json")));
    for (const fs::directory_entry& entry : fs::directory_iterator(run.Output())) {
      if (entry.path().extension() != ".json") continue;
      EXPECT_NO_THROW(nlohmann::json::parse(TToolRun::ReadFile(entry.path().string()))) << entry.path();
    }
  }

  TToolRun run{"bad-input"};
};

TEST_F(BadInputTest, UnusableCollectionsAreRejectedWithOneMessage) {
  const std::string missing = run.Path("missing.mof");
  ExpectRejected({"--schema", "none", "-o", run.Output(), missing}, missing);
  fs::create_directories(run.Path("collection.mof"));
  ExpectRejected({"--schema", "none", "-o", run.Output(), run.Path("collection.mof")}, "collection.mof");
}

TEST_F(BadInputTest, UnreadableCollectionIsRejectedWithOneMessage) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const std::string locked = run.Write("locked.mof", CollectionWithText("srv01"));
  fs::permissions(locked, fs::perms::none);
  ExpectRejected({"--schema", "none", "-o", run.Output(), locked}, "locked.mof");
}

TEST_F(BadInputTest, OutputFolderThatCannotBeCreatedIsRejected) {
  const std::string collection = run.Write("linux.mof", CollectionWithText("srv01"));
  run.Write("plain-file", "not a folder");
  const std::string impossible = run.Path("plain-file/report");
  ExpectRejected({"--schema", "none", "-o", impossible, collection}, "plain-file");
  EXPECT_EQ("not a folder", TToolRun::ReadFile(run.Path("plain-file")));
}

TEST_F(BadInputTest, FullDiskFailsTheRunAndKeepsThePreviousReport) {
  // No file may grow beyond 1 KB: the first page, asset or trace written fails.
  for (const char* format : kFormats) {
    SCOPED_TRACE(format);
    ExpectRejection(run.WithFileSizeLimit(1024, {"-q", "-f", format, "-o", run.Output(), kLinuxSample}), ".partial-");
    EXPECT_NE(std::string::npos, run.Err().find(": cannot write")) << run.Err();
  }
}

TEST_F(BadInputTest, LogThatCannotBeWrittenFailsTheRun) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::string collection = run.Write("linux.mof", CollectionWithText("srv01"));
  ExpectRejected({"--schema", "none", "-q", "--log", "/dev/full", "-o", run.Output(), collection}, "/dev/full");
}

TEST_F(BadInputTest, ThousandsOfClassesAreReported) {
  // Each a subclass of a device class the hardware pages read, with one
  // instance; 100,000 of them were tried by hand with the tool.
  const int kClassCount = 5000;
  std::ostringstream collection;
  for (int i = 0; i < kClassCount; ++i) {
    collection << "class QZA_Device" << i << " : VKXSG_LogicalDevice { string Note" << i << "; };\n"
               << "instance of QZA_Device" << i << " { CreationClassName = \"QZA_Device" << i << "\"; DeviceID = \"dev"
               << i << "\"; ElementName = \"Device " << i << "\"; Note" << i << " = \"n" << i << "\"; };\n";
  }
  const std::string path = run.Write("classes.mof", collection.str());
  ASSERT_EQ(0, run({"--check", path})) << run.Err();
  EXPECT_NE(std::string::npos, run.Out().find(std::to_string(kClassCount) + " instances")) << run.Out();
  ASSERT_EQ(0, run({"-q", "-o", run.Output(), path})) << run.Err();
  ExpectSoundReport("html");
}

TEST_F(BadInputTest, BrokenUtf8InEveryTextGivesSoundReports) {
  // Appended to every string of the sample: keys, names, values, array
  // elements, log messages.
  const std::string collection = run.Write("utf8.mof", WithTextInEveryString(SampleCollection(), kBrokenUtf8));
  for (const char* format : kFormats) {
    SCOPED_TRACE(format);
    ASSERT_EQ(0, run({"-q", "-f", format, "-o", run.Output(), collection})) << run.Err();
    ExpectSoundReport(format);
  }
}

TEST_F(BadInputTest, TenMegabyteTextsGiveSoundReports) {
  // A plain value, a key (of a port that associations reference), an array
  // element and a log message, each 10 MB with characters that need escaping.
  std::string collection = SampleCollection();
  const std::string huge = std::string(10 << 20, 'x') + "<&>" + kBrokenUtf8;
  for (const char* property : {"ProductVendor =", "DeviceID =", "NetworkAddresses =", "Message ="}) {
    collection = WithTextAfter(collection, property, huge);
  }
  const std::string path = run.Write("huge.mof", collection);
  for (const char* format : kFormats) {
    SCOPED_TRACE(format);
    ASSERT_EQ(0, run({"-q", "-f", format, "-o", run.Output(), path})) << run.Err();
    ExpectSoundReport(format);
  }
}
}  // namespace
