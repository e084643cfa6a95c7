#include "report/report.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "core/schema_helper.h"
#include "writer/trace.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TCIMContext;

namespace {

std::string ContextText(const TCIMContext& context, const std::string& key, const std::string& absent) {
  TCIMContext::const_iterator entry = context.find(key);
  return entry == context.end() ? absent : entry->second.ToString(10);
}

std::string UpperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

std::string LowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

void LogCategoryStart(const std::string& loggedTitle) {
  LogLine(3, "TReport::Write -- Start generating category [" + loggedTitle + "]");
}

void OpenNextCategory(TWriter& writer, const std::string& title) {
  writer.BeginNextCategory();
  writer.WriteCategoryTitle(title);
}

void WritePages(TWriter& writer, const boost::shared_ptr<TReportParametersBuilder>& catalog,
                std::initializer_list<const char*> pageIDs) {
  for (const char* pageID : pageIDs) writer.WriteReportPage(catalog, pageID);
}

}  // namespace

TReport::TReport(boost::shared_ptr<NVKXQZA20::ICIMNamespace> ns, TCIMContext context,
                 std::string outputTarget)
    : fNamespace(ns), fOutputTarget(std::move(outputTarget)) {
  LogLine(3, "TReport::TReport -- Entering");
  fMode = ContextText(context, "mode", "default");
  LogLine(3, "TReport::TReport -- QZA mode = " + fMode);
  DetermineXCMFromContext(context);
  fComparisonRun = fNamespace->GetNamespaceProvider()->GetGenerationMode() == 1;
  LogLine(3, fComparisonRun ? "TReport::TReport -- Generation mode is DELTA "
                            : "TReport::TReport -- Generation mode is not DELTA ");
  fPreboot = NVKXQZA20::TCIMSchemaHelper::GetDataSourceBuild(fNamespace, TCIMContext())
                 .find("preboot") != std::string::npos;
  LogLine(3, fPreboot ? "TReport::TReport -- QZA type is Preboot "
                      : "TReport::TReport -- QZA type is not Preboot ");
  fPageID = ContextText(context, "pageID", "");
  fViewID = ContextText(context, "viewID", "");
  fDataID = ContextText(context, "dataID", "");
  fTestID = ContextText(context, "testID", "");
  LogLine(3, "TReport::TReport -- Exiting");
}

void TReport::DetermineXCMFromContext(const TCIMContext& context) {
  LogLine(3, "TReport::TReport -- Determine XCM from context[XCM] ");
  TCIMContext::const_iterator xcm = context.find("XCM");
  if (xcm == context.end()) {
    LogLine(3, "TReport::TReport -- Can not detected XCM from TCIMContext, set fXCM to FALSE ");
    fXCM = false;
    return;
  }
  fXCM = UpperCase(xcm->second.ToString(10)) == "TRUE";
  LogLine(3, fXCM ? "TReport::TReport -- This is an XCM machine "
                  : "TReport::TReport -- This is not an XCM machine ");
}

bool TReport::DetermineXCM() {
  try {
    std::vector<boost::shared_ptr<ICIMInstance>> elements;
    fNamespace->GetClass("VKXSG_IPMIFirmwareElement")
        ->EnumerateInstances(NVKXQZA20::TAddToVectorCallback<ICIMInstance>(elements), true);
    if (elements.empty()) {
      LogLine(3, "TReport::DetermineXCM -- There is no instance of VKXSG_IPMIFirmwareElement");
      return false;
    }
    for (const boost::shared_ptr<ICIMInstance>& element : elements) {
      const std::string name = element->GetProperty("Name")->GetValue().ToString(10);
      LogLine(3, "TReport::DetermineXCM -- Property value = " + name);
      if (LowerCase(name).find("xcm service module") != std::string::npos) return true;
    }
    return false;
  } catch (...) {
    LogLine(3, "TReport::DetermineXCM -- Exception when determining is XCM or not");
    return false;
  }
}

TReport::TBuilderPtr TReport::NewCatalog() const {
  return TBuilderPtr(new TReportParametersBuilder(fNamespace, fMode, fXCM));
}

void TReport::Write(TWriter* writer, TCIMContext context) {
  LogLine(3, "TReport::Writet -- Entering");
  if (!writer) {
    LogLine(0, "TReport::Write -- Null-Pointor exception: Parameter (TWriter *writer == NULL)");
    return;
  }
  if (fComparisonRun) {
    LogLine(3, "TReport::Write -- Under DELTA mode, don't invok fixing functions");
  } else {
    LogLine(3, "TReport::Write -- Under Non-DELTA mode, invoking fixing functions");
    RunFixups(context);
  }
  const TBuilderPtr catalog = NewCatalog();
  LogLine(3, "TReport::Write -- Start generating QZA output report");
  writer->BaseInitialize(fNamespace, context, catalog);
  writer->Initialize(fNamespace, context, fOutputTarget);
  WriteCategories(*writer, catalog);
  writer->EndReport();
  LogLine(3, "TReport::Write -- End of generating QZA output report");
  writer->BaseDispose();
  LogLine(3, "TReport::Write -- Exiting");
}

