// The base of every report writer. It holds what the page writers of one run
// share (repository, run flags, data-source labels), declares the output
// operations through which all report text leaves the library, and renders
// pages: value formatting, instance queries, generic tables, page dispatch.
// The host derives its concrete writers (HTML, text, inventory) from it.
//
//   THtmlWriter writer;                       // implements the output operations
//   writer.BaseInitialize(ns, context, catalog);
//   writer.Initialize(ns, context, target);
//   writer.WriteReportPage(catalog, "HardwareInfo");
//
// Errors: nothing is reported to the caller. The queries and formatting turn
// missing classes and properties into empty results (as each member states);
// WriteReportPage absorbs whatever a page throws.
#ifndef QZA_WRITER_WRITER_H
#define QZA_WRITER_WRITER_H

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "catalog/report_parameters_builder.h"
#include "core/cim.h"
#include "definitions/report_parameters.h"
#include "writer/table_grid.h"

class TWriter {
 public:
  typedef boost::shared_ptr<NVKXQZA20::ICIMNamespace> TNamespacePtr;
  typedef boost::shared_ptr<NVKXQZA20::ICIMInstance> TInstancePtr;
  typedef std::vector<TInstancePtr> TInstances;
  typedef boost::shared_ptr<NVKXQZA20::ICIMProperty> TPropertyPtr;
  typedef std::vector<TPropertyPtr> TProperties;
  typedef boost::shared_ptr<TReportParametersBuilder> TBuilderPtr;
  typedef TReportParameters::TReportClass TReportClass;
  typedef TReportParameters::TReportProperty TReportProperty;
  typedef TReportParameters::TInstanceSorter TInstanceSorter;

  // A duration as read from a text such as "1 hour 2 minute 3 second"; each
  // field holds a decimal number as text.
  struct RunDuration {
    std::string fHours;
    std::string fMinutes;
    std::string fSeconds;
    std::string fMilliseconds;
  };

  TWriter();
  TWriter(const TWriter&) = default;
  TWriter& operator=(const TWriter&) = default;
  virtual ~TWriter();

  // Reads the run's flags and labels the data sources; called before any page.
  void BaseInitialize(TNamespacePtr ns, NVKXQZA20::TCIMContext context, TBuilderPtr builder);
  // Forgets the comparison map and the labels; called after the last page.
  void BaseDispose();
  std::string GetWriterType() const;
  // Exactly one VKXSG_OperatingSystem whose OSType is 36.
  bool IsLinux() const;
  // "major.minor" of data source 0; a preboot major below "2" becomes "2".
  std::string GetDataSourceVersion() const;
  // Writes the page a page identifier names, through its generator.
  void WriteReportPage(TBuilderPtr builder, std::string pageID);

