// The comparison tree of one table: the instances that differ between the
// data sources, read from the comparison results in data source 0, their
// differing association-derived values, and the links between the instance
// deltas of a table and those of its associated tables.
#include <algorithm>
#include <iostream>
#include <unordered_set>

#include "delta/delta_tree.h"
#include "writer/cim_reading.h"

using NVKXQZA20::ICIMClass;
using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TAddToVectorCallback;
using NVKXQZA20::TCIMContext;
using NVKXQZA20::TCIMReference;
using NVKXQZA20::TQZAException;

namespace {

const char kDeltaAssociation[] = "VKXSG_DeltaClassAssocToDelta";
const char kDelta[] = "VKXSG_Delta";

TCIMContext BaseContext() { return ContextForDataSource(TCIMContext(), 0); }

// A class the base lacks has no comparison results.
boost::shared_ptr<ICIMClass> FindBaseClass(const NVKXQZA20::ICIMNamespace& ns, const std::string& name) {
  try {
    return ns.GetClass(name, BaseContext());
  } catch (const TQZAException& error) {
    if (error.GetStatusCode() != NVKXQZA20::kQZANotFound) throw;
    return boost::shared_ptr<ICIMClass>();
  }
}

bool HasColumn(const TReportParameters::TReportClass& table, const std::string& property) {
  const std::vector<TReportParameters::TReportProperty>& columns = table.GetProperties();
  return std::any_of(columns.begin(), columns.end(), [&](const TReportParameters::TReportProperty& column) {
    return column.GetProperty() == property;
  });
}

// The data sources a delta names for an association-derived column.
std::vector<uint16_t> ColumnSources(const ICIMInstance& delta, const std::string& propertyName) {
  switch (DeltaType(delta)) {
    case kMissingDelta:
      return std::vector<uint16_t>(1, 0);
    case kUniqueDelta:
      return DeltaIndices(delta);
    case kPropertyDelta:
      if (DeltaText(delta, "Property") == propertyName) return DeltaIndices(delta);
      return std::vector<uint16_t>();
    default:
      return std::vector<uint16_t>();
  }
}

// The data sources whose instance a delta asks to load.
std::vector<uint16_t> SourcesToLoad(const ICIMInstance& delta) {
  if (DeltaType(delta) == kMissingDelta) return std::vector<uint16_t>(1, 0);
  return DeltaIndices(delta);
}

bool AnyDiffersFromBase(const TWriter::TInstances& owners, const std::vector<std::string>& values) {
  for (size_t source = 1; source < owners.size(); ++source) {
    if (owners[source] && values[source] != values[0]) return true;
  }
  return false;
}

}  // namespace

uint32_t DeltaType(const ICIMInstance& delta) { return delta.GetProperty("Type")->GetValue().ToUInt32(); }

std::vector<uint16_t> DeltaIndices(const ICIMInstance& delta) {
  std::vector<uint16_t> indices;
  for (const NVKXQZA20::TCIMValue& index : delta.GetProperty("NamespaceIndices")->GetValue().ToArray()) {
    indices.push_back(index.ToUInt16());
  }
  return indices;
}

std::string DeltaText(const ICIMInstance& delta, const std::string& property) {
  return delta.GetProperty(property)->GetValue().ToString();
}

TWriter::TInstancePtr FirstDeltaOfType(const TWriter::TInstances& deltas, uint32_t type) {
  for (const TWriter::TInstancePtr& delta : deltas) {
    if (DeltaType(*delta) == type) return delta;
  }
  return TWriter::TInstancePtr();
}

TWriter::TInstancePtr LoadInstance(const TWriter::TNamespacePtr& ns, const std::string& path,
                                   uint16_t dataSource) {
  const TCIMReference reference(ns, path, ContextForDataSource(TCIMContext(), dataSource));
  return boost::dynamic_pointer_cast<ICIMInstance>(reference.GetCIMElement(false));
}

