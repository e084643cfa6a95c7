// The engines through one test: the same collections added to SQLite and to
// ClickHouse (one server, and a cluster of two shards) give the same answer
// to every named query. The servers run as plain processes on free loopback
// ports, their data in a temporary folder, for the time of the suite.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "fleet/fleet_engine.h"
#include "fleet/named_queries.h"
#include "tests/fleet/fleet_running.h"
#include "tests/forms/html/html_inspection.h"

namespace fs = std::filesystem;

namespace {

std::string FindProgram(const std::string& name) {
  std::istringstream path(std::string(::getenv("PATH") ? ::getenv("PATH") : "") + ":/usr/sbin:/sbin");
  for (std::string folder; std::getline(path, folder, ':');) {
    if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0) return folder + "/" + name;
  }
  return "";
}

int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  ::close(fd);
  return ntohs(address.sin_port);
}

// A process group of its own, its output into log; killed with its group.
pid_t Start(const std::vector<std::string>& command, const fs::path& log) {
  const pid_t child = ::fork();
  if (child != 0) return child;
  ::setpgid(0, 0);
  std::freopen(log.c_str(), "w", stdout);
  std::freopen(log.c_str(), "a", stderr);
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

struct TServer {
  int fHttpPort = FreePort(), fTcpPort = FreePort();
};

// The configuration of a server in folder; it knows the cluster `two` of
// the shards, when there are some.
std::string ServerConfig(const fs::path& folder, const TServer& server, const std::vector<TServer>& shards) {
  std::ostringstream xml;
  xml << "<yandex><logger><level>warning</level><log>" << (folder / "server.log").string() << "</log></logger>"
      << "<http_port>" << server.fHttpPort << "</http_port><tcp_port>" << server.fTcpPort << "</tcp_port>"
      << "<listen_host>127.0.0.1</listen_host><path>" << folder.string() << "/</path>"
      << "<users_config>/etc/clickhouse-server/users.xml</users_config><default_profile>default</default_profile>"
      << "<mark_cache_size>5368709</mark_cache_size><remote_servers><two>";
  for (const TServer& shard : shards) {
    xml << "<shard><replica><host>127.0.0.1</host><port>" << shard.fTcpPort << "</port></replica></shard>";
  }
  xml << "</two></remote_servers></yandex>\n";
  return xml.str();
}

bool Answers(const std::string& location) {
  for (int tries = 0; tries < 200; ++tries) {
    try {
      OpenFleet(location, EFleetAccess::kReadOnly)->Query("SELECT 1");
      return true;
    } catch (const TFleetError&) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  return false;
}

// Hosts of one model with two BIOS releases, and a drive with reallocated
// sectors: what the samples (one host per model) leave unasked.
TFleetCollection Synthetic(const std::string& host, const std::string& biosDate, const std::string& reallocated) {
  auto text = [](const std::string& value) { return TFleetValue::Text(value); };
  return {"synthetic-" + host,
          {"collections", {"host", "serial", "model", "collected"},
           {{text(host), text("C-" + host), text("QZ-9"), text("2026-01-02 03:04:05")}}},
          {{"bios", {"version", "release_date"}, {{text("v" + biosDate), text(biosDate)}}},
           {"drives", {"device", "model", "serial", "reallocated_sectors"},
            {{text("/dev/sda"), text("DR-1"), text("S-" + host), text(reallocated)}}}}};
}

// The rows of the fleet page's tables as a reader sees them; the id in the
// name of a host without one differs between engines.
std::vector<std::string> PageRows(const std::vector<std::string>& database, const fs::path& folder) {
  std::vector<std::string> report{"report", "-q", "-o", folder.string()};
  report.insert(report.end(), database.begin(), database.end());
  const TRun run = RunFleet(report);
  EXPECT_EQ(run.fStatus, 0) << run.fErr;
  static const std::regex kId("collection [0-9]+");
  std::vector<std::string> rows;
  for (const THtmlElement& row : InspectHtmlFile((folder / "index.html").string()).Elements("tr")) {
    rows.push_back(std::regex_replace(row.fText, kId, "collection ID"));
  }
  return rows;
}

class FleetEnginesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::setenv("QZA_DATA_DIR", QZA_SOURCE_DIR, 0);
    fFolder = fs::temp_directory_path() / ("qza-fleet-engines-" + std::to_string(::getpid()));
    fs::remove_all(fFolder);
    fs::create_directories(fFolder);
    fClickHouse = FindProgram("clickhouse-server");
    if (fClickHouse.empty()) return;
    // A server of its own, then the two shards of a cluster.
    fServers.resize(3);
    const std::vector<TServer> shards(fServers.begin() + 1, fServers.end());
    for (size_t i = 0; i < fServers.size(); ++i) {
      const fs::path folder = fFolder / ("server" + std::to_string(i));
      fs::create_directories(folder);
      std::ofstream(folder / "config.xml") << ServerConfig(folder, fServers[i], i ? shards : std::vector<TServer>());
      const std::string config = "--config-file=" + (folder / "config.xml").string();
      fProcesses.push_back(Start({fClickHouse, config}, folder / "out.log"));
    }
  }

  static void TearDownTestSuite() {
    for (const pid_t process : fProcesses) {
      ::kill(-process, SIGKILL);
      ::waitpid(process, nullptr, 0);
    }
    fProcesses.clear();
    fServers.clear();
    fs::remove_all(fFolder);
  }

  static std::string Location(size_t server, const std::string& database) {
    return "clickhouse://127.0.0.1:" + std::to_string(fServers[server].fHttpPort) + "/" + database;
  }

  // The samples and the synthetic hosts, added to SQLite and to the engine
  // (twice: the second adds nothing); every named query and the fleet page
  // answer the same on both, and a writing statement, or one past its time
  // limit, is refused.
  static void ExpectTheSameAnswersAsSqlite(const std::string& location, const std::string& cluster) {
    const std::string sqlite = (fFolder / ("fleet" + cluster + ".db")).string();
    std::vector<std::string> engine{"--engine", location};
    if (!cluster.empty()) engine.insert(engine.end(), {"--cluster", cluster});
    for (const std::vector<std::string>& database : {std::vector<std::string>{sqlite}, engine}) {
      std::vector<std::string> add{"add", "-q"};
      add.insert(add.end(), database.begin(), database.end());
      for (const char* sample : kSamples) add.push_back(std::string(QZA_SOURCE_DIR) + "/samples/" + sample);
      for (int again = 0; again < 2; ++again) ASSERT_EQ(RunFleet(add).fStatus, 0) << database.front();
      std::unique_ptr<IFleetEngine> fleet = database.size() == 1
                                                ? OpenFleet(sqlite, EFleetAccess::kReadWrite)
                                                : OpenFleet(location, EFleetAccess::kReadWrite, cluster);
      for (const auto& synthetic : {Synthetic("qz-a", "2024-01-01", "0"), Synthetic("qz-b", "2025-06-30", "3")}) {
        EXPECT_TRUE(fleet->AddCollection(synthetic));
        EXPECT_FALSE(fleet->AddCollection(synthetic));
      }
      fleet->Flush();
    }
    auto query = [&engine](std::vector<std::string> arguments) {
      arguments.insert(arguments.begin(), "query");
      arguments.insert(arguments.end(), engine.begin(), engine.end());
      return RunFleet(arguments);
    };
    EXPECT_EQ(query({"SELECT count() AS collections FROM collections", "-f", "csv"}).fOut, "collections\r\n7\r\n");
    // The collections of one run, and the two synthetic ones, went in one
    // INSERT per table each: ClickHouse numbers the blocks inserted.
    if (cluster.empty()) {
      EXPECT_EQ(query({"SELECT max(max_block_number) - min(min_block_number) + 1 AS inserts FROM system.parts "
                       "WHERE database = 'fleet' AND table = 'bios'", "-f", "csv"}).fOut,
                "inserts\r\n2\r\n");
    }
    for (const TNamedQuery& named : NamedQueries()) {
      const TRun expected = RunFleet({"query", sqlite, "--named", named.fName, "-f", "json"});
      const TRun answer = query({"--named", named.fName, "-f", "json"});
      EXPECT_EQ(answer.fStatus, 0) << named.fName << ": " << answer.fErr;
      EXPECT_EQ(answer.fOut, expected.fOut) << named.fName;
      EXPECT_GT(expected.fOut.size(), 4u) << named.fName << " answers nothing to compare";
    }
    for (const char* writing : {"INSERT INTO problems (collection_id) VALUES (1)", "DROP TABLE problems",
                                "SELECT 1; DROP TABLE problems", "SELECT * FROM numbers(2)"}) {
      EXPECT_EQ(query({writing}).fStatus, 1) << writing;
    }
    const TRun endless = query({"--timeout", "1", "SELECT count() FROM system.numbers"});
    EXPECT_EQ(endless.fStatus, 1);
    EXPECT_NE(endless.fErr.find("query stopped after 1 s"), std::string::npos) << endless.fErr;
    const std::vector<std::string> rows = PageRows({sqlite}, fFolder / ("page-sqlite" + cluster));
    EXPECT_GT(rows.size(), 8u);
    EXPECT_EQ(PageRows(engine, fFolder / ("page-engine" + cluster)), rows);
    std::vector<std::string> host{"host", "-q", "rhel-db01.lab.example.com", "-o",
                                  (fFolder / ("host" + cluster)).string()};
    host.insert(host.end(), engine.begin(), engine.end());
    EXPECT_EQ(RunFleet(host).fStatus, 0);
  }

  static fs::path fFolder;
  static std::string fClickHouse;
  static std::vector<TServer> fServers;
  static std::vector<pid_t> fProcesses;
};

