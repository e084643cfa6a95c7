#include <gtest/gtest.h>

#include "tests/writer/test_repository.h"

namespace {

using NVKXQZA20::TCIMContext;
using NVKXQZA20::TCIMValue;

class TStateWriter : public TRecordingWriter {
 public:
  using TWriter::GetDataSourceLabels;
  using TWriter::GetMode;
  using TWriter::IsComparisonRun;
};

const char kSourceClasses[] = R"(
  class VKXSG_ComputerSystem { [Key] string Name; string SerialNumber; };
  class VKXSG_TimeZone { [Key] string Name; datetime LocalDateTime; };
  class VKXSG_IPService { [Key] string Name; string HostName; };
)";

// One data source: its serial number, the time it was taken and, when given,
// its host name.
std::string Source(const std::string& serial, const std::string& taken, const std::string& host = "") {
  std::string mof = std::string(kSourceClasses) +
                    "instance of VKXSG_ComputerSystem { Name = \"cs\"; SerialNumber = \"" + serial + "\"; };" +
                    "instance of VKXSG_TimeZone { Name = \"tz\"; LocalDateTime = \"" + taken + "\"; };";
  if (!host.empty()) mof += "instance of VKXSG_IPService { Name = \"ip\"; HostName = \"" + host + "\"; };";
  return mof;
}

TTestNamespace Sources(const std::vector<std::string>& mofs) {
  TTestNamespace ns = NVKXQZA20::TMemoryNamespace::Create();
  for (size_t i = 0; i < mofs.size(); ++i) {
    if (i > 0) ns->AddDataSource();
    LoadMof(ns, mofs[i], static_cast<uint16_t>(i));
  }
  return ns;
}

std::vector<std::string> Labels(const TTestNamespace& ns, int sources) {
  TStateWriter writer;
  TCIMContext context;
  context["nNamespaces"] = TCIMValue(static_cast<uint16_t>(sources));
  writer.BaseInitialize(ns, context, Catalog(ns));
  return writer.GetDataSourceLabels();
}

const char kMonday[] = "20240101101500.000000+000";
const char kTuesday[] = "20240102111600.000000+000";

// Collections of one machine are told apart by the time they were taken,
// of different machines by their host names; a collection that lacks the
// class (or has none of its instances) keeps its serial number; a label that
// repeats an earlier one gets " (2)", " (3)"...
TEST(Writer, DataSourcesAreLabelledByTimeOrHostNameOrElseSerialNumber) {
  const std::string withoutClasses = "class VKXSG_ComputerSystem { [Key] string Name; string SerialNumber; };"
                                     "instance of VKXSG_ComputerSystem { Name = \"cs\"; SerialNumber = \"S1\"; };";
  const struct {
    const char* fCase;
    std::vector<std::string> fSources;
    std::vector<std::string> fLabels;
  } kCases[] = {
      {"one collection", {Source("S1", kMonday)}, {"2024-01-01 10:15:00"}},
      {"one machine", {Source("S1", kMonday), Source("S1", kTuesday)}, {"2024-01-01 10:15:00", "2024-01-02 11:16:00"}},
      {"one machine, no time zone class", {withoutClasses, withoutClasses}, {"S1", "S1 (2)"}},
      {"one machine, taken in the same second",
       {Source("S1", kMonday), Source("S1", kMonday), Source("S1", kMonday)},
       {"2024-01-01 10:15:00", "2024-01-01 10:15:00 (2)", "2024-01-01 10:15:00 (3)"}},
      {"machines of one host name",
       {Source("S1", kMonday, "alpha"), Source("S2", kMonday, "alpha"), Source("S3", kMonday, "alpha (2)")},
       {"alpha", "alpha (3)", "alpha (2)"}},
      {"two machines", {Source("S1", kMonday, "alpha"), Source("S2", kTuesday)}, {"alpha", "S2"}},
      {"two machines, no IP service class", {withoutClasses, Source("S2", kTuesday)}, {"S1", "S2"}},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(c.fLabels, Labels(Sources(c.fSources), static_cast<int>(c.fSources.size()))) << c.fCase;
  }
}

