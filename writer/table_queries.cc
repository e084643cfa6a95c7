#include "writer/table_queries.h"

#include <algorithm>

#include "writer/trace.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TAddToVectorCallback;
using NVKXQZA20::TCIMValue;
using NVKXQZA20::TQZAException;

namespace {

typedef TReportParameters::TReportClass::TPropertyFilter TPropertyFilter;

// A property the instance lacks reads as null.
TCIMValue FilteredValue(const ICIMInstance& instance, const std::string& property) {
  try {
    return instance.GetProperty(property)->GetValue();
  } catch (const TQZAException& error) {
    if (error.GetStatusCode() != NVKXQZA20::kQZANotFound) throw;
    return TCIMValue();
  }
}

bool Passes(const ICIMInstance& instance, const TPropertyFilter& filter) {
  const TCIMValue value = FilteredValue(instance, filter.fProperty);
  if (value.IsNull()) return filter.fExclude;
  const bool contains = value.ToString(10).find(filter.fValue) != std::string::npos;
  return contains != filter.fExclude;
}

void KeepFilteredInstances(TTableInstances& instances, const std::vector<TPropertyFilter>& filters) {
  TTableInstances kept;
  for (const boost::shared_ptr<ICIMInstance>& instance : instances) {
    LogLine(3, "handle an instance");
    if (PassesPropertyFilters(*instance, filters)) kept.push_back(instance);
  }
  instances.swap(kept);
}

}  // namespace

TTableInstances TableInstances(const NVKXQZA20::ICIMNamespace& ns, const TReportParameters::TReportClass& table,
                               EPropertyFilterUse filterUse) {
  boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass;
  try {
    cimClass = ns.GetClass(table.GetClass());
  } catch (const TQZAException&) {
    return TTableInstances();
  }
  TTableInstances instances;
  cimClass->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(instances), true);
  if (filterUse == kApplyPropertyFilters) KeepFilteredInstances(instances, table.getPropertyFilterContainer());
  OrderInstances(instances, table.GetInstanceSorter());
  return instances;
}

// Sort leaves the sequence as it was when it fails.
void OrderInstances(TTableInstances& instances, const TReportParameters::TInstanceSorter& sorter) {
  if (sorter.IsEmpty() || instances.size() < 2) return;
  try {
    sorter.Sort(instances);
  } catch (const TQZAException& error) {
    LogLine(3, std::string("Error sorting: ") + error.what());
  }
}

bool PassesPropertyFilters(const ICIMInstance& instance, const std::vector<TPropertyFilter>& filters) {
  return std::all_of(filters.begin(), filters.end(),
                     [&instance](const TPropertyFilter& filter) { return Passes(instance, filter); });
}

TColumnProperties ColumnProperties(boost::shared_ptr<ICIMInstance> instance, const std::string& name,
                                   const std::string& associationClass, const std::string& associationTarget,
                                   const TAssociationWalkObserver& observer) {
  TColumnProperties properties;
  if (associationClass.empty() && associationTarget.empty()) {
    try {
      properties.push_back(instance->GetProperty(name));
    } catch (const TQZAException& error) {
      if (error.GetStatusCode() != NVKXQZA20::kQZANotFound) throw;
      LogLine(1, "HTML: Couldn't find property " + name + " in class " + instance->GetClass()->GetName());
    }
    return properties;
  }
  try {
    TTableInstances associated;
    instance->Associators(TAddToVectorCallback<ICIMInstance>(associated), associationClass, associationTarget,
                          "", "");
    if (observer) observer(associated.size());
    for (const boost::shared_ptr<ICIMInstance>& other : associated) properties.push_back(other->GetProperty(name));
  } catch (const TQZAException& error) {
    LogLine(3, std::string("Error navigation association: ") + error.what());
  }
  return properties;
}
