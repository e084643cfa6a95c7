// Redaction through `qzareport redact`: every kind replaced where typed,
// inside texts and where embedded in other words, consistently across
// collections that share a map, and nowhere left in any report of OUT.
#ifndef QZA_TOOL_PATH
#define QZA_TOOL_PATH "qzareport"
#endif

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

#include "machine/mof_text.h"
#include "redaction/mof_writer.h"
#include "redaction/pseudonyms.h"
#include "tests/tool/tool_running.h"
#include "tool/bundled_data.h"
#include "tool/collections.h"
#include "writer/cim_reading.h"

namespace fs = std::filesystem;
using namespace NVKXQZA20;
using namespace NVKXQZA20::NRedaction;

namespace {

struct TKindRow {
  const char* fSample;
  const char* fClass;  // "" for a keyword: it has no property of its own
  const char* fProperty;
  const char* fOriginal;
  const char* fEmbedded;
  // The embedded text redacted: {P} the typed pseudonym, {p} the same in
  // lower case, {P-} with '-' for '.'.
  const char* fExpected;
};

const TKindRow kKinds[] = {
    {"linux-server", "VKXSG_ComputerSystem", "Name", "rhel-db01.lab.example.com", "ssh RHEL-DB01.lab.example.com:22",
     "ssh {P}:22"},
    {"linux-server", "VKXSG_IPService", "DomainName", "lab.example.com", "from web7.lab.example.com.", "from host-{n}"},
    {"linux-server", "VKXSG_IPProtocolEndpoint", "IPv4Address", "10.20.30.41", "peer ip-10-20-30-41 up",
     "peer ip-{P-} up"},
    {"linux-server", "VKXSG_VirtualNetworkPort", "PermanentAddress", "3C:FD:FE:A1:22:40", "lladdr 3c:fd:fe:a1:22:40",
     "lladdr {p}"},
    {"linux-server", "VKXSG_ComputerSystem", "SerialNumber", "J30A1B2C", "SN:J30A1B2C,", "SN:{P},"},
    {"linux-server", "VKXSG_ComputerSystem", "UUID", "8C3E5A10-4F2B-11E9-9C7A-7ED30A2B1F44",
     "uuid=8c3e5a10-4f2b-11e9-9c7a-7ed30a2b1f44", "uuid={p}"},
    {"windows-server", "VKXSG_Process", "User", "CORP\\svc-sql", "logon svc-sql failed", "logon {user} failed"},
    {"windows-server", "VKXSG_krDiskDrive", "WorldWideName", "5000C500A1B2C3D0", "wwn 0x5000c500a1b2c3d0",
     "wwn 0x{p}"},
    {"linux-server", "", "", "Keelson", "KEELSONrack7", "{P}rack7"},
};

const char kKeyword[] = "Keelson";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
  return text;
}

std::string LogRecord(const std::string& id, const std::string& message) {
  return "instance of VKXSG_QZALogRecord { LogCreationClassName = \"VKXSG_MessageLog\"; LogName = \"QZA\"; "
         "CreationClassName = \"VKXSG_QZALogRecord\"; RecordID = \"" + id + "\"; MessageTimestamp = \"20261120143005.000000-300\"; Source = \"planted\"; "
         "Message = " + NVKXQZA20::NMachine::MofString(message) + "; };\n";
}

// The sample without its include of the schema (the tool loads its own),
// with one log record per planted text.
std::string Planted(const std::string& sample, const std::vector<std::string>& texts) {
  std::string text = TToolRun::ReadFile(std::string(QZA_SOURCE_DIR) + "/samples/" + sample + ".mof");
  text = Replaced(text, "#pragma include(\"../schema/schema.mof\")", "");
  for (size_t i = 0; i < texts.size(); ++i) text += LogRecord("planted-" + std::to_string(i), texts[i]);
  return text;
}

TLoadedCollections Load(const std::string& file) {
  TLoadSettings settings;
  settings.fCollections = {file};
  UseBundledSchema(settings);
  settings.fStrict = true;
  return LoadCollections(settings);
}

