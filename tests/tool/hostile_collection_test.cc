// Hostile collections through the tool's entry point: each is refused, or
// read with its warnings summed up, with a message naming the file and line;
// never a hang, a crash, or the content of a file the collection had no
// business reading.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/tool/tool_running.h"

namespace {

namespace fs = std::filesystem;

struct THostileCase {
  const char* fName;
  // Writes the input into the run's folder and answers the tool's arguments.
  std::function<std::vector<std::string>(TToolRun&)> fPrepare;
  int fStatus;
  std::vector<std::string> fMessages;  // in standard error, in this order
  std::string fAbsent = "";             // never in standard error
};

void PrintTo(const THostileCase& c, std::ostream* out) { *out << c.fName; }

std::string Repeated(int count, const std::function<std::string(int)>& line) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line(i);
  return text;
}

// A chain of includes, each file naming the next.
std::vector<std::string> IncludeChain(TToolRun& run) {
  for (int i = 1; i < 10000; ++i) {
    run.Write("c" + std::to_string(i) + ".mof", "#pragma include(\"c" + std::to_string(i + 1) + ".mof\")\n");
  }
  run.Write("c10000.mof", "");
  return {"--check", run.Write("c0.mof", "\n#pragma include(\"c1.mof\")\n")};
}

// Associations keyed by two references to the one before: each level would
// double the object path (and escape it once more).
std::vector<std::string> DoublingReferenceKeys(TToolRun& run) {
  std::string text =
      "class QZA_Node { [Key] string N; };\n"
      "[Association] class QZA_Pair : QZA_Node { [Key] QZA_Node REF Left; [Key] QZA_Node REF Right; };\n";
  text += Repeated(32, [](int i) {
    int level = 32 - i;
    return "instance of QZA_Pair as $c" + std::to_string(level) + " { N = \"" + std::to_string(level) +
           "\"; Left = $c" + std::to_string(level - 1) + "; Right = $c" + std::to_string(level - 1) + "; };\n";
  });
  text += "instance of QZA_Node as $c0 { N = \"0\"; };\n";
  return {"--check", run.Write("refs.mof", text)};
}

std::vector<std::string> OutsideInclude(TToolRun& run, const std::string& extra) {
  fs::create_directories(run.Folder() + "/other");
  run.Write("other/secret.mof", "SECRETWORD class QZA_Secret { };\n");
  fs::create_directories(run.Folder() + "/case");
  std::string collection = run.Write("case/c.mof", "#pragma include(\"../other/secret.mof\")\n");
  if (extra.empty()) return {"--check", collection};
  return {"--check", extra, run.Folder() + "/other", collection};
}

const char kFan[] = "class QZA_Fan { [Key] string Name; string Serial; };\n";

class HostileCollectionTest : public ::testing::TestWithParam<THostileCase> {};

