// Support for the custom page tests: a recording writer whose custom page
// writers a test may call directly, a fixture that initializes it on a MOF
// repository, and a scratch output folder for raw-data result files.
//
//   Load(R"(class VKXSG_OREQSetting { [Key] string InstanceID; }; ...)");
//   fWriter.WriteOREQSettingReport(fCatalog, "OREQSetting");
//   EXPECT_EQ(fWriter.fCalls, (TCalls{"RegisterPage(oreq_setting, OREQ Settings, false)"}));
#ifndef QZA_TESTS_CUSTOM_CUSTOM_PAGE_TESTING_H
#define QZA_TESTS_CUSTOM_CUSTOM_PAGE_TESTING_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/writer/test_repository.h"

typedef std::vector<std::string> TCalls;

class TCustomPageWriter : public TRecordingWriter {
 public:
  using TWriter::WriteBIOSEnumeration;
  using TWriter::WriteDriveHealthReport;
  using TWriter::WriteEmulexReport;
  using TWriter::WriteKeelRAIDLogsReport;
  using TWriter::WriteKeelRAIDReport;
  using TWriter::WriteLinuxLogReport;
  using TWriter::WriteLSIIDEReport;
  using TWriter::WriteMergedDevicesReport;
  using TWriter::WriteMergedLogReport;
  using TWriter::WriteOREQSettingReport;
  using TWriter::WritePMCReport;
  using TWriter::WriteQLogicReport;
  using TWriter::WriteVellumReport;
  using TWriter::WriteWindowsEventReport;
  using TWriter::WriteZEBRegisterReport;

  // Recorded with the property's name, as "WriteDriveHealthTable(cleanNow)".
  void WriteDriveHealthTable(TInstancePtr, TPropertyPtr property) override {
    Record("WriteDriveHealthTable(" + (property ? property->GetName() : std::string()) + ")");
  }
};

// A fresh, empty folder that is removed with its contents afterwards.
class TScratchFolder {
 public:
  TScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qza-custom-XXXXXX").string();
    fPath = ::mkdtemp(&pattern[0]);
  }
  ~TScratchFolder() { std::filesystem::remove_all(fPath); }
  const std::string& Path() const { return fPath; }
  std::string File(const std::string& name) const { return fPath + "/" + name; }
  std::string Read(const std::string& name) const {
    std::ifstream file(File(name));
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  // The names of the files in the folder, in name order.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(fPath)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string fPath;
};

class CustomPageTest : public ::testing::Test {
 protected:
  void Load(const std::string& mof) {
    fNamespace = RepositoryFromMof(mof);
    fCatalog = Catalog(fNamespace, fMode);
    fWriter.SetMode(fMode);
    fWriter.BaseInitialize(fNamespace, NVKXQZA20::TCIMContext(), fCatalog);
    fWriter.fCalls.clear();
  }
  // Writes the page through its page identifier, as a report does.
  void WritePage(const std::string& pageID) {
    fWriter.fCalls.clear();
    fWriter.WriteReportPage(fCatalog, pageID);
  }
  // The recorded calls that start with one of the prefixes, in order.
  TCalls Calls(std::initializer_list<const char*> prefixes) const {
    TCalls calls;
    for (const std::string& call : fWriter.fCalls) {
      for (const char* prefix : prefixes) {
        if (call.compare(0, std::string(prefix).size(), prefix) == 0) {
          calls.push_back(call);
          break;
        }
      }
    }
    return calls;
  }

  std::string fMode = "default";
  TTestNamespace fNamespace;
  boost::shared_ptr<TReportParametersBuilder> fCatalog;
  TCustomPageWriter fWriter;
};

#endif