TWriter::TInstanceDeltaPtr TWriter::TClassDelta::Find(const std::string& path) const {
  std::map<std::string, TInstanceDeltaPtr>::const_iterator found = fInstances.find(path);
  return found == fInstances.end() ? TInstanceDeltaPtr() : found->second;
}

TWriter::TInstanceDeltaPtr TWriter::TClassDelta::Add(const std::string& path) {
  TInstanceDeltaPtr added(new TInstanceDelta(shared_from_this(), path));
  fInstances[path] = added;
  return added;
}

int TWriter::TInstanceDelta::LowestLoadedSource() const {
  for (size_t source = 0; source < fInstances.size(); ++source) {
    if (fInstances[source]) return static_cast<int>(source);
  }
  return -1;
}

void TWriter::TInstanceDelta::EnsureSlots(size_t dataSourceCount) {
  if (fInstances.size() < dataSourceCount) fInstances.resize(dataSourceCount);
}

void TWriter::TInstanceDelta::AddAssociation(const TInstanceDeltaPtr& associated) {
  for (const boost::weak_ptr<TInstanceDelta>& known : fAssociations) {
    if (known.lock() == associated) return;
  }
  fAssociations.push_back(associated);
}

std::vector<TWriter::TInstanceDeltaPtr> TWriter::TInstanceDelta::Associations() const {
  std::vector<TInstanceDeltaPtr> associations;
  for (const boost::weak_ptr<TInstanceDelta>& associated : fAssociations) associations.push_back(associated.lock());
  return associations;
}

size_t TWriter::ComparedSourceCount() const { return std::max<size_t>(1, fDataSourceLabels.size()); }

void TWriter::FindDeltas(std::string className, TInstances& deltas) {
  boost::shared_ptr<ICIMClass> cimClass = FindBaseClass(*fNamespace, className);
  if (!cimClass) return;
  std::vector<boost::shared_ptr<ICIMClass>> classes(1, cimClass);
  cimClass->EnumerateSubclasses(TAddToVectorCallback<ICIMClass>(classes), true, BaseContext());
  std::unordered_set<const ICIMInstance*> known;
  for (const TInstancePtr& delta : deltas) known.insert(delta.get());
  for (const boost::shared_ptr<ICIMClass>& each : classes) {
    std::map<std::string, TInstancePtr>::const_iterator deltaClass = fDeltaClassMap.find(each->GetName());
    if (deltaClass == fDeltaClassMap.end()) continue;
    deltaClass->second->Associators(
        [&](TInstancePtr delta) {
          if (known.insert(delta.get()).second) deltas.push_back(delta);
          return true;
        },
        kDeltaAssociation, kDelta, "", "");
  }
}

void TWriter::CreateDeltaInstances(TClassDeltaPtr classDelta) {
  TReportClass& table = *classDelta->fReportClass;
  TInstances deltas;
  FindDeltas(table.GetClass(), deltas);
  for (const TInstancePtr& delta : deltas) {
    const uint32_t type = DeltaType(*delta);
    if (type == kPropertyDelta && !HasColumn(table, DeltaText(*delta, "Property"))) continue;
    const std::string path = DeltaText(*delta, "InstanceName");
    TInstanceDeltaPtr instanceDelta = classDelta->Find(path);
    if (!instanceDelta) instanceDelta = classDelta->Add(path);
    instanceDelta->fDeltas.push_back(delta);
    instanceDelta->fDeltaTypes |= type;
  }
  for (const auto& entry : classDelta->fInstances) {
    TInstanceDelta& instanceDelta = *entry.second;
    instanceDelta.EnsureSlots(ComparedSourceCount());
    for (const TInstancePtr& delta : instanceDelta.fDeltas) {
      for (uint16_t source : SourcesToLoad(*delta)) {
        // An index beyond the run's data sources names nothing to load.
        if (source >= instanceDelta.fInstances.size() || instanceDelta.fInstances[source]) continue;
        instanceDelta.fInstances[source] = LoadInstance(fNamespace, entry.first, source);
      }
    }
  }
  CreateDeltaAssocProperties(classDelta);
  CreateDeltaBackAssocDependencies(classDelta);
  if (!table.HasAssociatedClass()) return;
  for (TReportClass& associatedTable : table.GetAssociatedClasses()) {
    TClassDeltaPtr associated(new TClassDelta(fNamespace, classDelta, &associatedTable));
    classDelta->fAssociatedClasses.push_back(associated);
    CreateDeltaInstances(associated);
  }
  CreateDeltaAssocDependencies(classDelta);
}

