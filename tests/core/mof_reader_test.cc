#include "core/mof_reader.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace NVKXQZA20 {
namespace {

namespace fs = std::filesystem;

std::vector<boost::shared_ptr<ICIMInstance>> InstancesOf(const boost::shared_ptr<TMemoryNamespace>& ns,
                                                         const std::string& className) {
  std::vector<boost::shared_ptr<ICIMInstance>> instances;
  ns->GetClass(className)->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(instances), true);
  return instances;
}

std::vector<std::string> Associated(const boost::shared_ptr<ICIMInstance>& instance, const std::string& association) {
  std::vector<boost::shared_ptr<ICIMInstance>> far;
  instance->Associators(TAddToVectorCallback<ICIMInstance>(far), association, "", "", "");
  std::vector<std::string> names;
  for (const auto& each : far) names.push_back(each->GetProperty("Name")->GetValue().ToString());
  return names;
}

// How a case is read: as the library reads by default, strictly (the
// tool's --strict), or skipping undeclared instances (the tool's default).
enum class EMode { kDefault, kStrict, kLenient };

// Reading ahead in pieces of a byte: every line that starts an instance
// starts a piece.
void ReadAheadInSmallPieces(TMofReader& reader) { reader.SetReadAhead(2, 1); }

// The message of the TMofError the text raises, or "" when it loads.
std::string ErrorOf(const std::string& text, EMode mode = EMode::kDefault, bool readAhead = false) {
  TMofReader reader(TMemoryNamespace::Create());
  if (readAhead) ReadAheadInSmallPieces(reader);
  reader.SetStrict(mode == EMode::kStrict);
  if (mode == EMode::kLenient) reader.SkipUndeclaredInstances();
  try {
    reader.LoadText(text, "test.mof");
  } catch (const TMofError& e) {
    return e.what();
  }
  return "";
}

// A folder of MOF files, removed with the test.
class TMofFolder {
 public:
  TMofFolder()
      : fPath(fs::temp_directory_path() /
              ("qza_mof_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    fs::create_directories(fPath);
  }
  ~TMofFolder() {
    std::error_code ignored;
    fs::remove_all(fPath, ignored);
  }
  std::string Write(const std::string& relative, const std::string& text) const {
    fs::path file = fPath / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
    return file.string();
  }
  std::string Path(const std::string& relative) const { return (fPath / relative).string(); }

 private:
  fs::path fPath;
};

struct TLiteralCase {
  const char* fDeclaration;  // of property V
  const char* fValue;        // as written in the instance
  TCIMValue fExpected;
};

class MofLiteralTest : public ::testing::TestWithParam<TLiteralCase> {};

TEST_P(MofLiteralTest, ValueIsReadAsTheDeclaredType) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader reader(ns);
  reader.LoadText(std::string("class T_Literal { ") + GetParam().fDeclaration + "; };\n" +
                      "instance of T_Literal { V = " + GetParam().fValue + "; };",
                  "literal.mof");
  EXPECT_EQ(GetParam().fExpected, InstancesOf(ns, "T_Literal").at(0)->GetProperty("V")->GetValue());
}

INSTANTIATE_TEST_SUITE_P(
    EveryForm, MofLiteralTest,
    ::testing::Values(
        TLiteralCase{"uint8 V", "255", TCIMValue(uint8_t(255))},
        TLiteralCase{"sint8 V", "-128", TCIMValue(int8_t(-128))},
        TLiteralCase{"uint16 V", "0x1F", TCIMValue(uint16_t(31))},
        TLiteralCase{"sint16 V", "-0X10", TCIMValue(int16_t(-16))},
        TLiteralCase{"uint32 V", "017", TCIMValue(uint32_t(15))},
        TLiteralCase{"sint32 V", "+1011B", TCIMValue(int32_t(11))},
        TLiteralCase{"uint64 V", "18446744073709551615", TCIMValue(uint64_t(UINT64_MAX))},
        TLiteralCase{"sint64 V", "-9223372036854775808", TCIMValue(int64_t(INT64_MIN))},
        TLiteralCase{"real32 V", "-0.25", TCIMValue::Real32(-0.25f)},
        TLiteralCase{"real64 V", "1.5e3", TCIMValue(1500.0)},
        TLiteralCase{"real64 V", ".5E-1", TCIMValue(0.05)},
        TLiteralCase{"real64 V", "2", TCIMValue(2.0)},
        TLiteralCase{"boolean V", "TRUE", TCIMValue(true)},
        TLiteralCase{"boolean V", "False", TCIMValue(false)},
        TLiteralCase{"string V", "null", TCIMValue::Null(CIMTypeString)},
        TLiteralCase{"char16 V", "'x'", TCIMValue::Char16('x')},
        TLiteralCase{"char16 V", "'\\''", TCIMValue::Char16('\'')},
        TLiteralCase{"char16 V", "'\\x41'", TCIMValue::Char16('A')},
        TLiteralCase{"char16 V", "'\\x263A'", TCIMValue::Char16(u'\u263A')},
        TLiteralCase{"char16 V", "'\xC3\xA9'", TCIMValue::Char16(u'\u00E9')},
        TLiteralCase{"real64 V", "1.0e-400", TCIMValue(0.0)},
        TLiteralCase{"real32 V", "-2.5E-4000", TCIMValue::Real32(-0.0f)},
        TLiteralCase{"string V", "'x'", TCIMValue("x")},
        TLiteralCase{"string V", "\"\\b\\t\\n\\f\\r\\\"\\'\\\\\"", TCIMValue("\b\t\n\f\r\"'\\")},
        TLiteralCase{"string V", "\"\\x41\\X00e9\\x20AC!\"", TCIMValue("A\xC3\xA9\xE2\x82\xAC!")},
        TLiteralCase{"string V", "\"con\" \"cat\"\n  // between\n  \"enated\"", TCIMValue("concatenated")},
        TLiteralCase{"datetime V", "\"20240131123456.000000+060\"",
                     TCIMValue(TCIMDateTime("20240131123456.000000+060"))},
        TLiteralCase{"datetime V", "\"00000003040506.000000:000\"",
                     TCIMValue(TCIMDateTime("00000003040506.000000:000"))},
        TLiteralCase{"datetime V", "\"20240115******.******+000\"",
                     TCIMValue(TCIMDateTime("20240115******.******+000"))},
        TLiteralCase{"uint16 V[]", "{1, 0x2, 03}",
                     TCIMValue::Array(CIMTypeUInt16, {TCIMValue(uint16_t(1)), TCIMValue(uint16_t(2)),
                                                      TCIMValue(uint16_t(3))})},
        TLiteralCase{"string V[4]", "{\"a\", NULL, \"b\" \"c\"}",
                     TCIMValue::Array(CIMTypeString, {TCIMValue("a"), TCIMValue::Null(CIMTypeString),
                                                      TCIMValue("bc")})},
        TLiteralCase{"boolean V[]", "{}", TCIMValue::Array(CIMTypeBoolean, {})}));