  // Output operations, implemented by the concrete writer unless noted.
  virtual void Initialize(TNamespacePtr ns, NVKXQZA20::TCIMContext context,
                          const std::string& outputTarget) = 0;
  virtual void BeginFirstCategory() = 0;
  virtual void BeginNextCategory() = 0;
  virtual void WriteCategoryTitle(std::string title) = 0;
  virtual void EndReport() = 0;
  // The text of the single page just written.
  virtual std::string GetPageOutput() = 0;
  // The raw-data pages: the standard page's link in, the raw page's link out
  // ("" when no raw page was written). Implemented here.
  virtual std::string WriteLSIRawDataReport(std::string& pageLink);
  virtual std::string WriteKeelRAIDRawDataReport(std::string pageLink);
  virtual std::string WriteKeelRAIDManagerRawDataReport(std::string pageLink);
  virtual void WriteKeelRAIDEventLog(TInstances records, std::string title, std::string linkName) = 0;
  virtual std::string WriteQLogicRawDataReport(std::string pageLink);
  virtual std::string WriteEmulexRawDataReport(std::string pageLink);
  virtual void WriteEventLogReport(TReportParameters page) = 0;
  virtual void WriteMergedLogPage(TReportParameters page) = 0;
  virtual void BeginVellumAnalysis() = 0;
  // Opens one row of the device-analysis table and writes its cells.
  virtual void WriteVellumDeviceRow(TInstancePtr device, TReportProperty column1,
                                    TReportProperty column2, TReportProperty column3,
                                    TReportProperty column4, TReportProperty column5,
                                    TReportProperty column6, TReportProperty column7,
                                    TReportProperty column8, int32_t rowIndex) = 0;
  virtual void WriteVellumHeading() = 0;
  virtual void WriteDriveHealthSummary(TPropertyPtr rawData) = 0;
  virtual void WriteDeclarationCell(boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl> declaration) = 0;
  virtual void WriteDriveHealthTable(TInstancePtr record, TPropertyPtr property) = 0;
  virtual void WriteRegisterTable(TInstancePtr record, std::string value) = 0;
  // pagePath: the output folder, the file separator and the page's link name.
  virtual void OpenPage(std::string pagePath) = 0;
  virtual void ClosePage() = 0;
  virtual void BeginPageBody() = 0;
  virtual void EndPageBody() = 0;
  virtual void WritePageTitle(std::string title, std::string linkText, std::string linkTarget) = 0;
  // hasContent false marks a page without data.
  virtual void RegisterPage(std::string linkName, std::string pageName, bool& hasContent) = 0;
  virtual void WriteSeparator() = 0;
  virtual void WriteTableTitle(std::string title, bool& subTitleEnabled, bool& secondFlag) = 0;
  virtual void BeginGridTable(std::string width, std::string caption, bool flag) = 0;
  virtual void BeginPropertyTable(std::string width, std::string secondWidth, std::string title) = 0;
  virtual void WriteHeaderCell(boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass,
                               TReportProperty column) = 0;
  virtual void EndGridHeader() = 0;
  virtual void BeginRow(bool& flag) = 0;
  virtual void EndRow() = 0;
  virtual void EndTable() = 0;
  virtual void SetRawDataLink(int32_t link) = 0;
  // One complete table built in memory.
  virtual void WriteTableGrid(TTableGrid grid) = 0;
  virtual void WritePropertyCell(TReportProperty column, std::string text) = 0;
  virtual void WriteValueCell(TInstancePtr instance, TReportProperty column) = 0;
  virtual void WriteMessageCell(std::string message, TReportProperty column) = 0;
  virtual void WriteInstanceCell(TInstancePtr instance, TReportProperty column) = 0;
  // The text placed between the elements of an array value.
  virtual std::string GetArraySeparatorText(TReportProperty::ArrayValueSeparator separator) = 0;
  // One value text in the output's form, before it is appended to a cell.
  virtual std::string EncodeValue(std::string value) = 0;
  virtual void WritePageHeading() = 0;

 protected:
  // What the concrete writer decides.
  void SetOutputFolder(std::string folder) { fOutputFolder = std::move(folder); }
  std::string GetOutputFolder() const { return fOutputFolder; }
  void SetDataFolder(std::string folder) { fDataFolder = std::move(folder); }
  std::string GetDataFolder() const { return fDataFolder; }
  void SetMode(std::string mode) { fMode = std::move(mode); }
  std::string GetMode() const { return fMode; }
  void SetWriterType(std::string type) { fWriterType = std::move(type); }

  TNamespacePtr GetNamespace() const { return fNamespace; }
  // The output folder, the file separator and the link name joined.
  std::string PagePath(const std::string& linkName) const;
  // The repository holds the comparison of several data sources (DELTA).
  bool IsComparisonRun() const { return fGenerationMode == 1; }
  const std::vector<std::string>& GetDataSourceLabels() const { return fDataSourceLabels; }

  // Value formatting. The separator is what GetArraySeparatorText gave for
  // the column. A missing property reads as "".
  std::string GetPropertyValue(TInstancePtr instance, std::string name, std::string separator);
  std::string GetValueFromProperty(TPropertyPtr property, std::string separator, bool useAlternate);
  std::string GetValuesFromProperties(TProperties properties, const std::string& separator,
                                      bool useAlternate);
  // Readable date-time; each array element is followed by a space.
  std::string GetDateTime(const NVKXQZA20::TCIMValue& value, bool flag);
  // CurrentReading x 10^UnitModifier, or "N/A" when it cannot be computed.
  std::string GetNumericSensorValue(TInstancePtr instance, bool flag);
  // Process times in milliseconds and memory in kilobytes, as plain numbers.
  std::string ConvertStrToNumType(std::string text, std::string propertyName);
  std::string GetDisplayName(boost::shared_ptr<const NVKXQZA20::ICIMPropertyDecl> declaration);
  std::string GetTableHeaderLabel(NVKXQZA20::ICIMClass& cimClass, TReportProperty column,
                                  NVKXQZA20::TCIMContext context);
  std::string GetUniqueId(TInstancePtr instance, std::string uniqueIdProperty);

