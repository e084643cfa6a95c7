// The system, its firmware, processors, memory, PCI functions, slots and the
// health sources (sensors, IPMI, SMART), as the overview, hardware, PCI,
// firmware and environmental pages read them.
#include <time.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <set>

#include "machine/machine_mapping.h"
#include "machine/mapping_text.h"
#include "machine/pci_names.h"

namespace NVKXQZA20::NMachine {

namespace {

const char kSystemAlias[] = "System";
const char kBoardAlias[] = "Planar";
const int kLinuxOSType = 36;      // CIM_OperatingSystem.OSType "LINUX"
const int kRunning = 3;           // CIM_SoftwareElement.SoftwareElementState
const int kCpuEnabled = 1;        // CIM_Processor.CPUStatus

// A dmidecode field of the first structure of a type, or a /sys/class/dmi/id
// file, which holds the same strings (those readable without root).
std::string DmiText(const TMachineRecords& records, unsigned type, const std::string& field, const std::string& idFile) {
  for (const TDmiStructure* structure : records.fDmi.OfType(type)) {
    const std::string value = Meaningful(structure->fFields.Value(field));
    if (!value.empty()) return value;
  }
  const auto id = records.fDmiId.find(idFile);
  return id == records.fDmiId.end() ? "" : Meaningful(id->second);
}

// "08/14/2026" as a CIM datetime.
std::string DmiDate(const std::string& text) {
  unsigned month = 0, day = 0, year = 0;
  if (std::sscanf(text.c_str(), "%u/%u/%u", &month, &day, &year) != 3 || month > 12 || day > 31) return "";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04u%02u%02u000000.000000+000", year, month, day);
  return buffer;
}

// A CIM interval: ddddddddhhmmss.mmmmmm:000.
std::string CimInterval(double seconds) {
  long long whole = static_cast<long long>(seconds);
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%08lld%02lld%02lld%02lld.000000:000", whole / 86400, whole / 3600 % 24,
                whole / 60 % 60, whole % 60);
  return buffer;
}

struct TUname {
  std::string fKernelName, fRelease, fVersion, fMachine;
};

// uname -a: "Linux HOST RELEASE VERSION... MACHINE [PROCESSOR PLATFORM] GNU/Linux";
// the version has spaces, the machine names repeat.
TUname ParseUname(const std::string& text) {
  std::vector<std::string> words = Words(text.substr(0, text.find('\n')));
  TUname uname;
  if (words.size() < 4) return uname;
  uname.fKernelName = words[0];
  uname.fRelease = words[2];
  size_t end = words.size();
  if (words[end - 1].find("Linux") != std::string::npos) --end;
  uname.fMachine = words[end - 1];
  while (end > 4 && words[end - 2] == uname.fMachine) --end;
  --end;
  for (size_t i = 3; i < end; ++i) uname.fVersion += (i == 3 ? "" : " ") + words[i];
  return uname;
}

void MapDataSource(const TDataSource& source, TCollection& out) {
  TMofInstance product("VKXSG_QZAProduct", "QZA");
  product.Set("Name", "qzareport collect").Set("Version", "1.3").Set("Build", source.fBuild)
      .Set("CollectionTime", CimDateTime(out.Collected()));
  out.Add(product);
}

// The hypervisor of a virtual machine: lscpu's "Hypervisor vendor", else the
// kernel's "Hypervisor detected: KVM" at boot; "" on bare metal.
std::string Hypervisor(const TMachineRecords& records) {
  const std::string vendor = Trimmed(records.fLscpu.fFields.Value("Hypervisor vendor"));
  if (!vendor.empty()) return vendor;
  const std::string detected = "Hypervisor detected: ";
  for (const TNamedLog& log : records.fLogs) {
    if (log.fName != "dmesg") continue;
    for (const TLogEntry& entry : log.fLog.fEntries) {
      if (StartsWith(entry.fMessage, detected)) return Trimmed(entry.fMessage.substr(detected.size()));
    }
  }
  return "";
}

void MapComputerSystem(const TMachineRecords& records, TCollection& out) {
  const std::string host = Trimmed(records.fHostName);
  // Many white-box servers leave the system strings to the integrator, who
  // leaves them as placeholders: the board's maker and name then say most.
  std::string maker = DmiText(records, kDmiSystem, "Manufacturer", "sys_vendor");
  if (maker.empty()) maker = DmiText(records, kDmiBaseboard, "Manufacturer", "board_vendor");
  std::string product = DmiText(records, kDmiSystem, "Product Name", "product_name");
  if (product.empty()) product = DmiText(records, kDmiBaseboard, "Product Name", "board_name");
  // A guest without SMBIOS names no product, but knows what it runs on.
  const std::string hypervisor = Hypervisor(records);
  if (product.empty() && !hypervisor.empty()) product = hypervisor + " virtual machine";
  TMofInstance system("VKXSG_ComputerSystem", kSystemAlias);
  system.Set("CreationClassName", "VKXSG_ComputerSystem").Set("Name", host.empty() ? "localhost" : host)
      .SetIfAny("ElementName", host.substr(0, host.find('.'))).SetIfAny("Manufacturer", maker)
      .SetIfAny("ProductName", product)
      .SetIfAny("Version", DmiText(records, kDmiSystem, "Version", "product_version"))
      .SetIfAny("SerialNumber", DmiText(records, kDmiSystem, "Serial Number", "product_serial"))
      .SetIfAny("UUID", DmiText(records, kDmiSystem, "UUID", "product_uuid"));
  out.Add(system);

  const std::string boardName = DmiText(records, kDmiBaseboard, "Product Name", "board_name");
  const std::string boardMaker = DmiText(records, kDmiBaseboard, "Manufacturer", "board_vendor");
  const std::string boardSerial = DmiText(records, kDmiBaseboard, "Serial Number", "board_serial");
  // A board its maker left unnamed is still told apart by its serial number.
  if (boardName.empty() && boardMaker.empty() && boardSerial.empty()) return;
  TMofInstance board("VKXSG_SystemBoard", kBoardAlias);
  board.Set("CreationClassName", "VKXSG_SystemBoard").Set("Tag", "System Board").SetBool("HostingBoard", true)
      .SetIfAny("Manufacturer", boardMaker).SetIfAny("Model", boardName)
      .SetIfAny("Version", DmiText(records, kDmiBaseboard, "Version", "board_version"))
      .SetIfAny("SerialNumber", boardSerial)
      .Set("SlotAllInfo", "Onboard");
  out.Add(board);
}

void MapMemoryUse(const TMemInfo& memory, TMofInstance& os) {
  const auto total = memory.Get("MemTotal");
  const auto available = memory.Get("MemAvailable") ? memory.Get("MemAvailable") : memory.Get("MemFree");
  if (total) os.SetNumber("TotalVisibleMemorySize", ECimInteger::kUint64, *total / 1024);
  if (available) os.SetNumber("FreePhysicalMemory", ECimInteger::kUint64, *available / 1024);
  if (total && available && *total > 0) {
    os.SetNumber("MemoryLoad", ECimInteger::kUint32, static_cast<long long>(std::lround(100.0 * (*total - *available) / *total)));
  }
  if (const auto cached = memory.Get("Cached")) os.SetNumber("SystemCache", ECimInteger::kUint64, *cached / 1024);
  if (const auto swap = memory.Get("SwapTotal")) os.SetNumber("TotalSwapSpaceSize", ECimInteger::kUint64, *swap / 1024);
  if (const auto free = memory.Get("SwapFree")) os.SetNumber("FreeSwapSpaceSize", ECimInteger::kUint64, *free / 1024);
}

void MapOperatingSystem(const TMachineRecords& records, TCollection& out) {
  const TFieldBlock& release = records.fOsRelease.fFields;
  const TUname uname = ParseUname(records.fUname);
  // The most telling name: os-release's full one, else the older release
  // file's line, which names the edition too.
  std::string name = release.Value("PRETTY_NAME");
  if (name.empty()) name = records.fSystemRelease.fName;
  if (name.empty()) name = Trimmed(release.Value("NAME") + " " + release.Value("VERSION"));
  if (name.empty()) name = uname.fKernelName.empty() ? "Linux" : uname.fKernelName;
  std::string version = release.Value("VERSION_ID");
  if (version.empty()) version = records.fSystemRelease.fVersion;
  TMofInstance os("VKXSG_OperatingSystem", "OS");
  os.Set("CreationClassName", "VKXSG_OperatingSystem").Set("Name", name).SetNumber("OSType", ECimInteger::kUint16, kLinuxOSType)
      .SetIfAny("Version", version).SetIfAny("BuildID", uname.fVersion)
      .SetIfAny("ProductVendor", release.Value("ID"))
      .SetIfAny("KernelName", uname.fKernelName).SetIfAny("KernelRelease", uname.fRelease)
      .SetIfAny("HardwarePlatform", uname.fMachine);
  if (records.fUptimeSeconds) {
    os.Set("UpTime", CimInterval(*records.fUptimeSeconds))
        .Set("LastBootUpTime", CimDateTime(out.Collected() - static_cast<std::time_t>(*records.fUptimeSeconds)));
  }
  if (!records.fProcesses.fProcesses.empty()) {
    os.SetNumber("ProcessCount", ECimInteger::kUint32, static_cast<long long>(records.fProcesses.fProcesses.size()));
  }
  MapMemoryUse(records.fMemInfo, os);
  if (!records.fKernelRingBuffer.empty()) {
    os.Set("KernelRingBufferName", "dmesg").Set("KernelRingBufferContents", records.fKernelRingBuffer);
  }
  if (!records.fKernelCommandLine.empty()) {
    os.Set("BootConfigurationFileName", "/proc/cmdline")
        .Set("BootConfigurationFileContents", records.fKernelCommandLine);
  }
  os.SetNumber("EnabledState", ECimInteger::kUint16, 2).SetNumbers("OperationalStatus", ECimInteger::kUint16, {2});
  out.Add(os);
}

// The zone's name, its abbreviation and offset, and the local time the
// machine showed: `date` and `date --utc` print one moment, so their
// difference is the offset.
void MapTimeZone(const TMachineRecords& records, TCollection& out) {
  const std::optional<TMachineClock> clock =
      MachineClock(records.fDate, records.fDateUtc, records.fTimeSettings, records.fTimeZoneName);
  if (!clock && records.fTimeZoneName.empty()) return;
  TMofInstance zone("VKXSG_TimeZone");
  zone.Set("InstanceID", "VKX:TimeZone:0");
  std::string described = records.fTimeZoneName;
  if (clock) {
    char signedOffset[48];
    std::snprintf(signedOffset, sizeof signedOffset, "%c%02ld%02ld", clock->fOffsetMinutes < 0 ? '-' : '+',
                  std::labs(clock->fOffsetMinutes) / 60, std::labs(clock->fOffsetMinutes) % 60);
    described = Trimmed(described + " (" + clock->fZone + ", " + signedOffset + ")");
    zone.Set("LocalDateTime", CimLocalTime(clock->fLocalAsIfUtc, clock->fOffsetMinutes))
        .Set("GMTDateTime", CimLocalTime(clock->fLocalAsIfUtc - clock->fOffsetMinutes * 60, 0));
  }
  zone.SetIfAny("TheTimeZone", described);
  out.Add(zone);
}

void MapBios(const TMachineRecords& records, TCollection& out) {
  const std::string version = DmiText(records, kDmiBios, "Version", "bios_version");
  if (version.empty()) return;
  TMofInstance bios("VKXSG_BIOSElement");
  bios.Set("Name", "BIOS").Set("SoftwareElementID", "BIOS").Set("Version", version)
      .SetIfAny("Manufacturer", DmiText(records, kDmiBios, "Vendor", "bios_vendor"))
      .SetIfAny("ReleaseDate", DmiDate(DmiText(records, kDmiBios, "Release Date", "bios_date")))
      .SetIfAny("BuildNumber", DmiText(records, kDmiBios, "BIOS Revision", "bios_release"))
      .SetBool("PrimaryBIOS", true).SetNumber("SoftwareElementState", ECimInteger::kUint16, kRunning);
  out.Add(bios);
}

std::optional<long long> Megahertz(const std::string& text) {
  const auto number = ParseLeadingNumber(text);
  if (!number || *number <= 0) return std::nullopt;
  return std::llround(text.find("GHz") != std::string::npos ? *number * 1000 : *number);
}

// CIM_Processor.LnOperationalMode of SMBIOS's "Operational Mode".
const std::pair<const char*, int> kCacheModes[] = {
    {"Write Through", 0}, {"Write Back", 1}, {"Varies With Memory Address", 2}, {"Unknown", 3}};

// The cache a processor names by handle ("L2 Cache Handle: 0x0701"); older
// firmware names none ("Not Provided"), and then a cache is the processor's
// only when it is the one cache of that level.
const TDmiStructure* CacheOf(const TDmiRecords& dmi, const TFieldBlock& cpu, int level) {
  const std::string levelText = "Level " + std::to_string(level);
  std::vector<const TDmiStructure*> ofLevel;
  for (const TDmiStructure* cache : dmi.OfType(kDmiCache)) {
    const std::string configuration = cache->fFields.Value("Configuration");
    if (configuration.size() >= levelText.size() &&
        configuration.compare(configuration.size() - levelText.size(), levelText.size(), levelText) == 0) {
      ofLevel.push_back(cache);
    }
  }
  const std::string handle = cpu.Value("L" + std::to_string(level) + " Cache Handle");
  if (StartsWith(handle, "0x")) {
    const unsigned wanted = static_cast<unsigned>(std::strtoul(handle.c_str(), nullptr, 16));
    for (const TDmiStructure* cache : ofLevel) {
      if (cache->fHandle == wanted) return cache;
    }
    return nullptr;
  }
  return ofLevel.size() == 1 ? ofLevel.front() : nullptr;
}

void MapProcessorCaches(const TDmiRecords& dmi, const TFieldBlock& cpu, TMofInstance& processor) {
  for (int level = 1; level <= 3; ++level) {
    const TDmiStructure* cache = CacheOf(dmi, cpu, level);
    if (!cache) continue;
    const std::string prefix = "L" + std::to_string(level);
    processor.SetBool(prefix + "Enabled", StartsWith(cache->fFields.Value("Configuration"), "Enabled"));
    for (const auto& [text, mode] : kCacheModes) {
      if (cache->fFields.Value("Operational Mode") == text) processor.SetNumber(prefix + "OperationalMode", ECimInteger::kUint16, mode);
    }
  }
}

// The stepping with what places it: "7 (family 6, model 85, microcode
// 0x5003604)". The page shows no family, model or microcode of their own,
// and Stepping is the processor's free-form revision within its family.
std::string SteppingText(const std::string& stepping, const std::string& family, const std::string& model,
                         const std::string& microcode) {
  std::string placed;
  for (const auto& [label, value] : {std::pair{"family ", family}, {"model ", model}, {"microcode ", microcode}}) {
    if (!value.empty()) placed += (placed.empty() ? "" : ", ") + std::string(label) + value;
  }
  if (placed.empty()) return stepping;
  return stepping.empty() ? placed : stepping + " (" + placed + ")";
}

// "Type 0, Family 6, Model 85, Stepping 7": the number after the word.
std::string SignaturePart(const std::string& signature, const std::string& word) {
  const size_t at = signature.find(word + " ");
  if (at == std::string::npos) return "";
  const size_t start = at + word.size() + 1;
  return Trimmed(signature.substr(start, signature.find(',', start) - start));
}

void MapDmiProcessor(const TDmiRecords& dmi, const TDmiStructure& cpu, const std::string& microcode,
                     TCollection& out) {
  TMofInstance processor("VKXSG_Processor");
  const TFieldBlock& f = cpu.fFields;
  processor.Set("CreationClassName", "VKXSG_Processor").Set("DeviceID", out.UniqueKey("processor", Trimmed(f.Value("Socket Designation"))))
      .SetIfAny("Name", Meaningful(f.Value("Version"))).SetIfAny("Manufacturer", Meaningful(f.Value("Manufacturer")))
      .SetNumber("CPUStatus", ECimInteger::kUint16, kCpuEnabled).SetNumbers("OperationalStatus", ECimInteger::kUint16, {2});
  const auto cores = WholeNumber(f.Value("Core Count"));
  const auto threads = WholeNumber(f.Value("Thread Count"));
  if (cores) processor.SetNumber("Core", ECimInteger::kUint32, *cores);
  if (cores && threads) processor.SetBool("HTSupported", *threads > *cores).SetBool("HTEnabled", *threads > *cores);
  if (const auto current = Megahertz(f.Value("Current Speed"))) processor.SetNumber("CurrentClockSpeed", ECimInteger::kUint32, *current);
  if (const auto most = Megahertz(f.Value("Max Speed"))) processor.SetNumber("MaxClockSpeed", ECimInteger::kUint32, *most);
  const std::string signature = f.Value("Signature");
  processor.SetIfAny("Stepping", SteppingText(SignaturePart(signature, "Stepping"), SignaturePart(signature, "Family"),
                                              SignaturePart(signature, "Model"), microcode));
  MapProcessorCaches(dmi, f, processor);
  out.Add(processor);
}

// Without SMBIOS: one processor per physical package of /proc/cpuinfo.
// Simultaneous multithreading as the kernel states it (smt/control), else by
// more logical processors than cores in a package. cpuinfo's "ht" flag says
// only that a package may report several logical processors, which every
// multi-core one does.
void SetSmt(const std::string& control, std::optional<long long> cores, std::optional<long long> siblings,
            TMofInstance& processor) {
  if (control == "on" || control == "off" || control == "forceoff") {
    processor.SetBool("HTSupported", true).SetBool("HTEnabled", control == "on");
  } else if (control == "notsupported" || control == "notimplemented") {
    processor.SetBool("HTSupported", false).SetBool("HTEnabled", false);
  } else if (cores && siblings) {
    if (*siblings > *cores) processor.SetBool("HTSupported", true);
    processor.SetBool("HTEnabled", *siblings > *cores);
  }
}

// lscpu's "L1d cache", "L2 cache", "L3 cache": the levels the processor has.
void SetCacheLevels(const TFieldBlock& lscpu, TMofInstance& processor) {
  for (int level = 1; level <= 3; ++level) {
    const std::string prefix = "L" + std::to_string(level);
    if (!lscpu.Value(prefix + "d cache").empty() || !lscpu.Value(prefix + " cache").empty()) {
      processor.SetBool(prefix + "Enabled", true);
    }
  }
}

// The processor's name as its architecture prints it: x86's and arm's "model
// name", POWER's "cpu" ("POWER9 (raw), altivec supported": the part before the
// comma), s390's maker and machine type, which name no model.
std::string CpuInfoName(const TFieldBlock& logical, const TFieldBlock& machine) {
  const std::string model = Trimmed(logical.Value("model name"));
  if (!model.empty()) return model;
  const std::string power = logical.Value("cpu");
  if (!power.empty()) return Trimmed(power.substr(0, power.find(',')));
  const std::string type = logical.Value("machine");
  return type.empty() ? "" : Trimmed(machine.Value("vendor_id") + " " + type);
}

// The first of the fields the block has: the architectures name one fact alike.
std::string FirstOf(const TFieldBlock& block, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (!block.Value(name).empty()) return block.Value(name);
  }
  return "";
}

