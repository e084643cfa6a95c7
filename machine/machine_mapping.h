// The mapping from a machine's records to the classes of our schema that the
// report's pages read, with the associations the pages walk: the same
// classes and properties the bundled Linux sample shows, filled from real
// outputs. Each function maps one area; MapMachine maps them all.
#ifndef QZA_MACHINE_MACHINE_MAPPING_H
#define QZA_MACHINE_MACHINE_MAPPING_H

#include <ctime>
#include <string>

#include "machine/collection.h"
#include "machine/machine_records.h"

namespace NVKXQZA20::NMachine {

// Source of the data: what the Data Source table of the overview shows.
struct TDataSource {
  std::string fBuild;  // "qzareport 1.0, live" or "..., sos report 4.0"
};

void MapSystem(const TMachineRecords& records, const TDataSource& source, TCollection& out);
void MapProcessorsAndMemory(const TMachineRecords& records, TCollection& out);
void MapPci(const TMachineRecords& records, TCollection& out);
void MapStorage(const TMachineRecords& records, TCollection& out);
void MapNetwork(const TMachineRecords& records, TCollection& out);
void MapSoftware(const TMachineRecords& records, TCollection& out);
void MapLogs(const TMachineRecords& records, TCollection& out);
void MapHealth(const TMachineRecords& records, TCollection& out);

void MapMachine(const TMachineRecords& records, const TDataSource& source, TCollection& out);

// A log's time as printed ("Dec  7 03:22:29", "2026-12-07T03:22:29+0000",
// microseconds since 1970) as a CIM datetime; a time without year takes the
// collection's. "" when the text is no time.
std::string LogTimeAsCim(const std::string& time, std::time_t collected);

}  // namespace NVKXQZA20::NMachine

#endif
