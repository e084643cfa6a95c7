#include "forms/host_writer.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "core/repository.h"
#include "findings/readable_values.h"
#include "forms/sensor_table.h"
#include "writer/cim_reading.h"

namespace {

std::string ContextText(const NVKXQZA20::TCIMContext& context, const std::string& key,
                        const std::string& absent) {
  NVKXQZA20::TCIMContext::const_iterator entry = context.find(key);
  return entry == context.end() ? absent : entry->second.ToString();
}

const char* const kSensorNameProperties[] = {"SensorDescription", "ElementName", "Name"};
const char* const kSensorNodeProperties[] = {"SourceNode", "NodeID"};
const char* const kThresholdProperties[] = {"LowerThresholdCritical", "LowerThresholdNonCritical",
                                            "UpperThresholdNonCritical", "UpperThresholdCritical"};

template <size_t N>
bool HasText(const NVKXQZA20::ICIMInstance& instance, const char* const (&properties)[N], const std::string& text) {
  for (const char* property : properties) {
    if (PropertyText(instance, property) == text) return true;
  }
  return false;
}

// The one shown sensor of that name (and node: "" for a table without
// nodes); nullptr when none or several.
TWriter::TInstancePtr SensorOfRow(const TWriter::TInstances& sensors, const std::string& name, const std::string* node) {
  TWriter::TInstancePtr found;
  for (const TWriter::TInstancePtr& sensor : sensors) {
    if (!HasText(*sensor, kSensorNameProperties, name)) continue;
    if (node && !HasText(*sensor, kSensorNodeProperties, *node)) continue;
    if (found) return nullptr;
    found = sensor;
  }
  return found;
}

// When the collection was taken, with its UTC offset; "" when it does not say.
std::string CollectionTime(const NVKXQZA20::ICIMNamespace& ns, const NVKXQZA20::TCIMContext& source) {
  const TWriter::TInstances zones = InstancesOfClass(ns, "VKXSG_TimeZone", source);
  if (zones.empty()) return "";
  try {
    return TimeWithOffset(zones.front()->GetProperty("LocalDateTime")->GetValue().ToDateTime().ToDMTFString());
  } catch (const NVKXQZA20::TQZAException&) {
    return "";
  }
}

}  // namespace

THostWriter::THostWriter(TWriterSettings settings) : fSettings(std::move(settings)) {
  if (fSettings.fStagingFolder.empty()) fSettings.fStagingFolder = fSettings.fOutputFolder;
  if (!fSettings.fWriterType.empty()) SetWriterType(fSettings.fWriterType);
  SetDataFolder(fSettings.fDataFolder);
  SetOutputFolder(fSettings.fStagingFolder);
}

void THostWriter::Initialize(TNamespacePtr ns, NVKXQZA20::TCIMContext context, const std::string&) {
  SetMode(ContextText(context, "mode", "default"));
  SetOutputFolder(fSettings.fStagingFolder);
  fCollectionLabels = GetDataSourceLabels();
  for (size_t i = 0; ns && i < fCollectionLabels.size(); ++i) {
    const std::string time = CollectionTime(*ns, ContextForDataSource(context, static_cast<uint16_t>(i)));
    if (time.compare(0, fCollectionLabels[i].size() + 1, fCollectionLabels[i] + " ") == 0) fCollectionLabels[i] = time;
  }
}

void THostWriter::RelabelCollections(TTableGrid& grid) const {
  const std::vector<std::string>& library = GetDataSourceLabels();
  if (library.size() != fCollectionLabels.size() || library == fCollectionLabels) return;
  for (TTableCell& cell : grid.fCells) {
    const auto found = std::find(library.begin(), library.end(), cell.fText);
    if (found != library.end()) cell.fText = fCollectionLabels[found - library.begin()];
  }
}

std::string THostWriter::DisplayPath(const std::string& path) const {
  const std::string& staging = fSettings.fStagingFolder;
  if (staging == fSettings.fOutputFolder || path.compare(0, staging.size(), staging) != 0) return path;
  return fSettings.fOutputFolder + path.substr(staging.size());
}

void THostWriter::WriteWholeFile(const std::string& path, const std::string& text) {
  WriteStreamedFile(path, [&text](std::ostream& out) { out << text; });
}

