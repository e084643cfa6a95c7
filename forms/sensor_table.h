// The Environmentals table as the host shows it. The library hands the
// sensors' names (and nodes), readings and units; the host adds what a
// reader needs to see a sensor in trouble: each row's status, as a word, and
// its thresholds where the collection has them, in the reading's units. The
// rows not OK come first, and the reader may sort the table.
//
//   if (IsSensorGrid(grid)) ShapeSensorGrid(grid, [&](int32_t row) { return FactsOfRowSensor(row); });
#ifndef QZA_HOST_SENSOR_TABLE_H
#define QZA_HOST_SENSOR_TABLE_H

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "findings/report_problems.h"
#include "writer/table_grid.h"

// What the host reads from a row's sensor; empty texts where it does not know.
struct TSensorFacts {
  std::string fStatus;  // "OK", "Degraded", "Error, Lost Communication"...
  // Lower critical, lower non-critical, upper non-critical, upper critical,
  // scaled as the reading is.
  std::array<std::string, 4> fThresholds;
};

// The label of the status column.
extern const char kSensorStatusLabel[];

// Whether the grid is the library's sensor table: a header row of a name,
// perhaps a node, "Current Reading" and "Units".
bool IsSensorGrid(const TTableGrid& grid);

// Reshapes a sensor grid: the status leads each row, the thresholds follow
// the units where some row has them, graver rows first (else in the
// library's order), sortable. factsOf(r) gives the facts of the sensor of
// the grid's row r (1 for the first sensor).
void ShapeSensorGrid(TTableGrid& grid, const std::function<TSensorFacts(int32_t row)>& factsOf);

// The gravest of a status text's parts: kNone for "OK" (or nothing), a
// warning for a degraded or stressed sensor or a predicted failure, an error
// for an error or a lost sensor, kInfo for any other state.
ESeverity SensorStatusSeverity(const std::string& status);

// A sensor value, raw x 10^modifier, written as the library writes readings;
// "" for no raw value.
std::string ScaledSensorValue(const std::string& raw, int32_t modifier);

#endif
