// The JSON form of what the library hands its writers, shared by the trace
// and inventory writers. Texts are kept as bytes; dumping with Dump()
// replaces invalid UTF-8, so any data gives valid JSON.
#ifndef QZA_HOST_JSON_VALUES_H
#define QZA_HOST_JSON_VALUES_H

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "writer/writer.h"

namespace json_values {

using nlohmann::json;

// One line of JSON, invalid UTF-8 replaced by U+FFFD.
std::string Dump(const json& value, int indent = -1);

json Of(const std::string& text);
json Of(const char* text);
json Of(bool value);
json Of(int32_t value);
json Of(const TWriter::TNamespacePtr& ns);
// The context as an object of texts.
json Of(const NVKXQZA20::TCIMContext& context);
// An instance is its object path; an empty handle is null.
json Of(const TWriter::TInstancePtr& instance);
json Of(const TWriter::TInstances& instances);
// A class, a declaration or a property is its name.
json Of(const boost::shared_ptr<NVKXQZA20::ICIMClass>& cimClass);
json Of(const boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl>& declaration);
json Of(const TWriter::TPropertyPtr& property);
json Of(const TReportParameters::TReportProperty& column);
json Of(const TReportParameters& page);
json Of(const TTableGrid& grid);

}  // namespace json_values

#endif
