#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <memory>
#include <sstream>

#include "core/repository.h"
#include "core/root.h"
#include "definitions/report_parameters.h"

namespace {

using NVKXQZA20::CIMTypeString;
using NVKXQZA20::CIMTypeUInt32;
using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TCIMValue;
using NVKXQZA20::TClassDeclaration;
using NVKXQZA20::TMemoryNamespace;
using NVKXQZA20::TPropertyDeclaration;
using NVKXQZA20::TQualifierValue;

typedef TReportParameters::TInstanceSorter TInstanceSorter;
typedef boost::shared_ptr<ICIMInstance> TInstance;

// A repository of Test_Element instances: a key Id, a text Name, a number Size.
class InstanceSorterTest : public ::testing::Test {
 protected:
  InstanceSorterTest() : fNamespace(TMemoryNamespace::Create()) {
    TClassDeclaration element;
    element.fName = "Test_Element";
    element.fProperties.push_back(TPropertyDeclaration("Id", CIMTypeUInt32));
    element.fProperties.back().fQualifiers.push_back(TQualifierValue("Key", TCIMValue(true)));
    element.fProperties.push_back(TPropertyDeclaration("Name", CIMTypeString));
    element.fProperties.push_back(TPropertyDeclaration("Size", CIMTypeUInt32));
    fNamespace->DeclareClass(element);
  }

  TInstance Element(const std::string& name, uint32_t size = 0) {
    TInstance instance = fNamespace->GetClass("Test_Element")->CreateInstance();
    instance->SetPropertyValue("Id", TCIMValue(fNextId++));
    instance->SetPropertyValue("Name", TCIMValue(name));
    instance->SetPropertyValue("Size", TCIMValue(size));
    return instance;
  }

  TInstanceSorter ByName(bool ascending = true) {
    TInstanceSorter sorter;
    sorter.AddProperty("Name", ascending, false);
    return sorter;
  }

  std::vector<std::string> SortedNames(std::vector<TInstance> instances, TInstanceSorter sorter) {
    std::sort(instances.begin(), instances.end(), sorter);
    std::vector<std::string> names;
    for (const TInstance& instance : instances) {
      names.push_back(instance->GetProperty("Name")->GetValue().ToString());
    }
    return names;
  }

