// The fleet through its public entry points: `qzareport fleet` in-process
// and the engine's interface.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "fleet/fleet_engine.h"
#include "fleet/query_output.h"
#include "tests/fleet/fleet_running.h"

namespace fs = std::filesystem;

namespace {

std::string SamplePath(const std::string& name) { return std::string(QZA_SOURCE_DIR) + "/samples/" + name; }

// A fresh database path in a folder of the test's own.
class TFleetFolder {
 public:
  explicit TFleetFolder(const std::string& name)
      : fFolder(fs::temp_directory_path() / ("qza-fleet-" + name + "-" + std::to_string(::getpid()))) {
    fs::remove_all(fFolder);
    fs::create_directories(fFolder);
  }
  ~TFleetFolder() { fs::remove_all(fFolder); }
  std::string Database() const { return (fFolder / "fleet.db").string(); }

 private:
  fs::path fFolder;
};

// The one text a query answers ("" for null); rows joined by '\n', cells by '|'.
std::string Answer(const std::string& database, const std::string& sql) {
  const TFleetQueryResult result = OpenFleet(database, EFleetAccess::kReadOnly)->Query(sql);
  std::string text;
  for (const TFleetRow& row : result.fRows) {
    if (!text.empty()) text += "\n";
    for (size_t i = 0; i < row.size(); ++i) text += (i ? "|" : "") + row[i].fText;
  }
  return text;
}

class FleetSamplesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::setenv("QZA_DATA_DIR", QZA_SOURCE_DIR, 0);
    fFolder = new TFleetFolder("samples");
    std::vector<std::string> arguments{"add", "-q", fFolder->Database()};
    for (const char* sample : kSamples) arguments.push_back(SamplePath(sample));
    const TRun run = RunFleet(arguments);
    ASSERT_EQ(run.fStatus, 0) << run.fErr;
  }
  static void TearDownTestSuite() {
    delete fFolder;
    fFolder = nullptr;
  }

  static TFleetFolder* fFolder;
};

TFleetFolder* FleetSamplesTest::fFolder = nullptr;

// $C is the id of the sample's collection.
struct TMappingCase {
  const char* fSample;
  const char* fSql;
  const char* fExpected;
};

const TMappingCase kMappingCases[] = {
    {"linux-server.mof", "SELECT host, serial, maker, model, kernel, collected FROM collections WHERE id = $C",
     "rhel-db01.lab.example.com|J30A1B2C|VKX|Keelson QV650 -[4Q17KTM2VV]-|4.18.0-513.24.1.el8_9.x86_64|"
     "2026-11-20 19:30:05"},
    {"linux-server.mof", "SELECT os FROM collections WHERE id = $C", "Red Hat Enterprise Linux 8.9 (Ootpa)"},
    {"linux-server.mof", "SELECT maker, version, build, release_date FROM bios WHERE collection_id = $C",
     "VKX|3.30|QKB170L|2026-08-14"},
    {"linux-server.mof", "SELECT count(*), sum(cores) FROM processors WHERE collection_id = $C", "2|40"},
    {"linux-server.mof", "SELECT count(*), sum(bytes) / 1073741824 FROM memory WHERE collection_id = $C", "12|384"},
    {"linux-server.mof", "SELECT count(*) FROM drives WHERE collection_id = $C", "4"},
    {"linux-server.mof",
     "SELECT model, firmware, serial, smart_health FROM drives WHERE collection_id = $C AND device = '/dev/sdc'",
     "5300_MTFDDAK480TDS|D3MU001|2134321A8C77|PASSED"},
    {"linux-server.mof", "SELECT count(*) FROM smart_attributes WHERE collection_id = $C AND device = '/dev/sdc'",
     "14"},
    {"linux-server.mof", "SELECT raid_level, status FROM raid_volumes WHERE collection_id = $C", "RAID1|Okay (OKY)"},
    {"linux-server.mof", "SELECT count(*) FROM pci_functions WHERE collection_id = $C", "18"},
    {"linux-server.mof", "SELECT count(*) FROM firmware WHERE collection_id = $C", "13"},
    {"linux-server.mof", "SELECT version FROM packages WHERE collection_id = $C AND name = 'kernel'",
     "4.18.0-513.24.1.el8_9"},
    {"linux-server.mof", "SELECT count(*) FROM packages WHERE collection_id = $C", "54"},
    {"linux-server.mof", "SELECT version FROM kernel_modules WHERE collection_id = $C AND name = 'mpt3sas'",
     "43.100.00.00"},
    {"linux-server.mof",
     "SELECT mac, speed_bps, link_state, driver FROM network_ports WHERE collection_id = $C AND name = 'eno1'",
     "7E:D3:0A:2B:1F:40|1000000000|up|i40e"},
    {"linux-server.mof", "SELECT count(*) FROM sensors_not_ok WHERE collection_id = $C", "1"},
    {"linux-server.mof", "SELECT count(*) FROM problems WHERE collection_id = $C", "15"},
    {"linux-server-later.mof", "SELECT count(*) FROM latest WHERE id = $C", "1"},
    {"linux-server.mof", "SELECT count(*) FROM latest WHERE id = $C", "0"},
    {"windows-server.mof", "SELECT host, kernel FROM collections WHERE id = $C", "WINSQL02|10.0.17763"},
    {"windows-server.mof", "SELECT count(*) FROM drives WHERE collection_id = $C", "9"},
    {"windows-server.mof", "SELECT count(*) FROM memory WHERE collection_id = $C", "16"},
    {"windows-server.mof", "SELECT status FROM raid_volumes WHERE collection_id = $C AND name = 'SQLData'",
     "Critical"},
    {"windows-server.mof", "SELECT count(*) FROM kernel_modules WHERE collection_id = $C", "26"},
    {"esxi-host.mof", "SELECT count(*) FROM latest WHERE id = $C AND host IS NULL", "1"},
    {"esxi-host.mof", "SELECT count(*) FROM memory WHERE collection_id = $C", "8"},
    {"preboot.mof", "SELECT count(*) FROM memory WHERE collection_id = $C", "4"},
};

