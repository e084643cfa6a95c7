// The collector end to end: this live machine, a real sos report (tree and
// archive), minimal sos trees holding one real output, hostile archives, and
// the escaping of every string the collection carries.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>

#include "core/mof_reader.h"
#include "tool/collections.h"
#include "machine/collector.h"
#include "machine/command_runner.h"
#include "machine/mof_text.h"
#include "tests/tool/tool_running.h"
#include "writer/cim_reading.h"

namespace fs = std::filesystem;
using namespace NVKXQZA20;
using namespace NVKXQZA20::NMachine;

namespace {

const std::string kSourceDir = QZA_SOURCE_DIR;
const std::string kRealDmidecode = kSourceDir + "/../shared/real-outputs/dmidecode";
const std::string kSchema = kSourceDir + "/schema";

TLoadedCollections LoadStrictly(const std::string& collection) {
  TLoadSettings settings;
  settings.fCollections = {collection};
  settings.fSchemaFiles = SchemaFilesOf(kSchema);
  settings.fStrict = true;
  return LoadCollections(settings);
}

std::vector<std::string> Values(const TLoadedCollections& loaded, const std::string& className,
                                const std::string& property) {
  std::vector<std::string> values;
  for (const auto& instance : InstancesOfClass(*loaded.fNamespace, className)) {
    values.push_back(PropertyText(*instance, property));
  }
  return values;
}

bool Holds(const std::vector<std::string>& values, const std::string& wanted) {
  return std::find(values.begin(), values.end(), wanted) != values.end();
}

std::string HostName() {
  char name[256] = {};
  ::gethostname(name, sizeof name - 1);
  return name;
}

std::string KernelRelease() {
  utsname names{};
  ::uname(&names);
  return names.release;
}

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A process the test itself started, known by its unique argument.
class TMarkedProcess {
 public:
  TMarkedProcess() : fArgument("3600." + std::to_string(::getpid())) {
    fPid = ::fork();
    if (fPid == 0) {
      ::execlp("sleep", "sleep", fArgument.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
  }
  ~TMarkedProcess() {
    ::kill(fPid, SIGKILL);
    ::waitpid(fPid, nullptr, 0);
  }
  std::string CommandLine() const { return "sleep " + fArgument; }

 private:
  std::string fArgument;
  pid_t fPid;
};

size_t PciFunctionsInSys() {
  std::error_code error;
  size_t count = 0;
  for (auto it = fs::directory_iterator("/sys/bus/pci/devices", error); !error && it != fs::directory_iterator(); ++it) {
    ++count;
  }
  return count;
}

// The memory devices of a dmidecode output with a size, and those of them
// with a speed, counted by a scan of its own: "Memory Device" blocks, their
// "Size: N UNIT" and any "...Speed: N" line.
// The SMBIOS records shown as other devices: chassis, onboard devices, OEM
// strings, event log, IPMI device and power supplies; a heading counts below
// its handle or, for a further record, below the fields of the one before.
size_t OtherDeviceRecords(const std::string& file) {
  static const std::regex kHeading("(Chassis Information|On Board Device( [0-9]+)? Information|Onboard Device|"
                                   "OEM Strings|System Event Log|IPMI Device Information|System Power Supply)\\s*");
  std::ifstream in(file);
  size_t count = 0;
  std::string previous;
  for (std::string line; std::getline(in, line); previous = line) {
    count += (previous.rfind("Handle ", 0) == 0 || previous.rfind("\t", 0) == 0) && std::regex_match(line, kHeading);
  }
  return count;
}

std::pair<size_t, size_t> PopulatedMemoryDevices(const std::string& file) {
  std::ifstream in(file);
  std::pair<size_t, size_t> counts;
  bool inDevice = false, populated = false, fast = false;
  auto close = [&]() {
    counts.first += populated;
    counts.second += populated && fast;
    populated = fast = false;
  };
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] != '\t') {
      close();
      inDevice = line == "Memory Device";
    }
    unsigned number = 0;
    char unit[8] = {};
    if (inDevice && std::sscanf(line.c_str(), "\tSize: %u %7s", &number, unit) == 2 && number > 0) populated = true;
    const size_t speed = line.find("Speed: ");
    if (inDevice && speed != std::string::npos && std::isdigit(static_cast<unsigned char>(line[speed + 7]))) fast = true;
  }
  close();
  return counts;
}

}  // namespace

