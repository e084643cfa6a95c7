// A numeric sensor's reading as its CIM properties give it, for the pages
// that list sensors: CurrentReading scaled by 10 to the UnitModifier.
//
//   ScaledSensorReading(*sensor);   // CurrentReading 4500, UnitModifier -2: "45"
#ifndef QZA_WRITER_SENSOR_READING_H
#define QZA_WRITER_SENSOR_READING_H

#include <string>

#include "core/cim.h"

// Computed in single precision and written by a stream with that many
// significant digits (6 is a stream's default). A reading or modifier that
// cannot be read counts as 0.
std::string ScaledSensorReading(const NVKXQZA20::ICIMInstance& sensor, int significantDigits = 6);

#endif
