#include "fleet/fleet_engine.h"

#include "fleet/clickhouse_fleet.h"
#include "fleet/sqlite_fleet.h"

std::string QueryStoppedMessage(int seconds) { return "query stopped after " + std::to_string(seconds) + " s"; }

std::unique_ptr<IFleetEngine> OpenFleet(const std::string& location, EFleetAccess access,
                                        const std::string& cluster) {
  if (TClickHouseFleet::IsLocation(location)) {
#ifdef QZA_WITH_CLICKHOUSE
    return std::make_unique<TClickHouseFleet>(location, access, cluster);
#else
    throw TFleetError(location + ": this qzareport is built without ClickHouse (QZA_WITH_CLICKHOUSE=OFF, "
                      "as the self-contained one is); use the Debian package's");
#endif
  }
  if (!cluster.empty()) throw TFleetError("a cluster needs a ClickHouse engine (clickhouse://HOST:PORT/DATABASE)");
  return std::make_unique<TSqliteFleet>(location, access);
}
