// The trace of every bundled sample (and of the Linux comparison; the
// Windows server, managed by an XCM, with --xcm) matches
// the trace stored in tests/traces/ line by line, so that a change of the
// library that changes any output call shows. After an intended change,
// tests/traces/update rewrites the stored traces.
#include <gtest/gtest.h>

#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "tests/host/trace_reading.h"

namespace {

const char kUpdateCommand[] = "tests/traces/update [build/host/qzareport]";

struct TStoredTrace {
  const char* fName;
  std::vector<std::string> fSamples;
  std::vector<std::string> fOptions;
};

std::vector<std::string> StoredLines(const std::string& name) {
  std::ifstream file(std::string(QZA_SOURCE_DIR) + "/tests/traces/" + name + ".jsonl");
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

// Long lines are shown by their start: the first difference is what matters.
std::string Shown(const std::string& line) {
  const size_t kShown = 400;
  return line.size() <= kShown ? line : line.substr(0, kShown) + "...";
}

// Test output names the case, not its bytes.
void PrintTo(const TStoredTrace& c, std::ostream* out) { *out << c.fName; }

class StoredTraceTest : public ::testing::TestWithParam<TStoredTrace> {};

TEST_P(StoredTraceTest, RegeneratedTraceMatchesTheStoredOne) {
  const TStoredTrace& stored = GetParam();
  const std::vector<std::string> expected = StoredLines(stored.fName);
  ASSERT_FALSE(expected.empty()) << "no stored trace tests/traces/" << stored.fName << ".jsonl; run "
                                 << kUpdateCommand;
  TToolRun run(std::string("stored-trace-") + stored.fName);
  const std::vector<std::string> actual = trace_reading::TraceOf(run, stored.fSamples, stored.fOptions);
  ASSERT_FALSE(actual.empty());
  for (size_t i = 0; i < expected.size() && i < actual.size(); ++i) {
    if (expected[i] != actual[i]) {
      FAIL() << "tests/traces/" << stored.fName << ".jsonl differs first at line " << i + 1 << "\n  stored: "
             << Shown(expected[i]) << "\n  now:    " << Shown(actual[i])
             << "\nIf the change is intended, run " << kUpdateCommand;
    }
  }
  EXPECT_EQ(expected.size(), actual.size())
      << "tests/traces/" << stored.fName << ".jsonl has " << expected.size() << " lines, the trace now "
      << actual.size() << "; if the change is intended, run " << kUpdateCommand;
}

INSTANTIATE_TEST_SUITE_P(
    Samples, StoredTraceTest,
    ::testing::Values(TStoredTrace{"linux-server", {"linux-server"}, {}},
                      TStoredTrace{"linux-server-later", {"linux-server-later"}, {}},
                      TStoredTrace{"windows-server", {"windows-server"}, {"--xcm"}},
                      TStoredTrace{"preboot", {"preboot"}, {}},
                      TStoredTrace{"esxi-host", {"esxi-host"}, {}},
                      TStoredTrace{"linux-comparison", {"linux-server", "linux-server-later"}, {}}),
    [](const ::testing::TestParamInfo<TStoredTrace>& info) { return trace_reading::TestNameOf(info.param.fName); });

}  // namespace
