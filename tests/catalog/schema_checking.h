// Test support that holds page definitions against the bundled schema: every
// class a definition names must be declared, every property must belong to
// the class it is read from (inherited ones included), and every
// association must link the two classes it is walked between.
//
//   TSchemaCheck check(LoadBundledSchema());
//   check.Page(catalog.BuildFirmwareParams(), "Linux 1.3");
//   EXPECT_EQ("", check.Report());
#ifndef QZA_TESTS_CATALOG_SCHEMA_CHECKING_H
#define QZA_TESTS_CATALOG_SCHEMA_CHECKING_H

#include <algorithm>
#include <boost/shared_ptr.hpp>
#include <set>
#include <string>
#include <vector>

#include "core/mof_reader.h"
#include "core/repository.h"
#include "definitions/report_parameters.h"

namespace schema_checking {

const std::string kBundledSchema = std::string(QZA_SOURCE_DIR) + "/schema/schema.mof";

inline boost::shared_ptr<NVKXQZA20::TMemoryNamespace> LoadBundledSchema() {
  boost::shared_ptr<NVKXQZA20::TMemoryNamespace> ns = NVKXQZA20::TMemoryNamespace::Create();
  NVKXQZA20::TMofReader(ns).LoadFile(kBundledSchema);
  return ns;
}

class TSchemaCheck {
 public:
  typedef TReportParameters::TReportClass TReportClass;
  typedef TReportParameters::TReportProperty TReportProperty;
  typedef boost::shared_ptr<NVKXQZA20::ICIMClass> TClassPtr;

  explicit TSchemaCheck(boost::shared_ptr<NVKXQZA20::TMemoryNamespace> ns) : fNamespace(ns) {}

  // where names the context in the messages, such as "Windows 1.3".
  void Page(const TReportParameters& page, const std::string& where) {
    const TReportClass* previous = nullptr;
    for (const TReportClass& table : page.GetClasses()) {
      Table(table, "", where + ", page \"" + page.GetReportName() + "\"", previous);
      previous = &table;
    }
  }

  // A table, reached from an instance of enclosingClass when that is not
  // empty. Pages that continue one table record from table to table hand
  // the sort keys on (previous is the table before): those keys are only
  // checked on the table that set them.
  void Table(const TReportClass& table, const std::string& enclosingClass, const std::string& where,
             const TReportClass* previous = nullptr) {
    const std::string place = where + ", table " + table.GetClass();
    if (!enclosingClass.empty() && (!table.GetAssocClass().empty() || !table.GetResultClass().empty())) {
      Link(table.GetAssocClass(), enclosingClass, table.GetResultClass(), place);
    }
    if (!Class(table.GetClass(), place)) return;
    for (const TReportProperty& column : table.GetProperties()) Column(table.GetClass(), column, place);
    for (const auto& key : table.GetInstanceSorter().GetKeys()) {
      if (!IsHandedOn(key, previous)) Property(table.GetClass(), key.fProperty, place + " (sort key)");
    }
    if (!table.GetUniqueIdProperty().empty()) {
      Property(table.GetClass(), table.GetUniqueIdProperty(), place + " (unique id)");
    }
    for (const auto& filter : table.getPropertyFilterContainer()) {
      Property(table.GetClass(), filter.fProperty, place + " (filter)");
    }
    // A table record keeps the associated tables of the table before it;
    // only a table marked as carrying them has them written.
    if (!table.HasAssociatedClass()) return;
    for (const TReportClass& associated : table.GetAssociatedClasses()) Table(associated, table.GetClass(), place);
  }

  // A column or row read from an instance of className: directly, through
  // an association, or through any association to the secondary target.
  void Column(const std::string& className, const TReportProperty& column, const std::string& where) {
    if (column.GetProperty().empty()) return;
    if (column.HasAssociationClass() || column.HasAssociationTarget()) {
      Link(column.GetAssociationClass(), className, column.GetAssociationTarget(), where);
      if (column.HasAssociationTarget()) Property(column.GetAssociationTarget(), column.GetProperty(), where);
    } else {
      Property(className, column.GetProperty(), where);
    }
    if (column.HasSecondaryAssociationTarget()) {
      Link("", className, column.GetSecondaryAssociationTarget(), where);
      Property(column.GetSecondaryAssociationTarget(), column.GetProperty(), where);
    }
  }

  // The class is declared; a miss is recorded otherwise.
  bool Class(const std::string& className, const std::string& where) {
    if (Find(className)) return true;
    Miss(where + ": class " + className + " is not declared");
    return false;
  }

