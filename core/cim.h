// The repository interfaces: namespaces, classes, instances, properties,
// declarations and qualifiers, handed out as boost::shared_ptr handles.
//
//   TCIMContext ctx;                       // empty: data source 0
//   ctx["nsIndex"] = TCIMValue(uint16_t(1));   // or the second data source
//   boost::shared_ptr<ICIMClass> disks = ns->GetClass("VKXSG_DiskDrive", ctx);
//   std::vector<boost::shared_ptr<ICIMInstance>> all;
//   disks->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(all), true, ctx);
//
// Every operation takes the context last. Objects obtained from a data source
// stay bound to it, so their own operations ignore "nsIndex". Missing
// classes, properties and qualifiers throw TQZAException(kQZANotFound);
// GetPropertyDecl and GetInstance answer an empty handle instead.
#ifndef QZA_CORE_CIM_H
#define QZA_CORE_CIM_H

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "core/status.h"
#include "core/value.h"

namespace NVKXQZA20 {

class ICIMClass;
class ICIMInstance;

typedef boost::function<bool(boost::shared_ptr<ICIMInstance>)> TInstanceCallback;
typedef boost::function<bool(boost::shared_ptr<ICIMClass>)> TClassCallback;

// The callback the library hands to enumerations: appends each result.
template <class TElement>
class TAddToVectorCallback {
 public:
  explicit TAddToVectorCallback(std::vector<boost::shared_ptr<TElement>>& results)
      : fResults(&results) {}
  bool operator()(boost::shared_ptr<TElement> element) const {
    fResults->push_back(element);
    return true;
  }

