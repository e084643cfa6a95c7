// fleet/ — many collections in one database, questions across all of them
// in SQL: the tables of a collection (read from the repository), the engine
// interface and its SQLite engine, content hashes of inputs, named queries,
// the output forms of a query and the fleet page. Uses the findings (the
// problems list), the HTML report's tables and assets (forms/html), the
// report library's repository reads and the core; never the tool.
//
// The engine behind the fleet's tables. The tables are filled from one
// collection at a time (ReadFleetCollection in fleet_mapping.h) and read
// back with SQL; SQLite is the embedded engine, ClickHouse the server one.
//
//   std::unique_ptr<IFleetEngine> fleet = OpenFleet("fleet.db", EFleetAccess::kReadWrite);
//   fleet->CreateSchema();
//   if (!fleet->HasCollection(hash)) fleet->AddCollection(ReadFleetCollection(ns, hash, source));
//   fleet->Flush();
//   std::unique_ptr<IFleetEngine> reader = OpenFleet("fleet.db", EFleetAccess::kReadOnly);
//   reader->LimitQueryTime(60);
//   TFleetQueryResult answer = reader->Query("SELECT ...");
//
// Errors: a database that cannot be opened or written, and a statement that
// fails or would write through Query, throw TFleetError with the engine's
// message.
#ifndef QZA_FLEET_FLEET_ENGINE_H
#define QZA_FLEET_FLEET_ENGINE_H

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class TFleetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class EFleetType { kNull, kInteger, kReal, kText };

// One cell: values read from a collection are texts (or null); the columns'
// declared types make numbers of them. Query results carry the engine's type.
struct TFleetValue {
  EFleetType fType = EFleetType::kNull;
  std::string fText;

  static TFleetValue Text(std::string text) { return {EFleetType::kText, std::move(text)}; }
  // An empty text is null: a property the collection leaves unset.
  static TFleetValue TextOrNull(std::string text) { return text.empty() ? TFleetValue() : Text(std::move(text)); }
  bool IsNull() const { return fType == EFleetType::kNull; }
};

using TFleetRow = std::vector<TFleetValue>;

// Rows for one table; each row has a value per column, in fColumns' order.
struct TFleetTableRows {
  std::string fTable;
  std::vector<std::string> fColumns;
  std::vector<TFleetRow> fRows;
};

// One collection: its row of `collections` (without id and content hash)
// and the rows of the other tables (without collection_id).
struct TFleetCollection {
  std::string fContentHash;
  TFleetTableRows fCollection;
  std::vector<TFleetTableRows> fTables;
};

struct TFleetQueryResult {
  std::vector<std::string> fColumns;
  std::vector<TFleetRow> fRows;
};

// The SQL an engine speaks: the named queries have a text for each.
enum class EFleetDialect { kSqlite, kClickHouse };

class IFleetEngine {
 public:
  virtual ~IFleetEngine() = default;
  virtual EFleetDialect Dialect() const = 0;
  // Creates the tables, views and indexes that are missing.
  virtual void CreateSchema() = 0;
  // Adds the collection and all its rows at once, or nothing; false (and
  // nothing added) when a collection of that content hash is there already.
  // An engine may hold added collections back to write many at once: Flush
  // writes them (an engine dropped before it leaves them out).
  virtual bool AddCollection(const TFleetCollection& collection) = 0;
  virtual void Flush() = 0;
  virtual bool HasCollection(const std::string& contentHash) = 0;
  // A read-only statement's answer; one that would change anything is refused.
  virtual TFleetQueryResult Query(const std::string& sql) = 0;
  // A query running longer than seconds is stopped (TFleetError,
  // QueryStoppedMessage); 0: no limit, as when never set.
  virtual void LimitQueryTime(int seconds) = 0;
};

// "query stopped after N s": a query that reached its time limit.
std::string QueryStoppedMessage(int seconds);

enum class EFleetAccess { kReadOnly, kReadWrite };

// The engine of a database location: "clickhouse://HOST:PORT/DATABASE" is
// a ClickHouse server's HTTP interface (with a cluster, "HOST:PORT,HOST:PORT"
// its servers', the tables spread over its shards); anything else is the path of a SQLite database (created
// when missing, for kReadWrite only).
std::unique_ptr<IFleetEngine> OpenFleet(const std::string& location, EFleetAccess access,
                                        const std::string& cluster = "");

#endif
