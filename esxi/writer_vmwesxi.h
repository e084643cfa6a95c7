// The base of the writers of a VMware ESXi report. A class of its own, beside
// TWriter: it declares its own output operations (one per generic page among
// them), renders page definitions with the formatting, queries and table
// renderer it shares with TWriter (without TWriter's treatment of particular
// classes, and with the tables' property filters applied), and writes the
// ESXi custom pages. The host derives its ESXi writers from it.
//
//   class TMyEsxiWriter : public TWriter_vmwesxi {
//     void Initialize(TNamespacePtr ns, TCIMContext, const std::string&) override {
//       SetNamespace(ns);                    // the queries read this repository
//       SetOutputFolder("/reports/esxi1");
//     }
//     void WriteSystemOverviewPage(TReportParameters page) override { WriteGenericReport(page); }
//     ...
//   };
//
// Errors: missing classes and properties read as empty (as each member
// states); other core errors, and a query made before the derived writer
// set the namespace (std::logic_error), pass to the caller, which is
// TReport_vmwesxi::Write.
#ifndef QZA_ESXI_WRITER_VMWESXI_H
#define QZA_ESXI_WRITER_VMWESXI_H

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "core/cim.h"
#include "definitions/report_parameters.h"
#include "esxi/report_parameters_builder_vmwesxi.h"
#include "writer/table_grid.h"

struct TTableRenderingHooks;

class TWriter_vmwesxi {
 public:
  typedef boost::shared_ptr<NVKXQZA20::ICIMNamespace> TNamespacePtr;
  typedef boost::shared_ptr<NVKXQZA20::ICIMInstance> TInstancePtr;
  typedef std::vector<TInstancePtr> TInstances;
  typedef boost::shared_ptr<NVKXQZA20::ICIMProperty> TPropertyPtr;
  typedef std::vector<TPropertyPtr> TProperties;
  typedef TReportParameters::TReportClass TReportClass;
  typedef TReportParameters::TReportProperty TReportProperty;

  TWriter_vmwesxi();
  TWriter_vmwesxi(const TWriter_vmwesxi&) = default;
  TWriter_vmwesxi& operator=(const TWriter_vmwesxi&) = default;
  virtual ~TWriter_vmwesxi();

  // Output operations, implemented by the concrete writer.
  virtual void Initialize(TNamespacePtr ns, NVKXQZA20::TCIMContext context, const std::string& outputTarget) = 0;
  virtual void BeginFirstCategory() = 0;
  virtual void BeginNextCategory() = 0;
  virtual void WriteCategoryTitle(std::string title) = 0;
  virtual void EndReport() = 0;
  // pagePath: the output folder, the file separator and the page's link name.
  virtual void OpenPage(std::string pagePath) = 0;
  virtual void ClosePage() = 0;
  virtual void BeginPageBody() = 0;
  virtual void EndPageBody() = 0;
  // The hand-built tables of the custom pages: a grid table (a header row of
  // WriteHeaderCell, EndGridHeader, then rows of WriteValueCell) or a
  // two-column property table (rows of a label and a value cell), each
  // closed by EndTable.
  virtual void BeginGridTable(std::string width, std::string caption, bool flag) = 0;
  virtual void BeginPropertyTable(std::string width, std::string secondWidth, std::string title) = 0;
  virtual void EndGridHeader() = 0;
  virtual void EndTable() = 0;
  virtual void WritePageTitle(std::string title, std::string linkText, std::string linkTarget) = 0;
  // hasContent false marks a page without data.
  virtual void RegisterPage(std::string linkName, std::string pageName, bool hasContent) = 0;
  virtual void WriteTableTitle(std::string title, bool& subTitleEnabled, bool& secondFlag) = 0;
  // One complete table built in memory.
  virtual void WriteTableGrid(TTableGrid grid) = 0;
  // Rows and cells of the hand-built tables. A value cell shows the
  // column's property of the instance, following the column's association
  // when it has one.
  virtual void BeginRow(bool& flag) = 0;
  virtual void EndRow() = 0;
  virtual void WriteHeaderCell(boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass, TReportProperty column) = 0;
  virtual void WriteValueCell(TInstancePtr instance, TReportProperty column) = 0;
  // The text placed between the elements of an array value.
  virtual std::string GetArraySeparatorText(TReportProperty::ArrayValueSeparator separator) = 0;
  // One value text in the output's form, before it is appended to a cell.
  virtual std::string EncodeValue(std::string value) = 0;

