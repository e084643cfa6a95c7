// The collector end to end: this live machine, a real sos report (tree and
// archive), minimal sos trees holding one real output, hostile archives, and
// the escaping of every string the collection carries.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include "core/mof_reader.h"
#include "tool/collections.h"
#include "machine/collector.h"
#include "machine/command_runner.h"
#include "machine/mapping_text.h"
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

// The first value of a field under a structure's heading, as printed.
std::string DmiField(const std::string& file, const std::string& heading, const std::string& field) {
  std::ifstream in(file);
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] != '\t') inside = line == heading;
    if (inside && line.rfind("\t" + field + ": ", 0) == 0) return line.substr(field.size() + 3);
  }
  return "";
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

// A tar archive of these members, gzip-compressed unless plain.
struct TArchiveMember {
  std::string fName;
  mode_t fType = AE_IFREG;
  std::string fText = "";        // of a file
  std::string fLinkTarget = "";  // of a symlink
};

void WriteArchive(const std::string& path, const std::vector<TArchiveMember>& members, bool plain = false) {
  archive* writer = archive_write_new();
  if (!plain) archive_write_add_filter_gzip(writer);
  archive_write_set_format_pax_restricted(writer);
  ASSERT_EQ(archive_write_open_filename(writer, path.c_str()), ARCHIVE_OK);
  for (const TArchiveMember& member : members) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, member.fName.c_str());
    archive_entry_set_filetype(entry, member.fType);
    archive_entry_set_perm(entry, 0644);
    if (member.fType == AE_IFLNK) archive_entry_set_symlink(entry, member.fLinkTarget.c_str());
    if (member.fType == AE_IFREG) archive_entry_set_size(entry, static_cast<la_int64_t>(member.fText.size()));
    archive_write_header(writer, entry);
    if (member.fType == AE_IFREG) archive_write_data(writer, member.fText.data(), member.fText.size());
    archive_entry_free(entry);
  }
  archive_write_free(writer);
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
  // A FIFO is refused without being opened, which would wait for a writer forever.
  const std::string fifo = run.Path("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(run({"collect", "-q", "-o", fifo}), 2);
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
      EXPECT_NE(PropertyText(*process, "UserModeTime"), "");  // ps alone leaves it blank
    }
  }
  if (!FindProgram("lspci").empty()) {
    EXPECT_EQ(Values(loaded, "CIM_PCIDevice", "DeviceID").size(), PciFunctionsInSys());
  }
  const std::string packager = !FindProgram("dpkg").empty() ? "dpkg" : "rpm";
  const std::vector<std::string> packages = Values(loaded, "VKXSG_InstalledRPM", "ProductName");
  EXPECT_TRUE(std::any_of(packages.begin(), packages.end(), [&packager](const std::string& name) {
    return name.substr(0, name.find_first_of(":.")) == packager;  // "rpm.x86_64" of multilib
  }));
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
    std::vector<std::pair<std::string, std::string>> fHolds = {};  // property, value: of some instance of fClass
    std::vector<std::pair<std::string, std::string>> fAlso = {};   // more stored outputs: sos path, text
  };
  const std::pair<std::string, std::string> dateUtc{"sos_commands/date/date_--utc", "Sun Dec  6 22:15:07 UTC 2026\n"};
  // A host bridge decodes nothing and has no driver; a function without a
  // driver is not in use.
  const std::string lspci =
      "00:00.0 Host bridge [0600]: Tern Systems Oxbow Host Bridge [1d0f:0d57]\n"
      "\tControl: I/O- Mem- BusMaster- SpecCycle- MemWINV- VGASnoop- ParErr- Stepping- SERR- FastB2B- DisINTx-\n\n"
      "00:02.0 Mass storage controller [0180]: Tern Systems Virtual Block Device [1d0f:1042] (rev 01)\n"
      "\tControl: I/O- Mem+ BusMaster+ SpecCycle- MemWINV- VGASnoop- ParErr- Stepping- SERR- FastB2B- DisINTx+\n"
      "\tKernel driver in use: virtio-pci\n\n"
      "00:05.0 Unassigned class [ffff]: Tern Systems Virtual RNG [1d0f:1044] (rev 01)\n"
      "\tControl: I/O- Mem+ BusMaster+ SpecCycle- MemWINV- VGASnoop- ParErr- Stepping- SERR- FastB2B- DisINTx+\n\n"
      "00:1c.0 PCI bridge [0604]: Tern Systems Root Port [1d0f:a190] (rev f0) (prog-if 00 [Normal decode])\n"
      "\tControl: I/O+ Mem+ BusMaster+ SpecCycle- MemWINV- VGASnoop- ParErr- Stepping- SERR- FastB2B- DisINTx+\n"
      "\tBus: primary=00, secondary=02, subordinate=03, sec-latency=0\n"
      "\tKernel driver in use: pcieport\n";
  const std::pair<std::string, std::string> lscpu{"sos_commands/processor/lscpu",
      "Architecture:            x86_64\nCPU(s):                  2\nVendor ID:               TernMicro\n"
      "Model name:              Tern T9\nThread(s) per core:      1\nCore(s) per socket:      2\n"
      "Hypervisor vendor:       KVM\nVirtualization type:     full\nL1d cache:               96 KiB (2 instances)\n"
      "L2 cache:                2 MiB (2 instances)\n"};
  // Two cores, no SMT, yet cpuinfo's "ht" flag.
  const std::string cpuinfo =
      "processor\t: 0\nvendor_id\t: TernMicro\ncpu family\t: 6\nmodel\t\t: 85\nmodel name\t: Tern T9\n"
      "stepping\t: 7\nmicrocode\t: 0x5003604\nphysical id\t: 0\nsiblings\t: 2\n"
      "cpu cores\t: 2\nflags\t\t: fpu ht lm\n\n"
      "processor\t: 1\nvendor_id\t: TernMicro\nmodel name\t: Tern T9\nphysical id\t: 0\nsiblings\t: 2\n"
      "cpu cores\t: 2\nflags\t\t: fpu ht lm\n";
  std::string realDmidecode;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(kRealDmidecode, error)) realDmidecode = entry.path().string();
  const TCase cases[] = {
      {"sos_commands/pci/lspci_-nnvv", TCase::kLive, "", "CIM_PCIDevice", 0},
      {"sos_commands/hardware/dmidecode", TCase::kReal, realDmidecode, "VKXSG_Processor", 0},
      {"sos_commands/pci/lspci_-nnvv", TCase::kStored, lspci, "VKXSG_PCIDevice", 3,
       {{"Description", "Tern Systems Virtual Block Device (rev 01)"},
        {"StatusDescriptions", "Enabled"}, {"StatusDescriptions", "Enabled,Driver: virtio-pci"},
        {"StatusDescriptions", "No driver"}}},
      {"sos_commands/pci/lspci_-nnvv", TCase::kStored, lspci, "VKXSG_PCIBridge", 1,
       {{"Location", "00:1c.0 -> bus 02-03"}, {"StatusDescriptions", "Enabled,Driver: pcieport"}}},
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
      // An attribute smartctl lists twice is kept twice.
      {"sos_commands/ata/smartctl_-a_.dev.sda", TCase::kStored,
       "=== START OF INFORMATION SECTION ===\nDevice Model:     TX-2000\n\n"
       "=== START OF READ SMART DATA SECTION ===\nID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      "
       "UPDATED  WHEN_FAILED RAW_VALUE\n  5 Reallocated_Sector_Ct   0x0033   100   100   010    Pre-fail  Always       -"
       "       0\n  5 Reallocated_Sector_Ct   0x0033   100   100   010    Pre-fail  Always       -       8\n",
       "OMC_IDESMARTAttrib", 2},
      {"lsmod", TCase::kStored, "Module                  Size  Used by\ntern_net               16384  0\ntern_net               16384  0\n",
       "VKXSG_LinuxKernelModule", 1},
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
      // Two routes that differ only by NUL bytes, which no collection can
      // hold, are one route.
      {"sos_commands/networking/ip_route_show_table_all", TCase::kStored,
       std::string("192.0.2.0/24 dev eth0\n192.0.2.0\0\0/24 dev eth0\n", 46), "VKXSG_NextHopIPRoute", 1},
      // One name under two indexes is two ports, each with its addresses.
      {"sos_commands/networking/ip_address", TCase::kStored,
       "3: eth0    inet 192.0.2.2/24 scope global eth0\n4: eth0    inet6 fe80::2/64 scope link\n",
       "VKXSG_IPProtocolEndpoint", 2},
      // Collected when sos ran, not when the report is read.
      {dateUtc.first, TCase::kStored, dateUtc.second, "VKXSG_QZAProduct", 1,
       {{"CollectionTime", "20261206221507.000000+000"}}},
      // Without date --utc: date's local time at its zone's offset, in the
      // C and en_US forms; timedatectl's offset; the zone's name tells CST apart.
      {"sos_commands/date/date", TCase::kStored, "Mon Dec  7 14:05:17 CET 2026\n", "VKXSG_QZAProduct", 1,
       {{"CollectionTime", "20261207130517.000000+000"}}},
      {"sos_commands/date/date", TCase::kStored, "Mon 07 Dec 2026 02:05:17 PM EST\n", "VKXSG_QZAProduct", 1,
       {{"CollectionTime", "20261207190517.000000+000"}}},
      {"sos_commands/date/date", TCase::kStored, "Mon Dec  7 14:05:17 TRT 2026\n", "VKXSG_QZAProduct", 1,
       {{"CollectionTime", "20261207110517.000000+000"}},
       {{"sos_commands/systemd/timedatectl", "                Time zone: Europe/Tern (TRT, +0300)\n"}}},
      {"sos_commands/date/date", TCase::kStored, "Mon Dec  7 14:05:17 CST 2026\n", "VKXSG_QZAProduct", 1,
       {{"CollectionTime", "20261207200517.000000+000"}}, {{"etc/timezone", "America/Chicago\n"}}},
      {"sos_commands/date/date", TCase::kStored, "Mon Dec  7 14:05:17 CST 2026\n", "VKXSG_QZALogRecord", 0,
       {{"Message", "No date --utc, and date's zone CST has no known offset: the collection time is when the "
                    "report was read."}}},
      // Without SMBIOS, the memory the kernel sees, saying so.
      {"proc/meminfo", TCase::kStored, "MemTotal:       16318412 kB\nMemFree:         8000000 kB\n", "VKXSG_SPDData", 1,
       {{"Capacity", "16710053888"}, {"BankLabel", "MemTotal of /proc/meminfo (no SMBIOS memory devices)"}}},
      // A virtual machine without SMBIOS says what it runs on.
      {lscpu.first, TCase::kStored, lscpu.second, "VKXSG_ComputerSystem", 1, {{"ProductName", "KVM virtual machine"}}},
      {"sos_commands/kernel/dmesg", TCase::kStored, "[    0.000000] Hypervisor detected: KVM\n", "VKXSG_ComputerSystem",
       1, {{"ProductName", "KVM virtual machine"}}},
      {"proc/cpuinfo", TCase::kStored, cpuinfo, "VKXSG_Processor", 1,
       {{"HTSupported", "false"}, {"HTEnabled", "false"}, {"L1Enabled", "true"}, {"L2Enabled", "true"},
        {"Stepping", "7 (family 6, model 85, microcode 0x5003604)"}},
       {lscpu, {"sys/devices/system/cpu/smt/control", "notsupported\n"}}},
      // POWER: the "cpu" line names the model, threads per core from lscpu.
      {"proc/cpuinfo", TCase::kStored,
       "processor\t: 0\ncpu\t\t: TERN8 (raw), altivec supported\nclock\t\t: 2900.000000MHz\n"
       "revision\t: 2.2 (pvr 004e 1202)\n\nprocessor\t: 1\ncpu\t\t: TERN8 (raw), altivec supported\n"
       "clock\t\t: 2900.000000MHz\nrevision\t: 2.2 (pvr 004e 1202)\n\nplatform\t: pSeries\nmodel\t\t: TERN,9000-11A\n",
       "VKXSG_Processor", 1,
       {{"Name", "TERN8 (raw)"}, {"CurrentClockSpeed", "2900"}, {"Stepping", "2.2 (pvr 004e 1202)"}, {"Core", "1"}},
       {{"sos_commands/processor/lscpu", "Architecture:  ppc64le\nThread(s) per core:  2\n"}}},
      // s390: one line per processor, and on newer kernels a block with its speeds.
      {"proc/cpuinfo", TCase::kStored,
       "vendor_id       : TERN/390\n# processors    : 2\n"
       "processor 0: version = FF,  identification = 0A11E8,  machine = 7001\n"
       "processor 1: version = FF,  identification = 0A11E8,  machine = 7001\n",
       "VKXSG_Processor", 1, {{"Name", "TERN/390 7001"}, {"Manufacturer", "TERN/390"}, {"Core", "2"}}},
      {"proc/cpuinfo", TCase::kStored,
       "vendor_id       : TERN/390\n# processors    : 1\n"
       "processor 0: version = 00,  identification = 0A11E8,  machine = 7002\n\n"
       "cpu number      : 0\ncpu MHz dynamic : 5000\ncpu MHz static  : 5200\n",
       "VKXSG_Processor", 1, {{"Core", "1"}, {"CurrentClockSpeed", "5000"}, {"MaxClockSpeed", "5200"}}},
      {"proc/cmdline", TCase::kStored, "BOOT_IMAGE=/vmlinuz-6.1.0-tern root=/dev/vda1 ro quiet\n",
       "VKXSG_OperatingSystem", 1,
       {{"BootConfigurationFileContents", "BOOT_IMAGE=/vmlinuz-6.1.0-tern root=/dev/vda1 ro quiet"}}},
      {"etc/os-release", TCase::kStored, "NAME=\"Oxbow Linux\"\nID=oxbow\n", "VKXSG_OperatingSystem", 1,
       {{"ProductVendor", "oxbow"}}},
      // sos keeps the uptime command's output, not /proc/uptime.
      {"sos_commands/host/uptime", TCase::kStored, " 22:15:07 up 3 days,  2:05,  1 user,  load average: 0.00\n",
       "VKXSG_OperatingSystem", 1,
       {{"UpTime", "00000003020500.000000:000"}, {"LastBootUpTime", "20261203201007.000000+000"}}, {dateUtc}},
      // Kernel messages are a log: dated from the boot, an error by its words.
      {"sos_commands/kernel/dmesg", TCase::kStored,
       "[    0.000000] Linux version 6.1.0-tern\n[   12.000000] tern_blk 0000:00:02.0: I/O error, dev vda, sector 8\n",
       "VKXSG_LinuxEventLogRecord", 2,
       {{"LogName", "dmesg"}, {"MessageTimestamp", "20261206221019.000000+000"}, {"PerceivedSeverity", "5"}},
       {dateUtc, {"sos_commands/host/uptime", " 22:15:07 up 5 min,  1 user,  load average: 0.00\n"}}},
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
    for (const auto& [path, text] : c.fAlso) WriteFile(tree / path, text);
    ASSERT_EQ(run({"--schema", kSchema, "-q", "-o", run.Output(), tree.string()}), 0) << run.Err();
    const TLoadedCollections loaded = LoadStrictly(tree.string());
    EXPECT_EQ(Values(loaded, "VKXSG_ComputerSystem", "Name"), std::vector<std::string>{"minimal-host"});
    const size_t instances = InstancesOfClass(*loaded.fNamespace, c.fClass).size();
    if (c.fInstances == 0) EXPECT_GT(instances, 0u);
    else EXPECT_EQ(instances, c.fInstances);
    for (const auto& [property, value] : c.fHolds) {
      EXPECT_TRUE(Holds(Values(loaded, c.fClass, property), value)) << property << " " << value;
    }
    const std::vector<std::string> log = Values(loaded, "VKXSG_QZALogRecord", "Message");
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& m) {
      return m.find("sos_commands/process/ps_auxwww: not in the sos report") == 0;
    }));
  }
}