TEST(MofReaderTest, KeywordsAreCaseInsensitiveAndNamesMayBeKeywords) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader reader(ns);
  reader.LoadText(R"(
    QUALIFIER Key : BOOLEAN = false, SCOPE(Property, REFERENCE), FLAVOR(disableoverride, TOSUBCLASS);
    CLASS T_Part { [key] STRING Class; Uint32 Instance; String Flavor; };
    [ASSOCIATION] Class T_Link { T_Part Ref Of; t_part ref As; };
    Instance OF t_part AS $p { class = "a"; INSTANCE = 1; flavor = NULL; };
    instance of T_Link { of = $P; as = $p; };
  )", "keywords.mof");
  EXPECT_EQ(2u, reader.GetClassCount());
  EXPECT_EQ(1u, reader.GetQualifierTypeCount());
  EXPECT_EQ(2u, reader.GetInstanceCount());
  EXPECT_EQ("T_Part.Class=\"a\"", InstancesOf(ns, "T_Link").at(0)->GetProperty("Of")->GetValue().ToString());
}

TEST(MofReaderTest, QualifierTypesAreDeclaredWithTypeDefaultScopesAndFlavors) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader(ns).LoadText(R"(
    Qualifier MaxLen : uint32 = null, Scope(property, method, parameter);
    Qualifier ValueMap : string[] = {"0"}, Scope(property), Flavor(EnableOverride, ToSubclass, Translatable);
  )", "qualifiers.mof");
  const TQualifierType* maxLen = ns->FindQualifierType("maxlen");
  ASSERT_NE(nullptr, maxLen);
  EXPECT_EQ(CIMTypeUInt32, maxLen->fType);
  EXPECT_FALSE(maxLen->fIsArray);
  EXPECT_EQ(TCIMValue::Null(CIMTypeUInt32), maxLen->fDefault);
  EXPECT_EQ((std::vector<std::string>{"property", "method", "parameter"}), maxLen->fScopes);
  const TQualifierType* valueMap = ns->FindQualifierType("ValueMap");
  ASSERT_NE(nullptr, valueMap);
  EXPECT_TRUE(valueMap->fIsArray);
  EXPECT_EQ(TCIMValue::Array(CIMTypeString, {TCIMValue("0")}), valueMap->fDefault);
  EXPECT_EQ((std::vector<std::string>{"EnableOverride", "ToSubclass", "Translatable"}), valueMap->fFlavors);
}

TEST(MofReaderTest, QualifiersOnClassesAndPropertiesTakeTheirDeclaredTypes) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader(ns).LoadText(R"(
    Qualifier Description : string = null, Scope(any), Flavor(Translatable);
    Qualifier MaxLen : uint32 = null, Scope(property);
    Qualifier ValueMap : string[], Scope(property);
    Qualifier Values : string[], Scope(property);
    Qualifier Key : boolean = false, Scope(property);
    [Description ("A fan " "of the system."), Vendor(7), Tags {1, -2, 3.5}]
    class T_Fan {
      [Key, MaxLen ( 64 ) : ToSubclass] string Name;
      [ValueMap {"0", "2"}, Values {"Unknown", "OK"}] uint16 Status = 2;
      [Deprecated] string Old;
    };
    instance of T_Fan { Name = "Fan 1"; };
  )", "qualifiers.mof");
  boost::shared_ptr<ICIMClass> fan = ns->GetClass("T_Fan");
  bool found = false;
  EXPECT_EQ(TCIMValue("A fan of the system."), fan->GetQualifier("Description", found)->GetValue());
  EXPECT_EQ(TCIMValue(int64_t(7)), fan->GetQualifier("Vendor", found)->GetValue());
  EXPECT_EQ(TCIMValue::Array(CIMTypeReal64, {TCIMValue(1.0), TCIMValue(-2.0), TCIMValue(3.5)}),
            fan->GetQualifier("Tags", found)->GetValue());
  boost::shared_ptr<ICIMPropertyDecl> name = fan->GetPropertyDecl("Name");
  EXPECT_EQ(TCIMValue(true), name->GetQualifier("Key", found)->GetValue());
  EXPECT_EQ(TCIMValue(uint32_t(64)), name->GetQualifier("MaxLen", found)->GetValue());
  EXPECT_EQ(TCIMValue(true), fan->GetPropertyDecl("Old")->GetQualifier("Deprecated", found)->GetValue());
  boost::shared_ptr<ICIMInstance> instance = InstancesOf(ns, "T_Fan").at(0);
  EXPECT_EQ("OK", instance->GetProperty("Status")->GetValueText());
  EXPECT_EQ("T_Fan.Name=\"Fan 1\"", instance->GetReference().GetPath());
}

TEST(MofReaderTest, SubclassesInheritAndOverrideAndMethodsAreDropped) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader(ns).LoadText(R"(
    class T_Device {
      [Key] string Name;
      [Description("base")] uint16 Status = 1;
      uint32 Reset([IN] boolean Force, [IN, OUT] T_Device REF Target[], string Notes[4] = {"x"});
    };
    class T_Disk : T_Device {
      [Override("Status"), Description("disk")] uint16 Status = 5;
      uint64 Size;
      uint32 Eject();
    };
    instance of T_Disk { Name = "d1"; Size = 10; };
  )", "inherit.mof");
  boost::shared_ptr<ICIMClass> disk = ns->GetClass("T_Disk");
  EXPECT_EQ("T_Device", disk->GetSuperClassName());
  EXPECT_EQ(3u, disk->GetPropertyDecls().size());
  bool found = false;
  EXPECT_EQ(TCIMValue("disk"), disk->GetPropertyDecl("Status")->GetQualifier("Description", found)->GetValue());
  std::vector<boost::shared_ptr<ICIMInstance>> devices = InstancesOf(ns, "T_Device");
  ASSERT_EQ(1u, devices.size());
  EXPECT_EQ(TCIMValue(uint16_t(5)), devices[0]->GetProperty("Status")->GetValue());
}

const char* const kHardware = R"(
  class T_Element { [Key] string Name; };
  class T_Disk : T_Element { };
  class T_Controller : T_Element { };
  [Association] class T_ControlledBy { [Key] T_Controller REF Antecedent; [Key] T_Disk REF Dependent; };
)";