  // Page operations: one per page the report driver hands a definition.
  virtual void WriteSystemOverviewPage(TReportParameters page) = 0;
  virtual void WriteInstalledAppsPage(TReportParameters page) = 0;
  virtual void WriteKernelModulePage(TReportParameters page) = 0;
  virtual void WriteNetworkingPage(TReportParameters page) = 0;
  virtual void WriteResourceUtilizationPage(TReportParameters page) = 0;
  virtual void WriteProcessesPage(TReportParameters page) = 0;
  virtual void WriteOSConfigPage(TReportParameters page) = 0;
  virtual void WriteSysConfigPage(TReportParameters page) = 0;
  virtual void WriteChassisEventLogPage(TReportParameters page) = 0;
  virtual void WriteMergedLogPage(TReportParameters page) = 0;
  virtual void WriteMergedDevicesPage(TReportParameters page) = 0;
  // A cell of a hand-built table that shows the message alone.
  virtual void WriteMessageCell(std::string message, TReportProperty column) = 0;
  virtual void WritePCIInfoPage(TReportParameters page) = 0;
  // Further operations for the custom pages, as TWriter's of the same names:
  // a break between blocks of a page, a cell of a given text and a cell
  // of another instance than the row's.
  virtual void WriteSeparator() = 0;
  virtual void WritePropertyCell(TReportProperty column, std::string text) = 0;
  virtual void WriteInstanceCell(TInstancePtr instance, TReportProperty column) = 0;
  virtual void WriteDriveHealthPage(TReportParameters page) = 0;
  // A label cell taken from a property declaration.
  virtual void WriteDeclarationCell(boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl> declaration) = 0;
  virtual void WriteLSIIDEPage(TReportParameters page) = 0;
  virtual void WritePMCRAIDPage(TReportParameters page) = 0;
  virtual void WriteKeelRAIDPage(TReportParameters page) = 0;
  virtual void WriteKeelRAIDLogsPage(TReportParameters page) = 0;
  virtual void WriteQlogicPage(TReportParameters page) = 0;
  virtual void WriteEmulexPage(TReportParameters page) = 0;
  virtual void WriteBrocadeAdapterPage(TReportParameters page) = 0;
  virtual void WriteGlowLinePage(TReportParameters page) = 0;
  virtual void WriteXCMBuiltinSelfTestPage(TReportParameters page) = 0;
  // The next table's rows are members of the row before it.
  virtual void SetRawDataLink(int32_t link) = 0;
  // A cell summing up a drive's health from its raw data.
  virtual void WriteDriveHealthSummary(TPropertyPtr rawData) = 0;
  // The VMware privilege log and the QZA error log.
  virtual void WriteLogPage(TReportParameters page) = 0;
  // Between OpenPage and BeginPageBody, where a page has a heading.
  virtual void WritePageHeading() = 0;
  virtual void WriteIPMIEventPage(TReportParameters page) = 0;
  // A cell of a drive-health table: one property of a record.
  virtual void WriteDriveHealthTable(TInstancePtr record, TPropertyPtr property) = 0;

  // The custom pages, each written and registered whole.
  // "Hardware Inventory": the inventory tables, then the CPU and memory slots.
  void WriteCustomHardwareInventoryReport(TReportParametersBuilder_vmwesxi builder);
  // "Firmware/VPD": each firmware and VPD table as a grid table.
  void WriteCustomFirmwareReport(TReportParametersBuilder_vmwesxi builder);
  // "XCM Configuration": a property table per setting; the static address
  // only when no DHCP address was found.
  void WriteXCMConfigReport(TReportParametersBuilder_vmwesxi builder);
  // "Environmentals": the named sensors of known state with their readings.
  void WriteEnvironmentalsPreferred(TReportParametersBuilder_vmwesxi builder);
  // "LSI Controller": a property table per controller with its BIOS and
  // firmware versions, or the message that there is none.
  void WriteLSIReportWithCardinal();

