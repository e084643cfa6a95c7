#include "fleet/fleet_page.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>
#include <tuple>

#include "fleet/named_queries.h"
#include "forms/html/html_assets.h"
#include "forms/html/html_site.h"
#include "forms/html/html_table.h"
#include "forms/html/html_text.h"

namespace {

// Every query names its columns, so that each engine calls them alike, and
// says where nulls sort (SQLite puts them first, ClickHouse last): one text
// serves both engines.
const char kLatestCollections[] =
    "SELECT id AS id, host AS host, source AS source, content_hash AS content_hash, model AS model, "
    "serial AS serial, os AS os, kernel AS kernel, collected AS collected FROM latest";
enum ELatestColumn { kId, kHost, kSource, kContentHash, kModel, kSerial, kOs, kKernel, kCollected };

// The latest collections' rows by a join, not an IN (SELECT id FROM latest):
// on a ClickHouse cluster a plain IN's subquery runs on each shard, which
// has no `latest`.
const char kBiosVersions[] =
    "SELECT DISTINCT l.id AS id, b.version AS version FROM latest AS l JOIN bios AS b ON b.collection_id = l.id "
    "WHERE b.version IS NOT NULL ORDER BY id, version";
const char kSensorsNotOk[] =
    "SELECT id, count(*) AS sensors FROM (SELECT l.id AS id FROM latest AS l "
    "JOIN sensors_not_ok AS s ON s.collection_id = l.id) AS f GROUP BY id";
const char kErrors[] =
    "SELECT id, count(*) AS problems FROM (SELECT l.id AS id FROM latest AS l JOIN problems AS p "
    "ON p.collection_id = l.id WHERE p.severity IN ('critical', 'error')) AS f GROUP BY id";
const char kWarnings[] =
    "SELECT id, count(*) AS problems FROM (SELECT l.id AS id FROM latest AS l JOIN problems AS p "
    "ON p.collection_id = l.id WHERE p.severity = 'warning') AS f GROUP BY id";

const char kBiosByModel[] = R"sql(
SELECT l.model AS model, b.version AS version, b.release_date AS release_date, count(DISTINCT l.id) AS hosts
FROM latest l JOIN bios b ON b.collection_id = l.id
GROUP BY l.model, b.version, b.release_date ORDER BY model NULLS FIRST, release_date DESC, version NULLS FIRST)sql";

const char kKernelsByModel[] = R"sql(
SELECT model AS model, os AS os, kernel AS kernel, count(*) AS hosts
FROM latest GROUP BY model, os, kernel ORDER BY model NULLS FIRST, hosts DESC, kernel NULLS FIRST)sql";

// The modules built with the kernel carry its release as their version.
const char kDriversByModel[] = R"sql(
SELECT l.model AS model, k.name AS driver, k.version AS version, count(DISTINCT l.id) AS hosts
FROM latest l JOIN kernel_modules k ON k.collection_id = l.id
WHERE k.version IS NOT NULL AND (l.kernel IS NULL OR k.version <> l.kernel)
GROUP BY l.model, k.name, k.version
ORDER BY model NULLS FIRST, driver NULLS FIRST, hosts DESC, version NULLS FIRST)sql";

std::string NamedSql(const IFleetEngine& fleet, const char* name) {
  const TNamedQuery* query = FindNamedQuery(name);
  if (query == nullptr) throw std::logic_error(std::string("no named query ") + name);
  return query->SqlFor(fleet.Dialect());
}

// The failing hardware of the named queries, counted by host.
std::string CountedByHost(const IFleetEngine& fleet, const char* namedQuery) {
  return "SELECT host AS host, count(*) AS failing FROM (" + NamedSql(fleet, namedQuery) +
         ") AS f WHERE host IS NOT NULL GROUP BY host";
}

size_t CountOf(const TFleetValue& value) { return value.IsNull() ? 0 : std::strtoull(value.fText.c_str(), nullptr, 10); }

// The second column's counts by the first column's value.
std::map<std::string, size_t> CountsBy(IFleetEngine& fleet, const std::string& sql) {
  std::map<std::string, size_t> counts;
  for (const TFleetRow& row : fleet.Query(sql).fRows) {
    if (row.size() >= 2 && !row[0].IsNull()) counts[row[0].fText] += CountOf(row[1]);
  }
  return counts;
}

