// What one collection puts into the fleet's tables: its row of
// `collections` (host, serial, maker, model, OS, kernel, collection time)
// and the rows of the other tables, read from the repository by one list of
// sources (table, class, column ↦ property or reader), as fleet_schema.cc
// declares them.
//
//   TFleetCollection rows = ReadFleetCollection(ns, ContentHashOf(path), path);
#ifndef QZA_FLEET_FLEET_MAPPING_H
#define QZA_FLEET_FLEET_MAPPING_H

#include <string>

#include "fleet/fleet_engine.h"
#include "writer/writer.h"

// Data source 0 of ns; source names the input it came from.
TFleetCollection ReadFleetCollection(const TWriter::TNamespacePtr& ns, const std::string& contentHash,
                                     const std::string& source);

// A CIM date-time ("20261120143005.000000-300") as UTC, "2026-11-20
// 19:30:05"; "" for anything else (an interval, a malformed text).
std::string UtcTimeOfCimDateTime(const std::string& text);

#endif
