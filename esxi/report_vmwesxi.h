// The report driver of a VMware ESXi host: it builds the ESXi page catalog
// and walks one fixed sequence of categories and pages through an ESXi
// writer. There is no comparison run, no single-page request and no repair
// of the repository on this path.
//
//   TReport_vmwesxi report(ns, context, "/reports/esxi1");
//   TMyEsxiWriter writer;               // the host's writer, derived from TWriter_vmwesxi
//   report.Write(&writer, context);
//
// Errors: a null writer is logged and nothing is written; any exception
// while the report is written is logged and ends the report early (without
// EndReport); Write itself never throws.
#ifndef QZA_ESXI_REPORT_VMWESXI_H
#define QZA_ESXI_REPORT_VMWESXI_H

#include <boost/shared_ptr.hpp>
#include <string>

#include "core/cim.h"
#include "esxi/report_parameters_builder_vmwesxi.h"
#include "esxi/writer_vmwesxi.h"

class TReport_vmwesxi {
 public:
  // The context's "mode" names the report mode ("default" without one).
  TReport_vmwesxi(boost::shared_ptr<NVKXQZA20::ICIMNamespace> ns, NVKXQZA20::TCIMContext context,
                  std::string outputTarget);

  void Write(TWriter_vmwesxi* writer, NVKXQZA20::TCIMContext context);

 private:
  void WriteCategories(TWriter_vmwesxi& writer, const TReportParametersBuilder_vmwesxi& catalog,
                       const NVKXQZA20::TCIMContext& context) const;

  boost::shared_ptr<NVKXQZA20::ICIMNamespace> fNamespace;
  std::string fOutputTarget;
  std::string fMode;
};

#endif
