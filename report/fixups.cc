// Repairs of known defects of the collected data, made in the repository
// before pages are written. Each is safe to run again on repaired data.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "report/report.h"
#include "writer/cim_reading.h"
#include "writer/trace.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TCIMContext;
using NVKXQZA20::TCIMValue;
using NVKXQZA20::TQZAException;

namespace {

typedef std::vector<boost::shared_ptr<ICIMInstance>> TInstances;

const uint16_t kSlotInUse = 4;
const char kRaidRemovalHint[] = "(possibly RAID drive)";
const char kRaidRemovalAdvice[] = " Check KeelRAID or ODR Event or IPMI Event  for more infomation.";

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// A small unsigned number property; none when it is null or does not fit.
std::optional<uint64_t> ReadUnsigned(const ICIMInstance& instance, const std::string& name, uint64_t max) {
  try {
    const TCIMValue value = instance.GetProperty(name)->GetValue();
    if (value.IsNull() || value.ToUInt64() > max) return std::nullopt;
    return value.ToUInt64();
  } catch (const TQZAException&) {
    return std::nullopt;
  }
}

// A slot already marked is not written again.
void MarkSlotInUse(ICIMInstance& slot) {
  const TCIMValue usage = slot.GetProperty("CurrentUsage")->GetValue();
  if (!usage.IsNull() && usage.ToUInt16() == kSlotInUse) return;
  slot.SetPropertyValue("CurrentUsage", TCIMValue(kSlotInUse));
}

bool IsUnexplainedRaidDiskRemoval(const std::string& message) {
  return Contains(message, "Perch") && Contains(message, "Hard drive") &&
         Contains(message, "removal detected");
}

std::string ExplainedRaidDiskRemoval(const std::string& message) {
  const size_t removal = message.find("removal detected");
  return message.substr(0, removal) + kRaidRemovalHint + " " + message.substr(removal) +
         kRaidRemovalAdvice;
}

bool AnyMessage(const TInstances& records, bool (*matches)(const std::string&)) {
  for (const boost::shared_ptr<ICIMInstance>& record : records) {
    if (matches(PropertyText(*record, "Message"))) return true;
  }
  return false;
}

bool IsODRDiskRemoval(const std::string& message) {
  return Contains(message, "Hard drive") && Contains(message, "removal detected");
}

bool IsIPMIDiskRemoval(const std::string& message) {
  return Contains(message, "Disk or disk bay") && Contains(message, "ssertion") &&
         Contains(message, "Drive Slot Present");
}

// A text that grows at its end and answers whether another text occurs in
// it, in time linear in both (a suffix automaton): searching the text itself
// would take time in the square of its pieces, which thousands of distinct
// memory makers make minutes.
class TGrowingText {
 public:
  TGrowingText() : fStates(1) {}

  void Append(const std::string& text) {
    for (char c : text) Extend(c);
  }

  bool Contains(const std::string& text) const {
    int state = 0;
    for (char c : text) {
      state = Next(state, c);
      if (state == -1) return false;
    }
    return true;
  }

 private:
  struct TState {
    int fLength = 0;
    int fLink = -1;
    std::vector<std::pair<char, int>> fNext;  // few per state: a list beats a map
  };

  int Next(int state, char c) const {
    for (const auto& next : fStates[state].fNext) {
      if (next.first == c) return next.second;
    }
    return -1;
  }

  void SetNext(int state, char c, int target) {
    for (auto& next : fStates[state].fNext) {
      if (next.first == c) {
        next.second = target;
        return;
      }
    }
    fStates[state].fNext.emplace_back(c, target);
  }

  void Extend(char c) {
    const int added = static_cast<int>(fStates.size());
    fStates.push_back({fStates[fLast].fLength + 1, 0, {}});
    int state = fLast;
    for (; state != -1 && Next(state, c) == -1; state = fStates[state].fLink) SetNext(state, c, added);
    if (state != -1) {
      const int target = Next(state, c);
      if (fStates[state].fLength + 1 == fStates[target].fLength) {
        fStates[added].fLink = target;
      } else {
        const int clone = static_cast<int>(fStates.size());
        TState copy = fStates[target];
        copy.fLength = fStates[state].fLength + 1;
        fStates.push_back(std::move(copy));
        for (; state != -1 && Next(state, c) == target; state = fStates[state].fLink) SetNext(state, c, clone);
        fStates[target].fLink = fStates[added].fLink = clone;
      }
    }
    fLast = added;
  }

  std::vector<TState> fStates;
  int fLast = 0;
};

}  // namespace

// A failing repair leaves what it changed so far, each change complete, and
// the report goes on.
void TReport::RunFixup(const std::string& name, const std::function<void()>& fixup) {
  try {
    fixup();
  } catch (const std::exception& error) {
    LogLine(0, "TReport::" + name + " -- Exception " + error.what());
  }
}

void TReport::RunFixups(const TCIMContext& context) {
  RunFixup("fixPCISlots", [this] { fixPCISlots(); });
  RunFixup("fixPCISlots2", [this] { fixPCISlots2(); });
  RunFixup("fixCriticalDetailforRaidDiskRemoval", [this] { fixCriticalDetailforRaidDiskRemoval(); });
  RunFixup("fixProductNameofComputerSystem", [this] { fixProductNameofComputerSystem(); });
  RunFixup("fixRedundantMonitorInfo", [this, context] { fixRedundantMonitorInfo(context); });
  RunFixup("AddManufacturerForMem", [this] { AddManufacturerForMem(); });
}

