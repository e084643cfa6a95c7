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

TEST_F(DeviceAnalysisPage, HeaderFileIsFoundUnderTheDataFolder) {
  Load(Findings({1}));
  WriteWithHeader("Device Analysis of this system");
  EXPECT_EQ(Calls({"WritePageTitle"}), (TCalls{"WritePageTitle(Device Analysis of this system, , )"}));
}

TEST_F(DeviceAnalysisPage, WithoutTheFindingsClassThePageWriterEndsAtOnce) {
  Load("class VKXSG_Other { [Key] string Name; };");
  TLogCapture log;
  WriteWithHeader("H");
  EXPECT_EQ(fWriter.fCalls, (TCalls{"BeginVellumAnalysis()"}));
  EXPECT_EQ(log.Containing("TWriter::WriteVellumReport"), (TCalls{"Entering TWriter::WriteVellumReport"}));
}

}  // namespace
