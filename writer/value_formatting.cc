// Property value formatting of TWriter: one cell text from CIM properties.
#include <algorithm>
#include <cstdint>
#include <sstream>

#include "writer/trace.h"
#include "writer/value_formatter.h"
#include "writer/writer.h"

using NVKXQZA20::ICIMPropertyDecl;
using NVKXQZA20::TCIMContext;
using NVKXQZA20::TCIMValue;
using NVKXQZA20::TQZAException;

namespace {

struct TFixedLabel {
  const char* fClass;
  const char* fProperty;
  const char* fLabel;
};

// Labels that announce the units ConvertStrToNumType produces, and the IPMI
// log's short column names.
const TFixedLabel kFixedLabels[] = {
    {"VKXSG_Process", "KernelModeTime", "Kernel Mode Time (millisecond)"},
    {"VKXSG_Process", "UserModeTime", "User Mode Time (millisecond)"},
    {"VKXSG_Process", "WorkingSetSize", "Memory Usage (KB)"},
    {"VKXSG_IPMILogRecord", "Caption", "#D"},
    {"VKXSG_IPMILogRecord", "DataFormat", "#H"},
    {"VKXSG_IPMILogRecord", "EventData", "Original Line / Action Plan(s)"},
};

const TFixedLabel* FindFixedLabel(const std::string& className, const std::string& property) {
  for (const TFixedLabel& label : kFixedLabels) {
    if (className == label.fClass && property == label.fProperty) return &label;
  }
  return nullptr;
}

// 10^exponent by repeated squaring.
double PowerOfTen(int32_t exponent) {
  int64_t remaining = exponent < 0 ? -static_cast<int64_t>(exponent) : exponent;
  double power = 1.0;
  for (double square = 10.0; remaining > 0; remaining >>= 1, square *= square) {
    if (remaining & 1) power *= square;
  }
  return exponent < 0 ? 1.0 / power : power;
}

std::string WithoutCommas(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), ','), text.end());
  return text;
}

// Multiplies a decimal text by 1000 by moving its point three places.
std::string TimesThousand(const std::string& number) {
  const size_t point = number.find('.');
  if (point == std::string::npos) return number + "000";
  const std::string whole = number.substr(0, point);
  const std::string fraction = number.substr(point + 1);
  if (fraction.size() <= 3) return whole + fraction + std::string(3 - fraction.size(), '0');
  return whole + fraction.substr(0, 3) + "." + fraction.substr(3);
}

bool IsProcessTime(const std::string& propertyName) {
  return propertyName == "KernelModeTime" || propertyName == "UserModeTime";
}

}  // namespace

std::string TWriter::GetPropertyValue(TInstancePtr instance, std::string name, std::string separator) {
  return FormatterOf(*this).PropertyValue(instance, name, separator);
}

std::string TWriter::GetValueFromProperty(TPropertyPtr property, std::string separator,
                                          bool useAlternate) {
  return FormatterOf(*this).ValueText(property, separator, useAlternate);
}

std::string TWriter::GetValuesFromProperties(TProperties properties, const std::string& separator,
                                             bool useAlternate) {
  return FormatterOf(*this).ValuesText(properties, separator, useAlternate);
}

std::string TWriter::GetDateTime(const TCIMValue& value, bool /*flag*/) {
  return TValueFormatter::DateTimeText(value);
}

std::string TWriter::GetNumericSensorValue(TInstancePtr instance, bool /*flag*/) {
  LogLine(3, "Entering TWriter::GetNumericSensorValue");
  std::string text;
  try {
    const int32_t reading = instance->GetProperty("CurrentReading")->GetValue().ToSInt32();
    const int32_t modifier = instance->GetProperty("UnitModifier")->GetValue().ToSInt32();
    std::ostringstream out;
    out.precision(16);
    out << reading * PowerOfTen(modifier);
    text = out.str();
  } catch (...) {
    LogLine(3, "Report: Error calculating numeric sensor value.");
    text = "N/A";
  }
  LogLine(3, "Exiting TWriter::GetNumericSensorValue, value=" + text);
  return text;
}

std::string TWriter::ConvertStrToNumType(std::string text, std::string propertyName) {
  std::vector<std::string> words;
  DivideStrToWords(text, words);
  if (IsProcessTime(propertyName)) {
    RunDuration duration;
    SetValue(duration, words);
    ForwardCarry(duration);
    return std::to_string(Calculate(duration));
  }
  if (propertyName != "WorkingSetSize") return text;
  if (words.empty()) return "0";
  if (words.size() != 2) return text;
  if (words[1] == "Kilobytes") return WithoutCommas(words[0]);
  if (words[1] == "Megabytes") return TimesThousand(WithoutCommas(words[0]));
  return text;
}

std::string TWriter::GetDisplayName(boost::shared_ptr<const ICIMPropertyDecl> declaration) {
  return TValueFormatter::DisplayName(declaration);
}

std::string TWriter::GetTableHeaderLabel(NVKXQZA20::ICIMClass& cimClass, TReportProperty column,
                                         TCIMContext context) {
  if (const TFixedLabel* fixed = FindFixedLabel(cimClass.GetName(context), column.GetProperty())) {
    return fixed->fLabel;
  }
  if (column.HasLabelOverride()) return column.GetLabelOverride();
  // The class object tells the collections apart: each data source holds
  // its own, for as long as the repository the run reports on.
  std::string key = cimClass.GetName(context) + '\n' + std::to_string(reinterpret_cast<uintptr_t>(&cimClass)) + '\n' +
                    column.GetProperty() + '\n' + column.GetAssociationTarget();
  for (const auto& entry : context) key += '\n' + entry.first + '=' + entry.second.ToString();
  auto known = fHeaderLabels.find(key);
  if (known == fHeaderLabels.end()) {
    known = fHeaderLabels.emplace(key, TValueFormatter::ColumnLabel(*fNamespace, cimClass, column, context)).first;
  }
  return known->second;
}

std::string TWriter::GetUniqueId(TInstancePtr instance, std::string uniqueIdProperty) {
  const std::string classPart = EncodeValue(instance->GetClass()->GetName());
  if (uniqueIdProperty.empty()) return classPart;
  try {
    return classPart + "_" + instance->GetProperty(uniqueIdProperty)->GetValueText();
  } catch (const TQZAException&) {
    return classPart;
  }
}

bool TWriter::IsPropertyNull(TInstancePtr instance, const std::string& name) {
  try {
    const TPropertyPtr property = instance->GetProperty(name);
    if (property->GetType() == NVKXQZA20::CIMTypeString) return property->GetValueText().empty();
    return property->GetValue().IsNull();
  } catch (const TQZAException&) {
    return true;
  }
}
