// The fleet in one SQLite file: nothing to start, safe with several writers
// and with a writer killed at any moment. The database is in WAL mode with a
// busy timeout, so concurrent `fleet add` runs wait for each other rather
// than fail; each collection is added in one transaction, so a run killed
// midway leaves the database as it was before that collection.
//
// Read-only access opens the file with SQLITE_OPEN_READONLY and, on top,
// refuses any statement that SQLite does not call read-only.
#ifndef QZA_FLEET_SQLITE_FLEET_H
#define QZA_FLEET_SQLITE_FLEET_H

#include <chrono>
#include <string>

#include "fleet/fleet_engine.h"

struct sqlite3;

class TSqliteFleet : public IFleetEngine {
 public:
  // How long a writer waits for another's transaction before it gives up.
  static constexpr int kBusyTimeoutMilliseconds = 10 * 60 * 1000;
  static constexpr int kWalRetryMilliseconds = 10;
  // A writer's page cache, and the WAL pages after which it copies them
  // into the database (64 MB of 4 KB pages).
  static constexpr int kWriterCacheKibibytes = 128 * 1024;
  static constexpr int kCheckpointPages = 16 * 1024;

  TSqliteFleet(const std::string& path, EFleetAccess access);
  ~TSqliteFleet() override;
  TSqliteFleet(const TSqliteFleet&) = delete;
  TSqliteFleet& operator=(const TSqliteFleet&) = delete;

  EFleetDialect Dialect() const override { return EFleetDialect::kSqlite; }
  void CreateSchema() override;
  bool AddCollection(const TFleetCollection& collection) override;
  void Flush() override {}  // each collection is written as it is added
  bool HasCollection(const std::string& contentHash) override;
  TFleetQueryResult Query(const std::string& sql) override;
  void LimitQueryTime(int seconds) override { fQueryTimeLimit = seconds; }

 private:
  void Execute(const std::string& sql);
  void UseWriteAheadLog();
  void InsertRows(const TFleetTableRows& rows, const std::string& leading, const TFleetValue& value);
  bool AddInTransaction(const TFleetCollection& collection);
  bool HasTable(const std::string& name);
  void FillSpreads();
  // Counts collection id in (change 1) or out (-1) of the spreads.
  void CountInSpreads(const TFleetValue& id, int change);
  void UpdateSpreads(const TFleetValue& id);

  std::string fPath;
  sqlite3* fDatabase = nullptr;
  int fQueryTimeLimit = 0;
};

#endif
