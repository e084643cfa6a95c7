// The fleet in ClickHouse, through its HTTP interface (libcurl): for a
// support organisation's millions of collections and many engineers asking
// at once. The tables are fleet_schema.h's, in MergeTree; with a cluster,
// spread over its shards by a Distributed table each.
//
// ClickHouse has no transactions, and each INSERT makes a part on disk that
// is merged later: added collections wait in memory and go by batches (of
// kBatchBytes, and at Flush), in one INSERT per table, their rows of
// `collections` last, each under an id of its own that grows with the time
// of adding. Rows of an add that died midway name an id that no collection
// has, so no query through `collections` or `latest` sees them, and the next
// add of that content writes it whole again; a run killed before writing a
// batch leaves its collections for the next run to add. The content
// hash is looked up before adding; two adds of the same content at the very
// same moment may both add it.
//
// Read-only access sends one SELECT (or WITH) statement, with the server's
// setting readonly=1 on top; a time limit is the setting max_execution_time.
#ifndef QZA_FLEET_CLICKHOUSE_FLEET_H
#define QZA_FLEET_CLICKHOUSE_FLEET_H

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fleet/fleet_engine.h"

class TClickHouseFleet : public IFleetEngine {
 public:
  // location: "clickhouse://HOST[:PORT]/DATABASE" (port 8123 when left out);
  // with a cluster, "clickhouse://HOST:PORT,HOST:PORT.../DATABASE", the HTTP
  // interface of each of its servers (the first answers; the tables are
  // created on each).
  TClickHouseFleet(const std::string& location, EFleetAccess access, const std::string& cluster);
  ~TClickHouseFleet() override;
  TClickHouseFleet(const TClickHouseFleet&) = delete;
  TClickHouseFleet& operator=(const TClickHouseFleet&) = delete;

  EFleetDialect Dialect() const override { return EFleetDialect::kClickHouse; }
  void CreateSchema() override;
  bool AddCollection(const TFleetCollection& collection) override;
  void Flush() override;
  bool HasCollection(const std::string& contentHash) override;
  TFleetQueryResult Query(const std::string& sql) override;
  void LimitQueryTime(int seconds) override { fQueryTimeLimit = seconds; }

  static bool IsLocation(const std::string& location) { return location.rfind("clickhouse://", 0) == 0; }

 private:
  class TConnection;

  // Rows waiting to be written: INSERT bodies by their first line (a table
  // and its columns).
  using TInserts = std::map<std::string, std::string>;

  TConnection& Server() { return *fServers.front(); }
  void CheckClusterServers();
  void Append(const TFleetTableRows& rows, const std::string& leading, const std::string& leadingValue,
              TInserts& inserts);

  EFleetAccess fAccess;
  std::string fCluster;
  std::vector<std::unique_ptr<TConnection>> fServers;
  int fQueryTimeLimit = 0;
  TInserts fPendingRows, fPendingCollections;
  std::set<std::string> fPendingHashes;
  size_t fPendingBytes = 0;
};

#endif
