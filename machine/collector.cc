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

// Parses one output into the records; answers how many records it made and
// appends the parser's warnings.
typedef size_t (*TParse)(const std::string& text, const std::string& origin, TMachineRecords& records,
                         std::vector<TParseWarning>& warnings);

template <class TRecords>
size_t Keep(TRecords parsed, TRecords& into, std::vector<TParseWarning>& warnings, size_t count) {
  warnings.insert(warnings.end(), parsed.fWarnings.begin(), parsed.fWarnings.end());
  into = std::move(parsed);
  return count;
}

size_t ParseLog(const std::string& text, const std::string& origin, TMachineRecords& records,
                std::vector<TParseWarning>& warnings) {
  const bool json = text.find_first_not_of(" \n") != std::string::npos && text[text.find_first_not_of(" \n")] == '{';
  TNamedLog log{origin, json ? ParseJournalJson(text) : ParseSyslog(text)};
  if (StartsWith(origin, "journalctl") || origin.find("journalctl_") != std::string::npos) log.fName = "journal";
  warnings.insert(warnings.end(), log.fLog.fWarnings.begin(), log.fLog.fWarnings.end());
  const size_t count = log.fLog.fEntries.size();
  if (count > 0) records.fLogs.push_back(std::move(log));
  return count;
}

size_t AppendPackages(TPackages parsed, TMachineRecords& records, std::vector<TParseWarning>& warnings) {
  warnings.insert(warnings.end(), parsed.fWarnings.begin(), parsed.fWarnings.end());
  const size_t count = parsed.fPackages.size();
  records.fPackages.fPackages.insert(records.fPackages.fPackages.end(), parsed.fPackages.begin(),
                                     parsed.fPackages.end());
  return count;
}

struct TStep {
  EFact fFact;
  TParse fParse;
};

