#include "core/repository.h"

#include <gtest/gtest.h>

#include "core/schema_helper.h"

namespace NVKXQZA20 {
namespace {

TPropertyDeclaration Key(const std::string& name, ECIMType type = CIMTypeString) {
  TPropertyDeclaration property(name, type);
  property.fQualifiers.push_back(TQualifierValue("Key", true));
  return property;
}

TPropertyDeclaration Ref(const std::string& name, const std::string& target) {
  TPropertyDeclaration property = Key(name, CIMTypeReference);
  property.fReferenceClass = target;
  return property;
}

TClassDeclaration Class(const std::string& name, const std::string& super,
                        std::vector<TPropertyDeclaration> properties, bool association = false) {
  TClassDeclaration declaration;
  declaration.fName = name;
  declaration.fSuperClass = super;
  declaration.fProperties = std::move(properties);
  if (association) declaration.fQualifiers.push_back(TQualifierValue("Association", true));
  return declaration;
}

TCIMContext Source(uint16_t index) {
  TCIMContext context;
  context["nsIndex"] = TCIMValue(index);
  return context;
}

std::vector<std::string> Names(const std::vector<boost::shared_ptr<ICIMInstance>>& instances) {
  std::vector<std::string> names;
  for (const auto& instance : instances) names.push_back(instance->GetProperty("Name")->GetValue().ToString());
  return names;
}

TQZAStatusCode StatusOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const TQZAException& e) {
    return e.GetStatusCode();
  }
  return kQZAOk;
}

// A small hardware model: devices, a subclass, and two associations.
class RepositoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ns = TMemoryNamespace::Create();
    ns->DeclareClass(Class("CIM_Device", "", {Key("Name"), TPropertyDeclaration("Size", CIMTypeUInt64)}));
    ns->DeclareClass(Class("VKXSG_Disk", "CIM_Device", {TPropertyDeclaration("Slot", CIMTypeUInt16)}));
    ns->DeclareClass(Class("VKXSG_Controller", "CIM_Device", {}));
    ns->DeclareClass(Class("VKXSG_Cache", "CIM_Device", {}));
    ns->DeclareClass(Class("VKXSG_Attached", "", {Ref("Antecedent", "CIM_Device"), Ref("Dependent", "CIM_Device")},
                           true));
    ns->DeclareClass(Class("VKXSG_ControllerCache", "VKXSG_Attached", {}, true));
  }

  boost::shared_ptr<ICIMInstance> Make(const std::string& cls, const std::string& name) {
    boost::shared_ptr<ICIMInstance> instance = ns->GetClass(cls)->CreateInstance();
    instance->SetPropertyValue("Name", TCIMValue(name));
    return instance;
  }

  void Link(const std::string& cls, boost::shared_ptr<ICIMInstance> a, boost::shared_ptr<ICIMInstance> d) {
    boost::shared_ptr<ICIMInstance> link = ns->GetClass(cls)->CreateInstance();
    link->SetPropertyValue("Antecedent", TCIMValue(a->GetReference()));
    link->SetPropertyValue("Dependent", TCIMValue(d->GetReference()));
  }

  std::vector<std::string> Associated(boost::shared_ptr<ICIMInstance> from, const std::string& assoc,
                                      const std::string& result, const std::string& role,
                                      const std::string& resultRole) {
    std::vector<boost::shared_ptr<ICIMInstance>> found;
    from->Associators(TAddToVectorCallback<ICIMInstance>(found), assoc, result, role, resultRole);
    return Names(found);
  }

  std::vector<std::string> All(const std::string& cls, bool deep, const TCIMContext& context = TCIMContext()) {
    std::vector<boost::shared_ptr<ICIMInstance>> found;
    ns->GetClass(cls, context)->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(found), deep, context);
    return Names(found);
  }

  boost::shared_ptr<TMemoryNamespace> ns;
};

TEST_F(RepositoryTest, MissingClassAndPropertyThrowNotFoundWhileDeclarationsAnswerEmpty) {
  EXPECT_EQ(StatusOf([&] { ns->GetClass("VKXSG_Nothing"); }), kQZANotFound);
  boost::shared_ptr<ICIMInstance> disk = Make("VKXSG_Disk", "d0");
  EXPECT_EQ(StatusOf([&] { disk->GetProperty("Nothing"); }), kQZANotFound);
  EXPECT_FALSE(ns->GetClass("VKXSG_Disk")->GetPropertyDecl("Nothing"));
  EXPECT_TRUE(ns->GetClass("vkxsg_disk")->GetPropertyDecl("size"));  // CIM names ignore case
  bool found = true;
  EXPECT_EQ(StatusOf([&] { disk->GetProperty("Slot")->GetPropertyDecl()->GetQualifier("DisplayName", found); }),
            kQZANotFound);
  EXPECT_FALSE(found);
}

