// Facts about a data source that the report needs before any page, read from
// the repository's own instances. Each answers "" when the data are absent.
//
//   build:      VKXSG_QZAProduct.Build (first instance)
//   major:      VKXSG_QZAProduct.Version up to its first "." ("1" of "1.3")
//   minor:      VKXSG_QZAProduct.Version after its first "." up to the next
//   serial:     VKXSG_ComputerSystem.SerialNumber (first instance)
//   OS version: VKXSG_OperatingSystem.Version (first instance)
//
// The context's "nsIndex" names the data source.
#ifndef QZA_CORE_SCHEMA_HELPER_H
#define QZA_CORE_SCHEMA_HELPER_H

#include <boost/shared_ptr.hpp>
#include <string>

#include "core/cim.h"

namespace NVKXQZA20 {

class TCIMSchemaHelper {
 public:
  static std::string GetDataSourceBuild(boost::shared_ptr<ICIMNamespace> ns, const TCIMContext& context);
  static std::string GetDataSourceMajorVersion(boost::shared_ptr<ICIMNamespace> ns,
                                               const TCIMContext& context);
  static std::string GetDataSourceMinorVersion(boost::shared_ptr<ICIMNamespace> ns,
                                               const TCIMContext& context);
  static std::string GetRawSerialNumberString(boost::shared_ptr<ICIMNamespace> ns,
                                              const TCIMContext& context);
  static std::string GetOperatingSystemVersion(boost::shared_ptr<ICIMNamespace> ns,
                                               const TCIMContext& context);
};

}  // namespace NVKXQZA20

#endif
