// Benchmarks of the in-memory repository: building a large collection,
// reading properties, deep enumeration and associator lookups.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "core/mof_reader.h"
#include "core/repository.h"

namespace {

using namespace NVKXQZA20;

// Resident memory of this process in bytes (peak when peak is set).
double ResidentBytes(bool peak) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string field = peak ? "VmHWM:" : "VmRSS:";
  while (std::getline(status, line)) {
    if (line.compare(0, field.size(), field) == 0) return std::stod(line.substr(field.size())) * 1024.0;
  }
  return 0;
}

TPropertyDeclaration Property(const std::string& name, ECIMType type, bool key = false) {
  TPropertyDeclaration property(name, type);
  if (key) property.fQualifiers.push_back(TQualifierValue("Key", true));
  return property;
}

// A log-record class of ten properties, the shape that dominates large collections.
void DeclareRecordClass(TMemoryNamespace& ns, const std::string& name, const std::string& super) {
  TClassDeclaration declaration;
  declaration.fName = name;
  declaration.fSuperClass = super;
  if (super.empty()) {
    declaration.fProperties = {Property("RecordID", CIMTypeUInt32, true), Property("LogName", CIMTypeString, true),
                               Property("Message", CIMTypeString),       Property("Severity", CIMTypeUInt16),
                               Property("Source", CIMTypeString),        Property("EventID", CIMTypeUInt32),
                               Property("Category", CIMTypeString),      Property("Time", CIMTypeDateTime),
                               Property("User", CIMTypeString),          Property("Computer", CIMTypeString)};
  }
  ns.DeclareClass(declaration);
}

void FillRecord(ICIMInstance& record, uint32_t i) {
  record.SetPropertyValue("RecordID", TCIMValue(i));
  record.SetPropertyValue("LogName", TCIMValue("System"));
  record.SetPropertyValue("Message", TCIMValue("Service started: " + std::to_string(i % 1000)));
  record.SetPropertyValue("Severity", TCIMValue(uint16_t(i % 4)));
  record.SetPropertyValue("Source", TCIMValue("systemd"));
  record.SetPropertyValue("EventID", TCIMValue(i % 7000));
  record.SetPropertyValue("Category", TCIMValue("None"));
  record.SetPropertyValue("Time", TCIMValue(TCIMDateTime(2026, 11, 20, i % 24, i % 60, i % 60, 0, 0)));
  record.SetPropertyValue("User", TCIMValue("root"));
  record.SetPropertyValue("Computer", TCIMValue("srv01"));
}

boost::shared_ptr<TMemoryNamespace> BuildRecords(uint32_t count) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  DeclareRecordClass(*ns, "VKXSG_LogRecord", "");
  DeclareRecordClass(*ns, "VKXSG_SystemLogRecord", "VKXSG_LogRecord");
  DeclareRecordClass(*ns, "VKXSG_AppLogRecord", "VKXSG_LogRecord");
  const char* classes[] = {"VKXSG_LogRecord", "VKXSG_SystemLogRecord", "VKXSG_AppLogRecord"};
  for (uint32_t i = 0; i < count; ++i) FillRecord(*ns->GetClass(classes[i % 3])->CreateInstance(), i);
  return ns;
}

void BM_CreateInstances(benchmark::State& state) {
  double before = ResidentBytes(false);
  for (auto _ : state) {
    boost::shared_ptr<TMemoryNamespace> ns = BuildRecords(static_cast<uint32_t>(state.range(0)));
    state.counters["resident_MB"] = (ResidentBytes(false) - before) / 1e6;
    benchmark::DoNotOptimize(ns);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CreateInstances)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_GetPropertyByName(benchmark::State& state) {
  boost::shared_ptr<TMemoryNamespace> ns = BuildRecords(1000);
  std::vector<boost::shared_ptr<ICIMInstance>> records;
  ns->GetClass("VKXSG_LogRecord")->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(records), true);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(records[i++ % records.size()]->GetProperty("Computer")->GetValue());
  }
}
BENCHMARK(BM_GetPropertyByName);