TEST(Writer, ComparisonRunIsReadFromTheRepository) {
  TTestNamespace ns = Sources({Source("S1", kMonday)});
  ns->SetGenerationMode(1);
  TStateWriter writer;
  TLogCapture log;
  writer.BaseInitialize(ns, TCIMContext(), Catalog(ns));
  EXPECT_TRUE(writer.IsComparisonRun());
  EXPECT_TRUE(log.Has(3, "TWriter::BaseInitialize -- Under DELTA mode, construct a mapping from class name to "
                         "VKXSG_DeltaClass instance"));
}

TEST(Writer, FailingRunFlagReadIsLoggedAndLeavesTheDefaults) {
  TTestNamespace ns = Sources({Source("S1", kMonday)});
  ns->SetGenerationMode(1);
  boost::shared_ptr<TReportParametersBuilder> catalog = Catalog(ns);
  ns->InjectFault(0, NVKXQZA20::kQZAOk);
  catalog->IsPreboot();
  // The read of the generation mode follows the preboot probe.
  ns->InjectFault(ns->GetCallCount() + 1, NVKXQZA20::kQZAFailed);
  TStateWriter writer;
  TLogCapture log;
  writer.BaseInitialize(ns, TCIMContext(), catalog);
  EXPECT_TRUE(log.Has(3, "TWriter::BaseInitialize -- Exception when initializing member variable"));
  EXPECT_FALSE(writer.IsComparisonRun());
  EXPECT_TRUE(log.Has(3, "TWriter::BaseInitialize -- Exiting "));
}

TEST(Writer, IsLinuxNeedsExactlyOneLinuxOperatingSystem) {
  const char kSystems[] = "class VKXSG_OperatingSystem { [Key] string Name; uint16 OSType; };";
  const struct {
    std::string fInstances;
    bool fExpected;
  } cases[] = {
      {"instance of VKXSG_OperatingSystem { Name = \"a\"; OSType = 36; };", true},
      {"instance of VKXSG_OperatingSystem { Name = \"a\"; OSType = 18; };", false},
      {"instance of VKXSG_OperatingSystem { Name = \"a\"; OSType = 36; };"
       "instance of VKXSG_OperatingSystem { Name = \"b\"; OSType = 36; };",
       false},
  };
  for (const auto& c : cases) {
    TTestNamespace ns = RepositoryFromMof(kSystems + c.fInstances);
    TStateWriter writer;
    writer.BaseInitialize(ns, TCIMContext(), Catalog(ns));
    EXPECT_EQ(c.fExpected, writer.IsLinux()) << c.fInstances;
  }
}

TEST(Writer, IsLinuxWithoutOperatingSystemIsFalseAndLogged) {
  TStateWriter writer;
  TTestNamespace ns = RepositoryFromMof("class VKXSG_OperatingSystem { [Key] string Name; uint16 OSType; };");
  writer.BaseInitialize(ns, TCIMContext(), Catalog(ns));
  TLogCapture log;
  EXPECT_FALSE(writer.IsLinux());
  EXPECT_TRUE(log.Has(3, "Report - IsLinux: no VKXSG_OperatingSystem instance"));
  TTestNamespace empty = NVKXQZA20::TMemoryNamespace::Create();
  writer.BaseInitialize(empty, TCIMContext(), Catalog(empty));
  EXPECT_FALSE(writer.IsLinux());
  EXPECT_TRUE(log.Has(3, "Report - IsLinux: no VKXSG_OperatingSystem class"));
}

std::string VersionOf(const std::string& build, const std::string& version) {
  TTestNamespace ns = RepositoryFromMof(
      "class VKXSG_QZAProduct { [Key] string Name; string Build; string Version; };"
      "instance of VKXSG_QZAProduct { Name = \"qza\"; Build = \"" + build + "\"; Version = \"" + version + "\"; };");
  TStateWriter writer;
  writer.BaseInitialize(ns, TCIMContext(), Catalog(ns));
  return writer.GetDataSourceVersion();
}

TEST(Writer, DataSourceVersionRaisesOldPrebootMajorVersions) {
  EXPECT_EQ("2.3", VersionOf("build 7 preboot", "1.3"));
  EXPECT_EQ("1.3", VersionOf("build 7", "1.3"));
  EXPECT_EQ("3.1", VersionOf("preboot", "3.1"));
  EXPECT_EQ("2.4", VersionOf("preboot", "10.4"));
}

}  // namespace