std::string Planted(const TLoadedCollections& loaded, size_t i) {
  for (const auto& record : InstancesOfClass(*loaded.fNamespace, "VKXSG_QZALogRecord")) {
    if (PropertyText(*record, "RecordID") == "planted-" + std::to_string(i)) return PropertyText(*record, "Message");
  }
  return "(missing)";
}

bool HasValue(const TLoadedCollections& loaded, const std::string& cls, const std::string& property,
              const std::string& value) {
  for (const auto& instance : InstancesOfClass(*loaded.fNamespace, cls)) {
    for (const TCIMValue& element : instance->GetProperty(property)->GetValue().ToArray()) {
      if (element.TextView() == value) return true;
    }
  }
  return false;
}

// Each row's original, plain and embedded, planted in a log of its sample;
// the plain one must read as the typed property's pseudonym, the embedded
// one as that pseudonym in the embedding, and no original is left.
TEST(Redaction, ReplacesEveryKindTypedInTextAndEmbedded) {
  TToolRun run("redaction-kinds");
  for (const char* sample : {"linux-server", "windows-server"}) {
    std::vector<const TKindRow*> rows;
    std::vector<std::string> texts;
    for (const TKindRow& row : kKinds) {
      if (std::string(row.fSample) != sample) continue;
      rows.push_back(&row);
      texts.push_back(row.fOriginal);
      texts.push_back(row.fEmbedded);
    }
    const std::string in = run.Write(std::string(sample) + ".mof", Planted(sample, texts));
    const std::string out = run.Path(std::string(sample) + "-redacted.mof");
    ASSERT_EQ(run({"redact", in, "-o", out, "--keyword", kKeyword, "-q"}), 0) << run.Err();
    ASSERT_EQ(run({"--check", out}), 0) << run.Err();
    EXPECT_EQ(run.Err(), "");
    const TLoadedCollections redacted = Load(out);
    const std::string text = Lower(TToolRun::ReadFile(out));
    for (size_t i = 0; i < rows.size(); ++i) {
      const TKindRow& row = *rows[i];
      SCOPED_TRACE(row.fOriginal);
      const std::string pseudonym = Planted(redacted, 2 * i);
      EXPECT_NE(pseudonym, row.fOriginal);
      if (*row.fClass != '\0') {
        EXPECT_TRUE(HasValue(redacted, row.fClass, row.fProperty, pseudonym)) << pseudonym;
      }
      std::string expected = Replaced(Replaced(Replaced(row.fExpected, "{P-}", Replaced(pseudonym, ".", "-")), "{P}",
                                               pseudonym), "{p}", Lower(pseudonym));
      expected = Replaced(expected, "{user}", pseudonym.substr(pseudonym.find('\\') + 1));
      const std::string embedded = Planted(redacted, 2 * i + 1);
      if (expected.find("{n}") != std::string::npos) {
        EXPECT_EQ(embedded.rfind(expected.substr(0, expected.find("{n}")), 0), 0u) << embedded;
        EXPECT_NE(embedded.find(".domain-"), std::string::npos) << embedded;
      } else {
        EXPECT_EQ(embedded, expected);
      }
      EXPECT_EQ(text.find(Lower(row.fOriginal)), std::string::npos);
    }
  }
}

// The writer's text loads back into the same instances: written again, it
// is the same text.
TEST(Redaction, WritesInstancesBackAsTheyWereLoaded) {
  TToolRun run("redaction-round-trip");
  for (const char* sample : {"linux-server", "windows-server", "esxi-host"}) {
    SCOPED_TRACE(sample);
    const TLoadedCollections loaded = Load(run.Write("in.mof", Planted(sample, {"quote \" back\\slash\ttab\x01"})));
    const std::string text = InstancesAsMof(*loaded.fNamespace, TCIMContext());
    const TLoadedCollections reloaded = Load(run.Write("again.mof", text));
    EXPECT_EQ(InstancesAsMof(*reloaded.fNamespace, TCIMContext()), text);
    EXPECT_EQ(reloaded.fInstanceCount, loaded.fInstanceCount);
  }
}

