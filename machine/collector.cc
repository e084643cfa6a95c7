#include "machine/collector.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <set>

#include "machine/machine_mapping.h"
#include "machine/mapping_text.h"
#include "machine/pci_names.h"

namespace NVKXQZA20::NMachine {

namespace {

const size_t kWarningsLogged = 3;  // of each source; the rest are counted

// Where sos keeps smartctl's output of each disk: folder, name before "sda".
const std::pair<std::string, std::string> kSosSmartOutputs[] = {
    {"/sos_commands/ata", "smartctl_-a_.dev."}, {"/sos_commands/nvme", "smartctl_--all_.dev."}};

// One output's parse: the bound of records it may keep and the parser's
// warnings.
struct TParsing {
  size_t fLimit;
  std::vector<TParseWarning> fWarnings;
};

// Parses one output into the records; answers how many records the output
// held, of which at most parsing.fLimit are kept.
typedef size_t (*TParse)(const std::string& text, const std::string& origin, TMachineRecords& records,
                         TParsing& parsing);

template <class TRecords>
void TakeWarnings(const TRecords& parsed, TParsing& parsing) {
  parsing.fWarnings.insert(parsing.fWarnings.end(), parsed.fWarnings.begin(), parsed.fWarnings.end());
}

// Keeps the first records of the list, as many as the bound allows.
template <class TRecords, class TRecord>
size_t Keep(TRecords parsed, std::vector<TRecord> TRecords::*list, TRecords& into, TParsing& parsing) {
  TakeWarnings(parsed, parsing);
  std::vector<TRecord>& records = parsed.*list;
  const size_t count = records.size();
  if (count > parsing.fLimit) records.erase(records.begin() + static_cast<std::ptrdiff_t>(parsing.fLimit), records.end());
  into = std::move(parsed);
  return count;
}

template <class TRecords>
size_t KeepWhole(TRecords parsed, TRecords& into, TParsing& parsing, size_t count) {
  TakeWarnings(parsed, parsing);
  into = std::move(parsed);
  return count;
}

// A log keeps its last entries, as it keeps its last bytes.
size_t KeepLog(TNamedLog log, TMachineRecords& records, TParsing& parsing) {
  TakeWarnings(log.fLog, parsing);
  std::vector<TLogEntry>& entries = log.fLog.fEntries;
  const size_t count = entries.size();
  if (count > parsing.fLimit) entries.erase(entries.begin(), entries.end() - static_cast<std::ptrdiff_t>(parsing.fLimit));
  if (count > 0) records.fLogs.push_back(std::move(log));
  return count;
}

size_t ParseLog(const std::string& text, const std::string& origin, TMachineRecords& records, TParsing& parsing) {
  const bool json = text.find_first_not_of(" \n") != std::string::npos && text[text.find_first_not_of(" \n")] == '{';
  TNamedLog log{origin, json ? ParseJournalJson(text) : ParseSyslog(text)};
  if (StartsWith(origin, "journalctl") || origin.find("journalctl_") != std::string::npos) log.fName = "journal";
  return KeepLog(std::move(log), records, parsing);
}

// dmesg: the ring buffer's text, and its messages as a log of their own, so
// that kernel errors count where there is no journal or syslog file.
size_t ParseKernelLog(const std::string& text, const std::string&, TMachineRecords& records, TParsing& parsing) {
  records.fKernelRingBuffer = WithoutLevels(text);
  return KeepLog(TNamedLog{"dmesg", ParseDmesg(text)}, records, parsing);
}

size_t AppendPackages(TPackages parsed, TMachineRecords& records, TParsing& parsing) {
  TakeWarnings(parsed, parsing);
  const size_t count = parsed.fPackages.size();
  const size_t kept = std::min(count, parsing.fLimit);
  records.fPackages.fPackages.insert(records.fPackages.fPackages.end(), parsed.fPackages.begin(),
                                     parsed.fPackages.begin() + static_cast<std::ptrdiff_t>(kept));
  return count;
}

struct TStep {
  EFact fFact;
  TParse fParse;
};

// How each fact's output is parsed; the order is the order of reading.
const TStep kSteps[] = {
    {EFact::kHostName, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing&) {
       r.fHostName = Trimmed(t.substr(0, t.find('\n')));
       return size_t(r.fHostName.empty() ? 0 : 1);
     }},
    {EFact::kKernel, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing&) {
       r.fUname = t;
       return size_t(Words(t).size() >= 4 ? 1 : 0);
     }},
    {EFact::kOsRelease, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return KeepWhole(ParseOsRelease(t), r.fOsRelease, p, 1);
     }},
    {EFact::kSystemRelease, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing&) {
       r.fSystemRelease = ParseSystemRelease(t);
       return size_t(r.fSystemRelease.fName.empty() ? 0 : 1);
     }},
    {EFact::kUptime, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing&) {
       r.fUptimeSeconds = ParseUptime(t);
       return size_t(r.fUptimeSeconds ? 1 : 0);
     }},
    {EFact::kCpuInfo, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseCpuInfo(t), &TCpuInfo::fProcessors, r.fCpuInfo, p);
     }},
    {EFact::kLscpu, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       TLscpu parsed = ParseLscpu(t);
       const size_t count = parsed.fFields.fFields.size();
       return KeepWhole(std::move(parsed), r.fLscpu, p, count);
     }},
    {EFact::kSmtControl, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing&) {
       r.fSmtControl = Trimmed(t);
       return size_t(r.fSmtControl.empty() ? 0 : 1);
     }},
    {EFact::kKernelCommandLine, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing&) {
       r.fKernelCommandLine = Trimmed(t);
       return size_t(r.fKernelCommandLine.empty() ? 0 : 1);
     }},
    {EFact::kMemInfo, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseMemInfo(t), &TMemInfo::fEntries, r.fMemInfo, p);
     }},
    {EFact::kDmidecode, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseDmidecode(t), &TDmiRecords::fStructures, r.fDmi, p);
     }},
    {EFact::kPci, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseLspci(t), &TPciRecords::fFunctions, r.fPci, p);
     }},
    {EFact::kBlockDevices, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseLsblk(t), &TBlockDevices::fDevices, r.fBlockDevices, p);
     }},
    {EFact::kMounts, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseMounts(t), &TMounts::fMounts, r.fMounts, p);
     }},
    {EFact::kDiskSpace, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseDf(t), &TDiskSpaces::fFileSystems, r.fDiskSpace, p);
     }},
    {EFact::kNetworkAddresses, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseIpAddress(t), &TNetInterfaces::fInterfaces, r.fInterfaces, p);
     }},
    {EFact::kDebianPackages, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return AppendPackages(ParseDpkgList(t), r, p);
     }},
    {EFact::kRpmPackages, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return AppendPackages(ParseRpmList(t), r, p);
     }},
    {EFact::kKernelModules, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseLsmod(t), &TKernelModules::fModules, r.fModules, p);
     }},
    {EFact::kModuleInfo, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseModinfo(t), &TModuleInfos::fModules, r.fModuleInfo, p);
     }},
    {EFact::kProcesses, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParsePs(t), &TProcesses::fProcesses, r.fProcesses, p);
     }},
    {EFact::kSyslog, ParseLog},
    {EFact::kMessages, ParseLog},
    {EFact::kJournal, ParseLog},
    {EFact::kSensors, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseSensors(t), &TSensors::fChips, r.fSensors, p);
     }},
    {EFact::kIpmiSel, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseIpmiSel(t), &TSelEvents::fEvents, r.fSel, p);
     }},
    {EFact::kIpmiSdr, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseIpmiSdr(t), &TSdrSensors::fSensors, r.fSdr, p);
     }},
    {EFact::kIpmiFru, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseIpmiFru(t), &TFruDevices::fDevices, r.fFru, p);
     }},
    {EFact::kIpmiMc, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       TMcInfo parsed = ParseIpmiMcInfo(t);
       const size_t count = parsed.fFields.fFields.size();
       return KeepWhole(std::move(parsed), r.fMc, p, count);
     }},
    {EFact::kMdStat, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseMdStat(t), &TMdStat::fArrays, r.fMdStat, p);
     }},
    {EFact::kKernelRingBuffer, ParseKernelLog},
    {EFact::kRoutes, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseIpRoute(t), &TIpRoutes::fRoutes, r.fRoutes, p);
     }},
    {EFact::kIpv6Routes, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       TIpRoutes parsed;
       const size_t count = Keep(ParseIpRoute(t), &TIpRoutes::fRoutes, parsed, p);
       for (TIpRoute& route : parsed.fRoutes) route.fFamily = "inet6";
       r.fRoutes.fRoutes.insert(r.fRoutes.fRoutes.end(), parsed.fRoutes.begin(), parsed.fRoutes.end());
       return count;
     }},
    {EFact::kResolvConf, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing&) {
       r.fNameServers = ParseResolvConf(t);
       return r.fNameServers.size();
     }},
    {EFact::kIpForwarding, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing&) {
       const std::string value = Trimmed(t);
       if (value == "0" || value == "1") r.fIpForwarding = value == "1";
       return size_t(r.fIpForwarding ? 1 : 0);
     }},
    {EFact::kKernelCounters, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing&) {
       r.fBootTime = ParseBootTime(t);
       return size_t(r.fBootTime ? 1 : 0);
     }},
    {EFact::kNetworkCounters, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseNetDev(t), &TNetDev::fInterfaces, r.fNetworkCounters, p);
     }},
    {EFact::kUsbDevices, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing& p) {
       return Keep(ParseLsusb(t), &TUsbDevices::fDevices, r.fUsb, p);
     }},
    {EFact::kTimeZoneName, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing&) {
       r.fTimeZoneName = Trimmed(t.substr(0, t.find('\n')));
       return size_t(r.fTimeZoneName.empty() ? 0 : 1);
     }},
    {EFact::kDate, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing&) {
       r.fDate = Trimmed(t);
       return size_t(r.fDate.empty() ? 0 : 1);
     }},
    {EFact::kDateUtc, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing&) {
       r.fDateUtc = Trimmed(t);
       return size_t(r.fDateUtc.empty() ? 0 : 1);
     }},
    {EFact::kTimeSettings, [](const std::string& t, const std::string&, TMachineRecords& r, TParsing&) {
       r.fTimeSettings = ParseTimedatectl(t);
       return size_t(r.fTimeSettings.fZoneName.empty() ? 0 : 1);
     }},
};

