// The forms a fleet query's answer is written in: an aligned table for a
// terminal (data shown as VisibleText, never obeyed by the terminal), CSV
// as RFC 4180 has it (CRLF line ends, fields quoted where they must be), and
// JSON (an array of objects, one per row; numbers as numbers, null as null).
#ifndef QZA_FLEET_QUERY_OUTPUT_H
#define QZA_FLEET_QUERY_OUTPUT_H

#include <ostream>
#include <string>

#include "fleet/fleet_engine.h"

// format is "table", "csv" or "json"; anything else throws std::invalid_argument.
void WriteQueryResult(const TFleetQueryResult& result, const std::string& format, std::ostream& out);

#endif
