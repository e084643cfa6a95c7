// The ESXi catalog's probe.
#include "esxi/report_parameters_builder_vmwesxi.h"

#include <vector>

#include "writer/trace.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TCIMContext;
using NVKXQZA20::TCIMValue;

TReportParametersBuilder_vmwesxi::TReportParametersBuilder_vmwesxi(boost::shared_ptr<NVKXQZA20::ICIMNamespace> ns,
                                                                   std::string reportGenerationMode)
    : fNamespace(ns), fReportGenerationMode(std::move(reportGenerationMode)) {}

bool TReportParametersBuilder_vmwesxi::IsMultiNode() const {
  try {
    std::vector<boost::shared_ptr<ICIMInstance>> chassis;
    GetClass("OMC_Chassis")->EnumerateInstances(NVKXQZA20::TAddToVectorCallback<ICIMInstance>(chassis), true,
                                                TCIMContext());
    unsigned nodes = 0;
    for (const boost::shared_ptr<ICIMInstance>& oneChassis : chassis) {
      // The BMC reports the node count in the low byte.
      nodes = oneChassis->GetProperty("IpmiNodeCount", TCIMContext())->GetValue(TCIMContext()).ToUInt16() & 0xFF;
      LogLine(3, "TReportParametersBuilder_vmwesxi::IsMultiNode() IpmiNodeCount=" + std::to_string(nodes));
    }
    return nodes > 1;
  } catch (const NVKXQZA20::TQZAException&) {
    return false;
  }
}

boost::shared_ptr<NVKXQZA20::ICIMClass> TReportParametersBuilder_vmwesxi::GetClass(std::string className) const {
  TCIMContext firstDataSource;
  firstDataSource["nsIndex"] = TCIMValue(static_cast<uint16_t>(0));
  return fNamespace->GetClass(className, firstDataSource);
}