void TWriter::CreateDeltaAssocProperties(TClassDeltaPtr classDelta) {
  for (TReportProperty& column : classDelta->fReportClass->GetProperties()) {
    if (!column.HasAssociationTarget() && !column.HasAssociationClass()) continue;
    CreateDeltaAssocProperties(classDelta, column, column.GetProperty(), column.GetAssociationClass(),
                               column.GetAssociationTarget());
  }
}

void TWriter::CreateDeltaAssocProperties(TClassDeltaPtr classDelta, TReportProperty& property,
                                         std::string propertyName, std::string assocClass,
                                         std::string assocTarget) {
  const TReportClass& table = *classDelta->fReportClass;
  const TInstances deltas = FindColumnDeltas(table, assocClass, assocTarget);
  if (deltas.empty()) return;
  const size_t count = ComparedSourceCount();
  // Owner path to the owner per data source.
  std::map<std::string, TInstances> owners;
  for (const TInstancePtr& delta : deltas) {
    for (uint16_t source : ColumnSources(*delta, propertyName)) {
      if (source >= count) continue;
      const TInstancePtr associated = LoadInstance(fNamespace, DeltaText(*delta, "InstanceName"), source);
      if (!associated) continue;
      TInstances found;
      associated->Associators(TAddToVectorCallback<ICIMInstance>(found), assocClass, table.GetClass(), "", "");
      for (const TInstancePtr& owner : found) {
        TInstances& slots = owners[owner->GetReference().GetPath()];
        slots.resize(count);
        slots[source] = owner;
      }
    }
  }
  const std::string separator = GetArraySeparatorText(property.GetArrayValueSeparator());
  for (auto& owner : owners) {
    TInstances& slots = owner.second;
    if (!slots[0]) slots[0] = LoadInstance(fNamespace, owner.first, 0);
    std::vector<std::string> values(count);
    for (size_t source = 0; source < count; ++source) {
      if (!slots[source]) continue;
      values[source] = GetValuesFromProperties(GetProperties(slots[source], propertyName, assocClass, assocTarget),
                                               separator, false);
    }
    if (!AnyDiffersFromBase(slots, values)) continue;
    TInstanceDeltaPtr instanceDelta = classDelta->Find(owner.first);
    if (!instanceDelta) {
      instanceDelta = classDelta->Add(owner.first);
      instanceDelta->fDeltaTypes |= kPropertyDelta;
    }
    // An instance missing or unique as a whole shows no single values.
    if (instanceDelta->fDeltaTypes & kPropertyDelta) instanceDelta->fAssociationValues[propertyName] = values;
  }
}

TWriter::TInstances TWriter::FindColumnDeltas(const TReportClass& table, const std::string& assocClass,
                                              const std::string& assocTarget) {
  TInstances deltas;
  if (!assocTarget.empty()) {
    FindDeltas(assocTarget, deltas);
    return deltas;
  }
  boost::shared_ptr<ICIMClass> cimClass = FindBaseClass(*fNamespace, table.GetClass());
  if (!cimClass) return deltas;
  std::vector<boost::shared_ptr<ICIMClass>> associatedClasses;
  cimClass->Associators(TAddToVectorCallback<ICIMClass>(associatedClasses), assocClass, "", "", "", BaseContext());
  for (const boost::shared_ptr<ICIMClass>& associated : associatedClasses) FindDeltas(associated->GetName(), deltas);
  return deltas;
}

