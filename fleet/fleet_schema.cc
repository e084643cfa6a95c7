#include "fleet/fleet_schema.h"

// Dates are texts that sort as they read: collected is UTC,
// "YYYY-MM-DD HH:MM:SS"; firmware dates "YYYY-MM-DD". Every table but
// collections holds rows of one collection, named by collection_id.
const char kSqliteFleetSchema[] = R"sql(
CREATE TABLE IF NOT EXISTS collections (
  id            INTEGER PRIMARY KEY,
  content_hash  TEXT NOT NULL UNIQUE,
  host          TEXT,
  serial        TEXT,
  maker         TEXT,
  model         TEXT,
  os            TEXT,
  kernel        TEXT,
  collected     TEXT,
  source        TEXT,
  added         TEXT NOT NULL DEFAULT (datetime('now'))
);
CREATE INDEX IF NOT EXISTS collections_by_host ON collections (host, collected);
CREATE INDEX IF NOT EXISTS collections_by_model ON collections (model);

-- The newest collection of each host (the later added one of two taken at
-- one time); the others are its history. A collection that names no host
-- is a host of its own.
CREATE VIEW IF NOT EXISTS latest AS
  SELECT * FROM collections c
  WHERE c.host IS NULL
     OR c.id = (SELECT d.id FROM collections d WHERE d.host = c.host
                ORDER BY d.collected DESC, d.id DESC LIMIT 1);

CREATE TABLE IF NOT EXISTS bios (
  collection_id INTEGER NOT NULL REFERENCES collections (id),
  maker         TEXT,
  version       TEXT,
  build         TEXT,
  release_date  TEXT
);
CREATE INDEX IF NOT EXISTS bios_by_collection ON bios (collection_id);

CREATE TABLE IF NOT EXISTS processors (
  collection_id INTEGER NOT NULL REFERENCES collections (id),
  socket        TEXT,
  name          TEXT,
  maker         TEXT,
  cores         INTEGER,
  max_mhz       INTEGER,
  current_mhz   INTEGER
);
CREATE INDEX IF NOT EXISTS processors_by_collection ON processors (collection_id);

CREATE TABLE IF NOT EXISTS memory (
  collection_id INTEGER NOT NULL REFERENCES collections (id),
  slot          TEXT,
  bank          TEXT,
  bytes         INTEGER,
  maker         TEXT,
  part_number   TEXT,
  serial        TEXT
);
CREATE INDEX IF NOT EXISTS memory_by_collection ON memory (collection_id);

CREATE TABLE IF NOT EXISTS drives (
  collection_id INTEGER NOT NULL REFERENCES collections (id),
  device        TEXT,
  maker         TEXT,
  model         TEXT,
  firmware      TEXT,
  serial        TEXT,
  state         TEXT,
  smart_health  TEXT,
  reallocated_sectors INTEGER,
  pending_sectors     INTEGER
);
CREATE INDEX IF NOT EXISTS drives_by_collection ON drives (collection_id);
CREATE INDEX IF NOT EXISTS drives_by_model ON drives (model, firmware);

CREATE TABLE IF NOT EXISTS smart_attributes (
  collection_id INTEGER NOT NULL REFERENCES collections (id),
  device        TEXT,
  attribute_id  INTEGER,
  name          TEXT,
  value         INTEGER,
  worst         INTEGER,
  threshold     INTEGER,
  raw           INTEGER
);
CREATE INDEX IF NOT EXISTS smart_attributes_by_collection ON smart_attributes (collection_id);
-- The attributes at or below their threshold, few: smart-failing looks a
-- drive up here rather than among all its collection's attributes.
CREATE INDEX IF NOT EXISTS smart_attributes_failing ON smart_attributes (collection_id, device)
  WHERE threshold > 0 AND value <= threshold;

CREATE TABLE IF NOT EXISTS raid_volumes (
  collection_id INTEGER NOT NULL REFERENCES collections (id),
  device        TEXT,
  name          TEXT,
  raid_level    TEXT,
  status        TEXT
);
CREATE INDEX IF NOT EXISTS raid_volumes_by_collection ON raid_volumes (collection_id);

CREATE TABLE IF NOT EXISTS pci_functions (
  collection_id INTEGER NOT NULL REFERENCES collections (id),
  address       TEXT,
  vendor_id     TEXT,
  device_id     TEXT,
  class_code    INTEGER,
  name          TEXT,
  maker         TEXT,
  driver        TEXT,
  firmware      TEXT
);
CREATE INDEX IF NOT EXISTS pci_functions_by_collection ON pci_functions (collection_id);
CREATE INDEX IF NOT EXISTS pci_functions_by_id ON pci_functions (vendor_id, device_id);

CREATE TABLE IF NOT EXISTS firmware (
  collection_id INTEGER NOT NULL REFERENCES collections (id),
  class         TEXT,
  name          TEXT,
  maker         TEXT,
  version       TEXT,
  build         TEXT,
  release_date  TEXT
);
CREATE INDEX IF NOT EXISTS firmware_by_collection ON firmware (collection_id);
CREATE INDEX IF NOT EXISTS firmware_by_name ON firmware (name, version);

CREATE TABLE IF NOT EXISTS packages (
  collection_id INTEGER NOT NULL REFERENCES collections (id),
  name          TEXT,
  version       TEXT,
  vendor        TEXT,
  architecture  TEXT
);
CREATE INDEX IF NOT EXISTS packages_by_collection ON packages (collection_id);
CREATE INDEX IF NOT EXISTS packages_by_name ON packages (name, version);