// A machine that repeats one line endlessly is collected in time linear in
// the repeats, each repeat under a key of its own, and a source's records
// beyond the bound are left out with a warning.
TEST(RepeatedLines, AreCollectedQuicklyAndBounded) {
  struct TCase {
    std::string fSosPath;
    std::string fHeading;    // printed once, before the repeats
    std::string fLine;       // repeated
    size_t fRepeats;
    size_t fLimit;           // records kept of one source
    std::string fLastKey;    // of the last instance kept
    std::string fWarning;    // "" when nothing is left out
  };
  const TCase cases[] = {
      {"sos_commands/lmsensors/sensors", "terncore-isa-0000\nAdapter: ISA adapter\n", "temp1:  +40.0°C\n", 20000,
       100000, "terncore-isa-0000/temp1 (20000)", ""},
      {"sos_commands/usb/lsusb", "", "Bus 001 Device 003: ID 0bda:5411 Tern Virtual Keyboard\n", 20000, 100000,
       "001-003 (20000)", ""},
      {"sos_commands/usb/lsusb", "", "Bus 001 Device 003: ID 0bda:5411 Tern Virtual Keyboard\n", 1500, 1000,
       "001-003 (1000)", "sos_commands/usb/lsusb: 500 record(s) beyond the bound of 1000 left out."},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.fSosPath + " " + std::to_string(c.fRepeats));
    const fs::path tree = fs::temp_directory_path() / ("qza-repeated-" + std::to_string(::getpid()));
    fs::remove_all(tree);
    std::string output = c.fHeading;
    for (size_t i = 0; i < c.fRepeats; ++i) output += c.fLine;
    WriteFile(tree / c.fSosPath, output);
    TCollectSettings settings;
    settings.fSourceName = "test";
    settings.fMaxRecordsPerSource = c.fLimit;
    const auto started = std::chrono::steady_clock::now();
    const std::string text = CollectMachine(TMachineTree::Saved(tree.string()), settings).Text();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    fs::remove_all(tree);
    EXPECT_NE(text.find(MofString(c.fLastKey)), std::string::npos);
    const size_t keptPlusOne = text.find(MofString(c.fLastKey.substr(0, c.fLastKey.rfind('(') + 1) +
                                                   std::to_string(std::min(c.fRepeats, c.fLimit) + 1) + ")"));
    EXPECT_EQ(keptPlusOne, std::string::npos);
    if (!c.fWarning.empty()) EXPECT_NE(text.find(MofString(c.fWarning)), std::string::npos);
    else EXPECT_EQ(text.find("beyond the bound"), std::string::npos);
  }
}