// Two collections of one machine redacted with one map: a value equal in
// both has one pseudonym; the map is its owner's only and translates back.
TEST(Redaction, GivesOnePseudonymAcrossCollectionsOfOneMap) {
  TToolRun run("redaction-map");
  const std::string map = run.Path("fleet.map");
  std::vector<TLoadedCollections> originals, redacted;
  for (const char* sample : {"linux-server", "linux-server-later"}) {
    const std::string in = run.Write(std::string(sample) + ".mof", Planted(sample, {}));
    const std::string out = run.Path(std::string(sample) + "-redacted.mof");
    ASSERT_EQ(run({"redact", in, "-o", out, "--map", map, "-q"}), 0) << run.Err();
    originals.push_back(Load(in));
    redacted.push_back(Load(out));
  }
  struct stat status;
  ASSERT_EQ(::stat(map.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  for (const char* property : {"Name", "SerialNumber", "UUID"}) {
    auto value = [property](const TLoadedCollections& loaded) {
      return PropertyText(*InstancesOfClass(*loaded.fNamespace, "VKXSG_ComputerSystem").at(0), property);
    };
    SCOPED_TRACE(property);
    EXPECT_EQ(value(redacted[0]) == value(redacted[1]), value(originals[0]) == value(originals[1]));
    ASSERT_EQ(run({"unredact", "--map", map, "seen " + value(redacted[1]) + "."}), 0) << run.Err();
    EXPECT_EQ(run.Out(), "seen " + value(originals[1]) + ".\n");
  }
}

// No original of the kinds' table, planted in texts and a file name of the
// raw outputs, is left in any file of any report of OUT: raw, in either
// case, or escaped for HTML, JSON or a URL.
TEST(Redaction, LeavesNoOriginalInAnyReport) {
  TToolRun run("redaction-leak");
  for (const char* sample : {"linux-server", "windows-server"}) {
    std::vector<std::string> originals, texts;
    for (const TKindRow& row : kKinds) {
      if (std::string(row.fSample) != sample) continue;
      originals.push_back(Lower(row.fOriginal));
      texts.push_back(std::string("note: ") + row.fEmbedded + " / " + row.fOriginal);
    }
    std::string planted = Planted(sample, texts);
    planted += "instance of VKXSG_LogRecord_FileLoader { LogCreationClassName = \"VKXSG_MessageLog\"; "
               "LogName = \"FileLoader\"; CreationClassName = \"VKXSG_LogRecord_FileLoader\"; RecordID = \"p\"; "
               "MessageTimestamp = \"20261120143005.000000-300\"; FileName = " +
               NVKXQZA20::NMachine::MofString("/var/log/" + std::string(kKinds[0].fOriginal) + ".log") + "; Message = " +
               NVKXQZA20::NMachine::MofString(texts.front()) + "; };\n";
    const std::string out = run.Path(std::string(sample) + "-redacted.mof");
    ASSERT_EQ(run({"redact", run.Write("in.mof", planted), "-o", out, "--keyword", kKeyword, "-q"}), 0) << run.Err();
    for (const char* format : {"html", "text", "inventory"}) {
      const std::string folder = run.Path(std::string(sample) + "-" + format);
      ASSERT_EQ(run({"-q", "-f", format, "-o", folder, out}), 0) << run.Err();
      for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::string text = Lower(entry.path().string() + "\n" + TToolRun::ReadFile(entry.path().string()));
        for (const std::string& original : originals) {
          for (const std::string& form : {original, Replaced(original, "\\", "\\\\"), Replaced(original, "\\", "&#92;"),
                                          Replaced(Replaced(original, ":", "%3a"), "\\", "%5c")}) {
            EXPECT_EQ(text.find(form), std::string::npos) << form << " in " << entry.path();
          }
        }
      }
    }
  }
}

}  // namespace
