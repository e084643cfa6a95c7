#include "forms/esxi_host_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "esxi/report_vmwesxi.h"
#include "tool/collections.h"
#include "forms/documents/text_writer.h"

namespace {

const std::string kEsxiSample = std::string(QZA_SOURCE_DIR) + "/samples/esxi-host.mof";

TEST(EsxiHostWriter, UnwritableFolderIsAFailureOfAnUnfinishedReport) {
  TLoadSettings load;
  load.fCollections = {kEsxiSample};
  load.fIncludeFolders = {QZA_SOURCE_DIR "/schema"};  // the sample includes the schema
  boost::shared_ptr<NVKXQZA20::TMemoryNamespace> ns = LoadCollections(load).fNamespace;
  const TWriterSettings settings{"/nonexistent/esxi", "", "", "text"};
  TEsxiHostWriter writer(std::unique_ptr<THostWriter>(new TTextWriter(settings)), settings);
  NVKXQZA20::TCIMContext context;
  TReport_vmwesxi(ns, context, settings.fOutputFolder).Write(&writer, context);
  EXPECT_FALSE(writer.ReachedEndReport());
  ASSERT_EQ(writer.GetFailures().size(), 1u);
  EXPECT_EQ(writer.GetFailures().front(), "/nonexistent/esxi/system_overview.txt: cannot write the file");
}

}  // namespace