void TWriter::CreateDeltaAssocDependencies(TClassDeltaPtr classDelta) {
  for (const TClassDeltaPtr& associated : classDelta->fAssociatedClasses) {
    const TReportClass& associatedTable = *associated->fReportClass;
    for (const auto& entry : classDelta->fInstances) {
      for (const TInstanceDeltaPtr& linked :
           LinkInstanceDeltas(*entry.second, associated, associatedTable.GetAssocClass(),
                              associatedTable.GetResultClass(), associatedTable.GetRole(),
                              associatedTable.GetResultRole())) {
        entry.second->AddAssociation(linked);
      }
    }
  }
}

// Differences deep in the tree surface in every table above them, up to the
// top-level table.
void TWriter::CreateDeltaBackAssocDependencies(TClassDeltaPtr classDelta) {
  TClassDeltaPtr owner = classDelta->fBackAssociatedClass.lock();
  if (!owner) return;
  const TReportClass& table = *classDelta->fReportClass;
  for (const auto& entry : classDelta->fInstances) {
    // The walk back swaps the roles of the walk from the owner's table.
    for (const TInstanceDeltaPtr& ownerDelta :
         LinkInstanceDeltas(*entry.second, owner, table.GetAssocClass(), owner->fReportClass->GetClass(),
                            table.GetResultRole(), table.GetRole())) {
      // An owner reached before, from another child, takes this child's
      // kinds of difference as well; otherwise they would depend on how paths sort.
      ownerDelta->fDeltaTypes |= entry.second->fDeltaTypes;
      ownerDelta->AddAssociation(entry.second);
    }
  }
  CreateDeltaBackAssocDependencies(owner);
}

std::vector<TWriter::TInstanceDeltaPtr> TWriter::LinkInstanceDeltas(const TInstanceDelta& from, TClassDeltaPtr target,
                                                                    const std::string& assocClass,
                                                                    const std::string& resultClass,
                                                                    const std::string& role,
                                                                    const std::string& resultRole) {
  std::vector<TInstanceDeltaPtr> linked;
  const int source = from.LowestLoadedSource();
  if (source < 0) return linked;
  TInstances associated;
  from.fInstances[source]->Associators(TAddToVectorCallback<ICIMInstance>(associated), assocClass, resultClass,
                                       role, resultRole);
  for (const TInstancePtr& instance : associated) {
    const std::string path = instance->GetReference().GetPath();
    TInstanceDeltaPtr instanceDelta = target->Find(path);
    if (!instanceDelta) {
      instanceDelta = target->Add(path);
      instanceDelta->EnsureSlots(ComparedSourceCount());
      instanceDelta->fInstances[source] = instance;
      instanceDelta->fDeltaTypes |= from.fDeltaTypes;
    }
    linked.push_back(instanceDelta);
  }
  return linked;
}

TWriter::TInstanceDeltaPtr TWriter::FindDeltaInstanceWithDeltas(TInstanceDeltaPtr instanceDelta, unsigned char type) {
  if (FirstDeltaOfType(instanceDelta->fDeltas, type)) return instanceDelta;
  for (const TInstanceDeltaPtr& associated : instanceDelta->Associations()) {
    TInstanceDeltaPtr found = FindDeltaInstanceWithDeltas(associated, type);
    if (found) return found;
  }
  return TInstanceDeltaPtr();
}

void TWriter::DumpDeltas(TClassDeltaPtr classDelta) {
  if (classDelta->fInstances.empty()) return;
  std::cout << "=== class " << classDelta->fReportClass->GetClass() << " ===\n"
            << classDelta->fInstances.size() << " instances\n";
  for (const auto& entry : classDelta->fInstances) {
    const TInstanceDelta& instanceDelta = *entry.second;
    std::cout << std::string(60, '-') << "\n"
              << "op = " << entry.first << "\n\n"
              << "delta type = " << std::hex << instanceDelta.fDeltaTypes << std::dec << "\n"
              << instanceDelta.fDeltas.size() << " deltas\n"
              << instanceDelta.fAssociations.size() << " associations\n";
  }
  std::cout << std::endl;
  for (const TClassDeltaPtr& associated : classDelta->fAssociatedClasses) DumpDeltas(associated);
}
