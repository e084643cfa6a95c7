// The facts that name the reported machine (host name, model, serial
// number, operating system, collection time, collector), read once for the
// index of every output format.
#ifndef QZA_HOST_REPORT_SUMMARY_H
#define QZA_HOST_REPORT_SUMMARY_H

#include <string>
#include <vector>

#include "writer/writer.h"

struct TSummaryItem {
  std::string fLabel;
  std::string fValue;  // plain text
};

// The known facts in a fixed order, each from the first class that has it;
// facts the repository lacks are left out.
std::vector<TSummaryItem> ReadReportSummary(const TWriter::TNamespacePtr& ns);

// The fact's value, "" when the summary lacks it.
std::string SummaryValue(const std::vector<TSummaryItem>& summary, const std::string& label);

// The host name, else the model, else the serial number, else "Unnamed system".
std::string MachineName(const std::vector<TSummaryItem>& summary);

#endif
