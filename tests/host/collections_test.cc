// Collections loaded side by side give what loading them one after the other
// gives: the same instances in the same order, the same warnings, the same
// first error.
#include "host/collections.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

using namespace NVKXQZA20;

namespace {

// Warnings, then each data source's instance paths in enumeration order,
// then the error that stopped the load.
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
        for (const auto& instance : instances) lines.push_back(instance->GetReference(context).GetPath());
      }
    }
  } catch (const TMofError& error) {
    lines.push_back(std::string("error ") + error.what());
  }
  return lines;
}

TEST(CollectionsTest, SideBySideLoadsWhatOneAfterTheOtherLoads) {
  const std::string samples = QZA_SOURCE_DIR "/samples/", folder = ::testing::TempDir();
  const std::string broken = folder + "broken.mof", generated = folder + "generated.mof";
  std::ofstream(broken) << "instance of Nope { V = 1; };\n\ninstance of Nope { W = ; };\n";
  const std::string generate = "python3 " QZA_SOURCE_DIR "/bench/generate_collection.py --instances 3000 -o ";
  ASSERT_EQ(0, std::system((generate + generated).c_str()));
  const std::vector<std::vector<std::string>> cases = {
      {samples + "linux-server.mof", samples + "linux-server-later.mof", generated},
      {samples + "windows-server.mof", samples + "esxi-host.mof", samples + "preboot.mof"},
      {samples + "linux-server.mof", broken, samples + "windows-server.mof"},
      {broken, generated}};
  for (const std::vector<std::string>& collections : cases) {
    std::vector<std::string> oneAfterTheOther = Load(collections, false);
    EXPECT_FALSE(oneAfterTheOther.empty());
    EXPECT_EQ(oneAfterTheOther, Load(collections, true)) << collections[0];
  }
}

}  // namespace
