#include "machine/parsers/smart.h"

#include <cctype>
#include <nlohmann/json.hpp>

#include "machine/parsers/text_scan.h"

namespace NVKXQZA20::NMachine {
namespace {

// "1,000,204,886,016 bytes [1.00 TB]" or "3,521"
std::optional<unsigned long long> GroupedNumber(std::string_view text) {
  std::string digits;
  for (char c : Trim(text)) {
    if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
    else if (c != ',') break;
  }
  return ParseUnsigned(digits);
}

std::string FirstOf(const TFieldBlock& block, std::initializer_list<const char*> names) {
  for (const char* name : names)
    if (const TField* field = block.Find(name)) return field->fValue;
  return "";
}

// Protocol, identity and capacity from the information section's names, which
// differ between ATA, NVMe and SCSI devices.
void Identify(TSmartDevice& device) {
  const TFieldBlock& info = device.fInformation;
  if (info.Find("Model Number") || info.Find("NVMe Version")) device.fProtocol = "NVMe";
  else if (info.Find("Transport protocol") || info.Find("Product")) device.fProtocol = "SCSI";
  else if (info.Find("Device Model") || info.Find("ATA Version is")) device.fProtocol = "ATA";
  device.fModelFamily = info.Value("Model Family");
  device.fModel = FirstOf(info, {"Device Model", "Model Number", "Product"});
  device.fVendor = info.Value("Vendor");
  device.fSerial = FirstOf(info, {"Serial Number", "Serial number"});
  device.fFirmware = FirstOf(info, {"Firmware Version", "Revision"});
  device.fCapacityBytes = GroupedNumber(FirstOf(info, {"User Capacity", "Total NVM Capacity",
                                                       "Namespace 1 Size/Capacity"}));
  device.fRotationRate = info.Value("Rotation Rate");
  device.fFormFactor = info.Value("Form Factor");
}

// Temperature and power-on time from the ATA attributes, the NVMe health log
// or the SCSI lines, whichever the device printed.
void ReadVitals(TSmartDevice& device) {
  for (const TSmartAttribute& attribute : device.fAttributes) {
    std::optional<unsigned long long> raw = GroupedNumber(attribute.fRaw);
    if (!raw) continue;
    if (attribute.fId == 9 && StartsWith(attribute.fName, "Power_On_Hours")) device.fPowerOnHours = *raw;
    if ((attribute.fId == 194 || attribute.fId == 190) && !device.fTemperatureCelsius)
      device.fTemperatureCelsius = static_cast<int>(*raw);
  }
  // NVMe's health log; SCSI's lines are read where they stand.
  const TFieldBlock& log = device.fHealthLog;
  if (!device.fTemperatureCelsius)
    if (auto celsius = GroupedNumber(log.Value("Temperature"))) device.fTemperatureCelsius = static_cast<int>(*celsius);
  if (!device.fPowerOnHours) device.fPowerOnHours = GroupedNumber(log.Value("Power On Hours"));
}

// "  1 Raw_Read_Error_Rate     0x000f   117   099   006    Pre-fail  Always       -       156490032"
// or, with -x, "  1 Raw_Read_Error_Rate     POSR--   117   099   006    -    156490032"
std::optional<TSmartAttribute> ParseAttribute(std::string_view line, bool brief) {
  size_t columns = brief ? 8 : 10;
  std::vector<std::string_view> words = SplitWords(line, columns);
  if (words.size() < columns) return std::nullopt;
  std::optional<unsigned long long> id = ParseUnsigned(words[0]);
  if (!id) return std::nullopt;
  auto number = [](std::string_view word) -> std::optional<unsigned> {
    if (auto value = ParseUnsigned(word)) return static_cast<unsigned>(*value);
    return std::nullopt;
  };
  return TSmartAttribute{static_cast<unsigned>(*id), std::string(words[1]), std::string(words[2]),
                         number(words[3]), number(words[4]), number(words[5]),
                         std::string(words[columns - 2]), std::string(words.back())};
}

bool IsFieldLine(std::string_view line) {
  size_t colon = line.find(':');
  return Indent(line) == 0 && colon != std::string_view::npos && colon > 0 &&
         (colon + 1 == line.size() || line[colon + 1] == ' ' || line[colon + 1] == '\t');
}

class TSmartTextParser {
 public:
  TSmartDevice Parse(const std::string& text) {
    TLineCursor cursor(text);
    std::vector<std::pair<size_t, std::string_view>> block;
    while (cursor.Next()) {
      std::string_view line = cursor.Line();
      if (IsBlank(line) || StartsWith(line, "=== START OF")) {
        ReadBlock(block);
        block.clear();
        if (StartsWith(line, "=== START OF"))
          fSection = line.find("INFORMATION") != std::string_view::npos ? kInformation : kData;
        continue;
      }
      block.emplace_back(cursor.Number(), line);
    }
    ReadBlock(block);
    Identify(fDevice);
    ReadVitals(fDevice);
    return std::move(fDevice);
  }