// How each fact's output is parsed; the order is the order of reading.
const TStep kSteps[] = {
    {EFact::kHostName, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>&) {
       r.fHostName = Trimmed(t.substr(0, t.find('\n')));
       return size_t(r.fHostName.empty() ? 0 : 1);
     }},
    {EFact::kKernel, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>&) {
       r.fUname = t;
       return size_t(Words(t).size() >= 4 ? 1 : 0);
     }},
    {EFact::kOsRelease, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       return Keep(ParseOsRelease(t), r.fOsRelease, w, 1);
     }},
    {EFact::kUptime, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>&) {
       r.fUptimeSeconds = ParseLeadingNumber(t);
       return size_t(r.fUptimeSeconds ? 1 : 0);
     }},
    {EFact::kCpuInfo, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TCpuInfo parsed = ParseCpuInfo(t);
       const size_t count = parsed.fProcessors.size();
       return Keep(std::move(parsed), r.fCpuInfo, w, count);
     }},
    {EFact::kMemInfo, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TMemInfo parsed = ParseMemInfo(t);
       const size_t count = parsed.fEntries.size();
       return Keep(std::move(parsed), r.fMemInfo, w, count);
     }},
    {EFact::kDmidecode, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TDmiRecords parsed = ParseDmidecode(t);
       const size_t count = parsed.fStructures.size();
       return Keep(std::move(parsed), r.fDmi, w, count);
     }},
    {EFact::kPci, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TPciRecords parsed = ParseLspci(t);
       const size_t count = parsed.fFunctions.size();
       return Keep(std::move(parsed), r.fPci, w, count);
     }},
    {EFact::kBlockDevices, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TBlockDevices parsed = ParseLsblk(t);
       const size_t count = parsed.fDevices.size();
       return Keep(std::move(parsed), r.fBlockDevices, w, count);
     }},
    {EFact::kMounts, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TMounts parsed = ParseMounts(t);
       const size_t count = parsed.fMounts.size();
       return Keep(std::move(parsed), r.fMounts, w, count);
     }},
    {EFact::kDiskSpace, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TDiskSpaces parsed = ParseDf(t);
       const size_t count = parsed.fFileSystems.size();
       return Keep(std::move(parsed), r.fDiskSpace, w, count);
     }},
    {EFact::kNetworkAddresses, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TNetInterfaces parsed = ParseIpAddress(t);
       const size_t count = parsed.fInterfaces.size();
       return Keep(std::move(parsed), r.fInterfaces, w, count);
     }},
    {EFact::kDebianPackages, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       return AppendPackages(ParseDpkgList(t), r, w);
     }},
    {EFact::kRpmPackages, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       return AppendPackages(ParseRpmList(t), r, w);
     }},
    {EFact::kKernelModules, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TKernelModules parsed = ParseLsmod(t);
       const size_t count = parsed.fModules.size();
       return Keep(std::move(parsed), r.fModules, w, count);
     }},
    {EFact::kModuleInfo, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TModuleInfos parsed = ParseModinfo(t);
       const size_t count = parsed.fModules.size();
       return Keep(std::move(parsed), r.fModuleInfo, w, count);
     }},
    {EFact::kProcesses, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TProcesses parsed = ParsePs(t);
       const size_t count = parsed.fProcesses.size();
       return Keep(std::move(parsed), r.fProcesses, w, count);
     }},
    {EFact::kSyslog, ParseLog},
    {EFact::kMessages, ParseLog},
    {EFact::kJournal, ParseLog},
    {EFact::kSensors, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TSensors parsed = ParseSensors(t);
       const size_t count = parsed.fChips.size();
       return Keep(std::move(parsed), r.fSensors, w, count);
     }},
    {EFact::kIpmiSel, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TSelEvents parsed = ParseIpmiSel(t);
       const size_t count = parsed.fEvents.size();
       return Keep(std::move(parsed), r.fSel, w, count);
     }},
    {EFact::kIpmiSdr, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TSdrSensors parsed = ParseIpmiSdr(t);
       const size_t count = parsed.fSensors.size();
       return Keep(std::move(parsed), r.fSdr, w, count);
     }},
    {EFact::kIpmiFru, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TFruDevices parsed = ParseIpmiFru(t);
       const size_t count = parsed.fDevices.size();
       return Keep(std::move(parsed), r.fFru, w, count);
     }},
    {EFact::kIpmiMc, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TMcInfo parsed = ParseIpmiMcInfo(t);
       const size_t count = parsed.fFields.fFields.size();
       return Keep(std::move(parsed), r.fMc, w, count);
     }},
    {EFact::kMdStat, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TMdStat parsed = ParseMdStat(t);
       const size_t count = parsed.fArrays.size();
       return Keep(std::move(parsed), r.fMdStat, w, count);
     }},
    {EFact::kKernelRingBuffer, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>&) {
       r.fKernelRingBuffer = t;
       return size_t(std::count(t.begin(), t.end(), '\n'));
     }},
    {EFact::kRoutes, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TIpRoutes parsed = ParseIpRoute(t);
       const size_t count = parsed.fRoutes.size();
       return Keep(std::move(parsed), r.fRoutes, w, count);
     }},
    {EFact::kNetworkCounters, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TNetDev parsed = ParseNetDev(t);
       const size_t count = parsed.fInterfaces.size();
       return Keep(std::move(parsed), r.fNetworkCounters, w, count);
     }},
    {EFact::kUsbDevices, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>& w) {
       TUsbDevices parsed = ParseLsusb(t);
       const size_t count = parsed.fDevices.size();
       return Keep(std::move(parsed), r.fUsb, w, count);
     }},
    {EFact::kTimeZoneName, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>&) {
       r.fTimeZoneName = Trimmed(t.substr(0, t.find('\n')));
       return size_t(r.fTimeZoneName.empty() ? 0 : 1);
     }},
    {EFact::kDate, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>&) {
       r.fDate = Trimmed(t);
       return size_t(r.fDate.empty() ? 0 : 1);
     }},
    {EFact::kDateUtc, [](const std::string& t, const std::string&, TMachineRecords& r, std::vector<TParseWarning>&) {
       r.fDateUtc = Trimmed(t);
       return size_t(r.fDateUtc.empty() ? 0 : 1);
     }},
};