TEST_F(FleetSamplesTest, EachTableHoldsWhatTheSamplesSay) {
  for (const TMappingCase& c : kMappingCases) {
    std::string sql = c.fSql;
    const std::string id = "(SELECT id FROM collections WHERE source = '" + SamplePath(c.fSample) + "')";
    sql.replace(sql.find("$C"), 2, id);
    EXPECT_EQ(Answer(fFolder->Database(), sql), c.fExpected) << c.fSample << ": " << c.fSql;
  }
}

TEST_F(FleetSamplesTest, AddingTheSameCollectionsAgainChangesNothing) {
  const std::string before = Answer(fFolder->Database(), "SELECT count(*), (SELECT count(*) FROM packages) FROM collections");
  const TRun run = RunFleet({"add", fFolder->Database(), SamplePath("linux-server.mof"), SamplePath("preboot.mof")});
  EXPECT_EQ(run.fStatus, 0);
  EXPECT_NE(run.fErr.find("0 added, 2 already there, 0 failed"), std::string::npos) << run.fErr;
  EXPECT_EQ(Answer(fFolder->Database(), "SELECT count(*), (SELECT count(*) FROM packages) FROM collections"), before);
}

TEST_F(FleetSamplesTest, EveryNamedQueryRunsAndTheyAnswer) {
  const TRun list = RunFleet({"query", fFolder->Database(), "--list"});
  ASSERT_EQ(list.fStatus, 0);
  std::istringstream names(list.fOut);
  for (std::string line; std::getline(names, line);) {
    const TRun run = RunFleet({"query", fFolder->Database(), "--named", line.substr(0, line.find('\t'))});
    EXPECT_EQ(run.fStatus, 0) << line << ": " << run.fErr;
  }
  const TRun raid = RunFleet({"query", fFolder->Database(), "--named", "raid-not-optimal", "-f", "csv"});
  EXPECT_NE(raid.fOut.find("WINSQL02,"), std::string::npos) << raid.fOut;
  EXPECT_EQ(raid.fOut.find("rhel-db01"), std::string::npos) << raid.fOut;
}

TEST_F(FleetSamplesTest, AStatementThatWritesIsRefused) {
  const char* kWriting[] = {"DELETE FROM collections", "UPDATE collections SET host = 'x'",
                            "INSERT INTO problems (collection_id) VALUES (1)", "DROP TABLE problems",
                            "CREATE TABLE t (a)", "SELECT 1; DELETE FROM collections", "PRAGMA journal_mode = DELETE",
                            "ATTACH DATABASE ':memory:' AS other"};
  for (const char* sql : kWriting) {
    const TRun run = RunFleet({"query", fFolder->Database(), sql});
    EXPECT_EQ(run.fStatus, 1) << sql;
    EXPECT_THROW(OpenFleet(fFolder->Database(), EFleetAccess::kReadOnly)->Query(sql), TFleetError) << sql;
  }
  EXPECT_EQ(Answer(fFolder->Database(), "SELECT count(*) FROM collections"), "5");
}