size_t CountFor(const std::map<std::string, size_t>& counts, const std::string& key) {
  const auto found = counts.find(key);
  return found == counts.end() ? 0 : found->second;
}

bool IsFolderCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
         c == '-';
}

const size_t kMaxFolderName = 200;

TFleetHost HostOf(const TFleetRow& row) {
  TFleetHost host{row[kId].fText, row[kHost].fText, "", row[kSource].fText, row[kContentHash].fText};
  host.fFolder = HostFolderName(host.fHost, host.fId);
  return host;
}

// One row of the hosts table.
struct THostFacts {
  TFleetHost fHost;
  std::string fModel, fSerial, fOs, fKernel, fCollected, fBios;
  size_t fRaid = 0, fSmart = 0, fSensors = 0, fErrors = 0, fWarnings = 0;

  size_t FailingHardware() const { return fRaid + fSmart + fSensors; }
  bool Failing() const { return FailingHardware() + fErrors > 0; }
  // Failing hosts first, the gravest first (~ orders counts from the
  // greatest); then by name, unnamed ones last.
  auto Rank() const {
    return std::make_tuple(!Failing(), ~FailingHardware(), ~fErrors, ~fWarnings, fHost.fHost.empty(), fHost.fHost,
                           fHost.fId);
  }
};

std::vector<THostFacts> ReadHostFacts(IFleetEngine& fleet) {
  std::vector<THostFacts> hosts;
  for (const TFleetRow& row : fleet.Query(kLatestCollections).fRows) {
    THostFacts host;
    host.fHost = HostOf(row);
    host.fModel = row[kModel].fText;
    host.fSerial = row[kSerial].fText;
    host.fOs = row[kOs].fText;
    host.fKernel = row[kKernel].fText;
    host.fCollected = row[kCollected].fText;
    hosts.push_back(std::move(host));
  }
  std::map<std::string, std::string> bios;
  for (const TFleetRow& row : fleet.Query(kBiosVersions).fRows) {
    std::string& versions = bios[row[0].fText];
    versions += (versions.empty() ? "" : ", ") + row[1].fText;
  }
  const auto sensors = CountsBy(fleet, kSensorsNotOk), errors = CountsBy(fleet, kErrors),
             warnings = CountsBy(fleet, kWarnings), raid = CountsBy(fleet, CountedByHost(fleet, "raid-not-optimal")),
             smart = CountsBy(fleet, CountedByHost(fleet, "smart-failing"));
  for (THostFacts& host : hosts) {
    const std::string& id = host.fHost.fId;
    host.fBios = bios[id];
    host.fSensors = CountFor(sensors, id);
    host.fErrors = CountFor(errors, id);
    host.fWarnings = CountFor(warnings, id);
    if (host.fHost.fHost.empty()) continue;  // the named queries tell hosts by name
    host.fRaid = CountFor(raid, host.fHost.fHost);
    host.fSmart = CountFor(smart, host.fHost.fHost);
  }
  std::sort(hosts.begin(), hosts.end(), [](const THostFacts& a, const THostFacts& b) { return a.Rank() < b.Rank(); });
  return hosts;
}

THtmlCell TextCell(const std::string& text, THtmlCell::EKind kind = THtmlCell::kData) {
  THtmlCell cell;
  cell.fKind = kind;
  cell.fText = {EncodeHtmlText(text), text};
  return cell;
}

THtmlRow HeaderRow(const std::vector<std::string>& labels) {
  THtmlRow row;
  row.fHeader = true;
  for (const std::string& label : labels) row.fCells.push_back(TextCell(label, THtmlCell::kColumnHeader));
  return row;
}

