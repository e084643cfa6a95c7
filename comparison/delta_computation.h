// comparison/ — the differences between collections: this computation, the
// change list of the What changed page (change_list.h) and the line
// difference of long values (line_diff.h). Uses the report library and the
// core only.
//
// The comparison of several collections: finds what differs between the data
// sources of a repository (data source 0 is the base) and stores it in data
// source 0 as the comparison results the report's comparison pages read, then
// marks the repository as a comparison (generation mode 1).
//
//   TLoadedCollections loaded = LoadCollections(settings);   // base first
//   TDeltaSummary summary = ComputeDeltas(loaded.fNamespace, {{"*", "StatisticTime"}});
//
// What is stored, for each class that has instances in any data source
// (classes match by name; the comparison classes themselves are skipped):
// - one VKXSG_DeltaClass whose ClassName is the class name, linked to each
//   VKXSG_Delta below through VKXSG_DeltaClassAssocToDelta: a link of the
//   repository (TMemoryNamespace::Link), which Associators follow as they
//   would an instance of the association, without an instance each;
// - Type 1, for an instance of the base missing from other data sources:
//   NamespaceIndices lists those data sources;
// - Type 2, for an instance whose object path the base lacks: NamespaceIndices
//   lists the data sources that hold it;
// - Type 4, for a property of a base instance whose value differs in other
//   data sources: Property names it, NamespaceIndices lists 0 (the base value
//   is shown beside the others) and then each data source that holds the
//   instance with a different value. A data source without the instance is in
//   its Type 1, never in a Type 4.
// Indices ascend. Instances match by object path (GetReference().GetPath(),
// which names no data source) within their own class, subclasses apart. The
// properties the base's class declares compare by value text
// (TCIMValue::ToString): references by path, arrays element by element in
// order; a property another data source's class lacks reads as null, and null
// reads as "". Ignored properties (see TIgnoredProperty) are not compared at
// all: they never give a Type 4, while their instances still match and can
// still be missing or unique. Deltas are stored class by class; within a class per base
// instance in enumeration order (its Type 1, then its Type 4 in declaration
// order of the properties), then the Type 2 in the order first met.
//
// Cost: per class one pass over each data source with a hash map by path, so
// the time grows linearly with instances times properties. The classes are
// compared on worker threads (one per core but one), the largest first,
// while the calling thread stores the results in list order, comparing
// itself any class not yet begun: the results are the same whatever the
// number of threads. The repository must not change meanwhile.
//
// The comparison classes are those of schema/vkxsg_delta.mof, declared in
// data source 0 in that shape when its schema lacks them. Their keys
// (InstanceID) read "VKXSG_DeltaClass:<class name>" and "VKXSG_Delta:<n>",
// n counting from 1 in the order stored.
//
// Errors: core failures pass on as NVKXQZA20::TQZAException. Run it once per
// repository: a second run would store a second set of results.
#ifndef QZA_HOST_DELTA_COMPUTATION_H
#define QZA_HOST_DELTA_COMPUTATION_H

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <string>
#include <vector>

#include "core/repository.h"

// The records of one log that a later collection has and the base lacks
// (FindNewLogRecords below).
struct TNewLogRecords {
  std::string fLog;
  uint16_t fDataSource;
  std::vector<boost::shared_ptr<NVKXQZA20::ICIMInstance>> fRecords;  // in the collection's order
};

struct TDeltaSummary {
  size_t fClassCount = 0;       // VKXSG_DeltaClass instances stored
  size_t fMissingCount = 0;     // Type 1
  size_t fUniqueCount = 0;      // Type 2
  size_t fDifferenceCount = 0;  // Type 4
  // FindNewLogRecords of the namespace, found while the storing thread
  // would otherwise wait for a comparison.
  std::vector<TNewLogRecords> fNewLogRecords;
};

// A property left out of the comparison, in the class named and its
// subclasses; the class "*" stands for every class. Names compare without
// regard to case, as CIM names do.
struct TIgnoredProperty {
  std::string fClass;
  std::string fProperty;
};

// Compares every data source of the namespace with data source 0.
TDeltaSummary ComputeDeltas(const boost::shared_ptr<NVKXQZA20::TMemoryNamespace>& ns,
                            const std::vector<TIgnoredProperty>& ignored = {});

// Properties whose values change between any two collections of one
// machine without anything having been done to it: clocks, uptimes,
// counters, free memory, process times and ids. They are still compared; a
// summary of the changes folds them away. The list, then the user's ignored
// properties (which go further: they are not compared at all).
std::vector<TIgnoredProperty> VolatileProperties(const std::vector<TIgnoredProperty>& ignored);

// The records that a later collection's log has and the base's lacks. A
// record is new when it is later than the base log's latest record; a record
// without a time, or in a log without timed records in the base, when its
// object path is not in the base. Logs are told apart by LogName (their class
// name when they have none). The cost is one pass over the log records of
// every data source.
std::vector<TNewLogRecords> FindNewLogRecords(const NVKXQZA20::TMemoryNamespace& ns);

#endif
