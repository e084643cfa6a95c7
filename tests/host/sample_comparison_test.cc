// The bundled Linux sample compared with the collection made a week later:
// the differences planted in linux-server-later.mof (UEFI updated, DIMM 5
// replaced, tcpdump installed, telnet removed, MTU of eno2 raised to 9000)
// appear on the written pages, and what stayed the same does not.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/host/html_inspection.h"
#include "tests/host/tool_running.h"

namespace {

typedef std::vector<std::string> TRow;

const std::string kBase = std::string(QZA_SOURCE_DIR) + "/samples/linux-server.mof";
const std::string kLater = std::string(QZA_SOURCE_DIR) + "/samples/linux-server-later.mof";
// The collections are of one machine, so each is labelled by its collection time.
const char kLaterLabel[] = "2026-11-27 09:12:40";

std::string CellText(const nlohmann::json& cell) {
  return cell.is_string() ? cell.get<std::string>() : cell["text"].get<std::string>();
}

TRow RowTexts(const nlohmann::json& row) {
  TRow texts;
  for (const nlohmann::json& cell : row) texts.push_back(CellText(cell));
  return texts;
}

bool IsDifferenceGrid(const nlohmann::json& table) {
  return !table["labels"].empty() && table["labels"][0] == "Data Source";
}

// What one inventory page of a comparison shows.
struct TComparisonPage {
  // Rows of the difference grids ({property, base value, later value}),
  // under the first cell of the instance row written above them.
  std::map<std::string, std::vector<TRow>> fChanged;
  std::vector<TRow> fMissing;  // rows under "Missing from ..."
  std::vector<TRow> fUnique;   // rows under "Unique to ..."
  std::vector<std::string> fTexts;  // every cell

  bool Shows(const std::string& text) const {
    return std::find(fTexts.begin(), fTexts.end(), text) != fTexts.end();
  }
};

TComparisonPage ComparisonPageOf(const nlohmann::json& document) {
  TComparisonPage page;
  std::string instance;
  std::vector<TRow>* listed = nullptr;
  for (const nlohmann::json& table : document["tables"]) {
    const std::string title = table["title"];
    if (title.rfind("Missing from ", 0) == 0) listed = &page.fMissing;
    if (title.rfind("Unique to ", 0) == 0) listed = &page.fUnique;
    for (const nlohmann::json& row : table["rows"]) {
      const TRow texts = RowTexts(row);
      page.fTexts.insert(page.fTexts.end(), texts.begin(), texts.end());
      if (IsDifferenceGrid(table)) {
        page.fChanged[instance].push_back(texts);
      } else if (listed) {
        listed->push_back(texts);
      } else if (!texts.empty()) {
        instance = texts.front();
      }
    }
    // An instance row of the base follows a missing or unique instance.
    if (!IsDifferenceGrid(table) && title.rfind("Missing from ", 0) != 0 && title.rfind("Unique to ", 0) != 0) {
      listed = nullptr;
    }
  }
  return page;
}

bool ListsName(const std::vector<TRow>& rows, const std::string& name) {
  return std::any_of(rows.begin(), rows.end(), [&](const TRow& row) { return !row.empty() && row[0] == name; });
}

class SampleComparisonTest : public ::testing::Test {
 protected:
  SampleComparisonTest() : fRun("sample-comparison") {}

  void Compare(const std::string& format, std::vector<std::string> more = {}) {
    std::vector<std::string> arguments = {"-q", "-f", format, "-o", fRun.Output()};
    arguments.insert(arguments.end(), more.begin(), more.end());
    arguments.push_back(kBase);
    arguments.push_back(kLater);
    ASSERT_EQ(fRun(arguments), 0) << fRun.Err();
  }

  TComparisonPage InventoryPage(const std::string& link) const {
    return ComparisonPageOf(nlohmann::json::parse(fRun.Read(link + ".json")));
  }

  // The HTML page the index links under that name.
  THtmlInspection HtmlPage(const std::string& name) const {
    for (const THtmlElement& link : InspectHtmlFile(fRun.OutputFile("index.html")).Elements("a")) {
      if (link.fText == name) return InspectHtmlFile(fRun.OutputFile(link.Get("href")));
    }
    ADD_FAILURE() << "no page " << name;
    return THtmlInspection();
  }