// The first association comes before the instances its aliases name.
TEST(MofReaderTest, ReferencesByAliasAndByPathLinkInstancesInEitherOrder) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader reader(ns);
  reader.LoadText(std::string(kHardware) + R"(
    instance of T_ControlledBy { Antecedent = $Raid; Dependent = $Disk1; };
    instance of T_Controller as $Raid { Name = "raid"; };
    instance of T_Disk as $Disk1 { Name = "disk 1"; };
    instance of T_Disk { Name = "disk 2"; };
    instance of T_ControlledBy {
      Antecedent = "T_Controller.Name=\"raid\"";
      Dependent = "root/cimv2:T_Disk.Name=\"disk 2\"";
    };
  )", "hardware.mof");
  EXPECT_EQ(5u, reader.GetInstanceCount());
  boost::shared_ptr<ICIMInstance> controller = InstancesOf(ns, "T_Controller").at(0);
  EXPECT_EQ((std::vector<std::string>{"disk 1", "disk 2"}), Associated(controller, "T_ControlledBy"));
  EXPECT_EQ((std::vector<std::string>{"raid"}), Associated(InstancesOf(ns, "T_Disk").at(1), "T_ControlledBy"));
}

TEST(MofReaderTest, AliasesBelongToOneLoad) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader reader(ns);
  reader.LoadText(std::string(kHardware) + "instance of T_Controller as $Raid { Name = \"raid\"; };", "first.mof");
  EXPECT_EQ("second.mof:1:43: unknown alias $Raid", [&] {
    try {
      reader.LoadText("instance of T_ControlledBy { Antecedent = $Raid; Dependent = \"T_Disk.Name=\\\"d\\\"\"; };",
                      "second.mof");
    } catch (const TMofError& e) {
      return std::string(e.what());
    }
    return std::string();
  }());
}

TEST(MofReaderTest, PragmasOtherThanIncludeAreAccepted) {
  EXPECT_EQ("", ErrorOf("#pragma namespace (\"root/cimv2\")\n#pragma locale (\"en_US\")\n"
                        "#pragma classflags(\"forceupdate\", (1))\n#pragma autorecover\nclass T_A { };"));
}

TEST(MofReaderTest, OtherRepositoryFailuresAreReportedAtTheToken) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader reader(ns);
  reader.LoadText("class T_A { string Name; };", "a.mof");
  ns->InjectFault(1, kQZAFailed);
  try {
    reader.LoadText("\ninstance of T_A { Name = \"a\"; };", "b.mof");
    ADD_FAILURE() << "the fault was not reported";
  } catch (const TMofError& e) {
    EXPECT_EQ("b.mof:2:13: repository error: Operation failed (injected fault)", std::string(e.what()));
    EXPECT_EQ(2, e.GetLine());
    EXPECT_EQ(13, e.GetColumn());
  }
}

TEST(MofReaderTest, ContextNamesTheDataSource) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TCIMContext second;
  second["nsIndex"] = TCIMValue(ns->AddDataSource());
  TMofReader(ns, second).LoadText("class T_A { [Key] string Name; }; instance of T_A { Name = \"a\"; };", "a.mof");
  EXPECT_EQ(0u, ns->GetClassCount());
  EXPECT_EQ(1u, ns->GetInstanceCount(second));
}

TEST(MofReaderTest, IncludesAreRelativeToTheIncludingFile) {
  TMofFolder folder;
  folder.Write("qualifiers/key.mof", "Qualifier Key : boolean = false, Scope(property);");
  folder.Write("classes/base.mof", "#pragma include (\"../qualifiers/key.mof\")\nclass T_A { [Key] string Name; };");
  folder.Write("classes/all.mof", "#pragma include (\"base.mof\")\nclass T_B : T_A { };");
  std::string top =
      folder.Write("top.mof", "#pragma include (\"classes\\\\all.mof\")\ninstance of T_B { Name = \"b\"; };");
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader reader(ns);
  reader.LoadFile(top);
  EXPECT_EQ(1u, reader.GetQualifierTypeCount());
  EXPECT_EQ(2u, reader.GetClassCount());
  EXPECT_EQ(1u, reader.GetInstanceCount());
}

// Such a file has no room for the terminating NUL in its last page.
// Refused by its real path before a byte is read: a terabyte (sparse)
// would not fit in memory.
TEST(MofReaderTest, IncludeThroughALinkOutIsRefusedUnread) {
  TMofFolder folder;
  const std::string huge = folder.Write("huge.mof", "");
  fs::resize_file(huge, uintmax_t(1) << 40);
  const std::string top = folder.Write("inner/top.mof", "#pragma include(\"link.mof\")\n");
  fs::create_symlink(huge, folder.Path("inner/link.mof"));
  try {
    TMofReader(TMemoryNamespace::Create()).LoadFile(top);
    ADD_FAILURE() << "an include out of the folder was read";
  } catch (const TMofError& e) {
    EXPECT_EQ(0u, std::string(e.what()).find(top + ":1:17: include of 'link.mof' refused")) << e.what();
  }
}

TEST(MofReaderTest, BareFileNameIncludesFilesBesideIt) {
  TMofFolder folder;
  folder.Write("a.mof", "#pragma include(\"b.mof\")\n");
  folder.Write("b.mof", "class T_A { };");
  const fs::path before = fs::current_path();
  fs::current_path(folder.Path(""));
  TMofReader reader(TMemoryNamespace::Create());
  std::string error;
  try {
    reader.LoadFile("a.mof");
  } catch (const TMofError& e) {
    error = e.what();
  }
  fs::current_path(before);
  EXPECT_EQ("", error);
  EXPECT_EQ(1u, reader.GetClassCount());
}

TEST(MofReaderTest, FileOfWholePagesEndingInATokenLoads) {
  TMofFolder folder;
  std::string declaration = "class T_A { };";
  size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  std::string padding = "//" + std::string(page - 3 - declaration.size(), '-') + "\n";
  std::string path = folder.Write("page.mof", padding + declaration);
  ASSERT_EQ(page, fs::file_size(path));
  TMofReader reader(TMemoryNamespace::Create());
  reader.LoadFile(path);
  EXPECT_EQ(1u, reader.GetClassCount());
}

TEST(MofReaderTest, AFileAlreadyReadIsNotReadAgain) {
  TMofFolder folder;
  std::string schema = folder.Write("schema/schema.mof", "class T_Fan { [Key] string Name; };");
  std::string collection = folder.Write("samples/one.mof",
                                        "#pragma include(\"../schema/schema.mof\")\n"
                                        "instance of T_Fan { Name = \"f1\"; };");
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader reader(ns);
  reader.AllowIncludesBelow(folder.Path("schema"));
  reader.LoadFile(schema);
  reader.LoadFile(collection);
  EXPECT_EQ(1u, ns->GetClassCount());
  EXPECT_EQ(1u, ns->GetInstanceCount());
  TMofReader fresh(TMemoryNamespace::Create());
  fresh.AllowIncludesBelow(folder.Path("schema"));
  EXPECT_NO_THROW(fresh.LoadFile(collection));
  EXPECT_EQ(1u, fresh.GetClassCount());
}

