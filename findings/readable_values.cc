#include "findings/readable_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <regex>
#include <sstream>

#include "core/status.h"

using NVKXQZA20::ICIMProperty;
using NVKXQZA20::ICIMPropertyDecl;
using NVKXQZA20::TCIMDateTime;
using NVKXQZA20::TQZAException;

enum class EPrefixes { kBinary, kDecimal, kNone };

// Which declared units become readable, and how. A PUnit is matched with
// its multipliers ("* 2^10", "* 10^6") taken off; they scale the value on
// top of fBaseUnits. The Units texts are those of schemas without PUnit.
struct TUnitRule {
  const char* fDeclared;
  double fBaseUnits;  // base units in one declared unit
  EPrefixes fPrefixes;
  const char* fSymbol;  // of the base unit
};

namespace {

const TUnitRule kUnitRules[] = {
    {"byte", 1, EPrefixes::kBinary, "B"},
    {"bit / second", 1, EPrefixes::kDecimal, "bit/s"},
    {"byte / second", 1, EPrefixes::kDecimal, "B/s"},
    {"hertz", 1, EPrefixes::kDecimal, "Hz"},
    {"Bytes", 1, EPrefixes::kBinary, "B"},
    {"bytes", 1, EPrefixes::kBinary, "B"},
    {"KiloBytes", 1024, EPrefixes::kBinary, "B"},
    {"MegaBytes", 1024.0 * 1024, EPrefixes::kBinary, "B"},
    {"Bits per Second", 1, EPrefixes::kDecimal, "bit/s"},
    {"KiloBits per Second", 1000, EPrefixes::kDecimal, "bit/s"},
    {"KiloBits Per Second", 1000, EPrefixes::kDecimal, "bit/s"},
    {"KiloBytes per Second", 1000, EPrefixes::kDecimal, "B/s"},
    {"Hertz", 1, EPrefixes::kDecimal, "Hz"},
    {"MegaHertz", 1e6, EPrefixes::kDecimal, "Hz"},
    {"percent", 1, EPrefixes::kNone, "%"},
    {"Percent", 1, EPrefixes::kNone, "%"},
};

// Numbers read as bit patterns, in hex of so many digits, as smartctl
// shows them: a SMART attribute's flags, the registers of its error log.
const struct {
  const char* fProperty;
  int fDigits;
} kHexProperties[] = {
    {"flags", 4}, {"errorReg", 2}, {"statusReg", 2}, {"commandReg", 2}, {"deviceControl", 2}, {"features", 2},
};

// The SMART attributes whose raw value smartctl reads as a temperature
// with its minimum and maximum (tempminmax); the others read as one
// little-endian 48-bit number (raw48).
const int kTemperatureAttributes[] = {190, 194};
const char kSmartRawProperty[] = "rawVal";
const char kSmartIdProperty[] = "attribID";

// Units a column label names in parentheses, dropped when its cells show
// their own.
const char* const kLabelUnits[] = {"byte", "bytes", "KB", "MB", "GB", "KiloBytes", "MegaBytes", "bit / second",
                                   "bits per second", "MHz", "hertz", "percent", "%"};

// Sizes below this (MTUs, sector and block sizes) read best as they are.
const double kLeastScaledSize = 65536;

const char* const kBinaryPrefixes[] = {"", "Ki", "Mi", "Gi", "Ti", "Pi", "Ei"};
const char* const kDecimalPrefixes[] = {"", "k", "M", "G", "T", "P", "E"};

// The text of a qualifier of the property's declaration, none when absent.
std::optional<std::string> QualifierText(const ICIMProperty& property, const char* name) {
  try {
    boost::shared_ptr<ICIMPropertyDecl> declaration = property.GetPropertyDecl();
    if (!declaration) return std::nullopt;
    bool found = false;
    auto qualifier = declaration->GetQualifier(name, found);
    if (!found || !qualifier) return std::nullopt;
    return qualifier->GetValue().ToString();
  } catch (const TQZAException&) {
    return std::nullopt;
  }
}

// A PUnit without its multipliers, and what they multiply by: 0 when that
// is no usable number (a multiplier of hundreds of digits), so that the
// value keeps its exact text.
std::string PlainUnit(const std::string& unit, double& factor) {
  static const std::regex kMultiplier(R"(\*\s*(\d+)\s*\^\s*(-?\d+))");
  factor = 1;
  for (auto m = std::sregex_iterator(unit.begin(), unit.end(), kMultiplier); m != std::sregex_iterator(); ++m) {
    factor *= std::pow(std::strtod((*m)[1].str().c_str(), nullptr), std::strtod((*m)[2].str().c_str(), nullptr));
  }
  if (!std::isfinite(factor) || factor <= 0) factor = 0;
  std::istringstream words(std::regex_replace(unit, kMultiplier, " "));
  std::string plain, word;
  while (words >> word) plain += (plain.empty() ? "" : " ") + word;
  return plain;
}

const TUnitRule* RuleOf(const std::string& declared) {
  for (const TUnitRule& rule : kUnitRules) {
    if (declared == rule.fDeclared) return &rule;
  }
  return nullptr;
}

// One decimal at most, none when it is 0: "893.8 GiB", "32 GiB", "37%".
std::string WithPrefix(double value, const TUnitRule& rule) {
  const bool binary = rule.fPrefixes == EPrefixes::kBinary;
  const double step = binary ? 1024 : 1000;
  const char* const* prefixes = binary ? kBinaryPrefixes : kDecimalPrefixes;
  const size_t count = std::size(kBinaryPrefixes);
  size_t index = 0;
  double scaled = std::round(value * 10) / 10;
  const bool scale = rule.fPrefixes == EPrefixes::kDecimal || (binary && std::fabs(value) >= kLeastScaledSize);
  while (scale && index + 1 < count && std::fabs(scaled) >= step) {
    value /= step;
    scaled = std::round(value * 10) / 10;
    ++index;
  }
  std::ostringstream text;
  text.setf(std::ios::fixed);
  text.precision(scaled == std::floor(scaled) ? 0 : 1);
  text << scaled << (rule.fPrefixes == EPrefixes::kNone ? "" : " ") << prefixes[index] << rule.fSymbol;
  return text.str();
}

bool IsNumberType(NVKXQZA20::ECIMType type) {
  return type >= NVKXQZA20::CIMTypeUInt8 && type <= NVKXQZA20::CIMTypeReal64;
}

// Where a DMTF date-time has its UTC offset: a sign and three digits of minutes.
const size_t kOffsetAt = 21;
const size_t kOffsetLength = 4;

// "UTC" or "UTC-05:00" from the offset of a DMTF date-time.
std::string OffsetLabel(const std::string& dmtf) {
  const int minutes = std::atoi(dmtf.substr(kOffsetAt + 1, 3).c_str());
  if (minutes == 0) return "UTC";
  char label[32];
  std::snprintf(label, sizeof label, "UTC%c%02d:%02d", dmtf[kOffsetAt], minutes / 60, minutes % 60);
  return label;
}

// The bytes of a SMART raw value, least significant first; none unless all are bytes.
std::optional<std::vector<unsigned>> RawBytes(const std::vector<std::string>& texts) {
  std::vector<unsigned> bytes;
  for (const std::string& text : texts) {
    char* end = nullptr;
    const unsigned long byte = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || byte > 255) return std::nullopt;
    bytes.push_back(static_cast<unsigned>(byte));
  }
  return bytes;
}

