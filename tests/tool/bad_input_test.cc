// The tool facing bad and hostile input: each problem (unusable files and
// folders, a full disk) is one clear message and exit status 1, an output
// folder the tool may not replace exit status 2, and either way nothing
// changes outside the output folder; odd but readable data (huge texts,
// broken UTF-8, control characters, thousands of classes) still gives sound
// reports in every format.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/tool/folder_snapshot.h"
#include "tests/forms/html/html_inspection.h"
#include "tests/tool/tool_running.h"

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
  // A report of the tool, which no failed run may change.
  void SetUp() override {
    ASSERT_EQ(0, run({"-q", "--schema", "none", "-f", "trace", "-o", run.Output(), run.Write("previous.mof", kClasses)}))
        << run.Err();
  }

  // Bad input: status 1, a single message naming the culprit, and the
  // previous report and everything beside it as they were, nothing staged
  // left behind.
  void ExpectRejected(const std::vector<std::string>& arguments, const std::string& culprit) {
    const TFolderSnapshot before = SnapshotOf(run.Folder());
    ExpectRejection(run(arguments), culprit, before);
  }

  void ExpectRejection(int status, const std::string& culprit, const TFolderSnapshot& before, int expected = 1) {
    EXPECT_EQ(expected, status) << run.Err();
    const std::string message = run.Err();
    EXPECT_EQ(1, std::count(message.begin(), message.end(), '\n')) << message;
    EXPECT_NE(std::string::npos, message.find(culprit)) << message;
    EXPECT_EQ(before, SnapshotOf(run.Folder()));
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
    const TFolderSnapshot before = SnapshotOf(run.Folder());
    ExpectRejection(run.WithFileSizeLimit(1024, {"-q", "-f", format, "-o", run.Output(), kLinuxSample}), ".partial-",
                    before);
    EXPECT_NE(std::string::npos, run.Err().find(": cannot write")) << run.Err();
  }
}

// A place the tool may not put its report is refused with status 2 before
// anything is read; an empty folder and a report of the tool are replaced.
TEST_F(BadInputTest, OutputFolderIsReplacedOnlyWhenEmptyOrAReportOfTheTool) {
  const std::string collection = run.Write("linux.mof", CollectionWithText("srv01"));
  fs::create_directories(run.Path("case"));
  const std::string inCase = run.Write("case/collection.mof", CollectionWithText("srv01"));
  run.Write("notes.txt", "my notes");
  fs::create_directories(run.Path("notes"));
  run.Write("notes/customer.txt", "my notes");
  fs::create_directories(run.Path("empty"));
  fs::create_directories(run.Path("schema"));
  fs::create_directory_symlink(run.Output(), run.Path("link"));
  for (const char* name : {"annotated", "edited"}) {
    ASSERT_EQ(0, run({"-q", "--schema", "none", "-f", "trace", "-o", run.Path(name), collection})) << run.Err();
  }
  run.Write("annotated/mine.txt", "my notes");
  std::ofstream(run.Path("edited/trace.jsonl"), std::ios::app) << "my notes\n";
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
      {"", "schema", {"--schema", run.Path("schema"), collection}, 2, "/schema: is the schema folder " + run.Path("schema")},
      {"", "report", {"--log", run.Path("report/run.log"), collection}, 2,
       "/report: contains the log file " + run.Path("report/run.log")},
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
                                          c.fWorkingFolder.empty() ? run.Path(c.fOutput) : c.fOutput};
    if (c.fArguments.front() != "--schema") arguments.insert(arguments.end(), {"--schema", "none"});
    arguments.insert(arguments.end(), c.fArguments.begin(), c.fArguments.end());
    const TFolderSnapshot before = SnapshotOf(run.Folder());
    if (!c.fWorkingFolder.empty()) fs::current_path(run.Path(c.fWorkingFolder));
    const int status = run(arguments);
    fs::current_path(testsFolder);
    if (c.fStatus != 0) {
      ExpectRejection(status, c.fMessage + " (qzareport replaces only a new or empty folder, or a report that it wrote)\n",
                      before, c.fStatus);
      continue;
    }
    EXPECT_EQ(0, status) << run.Err();
    EXPECT_TRUE(fs::exists(run.Path(c.fOutput + "/.qzareport")));
    const std::string changed = fs::path(c.fOutput).begin()->string();
    EXPECT_EQ(WithoutEntriesUnder(before, changed), WithoutEntriesUnder(SnapshotOf(run.Folder()), changed));
  }
}