void SetClockSpeed(const std::string& property, const std::string& text, TMofInstance& processor) {
  if (const auto speed = ParseLeadingNumber(text); speed && *speed > 0) {
    processor.SetNumber(property, ECimInteger::kUint32, std::llround(*speed));
  }
}

// cpuinfo's "cpu cores", else the package's logical processors by lscpu's
// threads per core (POWER and s390 print no cores).
long long CpuInfoCores(const TFieldBlock& first, size_t logical, const TFieldBlock& lscpu) {
  if (const auto cores = WholeNumber(first.Value("cpu cores"))) return *cores;
  const auto threads = WholeNumber(lscpu.Value("Thread(s) per core"));
  const long long count = static_cast<long long>(logical);
  return threads && *threads > 0 && count % *threads == 0 ? count / *threads : count;
}

void MapCpuInfoProcessors(const TMachineRecords& records, TCollection& out) {
  const TCpuInfo& cpuInfo = records.fCpuInfo;
  std::map<std::string, std::vector<const TFieldBlock*>> packages;
  for (const TFieldBlock& logical : cpuInfo.fProcessors) packages[logical.Value("physical id")].push_back(&logical);
  for (const auto& package : packages) {
    const TFieldBlock& first = *package.second.front();
    const auto id = WholeNumber(package.first);
    const std::string maker = first.Value("vendor_id").empty() ? cpuInfo.fMachine.Value("vendor_id") : first.Value("vendor_id");
    TMofInstance processor("VKXSG_Processor");
    processor.Set("CreationClassName", "VKXSG_Processor").Set("DeviceID", out.UniqueKey("processor", "CPU " + std::to_string(id ? *id + 1 : 1)))
        .SetIfAny("Name", CpuInfoName(first, cpuInfo.fMachine)).SetIfAny("Manufacturer", maker)
        .SetIfAny("Stepping", SteppingText(FirstOf(first, {"stepping", "revision"}), first.Value("cpu family"),
                                           first.Value("model"), first.Value("microcode")))
        .SetNumber("CPUStatus", ECimInteger::kUint16, kCpuEnabled)
        .SetNumbers("OperationalStatus", ECimInteger::kUint16, {2});
    processor.SetNumber("Core", ECimInteger::kUint32, CpuInfoCores(first, package.second.size(), records.fLscpu.fFields));
    const std::string flags = " " + first.Value("flags") + " ";
    SetSmt(records.fSmtControl, WholeNumber(first.Value("cpu cores")), WholeNumber(first.Value("siblings")), processor);
    SetCacheLevels(records.fLscpu.fFields, processor);
    SetClockSpeed("CurrentClockSpeed", FirstOf(first, {"cpu MHz", "clock", "cpu MHz dynamic"}), processor);
    SetClockSpeed("MaxClockSpeed", first.Value("cpu MHz static"), processor);
    if (flags.find(" lm ") != std::string::npos) processor.SetNumber("DataWidth", ECimInteger::kUint16, 64);
    out.Add(processor);
  }
}

