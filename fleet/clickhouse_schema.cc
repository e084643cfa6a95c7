#include <sstream>

#include "fleet/fleet_schema.h"

namespace {

// How a table lies in ClickHouse: its sorting key (the primary index) and,
// on a cluster, the key that picks its shard. Every named query joins the
// rows of a collection by collection_id, and `fleet add` looks a collection
// up by its content hash; a collection's rows share its shard.
struct TClickHouseLayout {
  const char* fTable;
  const char* fOrderBy;
  const char* fShardBy;
};

const TClickHouseLayout kCollectionsLayout = {"collections", "content_hash", "id"};
const TClickHouseLayout kRowsLayout = {"", "collection_id", "collection_id"};

const TClickHouseLayout& LayoutOf(const std::string& table) {
  return table == kCollectionsLayout.fTable ? kCollectionsLayout : kRowsLayout;
}

// "  name  TYPE  [NOT NULL] [DEFAULT ...]" of a CREATE TABLE's body.
TFleetColumnType ColumnOfLine(const std::string& line) {
  std::istringstream words(line);
  TFleetColumnType column;
  std::string type;
  words >> column.fName >> type;
  column.fInteger = type.rfind("INTEGER", 0) == 0;
  column.fNullable = line.find("NOT NULL") == std::string::npos && line.find("PRIMARY KEY") == std::string::npos;
  column.fDefaultsToNow = line.find("DEFAULT (datetime('now'))") != std::string::npos;
  return column;
}

std::vector<TFleetTableColumns> ReadTableColumns(const std::string& schema) {
  static const std::string kCreate = "CREATE TABLE IF NOT EXISTS ";
  std::vector<TFleetTableColumns> tables;
  for (size_t at = schema.find(kCreate); at != std::string::npos; at = schema.find(kCreate, at)) {
    at += kCreate.size();
    const size_t open = schema.find('(', at), close = schema.find("\n);", at);
    TFleetTableColumns table{schema.substr(at, schema.find_first_of(" (", at) - at), {}};
    std::istringstream body(schema.substr(open + 1, close - open - 1));
    for (std::string line; std::getline(body, line);) {
      if (line.find_first_not_of(' ') != std::string::npos) table.fColumns.push_back(ColumnOfLine(line));
    }
    tables.push_back(std::move(table));
  }
  return tables;
}

std::string ClickHouseType(const TFleetColumnType& column) {
  // SQLite's datetime('now') is UTC, "YYYY-MM-DD HH:MM:SS"; so is this.
  if (column.fDefaultsToNow) return "String DEFAULT toString(now(), 'UTC')";
  const std::string type = column.fInteger ? "Int64" : "String";
  return column.fNullable ? "Nullable(" + type + ")" : type;
}

std::string ColumnDefinitions(const TFleetTableColumns& table) {
  std::string definitions;
  for (const TFleetColumnType& column : table.fColumns) {
    definitions += (definitions.empty() ? "" : ", ") + column.fName + " " + ClickHouseType(column);
  }
  return definitions;
}

// The newest collection of each host by collection time, then the later
// added (ids grow with the time of adding); as SQLite's view, without a
// flag to update. GLOBAL: on a cluster, the hosts' newest are found across
// all shards.
std::string LatestView(const std::string& database) {
  const std::string collections = database + ".collections";
  return "CREATE VIEW IF NOT EXISTS " + database + ".latest AS SELECT * FROM " + collections +
         " WHERE host IS NULL OR id GLOBAL IN (SELECT argMax(id, (ifNull(collected, ''), id)) FROM " + collections +
         " WHERE host IS NOT NULL GROUP BY host)";
}

}  // namespace

const std::vector<TFleetTableColumns>& FleetTableColumns() {
  static const std::vector<TFleetTableColumns> kTables = ReadTableColumns(kSqliteFleetSchema);
  return kTables;
}

std::vector<std::string> ClickHouseFleetSchema(const std::string& database, const std::string& cluster) {
  std::vector<std::string> statements{"CREATE DATABASE IF NOT EXISTS " + database};
  for (const TFleetTableColumns& table : FleetTableColumns()) {
    const TClickHouseLayout& layout = LayoutOf(table.fTable);
    const std::string name = database + "." + table.fTable;
    const std::string stored = cluster.empty() ? name : name + "_local";
    statements.push_back("CREATE TABLE IF NOT EXISTS " + stored + " (" + ColumnDefinitions(table) +
                         ") ENGINE = MergeTree ORDER BY " + layout.fOrderBy);
    if (cluster.empty()) continue;
    statements.push_back("CREATE TABLE IF NOT EXISTS " + name + " AS " + stored +
                         " ENGINE = Distributed(" + cluster + ", " + database + ", " + table.fTable + "_local, " +
                         layout.fShardBy + ")");
  }
  statements.push_back(LatestView(database));
  return statements;
}
