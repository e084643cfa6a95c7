// The index of an HTML comparison report: it says it is a comparison, names
// the compared collections by the labels the pages use, and counts beside
// each page the instances the page shows as changed, missing or unique.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/html_inspection.h"
#include "tests/host/tool_running.h"

namespace {

// Two collections of one machine, a week apart: the UEFI updated, telnet
// removed, tcpdump installed, bash unchanged.
const char kCollection[] = R"(
instance of VKXSG_QZAProduct { Name = "QZA"; Version = "1.3"; Build = "QZA 9.61 build 12"; };
instance of VKXSG_ComputerSystem {
  CreationClassName = "VKXSG_ComputerSystem"; Name = "srv01"; SerialNumber = "KQ123"; Manufacturer = "VKX"; };
instance of VKXSG_OperatingSystem {
  CreationClassName = "VKXSG_OperatingSystem"; Name = "Red Hat Enterprise Linux 8.9"; OSType = 36; Version = "8.9"; };
instance of VKXSG_InstalledRPM { ProductName = "bash"; ProductVersion = "4.4.20"; };
)";

const char kBase[] = R"(
instance of VKXSG_TimeZone { InstanceID = "VKX:TimeZone:0"; LocalDateTime = "20261120143005.000000-300"; };
instance of VKXSG_InstalledRPM { ProductName = "telnet"; ProductVersion = "0.17"; };
instance of VKXSG_BIOSElement { Name = "UEFI"; SoftwareElementID = "UEFI-1"; Version = "3.30"; BuildNumber = "QKB170L"; };
)";

const char kLater[] = R"(
instance of VKXSG_TimeZone { InstanceID = "VKX:TimeZone:0"; LocalDateTime = "20261127091240.000000-300"; };
instance of VKXSG_InstalledRPM { ProductName = "tcpdump"; ProductVersion = "4.9.3"; };
instance of VKXSG_BIOSElement { Name = "UEFI"; SoftwareElementID = "UEFI-1"; Version = "3.40"; BuildNumber = "QKB176J"; };
)";

// The badge beside the page's entry in the contents.
std::string BadgeOf(const THtmlInspection& index, const std::string& page) {
  for (const THtmlElement& item : index.Elements("li")) {
    if (item.fText == page) return "";
    if (item.fText.rfind(page + " ", 0) == 0) return item.fText.substr(page.size() + 1);
  }
  return "no entry";
}

std::vector<std::string> TextsOf(const std::vector<THtmlElement>& elements) {
  std::vector<std::string> texts;
  for (const THtmlElement& element : elements) texts.push_back(element.fText);
  return texts;
}

TEST(ComparisonIndexTest, NamesTheCollectionsAndCountsTheDifferencesOfEachPage) {
  TToolRun run("comparison-index");
  const std::string base = run.Write("base.mof", std::string(kCollection) + kBase);
  const std::string later = run.Write("later.mof", std::string(kCollection) + kLater);
  ASSERT_EQ(run({"-q", "-o", run.Output(), base, later}), 0) << run.Err();

  const THtmlInspection index = InspectHtmlFile(run.OutputFile("index.html"));
  EXPECT_TRUE(index.fProblems.empty());
  EXPECT_EQ(TextsOf(index.Elements("title")), std::vector<std::string>({"Comparison report of srv01"}));
  EXPECT_EQ(TextsOf(index.Elements("h1")), std::vector<std::string>({"Comparison report of srv01"}));
  // The labels of the comparison pages' titles and grids: collection times.
  EXPECT_EQ(TextsOf(index.Elements("strong")),
            std::vector<std::string>({"2026-11-20 14:30:05", "2026-11-27 09:12:40"}));
  EXPECT_TRUE(index.HasText(" (the base) with "));
  EXPECT_TRUE(index.HasText("changed (a value differs from the base)"));

  EXPECT_EQ(BadgeOf(index, "Installed Packages"), "1 missing, 1 unique");
  EXPECT_EQ(BadgeOf(index, "Firmware/VPD"), "1 changed");
  EXPECT_EQ(BadgeOf(index, "Hardware Inventory"), "no differences");
}

TEST(ComparisonIndexTest, AReportOfOneCollectionIsNoComparison) {
  TToolRun run("comparison-index");
  const std::string base = run.Write("base.mof", std::string(kCollection) + kBase);
  ASSERT_EQ(run({"-q", "-o", run.Output(), base}), 0) << run.Err();

  const THtmlInspection index = InspectHtmlFile(run.OutputFile("index.html"));
  EXPECT_EQ(TextsOf(index.Elements("h1")), std::vector<std::string>({"System report of srv01"}));
  EXPECT_FALSE(index.HasText("(the base)"));
  EXPECT_EQ(BadgeOf(index, "Installed Packages"), "");
}

}  // namespace