// Facts that only some machines have: their absence is information, not a fault.
bool IsOptional(EFact fact) {
  switch (fact) {
    case EFact::kDebianPackages: case EFact::kRpmPackages: case EFact::kSyslog: case EFact::kMessages:
    case EFact::kSmtControl: case EFact::kMdStat: case EFact::kModuleInfo: case EFact::kUsbDevices: case EFact::kTimeZoneName:
    case EFact::kIpv6Routes: case EFact::kResolvConf: case EFact::kSystemRelease: case EFact::kTimeSettings:
      return true;
    default:
      return false;
  }
}

class TCollector {
 public:
  TCollector(const TMachineTree& tree, const TCollectSettings& settings)
      : fTree(tree), fSettings(settings), fClock(CollectionClock(tree, settings)), fOut(fClock.fTime) {}

  TCollection Run() {
    for (const std::string& problem : fSettings.fEarlierProblems) fOut.Log(ELogType::kError, "collector.sos", problem);
    fOut.Log(ELogType::kInfo, "collector", "Collected from " + fSettings.fSourceName + ".");
    if (!fClock.fSaid.empty()) fOut.Log(fClock.fLevel, "collector.time", fClock.fSaid);
    for (const TStep& step : kSteps) {
      const TSource& source = SourceOf(step.fFact);
      ReadAndParse(source, step.fParse, step.fFact == EFact::kModuleInfo ? LoadedModuleNames() : std::vector<std::string>{});
    }
    ReadKernelAttributes();
    ReadTimeZoneLink();
    DateKernelMessages();
    if (fRecords.fPci.fFunctions.empty()) ReadPciFromSys();
    ReadPciEnableStates();
    ReadSmart();
    ReadProcessStats();
    SayWhatThisMachineLacks();
    MapMachine(fRecords, TDataSource{fSettings.fBuild + ", " + fSettings.fSourceName}, fOut);
    return std::move(fOut);
  }

