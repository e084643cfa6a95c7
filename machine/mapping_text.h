// Small text helpers the mapping functions share.
#ifndef QZA_MACHINE_MAPPING_TEXT_H
#define QZA_MACHINE_MAPPING_TEXT_H

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "machine/parsers/system_files.h"

namespace NVKXQZA20::NMachine {

std::string Trimmed(const std::string& text);
std::vector<std::string> Words(const std::string& text);
bool StartsWith(const std::string& text, const std::string& start);
// A whole non-negative number, or nothing.
std::optional<long long> WholeNumber(const std::string& text);
// The text, or "" when it is one of the placeholders firmware writes for
// "unknown" ("Not Specified", "To Be Filled By O.E.M.", "Unknown", ...).
std::string Meaningful(const std::string& text);

// The machine's own clock when its outputs were taken, from `date` (C locale:
// "Mon Dec  7 06:26:38 CET 2026"; en_US: "Mon 07 Dec 2026 06:26:38 AM CET";
// en_GB: "Mon 07 Dec 2026 06:26:38 CET") and `date --utc`, which print one
// moment: their difference is the zone's offset. Without `date --utc`, the
// offset timedatectl states, else the one of the zone's abbreviation ("CET",
// "+0530"; "CST" and "IST" by the zone's name, "America/Chicago"). Nothing
// when the local time is unreadable, the offset unknown, or the two outputs
// lie more than a day apart.
struct TMachineClock {
  std::time_t fLocalAsIfUtc = 0;  // the local time's fields read as universal time
  long fOffsetMinutes = 0;        // east of universal time
  std::string fZone;              // "CET"
  std::string fOffsetFrom;        // "date --utc", "timedatectl", "the zone's abbreviation"
};
std::optional<TMachineClock> MachineClock(const std::string& date, const std::string& dateUtc,
                                          const TTimeSettings& timeSettings = {}, const std::string& zoneName = "");

// The zone abbreviation `date` printed ("CET"), or "" when it is unreadable.
std::string DateZone(const std::string& date);

// The moment `date --utc` printed, "Mon Dec  7 03:23:22 UTC 2026".
std::optional<std::time_t> UniversalTime(const std::string& dateUtc);

// A CIM datetime of local fields read as universal time, with the offset:
// "20261207072638.000000+060".
std::string CimLocalTime(std::time_t localAsIfUtc, long offsetMinutes);

}  // namespace NVKXQZA20::NMachine

#endif