// "3 drives"
std::string Counted(size_t count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

THtmlCell FailingHardwareCell(const THostFacts& host) {
  std::string text;
  const auto add = [&text](size_t count, const std::string& part) {
    if (count > 0) text += (text.empty() ? "" : ", ") + part;
  };
  add(host.fRaid, Counted(host.fRaid, "RAID volume", "RAID volumes") + " not optimal");
  add(host.fSmart, Counted(host.fSmart, "drive", "drives") + " failing SMART");
  add(host.fSensors, Counted(host.fSensors, "sensor", "sensors") + " not OK");
  THtmlCell cell = TextCell(text);
  cell.fSortKey = std::to_string(host.FailingHardware());
  return cell;
}

THtmlCell HostCell(const THostFacts& host, const std::set<std::string>& linkedFolders) {
  const std::string name = host.fHost.fHost.empty() ? "(no host name: collection " + host.fHost.fId + ")"
                                                    : host.fHost.fHost;
  THtmlCell cell = TextCell(name);
  if (linkedFolders.count(host.fHost.fFolder) != 0) {
    cell.fText.fHtml =
        "<a href=\"hosts/" + EncodeHtmlText(host.fHost.fFolder) + "/index.html\">" + cell.fText.fHtml + "</a>";
  }
  return cell;
}

// The database keeps collection times in UTC.
std::string CollectedText(const std::string& utc) { return utc.empty() ? "" : utc + " +00:00"; }

THtmlRow HostRow(const THostFacts& host, const std::set<std::string>& linkedFolders) {
  THtmlRow row;
  row.fSeverity = host.Failing() ? "error" : host.fWarnings > 0 ? "warning" : "";
  row.fCells = {HostCell(host, linkedFolders), TextCell(host.fModel),  TextCell(host.fSerial),
                TextCell(host.fOs),            TextCell(host.fKernel), TextCell(host.fBios),
                TextCell(CollectedText(host.fCollected)), FailingHardwareCell(host),
                TextCell(std::to_string(host.fErrors)),   TextCell(std::to_string(host.fWarnings))};
  return row;
}

// Rows as the report writes a long table: a page of them, the rest as text.
template <class TRowOf>
std::string TableHtml(THtmlTable table, size_t rows, const std::string& id, TRowOf rowOf) {
  const size_t columns = table.fRows.front().fCells.size();
  std::string html = HtmlTableStart(table, columns, rows, id);
  for (size_t r = 0; r < rows; ++r) {
    html += HtmlTableRowBreak(table, columns, rows, r, id);
    AppendHtmlTableRow(rowOf(r), columns, html);
  }
  return html + HtmlTableEnd(rows, rows);
}

std::string HostsHtml(const std::vector<THostFacts>& hosts, const std::set<std::string>& linkedFolders) {
  THtmlTable table;
  table.fSortable = true;
  table.fSeverityToggle = true;
  table.fCaption = "Hosts";
  table.fCaptionHidden = true;
  table.fRows = {HeaderRow({"Host", "Model", "Serial", "OS", "Kernel", "BIOS", "Last collected", "Failing hardware",
                            "Errors", "Warnings"})};
  return TableHtml(table, hosts.size(), "hosts-table",
                   [&](size_t r) { return HostRow(hosts[r], linkedFolders); });
}

// "release_date" and "l.release_date" read "Release date".
std::string ColumnLabel(const std::string& column) {
  std::string label = column.substr(column.rfind('.') + 1);
  if (label == "os") return "OS";
  std::replace(label.begin(), label.end(), '_', ' ');
  if (!label.empty() && label[0] >= 'a' && label[0] <= 'z') label[0] = static_cast<char>(label[0] - 'a' + 'A');
  return label;
}

struct TSpread {
  const char* fId;
  const char* fTitle;
  std::string fSql;
};

std::string SpreadHtml(IFleetEngine& fleet, const TSpread& spread) {
  const TFleetQueryResult result = fleet.Query(spread.fSql);
  std::string html = std::string("<h3 id=\"") + spread.fId + "\">" + spread.fTitle + "</h3>\n";
  if (result.fRows.empty()) return html + "<p class=\"note\">None of the hosts tells.</p>\n";
  std::vector<std::string> labels;
  for (const std::string& column : result.fColumns) labels.push_back(ColumnLabel(column));
  THtmlTable table;
  table.fSortable = true;
  table.fCaption = spread.fTitle;
  table.fCaptionHidden = true;
  table.fRows = {HeaderRow(labels)};
  return html + TableHtml(table, result.fRows.size(), std::string(spread.fId) + "-table", [&](size_t r) {
           THtmlRow row;
           for (const TFleetValue& value : result.fRows[r]) row.fCells.push_back(TextCell(value.fText));
           return row;
         });
}

std::string SpreadsHtml(IFleetEngine& fleet) {
  const TSpread kSpreads[] = {
      {"bios", "BIOS by model", kBiosByModel},
      {"kernels", "Kernels by model", kKernelsByModel},
      {"drivers", "Drivers by model (those versioned apart from the kernel)", kDriversByModel},
      {"firmware", "Firmware by model", NamedSql(fleet, "firmware-by-model")},
      {"drive-firmware", "Drive firmware", NamedSql(fleet, "drive-firmware")},
  };
  std::string html = "<h2 id=\"spreads\">Version spreads</h2>\n"
                     "<p class=\"lead\">What the latest collection of each host runs, and on how many hosts.</p>\n";
  for (const TSpread& spread : kSpreads) html += SpreadHtml(fleet, spread);
  return html;
}

std::string PageHtml(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
         title + "</title>\n<link rel=\"stylesheet\" href=\"" + kHtmlStylesheetFile + "\">\n<script src=\"" +
         kHtmlScriptFile + "\" defer></script>\n</head>\n<body>\n<div class=\"site-header\" role=\"banner\">" +
         "<a class=\"home\" href=\"" + kHtmlIndexFile + "\">" + title + " <span>Fleet report</span></a></div>\n" +
         "<div class=\"layout plain\">\n<div id=\"main\" class=\"main\" role=\"main\">\n" + body +
         "</div>\n</div>\n<div class=\"site-footer\" role=\"contentinfo\">Fleet report of qzareport</div>\n"
         "</body>\n</html>\n";
}

std::string BodyHtml(IFleetEngine& fleet, const std::vector<THostFacts>& hosts, const std::string& title,
                     const std::set<std::string>& linkedFolders) {
  const size_t failing = std::count_if(hosts.begin(), hosts.end(), [](const THostFacts& h) { return h.Failing(); });
  return "<h1>" + title + "</h1>\n<p class=\"lead\">The latest collection of each host. " +
         Counted(failing, "host has", "hosts have") +
         " failing hardware (a RAID volume not optimal, a drive failing SMART, a sensor not OK) or errors; they come "
         "first." +
         " A host's own report: <code>qzareport fleet host DB HOST -o DIR</code>.</p>\n" +
         "<h2 id=\"hosts\">Hosts</h2>\n" + HostsHtml(hosts, linkedFolders) + SpreadsHtml(fleet);
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << content;
  file.flush();
  if (!file) throw std::runtime_error(path + ": cannot write the file");
}

}  // namespace

