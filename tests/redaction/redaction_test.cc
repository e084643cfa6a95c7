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
#include <chrono>
#include <filesystem>
#include <map>
#include <regex>
#include <thread>

#include "machine/mof_text.h"
#include "redaction/mof_writer.h"
#include "redaction/pseudonyms.h"
#include "redaction/redactor.h"
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
  // lower case, {P-} with '-' for '.'; {h} its hex digits, {h4.} in fours
  // between dots, {h2:} in pairs between colons.
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
    {"linux-server", "VKXSG_VirtualNetworkPort", "PermanentAddress", "3C:FD:FE:A1:22:40",
     "switch learned 3cfd.fea1.2240", "switch learned {h4.}"},
    {"linux-server", "VKXSG_ComputerSystem", "UUID", "8C3E5A10-4F2B-11E9-9C7A-7ED30A2B1F44",
     "uuid=8c3e5a10-4f2b-11e9-9c7a-7ed30a2b1f44", "uuid={p}"},
    {"linux-server", "VKXSG_ComputerSystem", "UUID", "8C3E5A10-4F2B-11E9-9C7A-7ED30A2B1F44",
     "id 8c3e5a104f2b11e99c7a7ed30a2b1f44", "id {h}"},
    {"windows-server", "VKXSG_Process", "User", "CORP\\svc-sql", "logon svc-sql failed", "logon {user} failed"},
    {"windows-server", "VKXSG_krDiskDrive", "WorldWideName", "5000C500A1B2C3D0", "wwn 0x5000c500a1b2c3d0",
     "wwn 0x{p}"},
    {"windows-server", "VKXSG_krDiskDrive", "WorldWideName", "5000C500A1B2C3D0", "port 50:00:c5:00:a1:b2:c3:d0",
     "port {h2:}"},
    {"linux-server", "", "", "Keelson", "KEELSONrack7", "{P}rack7"},
};

