#include "custom/device_reading.h"

#include "writer/cim_reading.h"

using NVKXQZA20::ICIMInstance;

bool HasInstances(const NVKXQZA20::ICIMNamespace& ns, const std::string& className) {
  return !InstancesOfClass(ns, className).empty();
}

TDeviceInstances Associated(const ICIMInstance& instance, const std::string& associationClass,
                            const std::string& resultClass) {
  TDeviceInstances associated;
  instance.Associators(NVKXQZA20::TAddToVectorCallback<ICIMInstance>(associated), associationClass,
                       resultClass, "", "");
  return associated;
}

std::string ClassNameOf(const ICIMInstance& instance) { return instance.GetClass()->GetName(); }
