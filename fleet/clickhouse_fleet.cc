#ifdef QZA_WITH_CLICKHOUSE
#include "fleet/clickhouse_fleet.h"

#include <curl/curl.h>

#include <cctype>
#include <chrono>
#include <cstring>
#include <random>
#include <regex>

#include "fleet/fleet_schema.h"

namespace {

const char kScheme[] = "clickhouse://";
// How ClickHouse's answer starts when a statement ran past max_execution_time.
const char kTimeoutExceeded[] = "Code: 159,";
// How long the client waits past a time limit for the server's answer.
const int kAnswerGraceSeconds = 10;
// Added collections are written once their rows take this much: a few
// hundred collections in one INSERT per table, and memory bounded.
const size_t kBatchBytes = 16 << 20;

// Tab-separated values as ClickHouse reads and writes them: \N is null, and
// a backslash escapes the bytes that would end a field or a row.
std::string TabSeparatedField(const TFleetValue& value) {
  if (value.IsNull()) return "\\N";
  std::string field;
  for (const char c : value.fText) {
    switch (c) {
      case '\\': field += "\\\\"; break;
      case '\t': field += "\\t"; break;
      case '\n': field += "\\n"; break;
      case '\r': field += "\\r"; break;
      case '\0': field += "\\0"; break;
      default: field += c;
    }
  }
  return field;
}

TFleetValue FieldValue(const std::string& field, EFleetType type) {
  if (field == "\\N") return {};
  std::string text;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      text += field[i];
      continue;
    }
    const char escaped = field[++i];
    const char* const kFrom = "tnrb0fa";
    const char* const kTo = "\t\n\r\b\0\f\a";
    const char* found = escaped == '\0' ? nullptr : std::strchr(kFrom, escaped);
    text += found ? kTo[found - kFrom] : escaped;
  }
  return {type, std::move(text)};
}