// The SMART attribute ID of the row, from its ID cell; -1 when none.
int AttributeIdOf(const TReadableValues::TRowSources& row) {
  for (const TReadableValues::TProperties* sources : row) {
    if (sources == nullptr || sources->size() != 1 || !sources->front()) continue;
    if (sources->front()->GetName() == kSmartIdProperty) return std::atoi(sources->front()->GetValueText().c_str());
  }
  return -1;
}

// "33 °C (min 18, max 46)" from 33 0 18 0 46 0: the current temperature in
// the lowest byte, the least and most in the third and fifth when they
// bracket it.
std::string Temperature(const std::vector<unsigned>& bytes) {
  std::string text = std::to_string(bytes[0]) + " \u00b0C";
  if (bytes.size() >= 5 && bytes[2] != 0 && bytes[2] <= bytes[0] && bytes[0] <= bytes[4]) {
    text += " (min " + std::to_string(bytes[2]) + ", max " + std::to_string(bytes[4]) + ")";
  }
  return text;
}

}  // namespace

std::string LabelWithoutUnit(const std::string& label) {
  const size_t open = label.rfind(" (");
  if (open == std::string::npos || label.back() != ')') return label;
  const std::string unit = label.substr(open + 2, label.size() - open - 3);
  for (const char* known : kLabelUnits) {
    if (unit == known) return label.substr(0, open);
  }
  return label;
}

std::optional<TReadableValue> TReadableValues::Of(const TProperties& sources, const std::string& libraryText,
                                                  const TRowSources& row) const {
  if (sources.size() != 1 || !sources.front() || libraryText.empty()) return std::nullopt;
  const ICIMProperty& property = *sources.front();
  try {
    const NVKXQZA20::TCIMValue value = property.GetValue();
    if (value.IsNull()) return std::nullopt;
    if (property.IsArray()) return property.GetName() == kSmartRawProperty ? SmartRawValue(property, row) : std::nullopt;
    if (property.GetType() == NVKXQZA20::CIMTypeDateTime) return DateTime(value.ToDateTime(), libraryText);
    if (IsNumberType(property.GetType()) && libraryText == property.GetValueText()) {
      if (auto hex = Hexadecimal(property, libraryText)) return hex;
      return Quantity(property, libraryText);
    }
  } catch (const TQZAException&) {
    // An unreadable value is shown as the library wrote it.
  }
  return std::nullopt;
}

