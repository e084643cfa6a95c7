// The queries every writer family shares: the instances of a table
// definition in the table's order (optionally kept by its property filters),
// and the property objects behind one column of one instance, read from the
// instance itself or from the instances an association leads to.
//
//   TInstances ports = TableInstances(*ns, table, kApplyPropertyFilters);
//   TProperties cell = ColumnProperties(ports[0], "Name", "", "");
//
// Errors: a class the repository lacks gives no instances; a property an
// instance lacks or a failing association gives fewer properties and a log
// line. Other core errors pass to the caller.
#ifndef QZA_WRITER_TABLE_QUERIES_H
#define QZA_WRITER_TABLE_QUERIES_H

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <string>
#include <vector>

#include "core/cim.h"
#include "definitions/report_parameters.h"

typedef std::vector<boost::shared_ptr<NVKXQZA20::ICIMInstance>> TTableInstances;
typedef std::vector<boost::shared_ptr<NVKXQZA20::ICIMProperty>> TColumnProperties;

// Only the ESXi writer keeps a table's instances by its property filters.
enum EPropertyFilterUse { kIgnorePropertyFilters, kApplyPropertyFilters };

// The instances of the table's class and its subclasses in the core's order,
// kept by the filters when asked, then ordered by the table's sorter. Any
// core failure to find the class gives no instances.
TTableInstances TableInstances(const NVKXQZA20::ICIMNamespace& ns, const TReportParameters::TReportClass& table,
                               EPropertyFilterUse filterUse);

// Orders the instances by the sorter; a comparison that throws logs
// "Error sorting: " and leaves the order as it was.
void OrderInstances(TTableInstances& instances, const TReportParameters::TInstanceSorter& sorter);

// Whether the instance stays in a table with these filters: its property's
// decimal text must contain each include filter's value and must not contain
// any exclude filter's. A null value, or a property the instance lacks,
// fails an include filter and passes an exclude filter.
bool PassesPropertyFilters(const NVKXQZA20::ICIMInstance& instance,
                           const std::vector<TReportParameters::TReportClass::TPropertyFilter>& filters);

// Told how many instances an association step found, once they are known.
typedef boost::function<void(size_t associatedCount)> TAssociationWalkObserver;

// Without association class and target: the instance's property of that
// name (none when it lacks it, logged at level 1). Otherwise the property of
// that name of each instance associated through the association class whose
// far end is the target, in the core's order.
TColumnProperties ColumnProperties(boost::shared_ptr<NVKXQZA20::ICIMInstance> instance, const std::string& name,
                                   const std::string& associationClass, const std::string& associationTarget,
                                   const TAssociationWalkObserver& observer = TAssociationWalkObserver());

#endif
