// What the tool says of itself under --version: its version, the commit it
// was built from and the build type. Generated at build time
// (cmake/build_info.cmake).
#ifndef QZA_HOST_BUILD_INFO_H
#define QZA_HOST_BUILD_INFO_H

// "qzareport 1.0\ncommit f30509d, build type RelWithDebInfo\n"
const char* VersionText();

#endif
