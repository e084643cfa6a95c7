#include "forms/html/html_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>

#include "core/mof_reader.h"
#include "report/report.h"
#include "tests/forms/html/html_inspection.h"

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

  THtmlInspection Inspect(const std::string& file) const { return InspectHtmlFile(folder + "/" + file); }

  std::vector<std::string> HtmlFiles() const {
    std::vector<std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() == ".html") files.push_back(entry.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    return files;
  }

  // Checks that every page holds only the writer's own elements and
  // attributes, shows text unescaped once, and links within the report.
  void ExpectOnlyWriterMarkup() const {
    static const std::set<std::string> kElements = {
        "html", "head",  "meta",  "title", "link", "script", "body",  "div",   "span",    "a",
        "p",    "h1",    "h2",    "h3",    "ul",   "ol",     "li",    "table", "caption", "colgroup",
        "col",  "thead", "tbody", "tr",    "th",   "td",     "input", "label", "hr",      "br", "noscript"};
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

}  // namespace
