// The comparison tree of one table of a comparison page: one TClassDelta per
// table and associated table, one TInstanceDelta per compared instance, and
// the reading of the comparison results (VKXSG_Delta) they are built from.
// The top-level TClassDelta owns the tree through fAssociatedClasses and
// fInstances; the back and cross references are weak, so the whole tree is
// released when the page writer drops the top-level pointer.
#ifndef QZA_DELTA_DELTA_TREE_H
#define QZA_DELTA_DELTA_TREE_H

#include <boost/enable_shared_from_this.hpp>
#include <boost/weak_ptr.hpp>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "writer/writer.h"

// The Types of VKXSG_Delta, bits of TInstanceDelta::fDeltaTypes.
const uint32_t kMissingDelta = 1;   // in the base, missing from the listed data sources
const uint32_t kUniqueDelta = 2;    // only in the listed data sources
const uint32_t kPropertyDelta = 4;  // the property "Property" differs

struct TWriter::TClassDelta : boost::enable_shared_from_this<TWriter::TClassDelta> {
  TClassDelta(TNamespacePtr ns, TClassDeltaPtr backAssociatedClass, TReportClass* reportClass)
      : fNamespace(ns), fBackAssociatedClass(backAssociatedClass), fReportClass(reportClass) {}

  // The instance delta of the path; empty when there is none.
  TInstanceDeltaPtr Find(const std::string& path) const;
  // Inserts a new instance delta for a path that has none yet.
  TInstanceDeltaPtr Add(const std::string& path);

  TNamespacePtr fNamespace;
  // The table this one is reached from; empty for a top-level table.
  boost::weak_ptr<TClassDelta> fBackAssociatedClass;
  std::vector<TClassDeltaPtr> fAssociatedClasses;
  // The page definition's table, not owned: the page outlives the tree.
  TReportClass* fReportClass;
  // By object path, in byte order.
  std::map<std::string, TInstanceDeltaPtr> fInstances;
};

struct TWriter::TInstanceDelta {
  TInstanceDelta(TClassDeltaPtr classDelta, std::string instanceName)
      : fClassDelta(classDelta), fInstanceName(std::move(instanceName)), fDeltaTypes(0) {}

  // The lowest data source whose instance is loaded; -1 when none is.
  int LowestLoadedSource() const;
  // Makes room for one instance per data source.
  void EnsureSlots(size_t dataSourceCount);
  // Links an instance delta of an associated table, once.
  void AddAssociation(const TInstanceDeltaPtr& associated);
  std::vector<TInstanceDeltaPtr> Associations() const;

  boost::weak_ptr<TClassDelta> fClassDelta;
  // The object path, also the key in the class delta's fInstances.
  std::string fInstanceName;
  // Instance deltas of associated tables, each once, in the order found.
  std::vector<boost::weak_ptr<TInstanceDelta>> fAssociations;
  // Per association-derived column whose values differ: the value text per
  // data source, "" where a data source has none.
  std::map<std::string, std::vector<std::string>> fAssociationValues;
  // The instance per data source (by index); empty where it has none or it
  // was not loaded.
  TInstances fInstances;
  // The VKXSG_Delta instances, in the order found.
  TInstances fDeltas;
  // Bitwise OR of the Types of fDeltas and of those inherited through
  // associations.
  uint32_t fDeltaTypes;
};

// Readers of a VKXSG_Delta; a missing or null property throws as the core does.
uint32_t DeltaType(const NVKXQZA20::ICIMInstance& delta);
std::vector<uint16_t> DeltaIndices(const NVKXQZA20::ICIMInstance& delta);
std::string DeltaText(const NVKXQZA20::ICIMInstance& delta, const std::string& property);
// The first delta of the type; empty when there is none.
TWriter::TInstancePtr FirstDeltaOfType(const TWriter::TInstances& deltas, uint32_t type);

// The instance of the object path in a data source; empty when it has none.
TWriter::TInstancePtr LoadInstance(const TWriter::TNamespacePtr& ns, const std::string& path,
                                   uint16_t dataSource);

#endif