// A marker copied into a folder (unpacked from a customer's archive, say)
// lists that folder's files but was not written for it: the folder is set
// aside whole, never deleted.
TEST_F(BadInputTest, ForgedMarkerNeverLosesTheFilesItLists) {
  const std::string collection = run.Write("linux.mof", CollectionWithText("srv01"));
  const std::string mine = "the customer's notes\n";
  for (const char* folder : {"unpacked", "unpacked-stale"}) {
    fs::create_directories(run.Path(folder));
    run.Write(std::string(folder) + "/notes.txt", mine);
    run.Write(std::string(folder) + "/.qzareport",
              std::string(R"({"folders": [], "files": {"notes.txt": 21})") +
                  (std::string(folder) == "unpacked" ? "}" : R"(, "folder": "1:2"})"));
  }
  for (const char* folder : {"unpacked", "unpacked-stale"}) {
    ASSERT_EQ(0, run({"--schema", "none", "-f", "trace", "-o", run.Path(folder), collection})) << run.Err();
    EXPECT_NE(std::string::npos, run.Err().find("it is kept in " + run.Path(folder) + ".previous-")) << run.Err();
  }
  size_t kept = 0;
  for (const auto& entry : fs::recursive_directory_iterator(run.Folder())) {
    kept += entry.path().filename() == "notes.txt" && TToolRun::ReadFile(entry.path().string()) == mine;
  }
  EXPECT_EQ(2u, kept);
}

