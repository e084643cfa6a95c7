// Property value formatting of TWriter: one cell text from CIM properties.
#include <algorithm>
#include <sstream>

#include "writer/text_join.h"
#include "writer/trace.h"
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
  try {
    return GetValueFromProperty(instance->GetProperty(name), separator, false);
  } catch (const TQZAException&) {
    return "";
  }
}

std::string TWriter::GetValueFromProperty(TPropertyPtr property, std::string separator,
                                          bool useAlternate) {
  if (!property) return "";
  try {
    if (property->GetType() == NVKXQZA20::CIMTypeDateTime) {
      return GetDateTime(useAlternate ? property->GetAlternateValue() : property->GetValue(), false);
    }
    if (!property->IsArray()) {
      return EncodeValue(useAlternate ? property->GetAlternateValueText() : property->GetValueText());
    }
    if (useAlternate) return "";
    std::vector<std::string> elements = property->GetValueTexts();
    for (std::string& element : elements) element = EncodeValue(element);
    return JoinTexts(elements, separator);
  } catch (const TQZAException&) {
    return "";
  }
}

std::string TWriter::GetValuesFromProperties(TProperties properties, const std::string& separator,
                                             bool useAlternate) {
  std::vector<std::string> values;
  for (const TPropertyPtr& property : properties) {
    values.push_back(GetValueFromProperty(property, separator, useAlternate));
  }
  return JoinTexts(values, separator);
}

std::string TWriter::GetDateTime(const TCIMValue& value, bool /*flag*/) {
  if (value.IsNull()) return "";
  if (!value.IsArray()) return value.ToDateTime().ToUIString();
  std::string text;
  for (const TCIMValue& element : value.ToArray()) text += element.ToDateTime().ToUIString() + " ";
  return text;
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
  if (!declaration) return "Value";
  try {
    bool found = false;
    boost::shared_ptr<NVKXQZA20::ICIMQualifier> displayName =
        declaration->GetQualifier("DisplayName", found);
    if (found && displayName) return displayName->GetValue().ToString(10);
  } catch (const TQZAException& error) {
    if (error.GetStatusCode() != NVKXQZA20::kQZANotFound) throw;
  }
  return declaration->GetName();
}

std::string TWriter::GetTableHeaderLabel(NVKXQZA20::ICIMClass& cimClass, TReportProperty column,
                                         TCIMContext context) {
  const std::string property = column.GetProperty();
  if (const TFixedLabel* fixed = FindFixedLabel(cimClass.GetName(context), property)) {
    return fixed->fLabel;
  }
  if (column.HasLabelOverride()) return column.GetLabelOverride();
  try {
    if (column.HasAssociationTarget()) {
      return GetDisplayName(fNamespace->GetClass(column.GetAssociationTarget(), context)
                                ->GetPropertyDecl(property, context));
    }
    return GetDisplayName(cimClass.GetPropertyDecl(property, context));
  } catch (const TQZAException& error) {
    if (error.GetStatusCode() != NVKXQZA20::kQZANotFound) throw;
    return property;
  }
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