  boost::shared_ptr<TMemoryNamespace> fNamespace;
  uint32_t fNextId = 1;
};

TEST_F(InstanceSorterTest, ComparesValuesInNaturalOrder) {
  // first, second, whether first < second, whether second < first.
  const struct {
    const char* first;
    const char* second;
    bool firstBefore;
    bool secondBefore;
  } cases[] = {
      {"Slot 2", "Slot 10", true, false},
      {"A9", "A10", true, false},
      {"10", "A", true, false},
      {"DIMM 1", "dimm 1a", true, false},
      {"abc", "ABC", false, false},
      {"007", "7", false, false},
      {"", "a", true, false},
      {"cpu 1", "cpu_1", true, false},  // ' ' is a smaller byte than '_'
      {"Bus 0", "Bus 00", false, false},
      // Digit runs beyond 32 bits still compare as numbers.
      {"2147483647", "2147483648", true, false},
      {"4294967296", "4294967295", false, true},
      {"999999999", "1000000000", true, false},
      {"WWN 500605b0000272b0", "WWN 500605b0000272b1", true, false},
      {"Serial 1234567890123456", "Serial 999999999999999", false, true},
      {"000000000000000012345678901234567890", "12345678901234567890", false, false},
      {"99999999999999999999999999999999", "100000000000000000000000000000000", true, false},
      {"12345678901234567891", "12345678901234567890", false, true},
  };
  TInstanceSorter sorter = ByName();
  for (const auto& c : cases) {
    TInstance first = Element(c.first);
    TInstance second = Element(c.second);
    EXPECT_EQ(c.firstBefore, sorter(first, second)) << c.first << " / " << c.second;
    EXPECT_EQ(c.secondBefore, sorter(second, first)) << c.second << " / " << c.first;
  }
}

TEST_F(InstanceSorterTest, TextsHoldingNulBytesCompareBytewise) {
  const std::string nul(1, '\0');
  std::vector<TInstance> texts = {Element("a" + nul + "b"), Element("a\x01"), Element("a" + nul),
                                  Element("a"), Element("a" + nul + "1")};
  EXPECT_EQ((std::vector<std::string>{"a", "a" + nul, "a" + nul + "1", "a" + nul + "b", "a\x01"}),
            SortedNames(texts, ByName()));
}

TEST_F(InstanceSorterTest, DescendingKeyPutsLargerValuesFirst) {
  EXPECT_EQ((std::vector<std::string>{"10", "2"}),
            SortedNames({Element("2"), Element("10")}, ByName(false)));
}

TEST_F(InstanceSorterTest, NumericPropertiesCompareThroughTheirDecimalText) {
  TInstanceSorter bySize;
  bySize.AddProperty("Size", true, false);
  EXPECT_EQ((std::vector<std::string>{"nine", "ten"}),
            SortedNames({Element("ten", 10), Element("nine", 9)}, bySize));
}

TEST_F(InstanceSorterTest, LaterKeysBreakTiesOfEarlierOnes) {
  TInstanceSorter sorter;
  sorter.AddProperty("Size", false, false);
  sorter.AddProperty("Name", true, false);
  std::vector<TInstance> instances = {Element("b", 1), Element("a", 1), Element("c", 2)};
  EXPECT_EQ((std::vector<std::string>{"c", "a", "b"}), SortedNames(instances, sorter));
}

TEST_F(InstanceSorterTest, InstancesEqualOnEveryKeyComeBeforeNeither) {
  TInstanceSorter sorter = ByName();
  TInstance a = Element("Fan");
  TInstance b = Element("fan");
  EXPECT_FALSE(sorter(a, b));
  EXPECT_FALSE(sorter(b, a));
}

TEST_F(InstanceSorterTest, NullValueSortsByItsAlternateValue) {
  TInstance withAlternate = Element("");
  withAlternate->GetProperty("Name")->SetValue(TCIMValue::Null(CIMTypeString));
  withAlternate->GetProperty("Name")->SetAlternateValue(TCIMValue("B"));
  TInstance a = Element("A");
  TInstance c = Element("C");
  EXPECT_EQ((std::vector<std::string>{"A", "", "C"}),
            SortedNames({c, withAlternate, a}, ByName()));
}

TEST_F(InstanceSorterTest, MissingKeyPropertyMakesInstancesEqualAndLogsEachComparison) {
  std::shared_ptr<std::ostringstream> log = std::make_shared<std::ostringstream>();
  NVKXQZA20::TRootObject::SetLogSink(log, 3);
  TInstanceSorter sorter;
  sorter.AddProperty("NoSuchProperty", true, false);
  TInstance a = Element("a");
  TInstance b = Element("b");
  EXPECT_FALSE(sorter(a, b));
  EXPECT_FALSE(sorter(b, a));
  NVKXQZA20::TRootObject::SetLogSink(nullptr, 3);
  std::istringstream lines(log->str());
  std::vector<std::string> logged;
  for (std::string level, text; lines >> level && std::getline(lines >> std::ws, text);) {
    logged.push_back(level + " " + text);
  }
  EXPECT_EQ((std::vector<std::string>(
                2, "3 TReportParameters::TInstanceSorter::Compare -- Exception ")),
            logged);
}

// Sort reads each key once; it must give exactly the order (and the log
// lines) of a stable sort with the sorter as the predicate.
class InstanceSorterSortTest : public InstanceSorterTest {
 protected:
  std::vector<TInstance> RandomElements(size_t count) {
    const std::string pieces[] = {"0", "1", "9", "10", "007", "a", "B", " ", "_", std::string(1, '\0'), "\xe9"};
    std::mt19937 random(7);
    std::vector<TInstance> instances;
    for (size_t i = 0; i < count; ++i) {
      std::string name;
      for (size_t n = random() % 6; n > 0; --n) name += pieces[random() % (sizeof(pieces) / sizeof(pieces[0]))];
      instances.push_back(Element(name, static_cast<uint32_t>(random() % 4)));
    }
    return instances;
  }

  static std::vector<TInstance> PredicateSorted(std::vector<TInstance> instances, const TInstanceSorter& sorter) {
    std::stable_sort(instances.begin(), instances.end(), sorter);
    return instances;
  }

  static std::vector<TInstance> Sorted(std::vector<TInstance> instances, const TInstanceSorter& sorter) {
    sorter.Sort(instances);
    return instances;
  }

  static size_t LoggedLines(const std::function<void()>& work) {
    std::shared_ptr<std::ostringstream> log = std::make_shared<std::ostringstream>();
    NVKXQZA20::TRootObject::SetLogSink(log, 3);
    work();
    NVKXQZA20::TRootObject::SetLogSink(nullptr, 3);
    const std::string text = log->str();
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  }
};

TEST_F(InstanceSorterSortTest, GivesTheOrderOfTheStablePredicateSort) {
  const std::vector<TInstance> instances = RandomElements(400);
  TInstanceSorter bySizeThenName;
  bySizeThenName.AddProperty("Size", false, false);
  bySizeThenName.AddProperty("Name", true, false);
  for (const TInstanceSorter& sorter : {ByName(), ByName(false), bySizeThenName}) {
    EXPECT_TRUE(PredicateSorted(instances, sorter) == Sorted(instances, sorter));
  }
}

TEST_F(InstanceSorterSortTest, LogsEveryComparisonOfAMissingKeyAsThePredicateSortDoes) {
  const std::vector<TInstance> instances = RandomElements(50);
  TInstanceSorter sorter;
  sorter.AddProperty("NoSuchProperty", true, false);
  sorter.AddProperty("Name", true, false);
  std::vector<TInstance> byPredicate;
  std::vector<TInstance> bySort;
  const size_t predicateLines = LoggedLines([&] { byPredicate = PredicateSorted(instances, sorter); });
  const size_t sortLines = LoggedLines([&] { bySort = Sorted(instances, sorter); });
  EXPECT_GT(predicateLines, instances.size() - 1);
  EXPECT_EQ(predicateLines, sortLines);
  EXPECT_TRUE(byPredicate == bySort);
}

}  // namespace