void BM_DeepEnumeration(benchmark::State& state) {
  boost::shared_ptr<TMemoryNamespace> ns = BuildRecords(static_cast<uint32_t>(state.range(0)));
  boost::shared_ptr<ICIMClass> base = ns->GetClass("VKXSG_LogRecord");
  for (auto _ : state) {
    std::vector<boost::shared_ptr<ICIMInstance>> records;
    base->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(records), true);
    benchmark::DoNotOptimize(records.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DeepEnumeration)->Arg(100000)->Unit(benchmark::kMillisecond);

// One controller among 100,000 disks, each linked by its own association.
void BM_AssociatorsOfOneAmongMany(benchmark::State& state) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TClassDeclaration device;
  device.fName = "VKXSG_Device";
  device.fProperties = {Property("DeviceID", CIMTypeString, true)};
  ns->DeclareClass(device);
  TClassDeclaration link;
  link.fName = "VKXSG_DeviceLink";
  link.fQualifiers.push_back(TQualifierValue("Association", true));
  link.fProperties = {Property("Antecedent", CIMTypeReference, true), Property("Dependent", CIMTypeReference, true)};
  link.fProperties[0].fReferenceClass = link.fProperties[1].fReferenceClass = "VKXSG_Device";
  ns->DeclareClass(link);
  boost::shared_ptr<ICIMClass> devices = ns->GetClass("VKXSG_Device");
  boost::shared_ptr<ICIMClass> links = ns->GetClass("VKXSG_DeviceLink");
  std::vector<boost::shared_ptr<ICIMInstance>> parents;
  const int count = static_cast<int>(state.range(0));
  for (int i = 0; i < count; ++i) {
    boost::shared_ptr<ICIMInstance> parent = devices->CreateInstance();
    parent->SetPropertyValue("DeviceID", TCIMValue("ctl" + std::to_string(i)));
    boost::shared_ptr<ICIMInstance> child = devices->CreateInstance();
    child->SetPropertyValue("DeviceID", TCIMValue("disk" + std::to_string(i)));
    boost::shared_ptr<ICIMInstance> association = links->CreateInstance();
    association->SetPropertyValue("Antecedent", TCIMValue(parent->GetReference()));
    association->SetPropertyValue("Dependent", TCIMValue(child->GetReference()));
    parents.push_back(parent);
  }
  // The first lookup builds the association index; time the lookups after it.
  std::vector<boost::shared_ptr<ICIMInstance>> warm;
  parents[0]->Associators(TAddToVectorCallback<ICIMInstance>(warm), "", "", "", "");
  size_t i = 0;
  for (auto _ : state) {
    std::vector<boost::shared_ptr<ICIMInstance>> found;
    parents[(i++ * 7919) % parents.size()]->Associators(TAddToVectorCallback<ICIMInstance>(found),
                                                         "VKXSG_DeviceLink", "", "", "");
    benchmark::DoNotOptimize(found.data());
  }
}
BENCHMARK(BM_AssociatorsOfOneAmongMany)->Arg(100000);

// The whole DMTF CIM Schema (1,631 classes), unpacked from the zip beside
// the project (or the one QZA_DMTF_ZIP names) into a scratch folder.
void BM_LoadDmtfSchema(benchmark::State& state) {
  const char* named = std::getenv("QZA_DMTF_ZIP");
  const std::string zip = named != nullptr ? named : QZA_SOURCE_DIR "/../shared/cim-schema/cim_schema_2.49.0Final-MOFs.zip";
  const std::string folder = "/tmp/qza-bench-dmtf";
  const std::string unzip = "unzip -q -o '" + zip + "' -d " + folder + " > /dev/null 2>&1";
  if (!std::ifstream(zip) || std::system(unzip.c_str()) != 0) {
    state.SkipWithError("the DMTF schema zip is not beside the project, or unzip is missing");
    return;
  }
  for (auto _ : state) {
    boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
    TMofReader reader(ns);
    reader.LoadFile(folder + "/cim_schema_2.49.0.mof");
    benchmark::DoNotOptimize(reader.GetClassCount());
  }
  std::system(("rm -rf " + folder).c_str());
}
BENCHMARK(BM_LoadDmtfSchema)->Unit(benchmark::kMillisecond);

// Qualifier declarations are found by name in constant time: the time per
// declaration stays flat from 10,000 to 40,000 (quadratic before).
void BM_LoadQualifierDeclarations(benchmark::State& state) {
  std::string text;
  for (int64_t i = 0; i < state.range(0); ++i) {
    text += "Qualifier Q" + std::to_string(i) + " : string = null, Scope(any);\n";
  }
  for (auto _ : state) {
    TMofReader reader(TMemoryNamespace::Create());
    reader.LoadText(text, "qualifiers.mof");
    benchmark::DoNotOptimize(reader.GetQualifierTypeCount());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadQualifierDeclarations)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
