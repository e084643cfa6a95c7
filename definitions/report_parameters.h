// The declarative description of one report page: its tables, their columns,
// widths, labels, association steps, instance order and limits. The catalog
// builds these plain value records; the writers read them back.
//
//   TReportParameters::TReportClass table;
//   table.SetClass("VKXSG_Fan");
//   table.SetTitle("Fans");
//   table.GetProperties().push_back(TReportParameters::TReportProperty("Name", "50%", "", "", ""));
//   table.GetInstanceSorter().AddProperty("Name", true, false);
//
// Nothing here fails: bad widths read as 0 and are only reported by Validate.
#ifndef QZA_DEFINITIONS_REPORT_PARAMETERS_H
#define QZA_DEFINITIONS_REPORT_PARAMETERS_H

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "core/cim.h"

class TReportParameters {
 public:
  // One column of a column-style table, or one row of a row-style table.
  class TReportProperty {
   public:
    // How the elements of an array value are joined; the writer turns the
    // code into text (GetArraySeparatorText).
    enum ArrayValueSeparator : int32_t {
      DefaultSeparator = 0,
      ListSeparator = 1,
      AddressRangeSeparator = 3
    };

    TReportProperty();
    // The association class comes before the association target here.
    TReportProperty(std::string property, std::string columnWidth, std::string associationClass,
                    std::string associationTarget, std::string labelOverride);

    void SetProperty(std::string property) { fProperty = std::move(property); }
    std::string GetProperty() const { return fProperty; }
    void SetColumnWidth(std::string width) { fColumnWidth = std::move(width); }
    std::string GetColumnWidth() const { return fColumnWidth; }

    void SetAssociationTarget(std::string target) { fAssociationTarget = std::move(target); }
    std::string GetAssociationTarget() const { return fAssociationTarget; }
    bool HasAssociationTarget() const { return !fAssociationTarget.empty(); }
    void SetAssociationClass(std::string associationClass) { fAssociationClass = std::move(associationClass); }
    std::string GetAssociationClass() const { return fAssociationClass; }
    bool HasAssociationClass() const { return !fAssociationClass.empty(); }
    void SetSecondaryAssociationTarget(std::string target) { fSecondaryAssociationTarget = std::move(target); }
    std::string GetSecondaryAssociationTarget() const { return fSecondaryAssociationTarget; }
    bool HasSecondaryAssociationTarget() const { return !fSecondaryAssociationTarget.empty(); }

    void SetLabelOverride(std::string label) { fLabelOverride = std::move(label); }
    std::string GetLabelOverride() const { return fLabelOverride; }
    bool HasLabelOverride() const { return !fLabelOverride.empty(); }

    void SetArrayValueSeparator(ArrayValueSeparator separator) { fArrayValueSeparator = separator; }
    ArrayValueSeparator GetArrayValueSeparator() const { return fArrayValueSeparator; }
    void SetMonospaced() { fMonospaced = true; }
    bool IsMonospaced() const { return fMonospaced; }

   private:
    std::string fProperty;
    std::string fColumnWidth;
    std::string fAssociationTarget;
    std::string fAssociationClass;
    std::string fSecondaryAssociationTarget;
    std::string fLabelOverride;
    ArrayValueSeparator fArrayValueSeparator;
    bool fMonospaced;
  };

  // The order of a table's instances: sort keys, most significant first.
  // Values compare as text in natural order: digit runs as numbers of any
  // length (leading zeros ignored), other runs as lower-cased text, so
  // "Slot 2" < "Slot 10" and "cpu" == "CPU". A copy is the comes-before
  // predicate of std::sort.
  class TInstanceSorter {
   public:
    struct TPropertyInfo {
      TPropertyInfo(std::string property, bool ascending, bool secondFlag, bool thirdFlag)
          : fProperty(std::move(property)),
            fAscending(ascending),
            fSecondFlag(secondFlag),
            fThirdFlag(thirdFlag) {}
      bool operator==(const TPropertyInfo& other) const {
        return fProperty == other.fProperty && fAscending == other.fAscending &&
               fSecondFlag == other.fSecondFlag && fThirdFlag == other.fThirdFlag;
      }

      std::string fProperty;
      bool fAscending;
      // Recorded and copied with the key; the ordering does not consult them.
      bool fSecondFlag;
      bool fThirdFlag;
    };