TEST(MofReaderTest, MissingAndCyclicIncludesAreReportedAtTheInclude) {
  TMofFolder folder;
  std::string missing = folder.Write("missing.mof", "class T_A { };\n  #pragma include(\"none/x.mof\")");
  folder.Write("a.mof", "#pragma include (\"sub/b.mof\")");
  folder.Write("sub/b.mof", "\n#pragma include (\"../a.mof\")");
  TMofReader reader(TMemoryNamespace::Create());
  try {
    reader.LoadFile(missing);
    ADD_FAILURE() << "a missing include file was accepted";
  } catch (const TMofError& e) {
    EXPECT_EQ(missing + ":2:19: cannot read include file '" + folder.Path("none/x.mof") + "'", e.what());
  }
  try {
    reader.LoadFile(folder.Path("a.mof"));
    ADD_FAILURE() << "an include cycle was accepted";
  } catch (const TMofError& e) {
    EXPECT_EQ(folder.Path("sub/b.mof") + ":2:18: include cycle: " + folder.Path("a.mof") + " -> " +
                  folder.Path("sub/b.mof") + " -> " + folder.Path("a.mof"),
              e.what());
  }
  try {
    reader.LoadFile(folder.Path("nothing.mof"));
    ADD_FAILURE() << "a missing file was accepted";
  } catch (const TMofError& e) {
    EXPECT_EQ(folder.Path("nothing.mof") + ": cannot read the file", e.what());
  }
}

struct TErrorCase {
  std::string fText;
  std::string fMessage;
  EMode fMode = EMode::kDefault;
};

// Line 1 of the cases that use declared qualifiers.
const char kQualifiers[] =
    "Qualifier Key : boolean = false, Scope(property, reference), Flavor(DisableOverride, ToSubclass); "
    "Qualifier Abstract : boolean = false, Scope(class, association, indication), Flavor(Restricted); "
    "Qualifier Association : boolean = false, Scope(association), Flavor(DisableOverride, ToSubclass); "
    "Qualifier Description : string = null, Scope(any), Flavor(Translatable);\n";

// A case whose text follows the declaration of T_Disk (line 1).
TErrorCase OnDisk(const std::string& text, const std::string& message, EMode mode = EMode::kDefault) {
  return TErrorCase{std::string(kQualifiers, sizeof kQualifiers - 2) +
                        " class T_Disk { [Key] string Name; uint8 Slot; datetime Made; uint16 Codes[]; };\n" + text,
                    message, mode};
}

// A case whose text follows the declarations of kQualifiers (line 1).
TErrorCase Declared(const std::string& text, const std::string& message, EMode mode = EMode::kDefault) {
  return TErrorCase{kQualifiers + text, message, mode};
}

class MofErrorTest : public ::testing::TestWithParam<TErrorCase> {};