  // Text and duration utilities; they read no state.
  static std::string EscapeString(std::string text);
  static std::string TruncString(std::string text);
  static std::string TruncString(std::string text, int length);
  static std::string PadString(std::string text, int width, bool trimLeadingSpaces);
  // Widened to 64 bits so that duration totals print exactly.
  static std::string IntToStr(int64_t number, int base);
  static int GetLenOfInt(int64_t number, int base);
  static int GetNumberInString(const std::string& text);
  static void DivideStrToWords(std::string text, std::vector<std::string>& words);
  static std::string GetRowBackground();
  static void SetValue(RunDuration& duration, std::vector<std::string> words);
  static void ForwardCarry(RunDuration& duration);
  // Total milliseconds, exact in 64 bits (saturating beyond).
  static int64_t Calculate(RunDuration duration);

  // Queries. A class the repository lacks gives no instances.
  TInstances GetInstances(TReportClass table);
  TProperties GetProperties(TInstancePtr instance, const std::string& name,
                            const std::string& associationClass,
                            const std::string& associationTarget);
  std::string GetPropertyValueFromAssociation(TInstancePtr instance, std::string name,
                                              std::string associationClass,
                                              std::string resultClass, std::string separator);
  // Writes the tables of the few classes that get a treatment of their own;
  // answers (and sets handled) true when it wrote any.
  bool ClassFilter(std::vector<TReportClass>::const_iterator table, TInstances instances,
                   bool& handled);

  // Generic rendering. WriteTable always answers false.
  bool WriteTable(TReportClass table, TInstances instances, bool oneInstancePerTable,
                  bool passThrough, NVKXQZA20::TCIMContext context);
  void WriteGenericReport(TReportParameters page);
  void WriteGenericReportWithLink(TReportParameters page, const std::string& rawDataLink);

  // Page generators, one per page identifier.
  void Generator_SystemOverview(TBuilderPtr builder, std::string pageID);
  void Generator_CriticalDetails(TBuilderPtr builder, std::string pageID);
  void Generator_OSInstallation(TBuilderPtr builder, std::string pageID);
  void Generator_NetworkSettings(TBuilderPtr builder, std::string pageID);
  void Generator_ResourceUtilization(TBuilderPtr builder, std::string pageID);
  void Generator_Processes(TBuilderPtr builder, std::string pageID);
  void Generator_OSConfiguration(TBuilderPtr builder, std::string pageID);
  void Generator_HardwareInventory(TBuilderPtr builder, std::string pageID);
  void Generator_PCIInformation(TBuilderPtr builder, std::string pageID);
  void Generator_FirmwareVPD(TBuilderPtr builder, std::string pageID);
  void Generator_ServProcConfiguration(TBuilderPtr builder, std::string pageID);
  void Generator_Environmentals(TBuilderPtr builder, std::string pageID);
  void Generator_DriveHealth(TBuilderPtr builder, std::string pageID);
  void Generator_LSIController(TBuilderPtr builder, std::string pageID);
  void Generator_LSIIDEController(TBuilderPtr builder, std::string pageID);
  void Generator_PMCRAID(TBuilderPtr builder, std::string pageID);
  void Generator_KeelRAID(TBuilderPtr builder, std::string pageID);
  void Generator_KeelRAIDLogs(TBuilderPtr builder, std::string pageID);
  void Generator_QLogic(TBuilderPtr builder, std::string pageID);
  void Generator_Emulex(TBuilderPtr builder, std::string pageID);
  void Generator_BrocadeAdapter(TBuilderPtr builder, std::string pageID);
  void Generator_VMwareESXi(TBuilderPtr builder, std::string pageID);
  void Generator_GlowLine(TBuilderPtr builder, std::string pageID);
  void Generator_SelfBIST(TBuilderPtr builder, std::string pageID);
  void Generator_BIOSSettings(TBuilderPtr builder, std::string pageID);
  void Generator_OSLogs(TBuilderPtr builder, std::string pageID);
  void Generator_ServProcEvent(TBuilderPtr builder, std::string pageID);
  void Generator_ZEBChipsetRegister(TBuilderPtr builder, std::string pageID);
  void Generator_OREQSetting(TBuilderPtr builder, std::string pageID);
  void Generator_SPINTLog(TBuilderPtr builder, std::string pageID);
  void Generator_MergedLog(TBuilderPtr builder, std::string pageID);
  void Generator_MergedDevice(TBuilderPtr builder, std::string pageID);
  void Generator_Vellum(TBuilderPtr builder, std::string pageID);
  void Generator_Patchwell(TBuilderPtr builder, std::string pageID);
  void Generator_FileLoader(TBuilderPtr builder, std::string pageID);
  void Generator_DiagnosticLog(TBuilderPtr builder, std::string pageID);
  void Generator_QZAErrorLog(TBuilderPtr builder, std::string pageID);

