#include "forms/esxi_host_writer.h"

#include "catalog/report_parameters_builder.h"

TEsxiHostWriter::TEsxiHostWriter(std::unique_ptr<THostWriter> renderer, const TWriterSettings& settings)
    : fRenderer(std::move(renderer)), fSettings(settings) {
  if (fSettings.fStagingFolder.empty()) fSettings.fStagingFolder = fSettings.fOutputFolder;
  SetWriterType(fRenderer->GetWriterType());
  SetDataFolder(fSettings.fDataFolder);
  SetOutputFolder(fSettings.fStagingFolder);
}

void TEsxiHostWriter::Initialize(TNamespacePtr ns, NVKXQZA20::TCIMContext context, const std::string& outputTarget) {
  NVKXQZA20::TCIMContext::const_iterator mode = context.find("mode");
  SetMode(mode == context.end() ? "default" : mode->second.ToString());
  SetNamespace(ns);
  SetOutputFolder(fSettings.fStagingFolder);
  fReachedEndReport = false;
  // The renderer reads its repository and run flags as under the main report driver.
  NVKXQZA20::TCIMContext::const_iterator xcm = context.find("XCM");
  bool isXCM = xcm != context.end() && xcm->second.ToString() == "TRUE";
  boost::shared_ptr<TReportParametersBuilder> catalog(new TReportParametersBuilder(ns, GetMode(), isXCM));
  fRenderer->BaseInitialize(ns, context, catalog);
  fRenderer->Initialize(ns, context, outputTarget);
}

void TEsxiHostWriter::BeginFirstCategory() { fRenderer->BeginFirstCategory(); }
void TEsxiHostWriter::BeginNextCategory() { fRenderer->BeginNextCategory(); }
void TEsxiHostWriter::WriteCategoryTitle(std::string title) { fRenderer->WriteCategoryTitle(title); }
void TEsxiHostWriter::EndReport() {
  fRenderer->EndReport();
  fReachedEndReport = true;
}
void TEsxiHostWriter::OpenPage(std::string pagePath) { fRenderer->OpenPage(pagePath); }
void TEsxiHostWriter::ClosePage() { fRenderer->ClosePage(); }
void TEsxiHostWriter::BeginPageBody() { fRenderer->BeginPageBody(); }
void TEsxiHostWriter::EndPageBody() { fRenderer->EndPageBody(); }

void TEsxiHostWriter::BeginGridTable(std::string width, std::string caption, bool flag) {
  fRenderer->BeginGridTable(width, caption, flag);
}

void TEsxiHostWriter::BeginPropertyTable(std::string width, std::string secondWidth, std::string title) {
  fRenderer->BeginPropertyTable(width, secondWidth, title);
}

void TEsxiHostWriter::EndGridHeader() { fRenderer->EndGridHeader(); }
void TEsxiHostWriter::EndTable() { fRenderer->EndTable(); }

void TEsxiHostWriter::WritePageTitle(std::string title, std::string linkText, std::string linkTarget) {
  fRenderer->WritePageTitle(title, linkText, linkTarget);
}

void TEsxiHostWriter::RegisterPage(std::string linkName, std::string pageName, bool hasContent) {
  fRenderer->RegisterPage(linkName, pageName, hasContent);
}

void TEsxiHostWriter::WriteTableTitle(std::string title, bool& subTitleEnabled, bool& secondFlag) {
  fRenderer->WriteTableTitle(title, subTitleEnabled, secondFlag);
}

void TEsxiHostWriter::WriteTableGrid(TTableGrid grid) { fRenderer->WriteTableGrid(std::move(grid)); }
void TEsxiHostWriter::BeginRow(bool& flag) { fRenderer->BeginRow(flag); }
void TEsxiHostWriter::EndRow() { fRenderer->EndRow(); }

void TEsxiHostWriter::WriteHeaderCell(boost::shared_ptr<NVKXQZA20::ICIMClass> cimClass, TReportProperty column) {
  fRenderer->WriteHeaderCell(cimClass, column);
}

void TEsxiHostWriter::WriteValueCell(TInstancePtr instance, TReportProperty column) {
  fRenderer->WriteValueCell(instance, column);
}

void TEsxiHostWriter::WriteMessageCell(std::string message, TReportProperty column) {
  fRenderer->WriteMessageCell(message, column);
}

void TEsxiHostWriter::WriteSeparator() { fRenderer->WriteSeparator(); }

void TEsxiHostWriter::WritePropertyCell(TReportProperty column, std::string text) {
  fRenderer->WritePropertyCell(column, text);
}

void TEsxiHostWriter::WriteInstanceCell(TInstancePtr instance, TReportProperty column) {
  fRenderer->WriteInstanceCell(instance, column);
}

void TEsxiHostWriter::WriteDeclarationCell(boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl> declaration) {
  fRenderer->WriteDeclarationCell(declaration);
}

void TEsxiHostWriter::SetRawDataLink(int32_t link) { fRenderer->SetRawDataLink(link); }
void TEsxiHostWriter::WriteDriveHealthSummary(TPropertyPtr rawData) { fRenderer->WriteDriveHealthSummary(rawData); }
void TEsxiHostWriter::WritePageHeading() { fRenderer->WritePageHeading(); }

void TEsxiHostWriter::WriteDriveHealthTable(TInstancePtr record, TPropertyPtr property) {
  fRenderer->WriteDriveHealthTable(record, property);
}

std::string TEsxiHostWriter::GetArraySeparatorText(TReportProperty::ArrayValueSeparator separator) {
  return fRenderer->GetArraySeparatorText(separator);
}

std::string TEsxiHostWriter::EncodeValue(std::string value) { return fRenderer->EncodeValue(value); }
