// Test support for the comparison pages: a repository of several data
// sources with the comparison results stated as data, and a recording writer
// initialized for a comparison run over it.
//
//   Load({diskA, diskA + diskB},                       // data sources 0 and 1
//        Results("T_Disk", {{2, "T_Disk.ID=\"b\"", {1}, ""}}));
//   WritePage({ColumnTable("T_Disk", {"ID"})});
//   fWriter.CallsStartingWith("WriteTableTitle");   // "Unique to beta"
#ifndef QZA_TESTS_DELTA_COMPARISON_REPOSITORY_H
#define QZA_TESTS_DELTA_COMPARISON_REPOSITORY_H

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/writer/test_repository.h"

// Classes of every data source besides the comparison classes: the labels'
// sources and the compared devices.
const char kComparisonSchema[] = R"(
  class VKXSG_ComputerSystem { [Key] string Name; string SerialNumber; };
  class VKXSG_IPService { [Key] string Name; string HostName; };
  class T_Controller { [Key] string ID; string Name; };
  class T_Disk { [Key] string ID; string Model; [DisplayName("Capacity")] uint32 Size; string Flags[];
                 string A; string B; string C; string D; string E; string F; };
  class T_NVMeDisk : T_Disk { string Firmware; };
  [Association] class T_ControllerDisk { [Key] T_Controller REF Controller; [Key] T_Disk REF Disk; };
)";

// The labels of data sources 0, 1, 2 and 3: different machines, so the host names.
const char* const kHostNames[] = {"alpha", "beta", "gamma", "omega"};

// One comparison result: a VKXSG_Delta.
struct TDeltaRecord {
  int fType;
  std::string fInstanceName;
  std::vector<int> fNamespaceIndices;
  std::string fProperty;  // Type 4 only
};

inline std::string MofString(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// The comparison results of one class as MOF: its VKXSG_DeltaClass and the
// deltas linked to it, in order.
inline std::string Results(const std::string& className, const std::vector<TDeltaRecord>& deltas) {
  std::string mof = "instance of VKXSG_DeltaClass as $C_" + className + " { InstanceID = " +
                    MofString("C:" + className) + "; ClassName = " + MofString(className) + "; };\n";
  for (size_t i = 0; i < deltas.size(); ++i) {
    const std::string alias = "$D_" + className + "_" + std::to_string(i);
    std::string indices;
    for (int index : deltas[i].fNamespaceIndices) indices += (indices.empty() ? "" : ", ") + std::to_string(index);
    mof += "instance of VKXSG_Delta as " + alias + " { InstanceID = " +
           MofString("D:" + className + ":" + std::to_string(i)) + "; Type = " + std::to_string(deltas[i].fType) +
           "; InstanceName = " + MofString(deltas[i].fInstanceName) + "; NamespaceIndices = {" + indices + "};";
    if (!deltas[i].fProperty.empty()) mof += " Property = " + MofString(deltas[i].fProperty) + ";";
    mof += " };\ninstance of VKXSG_DeltaClassAssocToDelta { GroupComponent = $C_" + className +
           "; PartComponent = " + alias + "; };\n";
  }
  return mof;
}

inline std::string BundledSchema(const std::string& file) {
  std::ifstream in(std::string(QZA_SOURCE_DIR) + "/schema/" + file);
  std::string text;
  for (std::string line; std::getline(in, line);) text += line + "\n";
  return text;
}

// A column-style table of the class with 20% columns.
inline TReportParameters::TReportClass ColumnTable(const std::string& className,
                                                  const std::vector<std::string>& columns) {
  TReportParameters::TReportClass table;
  table.SetClass(className);
  for (const std::string& column : columns) {
    table.GetProperties().push_back(TReportParameters::TReportProperty(column, "20%", "", "", ""));
  }
  return table;
}

// Data source i holds the bundled comparison classes, kComparisonSchema, the
// machine kHostNames[i] and collections[i]; data source 0 also the results.
inline TTestNamespace ComparisonRepository(const std::vector<std::string>& collections, const std::string& results) {
  const std::string schema = BundledSchema("qualifiers.mof") + BundledSchema("cim_base.mof") +
                             BundledSchema("vkxsg_delta.mof") + kComparisonSchema;
  TTestNamespace ns = NVKXQZA20::TMemoryNamespace::Create();
  for (size_t i = 0; i < collections.size(); ++i) {
    const uint16_t source = i == 0 ? 0 : ns->AddDataSource();
    LoadMof(ns,
            schema + "instance of VKXSG_ComputerSystem { Name = \"cs\"; SerialNumber = \"S" + std::to_string(i) +
                "\"; };\ninstance of VKXSG_IPService { Name = \"ip\"; HostName = \"" + kHostNames[i] + "\"; };\n" +
                collections[i] + (i == 0 ? results : ""),
            source);
  }
  return ns;
}

class TComparisonWriter : public TRecordingWriter {
 public:
  using TWriter::WriteGenericDeltaReport;
};

class TComparisonTest : public ::testing::Test {
 protected:
  // A comparison run over the ComparisonRepository of the collections and results.
  void Load(const std::vector<std::string>& collections, const std::string& results) {
    fNamespace = ComparisonRepository(collections, results);
    fNamespace->SetGenerationMode(1);
    StartRun();
  }

  // Initializes the writer for a run over every data source of fNamespace.
  void StartRun() {
    NVKXQZA20::TCIMContext context;
    context["nNamespaces"] = NVKXQZA20::TCIMValue(static_cast<uint32_t>(fNamespace->GetDataSourceCount()));
    fWriter.BaseInitialize(fNamespace, context, Catalog(fNamespace));
  }

  // Writes a page "Disks" (link "disks") of the tables.
  void WritePage(const std::vector<TReportParameters::TReportClass>& tables) {
    TReportParameters page;
    page.SetLinkName("disks");
    page.SetReportName("Disks");
    page.SetShowReportTitle(true);
    page.SetClasses(tables);
    fWriter.WriteGenericDeltaReport(page);
  }

  std::vector<std::string> TableTitles() const { return fWriter.CallsStartingWith("WriteTableTitle"); }

  // The table titles, grids and separators, in order.
  std::vector<std::string> TableCalls() const {
    std::vector<std::string> calls;
    for (const std::string& call : fWriter.fCalls) {
      if (call.rfind("WriteTableTitle", 0) == 0 || call.rfind("WriteTableGrid", 0) == 0 ||
          call.rfind("WriteSeparator", 0) == 0) {
        calls.push_back(call);
      }
    }
    return calls;
  }

  TTestNamespace fNamespace;
  TComparisonWriter fWriter;
};

#endif