// The error correction of the memory arrays, by the array's handle.
std::map<unsigned, std::string> ArrayErrorCorrection(const TDmiRecords& dmi) {
  std::map<unsigned, std::string> correction;
  for (const TDmiStructure* array : dmi.OfType(kDmiMemoryArray)) {
    correction[array->fHandle] = Meaningful(array->fFields.Value("Error Correction Type"));
  }
  return correction;
}

// The rated speed, or else the configured one (older firmware names it a
// clock speed).
std::string MemorySpeed(const TFieldBlock& device) {
  for (const char* field : {"Speed", "Configured Memory Speed", "Configured Clock Speed"}) {
    const std::string speed = Meaningful(device.Value(field));
    if (!speed.empty()) return speed;
  }
  return "";
}

void MapMemoryDevices(const TDmiRecords& dmi, TCollection& out) {
  const std::map<unsigned, std::string> correction = ArrayErrorCorrection(dmi);
  long long index = 0;
  for (const TDmiStructure* device : dmi.OfType(kDmiMemoryDevice)) {
    const TFieldBlock& f = device->fFields;
    const std::string size = Trimmed(f.Value("Size"));
    const auto bytes = ParseByteSize(size);
    ++index;
    // An empty socket; a size beyond any number still means a module.
    if (bytes ? *bytes == 0 : size.empty() || !std::isdigit(static_cast<unsigned char>(size[0]))) continue;
    std::string type = Meaningful(f.Value("Type"));
    const std::string formFactor = Meaningful(f.Value("Form Factor"));
    if (!formFactor.empty()) type = Trimmed(type + " " + formFactor);
    const unsigned array = static_cast<unsigned>(std::strtoul(f.Value("Array Handle").c_str(), nullptr, 16));
    const auto arrayCorrection = correction.find(array);
    const std::string tag = out.UniqueKey(
        "memory", Trimmed(f.Value("Locator")).empty() ? "DIMM " + std::to_string(index) : Trimmed(f.Value("Locator")));
    for (const char* className : {"VKXSG_SPDData", "VKXSG_PhysicalMemory"}) {
      TMofInstance memory(className);
      memory.Set("CreationClassName", className).Set("Tag", tag)
          .SetIfAny("BankLabel", Meaningful(f.Value("Bank Locator")));
      if (bytes) memory.SetNumber("Capacity", ECimInteger::kUint64, *bytes);
      else memory.LeaveOut("Capacity", "\"" + size + "\" is no byte count a uint64 holds");
      memory.SetIfAny("Manufacturer", Meaningful(f.Value("Manufacturer")))
          .SetIfAny("PartNumber", Meaningful(f.Value("Part Number")))
          .SetIfAny("SerialNumber", Meaningful(f.Value("Serial Number")));
      if (std::string(className) == "VKXSG_SPDData") {
        memory.SetNumber("Index", ECimInteger::kUint16, index).SetIfAny("MemoryTypeA", type)
            .SetIfAny("DimmSpeed", MemorySpeed(f))
            .SetIfAny("ErrorMethodology", arrayCorrection == correction.end() ? "" : arrayCorrection->second);
        if (const auto ranks = WholeNumber(f.Value("Rank"))) memory.SetNumber("Ranks", ECimInteger::kUint8, *ranks);
      }
      out.Add(memory);
    }
  }
}

