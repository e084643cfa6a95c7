#include "machine/parsers/sensors.h"

#include <cctype>
#include <nlohmann/json.hpp>

#include "machine/parsers/text_scan.h"

namespace NVKXQZA20::NMachine {
namespace {

// "+45.0°C" or "1200" followed by "RPM": the number and its unit.
bool SplitReading(std::string_view word, std::optional<double>& value, std::string& unit) {
  size_t end = 0;
  while (end < word.size() && (std::isdigit(static_cast<unsigned char>(word[end])) || word[end] == '.' ||
                               word[end] == '+' || word[end] == '-'))
    ++end;
  value = ParseDouble(word.substr(0, end));
  if (value) unit = std::string(word.substr(end));
  return value.has_value();
}

// "(high = +80.0°C, crit = +100.0°C)"
void ReadLimits(std::string_view text, TSensorReading& reading) {
  for (size_t open = text.find('('); open != std::string_view::npos; open = text.find('(', open + 1)) {
    size_t close = text.find(')', open);
    if (close == std::string_view::npos) return;
    for (std::string_view limit : SplitTrimmed(text.substr(open + 1, close - open - 1), ',')) {
      std::string_view name, value;
      std::optional<double> number;
      std::string unit;
      std::vector<std::string_view> words;
      if (SplitField(limit, '=', name, value)) words = SplitWords(value);
      if (!words.empty() && SplitReading(words[0], number, unit)) reading.fLimits.emplace_back(name, *number);
    }
  }
}

// "Core 0:        +42.0°C  (high = +80.0°C, crit = +100.0°C)  ALARM"
bool ParseReading(std::string_view line, TSensorReading& reading) {
  std::string_view label, rest;
  if (!SplitField(line, ':', label, rest) || label.empty()) return false;
  reading.fLabel = std::string(label);
  reading.fAlarm = rest.find("ALARM") != std::string_view::npos;
  std::vector<std::string_view> words = SplitWords(rest.substr(0, rest.find('(')));
  if (!words.empty() && SplitReading(words[0], reading.fValue, reading.fUnit) && reading.fUnit.empty() &&
      words.size() > 1 && words[1] != "ALARM")
    reading.fUnit = std::string(words[1]);
  ReadLimits(rest, reading);
  return true;
}

}  // namespace

TSensors ParseSensors(const std::string& text) {
  TSensors sensors;
  TLineCursor cursor(text);
  TSensorChip* chip = nullptr;
  TRawSection* unknown = nullptr;
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) {
      chip = nullptr;
      unknown = nullptr;
      continue;
    }
    if (unknown) {
      unknown->fText += '\n';
      unknown->fText += line;
      continue;
    }
    if (!chip) {
      // Chip names are single words ("terncore-isa-0000").
      if (SplitWords(line).size() != 1) {
        sensors.fUnknown.push_back({cursor.Number(), std::string(Trim(line)), std::string(line)});
        unknown = &sensors.fUnknown.back();
        continue;
      }
      sensors.fChips.push_back(TSensorChip{cursor.Number(), std::string(Trim(line)), "", {}});
      chip = &sensors.fChips.back();
      continue;
    }
    if (StartsWith(line, "Adapter:")) {
      chip->fAdapter = std::string(Trim(line.substr(8)));
      continue;
    }
    // Limits wrapped onto their own line belong to the reading above.
    if (Indent(line) > 0 && Trim(line).front() == '(' && !chip->fReadings.empty()) {
      ReadLimits(line, chip->fReadings.back());
      continue;
    }
    TSensorReading reading;
    if (!ParseReading(line, reading)) {
      Warn(sensors.fWarnings, cursor.Number(), line);
      continue;
    }
    chip->fReadings.push_back(std::move(reading));
  }
  return sensors;
}

namespace {

// Units by the prefix of a feature's subfeature names ("temp1_input").
struct TSensorUnit {
  std::string_view fPrefix;
  std::string_view fUnit;
};
const TSensorUnit kSensorUnits[] = {
    {"temp", "°C"}, {"in", "V"}, {"fan", "RPM"}, {"power", "W"}, {"curr", "A"},
    {"energy", "J"}, {"humidity", "%"}, {"cpu", "V"}, {"intrusion", ""},
};

std::string UnitOf(std::string_view subfeature) {
  for (const TSensorUnit& unit : kSensorUnits)
    if (StartsWith(subfeature, unit.fPrefix)) return std::string(unit.fUnit);
  return "";
}

TSensorReading JsonReading(const std::string& label, const nlohmann::json& subfeatures) {
  TSensorReading reading;
  reading.fLabel = label;
  for (const auto& [name, value] : subfeatures.items()) {
    if (!value.is_number()) continue;
    size_t underscore = name.find('_');
    std::string kind = underscore == std::string::npos ? name : name.substr(underscore + 1);
    if (reading.fUnit.empty()) reading.fUnit = UnitOf(name);
    double number = value.get<double>();
    if (kind == "input" || (kind == "average" && !reading.fValue)) reading.fValue = number;
    else if (kind.size() > 6 && kind.substr(kind.size() - 6) == "_alarm") reading.fAlarm |= number != 0;
    else if (kind == "alarm" || kind == "fault") reading.fAlarm |= number != 0;
    else reading.fLimits.emplace_back(kind, number);
  }
  return reading;
}

}  // namespace

TSensors ParseSensorsJson(const std::string& text) {
  TSensors sensors;
  nlohmann::json root = nlohmann::json::parse(text, nullptr, false);
  if (!root.is_object()) {
    Warn(sensors.fWarnings, 1, "not a JSON object");
    return sensors;
  }
  for (const auto& [name, features] : root.items()) {
    if (!features.is_object()) continue;
    TSensorChip chip{0, name, "", {}};
    for (const auto& [label, subfeatures] : features.items()) {
      if (label == "Adapter" && subfeatures.is_string()) chip.fAdapter = subfeatures.get<std::string>();
      else if (subfeatures.is_object()) chip.fReadings.push_back(JsonReading(label, subfeatures));
    }
    sensors.fChips.push_back(std::move(chip));
  }
  return sensors;
}

}  // namespace NVKXQZA20::NMachine
