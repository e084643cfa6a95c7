// The ESXi inventory pages: "Hardware Inventory" (cards, devices and
// connectors, then the CPU and memory slots, on one page) and
// "Firmware/VPD" (every firmware and VPD table as a grid table).
#include "esxi/writer_vmwesxi.h"
#include "writer/trace.h"

void TWriter_vmwesxi::WriteCustomHardwareInventoryReport(TReportParametersBuilder_vmwesxi builder) {
  TNamedTraceScope trace("TWriter_vmwesxi::WriteCustomHardwareInventoryReport");
  const TReportParameters page = builder.BuildHardwareInventoryParams();
  OpenReportPage(page);
  bool hasContent = WriteTablesWithInstances(page.GetClasses());
  // The slot pages hide their titles: they continue the inventory page, each
  // as a block of its own.
  for (const TReportParameters& slots :
       {builder.BuildHardwareInventoryCPUSlotsParams(), builder.BuildHardwareInventoryMemorySlotsParams()}) {
    WriteSeparator();
    if (WriteTablesWithInstances(slots.GetClasses())) hasContent = true;
  }
  CloseReportPage(page, hasContent);
}

void TWriter_vmwesxi::WriteCustomFirmwareReport(TReportParametersBuilder_vmwesxi builder) {
  TNamedTraceScope trace("TWriter_vmwesxi::WriteCustomFirmwareReport");
  const TReportParameters page = builder.BuildFirmwareParams();
  OpenReportPage(page);
  bool hasContent = false;
  for (const TReportClass& table : page.GetClasses()) {
    if (WriteGridTables(table)) hasContent = true;
  }
  CloseReportPage(page, hasContent);
}