  // The class, one of its superclasses or one of its subclasses declares
  // the property: tables list a class with its subclasses, and the
  // instances read are those of the subclasses.
  void Property(const std::string& className, const std::string& property, const std::string& where) {
    TClassPtr cimClass = Find(className);
    if (!cimClass) {
      Class(className, where);
    } else if (!cimClass->GetPropertyDecl(property) && !AnySubclassDeclares(cimClass, property)) {
      Miss(where + ": " + className + " has no property " + property);
    }
  }

  // The association (any association when empty) has two references whose
  // classes are related to from and to (either may derive from the other,
  // since tables name superclasses and associations name base classes).
  void Link(const std::string& assocClass, const std::string& from, const std::string& to, const std::string& where) {
    const std::string step = (assocClass.empty() ? "any association" : assocClass) + " from " + from + " to " +
                             (to.empty() ? "anything" : to);
    bool declared = Class(from, where);
    if (!to.empty()) declared = Class(to, where) && declared;
    if (!assocClass.empty()) {
      TClassPtr association = Find(assocClass);
      if (!association) {
        Miss(where + ": association " + assocClass + " is not declared");
        return;
      }
      if (!association->IsAssociation()) {
        Miss(where + ": " + assocClass + " is not an association");
        return;
      }
      if (declared && !Links(association, from, to)) Miss(where + ": " + step + " does not match its references");
      return;
    }
    if (!declared) return;
    for (const TClassPtr& association : Associations()) {
      if (Links(association, from, to)) return;
    }
    Miss(where + ": no " + step);
  }

  void Miss(const std::string& text) { fMisses.insert(text); }

  // Every miss, one a line; "" when there is none.
  std::string Report() const {
    std::string text;
    for (const std::string& miss : fMisses) text += miss + "\n";
    return text;
  }

 private:
  TClassPtr Find(const std::string& className) const {
    if (className.empty()) return TClassPtr();
    try {
      return fNamespace->GetClass(className);
    } catch (const NVKXQZA20::TQZAException&) {
      return TClassPtr();
    }
  }

  static bool IsHandedOn(const TReportParameters::TInstanceSorter::TPropertyInfo& key, const TReportClass* previous) {
    if (!previous) return false;
    const auto& keys = previous->GetInstanceSorter().GetKeys();
    return std::find(keys.begin(), keys.end(), key) != keys.end();
  }

  static bool AnySubclassDeclares(const TClassPtr& cimClass, const std::string& property) {
    bool declared = false;
    cimClass->EnumerateSubclasses(
        [&declared, &property](TClassPtr subclass) {
          declared = declared || static_cast<bool>(subclass->GetPropertyDecl(property));
          return !declared;
        },
        true);
    return declared;
  }

  bool Related(const std::string& a, const std::string& b) const {
    TClassPtr first = Find(a);
    TClassPtr second = Find(b);
    return first && second && (first->IsA(b) || second->IsA(a));
  }

  std::vector<std::string> ReferenceClasses(const TClassPtr& association) const {
    std::vector<std::string> ends;
    for (const auto& declaration : association->GetPropertyDecls()) {
      if (declaration->GetType() == NVKXQZA20::CIMTypeReference) ends.push_back(declaration->GetReferenceClassName());
    }
    return ends;
  }

  bool Links(const TClassPtr& association, const std::string& from, const std::string& to) const {
    const std::vector<std::string> ends = ReferenceClasses(association);
    for (size_t i = 0; i < ends.size(); ++i) {
      for (size_t j = 0; j < ends.size(); ++j) {
        if (i != j && Related(from, ends[i]) && (to.empty() || Related(to, ends[j]))) return true;
      }
    }
    return false;
  }

  std::vector<TClassPtr> Associations() {
    if (fAssociations.empty()) {
      auto collect = [this](TClassPtr cimClass) {
        if (cimClass->IsAssociation()) fAssociations.push_back(cimClass);
        return true;
      };
      for (const TClassPtr& root : fNamespace->GetRootClasses()) {
        collect(root);
        root->EnumerateSubclasses(collect, true);
      }
    }
    return fAssociations;
  }

  boost::shared_ptr<NVKXQZA20::TMemoryNamespace> fNamespace;
  std::set<std::string> fMisses;
  std::vector<TClassPtr> fAssociations;
};

}  // namespace schema_checking

#endif
