#include "machine/parsers/ipmi.h"

#include "machine/parsers/text_scan.h"

namespace NVKXQZA20::NMachine {
namespace {

std::string Join(const std::vector<std::string_view>& pieces, size_t from) {
  std::string joined;
  for (size_t i = from; i < pieces.size(); ++i) {
    if (!joined.empty()) joined += " | ";
    joined += pieces[i];
  }
  return joined;
}

// "Name : value" lines in blocks; an indented line continues the field above
// as a list item; a line without ':' is kept as a field without value.
void ReadFieldLine(std::string_view line, TFieldBlock& block) {
  std::string_view name, value;
  if (Indent(line) > 1 && !block.fFields.empty() && !SplitField(line, ':', name, value)) {
    block.fFields.back().fList.emplace_back(Trim(line));
    return;
  }
  if (!SplitField(line, ':', name, value)) name = Trim(line);
  block.fFields.push_back({std::string(name), std::string(value), {}});
}

// `sensor list`: name | reading | unit | status | six thresholds (lower
// non-recoverable, critical, non-critical, then the upper ones). A discrete
// sensor reads "0x0" with the unit "discrete" and its state bits as status;
// fReading is the value and the unit.
const size_t kSensorListColumns = 10;

TSdrSensor SensorListRow(size_t line, const std::vector<std::string_view>& columns) {
  TSdrSensor sensor{line, std::string(columns[0]), "", std::string(columns[3]), "",
                    std::string(columns[1]) + " " + std::string(columns[2]),
                    std::nullopt, ""};
  if (columns[2] != "discrete" && (sensor.fValue = ParseDouble(columns[1]))) sensor.fUnit = std::string(columns[2]);
  return sensor;
}

}  // namespace

TSelEvents ParseIpmiSel(const std::string& text) {
  TSelEvents events;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line) || Trim(line) == "SEL has no entries") continue;
    std::vector<std::string_view> columns = SplitTrimmed(line, '|');
    if (columns.size() < 5 || columns[0].empty()) {
      Warn(events.fWarnings, cursor.Number(), line);
      continue;
    }
    TSelEvent event{cursor.Number(), std::string(columns[0]), std::string(columns[1]), std::string(columns[2]),
                    std::string(columns[3]), std::string(columns[4]), "", ""};
    size_t detail = 5;
    if (columns.size() > 5 && (columns[5] == "Asserted" || columns[5] == "Deasserted")) {
      event.fDirection = std::string(columns[5]);
      detail = 6;
    }
    event.fDetail = Join(columns, detail);
    events.fEvents.push_back(std::move(event));
  }
  return events;
}

TSdrSensors ParseIpmiSdr(const std::string& text) {
  TSdrSensors sensors;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    std::vector<std::string_view> columns = SplitTrimmed(line, '|');
    if (columns.size() == kSensorListColumns && !columns[0].empty()) {
      sensors.fSensors.push_back(SensorListRow(cursor.Number(), columns));
      continue;
    }
    if (columns.size() != 5 || columns[0].empty()) {
      Warn(sensors.fWarnings, cursor.Number(), line);
      continue;
    }
    TSdrSensor sensor{cursor.Number(), std::string(columns[0]), std::string(columns[1]), std::string(columns[2]),
                      std::string(columns[3]), std::string(columns[4]), std::nullopt, ""};
    std::vector<std::string_view> words = SplitWords(columns[4], 2);
    if (words.size() == 2 && (sensor.fValue = ParseDouble(words[0]))) sensor.fUnit = std::string(words[1]);
    sensors.fSensors.push_back(std::move(sensor));
  }
  return sensors;
}

TFruDevices ParseIpmiFru(const std::string& text) {
  TFruDevices devices;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    if (StartsWith(line, "FRU Device Description")) devices.fDevices.push_back(TFieldBlock{cursor.Number(), {}});
    if (devices.fDevices.empty()) {
      Warn(devices.fWarnings, cursor.Number(), line);
      continue;
    }
    ReadFieldLine(line, devices.fDevices.back());
  }
  return devices;
}

TMcInfo ParseIpmiMcInfo(const std::string& text) {
  TMcInfo info;
  TLineCursor cursor(text);
  while (cursor.Next()) {
    std::string_view line = cursor.Line();
    if (IsBlank(line)) continue;
    if (Indent(line) > 0 && info.fFields.fFields.empty()) {
      Warn(info.fWarnings, cursor.Number(), line);
      continue;
    }
    ReadFieldLine(line, info.fFields);
  }
  return info;
}

}  // namespace NVKXQZA20::NMachine
