// Test support: a namespace that passes every call to a repository but
// fails chosen ones with a core error, to reach the error paths of pages:
// enumerating the instances of one class, or following one association
// class from any instance.
//
//   boost::shared_ptr<TFailingNamespace> failing(new TFailingNamespace(ns));
//   failing->fFailingAssociation = "LSIESG_SystemPackaging";
#ifndef QZA_TESTS_CUSTOM_FAILING_NAMESPACE_H
#define QZA_TESTS_CUSTOM_FAILING_NAMESPACE_H

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "core/cim.h"

class TFailingNamespace : public NVKXQZA20::ICIMNamespace {
 public:
  typedef NVKXQZA20::TCIMContext TCIMContext;

  explicit TFailingNamespace(boost::shared_ptr<NVKXQZA20::ICIMNamespace> target) : fTarget(target) {}

  std::string GetName(const TCIMContext& context) const override { return fTarget->GetName(context); }
  boost::shared_ptr<NVKXQZA20::ICIMClass> GetClass(const std::string& name,
                                                   const TCIMContext& context) const override {
    return boost::shared_ptr<NVKXQZA20::ICIMClass>(new TClass(fTarget->GetClass(name, context), *this));
  }
  boost::shared_ptr<NVKXQZA20::ICIMInstance> GetInstance(const NVKXQZA20::TCIMReference& reference,
                                                         const TCIMContext& context) const override {
    return fTarget->GetInstance(reference, context);
  }
  boost::shared_ptr<NVKXQZA20::INamespaceProvider> GetNamespaceProvider(
      const TCIMContext& context) const override {
    return fTarget->GetNamespaceProvider(context);
  }

  std::string fFailingEnumeration;
  std::string fFailingAssociation;

 private:
  static void Fail(const std::string& what) { throw NVKXQZA20::TQZAException(NVKXQZA20::kQZAFailed, what); }

  class TInstance : public NVKXQZA20::ICIMInstance {
   public:
    TInstance(boost::shared_ptr<NVKXQZA20::ICIMInstance> target, const TFailingNamespace& ns)
        : fTarget(target), fNamespace(ns) {}
    boost::shared_ptr<NVKXQZA20::ICIMClass> GetClass(const TCIMContext& context) const override {
      return fTarget->GetClass(context);
    }
    boost::shared_ptr<NVKXQZA20::ICIMProperty> GetProperty(const std::string& name,
                                                           const TCIMContext& context) const override {
      return fTarget->GetProperty(name, context);
    }
    NVKXQZA20::TCIMReference GetReference(const TCIMContext& context) const override {
      return fTarget->GetReference(context);
    }
    void Associators(NVKXQZA20::TInstanceCallback callback, const std::string& assocClass,
                     const std::string& resultClass, const std::string& role, const std::string& resultRole,
                     const TCIMContext& context) const override {
      if (assocClass == fNamespace.fFailingAssociation) Fail(assocClass);
      fTarget->Associators(callback, assocClass, resultClass, role, resultRole, context);
    }
    void SetPropertyValue(const std::string& name, const NVKXQZA20::TCIMValue& value,
                          const TCIMContext& context) override {
      fTarget->SetPropertyValue(name, value, context);
    }
    void Delete(const TCIMContext& context) override { fTarget->Delete(context); }
    bool IsDeleted() const override { return fTarget->IsDeleted(); }

   private:
    boost::shared_ptr<NVKXQZA20::ICIMInstance> fTarget;
    const TFailingNamespace& fNamespace;
  };

  class TClass : public NVKXQZA20::ICIMClass {
   public:
    TClass(boost::shared_ptr<NVKXQZA20::ICIMClass> target, const TFailingNamespace& ns)
        : fTarget(target), fNamespace(ns) {}
    std::string GetName(const TCIMContext& context) const override { return fTarget->GetName(context); }
    std::string GetSuperClassName(const TCIMContext& context) const override {
      return fTarget->GetSuperClassName(context);
    }
    bool IsAssociation(const TCIMContext& context) const override { return fTarget->IsAssociation(context); }
    bool IsA(const std::string& name, const TCIMContext& context) const override {
      return fTarget->IsA(name, context);
    }
    boost::shared_ptr<NVKXQZA20::ICIMQualifier> GetQualifier(const std::string& name, bool& found,
                                                             const TCIMContext& context) const override {
      return fTarget->GetQualifier(name, found, context);
    }
    boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl> GetPropertyDecl(
        const std::string& name, const TCIMContext& context) const override {
      return fTarget->GetPropertyDecl(name, context);
    }
    std::vector<boost::shared_ptr<NVKXQZA20::ICIMPropertyDecl>> GetPropertyDecls(
        const TCIMContext& context) const override {
      return fTarget->GetPropertyDecls(context);
    }
    // The instances come wrapped, so that their associations can fail.
    void EnumerateInstances(NVKXQZA20::TInstanceCallback callback, bool deep,
                            const TCIMContext& context) const override {
      if (GetName(context) == fNamespace.fFailingEnumeration) Fail(GetName(context));
      const TFailingNamespace& ns = fNamespace;
      fTarget->EnumerateInstances(
          [&](boost::shared_ptr<NVKXQZA20::ICIMInstance> instance) {
            return callback(boost::shared_ptr<NVKXQZA20::ICIMInstance>(new TInstance(instance, ns)));
          },
          deep, context);
    }
    void EnumerateSubclasses(NVKXQZA20::TClassCallback callback, bool deep,
                             const TCIMContext& context) const override {
      fTarget->EnumerateSubclasses(callback, deep, context);
    }
    void Associators(NVKXQZA20::TClassCallback callback, const std::string& assocClass,
                     const std::string& resultClass, const std::string& role, const std::string& resultRole,
                     const TCIMContext& context) const override {
      fTarget->Associators(callback, assocClass, resultClass, role, resultRole, context);
    }
    boost::shared_ptr<NVKXQZA20::ICIMInstance> CreateInstance(const TCIMContext& context) override {
      return fTarget->CreateInstance(context);
    }

   private:
    boost::shared_ptr<NVKXQZA20::ICIMClass> fTarget;
    const TFailingNamespace& fNamespace;
  };

  boost::shared_ptr<NVKXQZA20::ICIMNamespace> fTarget;
};

#endif