  // Custom page writers and the comparison page writer.
  virtual void WriteCustomFirmwareReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteXCMConfigReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteEnvironmentalsReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteDriveHealthReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteLSIReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteLSIIDEReport(TBuilderPtr builder, std::string pageID);
  virtual void WritePMCReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteKeelRAIDReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteKeelRAIDLogsReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteQLogicReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteEmulexReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteBIOSEnumeration(TBuilderPtr builder, std::string pageID);
  virtual void WriteWindowsEventReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteLinuxLogReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteMergedLogReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteMergedDevicesReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteVellumReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteZEBRegisterReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteOREQSettingReport(TBuilderPtr builder, std::string pageID);
  virtual void WriteGenericDeltaReport(TReportParameters page);

  // LSI, firmware and environmentals pages.
  // The LSI vendor provider's classes (LSIESG_) hold some instance.
  bool isCardinalSupport();
  // Raw command output of LSI controllers, of any kind or of MegaRAID ones.
  bool isLSIRawDataPresent();
  bool isMRRawDataPresent();
  // Some VKXSG_LSISCSIProtocolController is a 1030 integrated-mirroring one.
  bool isLSIIntegratedRaid1030Exsited();
  void WriteLSIReportWithCardinal(TBuilderPtr builder, std::string pageID);
  void WriteLSIReportWithLegacyProvider(TBuilderPtr builder, std::string pageID);
  // The tables of the VKXSG_LSI controllers, into the page already open;
  // noCard tells whether there was none.
  void WriteLSIIntegratedRaidReport(bool& noCard);
  void WriteLSIIntegratedRaid1030Report();
  void WriteEnvironmentalsPreferred(TBuilderPtr builder, std::string pageID);

 private:
  struct TLSIControllerLayout;
  typedef void (TWriter::*TLSITables)(bool& noCard, bool rawWritten);

  // Hand-built table pieces: a title without subtitle, label and value rows
  // of one instance, a one-cell message table.
  void WritePlainTableTitle(const std::string& title);
  void WritePropertyRows(TInstancePtr instance, const std::vector<TReportProperty>& rows);
  void WriteMessageTable(const std::string& message, const std::string& columnText);
  // The grid of LSI raw-data records; writes each record's result file,
  // filePrefix + index + ".txt", into the output folder (std::system_error
  // when one cannot be written).
  TTableGrid LSIRawDataGrid(const TInstances& records, const std::string& resultHeader,
                            const std::string& filePrefix);

  // LSI page steps.
  void WriteLSIPage(bool rawPageWanted, TLSITables writeTables);
  void WriteLSICardinalTables(bool& noCard, bool rawWritten);
  void WriteLSILegacyTables(bool& noCard, bool rawWritten);
  bool IsLSI1030Controller(TInstancePtr controller);
  // The controller's packages that are not enclosures.
  TInstances LSIControllerPackages(TInstancePtr controller);
  void WriteLSIPackageTables(TInstancePtr controller, TInstancePtr package);
  void WriteLSIVolumeTables(TInstancePtr controller);
  void WriteLSIDriveTables(TInstancePtr controller);
  static TInstances SortedByName(TInstances instances);
  void WriteLSILegacyController(TInstancePtr controller, const TLSIControllerLayout& layout);
  void WriteLSIControllerStatus(TInstancePtr controller, const std::string& controllerTitle, bool volumeIDShown);
  void WriteLSISection(const std::string& controllerTitle, const std::string& section, const TInstances& instances,
                       const std::vector<TReportProperty>& rows);
  void WriteLSIHardDisks(TInstancePtr controller, const std::string& controllerTitle,
                         const TLSIControllerLayout& layout);

  // Firmware page steps; each table writer answers whether it had instances.
  bool WriteFirmwareTable(bool vendorProvider);
  bool WriteBIOSTable(bool vendorProvider, bool multiNode);
  // kind: "Firmware" or "BIOS". An LSI element of a controller other than the
  // 1030 is listed from the vendor provider's classes instead.
  bool IsLeftToVendorProvider(TInstancePtr element, const std::string& kind);
  std::string LSIControllerTypeOf(TInstancePtr element, const std::string& className, const std::string& kind);
  void WriteLSIVendorFirmwareRows();
  void WriteLSIVendorBIOSRows(bool multiNode);
  bool WriteInstanceGrid(const TReportClass& table);
  void BeginCustomGrid(const std::string& title, boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass,
                       const std::vector<TReportProperty>& columns);
  // A column without property is a text cell: the first one shows the text,
  // the others stay empty.
  void WriteGridRow(TInstancePtr instance, const std::vector<TReportProperty>& columns, const std::string& text);

