#include "host/esxi_trace_writer.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

#include "core/mof_reader.h"
#include "esxi/report_vmwesxi.h"
#include "host/collections.h"

namespace {

using nlohmann::json;
using NVKXQZA20::TCIMContext;
using NVKXQZA20::TCIMValue;

const char kSmallHost[] = R"(
  class OMC_Card { string Tag; string Name; };
  instance of OMC_Card { Tag = "c1"; Name = "Riser 1"; };)";

std::vector<json> Trace(const boost::shared_ptr<NVKXQZA20::TMemoryNamespace>& ns, const TCIMContext& context,
                        bool* complete = nullptr) {
  std::ostringstream sink;
  TEsxiTraceWriter writer(TWriterSettings{"/reports/esxi1", "/reports/esxi1.partial", "", ""}, sink);
  TReport_vmwesxi(ns, context, "/reports/esxi1").Write(&writer, context);
  if (complete) *complete = writer.ReachedEndReport();
  std::vector<json> lines;
  std::istringstream text(sink.str());
  for (std::string line; std::getline(text, line);) lines.push_back(json::parse(line));
  return lines;
}

std::vector<json> LinesOf(const std::vector<json>& lines, const std::string& operation) {
  std::vector<json> found;
  for (const json& line : lines) {
    if (line.at(0) == operation) found.push_back(line);
  }
  return found;
}

TEST(EsxiTraceWriter, RecordsEveryCallAsOneJsonLine) {
  boost::shared_ptr<NVKXQZA20::TMemoryNamespace> ns = NVKXQZA20::TMemoryNamespace::Create();
  NVKXQZA20::TMofReader(ns).LoadText(kSmallHost, "host.mof");
  TCIMContext context;
  context["mode"] = TCIMValue("default");
  const std::vector<json> lines = Trace(ns, context);
  EXPECT_EQ(json::parse(R"(["Initialize", "root/cimv2", {"mode": "default"}, "/reports/esxi1"])"), lines.front());
  EXPECT_EQ(json::parse(R"(["EndReport"])"), lines.back());
  // A page operation carries its definition, and the page's calls follow it
  // with paths where the reader will find the page.
  const auto overview = std::find(lines.begin(), lines.end(),
                                  json::parse(R"(["WriteSystemOverviewPage",
                                                  {"report": "System Overview", "link": "system_overview"}])"));
  ASSERT_NE(lines.end(), overview);
  EXPECT_EQ(json::parse(R"(["OpenPage", "/reports/esxi1/system_overview"])"), *(overview + 1));
  EXPECT_EQ(json::parse(R"(["RegisterPage", "hardware_inventory", "Hardware Inventory", true])"),
            LinesOf(lines, "RegisterPage").at(8));
  // Cells are [text, alternate text, ...].
  const json cells = LinesOf(lines, "WriteTableGrid").at(0).at(1).at("cells");
  EXPECT_EQ("Name", cells.at(0).at(0).at(0));
  EXPECT_EQ("Riser 1", cells.at(1).at(0).at(0));
}

TEST(EsxiTraceWriter, TellsWhetherTheReportWasComplete) {
  boost::shared_ptr<NVKXQZA20::TMemoryNamespace> ns = NVKXQZA20::TMemoryNamespace::Create();
  bool complete = false;
  Trace(ns, TCIMContext(), &complete);
  EXPECT_TRUE(complete);
  ns->InjectFault(1, NVKXQZA20::kQZAOk);
  EXPECT_NE(json::parse(R"(["EndReport"])"), Trace(ns, TCIMContext(), &complete).back());
  EXPECT_FALSE(complete);
}

// The bundled ESXi sample has data for every page of the report.
TEST(EsxiTraceWriter, BundledSampleFillsEveryPage) {
  TLoadSettings settings;
  settings.fCollections = {std::string(QZA_SOURCE_DIR) + "/samples/esxi-host.mof"};
  settings.fSchemaFiles = SchemaFilesOf(std::string(QZA_SOURCE_DIR) + "/schema");
  const std::vector<json> lines = Trace(LoadCollections(settings).fNamespace, TCIMContext());
  const std::vector<json> pages = LinesOf(lines, "RegisterPage");
  EXPECT_EQ(30u, pages.size());
  for (const json& page : pages) EXPECT_TRUE(page.at(3).get<bool>()) << page.dump();
  EXPECT_EQ(json::parse(R"(["EndReport"])"), lines.back());
}

}  // namespace
