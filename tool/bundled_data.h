// Finds the data the tool ships with, the schema and the samples, without
// knowing where it was built: the folder QZA_DATA_DIR names, else
// share/qza beside the folder of the executable (bin/ of an installation;
// a build tree mirrors that layout). A self-contained build also carries
// the schema inside and uses it unless QZA_DATA_DIR is set.
//
// Errors: no schema or sample to be found throws std::runtime_error that
// says where the tool looked.
#ifndef QZA_HOST_BUNDLED_DATA_H
#define QZA_HOST_BUNDLED_DATA_H

#include <string>

#include "tool/collections.h"

// Sets the schema of settings to the bundled one.
void UseBundledSchema(TLoadSettings& settings);

// The collection reported when none is given.
std::string BundledSample();

#endif
