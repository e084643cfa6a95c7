// Joining texts with a separator between consecutive ones, as cells that hold
// several values are built.
#ifndef QZA_WRITER_TEXT_JOIN_H
#define QZA_WRITER_TEXT_JOIN_H

#include <string>
#include <vector>

inline std::string JoinTexts(const std::vector<std::string>& texts, const std::string& separator) {
  std::string joined;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) joined += separator;
    joined += texts[i];
  }
  return joined;
}

#endif