  TToolRun fRun;
};

TEST_F(SampleComparisonTest, InventoryShowsEachPlantedDifferenceAndNothingThatStayed) {
  Compare("inventory");

  const TComparisonPage firmware = InventoryPage("firmware");
  const std::vector<TRow>& uefi = firmware.fChanged.at("UEFI");
  EXPECT_NE(std::find(uefi.begin(), uefi.end(), TRow({"Version", "3.30", "3.40"})), uefi.end());
  EXPECT_NE(std::find(uefi.begin(), uefi.end(), TRow({"Build Number", "QKB170L", "QKB176J"})), uefi.end());
  EXPECT_FALSE(firmware.Shows("BMC (Primary)")) << "firmware that was not updated";

  const TComparisonPage hardware = InventoryPage("hw_info");
  ASSERT_EQ(hardware.fChanged.count("DIMM 5"), 1u);
  EXPECT_EQ(hardware.fChanged.at("DIMM 5"), std::vector<TRow>({{"Serial Number", "3A1F33A5", "3A2B71C4"}}));
  EXPECT_FALSE(hardware.Shows("DIMM 3")) << "an unchanged DIMM";

  const TComparisonPage packages = InventoryPage("installed_packages");
  EXPECT_EQ(packages.fMissing.size(), 1u);
  EXPECT_TRUE(ListsName(packages.fMissing, "telnet"));
  EXPECT_EQ(packages.fUnique.size(), 1u);
  EXPECT_TRUE(ListsName(packages.fUnique, "tcpdump"));
  EXPECT_TRUE(packages.fChanged.empty());
  EXPECT_FALSE(packages.Shows("vim-enhanced")) << "a package in both collections";

  const TComparisonPage network = InventoryPage("net");
  ASSERT_EQ(network.fChanged.count("eno2"), 1u);
  EXPECT_EQ(network.fChanged.at("eno2"), std::vector<TRow>({{"MTU", "1500", "9000"}}));

  const TComparisonPage overview = InventoryPage("system_overview");
  EXPECT_FALSE(overview.Shows("rhel-db01.lab.example.com")) << "the host name is the same";
}

TEST_F(SampleComparisonTest, HtmlShowsEachPlantedDifferenceAndNothingThatStayed) {
  Compare("html");
  const struct {
    const char* page;
    std::vector<std::string> shown;      // in one table, in this order
    std::vector<std::string> notShown;  // in no table
  } cases[] = {
      {"Firmware/VPD", {"Version", "3.30", "3.40"}, {"BMC (Primary)"}},
      {"Hardware Inventory", {"Serial Number", "3A1F33A5", "3A2B71C4"}, {"DIMM 3"}},
      {"Installed Packages", {"telnet", "0.17-76.el8"}, {"vim-enhanced"}},
      {"Installed Packages", {"tcpdump", "4.9.3-3.el8_9.1"}, {}},
      {"Network Settings", {"MTU", "1500", "9000"}, {}},
      {"System Overview", {"Local Date/Time", "2026-11-20 14:30:05", kLaterLabel}, {"rhel-db01.lab.example.com"}},
  };
  for (const auto& c : cases) {
    const THtmlInspection page = HtmlPage(c.page);
    EXPECT_TRUE(page.fProblems.empty()) << c.page;
    bool found = false;
    for (const THtmlElement& table : page.Elements("table")) {
      size_t at = 0;
      for (const std::string& text : c.shown) {
        at = table.fText.find(text, at);
        if (at == std::string::npos) break;
      }
      found |= at != std::string::npos;
    }
    EXPECT_TRUE(found) << c.page << ": " << c.shown.front();
    for (const std::string& text : c.notShown) {
      for (const THtmlElement& table : page.Elements("table")) {
        EXPECT_EQ(table.fText.find(text), std::string::npos) << c.page << ": " << text;
      }
    }
  }
  const THtmlInspection packages = HtmlPage("Installed Packages");
  EXPECT_TRUE(packages.HasText(std::string("Missing from ") + kLaterLabel));
  EXPECT_TRUE(packages.HasText(std::string("Unique to ") + kLaterLabel));
}

// --ignore leaves the property out of the comparison; the rest stays.
TEST_F(SampleComparisonTest, IgnoredPropertyIsNotReported) {
  Compare("inventory", {"--ignore", "vkxsg_physicalnetworkport.ACTIVEMAXIMUMTRANSMISSIONUNIT", "--ignore",
                        "*.SerialNumber"});
  EXPECT_EQ(InventoryPage("net").fChanged.count("eno2"), 0u);
  EXPECT_FALSE(InventoryPage("hw_info").Shows("3A2B71C4"));
  EXPECT_EQ(InventoryPage("firmware").fChanged.count("UEFI"), 1u);
}

}  // namespace