TEST_F(FleetSamplesTest, AQueryThatNeverEndsStopsAtItsTimeLimit) {
  const auto started = std::chrono::steady_clock::now();
  const TRun run = RunFleet({"query", fFolder->Database(), "--timeout", "1",
                             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT count(*) FROM n"});
  EXPECT_EQ(run.fStatus, 1);
  EXPECT_NE(run.fErr.find("query stopped after 1 s"), std::string::npos) << run.fErr;
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

TEST(FleetAddTest, ABadInputIsSkippedAndTheOthersAdded) {
  ::setenv("QZA_DATA_DIR", QZA_SOURCE_DIR, 0);
  TFleetFolder folder("bad-input");
  const TRun run = RunFleet({"add", folder.Database(), "/nonexistent/collection.mof", SamplePath("preboot.mof")});
  EXPECT_EQ(run.fStatus, 1);
  EXPECT_NE(run.fErr.find("/nonexistent/collection.mof"), std::string::npos) << run.fErr;
  EXPECT_EQ(Answer(folder.Database(), "SELECT count(*) FROM collections"), "1");
}

// A collection of rows enough that adding it takes a while.
TFleetCollection Synthetic(const std::string& name) {
  TFleetCollection collection{name, {"collections", {"host"}, {{TFleetValue::Text(name)}}}, {}};
  TFleetTableRows packages{"packages", {"name", "version"}, {}};
  for (int i = 0; i < 400; ++i) {
    packages.fRows.push_back({TFleetValue::Text("package-" + std::to_string(i)), TFleetValue::Text("1.0")});
  }
  collection.fTables.push_back(packages);
  return collection;
}

// In a child: adds the named collections, then ends with status 0.
pid_t AddInChild(const std::string& database, const std::string& prefix, int count) {
  const pid_t child = ::fork();
  if (child != 0) return child;
  try {
    std::unique_ptr<IFleetEngine> fleet = OpenFleet(database, EFleetAccess::kReadWrite);
    fleet->CreateSchema();
    for (int i = 0; i < count; ++i) fleet->AddCollection(Synthetic(prefix + std::to_string(i)));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "child: %s\n", e.what());
    ::_exit(1);
  }
  ::_exit(0);
}

int StatusOf(pid_t child) {
  int status = 0;
  ::waitpid(child, &status, 0);
  return status;
}

// Collections whose packages are not all there.
const char kIncomplete[] =
    "SELECT count(*) FROM collections c WHERE (SELECT count(*) FROM packages p WHERE p.collection_id = c.id) <> 400";

TEST(FleetEngineTest, TwoWritersAtOnceLoseNothing) {
  TFleetFolder folder("concurrent");
  const pid_t first = AddInChild(folder.Database(), "a", 40);
  const pid_t second = AddInChild(folder.Database(), "b", 40);
  EXPECT_EQ(StatusOf(first), 0);
  EXPECT_EQ(StatusOf(second), 0);
  EXPECT_EQ(Answer(folder.Database(), "SELECT count(*) FROM collections"), "80");
  EXPECT_EQ(Answer(folder.Database(), kIncomplete), "0");
}

TEST(FleetEngineTest, AWriterKilledMidwayLeavesTheDatabaseConsistent) {
  TFleetFolder folder("killed");
  const pid_t child = AddInChild(folder.Database(), "c", 100000);
  // Killed once a few collections are in, while it adds the next.
  for (int tries = 0; tries < 2000; ++tries) {
    ::usleep(5000);
    try {
      if (std::stoi(Answer(folder.Database(), "SELECT count(*) FROM collections")) >= 5) break;
    } catch (const TFleetError&) {
      // not created yet
    }
  }
  ::kill(child, SIGKILL);
  StatusOf(child);
  EXPECT_EQ(Answer(folder.Database(), "PRAGMA quick_check"), "ok");
  EXPECT_EQ(Answer(folder.Database(), kIncomplete), "0");
  const int added = std::stoi(Answer(folder.Database(), "SELECT count(*) FROM collections"));
  EXPECT_GE(added, 5);
  EXPECT_EQ(StatusOf(AddInChild(folder.Database(), "c", added + 3)), 0);
  EXPECT_EQ(Answer(folder.Database(), "SELECT count(*) FROM collections"), std::to_string(added + 3));
  EXPECT_EQ(Answer(folder.Database(), kIncomplete), "0");
}

// What the spreads SQLite keeps must hold: the latest collections' rows, counted.
const char* const kSpreadChecks[][2] = {
    {"SELECT model, name, version, hosts FROM firmware_spread ORDER BY 1, 2, 3",
     "SELECT l.model, f.name, f.version, count(DISTINCT l.id) FROM latest l JOIN firmware f ON f.collection_id = l.id "
     "GROUP BY 1, 2, 3 ORDER BY 1, 2, 3"},
    {"SELECT model, firmware, drives, hosts FROM drive_firmware_spread ORDER BY 1, 2",
     "SELECT d.model, d.firmware, count(*), count(DISTINCT l.id) FROM latest l JOIN drives d "
     "ON d.collection_id = l.id GROUP BY 1, 2 ORDER BY 1, 2"},
    {"SELECT model, release_date, version, hosts FROM bios_spread ORDER BY 1, 2, 3",
     "SELECT l.model, b.release_date, b.version, count(DISTINCT l.id) FROM latest l JOIN bios b "
     "ON b.collection_id = l.id GROUP BY 1, 2, 3 ORDER BY 1, 2, 3"},
    {"SELECT severity, message, hosts, instances FROM problem_spread ORDER BY 1, 2",
     "SELECT p.severity, p.message, count(DISTINCT l.id), sum(p.count) FROM latest l JOIN problems p "
     "ON p.collection_id = l.id GROUP BY 1, 2 ORDER BY 1, 2"},
};

void ExpectSpreadsCounted(const std::string& database) {
  for (const auto& check : kSpreadChecks) {
    const std::string kept = Answer(database, check[0]);
    EXPECT_FALSE(kept.empty()) << check[0];
    EXPECT_EQ(kept, Answer(database, check[1])) << check[0];
  }
}

// Whatever order a host's collections come in (the later one first: the
// earlier is history), and in a database made before the spreads were kept.
TEST(FleetEngineTest, TheSpreadsCountWhatTheLatestCollectionsHold) {
  ::setenv("QZA_DATA_DIR", QZA_SOURCE_DIR, 0);
  const std::vector<std::vector<const char*>> kOrders = {
      {"linux-server.mof", "linux-server-later.mof", "esxi-host.mof", "windows-server.mof"},
      {"linux-server-later.mof", "windows-server.mof", "linux-server.mof", "esxi-host.mof"}};
  for (const std::vector<const char*>& order : kOrders) {
    TFleetFolder folder("spreads");
    for (const char* sample : order) ASSERT_EQ(RunFleet({"add", "-q", folder.Database(), SamplePath(sample)}).fStatus, 0);
    SCOPED_TRACE(order.front());
    ExpectSpreadsCounted(folder.Database());
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(folder.Database().c_str(), &database), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(database, "DROP TABLE firmware_spread", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(database);
    ASSERT_EQ(RunFleet({"add", "-q", folder.Database(), SamplePath("preboot.mof")}).fStatus, 0);
    ExpectSpreadsCounted(folder.Database());
  }
}

struct TOutputCase {
  const char* fFormat;
  const char* fExpected;
};

TEST(FleetOutputTest, EachFormWritesTheAnswerAsItsReadersExpect) {
  const TFleetQueryResult result{{"host", "hosts", "note"},
                                 {{TFleetValue::Text("a,b"), {EFleetType::kInteger, "12"}, {}},
                                  {TFleetValue::Text("say \"hi\"\n"), {EFleetType::kReal, "1.5"}, TFleetValue::Text("\x1b")}}};
  const TOutputCase kCases[] = {
      {"csv", "host,hosts,note\r\n\"a,b\",12,\r\n\"say \"\"hi\"\"\n\",1.5,\x1b\r\n"},
      {"json", "[\n  {\n    \"host\": \"a,b\",\n    \"hosts\": 12,\n    \"note\": null\n  },\n  {\n    \"host\": "
               "\"say \\\"hi\\\"\\n\",\n    \"hosts\": 1.5,\n    \"note\": \"\\u001b\"\n  }\n]\n"},
      {"table", "host          hosts  note\n------------  -----  ----\na,b           12     \n"
                "say \"hi\"\\x0a  1.5    \\x1b\n"},
  };
  for (const TOutputCase& c : kCases) {
    std::ostringstream out;
    WriteQueryResult(result, c.fFormat, out);
    EXPECT_EQ(out.str(), c.fExpected) << c.fFormat;
  }
}

}  // namespace
