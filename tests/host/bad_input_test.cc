// The tool facing bad and hostile input: each problem (unusable files and
// folders, a full disk) is one clear message and exit status 1, an output
// folder the tool may not replace exit status 2, and either way nothing
// changes outside the output folder; odd but readable data (huge texts,
// broken UTF-8, control characters, thousands of classes) still gives sound
// reports in every format.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "host/report_tool.h"
#include "tests/host/folder_snapshot.h"
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
    fs::create_directories(folder);
    // A report of the tool, which no failed run may change.
    ASSERT_EQ(0, Run({"-q", "--schema", "none", "-f", "trace", "-o", Output(), Write("previous.mof", kClasses)}))
        << err.str();
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

  int Run(std::vector<std::string> arguments, bool errIsTerminal = false) {
    arguments.insert(arguments.begin(), "qzareport");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    out.str("");
    err.str("");
    return RunReportTool(static_cast<int>(argv.size()), argv.data(), out, err, errIsTerminal);
  }

  std::string Output() const { return (folder / "report").string(); }
  std::string PathOf(const std::string& name) const { return (folder / name).string(); }

  // Bad input: status 1, a single message naming the culprit, and the
  // previous report and everything beside it as they were, nothing staged
  // left behind.
  void ExpectRejected(const std::vector<std::string>& arguments, const std::string& culprit) {
    const TFolderSnapshot before = SnapshotOf(folder);
    ExpectRejection(Run(arguments), culprit, before);
  }

  void ExpectRejection(int status, const std::string& culprit, const TFolderSnapshot& before, int expected = 1) {
    EXPECT_EQ(expected, status) << err.str();
    const std::string message = err.str();
    EXPECT_EQ(1, std::count(message.begin(), message.end(), '\n')) << message;
    EXPECT_NE(std::string::npos, message.find(culprit)) << message;
    EXPECT_EQ(before, SnapshotOf(folder));
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
    const TFolderSnapshot before = SnapshotOf(folder);
    ExpectRejection(RunWithFileSizeLimit(1024, {"-q", "-f", format, "-o", Output(), kLinuxSample}), ".partial-",
                    before);
    EXPECT_NE(std::string::npos, err.str().find(": cannot write")) << err.str();
  }
}

// A place the tool may not put its report is refused with status 2 before
// anything is read; an empty folder and a report of the tool are replaced.
TEST_F(BadInputTest, OutputFolderIsReplacedOnlyWhenEmptyOrAReportOfTheTool) {
  const std::string collection = Write("linux.mof", CollectionWithText("srv01"));
  fs::create_directories(folder / "case");
  const std::string inCase = Write("case/collection.mof", CollectionWithText("srv01"));
  Write("notes.txt", "my notes");
  fs::create_directories(folder / "notes");
  Write("notes/customer.txt", "my notes");
  fs::create_directories(folder / "empty");
  fs::create_directories(folder / "schema");
  fs::create_directory_symlink(folder / "report", folder / "link");
  for (const char* name : {"annotated", "edited"}) {
    ASSERT_EQ(0, Run({"-q", "--schema", "none", "-f", "trace", "-o", PathOf(name), collection})) << err.str();
  }
  Write("annotated/mine.txt", "my notes");
  std::ofstream(folder / "edited" / "trace.jsonl", std::ios::app) << "my notes\n";
  const struct {
    std::string fWorkingFolder;  // "" leaves the test's own
    std::string fOutput;         // inside the test's folder; relative to the working folder when one is given
    std::vector<std::string> fArguments;
    int fStatus;
    std::string fMessage;
  } cases[] = {
      {"", "case", {inCase}, 2, "/case: contains the collection " + inCase},
      {"", "case/collection.mof", {collection}, 2, "/case/collection.mof: is not a folder"},
      {"", "notes.txt", {collection}, 2, "/notes.txt: is not a folder"},
      {"", "notes", {collection}, 2, "/notes: is not empty and is not a report of qzareport"},
      {"", "annotated", {collection}, 2, "/annotated: holds mine.txt, which qzareport did not write"},
      {"", "edited", {collection}, 2, "/edited: holds trace.jsonl, changed since qzareport wrote it"},
      {"", "link", {collection}, 2, "/link: is a symbolic link"},
      {"", ".", {collection}, 2, ": contains the collection " + collection},
      {"", "schema", {"--schema", PathOf("schema"), collection}, 2, "/schema: is the schema folder " + PathOf("schema")},
      {"", "report", {"--log", PathOf("report/run.log"), collection}, 2, "/report: contains the log file " + PathOf("report/run.log")},
      {"case", ".", {collection}, 2, "/case: is the current folder"},
      {"case", "..", {collection}, 2, ": contains the current folder"},
      {"", "empty", {collection}, 0, ""},
      {"", "report", {collection}, 0, ""},
      {"", "new/deeper/report", {collection}, 0, ""},
  };
  const fs::path testsFolder = fs::current_path();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fOutput);
    std::vector<std::string> arguments = {"-q", "-f", "trace", "-o",
                                          c.fWorkingFolder.empty() ? PathOf(c.fOutput) : c.fOutput};
    if (c.fArguments.front() != "--schema") arguments.insert(arguments.end(), {"--schema", "none"});
    arguments.insert(arguments.end(), c.fArguments.begin(), c.fArguments.end());
    const TFolderSnapshot before = SnapshotOf(folder);
    if (!c.fWorkingFolder.empty()) fs::current_path(folder / c.fWorkingFolder);
    const int status = Run(arguments);
    fs::current_path(testsFolder);
    if (c.fStatus != 0) {
      ExpectRejection(status, c.fMessage + " (qzareport replaces only a new or empty folder, or a report that it wrote)\n",
                      before, c.fStatus);
      continue;
    }
    EXPECT_EQ(0, status) << err.str();
    EXPECT_TRUE(fs::exists(folder / c.fOutput / ".qzareport"));
    const std::string changed = fs::path(c.fOutput).begin()->string();
    EXPECT_EQ(WithoutEntriesUnder(before, changed), WithoutEntriesUnder(SnapshotOf(folder), changed));
  }
}