// Without SMBIOS's memory devices (a virtual machine, a sos report without
// dmidecode) the memory the kernel sees is one row that says where it is
// from: MemTotal, less than what is installed by what firmware and kernel keep.
void MapKernelMemory(const TMemInfo& memInfo, TCollection& out) {
  const auto total = memInfo.Get("MemTotal");
  if (!total) return;
  for (const char* className : {"VKXSG_SPDData", "VKXSG_PhysicalMemory"}) {
    TMofInstance memory(className);
    memory.Set("CreationClassName", className).Set("Tag", "System memory")
        .Set("BankLabel", "MemTotal of /proc/meminfo (no SMBIOS memory devices)")
        .SetNumber("Capacity", ECimInteger::kUint64, *total);
    out.Add(memory);
  }
}

// SMBIOS structures without a class of their own in the pages: each is a row
// of "Other Devices", named by one field, its maker by another, and the
// fields that tell it apart listed as "Field: value".
struct TDmiDeviceKind {
  unsigned fType;
  const char* fDeviceClass;
  const char* fNameField;  // "" when the class names it
  const char* fMakerField;
  std::vector<const char*> fIdentifying;  // empty: every field
};
const TDmiDeviceKind kDmiDeviceKinds[] = {
    {kDmiChassis, "Chassis", "Type", "Manufacturer",
     {"Version", "Serial Number", "Asset Tag", "SKU Number", "Height", "Number Of Power Cords", "Boot-up State",
      "Power Supply State", "Thermal State", "Security Status"}},
    {kDmiOnboardDevice, "Onboard Device", "Description", "", {"Type", "Status"}},
    {kDmiOnboardDeviceExtended, "Onboard Device", "Reference Designation", "",
     {"Type", "Status", "Type Instance", "Bus Address"}},
    {kDmiOemStrings, "OEM Strings", "", "", {}},
    {kDmiSystemEventLog, "System Event Log", "", "",
     {"Status", "Access Method", "Access Address", "Area Length", "Change Token", "Header Format",
      "Supported Log Type Descriptors"}},
    {kDmiIpmiDevice, "IPMI Device", "Interface Type", "",
     {"Specification Version", "I2C Slave Address", "Base Address", "Interrupt Number"}},
    {kDmiPowerSupply, "Power Supply", "Name", "Manufacturer",
     {"Location", "Power Unit Group", "Model Part Number", "Serial Number", "Asset Tag", "Revision",
      "Max Power Capacity", "Status", "Type", "Input Voltage Range Switching", "Plugged"}},
};