// The second of two runs into one folder finds it locked by the first and
// is refused; the first run's report is never replaced behind its back.
TEST_F(BadInputTest, SecondRunIntoAFolderBeingWrittenIsRefused) {
  const std::string collection = run.Write("linux.mof", CollectionWithText("srv01"));
  const int firstRun = ::open(run.Output().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_EQ(0, ::flock(firstRun, LOCK_EX | LOCK_NB));
  const TFolderSnapshot before = SnapshotOf(run.Folder());
  ExpectRejection(run({"-q", "--schema", "none", "-o", run.Output(), collection}),
                  "/report: another qzareport run is writing a report into this folder", before, 2);
  ::close(firstRun);
  EXPECT_EQ(0, run({"-q", "--schema", "none", "-o", run.Output(), collection})) << run.Err();
}

// Ctrl-C or SIGTERM while a report is written leaves no staging folder
// behind: here the run waits to open its log, a pipe nobody reads.
TEST_F(BadInputTest, InterruptedRunLeavesNoStagingFolder) {
  const std::string collection = run.Write("linux.mof", CollectionWithText("srv01"));
  const std::string pipe = run.Path("log.fifo");
  ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
  const auto staged = [this] {
    for (const auto& entry : fs::directory_iterator(run.Folder())) {
      if (entry.path().filename().string().find(".partial-") != std::string::npos) return true;
    }
    return false;
  };
  for (int signal : {SIGINT, SIGTERM}) {
    const pid_t child = ::fork();
    if (child == 0) {
      ::execl(QZA_TOOL_PATH, "qzareport", "-q", "--schema", "none", "--log", pipe.c_str(), "-o", run.Output().c_str(),
              collection.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    for (int wait = 0; wait < 1000 && !staged(); ++wait) ::usleep(10000);
    EXPECT_TRUE(staged());
    ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_FALSE(staged());
  }
}

// Escape sequences in a collection (a terminal title, a screen clear, a
// carriage return that hides a line, a C1 control, a right-to-left
// override, broken UTF-8) show as
// escapes in messages, the progress line, the log and the text pages.
TEST_F(BadInputTest, ControlCharactersInTheCollectionReachNoTerminalAndNoTextFile) {
  // \\r is the MOF escape of a carriage return.
  const std::string hostile = "srv\xe2\x80\xae\x1b]0;owned\x07\x1b[2J\\rhidden\xc2\x9b\xff";
  const std::string shown = "srv\\u202e\\x1b]0;owned\\x07\\x1b[2J";
  const std::string collection = run.Write("hostile.mof", CollectionWithText(hostile));
  const std::string broken = run.Write("broken.mof", std::string(kClasses) + "class srv\x1b]0;owned\x07 {};\n");
  // Anything below a space but the line ends that the text needs.
  const auto controlIn = [](const std::string& text, const std::string& kept) {
    for (size_t at = 0; at < text.size(); ++at) {
      const unsigned char c = static_cast<unsigned char>(text[at]);
      if ((c < 0x20 || c == 0x7f) && kept.find(static_cast<char>(c)) == std::string::npos) return at;
    }
    return std::string::npos;
  };
  const TFolderSnapshot before = SnapshotOf(run.Folder());
  ExpectRejection(run({"--schema", "none", "-o", run.Output(), broken}), "broken.mof:7:", before);
  EXPECT_EQ(std::string::npos, controlIn(run.Err(), "\n")) << run.Err();
  ASSERT_EQ(0, run({"--schema", "none", "-f", "text", "-o", run.Output(), collection}, true)) << run.Err();
  EXPECT_EQ(std::string::npos, controlIn(run.Err(), "\r\n")) << run.Err();
  EXPECT_NE(std::string::npos, run.Read("index.txt").find("Report")) << "no text report";
  size_t showingTheValue = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(run.Output())) {
    if (entry.path().extension() != ".txt" && entry.path().extension() != ".log") continue;
    const std::string text = TToolRun::ReadFile(entry.path().string());
    EXPECT_EQ(std::string::npos, controlIn(text, "\n\t")) << entry.path();
    showingTheValue += text.find(shown) != std::string::npos;
  }
  EXPECT_GT(showingTheValue, 0u);
}

// A 1 MB host name is shortened in every page's banner and title, and kept
// whole in the tables: the report does not grow with the number of pages.
TEST_F(BadInputTest, LongHostNameIsShortenedInHeadingsAndKeptInTables) {
  const std::string name(1 << 20, 'h');
  const std::string collection = run.Write(
      "long.mof", std::string(kClasses) + "instance of VKXSG_ComputerSystem { Name = \"" + name + "\"; };\n");
  for (const char* format : {"html", "text"}) {
    SCOPED_TRACE(format);
    ASSERT_EQ(0, run({"-q", "--schema", "none", "-f", format, "-o", run.Output(), collection})) << run.Err();
    uintmax_t size = 0;
    size_t holdingTheName = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(run.Output())) {
      size += entry.file_size();
      const std::string text = TToolRun::ReadFile(entry.path().string());
      // The text form wraps a long cell within its column, line after line.
      holdingTheName += std::string(format) == "text" ? static_cast<size_t>(std::count(text.begin(), text.end(), 'h')) >= name.size()
                                                      : text.find(name) != std::string::npos;
    }
    EXPECT_LT(size, 8u * name.size());
    EXPECT_GE(holdingTheName, 1u);
  }
}

// The log replaces its file: never an input of the run or a file of the user's.
TEST_F(BadInputTest, LogReplacesOnlyALogOfTheTool) {
  const std::string collection = run.Write("linux.mof", CollectionWithText("srv01"));
  const std::string notes = run.Write("notes.txt", "my notes\n");
  const std::string log = run.Path("run.log");
  const struct {
    std::string fLog;
    int fStatus;
    std::string fMessage;
  } cases[] = {
      {collection, 2, collection + ": the log file is the collection; name a new file"},
      {notes, 2, notes + ": exists and is not a log written by qzareport; name a new file"},
      {log, 0, ""},
      {log, 0, ""},  // the log of the run before
  };
  for (const auto& c : cases) {
    const TFolderSnapshot before = SnapshotOf(run.Folder());
    const int status = run({"--schema", "none", "-q", "--log", c.fLog, "-o", run.Output(), collection});
    if (c.fStatus == 0) {
      EXPECT_EQ(0, status) << run.Err();
    } else {
      ExpectRejection(status, c.fMessage + "\n", before, c.fStatus);
    }
  }
}

TEST_F(BadInputTest, MountPointIsRefusedBeforeAnythingIsWritten) {
  const std::string collection = run.Write("linux.mof", CollectionWithText("srv01"));
  fs::create_directories(run.Path("mounted"));
  if (::mount("tmpfs", run.Path("mounted").c_str(), "tmpfs", 0, "size=1m") != 0) {
    GTEST_SKIP() << "cannot mount here: " << std::strerror(errno);
  }
  const TFolderSnapshot before = SnapshotOf(run.Folder());
  const int status = run({"--schema", "none", "-q", "-o", run.Path("mounted"), collection});
  ::umount(run.Path("mounted").c_str());
  ExpectRejection(status, run.Path("mounted") + ": is a mount point; name a folder below it\n", before, 2);
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