TEST_P(MofErrorTest, MessageNamesThePlaceAndTheProblem) {
  for (bool readAhead : {false, true}) {
    EXPECT_EQ(GetParam().fMessage, ErrorOf(GetParam().fText, GetParam().fMode, readAhead)) << "read ahead: " << readAhead;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, MofErrorTest,
    ::testing::Values(
        TErrorCase{"class T_A {\n  string Name\n};", "test.mof:2:14: expected ';' after property declaration"},
        TErrorCase{"class T_A {\n  string Name;\n}", "test.mof:3:2: expected ';' after class declaration"},
        TErrorCase{"class T_A {\n  string Name;\n", "test.mof:2:15: expected '}' closing class T_A"},
        TErrorCase{"class T_A : T_None { };", "test.mof:1:13: unknown superclass 'T_None'"},
        TErrorCase{"class T_A { T_None REF Far; };", "test.mof:1:13: unknown class 'T_None' of reference 'Far'"},
        TErrorCase{"class T_A { strin Name; };",
                   "test.mof:1:13: unknown data type 'strin' (a reference is written 'ClassName REF name')"},
        TErrorCase{"class T_A { string N; };\ninstance of T_A { N = \"a\"; };\nclass T_A { string M; };",
                   "test.mof:3:7: cannot declare class 'T_A' again: it or a subclass already has instances"},
        TErrorCase{"instance of T_Missing {\n};", "test.mof:1:13: unknown class 'T_Missing'"},
        TErrorCase{"instance T_Disk { };", "test.mof:1:10: expected 'of' after 'instance'"},
        TErrorCase{"\n\nwidget T_A { };", "test.mof:3:1: expected 'class', 'instance', 'Qualifier' or '#pragma'"},
        TErrorCase{"/* open\n\n class T_A { };", "test.mof:1:1: unterminated comment"},
        TErrorCase{"class T_A {\n  string Name = \"abc;\n};", "test.mof:2:17: unterminated string"},
        TErrorCase{"class T_A { string Name = \"a\\qb\"; };", "test.mof:1:29: unknown escape sequence '\\q'"},
        TErrorCase{"class T_A { char16 C = ''; };", "test.mof:1:24: expected one character between ' and '"},
        TErrorCase{"class T_A { uint8 N = 12ab; };", "test.mof:1:23: malformed number '12ab'"},
        TErrorCase{"class T_A { uint8 N = 0x; };", "test.mof:1:23: malformed number '0x'"},
        TErrorCase{"class T_A { uint8 N = 019; };", "test.mof:1:23: malformed number '019'"},
        TErrorCase{"class T_A { uint64 N = 18446744073709551616; };", "test.mof:1:24: integer out of range"},
        TErrorCase{"class T_A { real64 R = -1.0e999; };", "test.mof:1:24: real number out of range"},
        TErrorCase{"class T_A { real32 R = 1.0e39; };",
                   "test.mof:1:24: bad value for default of property 'R' of type real32: out of range"},
        TErrorCase{"class T_A { string N = @; };", "test.mof:1:24: unexpected character '@'"},
        TErrorCase{"Qualifier Q : boolean = false, Scope(everything);", "test.mof:1:38: expected a scope name"},
        TErrorCase{"Qualifier Q : boolean, Scope(any), Flavor(Sticky);", "test.mof:1:43: expected a flavor name"},
        TErrorCase{"Qualifier Q : uint8, Scope(any);\nclass T_A { [Q] string N; };",
                   "test.mof:2:14: qualifier 'Q' of type uint8 needs a value"},
        TErrorCase{"Qualifier Q : uint8, Scope(any);\nclass T_A { [Q(300)] string N; };",
                   "test.mof:2:16: bad value for qualifier 'Q' of type uint8: out of range"},
        TErrorCase{"class T_A { [Q {1, \"x\"}] string N; };",
                   "test.mof:1:20: array elements of one value must have one type"},
        TErrorCase{"class T_A { sint8 N = -129; };",
                   "test.mof:1:23: bad value for default of property 'N' of type sint8: out of range"},
        TErrorCase{"class T_A { string Name; };\ninstance of T_A {\n  Nmae = \"x\";\n};",
                   "test.mof:3:3: unknown property 'Nmae' of class 'T_A'"},
        TErrorCase{"class T_A { string Name; };\ninstance of T_A {\n  Name = \"x\"\n};",
                   "test.mof:3:13: expected ';' after property value"},
        OnDisk("instance of T_Disk { Slot = 256; };",
               "test.mof:2:29: bad value for property 'Slot' of type uint8: out of range"),
        OnDisk("instance of T_Disk { Slot = \"3\"; };",
               "test.mof:2:29: bad value for property 'Slot' of type uint8: found a string"),
        OnDisk("instance of T_Disk { Name = TRUE; };",
               "test.mof:2:29: bad value for property 'Name' of type string: found a boolean"),
        OnDisk("instance of T_Disk { Slot = 1.5; };",
               "test.mof:2:29: bad value for property 'Slot' of type uint8: found a real number"),
        OnDisk("instance of T_Disk { Made = \"yesterday\"; };",
               "test.mof:2:29: bad value for property 'Made' of type datetime: \"yesterday\" is not a CIM datetime"),
        OnDisk("instance of T_Disk { Codes = 5; };",
               "test.mof:2:30: bad value for property 'Codes' of type uint16[]: expected an array value '{ ... }'"),
        OnDisk("instance of T_Disk { Codes = {1, -1}; };",
               "test.mof:2:34: bad value for property 'Codes' of type uint16[]: out of range"),
        OnDisk("instance of T_Disk { Slot = {1}; };",
               "test.mof:2:29: bad value for property 'Slot' of type uint8: found an array"),
        OnDisk("instance of T_Disk { Name = $Other; };",
               "test.mof:2:29: bad value for property 'Name' of type string: found an alias"),
        OnDisk("instance of T_Disk as $D { Name = \"a\"; };\ninstance of T_Disk as $d { Name = \"b\"; };",
               "test.mof:3:23: alias $d is already defined")));

// What DSP0004 refuses and the established CIM compilers refuse too.
INSTANTIATE_TEST_SUITE_P(
    Invalid, MofErrorTest,
    ::testing::Values(
        Declared("class T_A { string N; uint8 n; };", "test.mof:2:29: property 'n' is declared twice in class T_A"),
        Declared("class T_A { string N; };\nclass T_B : T_A { uint8 N; };",
                 "test.mof:3:19: property 'N' is string in class T_A and cannot be redeclared as uint8"),
        Declared("class T_A { string N; };\nclass T_B : T_A { string N; };\nclass T_A { uint8 N; };",
                 "test.mof:4:7: class 'T_A' cannot be declared again with property 'N' uint8: its subclass T_B "
                 "declares it string"),
        OnDisk("instance of T_Disk { Slot = 1; };",
               "test.mof:2:13: instance of T_Disk has no value for its key property 'Name'"),
        OnDisk("instance of T_Disk { Name = NULL; };",
               "test.mof:2:29: bad value for property 'Name' of type string: a key property cannot be NULL"),
        Declared("[Abstract] class T_A { };\ninstance of T_A { };",
                 "test.mof:3:13: class T_A is abstract: it cannot have instances"),
        Declared("class T_A { [Association] string N; };",
                 "test.mof:2:14: qualifier 'Association' cannot be used on a property (its scope: association)"),
        Declared("class T_A { [Nope] string N; };", "test.mof:2:14: undeclared qualifier 'Nope'", EMode::kStrict),
        Declared("class T_A { [Key] string N; };\nclass T_B : T_A { [Key(false)] string N; };",
                 "test.mof:3:20: qualifier 'Key' of property N of class T_A cannot be overridden (its flavor is "
                 "DisableOverride)"),
        Declared("class T_A { [Description(\"a\") : DisableOverride] string N; };\n"
                 "class T_B : T_A { [Description(\"b\")] string N; };",
                 "test.mof:3:20: qualifier 'Description' of property N of class T_A cannot be overridden (its flavor "
                 "is DisableOverride)"),
        Declared("[Description(\"a\") : Translatable DisableOverride] class T_A { };\nclass T_B : T_A { };\n"
                 "[Description(\"b\")] class T_C : T_B { };",
                 "test.mof:4:2: qualifier 'Description' of class T_B cannot be overridden (its flavor is "
                 "DisableOverride)"),
        Declared("class T_A { [Key] string N; };\nclass T_L { T_A REF R; };\ninstance of T_L { R = \"not a path!\"; };",
                 "test.mof:4:23: bad value for property 'R' of type ref: \"not a path!\" is not an object path"),
        OnDisk("instance of T_Disk { Name = \"a\"; Made = \"20261399256199.000000-300\"; };",
               "test.mof:2:41: bad value for property 'Made' of type datetime: \"20261399256199.000000-300\" has no "
               "month 13"),
        OnDisk("instance of T_Disk { Name = \"a\"; Made = \"00000001256199.000000:000\"; };",
               "test.mof:2:41: bad value for property 'Made' of type datetime: \"00000001256199.000000:000\" has no "
               "hour 25"),
        OnDisk("instance of T_Disk { Name = \"a\"; Made = \"2024011*000000.000000+000\"; };",
               "test.mof:2:41: bad value for property 'Made' of type datetime: \"2024011*000000.000000+000\" has a "
               "day field partly of '*'"),
        TErrorCase{std::string("class T_A { string N = \"a\0b\"; };", 33),
                   "test.mof:1:26: NUL byte inside a string (written \\x0 in MOF)"},
        Declared("class T_A { [Description(\"x\") : ToSubclass, Translatable] string N; };",
                 "test.mof:2:45: 'Translatable' is a flavor, not a qualifier: flavors after ':' are separated by "
                 "blanks, not commas"),
        OnDisk("instance of T_Disk { Name = \"a\"; };\ninstance of T_Disk { Name = \"a\"; };",
               "test.mof:3:13: instance of T_Disk has the object path of the instance at test.mof:2:13", EMode::kStrict),
        OnDisk("instance of T_Disk { Name = \"a\"; Slot = 1; slot = 2; };",
               "test.mof:2:44: property 'Slot' is given twice"),
        TErrorCase{"instance of Nope { V = {{1}}; W = ; };", "test.mof:1:25: expected a value", EMode::kLenient},
        TErrorCase{"instance of Nope { V = 1; W = ; };", "test.mof:1:31: expected a value", EMode::kLenient},
        Declared("class T_Node { [Key] string N; };\n[Association] class T_L : T_Node { [Key] T_Node REF Other; };\n"
                 "instance of T_L as $a { N = \"a\"; Other = $b; };\ninstance of T_L as $b { N = \"b\"; Other = $a; };",
                 "test.mof:4:42: the keys of $b refer back to it through references (a cycle)"),
        TErrorCase{std::string("\xFF\xFE\0\0c\0\0\0", 8),
                   "test.mof: the file is in UTF-32, which MOF files are not written in; save it as UTF-8 or UTF-16"},
        TErrorCase{std::string("c\0l\0", 4),
                   "test.mof: the file starts with a NUL byte: UTF-16 without a byte-order mark? Save it as UTF-8 or "
                   "with a byte-order mark"},
        TErrorCase{std::string("\xFF\xFE\x00\xD8 \0", 6),
                   "test.mof: invalid UTF-16: an unpaired surrogate at byte 2"}));

struct TWarningCase {
  std::string fText;
  std::vector<std::string> fWarnings;
};

class MofWarningTest : public ::testing::TestWithParam<TWarningCase> {};

TEST_P(MofWarningTest, WarningsNameThePlaces) {
  for (bool readAhead : {false, true}) {
    std::vector<std::string> warnings;
    TMofReader reader(TMemoryNamespace::Create());
    if (readAhead) ReadAheadInSmallPieces(reader);
    reader.SetWarningCallback([&](EMofWarning, const TMofError& warning) { warnings.push_back(warning.what()); });
    reader.LoadText(GetParam().fText, "test.mof");
    EXPECT_EQ(GetParam().fWarnings, warnings) << "read ahead: " << readAhead;
  }
}

// What the established compilers accept, said where it may surprise.
INSTANTIATE_TEST_SUITE_P(
    Accepted, MofWarningTest,
    ::testing::Values(
        TWarningCase{std::string(kQualifiers) + kQualifiers + "class T_A { [Key] string N; };\nclass T_A { [Key] string N; };",
                     {}},
        TWarningCase{"Qualifier Q : uint8, Scope(any);\nQualifier Q : string, Scope(any);\n"
                     "class T_A { string N; };\nclass T_A { [Q(\"x\")] string N; uint8 M; };",
                     {"test.mof:2:11: qualifier 'Q' declared again differently: this declaration replaces the one at "
                      "test.mof:1:11",
                      "test.mof:4:7: class 'T_A' declared again differently: this declaration replaces the one at "
                      "test.mof:3:7"}},
        TWarningCase{std::string(kQualifiers) + "class T_A { [Key] string N; uint8 V; };\n"
                     "instance of T_A { N = \"a\"; V = 1; };\ninstance of T_A { V = 2; N = \"a\"; };",
                     {"test.mof:4:13: instance of T_A has the object path of the instance at test.mof:3:13, which it "
                      "replaces"}},
        TWarningCase{"#pragma namespace(\"root/cimv2\")\n#pragma namespace (\"root/other\")\n"
                     "#pragma namespace(\"root/third\")\nclass T_A { };",
                     {"test.mof:2:1: #pragma namespace: every namespace of a collection is read into its one data "
                      "source (root/cimv2)"}},
        TWarningCase{"class T_A { [Vendor(3)] string N; };",
                     {"test.mof:1:14: undeclared qualifier 'Vendor' kept with the type of its value"}},
        TWarningCase{std::string(kQualifiers) + "class A { [Key] string Id; };\nclass L { A REF r; };\n"
                     "instance of L { r = $a; };\nclass B { string x; };\nclass B { string y; };\n"
                     "instance of A as $a { Id = \"1\"; };",
                     {"test.mof:6:7: class 'B' declared again differently: this declaration replaces the one at "
                      "test.mof:5:7"}}));

TEST(MofReaderTest, LaterDeclarationsAndInstancesReplaceEarlierOnes) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader reader(ns);
  reader.LoadText(std::string(kQualifiers) + R"(
    class T_Base { [Key] string N; };
    class T_A : T_Base { uint8 V; };
    class T_Base { [Key] string N; string Added = "new"; };
    instance of T_A { N = "a"; V = 1; };
    instance of T_A { N = "a"; V = 2; };
  )", "replace.mof");
  std::vector<boost::shared_ptr<ICIMInstance>> instances = InstancesOf(ns, "T_A");
  ASSERT_EQ(1u, instances.size());
  EXPECT_EQ(TCIMValue(uint8_t(2)), instances[0]->GetProperty("V")->GetValue());
  EXPECT_EQ(TCIMValue("new"), instances[0]->GetProperty("Added")->GetValue());
  EXPECT_EQ(1u, reader.GetInstanceCount());
  EXPECT_EQ(1u, ns->GetInstanceCount());
}