  std::string GetWriterType() const { return fWriterType; }

 protected:
  // What the concrete writer decides, before the report is written.
  void SetNamespace(TNamespacePtr ns) { fNamespace = ns; }
  TNamespacePtr GetNamespace() const { return fNamespace; }
  void SetOutputFolder(std::string folder) { fOutputFolder = std::move(folder); }
  std::string GetOutputFolder() const { return fOutputFolder; }
  // The folder of the product's data files, for the concrete writer.
  void SetDataFolder(std::string folder) { fDataFolder = std::move(folder); }
  std::string GetDataFolder() const { return fDataFolder; }
  // The report mode ("default" or "luz"); the LSI page builds its catalog with it.
  void SetMode(std::string mode) { fMode = std::move(mode); }
  std::string GetMode() const { return fMode; }
  void SetWriterType(std::string type) { fWriterType = std::move(type); }
  // Significant digits of the sensor readings on the environmentals page.
  void SetReadingPrecision(int32_t digits) { fReadingPrecision = digits; }
  int32_t GetReadingPrecision() const { return fReadingPrecision; }

  // The output folder, the file separator and the link name joined.
  std::string PagePath(const std::string& linkName) const;

  // Value formatting, as TWriter's; values pass through EncodeValue.
  std::string GetDateTime(const NVKXQZA20::TCIMValue& value, bool flag);
  std::string GetValueFromProperty(TPropertyPtr property, std::string separator, bool useAlternate);
  std::string GetPropertyValue(TInstancePtr instance, std::string name, std::string separator);
  std::string GetDisplayName(boost::shared_ptr<const NVKXQZA20::ICIMPropertyDecl> declaration);
  std::string GetValuesFromProperties(TProperties properties, const std::string& separator, bool useAlternate);
  // The column's label override, else the display name of its property; no
  // class has labels of its own here.
  std::string GetTableHeaderLabel(NVKXQZA20::ICIMClass& cimClass, TReportProperty column,
                                  NVKXQZA20::TCIMContext context);

  // Queries, as TWriter's; the instances are kept by the table's property
  // filters before they are ordered, and the association walk is logged.
  TInstances GetInstances(TReportClass table);
  TProperties GetProperties(TInstancePtr instance, const std::string& name, const std::string& associationClass,
                            const std::string& associationTarget);

  // The generic table renderer, with no treatment of particular classes or
  // properties. Always answers false.
  bool WriteTable(TReportClass table, TInstances instances, bool oneInstancePerTable, bool passThrough,
                  NVKXQZA20::TCIMContext context);
  // The generic page: its tables that have instances, then the registration.
  void WriteGenericReport(TReportParameters page);

 private:
  // The repository the derived writer set; throws std::logic_error without one.
  const NVKXQZA20::ICIMNamespace& Repository() const;
  TTableRenderingHooks RenderingHooks();

  // Page frame: OpenPage, BeginPageBody and the title when the page shows it.
  void OpenReportPage(const TReportParameters& page);
  void CloseReportPage(const TReportParameters& page, bool hasContent);
  // The tables that have instances through WriteTable; true when any had.
  bool WriteTablesWithInstances(const std::vector<TReportClass>& tables);

  // Hand-built tables of the custom pages.
  void WritePropertyTable(TInstancePtr instance, const TReportClass& table, const std::vector<TReportProperty>& rows);
  // Grid tables of at most the table's instance limit each; false without instances.
  bool WriteGridTables(const TReportClass& table);
  void WriteGridTable(const TReportClass& table, TInstances::const_iterator first, TInstances::const_iterator last);
  void WriteNoLSICardMessage();
  // Sensors without a name or of unknown state say nothing to the reader.
  TInstances ShownSensors(const TInstances& sensors, const std::string& nameProperty);

  TNamespacePtr fNamespace;
  std::string fOutputFolder;
  std::string fDataFolder;
  std::string fMode;
  std::string fWriterType;
  int32_t fReadingPrecision;
};

#endif
