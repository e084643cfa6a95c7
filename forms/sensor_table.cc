#include "forms/sensor_table.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <numeric>
#include <sstream>
#include <utility>
#include <vector>

const char kSensorStatusLabel[] = "Status";

namespace {

const char kReadingLabel[] = "Current Reading";
const char kUnitsLabel[] = "Units";
const std::array<const char*, 4> kThresholdLabels = {"Lower Critical", "Lower Non-Critical",
                                                     "Upper Non-Critical", "Upper Critical"};
// Percent of the table: the status's and each threshold's column.
const int32_t kStatusWidth = 10;
const int32_t kThresholdWidth = 9;
// Beyond this many powers of ten a value is infinite or zero.
const int kMaxScaleSteps = 64;

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool HasThreshold(const std::vector<TSensorFacts>& facts, size_t threshold) {
  return std::any_of(facts.begin(), facts.end(),
                     [&](const TSensorFacts& f) { return !f.fThresholds[threshold].empty(); });
}

TTableCell TextCell(std::string text) {
  TTableCell cell;
  cell.fText = std::move(text);
  return cell;
}

}  // namespace

bool IsSensorGrid(const TTableGrid& grid) {
  if (!grid.fColumnReport || grid.fRowReport || grid.fRows < 1 || grid.fColumns < 3 || grid.fColumns > 4) {
    return false;
  }
  const int32_t last = grid.fColumns - 1;
  return grid.Cell(0, last - 1).fText == kReadingLabel && grid.Cell(0, last).fText == kUnitsLabel;
}

void ShapeSensorGrid(TTableGrid& grid, const std::function<TSensorFacts(int32_t row)>& factsOf) {
  std::vector<TSensorFacts> facts(static_cast<size_t>(grid.fRows));
  for (int32_t r = 1; r < grid.fRows; ++r) facts[r] = factsOf(r);
  facts[0].fStatus = kSensorStatusLabel;
  std::vector<size_t> thresholds;
  for (size_t t = 0; t < kThresholdLabels.size(); ++t) {
    if (!HasThreshold(facts, t)) continue;
    thresholds.push_back(t);
    facts[0].fThresholds[t] = kThresholdLabels[t];
  }
  // Graver first; the header row stays on top.
  std::vector<int32_t> order(static_cast<size_t>(grid.fRows));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin() + 1, order.end(), [&](int32_t a, int32_t b) {
    return SensorStatusSeverity(facts[a].fStatus) > SensorStatusSeverity(facts[b].fStatus);
  });
  const int32_t columns = grid.fColumns + 1 + static_cast<int32_t>(thresholds.size());
  TTableGrid shaped(grid.fRows, columns, grid.fPassThrough);
  shaped.fColumnReport = true;
  shaped.fSortable = true;
  shaped.fTableWidth = grid.fTableWidth;
  shaped.fColumnWidths[0] = kStatusWidth * grid.fTableWidth / 100;
  for (int32_t c = 0; c < grid.fColumns; ++c) shaped.fColumnWidths[c + 1] = grid.fColumnWidths[c];
  for (size_t t = 0; t < thresholds.size(); ++t) {
    shaped.fColumnWidths[grid.fColumns + 1 + t] = kThresholdWidth * grid.fTableWidth / 100;
  }
  for (int32_t r = 0; r < grid.fRows; ++r) {
    const int32_t from = order[r];
    shaped.Cell(r, 0) = TextCell(facts[from].fStatus);
    for (int32_t c = 0; c < grid.fColumns; ++c) shaped.Cell(r, c + 1) = std::move(grid.Cell(from, c));
    for (size_t t = 0; t < thresholds.size(); ++t) {
      shaped.Cell(r, grid.fColumns + 1 + static_cast<int32_t>(t)) = TextCell(facts[from].fThresholds[thresholds[t]]);
    }
  }
  grid = std::move(shaped);
}

ESeverity SensorStatusSeverity(const std::string& status) {
  ESeverity gravest = ESeverity::kNone;
  std::istringstream parts(status);
  std::string part;
  while (std::getline(parts, part, ',')) gravest = std::max(gravest, SeverityOfOperationalStatus(Trimmed(part)));
  return gravest;
}

std::string ScaledSensorValue(const std::string& raw, int32_t modifier) {
  if (raw.empty()) return "";
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(raw.c_str(), &end, 10);
  if (errno != 0 || *end != '\0') return raw;
  const int steps = static_cast<int>(std::min<long long>(std::llabs(static_cast<long long>(modifier)), kMaxScaleSteps));
  float scale = 1;
  for (int i = 0; i < steps; ++i) scale *= 10;
  const float reading = static_cast<float>(value);
  std::ostringstream text;
  text << (modifier < 0 ? reading / scale : reading * scale);
  return text.str();
}