// One long path used many times would cost every later step its length
// each time: all the paths set by alias together are bounded.
TEST(MofReaderTest, PathsSetByAliasAreBoundedInTotal) {
  std::string text = std::string(kQualifiers) +
                     "class T_Part { [Key] string Name; };\nclass T_Use { [Key] string N; T_Part REF P; };\n"
                     "instance of T_Part as $big { Name = \"" + std::string(1 << 20, 'x') + "\"; };\n";
  for (int use = 1; use <= 300; ++use) text += "instance of T_Use { N = \"" + std::to_string(use) + "\"; P = $big; };\n";
  // The 256th use passes 256 MB: it stands on line 4 + 256.
  EXPECT_EQ("test.mof:260:36: the object paths set by alias add up to more than 256 MB, more than a collection of this "
            "size can need",
            ErrorOf(text, EMode::kDefault, false));
}

// An association keyed by another association gets its whole path
// whichever comes first.
TEST(MofReaderTest, ReferenceKeysGetWholePathsInEitherOrder) {
  const std::string classes = std::string(kQualifiers) + R"(
    class T_Part { [Key] string Name; };
    [Association] class T_Pair { [Key] T_Part REF Left; [Key] T_Part REF Right; };
    [Association] class T_Link { [Key] T_Pair REF L; [Key] T_Part REF P; };
  )";
  const std::string parts = R"(
    instance of T_Part as $x { Name = "x"; };
    instance of T_Part as $y { Name = "y"; };
    instance of T_Pair as $pair { Left = $x; Right = $y; };
  )";
  const std::string link = "instance of T_Link { L = $pair; P = $x; };\n";
  const std::string expected = R"(T_Pair.Left="T_Part.Name=\"x\"",Right="T_Part.Name=\"y\"")";
  for (const std::string& body : {link + parts, parts + link}) {
    boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
    TMofReader(ns).LoadText(classes + body, "order.mof");
    EXPECT_EQ(expected, InstancesOf(ns, "T_Link").at(0)->GetProperty("L")->GetValue().ToString());
  }
}

// DSP0004 identifiers may hold any character from U+0080 on: class and key
// names written so make object paths that read back.
TEST(MofReaderTest, NonAsciiNamesMakeObjectPathsThatReadBack) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader(ns).LoadText(std::string(kQualifiers) + R"(
    class T_Lüfter { [Key] string Name; };
    [Association] class T_Kühlt { [Key] T_Lüfter REF Von; [Key] T_Lüfter REF Für; };
    instance of T_Lüfter as $a { Name = "a"; };
    instance of T_Lüfter { Name = "b"; };
    instance of T_Kühlt { Von = $a; Für = "T_Lüfter.Name=\"b\""; };
  )", "names.mof");
  EXPECT_EQ((std::vector<std::string>{"b"}), Associated(InstancesOf(ns, "T_Lüfter").at(0), "T_Kühlt"));
}

