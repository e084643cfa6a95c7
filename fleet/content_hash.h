// The content hash that tells collections apart in the fleet: SHA-256 (by
// OpenSSL's libcrypto) of a file's bytes, or of a folder's files (each one's
// path below the folder and its bytes, in name order; a symbolic link by its
// target), as 64 lowercase hex digits. The same input gives the same hash
// wherever it lies.
//
// Errors: a path that cannot be read throws TFleetError naming it.
#ifndef QZA_FLEET_CONTENT_HASH_H
#define QZA_FLEET_CONTENT_HASH_H

#include <string>

std::string ContentHashOf(const std::string& path);

#endif