std::string HostFolderName(const std::string& host, const std::string& id) {
  const bool plain = !host.empty() && host.size() <= kMaxFolderName && host[0] != '.' && host[0] != '_' &&
                     host[0] != '-' && std::all_of(host.begin(), host.end(), IsFolderCharacter);
  return plain ? host : "_" + id;
}

std::vector<TFleetHost> FleetHosts(IFleetEngine& fleet) {
  std::vector<TFleetHost> hosts;
  for (const TFleetRow& row : fleet.Query(kLatestCollections).fRows) hosts.push_back(HostOf(row));
  return hosts;
}

const TFleetHost* FindFleetHost(const std::vector<TFleetHost>& hosts, const std::string& name) {
  for (const TFleetHost& host : hosts) {
    if ((!host.fHost.empty() && host.fHost == name) || host.fFolder == name) return &host;
  }
  return nullptr;
}

void WriteFleetPage(IFleetEngine& fleet, const std::string& folder, const std::set<std::string>& linkedFolders) {
  const std::vector<THostFacts> hosts = ReadHostFacts(fleet);
  const std::string title = "Fleet of " + Counted(hosts.size(), "host", "hosts");
  WriteFile(folder + "/" + kHtmlIndexFile, PageHtml(title, BodyHtml(fleet, hosts, title, linkedFolders)));
  WriteFile(folder + "/" + kHtmlStylesheetFile, kHtmlStylesheet);
  WriteFile(folder + "/" + kHtmlScriptFile, kHtmlScript);
}
