#include "writer/value_formatter.h"

#include "writer/text_join.h"

using NVKXQZA20::TCIMValue;
using NVKXQZA20::TQZAException;

TValueFormatter::TValueFormatter(TEncoder encode) : fEncode(std::move(encode)) {}

std::string TValueFormatter::ValueText(TPropertyPtr property, const std::string& separator,
                                       bool useAlternate) const {
  if (!property) return "";
  try {
    if (property->GetType() == NVKXQZA20::CIMTypeDateTime) {
      return DateTimeText(useAlternate ? property->GetAlternateValue() : property->GetValue());
    }
    if (!property->IsArray()) {
      return fEncode(useAlternate ? property->GetAlternateValueText() : property->GetValueText());
    }
    // Alternate values are never shown for arrays.
    if (useAlternate) return "";
    std::vector<std::string> elements = property->GetValueTexts();
    for (std::string& element : elements) element = fEncode(element);
    return JoinTexts(elements, separator);
  } catch (const TQZAException&) {
    return "";
  }
}

std::string TValueFormatter::ValuesText(const TProperties& properties, const std::string& separator,
                                        bool useAlternate) const {
  std::vector<std::string> values;
  for (const TPropertyPtr& property : properties) {
    values.push_back(ValueText(property, separator, useAlternate));
  }
  return JoinTexts(values, separator);
}

std::string TValueFormatter::PropertyValue(TInstancePtr instance, const std::string& name,
                                           const std::string& separator) const {
  try {
    return ValueText(instance->GetProperty(name), separator, false);
  } catch (const TQZAException&) {
    return "";
  }
}

std::string TValueFormatter::DateTimeText(const TCIMValue& value) {
  if (value.IsNull()) return "";
  if (!value.IsArray()) return value.ToDateTime().ToUIString();
  std::string text;
  for (const TCIMValue& element : value.ToArray()) text += element.ToDateTime().ToUIString() + " ";
  return text;
}

std::string TValueFormatter::DisplayName(boost::shared_ptr<const NVKXQZA20::ICIMPropertyDecl> declaration) {
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

std::string TValueFormatter::ColumnLabel(const NVKXQZA20::ICIMNamespace& ns, NVKXQZA20::ICIMClass& cimClass,
                                         const TReportParameters::TReportProperty& column,
                                         const NVKXQZA20::TCIMContext& context) {
  if (column.HasLabelOverride()) return column.GetLabelOverride();
  const std::string property = column.GetProperty();
  try {
    if (column.HasAssociationTarget()) {
      return DisplayName(ns.GetClass(column.GetAssociationTarget(), context)->GetPropertyDecl(property, context));
    }
    return DisplayName(cimClass.GetPropertyDecl(property, context));
  } catch (const TQZAException& error) {
    if (error.GetStatusCode() != NVKXQZA20::kQZANotFound) throw;
    return property;
  }
}