TEST(MofReaderTest, RestrictedQualifiersAreNotInherited) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader(ns).LoadText(std::string(kQualifiers) + R"(
    Qualifier Note : string = null, Scope(class), Flavor(Restricted);
    [Note("base"), Description("kept") : Restricted] class T_A { [Description("own") : Restricted] string P; };
    class T_B : T_A { };
    [Note("own") : ToSubclass] class T_C : T_A { };
    class T_D : T_C { };
  )", "restricted.mof");
  bool found = false;
  EXPECT_THROW(ns->GetClass("T_B")->GetQualifier("Note", found), TQZAException);
  EXPECT_THROW(ns->GetClass("T_B")->GetQualifier("Description", found), TQZAException);
  EXPECT_THROW(ns->GetClass("T_B")->GetPropertyDecl("P")->GetQualifier("Description", found), TQZAException);
  EXPECT_EQ(TCIMValue("own"), ns->GetClass("T_D")->GetQualifier("Note", found)->GetValue());
}

// The form Windows tools write: the same text in UTF-16 with a byte-order
// mark, either byte order, loads as its UTF-8 form does.
TEST(MofReaderTest, Utf16WithByteOrderMarkIsDecoded) {
  const std::u16string text = u"class T_A { [Key] string N; };\ninstance of T_A { N = \"caf\u00E9 \U0001F600\"; };";
  for (bool bigEndian : {false, true}) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
      char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
      bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
    TMofReader(ns).LoadText(bytes, "utf16.mof");
    EXPECT_EQ(TCIMValue("caf\xC3\xA9 \xF0\x9F\x98\x80"), InstancesOf(ns, "T_A").at(0)->GetProperty("N")->GetValue());
  }
}

// Every cut of a valid text either loads or fails with a TMofError.
TEST(MofReaderTest, TruncatedTextsFailCleanly) {
  const std::string text = std::string(kHardware) + R"(
    /* a comment */ instance of T_Controller as $Raid { Name = "r\x41id" "!"; };
    instance of T_ControlledBy { Antecedent = $Raid; Dependent = "T_Disk.Name=\"d\""; };
    class T_Values { sint32 A[] = {0x1F, 017, 101b, -5}; real64 R = -1.5e-3; char16 C = '\n'; };
  )";
  for (size_t length = 0; length <= text.size(); ++length) {
    TMofReader reader(TMemoryNamespace::Create());
    try {
      reader.LoadText(text.substr(0, length), "cut.mof");
    } catch (const TMofError&) {
    }
  }
  EXPECT_EQ("", ErrorOf(text));
}

// The samples include the bundled schema: over it, or over a copy of it
// elsewhere (declaring everything again, identically), they load without a
// warning and with their instances.
TEST(MofReaderTest, EverySampleLoadsWithoutWarningOverTheSchemaOrACopy) {
  const std::string schemaFolder = QZA_SOURCE_DIR "/schema";
  TMofFolder copy;
  fs::copy(schemaFolder, copy.Path("schema"), fs::copy_options::recursive);
  for (const char* sample : {"linux-server", "linux-server-later", "windows-server", "esxi-host", "preboot"}) {
    for (const std::string& schema : {schemaFolder, copy.Path("schema")}) {
      SCOPED_TRACE(std::string(sample) + " over " + schema);
      boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
      TMofReader reader(ns);
      std::vector<std::string> warnings;
      reader.SetWarningCallback([&](EMofWarning, const TMofError& warning) { warnings.push_back(warning.what()); });
      reader.SkipUndeclaredInstances();
      reader.AllowIncludesBelow(schemaFolder);
      reader.LoadFile(schema + "/schema.mof");
      reader.LoadFile(std::string(QZA_SOURCE_DIR "/samples/") + sample + ".mof");
      EXPECT_EQ(std::vector<std::string>(), warnings);
      EXPECT_GE(reader.GetInstanceCount(), 100u);
      EXPECT_EQ(reader.GetInstanceCount(), ns->GetInstanceCount());
    }
  }
}

TEST(MofReaderTest, LoadsTheWholeDmtfSchema) {
  if (std::system("unzip -v > /dev/null 2>&1") != 0) GTEST_SKIP() << "unzip is not installed";
  const char* named = std::getenv("QZA_DMTF_ZIP");
  const std::string zip = named != nullptr ? named : QZA_SOURCE_DIR "/../shared/cim-schema/cim_schema_2.49.0Final-MOFs.zip";
  if (!std::ifstream(zip)) GTEST_SKIP() << "the DMTF schema is neither beside the project nor named by QZA_DMTF_ZIP: " << zip;
  TMofFolder folder;
  std::string unzip = "unzip -q -o '" + zip + "' -d '" + folder.Path("") + "'";
  ASSERT_EQ(0, std::system(unzip.c_str()));
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader reader(ns);
  reader.LoadFile(folder.Path("cim_schema_2.49.0.mof"));
  EXPECT_EQ(1631u, reader.GetClassCount());
  EXPECT_EQ(70u, reader.GetQualifierTypeCount());
  EXPECT_EQ(0u, reader.GetInstanceCount());
  EXPECT_EQ(1631u, ns->GetClassCount());
  EXPECT_TRUE(ns->GetClass("CIM_Component")->IsAssociation());
  EXPECT_TRUE(ns->GetClass("CIM_LogicalDisk")->IsA("CIM_ManagedElement"));
  boost::shared_ptr<ICIMPropertyDecl> status = ns->GetClass("CIM_LogicalDisk")->GetPropertyDecl("OperationalStatus");
  EXPECT_EQ(CIMTypeUInt16, status->GetType());
  EXPECT_TRUE(status->IsArray());
  bool found = false;
  EXPECT_EQ(TCIMValue("OK"), status->GetQualifier("Values", found)->GetValue().ToArray().at(2));
}

}  // namespace
}  // namespace NVKXQZA20

