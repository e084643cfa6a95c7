// The questions engineers ask of a fleet most, as SQL kept as data: each
// reads the latest collection of every host (the `latest` view), so a host
// counts once however many collections of it the database keeps.
//
// Where the engines' dialects differ (ClickHouse joins once per SELECT, has
// no correlated subqueries and sorts nulls last), a query has a ClickHouse
// text of its own giving the same answer.
//
//   const TNamedQuery* query = FindNamedQuery("outdated-bios");  // nullptr if unknown
//   fleet->Query(query->SqlFor(fleet->Dialect()));
#ifndef QZA_FLEET_NAMED_QUERIES_H
#define QZA_FLEET_NAMED_QUERIES_H

#include <string>
#include <vector>

#include "fleet/fleet_engine.h"

struct TNamedQuery {
  const char* fName;
  const char* fDescription;
  const char* fSql;
  const char* fClickHouseSql = nullptr;  // nullptr: fSql serves both

  const char* SqlFor(EFleetDialect dialect) const {
    return dialect == EFleetDialect::kClickHouse && fClickHouseSql != nullptr ? fClickHouseSql : fSql;
  }
};

const std::vector<TNamedQuery>& NamedQueries();
const TNamedQuery* FindNamedQuery(const std::string& name);

#endif