  // Environmentals and XCM configuration steps.
  TInstances ShownSensors(const TInstances& sensors, const std::string& nameProperty);
  TTableGrid SensorGrid(const TReportClass& table, const TInstances& sensors);
  void WriteSettingTable(TInstancePtr instance, const std::string& title, const std::vector<TReportProperty>& rows);

 private:
  typedef void (TWriter::*TGenerator)(TBuilderPtr, std::string);

  // Memory module (SPD) tables hold at most this many modules each.
  static constexpr size_t kSPDDataPerTable = 8;

  static bool IsPropertyNull(TInstancePtr instance, const std::string& name);
  static void SortInstances(TInstances& instances, const TInstanceSorter& sorter);

  // BaseInitialize steps.
  void ReadRunFlags(const TReportParametersBuilder& builder);
  void MapDeltaClasses();
  void LabelDataSources(NVKXQZA20::TCIMContext context);

  // Rendering steps of WriteTable (the grids themselves are built by the
  // shared TTableRenderer). This writer's treatment of particular classes:
  // the text a cell shows for the text read.
  std::string AdjustCellText(const TReportClass& table, const std::string& propertyName,
                             std::string text);
  // One table per consecutive group of groupSize instances; true when any was written.
  bool WriteTableInGroups(const TReportClass& table, const TInstances& instances, size_t groupSize);
  // The instances of one table of a generic page; true when it had content.
  bool WriteGenericTable(const TReportClass& table);

  // Dispatch.
  static TGenerator FindGenerator(const std::string& pageID);
  // The comparison page in a comparison run, the generic page otherwise.
  void WriteComparablePage(TReportParameters page);
  // Logs the generator's "nothing in DELTA mode" line and answers true in a
  // comparison run.
  bool SkipInComparisonRun(const std::string& generator, const std::string& decision);
  bool IsBIOSProviderEnabled() const;
  // True when a page of mode "luz" is written; logs why not otherwise.
  bool IsLuzPageWritten(const std::string& generator);

  // KeelRAID, adapter, drive-health, OS-log, device-analysis, settings,
  // LSI IDE, PMC, chipset-register and merged-devices pages (custom/).
  // The layout of one raw-data page (custom/raw_data_pages.h).
  struct TRawDataPage;
  // The raw-data page of the layout's records, each command linked to a
  // result file written into the output folder; answers the page's link, ""
  // when there is no record. Throws std::system_error for a result file that
  // cannot be written.
  std::string WriteRawDataPage(const TRawDataPage& layout, const std::string& standardLink);
  // Mode "luz" with an "html" writer: pages with raw data link to it.
  bool IsRawDataShown() const;
  // False only for a class the repository lacks (status 15).
  bool HasClass(const std::string& className) const;
  // A catalog adapter page, linked to its raw-data page when one is written.
  void WriteAdapterPage(TReportParameters page, std::string (TWriter::*writeRawData)(std::string));
  void WriteKeelRAIDController(TInstancePtr controller);
  void WriteKeelRAIDSection(TInstancePtr controller, const std::string& controllerTitle,
                            const TReportClass& section, const std::string& captionPart,
                            const std::string& numberProperty);
  void WriteKeelRAIDOperatingDataRate();
  // The instances the table's association reaches from an instance, in the
  // table's order.
  TInstances InstancesReachedFrom(TInstancePtr from, const TReportClass& table);
  // Label and value rows of the rows that have a value.
  void WriteNonNullPropertyTable(TInstancePtr instance, const std::vector<TReportProperty>& rows,
                                 const std::string& caption);
  static bool HasValue(TInstancePtr instance, const TReportProperty& row);
  void WriteATADeviceTables(TInstancePtr device);
  // Each answers whether it had drives to show.
  bool WriteTapeSenseData();
  bool WriteSCSISenseData();
  void WriteDeclarationRow(TInstancePtr record, const std::string& property, bool asSummary);
  void WriteLinuxLogPage(const std::string& logName, const std::string& link, const TInstances& records);
  void WriteVellumPage(boost::shared_ptr<NVKXQZA20::ICIMClass> findingsClass, TInstances findings,
                       const std::string& heading);
  void WriteRegisterGrid(const TReportClass& table, const TInstances& registers);
  TTableGrid MergedDevicesGrid(const TInstances& devices);