fs::path FleetEnginesTest::fFolder;
std::string FleetEnginesTest::fClickHouse;
std::vector<TServer> FleetEnginesTest::fServers;
std::vector<pid_t> FleetEnginesTest::fProcesses;

TEST_F(FleetEnginesTest, OneClickHouseServerAnswersAsSqlite) {
#ifndef QZA_WITH_CLICKHOUSE
  GTEST_SKIP() << "built without ClickHouse (QZA_WITH_CLICKHOUSE=OFF)";
#endif
  if (fClickHouse.empty()) GTEST_SKIP() << "clickhouse-server is not installed (./qza test installs it)";
  ASSERT_TRUE(Answers(Location(0, "default"))) << "see " << (fFolder / "server0/out.log");
  ExpectTheSameAnswersAsSqlite(Location(0, "fleet"), "");
}

// No ZooKeeper: the tables are created on each shard, named in the location.
TEST_F(FleetEnginesTest, ATwoShardClusterAnswersAsSqlite) {
#ifndef QZA_WITH_CLICKHOUSE
  GTEST_SKIP() << "built without ClickHouse (QZA_WITH_CLICKHOUSE=OFF)";
#endif
  if (fClickHouse.empty()) GTEST_SKIP() << "clickhouse-server is not installed (./qza test installs it)";
  for (size_t i = 1; i < fServers.size(); ++i) ASSERT_TRUE(Answers(Location(i, "default"))) << "server " << i;
  const std::string shards = "clickhouse://127.0.0.1:" + std::to_string(fServers[1].fHttpPort) + ",127.0.0.1:" +
                             std::to_string(fServers[2].fHttpPort) + "/fleet";
  // A location naming one server of the two is refused: a shard would have no tables.
  const TRun oneOfTwo = RunFleet({"add", "-q", "--engine", Location(1, "fleet"), "--cluster", "two", "/none.mof"});
  EXPECT_NE(oneOfTwo.fErr.find("the location names 1"), std::string::npos) << oneOfTwo.fErr;
  ExpectTheSameAnswersAsSqlite(shards, "two");
  // The shards together hold every collection once; which holds which
  // follows the ids, so a few collections may all land on one.
  const auto count = [&](size_t server, const std::string& table) {
    const TRun run = RunFleet({"query", "--engine", Location(server, "fleet"), "SELECT count() FROM " + table, "-f", "csv"});
    EXPECT_EQ(run.fStatus, 0) << run.fErr;
    return std::stoi(run.fOut.substr(run.fOut.find('\n') + 1));
  };
  EXPECT_EQ(count(1, "collections_local") + count(2, "collections_local"), count(1, "collections"));
}

}  // namespace