 private:
  // When the machine was collected, and how that is known where the log
  // should say it.
  struct TCollectionClock {
    std::time_t fTime = 0;
    std::string fSaid;
    ELogType fLevel = ELogType::kInfo;
  };

  // A sos report was collected when sos ran, which its `date --utc` says;
  // without it, its `date` at the offset that timedatectl or the zone's
  // abbreviation gives; without either, when it is read.
  static TCollectionClock CollectionClock(const TMachineTree& tree, const TCollectSettings& settings) {
    const std::time_t now = std::time(nullptr);
    if (tree.IsLive()) return {now};
    const auto output = [&](EFact fact) {
      const TSourceText text = tree.Read(SourceOf(fact), settings.fLogBytes);
      return text.fRead ? text.fText : std::string();
    };
    if (const auto printed = UniversalTime(output(EFact::kDateUtc))) return {*printed};
    const std::string date = output(EFact::kDate);
    const std::string zoneFile = output(EFact::kTimeZoneName);
    std::string zoneName = Trimmed(zoneFile.substr(0, zoneFile.find('\n')));
    if (zoneName.empty()) zoneName = ZoneNameOfLink(tree);
    if (const auto clock = MachineClock(date, "", ParseTimedatectl(output(EFact::kTimeSettings)), zoneName)) {
      return {clock->fLocalAsIfUtc - clock->fOffsetMinutes * 60,
              "No date --utc: the collection time is date's, " + clock->fZone + " at " +
                  std::to_string(clock->fOffsetMinutes) + " minutes from UTC by " + clock->fOffsetFrom + "."};
    }
    if (DateZone(date).empty()) return {now};
    return {now,
            "No date --utc, and date's zone " + DateZone(date) + " has no known offset: the collection time is when "
            "the report was read.",
            ELogType::kWarning};
  }

