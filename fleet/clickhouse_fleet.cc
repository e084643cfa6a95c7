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

size_t CollectBody(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

}  // namespace

// One server's HTTP interface: a statement in, the answer's text out.
class TClickHouseFleet::TConnection {
 public:
  explicit TConnection(const std::string& location) : fLocation(location) {
    static const std::regex kLocation(
        R"(clickhouse://((\[[0-9A-Fa-f:.]+\]|[A-Za-z0-9.-]+)(:[0-9]{1,5})?)/([A-Za-z_][A-Za-z0-9_]*))");
    std::smatch parts;
    if (!std::regex_match(location, parts, kLocation)) {
      throw TFleetError(location + ": not a ClickHouse location; expected clickhouse://HOST:PORT/DATABASE");
    }
    fUrl = "http://" + parts[2].str() + (parts[3].matched ? parts[3].str() : ":8123") + "/";
    fDatabase = parts[4];
    static const CURLcode kInit = curl_global_init(CURL_GLOBAL_DEFAULT);
    fCurl = kInit == CURLE_OK ? curl_easy_init() : nullptr;
    if (fCurl == nullptr) throw TFleetError(location + ": cannot start the HTTP client");
  }
  ~TConnection() { curl_easy_cleanup(fCurl); }
  TConnection(const TConnection&) = delete;
  TConnection& operator=(const TConnection&) = delete;

  const std::string& Database() const { return fDatabase; }

  // settings: "name=value&..." of ClickHouse's settings for this statement;
  // the database may not exist yet when the statement creates it.
  std::string Post(const std::string& body, const std::string& settings, bool inDatabase = true) {
    const std::string url = fUrl + "?database=" + (inDatabase ? fDatabase : "default") + "&" + settings;
    std::string answer;
    curl_easy_reset(fCurl);
    curl_easy_setopt(fCurl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(fCurl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(fCurl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(fCurl, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(fCurl, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(fCurl, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(fCurl, CURLOPT_NOSIGNAL, 1L);
    const CURLcode status = curl_easy_perform(fCurl);
    if (status != CURLE_OK) throw TFleetError(fLocation + ": " + curl_easy_strerror(status));
    long code = 0;
    curl_easy_getinfo(fCurl, CURLINFO_RESPONSE_CODE, &code);
    if (code != 200) throw TFleetError(fLocation + ": " + StatementOf(answer));
    return answer;
  }

 private:
  std::string fLocation, fUrl, fDatabase;
  CURL* fCurl = nullptr;
};

TClickHouseFleet::TClickHouseFleet(const std::string& location, EFleetAccess access, const std::string& cluster)
    : fAccess(access), fCluster(cluster), fConnection(std::make_unique<TConnection>(location)) {
  static const std::regex kName(R"([A-Za-z_][A-Za-z0-9_]*)");
  if (!cluster.empty() && !std::regex_match(cluster, kName)) throw TFleetError(cluster + ": not a cluster name");
}

TClickHouseFleet::~TClickHouseFleet() = default;

void TClickHouseFleet::CreateSchema() {
  if (fAccess == EFleetAccess::kReadOnly) throw TFleetError("the fleet is open read-only");
  for (const std::string& statement : ClickHouseFleetSchema(fConnection->Database(), fCluster)) {
    fConnection->Post(statement, "", false);
  }
}

bool TClickHouseFleet::HasCollection(const std::string& contentHash) {
  const std::string answer =
      fConnection->Post("SELECT count() FROM collections WHERE content_hash = " + Quoted(contentHash), "readonly=1");
  return answer != "0\n";
}

// One INSERT of all the table's rows, each after the value of the leading
// column. Inserts into a cluster's Distributed table reach the shards before
// the answer, so that the next look-up sees them.
void TClickHouseFleet::Insert(const TFleetTableRows& rows, const std::string& leading,
                              const std::string& leadingValue) {
  if (rows.fRows.empty()) return;
  const TFleetTableColumns& table = ColumnsOf(rows.fTable);
  std::vector<bool> integer;
  std::string body = "INSERT INTO " + rows.fTable + " (" + leading;
  for (const std::string& column : rows.fColumns) {
    body += ", " + column;
    integer.push_back(IsIntegerColumn(table, column));
  }
  body += ") FORMAT TabSeparated\n";
  for (const TFleetRow& row : rows.fRows) {
    body += leadingValue;
    for (size_t i = 0; i < row.size(); ++i) {
      const bool fits = !integer[i] || row[i].IsNull() || ReadsAsInteger(row[i].fText);
      body += "\t" + TabSeparatedField(fits ? row[i] : TFleetValue());
    }
    body += "\n";
  }
  fConnection->Post(body, fCluster.empty() ? "" : "insert_distributed_sync=1");
}

bool TClickHouseFleet::AddCollection(const TFleetCollection& collection) {
  if (fAccess == EFleetAccess::kReadOnly) throw TFleetError("the fleet is open read-only");
  if (HasCollection(collection.fContentHash)) return false;
  const std::string id = std::to_string(NewCollectionId());
  for (const TFleetTableRows& rows : collection.fTables) Insert(rows, "collection_id", id);
  Insert(collection.fCollection, "id, content_hash",
         id + "\t" + TabSeparatedField(TFleetValue::Text(collection.fContentHash)));
  return true;
}

TFleetQueryResult TClickHouseFleet::Query(const std::string& sql) {
  const std::string statement = StatementOf(sql);
  RefuseAllButOneQuery(statement);
  return ParseAnswer(fConnection->Post(statement + "\nFORMAT TabSeparatedWithNamesAndTypes", "readonly=1"));
}
#endif