TEST_P(HostileCollectionTest, RefusedOrReadWithOneClearMessage) {
  TToolRun run("hostile");
  const int status = run(GetParam().fPrepare(run));
  EXPECT_EQ(GetParam().fStatus, status) << run.Err();
  size_t from = 0;
  for (const std::string& message : GetParam().fMessages) {
    size_t at = run.Err().find(message, from);
    EXPECT_NE(std::string::npos, at) << "'" << message << "' not in: " << run.Err().substr(0, 2000);
    from = at == std::string::npos ? from : at + message.size();
  }
  if (!GetParam().fAbsent.empty()) {
    EXPECT_EQ(std::string::npos, run.Err().find(GetParam().fAbsent)) << run.Err();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, HostileCollectionTest,
    ::testing::Values(
        THostileCase{"IncludeOfASiblingFolder", [](TToolRun& run) { return OutsideInclude(run, ""); }, 1,
                     {"c.mof:1:17: include of '../other/secret.mof' refused: a collection reads only files below"},
                     "SECRETWORD"},
        THostileCase{"IncludeOfAnAbsolutePath",
                     [](TToolRun& run) {
                       return std::vector<std::string>{
                           "--check", run.Write("c.mof", "#pragma include(\"/etc/passwd\")\n")};
                     },
                     1, {"c.mof:1:17: include of '/etc/passwd' refused"}, "root:"},
        THostileCase{"IncludeOfAFolderTheUserAllows",
                     [](TToolRun& run) { return OutsideInclude(run, "--include-dir"); }, 1,
                     {"secret.mof:1:1: expected 'class', 'instance', 'Qualifier' or '#pragma'"}},
        THostileCase{"IncludeOfAFifo",
                     [](TToolRun& run) {
                       ::mkfifo((run.Folder() + "/pipe.mof").c_str(), 0600);
                       return std::vector<std::string>{"--check",
                                                       run.Write("c.mof", "#pragma include(\"pipe.mof\")\n")};
                     },
                     1, {"c.mof:1:17: include file '", "pipe.mof' is not a regular file"}},
        THostileCase{"FifoAsTheCollection",
                     [](TToolRun& run) {
                       ::mkfifo((run.Folder() + "/pipe.mof").c_str(), 0600);
                       return std::vector<std::string>{"--check", run.Folder() + "/pipe.mof"};
                     },
                     1, {"pipe.mof: not a regular file"}},
        THostileCase{"IncludeChainTenThousandDeep", IncludeChain, 1,
                     {"c0.mof:2:17: includes nest deeper than 64 files, down to '"}},
        THostileCase{"ReferenceKeysDoublingAtEachLevel", DoublingReferenceKeys, 1,
                     {"refs.mof:", ": references nest more than 8 deep in object paths"}},
        THostileCase{"ThousandInstancesOfAnUndeclaredClass",
                     [](TToolRun& run) {
                       return std::vector<std::string>{
                           "--check",
                           run.Write("u.mof", Repeated(1000, [](int) { return "instance of QZA_Nope { V = 1; };\n"; }))};
                     },
                     0,
                     {"u.mof:1:13: instance of undeclared class 'QZA_Nope' skipped",
                      "u.mof:3:13: instance of undeclared class 'QZA_Nope' skipped",
                      "qzareport: warning: and 997 more: instances of undeclared classes skipped\n"},
                     "u.mof:4:13"},
        THostileCase{"ThousandWarningsQuiet",
                     [](TToolRun& run) {
                       return std::vector<std::string>{
                           "-q", "--check",
                           run.Write("u.mof", Repeated(1000, [](int) { return "instance of QZA_Nope { V = 1; };\n"; }))};
                     },
                     0, {}, "warning"},
        THostileCase{"InstanceHidingAnother",
                     [](TToolRun& run) {
                       return std::vector<std::string>{
                           "--check", run.Write("d.mof", std::string(kFan) +
                                                             "instance of QZA_Fan { Name = \"f\"; Serial = \"1\"; };\n"
                                                             "instance of QZA_Fan { Name = \"f\"; Serial = \"2\"; };\n")};
                     },
                     0, {"d.mof:3:13: instance of QZA_Fan has the object path of the instance at ", "d.mof:2:13, which it replaces"}},
        THostileCase{"InstanceHidingAnotherStrict",
                     [](TToolRun& run) {
                       return std::vector<std::string>{
                           "--strict", "--check",
                           run.Write("d.mof", std::string(kFan) +
                                                  "instance of QZA_Fan { Name = \"f\"; Serial = \"1\"; };\n"
                                                  "instance of QZA_Fan { Name = \"f\"; Serial = \"2\"; };\n")};
                     },
                     1, {"d.mof:3:13: instance of QZA_Fan has the object path of the instance at "}},
        THostileCase{"Utf32Collection",
                     [](TToolRun& run) {
                       return std::vector<std::string>{"--check",
                                                       run.Write("w.mof", std::string("\xFF\xFE\0\0c\0\0\0", 8))};
                     },
                     1, {"w.mof: the file is in UTF-32"}}),
    [](const ::testing::TestParamInfo<THostileCase>& info) { return std::string(info.param.fName); });

}  // namespace
