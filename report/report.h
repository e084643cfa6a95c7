// The report driver, the host's entry point: it reads the run's settings from
// the context, repairs known defects of the collected data, builds the page
// catalog and walks the report's categories and pages through a writer.
//
//   TReport report(ns, context, "/reports/server1");
//   THtmlWriter writer;                 // the host's writer, derived from TWriter
//   report.Write(&writer, context);     // or report.GetPage(&inventoryWriter, context)
//
// Errors: a null writer is logged and nothing is written; a failing repair is
// logged and the report goes on; one failing page never stops the report.
#ifndef QZA_REPORT_REPORT_H
#define QZA_REPORT_REPORT_H

#include <boost/shared_ptr.hpp>
#include <functional>
#include <string>

#include "catalog/report_parameters_builder.h"
#include "core/cim.h"
#include "writer/writer.h"

class TReport {
 public:
  TReport(boost::shared_ptr<NVKXQZA20::ICIMNamespace> ns, NVKXQZA20::TCIMContext context,
          std::string outputTarget);

  // The full report. The repository is repaired first, except in a comparison run.
  void Write(TWriter* writer, NVKXQZA20::TCIMContext context);
  // The text of the page the context's "pageID" names; "" unless the writer's
  // type contains "inventory".
  std::string GetPage(TWriter* writer, NVKXQZA20::TCIMContext context);

 protected:
  // The service processor is an XCM, as the firmware inventory tells.
  bool DetermineXCM();

 private:
  typedef boost::shared_ptr<TReportParametersBuilder> TBuilderPtr;

  void DetermineXCMFromContext(const NVKXQZA20::TCIMContext& context);
  TBuilderPtr NewCatalog() const;
  void WriteCategories(TWriter& writer, TBuilderPtr catalog);
  void WriteOSLogsCategory(TWriter& writer, TBuilderPtr catalog);
  std::string WriteInventoryPage(TWriter& writer, TBuilderPtr catalog);

  // Repairs of the repository, each safe to run again.
  static void RunFixup(const std::string& name, const std::function<void()>& fixup);
  void RunFixups(const NVKXQZA20::TCIMContext& context);
  void fixPCISlots();
  void fixPCISlots2();
  void fixCriticalDetailforRaidDiskRemoval();
  void fixProductNameofComputerSystem();
  void fixRedundantMonitorInfo(NVKXQZA20::TCIMContext context);
  void AddManufacturerForMem();
  bool OtherLogsReportDiskRemoval() const;
  void AddDiskRemovalRecord();

  boost::shared_ptr<NVKXQZA20::ICIMNamespace> fNamespace;
  std::string fOutputTarget;
  std::string fMode;
  std::string fPageID;
  std::string fViewID;
  std::string fDataID;
  std::string fTestID;
  bool fXCM;
  bool fComparisonRun;
  bool fPreboot;
};

#endif
