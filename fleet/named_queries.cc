#include "fleet/named_queries.h"

namespace {

// Version texts do not sort as versions ("3.9" and "3.30"), so a BIOS is
// older when its release date is: the newest is the latest release date
// seen among the hosts of the same model, its version the greatest of that
// date. Both come from the BIOS releases SQLite keeps counted per model
// (fleet_schema.h), a few rows, then each host's BIOS is compared with its
// model's: 30 ms on ten thousand hosts, where finding the newest among the
// hosts' own rows took 60.
const char kOutdatedBios[] = R"sql(
WITH newest AS (
  SELECT s.model, s.release_date, max(s.version) AS version
  FROM bios_spread s
  JOIN (SELECT model, max(release_date) AS release_date FROM bios_spread GROUP BY model) d
    ON s.model IS d.model AND s.release_date = d.release_date
  GROUP BY s.model, s.release_date)
SELECT l.host, l.model, b.version AS bios_version, b.release_date,
       w.version AS newest_version, w.release_date AS newest_release_date
FROM latest l JOIN bios b ON b.collection_id = l.id JOIN newest w ON w.model IS l.model
WHERE b.release_date < w.release_date
ORDER BY l.model, l.host, b.release_date, b.version)sql";

// The newest version of a model: the greatest version among those of its
// newest release date, as above. A host with two BIOS rows has them in the
// order of their dates on both engines.
const char kOutdatedBiosClickHouse[] = R"sql(
SELECT host, model, bios_version, release_date, newest_version, newest_release_date
FROM (SELECT l.host AS host, l.model AS model, ifNull(l.model, '') AS model_key,
             b.version AS bios_version, b.release_date AS release_date
      FROM latest AS l ALL INNER JOIN bios AS b ON b.collection_id = l.id)
ALL INNER JOIN (
  SELECT ifNull(l.model, '') AS model_key, argMax(b.version, (b.release_date, b.version)) AS newest_version,
         max(b.release_date) AS newest_release_date
  FROM latest AS l ALL INNER JOIN bios AS b ON b.collection_id = l.id
  WHERE b.release_date IS NOT NULL GROUP BY model_key) USING model_key
WHERE release_date < newest_release_date
ORDER BY model NULLS FIRST, host NULLS FIRST, release_date, bios_version NULLS FIRST)sql";

const char kKernels[] = R"sql(
SELECT kernel, os, count(*) AS hosts
FROM latest GROUP BY kernel, os ORDER BY hosts DESC, kernel NULLS FIRST, os NULLS FIRST)sql";

const char kRaidNotOptimal[] = R"sql(
SELECT l.host, l.model, r.device, r.name, r.raid_level, r.status
FROM latest l JOIN raid_volumes r ON r.collection_id = l.id
WHERE r.status IS NOT NULL AND r.status <> 'OK'
  AND lower(r.status) NOT LIKE '%okay%' AND lower(r.status) NOT LIKE '%optimal%'
ORDER BY l.host, r.device)sql";

const char kRaidNotOptimalClickHouse[] = R"sql(
SELECT l.host AS host, l.model AS model, r.device AS device, r.name AS name, r.raid_level AS raid_level,
       r.status AS status
FROM latest AS l ALL INNER JOIN raid_volumes AS r ON r.collection_id = l.id
WHERE r.status IS NOT NULL AND r.status <> 'OK'
  AND lower(r.status) NOT LIKE '%okay%' AND lower(r.status) NOT LIKE '%optimal%'
ORDER BY host NULLS FIRST, device NULLS FIRST)sql";

// A drive fails when its SMART health is not passed, it has reallocated or
// pending sectors, or one of its attributes is at or below a non-zero threshold.
const char kSmartFailing[] = R"sql(
SELECT l.host, l.model AS system_model, d.device, d.model, d.firmware, d.serial,
       d.smart_health, d.reallocated_sectors, d.pending_sectors
FROM latest l JOIN drives d ON d.collection_id = l.id
WHERE (d.smart_health IS NOT NULL AND upper(d.smart_health) NOT IN ('PASSED', 'OK'))
   OR d.reallocated_sectors > 0 OR d.pending_sectors > 0
   OR EXISTS (SELECT 1 FROM smart_attributes a
              WHERE a.collection_id = d.collection_id AND a.device IS d.device
                AND a.threshold > 0 AND a.value <= a.threshold)
ORDER BY l.host, d.device)sql";

// The drives are chosen before the join (an IN on a join's result is what
// ClickHouse 18 cannot do), their columns renamed: it mistakes a right
// table's column for the left's of the same name (model, serial).
const char kSmartFailingClickHouse[] = R"sql(
SELECT host, system_model, device, drive_model AS model, firmware, drive_serial AS serial, smart_health,
       reallocated_sectors, pending_sectors
