// The parsers over what this machine's own tools print, checked against facts
// read independently from /proc, /sys and the C library. A tool that is not
// installed, or prints nothing here, is skipped.
#include <sys/sysinfo.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "machine/parsers/logs.h"
#include "machine/parsers/lspci.h"
#include "machine/parsers/network.h"
#include "machine/parsers/software.h"
#include "machine/parsers/storage.h"
#include "machine/parsers/system_files.h"
#include "tests/machine/parsers/parsed_summary.h"

namespace NVKXQZA20::NMachine {
namespace {

std::string Output(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
    char buffer[65536];
    for (size_t read; (read = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, read);
    pclose(pipe);
  }
  return text;
}

std::set<std::string> Entries(const char* folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    names.insert(entry.path().filename().string());
  return names;
}

template <typename T>
void ExpectNoWarnings(const T& records) {
  EXPECT_EQ(WarningLines(records.fWarnings), "");
}

struct TLiveCase {
  const char* fCommand;
  std::function<void(const std::string&)> fCheck;
};

const TLiveCase kLiveCases[] = {
    {"lspci -nnvv -D",
     [](const std::string& text) {
       TPciRecords pci = ParseLspci(text);
       ExpectNoWarnings(pci);
       std::set<std::string> addresses;
       for (const TPciFunction& function : pci.fFunctions) addresses.insert(function.fAddress);
       EXPECT_EQ(addresses, Entries("/sys/bus/pci/devices"));
     }},
    {"ps auxwww",
     [](const std::string& text) {
       TProcesses processes = ParsePs(text);
       ExpectNoWarnings(processes);
       bool self = false;
       for (const TProcess& process : processes.fProcesses)
         self |= process.Column("PID") == std::to_string(getpid()) &&
                 process.Column("COMMAND").find("machine_tests") != std::string::npos;
       EXPECT_TRUE(self);
     }},
    {"(cat /proc/modules >/dev/null && lsmod)",
     [](const std::string& text) {
       TKernelModules modules = ParseLsmod(text);
       ExpectNoWarnings(modules);
       std::ifstream in("/proc/modules");
       size_t lines = 0;
       for (std::string line; std::getline(in, line);) ++lines;
       EXPECT_EQ(modules.fModules.size(), lines);
     }},
    {"ip -d address",
     [](const std::string& text) {
       TNetInterfaces interfaces = ParseIpAddress(text);
       ExpectNoWarnings(interfaces);
       std::set<std::string> names;
       for (const TNetInterface& interface : interfaces.fInterfaces) names.insert(interface.fName);
       EXPECT_EQ(names, Entries("/sys/class/net"));
     }},
    {"lsblk -a",
     [](const std::string& text) {
       TBlockDevices devices = ParseLsblk(text);
       ExpectNoWarnings(devices);
       std::set<std::string> names;
       for (const TBlockDevice& device : devices.fDevices) names.insert(device.fName);
       for (const std::string& name : Entries("/sys/block")) EXPECT_TRUE(names.count(name)) << name;
     }},
    {"df -al",
     [](const std::string& text) {
       TDiskSpaces spaces = ParseDf(text);
       ExpectNoWarnings(spaces);
       std::ifstream in("/proc/mounts");
       std::stringstream mountsText;
       mountsText << in.rdbuf();
       std::set<std::string> mounted;
       for (const TMount& mount : ParseMounts(mountsText.str()).fMounts) mounted.insert(mount.fMountPoint);
       for (const TDiskSpace& space : spaces.fFileSystems) EXPECT_TRUE(mounted.count(space.fMountPoint)) << space.fMountPoint;
       EXPECT_FALSE(spaces.fFileSystems.empty());
     }},
    {"cat /proc/cpuinfo",
     [](const std::string& text) {
       TCpuInfo info = ParseCpuInfo(text);
       ExpectNoWarnings(info);
       EXPECT_EQ(info.fProcessors.size(), static_cast<size_t>(sysconf(_SC_NPROCESSORS_ONLN)));
     }},
    {"cat /proc/meminfo",
     [](const std::string& text) {
       TMemInfo info = ParseMemInfo(text);
       ExpectNoWarnings(info);
       struct sysinfo system {};
       ASSERT_EQ(sysinfo(&system), 0);
       EXPECT_EQ(info.Get("MemTotal"), static_cast<unsigned long long>(system.totalram) * system.mem_unit);
     }},
    {"journalctl --no-pager -n 200", [](const std::string& text) { ExpectNoWarnings(ParseSyslog(text)); }},
    {"journalctl --no-pager -n 200 -o short-iso", [](const std::string& text) { ExpectNoWarnings(ParseSyslog(text)); }},
    {"journalctl --no-pager -n 200 -o json",
     [](const std::string& text) {
       TLog log = ParseJournalJson(text);
       ExpectNoWarnings(log);
       size_t withSeverity = 0;
       for (const TLogEntry& entry : log.fEntries) withSeverity += entry.fSeverity.has_value();
       EXPECT_GT(withSeverity, log.fEntries.size() / 2);
     }},
    {"dpkg-query -W -f='${Package}\\t${Version}\\t${Architecture}\\t${Status}\\n'",
     [](const std::string& text) {
       TPackages query = ParseDpkgQuery(text);
       TPackages list = ParseDpkgList(Output("COLUMNS=300 dpkg -l"));
       ExpectNoWarnings(query);
       ExpectNoWarnings(list);
       EXPECT_EQ(query.fPackages.size(), list.fPackages.size());
     }},
};

TEST(LiveTools, ParsersAgreeWithIndependentReads) {
  for (const TLiveCase& c : kLiveCases) {
    SCOPED_TRACE(c.fCommand);
    std::string text = Output(c.fCommand);
    if (text.empty()) continue;  // tool or file absent here
    c.fCheck(text);
  }
}

}  // namespace
}  // namespace NVKXQZA20::NMachine