namespace NVKXQZA20 {
namespace {

TEST(MofReaderSkipTest, UndeclaredInstancesAreSkippedWithWarningsWhenAsked) {
  const std::string text =
      "Qualifier Key : boolean = false, Scope(property, reference); class T_Fan { [Key] string Name; };\n"
      "class T_Link { [Key] T_Fan REF A; [Key] T_Fan REF B; };\n"
      "instance of T_Fan as $F { Name = \"f\"; };\n"
      "instance of T_Unknown as $U { Name = \"u\"; Nested = { 1, 2 }; };\n"
      "instance of T_Link { A = $F; B = $U; };\n";
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader reader(ns);
  std::vector<std::string> warnings;
  reader.SetWarningCallback([&](EMofWarning, const TMofError& warning) { warnings.push_back(warning.what()); });
  reader.SkipUndeclaredInstances();
  reader.LoadText(text, "lenient.mof");
  EXPECT_EQ(warnings, (std::vector<std::string>{
                          "lenient.mof:4:13: instance of undeclared class 'T_Unknown' skipped",
                          "lenient.mof:5:34: reference 'B' to skipped $U left unset"}));
  EXPECT_EQ(2u, ns->GetInstanceCount());
  TMofReader strict(TMemoryNamespace::Create());
  EXPECT_THROW(strict.LoadText(text, "strict.mof"), TMofError);
}

// What a load gives: every instance (class by class, in order) with its
// path and values, the warnings, and the error.
std::string LoadOutcome(const std::function<void(TMofReader&)>& load, unsigned readAheadThreads, size_t pieceBytes) {
  boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
  TMofReader reader(ns);
  reader.SetReadAhead(readAheadThreads, pieceBytes);
  reader.SkipUndeclaredInstances();
  std::string outcome;
  reader.SetWarningCallback([&](EMofWarning kind, const TMofError& warning) {
    outcome += "warning " + std::to_string(static_cast<int>(kind)) + ": " + warning.what() + "\n";
  });
  try {
    load(reader);
  } catch (const TMofError& e) {
    outcome += std::string("error: ") + e.what() + "\n";
  }
  for (const boost::shared_ptr<ICIMClass>& root : ns->GetRootClasses()) {
    root->EnumerateInstances([&](const boost::shared_ptr<ICIMInstance>& instance) {
      outcome += instance->GetReference().GetPath() + "\n";
      for (const auto& declaration : instance->GetClass()->GetPropertyDecls()) {
        outcome += "  " + declaration->GetName() + " = " +
                   instance->GetProperty(declaration->GetName())->GetValue().ToString() + "\n";
      }
      return true;
    }, true);
  }
  return outcome + std::to_string(reader.GetInstanceCount()) + " instances\n";
}

struct TReadAheadCase {
  std::string fName;
  std::string fText;  // read after the bundled schema; "" for fFile
  std::string fFile;
};

// Read ahead by other threads in pieces of every size from a line to more
// than the text, a load gives what reading alone gives.
TEST(MofReadAheadTest, GivesWhatReadingAloneGives) {
  const std::string schema = QZA_SOURCE_DIR "/schema/schema.mof";
  auto instances = [](const std::string& n) {
    return "instance of VKXSG_CurrentAccountOnSystem { GroupComponent = $S" + n + "; PartComponent = $A" + n + "; };\n"
           "instance of VKXSG_ComputerSystem as $S" + n + " { CreationClassName = \"VKXSG_ComputerSystem\"; Name = \"s" +
           n + "\"; };\ninstance of VKXSG_Account as $A" + n + " { CreationClassName = \"VKXSG_Account\"; Name = \"a" +
           n + "\"; Descriptions = { \"x\", \"y\" }; };\n";
  };
  std::vector<TReadAheadCase> cases = {
      {"comment holding instances", instances("1") + "/* a comment\ninstance of VKXSG_Account { };\n*/\n" + instances("2"), ""},
      {"qualifiers on a value", instances("1") + "instance of VKXSG_Account { [Q] Name = \"q\"; };\n" + instances("2"), ""},
      {"declaration between instances",
       instances("1") + "class T_Later { [Key] string N; };\ninstance of T_Later { N = \"n\"; };\n" + instances("2"), ""},
      {"undeclared instances and references",
       instances("1") + "instance of T_Unknown as $U { N = 1; };\ninstance of VKXSG_CurrentAccountOnSystem "
       "{ GroupComponent = $U; PartComponent = $A1; };\n" + instances("2"), ""},
      {"instances with one path",
       instances("1") + "instance of VKXSG_Account { CreationClassName = \"VKXSG_Account\"; Name = \"a1\"; };\n" +
       instances("2"), ""},
      {"error late in the text", instances("1") + instances("2") + "instance of VKXSG_Account { Speed = 1; };\n" +
       instances("3"), ""},
  };
  for (const char* sample : {"linux-server", "linux-server-later", "windows-server", "esxi-host", "preboot"}) {
    cases.push_back({sample, "", std::string(QZA_SOURCE_DIR "/samples/") + sample + ".mof"});
  }
  TMofFolder folder;
  const std::string generated = folder.Path("generated.mof");
  const std::string generate = "python3 " QZA_SOURCE_DIR "/bench/generate_collection.py --instances 20000 -o " +
                               generated + " 2>/dev/null";
  if (std::system(generate.c_str()) == 0) cases.push_back({"generated collection", "", generated});
  for (const TReadAheadCase& each : cases) {
    auto load = [&](TMofReader& reader) {
      reader.AllowIncludesBelow(QZA_SOURCE_DIR "/schema");
      reader.LoadFile(schema);
      if (each.fFile.empty()) reader.LoadText(each.fText, "case.mof");
      if (!each.fFile.empty()) reader.LoadFile(each.fFile);
    };
    const std::string alone = LoadOutcome(load, 0, TMofReader::kReadAheadPieceBytes);
    for (size_t pieceBytes : {size_t(1), size_t(300), size_t(64 << 10), size_t(64 << 20)}) {
      SCOPED_TRACE(each.fName + ", pieces of " + std::to_string(pieceBytes) + " bytes");
      EXPECT_EQ(alone, LoadOutcome(load, 2, pieceBytes));
    }
  }
}

// Runs work on a thread with a small stack, which recursion as deep as
// the text is long overflows.
void OnSmallStack(std::function<void()> work) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 << 10);
  pthread_t thread;
  auto run = [](void* argument) -> void* {
    (*static_cast<std::function<void()>*>(argument))();
    return nullptr;
  };
  ASSERT_EQ(0, pthread_create(&thread, &attributes, run, &work));
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
}

// A qualifier on a value leaves each instance to the reader: reading ahead
// again after each hand-back must not nest.
TEST(MofReadAheadTest, ManyHandBacksDoNotNest) {
  const int kInstances = 2000;
  std::string text = std::string(kQualifiers) + "class T_A { [Key] string N; string Text; };\n";
  for (int i = 0; i < kInstances; ++i) {
    text += "instance of T_A { [Description(\"d\")] Text = \"t\"; N = \"" + std::to_string(i) + "\"; };\n";
  }
  std::string error;
  size_t count = 0;
  OnSmallStack([&] {
    TMofReader reader(TMemoryNamespace::Create());
    ReadAheadInSmallPieces(reader);
    try {
      reader.LoadText(text, "handback.mof");
    } catch (const TMofError& e) {
      error = e.what();
    }
    count = reader.GetInstanceCount();
  });
  EXPECT_EQ("", error);
  EXPECT_EQ(size_t(kInstances), count);
}

}  // namespace
}  // namespace NVKXQZA20
