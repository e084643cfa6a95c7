#include "core/schema_helper.h"

namespace NVKXQZA20 {

namespace {

// The text of a property of the first instance of a class; "" when the
// class, the instance or the property is missing.
std::string FirstInstanceText(boost::shared_ptr<ICIMNamespace> ns, const std::string& className,
                              const std::string& property, const TCIMContext& context) {
  std::string text;
  try {
    boost::shared_ptr<ICIMClass> cls = ns->GetClass(className, context);
    cls->EnumerateInstances(
        [&](boost::shared_ptr<ICIMInstance> instance) {
          text = instance->GetProperty(property, context)->GetValue(context).ToString();
          return false;
        },
        true, context);
  } catch (const TQZAException&) {
    return "";
  }
  return text;
}

std::string VersionPart(const std::string& version, size_t part) {
  size_t begin = 0;
  for (size_t i = 0; i < part; ++i) {
    begin = version.find('.', begin);
    if (begin == std::string::npos) return "";
    ++begin;
  }
  size_t end = version.find('.', begin);
  return version.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

}  // namespace

std::string TCIMSchemaHelper::GetDataSourceBuild(boost::shared_ptr<ICIMNamespace> ns,
                                                 const TCIMContext& context) {
  return FirstInstanceText(ns, "VKXSG_QZAProduct", "Build", context);
}

std::string TCIMSchemaHelper::GetDataSourceMajorVersion(boost::shared_ptr<ICIMNamespace> ns,
                                                        const TCIMContext& context) {
  return VersionPart(FirstInstanceText(ns, "VKXSG_QZAProduct", "Version", context), 0);
}

std::string TCIMSchemaHelper::GetDataSourceMinorVersion(boost::shared_ptr<ICIMNamespace> ns,
                                                        const TCIMContext& context) {
  return VersionPart(FirstInstanceText(ns, "VKXSG_QZAProduct", "Version", context), 1);
}

std::string TCIMSchemaHelper::GetRawSerialNumberString(boost::shared_ptr<ICIMNamespace> ns,
                                                       const TCIMContext& context) {
  return FirstInstanceText(ns, "VKXSG_ComputerSystem", "SerialNumber", context);
}

std::string TCIMSchemaHelper::GetOperatingSystemVersion(boost::shared_ptr<ICIMNamespace> ns,
                                                        const TCIMContext& context) {
  return FirstInstanceText(ns, "VKXSG_OperatingSystem", "Version", context);
}

}  // namespace NVKXQZA20