  // Where /etc/timezone is missing (not Debian), /etc/localtime links to the
  // zone's file, on the machine and in a sos report alike.
  static std::string ZoneNameOfLink(const TMachineTree& tree) {
    const std::string target = tree.LinkTarget("/etc/localtime");
    const size_t zoneinfo = target.find("zoneinfo/");
    return zoneinfo == std::string::npos ? "" : target.substr(zoneinfo + 9);
  }

  // modinfo runs on the modules lsmod listed; a sos report stored its output.
  std::vector<std::string> LoadedModuleNames() const {
    std::vector<std::string> names;
    for (const TKernelModule& module : fRecords.fModules.fModules) names.push_back(module.fName);
    return names;
  }

  void ReadAndParse(const TSource& source, TParse parse, const std::vector<std::string>& extra) {
    if (fSettings.fProgress) fSettings.fProgress(source.fTitle);
    const std::string logSource = "collector." + source.fTitle;
    if (fTree.IsLive() && source.fFact == EFact::kModuleInfo && extra.empty()) return;
    if (fTree.IsLive() && source.fFact == EFact::kTimeSettings) return;  // date --utc is there
    TSourceText text = fTree.Read(source, fSettings.fLogBytes, extra);
    if (!text.fRead) {
      if (IsOptional(source.fFact) && (text.fProblem == "absent" || text.fProblem == "not installed" ||
                                       StartsWith(text.fProblem, "not in the sos report"))) {
        fOut.Log(ELogType::kInfo, logSource, text.fOrigin + ": " + text.fProblem + ".");
        return;
      }
      std::string why = text.fOrigin + ": " + text.fProblem;
      if (source.fNeedsRoot && fTree.IsLive() && ::geteuid() != 0) why += " (it needs root; this collection ran as a user)";
      fOut.Log(ELogType::kWarning, logSource, why + ".");
      return;
    }
    TParsing parsing{fSettings.fMaxRecordsPerSource, {}};
    const size_t count = parse(text.fText, text.fOrigin, fRecords, parsing);
    if (!source.fLog) fOut.KeepRaw(text.fOrigin, text.fText);
    std::string said = text.fOrigin + ": " + std::to_string(count) + " record(s) read";
    if (text.fTruncated) said += source.fLog ? ", the last " + std::to_string(fSettings.fLogBytes >> 10) + " KiB kept"
                                             : ", cut at " + std::to_string(source.fMaxBytes >> 10) + " KiB";
    fOut.Log(count == 0 && !IsOptional(source.fFact) ? ELogType::kWarning : ELogType::kInfo, logSource,
             said + (count == 0 ? ": " + FirstLines(text.fText) : "."));
    if (count > parsing.fLimit) {
      fOut.Log(ELogType::kWarning, logSource,
               text.fOrigin + ": " + std::to_string(count - parsing.fLimit) + " record(s) beyond the bound of " +
                   std::to_string(parsing.fLimit) + " left out" + (source.fLog ? " (the oldest)." : "."));
    }
    LogWarnings(logSource, text.fOrigin, parsing.fWarnings);
  }

  static std::string FirstLines(const std::string& text) {
    std::string start = Trimmed(text.substr(0, 300));
    for (char& c : start) c = c == '\n' ? ' ' : c;
    return start.empty() ? "the output is empty." : "\"" + start + "\"";
  }