TEST(LiveCollection, ChecksReportsAndHoldsWhatTheMachineSaysElsewhere) {
  TMarkedProcess marked;
  TToolRun run("collect-live");
  // Only a collection that collect wrote is ever replaced.
  const std::string notes = run.Write("notes.txt", "the case's notes\n");
  EXPECT_EQ(run({"collect", "-q", "-o", notes}), 2);
  EXPECT_NE(run.Err().find("is not a collection written by qzareport collect"), std::string::npos) << run.Err();
  EXPECT_EQ(TToolRun::ReadFile(notes), "the case's notes\n");
  const std::string collection = run.Path("live.mof");
  // A link planted where the file was once staged is never followed.
  const std::string victim = run.Write("victim.txt", "another user's file\n");
  fs::create_symlink(victim, collection + ".partial-" + std::to_string(::getpid()));
  ASSERT_EQ(run({"collect", "-q", "-o", collection}), 0) << run.Err();
  ASSERT_EQ(run({"collect", "-q", "-o", collection}), 0) << run.Err();
  EXPECT_EQ(TToolRun::ReadFile(victim), "another user's file\n");
  ASSERT_EQ(run({"--schema", kSchema, "--check", collection}), 0) << run.Err();
  EXPECT_EQ(run.Err().find("warning"), std::string::npos) << run.Err();
  ASSERT_EQ(run({"--schema", kSchema, "-q", "-o", run.Output(), collection}), 0) << run.Err();
  EXPECT_NE(run.Read("processes.html").find("sleep"), std::string::npos);

  const TLoadedCollections loaded = LoadStrictly(collection);
  EXPECT_EQ(Values(loaded, "VKXSG_ComputerSystem", "Name"), std::vector<std::string>{HostName()});
  EXPECT_EQ(Values(loaded, "VKXSG_OperatingSystem", "KernelRelease"), std::vector<std::string>{KernelRelease()});
  EXPECT_TRUE(Holds(Values(loaded, "VKXSG_Process", "CommandLine"), marked.CommandLine()));
  for (const auto& process : InstancesOfClass(*loaded.fNamespace, "VKXSG_Process")) {
    if (PropertyText(*process, "CommandLine") == marked.CommandLine()) {
      EXPECT_NE(PropertyText(*process, "CreationDate"), "");
    }
  }
  if (!FindProgram("lspci").empty()) {
    EXPECT_EQ(Values(loaded, "CIM_PCIDevice", "DeviceID").size(), PciFunctionsInSys());
  }
  const std::string packager = !FindProgram("dpkg").empty() ? "dpkg" : "rpm";
  EXPECT_TRUE(Holds(Values(loaded, "VKXSG_InstalledRPM", "ProductName"), packager));
  // A container has no SMBIOS tables: the log says so.
  if (!fs::exists("/sys/firmware/dmi/tables")) {
    const std::vector<std::string> log = Values(loaded, "VKXSG_QZALogRecord", "Message");
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& m) { return m.find("No SMBIOS") == 0; }));
  }
}