 private:
  using TBlock = std::vector<std::pair<size_t, std::string_view>>;

  void ReadBlock(const TBlock& block) {
    if (block.empty()) return;
    std::string_view first = block.front().second;
    if (StartsWith(first, "smartctl ") || StartsWith(first, "Copyright")) return;
    // NVMe's power state and LBA size tables stand in the information section.
    if (fSection == kInformation && IsFieldLine(first)) return ReadFields(block, fDevice.fInformation);
    if (fSection != kData) return KeepRaw(block);
    ReadVitalLines(block);
    // The attribute table follows its headings without a blank line; a
    // failing drive lists its "Failed Attributes:" again before the table.
    for (size_t i = 0; i < block.size(); ++i) {
      if (!StartsWith(block[i].second, "ID# ")) continue;
      bool failedList = i > 0 && Trim(block[i - 1].second) == "Failed Attributes:";
      if (i > 0 || failedList) KeepRaw(failedList ? block : TBlock(block.begin(), block.begin() + i));
      if (!failedList) ReadAttributes(TBlock(block.begin() + i, block.end()));
      return;
    }
    if (StartsWith(first, "SMART/Health Information")) return ReadFields({block.begin() + 1, block.end()}, fDevice.fHealthLog);
    if (block.size() == 1 && IsHealthLine(first)) return;
    bool fields = true;
    for (const auto& [number, line] : block) fields = fields && IsFieldLine(line);
    if (fields) return ReadFields(block, fDevice.fHealthLog);
    KeepRaw(block);
  }

  static bool IsHealthLine(std::string_view line) {
    return StartsWith(line, "SMART overall-health self-assessment test result:") ||
           StartsWith(line, "SMART Health Status:");
  }

  // Lines that state the health, or SCSI's temperature and power-on time,
  // wherever they stand in a block.
  void ReadVitalLines(const TBlock& block) {
    static const std::string_view kScsiPowerOn = "Accumulated power on time, hours:minutes ";
    static const std::string_view kScsiTemperature = "Current Drive Temperature:";
    for (const auto& [number, line] : block) {
      if (IsHealthLine(line)) fDevice.fHealth = std::string(Trim(line.substr(line.find(':') + 1)));
      if (StartsWith(line, kScsiPowerOn)) fDevice.fPowerOnHours = GroupedNumber(line.substr(kScsiPowerOn.size()));
      if (StartsWith(line, kScsiTemperature))
        if (auto celsius = GroupedNumber(line.substr(kScsiTemperature.size())))
          fDevice.fTemperatureCelsius = static_cast<int>(*celsius);
    }
  }

  void KeepRaw(const TBlock& block) {
    TRawSection section{block.front().first, std::string(block.front().second), ""};
    for (const auto& [number, line] : block) {
      if (!section.fText.empty()) section.fText += '\n';
      section.fText += line;
    }
    fDevice.fSections.push_back(std::move(section));
  }

  void ReadFields(const TBlock& block, TFieldBlock& fields) {
    for (const auto& [number, line] : block) {
      std::string_view name, value;
      if (IsFieldLine(line) && SplitField(line, ':', name, value)) {
        fields.fFields.push_back({std::string(name), std::string(value), {}});
      } else if (!fields.fFields.empty() && Indent(line) > 0) {
        fields.fFields.back().fList.emplace_back(Trim(line));
      } else {
        fields.fFields.push_back({std::string(Trim(line)), "", {}});
      }
    }
  }

  void ReadAttributes(const TBlock& block) {
    bool brief = block.front().second.find("WHEN_FAILED") == std::string_view::npos;
    for (size_t i = 1; i < block.size(); ++i) {
      const auto& [number, line] = block[i];
      if (StartsWith(Trim(line), "|")) continue;  // the legend of -x's flags
      if (auto attribute = ParseAttribute(line, brief)) fDevice.fAttributes.push_back(std::move(*attribute));
      else Warn(fDevice.fWarnings, number, line);
    }
  }

