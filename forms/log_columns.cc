#include "forms/log_columns.h"

#include <algorithm>
#include <iterator>

const char kSeverityLabel[] = "Severity";

namespace {

const char* const kLogTimeLabels[] = {"Time Stamp"};
const char* const kLogMessageLabels[] = {"Message", "Description"};
const char* const kFreeTextLabels[] = {"Message", "Description", "Details", "Event Description"};
const char* const kLogSeverityLabels[] = {"Type", "Severity", "Perceived Severity", "Entry Type", "Event Type", "Level"};

// The first column whose label is one of labels; -1 for none.
template <size_t N>
int LabelColumn(const std::vector<std::string>& header, const char* const (&labels)[N]) {
  for (size_t c = 0; c < header.size(); ++c) {
    if (std::find(std::begin(labels), std::end(labels), header[c]) != std::end(labels)) return static_cast<int>(c);
  }
  return -1;
}

}  // namespace

TLogColumns::TLogColumns(const std::vector<std::string>& labels) {
  if (LabelColumn(labels, kLogTimeLabels) < 0) return;
  fMessage = LabelColumn(labels, kLogMessageLabels);
  fField = LabelColumn(labels, kLogSeverityLabels);
}

bool IsFreeTextLabel(const std::string& label) {
  return std::find(std::begin(kFreeTextLabels), std::end(kFreeTextLabels), label) != std::end(kFreeTextLabels);
}