// The second of two runs into one folder finds it locked by the first and
// is refused; the first run's report is never replaced behind its back.
TEST_F(BadInputTest, SecondRunIntoAFolderBeingWrittenIsRefused) {
  const std::string collection = Write("linux.mof", CollectionWithText("srv01"));
  const int firstRun = ::open(Output().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_EQ(0, ::flock(firstRun, LOCK_EX | LOCK_NB));
  const TFolderSnapshot before = SnapshotOf(folder);
  ExpectRejection(Run({"-q", "--schema", "none", "-o", Output(), collection}),
                  "/report: another qzareport run is writing a report into this folder", before, 2);
  ::close(firstRun);
  EXPECT_EQ(0, Run({"-q", "--schema", "none", "-o", Output(), collection})) << err.str();
}

// Escape sequences in a collection (a terminal title, a screen clear, a
// carriage return that hides a line, a C1 control, broken UTF-8) show as
// escapes in messages, the progress line, the log and the text pages.
TEST_F(BadInputTest, ControlCharactersInTheCollectionReachNoTerminalAndNoTextFile) {
  // \\r is the MOF escape of a carriage return.
  const std::string hostile = "srv\x1b]0;owned\x07\x1b[2J\\rhidden\xc2\x9b\xff";
  const std::string shown = "srv\\x1b]0;owned\\x07\\x1b[2J";
  const std::string collection = Write("hostile.mof", CollectionWithText(hostile));
  const std::string broken = Write("broken.mof", std::string(kClasses) + "class srv\x1b]0;owned\x07 {};\n");
  // Anything below a space but the line ends that the text needs.
  const auto controlIn = [](const std::string& text, const std::string& kept) {
    for (size_t at = 0; at < text.size(); ++at) {
      const unsigned char c = static_cast<unsigned char>(text[at]);
      if ((c < 0x20 || c == 0x7f) && kept.find(static_cast<char>(c)) == std::string::npos) return at;
    }
    return std::string::npos;
  };
  const TFolderSnapshot before = SnapshotOf(folder);
  ExpectRejection(Run({"--schema", "none", "-o", Output(), broken}), "broken.mof:7:", before);
  EXPECT_EQ(std::string::npos, controlIn(err.str(), "\n")) << err.str();
  ASSERT_EQ(0, Run({"--schema", "none", "-f", "text", "-o", Output(), collection}, true)) << err.str();
  EXPECT_EQ(std::string::npos, controlIn(err.str(), "\r\n")) << err.str();
  EXPECT_NE(std::string::npos, Read(folder / "report" / "index.txt").find("Report")) << "no text report";
  size_t showingTheValue = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder / "report")) {
    if (entry.path().extension() != ".txt" && entry.path().extension() != ".log") continue;
    const std::string text = Read(entry.path());
    EXPECT_EQ(std::string::npos, controlIn(text, "\n\t")) << entry.path();
    showingTheValue += text.find(shown) != std::string::npos;
  }
  EXPECT_GT(showingTheValue, 0u);
}

// A 1 MB host name is shortened in every page's banner and title, and kept
// whole in the tables: the report does not grow with the number of pages.
TEST_F(BadInputTest, LongHostNameIsShortenedInHeadingsAndKeptInTables) {
  const std::string name(1 << 20, 'h');
  const std::string collection =
      Write("long.mof", std::string(kClasses) + "instance of VKXSG_ComputerSystem { Name = \"" + name + "\"; };\n");
  for (const char* format : {"html", "text"}) {
    SCOPED_TRACE(format);
    ASSERT_EQ(0, Run({"-q", "--schema", "none", "-f", format, "-o", Output(), collection})) << err.str();
    uintmax_t size = 0;
    size_t holdingTheName = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder / "report")) {
      size += entry.file_size();
      holdingTheName += Read(entry.path()).find(name) != std::string::npos;
    }
    EXPECT_LT(size, 8u * name.size());
    EXPECT_GE(holdingTheName, 1u);
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