void TReport::WriteCategories(TWriter& writer, TBuilderPtr catalog) {
  LogCategoryStart("Software");
  writer.BeginFirstCategory();
  writer.WriteCategoryTitle("Software");
  WritePages(writer, catalog,
             {"SystemConfig", "OSInstallations", "NetworkWithTeaming", "ResourceUtilization",
              "Processes", "OSConfiguration"});

  LogCategoryStart("Hardware");
  OpenNextCategory(writer, "Hardware");
  WritePages(writer, catalog,
             {"HardwareInfo", "PCIInfo", "Firmware", "ServProcConfig", "Environmentals",
              "DriveHealth", "LSI", "LSIIDE", "PMC", "KRaid", "KRaidLogs", "Qlogic", "Emulex",
              "Brocade", "Vmware3i", "GlowLine", "BIST", "BIOSSettings"});

  LogCategoryStart("OS Logs");
  if (fPreboot) {
    LogLine(3, "TReport::Write -- Under pQZA, no OS Logs information needed");
  } else {
    WriteOSLogsCategory(writer, catalog);
  }

  LogCategoryStart("ServProc Logs");
  OpenNextCategory(writer, fXCM ? "XCM Logs" : "SP Logs");
  WritePages(writer, catalog, {"SPLogs"});

  LogCategoryStart("VKX Service");
  if (fMode == "luz") {
    OpenNextCategory(writer, "VKX Service");
    WritePages(writer, catalog, {"ZEBChipsetRegister", "OREQSetting", "SPINTLog"});
  } else {
    LogLine(3, "TReport::Write -- Under Non-LUZ (default) mode, no VKX Service information needed");
  }

  LogCategoryStart("Analysis");
  OpenNextCategory(writer, "Analysis");
  WritePages(writer, catalog,
             {"MergedLog", "MergedDevice", "VellumDeviceAnalysis", "Patchwell", "FileLoaderResult",
              "DiagsFull"});

  LogCategoryStart("QZA Error Log");
  writer.BeginNextCategory();
  WritePages(writer, catalog, {"QZALog"});
}

// A type that cannot be read (a null or malformed OSType) is an unknown
// type: one failing probe must not end the report.
static TReportParametersBuilder::EOSType OSTypeOrUnknown(const TReportParametersBuilder& catalog) {
  try {
    return catalog.GetOSType();
  } catch (...) {
    return TReportParametersBuilder::OSUnknown;
  }
}

// The category is opened before the operating system is known; an unknown
// one leaves it without title and pages.
void TReport::WriteOSLogsCategory(TWriter& writer, TBuilderPtr catalog) {
  writer.BeginNextCategory();
  switch (OSTypeOrUnknown(*catalog)) {
    case TReportParametersBuilder::OSWindows:
    case TReportParametersBuilder::OSWindowsNewer:
      writer.WriteCategoryTitle("Windows Logs");
      break;
    case TReportParametersBuilder::OSLinux:
    case TReportParametersBuilder::OSVMware:
      writer.WriteCategoryTitle("Linux Logs");
      break;
    default:
      LogLine(0, "TReport::Write -- Unknow OS type]");
      return;
  }
  WritePages(writer, catalog, {"OSLogs"});
}

std::string TReport::GetPage(TWriter* writer, TCIMContext context) {
  LogLine(3, "TReport::GetPage -- Entering");
  if (!writer) {
    LogLine(0, "TReport::GetPage -- Null-Pointor exception: Parameter (TWriter *writer == NULL)");
    return "";
  }
  const TBuilderPtr catalog = NewCatalog();
  writer->BaseInitialize(fNamespace, context, catalog);
  writer->Initialize(fNamespace, context, fOutputTarget);
  std::string page;
  if (writer->GetWriterType().find("inventory") == std::string::npos) {
    LogLine(3, "TReport::GetPage -- Writer type is not inventory, just return void string");
  } else {
    page = WriteInventoryPage(*writer, catalog);
  }
  writer->BaseDispose();
  LogLine(3, "TReport::GetPage -- Exiting");
  return page;
}

// The memory pages show the module makers that the memory fix-up collects.
std::string TReport::WriteInventoryPage(TWriter& writer, TBuilderPtr catalog) {
  LogLine(3, "TReport::GetPage -- Start generating QZA inventory page, ID = [" + fPageID + "]");
  if (fPageID == "Analysis") {
    LogLine(3, "TReport::GetPage -- Invoking memory manufacture fixing function for Analysis page");
  }
  if (fPageID == "Analysis" || fPageID == "HardwareInfo") {
    RunFixup("AddManufacturerForMem", [this] { AddManufacturerForMem(); });
  }
  writer.WriteReportPage(catalog, fPageID);
  return writer.GetPageOutput();
}
