// Repository reads shared by the device pages (firmware, LSI controllers,
// environmentals): instance presence, associated instances and class names.
// A class the repository lacks (status 15) has no instances; every other
// core error passes to the caller.
#ifndef QZA_CUSTOM_DEVICE_READING_H
#define QZA_CUSTOM_DEVICE_READING_H

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "core/cim.h"

typedef std::vector<boost::shared_ptr<NVKXQZA20::ICIMInstance>> TDeviceInstances;

// The class (or a subclass) has at least one instance.
bool HasInstances(const NVKXQZA20::ICIMNamespace& ns, const std::string& className);
// The instances linked to the instance through the association class whose
// far end is of the result class, in the core's order.
TDeviceInstances Associated(const NVKXQZA20::ICIMInstance& instance, const std::string& associationClass,
                            const std::string& resultClass);
std::string ClassNameOf(const NVKXQZA20::ICIMInstance& instance);
inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

#endif