    enum EComparison : int32_t { LessThan = -1, Equal = 0, GreaterThan = 1 };

    void AddProperty(std::string property, bool ascending, bool secondFlag);
    void AddProperty(std::string property, bool ascending, bool secondFlag, bool thirdFlag);
    void Reset() { fKeys.clear(); }
    bool IsEmpty() const { return fKeys.empty(); }
    // The keys in order of precedence, for readers of a definition.
    const std::vector<TPropertyInfo>& GetKeys() const { return fKeys; }

    // True when a comes strictly before b.
    bool operator()(boost::shared_ptr<NVKXQZA20::ICIMInstance> a,
                    boost::shared_ptr<NVKXQZA20::ICIMInstance> b) const;

    // Sorts stably into the order this predicate gives, with the same log
    // lines, but reads and splits each instance's key values once instead of
    // at every comparison: large tables sort in n log n cheap comparisons.
    void Sort(std::vector<boost::shared_ptr<NVKXQZA20::ICIMInstance>>& instances) const;

    // Turns the text to upper case in place and answers a copy of it.
    static std::string uppercaseString(std::string& text);

   private:
    enum ETokenType { NumberToken = 0, TextToken = 1 };
    struct TTokenValue {
      // A text token's text, or a number token's digits without leading zeros.
      std::string fText;
    };
    struct TToken {
      ETokenType _type;
      TTokenValue _value;
    };

    // One key's value of one instance as a sort key; unread when reading
    // the value failed.
    struct TKeyValue {
      bool fRead = false;
      std::string fSortKey;
    };

    EComparison Compare(const TPropertyInfo& key, boost::shared_ptr<NVKXQZA20::ICIMInstance> a,
                        boost::shared_ptr<NVKXQZA20::ICIMInstance> b) const;
    static TKeyValue ReadKey(const NVKXQZA20::ICIMInstance& instance, const TPropertyInfo& key);
    // Compares two read keys as Compare compares the instances they come from.
    static EComparison CompareKeys(const TKeyValue& a, const TKeyValue& b);
    bool Precedes(const std::vector<TKeyValue>& a, const std::vector<TKeyValue>& b) const;
    static void PropertySplit(const std::string& text, std::vector<TToken>& tokens, bool lowerCase);
    // The split text as bytes whose plain byte order is the natural order.
    static std::string SortKey(const std::string& text, bool lowerCase);

    std::vector<TPropertyInfo> fKeys;
  };

  // One table of a page.
  class TReportClass {
   public:
    // Column-style: one row per instance; row-style: one row per property.
    enum ReportStyle : int32_t { ColumnReport = 0, RowReport = 1 };

    // Kept instances must (or, with fExclude, must not) contain fValue in the
    // decimal text of the property; applied only by the ESXi writer.
    struct TPropertyFilter {
      TPropertyFilter(std::string property, bool exclude, std::string value)
          : fProperty(std::move(property)), fExclude(exclude), fValue(std::move(value)) {}

      std::string fProperty;
      bool fExclude;
      std::string fValue;
    };

    TReportClass();

    void SetClass(std::string className) { fClass = std::move(className); }
    std::string GetClass() const { return fClass; }
    // Sets the text and shows it.
    void SetTitle(std::string title);
    // Hides the title; its text stays.
    void ClearTitle() { fHasTitle = false; }
    std::string GetTitle() const { return fTitle; }
    bool HasTitle() const { return fHasTitle; }
    void EnableSubTitle() { fSubTitleEnabled = true; }
    bool SubTitleEnabled() const { return fSubTitleEnabled; }

    void SetTableWidth(std::string width) { fTableWidth = std::move(width); }
    std::string GetTableWidth() const { return fTableWidth; }
    void SetReportStyle(ReportStyle style) { fReportStyle = style; }
    ReportStyle GetReportStyle() const { return fReportStyle; }
    void SetRowReportHeaderWidth(std::string width) { fRowReportHeaderWidth = std::move(width); }
    std::string GetRowReportHeaderWidth() const { return fRowReportHeaderWidth; }

    void SetProperties(std::vector<TReportProperty> properties) { fProperties = std::move(properties); }
    std::vector<TReportProperty>& GetProperties() { return fProperties; }
    const std::vector<TReportProperty>& GetProperties() const { return fProperties; }

