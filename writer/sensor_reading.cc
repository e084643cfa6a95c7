#include "writer/sensor_reading.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>

namespace {

// Beyond this many powers of ten a float reading is infinite or zero.
const int kMaxScaleSteps = 64;

int32_t IntegerOrZero(const NVKXQZA20::ICIMInstance& sensor, const std::string& name) {
  try {
    return sensor.GetProperty(name)->GetValue().ToSInt32();
  } catch (const NVKXQZA20::TQZAException&) {
    return 0;
  }
}

}  // namespace

std::string ScaledSensorReading(const NVKXQZA20::ICIMInstance& sensor, int significantDigits) {
  const int32_t modifier = IntegerOrZero(sensor, "UnitModifier");
  const int steps = static_cast<int>(std::min<int64_t>(std::llabs(modifier), kMaxScaleSteps));
  float scale = 1;
  for (int i = 0; i < steps; ++i) scale *= 10;
  const float reading = static_cast<float>(IntegerOrZero(sensor, "CurrentReading"));
  std::ostringstream text;
  text.precision(significantDigits);
  text << (modifier < 0 ? reading / scale : reading * scale);
  return text.str();
}