FROM (
  SELECT l.host AS host, l.model AS system_model, d.device AS device, d.drive_model AS drive_model,
         d.firmware AS firmware, d.drive_serial AS drive_serial, d.smart_health AS smart_health,
         d.reallocated_sectors AS reallocated_sectors, d.pending_sectors AS pending_sectors
  FROM latest AS l ALL INNER JOIN (
    SELECT collection_id, device, model AS drive_model, firmware, serial AS drive_serial, smart_health,
           reallocated_sectors, pending_sectors
    FROM drives
    WHERE upper(ifNull(smart_health, 'PASSED')) NOT IN ('PASSED', 'OK')
       OR ifNull(reallocated_sectors, 0) > 0 OR ifNull(pending_sectors, 0) > 0
       OR (collection_id, ifNull(device, '')) GLOBAL IN
          (SELECT collection_id, ifNull(device, '') FROM smart_attributes WHERE threshold > 0 AND value <= threshold)
  ) AS d ON d.collection_id = l.id)
ORDER BY host NULLS FIRST, device NULLS FIRST)sql";

// SQLite keeps these counts as collections are added (fleet_schema.h).
const char kFirmwareByModel[] = R"sql(
SELECT model, name, version, hosts FROM firmware_spread ORDER BY model, name, hosts DESC, version)sql";

const char kFirmwareByModelClickHouse[] = R"sql(
SELECT model, name, version, count(DISTINCT id) AS hosts
FROM (SELECT l.model AS model, f.name AS name, f.version AS version, l.id AS id
      FROM latest AS l ALL INNER JOIN firmware AS f ON f.collection_id = l.id)
GROUP BY model, name, version ORDER BY model NULLS FIRST, name NULLS FIRST, hosts DESC, version NULLS FIRST)sql";

const char kDriveFirmware[] = R"sql(
SELECT model, firmware, drives, hosts FROM drive_firmware_spread ORDER BY model, drives DESC, firmware)sql";

const char kDriveFirmwareClickHouse[] = R"sql(
SELECT model, firmware, count() AS drives, count(DISTINCT id) AS hosts
FROM (SELECT d.model AS model, d.firmware AS firmware, l.id AS id
      FROM latest AS l ALL INNER JOIN drives AS d ON d.collection_id = l.id)
GROUP BY model, firmware ORDER BY model NULLS FIRST, drives DESC, firmware NULLS FIRST)sql";

// From the counts SQLite keeps as collections are added (fleet_schema.h).
const char kProblemsBySeverity[] = R"sql(
SELECT severity, message, hosts, instances FROM problem_spread
ORDER BY CASE severity WHEN 'critical' THEN 0 WHEN 'error' THEN 1 WHEN 'warning' THEN 2 ELSE 3 END,
         hosts DESC, message)sql";

const char kProblemsBySeverityClickHouse[] = R"sql(
SELECT severity, message, count(DISTINCT id) AS hosts, sum(problem_count) AS instances
FROM (SELECT p.severity AS severity, p.message AS message, p.count AS problem_count, l.id AS id
      FROM latest AS l ALL INNER JOIN problems AS p ON p.collection_id = l.id)
GROUP BY severity, message
ORDER BY CASE ifNull(severity, '') WHEN 'critical' THEN 0 WHEN 'error' THEN 1 WHEN 'warning' THEN 2 ELSE 3 END,
         hosts DESC, message NULLS FIRST)sql";

const char kHosts[] = R"sql(
SELECT host, serial, maker, model, os, kernel, collected,
       (SELECT count(*) FROM collections c WHERE c.host IS l.host) AS collections
FROM latest l ORDER BY host)sql";

// A host without a name counts the collections without one, as above.
const char kHostsClickHouse[] = R"sql(
SELECT host, serial, maker, model, os, kernel, collected, collections
FROM (SELECT *, ifNull(host, '') AS host_key FROM latest)
ALL LEFT JOIN (SELECT ifNull(host, '') AS host_key, count() AS collections FROM collections GROUP BY host_key)
USING host_key
ORDER BY host NULLS FIRST)sql";

}  // namespace

const std::vector<TNamedQuery>& NamedQueries() {
  static const std::vector<TNamedQuery> kQueries = {
      {"hosts", "every host with its latest collection and how many collections of it there are", kHosts,
       kHostsClickHouse},
      {"outdated-bios", "hosts whose BIOS is older than the newest seen on their model", kOutdatedBios,
       kOutdatedBiosClickHouse},
      {"kernels", "the kernels in use and how many hosts run each", kKernels},
      {"raid-not-optimal", "RAID volumes whose status is not optimal", kRaidNotOptimal, kRaidNotOptimalClickHouse},
      {"smart-failing", "drives failing SMART health, with reallocated or pending sectors, or past a threshold",
       kSmartFailing, kSmartFailingClickHouse},
      {"firmware-by-model", "firmware versions by system model, with how many hosts run each", kFirmwareByModel,
       kFirmwareByModelClickHouse},
      {"drive-firmware", "drive models and their firmware versions, with how many drives and hosts",
       kDriveFirmware, kDriveFirmwareClickHouse},
      {"problems-by-severity", "the problems of the hosts, gravest first, with how many hosts have each",
       kProblemsBySeverity, kProblemsBySeverityClickHouse},
  };
  return kQueries;
}

const TNamedQuery* FindNamedQuery(const std::string& name) {
  for (const TNamedQuery& query : NamedQueries()) {
    if (name == query.fName) return &query;
  }
  return nullptr;
}