TEST_F(RepositoryTest, DeepEnumerationListsOwnInstancesThenSubclassesInDeclarationOrder) {
  Make("VKXSG_Controller", "c0");
  Make("VKXSG_Disk", "d0");
  Make("CIM_Device", "plain");
  Make("VKXSG_Disk", "d1");
  EXPECT_EQ(All("CIM_Device", true), (std::vector<std::string>{"plain", "d0", "d1", "c0"}));
  EXPECT_EQ(All("CIM_Device", false), (std::vector<std::string>{"plain"}));
  // A class's own count leaves its subclasses out, as shallow enumeration does.
  EXPECT_EQ(ns->GetClassInstanceCount("CIM_Device"), 1u);
  EXPECT_EQ(ns->GetClassInstanceCount("vkxsg_disk"), 2u);
  EXPECT_EQ(ns->GetClassInstanceCount("VKXSG_Nothing"), 0u);
  std::vector<boost::shared_ptr<ICIMClass>> subclasses;
  ns->GetClass("VKXSG_Attached")->EnumerateSubclasses(TAddToVectorCallback<ICIMClass>(subclasses), true);
  ASSERT_EQ(subclasses.size(), 1u);
  EXPECT_EQ(subclasses[0]->GetName(), "VKXSG_ControllerCache");
}

TEST_F(RepositoryTest, HierarchyDeeperThanTheCallStackIsWalkedInOrder) {
  // A chain of 100,000 classes, each a subclass of the one before.
  const int kDepth = 100000;
  auto level = [](int i) { return "VKXSG_Level" + std::to_string(i); };
  for (int i = 1; i <= kDepth; ++i) ns->DeclareClass(Class(level(i), i == 1 ? "CIM_Device" : level(i - 1), {}));
  Make(level(kDepth), "deepest");
  Make("VKXSG_Disk", "d0");
  EXPECT_EQ(All("CIM_Device", true), (std::vector<std::string>{"d0", "deepest"}));
  std::vector<boost::shared_ptr<ICIMClass>> subclasses;
  ns->GetClass(level(1))->EnumerateSubclasses(TAddToVectorCallback<ICIMClass>(subclasses), true);
  ASSERT_EQ(subclasses.size(), size_t(kDepth - 1));
  EXPECT_EQ(subclasses.front()->GetName(), level(2));
  EXPECT_EQ(subclasses.back()->GetName(), level(kDepth));
}

TEST_F(RepositoryTest, ValueTextsApplyValueMapsRangesAndReadableForms) {
  TPropertyDeclaration usage("Usage", CIMTypeUInt16);
  usage.fQualifiers.push_back(TQualifierValue(
      "ValueMap", TCIMValue::Array(CIMTypeString, {TCIMValue("0"), TCIMValue("2"), TCIMValue("3..15999"),
                                                   TCIMValue("32768.."), TCIMValue("..")})));
  usage.fQualifiers.push_back(TQualifierValue(
      "Values", TCIMValue::Array(CIMTypeString, {TCIMValue("Unknown"), TCIMValue("In Use"), TCIMValue("Vendor"),
                                                 TCIMValue("High"), TCIMValue("Other")})));
  TPropertyDeclaration codes("Codes", CIMTypeUInt16, true);
  codes.fQualifiers = usage.fQualifiers;
  ns->DeclareClass(Class("VKXSG_Slot", "", {Key("Name"), usage, codes, TPropertyDeclaration("Ok", CIMTypeBoolean),
                                            TPropertyDeclaration("When", CIMTypeDateTime)}));
  boost::shared_ptr<ICIMInstance> slot = Make("VKXSG_Slot", "s");
  auto textOf = [&](const char* property, const TCIMValue& value) {
    slot->SetPropertyValue(property, value);
    return slot->GetProperty(property)->GetValueText();
  };
  // Both bounds of a range belong to it.
  const struct {
    uint16_t fValue;
    const char* fText;
  } kUsages[] = {{0, "Unknown"}, {1, "Other"},     {2, "In Use"},  {3, "Vendor"}, {15999, "Vendor"},
                 {16000, "Other"}, {32767, "Other"}, {32768, "High"}, {65535, "High"}};
  for (const auto& usageCase : kUsages) {
    EXPECT_EQ(textOf("Usage", TCIMValue(usageCase.fValue)), usageCase.fText) << usageCase.fValue;
  }
  EXPECT_EQ(textOf("Ok", TCIMValue(false)), "false");
  EXPECT_EQ(textOf("When", TCIMValue(TCIMDateTime("20261120143005.000000+000"))), "2026-11-20 14:30:05");
  slot->SetPropertyValue("Codes", TCIMValue::Array(CIMTypeUInt16, {TCIMValue(uint16_t(3)), TCIMValue(uint16_t(2))}));
  EXPECT_EQ(slot->GetProperty("Codes")->GetValueTexts(), (std::vector<std::string>{"Vendor", "In Use"}));
}

