// Collections loaded side by side give what loading them in turn gives.
#include "tool/collections.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

using namespace NVKXQZA20;

namespace {

// Warnings, each data source's instance paths in order, the error.
std::vector<std::string> Load(const std::vector<std::string>& collections, bool parallel) {
  TLoadSettings settings;
  settings.fCollections = collections;
  settings.fSchemaFiles = SchemaFilesOf(QZA_SOURCE_DIR "/schema");
  settings.fParallel = parallel;
  std::vector<std::string> lines;
  settings.fWarn = [&lines](EMofWarning, const std::string& warning) { lines.push_back("warning " + warning); };
  try {
    boost::shared_ptr<TMemoryNamespace> ns = LoadCollections(settings).fNamespace;
    for (uint16_t source = 0; source < ns->GetDataSourceCount(); ++source) {
      TCIMContext context{{"nsIndex", TCIMValue(source)}};
      for (const boost::shared_ptr<ICIMClass>& root : ns->GetRootClasses(context)) {
        std::vector<boost::shared_ptr<ICIMInstance>> instances;
        root->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(instances), true, context);
        for (const auto& each : instances) lines.push_back(each->GetReference(context).GetPath());
      }
    }
  } catch (const TMofError& error) {
    lines.push_back(std::string("error ") + error.what());
  }
  return lines;
}

TEST(CollectionsTest, SideBySideLoadsWhatOneAfterTheOtherLoads) {
  const std::string samples = QZA_SOURCE_DIR "/samples/", generated = ::testing::TempDir() + "generated.mof";
  const std::string broken = ::testing::TempDir() + "broken.mof", generate = "python3 " QZA_SOURCE_DIR "/bench/";
  std::ofstream(broken) << "instance of Nope { V = 1; };\n\ninstance of Nope { W = ; };\n";
  ASSERT_EQ(0, std::system((generate + "generate_collection.py --instances 3000 -o " + generated).c_str()));
  const std::vector<std::vector<std::string>> cases = {
      {samples + "linux-server.mof", samples + "linux-server-later.mof", generated},
      {samples + "windows-server.mof", samples + "esxi-host.mof", samples + "preboot.mof"},
      {samples + "linux-server.mof", broken, samples + "windows-server.mof"},
      {broken, generated}};
  for (const std::vector<std::string>& collections : cases) {
    std::vector<std::string> inTurn = Load(collections, false);
    EXPECT_TRUE(!inTurn.empty() && inTurn == Load(collections, true)) << collections[0];
  }
}

}  // namespace