  // Before any section smartctl prints its banner and its failures (such as a
  // device it could not open), which are kept as raw sections.
  enum ESection { kPreamble, kInformation, kData };
  TSmartDevice fDevice;
  ESection fSection = kPreamble;
};

}  // namespace

TSmartDevice ParseSmartctlText(const std::string& text) { return TSmartTextParser().Parse(text); }

namespace {

std::string JsonText(const nlohmann::json& object, std::initializer_list<const char*> path) {
  const nlohmann::json* node = &object;
  for (const char* name : path) {
    if (!node->is_object() || !node->contains(name)) return "";
    node = &(*node)[name];
  }
  if (node->is_string()) return node->get<std::string>();
  if (node->is_number() || node->is_boolean()) return node->dump();
  return "";
}

std::optional<unsigned long long> JsonNumber(const nlohmann::json& object, std::initializer_list<const char*> path) {
  return ParseUnsigned(JsonText(object, path));
}

void ReadJsonAttributes(const nlohmann::json& root, TSmartDevice& device) {
  const nlohmann::json* table = nullptr;
  if (root.contains("ata_smart_attributes") && root["ata_smart_attributes"].is_object() &&
      root["ata_smart_attributes"].contains("table"))
    table = &root["ata_smart_attributes"]["table"];
  if (!table || !table->is_array()) return;
  for (const nlohmann::json& row : *table) {
    if (!row.is_object()) continue;
    auto number = [&](const char* name) -> std::optional<unsigned> {
      if (auto value = JsonNumber(row, {name})) return static_cast<unsigned>(*value);
      return std::nullopt;
    };
    TSmartAttribute attribute{number("id").value_or(0), JsonText(row, {"name"}), JsonText(row, {"flags", "string"}),
                              number("value"), number("worst"), number("thresh"), JsonText(row, {"when_failed"}),
                              JsonText(row, {"raw", "string"})};
    device.fAttributes.push_back(std::move(attribute));
  }
}

}  // namespace

TSmartDevice ParseSmartctlJson(const std::string& text) {
  TSmartDevice device;
  nlohmann::json root = nlohmann::json::parse(text, nullptr, false);
  if (!root.is_object()) {
    Warn(device.fWarnings, 1, "not a JSON object");
    return device;
  }
  if (root.contains("smartctl") && root["smartctl"].contains("messages") && root["smartctl"]["messages"].is_array())
    for (const nlohmann::json& message : root["smartctl"]["messages"])
      Warn(device.fWarnings, 0, JsonText(message, {"string"}));
  std::string protocol = JsonText(root, {"device", "protocol"});
  device.fProtocol = protocol;
  device.fModelFamily = JsonText(root, {"model_family"});
  device.fModel = JsonText(root, {"model_name"});
  if (device.fModel.empty()) device.fModel = JsonText(root, {"scsi_product"});
  device.fVendor = JsonText(root, {"scsi_vendor"});
  device.fSerial = JsonText(root, {"serial_number"});
  device.fFirmware = JsonText(root, {"firmware_version"});
  if (device.fFirmware.empty()) device.fFirmware = JsonText(root, {"scsi_revision"});
  device.fCapacityBytes = JsonNumber(root, {"user_capacity", "bytes"});
  if (!device.fCapacityBytes) device.fCapacityBytes = JsonNumber(root, {"nvme_total_capacity"});
  if (auto rpm = JsonNumber(root, {"rotation_rate"}))
    device.fRotationRate = *rpm == 0 ? "Solid State Device" : std::to_string(*rpm) + " rpm";
  device.fFormFactor = JsonText(root, {"form_factor", "name"});
  std::string passed = JsonText(root, {"smart_status", "passed"});
  if (!passed.empty()) device.fHealth = passed == "true" ? "PASSED" : "FAILED";
  if (auto celsius = JsonNumber(root, {"temperature", "current"})) device.fTemperatureCelsius = static_cast<int>(*celsius);
  device.fPowerOnHours = JsonNumber(root, {"power_on_time", "hours"});
  ReadJsonAttributes(root, device);
  if (root.contains("nvme_smart_health_information_log") && root["nvme_smart_health_information_log"].is_object())
    for (const auto& [name, value] : root["nvme_smart_health_information_log"].items())
      if (value.is_primitive()) device.fHealthLog.fFields.push_back({name, value.is_string() ? value.get<std::string>() : value.dump(), {}});
  return device;
}

}  // namespace NVKXQZA20::NMachine