TEST(SosReport, TreeAndArchiveReadLikeTheMachineItself) {
  if (FindProgram("sos").empty()) GTEST_SKIP() << "sos is not installed (Debian package sosreport)";
  TToolRun run("collect-sos");
  const fs::path folder = fs::path(run.Write("keep", "")).parent_path() / "sos";
  fs::create_directories(folder);
  const std::string sos = "sos report --batch --build --quiet --tmp-dir '" + folder.string() +
                          "' -o host,kernel,pci,process,dpkg,release,filesys,block,networking,memory,date >/dev/null 2>&1";
  if (std::system(sos.c_str()) != 0) GTEST_SKIP() << "sos report cannot run here";
  fs::path tree;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_directory() && entry.path().filename().string().rfind("sosreport-", 0) == 0) tree = entry.path();
  }
  ASSERT_FALSE(tree.empty());
  const std::string archive = (folder / "report.tar.xz").string();
  const std::string tar = "tar -C '" + folder.string() + "' -cJf '" + archive + "' '" + tree.filename().string() + "'";
  ASSERT_EQ(std::system(tar.c_str()), 0);

  for (const std::string& source : {tree.string(), archive}) {
    SCOPED_TRACE(source);
    ASSERT_EQ(run({"--schema", kSchema, "--check", source}), 0) << run.Err();
    const TLoadedCollections loaded = LoadStrictly(source);
    EXPECT_EQ(Values(loaded, "VKXSG_ComputerSystem", "Name"), std::vector<std::string>{HostName()});
    EXPECT_EQ(Values(loaded, "VKXSG_OperatingSystem", "KernelRelease"), std::vector<std::string>{KernelRelease()});
    EXPECT_FALSE(Values(loaded, "VKXSG_Process", "Handle").empty());
    EXPECT_FALSE(Values(loaded, "VKXSG_InstalledRPM", "ProductName").empty());
    for (const char* className : {"VKXSG_NextHopIPRoute", "VKXSG_NetworkStatisticalData", "VKXSG_TimeZone"}) {
      EXPECT_FALSE(InstancesOfClass(*loaded.fNamespace, className).empty()) << className;
    }
  }
  ASSERT_EQ(run({"--schema", kSchema, "-q", "-o", run.Output(), archive, tree.string()}), 0) << run.Err();
}

