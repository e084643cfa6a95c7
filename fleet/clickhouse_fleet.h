// The fleet in ClickHouse, through its HTTP interface (libcurl): for a
// support organisation's millions of collections and many engineers asking
// at once. The tables are fleet_schema.h's, in MergeTree; with a cluster,
// spread over its shards by a Distributed table each.
//
// ClickHouse has no transactions: a collection's rows go in one INSERT per
// table, its row of `collections` last, under an id of its own that grows
// with the time of adding. Rows of an add that died midway name an id that
// no collection has, so no query through `collections` or `latest` sees
// them, and the next add of that content writes it whole again. The content
// hash is looked up before adding; two adds of the same content at the very
// same moment may both add it.
//
// Read-only access sends one SELECT (or WITH) statement, with the server's
// setting readonly=1 on top.
#ifndef QZA_FLEET_CLICKHOUSE_FLEET_H
#define QZA_FLEET_CLICKHOUSE_FLEET_H

#include <memory>
#include <string>

#include "fleet/fleet_engine.h"

class TClickHouseFleet : public IFleetEngine {
 public:
  // location: "clickhouse://HOST[:PORT]/DATABASE" (port 8123 when left out).
  TClickHouseFleet(const std::string& location, EFleetAccess access, const std::string& cluster);
  ~TClickHouseFleet() override;
  TClickHouseFleet(const TClickHouseFleet&) = delete;
  TClickHouseFleet& operator=(const TClickHouseFleet&) = delete;

  EFleetDialect Dialect() const override { return EFleetDialect::kClickHouse; }
  void CreateSchema() override;
  bool AddCollection(const TFleetCollection& collection) override;
  bool HasCollection(const std::string& contentHash) override;
  TFleetQueryResult Query(const std::string& sql) override;

  static bool IsLocation(const std::string& location) { return location.rfind("clickhouse://", 0) == 0; }

 private:
  class TConnection;

  void Insert(const TFleetTableRows& rows, const std::string& leading, const std::string& leadingValue);

  EFleetAccess fAccess;
  std::string fCluster;
  std::unique_ptr<TConnection> fConnection;
};

#endif