// A boolean qualifier given without a value (null) is set, as if true.
TEST_F(RepositoryTest, NullValuedQualifierIsSet) {
  const struct {
    const char* fName;
    TCIMValue fValue;
    bool fSet;
  } kCases[] = {{"VKXSG_True", TCIMValue(true), true},
                {"VKXSG_False", TCIMValue(false), false},
                {"VKXSG_Null", TCIMValue::Null(CIMTypeBoolean), true}};
  for (const auto& c : kCases) {
    TPropertyDeclaration key("Name", CIMTypeString);
    key.fQualifiers.push_back(TQualifierValue("Key", c.fValue));
    TClassDeclaration declaration = Class(c.fName, "", {key, Key("Other")});
    declaration.fQualifiers.push_back(TQualifierValue("Association", c.fValue));
    ns->DeclareClass(declaration);
    EXPECT_EQ(ns->GetClass(c.fName)->IsAssociation(), c.fSet) << c.fName;
    boost::shared_ptr<ICIMInstance> instance = ns->GetClass(c.fName)->CreateInstance();
    instance->SetPropertyValue("Name", TCIMValue("n"));
    instance->SetPropertyValue("Other", TCIMValue("o"));
    const std::string path = instance->GetReference().GetPath();
    EXPECT_EQ(path.find("Name=") != std::string::npos, c.fSet) << path;
  }
}

TEST_F(RepositoryTest, QualifiersAreInheritedAndOverriddenBySubclasses) {
  TPropertyDeclaration size("Size", CIMTypeUInt64);
  size.fQualifiers.push_back(TQualifierValue("DisplayName", TCIMValue("Capacity")));
  size.fQualifiers.push_back(TQualifierValue("Units", TCIMValue("Bytes")));
  ns->DeclareClass(Class("VKXSG_Labelled", "", {Key("Name"), size}));
  TPropertyDeclaration overridden("Size", CIMTypeUInt64);
  overridden.fQualifiers.push_back(TQualifierValue("DisplayName", TCIMValue("Disk Size")));
  ns->DeclareClass(Class("VKXSG_LabelledDisk", "VKXSG_Labelled", {overridden}));
  bool found = false;
  boost::shared_ptr<ICIMPropertyDecl> decl = ns->GetClass("VKXSG_LabelledDisk")->GetPropertyDecl("Size");
  EXPECT_EQ(decl->GetQualifier("DisplayName", found)->GetValue().ToString(), "Disk Size");
  EXPECT_EQ(decl->GetQualifier("Units", found)->GetValue().ToString(), "Bytes");
  EXPECT_TRUE(found);
  EXPECT_TRUE(ns->GetClass("VKXSG_ControllerCache")->IsAssociation());
}

TEST_F(RepositoryTest, AlternateValuesSitBesideTheValue) {
  boost::shared_ptr<ICIMProperty> size = Make("VKXSG_Disk", "d0")->GetProperty("Size");
  EXPECT_FALSE(size->HasAlternateValue());
  EXPECT_TRUE(size->GetAlternateValue().IsNull());
  size->SetAlternateValue(TCIMValue(int32_t(512)));
  EXPECT_TRUE(size->HasAlternateValue());
  EXPECT_EQ(size->GetAlternateValueText(), "512");
  EXPECT_TRUE(size->GetValue().IsNull());
}

