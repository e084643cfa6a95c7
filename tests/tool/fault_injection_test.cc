// Reliability of a whole HTML report: whichever call into the core fails, the
// report must still be written with every category and only sound pages.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/status.h"
#include "tool/collections.h"
#include "forms/html/html_writer.h"
#include "report/report.h"
#include "tests/forms/html/html_inspection.h"

namespace fs = std::filesystem;
using namespace NVKXQZA20;

namespace {

// The categories of the sample's report, in order.
const std::vector<std::string> kCategories = {"Software", "Hardware", "Linux Logs", "SP Logs", "Analysis"};
// An operating-system type that cannot be read is an unknown type: its log
// category stays without title and pages.
const std::vector<std::string> kCategoriesWithoutOSLogs = {"Software", "Hardware", "SP Logs", "Analysis"};
// Runs beyond the first ones, spread evenly over the whole report.
const uint64_t kFirstCalls = 30;
const uint64_t kSpreadRuns = 120;

// Probes run between the opening of a category and its first page (the
// operating system's type decides the log category's title).
const uint64_t kCallsAfterOpening = 8;

class TCategoryRecordingWriter : public THtmlWriter {
 public:
  TCategoryRecordingWriter(TWriterSettings settings, const TMemoryNamespace& ns)
      : THtmlWriter(std::move(settings)), fNamespace(ns) {}
  void BeginNextCategory() override {
    fOpenings.push_back(fNamespace.GetCallCount());
    THtmlWriter::BeginNextCategory();
  }
  void WriteCategoryTitle(std::string title) override {
    fCategories.push_back(title);
    THtmlWriter::WriteCategoryTitle(title);
  }
  const TMemoryNamespace& fNamespace;
  std::vector<std::string> fCategories;
  std::vector<uint64_t> fOpenings;  // calls made before each later category opened
};

struct TRunOutcome {
  std::string fEscaped;  // what escaped Write, "" when nothing did
  std::vector<std::string> fCategories;
  std::vector<uint64_t> fOpenings;
  uint64_t fCalls = 0;
};

class FaultInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("qza-fault-test-" + std::to_string(::getpid()));
    fs::remove_all(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  static boost::shared_ptr<TMemoryNamespace> LoadSample() {
    TLoadSettings settings;
    settings.fCollections = {std::string(QZA_SOURCE_DIR) + "/samples/linux-server.mof"};
    settings.fSchemaFiles = SchemaFilesOf(std::string(QZA_SOURCE_DIR) + "/schema");
    return LoadCollections(settings).fNamespace;
  }

  // One full report on a freshly loaded repository (the repairs change it),
  // with the fault at the given call (0 for none).
  TRunOutcome RunReport(uint64_t faultAt, TQZAStatusCode code) {
    fs::remove_all(folder);
    boost::shared_ptr<TMemoryNamespace> ns = LoadSample();
    TCIMContext context;
    context["mode"] = TCIMValue("default");
    context["nNamespaces"] = TCIMValue(static_cast<uint32_t>(1));
    TReport report(ns, context, folder.string());
    TCategoryRecordingWriter writer(TWriterSettings{folder.string(), "", "", "html"}, *ns);
    TRunOutcome outcome;
    ns->InjectFault(faultAt, code);
    try {
      report.Write(&writer, context);
    } catch (const std::exception& error) {
      outcome.fEscaped = std::string("exception: ") + error.what();
    } catch (...) {
      outcome.fEscaped = "unknown exception";
    }
    outcome.fCalls = ns->GetCallCount();
    ns->InjectFault(0, kQZAOk);
    outcome.fCategories = writer.fCategories;
    outcome.fOpenings = writer.fOpenings;
    return outcome;
  }

  // The pages the index links to, and every other page written, exist and
  // parse without complaint. Returns the first problem found.
  std::string ReportProblem() const {
    const fs::path index = folder / "index.html";
    if (!fs::exists(index)) return "no index.html";
    std::set<std::string> pages;
    for (const THtmlElement& link : InspectHtmlFile(index.string()).Elements("a")) {
      const std::string target = link.Get("href").substr(0, link.Get("href").find('#'));
      if (target.size() > 5 && target.compare(target.size() - 5, 5, ".html") == 0 &&
          target.find(':') == std::string::npos) {
        pages.insert(target);
      }
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() == ".html") pages.insert(entry.path().filename().string());
    }
    for (const std::string& page : pages) {
      const fs::path path = folder / page;
      if (!fs::exists(path)) return page + ": linked but missing";
      const THtmlInspection inspection = InspectHtmlFile(path.string());
      if (!inspection.fProblems.empty()) return page + ": " + inspection.fProblems.front();
    }
    return "";
  }

  // Every call up to kFirstCalls, the calls right after each category
  // opens, then kSpreadRuns calls spread evenly.
  static std::vector<uint64_t> FaultPoints(const TRunOutcome& clean) {
    const uint64_t callCount = clean.fCalls;
    std::vector<uint64_t> points;
    for (uint64_t opening : clean.fOpenings) {
      for (uint64_t k = 1; k <= kCallsAfterOpening; ++k) points.push_back(opening + k);
    }
    for (uint64_t k = 1; k <= std::min(callCount, kFirstCalls); ++k) points.push_back(k);
    if (callCount > kFirstCalls) {
      const uint64_t rest = callCount - kFirstCalls;
      const uint64_t runs = std::min(rest, kSpreadRuns);
      for (uint64_t i = 1; i <= runs; ++i) points.push_back(kFirstCalls + i * rest / runs);
    }
    return points;
  }

  fs::path folder;
};

TEST_F(FaultInjectionTest, CleanReportOpensEveryCategoryAndWritesSoundPages) {
  const TRunOutcome outcome = RunReport(0, kQZAOk);
  EXPECT_EQ("", outcome.fEscaped);
  EXPECT_EQ(kCategories, outcome.fCategories);
  EXPECT_GT(outcome.fCalls, kFirstCalls);
  EXPECT_EQ("", ReportProblem());
}

TEST_F(FaultInjectionTest, AFailingCoreCallAnywhereLeavesACompleteReport) {
  const TRunOutcome clean = RunReport(0, kQZAOk);
  const uint64_t callCount = clean.fCalls;
  const std::vector<uint64_t> points = FaultPoints(clean);
  size_t failures = 0;
  for (size_t i = 0; i < points.size() && failures < 10; ++i) {
    // Statuses and foreign exceptions alternate.
    const TQZAStatusCode code = i % 2 == 0 ? kQZAFailed : kQZAOk;
    const TRunOutcome outcome = RunReport(points[i], code);
    // The writer's preparation passes failures of the core on; the tool
    // reports them. Once the first category is open, nothing may escape.
    if (outcome.fCategories.empty() && outcome.fEscaped.rfind("exception: ", 0) == 0) continue;
    const bool allCategories =
        outcome.fCategories == kCategories || outcome.fCategories == kCategoriesWithoutOSLogs;
    const std::string problem =
        !allCategories ? std::to_string(outcome.fCategories.size()) + " categories" : ReportProblem();
    if (outcome.fEscaped.empty() && problem.empty()) continue;
    ++failures;
    ADD_FAILURE() << "fault at call " << points[i] << " of " << callCount << " ("
                  << (code == kQZAOk ? "runtime_error" : "kQZAFailed") << "): " << outcome.fEscaped << " "
                  << problem;
  }
}

}  // namespace