std::string TReadableValues::TimeText(const TProperties& sources, const std::string& libraryText) const {
  const bool time = sources.size() == 1 && sources.front() && !sources.front()->IsArray() &&
                    sources.front()->GetType() == NVKXQZA20::CIMTypeDateTime;
  if (!time) return libraryText;
  const std::optional<TReadableValue> shown = Of(sources, libraryText);
  return shown ? shown->fText : libraryText;
}

const TReadableValues::TUnit& TReadableValues::UnitOf(const ICIMProperty& property) const {
  const boost::shared_ptr<ICIMPropertyDecl> declaration = property.GetPropertyDecl();
  auto known = fUnits.find(declaration.get());
  if (known != fUnits.end()) return known->second.second;
  // Bounded, should declarations come and go.
  if (fUnits.size() >= kMaxKnownUnits) fUnits.clear();
  TUnit unit;
  const std::optional<std::string> units = QualifierText(property, "Units");
  if (const std::optional<std::string> punit = QualifierText(property, "PUnit")) {
    const std::string plain = PlainUnit(*punit, unit.fFactor);
    if (unit.fFactor != 0) unit.fRule = RuleOf(plain);
  }
  if (!unit.fRule && units) {
    unit.fFactor = 1;
    unit.fRule = RuleOf(*units);
  }
  if (unit.fRule) unit.fName = units ? *units : *QualifierText(property, "PUnit");
  return fUnits.emplace(declaration.get(), std::make_pair(declaration, unit)).first->second.second;
}

std::optional<TReadableValue> TReadableValues::Quantity(const ICIMProperty& property,
                                                        const std::string& libraryText) const {
  const TUnit& unit = UnitOf(property);
  if (!unit.fRule) return std::nullopt;
  const double value = property.GetValue().ToReal64();
  return TReadableValue{WithPrefix(value * unit.fFactor * unit.fRule->fBaseUnits, *unit.fRule),
                        libraryText + " " + unit.fName, libraryText, true};
}

std::optional<TReadableValue> TReadableValues::Hexadecimal(const ICIMProperty& property,
                                                           const std::string& libraryText) {
  const std::string name = property.GetName();
  for (const auto& hex : kHexProperties) {
    if (name != hex.fProperty) continue;
    char text[32];
    std::snprintf(text, sizeof text, "0x%0*llx", hex.fDigits,
                  static_cast<unsigned long long>(property.GetValue().ToUInt64()));
    return TReadableValue{text, libraryText, libraryText};
  }
  return std::nullopt;
}

// As smartctl decodes it by the attribute's ID; the raw bytes are its exact text.
std::optional<TReadableValue> TReadableValues::SmartRawValue(const ICIMProperty& property, const TRowSources& row) {
  const std::optional<std::vector<unsigned>> bytes = RawBytes(property.GetValueTexts());
  if (!bytes || bytes->empty() || bytes->size() > 6) return std::nullopt;
  std::string exact = "raw";
  unsigned long long number = 0;
  for (size_t i = 0; i < bytes->size(); ++i) {
    exact += " " + std::to_string((*bytes)[i]);
    number |= static_cast<unsigned long long>((*bytes)[i]) << (8 * i);
  }
  const int id = AttributeIdOf(row);
  const bool temperature =
      std::find(std::begin(kTemperatureAttributes), std::end(kTemperatureAttributes), id) != std::end(kTemperatureAttributes);
  const std::string sortKey = std::to_string(temperature ? (*bytes)[0] : number);
  return TReadableValue{temperature ? Temperature(*bytes) : std::to_string(number), exact, sortKey};
}

// A timestamp that is just a date (firmware build dates) shows as one;
// other timestamps get their UTC offset.
std::optional<TReadableValue> TReadableValues::DateTime(const TCIMDateTime& value,
                                                        const std::string& libraryText) const {
  const std::string& dmtf = value.ToDMTFString();
  if (value.IsInterval() || libraryText != value.ToUIString() || dmtf.size() != 25) return std::nullopt;
  if (dmtf.compare(8, 6, "000000") == 0 && dmtf.compare(15, 6, "000000") == 0) {
    return TReadableValue{libraryText.substr(0, 10), libraryText, libraryText};
  }
  // Light, since a log has a timestamp in every row: the text alone, which
  // sorts as the library's text does.
  // A log's records mostly share one offset: its label is made once.
  if (dmtf.compare(kOffsetAt, kOffsetLength, fOffset) != 0) {
    fOffset = dmtf.substr(kOffsetAt, kOffsetLength);
    fOffsetLabel = OffsetLabel(dmtf);
  }
  return TReadableValue{libraryText + " " + fOffsetLabel, "", ""};
}

std::string TimeWithOffset(const std::string& dmtf) {
  try {
    const TCIMDateTime time(dmtf);
    if (time.IsInterval() || dmtf.size() != 25) return "";
    return time.ToUIString() + " " + OffsetLabel(dmtf);
  } catch (const TQZAException&) {
    return "";
  }
}
