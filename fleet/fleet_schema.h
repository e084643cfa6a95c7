// The fleet's tables in SQLite's dialect, one CREATE statement per table
// followed by its indexes; every statement may run again on a database that
// has it already. The README's "The fleet" section describes each column.
#ifndef QZA_FLEET_FLEET_SCHEMA_H
#define QZA_FLEET_FLEET_SCHEMA_H

#include <string>
#include <vector>

extern const char kSqliteFleetSchema[];

// Tables SQLite adds (the per-model version counts and the problem counts
// of the latest collections, which the engine keeps up to date), their names, and the
// statements that count a collection in or out of them.
extern const char kSqliteSpreadSchema[];
extern const char* const kSqliteSpreadTables[4];
const std::vector<std::string>& SqliteSpreadCounts();

// The same tables in ClickHouse (clickhouse_schema.cc), their columns read
// from kSqliteFleetSchema so that the two engines cannot drift apart.
struct TFleetColumnType {
  std::string fName;
  bool fInteger = false;
  bool fNullable = true;
  bool fDefaultsToNow = false;  // the time of adding, in UTC
};

struct TFleetTableColumns {
  std::string fTable;
  std::vector<TFleetColumnType> fColumns;
};

// The tables of kSqliteFleetSchema in its order, `collections` first.
const std::vector<TFleetTableColumns>& FleetTableColumns();

// The statements that create what is missing of the fleet in ClickHouse
// database `database` on one server: MergeTree tables and the `latest` view;
// with a cluster, its shard's local tables (`name_local`) and a Distributed
// table (`name`) spanning the shards. Each server of a cluster is sent them:
// no ON CLUSTER, which needs ZooKeeper.
std::vector<std::string> ClickHouseFleetSchema(const std::string& database, const std::string& cluster);

#endif