std::vector<std::string> IdentifyingFields(const TDmiDeviceKind& kind, const TFieldBlock& fields) {
  std::vector<std::string> identity;
  auto add = [&identity](const std::string& name, const std::string& value) {
    if (!Meaningful(value).empty() && Trimmed(value) != "--") identity.push_back(name + ": " + Trimmed(value));
  };
  if (kind.fIdentifying.empty()) {
    for (const TField& field : fields.fFields) add(field.fName, field.fValue);
  }
  for (const char* name : kind.fIdentifying) add(name, fields.Value(name));
  return identity;
}

void MapDmiDevices(const TDmiRecords& dmi, TCollection& out) {
  for (const TDmiDeviceKind& kind : kDmiDeviceKinds) {
    for (const TDmiStructure* structure : dmi.OfType(kind.fType)) {
      const TFieldBlock& f = structure->fFields;
      const std::string name = Meaningful(*kind.fNameField ? f.Value(kind.fNameField) : "");
      char handle[16];
      std::snprintf(handle, sizeof handle, "0x%04X", structure->fHandle);
      TMofInstance device("VKXSG_LogicalDevice");
      device.Set("CreationClassName", "VKXSG_LogicalDevice")
          .Set("DeviceID", out.UniqueKey("logical device", std::string("SMBIOS ") + handle))
          .Set("DeviceClass", kind.fDeviceClass).Set("ElementName", name.empty() ? kind.fDeviceClass : name)
          .SetIfAny("Manufacturer", Meaningful(*kind.fMakerField ? f.Value(kind.fMakerField) : ""))
          .SetStrings("OtherIdentifyingInfo", IdentifyingFields(kind, f));
      out.Add(device);
    }
  }
}

