#include "fleet/sqlite_fleet.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>

#include "fleet/fleet_schema.h"

namespace {

// A prepared statement, finalized however its use ends.
class TStatement {
 public:
  TStatement(sqlite3* database, const std::string& sql, const char** tail = nullptr) : fDatabase(database) {
    if (sqlite3_prepare_v2(database, sql.c_str(), static_cast<int>(sql.size() + 1), &fStatement, tail) != SQLITE_OK) {
      throw TFleetError(sqlite3_errmsg(database));
    }
  }
  ~TStatement() { sqlite3_finalize(fStatement); }
  TStatement(const TStatement&) = delete;
  TStatement& operator=(const TStatement&) = delete;

  sqlite3_stmt* Get() const { return fStatement; }
  bool Empty() const { return fStatement == nullptr; }

  void Bind(int index, const TFleetValue& value) {
    const int status = value.IsNull() ? sqlite3_bind_null(fStatement, index)
                                      : sqlite3_bind_text(fStatement, index, value.fText.data(),
                                                          static_cast<int>(value.fText.size()), SQLITE_TRANSIENT);
    if (status != SQLITE_OK) throw TFleetError(sqlite3_errmsg(fDatabase));
  }

  // True while a row is there to read.
  bool Step() {
    const int status = sqlite3_step(fStatement);
    if (status == SQLITE_ROW) return true;
    if (status == SQLITE_DONE) return false;
    throw TFleetError(sqlite3_errmsg(fDatabase));
  }

  void Reset() {
    sqlite3_reset(fStatement);
    sqlite3_clear_bindings(fStatement);
  }

 private:
  sqlite3* fDatabase;
  sqlite3_stmt* fStatement = nullptr;
};

TFleetValue ColumnValue(sqlite3_stmt* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement, column);
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
      return {};
    case SQLITE_INTEGER:
      return {EFleetType::kInteger, reinterpret_cast<const char*>(text)};
    case SQLITE_FLOAT:
      return {EFleetType::kReal, reinterpret_cast<const char*>(text)};
    default:
      return {EFleetType::kText, text ? std::string(reinterpret_cast<const char*>(text),
                                                    static_cast<size_t>(sqlite3_column_bytes(statement, column)))
                                      : std::string()};
  }
}

bool OnlySpaceOrComments(const char* tail) {
  for (; *tail != '\0'; ++tail) {
    if (tail[0] == '-' && tail[1] == '-') {
      while (*tail != '\0' && *tail != '\n') ++tail;
      if (*tail == '\0') return true;
    } else if (!std::isspace(static_cast<unsigned char>(*tail))) {
      return false;
    }
  }
  return true;
}

// INSERT INTO table (leading, columns...) VALUES (?, ?...)
std::string InsertStatement(const TFleetTableRows& rows, const std::string& leading) {
  std::string columns = leading, values = "?";
  for (const std::string& column : rows.fColumns) {
    columns += ", " + column;
    values += ", ?";
  }
  return "INSERT INTO " + rows.fTable + " (" + columns + ") VALUES (" + values + ")";
}

// SQLite calls it every kProgressSteps virtual machine steps (well under a
// millisecond); a non-zero answer interrupts the statement.
const int kProgressSteps = 10000;

int PastDeadline(void* deadline) {
  return std::chrono::steady_clock::now() > *static_cast<std::chrono::steady_clock::time_point*>(deadline);
}

// Interrupts the database's statements once seconds have passed (0: never),
// for as long as it lives.
class TQueryDeadline {
 public:
  TQueryDeadline(sqlite3* database, int seconds)
      : fDatabase(database), fDeadline(std::chrono::steady_clock::now() + std::chrono::seconds(seconds)) {
    if (seconds > 0) sqlite3_progress_handler(database, kProgressSteps, PastDeadline, &fDeadline);
  }
  ~TQueryDeadline() { sqlite3_progress_handler(fDatabase, 0, nullptr, nullptr); }
  TQueryDeadline(const TQueryDeadline&) = delete;
  TQueryDeadline& operator=(const TQueryDeadline&) = delete;

 private:
  sqlite3* fDatabase;
  std::chrono::steady_clock::time_point fDeadline;
};

