// The bundled samples load on top of the bundled schema cleanly: no
// instance of an undeclared class, no unresolved alias, and enough
// instances to make a report of.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/mof_reader.h"

namespace NVKXQZA20 {
namespace {

const std::string kSchema = std::string(QZA_SOURCE_DIR) + "/schema/schema.mof";

std::string SamplePath(const std::string& sample) { return std::string(QZA_SOURCE_DIR) + "/samples/" + sample + ".mof"; }

struct TSampleLoad {
  std::vector<std::string> fWarnings;
  size_t fInstances = 0;
  size_t fInstancesInRepository = 0;
};

// Loads the schema and the sample into one data source the way the tool
// does (lenient, so that every skipped instance shows as a warning).
TSampleLoad LoadSample(const std::string& sample) {
  TSampleLoad load;
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader reader(ns);
  reader.SkipUndeclaredInstances([&load](const TMofError& warning) { load.fWarnings.push_back(warning.what()); });
  reader.LoadFile(kSchema);
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
  const TSampleLoad load = LoadSample(GetParam().fSample);
  EXPECT_TRUE(load.fWarnings.empty()) << load.fWarnings.size() << " warning(s):\n" << Joined(load.fWarnings);
  EXPECT_GE(load.fInstances, GetParam().fMinimumInstances);
  EXPECT_EQ(load.fInstances, load.fInstancesInRepository);
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
  auto collect = [&warnings](const TMofError& warning) { warnings.push_back(warning.what()); };
  size_t instances = 0;
  for (const char* sample : {"linux-server", "linux-server-later"}) {
    TCIMContext context;
    context["nsIndex"] = TCIMValue(std::string(sample) == "linux-server" ? uint16_t(0) : ns->AddDataSource());
    TMofReader reader(ns, context);
    reader.SkipUndeclaredInstances(collect);
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