EFleetType TypeOf(std::string type) {
  if (type.rfind("Nullable(", 0) == 0) type = type.substr(9, type.size() - 10);
  if (type.rfind("Int", 0) == 0 || type.rfind("UInt", 0) == 0) return EFleetType::kInteger;
  if (type.rfind("Float", 0) == 0 || type.rfind("Decimal", 0) == 0) return EFleetType::kReal;
  return EFleetType::kText;
}

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at = line.find(separator); at != std::string::npos; at = line.find(separator, start)) {
    parts.push_back(line.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(line.substr(start));
  return parts;
}

// TabSeparatedWithNamesAndTypes: names, types, then a line per row.
TFleetQueryResult ParseAnswer(const std::string& body) {
  std::vector<std::string> lines = Split(body, '\n');
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  if (lines.size() < 2) throw TFleetError("ClickHouse answered without column names and types");
  TFleetQueryResult result;
  for (const std::string& name : Split(lines[0], '\t')) {
    result.fColumns.push_back(FieldValue(name, EFleetType::kText).fText);
  }
  std::vector<EFleetType> types;
  for (const std::string& type : Split(lines[1], '\t')) types.push_back(TypeOf(type));
  for (size_t i = 2; i < lines.size(); ++i) {
    const std::vector<std::string> fields = Split(lines[i], '\t');
    if (fields.size() != types.size()) throw TFleetError("ClickHouse answered a row of another width");
    TFleetRow row;
    for (size_t j = 0; j < fields.size(); ++j) row.push_back(FieldValue(fields[j], types[j]));
    result.fRows.push_back(std::move(row));
  }
  return result;
}

// The statement without what may surround it: spaces, comments, one ';'.
std::string StatementOf(const std::string& sql) {
  static const std::regex kLeading(R"(^(\s+|--[^\n]*(\n|$)|/\*[\s\S]*?\*/)*)");
  static const std::regex kTrailing(R"((\s+|--[^\n]*|;)*$)");
  return std::regex_replace(std::regex_replace(sql, kLeading, ""), kTrailing, "");
}

// Only a query: ClickHouse refuses a second statement itself, and with
// readonly=1 any write, settings change or table function.
void RefuseAllButOneQuery(const std::string& statement) {
  static const std::regex kQuery(R"(^(select|with)\b)", std::regex::icase);
  if (statement.empty()) throw TFleetError("the query holds no statement");
  if (!std::regex_search(statement, kQuery)) {
    throw TFleetError("fleet query only reads: the statement must be one SELECT (or WITH ... SELECT)");
  }
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' || c == '\\' ? std::string("\\") + c : std::string(1, c);
  return quoted + "'";
}

// Grows with the time of adding (microseconds, with random low bits so that
// two adds in one microsecond differ): `latest` takes the later added of
// two collections of one time.
int64_t NewCollectionId() {
  static std::mt19937_64 random{std::random_device{}()};
  const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return (static_cast<int64_t>(now.count()) << 10) | static_cast<int64_t>(random() & 1023);
}

// An integer column takes what reads as an integer; anything else (which
// SQLite would keep as text) is null.
bool ReadsAsInteger(const std::string& text) {
  static const std::regex kInteger(R"([-+]?[0-9]{1,18})");
  return std::regex_match(text, kInteger);
}

const TFleetTableColumns& ColumnsOf(const std::string& table) {
  for (const TFleetTableColumns& columns : FleetTableColumns()) {
    if (columns.fTable == table) return columns;
  }
  throw TFleetError("no fleet table " + table);
}

bool IsIntegerColumn(const TFleetTableColumns& table, const std::string& column) {
  for (const TFleetColumnType& type : table.fColumns) {
    if (type.fName == column) return type.fInteger;
  }
  throw TFleetError("no column " + column + " in fleet table " + table.fTable);
}

struct TClickHouseLocation {
  std::vector<std::string> fUrls;  // each server's, "http://HOST:PORT/"
  std::string fDatabase;
};

// "clickhouse://SERVER[,SERVER...]/DATABASE", a SERVER "HOST[:PORT]".
TClickHouseLocation ParseLocation(const std::string& location) {
  static const std::regex kLocation(R"(clickhouse://([^/]+)/([A-Za-z_][A-Za-z0-9_]*))");
  static const std::regex kServer(R"((\[[0-9A-Fa-f:.]+\]|[A-Za-z0-9.-]+)(:[0-9]{1,5})?)");
  const TFleetError kNotALocation(location + ": not a ClickHouse location; expected clickhouse://HOST:PORT/DATABASE");
  std::smatch parts;
  if (!std::regex_match(location, parts, kLocation)) throw kNotALocation;
  TClickHouseLocation parsed{{}, parts[2].str()};
  for (const std::string& server : Split(parts[1].str(), ',')) {
    std::smatch hostAndPort;
    if (!std::regex_match(server, hostAndPort, kServer)) throw kNotALocation;
    const std::string port = hostAndPort[2].matched ? hostAndPort[2].str() : ":8123";
    parsed.fUrls.push_back("http://" + hostAndPort[1].str() + port + "/");
  }
  return parsed;
}

size_t CollectBody(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

}  // namespace

// One server's HTTP interface: a statement in, the answer's text out.
class TClickHouseFleet::TConnection {
 public:
  TConnection(const std::string& location, const std::string& url, const std::string& database)
      : fLocation(location), fUrl(url), fDatabase(database) {
    static const CURLcode kInit = curl_global_init(CURL_GLOBAL_DEFAULT);
    fCurl = kInit == CURLE_OK ? curl_easy_init() : nullptr;
    if (fCurl == nullptr) throw TFleetError(location + ": cannot start the HTTP client");
  }
  ~TConnection() { curl_easy_cleanup(fCurl); }
  TConnection(const TConnection&) = delete;
  TConnection& operator=(const TConnection&) = delete;

  const std::string& Database() const { return fDatabase; }

  // settings: "name=value&..." of ClickHouse's settings for this statement;
  // the database may not exist yet when the statement creates it. A
  // statement with a time limit (seconds; 0: none) is stopped by the server,
  // and given up by the client a little later should the server not answer.
  std::string Post(const std::string& body, const std::string& settings, bool inDatabase = true, int timeLimit = 0) {
    const std::string limit = timeLimit > 0 ? "&max_execution_time=" + std::to_string(timeLimit) : "";
    const std::string url = fUrl + "?database=" + (inDatabase ? fDatabase : "default") + "&" + settings + limit;
    std::string answer;
    curl_easy_reset(fCurl);
    curl_easy_setopt(fCurl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(fCurl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(fCurl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(fCurl, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(fCurl, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(fCurl, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(fCurl, CURLOPT_NOSIGNAL, 1L);
    if (timeLimit > 0) curl_easy_setopt(fCurl, CURLOPT_TIMEOUT, static_cast<long>(timeLimit) + kAnswerGraceSeconds);
    const CURLcode status = curl_easy_perform(fCurl);
    if (status == CURLE_OPERATION_TIMEDOUT && timeLimit > 0) throw TFleetError(QueryStoppedMessage(timeLimit));
    if (status != CURLE_OK) throw TFleetError(fLocation + ": " + curl_easy_strerror(status));
    long code = 0;
    curl_easy_getinfo(fCurl, CURLINFO_RESPONSE_CODE, &code);
    if (code != 200 && answer.rfind(kTimeoutExceeded, 0) == 0) throw TFleetError(QueryStoppedMessage(timeLimit));
    if (code != 200) throw TFleetError(fLocation + ": " + StatementOf(answer));
    return answer;
  }

 private:
  std::string fLocation, fUrl, fDatabase;
  CURL* fCurl = nullptr;
};

TClickHouseFleet::TClickHouseFleet(const std::string& location, EFleetAccess access, const std::string& cluster)
    : fAccess(access), fCluster(cluster) {
  static const std::regex kName(R"([A-Za-z_][A-Za-z0-9_]*)");
  if (!cluster.empty() && !std::regex_match(cluster, kName)) throw TFleetError(cluster + ": not a cluster name");
  const TClickHouseLocation parsed = ParseLocation(location);
  if (parsed.fUrls.size() > 1 && cluster.empty()) {
    throw TFleetError(location + ": several servers are the shards of a cluster; name it with --cluster");
  }
  for (const std::string& url : parsed.fUrls) {
    fServers.push_back(std::make_unique<TConnection>(location, url, parsed.fDatabase));
  }
}

TClickHouseFleet::~TClickHouseFleet() = default;

// Every server of the cluster is named, so that each holds its shard's tables.
void TClickHouseFleet::CheckClusterServers() {
  const std::string answer =
      Server().Post("SELECT count() FROM system.clusters WHERE cluster = " + Quoted(fCluster), "readonly=1", false);
  if (answer == std::to_string(fServers.size()) + "\n") return;
  throw TFleetError("cluster " + fCluster + ": the server knows " + StatementOf(answer) + " servers of it, the " +
                    "location names " + std::to_string(fServers.size()) +
                    "; name each one's HTTP interface: clickhouse://HOST:PORT,HOST:PORT.../DATABASE");
}

void TClickHouseFleet::CreateSchema() {
  if (fAccess == EFleetAccess::kReadOnly) throw TFleetError("the fleet is open read-only");
  if (!fCluster.empty()) CheckClusterServers();
  for (const std::unique_ptr<TConnection>& server : fServers) {
    for (const std::string& statement : ClickHouseFleetSchema(server->Database(), fCluster)) {
      server->Post(statement, "", false);
    }
  }
}

bool TClickHouseFleet::HasCollection(const std::string& contentHash) {
  const std::string answer =
      Server().Post("SELECT count() FROM collections WHERE content_hash = " + Quoted(contentHash), "readonly=1");
  return answer != "0\n";
}

// The table's rows, each after the value of the leading column, at the end
// of the INSERT of that table and those columns.
void TClickHouseFleet::Append(const TFleetTableRows& rows, const std::string& leading,
                              const std::string& leadingValue, TInserts& inserts) {
  if (rows.fRows.empty()) return;
  const TFleetTableColumns& table = ColumnsOf(rows.fTable);
  std::vector<bool> integer;
  std::string statement = "INSERT INTO " + rows.fTable + " (" + leading;
  for (const std::string& column : rows.fColumns) {
    statement += ", " + column;
    integer.push_back(IsIntegerColumn(table, column));
  }
  std::string& body = inserts[statement + ") FORMAT TabSeparated\n"];
  const size_t before = body.size();
  for (const TFleetRow& row : rows.fRows) {
    body += leadingValue;
    for (size_t i = 0; i < row.size(); ++i) {
      const bool fits = !integer[i] || row[i].IsNull() || ReadsAsInteger(row[i].fText);
      body += "\t" + TabSeparatedField(fits ? row[i] : TFleetValue());
    }
    body += "\n";
  }
  fPendingBytes += body.size() - before;
}

bool TClickHouseFleet::AddCollection(const TFleetCollection& collection) {
  if (fAccess == EFleetAccess::kReadOnly) throw TFleetError("the fleet is open read-only");
  if (fPendingHashes.count(collection.fContentHash) != 0 || HasCollection(collection.fContentHash)) return false;
  const std::string id = std::to_string(NewCollectionId());
  for (const TFleetTableRows& rows : collection.fTables) Append(rows, "collection_id", id, fPendingRows);
  Append(collection.fCollection, "id, content_hash",
         id + "\t" + TabSeparatedField(TFleetValue::Text(collection.fContentHash)), fPendingCollections);
  fPendingHashes.insert(collection.fContentHash);
  if (fPendingBytes >= kBatchBytes) Flush();
  return true;
}

// The rows of `collections` last: until they are in, the other rows are
// invisible. Inserts into a cluster's Distributed table reach the shards
// before the answer, so that the next look-up sees them.
void TClickHouseFleet::Flush() {
  const std::string settings = fCluster.empty() ? "" : "insert_distributed_sync=1";
  for (TInserts* inserts : {&fPendingRows, &fPendingCollections}) {
    for (const auto& [statement, rows] : *inserts) Server().Post(statement + rows, settings);
  }
  fPendingRows.clear();
  fPendingCollections.clear();
  fPendingHashes.clear();
  fPendingBytes = 0;
}

TFleetQueryResult TClickHouseFleet::Query(const std::string& sql) {
  const std::string statement = StatementOf(sql);
  RefuseAllButOneQuery(statement);
  return ParseAnswer(
      Server().Post(statement + "\nFORMAT TabSeparatedWithNamesAndTypes", "readonly=1", true, fQueryTimeLimit));
}
#endif
