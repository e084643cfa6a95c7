// The tool facing bad input: each problem (unusable files and folders, a full
// disk) is one clear message and exit status 1, with an existing report left
// as it was; odd but readable data (huge texts, broken UTF-8, thousands of
// classes) still gives sound reports in every format.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

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
    ExpectRejection(Run(arguments), culprit);
  }

  void ExpectRejection(int status, const std::string& culprit) {
    EXPECT_EQ(1, status) << err.str();
    const std::string message = err.str();
    EXPECT_EQ(1, std::count(message.begin(), message.end(), '\n')) << message;
    EXPECT_NE(std::string::npos, message.find(culprit)) << message;
    EXPECT_EQ("good", Read(folder / "report" / "previous.txt"));
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".partial")) << "staging left behind";
    }
  }

  // Runs the tool binary in a child whose files cannot grow beyond limit
  // bytes, as on a full disk: with SIGXFSZ ignored a write past the limit
  // fails with EFBIG. Its standard error ends up in err.
  int RunWithFileSizeLimit(rlim_t limit, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), QZA_TOOL_PATH);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    int ends[2];
    if (::pipe(ends) != 0) return -1;
    pid_t child = ::fork();
    if (child == 0) {
      ::dup2(ends[1], STDERR_FILENO);
      ::close(ends[0]);
      ::close(ends[1]);
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit size{limit, limit};
      ::setrlimit(RLIMIT_FSIZE, &size);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(ends[1]);
    std::string message;
    char buffer[4096];
    for (ssize_t count; (count = ::read(ends[0], buffer, sizeof buffer)) > 0;) message.append(buffer, count);
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    err.str(message);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  void ExpectSoundReport(const std::string& format) {
    if (format == "html") ExpectSoundHtmlReport();
    if (format == "inventory") ExpectSoundInventory();
    if (format == "text") {
      EXPECT_TRUE(fs::exists(folder / "report" / "index.txt"));
    }
    if (format == "trace") ExpectSoundTrace();
  }

  void ExpectSoundTrace() {
    std::ifstream trace(folder / "report" / "trace.jsonl", std::ios::binary);
    ASSERT_TRUE(trace);
    std::string line;
    while (std::getline(trace, line)) EXPECT_NO_THROW(nlohmann::json::parse(line)) << line.substr(0, 200);
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

TEST_F(BadInputTest, FullDiskFailsTheRunAndKeepsThePreviousReport) {
  // No file may grow beyond 1 KB: the first page, asset or trace written fails.
  for (const char* format : kFormats) {
    SCOPED_TRACE(format);
    ExpectRejection(RunWithFileSizeLimit(1024, {"-q", "-f", format, "-o", Output(), kLinuxSample}), ".partial-");
    EXPECT_NE(std::string::npos, err.str().find(": cannot write")) << err.str();
  }
}

TEST_F(BadInputTest, LogThatCannotBeWrittenFailsTheRun) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::string collection = Write("linux.mof", CollectionWithText("srv01"));
  ExpectRejected({"--schema", "none", "-q", "--log", "/dev/full", "-o", Output(), collection}, "/dev/full");
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
  const std::string path = Write("classes.mof", collection.str());
  ASSERT_EQ(0, Run({"--check", path})) << err.str();
  EXPECT_NE(std::string::npos, out.str().find(std::to_string(kClassCount) + " instances")) << out.str();
  ASSERT_EQ(0, Run({"-q", "-o", Output(), path})) << err.str();
  ExpectSoundReport("html");
}

TEST_F(BadInputTest, BrokenUtf8InEveryTextGivesSoundReports) {
  // Appended to every string of the sample: keys, names, values, array
  // elements, log messages.
  const std::string collection = Write("utf8.mof", WithTextInEveryString(SampleCollection(), kBrokenUtf8));
  for (const char* format : kFormats) {
    SCOPED_TRACE(format);
    ASSERT_EQ(0, Run({"-q", "-f", format, "-o", Output(), collection})) << err.str();
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
  const std::string path = Write("huge.mof", collection);
  for (const char* format : kFormats) {
    SCOPED_TRACE(format);
    ASSERT_EQ(0, Run({"-q", "-f", format, "-o", Output(), path})) << err.str();
    ExpectSoundReport(format);
  }
}
}  // namespace