  // Comparison pages (delta/). For one table of a page, the comparison
  // results the host stored in data source 0 become a tree of one
  // TClassDelta per table and associated table and one TInstanceDelta per
  // compared instance (defined in delta/delta_tree.h), then are written as
  // the differences, the instances missing from some data sources and those
  // unique to some.
  struct TClassDelta;
  struct TInstanceDelta;
  typedef boost::shared_ptr<TClassDelta> TClassDeltaPtr;
  typedef boost::shared_ptr<TInstanceDelta> TInstanceDeltaPtr;
  // A column of a "Differences" grid.
  struct TChangedColumn;

  void FindDeltas(std::string className, TInstances& deltas);
  void CreateDeltaInstances(TClassDeltaPtr classDelta);
  void CreateDeltaAssocProperties(TClassDeltaPtr classDelta);
  void CreateDeltaAssocProperties(TClassDeltaPtr classDelta, TReportProperty& property,
                                  std::string propertyName, std::string assocClass,
                                  std::string assocTarget);
  void CreateDeltaAssocDependencies(TClassDeltaPtr classDelta);
  void CreateDeltaBackAssocDependencies(TClassDeltaPtr classDelta);
  // The instance delta, or else the first associated one depth-first, that
  // holds a VKXSG_Delta of the type; empty when none does.
  TInstanceDeltaPtr FindDeltaInstanceWithDeltas(TInstanceDeltaPtr instanceDelta, unsigned char type);
  // Diagnostic dump of a tree to standard output.
  void DumpDeltas(TClassDeltaPtr classDelta);
  void WritePropertyDeltaTable(TInstanceDeltaPtr instanceDelta);
  void WriteMissingOrExtraDeltaTable(TInstanceDeltaPtr instanceDelta, bool missing);

  // Steps of the comparison pages.
  // The number of data-source labels; data source 0 always counts.
  size_t ComparedSourceCount() const;
  // "" for an index without a label.
  std::string DataSourceLabel(size_t index) const;
  // The deltas of the classes a column's values come from.
  TInstances FindColumnDeltas(const TReportClass& table, const std::string& assocClass,
                              const std::string& assocTarget);
  // The target table's instance deltas for the instances associated with the
  // lowest loaded instance of from; new ones inherit its types.
  std::vector<TInstanceDeltaPtr> LinkInstanceDeltas(const TInstanceDelta& from, TClassDeltaPtr target,
                                                    const std::string& assocClass,
                                                    const std::string& resultClass,
                                                    const std::string& role,
                                                    const std::string& resultRole);
  std::string MissingOrExtraTitle(TInstanceDeltaPtr instanceDelta, bool missing);
  // One instance as a table of its own, read from the data source.
  void WriteDeltaInstance(const TReportClass& table, TInstancePtr instance, uint16_t dataSource);
  std::vector<TChangedColumn> ChangedColumns(const TInstanceDelta& instanceDelta);
  void WriteDifferenceGrids(const TInstanceDelta& instanceDelta);
  // rows: the grid row of each data source shown.
  TTableGrid DifferenceGrid(const TInstanceDelta& instanceDelta, const std::vector<TChangedColumn>& chunk,
                            const std::map<uint16_t, int32_t>& rows, int32_t usedWidth);
  void FillDifferenceColumn(TTableGrid& grid, int32_t column, const TChangedColumn& changed,
                            const TInstanceDelta& instanceDelta, const std::map<uint16_t, int32_t>& rows);

  TNamespacePtr fNamespace;
  std::string fOutputFolder;
  std::string fDataFolder;
  std::string fMode;
  std::string fWriterType;
  bool fPreboot;
  bool fXCM;
  int32_t fGenerationMode;
  TReportParametersBuilder::EOSType fOSType;
  // Class name to its VKXSG_DeltaClass instance, in comparison runs.
  std::map<std::string, TInstancePtr> fDeltaClassMap;
  // One display label per data source of the run.
  std::vector<std::string> fDataSourceLabels;
  // GetTableHeaderLabel's answers by class object, column and context: every
  // table of a page asks again, and a missing DisplayName answers by an
  // exception.
  std::map<std::string, std::string> fHeaderLabels;
};

#endif