// A minimal sos tree (version.txt, etc/hostname, one output) reports what it
// holds and logs what it lacks.
TEST(MinimalSosTree, ReportsWhatItHolds) {
  struct TCase {
    std::string fSosPath;
    enum { kLive, kReal, kStored } fFrom;  // the live command's output, a real server's, or fOutput
    std::string fOutput;  // the real output's file, or the stored output
    std::string fClass;   // filled from that output
    size_t fInstances;    // of fClass; 0: any
    std::string fCollected = "";  // the collection's time, when the output tells it
  };
  std::string realDmidecode;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(kRealDmidecode, error)) realDmidecode = entry.path().string();
  const TCase cases[] = {
      {"sos_commands/pci/lspci_-nnvv", TCase::kLive, "", "CIM_PCIDevice", 0},
      {"sos_commands/hardware/dmidecode", TCase::kReal, realDmidecode, "VKXSG_Processor", 0},
      // Names repeated across chips and in IPMI's list keep every reading.
      {"sos_commands/lmsensors/sensors", TCase::kStored,
       "terncore-isa-0000\nAdapter: ISA adapter\ntemp1:  +40.0°C  (crit = +95.0°C)\ntemp1:  +41.0°C\n\n"
       "ternpch-virtual-0\nAdapter: Virtual device\ntemp1:  +38.0°C\n",
       "VKXSG_NumericSensor", 3},
      {"sos_commands/ipmitool/ipmitool_sensor_list", TCase::kStored,
       "Temp             | 40.000     | degrees C  | ok    | na        | na        | na        | 85.000    | 90.000    | na\n"
       "Temp             | 42.000     | degrees C  | ok    | na        | na        | na        | 85.000    | 90.000    | na\n"
       "PS1 Status       | 0x1        | discrete   | 0x0100| na        | na        | na        | na        | na        | na\n",
       "VKXSG_NumericSensor", 2},
      {"sos_commands/ipmitool/ipmitool_sel_list", TCase::kStored,
       "   1 | 12/06/2026 | 22:10:05 | Power Supply #0x51 | Failure detected | Asserted\n"
       "   2 | 12/06/2026 | 22:12:40 | Power Supply #0x51 | Failure detected | Deasserted\n",
       "VKXSG_IPMILogRecord", 2},
      // smartctl's output without lsblk's list of disks.
      {"sos_commands/ata/smartctl_-a_.dev.sda", TCase::kStored,
       "=== START OF INFORMATION SECTION ===\nDevice Model:     TX-2000\nSerial Number:    TS0001\n\n"
       "=== START OF READ SMART DATA SECTION ===\nSMART overall-health self-assessment test result: PASSED\n",
       "OMC_ATADevice", 1},
      {"proc/mdstat", TCase::kStored,
       "Personalities : [raid1]\nmd0 : active raid1 sdb1[1] sda1[0]\n"
       "      976630464 blocks super 1.2 [2/2] [UU]\n\nunused devices: <none>\n",
       "VKXSG_LogicalDevice", 1},
      {"sos_commands/usb/lsusb", TCase::kStored,
       "Bus 001 Device 002: ID 1d6b:0002 Tern Foundation 2.0 root hub\n"
       "Bus 001 Device 003: ID 0bda:5411 Tern Virtual Keyboard\n",
       "VKXSG_USBDevice", 1},
      {"sos_commands/networking/ip_route_show_table_all", TCase::kStored,
       "default via 192.0.2.1 dev eth0 proto dhcp metric 100\n192.0.2.0/24 dev eth0 proto kernel scope link\n"
       "local 127.0.0.1 dev lo table local proto kernel scope host src 127.0.0.1\n",
       "VKXSG_NextHopIPRoute", 2},
      // Collected when sos ran, not when the report is read.
      {"sos_commands/date/date_--utc", TCase::kStored, "Sun Dec  6 22:15:07 UTC 2026\n", "VKXSG_QZAProduct", 1,
       "20261206221507.000000+000"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.fSosPath);
    std::string output = c.fOutput;
    if (c.fFrom == TCase::kLive) {
      output = RunCommand({"lspci", "-nnvv"}, {}).fOutput;
    } else if (c.fFrom == TCase::kReal) {
      std::ifstream file(c.fOutput);
      output.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    if (output.empty()) continue;  // neither lspci here nor the shared outputs
    TToolRun run("collect-minimal");
    const fs::path tree = fs::path(run.Write("keep", "")).parent_path() / "sosreport-minimal";
    WriteFile(tree / "version.txt", "sosreport: 4.5.6\n");
    WriteFile(tree / "etc/hostname", "minimal-host\n");
    WriteFile(tree / c.fSosPath, output);
    ASSERT_EQ(run({"--schema", kSchema, "-q", "-o", run.Output(), tree.string()}), 0) << run.Err();
    const TLoadedCollections loaded = LoadStrictly(tree.string());
    EXPECT_EQ(Values(loaded, "VKXSG_ComputerSystem", "Name"), std::vector<std::string>{"minimal-host"});
    const size_t instances = InstancesOfClass(*loaded.fNamespace, c.fClass).size();
    if (c.fInstances == 0) EXPECT_GT(instances, 0u);
    else EXPECT_EQ(instances, c.fInstances);
    if (!c.fCollected.empty()) {
      EXPECT_EQ(Values(loaded, "VKXSG_QZAProduct", "CollectionTime"), std::vector<std::string>{c.fCollected});
    }
    const std::vector<std::string> log = Values(loaded, "VKXSG_QZALogRecord", "Message");
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& m) {
      return m.find("sos_commands/process/ps_auxwww: not in the sos report") == 0;
    }));
  }
}