  void LogWarnings(const std::string& logSource, const std::string& origin, const std::vector<TParseWarning>& warnings) {
    for (size_t i = 0; i < warnings.size() && i < kWarningsLogged; ++i) {
      fOut.Log(ELogType::kWarning, logSource,
               origin + ":" + std::to_string(warnings[i].fLine) + ": " + warnings[i].fText);
    }
    if (warnings.size() > kWarningsLogged) {
      fOut.Log(ELogType::kWarning, logSource,
               origin + ": " + std::to_string(warnings.size() - kWarningsLogged) + " more line(s) skipped.");
    }
  }

  // What the kernel shows of SMBIOS and of network links in /sys; a sos
  // report copies /sys/class/dmi/id too.
  void ReadKernelAttributes() {
    fRecords.fDmiId = fTree.ReadAttributes("/sys/class/dmi/id",
                                           {"sys_vendor", "product_name", "product_version", "product_serial",
                                            "product_uuid", "board_vendor", "board_name", "board_version",
                                            "board_serial", "bios_vendor", "bios_version", "bios_date", "bios_release"});
    for (const TNetInterface& interface : fRecords.fInterfaces.fInterfaces) {
      const std::string folder = "/sys/class/net/" + interface.fName;
      fRecords.fSysNet[interface.fName] = ReadSysNetInterface(
          interface.fName, fTree.ReadAttributes(folder, {"speed", "duplex", "operstate", "address", "mtu", "carrier"}));
      const std::string driver = ReadDriver(interface.fName);
      if (!driver.empty()) fRecords.fDrivers[interface.fName] = driver;
    }
  }

  // The driver /sys links a network device to; a sos report keeps ethtool's
  // word instead. Virtual interfaces have neither.
  std::string ReadDriver(const std::string& interface) {
    const std::string link = fTree.LinkTarget("/sys/class/net/" + interface + "/device/driver");
    if (!link.empty()) return link.substr(link.rfind('/') + 1);
    if (fTree.IsLive()) return "";
    const TSourceText text = fTree.Read(InterfaceDriverSource(interface), fSettings.fLogBytes);
    if (!text.fRead) return "";
    fOut.KeepRaw(text.fOrigin, text.fText);
    return ParseEthtoolDriver(text.fText);
  }

  void ReadTimeZoneLink() {
    if (fRecords.fTimeZoneName.empty()) fRecords.fTimeZoneName = ZoneNameOfLink(fTree);
  }

  // The kernel stamps its messages with the seconds since boot; the boot
  // time makes them times of day.
  void DateKernelMessages() {
    if (!fRecords.fUptimeSeconds) return;
    const std::time_t boot = fOut.Collected() - static_cast<std::time_t>(*fRecords.fUptimeSeconds);
    for (TNamedLog& log : fRecords.fLogs) {
      if (log.fName == "dmesg") DateSinceBoot(log.fLog, boot);
    }
  }

  // Without lspci (or its output), the kernel's own list of PCI functions:
  // ids, class and driver, named through the PCI ID database.
  void ReadPciFromSys() {
    const std::string folder = "/sys/bus/pci/devices";
    for (const std::string& address : fTree.List(folder)) {
      const std::map<std::string, std::string> files = fTree.ReadAttributes(
          folder + "/" + address, {"vendor", "device", "class", "subsystem_vendor", "subsystem_device"});
      auto hex = [&files](const std::string& name, size_t digits) {
        const auto file = files.find(name);
        return file == files.end() || file->second.size() < 2 + digits ? "" : file->second.substr(2, digits);
      };
      TPciFunction function;
      function.fAddress = address;
      function.fVendorId = hex("vendor", 4);
      function.fDeviceId = hex("device", 4);
      function.fClassId = hex("class", 4);
      function.fSubsystemVendorId = hex("subsystem_vendor", 4);
      function.fSubsystemDeviceId = hex("subsystem_device", 4);
      function.fName = PciFunctionName(function.fVendorId, function.fDeviceId);
      const std::string driver = fTree.LinkTarget(folder + "/" + address + "/driver");
      function.fDriver = driver.substr(driver.rfind('/') + 1);
      fRecords.fPci.fFunctions.push_back(std::move(function));
    }
    if (!fRecords.fPci.fFunctions.empty()) {
      fOut.Log(ELogType::kInfo, "collector.PCI devices",
               folder + ": " + std::to_string(fRecords.fPci.fFunctions.size()) + " PCI function(s) read instead.");
    }
  }

  // Whether the kernel turned each function on, which lspci does not say.
  void ReadPciEnableStates() {
    for (TPciFunction& function : fRecords.fPci.fFunctions) {
      if (function.fAddress.find('/') != std::string::npos) continue;
      const std::map<std::string, std::string> files =
          fTree.ReadAttributes("/sys/bus/pci/devices/" + function.fAddress, {"enable"});
      const auto enable = files.find("enable");
      if (enable != files.end() && WholeNumber(enable->second)) function.fEnabled = *WholeNumber(enable->second) > 0;
    }
  }

