// Every output form (trace, text, inventory, HTML) of every bundled sample, and of
// the Linux comparison, matches the one stored in tests/traces/ line by line,
// so that any change of a page, a table width, a value's text or a log line
// shows. The Windows server, managed by an XCM, is reported with --xcm.
// After an intended change, tests/traces/update rewrites the stored outputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tool/tool_running.h"

namespace {

const char kUpdateCommand[] = "tests/traces/update [build/tool/qzareport]";
// What stands for the report folder in a stored output.
const char kReportFolder[] = "REPORT";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

struct TStoredOutput {
  const char* fName;
  const char* fFormat;
  std::vector<std::string> fSamples;
  std::vector<std::string> fOptions;

  // The stored file, relative to the source tree.
  std::string File() const {
    return std::string("tests/traces/") + fName + (fFormat == std::string("trace") ? ".jsonl" : std::string(".") + fFormat);
  }
};

std::vector<std::string> LinesOf(const std::string& text) {
  std::istringstream stream(text);
  std::vector<std::string> lines;
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

std::string ContentOf(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// The report folder as the update script stores it: each file in byte order
// of its name after a line "==> NAME <=="; not the folder's marker, whose
// sizes depend on the folder's path, nor the program's own stylesheet and
// script, the same in every HTML report.
std::string FolderListing(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
  for (const char* notStored : {".qzareport", "report.css", "report.js"}) names.erase(notStored);
  std::string listing;
  for (const std::string& name : names) listing += "==> " + name + " <==\n" + ContentOf(folder + "/" + name);
  return listing;
}

std::vector<std::string> OutputOf(TToolRun& run, const TStoredOutput& stored) {
  std::vector<std::string> arguments = {"-q", "-f", stored.fFormat, "-o", run.Output()};
  // Text pages are as wide as the terminal: stored ones as wide as none.
  if (stored.fFormat == std::string("text")) arguments.push_back("--width=120");
  arguments.insert(arguments.end(), stored.fOptions.begin(), stored.fOptions.end());
  for (const std::string& sample : stored.fSamples) arguments.push_back(std::string(QZA_SOURCE_DIR) + "/samples/" + sample + ".mof");
  const int status = run(arguments);
  EXPECT_EQ(0, status) << run.Err();
  if (status != 0) return {};
  const std::string output =
      stored.fFormat == std::string("trace") ? run.Read("trace.jsonl") : FolderListing(run.Output());
  return LinesOf(Replaced(output, run.Output(), kReportFolder));
}

// Long lines are shown by their start: the first difference is what matters.
std::string Shown(const std::string& line) {
  const size_t kShown = 400;
  return line.size() <= kShown ? line : line.substr(0, kShown) + "...";
}

// Test output names the case, not its bytes.
void PrintTo(const TStoredOutput& c, std::ostream* out) { *out << c.File(); }

class StoredOutputTest : public ::testing::TestWithParam<TStoredOutput> {};

TEST_P(StoredOutputTest, RegeneratedOutputMatchesTheStoredOne) {
  const TStoredOutput& stored = GetParam();
  const std::vector<std::string> expected = LinesOf(ContentOf(std::string(QZA_SOURCE_DIR) + "/" + stored.File()));
  ASSERT_FALSE(expected.empty()) << "no stored output " << stored.File() << "; run " << kUpdateCommand;
  TToolRun run(std::string("stored-") + stored.fName + "-" + stored.fFormat);
  const std::vector<std::string> actual = OutputOf(run, stored);
  ASSERT_FALSE(actual.empty());
  for (size_t i = 0; i < expected.size() && i < actual.size(); ++i) {
    if (expected[i] != actual[i]) {
      FAIL() << stored.File() << " differs first at line " << i + 1 << "\n  stored: " << Shown(expected[i])
             << "\n  now:    " << Shown(actual[i]) << "\nIf the change is intended, run " << kUpdateCommand;
    }
  }
  EXPECT_EQ(expected.size(), actual.size())
      << stored.File() << " has " << expected.size() << " lines, the output now " << actual.size()
      << (expected.size() < actual.size() ? "; the first new line: " + Shown(actual[expected.size()])
                                          : "; the first lost line: " + Shown(expected[actual.size()]))
      << "\nIf the change is intended, run " << kUpdateCommand;
}

std::vector<TStoredOutput> StoredOutputs() {
  const std::vector<const char*> kEveryFormat = {"trace", "text", "inventory", "html"};
  const struct {
    const char* fName;
    std::vector<std::string> fSamples;
    std::vector<std::string> fOptions;
    std::vector<const char*> fFormats;
  } kCases[] = {
      {"linux-server", {"linux-server"}, {}, kEveryFormat},
      {"linux-server-later", {"linux-server-later"}, {}, kEveryFormat},
      {"windows-server", {"windows-server"}, {"--xcm"}, kEveryFormat},
      {"preboot", {"preboot"}, {}, kEveryFormat},
      {"esxi-host", {"esxi-host"}, {}, kEveryFormat},
      {"linux-comparison", {"linux-server", "linux-server-later"}, {}, kEveryFormat},
      // --ignore (any letter case, * for every class) leaves the MTU change
      // and every serial number out of the comparison.
      {"linux-comparison-ignoring",
       {"linux-server", "linux-server-later"},
       {"--ignore=vkxsg_physicalnetworkport.ACTIVEMAXIMUMTRANSMISSIONUNIT", "--ignore=*.SerialNumber"},
       {"inventory"}},
      // The pages of the "luz" mode, raw-data pages among them (HTML only).
      {"linux-server-luz", {"linux-server"}, {"--mode=luz", "--writer-type=html"}, {"trace"}},
      {"windows-server-luz", {"windows-server"}, {"--xcm", "--mode=luz", "--writer-type=html"}, {"trace"}},
  };
  std::vector<TStoredOutput> outputs;
  for (const auto& c : kCases) {
    for (const char* format : c.fFormats) outputs.push_back(TStoredOutput{c.fName, format, c.fSamples, c.fOptions});
  }
  return outputs;
}

INSTANTIATE_TEST_SUITE_P(Samples, StoredOutputTest, ::testing::ValuesIn(StoredOutputs()),
                         [](const ::testing::TestParamInfo<TStoredOutput>& info) {
                           std::string name = std::string(info.param.fName) + "_" + info.param.fFormat;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