// Every real server's dmidecode shows its identity, BIOS, processors and
// populated memory with size and speed.
TEST(RealDmidecode, EveryServerFillsTheHardwareInventory) {
  if (!fs::exists(kRealDmidecode)) GTEST_SKIP() << kRealDmidecode << " is absent";
  const fs::path tree = fs::temp_directory_path() / ("qza-dmidecode-" + std::to_string(::getpid()));
  size_t servers = 0;
  for (const auto& entry : fs::directory_iterator(kRealDmidecode)) {
    if (entry.path().extension() != ".txt") continue;
    SCOPED_TRACE(entry.path().filename().string());
    fs::remove_all(tree);
    fs::create_directories(tree / "sos_commands/hardware");
    fs::copy_file(entry.path(), tree / "sos_commands/hardware/dmidecode");
    TCollectSettings settings;
    settings.fSourceName = "test";
    const std::string mof = tree.string() + ".mof";
    std::ofstream(mof) << CollectMachine(TMachineTree::Saved(tree.string()), settings).Text();
    const TLoadedCollections loaded = LoadStrictly(mof);
    EXPECT_NE(Values(loaded, "VKXSG_ComputerSystem", "Manufacturer").front() +
                  Values(loaded, "VKXSG_ComputerSystem", "ProductName").front(), "");
    EXPECT_EQ(Values(loaded, "VKXSG_BIOSElement", "Version").size(), 1u);
    EXPECT_FALSE(Values(loaded, "VKXSG_Processor", "Name").empty());
    EXPECT_EQ(InstancesOfClass(*loaded.fNamespace, "VKXSG_LogicalDevice").size(),
              OtherDeviceRecords(entry.path().string()));
    const std::vector<std::string> sizes = Values(loaded, "VKXSG_SPDData", "Capacity");
    const std::pair<size_t, size_t> expected = PopulatedMemoryDevices(entry.path().string());
    EXPECT_EQ(sizes.size(), expected.first);
    EXPECT_FALSE(Holds(sizes, ""));
    const std::vector<std::string> speeds = Values(loaded, "VKXSG_SPDData", "DimmSpeed");
    EXPECT_EQ(static_cast<size_t>(std::count_if(speeds.begin(), speeds.end(),
                                                [](const std::string& speed) { return !speed.empty(); })),
              expected.second);
    fs::remove(mof);
    ++servers;
  }
  fs::remove_all(tree);
  EXPECT_GT(servers, 100u);
}

TEST(SosArchive, HostileMembersAreRefusedAndTheRestIsRead) {
  struct TMember {
    std::string fName;
    mode_t fType;
    std::string fLinkTarget;  // symlink target, or "" for none
    std::string fRefusal;     // "" when the member is fine
  };
  const std::string top = "sosreport-hostile/";
  const TMember members[] = {
      {top + "version.txt", AE_IFREG, "", ""},
      {top + "etc/hostname", AE_IFREG, "", ""},
      {top + "../escaped.txt", AE_IFREG, "", "path with '..'"},
      {"/tmp/qza-absolute-member.txt", AE_IFREG, "", "absolute path"},
      {top + "passwd", AE_IFLNK, "/etc/passwd", "link to an absolute path"},
      {top + "etc/up", AE_IFLNK, "../../../outside", "link pointing outside the report"},
      {top + "fifo", AE_IFIFO, "", "neither file, folder nor link"},
      {top + "hostname", AE_IFLNK, "etc/hostname", ""},
  };
  TToolRun run("collect-hostile");
  const std::string archivePath = run.Write("hostile.tar.gz", "");
  archive* writer = archive_write_new();
  archive_write_add_filter_gzip(writer);
  archive_write_set_format_pax_restricted(writer);
  ASSERT_EQ(archive_write_open_filename(writer, archivePath.c_str()), ARCHIVE_OK);
  for (const TMember& member : members) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, member.fName.c_str());
    archive_entry_set_filetype(entry, member.fType);
    archive_entry_set_perm(entry, 0644);
    const std::string text = "hostile-host\n";
    if (member.fType == AE_IFLNK) archive_entry_set_symlink(entry, member.fLinkTarget.c_str());
    if (member.fType == AE_IFREG) archive_entry_set_size(entry, static_cast<la_int64_t>(text.size()));
    archive_write_header(writer, entry);
    if (member.fType == AE_IFREG) archive_write_data(writer, text.data(), text.size());
    archive_entry_free(entry);
  }
  archive_write_free(writer);

  const std::string collection = run.Path("hostile.mof");
  ASSERT_EQ(run({"collect", "-q", "--from-sos", archivePath, "-o", collection}), 0) << run.Err();
  const TLoadedCollections loaded = LoadStrictly(collection);
  EXPECT_EQ(Values(loaded, "VKXSG_ComputerSystem", "Name"), std::vector<std::string>{"hostile-host"});
  const std::vector<std::string> log = Values(loaded, "VKXSG_QZALogRecord", "Message");
  for (const TMember& member : members) {
    const bool logged = Holds(log, "Archive member refused: " + member.fName + ": " + member.fRefusal);
    EXPECT_EQ(logged, !member.fRefusal.empty()) << member.fName;
  }
  EXPECT_FALSE(fs::exists("/tmp/qza-absolute-member.txt"));
  EXPECT_FALSE(fs::exists(fs::temp_directory_path() / "escaped.txt"));
}

