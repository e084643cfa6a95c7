#include "forms/traces/esxi_trace_writer.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

#include "core/repository.h"
#include "esxi/report_vmwesxi.h"

namespace {

using nlohmann::json;
using NVKXQZA20::TCIMContext;

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

TEST(EsxiTraceWriter, TellsWhetherTheReportWasComplete) {
  boost::shared_ptr<NVKXQZA20::TMemoryNamespace> ns = NVKXQZA20::TMemoryNamespace::Create();
  bool complete = false;
  Trace(ns, TCIMContext(), &complete);
  EXPECT_TRUE(complete);
  ns->InjectFault(1, NVKXQZA20::kQZAOk);
  EXPECT_NE(json::parse(R"(["EndReport"])"), Trace(ns, TCIMContext(), &complete).back());
  EXPECT_FALSE(complete);
}

}  // namespace