    void SetUniqueIdProperty(std::string property) { fUniqueIdProperty = std::move(property); }
    std::string GetUniqueIdProperty() const { return fUniqueIdProperty; }

    // Marks this table as carrying associated tables, written per instance.
    void SetAssociatedClass() { fHasAssociatedClass = true; }
    bool HasAssociatedClass() const { return fHasAssociatedClass; }
    void SetAssociatedClasses(std::vector<TReportClass> classes) { fAssociatedClasses = std::move(classes); }
    std::vector<TReportClass>& GetAssociatedClasses() { return fAssociatedClasses; }
    const std::vector<TReportClass>& GetAssociatedClasses() const { return fAssociatedClasses; }

    // How an associated table's instances are reached from an instance of the
    // enclosing table; an empty text restricts nothing.
    void SetAssociatorsFilter(const std::string& assocClass, const std::string& resultClass,
                              const std::string& role, const std::string& resultRole);
    std::string GetAssocClass() const { return fAssocClass; }
    std::string GetResultClass() const { return fResultClass; }
    std::string GetRole() const { return fRole; }
    std::string GetResultRole() const { return fResultRole; }

    void ExcludeProps() { fExcludeProps = true; }
    bool HasExcludeProps() const { return fExcludeProps; }

    TInstanceSorter& GetInstanceSorter() { return fInstanceSorter; }
    const TInstanceSorter& GetInstanceSorter() const { return fInstanceSorter; }

    void SetTableSortable() { fTableSortable = true; }
    bool IsTableSortable() const { return fTableSortable; }

    void SetMaxInstancesPerTable(int count) { fMaxInstancesPerTable = count; }
    int GetMaxInstancesPerTable() const { return fMaxInstancesPerTable; }

    // Always answers true; identical filters are kept side by side.
    bool addPropertyFilter(std::string property, bool exclude, std::string value);
    std::vector<TPropertyFilter>& getPropertyFilterContainer() { return fPropertyFilters; }
    const std::vector<TPropertyFilter>& getPropertyFilterContainer() const { return fPropertyFilters; }

    // Reports widths that cannot be rendered on standard output, one line each.
    void Validate() const;
    // Prepares the record for the next table of a page. Keeps the class, the
    // title text, the row report header width, the properties and the
    // associated classes; everything else returns to its default.
    void Reset();

   private:
    std::string fClass;
    std::string fTitle;
    bool fHasTitle;
    bool fSubTitleEnabled;
    std::string fTableWidth;
    ReportStyle fReportStyle;
    std::string fRowReportHeaderWidth;
    std::vector<TReportProperty> fProperties;
    std::string fUniqueIdProperty;
    bool fHasAssociatedClass;
    std::string fAssocClass;
    std::string fResultClass;
    std::string fRole;
    std::string fResultRole;
    bool fExcludeProps;
    TInstanceSorter fInstanceSorter;
    bool fTableSortable;
    std::vector<TReportClass> fAssociatedClasses;
    int32_t fMaxInstancesPerTable;
    std::vector<TPropertyFilter> fPropertyFilters;
  };

  TReportParameters();

  // The leading number of a width such as "25%" (atoi rules: "7.5%" is 7,
  // no digits is 0).
  static int ConvertPercent(const std::string& text);

  void SetShowReportTitle(bool show) { fShowReportTitle = show; }
  bool ShowReportTitle() const { return fShowReportTitle; }
  void SetLinkName(std::string linkName) { fLinkName = std::move(linkName); }
  std::string GetLinkName() const { return fLinkName; }
  void SetReportName(std::string reportName) { fReportName = std::move(reportName); }
  std::string GetReportName() const { return fReportName; }

  void SetClasses(std::vector<TReportClass> classes) { fClasses = std::move(classes); }
  std::vector<TReportClass>& GetClasses() { return fClasses; }
  const std::vector<TReportClass>& GetClasses() const { return fClasses; }

  // For the host: the page's link may be re-sorted by its reader.
  void SetLinkSortable() { fLinkSortable = true; }
  bool GetLinkSortable() const { return fLinkSortable; }

 private:
  bool fShowReportTitle;
  std::string fLinkName;
  std::string fReportName;
  std::vector<TReportClass> fClasses;
  bool fLinkSortable;
};

#endif