// Facts that only some machines have: their absence is information, not a fault.
bool IsOptional(EFact fact) {
  switch (fact) {
    case EFact::kDebianPackages: case EFact::kRpmPackages: case EFact::kSyslog: case EFact::kMessages:
    case EFact::kMdStat: case EFact::kModuleInfo: case EFact::kUsbDevices: case EFact::kTimeZoneName:
      return true;
    default:
      return false;
  }
}

class TCollector {
 public:
  TCollector(const TMachineTree& tree, const TCollectSettings& settings)
      : fTree(tree), fSettings(settings), fOut(CollectionTime(tree, settings)) {}

  TCollection Run() {
    for (const std::string& problem : fSettings.fEarlierProblems) fOut.Log(ELogType::kError, "collector.sos", problem);
    fOut.Log(ELogType::kInfo, "collector", "Collected from " + fSettings.fSourceName + ".");
    for (const TStep& step : kSteps) {
      const TSource& source = SourceOf(step.fFact);
      ReadAndParse(source, step.fParse, step.fFact == EFact::kModuleInfo ? LoadedModuleNames() : std::vector<std::string>{});
    }
    ReadKernelAttributes();
    ReadTimeZoneLink();
    if (fRecords.fPci.fFunctions.empty()) ReadPciFromSys();
    ReadSmart();
    SayWhatThisMachineLacks();
    MapMachine(fRecords, TDataSource{fSettings.fBuild + ", " + fSettings.fSourceName}, fOut);
    return std::move(fOut);
  }

 private:
  // A sos report was collected when sos ran, which its `date --utc` says;
  // without that output, when it is read.
  static std::time_t CollectionTime(const TMachineTree& tree, const TCollectSettings& settings) {
    if (tree.IsLive()) return std::time(nullptr);
    const TSourceText text = tree.Read(SourceOf(EFact::kDateUtc), settings.fLogBytes);
    const std::optional<std::time_t> printed = text.fRead ? UniversalTime(text.fText) : std::nullopt;
    return printed ? *printed : std::time(nullptr);
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
    std::vector<TParseWarning> warnings;
    const size_t count = parse(text.fText, text.fOrigin, fRecords, warnings);
    if (!source.fLog) fOut.KeepRaw(text.fOrigin, text.fText);
    std::string said = text.fOrigin + ": " + std::to_string(count) + " record(s) read";
    if (text.fTruncated) said += source.fLog ? ", the last " + std::to_string(fSettings.fLogBytes >> 10) + " KiB kept"
                                             : ", cut at " + std::to_string(source.fMaxBytes >> 10) + " KiB";
    fOut.Log(count == 0 && !IsOptional(source.fFact) ? ELogType::kWarning : ELogType::kInfo, logSource,
             said + (count == 0 ? ": " + FirstLines(text.fText) : "."));
    LogWarnings(logSource, text.fOrigin, warnings);
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
    }
  }

  // Where /etc/timezone is missing (not Debian), /etc/localtime links to the
  // zone's file, on the machine and in a sos report alike.
  void ReadTimeZoneLink() {
    if (!fRecords.fTimeZoneName.empty()) return;
    const std::string target = fTree.LinkTarget("/etc/localtime");
    const size_t zoneinfo = target.find("zoneinfo/");
    if (zoneinfo != std::string::npos) fRecords.fTimeZoneName = target.substr(zoneinfo + 9);
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

  void ReadSmart() {
    for (const std::string& disk : SmartDisks()) {
      const TSource source = DiskSmartSource(disk);
      TSourceText text = fTree.Read(source, fSettings.fLogBytes);
      if (!text.fRead) {
        fOut.Log(ELogType::kWarning, "collector.SMART", text.fOrigin + ": " + text.fProblem + ".");
        continue;
      }
      const bool json = Trimmed(text.fText).substr(0, 1) == "{";
      fRecords.fSmart.emplace_back(disk, json ? ParseSmartctlJson(text.fText) : ParseSmartctlText(text.fText));
      fOut.KeepRaw(text.fOrigin, text.fText);
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
  TCollection fOut;
  TMachineRecords fRecords;
};

}  // namespace

TCollection CollectMachine(const TMachineTree& tree, const TCollectSettings& settings) {
  return TCollector(tree, settings).Run();
}

}  // namespace NVKXQZA20::NMachine
