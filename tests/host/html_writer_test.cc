#include "host/html_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>

#include "core/mof_reader.h"
#include "report/report.h"
#include "tests/host/html_inspection.h"

namespace fs = std::filesystem;
using NVKXQZA20::TCIMContext;
using NVKXQZA20::TCIMValue;

namespace {

typedef TReportParameters::TReportProperty TColumn;

const char kMachine[] = R"(
class VKXSG_ComputerSystem { [Key] string Name; string Manufacturer; string ProductName; string SerialNumber; };
class VKXSG_OperatingSystem { [Key] string Name; uint16 OSType; string Version; };
class VKXSG_QZAProduct { [Key] string Name; string Version; string Build; };
instance of VKXSG_ComputerSystem { Name = "srv01"; Manufacturer = "VKX"; ProductName = "Keelson 7";
                                    SerialNumber = "KQ123"; };
instance of VKXSG_OperatingSystem { Name = "Linux"; OSType = 36; Version = "9.2"; };
instance of VKXSG_QZAProduct { Name = "QZA"; Version = "1.3"; Build = "QZA 9.61 build 12"; };
)";

const char kDevicesAndEvents[] = R"(
class Test_Event { [Key] uint32 RecordID; string Type; [DisplayName("Message Text")] string Message; };
class Test_Device { [Key] string Name; [DisplayName("Firmware Level")] string Version; uint8 RawData[];
                    string Notes[]; };
class VKXSG_VellumDevices { [Key] string VellumPropertyName; uint32 VellumScore; string VellumType; };
instance of Test_Event { RecordID = 10; Type = "Warning"; Message = "fan slow"; };
instance of Test_Event { RecordID = 2; Type = "Error"; Message = "disk failed"; };
instance of Test_Event { RecordID = 1; Type = "Information"; Message = "booted"; };
instance of Test_Device { Name = "Disk 1"; Version = "A1";
                          RawData = {0, 26, 255, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
                          Notes = {"first", "second"}; };
instance of VKXSG_VellumDevices { VellumPropertyName = "Speed"; VellumScore = 90; VellumType = "Memory"; };
instance of VKXSG_VellumDevices { VellumPropertyName = "Size"; VellumScore = 5; VellumType = "Disk"; };
)";

// Every text a repository can hand over, with markup, quotes, an
// ampersand and a Latin-1 byte.
const char kPayload[] = "<script>alert(1)</script>\"'& caf\xE9 <img src=x onerror=alert(2)>";
const char kPayloadShown[] = "<script>alert(1)</script>\"'& caf\xC3\xA9 <img src=x onerror=alert(2)>";

std::string MofText(const std::string& text) {
  std::string quoted;
  for (char c : text) quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
  return "\"" + quoted + "\"";
}

std::string PayloadMachine() {
  const std::string p = MofText(kPayload);
  return "class VKXSG_ComputerSystem { [Key] string Name; [DisplayName(" + p +
         ")] string Manufacturer;\n"
         "  [DisplayName(" +
         p +
         ")] string ProductName; string SerialNumber; };\n"
         "class VKXSG_OperatingSystem { [Key] string Name; uint16 OSType; string Version; };\n"
         "class VKXSG_QZAProduct { [Key] string Name; string Version; string Build; };\n"
         "class VKXSG_HeavyHittersLogRecord { [Key] string ElementName; [DisplayName(" +
         p +
         ")] string Message; };\n"
         "class VKXSG_QZALogRecord { [Key] uint32 RecordID; string MessageTimestamp; string Source; string Type;\n"
         "  string Message; };\n"
         "class Test_Event { [Key] uint32 RecordID; string Type; [DisplayName(" +
         p +
         ")] string Message; };\n"
         "instance of VKXSG_ComputerSystem { Name = " +
         p + "; Manufacturer = " + p + "; ProductName = " + p + "; SerialNumber = " + p +
         "; };\n"
         "instance of VKXSG_OperatingSystem { Name = " +
         p + "; OSType = 36; Version = " + p +
         "; };\n"
         "instance of VKXSG_QZAProduct { Name = " +
         p + "; Version = \"1.3\"; Build = " + p +
         "; };\n"
         "instance of VKXSG_HeavyHittersLogRecord { ElementName = " +
         p + "; Message = " + p +
         "; };\n"
         "instance of VKXSG_QZALogRecord { RecordID = 1; MessageTimestamp = " +
         p + "; Source = " + p + "; Type = " + p + "; Message = " + p +
         "; };\n"
         "instance of Test_Event { RecordID = 1; Type = " +
         p + "; Message = " + p + "; };\n";
}

