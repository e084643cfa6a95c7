// The in-memory CIM repository: one namespace holding one or more data
// sources (collections), each with its own classes and instances.
//
//   boost::shared_ptr<TMemoryNamespace> ns = TMemoryNamespace::Create();
//   TClassDeclaration decl;
//   decl.fName = "VKXSG_Fan";
//   decl.fProperties.push_back(TPropertyDeclaration("DeviceID", CIMTypeString));
//   decl.fProperties.back().fQualifiers.push_back(TQualifierValue("Key", true));
//   ns->DeclareClass(decl);
//   boost::shared_ptr<ICIMInstance> fan = ns->GetClass("VKXSG_Fan")->CreateInstance();
//   fan->SetPropertyValue("DeviceID", TCIMValue("Fan 1"));
//
// Keys: a class's Key properties (with those of its superclasses) make up its
// object paths. A class whose hierarchy declares no Key property is keyed by
// all of its scalar properties that are not null, so such an instance's path
// changes whenever one of its values does.
//
// Cost: properties are found by name in constant time; an instance's
// associators are found through an index from instance to the associations
// naming it, and instances by path through an index of their paths' hashes
// per class, both built on first use and rebuilt after associations or keys
// change. Values share their texts; a text equal to the one set last in the
// same property of the class is held once. Objects live as long as any
// handle into their data source.
#ifndef QZA_CORE_REPOSITORY_H
#define QZA_CORE_REPOSITORY_H

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/cim.h"

