// The bundled samples load on top of the bundled schema, or of a copy of it
// elsewhere, cleanly: no instance of an undeclared class, no unresolved
// alias, no declaration replaced (the samples include the bundled schema,
// which the copy declares identically), and enough instances to make a
// report of.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <unistd.h>
#include <string>
#include <vector>

#include "core/mof_reader.h"

namespace NVKXQZA20 {
namespace {

const std::string kSchemaFolder = std::string(QZA_SOURCE_DIR) + "/schema";
const std::string kSchema = kSchemaFolder + "/schema.mof";

// A copy of the bundled schema folder, removed with the test.
class TSchemaCopy {
 public:
  TSchemaCopy() : fFolder(std::filesystem::temp_directory_path() / ("qza-schema-" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(fFolder);
    std::filesystem::copy(kSchemaFolder, fFolder, std::filesystem::copy_options::recursive);
  }
  ~TSchemaCopy() { std::filesystem::remove_all(fFolder); }
  std::string Schema() const { return (fFolder / "schema.mof").string(); }

 private:
  std::filesystem::path fFolder;
};

std::string SamplePath(const std::string& sample) { return std::string(QZA_SOURCE_DIR) + "/samples/" + sample + ".mof"; }

struct TSampleLoad {
  std::vector<std::string> fWarnings;
  size_t fInstances = 0;
  size_t fInstancesInRepository = 0;
};

// Loads the schema and the sample into one data source the way the tool
// does (lenient, so that every skipped instance shows as a warning).
TSampleLoad LoadSample(const std::string& sample, const std::string& schema) {
  TSampleLoad load;
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader reader(ns);
  reader.SetWarningCallback([&load](EMofWarning, const TMofError& warning) { load.fWarnings.push_back(warning.what()); });
  reader.SkipUndeclaredInstances();
  reader.AllowIncludesBelow(kSchemaFolder);
  reader.LoadFile(schema);
  reader.LoadFile(SamplePath(sample));
  load.fInstances = reader.GetInstanceCount();
  load.fInstancesInRepository = ns->GetInstanceCount();
  return load;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

struct TSampleCase {
  const char* fSample;
  size_t fMinimumInstances;
};

// Test output names the case, not its bytes.
void PrintTo(const TSampleCase& c, std::ostream* out) { *out << c.fSample; }

class SampleLoadingTest : public ::testing::TestWithParam<TSampleCase> {};

TEST_P(SampleLoadingTest, LoadsWithoutWarningAndWithItsInstances) {
  TSchemaCopy copy;
  for (const std::string& schema : {kSchema, copy.Schema()}) {
    SCOPED_TRACE(schema);
    const TSampleLoad load = LoadSample(GetParam().fSample, schema);
    EXPECT_TRUE(load.fWarnings.empty()) << load.fWarnings.size() << " warning(s):\n" << Joined(load.fWarnings);
    EXPECT_GE(load.fInstances, GetParam().fMinimumInstances);
    EXPECT_EQ(load.fInstances, load.fInstancesInRepository);
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleLoadingTest,
                         ::testing::Values(TSampleCase{"linux-server", 500}, TSampleCase{"linux-server-later", 500},
                                           TSampleCase{"windows-server", 500}, TSampleCase{"esxi-host", 150},
                                           TSampleCase{"preboot", 100}),
                         [](const ::testing::TestParamInfo<TSampleCase>& info) {
                           std::string name = info.param.fSample;
                           for (char& c : name) {
                             if (c == '-') c = '_';
                           }
                           return name;
                         });

// The comparison loads the later collection as a second data source of the
// same namespace, each with the schema first.
TEST(SampleComparisonLoadingTest, BothLinuxCollectionsLoadIntoOneNamespace) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  std::vector<std::string> warnings;
  auto collect = [&warnings](EMofWarning, const TMofError& warning) { warnings.push_back(warning.what()); };
  size_t instances = 0;
  for (const char* sample : {"linux-server", "linux-server-later"}) {
    TCIMContext context;
    context["nsIndex"] = TCIMValue(std::string(sample) == "linux-server" ? uint16_t(0) : ns->AddDataSource());
    TMofReader reader(ns, context);
    reader.SetWarningCallback(collect);
    reader.SkipUndeclaredInstances();
    reader.AllowIncludesBelow(kSchemaFolder);
    reader.LoadFile(kSchema);
    reader.LoadFile(SamplePath(sample));
    EXPECT_EQ(reader.GetInstanceCount(), ns->GetInstanceCount(context)) << sample;
    instances += reader.GetInstanceCount();
  }
  EXPECT_TRUE(warnings.empty()) << Joined(warnings);
  EXPECT_GE(instances, 1000u);
}

}  // namespace
}  // namespace NVKXQZA20