// What a sos tree's outputs say reads on the pages as they say it.
TEST(MinimalSosTree, ShowsWhatTheOutputsSay) {
  struct TCase {
    std::map<std::string, std::string> fFiles;  // sos path -> output
    std::string fClass;
    std::string fProperty;
    std::vector<std::string> fValues;
  };
  const std::string routes = "default via 192.0.2.1 dev eth0\n192.0.2.0/24 dev eth0 proto kernel scope link\n";
  const std::string routes6 = "fd00::/64 dev eth0 proto kernel metric 256 pref medium\n"
                              "default via fd00::1 dev eth0 metric 1024 pref medium\n";
  const std::string addresses =
      "4: eth0    inet 192.0.2.2/24 brd 192.0.2.255 scope global eth0\\       valid_lft forever\n"
      "4: eth0    inet6 fd00::2/64 scope global nodad \\       valid_lft forever\n"
      "4: eth0    inet6 fe80::fc:ff:fe00:1/64 scope link \\       valid_lft forever\n"
      "5: tun0    inet6 fd10::5/128 scope global \\       valid_lft forever\n";
  const std::string ata =
      "=== START OF INFORMATION SECTION ===\nDevice Model:     Tern TD-1000\nSerial Number:    TD0001\n"
      "Firmware Version: TF01\n\n=== START OF READ SMART DATA SECTION ===\n"
      "SMART overall-health self-assessment test result: PASSED\n\n"
      "ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      UPDATED  WHEN_FAILED RAW_VALUE\n"
      "  5 Reallocated_Sector_Ct   0x0033   100   100   010    Pre-fail  Always       -       264\n"
      "194 Temperature_Celsius     0x0022   064   047   000    Old_age   Always       -       36 (Min/Max 20/53)\n";
  const std::string scsi =
      "=== START OF INFORMATION SECTION ===\nVendor:               OXBOW\nProduct:              TS600\n"
      "Revision:             TSC1\nUser Capacity:        600,127,266,816 bytes [600 GB]\n"
      "Serial number:        TS00A1\nDevice type:          disk\nTransport protocol:   SAS (SPL-3)\n\n"
      "=== START OF READ SMART DATA SECTION ===\nSMART Health Status: OK\n\n"
      "Current Drive Temperature:     31 C\nElements in grown defect list: 0\n";
  // A logical volume on an md array of two disks, a multipath device of two
  // paths: lsblk draws each below every parent.
  const std::string lsblkPath = "sos_commands/block/lsblk";
  const std::string stacked =
      "NAME            MAJ:MIN   SIZE TYPE  MOUNTPOINTS\n"
      "loop0               7:0  63.3M loop  /snap/tern/1\n"
      "sda                 8:0   100G disk\n"
      "├─sda1              8:1     1G part  /boot\n"
      "└─sda2              8:2    99G part\n"
      "  └─md0             9:0    99G raid1\n"
      "    └─vg0-root    253:0    99G lvm   /\n"
      "sdb                8:16   100G disk\n"
      "└─sdb2             8:18    99G part\n"
      "  └─md0             9:0    99G raid1\n"
      "    └─vg0-root    253:0    99G lvm   /\n"
      "sdc                8:32   500G disk\n"
      "└─mpatha          253:1   500G mpath /data\n"
      "sdd                8:48   500G disk\n"
      "└─mpatha          253:1   500G mpath /data\n"
      "sr0                11:0  1024M rom\n";
  const std::string mdstat = "Personalities : [raid1]\nmd0 : active raid1 sdb2[1] sda2[0]\n"
                             "      103809024 blocks super 1.2 [2/2] [UU]\n\nunused devices: <none>\n";
  const std::string ataPath = "sos_commands/ata/smartctl_-a_.dev.sda";
  const std::string routesPath = "sos_commands/networking/ip_route_show_table_all";
  const std::string routes6Path = "sos_commands/networking/ip_-6_route_show_table_all";
  const TCase cases[] = {
      // IPv6 routes from ip -6 too; a route both outputs list is one.
      {{{routesPath, routes}, {routes6Path, routes6}}, "VKXSG_NextHopIPRoute", "DestinationAddress",
       {"0.0.0.0", "192.0.2.0", "fd00::", "::"}},
      {{{routesPath, routes + routes6}, {routes6Path, routes6}}, "VKXSG_NextHopIPRoute", "DestinationMask",
       {"0.0.0.0", "255.255.255.0", "64", "0"}},
      {{{"ip_addr", addresses}}, "VKXSG_IPProtocolEndpoint", "IPv4Address", {"192.0.2.2/24", ""}},
      {{{"ip_addr", addresses}}, "VKXSG_IPProtocolEndpoint", "IPv6Address",
       {"fd00::2/64, fe80::fc:ff:fe00:1/64", "fd10::5/128"}},
      {{{"ip_addr", addresses}, {routesPath, routes + routes6}, {"etc/resolv.conf", "search example\nnameserver 192.0.2.53\n"}},
       "VKXSG_NetworkPort", "GatewayList", {"192.0.2.1,fd00::1", ""}},
      {{{"ip_addr", addresses}, {"etc/resolv.conf", "search example\nnameserver 192.0.2.53\nnameserver fd00::53\n"}},
       "VKXSG_NetworkPort", "DnsServers", {"192.0.2.53,fd00::53", "192.0.2.53,fd00::53"}},
      {{{"proc/sys/net/ipv4/ip_forward", "1\n"}}, "VKXSG_IPService", "RoutingEnabled", {"true"}},
      {{{"ip_addr", addresses}, {"sos_commands/networking/ethtool_-i_eth0", "driver: virtio_net\nversion: 1.0.0\n"}},
       "VKXSG_NetworkPort", "DriverLoaded", {"virtio_net", ""}},
      {{{"sos_commands/process/ps_auxwww", "USER PID STAT COMMAND\nroot 1 Ss init\nroot 2 I< [kworker]\n"
                                           "root 3 R+ ps\nroot 4 D+ sync\nroot 5 T vi\nroot 6 Z [sh] <defunct>\n"}},
       "VKXSG_Process", "ExecutionState", {"4", "4", "3", "4", "8", "7"}},
      // ps's START is to the minute: the boot's minute reads as the boot; TIME
      // sums user and kernel time, which stay unknown.
      {{{"sos_commands/process/ps_auxwww", "USER PID STAT START TIME COMMAND\nroot 1 Ss 16:48 0:04 init\n"
                                           "root 7 S 16:52 1:10 tern\n"},
        {"proc/stat", "cpu  1 2 3\nbtime 1796662107\n"},
        {"sos_commands/date/date", "Mon Dec  7 17:20:00 UTC 2026\n"},
        {"sos_commands/date/date_--utc", "Mon Dec  7 17:20:00 UTC 2026\n"}},
       "VKXSG_Process", "CreationDate", {"20261207164827.000000+000", "20261207165200.000000+000"}},
      {{{"sos_commands/process/ps_auxwww", "USER PID STAT START TIME COMMAND\nroot 7 S 16:52 1:10 tern\n"}},
       "VKXSG_Process", "UserModeTime", {""}},
      // SMART: identity of ATA and SCSI drives, each attribute's type and raw value.
      {{{ataPath, ata}}, "OMC_ATADevice", "SerialNumber", {"TD0001"}},
      {{{ataPath, ata}}, "OMC_ATADevice", "FirmwareRevision", {"TF01"}},
      {{{ataPath, ata}}, "OMC_IDESMARTAttrib", "type", {"Pre-fail", "Old_age"}},
      {{{ataPath, ata}}, "OMC_IDESMARTAttrib", "rawVal", {"8,1,0,0,0,0", "36,0,0,0,0,0"}},
      {{{ataPath, scsi}}, "OMC_ATADevice", "VendorID", {"OXBOW"}},
      {{{ataPath, scsi}}, "OMC_ATADevice", "ProductID", {"TS600"}},
      {{{ataPath, scsi}}, "OMC_ATADevice", "FirmwareRevision", {"TSC1"}},
      {{{ataPath, scsi}}, "OMC_ATADevice", "SerialNumber", {"TS00A1"}},
      // Every block device once, by its name.
      {{{lsblkPath, stacked}}, "VKXSG_MediaAccessDevice", "Name",
       {"/dev/loop0 (loop)", "/dev/sda", "/dev/sdb", "/dev/sdc", "/dev/sdd", "/dev/sr0 (rom)"}},
      {{{lsblkPath, stacked}}, "VKXSG_DiskPartition", "DeviceID", {"/dev/sda1", "/dev/sda2", "/dev/sdb2"}},
      {{{lsblkPath, stacked}}, "VKXSG_LogicalDevice", "DeviceID", {"/dev/md0", "/dev/mapper/vg0-root", "/dev/mapper/mpatha"}},
      {{{lsblkPath, stacked}}, "VKXSG_LogicalDevice", "OtherIdentifyingInfo",
       {"Type: raid1,Size: 103809024 KiB,On: sda2 sdb2", "Type: lvm,Size: 103809024 KiB,On: md0,Mount points: /",
        "Type: mpath,Size: 524288000 KiB,On: sdc sdd,Mount points: /data"}},
      // mdstat says more of an array; lsblk adds where it is mounted.
      {{{lsblkPath, stacked}, {"proc/mdstat", mdstat}}, "VKXSG_LogicalDevice", "ElementName",
       {"md0 (raid1)", "vg0-root (lvm)", "mpatha (mpath)"}},
      {{{lsblkPath, "NAME=\"md0\" PKNAME=\"sda2\" TYPE=\"raid1\" SIZE=\"106300440576\" MOUNTPOINTS=\"/srv\\x0a/\"\n"},
        {"proc/mdstat", mdstat}},
       "VKXSG_LogicalDevice", "OtherIdentifyingInfo",
       {"State: active,Members: sdb2 sda2,Size: 103809024 KiB,Metadata: 1.2,Status: [2/2] [UU],Mount points: /srv,/"}},
      // lsblk -P lists a device once per parent.
      {{{lsblkPath, "NAME=\"mpatha\" PKNAME=\"sdc\" TYPE=\"mpath\" SIZE=\"1073741824\" MOUNTPOINT=\"\"\n"
                    "NAME=\"mpatha\" PKNAME=\"sdd\" TYPE=\"mpath\" SIZE=\"1073741824\" MOUNTPOINT=\"\"\n"}},
       "VKXSG_LogicalDevice", "OtherIdentifyingInfo", {"Type: mpath,Size: 1048576 KiB,On: sdc sdd"}},
      // Without os-release, the older release files name the system.
      {{{"etc/redhat-release", "Oxbow Linux Server release 6.10 (Tern)\n"}}, "VKXSG_OperatingSystem", "Name",
       {"Oxbow Linux Server release 6.10 (Tern)"}},
      {{{"etc/redhat-release", "Oxbow Linux Server release 6.10 (Tern)\n"}}, "VKXSG_OperatingSystem", "Version", {"6.10"}},
      {{{"etc/SuSE-release", "Oxbow Enterprise Server 11 (ppc64)\nVERSION = 11\nPATCHLEVEL = 4\n"}},
       "VKXSG_OperatingSystem", "Version", {"11.4"}},
      {{{"etc/os-release", "NAME=Oxbow\nVERSION=\"9.2 (Tern)\"\n"}, {"etc/redhat-release", "Oxbow Linux release 9.2 (Tern)\n"}},
       "VKXSG_OperatingSystem", "Name", {"Oxbow Linux release 9.2 (Tern)"}},
      {{{"etc/os-release", "NAME=Oxbow\nVERSION_ID=9.2\nPRETTY_NAME=\"Oxbow 9.2 (Tern)\"\n"},
        {"etc/redhat-release", "Oxbow Linux release 9.2.1 (Tern)\n"}},
       "VKXSG_OperatingSystem", "Name", {"Oxbow 9.2 (Tern)"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.fClass + "." + c.fProperty);
    const fs::path tree = fs::temp_directory_path() / ("qza-values-" + std::to_string(::getpid()));
    WriteFile(tree / "version.txt", "sosreport: 4.5.6\n");
    WriteFile(tree / "etc/hostname", "valued-host\n");
    for (const auto& [path, output] : c.fFiles) WriteFile(tree / path, output);
    TCollectSettings settings;
    settings.fSourceName = "test";
    const std::string mof = tree.string() + ".mof";
    std::ofstream(mof) << CollectMachine(TMachineTree::Saved(tree.string()), settings).Text();
    std::vector<std::string> values = Values(LoadStrictly(mof), c.fClass, c.fProperty);
    fs::remove_all(tree);
    fs::remove(mof);
    std::vector<std::string> expected = c.fValues;
    std::sort(values.begin(), values.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(values, expected);
  }
}

// Each instance a saved tree maps to, by its object path: its values.
std::map<std::string, std::string> MappedInstances(const fs::path& tree) {
  TCollectSettings settings;
  settings.fSourceName = "test";
  const std::string mof = tree.string() + ".mof";
  std::ofstream(mof) << CollectMachine(TMachineTree::Saved(tree.string()), settings).Text();
  std::map<std::string, std::string> instances;
  for (const auto& instance : InstancesOfClass(*LoadStrictly(mof).fNamespace, "CIM_ManagedElement")) {
    const std::string className = instance->GetClass()->GetName();
    if (className == "VKXSG_QZALogRecord" || className == "VKXSG_LogRecord_FileLoader") continue;
    std::string values;
    for (const auto& property : instance->GetClass()->GetPropertyDecls()) {
      values += property->GetName() + "=" + PropertyText(*instance, property->GetName()) + ";";
    }
    instances[instance->GetReference().GetPath()] = values;
  }
  fs::remove(mof);
  return instances;
}

// Adding one item to an output and reordering the others adds that item's
// instances and changes no other: an instance is keyed by what identifies it
// on the machine, never by its position, so comparisons show real changes.
TEST(MinimalSosTree, OneAddedItemChangesOnlyItsOwnInstances) {
  struct TCase {
    std::string fSosPath;
    std::string fHeader;
    std::vector<std::string> fItems;
    std::string fAdded;
    size_t fAddedInstances;
    std::string fSummary = "";  // the class of an instance that counts the items
  };
  const TCase cases[] = {
      {"sos_commands/networking/ip_route_show_table_all", "",
       {"default via 192.0.2.1 dev eth0", "192.0.2.0/24 dev eth0 proto kernel scope link src 192.0.2.2",
        "fd00::/64 dev eth0 proto kernel metric 256 pref medium", "default via fd00::1 dev eth0 metric 1024 pref medium"},
       "10.8.0.0/16 via 192.0.2.254 dev eth0", 1},
      {"ip_addr", "",
       {"4: eth0    inet 192.0.2.2/24 brd 192.0.2.255 scope global eth0\\       valid_lft forever preferred_lft forever",
        "4: eth0    inet6 fd00::2/64 scope global nodad \\       valid_lft forever preferred_lft forever",
        "6: eth2    inet 203.0.113.9/24 scope global eth2\\       valid_lft forever preferred_lft forever"},
       "5: eth1    inet 198.51.100.7/24 scope global eth1\\       valid_lft forever preferred_lft forever", 2},
      {"sos_commands/dpkg/dpkg_-l",
       "Desired=Unknown/Install/Remove/Purge/Hold\n||/ Name   Version   Architecture Description\n+++-====-====-====-====",
       {"ii  adduser       3.134     all    add and remove users", "ii  libc6:amd64   2.36-9    amd64  GNU C Library",
        "ii  bash          5.2.15-2  amd64  GNU Bourne Again SHell"},
       "ii  libc6:i386    2.36-9    i386   GNU C Library", 1},
      {"sos_commands/kernel/lsmod", "Module                  Size  Used by",
       {"virtio_net             77824  0", "ext4                 1007616  1", "crc16                  12288  1 ext4"},
       "vfat                   20480  0", 1},
      {"sos_commands/process/ps_auxwww", "USER  PID %CPU %MEM VSZ RSS TTY STAT START TIME COMMAND",
       {"root    1  0.0  0.0 54812 14248 ?  Ss  16:48  0:04 /sbin/init", "root    2  0.0  0.0 0 0 ?  S  16:48  0:00 [kthreadd]",
        "user  812  0.1  0.2 9000 4100 pts/0  R+  16:50  0:01 bash -l"},
       "user  900  0.0  0.1 8000 2000 pts/0  S  16:52  0:00 sleep 60", 1, "VKXSG_OperatingSystem"},
      {"sos_commands/block/lsblk", "NAME  MAJ:MIN RM  SIZE RO TYPE MOUNTPOINTS",
       {"vda   254:0    0  256G  0 disk", "vdb   254:16   0  10G  0 disk", "zram0 253:0    0    1G  0 disk"},
       "vdc   254:32   0  20G  0 disk", 1},
      {"sos_commands/block/lsblk", "NAME          MAJ:MIN  SIZE TYPE  MOUNTPOINTS",
       {"loop0           7:0     10M loop  /snap/tern/1", "sda             8:0    100G disk\n└─sda1          8:1      1G part  /boot",
        "sdb             8:16   100G disk\n└─vg0-data    253:0    100G lvm   /data"},
       "sdc             8:32   500G disk\n└─mpatha      253:1    500G mpath /srv", 2},
      {"sos_commands/filesys/df_-al_-x_autofs", "Filesystem  1K-blocks  Used Available Use% Mounted on",
       {"/dev/vda1   262144000 1000 262143000   1% /", "/dev/vdb1   10485760  500  10485260   1% /srv",
        "proc        0  0  0  - /proc"},
       "/dev/vdc1   20971520  100  20971420   1% /data", 1},
      {"sos_commands/usb/lsusb", "",
       {"Bus 001 Device 003: ID 0bda:5411 Tern Virtual Keyboard", "Bus 002 Device 002: ID 0bda:5412 Tern Mouse"},
       "Bus 001 Device 004: ID 0bda:5413 Tern Pad", 1},
      {"sos_commands/lmsensors/sensors", "",
       {"terncore-isa-0000\nAdapter: ISA adapter\ntemp1:  +40.0°C\n", "ternpch-virtual-0\nAdapter: Virtual\ntemp1:  +38.0°C\n"},
       "ternfan-isa-0290\nAdapter: ISA adapter\nfan1:  1200 RPM\n", 1},
      {"sos_commands/ipmitool/ipmitool_sel_list", "",
       {"   1 | 12/06/2026 | 22:10:05 | Power Supply #0x51 | Failure detected | Asserted",
        "   2 | 12/06/2026 | 22:12:40 | Power Supply #0x51 | Failure detected | Deasserted",
        "  1a | 12/07/2026 | 01:00:00 | Fan #0x30 | Lower Critical going low | Asserted"},
       "   9 | 12/06/2026 | 23:00:00 | Temperature #0x20 | Upper Critical going high | Asserted", 1},
      {"sos_commands/ipmitool/ipmitool_fru_print", "",
       {"FRU Device Description : Builtin FRU Device (ID 0)\n Board Mfg             : Tern\n",
        "FRU Device Description : PSU1 (ID 2)\n Board Mfg             : Tern\n"},
       "FRU Device Description : PSU2 (ID 3)\n Board Mfg             : Tern\n", 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.fSosPath);
    const fs::path trees = fs::temp_directory_path() / ("qza-keys-" + std::to_string(::getpid()));
    std::vector<std::string> changed = c.fItems;
    std::reverse(changed.begin(), changed.end());
    changed.insert(changed.begin() + 1, c.fAdded);
    std::map<std::string, std::string> mapped[2];
    for (int run = 0; run < 2; ++run) {
      std::string output = c.fHeader.empty() ? "" : c.fHeader + "\n";
      for (const std::string& item : run == 0 ? c.fItems : changed) output += item + "\n";
      const fs::path tree = trees / std::to_string(run);
      WriteFile(tree / "version.txt", "sosreport: 4.5.6\n");
      WriteFile(tree / "etc/hostname", "keyed-host\n");
      WriteFile(tree / "sos_commands/date/date_--utc", "Sun Dec  6 22:15:07 UTC 2026\n");  // the collection's time
      WriteFile(tree / c.fSosPath, output);
      mapped[run] = MappedInstances(tree);
    }
    fs::remove_all(trees);
    for (const auto& [path, values] : mapped[0]) {
      const auto again = mapped[1].find(path);
      const bool summary = !c.fSummary.empty() && path.rfind(c.fSummary + ".", 0) == 0;
      EXPECT_TRUE(again != mapped[1].end() && (summary || again->second == values)) << path << " " << values;
    }
    EXPECT_EQ(mapped[1].size(), mapped[0].size() + c.fAddedInstances);
  }
}

// A number no property of its type holds is left out with a warning naming
// it, and the collection still loads; an unreadable time is no time.
TEST(OddNumbers, AreLeftOutAndTheCollectionLoads) {
  struct TCase {
    std::string fSosPath;
    std::string fOutput;
    std::string fClass;    // still mapped
    std::string fWarning;  // "" when nothing is left out
  };
  const std::string smartStart =
      "=== START OF INFORMATION SECTION ===\nDevice Model:     TX-2000\nSerial Number:    TS0001\n\n"
      "=== START OF READ SMART DATA SECTION ===\nSMART overall-health self-assessment test result: PASSED\n"
      "ID# ATTRIBUTE_NAME          FLAG     VALUE WORST THRESH TYPE      UPDATED  WHEN_FAILED RAW_VALUE\n";
  const TCase cases[] = {
      {"sos_commands/lmsensors/sensors", "terncore-isa-0000\nAdapter: ISA adapter\ntemp1:  +30000000.0°C\n",
       "VKXSG_NumericSensor", "CurrentReading: 3000000000 is beyond sint32: left out"},
      {"sos_commands/lmsensors/sensors", "terncore-isa-0000\nAdapter: ISA adapter\ntemp1:  +999999999999999999999999.0°C\n",
       "VKXSG_NumericSensor", "CurrentReading: 1e+26 is beyond sint32: left out"},
      {"sos_commands/block/lsblk", "NAME=\"sda\" TYPE=\"disk\" SIZE=\"18446744073709551615\"\n",
       "VKXSG_MediaAccessDevice", ""},
      {"sos_commands/block/lsblk", "NAME=\"sda\" TYPE=\"disk\" SIZE=\"99999999999999999999\"\n",
       "VKXSG_MediaAccessDevice", ""},
      {"sos_commands/hardware/dmidecode",
       "Handle 0x0011, DMI type 17, 40 bytes\nMemory Device\n\tSize: 16777216 TB\n\tLocator: DIMM A1\n",
       "VKXSG_SPDData", "Capacity: \"16777216 TB\" is no byte count a uint64 holds: left out"},
      {"sos_commands/ata/smartctl_-a_.dev.sda",
       smartStart + "256 Raw_Read_Error_Rate     0x000f   100   100   006    Pre-fail  Always       -       0\n",
       "OMC_IDESMARTAttrib", "attribID: 256 is beyond uint8: left out"},
      {"sos_commands/logs/journalctl_--no-pager",
       "{\"__REALTIME_TIMESTAMP\":\"99999999999999999999\",\"SYSLOG_IDENTIFIER\":\"ternd\",\"MESSAGE\":\"late\"}\n"
       "{\"__REALTIME_TIMESTAMP\":\"9999999999999999999\",\"SYSLOG_IDENTIFIER\":\"ternd\",\"MESSAGE\":\"later\"}\n",
       "VKXSG_LinuxEventLogRecord", ""},
      // A smartctl output that gives no drive says so.
      {"sos_commands/ata/smartctl_-a_.dev.sdb", "Smartctl open device: /dev/sdb failed: No such device\n",
       "VKXSG_QZALogRecord", "sos_commands/ata/smartctl_-a_.dev.sdb: no drive model or health read"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.fOutput);
    const fs::path tree = fs::temp_directory_path() / ("qza-odd-" + std::to_string(::getpid()));
    fs::remove_all(tree);
    WriteFile(tree / c.fSosPath, c.fOutput);
    TCollectSettings settings;
    settings.fSourceName = "test";
    const std::string mof = tree.string() + ".mof";
    std::ofstream(mof) << CollectMachine(TMachineTree::Saved(tree.string()), settings).Text();
    fs::remove_all(tree);
    const TLoadedCollections loaded = LoadStrictly(mof);
    fs::remove(mof);
    EXPECT_FALSE(InstancesOfClass(*loaded.fNamespace, c.fClass).empty());
    const std::vector<std::string> log = Values(loaded, "VKXSG_QZALogRecord", "Message");
    const bool warned = std::any_of(log.begin(), log.end(), [&c](const std::string& m) {
      return !c.fWarning.empty() && m.find(c.fWarning) == 0;
    });
    EXPECT_EQ(warned, !c.fWarning.empty());
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
    const std::pair<const char*, const char*> identity[][2] = {
        {{"VKXSG_ComputerSystem", "UUID"}, {"System Information", "UUID"}},
        {{"VKXSG_ComputerSystem", "SerialNumber"}, {"System Information", "Serial Number"}},
        {{"VKXSG_BIOSElement", "Manufacturer"}, {"BIOS Information", "Vendor"}},
        {{"VKXSG_SystemBoard", "SerialNumber"}, {"Base Board Information", "Serial Number"}},
    };
    for (const auto& [mapped, printed] : identity) {
      const std::vector<std::string> values = Values(loaded, mapped.first, mapped.second);
      const std::string expected = Meaningful(DmiField(entry.path().string(), printed.first, printed.second));
      EXPECT_EQ(values.empty() ? "" : values.front(), expected) << mapped.first << "." << mapped.second;
    }
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
      // Each link alone stays inside; through the first, the second leaves.
      {top + "d/e/up", AE_IFLNK, "../..", ""},
      {top + "through", AE_IFLNK, "d/e/up/../..", "link pointing outside the report"},
  };
  TToolRun run("collect-hostile");
  const std::string archivePath = run.Write("hostile.tar.gz", "");
  std::vector<TArchiveMember> archived;
  for (const TMember& member : members) archived.push_back({member.fName, member.fType, "hostile-host\n", member.fLinkTarget});
  WriteArchive(archivePath, archived);

  // Nothing of the archive is written to disk.
  const char* tmp = std::getenv("TMPDIR");
  const std::string savedTmp = tmp != nullptr ? tmp : "";
  ::setenv("TMPDIR", run.Path("no-such-folder").c_str(), 1);
  const std::string collection = run.Path("hostile.mof");
  const int status = run({"collect", "-q", "--from-sos", archivePath, "-o", collection});
  if (tmp != nullptr) ::setenv("TMPDIR", savedTmp.c_str(), 1);
  else ::unsetenv("TMPDIR");
  ASSERT_EQ(status, 0) << run.Err();
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

// Archives that no sos report is (too many members, too deep) or that cannot
// be read to their end are refused whole, with a message naming the member.
TEST(SosArchive, UnboundedOrUnreadableArchivesAreRefusedWhole) {
  struct TCase {
    std::string fWhat;
    std::vector<TArchiveMember> fMembers;
    std::string fMessage;
    size_t fCutAt = 0;  // the archive's size when cut short
  };
  const std::string top = "sosreport-bounds/";
  std::vector<TArchiveMember> many(200001, TArchiveMember{""});
  for (size_t i = 0; i < many.size(); ++i) many[i].fName = top + std::to_string(i);
  std::string deep = top;
  for (int i = 0; i < 70; ++i) deep += "d/";
  std::string output;
  for (int line = 0; output.size() < (1 << 20); ++line) output += "root " + std::to_string(line * 7919 % 100003) + "\n";
  const TCase cases[] = {
      {"members", many, "holds more than 200000 members"},
      {"depth", {{top + "version.txt"}, {deep + "file"}}, "folders deep"},
      {"cut", {{top + "version.txt"}, {top + "sos_commands/process/ps_auxwww", AE_IFREG, output}},
       top + "sos_commands/process/ps_auxwww: cannot read the member", 600000},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.fWhat);
    TToolRun run("collect-bounds");
    const std::string archivePath = run.Path(c.fWhat + ".tar");
    WriteArchive(archivePath, c.fMembers, true);
    if (c.fCutAt != 0) fs::resize_file(archivePath, c.fCutAt);
    EXPECT_EQ(run({"collect", "-q", "--from-sos", archivePath, "-o", run.Path("out.mof")}), 1);
    EXPECT_NE(run.Err().find(c.fMessage), std::string::npos) << run.Err();
    EXPECT_FALSE(fs::exists(run.Path("out.mof")));
  }
}

// Only regular files of a sos folder are opened: a FIFO named like an output
// would block the reader; it is said in the log instead.
TEST(SosFolder, NoRegularFileIsLoggedAndNotOpened) {
  TToolRun run("collect-fifo");
  const fs::path tree = fs::path(run.Write("keep", "")).parent_path() / "sosreport-fifo";
  WriteFile(tree / "version.txt", "sosreport: 4.5.6\n");
  WriteFile(tree / "etc/hostname", "fifo-host\n");
  fs::create_directories(tree / "sos_commands/process");
  ASSERT_EQ(::mkfifo((tree / "sos_commands/process/ps_auxwww").c_str(), 0600), 0);
  const std::string collection = run.Path("fifo.mof");
  ASSERT_EQ(run({"collect", "-q", "--from-sos", tree.string(), "-o", collection}), 0) << run.Err();
  const std::vector<std::string> log = Values(LoadStrictly(collection), "VKXSG_QZALogRecord", "Message");
  EXPECT_TRUE(Holds(log, "sos_commands/process/ps_auxwww: not a regular file (a FIFO).")) << ::testing::PrintToString(log);
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
      {{"sh", "-c", "exec >&- 2>&-; sleep 30"}, {1, 1024}, "timed out after 1 s", 0, false},
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