// Whatever a machine prints reads back from the collection as it was
// printed; what no MOF string can hold reads back as its replacement.
TEST(MofText, EveryStringReadsBackAsWritten) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "plain"},
      {"say \"hi\" C:\\path\\", "say \"hi\" C:\\path\\"},
      {"line\nnext\ttab\rreturn", "line\nnext\ttab\rreturn"},
      {"bell\x07" "ABCD", "bell\x07" "ABCD"},
      {"del\x7f", "del\x7f"},
      {"caf\xc3\xa9 \xe2\x82\xac", "caf\xc3\xa9 \xe2\x82\xac"},
      {"bad \xff byte", "bad \xef\xbf\xbd byte"},
      {"cut \xe2\x82", "cut \xef\xbf\xbd\xef\xbf\xbd"},
      {std::string("nul\0here", 8), "nulhere"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.second);
    boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
    TCIMContext context;
    context["nsIndex"] = TCIMValue(uint16_t(0));
    TMofReader reader(ns, context);
    TMofInstance instance("Q_Text");
    instance.Set("Key", "1").Set("Text", c.first);
    reader.LoadText("class Q_Text { [Key] string Key; string Text; };\n" + instance.Text(), "text.mof");
    EXPECT_EQ(Values(TLoadedCollections{ns, 0, 0}, "Q_Text", "Text"), std::vector<std::string>{c.second});
  }
}

// Commands never outlast their timeout nor print past their bound, and say
// why their output cannot be used.
TEST(CommandRunner, BoundsEveryCommandAndSaysWhyItFailed) {
  struct TCase {
    std::vector<std::string> fArgv;
    TCommandLimits fLimits;
    std::string fProblem;
    size_t fOutputBytes;
    bool fTruncated;
  };
  const TCase cases[] = {
      {{"sleep", "30"}, {1, 1024}, "timed out after 1 s", 0, false},
      {{"yes"}, {10, 100000}, "", 100000, true},
      {{"qza-no-such-program"}, {10, 1024}, "not installed", 0, false},
      {{"sh", "-c", "echo denied >&2; exit 3"}, {10, 1024}, "exit status 3: denied", 0, false},
      {{"printf", "%s", "kept"}, {10, 1024}, "", 4, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.fArgv.front());
    const auto started = std::chrono::steady_clock::now();
    const TCommandResult result = RunCommand(c.fArgv, c.fLimits);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(c.fLimits.fTimeoutSeconds + 2));
    EXPECT_EQ(result.fProblem, c.fProblem);
    EXPECT_EQ(result.fOutput.size(), c.fOutputBytes);
    EXPECT_EQ(result.fTruncated, c.fTruncated);
  }
}
