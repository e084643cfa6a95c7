// The fleet page and a host's own report, through `qzareport fleet`
// in-process, on a fleet of the bundled samples.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/forms/html/html_inspection.h"
#include "tests/fleet/fleet_running.h"

namespace fs = std::filesystem;

namespace {

TRun RunQuietly(std::vector<std::string> arguments) {
  arguments.push_back("-q");
  return RunFleet(arguments);
}

class FleetPageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::setenv("QZA_DATA_DIR", QZA_SOURCE_DIR, 0);
    fs::remove_all(Folder());
    fs::create_directories(Folder());
    std::vector<std::string> add{"add", Database()};
    for (const char* sample : {"esxi-host", "linux-server", "linux-server-later", "preboot", "windows-server"}) {
      add.push_back(std::string(QZA_SOURCE_DIR) + "/samples/" + sample + ".mof");
    }
    // A copy of other content (the bundled schema in place of its include),
    // taken at the same time, added later: WINSQL02's latest.
    std::stringstream sample;
    sample << std::ifstream(add.back()).rdbuf();
    std::string copy = sample.str();
    copy.erase(copy.find("#pragma include"), copy.find("#pragma namespace") - copy.find("#pragma include"));
    std::ofstream(Moved()) << copy;
    add.push_back(Moved());
    const TRun run = RunQuietly(add);
    ASSERT_EQ(run.fStatus, 0) << run.fErr;
  }
  static void TearDownTestSuite() { fs::remove_all(Folder()); }

  static std::string Folder() { return (fs::temp_directory_path() / ("qza-fleet-page-" + std::to_string(::getpid()))).string(); }
  static std::string Database() { return Folder() + "/fleet.db"; }
  static std::string Moved() { return Folder() + "/moved.mof"; }
};

TEST_F(FleetPageTest, ThePageListsEveryHostFailingFirstAndLinksTheirReports) {
  const std::string page = Folder() + "/page";
  ASSERT_EQ(RunQuietly({"report", Database(), "-o", page, "--with-hosts"}).fStatus, 0);
  const THtmlInspection html = InspectHtmlFile(page + "/index.html");
  EXPECT_TRUE(html.fProblems.empty()) << html.fProblems.front();
  // The header row, then the hosts: a degraded RAID volume and most errors,
  // a degraded RAID volume, a sensor not OK, warnings only.
  const std::vector<THtmlElement> rows = html.Elements("tr");
  const char* kOrder[] = {"WINSQL02", "SYSTEM", "rhel-db01.lab.example.com", "(no host name: collection 1)"};
  ASSERT_GT(rows.size(), std::size(kOrder));
  for (size_t i = 0; i < std::size(kOrder); ++i) EXPECT_EQ(rows[i + 1].fText.rfind(kOrder[i], 0), 0) << rows[i + 1].fText;
  EXPECT_NE(rows[1].fText.find("1 RAID volume not optimal"), std::string::npos) << rows[1].fText;
  EXPECT_TRUE(html.HasText("2026-11-27 14:12:40 +00:00"));  // rhel-db01's later collection only
  EXPECT_FALSE(html.HasText("2026-11-20 19:30:05"));
  size_t linked = 0;
  for (const THtmlElement& link : html.Elements("a")) {
    if (link.Get("href").rfind("hosts/", 0) != 0) continue;
    EXPECT_TRUE(fs::exists(page + "/" + link.Get("href"))) << link.Get("href");
    ++linked;
  }
  EXPECT_EQ(linked, 4u);
}

TEST_F(FleetPageTest, AHostsReportIsItsLatestCollectionsReport) {
  const std::string report = Folder() + "/rhel";
  ASSERT_EQ(RunQuietly({"host", Database(), "rhel-db01.lab.example.com", "-o", report}).fStatus, 0);
  EXPECT_TRUE(InspectHtmlFile(report + "/index.html").HasText("2026-11-27"));
  // A host without a name is named by its folder on the page.
  EXPECT_EQ(RunQuietly({"host", Database(), "_1", "-o", Folder() + "/esxi"}).fStatus, 0);
}

TEST_F(FleetPageTest, AHostWhoseSourceIsGoneOrUnknownIsRefused) {
  fs::rename(Moved(), Moved() + ".away");
  const TRun gone = RunQuietly({"host", Database(), "WINSQL02", "-o", Folder() + "/gone"});
  fs::rename(Moved() + ".away", Moved());
  EXPECT_EQ(gone.fStatus, 1);
  EXPECT_NE(gone.fErr.find("moved.mof is gone"), std::string::npos) << gone.fErr;
  EXPECT_FALSE(fs::exists(Folder() + "/gone/index.html"));
  EXPECT_EQ(RunQuietly({"host", Database(), "nohost", "-o", Folder() + "/none"}).fStatus, 1);
  EXPECT_EQ(RunQuietly({"report", Database()}).fStatus, 2);
}

}  // namespace
