#include "writer/cim_reading.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TQZAException;

std::vector<boost::shared_ptr<ICIMInstance>> InstancesOfClass(const NVKXQZA20::ICIMNamespace& ns,
                                                             const std::string& className,
                                                             const NVKXQZA20::TCIMContext& context) {
  std::vector<boost::shared_ptr<ICIMInstance>> instances;
  boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass;
  try {
    cimClass = ns.GetClass(className, context);
  } catch (const TQZAException& error) {
    if (error.GetStatusCode() != NVKXQZA20::kQZANotFound) throw;
    return instances;
  }
  cimClass->EnumerateInstances(NVKXQZA20::TAddToVectorCallback<ICIMInstance>(instances), true,
                               context);
  return instances;
}

NVKXQZA20::TCIMContext ContextForDataSource(NVKXQZA20::TCIMContext context, uint16_t index) {
  context["nsIndex"] = NVKXQZA20::TCIMValue(index);
  return context;
}

std::string PropertyText(const ICIMInstance& instance, const std::string& name) {
  try {
    return instance.GetProperty(name)->GetValue().ToString(10);
  } catch (const TQZAException&) {
    return "";
  }
}
