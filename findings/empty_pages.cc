#include "findings/empty_pages.h"

#include <algorithm>
#include <iterator>

#include "core/status.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TAddToVectorCallback;
using NVKXQZA20::TQZAException;

namespace {

// The collector's log sources each page is made from, page by page.
struct TPageSources {
  const char* fLinkName;
  std::vector<const char*> fSources;
};

const TPageSources kPageSources[] = {
    {"kernelmodules", {"collector.kernel modules"}},
    {"installed_packages", {"collector.Debian packages", "collector.RPM packages"}},
    {"processes", {"collector.processes"}},
    {"net", {"collector.network interfaces"}},
    {"hw_info", {"collector.hardware", "collector.SMBIOS tables (dmidecode)"}},
    {"firmware", {"collector.hardware", "collector.SMBIOS tables (dmidecode)", "collector.ipmi"}},
    {"pci_info", {"collector.PCI devices"}},
    {"Environmentals", {"collector.sensors", "collector.sensors (lm-sensors)", "collector.IPMI sensors"}},
    {"Drive_Health", {"collector.SMART"}},
    {"servproc_config", {"collector.ipmi", "collector.IPMI controller"}},
    {"ipmi_event", {"collector.ipmi", "collector.IPMI event log"}},
};

const char kCollectorLogClass[] = "VKXSG_QZALogRecord";
// A hostile collection may log without end: a page names a few of its records.
const size_t kMostMessagesPerSource = 4;
const size_t kLongestMessage = 300;

bool IsPageSource(const std::string& source) {
  return std::any_of(std::begin(kPageSources), std::end(kPageSources), [&](const TPageSources& page) {
    return std::find(page.fSources.begin(), page.fSources.end(), source) != page.fSources.end();
  });
}

std::string PropertyText(const ICIMInstance& record, const char* name) {
  try {
    return record.GetProperty(name)->GetValueText();
  } catch (const TQZAException&) {
    return "";
  }
}

}  // namespace

void TEmptyPageReasons::Read(const TWriter::TNamespacePtr& ns, bool comparison) {
  fMessagesBySource.clear();
  fComparison = comparison;
  TWriter::TInstances records;
  try {
    ns->GetClass(kCollectorLogClass)->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(records), true);
  } catch (const TQZAException&) {
    return;  // a collection without the collector's log says nothing
  }
  for (const auto& record : records) {
    const std::string source = PropertyText(*record, "Source");
    if (!IsPageSource(source)) continue;
    std::vector<std::string>& messages = fMessagesBySource[source];
    const std::string message = PropertyText(*record, "Message").substr(0, kLongestMessage);
    if (messages.size() < kMostMessagesPerSource && !message.empty()) messages.push_back(message);
  }
}

std::string TEmptyPageReasons::Of(const std::string& linkName) const {
  std::string said;
  for (const TPageSources& page : kPageSources) {
    if (linkName != page.fLinkName) continue;
    for (const char* source : page.fSources) {
      const auto found = fMessagesBySource.find(source);
      if (found == fMessagesBySource.end()) continue;
      for (const std::string& message : found->second) said += " " + message;
    }
  }
  if (said.empty()) {
    return std::string("No data: ") + (fComparison ? "these collections hold" : "this collection holds") +
           " nothing for this page.";
  }
  return "No data. The collector's log says:" + said;
}
