#include "host/esxi_host_writer.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "esxi/report_vmwesxi.h"
#include "host/collections.h"
#include "host/text_writer.h"
#include "tests/host/html_inspection.h"
#include "tests/host/tool_running.h"

namespace {

using nlohmann::json;

const std::string kEsxiSample = std::string(QZA_SOURCE_DIR) + "/samples/esxi-host.mof";

// The ESXi report's pages in report order: link name and page name.
const std::vector<std::pair<std::string, std::string>> kEsxiPages = {
    {"system_overview", "System Overview"},
    {"installedapps", "Installed Applications"},
    {"kernelmodules", "Kernel Modules"},
    {"net", "Network Settings"},
    {"resource", "Resource Utilization"},
    {"process", "Processes"},
    {"os_config", "OS Configuration"},
    {"linux_config", "Linux Config Files"},
    {"hardware_inventory", "Hardware Inventory"},
    {"pci_info", "PCI Information"},
    {"firmware", "Firmware/VPD"},
    {"SPConfig", "XCM Configuration"},
    {"environmentals", "Environmentals"},
    {"drive_health", "Drive Health"},
    {"lsi_mir", "LSI Controller"},
    {"lsiide", "LSI IDE Controller"},
    {"pmc", "PMC RAID"},
    {"keelraid", "KeelRAID"},
    {"keelRaidlogs", "KeelRAID Logs"},
    {"qlogic", "Qlogic"},
    {"emulex", "Emulex"},
    {"brocade_adapter", "Brocade Adapter"},
    {"glowline", "Glow Line"},
    {"bist", "XCM Built-in Self Test"},
    {"chassis_event", "Chassis Event Log"},
    {"ipmi_event", "IPMI Event"},
    {"mergedlog", "Merged Logs"},
    {"mergedDevices", "Merged Devices"},
    {"vmware_privilege_log", "VMware Privilege Log"},
    {"qza_log", "QZA Error Log"},
};

// A value of the sample's hardware inventory, to see that cells carry the data.
const char kRaidAdapter[] = "Brantwell RAID 740-8q";

std::vector<std::pair<std::string, std::string>> Pages(const json& index) {
  std::vector<std::pair<std::string, std::string>> pages;
  for (const json& page : index.at("pages")) pages.emplace_back(page.at("link"), page.at("page"));
  return pages;
}

TEST(EsxiHostWriter, TraceRegistersTheWholeEsxiSequence) {
  TToolRun run("esxi-trace");
  ASSERT_EQ(run({"-f", "trace", "-o", run.Output(), kEsxiSample}), 0) << run.Err();
  std::vector<std::pair<std::string, std::string>> registered;
  std::istringstream lines(run.Read("trace.jsonl"));
  for (std::string line; std::getline(lines, line);) {
    json call = json::parse(line);
    if (call.at(0) == "RegisterPage") registered.emplace_back(call.at(1), call.at(2));
  }
  EXPECT_EQ(registered, kEsxiPages);
}

TEST(EsxiHostWriter, HtmlReportHasAParsingPageForEveryPageInIndexOrder) {
  TToolRun run("esxi-html");
  ASSERT_EQ(run({"-f", "html", "-o", run.Output(), kEsxiSample}), 0) << run.Err();
  THtmlInspection index = InspectHtmlFile(run.OutputFile("index.html"));
  EXPECT_TRUE(index.fProblems.empty()) << index.fProblems.front();
  std::vector<std::pair<std::string, std::string>> linked;
  for (const THtmlElement& link : index.Elements("a")) {
    std::pair<std::string, std::string> page{link.Get("href"), link.fText};
    if (link.HasClass("home") || std::find(linked.begin(), linked.end(), page) != linked.end()) continue;
    linked.push_back(page);
  }
  std::vector<std::pair<std::string, std::string>> expected;
  for (const auto& page : kEsxiPages) expected.emplace_back(page.first + ".html", page.second);
  EXPECT_EQ(linked, expected);
  for (const auto& page : expected) {
    THtmlInspection inspection = InspectHtmlFile(run.OutputFile(page.first));
    EXPECT_TRUE(inspection.fProblems.empty()) << page.first << ": " << inspection.fProblems.front();
    // A page that hides its title still heads its table with it.
    std::vector<std::string> headings;
    for (const char* level : {"h1", "h2"}) {
      for (const THtmlElement& heading : inspection.Elements(level)) headings.push_back(heading.fText);
    }
    EXPECT_NE(std::find(headings.begin(), headings.end(), page.second), headings.end()) << page.first;
  }
  EXPECT_TRUE(InspectHtmlFile(run.OutputFile("hardware_inventory.html")).HasText(kRaidAdapter));
}

TEST(EsxiHostWriter, TextReportHasAFileForEveryPageListedInTheIndex) {
  TToolRun run("esxi-text");
  ASSERT_EQ(run({"-f", "text", "-o", run.Output(), kEsxiSample}), 0) << run.Err();
  const std::string index = run.Read("index.txt");
  size_t previous = 0;
  for (const auto& page : kEsxiPages) {
    size_t listed = index.find(page.second + " ", previous);
    ASSERT_NE(listed, std::string::npos) << page.second << " missing or out of order";
    previous = listed;
    EXPECT_EQ(run.Read(page.first + ".txt").rfind(page.second + "\n", 0), 0u) << page.first;
  }
  EXPECT_NE(run.Read("hardware_inventory.txt").find(kRaidAdapter), std::string::npos);
}

TEST(EsxiHostWriter, InventoryReportIndexesEveryPageAsAJsonDocument) {
  TToolRun run("esxi-inventory");
  ASSERT_EQ(run({"-f", "inventory", "-o", run.Output(), kEsxiSample}), 0) << run.Err();
  const json index = json::parse(run.Read("index.json"));
  EXPECT_EQ(Pages(index), kEsxiPages);
  for (const json& entry : index.at("pages")) {
    const json page = json::parse(run.Read(entry.at("file")));
    EXPECT_EQ(page.at("link"), entry.at("link"));
    EXPECT_EQ(page.at("title"), entry.at("page"));
  }
  EXPECT_NE(run.Read("hardware_inventory.json").find(kRaidAdapter), std::string::npos);
}

TEST(EsxiHostWriter, UnwritableFolderIsAFailureOfAnUnfinishedReport) {
  TLoadSettings load;
  load.fCollections = {kEsxiSample};
  boost::shared_ptr<NVKXQZA20::TMemoryNamespace> ns = LoadCollections(load).fNamespace;
  const TWriterSettings settings{"/nonexistent/esxi", "", "", "text"};
  TEsxiHostWriter writer(std::unique_ptr<THostWriter>(new TTextWriter(settings)), settings);
  NVKXQZA20::TCIMContext context;
  TReport_vmwesxi(ns, context, settings.fOutputFolder).Write(&writer, context);
  EXPECT_FALSE(writer.ReachedEndReport());
  ASSERT_EQ(writer.GetFailures().size(), 1u);
  EXPECT_EQ(writer.GetFailures().front(), "/nonexistent/esxi/system_overview.txt: cannot write the file");
}

}  // namespace
