// Machines as collections: a sos report (folder or archive) read through the
// collector into MOF text, so that `qzareport sosreport-....tar.xz` and
// comparisons of several reports work like collections.
//
// Errors: an archive that cannot be read or unpacked throws
// NVKXQZA20::NMachine::TSosError naming the file.
#ifndef QZA_HOST_MACHINE_COLLECTIONS_H
#define QZA_HOST_MACHINE_COLLECTIONS_H

#include <functional>
#include <string>

#include "machine/collection.h"

// "qzareport 1.0", the build named in collections.
extern const char kCollectorBuild[];

// The collection of a sos report; progress is told each source read.
NVKXQZA20::NMachine::TCollection CollectSosReport(const std::string& path, size_t logBytes,
                                                  const std::function<void(const std::string&)>& progress);
NVKXQZA20::NMachine::TCollection CollectLiveMachine(size_t logBytes,
                                                    const std::function<void(const std::string&)>& progress);

#endif