TEST_F(RepositoryTest, VisitingSetValuesPassesOverUnsetOnesAndRefusesForeignInstances) {
  boost::shared_ptr<ICIMInstance> disk = Make("VKXSG_Disk", "d0");
  disk->SetPropertyValue("Slot", TCIMValue(uint16_t(3)));
  std::vector<std::string> visited;
  const auto visit = [&visited](size_t index, const TCIMValue& value) {
    visited.push_back(std::to_string(index) + "=" + value.ToString());
  };
  ns->VisitSetValues(*disk, visit);
  EXPECT_EQ(visited, (std::vector<std::string>{"0=d0", "2=3"}));  // Name, Slot; not Size
  const boost::shared_ptr<TMemoryNamespace> other = TMemoryNamespace::Create();
  EXPECT_EQ(StatusOf([&] { other->VisitSetValues(*disk, visit); }), kQZAInvalidParameter);
}

struct AssociatorCase {
  const char* assoc;
  const char* result;
  const char* role;
  const char* resultRole;
  std::vector<std::string> expected;
};

class AssociatorFilterTest : public RepositoryTest, public ::testing::WithParamInterface<AssociatorCase> {};

// controller c0 -> disks d0, d1 (VKXSG_Attached); c0 -> cache k0 (VKXSG_ControllerCache);
// d0 -> c0 again in the reverse direction.
TEST_P(AssociatorFilterTest, FiltersFollowDMTFSemantics) {
  auto c0 = Make("VKXSG_Controller", "c0");
  auto d0 = Make("VKXSG_Disk", "d0");
  auto d1 = Make("VKXSG_Disk", "d1");
  auto k0 = Make("VKXSG_Cache", "k0");
  Link("VKXSG_Attached", c0, d0);
  Link("VKXSG_ControllerCache", c0, k0);
  Link("VKXSG_Attached", c0, d1);
  Link("VKXSG_Attached", d0, c0);
  const AssociatorCase& c = GetParam();
  EXPECT_EQ(Associated(c0, c.assoc, c.result, c.role, c.resultRole), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    AllFilters, AssociatorFilterTest,
    ::testing::Values(
        AssociatorCase{"", "", "", "", {"d0", "k0", "d1"}},
        AssociatorCase{"VKXSG_Attached", "", "", "", {"d0", "k0", "d1"}},
        AssociatorCase{"VKXSG_ControllerCache", "", "", "", {"k0"}},
        AssociatorCase{"", "VKXSG_Disk", "", "", {"d0", "d1"}},
        AssociatorCase{"", "CIM_Device", "", "", {"d0", "k0", "d1"}},
        AssociatorCase{"", "", "Antecedent", "", {"d0", "k0", "d1"}},
        AssociatorCase{"", "", "Dependent", "", {"d0"}},
        AssociatorCase{"", "", "", "Antecedent", {"d0"}},
        AssociatorCase{"", "", "Antecedent", "Antecedent", {}},
        AssociatorCase{"VKXSG_Attached", "VKXSG_Cache", "Antecedent", "Dependent", {"k0"}},
        AssociatorCase{"VKXSG_Disk", "", "", "", {}},     // not an association
        AssociatorCase{"VKXSG_Nothing", "", "", "", {}},  // no such class
        AssociatorCase{"", "VKXSG_Nothing", "", "", {}}));

TEST_F(RepositoryTest, ClassLevelAssociatorsFollowReferenceDeclarations) {
  ns->DeclareClass(Class("VKXSG_Fan", "", {Key("Name")}));
  ns->DeclareClass(Class("VKXSG_Sensor", "", {Key("Name")}));
  ns->DeclareClass(Class("VKXSG_FanSensor", "", {Ref("Fan", "VKXSG_Fan"), Ref("Sensor", "VKXSG_Sensor")}, true));
  auto classesOf = [&](const std::string& cls, const std::string& assoc, const std::string& role) {
    std::vector<boost::shared_ptr<ICIMClass>> found;
    ns->GetClass(cls)->Associators(TAddToVectorCallback<ICIMClass>(found), assoc, "", role, "");
    std::vector<std::string> names;
    for (const auto& c : found) names.push_back(c->GetName());
    return names;
  };
  EXPECT_EQ(classesOf("VKXSG_Fan", "VKXSG_FanSensor", ""), (std::vector<std::string>{"VKXSG_Sensor"}));
  EXPECT_EQ(classesOf("VKXSG_Sensor", "", ""), (std::vector<std::string>{"VKXSG_Fan"}));
  EXPECT_EQ(classesOf("VKXSG_Fan", "", "Sensor"), (std::vector<std::string>{}));
  EXPECT_EQ(classesOf("VKXSG_Disk", "VKXSG_Attached", ""), (std::vector<std::string>{"CIM_Device"}));
}

TEST_F(RepositoryTest, DeleteRemovesTheInstanceAndItsLinksButHandlesStillRead) {
  auto c0 = Make("VKXSG_Controller", "c0");
  auto d0 = Make("VKXSG_Disk", "d0");
  Link("VKXSG_Attached", c0, d0);
  ASSERT_EQ(Associated(c0, "", "", "", ""), (std::vector<std::string>{"d0"}));
  d0->Delete();
  EXPECT_EQ(All("VKXSG_Disk", true), (std::vector<std::string>{}));
  EXPECT_EQ(Associated(c0, "", "", "", ""), (std::vector<std::string>{}));
  EXPECT_EQ(d0->GetProperty("Name")->GetValue().ToString(), "d0");
  EXPECT_TRUE(d0->IsDeleted());
  EXPECT_EQ(StatusOf([&] { d0->SetPropertyValue("Name", TCIMValue("x")); }), kQZADeleted);
  // The association that named it went with it.
  EXPECT_EQ(All("VKXSG_Attached", true), (std::vector<std::string>{}));
  EXPECT_EQ(ns->GetInstanceCount(), 1u);
  EXPECT_EQ(ns->GetClassInstanceCount("VKXSG_Disk"), 0u);
  // A new instance at the deleted one's path is not named by it.
  auto again = Make("VKXSG_Disk", "d0");
  EXPECT_EQ(Associated(again, "", "", "", ""), (std::vector<std::string>{}));
}

// Links answer Associators as association instances do, in one order of
// creation with them, without being instances of their own.
TEST_F(RepositoryTest, LinksAreFollowedAsAssociationInstancesAre) {
  auto c0 = Make("VKXSG_Controller", "c0");
  auto d0 = Make("VKXSG_Disk", "d0");
  auto d1 = Make("VKXSG_Disk", "d1");
  auto k0 = Make("VKXSG_Cache", "k0");
  ns->Link("VKXSG_Attached", {{"Antecedent", c0}, {"Dependent", d1}});
  Link("VKXSG_Attached", c0, d0);
  ns->Link("VKXSG_ControllerCache", {{"antecedent", c0}, {"Dependent", k0}});
  EXPECT_EQ(Associated(c0, "", "", "", ""), (std::vector<std::string>{"d1", "d0", "k0"}));
  EXPECT_EQ(Associated(c0, "VKXSG_ControllerCache", "", "", ""), (std::vector<std::string>{"k0"}));
  EXPECT_EQ(Associated(d1, "", "", "Dependent", "Antecedent"), (std::vector<std::string>{"c0"}));
  EXPECT_EQ(ns->GetInstanceCount(), 5u);
  d1->Delete();
  EXPECT_EQ(Associated(c0, "", "", "", ""), (std::vector<std::string>{"d0", "k0"}));
  EXPECT_EQ(StatusOf([&] { ns->Link("VKXSG_Disk", {{"Antecedent", c0}}); }), kQZAInvalidParameter);
  EXPECT_EQ(StatusOf([&] { ns->Link("VKXSG_Attached", {{"Slot", c0}}); }), kQZANotFound);
  EXPECT_EQ(StatusOf([&] { ns->RedeclareClass(Class("VKXSG_ControllerCache", "VKXSG_Attached", {}, true)); }),
            kQZAFailed);
}

TEST_F(RepositoryTest, AssociationsFollowKeyChangesAndLateEndpoints) {
  auto c0 = Make("VKXSG_Controller", "c0");
  boost::shared_ptr<ICIMInstance> link = ns->GetClass("VKXSG_Attached")->CreateInstance();
  link->SetPropertyValue("Antecedent", TCIMValue("VKXSG_Controller.Name=\"c0\""));
  link->SetPropertyValue("Dependent", TCIMValue("VKXSG_Disk.Name=\"later\""));
  EXPECT_EQ(Associated(c0, "", "", "", ""), (std::vector<std::string>{}));
  Make("VKXSG_Disk", "later");
  EXPECT_EQ(Associated(c0, "", "", "", ""), (std::vector<std::string>{"later"}));
  c0->SetPropertyValue("Name", TCIMValue("renamed"));
  EXPECT_EQ(Associated(c0, "", "", "", ""), (std::vector<std::string>{}));
}

TEST_F(RepositoryTest, PathsAreCanonicalAndFindTheSameInstanceInEveryDataSource) {
  uint16_t second = ns->AddDataSource();
  ns->DeclareClass(Class("CIM_Device", "", {Key("Name"), Key("Bay", CIMTypeUInt16)}), Source(second));
  auto first = Make("CIM_Device", "d0");
  auto other = ns->GetClass("CIM_Device", Source(second))->CreateInstance(Source(second));
  other->SetPropertyValue("Bay", TCIMValue(uint16_t(2)));
  other->SetPropertyValue("Name", TCIMValue("d0"));
  EXPECT_EQ(other->GetReference().GetPath(), "CIM_Device.Bay=2,Name=\"d0\"");
  TCIMReference byHand(ns, "CIM_Device.name=\"d0\",BAY=\"2\"", Source(second));
  boost::shared_ptr<ICIMInstance> found = boost::dynamic_pointer_cast<ICIMInstance>(byHand.GetCIMElement(false));
  ASSERT_TRUE(found);
  EXPECT_EQ(found.get(), other.get());
  EXPECT_EQ(ns->GetInstance(first->GetReference()).get(), first.get());
  EXPECT_FALSE(ns->GetInstance(TCIMReference(ns, "CIM_Device.Name=\"d9\"", TCIMContext())));
}

TEST_F(RepositoryTest, SubclassInstancesAreFoundThroughTheirSuperclassPath) {
  auto disk = Make("VKXSG_Disk", "d0");
  EXPECT_EQ(disk->GetReference().GetPath(), "VKXSG_Disk.Name=\"d0\"");
  EXPECT_EQ(ns->GetInstance(TCIMReference(ns, "CIM_Device.Name=\"d0\"", TCIMContext())).get(), disk.get());
}

TEST_F(RepositoryTest, KeylessClassesAreKeyedByTheirNonNullScalars) {
  ns->DeclareClass(Class("VKXSG_LogLine", "", {TPropertyDeclaration("Text", CIMTypeString),
                                               TPropertyDeclaration("Seq", CIMTypeUInt32),
                                               TPropertyDeclaration("Tags", CIMTypeString, true)}));
  auto line = ns->GetClass("VKXSG_LogLine")->CreateInstance();
  line->SetPropertyValue("Text", TCIMValue("boot"));
  line->SetPropertyValue("Seq", TCIMValue(uint32_t(1)));
  line->SetPropertyValue("Tags", TCIMValue::Array(CIMTypeString, {TCIMValue("a")}));
  EXPECT_EQ(line->GetReference().GetPath(), "VKXSG_LogLine.Seq=1,Text=\"boot\"");
  EXPECT_EQ(ns->GetInstance(line->GetReference()).get(), line.get());
}

TEST_F(RepositoryTest, DataSourcesAreSeparateAndBadIndexesAreRefused) {
  uint16_t second = ns->AddDataSource();
  EXPECT_EQ(StatusOf([&] { ns->GetClass("CIM_Device", Source(second)); }), kQZANotFound);
  EXPECT_EQ(StatusOf([&] { ns->GetClass("CIM_Device", Source(7)); }), kQZAInvalidParameter);
  ns->DeclareClass(Class("CIM_Device", "", {Key("Name")}), Source(second));
  Make("CIM_Device", "base");
  EXPECT_EQ(All("CIM_Device", true, Source(second)), (std::vector<std::string>{}));
  EXPECT_EQ(All("CIM_Device", true, Source(0)), (std::vector<std::string>{"base"}));
}

TEST_F(RepositoryTest, DeclarationsAreChecked) {
  EXPECT_EQ(StatusOf([&] { ns->DeclareClass(Class("CIM_Device", "", {})); }), kQZAAlreadyExists);
  EXPECT_EQ(StatusOf([&] { ns->DeclareClass(Class("X", "CIM_Nothing", {})); }), kQZANotFound);
  EXPECT_EQ(StatusOf([&] { ns->DeclareClass(Class("Y", "", {Ref("R", "CIM_Nothing")}, true)); }), kQZANotFound);
}

TEST_F(RepositoryTest, FaultInjectionThrowsAtThePlannedCall) {
  ns->InjectFault(2, kQZAFailed);
  EXPECT_NO_THROW(ns->GetClass("CIM_Device"));
  EXPECT_EQ(StatusOf([&] { ns->GetClass("CIM_Device"); }), kQZAFailed);
  EXPECT_NO_THROW(ns->GetClass("CIM_Device"));
  ns->InjectFault(1, kQZAOk);
  EXPECT_THROW(ns->GetClass("CIM_Device"), std::runtime_error);
  ns->InjectFault(0, kQZAOk);
  EXPECT_NO_THROW(ns->GetClass("CIM_Device"));
}

}  // namespace
}  // namespace NVKXQZA20
