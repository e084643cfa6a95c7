// File names made from page link names: safe on any file system, the
// extension added once.
#ifndef QZA_HOST_FILE_NAMES_H
#define QZA_HOST_FILE_NAMES_H

#include <string>

// Keeps letters, digits, '.', '-' and '_'; every other byte becomes '_'.
// A name ending in the extension keeps it; "" and names made only of dots
// become "page".
std::string SafeFileName(const std::string& linkName, const std::string& extension);

#endif