TFleetQueryResult ReadAll(TStatement& statement) {
  TFleetQueryResult result;
  const int columns = sqlite3_column_count(statement.Get());
  for (int i = 0; i < columns; ++i) result.fColumns.push_back(sqlite3_column_name(statement.Get(), i));
  while (statement.Step()) {
    TFleetRow row;
    for (int i = 0; i < columns; ++i) row.push_back(ColumnValue(statement.Get(), i));
    result.fRows.push_back(std::move(row));
  }
  return result;
}

// A reader may not reach other files: ATTACH counts as read-only to SQLite.
int RefuseAttaching(void*, int action, const char*, const char*, const char*, const char*) {
  return action == SQLITE_ATTACH || action == SQLITE_DETACH ? SQLITE_DENY : SQLITE_OK;
}

}  // namespace

TSqliteFleet::TSqliteFleet(const std::string& path, EFleetAccess access) : fPath(path) {
  const int flags = access == EFleetAccess::kReadOnly ? SQLITE_OPEN_READONLY
                                                      : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  if (sqlite3_open_v2(path.c_str(), &fDatabase, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
    const std::string message = fDatabase ? sqlite3_errmsg(fDatabase) : "out of memory";
    sqlite3_close(fDatabase);
    throw TFleetError(path + ": cannot open the fleet database: " + message);
  }
  sqlite3_extended_result_codes(fDatabase, 1);
  sqlite3_busy_timeout(fDatabase, kBusyTimeoutMilliseconds);
  try {
    if (access == EFleetAccess::kReadOnly) {
      Execute("PRAGMA query_only = ON");
      sqlite3_set_authorizer(fDatabase, RefuseAttaching, nullptr);
    } else {
      // In WAL mode a commit is kept when the process dies right after it;
      // NORMAL gives up only the last commits on a power loss.
      UseWriteAheadLog();
      Execute("PRAGMA synchronous = NORMAL");
      Execute("PRAGMA foreign_keys = ON");
      // A collection's rows land all over the indexes (by model, by message):
      // a few hundred pages per commit. With SQLite's defaults (2 MB of cache,
      // a checkpoint every 1,000 pages) a fleet of thousands rereads its
      // index pages and copies them back at nearly every commit; with these,
      // adding stays as fast at 10,000 collections as at 100.
      Execute("PRAGMA cache_size = -" + std::to_string(kWriterCacheKibibytes));
      Execute("PRAGMA wal_autocheckpoint = " + std::to_string(kCheckpointPages));
    }
  } catch (...) {
    sqlite3_close(fDatabase);
    throw;
  }
}

TSqliteFleet::~TSqliteFleet() { sqlite3_close(fDatabase); }

// Switching to WAL needs the database to itself, and SQLite does not wait
// for that as it waits for a write lock: a writer that opens a new database
// while another is setting it up tries again, as long as it would wait for
// a lock. The mode stays with the file, so later writers find it set.
void TSqliteFleet::UseWriteAheadLog() {
  const char kWal[] = "PRAGMA journal_mode = WAL";
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMilliseconds);
  while ((sqlite3_exec(fDatabase, kWal, nullptr, nullptr, nullptr) & 0xff) == SQLITE_BUSY &&
         std::chrono::steady_clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kWalRetryMilliseconds));
  }
  Execute(kWal);
}

void TSqliteFleet::Execute(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(fDatabase, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string text = message ? message : sqlite3_errmsg(fDatabase);
    sqlite3_free(message);
    throw TFleetError(fPath + ": " + text);
  }
}