TTableGrid ColumnGrid(const std::vector<std::vector<std::string>>& rows, bool sortable) {
  TTableGrid grid(static_cast<int32_t>(rows.size()), static_cast<int32_t>(rows[0].size()), false);
  grid.fColumnReport = true;
  grid.fSortable = sortable;
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < rows[r].size(); ++c)
      grid.Cell(static_cast<int32_t>(r), static_cast<int32_t>(c)).fText = rows[r][c];
  }
  return grid;
}

TTableGrid NumberedGrid(int dataRows) {
  std::vector<std::vector<std::string>> rows = {{"Slot", "Device"}};
  for (int i = dataRows; i > 0; --i) rows.push_back({"Slot " + std::to_string(i), "card"});
  return ColumnGrid(rows, true);
}

TReportParameters EventLogPage(const std::string& className) {
  TReportParameters page;
  page.SetShowReportTitle(true);
  page.SetLinkName("event_system");
  page.SetReportName("System Event");
  TReportParameters::TReportClass table;
  table.SetClass(className);
  table.SetProperties({TColumn("RecordID", "10%", "", "", ""), TColumn("Type", "20%", "", "", ""),
                       TColumn("Message", "70%", "", "", "")});
  table.GetInstanceSorter().AddProperty("RecordID", true, false);
  page.SetClasses({table});
  return page;
}

class HtmlWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = (fs::temp_directory_path() /
              ("qza-html-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())))
                 .string();
    fs::remove_all(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  void Start(const std::string& mof) {
    ns = NVKXQZA20::TMemoryNamespace::Create();
    NVKXQZA20::TMofReader(ns).LoadText(mof, "test.mof");
    writer.reset(new THtmlWriter(TWriterSettings{folder, "", "", "html"}));
    writer->BaseInitialize(
        ns, Context(), boost::shared_ptr<TReportParametersBuilder>(new TReportParametersBuilder(ns, "default", false)));
    writer->Initialize(ns, Context(), folder);
  }

  TCIMContext Context() const {
    TCIMContext context;
    context["nNamespaces"] = TCIMValue(static_cast<uint32_t>(1));
    return context;
  }

  void Page(const std::string& link, const std::string& title, const std::function<void()>& body,
            bool hasContent = true) {
    writer->OpenPage(folder + "/" + link);
    writer->WritePageHeading();
    writer->BeginPageBody();
    writer->WritePageTitle(title, "", "");
    body();
    writer->EndPageBody();
    writer->ClosePage();
    writer->RegisterPage(link, title, hasContent);
  }

  TWriter::TInstancePtr Instance(const std::string& className, size_t index = 0) const {
    TWriter::TInstances instances;
    ns->GetClass(className)->EnumerateInstances(NVKXQZA20::TAddToVectorCallback<NVKXQZA20::ICIMInstance>(instances),
                                                true);
    return instances.at(index);
  }

  std::string Read(const std::string& file) const {
    std::ifstream in(folder + "/" + file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  THtmlInspection Inspect(const std::string& file) const { return InspectHtmlFile(folder + "/" + file); }

  std::vector<std::string> HtmlFiles() const {
    std::vector<std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() == ".html") files.push_back(entry.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    return files;
  }

  void WriteSmallReport() {
    Start(std::string(kMachine) + kDevicesAndEvents);
    std::ofstream(folder + "/LSI_RawData_Results_0.txt") << "raw\n";
    writer->BeginFirstCategory();
    writer->WriteCategoryTitle("Software");
    Page("system_overview", "System Overview", [&] { WriteGrids(); });
    Page("fileloader.html", "File Loader Results", [&] {
      writer->WriteTableGrid(ColumnGrid(
          {{"Command", "Raw Result"},
           {"<font face=\"Courier\">ls -l</font>", "<a href=\"LSI_RawData_Results_0.txt\">View Results</a>"},
           {"<font face=\"Courier\">lspci</font>", "<a href=\"LSI_RawData_Results_1.txt\">View Results</a>"}},
          false));
    });
    writer->BeginNextCategory();
    writer->WriteCategoryTitle("Hardware");
    Page("devices", "Devices", [&] { WriteCellByCellTables(); });
    Page("Drive_Health", "Drive Health", [&] { WriteDriveHealth(); });
    Page(
        "Environmentals", "Environmentals", [] {}, false);
    WriteRawDataPair();
    writer->BeginNextCategory();
    writer->WriteCategoryTitle("OS Logs");
    writer->WriteEventLogReport(EventLogPage("Test_Event"));
    writer->BeginNextCategory();
    writer->WriteCategoryTitle("Analysis");
    WriteVellumPage();
    Page("keelRaidlogs", "KeelRAID Logs", [&] {
      writer->WriteKeelRAIDEventLog({Instance("Test_Event", 0), Instance("Test_Event", 1)}, "KeelRAID Hard Event Log",
                                    "krHardEventLog");
      writer->WriteKeelRAIDEventLog({}, "KeelRAID Soft Event Log", "krSoftEventLog");
    });
    writer->BeginNextCategory();
    Page(
        "qza_log", "QZA Error Log", [] {}, false);
    writer->EndReport();
  }

  void WriteGrids() {
    bool no = false;
    bool yes = true;
    TTableGrid slots = NumberedGrid(3);
    slots.fColumnWidths = {30, 70};
    slots.fTableWidth = 80;
    writer->WriteTableTitle("Slots", no, no);
    writer->WriteTableGrid(slots);
    writer->WriteTableTitle("Long", yes, no);
    writer->WriteTableGrid(NumberedGrid(static_cast<int>(kFilterRowThreshold) + 1));
    writer->WriteTableGrid(NumberedGrid(static_cast<int>(kFilterRowThreshold)));
    TTableGrid memory(3, 2, false);
    memory.fRowReport = true;
    memory.Cell(0, 0).fText = "Speed";
    memory.Cell(0, 1).fText = "2400";
    memory.Cell(0, 1).fAlternateText = "2400 MT/s";
    memory.Cell(0, 1).fMonospaced = true;
    memory.Cell(1, 0).fText = "Size";
    memory.Cell(1, 1).fText = "--- SAME ---";
    memory.Cell(2, 0).fText = "Voltages";
    memory.Cell(2, 1).fText = "1.2V" + writer->GetArraySeparatorText(TColumn::ListSeparator) + "1.35V";
    writer->WriteTableGrid(memory);
  }

  void WriteCellByCellTables() {
    const TWriter::TInstancePtr disk = Instance("Test_Device");
    const boost::shared_ptr<NVKXQZA20::ICIMClass> devices = ns->GetClass("Test_Device");
    TColumn notes("Notes", "0%", "", "", "");
    notes.SetArrayValueSeparator(TColumn::ListSeparator);
    bool row = true;
    writer->BeginPropertyTable("60%", "30%", "Disk 1");
    for (const TColumn& column : {TColumn("Name", "0%", "", "", ""), TColumn("Version", "0%", "", "", ""), notes}) {
      writer->BeginRow(row);
      writer->WriteHeaderCell(devices, column);
      writer->WriteValueCell(disk, column);
      writer->EndRow();
    }
    writer->SetRawDataLink(1);
    writer->BeginRow(row);
    writer->WriteHeaderCell(devices, TColumn("Name", "0%", "", "", "Member"));
    writer->WriteValueCell(disk, TColumn("Name", "0%", "", "", ""));
    writer->EndRow();
    writer->EndTable();
    writer->BeginPropertyTable("100%", "20%", "");
    writer->BeginRow(row);
    writer->WriteMessageCell("No LSI RAID card detected\n", TColumn("No LSI RAID card detected\n", "100%", "", "", ""));
    writer->EndRow();
    writer->EndTable();
    bool header = false;
    writer->BeginGridTable("100%", "Events", true);
    writer->BeginRow(header);
    const boost::shared_ptr<NVKXQZA20::ICIMClass> events = ns->GetClass("Test_Event");
    const std::vector<TColumn> columns = {TColumn("RecordID", "30%", "", "", ""),
                                          TColumn("Message", "70%", "", "", "")};
    for (const TColumn& column : columns) writer->WriteHeaderCell(events, column);
    writer->EndRow();
    writer->EndGridHeader();
    for (size_t i = 0; i < 3; ++i) {
      writer->BeginRow(row);
      for (const TColumn& column : columns) writer->WriteValueCell(Instance("Test_Event", i), column);
      writer->EndRow();
    }
    writer->EndTable();
  }

  void WriteDriveHealth() {
    const TWriter::TInstancePtr disk = Instance("Test_Device");
    bool row = true;
    writer->BeginPropertyTable("100%", "40%", "Disk 1");
    writer->BeginRow(row);
    writer->WriteDeclarationCell(ns->GetClass("Test_Device")->GetPropertyDecl("Version"));
    writer->WriteDriveHealthTable(disk, disk->GetProperty("Version"));
    writer->EndRow();
    writer->BeginRow(row);
    writer->WriteDeclarationCell(ns->GetClass("Test_Device")->GetPropertyDecl("RawData"));
    writer->WriteDriveHealthSummary(disk->GetProperty("RawData"));
    writer->EndRow();
    writer->BeginRow(row);
    writer->WritePropertyCell(TColumn("Register", "0%", "", "", ""), "ERRSTS");
    writer->WriteRegisterTable(disk, "0x1F");
    writer->EndRow();
    writer->EndTable();
  }

  void WriteRawDataPair() {
    writer->OpenPage(folder + "/lsi_rawData");
    writer->BeginPageBody();
    writer->WritePageTitle("LSI Raw Data Information", "- [Show Standard Report]", "lsi_mir");
    writer->EndPageBody();
    writer->ClosePage();
    writer->OpenPage(folder + "/lsi_mir");
    writer->BeginPageBody();
    writer->WritePageTitle("LSI Controller", "- [Show Rawdata Report]", "lsi_rawData");
    writer->EndPageBody();
    writer->ClosePage();
    bool hasContent = true;
    writer->RegisterPage("lsi_mir", "LSI Controller", hasContent);
  }

  void WriteVellumPage() {
    writer->BeginVellumAnalysis();
    writer->OpenPage(folder + "/vellumdevices");
    writer->BeginPageBody();
    writer->WritePageTitle("Vellum Device Analysis", "", "");
    writer->WriteVellumHeading();
    writer->BeginGridTable("100%", "VKXSG_VellumMessageLog", false);
    bool header = false;
    writer->BeginRow(header);
    std::vector<TColumn> columns;
    for (const char* name : {"VellumScore", "VellumType", "VellumCimType", "VellumPropertyName", "VellumValue",
                             "VellumFrequency", "VellumCommonValues", "VellumCommonFrequencies"}) {
      columns.push_back(TColumn(name, "0%", "", "", ""));
      writer->WriteHeaderCell(ns->GetClass("VKXSG_VellumDevices"), columns.back());
    }
    writer->EndRow();
    writer->EndGridHeader();
    for (int32_t row = 0; row < 2; ++row) {
      writer->WriteVellumDeviceRow(Instance("VKXSG_VellumDevices", static_cast<size_t>(row)), columns[0], columns[1],
                                   columns[2], columns[3], columns[4], columns[5], columns[6], columns[7], row);
      writer->EndRow();
    }
    writer->EndTable();
    writer->EndPageBody();
    writer->ClosePage();
    bool hasContent = true;
    writer->RegisterPage("vellumdevices", "Vellum Device Analysis", hasContent);
  }

  // Checks that every page holds only the writer's own elements and
  // attributes, shows text unescaped once, and links within the report.
  void ExpectOnlyWriterMarkup() const {
    static const std::set<std::string> kElements = {
        "html", "head",  "meta",  "title", "link", "script", "body",  "div",   "span",    "a",
        "p",    "h1",    "h2",    "h3",    "ul",   "ol",     "li",    "table", "caption", "colgroup",
        "col",  "thead", "tbody", "tr",    "th",   "td",     "input", "label", "hr",      "br"};
    static const std::set<std::string> kAttributes = {
        "lang",   "charset",    "name",       "content",      "rel",          "href",  "src",     "defer", "class",
        "id",     "role",       "aria-label", "aria-current", "aria-live",    "scope", "colspan", "style", "title",
        "data-v", "data-table", "type",       "placeholder",  "autocomplete", "for",   "hidden"};
    for (const std::string& file : HtmlFiles()) {
      SCOPED_TRACE(file);
      const THtmlInspection page = Inspect(file);
      EXPECT_EQ(std::vector<std::string>(), page.fProblems);
      for (const THtmlElement& element : page.fElements) {
        EXPECT_EQ(1u, kElements.count(element.fName)) << element.fName;
        for (const auto& attribute : element.fAttributes) {
          EXPECT_EQ(1u, kAttributes.count(attribute.first)) << element.fName << " " << attribute.first;
        }
        if (element.Has("style")) {
          EXPECT_TRUE(element.Get("style").rfind("width:", 0) == 0) << element.Get("style");
        }
        if (element.fName == "script") {
          EXPECT_TRUE(element.Get("src") == "report.js" || element.Get("src") == "search-data.js");
          EXPECT_EQ("", element.fText);
        }
      }
      for (const std::string& text : page.fTexts) {
        for (const char* entity : {"&lt;", "&gt;", "&amp;", "&quot;", "&#39;"}) {
          EXPECT_EQ(std::string::npos, text.find(entity)) << "escaped twice: " << text;
        }
      }
    }
    ExpectLinksResolve();
  }

  void ExpectLinksResolve() const {
    for (const std::string& file : HtmlFiles()) {
      const THtmlInspection page = Inspect(file);
      for (const THtmlElement& element : page.fElements) {
        std::string target = element.Get(element.fName == "script" ? "src" : "href");
        target = target.substr(0, target.find('#'));
        if (target.empty()) continue;
        EXPECT_EQ(std::string::npos, target.find(':')) << file << ": " << target;
        EXPECT_TRUE(fs::is_regular_file(folder + "/" + target)) << file << " links to " << target;
      }
    }
  }

  std::string folder;
  boost::shared_ptr<NVKXQZA20::TMemoryNamespace> ns;
  std::unique_ptr<THtmlWriter> writer;
};

TEST_F(HtmlWriterTest, EveryPageIsAFileThatParsesWithoutErrors) {
  WriteSmallReport();
  EXPECT_EQ(
      std::vector<std::string>({"Drive_Health.html", "Environmentals.html", "devices.html", "event_system.html",
                                "fileloader.html", "index.html", "keelRaidlogs.html", "lsi_mir.html",
                                "lsi_rawData.html", "qza_log.html", "system_overview.html", "vellumdevices.html"}),
      HtmlFiles());
  for (const char* asset : {"report.css", "report.js", "search-data.js"}) {
    EXPECT_TRUE(fs::is_regular_file(folder + "/" + asset)) << asset;
  }
  for (const std::string& file : HtmlFiles()) {
    EXPECT_EQ(std::vector<std::string>(), Inspect(file).fProblems) << file;
  }
  EXPECT_TRUE(writer->GetFailures().empty());
}

TEST_F(HtmlWriterTest, EveryLinkResolvesToAFileOfTheReport) {
  WriteSmallReport();
  ExpectLinksResolve();
  std::vector<THtmlElement> resultLinks;
  for (const THtmlElement& link : Inspect("fileloader.html").Elements("a")) {
    if (link.HasClass("result-file")) resultLinks.push_back(link);
  }
  ASSERT_EQ(1u, resultLinks.size());  // the missing second result file is no link
  EXPECT_EQ("LSI_RawData_Results_0.txt", resultLinks[0].Get("href"));
  EXPECT_TRUE(Inspect("fileloader.html").HasText("<a href=\"LSI_RawData_Results_1.txt\">View Results</a>"));
}

TEST_F(HtmlWriterTest, IndexListsCategoriesInOrderWithEveryRegisteredPage) {
  WriteSmallReport();
  const THtmlInspection index = Inspect("index.html");
  std::vector<std::string> categories;
  for (const THtmlElement& heading : index.Elements("h3")) categories.push_back(heading.fText);
  EXPECT_EQ(std::vector<std::string>({"Software", "Hardware", "OS Logs", "Analysis", "QZA Error Log"}), categories);
  std::vector<std::string> pages;
  std::vector<std::string> empty;
  for (const THtmlElement& item : index.Elements("li")) {
    pages.push_back(item.fText);
    if (item.HasClass("empty")) empty.push_back(item.fText);
  }
  EXPECT_EQ(std::vector<std::string>({"System Overview", "File Loader Results", "Devices", "Drive Health",
                                      "Environmentals no data", "LSI Controller", "System Event",
                                      "Vellum Device Analysis", "KeelRAID Logs", "QZA Error Log no data"}),
            pages);
  EXPECT_EQ(std::vector<std::string>({"Environmentals no data", "QZA Error Log no data"}), empty);
  EXPECT_NE(std::string::npos, Read("devices.html").find("<p class=\"crumb\">Hardware</p>"));
  EXPECT_EQ(std::string::npos, Read("qza_log.html").find("class=\"crumb\""));  // its category has no title
  for (const char* fact : {"srv01", "VKX", "Keelson 7", "KQ123", "Linux", "QZA 9.61 build 12"}) {
    EXPECT_TRUE(index.HasText(fact)) << fact;
  }
  EXPECT_TRUE(index.HasText("System report of srv01"));
}

TEST_F(HtmlWriterTest, EveryPageNavigatesToTheIndexAndToEveryPage) {
  WriteSmallReport();
  for (const std::string& file : HtmlFiles()) {
    if (file == "index.html") continue;
    std::set<std::string> targets;
    for (const THtmlElement& link : Inspect(file).Elements("a")) targets.insert(link.Get("href"));
    // Pages written before the last registration know it too.
    for (const char* target : {"index.html", "system_overview.html", "fileloader.html", "qza_log.html",
                               "event_system.html", "vellumdevices.html"}) {
      EXPECT_EQ(1u, targets.count(target)) << file << " lacks " << target;
    }
  }
  const std::vector<THtmlElement> current = Inspect("devices.html").Elements("a");
  EXPECT_EQ(1, std::count_if(current.begin(), current.end(), [](const THtmlElement& a) {
              return a.Get("aria-current") == "page" && a.Get("href") == "devices.html";
            }));
}

TEST_F(HtmlWriterTest, GridsKeepWidthsHeadersAndMarkers) {
  WriteSmallReport();
  const THtmlInspection page = Inspect("system_overview.html");
  const std::vector<THtmlElement> tables = page.Elements("table");
  ASSERT_EQ(4u, tables.size());
  EXPECT_EQ("width:80%", tables[0].Get("style"));
  EXPECT_TRUE(tables[0].HasClass("sortable"));
  EXPECT_FALSE(tables[3].HasClass("sortable"));
  const std::vector<THtmlElement> columns = page.Elements("col");
  ASSERT_LE(2u, columns.size());
  EXPECT_EQ("width:30%", columns[0].Get("style"));
  EXPECT_EQ("width:70%", columns[1].Get("style"));
  const std::vector<THtmlElement> filters = page.Elements("input");
  ASSERT_EQ(1u, filters.size());  // only the table of more than 50 rows
  EXPECT_EQ(tables[1].Get("id"), filters[0].Get("data-table"));
  std::vector<std::string> scopes;
  for (const THtmlElement& header : page.Elements("th")) scopes.push_back(header.Get("scope"));
  EXPECT_EQ(3, std::count(scopes.end() - 3, scopes.end(), "row"));
  EXPECT_EQ("col", scopes.front());
  const std::string html = Read("system_overview.html");
  EXPECT_NE(std::string::npos, html.find("<td class=\"mono\" title=\"Alternate value: 2400 MT/s\" data-v=\"2400\">2400"
                                         "<span class=\"alt\">2400 MT/s</span></td>"));
  EXPECT_NE(std::string::npos, html.find("<td class=\"same\">--- SAME ---</td>"));
  EXPECT_NE(std::string::npos, html.find("<td>1.2V<br>1.35V</td>"));
  EXPECT_NE(std::string::npos, html.find("<h2>Slots</h2>"));
  EXPECT_NE(std::string::npos, html.find("<h3>Long</h3>"));
}

TEST_F(HtmlWriterTest, CellByCellTablesShowLabelsValuesAndMemberRows) {
  WriteSmallReport();
  const std::string html = Read("devices.html");
  EXPECT_NE(std::string::npos, html.find("<tr><th scope=\"row\">Firmware Level</th><td>A1</td></tr>"));
  EXPECT_NE(std::string::npos, html.find("<td>first<br>second</td>"));
  EXPECT_NE(std::string::npos,
            html.find("<tr class=\"member group-start\"><th scope=\"row\">Member</th><td>Disk 1</td></tr>"));
  EXPECT_NE(std::string::npos, html.find("<td colspan=\"2\" class=\"message\">No LSI RAID card detected</td>"));
  EXPECT_NE(std::string::npos, html.find("<caption>Disk 1</caption>"));
  const THtmlInspection page = Inspect("devices.html");
  const std::vector<THtmlElement> tables = page.Elements("table");
  ASSERT_EQ(3u, tables.size());
  EXPECT_TRUE(tables[2].HasClass("sortable"));
  EXPECT_TRUE(page.HasText("Message Text"));
  EXPECT_NE(std::string::npos, html.find("<colgroup><col style=\"width:30%\"><col style=\"width:70%\"></colgroup>"));
}

TEST_F(HtmlWriterTest, LogPagesListRecordsInOrderMarkedBySeverity) {
  WriteSmallReport();
  const THtmlInspection page = Inspect("event_system.html");
  std::vector<std::string> rows;
  std::vector<std::string> severities;
  for (const THtmlElement& row : page.Elements("tr")) {
    rows.push_back(row.fText);
    severities.push_back(row.Get("class"));
  }
  EXPECT_EQ(std::vector<std::string>(
                {"RecordIDTypeMessage Text", "1Informationbooted", "2Errordisk failed", "10Warningfan slow"}),
            rows);
  EXPECT_EQ(std::vector<std::string>({"", "", "sev-error", "sev-warning"}), severities);
  EXPECT_TRUE(page.Elements("table").at(0).HasClass("sortable"));
  EXPECT_TRUE(page.HasText("System Event"));
}

TEST_F(HtmlWriterTest, LogWithoutRecordsIsRegisteredWithoutContent) {
  Start(kMachine);
  writer->BeginFirstCategory();
  writer->WriteCategoryTitle("OS Logs");
  writer->WriteEventLogReport(EventLogPage("Test_Event"));
  writer->EndReport();
  EXPECT_TRUE(Inspect("event_system.html").HasText("No records in this log."));
  const std::vector<THtmlElement> items = Inspect("index.html").Elements("li");
  ASSERT_EQ(1u, items.size());
  EXPECT_TRUE(items[0].HasClass("empty"));
}

TEST_F(HtmlWriterTest, FilesThatCannotBeWrittenAreFailuresOfTheRun) {
  Start(kMachine);
  fs::create_directories(folder);
  std::ofstream(folder + "/blocked") << "a file where the report folder should be";
  THtmlWriter blocked(TWriterSettings{folder + "/blocked/report", "", "", "html"});
  blocked.Initialize(ns, Context(), folder);
  blocked.BeginFirstCategory();
  blocked.OpenPage(folder + "/blocked/report/page");
  blocked.ClosePage();
  blocked.EndReport();
  EXPECT_EQ(5u, blocked.GetFailures().size());  // two assets, the page, the index and the search data
}

TEST_F(HtmlWriterTest, PageRegisteredButNeverWrittenIsNotLinked) {
  Start(kMachine);
  writer->BeginFirstCategory();
  writer->WriteCategoryTitle("Linux Logs");
  bool hasContent = true;
  writer->RegisterPage("syslog_messages", "/var/log/messages", hasContent);
  writer->EndReport();
  const THtmlInspection index = Inspect("index.html");
  EXPECT_TRUE(index.HasText("not written"));
  EXPECT_TRUE(index.HasText("/var/log/messages"));
  ExpectLinksResolve();
}

TEST_F(HtmlWriterTest, DeviceReportCellsAreReadable) {
  WriteSmallReport();
  const std::string health = Read("Drive_Health.html");
  EXPECT_NE(std::string::npos,
            health.find("<td class=\"mono\">0000  00 1A FF 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D\n0010  0E</td>"));
  EXPECT_NE(std::string::npos, health.find("<th scope=\"row\">Firmware Level</th><td>A1</td>"));
  EXPECT_NE(std::string::npos, health.find("0x1F<span class=\"alt\">bits 0001 1111</span>"));
  const std::string vellum = Read("vellumdevices.html");
  EXPECT_NE(std::string::npos, vellum.find("2 findings, scores from 90 down to 5"));
  EXPECT_NE(std::string::npos, vellum.find("<tr class=\"top-finding\"><td>90</td><td>Memory</td>"));
  EXPECT_NE(std::string::npos, vellum.find("<caption class=\"visually-hidden\">VKXSG_VellumMessageLog</caption>"));
  const THtmlInspection logs = Inspect("keelRaidlogs.html");
  const std::vector<THtmlElement> sections = logs.Elements("div");
  EXPECT_TRUE(std::any_of(sections.begin(), sections.end(),
                          [](const THtmlElement& div) { return div.Get("id") == "s-krHardEventLog"; }));
  EXPECT_TRUE(logs.HasText("No events in this log."));
  std::vector<std::string> labels;
  for (const THtmlElement& header : logs.Elements("th")) labels.push_back(header.fText);
  EXPECT_EQ(std::vector<std::string>({"RecordID", "Type", "Message Text"}), labels);
}

TEST_F(HtmlWriterTest, PageTitlesLinkRawDataPages) {
  WriteSmallReport();
  const std::string html = Read("lsi_mir.html");
  EXPECT_NE(
      std::string::npos,
      html.find(
          "<h1>LSI Controller <a class=\"page-link\" href=\"lsi_rawData.html\">- [Show Rawdata Report]</a></h1>"));
  EXPECT_NE(std::string::npos, Read("lsi_rawData.html").find("href=\"lsi_mir.html\">- [Show Standard Report]"));
}

TEST_F(HtmlWriterTest, SearchDataListsPagesWithTheirTexts) {
  WriteSmallReport();
  const std::string script = Read("search-data.js");
  const std::string prefix = "window.QZA_SEARCH_DATA = ";
  ASSERT_EQ(0u, script.find(prefix));
  const nlohmann::json pages = nlohmann::json::parse(script.substr(prefix.size(), script.rfind(';') - prefix.size()));
  std::map<std::string, nlohmann::json> byFile;
  for (const nlohmann::json& page : pages) byFile[page["f"]] = page;
  ASSERT_EQ(1u, byFile.count("event_system.html"));
  EXPECT_EQ("System Event", byFile["event_system.html"]["n"]);
  EXPECT_EQ("OS Logs", byFile["event_system.html"]["c"]);
  const std::vector<std::string> texts = byFile["event_system.html"]["t"];
  EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), "disk failed"));
  EXPECT_EQ(1u, byFile.count("lsi_rawData.html"));  // unregistered pages are searched too
  EXPECT_EQ("QZA Error Log", byFile["qza_log.html"]["c"]);
}

TEST_F(HtmlWriterTest, ArraySeparatorsAndEncoding) {
  Start(kMachine);
  EXPECT_EQ(", ", writer->GetArraySeparatorText(TColumn::DefaultSeparator));
  EXPECT_EQ(kHtmlLineBreakMarker, writer->GetArraySeparatorText(TColumn::ListSeparator));
  EXPECT_EQ(kHtmlLineBreakMarker, writer->GetArraySeparatorText(TColumn::AddressRangeSeparator));
  EXPECT_EQ("&lt;b&gt; &amp; &quot;c&quot;", writer->EncodeValue("<b> & \"c\"" + std::string(kHtmlLineBreakMarker)));
  EXPECT_EQ("", writer->GetPageOutput());
}

// Every text that can come from a repository, handed to every operation
// that takes one: raw where the library passes raw text, encoded where it
// passes values.
TEST_F(HtmlWriterTest, InjectedTextStaysTextInEveryOperation) {
  Start(PayloadMachine());
  const std::string p = kPayload;
  const std::string encoded = writer->EncodeValue(p);
  writer->BeginFirstCategory();
  writer->WriteCategoryTitle(p);
  Page(p, p, [&] {
    bool yes = true;
    writer->WritePageTitle(p, p, p);
    writer->WriteTableTitle(p, yes, yes);
    TTableGrid grid = ColumnGrid({{p, p}, {encoded, "Controller " + encoded}}, true);
    grid.Cell(1, 0).fAlternateText = encoded;
    writer->WriteTableGrid(grid);
    writer->BeginGridTable(p, p, true);
    writer->BeginRow(yes);
    writer->WriteHeaderCell(ns->GetClass("Test_Event"), TColumn("Message", p, "", "", ""));
    writer->WriteHeaderCell(ns->GetClass("Test_Event"), TColumn(p, p, "", "", p));
    writer->EndGridHeader();
    writer->BeginRow(yes);
    writer->WriteValueCell(Instance("Test_Event"), TColumn("Message", p, "", "", ""));
    writer->WritePropertyCell(TColumn(p, p, "", "", ""), p);
    writer->WriteMessageCell(p, TColumn(p, p, "", "", ""));
    writer->WriteInstanceCell(Instance("Test_Event"), TColumn("", "", "", "", ""));
    writer->WriteRegisterTable(Instance("Test_Event"), p);
    writer->WriteDeclarationCell(ns->GetClass("Test_Event")->GetPropertyDecl("Message"));
    writer->WriteDriveHealthTable(Instance("Test_Event"), Instance("Test_Event")->GetProperty("Type"));
    writer->WriteDriveHealthSummary(Instance("Test_Event")->GetProperty("Message"));
    writer->EndTable();
    writer->WriteKeelRAIDEventLog({Instance("Test_Event")}, p, p);
  });
  TReportParameters log = EventLogPage("Test_Event");
  log.SetLinkName(p + "log");
  log.SetReportName(p);
  writer->WriteEventLogReport(log);
  writer->WriteKeelRAIDEventLog({Instance("Test_Event")}, p, p + "2");
  writer->EndReport();
  ExpectOnlyWriterMarkup();
  for (const std::string& file : HtmlFiles()) {
    EXPECT_TRUE(Inspect(file).HasText(kPayloadShown)) << file;
  }
}

TEST_F(HtmlWriterTest, InjectedTextStaysTextThroughTheReport) {
  Start(PayloadMachine());
  TReport report(ns, Context(), folder);
  report.Write(writer.get(), Context());
  ExpectOnlyWriterMarkup();
  EXPECT_TRUE(Inspect("index.html").HasText(kPayloadShown));
  EXPECT_TRUE(Inspect("system_overview.html").HasText(kPayloadShown));
  EXPECT_TRUE(Inspect("qza_log.html").HasText(kPayloadShown));
}

TEST_F(HtmlWriterTest, ReportOfARepositoryIsComplete) {
  Start(kMachine);
  TReport report(ns, Context(), folder);
  report.Write(writer.get(), Context());
  const THtmlInspection index = Inspect("index.html");
  std::vector<std::string> categories;
  for (const THtmlElement& heading : index.Elements("h3")) categories.push_back(heading.fText);
  ASSERT_LE(3u, categories.size());
  EXPECT_EQ("Software", categories[0]);
  EXPECT_EQ("Hardware", categories[1]);
  EXPECT_EQ("QZA Error Log", categories.back());
  EXPECT_TRUE(fs::is_regular_file(folder + "/system_overview.html"));
  EXPECT_TRUE(Inspect("system_overview.html").HasText("Keelson 7"));
  ExpectOnlyWriterMarkup();
  EXPECT_TRUE(writer->GetFailures().empty());
}

}  // namespace