const char kKeyword[] = "Keelson";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// Hex digits in groups of n between separators.
std::string Grouped(const std::string& hex, size_t n, char separator) {
  std::string grouped;
  for (size_t i = 0; i < hex.size(); i += n) grouped += (i ? std::string(1, separator) : "") + hex.substr(i, n);
  return grouped;
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
      const std::string hex = HexDigitsOf(pseudonym);
      expected = Replaced(Replaced(Replaced(expected, "{h4.}", Grouped(hex, 4, '.')), "{h2:}", Grouped(hex, 2, ':')),
                          "{h}", hex);
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

// Names that no typed property holds are found by their shape in free
// text; versions, files, packages, modules and sysctl keys are left.
TEST(Redaction, ReplacesNamesFoundByShapeOnly) {
  const std::pair<const char*, const char*> kRows[] = {
      {"resolved db7.corp.keelnet.com:22", "resolved host-1.domain-1.example:22"},
      {"from web3.prod.internal.", "from host-1.domain-1.example."},
      {"mirror edge4.cdn-north.keelnet", "mirror host-1.domain-1.example"},
      {"peer node-10-1-2-3 up", "peer node-100-64-0-3 up"},
      {"host-10-1-2-3.ec2.internal joined", "host-1.domain-1.example joined"},
      {"/var/log/remote/db7.corp.keelnet.com.log", "/var/log/remote/host-1.domain-1.example.log"},
      {"session opened for user bob by (uid=0)", "session opened for user user-1 by (uid=0)"},
      {"Accepted publickey for bob from 10.1.2.3 port 22", "Accepted publickey for user-1 from 100.64.0.3 port 22"},
      {"Failed password for invalid user mallory from ::1", "Failed password for invalid user user-1 from ::1"},
      {"auth: user=carol logged in", "auth: user=user-1 logged in"},
      {"su: (to root) bob on pts/0", "su: (to root) user-1 on pts/0"},
      {"sudo:   dave : PWD=/home/dave ; USER=erin ;", "sudo:   user-1 : PWD=/home/user-1 ; USER=user-2 ;"},
      {"frank    pts/0        Mon Dec  7 09:12", "user-1    pts/0        Mon Dec  7 09:12"},
      {"read /tmp/sosreport-vm-2026-12-07-abcdef.tar.xz", "read /tmp/sosreport-host-1-2026-12-07-abcdef.tar.xz"},
      {"loaded libc.so.6, ld.so.conf and libstdc++.so.6", nullptr},
      {"kernel 5.14.0-362.8.1.el9_3.x86_64 and glibc-2.34-60.el9.x86_64", nullptr},
      {"version 1.2.3 of python3.11, build-2026-11-20-1", nullptr},
      {"modprobe nf_conntrack; snd-hda-intel.ko loaded", nullptr},
      {"net.core.somaxconn = 4096, org.freedesktop.login1.Manager, rd.lvm.lv=vg/root", nullptr},
      {"C:\\Program Files\\Veeam.EndPoint.Service.exe", nullptr},
      {"Started systemd-journald.service; /etc/rc.local; e.g. this", nullptr},
      {"the user has logged in for root from here", nullptr},
      {"already host-1.domain-1.example", nullptr},
  };
  for (const auto& [text, expected] : kRows) {
    TPseudonyms pseudonyms;
    TRedactor redactor(pseudonyms, {});
    EXPECT_EQ(redactor.Text(text), expected ? expected : text);
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

// An association whose key named an instance that loading skipped holds
// no key: it is left out, and what is written loads strictly.
TEST(Redaction, LeavesOutAnInstanceWhoseKeyNamesNone) {
  TToolRun run("redaction-unset-key");
  const std::string text = Planted("linux-server", {}) +
                           "instance of VKXSG_Undeclared as $Gone { Name = \"gone\"; };\n"
                           "instance of LSIESG_ElementSoftwareIdentity { Antecedent = $Gone; Dependent = $System; };\n";
  TLoadSettings settings;
  settings.fCollections = {run.Write("in.mof", text)};
  UseBundledSchema(settings);
  const TLoadedCollections loaded = LoadCollections(settings);
  const std::string written = InstancesAsMof(*loaded.fNamespace, TCIMContext());
  EXPECT_EQ(Load(run.Write("again.mof", written)).fInstanceCount, loaded.fInstanceCount - 1);
}

// Two systems whose names differ only in letter case are one host to the
// pseudonyms, yet two instances: both stay, their keys kept apart.
TEST(Redaction, KeepsInstancesWhoseKeysBecomeOne) {
  TToolRun run("redaction-keys-become-one");
  const std::string in = run.Write(
      "in.mof", Planted("linux-server", {}) + "instance of VKXSG_ComputerSystem { CreationClassName = "
                                              "\"VKXSG_ComputerSystem\"; Name = \"RHEL-DB01.lab.example.com\"; };\n");
  const std::string out = run.Path("out.mof");
  ASSERT_EQ(run({"redact", in, "-o", out, "-q"}), 0) << run.Err();
  EXPECT_EQ(Load(out).fInstanceCount, Load(in).fInstanceCount + 1);
}

// A collection of many batches, given to a sink slow enough that the
// reading thread writes some batches itself: the text is the same.
TEST(Redaction, WritesTheSameTextWhicheverThreadWritesABatch) {
  TToolRun run("redaction-batches");
  std::vector<std::string> texts;
  for (size_t i = 0; i < 30000; ++i) texts.push_back("peer 10.1." + std::to_string(i % 250) + ".9 answered " + std::to_string(i));
  const TLoadedCollections loaded = Load(run.Write("in.mof", Planted("linux-server", texts)));
  std::string slowly;
  size_t pieces = 0;
  InstancesAsMof(*loaded.fNamespace, TCIMContext(), TValueFilter(), [&](std::string_view piece) {
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    slowly.append(piece);
    ++pieces;
  });
  EXPECT_GE(pieces, 7u);
  EXPECT_TRUE(slowly == InstancesAsMof(*loaded.fNamespace, TCIMContext()));  // no diff of megabytes
  EXPECT_EQ(Load(run.Write("again.mof", slowly)).fInstanceCount, loaded.fInstanceCount);
}

// The lines of the properties that hold versions, sorted.
std::vector<std::string> VersionLines(const std::string& mof) {
  static const std::regex kVersionLine(R"(\n +\w*(Version|Revision|VersionString|BuildNumber) = [^\n]*)");
  std::vector<std::string> lines;
  for (auto it = std::sregex_iterator(mof.begin(), mof.end(), kVersionLine); it != std::sregex_iterator(); ++it) {
    lines.push_back(it->str());
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// An endpoint's addresses as the collector writes them, with prefix lengths
// and several in one value: each address gets its pseudonym, the one it gets
// in texts, and the prefixes stay; no part of one becomes a name of its own.
TEST(Redaction, ReplacesEachAddressOfAListWithItsPrefix) {
  TToolRun run("redaction-address-lists");
  const std::string endpoint =
      "instance of VKXSG_IPProtocolEndpoint { CreationClassName = \"VKXSG_IPProtocolEndpoint\"; Name = \"eth9\"; "
      "SystemName = \"rhel-db01\"; IPv4Address = \"10.9.8.7/24\"; "
      "IPv6Address = \"fd00:9::7/64, fe80::9:7/64\"; };\n";
  const std::string in = run.Write(
      "in.mof", Planted("linux-server", {"src 10.9.8.7 via fd00:9::7 and fe80::9:7", "10 of 10 links up"}) + endpoint);
  const std::string out = run.Path("out.mof");
  ASSERT_EQ(run({"redact", in, "-o", out, "-q"}), 0) << run.Err();
  const TLoadedCollections redacted = Load(out);
  const std::regex words(R"(src ([0-9.]+) via ([0-9a-f:]+) and ([0-9a-f:]+))");
  std::smatch found;
  const std::string message = Planted(redacted, 0);
  ASSERT_TRUE(std::regex_match(message, found, words)) << message;
  EXPECT_NE(found[1], "10.9.8.7");
  EXPECT_TRUE(HasValue(redacted, "VKXSG_IPProtocolEndpoint", "IPv4Address", found[1].str() + "/24"));
  EXPECT_TRUE(HasValue(redacted, "VKXSG_IPProtocolEndpoint", "IPv6Address",
                       found[2].str() + "/64, " + found[3].str() + "/64"));
  EXPECT_EQ(Planted(redacted, 1), "10 of 10 links up");
}

// Pseudonyms keep what relates originals: addresses of one network stay in
// one, a network's and a broadcast address stay such, link-local stays
// link-local, hosts of one domain stay in one.
TEST(Redaction, PseudonymsKeepNetworksAndDomains) {
  struct TRelation {
    EKind fKind;
    const char* fFirst;
    const char* fSecond;
    std::regex fBoth;  // matched by both pseudonyms, its group equal in both
  };
  const TRelation kRelations[] = {
      {EKind::kIPv4, "10.1.2.3", "10.1.2.200", std::regex(R"((\d+\.\d+\.\d+)\.\d+)")},
      {EKind::kIPv4, "10.1.2.0", "10.1.2.255", std::regex(R"((\d+\.\d+\.\d+)\.(0|255))")},
      {EKind::kIPv6, "fd00:9::7", "fd00:9::", std::regex(R"((2001:db8:[0-9a-f:]*?)(::|:)[0-9a-f]*)")},
      {EKind::kIPv6, "fe80::9:7", "fe80::9:8", std::regex(R"((fe80)::[0-9a-f:]+)")},
      {EKind::kHost, "db1.corp.example", "web2.corp.example", std::regex(R"(host-\d+\.(domain-\d+\.example))")},
  };
  TPseudonyms pseudonyms;
  for (const TRelation& relation : kRelations) {
    SCOPED_TRACE(relation.fFirst);
    const std::string first = pseudonyms.Of(relation.fKind, relation.fFirst);
    const std::string second = pseudonyms.Of(relation.fKind, relation.fSecond);
    std::smatch a, b;
    ASSERT_TRUE(std::regex_match(first, a, relation.fBoth)) << first;
    ASSERT_TRUE(std::regex_match(second, b, relation.fBoth)) << second;
    EXPECT_EQ(a[1], b[1]) << first << " " << second;
    EXPECT_NE(first, second);
  }
  EXPECT_EQ(pseudonyms.Of(EKind::kIPv6, "fd00:9::").substr(pseudonyms.Of(EKind::kIPv6, "fd00:9::").size() - 2), "::");
}

// Versions keep their text, those shaped as addresses (2.10.0.1) too.
TEST(Redaction, KeepsEveryVersion) {
  for (const char* sample : {"linux-server", "windows-server", "esxi-host"}) {
    SCOPED_TRACE(sample);
    const TLoadedCollections loaded = Load(std::string(QZA_SOURCE_DIR) + "/samples/" + sample + ".mof");
    TPseudonyms pseudonyms;
    const std::vector<std::string> kept = VersionLines(InstancesAsMof(*loaded.fNamespace, TCIMContext()));
    EXPECT_GT(kept.size(), 50u);
    EXPECT_EQ(VersionLines(Redact(*loaded.fNamespace, TCIMContext(), pseudonyms, {}).fText), kept);
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

// The help names the redaction's options and commands; a map or words
// without --redact are a usage error, and so is a map inside the report.
TEST(Redaction, ReportOptionsGoWithRedact) {
  TToolRun run("redaction-options");
  ASSERT_EQ(run({"--help"}), 0);
  for (const char* word : {"--redact", "--map FILE", "--keyword WORD", "--keywords-file FILE", "qzareport redact IN",
                           "qzareport unredact --map", "qzareport fleet"}) {
    EXPECT_NE(run.Out().find(word), std::string::npos) << word;
  }
  for (const char* option : {"--map", "--keyword", "--keywords-file"}) {
    EXPECT_EQ(run({option, "x", "-o", run.Path("report")}), 2) << option;
    EXPECT_EQ(run({"collect", option, "x", "-o", run.Path("c.mof")}), 2) << option;
  }
  EXPECT_EQ(run({"--redact", "--map", run.Path("report/fleet.map"), "-o", run.Path("report")}), 2);
  EXPECT_NE(run.Err().find("the map"), std::string::npos) << run.Err();
}

// A comparison reported with --redact counts the differences the original
// comparison counts: its index differs only in the names of the heading.
TEST(Redaction, ComparesRedactedCollectionsAsTheOriginals) {
  TToolRun run("redaction-comparison");
  std::vector<std::string> indexes;
  for (const bool redact : {false, true}) {
    std::vector<std::string> arguments{"-q", "-f", "text", "-o", run.Path(redact ? "redacted" : "original")};
    if (redact) arguments.push_back("--redact");
    for (const char* sample : {"linux-server", "linux-server-later"}) {
      arguments.push_back(std::string(QZA_SOURCE_DIR) + "/samples/" + sample + ".mof");
    }
    ASSERT_EQ(run(arguments), 0) << run.Err();
    const std::string index = TToolRun::ReadFile(arguments[4] + "/index.txt");
    indexes.push_back(index.substr(index.find("\nCollected:")));
  }
  EXPECT_NE(indexes[0].find("What changed: 12 changed values"), std::string::npos) << indexes[0];
  EXPECT_EQ(indexes[1], indexes[0]);
}

// collect --redact writes the collection redacted, and nothing else but the
// map: no file holding the machine's name is left in the folder.
// A host's name of two letters is replaced as surely as a long one.
TEST(Redaction, CollectsRedacted) {
  const std::pair<const char*, const char*> kHosts[] = {{"kestrel-app3", "kestrel-app3.lab.example.org"}, {"vm", "vm"}};
  for (const auto& [label, hostname] : kHosts) {
    SCOPED_TRACE(hostname);
    TToolRun run(std::string("redaction-collect-") + label);
    const std::string name = "sosreport-" + std::string(label) + "-2026-11-20-abcdef";
    const fs::path sos = run.Path(name);
    fs::create_directories(sos / "etc");
    fs::create_directories(sos / "var/log");
    run.Write(name + "/etc/hostname", hostname + std::string("\n"));
    run.Write(name + "/version.txt", "sosreport: 4.5.6\n");
    run.Write(name + "/var/log/messages", "Nov 20 14:30:05 " + std::string(label) + " sshd[812]: Accepted publickey\n");
    const std::string out = run.Path("out.mof"), map = run.Path("fleet.map");
    ASSERT_EQ(run({"collect", "-q", "--from-sos", sos.string(), "--redact", "--map", map, "-o", out}), 0) << run.Err();
    ASSERT_EQ(run({"-q", "--check", out}), 0) << run.Err();
    EXPECT_EQ(run({"collect", "-q", "--from-sos", sos.string(), "-o", out}), 0) << run.Err();  // replaceable
    ASSERT_EQ(run({"collect", "-q", "--from-sos", sos.string(), "--redact", "--map", map, "-o", out}), 0) << run.Err();
    const std::regex word(std::string("\\b") + label + "\\b");
    const std::string text = TToolRun::ReadFile(out);
    EXPECT_FALSE(std::regex_search(Lower(text), word));
    // The collector's own words keep their text, shaped as names or not.
    EXPECT_NE(text.find("Source = \"collector.local time\""), std::string::npos);
    std::vector<std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(run.Path(""))) files.push_back(entry.path().filename());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"fleet.map", "out.mof", name}));
  }
}

// The originals (in lower case) left in any file of the folder or its name:
// raw, in either case, or escaped for HTML, JSON or a URL.
std::vector<std::string> OriginalsLeft(const std::string& folder, const std::vector<std::string>& originals) {
  std::vector<std::string> left;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    const std::string text = Lower(entry.path().string() + "\n" + TToolRun::ReadFile(entry.path().string()));
    for (const std::string& original : originals) {
      for (const std::string& form : {original, Replaced(original, "\\", "\\\\"), Replaced(original, "\\", "&#92;"),
                                      Replaced(Replaced(original, ":", "%3a"), "\\", "%5c")}) {
        if (text.find(form) != std::string::npos) left.push_back(form + " in " + entry.path().string());
      }
    }
  }
  return left;
}

// No original of the kinds' table, planted in texts, a file name of the raw
// outputs and the collection's own file name, is left in any file of any
// report: of OUT, or written with --redact of one collection or of a
// comparison (its log included).
TEST(Redaction, LeavesNoOriginalInAnyReport) {
  TToolRun run("redaction-leak");
  for (const char* sample : {"linux-server", "windows-server"}) {
    std::vector<std::string> originals{Lower(kKinds[0].fOriginal)}, texts;
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
    const std::string in = run.Write(std::string(kKinds[0].fOriginal) + ".mof", planted);
    const std::string later = run.Write(std::string(kKinds[0].fOriginal) + "-later.mof", Planted(sample, texts));
    const std::string out = run.Path(std::string(sample) + "-redacted.mof");
    ASSERT_EQ(run({"redact", in, "-o", out, "--keyword", kKeyword, "-q"}), 0) << run.Err();
    for (const char* format : {"html", "text", "inventory", "trace"}) {
      const std::string name = std::string(sample) + "-" + format;
      const std::vector<std::vector<std::string>> runs = {
          {"-q", "-f", format, "-o", run.Path(name), out},
          {"-q", "-f", format, "-o", run.Path(name + "-redact"), "--redact", "--keyword", kKeyword, in},
          {"-q", "-f", format, "-o", run.Path(name + "-compare"), "--redact", "--keyword", kKeyword, in, later}};
      for (const std::vector<std::string>& arguments : runs) {
        ASSERT_EQ(run(arguments), 0) << run.Err();
        EXPECT_EQ(OriginalsLeft(arguments[4], originals), std::vector<std::string>());
      }
    }
  }
}

}  // namespace
