// Repository reads that the writer and the report driver share, with the
// library's rule for absent data: a class the repository lacks has no
// instances, a property an instance lacks reads as "".
#ifndef QZA_WRITER_CIM_READING_H
#define QZA_WRITER_CIM_READING_H

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "core/cim.h"

// The instances of the class and its subclasses, in the core's order; none
// when the class does not exist (status 15). Other core errors pass on.
std::vector<boost::shared_ptr<NVKXQZA20::ICIMInstance>> InstancesOfClass(
    const NVKXQZA20::ICIMNamespace& ns, const std::string& className,
    const NVKXQZA20::TCIMContext& context = NVKXQZA20::TCIMContext());

// A copy of the context that names the data source (its "nsIndex").
NVKXQZA20::TCIMContext ContextForDataSource(NVKXQZA20::TCIMContext context, uint16_t index);

// The property's value written in decimal (TCIMValue::ToString); "" when the
// property cannot be read.
std::string PropertyText(const NVKXQZA20::ICIMInstance& instance, const std::string& name);

#endif