  // The disks of lsblk that smartctl knows (sd*, nvme*, hd*), and in a sos
  // report every disk sos ran smartctl on, which lsblk may not have listed.
  std::set<std::string> SmartDisks() const {
    std::set<std::string> disks;
    for (const TBlockDevice& device : fRecords.fBlockDevices.fDevices) {
      if (device.Column("TYPE") != "disk") continue;
      if (StartsWith(device.fName, "sd") || StartsWith(device.fName, "nvme") || StartsWith(device.fName, "hd")) {
        disks.insert(device.fName);
      }
    }
    if (fTree.IsLive()) return disks;
    for (const auto& [folder, prefix] : kSosSmartOutputs) {
      for (const std::string& name : fTree.List(folder)) {
        if (StartsWith(name, prefix) && name.size() > prefix.size()) disks.insert(name.substr(prefix.size()));
      }
    }
    return disks;
  }

  // ps prints the sum of user and kernel time, to the second; the kernel
  // keeps them apart, in clock ticks, with the exact start and the priority.
  void ReadProcessStats() {
    if (!fTree.IsLive()) return;
    fRecords.fClockTicks = ::sysconf(_SC_CLK_TCK);
    for (const TProcess& process : fRecords.fProcesses.fProcesses) {
      const std::string pid = process.Column("PID");
      std::string text;
      if (!WholeNumber(pid) || !fTree.ReadFile("/proc/" + pid + "/stat", 4096, text)) continue;
      if (const auto times = ParseProcessStat(text)) fRecords.fProcessStats[pid] = *times;
    }
  }

  void ReadSmart() {
    for (const std::string& disk : SmartDisks()) {
      const TSource source = DiskSmartSource(disk);
      TSourceText text = fTree.Read(source, fSettings.fLogBytes);
      if (!text.fRead) {
        fOut.Log(ELogType::kWarning, "collector.SMART", text.fOrigin + ": " + text.fProblem + ".");
        continue;
      }
      const bool json = Trimmed(text.fText).substr(0, 1) == "{";
      TSmartDevice device = json ? ParseSmartctlJson(text.fText) : ParseSmartctlText(text.fText);
      fOut.KeepRaw(text.fOrigin, text.fText);
      // Drive Health shows a drive by its model or its health: an output
      // with neither (SMART off, a bridge smartctl cannot pass) says why.
      if (device.fModel.empty() && device.fHealth.empty()) {
        fOut.Log(ELogType::kWarning, "collector.SMART", text.fOrigin + ": no drive model or health read: " + FirstLines(text.fText));
        continue;
      }
      fRecords.fSmart.emplace_back(disk, std::move(device));
    }
  }

  // Containers and virtual machines have no SMBIOS, sensors or IPMI: the
  // log says so, so an empty page reads as "nothing there", not as a fault.
  void SayWhatThisMachineLacks() {
    if (fRecords.fDmi.fStructures.empty()) {
      fOut.Log(ELogType::kWarning, "collector.hardware",
               fRecords.fDmiId.empty() ? "No SMBIOS tables: this machine shows none (a container or a virtual "
                                         "machine without them); system, BIOS, memory and slot facts are missing."
                                       : "No SMBIOS tables read; system, board and BIOS identity come from "
                                         "/sys/class/dmi/id; memory modules and slots are missing.");
    }
    if (fRecords.fSensors.fChips.empty() && fRecords.fSdr.fSensors.empty()) {
      fOut.Log(ELogType::kInfo, "collector.sensors", "No sensors found (no lm-sensors chips, no IPMI sensors).");
    }
    if (fRecords.fSel.fEvents.empty() && fRecords.fMc.fFields.fFields.empty()) {
      fOut.Log(ELogType::kInfo, "collector.ipmi", "No IPMI controller answered; no IPMI event log, FRU or firmware.");
    }
  }

  const TMachineTree& fTree;
  const TCollectSettings& fSettings;
  const TCollectionClock fClock;
  TCollection fOut;
  TMachineRecords fRecords;
};

}  // namespace

TCollection CollectMachine(const TMachineTree& tree, const TCollectSettings& settings) {
  return TCollector(tree, settings).Run();
}

}  // namespace NVKXQZA20::NMachine