// A database made before the spreads existed gets them filled from its
// latest collections.
void TSqliteFleet::CreateSchema() {
  Execute("BEGIN IMMEDIATE");
  try {
    const bool spreadsThere = std::all_of(std::begin(kSqliteSpreadTables), std::end(kSqliteSpreadTables),
                                          [this](const char* table) { return HasTable(table); });
    Execute(kSqliteFleetSchema);
    Execute(kSqliteSpreadSchema);
    if (!spreadsThere) FillSpreads();
    Execute("COMMIT");
  } catch (...) {
    sqlite3_exec(fDatabase, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

bool TSqliteFleet::HasCollection(const std::string& contentHash) {
  TStatement statement(fDatabase, "SELECT 1 FROM collections WHERE content_hash = ?");
  statement.Bind(1, TFleetValue::Text(contentHash));
  return statement.Step();
}

bool TSqliteFleet::HasTable(const std::string& name) {
  TStatement statement(fDatabase, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
  statement.Bind(1, TFleetValue::Text(name));
  return statement.Step();
}

void TSqliteFleet::FillSpreads() {
  for (const char* table : kSqliteSpreadTables) Execute(std::string("DELETE FROM ") + table);
  TStatement latest(fDatabase, "SELECT id FROM latest");
  while (latest.Step()) CountInSpreads(ColumnValue(latest.Get(), 0), 1);
}

void TSqliteFleet::CountInSpreads(const TFleetValue& id, int change) {
  for (const std::string& sql : SqliteSpreadCounts()) {
    TStatement statement(fDatabase, sql);
    statement.Bind(1, id);
    statement.Bind(2, TFleetValue::Text(std::to_string(change)));
    statement.Step();
  }
  for (const char* table : kSqliteSpreadTables) Execute(std::string("DELETE FROM ") + table + " WHERE hosts = 0");
}

// A new collection that is its host's latest takes the place of the one
// that was in the spreads; one collected earlier than that is history.
void TSqliteFleet::UpdateSpreads(const TFleetValue& id) {
  TStatement isLatest(fDatabase, "SELECT 1 FROM latest WHERE id = ?");
  isLatest.Bind(1, id);
  if (!isLatest.Step()) return;
  TStatement previous(fDatabase,
                      "SELECT d.id FROM collections d WHERE d.host = (SELECT host FROM collections WHERE id = ?1) "
                      "AND d.id <> ?1 ORDER BY d.collected DESC, d.id DESC LIMIT 1");
  previous.Bind(1, id);
  if (previous.Step()) CountInSpreads(ColumnValue(previous.Get(), 0), -1);
  CountInSpreads(id, 1);
}

// Each row follows the value of the leading column: the content hash of a
// collection, the collection id of the other tables' rows.
void TSqliteFleet::InsertRows(const TFleetTableRows& rows, const std::string& leading, const TFleetValue& value) {
  TStatement statement(fDatabase, InsertStatement(rows, leading));
  for (const TFleetRow& row : rows.fRows) {
    statement.Bind(1, value);
    for (size_t i = 0; i < row.size(); ++i) statement.Bind(static_cast<int>(i + 2), row[i]);
    statement.Step();
    statement.Reset();
  }
}

// The write lock is taken at BEGIN IMMEDIATE, so no other writer can add
// the same content between the look-up and the insert.
bool TSqliteFleet::AddInTransaction(const TFleetCollection& collection) {
  if (HasCollection(collection.fContentHash)) return false;
  InsertRows(collection.fCollection, "content_hash", TFleetValue::Text(collection.fContentHash));
  const TFleetValue id = TFleetValue::Text(std::to_string(sqlite3_last_insert_rowid(fDatabase)));
  for (const TFleetTableRows& rows : collection.fTables) InsertRows(rows, "collection_id", id);
  UpdateSpreads(id);
  return true;
}

bool TSqliteFleet::AddCollection(const TFleetCollection& collection) {
  Execute("BEGIN IMMEDIATE");
  try {
    const bool added = AddInTransaction(collection);
    Execute(added ? "COMMIT" : "ROLLBACK");
    return added;
  } catch (...) {
    sqlite3_exec(fDatabase, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

TFleetQueryResult TSqliteFleet::Query(const std::string& sql) {
  const char* tail = nullptr;
  TStatement statement(fDatabase, sql, &tail);
  if (statement.Empty()) throw TFleetError("the query holds no statement");
  if (tail != nullptr && !OnlySpaceOrComments(tail)) throw TFleetError("the query holds more than one statement");
  if (!sqlite3_stmt_readonly(statement.Get())) {
    throw TFleetError("the query would change the database; fleet query only reads");
  }
  const TQueryDeadline deadline(fDatabase, fQueryTimeLimit);
  try {
    return ReadAll(statement);
  } catch (const TFleetError&) {
    if (sqlite3_errcode(fDatabase) == SQLITE_INTERRUPT) throw TFleetError(QueryStoppedMessage(fQueryTimeLimit));
    throw;
  }
}