bool IsBridge(const TPciFunction& function) { return StartsWith(function.fClassId, "0604"); }

// Whether a function works: a driver bound to it, or the kernel's enable
// count. A host bridge is the bus's root: no driver claims it and nothing
// enables it, and its decoding bits ("Control: I/O- Mem-") are off by design,
// so they say nothing.
std::vector<std::string> PciStatus(const TPciFunction& function) {
  if (!function.fDriver.empty()) return {"Enabled", "Driver: " + function.fDriver};
  if (function.fEnabled.value_or(false) || StartsWith(function.fClassId, "0600")) return {"Enabled"};
  return {"No driver"};
}

// "00:1c.0", and the buses behind a bridge: "00:1c.0 -> bus 02-03".
std::string PciLocation(const TPciFunction& function) {
  std::string location = function.fAddress;
  if (StartsWith(location, "0000:")) location.erase(0, 5);
  unsigned primary = 0, secondary = 0, subordinate = 0;
  if (std::sscanf(function.fDetails.Value("Bus").c_str(), "primary=%x, secondary=%x, subordinate=%x", &primary,
                  &secondary, &subordinate) != 3) {
    return location;
  }
  char buses[32];
  if (secondary == subordinate) std::snprintf(buses, sizeof buses, " -> bus %02x", secondary);
  else std::snprintf(buses, sizeof buses, " -> bus %02x-%02x", secondary, subordinate);
  return location + buses;
}

// The name as lspci prints it, with its revision.
std::string PciDescription(const TPciFunction& function) {
  return function.fRevision.empty() ? function.fName : function.fName + " (rev " + function.fRevision + ")";
}

std::vector<std::string> PciIdentity(const TPciFunction& function) {
  std::vector<std::string> identity{"PCI " + function.fAddress};
  if (!function.fDriver.empty()) identity.push_back("Kernel driver in use: " + function.fDriver);
  if (!function.fLinkStatus.fSpeed.empty()) {
    identity.push_back("Link: " + function.fLinkStatus.fSpeed + " " + function.fLinkStatus.fWidth);
  }
  if (!function.fRevision.empty()) identity.push_back("Revision " + function.fRevision);
  return identity;
}

// Slots of SMBIOS by the PCI address of the card in them.
std::map<std::string, std::string> MapSlots(const TDmiRecords& dmi, TCollection& out) {
  std::map<std::string, std::string> slotByAddress;
  for (const TDmiStructure* slot : dmi.OfType(kDmiSlot)) {
    const TFieldBlock& f = slot->fFields;
    const std::string designation = out.UniqueKey("slot", Trimmed(f.Value("Designation")));
    const std::string alias = out.NewAlias("Slot_" + designation);
    TMofInstance instance("VKXSG_SystemSlot", alias);
    instance.Set("CreationClassName", "VKXSG_SystemSlot").Set("Tag", designation).Set("SlotDesignation", designation)
        .Set("SlotAllInfo", designation + " (" + Trimmed(f.Value("Type")) + ", " + Trimmed(f.Value("Current Usage")) + ")")
        .SetBool("SupportsHotPlug", f.Value("Characteristics").find("Hot-plug") != std::string::npos);
    if (const auto number = WholeNumber(f.Value("ID"))) instance.SetNumber("Number", ECimInteger::kUint16, *number);
    out.Add(instance);
    const std::string address = Trimmed(f.Value("Bus Address"));
    if (!address.empty() && f.Value("Current Usage") == "In Use") slotByAddress[address] = alias;
  }
  return slotByAddress;
}

