#include <algorithm>
#include <cctype>
#include <numeric>

#include "core/root.h"
#include "definitions/report_parameters.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TCIMValue;

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value a sort key compares: the property's value, or its alternate
// value when the value is null.
std::string SortText(const ICIMInstance& instance, const std::string& name) {
  boost::shared_ptr<NVKXQZA20::ICIMProperty> property = instance.GetProperty(name);
  TCIMValue value = property->GetValue();
  if (value.IsNull()) value = property->GetAlternateValue();
  return value.ToString(10);
}

// Sort-key bytes. A number token sorts before a text token; numbers compare
// by digit count, then digits; texts compare bytewise, a text that is the
// start of another first. Texts end in kEnd, and a NUL inside one is
// written kNul so that the end still sorts below every character.
const char kNumberTag = '\x01';
const char kTextTag = '\x02';
const char kEnd[] = {'\0', '\0'};
const char kNul[] = {'\0', '\x01'};

void AppendDigitCount(size_t count, std::string& key) {
  for (int shift = 24; shift >= 0; shift -= 8) key += static_cast<char>((count >> shift) & 0xFF);
}

void AppendText(const std::string& text, std::string& key) {
  for (char c : text) {
    if (c == '\0') {
      key.append(kNul, sizeof(kNul));
    } else {
      key += c;
    }
  }
  key.append(kEnd, sizeof(kEnd));
}

}  // namespace

typedef TReportParameters::TInstanceSorter TInstanceSorter;

void TInstanceSorter::AddProperty(std::string property, bool ascending, bool secondFlag) {
  AddProperty(std::move(property), ascending, secondFlag, false);
}

void TInstanceSorter::AddProperty(std::string property, bool ascending, bool secondFlag,
                                  bool thirdFlag) {
  fKeys.push_back(TPropertyInfo(std::move(property), ascending, secondFlag, thirdFlag));
}

bool TInstanceSorter::operator()(boost::shared_ptr<ICIMInstance> a,
                                 boost::shared_ptr<ICIMInstance> b) const {
  for (const TPropertyInfo& key : fKeys) {
    const EComparison result = Compare(key, a, b);
    if (result != Equal) return key.fAscending ? result == LessThan : result == GreaterThan;
  }
  return false;
}

void TInstanceSorter::Sort(std::vector<boost::shared_ptr<ICIMInstance>>& instances) const {
  std::vector<std::vector<TKeyValue>> keys(instances.size());
  for (size_t i = 0; i < instances.size(); ++i) {
    keys[i].reserve(fKeys.size());
    for (const TPropertyInfo& key : fKeys) keys[i].push_back(ReadKey(*instances[i], key));
  }
  std::vector<size_t> order(instances.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [this, &keys](size_t a, size_t b) { return Precedes(keys[a], keys[b]); });
  std::vector<boost::shared_ptr<ICIMInstance>> sorted;
  sorted.reserve(instances.size());
  for (size_t index : order) sorted.push_back(instances[index]);
  instances.swap(sorted);
}

bool TInstanceSorter::Precedes(const std::vector<TKeyValue>& a, const std::vector<TKeyValue>& b) const {
  for (size_t k = 0; k < fKeys.size(); ++k) {
    const EComparison result = CompareKeys(a[k], b[k]);
    if (result != Equal) return fKeys[k].fAscending ? result == LessThan : result == GreaterThan;
  }
  return false;
}

std::string TInstanceSorter::uppercaseString(std::string& text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

TInstanceSorter::EComparison TInstanceSorter::Compare(const TPropertyInfo& key,
                                                      boost::shared_ptr<ICIMInstance> a,
                                                      boost::shared_ptr<ICIMInstance> b) const {
  return CompareKeys(ReadKey(*a, key), ReadKey(*b, key));
}

TInstanceSorter::TKeyValue TInstanceSorter::ReadKey(const ICIMInstance& instance, const TPropertyInfo& key) {
  TKeyValue value;
  try {
    value.fSortKey = SortKey(SortText(instance, key.fProperty), true);
    value.fRead = true;
  } catch (...) {
    // Logged by each comparison that meets it, as when it is read there.
  }
  return value;
}

TInstanceSorter::EComparison TInstanceSorter::CompareKeys(const TKeyValue& a, const TKeyValue& b) {
  if (!a.fRead || !b.fRead) {
    // An instance without the key's property must not stop the sort.
    NVKXQZA20::TRootObject::GetCoreLogger()->Log(
        3, "TReportParameters::TInstanceSorter::Compare -- Exception ");
    return Equal;
  }
  const int difference = a.fSortKey.compare(b.fSortKey);
  if (difference < 0) return LessThan;
  return difference > 0 ? GreaterThan : Equal;
}

std::string TInstanceSorter::SortKey(const std::string& text, bool lowerCase) {
  std::vector<TToken> tokens;
  PropertySplit(text, tokens, lowerCase);
  std::string key;
  key.reserve(text.size() + 6 * tokens.size());
  for (const TToken& token : tokens) {
    if (token._type == NumberToken) {
      key += kNumberTag;
      AppendDigitCount(token._value.fText.size(), key);
      key += token._value.fText;
    } else {
      key += kTextTag;
      AppendText(token._value.fText, key);
    }
  }
  return key;
}

void TInstanceSorter::PropertySplit(const std::string& text, std::vector<TToken>& tokens,
                                    bool lowerCase) {
  tokens.clear();
  size_t position = 0;
  while (position < text.size()) {
    TToken token;
    const bool number = IsDigit(text[position]);
    token._type = number ? NumberToken : TextToken;
    for (; position < text.size() && IsDigit(text[position]) == number; ++position) {
      char c = text[position];
      if (number && c == '0' && token._value.fText.empty()) continue;  // leading zero
      if (lowerCase) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      token._value.fText += c;
    }
    tokens.push_back(token);
  }
}