CREATE TABLE IF NOT EXISTS kernel_modules (
  collection_id INTEGER NOT NULL REFERENCES collections (id),
  name          TEXT,
  version       TEXT,
  description   TEXT,
  path          TEXT
);
CREATE INDEX IF NOT EXISTS kernel_modules_by_collection ON kernel_modules (collection_id);
CREATE INDEX IF NOT EXISTS kernel_modules_by_name ON kernel_modules (name, version);

CREATE TABLE IF NOT EXISTS network_ports (
  collection_id INTEGER NOT NULL REFERENCES collections (id),
  name          TEXT,
  mac           TEXT,
  speed_bps     INTEGER,
  link_state    TEXT,
  mtu           INTEGER,
  driver        TEXT,
  addresses     TEXT
);
CREATE INDEX IF NOT EXISTS network_ports_by_collection ON network_ports (collection_id);

CREATE TABLE IF NOT EXISTS sensors_not_ok (
  collection_id INTEGER NOT NULL REFERENCES collections (id),
  name          TEXT,
  sensor_type   INTEGER,
  reading       INTEGER,
  status        TEXT
);
CREATE INDEX IF NOT EXISTS sensors_not_ok_by_collection ON sensors_not_ok (collection_id);

CREATE TABLE IF NOT EXISTS problems (
  collection_id INTEGER NOT NULL REFERENCES collections (id),
  severity      TEXT,
  message       TEXT,
  count         INTEGER,
  page          TEXT
);
CREATE INDEX IF NOT EXISTS problems_by_collection ON problems (collection_id);
-- Which hosts have a problem: by severity and message, with the collections
-- and counts at hand.
DROP INDEX IF EXISTS problems_by_severity;
CREATE INDEX IF NOT EXISTS problems_by_message ON problems (severity, message, collection_id, count);
)sql";

// SQLite keeps the versions of the latest collections counted per model,
// and their problems per message, as collections are added, so that the
// named queries read a few hundred rows rather than group the rows of every
// host (ClickHouse
// groups its columns fast enough and has no such tables). spread_key tells
// apart what a unique index would not: a null and the text 'NULL'.
const char kSqliteSpreadSchema[] = R"sql(
CREATE TABLE IF NOT EXISTS firmware_spread (
  spread_key    TEXT PRIMARY KEY,
  model         TEXT,
  name          TEXT,
  version       TEXT,
  hosts         INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS drive_firmware_spread (
  spread_key    TEXT PRIMARY KEY,
  model         TEXT,
  firmware      TEXT,
  drives        INTEGER NOT NULL,
  hosts         INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS bios_spread (
  spread_key    TEXT PRIMARY KEY,
  model         TEXT,
  release_date  TEXT,
  version       TEXT,
  hosts         INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS problem_spread (
  spread_key    TEXT PRIMARY KEY,
  severity      TEXT,
  message       TEXT,
  hosts         INTEGER NOT NULL,
  instances     INTEGER
);
)sql";

const char* const kSqliteSpreadTables[] = {"firmware_spread", "drive_firmware_spread", "bios_spread", "problem_spread"};

// ?1 a collection id, ?2 +1 when it becomes its host's latest, -1 when it
// stops being it; the rows left at no host go after. (The WHERE before ON CONFLICT is what SQLite's grammar
// needs to read an upsert of a SELECT.)
const std::vector<std::string>& SqliteSpreadCounts() {
  static const std::vector<std::string> kCounts = {
      R"sql(INSERT INTO firmware_spread (spread_key, model, name, version, hosts)
SELECT quote(c.model) || ',' || quote(f.name) || ',' || quote(f.version), c.model, f.name, f.version,
       CAST(?2 AS INTEGER)
FROM collections c JOIN (SELECT DISTINCT name, version FROM firmware WHERE collection_id = ?1) f
WHERE c.id = ?1
ON CONFLICT (spread_key) DO UPDATE SET hosts = hosts + excluded.hosts)sql",
      R"sql(INSERT INTO drive_firmware_spread (spread_key, model, firmware, drives, hosts)
SELECT quote(model) || ',' || quote(firmware), model, firmware, CAST(?2 AS INTEGER) * count(*), CAST(?2 AS INTEGER)
FROM drives WHERE collection_id = ?1 GROUP BY model, firmware
ON CONFLICT (spread_key) DO UPDATE SET drives = drives + excluded.drives, hosts = hosts + excluded.hosts)sql",
      R"sql(INSERT INTO bios_spread (spread_key, model, release_date, version, hosts)
SELECT quote(c.model) || ',' || quote(b.release_date) || ',' || quote(b.version), c.model, b.release_date, b.version,
       CAST(?2 AS INTEGER)
FROM collections c JOIN (SELECT DISTINCT release_date, version FROM bios WHERE collection_id = ?1) b
WHERE c.id = ?1
ON CONFLICT (spread_key) DO UPDATE SET hosts = hosts + excluded.hosts)sql",
      R"sql(INSERT INTO problem_spread (spread_key, severity, message, hosts, instances)
SELECT quote(severity) || ',' || quote(message), severity, message, CAST(?2 AS INTEGER),
       CAST(?2 AS INTEGER) * sum(count)
FROM problems WHERE collection_id = ?1 GROUP BY severity, message
ON CONFLICT (spread_key) DO UPDATE SET hosts = hosts + excluded.hosts, instances = instances + excluded.instances)sql",
  };
  return kCounts;
}
