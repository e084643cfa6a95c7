// The shapes by which free text names a host or a user that no typed
// property of the collection names: a qualified host name
// (db7.corp.example.com), a name that embeds an address (node-10-1-2-3), and
// a user name where well-known log lines put one ("Accepted publickey for
// bob from", "session opened for user bob by", "USER=bob", a line of `last`).
//
//   QualifiedNameAt("see db7.corp.example.com:22", 4);  // 20
//   QualifiedNameAt("loaded libc.so.6", 7);             // nothing: a file
//   UserNameAt("Accepted password for bob from 10.1.2.3", 22);  // 3
//
// Each looks at a word that starts at text[i] and answers the length of the
// name there, nothing when there is none. Versions, file names, packages,
// kernel modules and sysctl keys are no names: a false name costs the
// engineer what the line said.
#ifndef QZA_REDACTION_TEXT_SHAPES_H
#define QZA_REDACTION_TEXT_SHAPES_H

#include <cstddef>
#include <optional>
#include <string_view>

namespace NVKXQZA20::NRedaction {

std::optional<size_t> QualifiedNameAt(std::string_view text, size_t i);
// A label of letters, '-', then an IPv4 address written with '-' for '.'
// (ip-10-1-2-3): the length of the label and its '-', before the address.
std::optional<size_t> AddressLabelAt(std::string_view text, size_t i);
std::optional<size_t> UserNameAt(std::string_view text, size_t i);
// The host of a sos report's name, however short: sosreport-HOST[-CASE]-2026-12-07-abcdef.
std::optional<size_t> SosReportHostAt(std::string_view text, size_t i);
bool EndsWithNoCase(std::string_view text, std::string_view end);

}  // namespace NVKXQZA20::NRedaction

#endif
