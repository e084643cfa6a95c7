// Small text helpers the mapping functions share.
#ifndef QZA_MACHINE_MAPPING_TEXT_H
#define QZA_MACHINE_MAPPING_TEXT_H

#include <optional>
#include <string>
#include <vector>

namespace NVKXQZA20::NMachine {

std::string Trimmed(const std::string& text);
std::vector<std::string> Words(const std::string& text);
bool StartsWith(const std::string& text, const std::string& start);
// A whole non-negative number, or nothing.
std::optional<long long> WholeNumber(const std::string& text);
// The text, or "" when it is one of the placeholders firmware writes for
// "unknown" ("Not Specified", "To Be Filled By O.E.M.", "Unknown", ...).
std::string Meaningful(const std::string& text);

}  // namespace NVKXQZA20::NMachine

#endif