namespace NVKXQZA20 {

struct TQualifierValue {
  TQualifierValue() {}
  TQualifierValue(std::string name, TCIMValue value) : fName(std::move(name)), fValue(std::move(value)) {}
  std::string fName;
  TCIMValue fValue;
  // Restricted flavor: the qualifier applies where it is written only and
  // is not inherited by subclasses or overriding properties.
  bool fRestricted = false;
  // DisableOverride flavor written where the qualifier is used: subclasses
  // may not give it another value, as when its type declares that flavor.
  bool fDisableOverride = false;
};

struct TQualifierType {
  std::string fName;
  ECIMType fType = CIMTypeBoolean;
  bool fIsArray = false;
  TCIMValue fDefault;
  std::vector<std::string> fScopes;
  std::vector<std::string> fFlavors;
};

struct TPropertyDeclaration {
  TPropertyDeclaration() {}
  TPropertyDeclaration(std::string name, ECIMType type, bool isArray = false)
      : fName(std::move(name)), fType(type), fIsArray(isArray) {}
  std::string fName;
  ECIMType fType = CIMTypeString;
  bool fIsArray = false;
  std::string fReferenceClass;  // REF properties only
  std::vector<TQualifierValue> fQualifiers;
  TCIMValue fDefault;
};

struct TClassDeclaration {
  std::string fName;
  std::string fSuperClass;
  std::vector<TQualifierValue> fQualifiers;
  std::vector<TPropertyDeclaration> fProperties;
};

// Declarations are equal when every name, type, value and flavor is.
bool operator==(const TQualifierValue& a, const TQualifierValue& b);
bool operator==(const TQualifierType& a, const TQualifierType& b);
bool operator==(const TPropertyDeclaration& a, const TPropertyDeclaration& b);
bool operator==(const TClassDeclaration& a, const TClassDeclaration& b);

// A value for a new instance: the property by its position in the class's
// declarations (the order of ICIMClass::GetPropertyDecls).
struct TPropertySetting {
  uint32_t fIndex;
  TCIMValue fValue;
};

class TDataSource;
struct TFaultPlan;

class TMemoryNamespace : public ICIMNamespace,
                         public boost::enable_shared_from_this<TMemoryNamespace> {
 public:
  // A namespace with one empty data source (index 0).
  static boost::shared_ptr<TMemoryNamespace> Create(std::string name = "root/cimv2");
  ~TMemoryNamespace() override;

  // Appends an empty data source and answers its index.
  uint16_t AddDataSource();
  uint16_t GetDataSourceCount() const;
  void SetGenerationMode(int mode) { fGenerationMode = mode; }

  // Declares a class in the context's data source. The superclass and the
  // classes of REF properties must be declared first (kQZANotFound); a name
  // already declared throws kQZAAlreadyExists. Properties redeclared by a
  // subclass override the inherited declaration and inherit its qualifiers.
  boost::shared_ptr<ICIMClass> DeclareClass(TClassDeclaration declaration,
                                            const TCIMContext& context = TCIMContext());
  // Replaces the declaration of a class, as a CIM server's ModifyClass: its
  // subclasses are rebuilt on the new declaration and keep theirs. Refused
  // (kQZAFailed) when the class or a subclass already has instances, and
  // (kQZAInvalidParameter) when the new superclass derives from the class.
  boost::shared_ptr<ICIMClass> RedeclareClass(TClassDeclaration declaration,
                                              const TCIMContext& context = TCIMContext());
  // Empty pointer when no such class is declared.
  const TClassDeclaration* FindClassDeclaration(const std::string& name,
                                                const TCIMContext& context = TCIMContext()) const;
  // A name already declared throws kQZAAlreadyExists unless replace is set.
  // Found by name in constant time.
  void DeclareQualifierType(const TQualifierType& type, const TCIMContext& context = TCIMContext(),
                            bool replace = false);
  // Empty pointer when the qualifier type is not declared.
  const TQualifierType* FindQualifierType(const std::string& name,
                                          const TCIMContext& context = TCIMContext()) const;
  size_t GetQualifierTypeCount(const TCIMContext& context = TCIMContext()) const;
  size_t GetClassCount(const TCIMContext& context = TCIMContext()) const;
  size_t GetInstanceCount(const TCIMContext& context = TCIMContext()) const;
  // The instances of the class itself, its subclasses apart; 0 for a class
  // not declared in the context's data source.
  size_t GetClassInstanceCount(const std::string& className, const TCIMContext& context = TCIMContext()) const;
  // Root classes in declaration order.
  std::vector<boost::shared_ptr<ICIMClass>> GetRootClasses(const TCIMContext& context = TCIMContext()) const;

  // Creates an instance of cls (a class of this namespace) with its values
  // at once, as CreateInstance and a SetPropertyValue per value would. The
  // values may be made on any thread: settings ascend by position, each
  // position once, each value of its property's declared type
  // (TCIMValue::ConvertTo); otherwise kQZAInvalidParameter.
  boost::shared_ptr<ICIMInstance> CreateInstance(ICIMClass& cls, std::vector<TPropertySetting> settings,
                                                 const TCIMContext& context = TCIMContext());

  // Deletes the instances as ICIMInstance::Delete does, in one pass over
  // their classes: time linear in the instances of those classes.
  void DeleteInstances(const std::vector<boost::shared_ptr<ICIMInstance>>& instances,
                       const TCIMContext& context = TCIMContext());

  // Links instances through an association class without an instance of
  // it: Associators answer the link as they would an instance whose
  // references (named by role) name these instances, in the order of
  // creation shared with instances; EnumerateInstances and the counts do not
  // show it. A link names the instances themselves, not their paths, in a
  // few words: for the millions of links of a comparison's results. The class
  // must be an association (kQZAInvalidParameter) with those references
  // (kQZANotFound), the instances of the context's data source.
  void Link(const std::string& associationClass,
            const std::vector<std::pair<std::string, boost::shared_ptr<ICIMInstance>>>& ends,
            const TCIMContext& context = TCIMContext());

  // Fault injection for reliability tests: the callNumber-th call into the
  // core from now on (counting from 1) throws, as TQZAException(code) or,
  // when code is kQZAOk, as a std::runtime_error. 0 switches it off.
  void InjectFault(uint64_t callNumber, TQZAStatusCode code);
  // Calls into the core counted since the last InjectFault (none before the first).
  uint64_t GetCallCount() const;

  // The values set on an instance of this namespace, in declaration order,
  // each with its declaration's index in the class's GetPropertyDecls; the
  // properties left at their class's initial value are passed over. For a
  // reader of every value of a large repository: no property object per
  // value, no look-up by name. Throws kQZAInvalidParameter for an instance
  // of another repository.
  void VisitSetValues(const ICIMInstance& instance,
                      const std::function<void(size_t index, const TCIMValue& value)>& visit) const;

  std::string GetName(const TCIMContext& = TCIMContext()) const override { return fName; }
  boost::shared_ptr<ICIMClass> GetClass(const std::string& name,
                                        const TCIMContext& context = TCIMContext()) const override;
  boost::shared_ptr<ICIMInstance> GetInstance(const TCIMReference& reference,
                                              const TCIMContext& context = TCIMContext()) const override;
  boost::shared_ptr<INamespaceProvider> GetNamespaceProvider(
      const TCIMContext& context = TCIMContext()) const override;

 private:
  explicit TMemoryNamespace(std::string name);
  TDataSource& DataSource(const TCIMContext& context) const;

  std::string fName;
  int fGenerationMode = 0;
  std::vector<boost::shared_ptr<TDataSource>> fDataSources;
  boost::shared_ptr<TFaultPlan> fFaults;
};

}  // namespace NVKXQZA20

#endif
