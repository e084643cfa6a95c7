#include "tests/custom/custom_page_testing.h"

namespace {

const char kFindingsClass[] = R"(
  class VKXSG_VellumDevices { [Key] string InstanceID; uint32 VellumScore; string VellumType; };
)";

std::string Findings(std::initializer_list<int> scores) {
  std::string mof = kFindingsClass;
  for (int score : scores) {
    mof += "instance of VKXSG_VellumDevices { InstanceID = \"f" + std::to_string(score) +
           "\"; VellumScore = " + std::to_string(score) + "; };\n";
  }
  return mof;
}

// Records the score of each finding's row.
class TFindingsWriter : public TCustomPageWriter {
 public:
  void WriteVellumDeviceRow(TInstancePtr finding, TReportProperty, TReportProperty, TReportProperty, TReportProperty,
                            TReportProperty, TReportProperty, TReportProperty, TReportProperty, int32_t row) override {
    Record("WriteVellumDeviceRow(" + finding->GetProperty("VellumScore")->GetValueText() + ", " + std::to_string(row) +
           ")");
  }
};

class DeviceAnalysisPage : public CustomPageTest {
 protected:
  void WriteWithHeader(const std::string& headerText) {
    std::filesystem::create_directories(fData.File("data"));
    std::ofstream(fData.File("data/vellumdeviceheader.txt")) << headerText;
    fWriter.SetDataFolder(fData.Path());
    fWriter.WriteVellumReport(fCatalog, "VellumDeviceAnalysis");
  }

  TScratchFolder fData;
};

TEST_F(DeviceAnalysisPage, FindingsAreWrittenStrongestFirstUnderTheInstalledHeading) {
  Load(Findings({5, 90, 40}));
  TFindingsWriter writer;
  writer.BaseInitialize(fNamespace, NVKXQZA20::TCIMContext(), fCatalog);
  writer.fCalls.clear();
  std::filesystem::create_directories(fData.File("data"));
  std::ofstream(fData.File("data/vellumdeviceheader.txt")) << "A\r\nB\n";
  writer.SetDataFolder(fData.Path());
  TLogCapture log;
  writer.WriteVellumReport(fCatalog, "VellumDeviceAnalysis");
  TCalls expected = {"BeginVellumAnalysis()", "OpenPage(/out/vellumdevices)",
                     "BeginPageBody()",       "WritePageTitle(AB, , )",
                     "WriteVellumHeading()",  "BeginGridTable(100%, VKXSG_VellumMessageLog, false)",
                     "BeginRow(false)"};
  for (const char* column : {"VellumScore", "VellumType", "VellumCimType", "VellumPropertyName", "VellumValue",
                             "VellumFrequency", "VellumCommonValues", "VellumCommonFrequencies"}) {
    expected.push_back(std::string("WriteHeaderCell(") + column + ")");
  }
  for (const char* call :
       {"EndRow()", "EndGridHeader()", "WriteVellumDeviceRow(90, 0)", "EndRow()", "WriteVellumDeviceRow(40, 1)",
        "EndRow()", "WriteVellumDeviceRow(5, 2)", "EndRow()", "EndTable()", "EndPageBody()", "ClosePage()",
        "RegisterPage(vellumdevices, Vellum Device Analysis, true)"}) {
    expected.push_back(call);
  }
  EXPECT_EQ(writer.fCalls, expected);
  EXPECT_EQ(log.Containing("TWriter::WriteVellumReport"),
            (TCalls{"Entering TWriter::WriteVellumReport", "Exiting TWriter::WriteVellumReport"}));
}

TEST_F(DeviceAnalysisPage, WithoutHeaderFileThePageNameIsTheHeading) {
  Load(Findings({1}));
  fWriter.SetDataFolder(fData.Path());
  fWriter.WriteVellumReport(fCatalog, "VellumDeviceAnalysis");
  EXPECT_EQ(Calls({"WritePageTitle", "RegisterPage"}),
            (TCalls{"WritePageTitle(Vellum Device Analysis, , )",
                    "RegisterPage(vellumdevices, Vellum Device Analysis, true)"}));
}

TEST_F(DeviceAnalysisPage, HeaderFileIsFoundUnderTheDataFolder) {
  Load(Findings({1}));
  WriteWithHeader("Device Analysis of this system");
  EXPECT_EQ(Calls({"WritePageTitle"}), (TCalls{"WritePageTitle(Device Analysis of this system, , )"}));
}

TEST_F(DeviceAnalysisPage, WithoutFindingsNoPageIsOpened) {
  Load(kFindingsClass);
  TLogCapture log;
  WriteWithHeader("H");
  EXPECT_EQ(fWriter.fCalls, (TCalls{"BeginVellumAnalysis()"}));
  EXPECT_TRUE(log.Has(3, "Exiting TWriter::WriteVellumReport"));
}

TEST_F(DeviceAnalysisPage, WithoutTheFindingsClassThePageWriterEndsAtOnce) {
  Load("class VKXSG_Other { [Key] string Name; };");
  TLogCapture log;
  WriteWithHeader("H");
  EXPECT_EQ(fWriter.fCalls, (TCalls{"BeginVellumAnalysis()"}));
  EXPECT_EQ(log.Containing("TWriter::WriteVellumReport"), (TCalls{"Entering TWriter::WriteVellumReport"}));
}

TEST_F(DeviceAnalysisPage, PrebootDataHaveNoDeviceAnalysis) {
  Load(Findings({1}) + R"(
    class VKXSG_QZAProduct { [Key] string Name; string Build; string Version; };
    instance of VKXSG_QZAProduct { Name = "qza"; Build = "2.1 preboot"; Version = "2.1"; };)");
  WritePage("VellumDeviceAnalysis");
  EXPECT_TRUE(fWriter.fCalls.empty());
}

}  // namespace