 private:
  std::vector<boost::shared_ptr<TElement>>* fResults;
};

class ICIMElement {
 public:
  virtual ~ICIMElement() {}
};

class ICIMQualifier {
 public:
  virtual ~ICIMQualifier() {}
  virtual std::string GetName(const TCIMContext& context = TCIMContext()) const = 0;
  virtual TCIMValue GetValue(const TCIMContext& context = TCIMContext()) const = 0;
};

class ICIMPropertyDecl {
 public:
  virtual ~ICIMPropertyDecl() {}
  virtual std::string GetName(const TCIMContext& context = TCIMContext()) const = 0;
  virtual TCIMValue::TCIMType GetType(const TCIMContext& context = TCIMContext()) const = 0;
  virtual bool IsArray(const TCIMContext& context = TCIMContext()) const = 0;
  // For REF properties, the class the reference points to.
  virtual std::string GetReferenceClassName(const TCIMContext& context = TCIMContext()) const = 0;
  // The qualifier with its inherited value. A missing qualifier sets found
  // to false and throws TQZAException(kQZANotFound).
  virtual boost::shared_ptr<ICIMQualifier> GetQualifier(
      const std::string& name, bool& found, const TCIMContext& context = TCIMContext()) const = 0;
  virtual std::vector<boost::shared_ptr<ICIMQualifier>> GetQualifiers(
      const TCIMContext& context = TCIMContext()) const = 0;
  virtual TCIMValue GetDefaultValue(const TCIMContext& context = TCIMContext()) const = 0;
};

class ICIMProperty {
 public:
  virtual ~ICIMProperty() {}
  virtual std::string GetName(const TCIMContext& context = TCIMContext()) const = 0;
  virtual TCIMValue::TCIMType GetType(const TCIMContext& context = TCIMContext()) const = 0;
  virtual bool IsArray(const TCIMContext& context = TCIMContext()) const = 0;
  virtual TCIMValue GetValue(const TCIMContext& context = TCIMContext()) const = 0;
  // Display text of a scalar: the ValueMap/Values entry when the declaration
  // has one for the value, "true"/"false" for booleans, the readable form of
  // date-times, "" for null, ToString() otherwise.
  virtual std::string GetValueText(const TCIMContext& context = TCIMContext()) const = 0;
  // Display text of each element of an array (a scalar gives one text).
  virtual std::vector<std::string> GetValueTexts(
      const TCIMContext& context = TCIMContext()) const = 0;
  virtual boost::shared_ptr<ICIMPropertyDecl> GetPropertyDecl(
      const TCIMContext& context = TCIMContext()) const = 0;
  // A second value shown beside the value, such as a raw reading.
  virtual bool HasAlternateValue(const TCIMContext& context = TCIMContext()) const = 0;
  // Null when there is none.
  virtual TCIMValue GetAlternateValue(const TCIMContext& context = TCIMContext()) const = 0;
  virtual std::string GetAlternateValueText(
      const TCIMContext& context = TCIMContext()) const = 0;
  // Converts the value to the declared type; throws on a mismatch.
  virtual void SetValue(const TCIMValue& value, const TCIMContext& context = TCIMContext()) = 0;
  virtual void SetAlternateValue(const TCIMValue& value,
                                 const TCIMContext& context = TCIMContext()) = 0;
};

class ICIMInstance : public ICIMElement {
 public:
  virtual boost::shared_ptr<ICIMClass> GetClass(const TCIMContext& context = TCIMContext()) const = 0;
  virtual boost::shared_ptr<ICIMProperty> GetProperty(
      const std::string& name, const TCIMContext& context = TCIMContext()) const = 0;
  virtual TCIMReference GetReference(const TCIMContext& context = TCIMContext()) const = 0;
  // Instances linked to this one through instances of association classes,
  // with DMTF semantics: assocClass restricts the association (subclasses
  // included; a class that is not an association gives no result),
  // resultClass the far end, role the property naming this instance,
  // resultRole the property naming the far end. Empty texts restrict nothing.
  // Results come in the order the associations were created.
  virtual void Associators(TInstanceCallback callback, const std::string& assocClass,
                           const std::string& resultClass, const std::string& role,
                           const std::string& resultRole,
                           const TCIMContext& context = TCIMContext()) const = 0;
  virtual void SetPropertyValue(const std::string& name, const TCIMValue& value,
                                const TCIMContext& context = TCIMContext()) = 0;
  // The same, taking the value over: a caller done with a text spares its copy.
  virtual void SetPropertyValue(const std::string& name, TCIMValue&& value,
                                const TCIMContext& context = TCIMContext()) {
    SetPropertyValue(name, static_cast<const TCIMValue&>(value), context);
  }
  // Removes the instance and the associations that name it. Handles held
  // elsewhere still read its last values; changing it throws kQZADeleted.
  virtual void Delete(const TCIMContext& context = TCIMContext()) = 0;
  virtual bool IsDeleted() const = 0;
};

class ICIMClass : public ICIMElement {
 public:
  virtual std::string GetName(const TCIMContext& context = TCIMContext()) const = 0;
  // "" for a root class.
  virtual std::string GetSuperClassName(const TCIMContext& context = TCIMContext()) const = 0;
  virtual bool IsAssociation(const TCIMContext& context = TCIMContext()) const = 0;
  // Whether this class is the named class or derives from it.
  virtual bool IsA(const std::string& className, const TCIMContext& context = TCIMContext()) const = 0;
  virtual boost::shared_ptr<ICIMQualifier> GetQualifier(
      const std::string& name, bool& found, const TCIMContext& context = TCIMContext()) const = 0;
  // Empty handle when the class (with its superclasses) declares no such property.
  virtual boost::shared_ptr<ICIMPropertyDecl> GetPropertyDecl(
      const std::string& name, const TCIMContext& context = TCIMContext()) const = 0;
  // All declarations, inherited first, in declaration order.
  virtual std::vector<boost::shared_ptr<ICIMPropertyDecl>> GetPropertyDecls(
      const TCIMContext& context = TCIMContext()) const = 0;
  // Own instances in creation order; with deep, then those of each subclass
  // in declaration order, depth first.
  virtual void EnumerateInstances(TInstanceCallback callback, bool deep,
                                  const TCIMContext& context = TCIMContext()) const = 0;
  // Direct subclasses in declaration order; with deep, depth first.
  virtual void EnumerateSubclasses(TClassCallback callback, bool deep,
                                   const TCIMContext& context = TCIMContext()) const = 0;
  // Classes linked to this one (or a superclass) by the REF properties of
  // association classes, with the filters of ICIMInstance::Associators
  // applied to classes; each class once, in association declaration order.
  virtual void Associators(TClassCallback callback, const std::string& assocClass,
                           const std::string& resultClass, const std::string& role,
                           const std::string& resultRole,
                           const TCIMContext& context = TCIMContext()) const = 0;
  // A new instance with every property at its default value.
  virtual boost::shared_ptr<ICIMInstance> CreateInstance(
      const TCIMContext& context = TCIMContext()) = 0;
};

class INamespaceProvider {
 public:
  virtual ~INamespaceProvider() {}
  // 1 when the repository holds comparison results (DELTA), 0 otherwise.
  virtual int GetGenerationMode(const TCIMContext& context = TCIMContext()) const = 0;
};

class ICIMNamespace {
 public:
  virtual ~ICIMNamespace() {}
  virtual std::string GetName(const TCIMContext& context = TCIMContext()) const = 0;
  virtual boost::shared_ptr<ICIMClass> GetClass(const std::string& name,
                                                const TCIMContext& context = TCIMContext()) const = 0;
  // Empty handle when absent.
  virtual boost::shared_ptr<ICIMInstance> GetInstance(
      const TCIMReference& reference, const TCIMContext& context = TCIMContext()) const = 0;
  virtual boost::shared_ptr<INamespaceProvider> GetNamespaceProvider(
      const TCIMContext& context = TCIMContext()) const = 0;
};

// The data source a context names: its "nsIndex", 0 when absent.
uint16_t DataSourceIndex(const TCIMContext& context);

}  // namespace NVKXQZA20

#endif