void TReport::fixPCISlots() {
  TNamedTraceScope trace("TReport::fixPCISlots");
  for (const boost::shared_ptr<ICIMInstance>& slot : InstancesOfClass(*fNamespace, "VKXSG_SystemSlot")) {
    TInstances devices;
    slot->Associators(NVKXQZA20::TAddToVectorCallback<ICIMInstance>(devices), "VKXSG_SystemSlot",
                      "VKXSG_PCIDevice", "", "");
    if (!devices.empty()) MarkSlotInUse(*slot);
  }
}

// Devices whose slot number cannot be read mark no slot.
void TReport::fixPCISlots2() {
  TNamedTraceScope trace("TReport::fixPCISlots2");
  const TInstances devices = InstancesOfClass(*fNamespace, "VKXSG_PCIDevice");
  if (devices.empty()) return;
  std::vector<uint64_t> occupied;
  for (const boost::shared_ptr<ICIMInstance>& device : devices) {
    if (const std::optional<uint64_t> number = ReadUnsigned(*device, "UINumber", UINT8_MAX)) {
      occupied.push_back(*number);
    }
  }
  for (const boost::shared_ptr<ICIMInstance>& slot : InstancesOfClass(*fNamespace, "VKXSG_SystemSlot")) {
    const std::optional<uint64_t> number = ReadUnsigned(*slot, "Number", UINT16_MAX);
    if (number && std::find(occupied.begin(), occupied.end(), *number) != occupied.end()) {
      MarkSlotInUse(*slot);
    }
  }
}

void TReport::fixCriticalDetailforRaidDiskRemoval() {
  TNamedTraceScope trace("TReport::fixCriticalDetailforRaidDiskRemoval");
  bool repaired = false;
  for (const boost::shared_ptr<ICIMInstance>& record :
       InstancesOfClass(*fNamespace, "VKXSG_HeavyHittersLogRecord")) {
    const std::string message = PropertyText(*record, "Message");
    if (Contains(message, kRaidRemovalHint)) return;
    if (!IsUnexplainedRaidDiskRemoval(message)) continue;
    record->SetPropertyValue("Message", TCIMValue(ExplainedRaidDiskRemoval(message)));
    repaired = true;
  }
  if (!repaired && OtherLogsReportDiskRemoval()) AddDiskRemovalRecord();
}

bool TReport::OtherLogsReportDiskRemoval() const {
  return AnyMessage(InstancesOfClass(*fNamespace, "VKXSG_ODRlog"), IsODRDiskRemoval) ||
         AnyMessage(InstancesOfClass(*fNamespace, "VKXSG_IPMILogRecord"), IsIPMIDiskRemoval);
}

void TReport::AddDiskRemovalRecord() {
  boost::shared_ptr<ICIMInstance> record =
      fNamespace->GetClass("VKXSG_HeavyHittersLogRecord")->CreateInstance();
  record->SetPropertyValue("CreationClassName", TCIMValue("Test"));
  record->SetPropertyValue("LogName", TCIMValue("Test"));
  record->SetPropertyValue("LogCreationClassName", TCIMValue("Test"));
  record->SetPropertyValue("Message", TCIMValue(std::string("Hard drive ") + kRaidRemovalHint +
                                                " removal detected." + kRaidRemovalAdvice));
  record->SetPropertyValue("MessageTimestamp",
                           TCIMValue(NVKXQZA20::TCIMDateTime(2000, 1, 1, 1, 1, 1, 1, 1)));
  record->SetPropertyValue("RecordID", TCIMValue(std::to_string(0)));
}

void TReport::fixProductNameofComputerSystem() {
  TNamedTraceScope trace("TReport::fixProductNameofComputerSystem");
  for (const boost::shared_ptr<ICIMInstance>& system :
       InstancesOfClass(*fNamespace, "VKXSG_ComputerSystem")) {
    std::string name = PropertyText(*system, "ProductName");
    if (!name.empty() && name.back() == '-') name.pop_back();
    system->SetPropertyValue("ProductName", TCIMValue(name));
  }
}

void TReport::fixRedundantMonitorInfo(TCIMContext context) {
  TNamedTraceScope trace("TReport::fixRedundantMonitorInfo");
  for (const boost::shared_ptr<ICIMInstance>& monitor :
       InstancesOfClass(*fNamespace, "VKXSG_DesktopMonitor")) {
    if (Contains(PropertyText(*monitor, "Name"), "VKX Perch2")) monitor->Delete(context);
  }
}

// Memory devices get the list of module makers: a maker is added unless its
// text already occurs anywhere in the list.
void TReport::AddManufacturerForMem() {
  TNamedTraceScope trace("TReport::AddManufacturerForMem");
  const TInstances modules = InstancesOfClass(*fNamespace, "VKXSG_SPDData");
  if (modules.empty()) return;
  std::string makers;
  TGrowingText list;
  for (const boost::shared_ptr<ICIMInstance>& module : modules) {
    const std::string maker = PropertyText(*module, "Manufacturer");
    if (!makers.empty() && list.Contains(maker)) continue;
    const std::string added = makers.empty() ? maker : "   " + maker;
    makers += added;
    list.Append(added);
  }
  for (const boost::shared_ptr<ICIMInstance>& device :
       InstancesOfClass(*fNamespace, "VKXSG_LogicalDevice")) {
    if (PropertyText(*device, "DeviceClass") == "memory") {
      device->SetPropertyValue("Manufacturer", TCIMValue(makers));
    }
  }
}
