#include <cctype>

#include "core/root.h"
#include "definitions/report_parameters.h"

using NVKXQZA20::ICIMInstance;
using NVKXQZA20::TCIMValue;

namespace {

// Digit runs up to this many significant digits also fit a 32-bit number.
const size_t kMaxDigitsOfNumber = 9;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value a sort key compares: the property's value, or its alternate
// value when the value is null.
std::string SortText(const boost::shared_ptr<ICIMInstance>& instance, const std::string& name) {
  boost::shared_ptr<NVKXQZA20::ICIMProperty> property = instance->GetProperty(name);
  TCIMValue value = property->GetValue();
  if (value.IsNull()) value = property->GetAlternateValue();
  return value.ToString(10);
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

std::string TInstanceSorter::uppercaseString(std::string& text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

TInstanceSorter::EComparison TInstanceSorter::Compare(const TPropertyInfo& key,
                                                      boost::shared_ptr<ICIMInstance> a,
                                                      boost::shared_ptr<ICIMInstance> b) const {
  try {
    const int difference =
        PropertyCompare(SortText(a, key.fProperty), SortText(b, key.fProperty), true);
    if (difference < 0) return LessThan;
    return difference > 0 ? GreaterThan : Equal;
  } catch (...) {
    // An instance without the key's property must not stop the sort.
    NVKXQZA20::TRootObject::GetCoreLogger()->Log(
        3, "TReportParameters::TInstanceSorter::Compare -- Exception ");
    return Equal;
  }
}

int TInstanceSorter::PropertyCompare(const std::string& a, const std::string& b, bool lowerCase) {
  std::vector<TToken> tokensA;
  std::vector<TToken> tokensB;
  PropertySplit(a, tokensA, lowerCase);
  PropertySplit(b, tokensB, lowerCase);
  for (size_t i = 0; i < tokensA.size() && i < tokensB.size(); ++i) {
    const int difference = CompareTokens(tokensA[i], tokensB[i]);
    if (difference != 0) return difference;
  }
  return static_cast<int>(tokensA.size()) - static_cast<int>(tokensB.size());
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
    if (number && token._value.fText.size() <= kMaxDigitsOfNumber) {
      token._value.fNumber = token._value.fText.empty() ? 0 : std::stoi(token._value.fText);
    }
    tokens.push_back(token);
  }
}

int TInstanceSorter::CompareTokens(const TToken& a, const TToken& b) {
  if (a._type != b._type) return a._type == NumberToken ? -1 : 1;
  if (a._type == TextToken) return a._value.fText.compare(b._value.fText);
  // Without leading zeros, a number with more digits is the larger one.
  const size_t digitsA = a._value.fText.size();
  const size_t digitsB = b._value.fText.size();
  if (digitsA != digitsB) return digitsA < digitsB ? -1 : 1;
  if (digitsA <= kMaxDigitsOfNumber) return a._value.fNumber - b._value.fNumber;
  return a._value.fText.compare(b._value.fText);
}
