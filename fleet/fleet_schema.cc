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
-- Covers problems-by-severity, read in its order: no sort of every row.
DROP INDEX IF EXISTS problems_by_severity;
CREATE INDEX IF NOT EXISTS problems_by_message ON problems (severity, message, collection_id, count);
)sql";