void MapPciFunction(const TPciFunction& function, const std::string& slotAlias, bool onBoard, TCollection& out) {
  const char* className = IsBridge(function) ? "VKXSG_PCIBridge" : "VKXSG_PCIDevice";
  const std::string alias = out.NewAlias("Pci_" + function.fAddress);
  TMofInstance instance(className, alias);
  instance.Set("CreationClassName", className).Set("DeviceID", out.UniqueKey("pci", function.fAddress))
      .Set("Description", PciDescription(function))
      .SetIfAny("PciDeviceID", function.fDeviceId).SetIfAny("VendorID", function.fVendorId)
      .SetIfAny("Manufacturer", PciVendorName(function.fVendorId)).SetStrings("OtherIdentifyingInfo", PciIdentity(function));
  if (function.fClassId.size() >= 2) {
    instance.SetNumber("ClassCode", ECimInteger::kUint8, std::strtol(function.fClassId.substr(0, 2).c_str(), nullptr, 16));
  }
  if (!function.fSubsystemVendorId.empty()) {
    instance.Set("SubsystemID", function.fSubsystemVendorId + ":" + function.fSubsystemDeviceId);
  }
  instance.SetStrings("StatusDescriptions", PciStatus(function));
  if (IsBridge(function)) instance.Set("Location", PciLocation(function)).SetIfAny("VersionString", function.fRevision);
  out.Add(instance);
  if (!slotAlias.empty()) {
    out.Add(TMofInstance("VKXSG_DeviceInSlot").SetReference("Antecedent", slotAlias).SetReference("Dependent", alias));
  } else if (onBoard) {
    out.Add(TMofInstance("VKXSG_DeviceOnSystemBoard").SetReference("Antecedent", kBoardAlias)
                .SetReference("Dependent", alias));
  }
}

TMofInstance NumericSensor(const std::string& id, const std::string& name) {
  TMofInstance sensor("VKXSG_NumericSensor");
  sensor.Set("CreationClassName", "VKXSG_NumericSensor").Set("DeviceID", id).Set("SensorDescription", name)
      .Set("ElementName", name);
  return sensor;
}

// CIM_Sensor.SensorType and BaseUnits of a unit as the tools print it.
struct TSensorUnit {
  const char* fUnit;
  int fSensorType;
  int fBaseUnits;
};
const TSensorUnit kSensorUnits[] = {
    {"°C", 2, 2}, {"degrees C", 2, 2}, {"V", 3, 5}, {"Volts", 3, 5}, {"A", 4, 6}, {"Amps", 4, 6},
    {"RPM", 5, 19}, {"W", 1, 7}, {"Watts", 1, 7},
};

void SetReading(TMofInstance& sensor, const std::string& unit, double value) {
  for (const TSensorUnit& known : kSensorUnits) {
    if (unit != known.fUnit) continue;
    // Readings are kept in hundredths: UnitModifier -2.
    sensor.SetNumber("SensorType", ECimInteger::kUint16, known.fSensorType).SetNumber("BaseUnits", ECimInteger::kUint16, known.fBaseUnits)
        .SetNumber("UnitModifier", ECimInteger::kSint32, -2).SetRounded("CurrentReading", ECimInteger::kSint32, value * 100);
    return;
  }
  sensor.SetNumber("SensorType", ECimInteger::kUint16, 1).SetNumber("UnitModifier", ECimInteger::kSint32, -2).SetRounded("CurrentReading", ECimInteger::kSint32, value * 100);
}

void MapSensors(const TMachineRecords& records, TCollection& out) {
  for (const TSensorChip& chip : records.fSensors.fChips) {
    for (const TSensorReading& reading : chip.fReadings) {
      if (!reading.fValue) continue;
      TMofInstance sensor = NumericSensor(out.UniqueKey("sensor", chip.fName + "/" + reading.fLabel),
                                          chip.fName + " " + reading.fLabel);
      SetReading(sensor, reading.fUnit, *reading.fValue);
      sensor.SetNumbers("OperationalStatus", ECimInteger::kUint16, {reading.fAlarm ? 3 : 2});
      out.Add(sensor);
    }
  }
  for (const TSdrSensor& sdr : records.fSdr.fSensors) {
    if (!sdr.fValue) continue;
    TMofInstance sensor = NumericSensor(out.UniqueKey("sensor", "IPMI " + sdr.fName + (sdr.fId.empty() ? "" : " " + sdr.fId)),
                                        out.UniqueKey("sensor name", sdr.fName));
    SetReading(sensor, sdr.fUnit, *sdr.fValue);
    sensor.SetNumbers("OperationalStatus", ECimInteger::kUint16, {sdr.fStatus == "ok" ? 2 : 3});
    out.Add(sensor);
  }
}

// The SEL's own id of a record (hex as ipmitool prints it) in decimal, as the
// page orders records; the record's place where the id is unreadable.
std::string SelRecordNumber(const std::string& id, long long place) {
  const std::string hex = Trimmed(id);
  char* end = nullptr;
  const unsigned long long number = std::strtoull(hex.c_str(), &end, 16);
  return !hex.empty() && *end == '\0' && hex[0] != '-' ? std::to_string(number) : std::to_string(place);
}