void THostWriter::WriteStreamedFile(const std::string& path, const std::function<void(std::ostream&)>& write) {
  std::ofstream file(path, std::ios::binary);
  if (file) write(file);
  file.close();
  if (file) return;
  fFailures.push_back(path + ": cannot write the file");
  throw std::runtime_error(fFailures.back());
}

std::set<std::string> THostWriter::VolatileColumnLabels() {
  std::set<std::string> labels;
  auto ns = boost::dynamic_pointer_cast<NVKXQZA20::TMemoryNamespace>(GetNamespace());
  if (!ns) return labels;
  const std::vector<TIgnoredProperty> properties = VolatileProperties(fIgnored);
  NVKXQZA20::TClassCallback add = [&](boost::shared_ptr<NVKXQZA20::ICIMClass> cls) {
    for (const TIgnoredProperty& property : properties) {
      const bool inClass = property.fClass == "*" || cls->IsA(property.fClass);
      if (!inClass || !cls->GetPropertyDecl(property.fProperty)) continue;
      try {
        labels.insert(GetTableHeaderLabel(*cls, TReportProperty(property.fProperty, "", "", "", ""),
                                          NVKXQZA20::TCIMContext()));
      } catch (const NVKXQZA20::TQZAException&) {
        // A property without a label has no column to fold.
      }
    }
    return true;
  };
  for (const auto& root : ns->GetRootClasses(NVKXQZA20::TCIMContext())) {
    add(root);
    root->EnumerateSubclasses(add, true);
  }
  return labels;
}

std::vector<TNewLogRecords> THostWriter::NewLogRecords() {
  if (fNewLogRecords) return *fNewLogRecords;
  auto ns = boost::dynamic_pointer_cast<NVKXQZA20::TMemoryNamespace>(GetNamespace());
  return ns ? FindNewLogRecords(*ns) : std::vector<TNewLogRecords>();
}

// The log records of the later collections that the base lacks, with the
// time and message a reader looks for.
std::vector<TShownLogRecords> THostWriter::ShownLogRecords(TRecordSeverities& severities) {
  std::vector<TShownLogRecords> shown;
  for (const TNewLogRecords& log : NewLogRecords()) {
    const std::vector<std::string>& labels = CollectionLabels();
    shown.push_back(TShownLogRecords{log.fLog, log.fDataSource < labels.size() ? labels[log.fDataSource] : "",
                                     labels.empty() ? "" : labels.front(), {}});
    for (const auto& record : log.fRecords) {
      std::string time;
      try {
        time = TimeWithOffset(record->GetProperty("MessageTimestamp")->GetValue().ToDateTime().ToDMTFString());
      } catch (const NVKXQZA20::TQZAException&) {
        // A record without a time shows none.
      }
      std::string message = PropertyText(*record, "Message");
      if (message.empty()) message = PropertyText(*record, "Description");
      shown.back().fRecords.push_back(TShownRecord{time, message, severities.Of(*record)});
    }
  }
  return shown;
}

size_t RecordCount(const std::vector<TShownLogRecords>& logs) {
  size_t count = 0;
  for (const TShownLogRecords& log : logs) count += log.fRecords.size();
  return count;
}

bool THostWriter::ShapeSensorTable(TTableGrid& grid) {
  if (IsComparisonRun() || !IsSensorGrid(grid) || !GetNamespace()) return false;
  const TInstances sensors = InstancesOfClass(*GetNamespace(), "CIM_NumericSensor");
  const bool nodes = grid.fColumns == 4;
  ShapeSensorGrid(grid, [&](int32_t row) {
    TSensorFacts facts;
    const TInstancePtr sensor =
        SensorOfRow(sensors, grid.Cell(row, 0).fText, nodes ? &grid.Cell(row, 1).fText : nullptr);
    if (!sensor) return facts;
    facts.fStatus = GetPropertyValue(sensor, "OperationalStatus", ", ");
    int32_t modifier = 0;
    try {
      modifier = sensor->GetProperty("UnitModifier")->GetValue().ToSInt32();
    } catch (const NVKXQZA20::TQZAException&) {
      // Unscaled, as the library reads the reading.
    }
    for (size_t t = 0; t < facts.fThresholds.size(); ++t) {
      facts.fThresholds[t] = ScaledSensorValue(PropertyText(*sensor, kThresholdProperties[t]), modifier);
    }
    return facts;
  });
  return true;
}