void MapIpmi(const TMachineRecords& records, TCollection& out) {
  long long id = 0;
  for (const TSelEvent& event : records.fSel.fEvents) {
    std::string message = event.fSensor + " | " + event.fEvent;
    if (!event.fDirection.empty()) message += " | " + event.fDirection;
    const std::string number = out.UniqueKey("SEL record", SelRecordNumber(event.fId, ++id));
    TMofInstance record("VKXSG_IPMILogRecord");
    record.Set("LogCreationClassName", "VKXSG_MessageLog").Set("LogName", "IPMI SEL")
        .Set("CreationClassName", "VKXSG_IPMILogRecord").Set("RecordID", number).Set("Caption", number).Set("DataFormat", event.fId).Set("Message", message)
        .Set("EventData", event.fId + " | " + event.fDate + " | " + event.fTime + " | " + message +
                              (event.fDetail.empty() ? "" : " | " + event.fDetail));
    const std::string time = LogTimeAsCim(event.fDate + " " + event.fTime, out.Collected());
    record.Set("MessageTimestamp", time.empty() ? CimDateTime(out.Collected()) : time);
    out.Add(record);
  }
  for (const TFieldBlock& device : records.fFru.fDevices) {
    // ipmitool's description names the FRU's id: "Builtin FRU Device (ID 0)".
    const std::string description = device.Value("FRU Device Description");
    TMofInstance instance("VKXSG_FRU");
    instance.Set("CreationClassName", "VKXSG_FRU").Set("Tag", out.UniqueKey("FRU", description.empty() ? "FRU" : description))
        .SetIfAny("Name", device.Value("FRU Device Description"))
        .SetIfAny("Vendor", Meaningful(device.Value("Board Mfg").empty() ? device.Value("Product Manufacturer")
                                                                          : device.Value("Board Mfg")))
        .SetIfAny("PartNumber", Meaningful(device.Value("Board Part Number")))
        .SetIfAny("SerialNumber", Meaningful(device.Value("Board Serial")));
    out.Add(instance);
  }
  const std::string firmware = records.fMc.fFields.Value("Firmware Revision");
  if (!firmware.empty()) {
    TMofInstance instance("VKXSG_IPMIFirmwareElement");
    instance.Set("Name", "BMC " + records.fMc.fFields.Value("Manufacturer Name")).Set("SoftwareElementID", "BMC")
        .Set("Version", firmware).SetIfAny("Manufacturer", records.fMc.fFields.Value("Manufacturer Name"))
        .SetNumber("SoftwareElementState", ECimInteger::kUint16, kRunning);
    out.Add(instance);
  }
}

}  // namespace

void MapSystem(const TMachineRecords& records, const TDataSource& source, TCollection& out) {
  MapDataSource(source, out);
  MapComputerSystem(records, out);
  MapOperatingSystem(records, out);
  MapBios(records, out);
  MapTimeZone(records, out);
}

void MapProcessorsAndMemory(const TMachineRecords& records, TCollection& out) {
  std::vector<const TDmiStructure*> populated;
  for (const TDmiStructure* cpu : records.fDmi.OfType(kDmiProcessor)) {
    if (cpu->fFields.Value("Status").find("Populated") != std::string::npos) populated.push_back(cpu);
  }
  if (!populated.empty()) {
    // One microcode revision for all: the kernel loads it into every processor alike.
    const auto& cpus = records.fCpuInfo.fProcessors;
    const std::string microcode = cpus.empty() ? "" : Trimmed(cpus.front().Value("microcode"));
    for (const TDmiStructure* cpu : populated) MapDmiProcessor(records.fDmi, *cpu, microcode, out);
  } else {
    MapCpuInfoProcessors(records, out);
  }
  MapMemoryDevices(records.fDmi, out);
  if (records.fDmi.OfType(kDmiMemoryDevice).empty()) MapKernelMemory(records.fMemInfo, out);
  MapDmiDevices(records.fDmi, out);
}

// Root hubs and other hubs go to the hub table, which shows only their name.
// lsusb prints vendor and product as one name, which is the description.
void MapUsb(const TUsbDevices& usb, TCollection& out) {
  for (const TUsbDevice& device : usb.fDevices) {
    const bool hub = device.fName.find("hub") != std::string::npos || device.fName.find("Hub") != std::string::npos;
    const char* className = hub ? "VKXSG_USBHub" : "VKXSG_USBDevice";
    TMofInstance instance(className);
    instance.Set("CreationClassName", className)
        .Set("DeviceID", out.UniqueKey("usb", device.fBus + "-" + device.fDevice))
        .Set("Description", device.fName.empty() ? device.fVendorId + ":" + device.fProductId : device.fName);
    if (!hub) {
      instance.Set("VendorId", device.fVendorId).Set("USBDeviceId", device.fProductId);
    }
    out.Add(instance);
  }
}

void MapPci(const TMachineRecords& records, TCollection& out) {
  const std::map<std::string, std::string> slots = MapSlots(records.fDmi, out);
  const bool hasBoard = !DmiText(records, kDmiBaseboard, "Product Name", "board_name").empty() ||
                        !DmiText(records, kDmiBaseboard, "Manufacturer", "board_vendor").empty();
  for (const TPciFunction& function : records.fPci.fFunctions) {
    const auto slot = slots.find(function.fAddress);
    MapPciFunction(function, slot == slots.end() ? "" : slot->second, hasBoard, out);
  }
  MapUsb(records.fUsb, out);
}

void MapHealth(const TMachineRecords& records, TCollection& out) {
  MapSensors(records, out);
  MapIpmi(records, out);
}

}  // namespace NVKXQZA20::NMachine
